// A prepared page showing every option of the text object (alignments,
// turned, justified, wrapped, highlighted on and off, vertical alignment,
// stretched beside plain), drawn as the engine draws. The page is checked by
// its text records; set VX_TEXT_OPTIONS_PAGE to a file name to keep it as a
// prepared report for `vxtool render` (looked at by eye at 100 and 200 %).
#include "report_fixture.h"

#include "expr/evaluator.h"
#include "platform/emf/emf_text.h"
#include "platform/emf/recording_canvas.h"
#include "report/emf_pages.h"
#include "report/memo_view.h"
#include "report/name_resolver.h"
#include "report/report.h"
#include "report/report_hooks.h"

#include <QRegularExpression>

namespace vx::test {
namespace {

constexpr const char* kSample = "Il testo si dispone secondo le opzioni dell'oggetto, "
                                "riga dopo riga, anche quando le parole sono lunghe.";

PreparedPageSetup a4() {
    PreparedPageSetup s;
    s.PaperSize = 9;
    s.PaperWidth = 2100;
    s.PaperHeight = 2970;
    s.PageMetrics.ScreenWidth = 793;
    s.PageMetrics.ScreenHeight = 1122;
    return s;
}

struct Cell {
    const char* caption;
    std::function<void(TvxMemoView&)> set;
};

// Draws one text object the way a band draws it (measure, then draw).
void drawMemo(TvxMemoView& m, Canvas& c) {
    m.DrawMode = dmMeasure;
    m.Draw(c);
    m.DrawMode = dmDrawMeasured;
    m.Draw(c);
}

void buildTextOptionsPage(TvxReport& report, TvxEMFPages& pages) {
    const Cell cells[] = {
        {"Sinistra", [](TvxMemoView& m) { m.SetHorzAlign(haLeft); }},
        {"Destra", [](TvxMemoView& m) { m.SetHorzAlign(haRight); }},
        {"Centrato", [](TvxMemoView& m) { m.SetHorzAlign(haCenter); }},
        {"Giustificato", [](TvxMemoView& m) { m.SetHorzAlign(haJustify); }},
        {"Centro verticale", [](TvxMemoView& m) { m.SetVertAlign(vaCenter); }},
        {"In basso, a destra",
         [](TvxMemoView& m) {
             m.SetVertAlign(vaBottom);
             m.SetHorzAlign(haRight);
         }},
        {"Evidenziato",
         [](TvxMemoView& m) {
             m.HighlightOn = true;
             m.HighlightCondition = "1 = 1";
             m.HighlightFontColor = rgb(160, 0, 0);
             m.HighlightFillColor = rgb(255, 240, 160);
         }},
        {"Non evidenziato",
         [](TvxMemoView& m) {
             m.HighlightOn = true;
             m.HighlightCondition = "1 = 2";
             m.HighlightFillColor = rgb(255, 240, 160);
         }},
        {"Senza a capo", [](TvxMemoView& m) { m.Flags &= uint16_t(~mfWordWrap); }},
        {"Corsivo 12 punti, bordo spesso",
         [](TvxMemoView& m) {
             m.Font.Size = 12;
             m.Font.Style = fsItalic;
             m.FrameWidth = 3;
         }},
    };
    PreparedPageInfo& page = pages.Add(a4());
    Canvas& c = *page.PictureCanvas;
    auto place = [&](TvxMemoView& m, int col, int row, int height) {
        m.Left = 40 + col * 370;
        m.Top = 60 + row * 120;
        m.Width = 340;
        m.Height = height;
    };
    int index = 0;
    for (const Cell& cell : cells) {
        TvxMemoView caption(&report);
        place(caption, index % 2, index / 2, 18);
        caption.Top -= 20;
        caption.Lines = {cell.caption};
        caption.Font.Style = fsBold;
        drawMemo(caption, c);
        TvxMemoView m(&report);
        place(m, index % 2, index / 2, 90);
        m.FrameLines = frAll;
        m.Flags = mfWordWrap;
        m.Lines = {kSample};
        cell.set(m);
        drawMemo(m, c);
        ++index;
    }
    // Turned text, and a stretched text beside a plain one in a band that
    // fits its content.
    TvxMemoView turned(&report);
    turned.Left = 40;
    turned.Top = 680;
    turned.Width = 60;
    turned.Height = 300;
    turned.FrameLines = frAll;
    turned.Flags = mfWordWrap;
    turned.SetTurned(true);
    turned.Lines = {"Ruotato: si legge dal basso verso l'alto, su due righe."};
    drawMemo(turned, c);
    TvxBand* band = reinterpret_cast<TvxBand*>(&report);
    reportHooks().BandFitToContent = [](const TvxBand&) { return true; };
    for (bool stretched : {true, false}) {
        TvxMemoView m(&report);
        m.Left = stretched ? 140 : 460;
        m.Top = 680;
        m.Width = 300;
        m.Height = 40;
        m.DesignHeight = 40;
        m.FrameLines = frAll;
        m.FillColor = rgb(230, 240, 255);
        m.Flags = uint16_t(mfWordWrap | (stretched ? mfStretched : 0));
        m.ParentBand = band;
        m.Lines = {stretched ? "Adattato: cresce con il testo. "
                             : "Normale: il testo oltre "
                               "l'altezza viene tagliato. ",
                   kSample};
        drawMemo(m, c);
    }
    reportHooks().BandFitToContent = nullptr;
    pages.ClosePage(0);
}

class TextOptionsPage : public ReportTest {};

TEST_F(TextOptionsPage, EveryOptionDrawsItsText) {
    TvxReport report;
    SetExprResolver(MakeReportResolver(&report));
    PrintMode = true;
    TvxEMFPages pages;
    buildTextOptionsPage(report, pages);
    SetExprResolver(nullptr);
    ASSERT_EQ(pages.Count(), 1);
    QStringList texts;
    for (const auto& item : emf::extractText(pages.Pages(0).Picture))
        texts << item.text;
    for (const char* caption : {"Sinistra", "Giustificato", "Evidenziato", "Non evidenziato"})
        EXPECT_TRUE(texts.contains(caption)) << caption;
    EXPECT_EQ(texts.filter(QRegularExpression("^Ruotato: ")).size(), 1);
    EXPECT_FALSE(ErrorRaised);
    if (const QString keep = qEnvironmentVariable("VX_TEXT_OPTIONS_PAGE"); !keep.isEmpty())
        SavePreparedPages(pages, keep);
}

} // namespace
} // namespace vx::test
