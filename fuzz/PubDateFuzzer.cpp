// Any text: no crash, no read outside it, and the output record untouched whenever the result is false.
// The input is taken as UTF-8, so the dictionary's words reach the parser as they are written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "feedstore/PubDate.h"
#include "platform/Utf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string decoded = corvane::fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    // An exactly sized heap copy, so the address sanitizer catches a read one unit past the end.
    std::unique_ptr<char16_t[]> text(new char16_t[decoded.size()]);
    std::copy(decoded.begin(), decoded.end(), text.get());

    corvane::SystemTime out{0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD, 0xEEEE, 0xFFFF, 0x1111, 0x2222};
    const corvane::SystemTime before = out;
    bool parsed = corvane::parsePubDate(std::u16string_view(text.get(), decoded.size()), &out);
    if (!parsed && !(out == before)) std::abort();
    if (parsed && out.wMilliseconds != 0) std::abort();
    return 0;
}
