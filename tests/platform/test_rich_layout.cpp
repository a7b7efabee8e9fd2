// The rich-text document model (replacing a selection), its layout into
// lines and the drawing of lines as metafile text records with their fonts.
#include "platform/emf/emf_player.h"
#include "platform/emf/recording_canvas.h"
#include "platform/fonts.h"
#include "platform/richtext/rich_layout.h"
#include "tests/support/fake_canvas.h"
#include "tests/support/rich_text_helpers.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::rich;

namespace {

CharFormat fmt(bool bold = false, int halfPoints = 20) {
    CharFormat f;
    f.bold = bold;
    f.halfPoints = halfPoints;
    return f;
}

Document letter() {
    Document d;
    d.append(QStringLiteral("Totale: "), fmt());
    d.append(QStringLiteral("[SUM]"), fmt(true));
    d.append(QStringLiteral(" euro\rSecondo"), fmt());
    return d;
}

struct ReplaceCase {
    const char* name;
    int32_t pos, count;
    QString with;
    QString runs;
    int paragraphs;
};

class DocumentReplace : public ::testing::TestWithParam<ReplaceCase> {};

} // namespace

TEST_P(DocumentReplace, NewTextTakesTheFormatOfTheSelection) {
    const ReplaceCase& c = GetParam();
    Document d = letter();
    d.replace(c.pos, c.count, c.with);
    EXPECT_EQ(test::boldRuns(d), c.runs);
    EXPECT_EQ(d.paragraphCount(), c.paragraphs);
    EXPECT_EQ(d.text.count(kParagraphEnd) + 1, d.paragraphCount());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DocumentReplace,
    ::testing::Values(ReplaceCase{"inside_a_bold_run", 8, 5, "1.234,00",
                                  "Totale: |n ; 1.234,00|b ;  euro\rSecondo|n", 2},
                      ReplaceCase{"across_the_paragraph_mark_joins", 13, 6, "-",
                                  "Totale: |n ; [SUM]|b ; -Secondo|n", 1},
                      ReplaceCase{"line_ends_become_paragraphs", 8, 5, "a\r\nb\nc",
                                  "Totale: |n ; a\rb\rc|b ;  euro\rSecondo|n", 4},
                      ReplaceCase{"empty_value_removes_the_brackets", 8, 5, "",
                                  "Totale:  euro\rSecondo|n", 2},
                      ReplaceCase{"insertion_at_the_end_takes_the_last_format", 999, 0, "!",
                                  "Totale: |n ; [SUM]|b ;  euro\rSecondo!|n", 2}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

Document oneParagraph(const QString& text, const ParaFormat& para = {}, int halfPoints = 20) {
    Document d;
    d.append(text, fmt(false, halfPoints));
    d.setLastParagraph(para);
    d.endFormat = fmt(false, halfPoints);
    return d;
}

QStringList lineTexts(const Document& d, const Layout& l) {
    QStringList out;
    for (const Line& line : l.lines)
        out << d.text.mid(line.firstChar, line.endChar - line.firstChar);
    return out;
}

int textWidth(const QString& s) {
    return fontTextWidth(fmt().toFontSpec(), s);
}

} // namespace

// Arial 10 points: cell 15 (ascent 12, descent 3), internal leading 2.
TEST(RichLayout, LineHeightsNaturalAndMeasured) {
    const Layout l = layoutDocument(oneParagraph(QStringLiteral("Riga")), 400);
    ASSERT_EQ(l.lines.size(), 1u);
    EXPECT_EQ(l.lines[0].height, 15);
    EXPECT_EQ(l.lines[0].baseline, 12);
    EXPECT_EQ(l.lines[0].measuredHeight, 17);
}

TEST(RichLayout, BreaksAfterBlanksAndBetweenCharactersOfALongWord) {
    const Document words = oneParagraph(QStringLiteral("hello world foo"));
    EXPECT_EQ(lineTexts(words, layoutDocument(words, textWidth(QStringLiteral("hello wo")))),
              (QStringList{"hello ", "world ", "foo"}));
    const Document word = oneParagraph(QStringLiteral("abcdefghij"));
    const QStringList pieces = lineTexts(word, layoutDocument(word, textWidth("abc")));
    EXPECT_GT(pieces.size(), 2);
    EXPECT_EQ(pieces.join(QString()), QStringLiteral("abcdefghij")); // nothing dropped
    // A width of one pixel still makes progress, one character per line.
    EXPECT_EQ(layoutDocument(word, 1).lines.size(), 10u);
}

TEST(RichLayout, ForcedBreaksParagraphsAndEmptyLines) {
    Document d;
    d.append(QStringLiteral("uno\vdue\r"), fmt());
    d.append(QString(kParagraphEnd), fmt(false, 40)); // an empty paragraph of 20 points
    d.append(QStringLiteral("tre"), fmt());
    d.endFormat = fmt();
    const Layout l = layoutDocument(d, 400);
    EXPECT_EQ(lineTexts(d, l), (QStringList{"uno\v", "due\r", "\r", "tre"}));
    EXPECT_GT(l.lines[2].height, l.lines[0].height); // the mark's font gives its height
    EXPECT_EQ(l.lines[3].top, l.lines[0].height + l.lines[1].height + l.lines[2].height);
}

struct AlignCase {
    const char* name;
    Align align;
    int expectedLeft; // -1: right edge at the width; -2: centred
};

class RichAlign : public ::testing::TestWithParam<AlignCase> {};

TEST_P(RichAlign, PlacesTheLineInTheWidth) {
    ParaFormat p;
    p.align = GetParam().align;
    const int width = 300;
    const Document d = oneParagraph(QStringLiteral("Una riga corta"), p);
    const Layout l = layoutDocument(d, width);
    const Fragment& f = l.lines[0].fragments.front();
    const int text = textWidth(QStringLiteral("Una riga corta"));
    switch (GetParam().expectedLeft) {
    case -1:
        EXPECT_EQ(f.x + f.width, width);
        break;
    case -2:
        EXPECT_EQ(f.x, (width - text) / 2);
        break;
    default:
        EXPECT_EQ(f.x, GetParam().expectedLeft);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RichAlign,
    ::testing::Values(AlignCase{"left", Align::Left, 0}, AlignCase{"right", Align::Right, -1},
                      AlignCase{"centre", Align::Center, -2},
                      AlignCase{"justified_last_line_is_left", Align::Justify, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Every line of a justified paragraph but its last ends at the right edge.
TEST(RichLayout, JustifiedLinesReachTheRightEdge) {
    ParaFormat p;
    p.align = Align::Justify;
    const Document d = oneParagraph(QStringLiteral("uno due tre quattro cinque sei sette otto"), p);
    const int width = textWidth(QStringLiteral("uno due tre quattro")) + 5;
    const Layout l = layoutDocument(d, width);
    ASSERT_GE(l.lines.size(), 2u);
    const Fragment& last = l.lines[0].fragments.back();
    EXPECT_EQ(last.x + last.width, width);
    const Fragment& end = l.lines.back().fragments.back();
    EXPECT_LT(end.x + end.width, width);
}

TEST(RichLayout, IndentsTabsAndSpacing) {
    ParaFormat p;
    p.leftIndent = 720;   // 48 pixels
    p.firstIndent = -360; // first line at 24
    p.spaceBefore = 300;  // 20 pixels
    p.tabs = {1440};      // 96 pixels
    const Document d = oneParagraph(QStringLiteral("a\tb"), p);
    const Layout l = layoutDocument(d, 400);
    ASSERT_EQ(l.lines[0].fragments.size(), 2u);
    EXPECT_EQ(l.lines[0].fragments[0].x, 24);
    EXPECT_EQ(l.lines[0].fragments[1].x, 96);
    EXPECT_EQ(l.lines[0].height, 20 + 15);
    EXPECT_EQ(l.lines[0].baseline, 20 + 12);
    // Without stops of its own a tab goes to the next half inch.
    const Document plain = oneParagraph(QStringLiteral("a\tb"));
    EXPECT_EQ(layoutDocument(plain, 400).lines[0].fragments[1].x, 48);
}

TEST(RichLayout, BulletAndNumberLabels) {
    ParaFormat numbered;
    numbered.numbering = Numbering::UpperRoman;
    numbered.numberStart = 3;
    numbered.numberAfter = QStringLiteral(".");
    ParaFormat bullet;
    bullet.numbering = Numbering::Bullet;
    bullet.leftIndent = 360;
    bullet.firstIndent = -360;
    Document d;
    d.append(QStringLiteral("a\rb\rc\r"), fmt(), numbered);
    d.setLastParagraph(bullet);
    d.paras[0] = numbered;
    d.append(QStringLiteral("d"), fmt());
    d.endFormat = fmt();
    const Layout l = layoutDocument(d, 400);
    QStringList labels;
    for (const Line& line : l.lines)
        labels << line.fragments.front().text;
    EXPECT_EQ(labels, (QStringList{"III.", "IV.", "V.", QString(QChar(0x2022))}));
    // The hanging indent puts the bullet at 0 and the text at the indent.
    EXPECT_EQ(l.lines[3].fragments[0].x, 0);
    EXPECT_EQ(l.lines[3].fragments[1].x, 24);
}

// Lines become text records of the metafile, each with its run's font, so
// search and the text dump find the rich text.
TEST(RichDraw, RunsBecomeTextRecordsWithTheirFonts) {
    Document d;
    d.append(QStringLiteral("Ciao "), fmt());
    d.append(QStringLiteral("grassetto"), fmt(true, 28));
    d.endFormat = fmt();
    const Layout l = layoutDocument(d, 400);
    emf::RecordingCanvas recorder(QSize(400, 100));
    EXPECT_EQ(drawLines(recorder, l, 0, QRect(10, 10, 400, 80)), d.length());
    const emf::EmfPicture picture = emf::EmfPicture::parse(recorder.finish());
    test::FakeCanvas sink;
    QStringList seen;
    emf::EmfPlayer player(picture);
    player.play(sink, QRectF(0, 0, 400, 100), [&](emf::EmfPlayer& p, const emf::EmfRecord& r, int) {
        if (r.type == emf::EMR_EXTTEXTOUTW)
            seen << QStringLiteral("%1/%2")
                        .arg(p.state().dc.font.weight)
                        .arg(p.state().dc.font.height);
        return emf::RecordAction::Play;
    });
    EXPECT_EQ(seen, (QStringList{"400/-13", "700/-19"}));
    EXPECT_EQ(sink.only("text").size(), 2);
    EXPECT_TRUE(sink.only("text").first().contains("\"Ciao \""));
}

// Only whole lines are drawn; the answer is where the first line not drawn
// starts.
TEST(RichDraw, DrawsWholeLinesThatFitAndAnswersTheNextPosition) {
    Document d = oneParagraph(QStringLiteral("uno\vdue\vtre"));
    const Layout l = layoutDocument(d, 400);
    test::FakeCanvas canvas;
    EXPECT_EQ(drawLines(canvas, l, 0, QRect(0, 0, 400, 31)), 8); // two lines of 15
    EXPECT_EQ(canvas.only("text").size(), 2);
    EXPECT_EQ(drawLines(canvas, l, 8, QRect(0, 0, 400, 15)), d.length());
    EXPECT_EQ(drawLines(canvas, l, 0, QRect(0, 0, 400, 10)), 0); // not even one fits
}
