#include "report/band_view.h"

#include "report/dataset.h"
#include "report/library_state.h"
#include "report/report.h"

namespace vx {

namespace {
// Classic system colours of buttons, which the designer's band tabs use.
constexpr Color kButtonFace = rgb(192, 192, 192);
constexpr Color kButtonShadow = rgb(128, 128, 128);
constexpr Color kButtonHighlight = rgb(255, 255, 255);
constexpr Color kSilver = 12632256; // grey: the same in either byte order
// The checker image is built for the visible band only; a larger band is
// drawn with the image stretched rather than allocating without bound.
constexpr int kMaxCheckerSide = 4096;

void line(Canvas& c, int x1, int y1, int x2, int y2) {
    c.moveTo(x1, y1);
    c.lineTo(x2, y2);
}
} // namespace

bool bandOptionApplies(int t, uint16_t option) {
    switch (option) {
    case bfFitToContent:
        return (t >= 0 && t <= 2) || (t >= 4 && t <= 12) || t == 16 || t == 17 || t == 18;
    case bfNewPageAfter:
        return t == 0 || t == 1 || t == 5 || t == 6 || t == 8 || t == 9 || t == 11 || t == 12 ||
               t == 16;
    case bfPrintWhenDetailEmpty:
        return t == 5 || t == 8;
    case bfSplitAllowed:
        return t == 0 || t == 1 || (t >= 4 && t <= 12) || t == 16 || t == 17;
    case bfFillList:
        return t == 5 || t == 8 || t == 11;
    default:
        return false;
    }
}

TvxBandView::TvxBandView(TvxReport* report) : TvxView(report) {
    ObjectType = otBand;
    FormatCode = 0;
    AssignDefaultName();
}

TvxBandView::~TvxBandView() {
    // A data band releases the report dataset it names in its own report's
    // list (whichever report is current): a dataset the list owns (the
    // template's) is destroyed, one on a form or data module only leaves it.
    if (!isDataBand(BandType()) || !Report)
        return;
    if (const TvxDataset* dataSet = Report->DataSets.Find(FormatText))
        Report->DataSets.Remove(dataSet);
}

bool TvxBandView::UsesDataSet() const {
    return isDataBand(BandType());
}

void TvxBandView::Draw(Canvas& c) {
    FrameWidth = 1;
    const bool vertical = isVerticalBand(BandType());
    const TvxPage* page = nullptr;
    if (Report && Report->Pages)
        for (int i = 0; i < Report->Pages->Count() && !page; ++i)
            if (Report->Pages->Pages(i).IndexOf(this) >= 0)
                page = &Report->Pages->Pages(i);
    if (page) {
        if (vertical) {
            Top = 0;
            Height = page->pageMetrics.ScreenHeight;
        } else {
            Left = 0;
            Width = page->pageMetrics.ScreenWidth;
        }
    }
    SetCanvas(&c);
    ComputeDrawRect();
    const int w = std::clamp(DrawRect.Right - DrawRect.Left, 0, kMaxCheckerSide);
    const int h = std::clamp(DrawRect.Bottom - DrawRect.Top, 0, kMaxCheckerSide);
    if (w > 0 && h > 0) {
        QImage checker(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                checker.setPixel(x, y, 0xFF000000u | (((x + y) % 2 == 0) ? kWhite : kSilver));
        c.drawImage(DrawRect.toQRect(), checker);
    }
    c.setPen(PenSpec{PenStyle::Solid, 1, kButtonFace});
    c.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
    c.rectangle(rectFromEdges(Left, Top, Left + Width + 1, Top + Height + 1));

    const BrushSpec face{BrushStyle::Solid, kButtonFace, 0};
    FontSpec font;
    font.height = -11; // Arial 8 points
    const QString name = bandName(BandType());
    c.setTextColor(kBlack);
    c.setBackgroundMode(BackgroundMode::Transparent);
    if (!vertical) {
        c.fillRect(rectFromEdges(Left, Top - 18, Left + 130, Top), face);
        c.setPen(PenSpec{PenStyle::Solid, 1, kButtonShadow});
        line(c, Left + 128, Top - 18, Left + 128, Top);
        c.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
        line(c, Left + 129, Top - 18, Left + 129, Top);
        c.setFont(font);
        c.textOut(Left + 4, Top - 17, name);
    } else {
        c.fillRect(rectFromEdges(Left - 18, Top, Left, Top + 130), face);
        c.setPen(PenSpec{PenStyle::Solid, 1, kButtonShadow});
        line(c, Left - 18, Top + 128, Left, Top + 128);
        c.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
        line(c, Left - 18, Top + 129, Left, Top + 129);
        c.setPen(PenSpec{PenStyle::Solid, 1, kButtonHighlight});
        line(c, Left - 18, Top + 129, Left - 18, Top);
        c.setFont(font);
        const int nameWidth = c.textWidth(name);
        font.escapement = 900;
        font.orientation = 900;
        c.setFont(font);
        c.textOut(Left - 15, Top + 4 + nameWidth, name);
    }
}

QRegion TvxBandView::GetRegion(bool grown) const {
    const int g = grown ? 10 : 0;
    QRegion region(rectFromEdges(Left - g, Top - g, Left + Width + 1 + g, Top + Height + 1 + g));
    if (isVerticalBand(BandType()))
        region += QRegion(rectFromEdges(Left - 18, Top, Left, Top + 130));
    else
        region += QRegion(rectFromEdges(Left, Top - 18, Left + 130, Top));
    return region;
}

void TvxBandView::AddMenuItems(std::vector<MenuItem>& menu) {
    struct Option {
        uint16_t bit;
        const char* caption;
    };
    static const Option options[] = {
        {bfFitToContent, "Adattato"},
        {bfNewPageAfter, "Forza pagina nuova"},
        {bfPrintWhenDetailEmpty, "Stampa se i dettagli sono vuoti"},
        {bfSplitAllowed, "Banda interrotta"},
        {bfFillList, "Completa l'elenco"},
    };
    menu.push_back({QStringLiteral("-"), false, {}});
    for (const Option& o : options)
        if (bandOptionApplies(BandType(), o.bit))
            menu.push_back({QString::fromUtf8(o.caption), bool(Flags & o.bit),
                            [this, bit = o.bit] { Flags ^= bit; }});
}

} // namespace vx
