#include "itempage/RichText.h"

#include <algorithm>

namespace corvane {

const RichTextLink* RichText::linkAt(size_t position) const {
    for (const RichTextLink& link : links)
        if (position >= link.start && position < link.start + link.length) return &link;
    return nullptr;
}

const RichTextLink* RichText::linkForTab(size_t start, size_t end, bool backwards) const {
    const RichTextLink* found = nullptr;
    for (const RichTextLink& link : links) {
        if (backwards ? link.start + link.length <= start && (!found || link.start > found->start)
                      : link.start >= end && (!found || link.start < found->start))
            found = &link;
    }
    return found;
}

namespace {

bool isCollapsedSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

constexpr int kParagraphSpace = 120;  // 6 points
// A table cell's width per character: a little more than the page's average character, so that
// columns rather stand too far apart than run into each other.
constexpr int kCellCharacterWidth = 110;
constexpr int kCellGap = 240;
// A longer cell pushes its row's later cells on rather than the whole column.
constexpr size_t kWidestCell = 40;
// As many as the rich-edit control takes.
constexpr size_t kMaxTabStops = 32;

bool sameParagraphFormat(const RichTextParagraph& a, const RichTextParagraph& b) {
    return a.indent == b.indent && a.rightIndent == b.rightIndent && a.spaceBefore == b.spaceBefore &&
           a.align == b.align && a.tabStops == b.tabStops;
}

}  // namespace

void RichTextBuilder::append(std::u16string_view text) {
    append(text, format());
}

void RichTextBuilder::append(std::u16string_view text, const RichTextFormat& format) {
    if (text.empty()) return;
    const size_t start = page_.text.size();
    page_.text += text;
    if (!page_.spans.empty()) {
        RichTextSpan& last = page_.spans.back();
        if (last.format == format && last.start + last.length == start) {
            last.length += text.size();
            return;
        }
    }
    page_.spans.push_back({start, text.size(), format});
}

void RichTextBuilder::text(std::u16string_view text) {
    std::u16string run;
    for (char16_t c : text) {
        if (isCollapsedSpace(c)) {
            if (!pendingSpace_ && page_.text.size() + run.size() > paragraphStart_) {
                pendingSpace_ = true;
                pendingSpaceFormat_ = format();
            }
            continue;
        }
        if (pendingSpace_) {
            // The space keeps the format of the text it followed, as a browser draws it.
            append(run);
            run.clear();
            append(u" ", pendingSpaceFormat_);
            pendingSpace_ = false;
        }
        run += c;
    }
    append(run);
}

void RichTextBuilder::preformattedText(std::u16string_view text) {
    if (pendingSpace_) append(u" ", pendingSpaceFormat_);
    pendingSpace_ = false;
    size_t lineStart = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\n') continue;
        append(text.substr(lineStart, i - lineStart));
        if (i < text.size()) closeParagraph();
        lineStart = i + 1;
    }
}

void RichTextBuilder::tab() {
    pendingSpace_ = false;
    append(u"\t");
}

void RichTextBuilder::beginTable() {
    endParagraph();
    if (tableDepth_++ == 0) tableFirstParagraph_ = page_.paragraphs.size();
}

void RichTextBuilder::endTable() {
    endParagraph();
    if (tableDepth_ > 0 && --tableDepth_ == 0) lineUpCells(tableFirstParagraph_);
}

