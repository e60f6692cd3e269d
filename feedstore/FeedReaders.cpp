// The feed readers. Each walks the document once; an element it does not know is skipped whole,
// and every name is compared by namespace URI, whatever prefix the author chose.
#include "feedstore/FeedReaders.h"

#include <algorithm>
#include <string_view>

#include "feedstore/FeedStoreError.h"
#include "feedstore/HtmlVoidElements.h"
#include "feedstore/PubDate.h"
#include "feedstore/UrlReference.h"
#include "feedstore/XmlSpace.h"
#include "platform/Utf.h"

namespace corvane {
namespace {

using xml::StreamNode;
using xml::StreamReader;

constexpr std::string_view kXmlNs = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kRdfNs = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr std::string_view kRss10Ns = "http://purl.org/rss/1.0/";
constexpr std::string_view kRss090Ns = "http://my.netscape.com/rdf/simple/0.9/";
constexpr std::string_view kContentNs = "http://purl.org/rss/1.0/modules/content/";
constexpr std::string_view kDcNs = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view kAtom10Ns = "http://www.w3.org/2005/Atom";
constexpr std::string_view kAtom03Ns = "http://purl.org/atom/ns#";
constexpr std::string_view kXhtmlNs = "http://www.w3.org/1999/xhtml";

void appendEscaped(std::u16string& out, std::u16string_view text, bool inAttribute) {
    for (char16_t c : text) {
        switch (c) {
            case u'&':
                out += u"&amp;";
                break;
            case u'<':
                out += u"&lt;";
                break;
            case u'>':
                out += u"&gt;";
                break;
            case u'"':
                if (inAttribute) {
                    out += u"&quot;";
                    break;
                }
                [[fallthrough]];
            default:
                out += c;
        }
    }
}

// Plain text as markup that shows it as it is.
std::u16string textAsMarkup(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    appendEscaped(out, text, false);
    return out;
}

// The text a line of markup shows: tags dropped, the predefined and numeric references decoded.
std::u16string markupAsText(std::u16string_view markup) {
    std::u16string out;
    for (size_t i = 0; i < markup.size(); ++i) {
        const char16_t c = markup[i];
        if (c == u'<') {
            const size_t close = markup.find(u'>', i);
            if (close == std::u16string_view::npos) break;
            i = close;
            continue;
        }
        if (c != u'&') {
            out += c;
            continue;
        }
        const size_t semicolon = markup.find(u';', i);
        if (semicolon == std::u16string_view::npos || semicolon - i > 10) {
            out += c;
            continue;
        }
        const std::u16string_view name = markup.substr(i + 1, semicolon - i - 1);
        char32_t decoded = 0;
        if (name == u"amp")
            decoded = u'&';
        else if (name == u"lt")
            decoded = u'<';
        else if (name == u"gt")
            decoded = u'>';
        else if (name == u"quot")
            decoded = u'"';
        else if (name == u"apos")
            decoded = u'\'';
        else if (name == u"nbsp")
            decoded = 0xA0;
        else if (name.size() > 1 && name[0] == u'#') {
            const bool hex = name[1] == u'x' || name[1] == u'X';
            for (char16_t digit : name.substr(hex ? 2 : 1)) {
                int value = -1;
                if (digit >= u'0' && digit <= u'9')
                    value = digit - u'0';
                else if (hex && digit >= u'a' && digit <= u'f')
                    value = digit - u'a' + 10;
                else if (hex && digit >= u'A' && digit <= u'F')
                    value = digit - u'A' + 10;
                if (value < 0 || decoded > 0x10FFFF) {
                    decoded = 0;
                    break;
                }
                decoded = decoded * (hex ? 16 : 10) + static_cast<char32_t>(value);
            }
            if (decoded > 0x10FFFF || (decoded >= 0xD800 && decoded <= 0xDFFF)) decoded = 0;
        }
        if (decoded == 0) {
            out += c;
            continue;
        }
        if (decoded > 0xFFFF) {
            decoded -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (decoded >> 10));
            out += static_cast<char16_t>(0xDC00 + (decoded & 0x3FF));
        } else {
            out += static_cast<char16_t>(decoded);
        }
        i = semicolon;
    }
    trimXmlSpace(out);
    return out;
}

std::u16string decodeBase64Text(std::u16string_view text) {
    std::string bytes;
    uint32_t group = 0;
    int bits = 0;
    for (char16_t c : text) {
        int value;
        if (c >= u'A' && c <= u'Z')
            value = c - u'A';
        else if (c >= u'a' && c <= u'z')
            value = c - u'a' + 26;
        else if (c >= u'0' && c <= u'9')
            value = c - u'0' + 52;
        else if (c == u'+' || c == u'-')
            value = 62;
        else if (c == u'/' || c == u'_')
            value = 63;
        else
            continue;  // padding, line breaks
        group = (group << 6) | static_cast<uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((group >> bits) & 0xFF);
        }
    }
    return fromUtf8(bytes);
}

