#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A character format of the rich-text page. Sizes are in points, 0 meaning the page's base size.
struct RichTextFormat {
    static constexpr uint32_t kAutomaticColor = 0xFFFFFFFF;

    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool fixedPitch = false;
    int size = 0;
    uint32_t color = kAutomaticColor;  // 0xRRGGBB

    bool operator==(const RichTextFormat&) const = default;
};

enum class RichTextAlign : uint8_t { Left, Center, Right };

// Distances in twips (1/1440 inch), as the rich-edit control takes them.
struct RichTextParagraph {
    size_t start = 0;
    size_t length = 0;  // without the "\r" that ends every paragraph but the last
    int indent = 0;
    int rightIndent = 0;
    int spaceBefore = 0;
    RichTextAlign align = RichTextAlign::Left;
    // Where the cells of a table row start, from the page's left edge; empty for other paragraphs.
    std::vector<int> tabStops;
};

struct RichTextSpan {
    size_t start = 0;
    size_t length = 0;
    RichTextFormat format;
};

struct RichTextLink {
    size_t start = 0;
    size_t length = 0;
    std::u16string url;  // always a web link
};

// What the rich-text page shows: the text with paragraphs separated by "\r" (as the rich-edit
// control counts them), the character formats covering the whole text in order, the paragraphs,
// and the ranges that are links.
struct RichText {
    std::u16string text;
    std::vector<RichTextSpan> spans;
    std::vector<RichTextParagraph> paragraphs;
    std::vector<RichTextLink> links;

    // The link covering character position `position`, or null.
    const RichTextLink* linkAt(size_t position) const;
    // Tab over the links from the selection [start, end): the first link beginning at or after its
    // end, or with `backwards` the last link ending at or before its start. None past the last (or
    // before the first) link: there the keyboard leaves the page.
    const RichTextLink* linkForTab(size_t start, size_t end, bool backwards) const;
};

// Neighbouring paragraphs of one paragraph format, which the page formats in one call (the control
// lays its text out again after each): paragraphs [first, last) covering `length` characters from
// `start`.
struct ParagraphRun {
    size_t first = 0;
    size_t last = 0;
    size_t start = 0;
    size_t length = 0;
    bool operator==(const ParagraphRun&) const = default;
};
std::vector<ParagraphRun> paragraphRuns(const std::vector<RichTextParagraph>& paragraphs);

// Writes rich text the way an HTML page lays text out: runs of white space become one space,
// none at the start or end of a paragraph, except in preformatted text; blocks end paragraphs,
// and an empty paragraph is never written except by an explicit line break.
class RichTextBuilder {
  public:
    // Paragraph settings that apply to every paragraph ended while they are in force.
    struct Block {
        int indent = 0;
        int rightIndent = 0;
        RichTextAlign align = RichTextAlign::Left;
    };

    void text(std::u16string_view text);
    // Text written exactly, line feeds ending lines, in the current format.
    void preformattedText(std::u16string_view text);
    // Ends the current paragraph if it holds anything; with `spaced`, the next paragraph stands
    // apart from it.
    void endParagraph(bool spaced = false);
    // The next paragraph stands `twips` below what comes before it, or below the top of the page.
    void leaveSpace(int twips);
    // Ends the current line, even an empty one.
    void lineBreak();
    // A tab between two cells of a table row.
    void tab();
    // The cells of the rows between these two line up in columns: each row gets tab stops after
    // the widest cell of each column, its width estimated from its characters. Tables may nest;
    // the outermost one decides.
    void beginTable();
    void endTable();

    RichTextFormat& format() { return formats_.back(); }
    void pushFormat() { formats_.push_back(formats_.back()); }
    void popFormat() {
        if (formats_.size() > 1) formats_.pop_back();
    }
    Block& block() { return blocks_.back(); }
    void pushBlock() { blocks_.push_back(blocks_.back()); }
    void popBlock() {
        if (blocks_.size() > 1) blocks_.pop_back();
    }

    // Text written between these two becomes a link to `url`, which must be a web link.
    void beginLink(std::u16string_view url);
    void endLink();

    RichText finish();

  private:
    void append(std::u16string_view text);
    void append(std::u16string_view text, const RichTextFormat& format);
    // The paragraph from paragraphStart_ to the end of the text, in the current settings.
    void addParagraph();
    void closeParagraph();
    void lineUpCells(size_t firstParagraph);

    RichText page_;
    std::vector<RichTextFormat> formats_{RichTextFormat{}};
    std::vector<Block> blocks_{Block{}};
    size_t paragraphStart_ = 0;
    bool pendingSpace_ = false;
    RichTextFormat pendingSpaceFormat_;
    int spaceNext_ = 0;
    bool linkOpen_ = false;
    size_t linkStart_ = 0;
    std::u16string linkUrl_;
    int tableDepth_ = 0;
    size_t tableFirstParagraph_ = 0;
};

}  // namespace corvane
