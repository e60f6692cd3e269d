#include "feedstore/ItemId.h"

#include <algorithm>
#include <bit>
#include <span>
#include <string>

#include "feedstore/Base64.h"
#include "feedstore/Md5.h"

namespace corvane {
namespace {

// "%0Nd" of an unsigned 16-bit field: at least `width` digits, never cut. Returns the end.
char16_t* writePadded(char16_t* out, unsigned value, int width) {
    char16_t digits[8];
    int count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = count; i < width; ++i)
        *out++ = u'0';
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

// Feeds the units to the digest as UTF-16LE, without making a copy of the key: ids are computed for
// every item of every update.
void hashUnits(Md5& hash, std::u16string_view units) {
    if constexpr (std::endian::native == std::endian::little) {
        hash.update(std::span(reinterpret_cast<const uint8_t*>(units.data()), units.size() * 2));
    } else {
        uint8_t bytes[128];
        while (!units.empty()) {
            const size_t count = std::min(units.size(), sizeof bytes / 2);
            for (size_t i = 0; i < count; ++i) {
                bytes[2 * i] = static_cast<uint8_t>(units[i] & 0xFF);
                bytes[2 * i + 1] = static_cast<uint8_t>(units[i] >> 8);
            }
            hash.update(std::span(bytes, count * 2));
            units.remove_prefix(count);
        }
    }
}

}  // namespace

std::u16string makeItemId(std::u16string_view guid, const SystemTime* publishedTime,
                          std::u16string_view title, std::u16string_view link) {
    // The stamp: five fields of at least 4, 2, 2, 2 and 2 digits; each of at most 5.
    char16_t stamp[25];
    char16_t* stampEnd = stamp;
    if (publishedTime) {
        stampEnd = writePadded(stampEnd, publishedTime->wYear, 4);
        stampEnd = writePadded(stampEnd, publishedTime->wMonth, 2);
        stampEnd = writePadded(stampEnd, publishedTime->wDay, 2);
        stampEnd = writePadded(stampEnd, publishedTime->wHour, 2);
        stampEnd = writePadded(stampEnd, publishedTime->wMinute, 2);
    }
    const std::u16string_view stampText(stamp, static_cast<size_t>(stampEnd - stamp));
    if (guid.empty() && stampText.empty() && title.empty() && link.empty()) return {};

    Md5 hash;
    hashUnits(hash, guid);
    hashUnits(hash, stampText);
    hashUnits(hash, title);
    hashUnits(hash, link);
    std::string encoded = base64Encode(hash.finish(), false);
    return std::u16string(encoded.begin(), encoded.end());
}

}  // namespace corvane
