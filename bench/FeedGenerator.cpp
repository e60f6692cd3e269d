#include "FeedGenerator.h"

#include <stdlib.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "feedstore/FolderSave.h"
#include "feedstore/ItemId.h"
#include "feedstore/PubDate.h"
#include "platform/Utf.h"

namespace corvane::bench {
namespace {

constexpr uint64_t kSeed = 0x436f7276616e6521ull;

// splitmix64: fixed output on every platform, unlike the standard library's distributions.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t below(size_t bound) { return static_cast<size_t>(next() % bound); }
    size_t between(size_t low, size_t high) { return low + below(high - low + 1); }
    bool chance(unsigned percent) { return below(100) < percent; }
    template <class T, size_t N>
    const T& pick(const std::array<T, N>& from) {
        return from[below(N)];
    }

  private:
    uint64_t state_;
};

const std::array<const char*, 160> kWords{
    "the",      "council",   "harbour",  "school",    "market",     "river",      "bridge",   "winter",
    "summer",   "station",   "library",  "festival",  "election",   "budget",     "museum",   "railway",
    "weather",  "storm",     "flood",    "farmers",   "teachers",   "nurses",     "hospital", "club",
    "league",   "season",    "final",    "record",    "crowd",      "mayor",      "minister", "plan",
    "report",   "study",     "survey",   "project",   "company",    "factory",    "workers",  "union",
    "price",    "rent",      "housing",  "street",    "square",     "park",       "garden",   "forest",
    "coast",    "island",    "village",  "town",      "city",       "region",     "north",    "south",
    "east",     "west",      "new",      "old",       "first",      "last",       "second",   "third",
    "opens",    "closes",    "wins",     "loses",     "returns",    "plans",      "asks",     "warns",
    "agrees",   "rejects",   "approves", "delays",    "moves",      "builds",     "repairs",  "sells",
    "buys",     "finds",     "shows",    "expects",   "reports",    "raises",     "cuts",     "adds",
    "after",    "before",    "during",   "despite",   "without",    "against",    "between",  "across",
    "more",     "fewer",     "most",     "many",      "several",    "every",      "some",     "local",
    "national", "public",    "private",  "small",     "large",      "young",      "older",    "early",
    "late",     "quiet",     "busy",     "famous",    "historic",   "modern",     "rural",    "central",
    "year",     "month",     "week",     "night",     "morning",    "evening",    "weekend",  "holiday",
    "water",    "energy",    "traffic",  "bus",       "ferry",      "airport",    "tunnel",   "road",
    "choir",    "orchestra", "theatre",  "film",      "exhibition", "book",       "author",   "painter",
    "students", "children",  "families", "residents", "visitors",   "volunteers", "players",  "fans",
    "and",      "with",      "for",      "from",      "about",      "over",       "under",    "into",
};

// Words a feed in several languages carries: accented Latin, Greek, Cyrillic, Japanese, symbols.
const std::array<const char*, 24> kForeignWords{
    "café",   "Zürich", "Malmö",      "naïve",       "São Paulo", "Łódź",   "résumé",        "façade",
    "Ærø",    "crème",  "Ελλάδα",     "Москва",      "東京",      "Kraków", "Île-de-France", "Gdańsk",
    "Tromsø", "señora", "übermorgen", "€12 million", "café-bar",  "Şile",   "Ørsted",        "Reykjavík",
};

const std::array<const char*, 12> kNames{
    "Ana Lima",    "Zoë Ångström", "Piotr Nowak", "Mei Tanaka", "Olu Adeyemi",    "Jörg Weiß",
    "Inès Moreau", "Sam Carter",   "Ravi Iyer",   "Kirsi Mäki", "Tomás Ó Ruairc", "Lena Berg",
};

const std::array<const char*, 8> kCategories{"Local",    "Politics", "Sport",     "Culture",
                                             "Business", "Weather",  "Transport", "Science"};

struct Zone {
    const char* name;
    int minutes;  // east of UTC
};
const std::array<Zone, 13> kZones{{{"GMT", 0},
                                   {"GMT", 0},
                                   {"UT", 0},
                                   {"Z", 0},
                                   {"EST", -300},
                                   {"EDT", -240},
                                   {"CST", -360},
                                   {"PDT", -420},
                                   {"PST", -480},
                                   {"+0100", 60},
                                   {"+0200", 120},
                                   {"+0530", 330},
                                   {"-0500", -300}}};

const std::array<const char*, 3> kMediaTypes{"audio/mpeg", "video/mp4", "image/jpeg"};

// 2026-11-28 06:00:00 UTC: the newest item; older ones go back from there.
constexpr int64_t kNewestTime = 1795845600;

struct Civil {
    int year;
    unsigned month, day;
};

// The proleptic Gregorian date of a day count from 1970-01-01.
Civil civilFromDays(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shifted = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    const unsigned month = shifted < 10 ? shifted + 3 : shifted - 9;
    const int year = static_cast<int>(yearOfEra + era * 400) + (month <= 2);
    return {year, month, day};
}

std::string twoDigits(int64_t value) {
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string rfc822Date(int64_t utcSeconds, const Zone& zone) {
    static const char* const kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int64_t local = utcSeconds + int64_t{zone.minutes} * 60;
    const int64_t days = local / 86400;
    const int64_t second = local % 86400;
    const Civil date = civilFromDays(days);
    return std::string(kDays[days % 7]) + ", " + twoDigits(date.day) + " " + kMonths[date.month - 1] + " " +
           std::to_string(date.year) + " " + twoDigits(second / 3600) + ":" + twoDigits(second / 60 % 60) +
           ":" + twoDigits(second % 60) + " " + zone.name;
}

std::string rfc3339Date(int64_t utcSeconds, const Zone& zone) {
    const int64_t local = utcSeconds + int64_t{zone.minutes} * 60;
    const int64_t second = local % 86400;
    const Civil date = civilFromDays(local / 86400);
    const int offset = zone.minutes < 0 ? -zone.minutes : zone.minutes;
    return std::to_string(date.year) + "-" + twoDigits(date.month) + "-" + twoDigits(date.day) + "T" +
           twoDigits(second / 3600) + ":" + twoDigits(second / 60 % 60) + ":" + twoDigits(second % 60) +
           (zone.minutes < 0 ? "-" : "+") + twoDigits(offset / 60) + ":" + twoDigits(offset % 60);
}

// The characters libxml2's writer escapes in text; a feed also escapes quotes.
void appendEscaped(std::string& out, std::string_view text, bool quotes) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                if (quotes)
                    out += "&quot;";
                else
                    out += c;
                break;
            default:
                out += c;
        }
    }
}

