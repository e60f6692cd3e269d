// Any bytes: no crash and no read outside them. An ASCII document gets the same verdict in UTF-16
// and UCS-4 as in its 8-bit form, so the wide readers see the markup the byte reader sees.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "feedstore/DoctypeCheck.h"
#include "feedstore/XmlEncoding.h"

namespace {

std::vector<uint8_t> widened(std::span<const uint8_t> ascii, size_t width) {
    std::vector<uint8_t> out;
    out.reserve((ascii.size() + 1) * width);
    auto put = [&](uint32_t unit) {
        for (size_t b = 0; b < width; ++b)
            out.push_back(static_cast<uint8_t>(unit >> 8 * b));
    };
    put(0xFEFF);
    for (uint8_t c : ascii)
        put(c);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exactly sized heap copy, so the address sanitizer catches a read one byte past the end.
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
    std::copy(data, data + size, bytes.get());
    const std::span<const uint8_t> document(bytes.get(), size);
    const corvane::DoctypeVerdict verdict = corvane::checkDoctype(document);

    const bool ascii = std::all_of(data, data + size, [](uint8_t c) { return c > 0 && c < 0x80; });
    if (!ascii || corvane::detectMarkupEncoding(document) != corvane::MarkupEncoding::Bytes) return 0;
    for (size_t width : {2u, 4u}) {
        const corvane::DoctypeVerdict wide = corvane::checkDoctype(widened(document, width));
        if (wide.safe != verdict.safe || wide.mayDeclareEntities != verdict.mayDeclareEntities) std::abort();
    }
    return 0;
}