// How a text construct's content is to be taken.
enum class TextKind { Text, Html, Xhtml, Base64Text, Base64Html };

class FeedStreamReader {
  public:
    FeedStreamReader(StreamReader& reader, std::u16string_view feedUrl,
                     const std::function<bool()>& stopRequested, const FeedItemFilter& keep)
        : reader_(reader), feedUrl_(feedUrl), stopRequested_(stopRequested), keep_(keep) {}

    FeedFormat read(FeedChannel& channel) {
        StreamNode node = reader_.read();
        for (; node != StreamNode::Element; node = reader_.read()) {
            if (node == StreamNode::Unsupported) throw FeedNeedsDocument();
            if (node == StreamNode::End) throw FeedStoreError(kStatusFail, u"The document holds no element");
        }
        const std::u16string base = baseOf(feedUrl_);
        FeedFormat format = FeedFormat::Unknown;
        if (reader_.isNamedNs("rss", "")) {
            format = FeedFormat::Rss;
            readRss(channel, base);
        } else if (reader_.isNamedNs("RDF", kRdfNs)) {
            format = FeedFormat::Rdf;
            readRdf(channel, base);
        } else if (reader_.isNamedNs("feed", kAtom10Ns)) {
            format = FeedFormat::Atom10;
            readAtom(channel, base, kAtom10Ns);
        } else if (reader_.isNamedNs("feed", kAtom03Ns)) {
            format = FeedFormat::Atom03;
            readAtom(channel, base, kAtom03Ns);
        } else {
            return FeedFormat::Unknown;
        }
        // The rest must still be well-formed.
        for (node = reader_.read(); node != StreamNode::End; node = reader_.read())
            if (node == StreamNode::Unsupported) throw FeedNeedsDocument();
        return format;
    }

  private:
    // ---- walking ----

    // The base URI of the element the reader stands on, inside `parent`'s.
    std::u16string baseOf(std::u16string_view parent) {
        std::optional<std::u16string> declared = reader_.attributeNs("base", kXmlNs);
        if (!declared) return std::u16string(parent);
        return resolveUrlReference(parent, *declared);
    }

    // Calls `child` for each child element of the element the reader stands on, which ends past
    // that element's end.
    template <typename Child>
    void children(Child&& child) {
        if (reader_.isEmptyElement()) return;
        for (StreamNode node = reader_.read(); node != StreamNode::EndElement; node = reader_.read()) {
            if (node == StreamNode::Element) child();
            if (node == StreamNode::Unsupported) throw FeedNeedsDocument();
            if (node == StreamNode::End)
                throw FeedStoreError(kStatusFail, u"The document ends inside an element");
        }
    }

    void skip() {
        if (!skipElement(reader_, u"The document ends inside an element")) throw FeedNeedsDocument();
    }

    // Every text and CDATA below the element as the document model's text gives it: runs of
    // whitespace alone between pieces count as one space, and the ends are trimmed, but never into a
    // CDATA section. Titles make ids, so this must not differ from what earlier versions read.
    std::u16string text() {
        std::u16string out;
        if (reader_.isEmptyElement()) return out;
        bool pendingSpace = false;
        bool firstIsCData = false;
        bool lastIsCData = false;
        for (int depth = 1; depth > 0;) {
            const StreamNode node = reader_.read();
            switch (node) {
                case StreamNode::Element:
                    if (!reader_.isEmptyElement()) ++depth;
                    break;
                case StreamNode::EndElement:
                    --depth;
                    break;
                case StreamNode::Text:
                case StreamNode::CData: {
                    // Each piece is decoded straight onto the end of the text, with the space it may
                    // need put before it; a piece of whitespace alone is taken back off.
                    const size_t before = out.size();
                    const bool spaced = pendingSpace && before > 0;
                    if (spaced) out += u' ';
                    const size_t at = out.size();
                    reader_.appendValue(out);
                    const bool cdata = node == StreamNode::CData;
                    if (!cdata &&
                        std::all_of(out.begin() + static_cast<ptrdiff_t>(at), out.end(), isXmlSpace)) {
                        out.resize(before);
                        if (before > 0) pendingSpace = true;
                        break;
                    }
                    if (before == 0) firstIsCData = cdata;
                    pendingSpace = false;
                    lastIsCData = cdata;
                    break;
                }
                case StreamNode::Unsupported:
                    throw FeedNeedsDocument();
                case StreamNode::End:
                    throw FeedStoreError(kStatusFail, u"The document ends inside an element");
                default:
                    break;
            }
        }
        trimXmlSpace(out, !firstIsCData, !lastIsCData);
        // Titles and links stay in memory with every item: no room left over from the decoding.
        if (out.capacity() - out.size() > 64) out.shrink_to_fit();
        return out;
    }

