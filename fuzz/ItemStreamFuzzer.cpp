// Any bytes as an item store: whenever the one-pass read answers for a file, it gives the items the
// document read gives, field for field. (A file it refuses or leaves to the document read is read by
// the document read itself.)
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "feedstore/ItemStream.h"
#include "feedstore/RSSObject.h"
#include "feedstore/XmlAccess.h"

namespace {

bool sameItem(const corvane::RSSItem& a, const corvane::RSSItem& b) {
    const bool sameEnclosure =
        (!a.enclosure && !b.enclosure) ||
        (a.enclosure && b.enclosure && a.enclosure->url == b.enclosure->url &&
         a.enclosure->length == b.enclosure->length && a.enclosure->type == b.enclosure->type);
    return a.title == b.title && a.link == b.link && a.description == b.description &&
           a.pubDate == b.pubDate && a.author == b.author && a.guid == b.guid && a.id == b.id &&
           a.label == b.label && a.hasDate == b.hasDate && sameEnclosure;
}

const std::string& scratchFile() {
    static const std::string path = "/tmp/corvane-item-stream-fuzz-" + std::to_string(getpid()) + ".xml";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = scratchFile();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const std::u16string file(path.begin(), path.end());

    corvane::RSSItemList reference;
    try {
        corvane::xml::DocumentPtr document = corvane::xml::loadXmlFile(file, true, false);
        corvane::readItemsFromXml(*document, reference);
    } catch (const std::exception&) {
        reference.clear();
    }

    corvane::RSSItemList streamed;
    try {
        auto reader = corvane::xml::openStreamReader(file);
        if (!reader) std::abort();
        switch (corvane::readItemsFromStream(*reader, streamed)) {
            case corvane::ItemStreamResult::Read:
                break;
            case corvane::ItemStreamResult::NoRss:
                if (!reference.empty() || !streamed.empty()) std::abort();
                return 0;
            case corvane::ItemStreamResult::NeedsDocument:
                if (!streamed.empty()) std::abort();
                return 0;
        }
    } catch (const std::exception&) {
        if (!streamed.empty()) std::abort();
        return 0;
    }
    if (streamed.size() != reference.size()) std::abort();
    for (size_t i = 0; i < streamed.size(); ++i)
        if (!sameItem(*streamed[i], *reference[i])) std::abort();
    return 0;
}
