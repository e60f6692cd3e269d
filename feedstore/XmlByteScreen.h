#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace corvane {

// Watches the bytes of an XML file as a streaming reader takes them in, for what the reader the
// Windows build gets under Wine does not read as the document model does: it reads malformed UTF-8,
// undefined entities and a file cut off inside its root without complaint, and turns character
// references to a tab, line feed or carriage return into spaces and those beyond U+FFFF into other
// characters. A file with any of these, or with a DOCTYPE, comment, CDATA section or processing
// instruction (whose "</" would hide a missing end tag), or in another encoding than UTF-8, is
// flagged; the stream's result is then not used. The one instruction let through is the room our
// stores end in ("corvane-room"), whose text is passed over as the readers pass over it. Bytes may
// come in pieces of any size.
class XmlByteScreen {
  public:
    void feed(std::span<const uint8_t> bytes);
    bool flagged() const { return flagged_; }
    // After the last byte: nothing flagged, and no character or reference left open.
    bool clean() const {
        return !flagged_ && pending_ == 0 && !inReference_ && !inDeclaration_ &&
               instruction_ == Instruction::None;
    }
    // How many end tags ("</") the file holds: a reader reporting more made some up.
    size_t endTags() const { return endTags_; }

  private:
    void take(uint8_t byte);
    void markup(uint8_t byte);
    void endReference();
    void endDeclaration();
    void instruction(uint8_t byte);

    enum class Instruction { None, Target, Text };

    bool flagged_ = false;
    // UTF-8 sequence under way: continuation bytes still due, the first one's range, the code point.
    int pending_ = 0;
    uint8_t low_ = 0x80;
    uint8_t high_ = 0xBF;
    char32_t codePoint_ = 0;
    bool afterLess_ = false;
    bool markupSeen_ = false;
    bool inReference_ = false;
    std::string reference_;
    bool inDeclaration_ = false;
    std::string declaration_;
    size_t endTags_ = 0;
    Instruction instruction_ = Instruction::None;
    std::string target_;
    bool afterQuestionMark_ = false;
};

}  // namespace corvane
