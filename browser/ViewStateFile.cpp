#include "browser/ViewStateFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/FileReplace.h"
#include "platform/Trace.h"

namespace corvane::browser {
namespace {

// Far more than any view writes; a bigger file is not ours, and is not read into memory.
constexpr std::uintmax_t kLargestState = 64 * 1024;

}  // namespace

std::optional<std::vector<uint8_t>> loadViewState(std::u16string_view path) {
    std::filesystem::path file{std::u16string(path)};
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
    std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > kLargestState) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool saveViewState(std::u16string_view path, const std::vector<uint8_t>& bytes) {
    std::filesystem::path file{std::u16string(path)};
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    FileReplaceResult result = replaceFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!result) traceError(u"view state not written: %s", result.status, result.description);
    return static_cast<bool>(result);
}

}  // namespace corvane::browser
