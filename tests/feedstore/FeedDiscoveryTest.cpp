#include "feedstore/FeedDiscovery.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane {
namespace {

std::optional<std::u16string> discover(const std::string& page) {
    return discoverFeedLink({reinterpret_cast<const uint8_t*>(page.data()), page.size()},
                            u"http://h/blog/index.html");
}

TEST(DiscoverFeedLink, FirstFeedLinkOfTheHeadResolved) {
    const struct {
        std::string page;
        const char16_t* feed;
    } cases[] = {
        {"<link rel=\"alternate\" type=\"application/rss+xml\" href=\"feed.xml\">",
         u"http://h/blog/feed.xml"},
        {"<LINK REL='Alternate' TYPE='Application/Atom+XML' HREF='/atom?a=1&amp;b=2'/>",
         u"http://h/atom?a=1&b=2"},
        {"<link type=application/rss+xml rel=\"home alternate\" href=http://other/f>", u"http://other/f"},
        {"<link rel=\"stylesheet\" href=\"s.css\"><link rel=\"alternate\" hreflang=\"de\" href=\"/de/\">"
         "<link rel=\"alternate\" type=\"application/atom+xml\" href=\"a.xml\">"
         "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"r.xml\">",
         u"http://h/blog/a.xml"},
    };
    for (const auto& c : cases) {
        std::optional<std::u16string> feed =
            discover("<!DOCTYPE html><html><head>" + c.page + "</head></html>");
        ASSERT_TRUE(feed) << c.page;
        EXPECT_EQ(*feed, c.feed) << c.page;
    }
}

TEST(DiscoverFeedLink, PagesWithoutOneNameNone) {
    for (const std::string& page : {
             std::string("<html><head><link rel=\"alternate\" href=\"/de/\" hreflang=\"de\"></head></html>"),
             std::string("<html><head><link rel=\"alternate\" type=\"text/html\" href=\"x\"></head></html>"),
             std::string(
                 "<html><head><link rel=\"alternate\" type=\"application/rss+xml\" href=\"\"></head>"),
             std::string(
                 "<html><head><!-- <link rel=\"alternate\" type=\"application/rss+xml\" href=\"x\"> -->"),
             std::string(
                 "<html><body><link rel=\"alternate\" type=\"application/rss+xml\" href=\"x\"></body>"),
             std::string("<link rel=\"alternate\" type=\"application/rss+xml\" href=\"x"),
             std::string(""),
         })
        EXPECT_FALSE(discover(page)) << page << " " << (discover(page) ? discover(page)->size() : 0);
}

}  // namespace
}  // namespace corvane