    // The element's text as a URL resolved against its base. The base is read first: the text moves
    // the reader past the element.
    std::u16string resolvedText(std::u16string_view parentBase) {
        const std::u16string base = baseOf(parentBase);
        return resolveUrlReference(base, text());
    }

    // The element's text as markup with its links resolved against the element's base.
    std::u16string markupText(std::u16string_view parentBase) {
        const std::u16string base = baseOf(parentBase);
        std::u16string markup = text();
        resolveMarkupLinksInPlace(markup, base);
        return markup;
    }

    // The content of the element as markup: child elements by their local names with their
    // attributes, text escaped.
    std::u16string innerMarkup() {
        std::u16string out;
        if (reader_.isEmptyElement()) return out;
        std::vector<std::u16string> open;
        while (true) {
            switch (reader_.read()) {
                case StreamNode::Element: {
                    std::u16string name = reader_.localName();
                    out += u'<';
                    out += name;
                    for (const StreamReader::Attribute& attribute : reader_.attributes()) {
                        if (!attribute.namespaceUri.empty()) continue;
                        out += u' ';
                        out += attribute.localName;
                        out += u"=\"";
                        appendEscaped(out, attribute.value, true);
                        out += u'"';
                    }
                    if (reader_.isEmptyElement()) {
                        out += isVoidElement(name) ? u"/>" : u"></" + name + u">";
                    } else {
                        out += u'>';
                        open.push_back(std::move(name));
                    }
                    break;
                }
                case StreamNode::EndElement:
                    if (open.empty()) return out;
                    out += u"</" + open.back() + u">";
                    open.pop_back();
                    break;
                case StreamNode::Text:
                case StreamNode::CData: {
                    std::u16string value;
                    reader_.appendValue(value);
                    appendEscaped(out, value, false);
                    break;
                }
                case StreamNode::Unsupported:
                    throw FeedNeedsDocument();
                case StreamNode::End:
                    throw FeedStoreError(kStatusFail, u"The document ends inside an element");
                default:
                    break;
            }
        }
    }

    // Atom 1.0's xhtml content: the inner markup of its one xhtml div.
    std::u16string xhtmlDivContent() {
        std::u16string out;
        bool found = false;
        children([&] {
            if (!found && reader_.isNamedNs("div", kXhtmlNs)) {
                found = true;
                out = innerMarkup();
            } else {
                skip();
            }
        });
        trimXmlSpace(out);
        return out;
    }

    TextKind textKind(bool atom03) {
        if (!reader_.readAttribute("type", attributeRoom_)) attributeRoom_.clear();
        trimXmlSpace(attributeRoom_);
        const std::u16string_view type = attributeRoom_;
        if (atom03) {
            const std::u16string mode = reader_.attribute("mode").value_or(u"xml");
            const bool html = type == u"text/html" || type == u"html";
            const bool text = type.empty() || type == u"text/plain" || type == u"text";
            if (mode == u"base64") return html ? TextKind::Base64Html : TextKind::Base64Text;
            if (mode == u"escaped") return text ? TextKind::Text : TextKind::Html;
            if (text) return TextKind::Text;
            if (html) return TextKind::Html;
            return TextKind::Xhtml;
        }
        if (type.empty() || type == u"text" || type == u"text/plain") return TextKind::Text;
        if (type == u"html" || type == u"text/html") return TextKind::Html;
        if (type == u"xhtml" || type == u"application/xhtml+xml") return TextKind::Xhtml;
        return TextKind::Text;
    }

