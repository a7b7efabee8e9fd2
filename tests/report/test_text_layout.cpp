// The layout rules of text objects as plain functions: expansion, line
// breaks, wrapping, positions by alignment, justification.
#include "platform/emf/recording_canvas.h"
#include "report/text_layout.h"

#include <gtest/gtest.h>

#include <limits>

namespace vx::test {
namespace {

// Advances of `n` characters of 6 pixels each.
std::vector<double> sixes(const QString& s) {
    return std::vector<double>(size_t(s.size()), 6.0);
}

TEST(TextLayout, ExpandLineReplacesBracketedExpressions) {
    struct Row {
        const char* line;
        const char* expanded; // each expression shows as <its text>
    };
    const Row rows[] = {
        {"Totale: [SUM(x)]", "Totale: <SUM(x)>"},
        {"[[a]]", "<[a]>"},         // one expression, [a]
        {"[a[b]c] d", "<a[b]c> d"}, // brackets nest
        {"plain", "plain"},
        {"x[", "x["},       // a "[" at the end stays
        {"a[bcd", "a<bc>"}, // unclosed: the rest but the last character
        {"[]", "<>"},       // an empty expression
        {"[a] and [b]", "<a> and <b>"},
        {"", ""},
        {"]x[y]", "]x<y>"},
    };
    const ExpressionValue value = [](const QString& e) { return "<" + e + ">"; };
    for (const Row& row : rows)
        EXPECT_EQ(ExpandLine(row.line, value), QString(row.expanded)) << row.line;
    // Inserted text is not searched again.
    EXPECT_EQ(ExpandLine("[a]", [](const QString&) { return QStringLiteral("[b]"); }), "[b]");
}

TEST(TextLayout, TextsBecomeLinesAtEveryKindOfLineBreak) {
    EXPECT_EQ(TextToLines("a\r\nb\nc\rd"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(TextToLines("a\r\n"), QStringList({"a"})); // no empty last line
    EXPECT_EQ(TextToLines("a\n\nb"), QStringList({"a", "", "b"}));
    EXPECT_EQ(TextToLines(""), QStringList());
    EXPECT_EQ(SplitLineBreaks({"x\r\ny\r\nz", "w", "lone\rcr"}),
              QStringList({"x", "y", "z", "w", "lone\rcr"}));
}

TEST(TextLayout, WrapBreaksAfterBreakCharactersAndKeepsThem) {
    struct Row {
        const char* text;
        int width;
        QStringList lines;
    };
    const Row rows[] = {
        {"hello world foo", 60, {"hello ", "world foo"}},
        {"hello world foo", 48, {"hello ", "world ", "foo"}},
        {"a,b.c-d e", 18, {"a,", "b.", "c-", "d ", "e"}},
        {"a", 1, {"a"}},          // fewer than two characters
        {"short", 30, {"short"}}, // exactly as wide as the box
        {"", 10, {""}},
        // A word wider than the line is cut where the width is reached and
        // goes on over the next lines: no text is lost.
        {"abcdefghij", 24, {"abcd", "efgh", "ij"}},
        {"ab abcdefghij", 24, {"ab ", "abcd", "efgh", "ij"}},
        {"abcdefgh", 0, {"a", "b", "c", "d", "e", "f", "g", "h"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(WrapLine(row.text, row.width, sixes(row.text)), row.lines)
            << row.text << " / " << row.width;
}

TEST(TextLayout, WrapMeasuresWithTheDrawingFont) {
    // Arial 10 points: "hello wo" is 48 pixels, "world foo" 53.
    emf::RecordingCanvas canvas(QSize(100, 100));
    canvas.setFont(FontSpec{});
    ASSERT_EQ(canvas.textWidth("hello wo"), 48);
    const QString text = "hello world foo";
    const std::vector<double> advances = canvas.designAdvances(text);
    EXPECT_EQ(WrapLine(text, 54, advances), QStringList({"hello ", "world foo"}));
    EXPECT_EQ(WrapLine(text, 48, advances), QStringList({"hello ", "world ", "foo"}));
    // Every piece is measured as the canvas measures it.
    const QString longer = QString("Lorem ipsum dolor sit amet, consectetur. ").repeated(20);
    for (const QString& piece : WrapLine(longer, 150, canvas.designAdvances(longer)))
        EXPECT_LT(canvas.textWidth(piece), 150) << piece.toStdString();
}

TEST(TextLayout, ExtentIsLinesTimesStepPlusTwoGaps) {
    EXPECT_EQ(TextExtent(3, 15, 1), 47); // three 10-point lines, GapY 1
    EXPECT_EQ(TextExtent(0, 15, 2), 4);
    EXPECT_EQ(TextExtent(400000, 13336, 1), std::numeric_limits<int32_t>::max());
}

TEST(TextLayout, LinePositionsByAlignment) {
    struct Row {
        int align;
        int x; // horizontal line in an object at 10 of width 100, GapX 2, text 31
        int y; // turned line in an object at 20 of height 80, GapY 1, text 31
    };
    const Row rows[] = {
        {haLeft, 12, 99},
        {haRight, 10 + 100 - 2 - 31 - 1, 20 + 1 + 31},
        {haCenter, 12 + (100 - 4 - 31) / 2, 99 - (80 - 2 - 31) / 2 - 1}, // truncating
        {haJustify, 12, 99}, // a justified line that is not spread: as left
    };
    for (const Row& row : rows) {
        EXPECT_EQ(HorizontalLineX(row.align, 10, 100, 2, 31), row.x) << row.align;
        EXPECT_EQ(TurnedLineY(row.align, 20, 80, 1, 31), row.y) << row.align;
    }
    // Centre offsets truncate toward zero, also when the text is wider.
    EXPECT_EQ(HorizontalLineX(haCenter, 0, 10, 2, 13), 2 + (6 - 13) / 2);
    EXPECT_EQ(HorizontalLineX(haRight, std::numeric_limits<int32_t>::max(), 100, 2, 5),
              std::numeric_limits<int32_t>::max());
}

TEST(TextLayout, VerticalShiftTruncatesTowardZero) {
    EXPECT_EQ(VerticalShift(vaTop, 100, 47), 0);
    EXPECT_EQ(VerticalShift(vaCenter, 100, 47), 26);
    EXPECT_EQ(VerticalShift(vaCenter, 40, 47), -3); // -7 div 2
    EXPECT_EQ(VerticalShift(vaBottom, 100, 47), 53);
}

TEST(TextLayout, JustifiedLineEndsAtTheRoomsEnd) {
    auto width = [](const QString& s) { return int(s.size()) * 6; };
    // "aa bb cc": W 48, two blanks of 6: gaps (12 + 100 - 48) / 2 = 32.
    std::vector<PlacedWord> words = JustifyLine("aa bb cc  ", 10, 1, 100, width);
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0].pos, 10);
    EXPECT_EQ(words[1].pos, 10 + 12 + 32);
    EXPECT_EQ(words[2].pos, 10 + 2 * (12 + 32));
    EXPECT_EQ(words[2].pos + 12, 10 + 100); // the last word ends at the room's end
    // Turned text runs upwards from the start.
    words = JustifyLine("aa bb", 200, -1, 50, width);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[1].pos, 200 - (12 + 6 + 50 - 30));
    // Gaps are doubles, each word at its rounded position (halves to even).
    words = JustifyLine("a b c", 0, 1, 31, width); // gaps (12 + 31 - 30) / 2 = 6.5
    EXPECT_EQ(words[1].pos, 12);                   // 12.5
    EXPECT_EQ(words[2].pos, 25);
    // Two blanks in a row leave an empty word that takes no room.
    words = JustifyLine("a  b", 0, 1, 30, width);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[1].pos, 24);
    EXPECT_FALSE(IsSpreadable("word"));
    EXPECT_FALSE(IsSpreadable(" lead"));
    EXPECT_TRUE(IsSpreadable("two words"));
    // Only trailing blanks: no gaps, the word where a left line would be.
    words = JustifyLine("word  ", 5, 1, 100, width);
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0].pos, 5);
}

TEST(TextLayout, SpansMeasuredOnceMatchWordsMeasuredByTheCanvas) {
    // Unrounded advances (Times 11 points): every word placed from the
    // line's advances lands where measuring it with the canvas puts it.
    emf::RecordingCanvas canvas(QSize(100, 100));
    FontSpec font;
    font.face = "Times New Roman";
    font.height = -15;
    canvas.setFont(font);
    auto width = [&canvas](const QString& s) { return canvas.textWidth(s); };
    const char* lines[] = {"Il testo si allarga, parola dopo parola.", "a  bb   ccc ", " lead word",
                           "mille lire", "unaparola  "};
    for (const char* text : lines) {
        const QString line = text;
        for (int direction : {1, -1}) {
            const std::vector<PlacedWord> words = JustifyLine(line, 40, direction, 333, width);
            const std::vector<PlacedSpan> spans =
                JustifySpans(line, 40, direction, 333, canvas.designAdvances(line));
            ASSERT_EQ(spans.size(), words.size()) << text;
            for (size_t i = 0; i < spans.size(); ++i) {
                EXPECT_EQ(line.mid(spans[i].start, spans[i].length), words[i].text) << text;
                EXPECT_EQ(spans[i].pos, words[i].pos) << text << " " << i;
            }
        }
    }
}

} // namespace
} // namespace vx::test
