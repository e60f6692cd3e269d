// corvane.xml: the feed's URL, channel fields, options and the ids of every message ever taken in.
#include <unordered_set>

#include "feedstore/FeedErrors.h"
#include "feedstore/FolderSave.h"
#include "feedstore/PlainXmlReader.h"
#include "feedstore/RSSObject.h"
#include "feedstore/XmlAccess.h"
#include "feedstore/XmlTextWriter.h"
#include "platform/FileReplace.h"
#include "platform/Trace.h"

namespace corvane {

namespace {

void readPlainIdentity(xml::StreamReader& reader, ItemIdentity& identity) {
    if (reader.isEmptyElement()) return;
    // Written in the identity's order, each id is put after the others: constant time.
    const auto take = [&identity](std::u16string_view id) { identity.insert(id); };
    xml::takePlainTextChildren(reader, "id", take);
    for (xml::StreamNode node = reader.read(); node != xml::StreamNode::EndElement; node = reader.read()) {
        if (node == xml::StreamNode::Element) {
            if (reader.isNamed("id"))
                take(xml::plainElementText(reader));
            else
                xml::skipPlainElement(reader);
        }
        xml::takePlainTextChildren(reader, "id", take);
    }
}

// corvane.xml as Corvane writes it, read without building a document: null when the file is left to
// the document read (it is not plain, or its root is not "corvane"), which then decides what it holds.
std::unique_ptr<RSSObject> readPlainSettings(std::u16string_view path) {
    std::unique_ptr<xml::StreamReader> reader = xml::openPlainXmlReader(path);
    if (!reader) return nullptr;
    try {
        xml::StreamNode node = reader->read();
        while (node != xml::StreamNode::Element)
            node = reader->read();
        if (!reader->isNamed("corvane")) return nullptr;
        auto feed = std::make_unique<RSSObject>();
        trace(u"corvaneversion version = %s", reader->attribute("version").value_or(u""));
        struct Field {
            const char* name;
            std::u16string RSSObject::*member;
            bool seen;
        } fields[] = {{"title", &RSSObject::title, false},
                      {"link", &RSSObject::link, false},
                      {"description", &RSSObject::description, false},
                      {"url", &RSSObject::url, false}};
        bool identitySeen = false;
        for (node = reader->isEmptyElement() ? xml::StreamNode::EndElement : reader->read();
             node != xml::StreamNode::EndElement; node = reader->read()) {
            if (node != xml::StreamNode::Element) continue;
            // The first of each name counts, as the document read selects it.
            Field* field = nullptr;
            for (Field& candidate : fields)
                if (!candidate.seen && reader->isNamed(candidate.name)) field = &candidate;
            if (field) {
                field->seen = true;
                (*feed).*field->member = xml::plainElementText(*reader);
            } else if (reader->isNamed("param")) {
                feed->params.push_back(
                    {reader->attribute("name").value_or(u""), reader->attribute("value").value_or(u"")});
                xml::skipPlainElement(*reader);
            } else if (!identitySeen && reader->isNamed("identity")) {
                identitySeen = true;
                readPlainIdentity(*reader, feed->identity);
            } else {
                xml::skipPlainElement(*reader);
            }
        }
        while (reader->read() != xml::StreamNode::End) {
        }
        return feed;
    } catch (const xml::NotPlainXml&) {
    } catch (const std::exception&) {
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<RSSObject> loadRSSObject(std::u16string_view settingsPath, std::u16string_view itemsPath) {
    try {
        std::unique_ptr<RSSObject> feed;
        const FileStamp stamp = stampOf(settingsPath);
        StoreFileState state = probeStoreFile(settingsPath);
        if (state == StoreFileState::NotLoaded) feed = readPlainSettings(settingsPath);
        if (feed) {
            state = StoreFileState::Read;
        } else
            try {
                xml::DocumentPtr document = xml::loadXmlFile(settingsPath, true, false);
                feed = RSSObject::serializeSettingsFromXml(*document);
                if (state == StoreFileState::NotLoaded)
                    state = xml::selectElement(*document, u"corvane") ? StoreFileState::Read
                                                                      : StoreFileState::Unreadable;
            } catch (const std::exception& error) {
                if (dynamic_cast<const std::bad_alloc*>(&error)) throw;
                traceError(u"Error while initializing settings from file", statusOf(error));
                feed = std::make_unique<RSSObject>();
                if (state == StoreFileState::NotLoaded) state = StoreFileState::Unreadable;
            }
        feed->settingsPath = settingsPath;
        feed->itemsPath = itemsPath;
        feed->settingsState = state;
        noteSettingsRead(*feed, stamp);
        return feed;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::unique_ptr<RSSObject> RSSObject::serializeSettingsFromXml(xml::Document& document) {
    auto feed = std::make_unique<RSSObject>();
    xml::NodePtr root = xml::selectElement(document, u"corvane");
    if (!root) {
        traceError(u"Can't RSSObject::serializeSettingsFromXml", kStatusFail);
        return feed;
    }
    trace(u"corvaneversion version = %s", xml::getAttributeText(*root, u"version", u""));
    feed->title = xml::nodeText(xml::selectNode(*root, u"./title").get());
    feed->link = xml::nodeText(xml::selectNode(*root, u"./link").get());
    feed->description = xml::nodeText(xml::selectNode(*root, u"./description").get());
    feed->url = xml::nodeText(xml::selectNode(*root, u"./url").get());
    for (const xml::NodePtr& param : xml::selectNodes(*root, u"param"))
        feed->params.push_back(
            {xml::getAttributeText(*param, u"name", u""), xml::getAttributeText(*param, u"value", u"")});
    if (xml::NodePtr identity = xml::selectNode(*root, u"./identity")) {
        trace(u"found identity node");
        std::vector<xml::NodePtr> ids = xml::selectNodes(*identity, u"id");
        trace(u"found id nodes");
        for (const xml::NodePtr& id : ids)
            feed->identity.insert(xml::nodeText(id.get()));
    }
    return feed;
}

std::unordered_set<std::u16string_view> RSSObject::idsNotYetSeen() const {
    std::unordered_set<std::u16string_view> notYetSeen;
    if (!unstoredIds.empty())
        for (const auto& item : items)
            if (unstoredIds.count(item->id)) notYetSeen.insert(item->id);
    return notYetSeen;
}

std::string settingsFileText(const RSSObject& feed) {
    const std::unordered_set<std::u16string_view> notYetSeen = feed.idsNotYetSeen();
    size_t expected =
        256 + (feed.title.size() + feed.link.size() + feed.description.size() + feed.url.size()) * 3;
    for (const RSSParam& param : feed.params)
        expected += 32 + (param.name.size() + param.value.size()) * 3;
    for (std::u16string_view id : feed.identity)
        expected += 9 + id.size();
    XmlTextWriter out(expected);
    out.markup("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<corvane version=\"1.0\">");
    const std::pair<const char*, const std::u16string*> fields[] = {
        {"title", &feed.title}, {"link", &feed.link}, {"description", &feed.description}, {"url", &feed.url}};
    for (const auto& [name, value] : fields) {
        out.markup("<"), out.markup(name), out.markup(">");
        out.text(*value);
        out.markup("</"), out.markup(name), out.markup(">");
    }
    for (const RSSParam& param : feed.params) {
        out.markup("<param name=\"");
        out.attribute(param.name);
        out.markup("\" value=\"");
        out.attribute(param.value);
        out.markup("\"/>");
    }
    bool anyId = false;
    for (std::u16string_view id : feed.identity) {
        if (notYetSeen.count(id)) continue;
        out.markup(anyId ? "<id>" : "<identity><id>");
        out.text(id);
        out.markup("</id>");
        anyId = true;
    }
    out.markup(anyId ? "</identity></corvane>\n" : "<identity/></corvane>\n");
    return std::string(out.bytes());
}

bool writeSettingsFile(RSSObject& feed) {
    try {
        // Written as text: for a big folder, building the identity as a document cost more than
        // the rest of a daily update.
        const std::string text = settingsFileText(feed);
        if (!prepareToReplace(feed.settingsPath, feed.settingsState)) return false;
        const FileReplaceResult result = replaceFileAtomically(feed.settingsPath, text);
        if (!result) throw FeedStoreError(result.status, result.description);
        feed.settingsState = StoreFileState::Read;
        return true;
    } catch (const std::exception& error) {
        traceError(u"Error while storing settings in file", statusOf(error));
        return false;
    }
}

void RSSObject::serializeSettingsToXml(xml::Document& document, xml::Node& root) const {
    xml::setAttributeText(root, u"version", u"1.0");
    xml::appendTextElement(document, root, u"title", title);
    xml::appendTextElement(document, root, u"link", link);
    xml::appendTextElement(document, root, u"description", description);
    xml::appendTextElement(document, root, u"url", url);
    for (const RSSParam& param : params) {
        xml::NodePtr element = document.createElement(u"param");
        xml::setAttributeText(*element, u"name", param.name);
        xml::setAttributeText(*element, u"value", param.value);
        root.appendChild(element);
    }
    const std::unordered_set<std::u16string_view> notYetSeen = idsNotYetSeen();
    xml::NodePtr identityElement = document.createElement(u"identity");
    for (std::u16string_view id : identity) {
        if (notYetSeen.count(id)) continue;
        xml::NodePtr idElement = document.createElement(u"id");
        idElement->appendChild(document.createTextNode(id));
        identityElement->appendChild(idElement);
    }
    root.appendChild(identityElement);
}

std::u16string RSSObject::getParam(std::u16string_view name, std::u16string_view defaultValue) const {
    for (const RSSParam& param : params)
        if (param.name == name) return param.value;
    return std::u16string(defaultValue);
}

void RSSObject::setParam(std::u16string_view name, std::u16string_view value) {
    bool found = false;
    for (RSSParam& param : params)
        if (param.name == name) param.value = value, found = true;
    if (!found) params.push_back({std::u16string(name), std::u16string(value)});
}

}  // namespace corvane