    // A text construct as markup for the page, its links resolved against `base`.
    std::u16string constructMarkup(bool atom03, const std::u16string& base) {
        std::u16string markup;
        switch (textKind(atom03)) {
            case TextKind::Text:
                return textAsMarkup(text());
            case TextKind::Html:
                markup = text();
                break;
            case TextKind::Xhtml:
                markup = atom03 ? innerMarkup() : xhtmlDivContent();
                trimXmlSpace(markup);
                break;
            case TextKind::Base64Text:
                return textAsMarkup(decodeBase64Text(text()));
            case TextKind::Base64Html:
                markup = decodeBase64Text(text());
                break;
        }
        resolveMarkupLinksInPlace(markup, base);
        return markup;
    }

    // A text construct as plain text, for titles.
    std::u16string constructText(bool atom03) {
        switch (textKind(atom03)) {
            case TextKind::Text:
                return text();
            case TextKind::Html:
                return markupAsText(text());
            case TextKind::Xhtml:
                return text();
            case TextKind::Base64Text:
                return decodeBase64Text(text());
            case TextKind::Base64Html:
                return markupAsText(decodeBase64Text(text()));
        }
        return {};
    }

    void checkStop() {
        if (stopRequested_ && stopRequested_()) throw FeedReadStopped();
    }

    // ---- items, whatever the format ----

    // Date, id and stored forms once all fields are read. `dateText` is the date as the feed wrote
    // it; `stampFromIso` says whether a date in another form than RFC 822 goes into the id.
    static void finishItem(RSSItem& item, const std::u16string& dateText, bool stampFromIso,
                           const std::u16string& writtenLink) {
        item.pubDate = dateText;
        bool stamp = false;
        if (!dateText.empty()) {
            // An ISO 8601 date is never read as an RFC 822 one (its month would begin with '-'),
            // so it is converted first rather than after a parse that must fail.
            if (std::optional<std::u16string> rfc822 = isoDateToRfc822(dateText, &item.publishedTime)) {
                item.pubDate = std::move(*rfc822);
                item.hasDate = true;
                stamp = stampFromIso;
            } else {
                item.hasDate = parsePubDate(dateText, &item.publishedTime);
                stamp = item.hasDate;
            }
        }
        if (item.hasDate) item.publishedFileTime = systemTimeToFileTime(item.publishedTime);
        // Made from what the feed wrote, as every earlier version did: a link resolved or a date
        // newly understood must not turn a message already received into a new one.
        if (item.id.empty()) {
            std::u16string resolvedLink = std::move(item.link);
            item.link = writtenLink;
            const bool hadDate = item.hasDate;
            item.hasDate = stamp;
            item.makeItemId();
            item.hasDate = hadDate;
            item.link = std::move(resolvedLink);
        }
    }

    // ---- RSS 0.91 to 2.0 ----

    void readRss(FeedChannel& channel, const std::u16string& rootBase) {
        bool firstChannel = true;
        children([&] {
            if (!reader_.isNamedNs("channel", "")) return skip();
            const std::u16string base = baseOf(rootBase);
            const bool takeFields = firstChannel;
            firstChannel = false;
            children([&] {
                if (reader_.isNamedNs("item", "")) {
                    checkStop();
                    if (std::unique_ptr<RSSItem> item = readRssItem(base))
                        channel.items.push_back(std::move(item));
                } else if (takeFields && !channel.title && reader_.isNamedNs("title", "")) {
                    channel.title = text();
                } else if (takeFields && !channel.link && reader_.isNamedNs("link", "")) {
                    channel.link = text();
                } else if (takeFields && !channel.description && reader_.isNamedNs("description", "")) {
                    channel.description = text();
                } else {
                    skip();
                }
            });
        });
    }

