#pragma once

#include <string>
#include <string_view>

namespace corvane {

// An .ini file read and written the way GetPrivateProfileStringW and WritePrivateProfileStringW do it,
// so the library and the command agree on what a file says. On Windows those functions do the work;
// elsewhere our own reader and writer follow them:
// - section and key names are matched without regard to (ASCII) case, after trimming the names asked
//   for; only the first section of a name is searched, and its first key of that name is the one;
// - a value is trimmed of white space, and one pair of matching quotes (' or ") around it is dropped;
// - a file with a UTF-16 byte-order mark is read and written back as UTF-16, any other as 8-bit text
//   taken as UTF-8;
// - a write changes one line or adds lines (CR LF ended); every other line is kept as it was.
// Each call reads the file afresh. An empty section or key name is never found nor written.
class ProfileFile {
  public:
    explicit ProfileFile(std::u16string path) : path_(std::move(path)) {}

    const std::u16string& path() const { return path_; }

    // The value of `key` in `section`; `defaultValue`, less trailing spaces, when the file, the section
    // or the key is missing, the key has no "=", or the file cannot be read.
    std::u16string readString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view defaultValue = {}) const;

    // Sets `key` in `section` to `value`, adding the key, the section or the whole file as needed.
    // False when the file cannot be read or written; the file is then as it was.
    bool writeString(std::u16string_view section, std::u16string_view key, std::u16string_view value) const;

  private:
    std::u16string path_;
};

}  // namespace corvane