size_t escapedSize(std::string_view text) {
    size_t size = text.size();
    for (char c : text)
        size += c == '&' ? 4 : (c == '<' || c == '>') ? 3 : 0;
    return size;
}

struct Item {
    std::string title;
    std::string link;
    std::string description;  // HTML, unescaped
    std::string pubDate;
    std::string isoDate;  // the same time in RFC 3339 form
    std::string guid;
    bool permaLink = false;
    std::string author;
    std::string creator;
    std::string category;
    int label = 0;
    bool hasEnclosure = false;
    std::string enclosureUrl;
    uint32_t enclosureLength = 0;
    const char* enclosureType = "";
    std::string id;
};

class ItemSource {
  public:
    Item next() {
        const size_t serial = index_++;
        Random random(kSeed ^ (serial * 0xD6E8FEB86659FD93ull));
        Item item;
        item.title = title(random);
        time_ -= static_cast<int64_t>(random.between(45, 1800));
        const Zone& zone = random.pick(kZones);
        item.pubDate = rfc822Date(time_, zone);
        item.isoDate = rfc3339Date(time_, zone);
        const Civil day = civilFromDays(time_ / 86400);
        item.link = "https://news.example.org/" + std::to_string(day.year) + "/" + twoDigits(day.month) +
                    "/" + twoDigits(day.day) + "/" + slug(item.title) + "-" + std::to_string(serial) +
                    ".html";
        item.permaLink = random.chance(40);
        item.guid = item.permaLink ? item.link : "tag:news.example.org,2026:story-" + std::to_string(serial);
        item.description = description(random);
        if (random.chance(40)) {
            const char* name = random.pick(kNames);
            item.author = "desk" + std::to_string(random.below(20)) + "@news.example.org (" + name + ")";
        }
        if (random.chance(20)) item.creator = random.pick(kNames);
        if (random.chance(50)) item.category = random.pick(kCategories);
        item.label = random.chance(85) ? 0 : static_cast<int>(random.between(1, 5));
        if (random.below(8) == 0) {
            item.hasEnclosure = true;
            item.enclosureType = random.pick(kMediaTypes);
            item.enclosureUrl = "https://media.example.org/2026/story-" + std::to_string(serial) +
                                (item.enclosureType[0] == 'a'   ? ".mp3"
                                 : item.enclosureType[0] == 'v' ? ".mp4"
                                                                : ".jpg");
            item.enclosureLength = static_cast<uint32_t>(random.between(100'000, 50'000'000));
        }
        SystemTime published;
        const bool dated = parsePubDate(fromUtf8(item.pubDate), &published);
        const std::u16string id = makeItemId(fromUtf8(item.guid), dated ? &published : nullptr,
                                             fromUtf8(item.title), fromUtf8(item.link));
        item.id = toUtf8(id);
        return item;
    }

  private:
    static std::string word(Random& random, unsigned foreignPercent) {
        return random.chance(foreignPercent) ? random.pick(kForeignWords) : random.pick(kWords);
    }

    static void capitalize(std::string& text) {
        if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
            text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }

    static std::string title(Random& random) {
        const size_t length = random.between(48, 72);
        const bool foreign = random.chance(35);
        std::string text;
        while (text.size() < length) {
            if (!text.empty()) {
                const size_t joint = random.below(40);
                text += joint == 0 ? " & " : joint == 1 ? ": " : joint == 2 ? " – " : " ";
            }
            text += word(random, foreign ? 15 : 0);
        }
        if (random.chance(5)) text = "“" + text + "”";
        if (random.chance(10)) text += "'s";
        capitalize(text);
        return text;
    }

    static std::string slug(const std::string& title) {
        std::string text;
        int words = 0;
        for (char c : title) {
            if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
                text += c;
            } else if (c >= 'A' && c <= 'Z') {
                text += static_cast<char>(c - 'A' + 'a');
            } else if (c == ' ' && !text.empty() && text.back() != '-') {
                if (++words == 6) break;
                text += '-';
            }
        }
        while (!text.empty() && text.back() == '-')
            text.pop_back();
        return text;
    }

    static std::string sentence(Random& random) {
        const size_t words = random.between(8, 22);
        std::string text;
        for (size_t i = 0; i < words; ++i) {
            if (i > 0) text += random.chance(6) ? ", " : " ";
            std::string next = word(random, 3);
            const size_t markup = random.below(100);
            if (markup < 3)
                text += "<a href=\"https://news.example.org/topic/" + next + "?ref=feed&utm=rss\">" + next +
                        "</a>";
            else if (markup < 6)
                text += "<em>" + next + "</em>";
            else if (markup < 7)
                text += "<strong>" + next + "</strong>";
            else if (markup < 8)
                text += next + " & co";
            else
                text += next;
        }
        capitalize(text);
        return text + ".";
    }

    // Paragraphs of HTML until the escaped text is 1 to 2 KB long.
    static std::string description(Random& random) {
        const size_t target = random.between(1024, 2000);
        std::string html;
        size_t escaped = 0;
        while (escaped < target) {
            std::string paragraph = html.empty() ? "<p>" : "\n<p>";
            const size_t sentences = random.between(2, 5);
            for (size_t i = 0; i < sentences && escaped + escapedSize(paragraph) < target; ++i) {
                if (i) paragraph += ' ';
                paragraph += sentence(random);
            }
            paragraph += "</p>";
            escaped += escapedSize(paragraph);
            html += paragraph;
        }
        return html;
    }

    size_t index_ = 0;
    int64_t time_ = kNewestTime;
};

void appendElement(std::string& out, const char* name, std::string_view text, bool quotes) {
    out += '<';
    out += name;
    out += '>';
    appendEscaped(out, text, quotes);
    out += "</";
    out += name;
    out += '>';
}

}  // namespace

