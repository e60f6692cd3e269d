// Any text: no crash, no read outside it, and the output record untouched whenever the result is false.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "feedstore/PubDate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exactly sized heap copy, so the address sanitizer catches a read one unit past the end.
    size_t units = size / 2;
    std::unique_ptr<char16_t[]> text(new char16_t[units]);
    std::memcpy(text.get(), data, units * 2);

    corvane::SystemTime out{0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD, 0xEEEE, 0xFFFF, 0x1111, 0x2222};
    const corvane::SystemTime before = out;
    bool parsed = corvane::parsePubDate(std::u16string_view(text.get(), units), &out);
    if (!parsed && !(out == before)) std::abort();
    if (parsed && out.wMilliseconds != 0) std::abort();
    return 0;
}
