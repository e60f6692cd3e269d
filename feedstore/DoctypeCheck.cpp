#include "feedstore/DoctypeCheck.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "feedstore/XmlEncoding.h"

namespace corvane {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isPredefined(std::string_view name) {
    return name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos";
}

// The name of the reference at `text[at]` ('&'), up to its ';'; empty when there is none.
std::string_view referenceName(std::string_view text, size_t at) {
    const size_t end = text.find_first_of(";&<>\"' \t\r\n", at + 1);
    if (end == std::string_view::npos || text[end] != ';') return {};
    return text.substr(at + 1, end - at - 1);
}

// A character reference that stands for '&': in an entity's text it becomes a reference again
// when the entity is used, so "&#38;a;" nests entities as "&a;" would.
bool isAmpersandReference(std::string_view name) {
    if (name.size() < 2 || name[0] != '#') return false;
    const bool hex = name[1] == 'x';
    std::string_view digits = name.substr(hex ? 2 : 1);
    while (digits.size() > 1 && digits[0] == '0')
        digits.remove_prefix(1);
    return hex ? digits == "26" : digits == "38";
}

// Whether entity text (or a quoted default in a declaration) may refer to what it holds: character
// references other than '&' and the five predefined entities, which cannot nest.
bool referencesOnlyCharacters(std::string_view value) {
    for (size_t i = value.find('&'); i != std::string_view::npos; i = value.find('&', i + 1)) {
        const std::string_view name = referenceName(value, i);
        if (name.empty() || isAmpersandReference(name)) return false;
        if (name[0] != '#' && !isPredefined(name)) return false;
    }
    return value.find('%') == std::string_view::npos;
}

class DoctypeReader {
  public:
    explicit DoctypeReader(std::string_view text) : text_(text) {}

    DoctypeVerdict verdict() {
        DoctypeVerdict verdict;
        verdict.safe = safe() && expansionIsBounded();
        // A document that does not begin with markup may be one whose encoding was misjudged.
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
        const size_t nameStart = position_;
        skipName();
        const std::string_view name = text_.substr(nameStart, position_ - nameStart);
        skipSpace();
        char quote = peek();
        if (quote != '"' && quote != '\'') return false;  // SYSTEM or PUBLIC: an external entity
        size_t end = text_.find(quote, position_ + 1);
        if (end == std::string_view::npos) return false;
        std::string_view value = text_.substr(position_ + 1, end - position_ - 1);
        if (!referencesOnlyCharacters(value)) return false;
        // Names narrowed from a wide encoding may coincide: the longest text stands for them all.
        size_t& size = entitySizes_[name];
        size = std::max(size, value.size());
        position_ = end + 1;
        skipSpace();
        if (peek() != '>') return false;
        ++position_;
        return true;
    }

    // An element, attribute-list or notation declaration, quoted text included. A default value
    // that refers to an entity would be expanded for every element it applies to.
    bool skipDeclaration() {
        for (position_ += 2; !atEnd(); ++position_) {
            char c = peek();
            if (c == '"' || c == '\'') {
                size_t end = text_.find(c, position_ + 1);
                if (end == std::string_view::npos) return false;
                if (!referencesOnlyCharacters(text_.substr(position_ + 1, end - position_ - 1))) return false;
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

    // One pass over what follows the DOCTYPE: the text that references to declared entities add,
    // counted without expanding anything. Comments, CDATA sections and processing instructions
    // expand nothing.
    bool expansionIsBounded() const {
        if (entitySizes_.empty()) return true;
        size_t added = 0;
        for (size_t i = text_.find_first_of("&<", position_); i != std::string_view::npos;
             i = text_.find_first_of("&<", i + 1)) {
            if (text_[i] == '<') {
                const std::string_view rest = text_.substr(i);
                const char* end = rest.starts_with("<!--")        ? "-->"
                                  : rest.starts_with("<![CDATA[") ? "]]>"
                                  : rest.starts_with("<?")        ? "?>"
                                                                  : nullptr;
                if (end) {
                    i = text_.find(end, i);
                    if (i == std::string_view::npos) return true;  // unterminated: the parser refuses it
                }
                continue;
            }
            auto entity = entitySizes_.find(referenceName(text_, i));
            if (entity == entitySizes_.end()) continue;
            added += entity->second;
            if (added > kMaxEntityExpansion) return false;
        }
        return true;
    }

    std::string_view text_;
    size_t position_ = 0;
    int entities_ = 0;
    std::unordered_map<std::string_view, size_t> entitySizes_;
};

}  // namespace

DoctypeVerdict checkDoctype(std::span<const uint8_t> bytes) {
    const MarkupEncoding encoding = detectMarkupEncoding(bytes);
    if (encoding == MarkupEncoding::Unreadable) return {.safe = false, .mayDeclareEntities = true};
    if (std::optional<std::string> text = narrowMarkup(bytes, encoding))
        return DoctypeReader(*text).verdict();
    // Any other encoding is read byte for byte where it lies: a feed may be large, and past the
    // prolog only a document with entities is looked at again.
    return DoctypeReader(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))
        .verdict();
}

bool isDoctypeSafe(std::span<const uint8_t> bytes) {
    return checkDoctype(bytes).safe;
}

}  // namespace corvane