std::string generateStore(size_t itemCount) {
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>";
    out.reserve(itemCount * 2100 + 100);
    ItemSource source;
    for (size_t i = 0; i < itemCount; ++i) {
        const Item item = source.next();
        out += "<item>";
        appendElement(out, "title", item.title, false);
        appendElement(out, "pubDate", item.pubDate, false);
        appendElement(out, "description", item.description, false);
        appendElement(out, "link", item.link, false);
        appendElement(out, "author", item.author, false);
        appendElement(out, "guid", item.guid, false);
        appendElement(out, "corvane_id", item.id, false);
        appendElement(out, "corvane_label", std::to_string(item.label), false);
        if (item.hasEnclosure) {
            out += "<enclosure url=\"";
            appendEscaped(out, item.enclosureUrl, true);
            out += "\" length=\"" + std::to_string(item.enclosureLength) + "\" type=\"" + item.enclosureType +
                   "\"/>";
        }
        out += "</item>";
    }
    // Ended as our writer ends a store: in room for messages to come.
    const uint64_t at = out.size();
    out.append(static_cast<size_t>(storeEndAlignment(at)), ' ');
    out += kStoreEnd;
    out.append(static_cast<size_t>(storeRoomFor(at)), ' ');
    out += kStoreRoomEnd;
    return out;
}

