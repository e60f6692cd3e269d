#include "feedstore/OpmlDocument.h"

#include <exception>

#include "feedstore/DoctypeCheck.h"
#include "feedstore/FeedErrors.h"
#include "feedstore/XmlAccess.h"
#include "feedstore/XmlTextWriter.h"
#include "platform/Trace.h"

namespace corvane::opml {
namespace {

struct Refusal {
    std::u16string reason;
};

std::u16string attribute(xml::Node& element, std::u16string_view name, std::u16string_view otherSpelling) {
    std::optional<std::u16string> value = element.getAttribute(name);
    if (!value) value = element.getAttribute(otherSpelling);
    if (!value) return {};
    // Leading and trailing white space is no part of a name or URL that was typed into a form.
    size_t first = value->find_first_not_of(u" \t\r\n");
    if (first == std::u16string::npos) return {};
    size_t last = value->find_last_not_of(u" \t\r\n");
    return value->substr(first, last - first + 1);
}

void readOutlines(xml::Node& parent, size_t depth, size_t& count, std::vector<Outline>& out) {
    for (const xml::NodePtr& node : xml::selectNodes(parent, u"outline")) {
        if (!node->isElement()) continue;
        if (++count > kMaxOutlines) throw Refusal{u"it holds more than 100,000 outlines"};
        if (depth >= kMaxOutlineDepth) throw Refusal{u"its outlines are nested more than 64 deep"};
        Outline outline;
        outline.title = attribute(*node, u"title", u"Title");
        if (outline.title.empty()) outline.title = attribute(*node, u"text", u"Text");
        // Some writers spell the attribute in lower case.
        outline.xmlUrl = attribute(*node, u"xmlUrl", u"xmlurl");
        outline.htmlUrl = attribute(*node, u"htmlUrl", u"htmlurl");
        outline.type = attribute(*node, u"type", u"Type");
        readOutlines(*node, depth + 1, count, outline.children);
        out.push_back(std::move(outline));
    }
}

void writeOutlines(XmlTextWriter& writer, const std::vector<Outline>& outlines, size_t depth) {
    for (const Outline& outline : outlines) {
        writer.markup(std::string(2 * (depth + 2), ' '));
        writer.markup("<outline text=\"");
        writer.attribute(outline.title);
        writer.markup("\" title=\"");
        writer.attribute(outline.title);
        writer.markup("\"");
        if (outline.isFeed()) {
            writer.markup(" type=\"rss\" xmlUrl=\"");
            writer.attribute(outline.xmlUrl);
            writer.markup("\"");
            if (!outline.htmlUrl.empty()) {
                writer.markup(" htmlUrl=\"");
                writer.attribute(outline.htmlUrl);
                writer.markup("\"");
            }
        }
        if (outline.children.empty()) {
            writer.markup("/>\n");
            continue;
        }
        writer.markup(">\n");
        writeOutlines(writer, outline.children, depth + 1);
        writer.markup(std::string(2 * (depth + 2), ' '));
        writer.markup("</outline>\n");
    }
}

}  // namespace

OpmlReadResult readOpml(std::span<const uint8_t> bytes) {
    OpmlReadResult result;
    if (bytes.size() > kMaxOpmlBytes) {
        result.error = u"the file is larger than 16 MB";
        return result;
    }
    try {
        if (!isDoctypeSafe(bytes)) {
            result.error = u"its DOCTYPE declares entities that could expand without bound";
            return result;
        }
        xml::DocumentPtr document = xml::createDocument();
        if (!xml::loadXmlStream(*document, bytes, u"OPML")) {
            result.error = u"it is not well-formed XML";
            return result;
        }
        xml::NodePtr root = xml::selectElement(*document, u"opml");
        if (!root) {
            result.error = u"it is XML but not OPML (no \"opml\" root element)";
            return result;
        }
        xml::NodePtr body = xml::selectElement(*root, u"body");
        if (!body) {
            result.error = u"it is OPML without a \"body\"";
            return result;
        }
        result.title = xml::nodeText(xml::selectElement(*root, u"head/title").get());
        size_t count = 0;
        readOutlines(*body, 0, count, result.outlines);
        result.ok = true;
    } catch (const Refusal& refusal) {
        result.outlines.clear();
        result.error = refusal.reason;
    } catch (const std::exception& error) {
        traceError(u"Reading an OPML document ended by an error: %s", statusOf(error), error.what());
        result.outlines.clear();
        result.error = u"it could not be read";
    }
    return result;
}

std::string writeOpml(std::u16string_view title, const std::vector<Outline>& outlines) {
    XmlTextWriter writer(4096 + outlines.size() * 200);
    writer.markup(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<opml version=\"2.0\">\n  <head>\n    <title>");
    writer.text(title);
    writer.markup("</title>\n  </head>\n  <body>\n");
    writeOutlines(writer, outlines, 0);
    writer.markup("  </body>\n</opml>\n");
    return std::string(writer.bytes());
}

}  // namespace corvane::opml
