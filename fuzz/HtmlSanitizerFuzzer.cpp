// Any text: the sanitizer's result has the promised shape (known elements and attributes only, no
// event handler, script or script scheme, values quoted, elements closed innermost first) and is
// its own result again. The input is taken as UTF-8, so the dictionary's words arrive as written.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "itempage/HtmlSanitizer.h"
#include "platform/Utf.h"
#include "support/HtmlOutputCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string html =
        corvane::fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::u16string output = corvane::sanitizeHtml(html);
    const std::string fault = corvane::testing::checkSanitizedHtml(output);
    if (!fault.empty()) {
        std::fprintf(stderr, "sanitized output: %s\n%s\n", fault.c_str(), corvane::toUtf8(output).c_str());
        std::abort();
    }
    if (corvane::sanitizeHtml(output) != output) {
        std::fprintf(stderr, "unstable output:\n%s\n", corvane::toUtf8(output).c_str());
        std::abort();
    }
    return 0;
}
