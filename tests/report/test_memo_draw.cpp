// The text object drawing itself into a page metafile: line positions by
// alignment, clipping, justification, vertical alignment, turned text, the
// draw modes with LinesDone, highlight, stretching, the designer's marks.
#include "page_recorder.h"
#include "report_fixture.h"

#include "expr/evaluator.h"
#include "platform/fonts.h"
#include "report/memo_view.h"
#include "report/name_resolver.h"
#include "report/report.h"
#include "report/report_hooks.h"

namespace vx::test {
namespace {

int width13(const QString& s) {
    return fontTextWidth(FontSpec{}, s); // Arial 10 points
}

class MemoDraw : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        report_ = std::make_unique<TvxReport>();
        CurrentReport = report_.get();
        SetExprResolver(MakeReportResolver(report_.get()));
        memo_ = std::make_unique<TvxMemoView>(report_.get());
        // At (10, 20), 200 x 100, no frame: GapX 2, GapY 1, clip (11, 20, 209, 120).
        memo_->Left = 10;
        memo_->Top = 20;
        memo_->Width = 200;
        memo_->Height = 100;
    }
    void TearDown() override {
        reportHooks().BandFitToContent = nullptr;
        reportHooks().BandCalcHeight = nullptr;
        reportHooks().BandHeight = nullptr;
        reportHooks().EditFormat = nullptr;
        memo_.reset();
        SetExprResolver(nullptr);
        report_.reset();
        ReportTest::TearDown();
    }
    RecordedPage draw() {
        return recordPage([&](Canvas& c) { memo_->Draw(c); });
    }
    std::unique_ptr<TvxReport> report_;
    std::unique_ptr<TvxMemoView> memo_;
};

TEST_F(MemoDraw, LinesByAlignmentClipAndJustification) {
    const QString longLine = QString("parola ").repeated(40);
    memo_->SetHorzAlign(haRight);
    memo_->Lines = {"corta", longLine};
    RecordedPage page = draw();
    ASSERT_EQ(page.strings(), memo_->Lines); // the long line stays one line
    EXPECT_EQ(page.texts[0].reference, QPoint(10 + 200 - 2 - width13("corta") - 1, 21));
    EXPECT_EQ(page.texts[0].options & TextOutOption::Clipped, 0u); // wholly inside
    EXPECT_NE(page.texts[1].options & TextOutOption::Clipped, 0u);
    EXPECT_EQ(page.texts[1].textRect, (emf::RectL{11, 20, 209, 120}));
    memo_->Flags |= mfWordWrap; // with word wrap every line is clipped
    memo_->Lines = {"corta"};
    EXPECT_NE(draw().texts[0].options & TextOutOption::Clipped, 0u);
    // Justified: the last word ends at Left + clip right - clip left - 1, give
    // or take the rounding of its position; one word, or a line that begins
    // with a blank, is drawn as left-aligned.
    memo_->Flags = 0;
    memo_->SetHorzAlign(haJustify);
    memo_->Lines = {"uno due tre", "parola", " iniziale vuota"};
    page = draw();
    ASSERT_EQ(page.strings(), QStringList({"uno", "due", "tre", "parola", " iniziale vuota"}));
    EXPECT_NEAR(page.texts[2].reference.x() + width13("tre"), 10 + 209 - 11 - 1, 1);
    EXPECT_NE(page.texts[1].options & TextOutOption::Clipped, 0u);
    EXPECT_EQ(page.texts[3].reference, QPoint(12, 36));
    EXPECT_EQ(page.texts[4].reference, QPoint(12, 51));
}

