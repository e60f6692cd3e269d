#pragma once

#include <array>
#include <climits>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace corvane {

// One argument of a printf-style format, with its type kept: "%s" takes any text (UTF-16, or
// UTF-8 for narrow strings), so the meaning of a format never depends on the C library, and a
// format that does not match its arguments prints something harmless instead of reading the stack.
class FormatArg {
  public:
    enum class Kind { Signed, Unsigned, Text16, Text8, Pointer };

    template <std::integral T>
    FormatArg(T value) : bits_(static_cast<int>(sizeof(T) * CHAR_BIT)) {
        if constexpr (std::is_signed_v<T>) {
            kind_ = Kind::Signed;
            signed_ = value;
        } else {
            kind_ = Kind::Unsigned;
            unsigned_ = value;
        }
    }
    template <class T>
    requires std::is_enum_v<T> FormatArg(T value)
        : FormatArg(static_cast<std::underlying_type_t<T>>(value)) {}
    FormatArg(const char16_t* text) : kind_(Kind::Text16), isNull_(text == nullptr) {
        if (text) text16_ = text;
    }
    FormatArg(std::u16string_view text) : kind_(Kind::Text16), text16_(text) {}
    FormatArg(const std::u16string& text) : kind_(Kind::Text16), text16_(text) {}
    FormatArg(const char* text) : kind_(Kind::Text8), isNull_(text == nullptr) {
        if (text) text8_ = text;
    }
    FormatArg(std::string_view text) : kind_(Kind::Text8), text8_(text) {}
    FormatArg(const std::string& text) : kind_(Kind::Text8), text8_(text) {}
#if WCHAR_MAX <= 0xFFFF
    // Windows: wchar_t text is UTF-16 already.
    FormatArg(const wchar_t* text) : FormatArg(reinterpret_cast<const char16_t*>(text)) {}
#endif
    FormatArg(const void* pointer) : kind_(Kind::Pointer), pointer_(pointer) {}

    Kind kind() const {
        return kind_;
    }
    int bits() const {
        return bits_;
    }
    bool isNull() const {
        return isNull_;
    }
    int64_t signedValue() const {
        return signed_;
    }
    uint64_t unsignedValue() const {
        return unsigned_;
    }
    std::u16string_view text16() const {
        return text16_;
    }
    std::string_view text8() const {
        return text8_;
    }
    const void* pointer() const {
        return pointer_;
    }

  private:
    Kind kind_;
    int bits_ = 64;
    bool isNull_ = false;
    union {
        int64_t signed_;
        uint64_t unsigned_;
        const void* pointer_ = nullptr;
    };
    std::u16string_view text16_;
    std::string_view text8_;
};

// printf-style formatting of UTF-16 text: flags "-+ #0", width and precision (also "*"),
// the conversions d i u x X s S (what our formats use; a pointer prints as its integer) and "%%". Length
// modifiers are accepted; only "h" and "hh" change a value (they narrow it, as in C). "%n" and unknown
// conversions are copied as written. The result is cut to maxLength code units, never inside a surrogate
// pair.
std::u16string formatWideArgs(std::u16string_view format, std::span<const FormatArg> args,
                              size_t maxLength = std::u16string::npos);

template <class... Args>
std::u16string formatWide(std::u16string_view format, const Args&... args) {
    const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
    return formatWideArgs(format, list);
}

}  // namespace corvane
