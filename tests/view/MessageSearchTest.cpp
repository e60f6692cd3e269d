#include "view/MessageSearch.h"

#include <gtest/gtest.h>

#include "platform/Utf.h"

namespace corvane {
namespace {

TEST(MessageSearch, FoldingDropsCaseAndAccents) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"ABC xyz 09", u"abc xyz 09"},
        {u"Café CRÈME Ünïcödé", u"cafe creme unicode"},
        {u"ÆSIR Œuvre straße ĲSSEL Þorn", u"aesir oeuvre strasse ijssel thorn"},
        {u"Łódź Dvořák Ğİ ſ", u"lodz dvorak gi s"},
        {u"e\u0301te\u0301", u"ete"},  // decomposed accents
        {u"ΑΘΗΝΑ Σοφός МОСКВА Ёж", u"αθηνα σοφοσ москва ёж"},
        {u"× ÷ € 中文", u"× ÷ € 中文"},
    };
    for (const auto& [text, folded] : cases)
        EXPECT_EQ(toUtf8(foldForSearch(text)), toUtf8(folded)) << toUtf8(text);
}

RSSItem message(std::u16string title, std::u16string description, std::u16string content = u"",
                std::u16string author = u"") {
    RSSItem item;
    item.title = std::move(title);
    item.description = std::move(description);
    item.content = std::move(content);
    item.author = std::move(author);
    return item;
}

TEST(MessageSearch, EveryWordMustOccurInSomeField) {
    const RSSItem item =
        message(u"Storm over the <b>Coast</b>", u"<p>Ferries to the isl&eacute;s stop at 6&nbsp;pm</p>",
                u"<div>Full report by the harbour office</div>", u"Zoë Müller");
    struct Case {
        const char16_t* query;
        bool matches;
    };
    const Case cases[] = {
        {u"storm", true},
        {u"STORM coast", true},          // case, and a word inside markup
        {u"coast storm", true},          // any order
        {u"isles", true},                // an entity decoded, its accent dropped
        {u"ÎSLES", true},                // accents in the query too
        {u"harbour zoe", true},          // content and author
        {u"muller", true},               // ü
        {u"  storm\t  ferries ", true},  // white space around and between words
        {u"repo", true},                 // part of a word
        {u"storm flood", false},         // one word missing
        {u"b coast", true},              // "b" occurs as a letter of the text, never as the tag
        {u"<b>", false},                 // tags are no text
        {u"6 pm", true},
        {u"", false},  // no words: nothing
        {u"   ", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageQuery(c.query).matches(item), c.matches) << toUtf8(c.query);
}

TEST(MessageSearch, WordsDoNotRunAcrossFields) {
    const RSSItem item = message(u"alpha", u"beta");
    EXPECT_FALSE(MessageQuery(u"alphabeta").matches(item));
    EXPECT_FALSE(MessageQuery(u"a b").matches(message(u"", u"")));
    EXPECT_TRUE(MessageQuery(u"alpha beta").matchesText(searchTextOf(item)));
}

}  // namespace
}  // namespace corvane
