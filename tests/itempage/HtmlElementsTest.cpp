#include "itempage/HtmlElements.h"

#include <gtest/gtest.h>

#include <string>

#include "feedstore/HtmlVoidElements.h"

namespace corvane {
namespace {

// The sanitizer writes no end tag for these roles and the converter opens nothing for them: they
// must be exactly the void elements of the page's table.
bool hasVoidRole(HtmlRole role) {
    return role == HtmlRole::Image || role == HtmlRole::LineBreak || role == HtmlRole::Rule ||
           role == HtmlRole::Column;
}

TEST(HtmlElements, VoidRolesAreExactlyTheVoidElements) {
    for (const HtmlElement& element : htmlElements())
        EXPECT_EQ(hasVoidRole(element.role), isVoidElement(element.name))
            << std::string(element.name.begin(), element.name.end());
}

TEST(HtmlElements, LookedUpByExactLowerCaseName) {
    struct Case {
        std::u16string_view name;
        bool found;
        HtmlRole role;
        HtmlLook look;
    };
    const Case cases[] = {
        {u"a", true, HtmlRole::Anchor, HtmlLook::Plain},
        {u"th", true, HtmlRole::Cell, HtmlLook::Bold},
        {u"td", true, HtmlRole::Cell, HtmlLook::Plain},
        {u"blockquote", true, HtmlRole::Block, HtmlLook::Indented},
        {u"br", true, HtmlRole::LineBreak, HtmlLook::LineBreak},
        {u"wbr", true, HtmlRole::LineBreak, HtmlLook::Plain},
        {u"svg", true, HtmlRole::DropSubtree, HtmlLook::Plain},
        {u"B", false, {}, {}},
        {u"script", false, {}, {}},
        {u"", false, {}, {}},
    };
    for (const Case& c : cases) {
        const HtmlElement* element = findHtmlElement(c.name);
        ASSERT_EQ(element != nullptr, c.found) << std::string(c.name.begin(), c.name.end());
        if (!element) continue;
        EXPECT_EQ(element->role, c.role);
        EXPECT_EQ(element->look, c.look);
    }
}

}  // namespace
}  // namespace corvane
