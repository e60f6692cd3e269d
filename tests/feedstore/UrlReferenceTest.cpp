#include "feedstore/UrlReference.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

struct Resolution {
    const char16_t* reference;
    const char16_t* target;
};

// RFC 3986, section 5.4: every normal and abnormal example against its base.
constexpr char16_t kRfcBase[] = u"http://a/b/c/d;p?q";
constexpr Resolution kRfcExamples[] = {
    {u"g:h", u"g:h"},
    {u"g", u"http://a/b/c/g"},
    {u"./g", u"http://a/b/c/g"},
    {u"g/", u"http://a/b/c/g/"},
    {u"/g", u"http://a/g"},
    {u"//g", u"http://g"},
    {u"?y", u"http://a/b/c/d;p?y"},
    {u"g?y", u"http://a/b/c/g?y"},
    {u"#s", u"http://a/b/c/d;p?q#s"},
    {u"g#s", u"http://a/b/c/g#s"},
    {u"g?y#s", u"http://a/b/c/g?y#s"},
    {u";x", u"http://a/b/c/;x"},
    {u"g;x", u"http://a/b/c/g;x"},
    {u"g;x?y#s", u"http://a/b/c/g;x?y#s"},
    {u"", u"http://a/b/c/d;p?q"},
    {u".", u"http://a/b/c/"},
    {u"./", u"http://a/b/c/"},
    {u"..", u"http://a/b/"},
    {u"../", u"http://a/b/"},
    {u"../g", u"http://a/b/g"},
    {u"../..", u"http://a/"},
    {u"../../", u"http://a/"},
    {u"../../g", u"http://a/g"},
    {u"../../../g", u"http://a/g"},
    {u"../../../../g", u"http://a/g"},
    {u"/./g", u"http://a/g"},
    {u"/../g", u"http://a/g"},
    {u"g.", u"http://a/b/c/g."},
    {u".g", u"http://a/b/c/.g"},
    {u"g..", u"http://a/b/c/g.."},
    {u"..g", u"http://a/b/c/..g"},
    {u"./../g", u"http://a/b/g"},
    {u"./g/.", u"http://a/b/c/g/"},
    {u"g/./h", u"http://a/b/c/g/h"},
    {u"g/../h", u"http://a/b/c/h"},
    {u"g;x=1/./y", u"http://a/b/c/g;x=1/y"},
    {u"g;x=1/../y", u"http://a/b/c/y"},
    {u"g?y/./x", u"http://a/b/c/g?y/./x"},
    {u"g?y/../x", u"http://a/b/c/g?y/../x"},
    {u"g#s/./x", u"http://a/b/c/g#s/./x"},
    {u"g#s/../x", u"http://a/b/c/g#s/../x"},
    {u"http:g", u"http:g"},
};

TEST(ResolveUrlReference, Rfc3986Examples) {
    for (const Resolution& example : kRfcExamples)
        EXPECT_EQ(resolveUrlReference(kRfcBase, example.reference), example.target)
            << std::u16string(example.reference).size();
}

TEST(ResolveUrlReference, FeedCases) {
    const struct {
        const char16_t* base;
        const char16_t* reference;
        const char16_t* target;
    } cases[] = {
        // A host without a path gains the root.
        {u"http://127.0.0.1:8080", u"item/1", u"http://127.0.0.1:8080/item/1"},
        {u"https://h/blog/feed.xml", u"  2026/12/post.html\n", u"https://h/blog/2026/12/post.html"},
        {u"https://h/blog/", u"https://other/x", u"https://other/x"},
        // No base to resolve against: the reference as it stands.
        {u"", u"post.html", u"post.html"},
        {u"not a url", u"post.html", u"post.html"},
        {u"https://h/a", u"", u"https://h/a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolveUrlReference(c.base, c.reference), c.target);
}

// Absolute references are given back as written unless a dot segment of their path goes; dots in a
// query or fragment, or in names, stay.
TEST(ResolveUrlReference, AbsoluteReferences) {
    const Resolution cases[] = {
        {u"https://h/a/b.html?x=1#f", u"https://h/a/b.html?x=1#f"},
        {u"https://h/a/./b", u"https://h/a/b"},
        {u"https://h/a/../b", u"https://h/b"},
        {u"https://h/a/..", u"https://h/"},
        {u"https://h/.", u"https://h/"},
        {u"https://h/a/.b/..c/...", u"https://h/a/.b/..c/..."},
        {u"https://h/a?p=/../x", u"https://h/a?p=/../x"},
        {u"https://h/a#/./x", u"https://h/a#/./x"},
        {u"https://h?q", u"https://h?q"},
        {u"mailto:a@h", u"mailto:a@h"},
        {u"urn:x:../y", u"urn:x:../y"},
        {u"tag:h,2026:./a/../b", u"tag:h,2026:./b"},
        {u" https://h/a \n", u"https://h/a"},
    };
    for (const Resolution& c : cases)
        EXPECT_EQ(resolveUrlReference(u"http://base/dir/", c.reference), c.target)
            << std::u16string(c.reference).size();
}

TEST(ResolveMarkupLinks, HrefAndSrcOnlyQuotedOrNot) {
    const struct {
        const char16_t* markup;
        const char16_t* resolved;
    } cases[] = {
        {u"<a href=\"p.html\">x</a>", u"<a href=\"http://h/d/p.html\">x</a>"},
        {u"<IMG SRC='i.png' alt='i.png'>", u"<IMG SRC='http://h/d/i.png' alt='i.png'>"},
        {u"<img src=i.png title=t>", u"<img src=http://h/d/i.png title=t>"},
        {u"<a href = \"/root\" >", u"<a href = \"http://h/root\" >"},
        {u"<a href=\"http://other/\">", u"<a href=\"http://other/\">"},
        {u"text href=\"p\" <!-- <a href=\"c\"> --> <br/>", u"text href=\"p\" <!-- <a href=\"c\"> --> <br/>"},
        {u"<a data-href=\"p\" href=\"#top\">", u"<a data-href=\"p\" href=\"http://h/d/f#top\">"},
        {u"<a href=\"p", u"<a href=\"http://h/d/p"},
        {u"no markup at all", u"no markup at all"},
        // Unchanged links before and after one that changes: the copy starts at the first change.
        {u"<a href=\"http://h/x\">1</a><img src='http://h/y'><a href=p>2</a><a href=\"http://h/z\">",
         u"<a href=\"http://h/x\">1</a><img src='http://h/y'><a href=http://h/d/p>2</a><a "
         u"href=\"http://h/z\">"},
        {u"<a href=\"http://h/x\">unchanged</a>", u"<a href=\"http://h/x\">unchanged</a>"},
        {u"<a href=\"http://h/a/../b\">", u"<a href=\"http://h/b\">"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolveMarkupLinks(c.markup, u"http://h/d/f"), c.resolved);
}

TEST(ResolveMarkupLinks, ResolvedValueCannotLeaveItsAttribute) {
    EXPECT_EQ(resolveMarkupLinks(u"<a href=\"p\">", u"http://h/a\"b c/"),
              u"<a href=\"http://h/a%22b%20c/p\">");
}

}  // namespace
}  // namespace corvane