    std::unique_ptr<RSSItem> readRssItem(const std::u16string& parentBase) {
        const std::u16string base = baseOf(parentBase);
        auto item = std::make_unique<RSSItem>();
        std::optional<std::u16string> title, link, description, pubDate, guid, author, id, label, content,
            creator, dcDate;
        std::u16string linkBase, descriptionBase, contentBase;
        auto once = [&](std::optional<std::u16string>& field) {
            if (field)
                skip();
            else
                field = text();
        };
        children([&] {
            if (reader_.isNamedNs("title", ""))
                once(title);
            else if (reader_.isNamedNs("link", "")) {
                if (!link) linkBase = baseOf(base);
                once(link);
            } else if (reader_.isNamedNs("description", "")) {
                if (description) return skip();
                descriptionBase = baseOf(base);
                description = text();
            } else if (reader_.isNamedNs("pubDate", ""))
                once(pubDate);
            else if (reader_.isNamedNs("guid", ""))
                once(guid);
            else if (reader_.isNamedNs("author", ""))
                once(author);
            else if (reader_.isNamedNs("corvane_id", ""))
                once(id);
            else if (reader_.isNamedNs("corvane_label", ""))
                once(label);
            else if (reader_.isNamedNs("enclosure", "") && !item->enclosure) {
                item->enclosure = std::make_unique<RSSEnclosure>();
                item->enclosure->url =
                    resolveUrlReference(baseOf(base), reader_.attribute("url").value_or(u""));
                item->enclosure->length = parseDecimal(reader_.attribute("length").value_or(u""));
                item->enclosure->type = reader_.attribute("type").value_or(u"");
                skip();
            } else if (reader_.isNamedNs("encoded", kContentNs)) {
                if (content) return skip();
                contentBase = baseOf(base);
                content = text();
            } else if (reader_.isNamedNs("creator", kDcNs))
                once(creator);
            else if (reader_.isNamedNs("date", kDcNs))
                once(dcDate);
            else
                skip();
        });
        // The fields read are moved, not copied, into the item.
        item->title = std::move(title).value_or(u"");
        const std::u16string writtenLink = std::move(link).value_or(u"");
        item->link = writtenLink.empty() ? writtenLink : resolveUrlReference(linkBase, writtenLink);
        item->guid = std::move(guid).value_or(u"");
        item->author = author ? std::move(*author) : std::move(creator).value_or(u"");
        item->id = std::move(id).value_or(u"");
        if (label) item->label = parseDecimal(*label);
        // A dc:date stands in for a missing pubDate, but as before it makes no part of the id.
        if (pubDate) {
            finishItem(*item, *pubDate, false, writtenLink);
        } else {
            finishItem(*item, u"", false, writtenLink);
            if (dcDate) {
                if (std::optional<std::u16string> rfc822 = isoDateToRfc822(*dcDate, &item->publishedTime)) {
                    item->pubDate = std::move(*rfc822);
                    item->hasDate = true;
                    item->publishedFileTime = systemTimeToFileTime(item->publishedTime);
                }
            }
        }
        // The markup's links are resolved only for an item that is kept: most of an update that
        // brings nothing new is spent on what it leaves out.
        if (keep_ && !keep_(*item)) return nullptr;
        if (description) {
            item->description = std::move(*description);
            resolveMarkupLinksInPlace(item->description, descriptionBase);
        }
        if (content) {
            item->content = std::move(*content);
            resolveMarkupLinksInPlace(item->content, contentBase);
        }
        return item;
    }

    // ---- RSS 1.0 (and 0.90) ----

    bool isRdfNamed(std::string_view name) {
        return reader_.isNamedNs(name, kRss10Ns) || reader_.isNamedNs(name, kRss090Ns);
    }

    void readRdf(FeedChannel& channel, const std::u16string& rootBase) {
        bool firstChannel = true;
        children([&] {
            if (isRdfNamed("item")) {
                checkStop();
                std::unique_ptr<RSSItem> item = readRdfItem(rootBase);
                if (!keep_ || keep_(*item)) channel.items.push_back(std::move(item));
            } else if (isRdfNamed("channel") && firstChannel) {
                firstChannel = false;
                const std::u16string base = baseOf(rootBase);
                children([&] {
                    if (!channel.title && isRdfNamed("title"))
                        channel.title = text();
                    else if (!channel.link && isRdfNamed("link"))
                        channel.link = resolvedText(base);
                    else if (!channel.description && isRdfNamed("description"))
                        channel.description = text();
                    else
                        skip();
                });
            } else {
                skip();
            }
        });
    }

