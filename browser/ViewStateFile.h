#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The bytes of a folder's view state as `corvane view` keeps them between runs.
namespace corvane::browser {

// The file's bytes; none when there is no such file or it cannot be read.
std::optional<std::vector<uint8_t>> loadViewState(std::u16string_view path);

// Writes the bytes in one step (a torn file would restore a damaged layout), making the folders on
// the way as needed. False when it could not be written.
bool saveViewState(std::u16string_view path, const std::vector<uint8_t>& bytes);

}  // namespace corvane::browser
