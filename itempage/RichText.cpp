#include "itempage/RichText.h"

#include <algorithm>

namespace corvane {

const RichTextLink* RichText::linkAt(size_t position) const {
    for (const RichTextLink& link : links)
        if (position >= link.start && position < link.start + link.length) return &link;
    return nullptr;
}

namespace {

bool isCollapsedSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

constexpr int kParagraphSpace = 120;  // 6 points

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
    if (page_.text.size() > paragraphStart_) append(u"\t");
}

void RichTextBuilder::closeParagraph() {
    const Block& settings = block();
    page_.paragraphs.push_back({paragraphStart_, page_.text.size() - paragraphStart_, settings.indent,
                                settings.rightIndent, spaceNext_, settings.align});
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
        const Block& settings = block();
        page_.paragraphs.push_back({paragraphStart_, page_.text.size() - paragraphStart_, settings.indent,
                                    settings.rightIndent, spaceNext_, settings.align});
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

}  // namespace corvane