    std::unique_ptr<RSSItem> readRdfItem(const std::u16string& parentBase) {
        const std::u16string base = baseOf(parentBase);
        auto item = std::make_unique<RSSItem>();
        item->guid = reader_.attributeNs("about", kRdfNs).value_or(u"");
        std::optional<std::u16string> title, link, description, date, creator, content;
        std::u16string linkBase;
        children([&] {
            if (!title && isRdfNamed("title"))
                title = text();
            else if (!link && isRdfNamed("link")) {
                linkBase = baseOf(base);
                link = text();
            } else if (!description && isRdfNamed("description"))
                description = markupText(base);
            else if (!date && reader_.isNamedNs("date", kDcNs))
                date = text();
            else if (!creator && reader_.isNamedNs("creator", kDcNs))
                creator = text();
            else if (!content && reader_.isNamedNs("encoded", kContentNs))
                content = markupText(base);
            else
                skip();
        });
        item->title = std::move(title).value_or(u"");
        const std::u16string writtenLink = std::move(link).value_or(u"");
        item->link = writtenLink.empty() ? writtenLink : resolveUrlReference(linkBase, writtenLink);
        item->description = std::move(description).value_or(u"");
        item->author = std::move(creator).value_or(u"");
        item->content = std::move(content).value_or(u"");
        finishItem(*item, date.value_or(u""), true, writtenLink);
        return item;
    }

    // ---- Atom 1.0 and 0.3 ----

    enum class LinkRelation { Alternate, Enclosure, Other };
    struct AtomLink {
        LinkRelation rel = LinkRelation::Alternate;
        std::u16string writtenHref;
        std::u16string href;  // resolved
        std::u16string type;
        int32_t length = 0;
    };

    AtomLink readAtomLink(const std::u16string& parentBase) {
        AtomLink link;
        const std::u16string base = baseOf(parentBase);
        if (reader_.readAttribute("rel", attributeRoom_)) {
            trimXmlSpace(attributeRoom_);
            const std::u16string_view rel = attributeRoom_;
            link.rel = rel.empty() || rel == u"alternate" ? LinkRelation::Alternate
                       : rel == u"enclosure"              ? LinkRelation::Enclosure
                                                          : LinkRelation::Other;
        }
        link.writtenHref = reader_.attribute("href").value_or(u"");
        link.href = resolveUrlReference(base, link.writtenHref);
        // Only an enclosure keeps its type and length.
        if (link.rel == LinkRelation::Enclosure) {
            link.type = reader_.attribute("type").value_or(u"");
            link.length = parseDecimal(reader_.attribute("length").value_or(u""));
        }
        skip();
        return link;
    }

    // "Name (email)", or whichever part there is.
    std::u16string readAtomPerson(std::string_view ns) {
        std::u16string name, email;
        children([&] {
            if (name.empty() && reader_.isNamedNs("name", ns))
                name = text();
            else if (email.empty() && reader_.isNamedNs("email", ns))
                email = text();
            else
                skip();
        });
        if (name.empty()) return email;
        if (email.empty()) return name;
        return name + u" (" + email + u")";
    }

    void readAtom(FeedChannel& channel, const std::u16string& rootBase, std::string_view ns) {
        const bool atom03 = ns == kAtom03Ns;
        std::u16string feedAuthor;
        std::vector<RSSItem*> withoutAuthor;
        children([&] {
            if (reader_.isNamedNs("entry", ns)) {
                checkStop();
                bool hasAuthor = false;
                std::unique_ptr<RSSItem> item = readAtomEntry(rootBase, ns, hasAuthor);
                if (keep_ && !keep_(*item)) return;
                channel.items.push_back(std::move(item));
                if (!hasAuthor) withoutAuthor.push_back(channel.items.back().get());
            } else if (!channel.title && reader_.isNamedNs("title", ns)) {
                channel.title = constructText(atom03);
            } else if (!channel.description && reader_.isNamedNs(atom03 ? "tagline" : "subtitle", ns)) {
                channel.description = constructText(atom03);
            } else if (reader_.isNamedNs("link", ns)) {
                AtomLink link = readAtomLink(rootBase);
                if (!channel.link && link.rel == LinkRelation::Alternate) channel.link = std::move(link.href);
            } else if (feedAuthor.empty() && reader_.isNamedNs("author", ns)) {
                feedAuthor = readAtomPerson(ns);
            } else {
                skip();
            }
        });
        // The feed's author may stand after its entries.
        for (RSSItem* item : withoutAuthor)
            item->author = feedAuthor;
    }

