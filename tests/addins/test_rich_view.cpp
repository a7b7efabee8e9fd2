// The rich text object: its template record, the expansion of bracketed
// expressions keeping their formatting, measuring, printing line by line
// across pages, the background rule and the registry row.
#include "addins/ole/ole_view.h"
#include "addins/richtext/rich_view.h"
#include "report/addin_registry.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/report.h"
#include "report/report_hooks.h"
#include "report/template_messages.h"
#include "tests/report/report_fixture.h"
#include "tests/support/fake_canvas.h"
#include "tests/support/rich_text_helpers.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

using namespace vx;

namespace {

class RichViewTest : public test::ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        RegisterRichTextAddIn(); // templates find the class by name
        expand_.emplace(reportHooks().ExpandValue,
                        [this](const QString& e, int32_t, const QString&) {
                            const auto it = values.find(e);
                            return it == values.end() ? QStringLiteral("?") : it->second;
                        });
    }
    void TearDown() override {
        expand_.reset();
        ReportTest::TearDown();
    }

    std::unique_ptr<TvxRichView> richView(const QByteArray& rtf) {
        auto view = std::make_unique<TvxRichView>(&report);
        view->RichText.load(rtf);
        view->Left = 10;
        view->Top = 20;
        view->Width = 300;
        view->Height = 20;
        return view;
    }

    std::map<QString, QString> values;
    TvxReport report;

private:
    std::optional<ScopedOverride<std::function<QString(const QString&, int32_t, const QString&)>>>
        expand_;
};

struct ExpandCase {
    const char* name;
    QByteArray rtf;
    bool noExpressions;
    QString runs;
};

class RichExpand : public RichViewTest, public ::testing::WithParamInterface<ExpandCase> {};

} // namespace