TEST_F(MemoDraw, VerticalAlignmentAndTurnedText) {
    memo_->Lines = {"a", "b", "c"}; // 3 x 15 + 2 = 47 high, or wide when turned
    struct Row {
        uint32_t alignment;
        QPoint first;
    };
    const Row rows[] = {
        {8, QPoint(12, 20 + (100 - 47) / 2 + 1)},      // centre: the free height div 2
        {16, QPoint(12, 20 + 53 + 1)},                 // bottom
        {4, QPoint(12, 119)},                          // turned: upwards from the bottom
        {4 | 1, QPoint(12, 21 + width13("a"))},        // turned, right
        {4 | 8, QPoint(10 + (200 - 49) / 2 + 2, 119)}, // turned, centre: gaps of GapX
    };
    for (const Row& row : rows) {
        memo_->Alignment = row.alignment;
        const RecordedPage page = draw();
        ASSERT_EQ(page.texts.size(), 3u);
        EXPECT_EQ(page.texts[0].reference, row.first) << row.alignment;
        EXPECT_EQ(page.fonts.back().escapement, row.alignment & 4 ? 900 : 0);
        EXPECT_EQ(memo_->Top, 20); // restored after drawing
        EXPECT_EQ(memo_->Left, 10);
        EXPECT_EQ(memo_->Alignment, row.alignment);
    }
    // Justified turned lines spread over the clip height, upwards.
    memo_->Alignment = 4 | 3;
    memo_->Lines = {"uno due"};
    const RecordedPage page = draw();
    ASSERT_EQ(page.strings(), QStringList({"uno", "due"}));
    EXPECT_NEAR(page.texts[1].reference.y() - width13("due"), 119 - (120 - 20 - 1 - 1), 1);
}

TEST_F(MemoDraw, DrawModesStopAndContinueAcrossParts) {
    PrintMode = true;
    memo_->Height = 50; // clip bottom 70: three lines of 15 from 21
    memo_->Lines = {"1", "2", "3", "4", "5", "6", "7", "8"};
    struct Row {
        uint8_t mode;
        int linesDoneBefore;
        QStringList drawn;
        int linesDoneAfter;
    };
    const Row rows[] = {
        {dmDraw, 5, {"1", "2", "3"}, 3},         // starts over, stops at "4"
        {dmContinue, 3, {"4", "5", "6"}, 6},     // goes on from LinesDone
        {dmContinue, 6, {"7", "8"}, 6},          // the last part fits
        {dmDrawMeasured, 6, {"1", "2", "3"}, 3}, // draws what was laid out
    };
    for (const Row& row : rows) {
        memo_->DrawMode = row.mode;
        memo_->LinesDone = row.linesDoneBefore;
        const RecordedPage page = draw();
        EXPECT_EQ(page.strings(), row.drawn) << int(row.mode);
        EXPECT_EQ(memo_->LinesDone, row.linesDoneAfter) << int(row.mode);
    }
}

TEST_F(MemoDraw, MeasuringThenDrawingTheMeasuredText) {
    PrintMode = true;
    memo_->Flags |= mfStretched;
    memo_->SetVertAlign(vaCenter);
    memo_->Lines = {"[1+1]", "b", "c"};
    memo_->DrawMode = dmMeasure;
    MeasuredBandHeight = 0;
    RecordedPage page = draw();
    EXPECT_TRUE(page.texts.empty());
    EXPECT_TRUE(page.fills.empty());
    EXPECT_EQ(MeasuredTextHeight, 47);
    EXPECT_EQ(memo_->LineHeight, 15);
    EXPECT_EQ(MeasuredBandHeight, 20 + 47 + 2);
    // Mode 2 draws what was measured without evaluating again, centred by
    // the measured height.
    memo_->Lines = {"[2+2]"};
    memo_->DrawMode = dmDrawMeasured;
    page = draw();
    ASSERT_EQ(page.strings(), QStringList({"2", "b", "c"}));
    EXPECT_EQ(page.texts[0].reference.y(), 20 + (100 - 47) / 2 + 1);
    // A continuation counts the lines still to print and never moves up.
    memo_->DrawMode = dmContinue;
    memo_->LinesDone = 1;
    memo_->Height = 30;
    page = draw();
    ASSERT_EQ(page.strings(), QStringList({"b"}));
    EXPECT_EQ(page.texts[0].reference.y(), 21);
}

