#include "feedstore/XmlByteScreen.h"

#include <algorithm>

#include "feedstore/StoreRoom.h"

namespace corvane {
namespace {

constexpr size_t kLongestReference = 12;  // "#x0010FFFF" and its kind
constexpr size_t kLongestDeclaration = 256;

bool isXmlChar(char32_t c) {
    if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

// A reference the reader gives back as the document model does: the five built-in entities and
// character references to characters of the basic plane other than tab, line feed and return.
bool isFaithfulReference(const std::string& name) {
    if (name == "lt" || name == "gt" || name == "amp" || name == "quot" || name == "apos") return true;
    if (name.size() < 2 || name[0] != '#') return false;
    const bool hex = name[1] == 'x';
    const size_t first = hex ? 2 : 1;
    if (first >= name.size()) return false;
    char32_t value = 0;
    for (size_t i = first; i < name.size(); ++i) {
        const char c = name[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return false;
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        if (value > 0x10FFFF) return false;
    }
    return isXmlChar(value) && value > 0x0D && value <= 0xFFFF;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

}  // namespace

void XmlByteScreen::feed(std::span<const uint8_t> bytes) {
    for (uint8_t byte : bytes) {
        if (flagged_) return;
        take(byte);
    }
}

void XmlByteScreen::take(uint8_t byte) {
    if (pending_ > 0) {
        if (byte < low_ || byte > high_) {
            flagged_ = true;
            return;
        }
        low_ = 0x80;
        high_ = 0xBF;
        codePoint_ = (codePoint_ << 6) | (byte & 0x3F);
        if (--pending_ == 0 && !isXmlChar(codePoint_)) flagged_ = true;
        // Only ASCII belongs in a reference, the declaration or an instruction's target.
        if (inReference_ || inDeclaration_ || instruction_ == Instruction::Target) flagged_ = true;
        return;
    }
    if (byte >= 0x80) {
        afterQuestionMark_ = false;
        if (byte >= 0xC2 && byte <= 0xDF) {
            pending_ = 1;
            codePoint_ = byte & 0x1F;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            pending_ = 2;
            codePoint_ = byte & 0x0F;
            if (byte == 0xE0) low_ = 0xA0;
            if (byte == 0xED) high_ = 0x9F;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            pending_ = 3;
            codePoint_ = byte & 0x07;
            if (byte == 0xF0) low_ = 0x90;
            if (byte == 0xF4) high_ = 0x8F;
        } else {
            flagged_ = true;
        }
        return;
    }
    if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') {
        flagged_ = true;  // another encoding, or a character XML does not allow
        return;
    }
    if (inReference_) {
        if (byte == ';') {
            endReference();
        } else if (reference_.size() >= kLongestReference) {
            flagged_ = true;
        } else {
            reference_.push_back(static_cast<char>(byte));
        }
        return;
    }
    if (instruction_ != Instruction::None) {
        instruction(byte);
        return;
    }
    if (inDeclaration_) {
        declaration_.push_back(static_cast<char>(byte));
        if (declaration_.ends_with("?>")) endDeclaration();
        if (declaration_.size() > kLongestDeclaration) flagged_ = true;
        return;
    }
    if (afterLess_) {
        afterLess_ = false;
        markup(byte);
        return;
    }
    if (byte == '<') {
        afterLess_ = true;
    } else if (byte == '&') {
        inReference_ = true;
        reference_.clear();
    }
}

void XmlByteScreen::markup(uint8_t byte) {
    const bool first = !markupSeen_;
    markupSeen_ = true;
    if (byte == '/') {
        ++endTags_;
    } else if (byte == '?' && first) {
        inDeclaration_ = true;  // only the XML declaration may come first, and only there
    } else if (byte == '?') {
        instruction_ = Instruction::Target;
        target_.clear();
    } else if (byte == '!') {
        flagged_ = true;
    }
}

void XmlByteScreen::instruction(uint8_t byte) {
    if (instruction_ == Instruction::Target) {
        const bool space = byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
        if (!space && byte != '?') {
            target_.push_back(static_cast<char>(byte));
            if (target_.size() > kStoreRoomTarget.size()) flagged_ = true;
            return;
        }
        if (target_ != kStoreRoomTarget) {
            flagged_ = true;
            return;
        }
        instruction_ = Instruction::Text;
        afterQuestionMark_ = false;
    }
    // Whatever the text holds (a killed writer's messages included) until "?>" is no markup.
    if (afterQuestionMark_ && byte == '>') instruction_ = Instruction::None;
    afterQuestionMark_ = byte == '?';
}

void XmlByteScreen::endReference() {
    inReference_ = false;
    if (!isFaithfulReference(reference_)) flagged_ = true;
}

void XmlByteScreen::endDeclaration() {
    inDeclaration_ = false;
    // "xml version="1.0" encoding="utf-8"?>": without an encoding the file is UTF-8.
    const std::string_view text(declaration_);
    if (!text.starts_with("xml") || text.size() < 4 ||
        (text[3] != ' ' && text[3] != '\t' && text[3] != '\r' && text[3] != '\n' && text[3] != '?')) {
        flagged_ = true;  // a processing instruction, not the declaration
        return;
    }
    const size_t at = text.find("encoding");
    if (at == std::string_view::npos) return;
    const size_t open = text.find_first_of("\"'", at);
    if (open == std::string_view::npos) {
        flagged_ = true;
        return;
    }
    const size_t close = text.find(text[open], open + 1);
    if (close == std::string_view::npos ||
        !equalsIgnoringCase(text.substr(open + 1, close - open - 1), "utf-8"))
        flagged_ = true;
}

}  // namespace corvane
