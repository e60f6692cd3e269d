#pragma once

#include <string>
#include <string_view>

namespace corvane::cli {

// A JSON string literal (quotes included) in UTF-8; control characters and unpaired surrogates are
// written as \u escapes, so any item text gives valid JSON.
std::string jsonString(std::u16string_view text);

}  // namespace corvane::cli
