#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "feedstore/FeedUpdate.h"
#include "feedstore/RSSObject.h"
#include "feedstore/XmlAccess.h"
#include "platform/FileReplace.h"
#include "platform/Utf.h"
#include "support/DomItemWriter.h"
#include "support/TempFolder.h"

namespace corvane {
namespace {

class ItemStore : public ::testing::Test {
  protected:
    std::unique_ptr<RSSObject> feed() {
        return loadRSSObject(folder.file("corvane.xml"), folder.file("rssitems.xml"));
    }
    std::unique_ptr<RSSObject> loaded() {
        auto object = feed();
        object->initializeItems();
        return object;
    }

    testing::TempFolder folder;
};

const char kStore[] = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0"><channel>
<item><title>First</title><pubDate>Tue, 10 Jun 2003 04:00:00 GMT</pubDate><description>&lt;b&gt;One&lt;/b&gt;</description>
  <link>http://127.0.0.1/1</link><author>a@127.0.0.1</author><guid isPermaLink="false">g1</guid>
  <corvane_id>kept-as-written+/=</corvane_id><corvane_label>3</corvane_label>
  <enclosure url="http://127.0.0.1/1.mp3" length="12abc" type="audio/mpeg"/></item>
<item><corvane_label>abc</corvane_label><guid>abc</guid></item>
<item><title>Third</title><corvane_label> 3</corvane_label><corvane_label>4</corvane_label><pubDate>someday</pubDate></item>
</channel></rss>)";

TEST_F(ItemStore, ReadsItemsInFileOrder) {
    folder.write("rssitems.xml", kStore);
    auto object = loaded();
    EXPECT_TRUE(object->itemsLoaded);
    EXPECT_EQ(object->itemsState, StoreFileState::Read);
    ASSERT_EQ(object->items.size(), 3u);

    const RSSItem& first = *object->items[0];
    EXPECT_EQ(first.title, u"First");
    EXPECT_EQ(first.description, u"<b>One</b>");
    EXPECT_EQ(first.link, u"http://127.0.0.1/1");
    EXPECT_EQ(first.author, u"a@127.0.0.1");
    EXPECT_EQ(first.guid, u"g1");
    EXPECT_EQ(first.id, u"kept-as-written+/=");
    EXPECT_EQ(first.label, 3);
    EXPECT_TRUE(first.hasDate);
    EXPECT_EQ(first.publishedTime, (SystemTime{2003, 6, 2, 10, 4, 0, 0, 0}));
    EXPECT_EQ(first.publishedFileTime, systemTimeToFileTime(first.publishedTime));
    ASSERT_TRUE(first.enclosure);
    EXPECT_EQ(first.enclosure->url, u"http://127.0.0.1/1.mp3");
    EXPECT_EQ(first.enclosure->length, 12);
    EXPECT_EQ(first.enclosure->type, u"audio/mpeg");

    const RSSItem& second = *object->items[1];
    EXPECT_EQ(second.label, 0);
    EXPECT_EQ(second.id, u"zhRzz4DGs/2o49/ABq3DFQ");  // computed: guid abc, nothing else
    EXPECT_FALSE(second.enclosure);
    EXPECT_EQ(second.title, u"");

    const RSSItem& third = *object->items[2];
    EXPECT_EQ(third.label, 3);  // the first of two counts
    EXPECT_FALSE(third.hasDate);
    EXPECT_EQ(third.pubDate, u"someday");
}

TEST_F(ItemStore, LoadedIdsJoinTheIdentity) {
    folder.write("rssitems.xml", kStore);
    auto object = loaded();
    EXPECT_EQ(object->identity.count(u"kept-as-written+/="), 1u);
    EXPECT_EQ(object->identity.count(u"zhRzz4DGs/2o49/ABq3DFQ"), 1u);
    EXPECT_EQ(object->identity.size(), 3u);
}

TEST_F(ItemStore, RoundTripKeepsItemsOrderIdsLabelsTextsAndEnclosures) {
    folder.write("rssitems.xml", kStore);
    auto object = loaded();
    object->items[1]->label = 5;
    object->items[2]->description = u"multi\nline \u00E9 \U0001D11E & <markup/>";
    object->storeItems();

    auto again = loaded();
    ASSERT_EQ(again->items.size(), object->items.size());
    for (size_t i = 0; i < object->items.size(); ++i) {
        const RSSItem& a = *object->items[i];
        const RSSItem& b = *again->items[i];
        EXPECT_EQ(a.title, b.title);
        EXPECT_EQ(a.link, b.link);
        EXPECT_EQ(a.description, b.description);
        EXPECT_EQ(a.pubDate, b.pubDate);
        EXPECT_EQ(a.author, b.author);
        EXPECT_EQ(a.guid, b.guid);
        EXPECT_EQ(a.id, b.id);
        EXPECT_EQ(a.label, b.label);
        EXPECT_EQ(a.hasDate, b.hasDate);
        ASSERT_EQ(bool(a.enclosure), bool(b.enclosure));
        if (a.enclosure) {
            EXPECT_EQ(a.enclosure->url, b.enclosure->url);
            EXPECT_EQ(a.enclosure->length, b.enclosure->length);
            EXPECT_EQ(a.enclosure->type, b.enclosure->type);
        }
    }
}

TEST_F(ItemStore, EmptyListIsStoredAsOneEmptyChannel) {
    auto object = loaded();
    EXPECT_EQ(object->itemsState, StoreFileState::Missing);
    object->storeItems();
    auto document = xml::loadXmlFile(folder.file("rssitems.xml"), true, false);
    auto rss = xml::selectElement(*document, u"rss");
    ASSERT_TRUE(rss);
    EXPECT_EQ(xml::getAttributeText(*rss, u"version", u""), u"2.0");
    EXPECT_EQ(xml::selectNodes(*rss, u"channel").size(), 1u);
    EXPECT_TRUE(xml::selectNodes(*rss, u"channel/item").empty());
}

TEST_F(ItemStore, StoredItemHasEveryChildInOrder) {
    folder.write("rssitems.xml", kStore);
    auto object = loaded();
    object->items.resize(1);
    object->storeItems();
    const std::string saved = folder.read("rssitems.xml");
    size_t position = 0;
    for (const char* child :
         {"<title>", "<pubDate>", "<description>", "<link>", "<author>", "<guid>", "<corvane_id>",
          "<corvane_label>3</corvane_label>",
          "<enclosure url=\"http://127.0.0.1/1.mp3\" length=\"12\" type=\"audio/mpeg\""}) {
        size_t found = saved.find(child, position);
        ASSERT_NE(found, std::string::npos) << child << " after " << position << " in " << saved;
        position = found;
    }
}

TEST_F(ItemStore, StoreBeforeLoadWritesNothing) {
    folder.write("rssitems.xml", kStore);
    auto object = feed();
    object->storeItems();
    EXPECT_EQ(folder.read("rssitems.xml"), kStore);
}

TEST_F(ItemStore, SecondInitializeAddsNothing) {
    folder.write("rssitems.xml", kStore);
    auto object = loaded();
    object->initializeItems();
    EXPECT_EQ(object->items.size(), 3u);
}

TEST_F(ItemStore, NoRssRootOrNoItemsGivesAnEmptyList) {
    folder.write("rssitems.xml", "<feed><channel><item><title>x</title></item></channel></feed>");
    auto other = loaded();
    EXPECT_TRUE(other->items.empty());
    EXPECT_TRUE(other->itemsLoaded);
    EXPECT_EQ(other->itemsState, StoreFileState::Unreadable);

    folder.write("rssitems.xml", "<rss version=\"2.0\"/>");
    auto empty = loaded();
    EXPECT_TRUE(empty->items.empty());
    EXPECT_EQ(empty->itemsState, StoreFileState::Read);
}

TEST_F(ItemStore, BrokenStoreIsKeptAsideBeforeTheFirstSave) {
    const std::string broken = std::string(kStore).substr(0, 400);
    folder.write("rssitems.xml", broken);
    auto object = loaded();
    EXPECT_TRUE(object->items.empty());
    EXPECT_TRUE(object->itemsLoaded);
    EXPECT_EQ(object->itemsState, StoreFileState::Unreadable);
    object->storeItems();
    EXPECT_EQ(folder.read("rssitems.xml.bad"), broken);
    EXPECT_EQ(loaded()->itemsState, StoreFileState::Read);
}

TEST_F(ItemStore, FailedSaveKeepsTheOldStoreWhole) {
    folder.write("rssitems.xml", kStore);
    auto object = loaded();
    object->items.clear();
    failNextFileReplaceAt(FileReplaceStage::Write);
    EXPECT_FALSE(object->storeItems());
    EXPECT_EQ(folder.read("rssitems.xml"), kStore);
    EXPECT_TRUE(object->storeItems());
    EXPECT_TRUE(loaded()->items.empty());
}

// The items were saved after an update but the process ended before corvane.xml got their ids.
TEST_F(ItemStore, StoredItemsAreNotTakenAgainWhenTheirIdsWereNeverSaved) {
    const std::string feedText =
        "<rss "
        "version=\"2.0\"><channel><item><guid>a</guid></item><item><guid>b</guid></item></channel></rss>";
    auto fetchOf = [&feedText] {
        FeedFetch fetch;
        readFeedDocument({reinterpret_cast<const uint8_t*>(feedText.data()), feedText.size()}, u"u", fetch);
        return fetch;
    };
    auto first = loaded();
    first->takeFetch(fetchOf());
    ASSERT_EQ(first->items.size(), 2u);
    ASSERT_TRUE(first->storeItems());

    auto afterCrash = loaded();
    afterCrash->takeFetch(fetchOf());
    EXPECT_EQ(afterCrash->items.size(), 2u);
}

// While the store cannot be written, the messages an update brought stay unseen in corvane.xml, so
// the first update after the store is writable again brings them back; deleted ones stay deleted.
TEST_F(ItemStore, MessagesThatCouldNotBeStoredComeBackDeletedOnesDoNot) {
    const std::string feedText =
        "<rss version=\"2.0\"><channel><item><guid>a</guid></item>"
        "<item><guid>b</guid></item><item><guid>c</guid></item></channel></rss>";
    auto update = [](RSSObject& feed, const std::string& text) {
        FeedFetch fetch;
        readFeedDocument({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, u"u", fetch);
        feed.takeFetch(std::move(fetch));
    };
    auto guids = [](const RSSObject& feed) {
        std::vector<std::u16string> list;
        for (const auto& item : feed.items)
            list.push_back(item->guid);
        return list;
    };
    folder.write("rssitems.xml", "<rss version=\"2.0\"><channel><item><guid>a</guid></item></channel></rss>");
    {
        auto first = loaded();
        update(*first, feedText);
        ASSERT_TRUE(first->storeItems());
        ASSERT_TRUE(first->storeSettings());
    }
    const std::string stored = folder.read("rssitems.xml");
    const std::string feedOnly =
        "<rss version=\"2.0\"><channel><item><guid>a</guid></item>"
        "<item><guid>d</guid></item><item><guid>e</guid></item></channel></rss>";

    // Locked: something that cannot be opened as a file stands where the store is.
    std::filesystem::rename(folder.path() / "rssitems.xml", folder.path() / "aside.xml");
    std::filesystem::create_directory(folder.path() / "rssitems.xml");
    {
        auto locked = loaded();
        ASSERT_EQ(locked->itemsState, StoreFileState::Locked);
        update(*locked, feedOnly);
        ASSERT_EQ(guids(*locked), (std::vector<std::u16string>{u"d", u"e"}));
        locked->items.erase(locked->items.begin() + 1);  // e deleted
        EXPECT_FALSE(locked->storeItems());
        EXPECT_TRUE(locked->storeSettings());
    }
    std::filesystem::remove(folder.path() / "rssitems.xml");
    std::filesystem::rename(folder.path() / "aside.xml", folder.path() / "rssitems.xml");
    EXPECT_EQ(folder.read("rssitems.xml"), stored);

    auto unlocked = loaded();
    update(*unlocked, feedOnly);
    EXPECT_EQ(guids(*unlocked), (std::vector<std::u16string>{u"a", u"b", u"c", u"d"}));
    // Once stored, they are seen for good.
    ASSERT_TRUE(unlocked->storeItems());
    ASSERT_TRUE(unlocked->storeSettings());
    auto later = loaded();
    later->items.clear();
    update(*later, feedText);
    update(*later, feedOnly);
    EXPECT_TRUE(later->items.empty());
}

std::unique_ptr<RSSItem> itemWith(std::u16string text, bool enclosure) {
    auto item = std::make_unique<RSSItem>();
    item->title = u"T " + text;
    item->pubDate = u"Tue, 10 Jun 2003 04:00:00 GMT";
    item->description = u"<p>" + text + u"</p>";
    item->link = u"http://127.0.0.1/?a=1&b=2";
    item->author = u"A " + text;
    item->guid = u"G " + text;
    item->id = u"id+/=";
    item->label = -3;
    if (enclosure) {
        item->enclosure = std::make_unique<RSSEnclosure>();
        item->enclosure->url = u"U " + text;
        item->enclosure->length = INT32_MIN;
        item->enclosure->type = u"";
    }
    return item;
}

// The texts a feed gives most, none of which the component changes on its way to the file.
const std::u16string kOrdinaryTexts[] = {
    u"",
    u"plain",
    u"& < > \" ' ]]> &amp;",
    u"caf\u00E9 \u00A0 \u2028 \u0085 \U0001D11E \uFFFD",
    u"tab\tand\nlines\n\n",
};

TEST_F(ItemStore, StoredBytesAreThoseTheXmlComponentWrites) {
    auto object = loaded();
    for (const std::u16string& text : kOrdinaryTexts) {
        object->items.push_back(itemWith(text, false));
        object->items.push_back(itemWith(text, true));
        object->items.back()->unread = true;
    }
    for (size_t count : {object->items.size(), size_t{0}}) {
        object->items.resize(count);
        ASSERT_TRUE(object->storeItems());
        xml::DocumentPtr document = xml::loadXmlText(kItemsSkeleton);
        testing::writeItemsDocument(*document, *xml::selectElement(*document, u"rss"), object->items);
        EXPECT_EQ(testing::withoutRoom(folder.read("rssitems.xml")), document->serialize());
    }
}

// A store of several megabytes goes to the file in pieces; the pieces join into the very bytes of
// the whole, messages cut nowhere and none left out.
TEST_F(ItemStore, ALargeStoreWrittenInPiecesHasTheBytesOfTheWhole) {
    auto object = loaded();
    std::u16string paragraph;
    for (int i = 0; i < 60; ++i)
        paragraph += u"Caf\u00E9 & <b>r\u00E9sum\u00E9</b> \U0001D11E line\n";
    for (int i = 0; i < 1200; ++i) {
        object->items.push_back(itemWith(fromUtf8(std::to_string(i)) + u" " + paragraph, i % 3 == 0));
        object->items.back()->unread = i % 2 == 0;
    }
    ASSERT_TRUE(object->storeItems());
    const std::string stored = folder.read("rssitems.xml");
    EXPECT_GT(stored.size(), size_t{3} << 20);
    xml::DocumentPtr document = xml::loadXmlText(kItemsSkeleton);
    testing::writeItemsDocument(*document, *xml::selectElement(*document, u"rss"), object->items);
    EXPECT_TRUE(testing::withoutRoom(stored) == document->serialize());
}

// Content goes right after the description and only where there is some, so a store without any
// keeps the bytes earlier versions wrote; both readers give it back.
TEST_F(ItemStore, ContentIsStoredOnlyWhereThereIsOneAndBothReadersGiveItBack) {
    auto object = loaded();
    for (const std::u16string& text : kOrdinaryTexts) {
        object->items.push_back(itemWith(text, false));
        object->items.back()->content = text.empty() ? u"" : u"<p>whole " + text + u"</p>";
    }
    ASSERT_TRUE(object->storeItems());
    xml::DocumentPtr document = xml::loadXmlText(kItemsSkeleton);
    testing::writeItemsDocument(*document, *xml::selectElement(*document, u"rss"), object->items);
    const std::string saved = folder.read("rssitems.xml");
    EXPECT_EQ(testing::withoutRoom(saved), document->serialize());
    EXPECT_NE(saved.find("</description><content>&lt;p&gt;whole plain&lt;/p&gt;</content><link>"),
              std::string::npos);
    EXPECT_EQ(saved.find("<content></content>"), std::string::npos);

    StoredItems streamed = loadStoredItems(folder.file("rssitems.xml"));
    RSSItemList fromDocument;
    readItemsFromXml(*xml::loadXmlFile(folder.file("rssitems.xml"), true, false), fromDocument);
    ASSERT_EQ(streamed.items.size(), object->items.size());
    ASSERT_EQ(fromDocument.size(), object->items.size());
    for (size_t i = 0; i < object->items.size(); ++i) {
        const std::u16string& expected = object->items[i]->content;
        EXPECT_EQ(streamed.items[i]->content, expected) << i;
        EXPECT_EQ(fromDocument[i]->content, expected) << i;
    }
}

TEST_F(ItemStore, EmptyStoresAndEmptyFieldsHaveTheirExactBytes) {
    auto object = loaded();
    ASSERT_TRUE(object->storeItems());
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    EXPECT_EQ(declaration + "<rss/>", toUtf8(kItemsSkeleton));
    EXPECT_EQ(folder.read("rssitems.xml"), declaration + "<rss version=\"2.0\"><channel/></rss>\n");

    object->items.push_back(std::make_unique<RSSItem>());
    ASSERT_TRUE(object->storeItems());
    EXPECT_EQ(folder.read("rssitems.xml"),
              declaration +
                  "<rss version=\"2.0\"><channel><item><title></title><pubDate></pubDate><description>"
                  "</description><link></link><author></author><guid></guid><corvane_id></corvane_id>"
                  "<corvane_label>0</corvane_label></item></channel></rss>\n<?corvane-room" +
                  std::string(kStoreRoomLeast, ' ') + "?>\n");
}

// What the component would turn into a line feed (carriage returns) or write so that the file
// cannot be read again (control characters, U+FFFE, U+FFFF, lone surrogates).
using namespace std::string_literals;

TEST_F(ItemStore, EveryTextReadsBackAsStoredAndUncarriableCharactersAsReplacements) {
    auto object = loaded();
    object->items.push_back(itemWith(u"cr\r crlf\r\n tab\t lf\n \"q\" & <", true));
    object->items.push_back(itemWith(u"nul\x00 soh\x01 bs\x08 vt\x0B ff\x0C us\x1F nc\xFFFE\xFFFF"s, true));
    object->items.push_back(itemWith(u"lone\xD800 low\xDC00 pair\U0001F600", true));
    ASSERT_TRUE(object->storeItems());

    auto again = loaded();
    EXPECT_EQ(again->itemsState, StoreFileState::Read);
    ASSERT_EQ(again->items.size(), 3u);
    auto expectField = [](const std::u16string& read, std::u16string stored) {
        for (char16_t& c : stored) {
            const bool control = c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
            if (control || c >= 0xFFFE) c = u'\uFFFD';
        }
        for (size_t i = 0; i < stored.size(); ++i) {
            const bool high = stored[i] >= 0xD800 && stored[i] <= 0xDBFF;
            const bool low = stored[i] >= 0xDC00 && stored[i] <= 0xDFFF;
            if (high && i + 1 < stored.size() && stored[i + 1] >= 0xDC00 && stored[i + 1] <= 0xDFFF)
                ++i;
            else if (high || low)
                stored[i] = u'\uFFFD';
        }
        EXPECT_EQ(toUtf8(read), toUtf8(stored));
    };
    for (size_t i = 0; i < 3; ++i) {
        const RSSItem& a = *object->items[i];
        const RSSItem& b = *again->items[i];
        expectField(b.title, a.title);
        expectField(b.description, a.description);
        expectField(b.author, a.author);
        expectField(b.guid, a.guid);
        expectField(b.link, a.link);
        expectField(b.pubDate, a.pubDate);
        EXPECT_EQ(b.id, a.id);
        EXPECT_EQ(b.label, a.label);
        ASSERT_TRUE(b.enclosure);
        expectField(b.enclosure->url, a.enclosure->url);
        EXPECT_EQ(b.enclosure->length, a.enclosure->length);
        EXPECT_EQ(b.enclosure->type, a.enclosure->type);
    }
}

}  // namespace
}  // namespace corvane
