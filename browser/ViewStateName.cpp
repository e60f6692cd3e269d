#include "browser/ViewStateName.h"

#include <span>

#include "feedstore/Md5.h"
#include "folder/FolderSystem.h"

namespace corvane::browser {
namespace {

// Characters the file system refuses in a name, besides the control characters.
constexpr std::u16string_view kRefusedInNames = u"<>:\"/\\|?*";
// Enough of the folder's name to recognise it; the digest makes the name unique.
constexpr size_t kReadableLength = 48;

bool isSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

// Windows compares names without regard to case; this covers the scripts a folder name is most
// often written in (Latin, Greek, Cyrillic). Both spellings of another letter keep their own file.
char16_t foldCase(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    return c;
}

std::u16string_view withoutLongPathPrefix(std::u16string_view path, std::u16string& uncStart) {
    auto startsWith = [&](std::u16string_view prefix) {
        if (path.size() < prefix.size()) return false;
        for (size_t i = 0; i < prefix.size(); ++i)
            if (isSeparator(prefix[i]) ? !isSeparator(path[i]) : foldCase(path[i]) != foldCase(prefix[i]))
                return false;
        return true;
    };
    if (startsWith(u"\\\\?\\UNC\\")) {
        uncStart = u"\\\\";
        return path.substr(8);
    }
    if (startsWith(u"\\\\?\\")) return path.substr(4);
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) uncStart = u"\\\\";
    return path;
}

std::u16string hexDigest(std::u16string_view key) {
    std::string bytes;
    bytes.reserve(key.size() * 2);
    for (char16_t c : key) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    Md5Digest digest = md5(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    static constexpr char16_t kHex[] = u"0123456789abcdef";
    std::u16string text;
    for (uint8_t byte : digest) {
        text.push_back(kHex[byte >> 4]);
        text.push_back(kHex[byte & 0x0F]);
    }
    return text;
}

std::u16string readableName(std::u16string_view key) {
    size_t slash = key.find_last_of(u'\\');
    std::u16string_view last = slash == std::u16string_view::npos ? key : key.substr(slash + 1);
    std::u16string name;
    for (char16_t c : last)
        name.push_back(c < 0x20 || kRefusedInNames.find(c) != std::u16string_view::npos ? u'_' : c);
    if (name.size() > kReadableLength) {
        name.resize(kReadableLength);
        // Never end on the first half of a surrogate pair.
        if (name.back() >= 0xD800 && name.back() <= 0xDBFF) name.pop_back();
    }
    // The file system drops trailing dots and blanks.
    while (!name.empty() && (name.back() == u'.' || name.back() == u' '))
        name.pop_back();
    return name;
}

}  // namespace

std::u16string folderKey(std::u16string_view folderPath) {
    std::u16string key;
    std::u16string_view rest = withoutLongPathPrefix(folderPath, key);
    size_t start = key.size();
    for (char16_t c : rest) {
        if (isSeparator(c)) {
            if (key.size() > start && key.back() == u'\\') continue;
            if (key.size() == start && start > 0) continue;
            key.push_back(u'\\');
        } else {
            key.push_back(foldCase(c));
        }
    }
    // A trailing separator names the same folder, except after a drive ("c:\") or alone ("\").
    if (key.size() > start + 1 && key.back() == u'\\' && key[key.size() - 2] != u':') key.pop_back();
    return key;
}

std::u16string viewStateFileName(std::u16string_view folderPath) {
    std::u16string key = folderKey(folderPath);
    std::u16string readable = readableName(key);
    std::u16string name = readable.empty() ? std::u16string() : readable + u"-";
    return name + hexDigest(key) + u".viewstate";
}

std::u16string viewStateFolder(std::u16string_view appData) {
    return folder::joinPath(folder::joinPath(appData, u"Corvane"), u"View state");
}

}  // namespace corvane::browser
