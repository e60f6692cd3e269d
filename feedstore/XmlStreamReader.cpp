#include "feedstore/XmlStreamReader.h"

#include "feedstore/FeedStoreError.h"

namespace corvane::xml {

bool skipElement(StreamReader& reader, std::u16string_view endedInside) {
    if (reader.isEmptyElement()) return true;
    for (int depth = 1; depth > 0;) {
        switch (reader.read()) {
            case StreamNode::Element:
                if (!reader.isEmptyElement()) ++depth;
                break;
            case StreamNode::EndElement:
                --depth;
                break;
            case StreamNode::Unsupported:
                return false;
            case StreamNode::End:
                throw FeedStoreError(kStatusFail, std::u16string(endedInside));
            default:
                break;
        }
    }
    return true;
}

}  // namespace corvane::xml