void RichTextBuilder::lineUpCells(size_t firstParagraph) {
    // Rows are the paragraphs with more than one cell; a caption or a lone cell decides nothing.
    auto rowText = [&](const RichTextParagraph& paragraph) {
        const std::u16string_view text(page_.text.data() + paragraph.start, paragraph.length);
        return text.find(u'\t') == std::u16string_view::npos ? std::u16string_view() : text;
    };
    std::vector<size_t> widest;  // characters, per column
    for (size_t n = firstParagraph; n < page_.paragraphs.size(); ++n) {
        const std::u16string_view text = rowText(page_.paragraphs[n]);
        if (text.empty()) continue;
        size_t column = 0;
        for (size_t cellStart = 0;; ++column) {
            const size_t cellEnd = std::min(text.find(u'\t', cellStart), text.size());
            if (widest.size() <= column) widest.push_back(0);
            widest[column] = std::max(widest[column], cellEnd - cellStart);
            if (cellEnd == text.size()) break;
            cellStart = cellEnd + 1;
        }
    }
    std::vector<int> stops;
    int position = 0;
    for (size_t column = 0; column + 1 < widest.size() && stops.size() < kMaxTabStops; ++column) {
        position +=
            static_cast<int>(std::min<size_t>(widest[column], kWidestCell)) * kCellCharacterWidth + kCellGap;
        stops.push_back(position);
    }
    if (stops.empty()) return;
    for (size_t n = firstParagraph; n < page_.paragraphs.size(); ++n) {
        RichTextParagraph& row = page_.paragraphs[n];
        if (rowText(row).empty()) continue;
        row.tabStops = stops;
        for (int& stop : row.tabStops)
            stop += row.indent;
    }
}

void RichTextBuilder::addParagraph() {
    const Block& settings = block();
    RichTextParagraph& paragraph = page_.paragraphs.emplace_back();
    paragraph.start = paragraphStart_;
    paragraph.length = page_.text.size() - paragraphStart_;
    paragraph.indent = settings.indent;
    paragraph.rightIndent = settings.rightIndent;
    paragraph.spaceBefore = spaceNext_;
    paragraph.align = settings.align;
}

void RichTextBuilder::closeParagraph() {
    addParagraph();
    spaceNext_ = 0;
    append(u"\r");
    paragraphStart_ = page_.text.size();
}

void RichTextBuilder::endParagraph(bool spaced) {
    pendingSpace_ = false;
    if (page_.text.size() > paragraphStart_) closeParagraph();
    if (spaced && !page_.text.empty()) spaceNext_ = std::max(spaceNext_, kParagraphSpace);
}

void RichTextBuilder::leaveSpace(int twips) {
    spaceNext_ = std::max(spaceNext_, twips);
}

void RichTextBuilder::lineBreak() {
    pendingSpace_ = false;
    closeParagraph();
}

void RichTextBuilder::beginLink(std::u16string_view url) {
    endLink();
    if (pendingSpace_) append(u" ", pendingSpaceFormat_);
    pendingSpace_ = false;
    linkOpen_ = true;
    linkStart_ = page_.text.size();
    linkUrl_ = url;
}

void RichTextBuilder::endLink() {
    if (!linkOpen_) return;
    linkOpen_ = false;
    if (page_.text.size() > linkStart_)
        page_.links.push_back({linkStart_, page_.text.size() - linkStart_, std::move(linkUrl_)});
    linkUrl_.clear();
}

RichText RichTextBuilder::finish() {
    endLink();
    pendingSpace_ = false;
    if (page_.text.size() > paragraphStart_) {
        addParagraph();
        if (tableDepth_ > 0) lineUpCells(tableFirstParagraph_);
    } else if (!page_.text.empty()) {
        // The control ends the last paragraph itself; a mark of ours would add an empty line.
        page_.text.pop_back();
        RichTextSpan& last = page_.spans.back();
        if (--last.length == 0) page_.spans.pop_back();
    }
    RichText page = std::move(page_);
    *this = RichTextBuilder();
    return page;
}

std::vector<ParagraphRun> paragraphRuns(const std::vector<RichTextParagraph>& paragraphs) {
    std::vector<ParagraphRun> runs;
    for (size_t first = 0, last = 0; first < paragraphs.size(); first = last) {
        for (last = first + 1;
             last < paragraphs.size() && sameParagraphFormat(paragraphs[first], paragraphs[last]);)
            ++last;
        const RichTextParagraph& end = paragraphs[last - 1];
        runs.push_back(
            {first, last, paragraphs[first].start, end.start + end.length - paragraphs[first].start});
    }
    return runs;
}

}  // namespace corvane
