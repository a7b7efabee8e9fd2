#include "report/band_view.h"

#include "platform/fonts.h"
#include "report/dataset.h"
#include "report/library_state.h"
#include "report/report.h"
#include "report/text_layout.h"

#include <algorithm>

namespace vx {

namespace {
// System colours of buttons (their defaults on current systems), which the
// designer's band tabs use.
constexpr Color kButtonFace = rgb(240, 240, 240);
constexpr Color kButtonShadow = rgb(160, 160, 160);
constexpr Color kButtonHighlight = rgb(255, 255, 255);
constexpr Color kSilver{12632256}; // grey: the same in either byte order
// The checker is drawn in square tiles of this side (even, so that every
// tile starts on the same colour as the first).
constexpr int kCheckerTile = 256;
// The checker covers at most this many pixels of a band in each direction
// (more than an A0 page at 96 dpi); a damaged band height draws no more.
constexpr int kMaxCheckerSide = 8192;

void line(Canvas& c, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    c.moveTo(saturate32(x1), saturate32(y1));
    c.lineTo(saturate32(x2), saturate32(y2));
}

// A checker tile whose top-left pixel is white when `phase` is 0, silver
// when it is 1: pixel (x, y) of the page is white when x + y is even.
const QImage& checkerTile(int phase) {
    static const QImage tiles[2] = {
        [] {
            QImage t(kCheckerTile, kCheckerTile, QImage::Format_RGB32);
            for (int y = 0; y < kCheckerTile; ++y)
                for (int x = 0; x < kCheckerTile; ++x)
                    t.setPixel(x, y,
                               0xFF000000u | ((x + y) % 2 == 0 ? kWhite.value() : kSilver.value()));
            return t;
        }(),
        [] {
            QImage t(kCheckerTile, kCheckerTile, QImage::Format_RGB32);
            for (int y = 0; y < kCheckerTile; ++y)
                for (int x = 0; x < kCheckerTile; ++x)
                    t.setPixel(x, y,
                               0xFF000000u | ((x + y) % 2 == 1 ? kWhite.value() : kSilver.value()));
            return t;
        }(),
    };
    return tiles[phase & 1];
}

} // namespace

void FillChecker(Canvas& c, const EdgeRect& r) {
    const int64_t width = std::min<int64_t>(int64_t(r.Right) - r.Left, kMaxCheckerSide);
    const int64_t height = std::min<int64_t>(int64_t(r.Bottom) - r.Top, kMaxCheckerSide);
    const QImage& tile = checkerTile(int((int64_t(r.Left) + r.Top) & 1));
    for (int64_t y = 0; y < height; y += kCheckerTile) {
        for (int64_t x = 0; x < width; x += kCheckerTile) {
            const int w = int(std::min<int64_t>(kCheckerTile, width - x));
            const int h = int(std::min<int64_t>(kCheckerTile, height - y));
            const int32_t left = saturate32(r.Left + x), top = saturate32(r.Top + y);
            const QImage piece =
                (w == kCheckerTile && h == kCheckerTile) ? tile : tile.copy(0, 0, w, h);
            c.drawImage(rectFromEdges(left, top, saturate32(int64_t(left) + w),
                                      saturate32(int64_t(top) + h)),
                        piece);
        }
    }
}

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

const TvxPage* TvxBandView::OwnerPage() const {
    if (!Report || !Report->Pages)
        return nullptr;
    for (int i = 0; i < Report->Pages->Count(); ++i)
        if (Report->Pages->Pages(i).IndexOf(this) >= 0)
            return &Report->Pages->Pages(i);
    return nullptr;
}

void TvxBandView::Draw(Canvas& c) {
    FrameWidth = 1;
    const bool vertical = isVerticalBand(BandType());
    // A band runs across the page shown in the designer.
    if (const TvxPage* page = OwnerPage()) {
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
    // The checker is drawn where the page is: a band reaching past it (a
    // damaged height or position) costs no bitmaps that nothing shows.
    EdgeRect checker = DrawRect;
    if (const TvxPage* page = OwnerPage()) {
        checker.Left = std::max(checker.Left, 0);
        checker.Top = std::max(checker.Top, 0);
        checker.Right = std::min(checker.Right, page->pageMetrics.ScreenWidth);
        checker.Bottom = std::min(checker.Bottom, page->pageMetrics.ScreenHeight);
    }
    FillChecker(c, checker);
    const int64_t L = Left, T = Top;
    c.setPen(PenSpec{PenStyle::Solid, 1, kButtonFace});
    c.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
    c.rectangle(rectFromEdges(Left, Top, saturate32(L + Width + 1), saturate32(T + Height + 1)));
    DrawCaptionTab(c);
}

void TvxBandView::DrawCaptionTab(Canvas& c) const {
    const int64_t L = Left, T = Top;
    const QRect tab = CaptionTab();
    const QString name = bandName(BandType());
    FontSpec font;
    font.height = fontHeightForPoints(8); // Arial 8 points
    c.fillRect(tab, BrushSpec{BrushStyle::Solid, kButtonFace, 0});
    c.setTextColor(kBlack);
    c.setBackgroundMode(BackgroundMode::Transparent);
    c.setTextAlign(TextAlign::Left | TextAlign::Top);
    if (!isVerticalBand(BandType())) {
        c.setPen(PenSpec{PenStyle::Solid, 1, kButtonShadow});
        line(c, L + 128, T - 18, L + 128, T);
        c.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
        line(c, L + 129, T - 18, L + 129, T);
        c.setFont(font);
        c.textOut(saturate32(L + 4), saturate32(T - 17), name);
        return;
    }
    c.setPen(PenSpec{PenStyle::Solid, 1, kButtonShadow});
    line(c, L - 18, T + 128, L, T + 128);
    c.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
    line(c, L - 18, T + 129, L, T + 129);
    c.setPen(PenSpec{PenStyle::Solid, 1, kButtonHighlight});
    line(c, L - 18, T + 129, L - 18, T);
    font.escapement = 900; // the turned font: reads upwards
    font.orientation = 900;
    c.setFont(font);
    c.textOut(saturate32(L - 15), saturate32(T + 4 + c.textWidth(name)), name);
}

QRect TvxBandView::CaptionTab() const {
    const int64_t L = Left, T = Top;
    if (isVerticalBand(BandType()))
        return rectFromEdges(saturate32(L - 18), Top, Left, saturate32(T + 130));
    return rectFromEdges(Left, saturate32(T - 18), saturate32(L + 130), Top);
}

QRegion TvxBandView::GetRegion(bool grown) const {
    const int64_t g = grown ? 10 : 0;
    const int64_t L = Left, T = Top;
    QRegion region(rectFromEdges(saturate32(L - g), saturate32(T - g),
                                 saturate32(L + Width + 1 + g), saturate32(T + Height + 1 + g)));
    return region.united(CaptionTab());
}

void TvxBandView::AddMenuItems(std::vector<MenuItem>& menu) {
    static const std::pair<uint16_t, const char*> options[] = {
        {bfFitToContent, "Adattato"},
        {bfNewPageAfter, "Forza pagina nuova"},
        {bfPrintWhenDetailEmpty, "Stampa se i dettagli sono vuoti"},
        {bfSplitAllowed, "Banda interrotta"},
        {bfFillList, "Completa l'elenco"},
    };
    auto isBand = [](const TvxView& v) { return dynamic_cast<const TvxBandView*>(&v) != nullptr; };
    menu.push_back({QStringLiteral("-"), false, {}});
    for (const auto& [bit, caption] : options)
        if (bandOptionApplies(BandType(), bit))
            menu.push_back(FlagMenuItem(*this, QString::fromUtf8(caption), bit, isBand));
}

} // namespace vx