TEST_F(MemoDraw, TextComesFromExpressionsFieldsAndLineBreaks) {
    memo_->Lines = {"Totale: [1+1]"};
    EXPECT_EQ(draw().strings(), memo_->Lines); // designing: the raw lines
    PrintMode = true;
    EXPECT_EQ(draw().strings(), QStringList({"Totale: 2"}));
    memo_->Lines = {"uno\r\ndue"}; // a value with a line break
    memo_->HasLineBreaks = 1;
    EXPECT_EQ(draw().strings(), QStringList({"uno", "due"}));
    memo_->LoadFromField(QVariant(QByteArray("uno\r\ndue\nTre \xe8")));
    EXPECT_EQ(memo_->ExpandedLines, QStringList({"uno", "due", "Tre è"}));
}

TEST_F(MemoDraw, HighlightSwitchesStyleAndColoursForOneDraw) {
    PrintMode = true;
    memo_->Lines = {"valore"};
    memo_->HighlightOn = true;
    memo_->HighlightStyle = fsBold | fsItalic;
    memo_->HighlightFontColor = rgb(200, 0, 0);
    memo_->HighlightFillColor = rgb(255, 255, 0);
    struct Row {
        const char* condition;
        bool highlighted;
        bool error;
    };
    const Row rows[] = {
        {"1 = 1", true, false}, {"1", true, false}, {"2", false, false}, {"1 +", false, true}};
    for (const Row& row : rows) {
        memo_->HighlightCondition = row.condition;
        const RecordedPage page = draw();
        EXPECT_EQ(page.strings(), QStringList({"valore"}));
        EXPECT_EQ(page.fonts.back().weight, row.highlighted ? 700 : 400) << row.condition;
        EXPECT_EQ(page.fonts.back().italic, row.highlighted);
        const Color textColor = page.textColors.empty() ? kBlack : page.textColors.back();
        EXPECT_EQ(textColor, row.highlighted ? rgb(200, 0, 0) : kBlack);
        EXPECT_EQ(page.fills.size(), row.highlighted ? 1u : 0u); // no fill colour otherwise
        EXPECT_EQ(ErrorRaised, row.error);
        // Everything is put back after the draw.
        EXPECT_EQ(memo_->Font.Style, 0);
        EXPECT_EQ(memo_->FillColor, kNoColor);
        EXPECT_TRUE(memo_->HighlightOn);
    }
    EXPECT_TRUE(ErrorText.contains("\rEspressione per il calcolo dell'evidenziatura errata"));
}

TEST_F(MemoDraw, StretchingFollowsTheTextAndTheBand) {
    TvxBand* band = reinterpret_cast<TvxBand*>(report_.get()); // an opaque band handle
    bool fits = true;
    reportHooks().BandFitToContent = [&](const TvxBand&) { return fits; };
    reportHooks().BandCalcHeight = [](const TvxBand&) { return 75; };
    reportHooks().BandHeight = [](const TvxBand&) { return 30; };
    PrintMode = true;
    memo_->ParentBand = band;
    memo_->Flags |= mfStretched;
    memo_->Lines = {"a", "b", "c", "d", "e", "f", "g", "h"};
    memo_->DrawMode = dmMeasure;
    draw();
    EXPECT_EQ(memo_->Height, 8 * 15 + 2);
    fits = false; // a band that does not fit its content keeps the height
    memo_->Height = 40;
    draw();
    EXPECT_EQ(memo_->Height, 40);
    memo_->SetTurned(true); // turned text stretches its width whatever the band does
    draw();
    EXPECT_EQ(memo_->Width, 8 * 15 + 4);
    memo_->SetTurned(false); // automatic width: the widest line and both gaps
    memo_->Flags = mfAutoWidth;
    memo_->Lines = {"corto", "il piu lungo"};
    draw();
    EXPECT_EQ(memo_->Width, 2 * 2 + width13("il piu lungo"));
    // An empty stretched cell grows with its band: round(75 / 30 x 25).
    fits = true;
    memo_->Flags = mfStretched;
    memo_->Lines.clear();
    memo_->FillColor = rgb(0, 0, 255);
    memo_->Width = 200;
    memo_->Height = memo_->DesignHeight = 25;
    memo_->DrawMode = dmDraw;
    RecordedPage page = draw();
    ASSERT_EQ(page.fills.size(), 1u);
    EXPECT_EQ(page.fills[0], QRect(10, 20, 200, 62)); // 62.5 rounds to even
    EXPECT_EQ(memo_->Height, 25);
    memo_->Height = 26; // a cell that already moved keeps its own height
    page = draw();
    EXPECT_EQ(page.fills[0].height(), 26);
}