    std::unique_ptr<RSSItem> readAtomEntry(const std::u16string& parentBase, std::string_view ns,
                                           bool& hasAuthor) {
        const bool atom03 = ns == kAtom03Ns;
        const std::u16string base = baseOf(parentBase);
        auto item = std::make_unique<RSSItem>();
        std::optional<std::u16string> title, id, summary, content, published, updated, author, sourceAuthor,
            writtenLink;
        std::u16string contentSource;
        children([&] {
            if (!title && reader_.isNamedNs("title", ns)) {
                title = constructText(atom03);
            } else if (!id && reader_.isNamedNs("id", ns)) {
                id = text();
            } else if (reader_.isNamedNs("link", ns)) {
                AtomLink link = readAtomLink(base);
                if (link.rel == LinkRelation::Alternate && !writtenLink) {
                    writtenLink = std::move(link.writtenHref);
                    item->link = std::move(link.href);
                } else if (link.rel == LinkRelation::Enclosure && !item->enclosure) {
                    item->enclosure = std::make_unique<RSSEnclosure>();
                    item->enclosure->url = std::move(link.href);
                    item->enclosure->length = link.length;
                    item->enclosure->type = std::move(link.type);
                }
            } else if (!summary && reader_.isNamedNs("summary", ns)) {
                summary = constructMarkup(atom03, baseOf(base));
            } else if (!content && reader_.isNamedNs("content", ns)) {
                const std::u16string contentBase = baseOf(base);
                if (std::optional<std::u16string> src = reader_.attribute("src")) {
                    contentSource = resolveUrlReference(contentBase, *src);
                    content = u"<p><a href=\"" + textAsMarkup(contentSource) + u"\">" +
                              textAsMarkup(contentSource) + u"</a></p>";
                    skip();
                } else {
                    content = constructMarkup(atom03, contentBase);
                }
            } else if (!published && reader_.isNamedNs(atom03 ? "issued" : "published", ns)) {
                published = text();
            } else if (!updated && reader_.isNamedNs(atom03 ? "modified" : "updated", ns)) {
                // Only an entry without a published date takes this one.
                if (published) return skip();
                updated = text();
            } else if (!author && reader_.isNamedNs("author", ns)) {
                author = readAtomPerson(ns);
            } else if (!sourceAuthor && !atom03 && reader_.isNamedNs("source", ns)) {
                children([&] {
                    if (!sourceAuthor && reader_.isNamedNs("author", ns))
                        sourceAuthor = readAtomPerson(ns);
                    else
                        skip();
                });
            } else {
                skip();
            }
        });
        item->title = std::move(title).value_or(u"");
        item->guid = std::move(id).value_or(u"");
        item->description = std::move(summary).value_or(u"");
        item->content = std::move(content).value_or(u"");
        // Out-of-line content is where the entry leads when it names no page of its own.
        if (!writtenLink && !contentSource.empty()) item->link = contentSource;
        if (author && !author->empty())
            item->author = std::move(*author);
        else if (sourceAuthor)
            item->author = std::move(*sourceAuthor);
        hasAuthor = !item->author.empty();
        static const std::u16string kNoDate;
        const std::u16string& date = published ? *published : updated ? *updated : kNoDate;
        if (writtenLink) {
            finishItem(*item, date, true, *writtenLink);
        } else {
            const std::u16string written = item->link;  // finishItem sets the link anew
            finishItem(*item, date, true, written);
        }
        return item;
    }

    StreamReader& reader_;
    // Every entry has a link or two and text constructs with a type: their attributes are read into
    // the same room each time (readAtomLink, textKind).
    std::u16string attributeRoom_;
    std::u16string_view feedUrl_;
    const std::function<bool()>& stopRequested_;
    const FeedItemFilter& keep_;
};

}  // namespace

FeedFormat readFeedStream(xml::StreamReader& reader, std::u16string_view feedUrl, FeedChannel& channel,
                          const std::function<bool()>& stopRequested, const FeedItemFilter& keep) {
    FeedChannel read;
    const FeedFormat format = FeedStreamReader(reader, feedUrl, stopRequested, keep).read(read);
    if (format != FeedFormat::Unknown) channel = std::move(read);
    return format;
}

const char16_t* feedFormatName(FeedFormat format) {
    switch (format) {
        case FeedFormat::Rss:
            return u"RSS";
        case FeedFormat::Rdf:
            return u"RSS 1.0";
        case FeedFormat::Atom10:
            return u"Atom 1.0";
        case FeedFormat::Atom03:
            return u"Atom 0.3";
        case FeedFormat::Unknown:
            break;
    }
    return u"unknown";
}

}  // namespace corvane
