#include "cli/Json.h"

#include "platform/Utf.h"
#include "platform/WideFormat.h"

namespace corvane::cli {

std::string jsonString(std::u16string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        bool high = c >= 0xD800 && c <= 0xDBFF;
        bool low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out += toUtf8(text.substr(i, 2));
            ++i;
        } else if (high || low || c < 0x20) {
            switch (c) {
                case u'\n':
                    out += "\\n";
                    break;
                case u'\r':
                    out += "\\r";
                    break;
                case u'\t':
                    out += "\\t";
                    break;
                default:
                    out += toUtf8(formatWide(u"\\u%04x", static_cast<unsigned>(c)));
            }
        } else if (c == u'"') {
            out += "\\\"";
        } else if (c == u'\\') {
            out += "\\\\";
        } else {
            out += toUtf8(text.substr(i, 1));
        }
    }
    return out + "\"";
}

}  // namespace corvane::cli