TEST_F(MemoDraw, FontSizesAreScaledAndKeptSane) {
    struct Row {
        int points;
        int ppi;
        bool scaled;
        int height;
    };
    const Row rows[] = {
        {10, 96, true, -13},       {10, 120, true, -16},
        {10, 120, false, -13},     {10, 72, true, -10},
        {0, 96, true, -1},         {-12, 96, true, -1},
        {10000, 96, true, -13333}, {2000000000, 96, true, -13333},
    };
    memo_->Lines = {"testo"};
    memo_->Height = 30000; // room for one line of the largest font
    for (const Row& row : rows) {
        memo_->Font.Size = row.points;
        report_->PixelsPerInch = row.ppi;
        report_->Scaled = row.scaled;
        const RecordedPage page = draw();
        ASSERT_EQ(page.texts.size(), 1u) << row.points;
        EXPECT_EQ(page.fonts.back().height, row.height) << row.points << " " << row.ppi;
        EXPECT_EQ(memo_->LineHeight, 2 - row.height);
    }
    // A text of 100,000 characters on one line, wrapped or not.
    report_->PixelsPerInch = 96;
    memo_->Font.Size = 10;
    memo_->Height = 100;
    memo_->Lines = {QString("abcdefghi ").repeated(10000)};
    EXPECT_EQ(draw().texts.size(), 1u);
    memo_->Flags |= mfWordWrap;
    EXPECT_EQ(draw().texts.size(), 6u); // the lines that fit in 100 pixels
    EXPECT_GT(memo_->ExpandedLines.size(), 2000);
    // Bounds at the edges of the 32-bit range draw without overflow.
    memo_->Left = std::numeric_limits<int32_t>::max() - 5;
    memo_->Width = std::numeric_limits<int32_t>::max();
    memo_->SetHorzAlign(haCenter);
    draw();
    memo_->Left = 0;
    memo_->Width = memo_->Height = -50;
    EXPECT_TRUE(draw().texts.empty());
}

TEST_F(MemoDraw, MenuEntriesActOnEverySelectedTextObject) {
    TvxPage& page = report_->Pages->Pages(0);
    auto* other = static_cast<TvxMemoView*>(page.Add(std::make_unique<TvxMemoView>(report_.get())));
    auto* unselected =
        static_cast<TvxMemoView*>(page.Add(std::make_unique<TvxMemoView>(report_.get())));
    other->Selected = 1;
    memo_->Flags = mfWordWrap;
    std::vector<MenuItem> menu;
    memo_->AddMenuItems(menu);
    QStringList captions;
    for (const MenuItem& m : menu)
        captions << m.Caption;
    EXPECT_EQ(captions, QStringList({"Formatta variabile...", "-", "Adattato", "A capo",
                                     "Largezza automatica"}));
    EXPECT_TRUE(menu[3].Checked);
    menu[2].Action();
    EXPECT_EQ(memo_->Flags, mfWordWrap | mfStretched);
    EXPECT_EQ(other->Flags, mfStretched);
    EXPECT_EQ(unselected->Flags, 0);
    reportHooks().EditFormat = [](int32_t& code, QString& text) {
        code = 0x01010200;
        text = "0.00";
        return true;
    };
    menu[0].Action(); // the format dialog's choice goes to every selected one
    EXPECT_EQ(other->FormatCode, 0x01010200);
    EXPECT_EQ(memo_->FormatText, "0.00");
    EXPECT_NE(unselected->FormatCode, 0x01010200);
}

} // namespace
} // namespace vx::test
