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

TEST_F(MemoDraw, HorizontalLinesStartWhereTheirAlignmentSays) {
    memo_->Lines = {"uno", "due tre"};
    struct Row {
        int align;
        std::function<int(int)> x; // from the text width
    };
    const Row rows[] = {
        {haLeft, [](int) { return 12; }},
        {haRight, [](int tw) { return 10 + 200 - 2 - tw - 1; }},
        {haCenter, [](int tw) { return 12 + (196 - tw) / 2; }},
    };
    for (const Row& row : rows) {
        memo_->SetHorzAlign(row.align);
        const RecordedPage page = draw();
        ASSERT_EQ(page.texts.size(), 2u);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(page.texts[i].text, memo_->Lines[i]);
            EXPECT_EQ(page.texts[i].reference, QPoint(row.x(width13(memo_->Lines[i])), 21 + 15 * i))
                << row.align;
        }
    }
}

TEST_F(MemoDraw, LinesAreClippedUnlessWholeInsideWithoutWordWrap) {
    const QString longLine = QString("parola ").repeated(40);
    memo_->Lines = {"corta", longLine};
    RecordedPage page = draw();
    ASSERT_EQ(page.texts.size(), 2u);
    EXPECT_EQ(page.texts[0].options & TextOutOption::Clipped, 0u);
    EXPECT_NE(page.texts[1].options & TextOutOption::Clipped, 0u);
    EXPECT_EQ(page.texts[1].text, longLine); // one line, cut at the clip's right side
    EXPECT_EQ(page.texts[1].textRect, (emf::RectL{11, 20, 209, 120}));
    // With word wrap every line is drawn clipped.
    memo_->Flags |= mfWordWrap;
    memo_->Lines = {"corta"};
    page = draw();
    ASSERT_EQ(page.texts.size(), 1u);
    EXPECT_NE(page.texts[0].options & TextOutOption::Clipped, 0u);
}

