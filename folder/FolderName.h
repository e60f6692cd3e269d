#pragma once

#include <string>
#include <string_view>

// Folder names made from feed titles, safe on both builds' file systems.
namespace corvane::folder {

// Names are cut to this many UTF-16 units: with " (NN)" added they stay far below the 255 units of
// a Windows name and the 255 UTF-8 bytes of a Linux one, and leave room in a path of 260.
inline constexpr size_t kMaxFolderNameLength = 80;

// `wanted` as a name that Windows and Linux both accept and keep as given: control characters and
// <>:"/\|?* become '_', runs of white space one space, leading and trailing spaces and trailing dots
// go, the device names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an extension) get '_' after
// them, and the name is cut to kMaxFolderNameLength without splitting a character. Empty when
// nothing usable is left ("", ".", ".."). Making a made name safe again changes nothing.
std::u16string safeFolderName(std::u16string_view wanted);

// The host of an http or https URL ("example.com" of "https://user@Example.com:8080/feed"),
// lower-cased; empty when there is none.
std::u16string urlHost(std::u16string_view url);

// Whether two names would be the same file on Windows: equal but for the case of ASCII letters.
bool sameFolderName(std::u16string_view a, std::u16string_view b);

// `name`, or "name (2)", "name (3)", ... : the first for which `taken` answers false.
template <typename Taken>
std::u16string unusedFolderName(const std::u16string& name, Taken taken) {
    if (!taken(name)) return name;
    for (int n = 2;; ++n) {
        std::u16string candidate = name + u" (";
        for (char c : std::to_string(n))
            candidate += static_cast<char16_t>(c);
        candidate += u")";
        if (!taken(candidate)) return candidate;
    }
}

}  // namespace corvane::folder
