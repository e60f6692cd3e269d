#pragma once

// What a stream reader hands out, written down node by node, so that two readers of the same bytes
// can be held to each other.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "feedstore/FeedStoreError.h"
#include "feedstore/XmlStreamReader.h"
#include "platform/Utf.h"

namespace corvane::xml {

inline std::span<const uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

inline std::string fileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

constexpr std::string_view kNamespaces[] = {"",
                                            "http://www.w3.org/2005/Atom",
                                            "http://purl.org/atom/ns#",
                                            "http://purl.org/rss/1.0/",
                                            "http://www.w3.org/1999/02/22-rdf-syntax-ns#",
                                            "http://purl.org/rss/1.0/modules/content/",
                                            "http://purl.org/dc/elements/1.1/",
                                            "http://www.w3.org/1999/xhtml",
                                            "http://search.yahoo.com/mrss/",
                                            "urn:x"};
constexpr std::string_view kPrefixes[] = {"dc", "content", "rdf", "atom", "media", "a", "x", "xml", "p"};
constexpr std::string_view kAttributes[] = {"type", "href",     "rel",       "url", "length", "src",
                                            "mode", "xml:base", "rdf:about", "p:a", "a"};

// Everything a reader tells of each node, one line a node, up to the end or the first error.
inline std::string transcript(StreamReader& reader) {
    std::string out;
    try {
        for (StreamNode node = reader.read(); node != StreamNode::End; node = reader.read()) {
            out += std::to_string(static_cast<int>(node));
            if (node == StreamNode::Text || node == StreamNode::CData) {
                std::u16string value;
                reader.appendValue(value);
                out += " [" + toUtf8(value) + "]";
            }
            if (node == StreamNode::Element) {
                const std::string local = toUtf8(reader.localName());
                out += " " + local + (reader.isEmptyElement() ? " empty" : "");
                for (std::string_view uri : kNamespaces)
                    if (reader.isNamedNs(local, uri)) out += " {" + std::string(uri) + "}";
                if (reader.isNamed(local)) out += " named";
                for (std::string_view prefix : kPrefixes)
                    if (reader.isNamed(std::string(prefix) + ":" + local))
                        out += " " + std::string(prefix) + ":";
                for (const StreamReader::Attribute& attribute : reader.attributes())
                    out += " @" + toUtf8(attribute.localName) + "{" + toUtf8(attribute.namespaceUri) +
                           "}=" + toUtf8(attribute.value);
                for (std::string_view name : kAttributes)
                    if (std::optional<std::u16string> value = reader.attribute(name))
                        out += " " + std::string(name) + "=" + toUtf8(*value);
                if (auto base = reader.attributeNs("base", "http://www.w3.org/XML/1998/namespace"))
                    out += " base=" + toUtf8(*base);
                if (auto about = reader.attributeNs("about", "http://www.w3.org/1999/02/22-rdf-syntax-ns#"))
                    out += " about=" + toUtf8(*about);
            }
            out += "\n";
            // A DOCTYPE, or a document that is not well-formed, is left to the document model.
            // The text reader may stop at a DOCTYPE's internal subset before it hands out the
            // DOCTYPE; the event reader stops at the DOCTYPE itself.
            if (node == StreamNode::Unsupported) return "left to the document model\n";
        }
    } catch (const FeedStoreError&) {
        return "left to the document model\n";
    }
    return out + "end\n";
}

// The test data's documents, feeds and others, the non-UTF-8 ones included.
inline std::vector<std::filesystem::path> corpus() {
    std::vector<std::filesystem::path> files;
    for (const char* folder : {"/feeds", "/xml"})
        for (const auto& entry : std::filesystem::directory_iterator(std::string(CORVANE_TEST_DATA) + folder))
            files.push_back(entry.path());
    return files;
}

}  // namespace corvane::xml