TEST_F(MemoDraw, JustifiedLineEndsAtTheClipsRightSide) {
    memo_->SetHorzAlign(haJustify);
    memo_->Lines = {"uno due tre", "parola", " iniziale vuota"};
    const RecordedPage page = draw();
    ASSERT_EQ(page.strings(), QStringList({"uno", "due", "tre", "parola", " iniziale vuota"}));
    const int end = page.texts[2].reference.x() + width13("tre");
    // Left + clip right - clip left - 1 (two pixels inside the exclusive
    // edge), give or take the rounding of the word's position.
    EXPECT_NEAR(end, 10 + 209 - 11 - 1, 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(page.texts[i].options & TextOutOption::Clipped, 0u);
    // One word, or a line that begins with a blank: drawn as left-aligned.
    EXPECT_EQ(page.texts[3].reference, QPoint(12, 36));
    EXPECT_EQ(page.texts[4].reference, QPoint(12, 51));
}

TEST_F(MemoDraw, VerticalAlignmentMovesTheTextByTheFreeHeight) {
    memo_->Lines = {"a", "b", "c"}; // 3 x 15 + 2 = 47 high
    struct Row {
        int vert;
        int firstY;
    };
    const Row rows[] = {{vaTop, 21}, {vaCenter, 20 + (100 - 47) / 2 + 1}, {vaBottom, 20 + 53 + 1}};
    for (const Row& row : rows) {
        memo_->SetVertAlign(row.vert);
        const uint32_t alignment = memo_->Alignment;
        const RecordedPage page = draw();
        ASSERT_EQ(page.texts.size(), 3u);
        EXPECT_EQ(page.texts[0].reference.y(), row.firstY) << row.vert;
        EXPECT_EQ(memo_->Top, 20); // restored after drawing
        EXPECT_EQ(memo_->Alignment, alignment);
    }
}

TEST_F(MemoDraw, TurnedTextReadsUpwardsFromItsBaseline) {
    memo_->SetTurned(true);
    memo_->Lines = {"su", "giu"};
    struct Row {
        int align;
        std::function<int(int)> y;
    };
    const Row rows[] = {
        {haLeft, [](int) { return 20 + 100 - 1; }},
        {haRight, [](int tw) { return 20 + 1 + tw; }},
        {haCenter, [](int tw) { return 119 - (98 - tw) / 2 - 1; }},
    };
    for (const Row& row : rows) {
        memo_->SetHorzAlign(row.align);
        const RecordedPage page = draw();
        ASSERT_EQ(page.texts.size(), 2u);
        ASSERT_FALSE(page.fonts.empty());
        EXPECT_EQ(page.fonts.back().escapement, 900);
        EXPECT_EQ(page.fonts.back().orientation, 900);
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(page.texts[i].reference, QPoint(12 + 15 * i, row.y(width13(memo_->Lines[i]))))
                << row.align;
    }
    // Justified turned lines spread over the clip height, downwards up.
    memo_->SetHorzAlign(haJustify);
    memo_->Lines = {"uno due"};
    const RecordedPage page = draw();
    ASSERT_EQ(page.strings(), QStringList({"uno", "due"}));
    EXPECT_EQ(page.texts[0].reference, QPoint(12, 119));
    EXPECT_NEAR(page.texts[1].reference.y() - width13("due"), 119 - (120 - 20 - 1 - 1), 1);
}

TEST_F(MemoDraw, LayoutMeasuresLinesWithTheirStep) {
    memo_->Lines = {"uno", "due", "tre"};
    CallRecorder canvas;
    memo_->Draw(canvas);
    EXPECT_EQ(MeasuredTextHeight, 47);
    EXPECT_EQ(memo_->LineHeight, 15);
    // Wrapping lays the pieces out as lines.
    memo_->Flags |= mfWordWrap;
    memo_->Width = 54 + 4; // room for "hello worl" but not "hello world"
    memo_->Lines = {"hello world foo"};
    const RecordedPage page = draw();
    EXPECT_EQ(page.strings(), QStringList({"hello ", "world foo"}));
    EXPECT_EQ(memo_->ExpandedLines, QStringList({"hello ", "world foo"}));
    EXPECT_EQ(MeasuredTextHeight, 32);
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

TEST_F(MemoDraw, MeasuringDrawsNothingAndRaisesTheBandHeight) {
    PrintMode = true;
    memo_->Flags |= mfStretched;
    memo_->Lines = {"[1+1]", "b"};
    memo_->DrawMode = dmMeasure;
    MeasuredBandHeight = 0;
    const RecordedPage page = draw();
    EXPECT_TRUE(page.texts.empty());
    EXPECT_TRUE(page.fills.empty());
    EXPECT_EQ(MeasuredTextHeight, 32);
    EXPECT_EQ(MeasuredBandHeight, 20 + 32 + 2);
    // Mode 2 draws the text measured before without evaluating again.
    memo_->Lines = {"[2+2]"};
    memo_->DrawMode = dmDrawMeasured;
    EXPECT_EQ(draw().strings(), QStringList({"2", "b"}));
}

TEST_F(MemoDraw, CentredTextInModeTwoUsesTheMeasuredHeight) {
    PrintMode = true;
    memo_->SetVertAlign(vaCenter);
    memo_->Lines = {"a", "b", "c"};
    memo_->DrawMode = dmMeasure;
    draw();
    memo_->DrawMode = dmDrawMeasured;
    const RecordedPage page = draw();
    ASSERT_EQ(page.texts.size(), 3u);
    EXPECT_EQ(page.texts[0].reference.y(), 20 + (100 - 47) / 2 + 1);
    // A continuation counts the lines still to print and never moves up.
    memo_->DrawMode = dmContinue;
    memo_->LinesDone = 1;
    memo_->Height = 30;
    const RecordedPage rest = draw();
    ASSERT_EQ(rest.strings(), QStringList({"b"}));
    EXPECT_EQ(rest.texts[0].reference.y(), 21);
}

TEST_F(MemoDraw, ExpressionsAreExpandedWhilePreparing) {
    memo_->Lines = {"Totale: [1+1]", "[[x]"};
    draw();
    EXPECT_EQ(memo_->ExpandedLines, memo_->Lines); // designing: raw lines
    PrintMode = true;
    memo_->Lines = {"Totale: [1+1]"};
    EXPECT_EQ(draw().strings(), QStringList({"Totale: 2"}));
    // A value with a line break is cut into lines.
    memo_->Lines = {"uno\r\ndue"};
    memo_->HasLineBreaks = 1;
    EXPECT_EQ(draw().strings(), QStringList({"uno", "due"}));
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
    };
    const Row rows[] = {{"1 = 1", true}, {"1", true}, {"2", false}, {"1 = 2", false}};
    for (const Row& row : rows) {
        memo_->HighlightCondition = row.condition;
        const RecordedPage page = draw();
        ASSERT_FALSE(page.fonts.empty());
        EXPECT_EQ(page.fonts.back().weight, row.highlighted ? 700 : 400) << row.condition;
        EXPECT_EQ(page.fonts.back().italic, row.highlighted);
        const Color textColor = page.textColors.empty() ? kBlack : page.textColors.back();
        EXPECT_EQ(textColor, row.highlighted ? rgb(200, 0, 0) : kBlack);
        EXPECT_EQ(page.fills.size(), row.highlighted ? 1u : 0u); // no fill colour otherwise
        if (row.highlighted) {
            EXPECT_EQ(page.brushes.front().color, rgb(255, 255, 0));
        }
        // Everything is put back after the draw.
        EXPECT_EQ(memo_->Font.Style, 0);
        EXPECT_EQ(memo_->Font.FontColor, kBlack);
        EXPECT_EQ(memo_->FillColor, kNoColor);
        EXPECT_TRUE(memo_->HighlightOn);
    }
    EXPECT_FALSE(ErrorRaised);
}

TEST_F(MemoDraw, FailingHighlightConditionIsAPreparationError) {
    PrintMode = true;
    memo_->Lines = {"valore"};
    memo_->HighlightOn = true;
    memo_->HighlightCondition = "1 +";
    const RecordedPage page = draw();
    EXPECT_EQ(page.strings(), QStringList({"valore"}));
    EXPECT_EQ(page.fonts.back().weight, 400);
    EXPECT_TRUE(ErrorRaised);
    EXPECT_TRUE(ErrorText.contains("\rEspressione per il calcolo dell'evidenziatura errata"));
    EXPECT_TRUE(memo_->HighlightOn);
}

TEST_F(MemoDraw, StretchingFollowsTheTextAndTheBand) {
    TvxBand* band = reinterpret_cast<TvxBand*>(report_.get()); // an opaque band handle
    bool fits = true;
    reportHooks().BandFitToContent = [&](const TvxBand&) { return fits; };
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
    // Turned text stretches its width whatever the band does.
    memo_->SetTurned(true);
    draw();
    EXPECT_EQ(memo_->Width, 8 * 15 + 4);
    // Automatic width while preparing: the widest line and both gaps.
    memo_->SetTurned(false);
    memo_->Flags = mfAutoWidth;
    memo_->Lines = {"corto", "il piu lungo"};
    draw();
    EXPECT_EQ(memo_->Width, 2 * 2 + width13("il piu lungo"));
}

TEST_F(MemoDraw, EmptyStretchedCellGrowsWithItsBand) {
    TvxBand* band = reinterpret_cast<TvxBand*>(report_.get());
    reportHooks().BandFitToContent = [](const TvxBand&) { return true; };
    reportHooks().BandCalcHeight = [](const TvxBand&) { return 75; };
    reportHooks().BandHeight = [](const TvxBand&) { return 30; };
    PrintMode = true;
    memo_->ParentBand = band;
    memo_->Flags |= mfStretched;
    memo_->FillColor = rgb(0, 0, 255);
    memo_->Height = 25;
    memo_->DesignHeight = 25;
    RecordedPage page = draw();
    ASSERT_EQ(page.fills.size(), 1u);
    EXPECT_EQ(page.fills[0], QRect(10, 20, 200, 62)); // round(75 / 30 x 25) = round(62.5)
    EXPECT_EQ(memo_->Height, 25);
    // A cell that already moved, or one with text, keeps its own height.
    memo_->Height = 26;
    page = draw();
    ASSERT_EQ(page.fills.size(), 1u);
    EXPECT_EQ(page.fills[0].height(), 26);
}

TEST_F(MemoDraw, FontIsScaledForAReportOfAnotherResolution) {
    memo_->Lines = {"x"};
    struct Row {
        int ppi;
        bool scaled;
        int height;
    };
    const Row rows[] = {{96, true, -13}, {120, true, -16}, {120, false, -13}, {72, true, -10}};
    for (const Row& row : rows) {
        report_->PixelsPerInch = row.ppi;
        report_->Scaled = row.scaled;
        const RecordedPage page = draw();
        ASSERT_FALSE(page.fonts.empty());
        EXPECT_EQ(page.fonts.back().height, row.height) << row.ppi;
        EXPECT_EQ(memo_->LineHeight, 2 - row.height);
    }
}

TEST_F(MemoDraw, DamagedSizesGiveASaneDrawing) {
    struct Row {
        int points;
        int height;
    };
    const Row rows[] = {{0, -1}, {-12, -1}, {10000, -13333}, {2000000000, -13333}};
    memo_->Lines = {"testo"};
    memo_->Height = 30000; // room for one line of the largest font
    for (const Row& row : rows) {
        memo_->Font.Size = row.points;
        const RecordedPage page = draw();
        ASSERT_EQ(page.texts.size(), 1u) << row.points;
        EXPECT_EQ(page.fonts.back().height, row.height) << row.points;
        EXPECT_EQ(memo_->LineHeight, 2 - row.height);
    }
    // A text of 100,000 characters on one line, wrapped or not.
    memo_->Font.Size = 10;
    memo_->Height = 100;
    memo_->Lines = {QString("abcdefghi ").repeated(10000)};
    EXPECT_EQ(draw().texts.size(), 1u);
    memo_->Flags |= mfWordWrap;
    const RecordedPage page = draw();
    EXPECT_EQ(page.texts.size(), 6u); // the lines that fit in 100 pixels
    EXPECT_GT(memo_->ExpandedLines.size(), 2000);
    // Bounds at the edge of the 32-bit range.
    memo_->Left = std::numeric_limits<int32_t>::max() - 5;
    memo_->Width = std::numeric_limits<int32_t>::max();
    memo_->SetHorzAlign(haCenter);
    draw();
    memo_->Left = 0;
    memo_->Width = -50;
    memo_->Height = -50;
    draw();
}

TEST_F(MemoDraw, FieldTextBecomesTheLines) {
    memo_->LoadFromField(QVariant(QByteArray("uno\r\ndue\nTre \xe8")));
    EXPECT_EQ(memo_->ExpandedLines, QStringList({"uno", "due", "Tre è"}));
    memo_->LoadFromField(QVariant());
    EXPECT_TRUE(memo_->ExpandedLines.isEmpty());
}

TEST_F(MemoDraw, DesignerShowsRawLinesAndCrossesHiddenObjects) {
    memo_->Lines = {"[campo]"};
    memo_->Visible = 0;
    CallRecorder canvas;
    memo_->Draw(canvas);
    EXPECT_TRUE(canvas.calls.contains("text 12 21 [campo]"));
    EXPECT_TRUE(canvas.calls.contains("pen 2 255"));
    EXPECT_EQ(canvas.calls.mid(canvas.calls.size() - 4),
              QStringList({"move 10 20", "line 210 120", "move 210 20", "line 10 120"}));
    PrintMode = true;
    canvas.calls.clear();
    memo_->Draw(canvas);
    EXPECT_TRUE(canvas.calls.isEmpty());
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
    EXPECT_FALSE(menu[2].Checked);
    EXPECT_TRUE(menu[3].Checked);
    menu[2].Action();
    EXPECT_EQ(memo_->Flags, mfWordWrap | mfStretched);
    EXPECT_EQ(other->Flags, mfStretched);
    EXPECT_EQ(unselected->Flags, 0);
    menu[3].Action(); // checked: switches it off on all of them
    EXPECT_EQ(memo_->Flags, mfStretched);
    // The format dialog's choice goes to every selected text object.
    reportHooks().EditFormat = [](int32_t& code, QString& text) {
        code = 0x01010200;
        text = "0.00";
        return true;
    };
    menu[0].Action();
    EXPECT_EQ(other->FormatCode, 0x01010200);
    EXPECT_EQ(memo_->FormatText, "0.00");
    EXPECT_NE(unselected->FormatCode, 0x01010200);
}

} // namespace
} // namespace vx::test
