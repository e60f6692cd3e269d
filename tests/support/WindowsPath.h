#pragma once
// Windows only: paths the build hands the tests, which name the build folder through Wine's drive Z:.
#include <string>

namespace corvane::testing {

// The path as Windows spells it, with backslashes.
inline std::wstring windowsPath(const char* buildPath) {
    std::string path = buildPath;
    std::wstring wide(path.begin(), path.end());
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    return wide;
}

}  // namespace corvane::testing
