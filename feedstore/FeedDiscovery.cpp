// Feed discovery reads only <link> tags, with a tokenizer of its own: the page is no XML, and no
// more of it than its tags' attributes matters.
#include "feedstore/FeedDiscovery.h"

#include <string>
#include <vector>

#include "feedstore/UrlReference.h"
#include "platform/Utf.h"

namespace corvane {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = lower(c);
    return out;
}

std::string trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

// The references an href may hold in a page: the predefined ones and numeric ones below 128.
std::string decodeAttribute(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '&') {
            const size_t end = value.find(';', i);
            if (end != std::string_view::npos && end - i <= 6) {
                const std::string name = lowered(value.substr(i + 1, end - i - 1));
                char decoded = 0;
                if (name == "amp")
                    decoded = '&';
                else if (name == "quot")
                    decoded = '"';
                else if (name == "apos" || name == "#39")
                    decoded = '\'';
                else if (name == "lt")
                    decoded = '<';
                else if (name == "gt")
                    decoded = '>';
                if (decoded) {
                    out += decoded;
                    i = end;
                    continue;
                }
            }
        }
        out += value[i];
    }
    return out;
}

struct Tag {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;  // names lowered, values as written
};

// The tag starting at `at` (just past its "<"); `at` ends past its ">".
Tag readTag(std::string_view page, size_t& at) {
    Tag tag;
    const size_t nameStart = at;
    while (at < page.size() && !isSpace(page[at]) && page[at] != '>' && page[at] != '/')
        ++at;
    tag.name = lowered(page.substr(nameStart, at - nameStart));
    while (at < page.size() && page[at] != '>') {
        if (isSpace(page[at]) || page[at] == '/') {
            ++at;
            continue;
        }
        const size_t start = at;
        while (at < page.size() && !isSpace(page[at]) && page[at] != '=' && page[at] != '>' &&
               page[at] != '/')
            ++at;
        std::string name = lowered(page.substr(start, at - start));
        while (at < page.size() && isSpace(page[at]))
            ++at;
        std::string value;
        if (at < page.size() && page[at] == '=') {
            ++at;
            while (at < page.size() && isSpace(page[at]))
                ++at;
            if (at < page.size() && (page[at] == '"' || page[at] == '\'')) {
                const char quote = page[at++];
                const size_t end = page.find(quote, at);
                // A quote that never closes leaves no tag to speak of.
                if (end == std::string_view::npos) {
                    at = page.size();
                    tag.name.clear();
                    return tag;
                }
                value = page.substr(at, end - at);
                at = end + 1;
            } else {
                const size_t valueStart = at;
                while (at < page.size() && !isSpace(page[at]) && page[at] != '>')
                    ++at;
                value = page.substr(valueStart, at - valueStart);
            }
        }
        tag.attributes.emplace_back(std::move(name), std::move(value));
    }
    if (at < page.size()) ++at;
    return tag;
}

const std::string* attributeOf(const Tag& tag, std::string_view name) {
    for (const auto& [key, value] : tag.attributes)
        if (key == name) return &value;
    return nullptr;
}

bool hasToken(std::string_view list, std::string_view token) {
    size_t at = 0;
    while (at < list.size()) {
        while (at < list.size() && isSpace(list[at]))
            ++at;
        const size_t start = at;
        while (at < list.size() && !isSpace(list[at]))
            ++at;
        if (list.substr(start, at - start) == token) return true;
    }
    return false;
}

}  // namespace

std::optional<std::u16string> discoverFeedLink(std::span<const uint8_t> bytes, std::u16string_view pageUrl) {
    const std::string_view page(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    size_t at = 0;
    while ((at = page.find('<', at)) != std::string_view::npos) {
        ++at;
        if (page.substr(at, 3) == "!--") {
            const size_t end = page.find("-->", at);
            if (end == std::string_view::npos) break;
            at = end + 3;
            continue;
        }
        const Tag tag = readTag(page, at);
        // The head is over: a page's feed links stand before its body.
        if (tag.name == "body") break;
        if (tag.name != "link") continue;
        const std::string* rel = attributeOf(tag, "rel");
        const std::string* type = attributeOf(tag, "type");
        const std::string* href = attributeOf(tag, "href");
        if (!rel || !type || !href || !hasToken(lowered(*rel), "alternate")) continue;
        const std::string mime = lowered(trimmed(*type));
        if (mime != "application/rss+xml" && mime != "application/atom+xml") continue;
        const std::string target = trimmed(decodeAttribute(*href));
        if (target.empty()) continue;
        return resolveUrlReference(pageUrl, fromUtf8(target));
    }
    return std::nullopt;
}

}  // namespace corvane
