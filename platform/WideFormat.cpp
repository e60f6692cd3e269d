#include "platform/WideFormat.h"

#include <charconv>

#include "platform/Utf.h"

namespace corvane {
namespace {

struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    int width = 0;
    int precision = -1;
    int narrowBits = 0;  // 16 for "h", 8 for "hh", 0 otherwise
    char16_t conversion = 0;
};

void appendAscii(std::u16string& out, std::string_view text) {
    for (char c : text)
        out += static_cast<char16_t>(static_cast<unsigned char>(c));
}

void pad(std::u16string& out, int count, char16_t fill) {
    if (count > 0) out.append(static_cast<size_t>(count), fill);
}

// Lays out sign/prefix, leading zeros and body inside the field width.
void emitField(std::u16string& out, const Spec& spec, std::u16string_view prefix, std::u16string_view body,
               bool zeroPadAllowed) {
    int length = static_cast<int>(prefix.size() + body.size());
    int fill = spec.width - length;
    if (spec.left) {
        out += prefix;
        out += body;
        pad(out, fill, u' ');
    } else if (spec.zero && zeroPadAllowed) {
        out += prefix;
        pad(out, fill, u'0');
        out += body;
    } else {
        pad(out, fill, u' ');
        out += prefix;
        out += body;
    }
}

uint64_t truncateBits(uint64_t value, int bits) {
    return bits >= 64 ? value : value & ((uint64_t{1} << bits) - 1);
}

int64_t signExtend(uint64_t value, int bits) {
    if (bits >= 64) return static_cast<int64_t>(value);
    uint64_t sign = uint64_t{1} << (bits - 1);
    value = truncateBits(value, bits);
    return static_cast<int64_t>((value ^ sign) - sign);
}

// The argument's bits as C would see them after the default promotions and any "h"/"hh".
uint64_t rawBits(const FormatArg& arg, int& bits) {
    switch (arg.kind()) {
        case FormatArg::Kind::Signed:
            bits = arg.bits() < 32 ? 32 : arg.bits();
            return static_cast<uint64_t>(arg.signedValue());
        case FormatArg::Kind::Unsigned:
            bits = arg.bits() < 32 ? 32 : arg.bits();
            return arg.unsignedValue();
        case FormatArg::Kind::Pointer:
            bits = 64;
            return reinterpret_cast<uintptr_t>(arg.pointer());
        default:
            bits = 64;
            return 0;
    }
}

void formatInteger(std::u16string& out, const Spec& spec, const FormatArg& arg) {
    if (arg.kind() == FormatArg::Kind::Text16 || arg.kind() == FormatArg::Kind::Text8) {
        emitField(out, spec, u"", u"(?)", false);
        return;
    }
    int bits = 64;
    uint64_t raw = rawBits(arg, bits);
    if (spec.narrowBits) bits = spec.narrowBits;
    bool isSigned = spec.conversion == u'd' || spec.conversion == u'i';
    bool negative = false;
    uint64_t magnitude;
    if (isSigned) {
        int64_t value = signExtend(raw, bits);
        negative = value < 0;
        magnitude = negative ? uint64_t(0) - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    } else {
        magnitude = truncateBits(raw, bits);
    }
    int base = spec.conversion == u'x' || spec.conversion == u'X' ? 16 : 10;
    char digits[32];
    auto end = std::to_chars(digits, digits + sizeof digits, magnitude, base).ptr;
    std::string body(digits, end);
    if (spec.conversion == u'X')
        for (char& c : body)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (spec.precision == 0 && magnitude == 0) body.clear();
    if (spec.precision > 0 && static_cast<int>(body.size()) < spec.precision)
        body.insert(0, static_cast<size_t>(spec.precision) - body.size(), '0');

    std::u16string prefix;
    if (isSigned) {
        if (negative)
            prefix = u"-";
        else if (spec.plus)
            prefix = u"+";
        else if (spec.space)
            prefix = u" ";
    }
    if (spec.alternate && base == 16 && magnitude != 0) prefix = spec.conversion == u'X' ? u"0X" : u"0x";
    std::u16string wideBody;
    appendAscii(wideBody, body);
    emitField(out, spec, prefix, wideBody, spec.precision < 0);
}

void formatText(std::u16string& out, const Spec& spec, const FormatArg& arg) {
    std::u16string converted;
    std::u16string_view text;
    if (arg.isNull()) {
        text = u"(null)";
    } else if (arg.kind() == FormatArg::Kind::Text16) {
        text = arg.text16();
    } else if (arg.kind() == FormatArg::Kind::Text8) {
        converted = fromUtf8(arg.text8());
        text = converted;
    } else {
        text = u"(?)";
    }
    if (spec.precision >= 0 && text.size() > static_cast<size_t>(spec.precision))
        text = text.substr(0, static_cast<size_t>(spec.precision));
    emitField(out, spec, u"", text, false);
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int readNumber(std::u16string_view format, size_t& i) {
    int value = 0;
    while (i < format.size() && isDigit(format[i])) {
        if (value < 100000) value = value * 10 + (format[i] - u'0');
        ++i;
    }
    return value;
}

int intArgument(const FormatArg& arg) {
    int bits = 64;
    int64_t value = signExtend(rawBits(arg, bits), bits);
    if (value > 100000) return 100000;
    if (value < -100000) return -100000;
    return static_cast<int>(value);
}

// Parses the conversion at format[i] (just after '%'). Returns false when it is not one we
// print, leaving i at the character where parsing stopped.
bool parseSpec(std::u16string_view format, size_t& i, std::span<const FormatArg> args, size_t& nextArg,
               Spec& spec) {
    for (; i < format.size(); ++i) {
        char16_t c = format[i];
        if (c == u'-')
            spec.left = true;
        else if (c == u'+')
            spec.plus = true;
        else if (c == u' ')
            spec.space = true;
        else if (c == u'#')
            spec.alternate = true;
        else if (c == u'0')
            spec.zero = true;
        else
            break;
    }
    if (i < format.size() && format[i] == u'*') {
        ++i;
        if (nextArg >= args.size()) return false;
        spec.width = intArgument(args[nextArg++]);
        if (spec.width < 0) spec.left = true, spec.width = -spec.width;
    } else {
        spec.width = readNumber(format, i);
    }
    if (i < format.size() && format[i] == u'.') {
        ++i;
        if (i < format.size() && format[i] == u'*') {
            ++i;
            if (nextArg >= args.size()) return false;
            spec.precision = intArgument(args[nextArg++]);
            if (spec.precision < 0) spec.precision = -1;
        } else {
            spec.precision = readNumber(format, i);
        }
    }
    // Length modifiers, C99 and Microsoft spellings.
    while (i < format.size()) {
        char16_t c = format[i];
        if (c == u'h') {
            spec.narrowBits = spec.narrowBits == 16 ? 8 : 16;
            ++i;
        } else if (c == u'l' || c == u'L' || c == u'q' || c == u'j' || c == u'z' || c == u't' || c == u'w') {
            ++i;
        } else if (c == u'I') {
            ++i;
            if (format.substr(i, 2) == u"64" || format.substr(i, 2) == u"32") i += 2;
        } else {
            break;
        }
    }
    if (i >= format.size()) return false;
    spec.conversion = format[i];
    switch (spec.conversion) {
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
        case u's':
        case u'S':
            ++i;
            return true;
        default:
            return false;
    }
}

}  // namespace

std::u16string formatWideArgs(std::u16string_view format, std::span<const FormatArg> args, size_t maxLength) {
    std::u16string out;
    size_t nextArg = 0;
    size_t i = 0;
    while (i < format.size() && out.size() < maxLength) {
        char16_t c = format[i];
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == u'%') {
            out += u'%';
            i += 2;
            continue;
        }
        size_t start = i++;
        Spec spec;
        bool parsed = parseSpec(format, i, args, nextArg, spec);
        if (!parsed && i < format.size()) ++i;
        if (!parsed || nextArg >= args.size()) {
            // Not a conversion we print, or no argument for it: keep the text as written.
            out += format.substr(start, i - start);
            continue;
        }
        const FormatArg& arg = args[nextArg++];
        switch (spec.conversion) {
            case u's':
            case u'S':
                formatText(out, spec, arg);
                break;
            default:
                formatInteger(out, spec, arg);
                break;
        }
    }
    if (out.size() > maxLength) {
        size_t cut = maxLength;
        if (cut > 0 && out[cut - 1] >= 0xD800 && out[cut - 1] <= 0xDBFF) --cut;
        out.resize(cut);
    }
    return out;
}

}  // namespace corvane