std::string generateFeed(size_t itemCount) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
        "  <channel>\n"
        "    <title>Harbourtown Daily – Nachrichten &amp; news</title>\n"
        "    <link>https://news.example.org/</link>\n"
        "    <description>News from a town that does not exist, generated for measuring Corvane."
        "</description>\n"
        "    <language>en</language>\n"
        "    <lastBuildDate>" +
        rfc822Date(kNewestTime, kZones[0]) + "</lastBuildDate>\n";
    out.reserve(itemCount * 2100 + 1000);
    ItemSource source;
    auto field = [&out](const char* name, std::string_view text) {
        out += "      ";
        appendElement(out, name, text, true);
        out += '\n';
    };
    for (size_t i = 0; i < itemCount; ++i) {
        const Item item = source.next();
        out += "    <item>\n";
        field("title", item.title);
        field("link", item.link);
        field("description", item.description);
        if (!item.author.empty()) field("author", item.author);
        if (!item.creator.empty()) field("dc:creator", item.creator);
        if (!item.category.empty()) field("category", item.category);
        out += item.permaLink ? "      <guid>" : "      <guid isPermaLink=\"false\">";
        appendEscaped(out, item.guid, true);
        out += "</guid>\n";
        field("pubDate", item.pubDate);
        if (item.hasEnclosure) {
            out += "      <enclosure url=\"";
            appendEscaped(out, item.enclosureUrl, true);
            out += "\" length=\"" + std::to_string(item.enclosureLength) + "\" type=\"" + item.enclosureType +
                   "\"/>\n";
        }
        out += "    </item>\n";
    }
    out += "  </channel>\n</rss>\n";
    return out;
}

std::string generateAtomFeed(size_t itemCount) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:lang=\"en\">\n"
        "  <title>Harbourtown Daily – Nachrichten &amp; news</title>\n"
        "  <link rel=\"alternate\" href=\"https://news.example.org/\"/>\n"
        "  <subtitle>News from a town that does not exist, generated for measuring Corvane.</subtitle>\n"
        "  <id>https://news.example.org/</id>\n"
        "  <updated>" +
        rfc3339Date(kNewestTime, kZones[0]) + "</updated>\n";
    out.reserve(itemCount * 2200 + 1000);
    ItemSource source;
    for (size_t i = 0; i < itemCount; ++i) {
        const Item item = source.next();
        out += "  <entry>\n    ";
        appendElement(out, "title", item.title, true);
        out += "\n    <link rel=\"alternate\" type=\"text/html\" href=\"";
        appendEscaped(out, item.link, true);
        out += "\"/>\n    <id>";
        appendEscaped(out, item.guid, true);
        out += "</id>\n    <published>" + item.isoDate + "</published>\n    <updated>" + item.isoDate +
               "</updated>\n";
        const std::string& author = item.author.empty() ? item.creator : item.author;
        if (!author.empty()) {
            out += "    <author><name>";
            appendEscaped(out, author, true);
            out += "</name></author>\n";
        }
        if (!item.category.empty()) {
            out += "    <category term=\"";
            appendEscaped(out, item.category, true);
            out += "\"/>\n";
        }
        out += "    <summary type=\"html\">";
        appendEscaped(out, item.description, true);
        out += "</summary>\n";
        if (item.hasEnclosure) {
            out += "    <link rel=\"enclosure\" href=\"";
            appendEscaped(out, item.enclosureUrl, true);
            out += "\" length=\"" + std::to_string(item.enclosureLength) + "\" type=\"" + item.enclosureType +
                   "\"/>\n";
        }
        out += "  </entry>\n";
    }
    out += "</feed>\n";
    return out;
}

namespace {

class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder under " + pattern);
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace

const std::filesystem::path& scratchFolder() {
    static const ScratchFolder folder;
    return folder.path();
}

std::filesystem::path writeScratchFile(const std::string& name, std::string_view bytes) {
    const std::filesystem::path path = scratchFolder() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
    return path;
}

}  // namespace corvane::bench