TEST_P(RichExpand, ReplacesExpressionsKeepingTheirFormat) {
    const ExpandCase& c = GetParam();
    values = {{"SUM(x)", "1.234,00"}, {"a", "[b]"}, {"b", "fine"}, {"resto", "R"}};
    auto view = richView(c.rtf);
    if (c.noExpressions)
        view->Flags |= rfNoExpressions;
    PrintMode = true;
    view->ExpandText();
    EXPECT_EQ(test::boldRuns(view->WorkRich), c.runs);
    EXPECT_FALSE(ErrorRaised);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RichExpand,
    ::testing::Values(
        ExpandCase{"bold_expression_prints_its_value_bold", "{\\rtf1 Totale \\b [SUM(x)]\\b0 .}",
                   false, "Totale |n ; 1.234,00|b ; .|n"},
        ExpandCase{"no_expressions_keeps_the_brackets", "{\\rtf1 Totale \\b [SUM(x)]\\b0 .}", true,
                   "Totale |n ; [SUM(x)]|b ; .|n"},
        ExpandCase{"a_value_holding_brackets_is_expanded_again", "{\\rtf1 [a]!}", false, "fine!|n"},
        ExpandCase{"nested_brackets_are_one_expression", "{\\rtf1 [[a]]}", false, "?|n"},
        ExpandCase{"unclosed_bracket_takes_the_rest", "{\\rtf1 x [resto}", false, "x R|n"},
        ExpandCase{"a_last_bracket_ends_the_expansion", "{\\rtf1 x [}", false, "x [|n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RichViewTest, SelfReferringValueStopsWithAnError) {
    values = {{"a", "[a]"}};
    auto view = richView("{\\rtf1 [a]}");
    PrintMode = true;
    view->ExpandText();
    EXPECT_TRUE(ErrorRaised);
    EXPECT_TRUE(ErrorText.contains("troppe espressioni")) << ErrorText.toStdString();
}

TEST_F(RichViewTest, DesigningShowsTheStoredTextUnexpanded) {
    auto view = richView("{\\rtf1 Totale [SUM(x)]}");
    view->ExpandText();
    EXPECT_EQ(view->WorkRich.text, QStringLiteral("Totale [SUM(x)]"));
    test::FakeCanvas canvas;
    view->Draw(canvas);
    EXPECT_EQ(canvas.only("fillRect").first(), QStringLiteral("fillRect 10,20,311,40 #ffffff"));
    EXPECT_EQ(test::drawnTexts(canvas), QStringList{"Totale [SUM(x)]"});
}

// A blob field's rich text prints for its record; the stored text stays.
TEST_F(RichViewTest, FieldTextIsUsedForTheRecordOnly) {
    auto view = richView("{\\rtf1 modello}");
    view->LoadFromField(QVariant(QByteArray("{\\rtf1 dal \\b campo}")));
    PrintMode = true;
    view->ExpandText();
    EXPECT_EQ(test::boldRuns(view->WorkRich), QStringLiteral("dal |n ; campo|b"));
    EXPECT_EQ(view->RichText.document().text, QStringLiteral("modello"));
    view->LoadFromField(QVariant(QStringLiteral("testo semplice")));
    view->ExpandText();
    EXPECT_EQ(view->WorkRich.text, QStringLiteral("testo semplice"));
}

// A stretched text in a band that fits its content prints whole lines; the
// rest continues on the next page from the first line not drawn.
TEST_F(RichViewTest, ParagraphSplitOverTwoPagesContinuesWhereItStopped) {
    const QString paragraph =
        QStringLiteral("uno due tre quattro cinque sei sette otto nove dieci");
    auto view = richView("{\\rtf1\\fs20 " + paragraph.toLatin1() + "}");
    view->Flags |= mfStretched;
    view->Width = 80;
    PrintMode = true;
    test::FakeCanvas measuring;
    view->DrawMode = dmMeasure;
    view->Draw(measuring);
    ASSERT_GE(view->LineCount, 4);
    EXPECT_EQ(view->ContentHeight, 17 * view->LineCount);
    EXPECT_EQ(view->Height, view->ContentHeight);
    EXPECT_TRUE(test::drawnTexts(measuring).isEmpty());

    // The engine trims the object to the room left on the page.
    test::FakeCanvas page1, page2;
    view->LinesDone = 0;
    view->Height = 40;
    view->DrawMode = dmContinue;
    view->Draw(page1);
    EXPECT_EQ(view->LinesDone, 2);
    EXPECT_EQ(view->Height, 2 * 17 + 2);
    EXPECT_EQ(view->ContentHeight, 17 * (view->LineCount - 2));
    EXPECT_GT(view->NextChar, 0);
    EXPECT_EQ(view->Expanded, 1);
    view->Height = view->ContentHeight + view->FrameWidth;
    view->Draw(page2);
    EXPECT_EQ(view->LinesDone, view->LineCount);
    EXPECT_EQ(view->Expanded, 0); // the next record is expanded afresh
    EXPECT_EQ(test::drawnTexts(page1).size(), 2);
    const QString printed =
        (test::drawnTexts(page1) + test::drawnTexts(page2)).join(QString()).remove(' ');
    EXPECT_EQ(printed, QString(paragraph).remove(' '));
}

struct LineHeightCase {
    const char* name;
    int32_t linesDone;
    int32_t splitRoom;
    int32_t expected;
};

class RichLineHeight : public RichViewTest, public ::testing::WithParamInterface<LineHeightCase> {};

TEST_P(RichLineHeight, FollowsTheLinesThatFit) {
    const LineHeightCase& c = GetParam();
    auto view = richView("{\\rtf1 x}");
    view->LineHeights = {17, 20, 30, 17};
    view->LineCount = 4;
    view->LinesDone = c.linesDone;
    SplitRoom = c.splitRoom;
    EXPECT_EQ(view->GetLineHeight(), c.expected);
    view->LineCount = 0;
    EXPECT_EQ(view->GetLineHeight(), 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, RichLineHeight,
                         ::testing::Values(LineHeightCase{"last_printed_line", 2, 0, 20},
                                           LineHeightCase{"no_room", 0, 1, 17},
                                           LineHeightCase{"two_lines_added", 0, 30, 17},
                                           LineHeightCase{"three_lines_added", 0, 60, 20}),
                         [](const auto& info) { return std::string(info.param.name); });

// Without a fill colour the text lies on the page's earlier drawing; with
// one, the object's area (whole) or each line's strip is filled first.
TEST_F(RichViewTest, BackgroundOnlyWithAFillColour) {
    PrintMode = true;
    for (const bool stretched : {false, true}) {
        for (const Color fill : {kNoColor, rgb(255, 255, 0)}) {
            auto view = richView("{\\rtf1 uno\\par due}");
            view->Height = 60;
            view->FillColor = fill;
            if (stretched)
                view->Flags |= mfStretched;
            test::FakeCanvas canvas;
            view->DrawMode = dmDraw;
            view->Draw(canvas);
            EXPECT_EQ(test::drawnTexts(canvas), (QStringList{"uno", "due"}));
            EXPECT_EQ(canvas.backgroundMode, BackgroundMode::Transparent);
            const int fills = fill == kNoColor ? 0 : (stretched ? 2 : 1);
            EXPECT_EQ(canvas.only("fillRect").size(), fills) << stretched;
        }
    }
}

TEST_F(RichViewTest, EmptyTextDrawsOnlyBackgroundAndFrame) {
    PrintMode = true;
    auto view = richView("{\\rtf1 }");
    view->FillColor = rgb(0, 255, 0);
    view->FrameLines = frAll;
    test::FakeCanvas measuring, drawing;
    view->DrawMode = dmMeasure;
    view->Draw(measuring);
    EXPECT_TRUE(measuring.calls.isEmpty());
    view->DrawMode = dmDrawMeasured;
    view->Draw(drawing);
    EXPECT_EQ(drawing.only("fillRect").size(), 1);
    EXPECT_EQ(drawing.only("rectangle").size(), 1);
    EXPECT_TRUE(test::drawnTexts(drawing).isEmpty());
}

TEST_F(RichViewTest, TemplateKeepsTheStoredBytes) {
    // Groups the reader skips are kept in the stored bytes.
    const QByteArray rtf = "{\\rtf1\\ansi{\\*\\generator Editor;}{\\pict\\pngblip 89504e47}"
                           "Testo \\b forte\\b0\\par}";
    auto view = richView(rtf);
    view->Flags = uint16_t(mfStretched) | uint16_t(rfNoExpressions);
    report.Pages->Pages(0).Add(std::move(view));
    report.Pages->Pages(0).Add(richView(QByteArray())); // no text: nothing stored
    const QByteArray saved = report.SaveToBytes();
    TvxReport loaded;
    loaded.LoadFromBytes(saved);
    ASSERT_EQ(loaded.Pages->Pages(0).Count(), 2);
    const auto* back = dynamic_cast<TvxRichView*>(loaded.Pages->Pages(0).Object(0));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->RichText.bytes(), rtf);
    EXPECT_EQ(back->Flags, uint16_t(mfStretched) | uint16_t(rfNoExpressions));
    EXPECT_EQ(loaded.SaveToBytes(), saved);
    EXPECT_TRUE(messages().empty());
}

TEST_F(RichViewTest, DamagedRecordFailsTheLoad) {
    // The reader keeps "a" and stops at the nesting limit; the bytes are kept
    // and stored as they are.
    const QByteArray deep = "{\\rtf1 a" + QByteArray(10000, '{');
    report.Pages->Pages(0).Add(richView(deep));
    const QByteArray saved = report.SaveToBytes();
    const qsizetype at = saved.indexOf(deep);
    ASSERT_GT(at, 4);
    QByteArray pastEnd = saved; // the end position after the stream's end
    const int32_t beyond = int32_t(saved.size()) + 100;
    pastEnd.replace(at - 4, 4, QByteArray(reinterpret_cast<const char*>(&beyond), 4));
    for (const QByteArray& bytes : {saved, pastEnd}) {
        TvxReport loaded;
        clearMessages();
        loaded.LoadFromBytes(bytes);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].text, loadFailedMessage());
        EXPECT_EQ(loaded.Pages->Pages(0).Count(), 0);
    }
}

TEST(AddInRegistry, RichTextAndOleRows) {
    RegisterOleAddIn();
    RegisterRichTextAddIn();
    RegisterRichTextAddIn(); // a second registration changes nothing
    for (const auto& [name, hint] : {std::pair{"TvxRichView", "Inserisci oggetto RichText"},
                                     std::pair{"TvxOLEView", "Inserisci oggetto OLE"}}) {
        const TvxAddInObjectInfo* row = FindAddInObject(QString::fromLatin1(name));
        ASSERT_TRUE(row) << name;
        EXPECT_EQ(row->ButtonHint, QString::fromUtf8(hint));
        EXPECT_EQ(row->ButtonBitmap.size(), QSize(16, 16));
        TvxReport report;
        EXPECT_EQ(row->Create(&report)->ClassName(), QString::fromLatin1(name));
    }
}
