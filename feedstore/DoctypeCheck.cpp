#include "feedstore/DoctypeCheck.h"

#include <string>
#include <string_view>

namespace corvane {
namespace {

bool isUtf16(std::span<const uint8_t> bytes, bool& littleEndian) {
    auto at = [&](size_t i) { return i < bytes.size() ? bytes[i] : 0; };
    littleEndian =
        (at(0) == 0xFF && at(1) == 0xFE) || (at(0) == '<' && at(1) == 0 && at(2) == '?' && at(3) == 0);
    const bool bigEndian =
        (at(0) == 0xFE && at(1) == 0xFF) || (at(0) == 0 && at(1) == '<' && at(2) == 0 && at(3) == '?');
    return littleEndian || bigEndian;
}

// UTF-16 narrowed unit by unit (markup is ASCII).
std::string narrowUtf16(std::span<const uint8_t> bytes, bool littleEndian) {
    std::string text;
    text.reserve(bytes.size() / 2);
    const bool hasMark = bytes[0] == 0xFF || bytes[0] == 0xFE;
    for (size_t i = hasMark ? 2 : 0; i + 1 < bytes.size(); i += 2) {
        unsigned unit = littleEndian ? bytes[i] | bytes[i + 1] << 8 : bytes[i] << 8 | bytes[i + 1];
        text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return text;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class DoctypeReader {
  public:
    explicit DoctypeReader(std::string_view text) : text_(text) {}

    DoctypeVerdict verdict() {
        DoctypeVerdict verdict;
        verdict.safe = safe();
        // UCS-4 and EBCDIC documents, which this reader cannot follow, begin otherwise.
        const std::string_view start = text_.substr(text_.starts_with("\xEF\xBB\xBF") ? 3 : 0, 2);
        const bool readable = start.size() == 2 && start[0] == '<' && start[1] != '\0';
        verdict.mayDeclareEntities = !verdict.safe || !readable || entities_ > 0;
        return verdict;
    }

  private:
    bool safe() {
        if (!skipProlog()) return true;  // no DOCTYPE before the root element
        position_ += 9;                  // "<!DOCTYPE"
        skipSpace();
        skipName();
        skipSpace();
        if (startsWith("SYSTEM") || startsWith("PUBLIC")) {
            bool isPublic = startsWith("PUBLIC");
            position_ += 6;
            skipSpace();
            if (!skipQuoted()) return false;
            skipSpace();
            if (isPublic && !skipQuoted()) return false;
            skipSpace();
        }
        if (peek() == '[' && !internalSubsetIsSafe()) return false;
        skipSpace();
        return peek() == '>';
    }

    // Walks the XML declaration, comments, processing instructions and whitespace before the root;
    // true when it stops at a DOCTYPE.
    bool skipProlog() {
        if (startsWith("\xEF\xBB\xBF")) position_ += 3;
        for (;;) {
            skipSpace();
            if (startsWith("<?")) {
                if (!skipPast("?>")) return false;
            } else if (startsWith("<!--")) {
                if (!skipPast("-->")) return false;
            } else {
                return startsWith("<!DOCTYPE");
            }
        }
    }

    bool internalSubsetIsSafe() {
        ++position_;  // '['
        for (;;) {
            skipSpace();
            if (atEnd()) return false;
            if (peek() == ']') {
                ++position_;
                return true;
            }
            if (peek() == '%') return false;  // a parameter entity reference
            if (startsWith("<!--")) {
                if (!skipPast("-->")) return false;
            } else if (startsWith("<?")) {
                if (!skipPast("?>")) return false;
            } else if (startsWith("<!ENTITY")) {
                if (!entityIsSafe()) return false;
            } else if (startsWith("<!")) {
                if (!skipDeclaration()) return false;
            } else {
                return false;
            }
        }
    }

    bool entityIsSafe() {
        ++entities_;
        position_ += 8;  // "<!ENTITY"
        skipSpace();
        if (peek() == '%') return false;  // parameter entities are never needed by a feed
        skipName();
        skipSpace();
        char quote = peek();
        if (quote != '"' && quote != '\'') return false;  // SYSTEM or PUBLIC: an external entity
        size_t end = text_.find(quote, position_ + 1);
        if (end == std::string_view::npos) return false;
        std::string_view value = text_.substr(position_ + 1, end - position_ - 1);
        for (size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '%') return false;
            if (value[i] == '&' && (i + 1 >= value.size() || value[i + 1] != '#')) return false;
        }
        position_ = end + 1;
        skipSpace();
        if (peek() != '>') return false;
        ++position_;
        return true;
    }

    // An element, attribute-list or notation declaration, quoted text included.
    bool skipDeclaration() {
        for (position_ += 2; !atEnd(); ++position_) {
            char c = peek();
            if (c == '"' || c == '\'') {
                size_t end = text_.find(c, position_ + 1);
                if (end == std::string_view::npos) return false;
                position_ = end;
            } else if (c == '>') {
                ++position_;
                return true;
            }
        }
        return false;
    }

    bool skipQuoted() {
        char quote = peek();
        if (quote != '"' && quote != '\'') return false;
        size_t end = text_.find(quote, position_ + 1);
        if (end == std::string_view::npos) return false;
        position_ = end + 1;
        return true;
    }

    bool skipPast(std::string_view marker) {
        size_t end = text_.find(marker, position_);
        if (end == std::string_view::npos) return false;
        position_ = end + marker.size();
        return true;
    }

    void skipName() {
        while (!atEnd() && !isSpace(peek()) && peek() != '[' && peek() != '>' && peek() != '"' &&
               peek() != '\'')
            ++position_;
    }
    void skipSpace() {
        while (!atEnd() && isSpace(peek()))
            ++position_;
    }
    bool startsWith(std::string_view prefix) const {
        return text_.substr(position_, prefix.size()) == prefix;
    }
    bool atEnd() const { return position_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[position_]; }

    std::string_view text_;
    size_t position_ = 0;
    int entities_ = 0;
};

}  // namespace

DoctypeVerdict checkDoctype(std::span<const uint8_t> bytes) {
    bool littleEndian = false;
    if (isUtf16(bytes, littleEndian)) return DoctypeReader(narrowUtf16(bytes, littleEndian)).verdict();
    // Any other encoding is read byte for byte where it lies: a feed may be large, and only what
    // comes before its root element is looked at.
    return DoctypeReader(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))
        .verdict();
}

bool isDoctypeSafe(std::span<const uint8_t> bytes) {
    return checkDoctype(bytes).safe;
}

}  // namespace corvane
