#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace corvane {

// UTF-8 XML text written straight into one growing buffer, for files too large to build as a
// document first. Texts and attribute values are escaped so that a parse gives them back unit for
// unit; what XML 1.0 cannot carry at all (most control characters, U+FFFE, U+FFFF, a lone surrogate)
// becomes U+FFFD, so the file always stays readable.
class XmlTextWriter {
  public:
    // `expectedSize` is a guess of the final size in bytes; a good one means no copy while growing.
    explicit XmlTextWriter(size_t expectedSize);

    // Markup of our own, written as is: ASCII only.
    void markup(std::string_view ascii);
    // Element content.
    void text(std::u16string_view text);
    // The value of an attribute written between double quotes.
    void attribute(std::u16string_view value);
    void decimal(int32_t value);

    std::string_view bytes() const { return {data_.get(), size_}; }
    // Forgets what was written and keeps the room, for a writer that hands its bytes on in pieces.
    void clear() { size_ = 0; }

  private:
    template <bool InAttribute>
    void escaped(std::u16string_view text);
    // Room for `count` more bytes; returns where they go.
    char* room(size_t count);

    std::unique_ptr<char[]> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

}  // namespace corvane
