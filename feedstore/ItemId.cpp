#include "feedstore/ItemId.h"

#include <string>
#include <vector>

#include "feedstore/Base64.h"
#include "feedstore/Md5.h"

namespace corvane {
namespace {

// "%0Nd" of an unsigned 16-bit field: at least `width` digits, never cut.
void appendPadded(std::u16string& out, unsigned value, int width) {
    char16_t digits[8];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = count; i < width; ++i)
        out += u'0';
    while (count > 0)
        out += digits[--count];
}

}  // namespace

std::u16string makeItemId(std::u16string_view guid, const SystemTime* publishedTime,
                          std::u16string_view title, std::u16string_view link) {
    std::u16string key;
    key.reserve(guid.size() + 12 + title.size() + link.size());
    key += guid;
    if (publishedTime) {
        appendPadded(key, publishedTime->wYear, 4);
        appendPadded(key, publishedTime->wMonth, 2);
        appendPadded(key, publishedTime->wDay, 2);
        appendPadded(key, publishedTime->wHour, 2);
        appendPadded(key, publishedTime->wMinute, 2);
    }
    key += title;
    key += link;
    if (key.empty()) return {};

    std::vector<uint8_t> bytes;
    bytes.reserve(key.size() * 2);
    for (char16_t unit : key) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    std::string encoded = base64Encode(md5(bytes), false);
    return std::u16string(encoded.begin(), encoded.end());
}

}  // namespace corvane
