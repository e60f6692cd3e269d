#include "itempage/RichText.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane {
namespace {

RichTextParagraph paragraph(size_t start, size_t length, int indent,
                            RichTextAlign align = RichTextAlign::Left, std::vector<int> tabStops = {}) {
    RichTextParagraph p;
    p.start = start;
    p.length = length;
    p.indent = indent;
    p.align = align;
    p.tabStops = std::move(tabStops);
    return p;
}

TEST(ParagraphRuns, NeighboursOfOneFormatGoTogether) {
    struct Case {
        const char* name;
        std::vector<RichTextParagraph> paragraphs;
        std::vector<ParagraphRun> expected;
    };
    const Case cases[] = {
        {"none", {}, {}},
        {"one", {paragraph(0, 5, 0)}, {{0, 1, 0, 5}}},
        // Each paragraph but the last is followed by its "\r": a run covers the ones inside it.
        {"three alike", {paragraph(0, 3, 0), paragraph(4, 2, 0), paragraph(7, 4, 0)}, {{0, 3, 0, 11}}},
        {"indent changes",
         {paragraph(0, 3, 0), paragraph(4, 2, 360), paragraph(7, 4, 360), paragraph(12, 1, 0)},
         {{0, 1, 0, 3}, {1, 3, 4, 7}, {3, 4, 12, 1}}},
        {"alignment changes",
         {paragraph(0, 3, 0), paragraph(4, 2, 0, RichTextAlign::Center)},
         {{0, 1, 0, 3}, {1, 2, 4, 2}}},
        {"table rows with other stops",
         {paragraph(0, 3, 0, RichTextAlign::Left, {1000}), paragraph(4, 3, 0, RichTextAlign::Left, {1000}),
          paragraph(8, 3, 0, RichTextAlign::Left, {1200})},
         {{0, 2, 0, 7}, {2, 3, 8, 3}}},
        // The same format again later is a run of its own: only neighbours join.
        {"alike but apart",
         {paragraph(0, 1, 0), paragraph(2, 1, 720), paragraph(4, 1, 0)},
         {{0, 1, 0, 1}, {1, 2, 2, 1}, {2, 3, 4, 1}}},
        {"empty paragraphs", {paragraph(0, 0, 0), paragraph(1, 0, 0)}, {{0, 2, 0, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(paragraphRuns(c.paragraphs), c.expected);
    }
}

TEST(ParagraphRuns, SpaceBeforeAndRightIndentSeparateRuns) {
    std::vector<RichTextParagraph> paragraphs{paragraph(0, 2, 0), paragraph(3, 2, 0), paragraph(6, 2, 0)};
    paragraphs[1].spaceBefore = 120;
    paragraphs[2].spaceBefore = 120;
    paragraphs[2].rightIndent = 240;
    EXPECT_EQ(paragraphRuns(paragraphs),
              (std::vector<ParagraphRun>{{0, 1, 0, 2}, {1, 2, 3, 2}, {2, 3, 6, 2}}));
}

}  // namespace
}  // namespace corvane
