#include "feedstore/DoctypeCheck.h"

#include <string>
#include <string_view>

namespace corvane {
namespace {

// The document as 8-bit text: UTF-16 is narrowed unit by unit (markup is ASCII), anything else is
// taken byte for byte.
std::string narrowText(std::span<const uint8_t> bytes) {
    auto at = [&](size_t i) { return i < bytes.size() ? bytes[i] : 0; };
    bool littleEndian =
        (at(0) == 0xFF && at(1) == 0xFE) || (at(0) == '<' && at(1) == 0 && at(2) == '?' && at(3) == 0);
    bool bigEndian =
        (at(0) == 0xFE && at(1) == 0xFF) || (at(0) == 0 && at(1) == '<' && at(2) == 0 && at(3) == '?');
    std::string text;
    if (littleEndian || bigEndian) {
        text.reserve(bytes.size() / 2);
        bool hasMark = at(0) == 0xFF || at(0) == 0xFE;
        for (size_t i = hasMark ? 2 : 0; i + 1 < bytes.size(); i += 2) {
            unsigned unit = littleEndian ? bytes[i] | bytes[i + 1] << 8 : bytes[i] << 8 | bytes[i + 1];
            text += unit < 0x80 ? static_cast<char>(unit) : '?';
        }
    } else {
        text.assign(bytes.begin(), bytes.end());
    }
    return text;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class DoctypeReader {
  public:
    explicit DoctypeReader(std::string_view text) : text_(text) {}

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

  private:
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
};

}  // namespace

bool isDoctypeSafe(std::span<const uint8_t> bytes) {
    const std::string text = narrowText(bytes);
    return DoctypeReader(text).safe();
}

}  // namespace corvane
