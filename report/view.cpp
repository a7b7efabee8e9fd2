#include "report/view.h"

#include "platform/errors.h"
#include "platform/locale_settings.h"
#include "platform/message_box.h"
#include "report/addin_registry.h"
#include "report/band_view.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/picture_view.h"
#include "report/report.h"
#include "report/report_hooks.h"
#include "report/subreport_view.h"

#include <algorithm>
#include <limits>

namespace vx {

bool isDataBand(int bandType) {
    return bandType == btMasterData || bandType == btDetailData || bandType == btSubDetailData ||
           bandType == btCrossData;
}

bool isVerticalBand(int bandType) {
    return bandType >= btCrossHeader && bandType <= btCrossFooter;
}

TvxView::TvxView(TvxReport* report) : Report(report), FormatCode(DefaultFormatCode()) {}

TvxView::~TvxView() {
    if (CurrentView == this)
        CurrentView = nullptr;
}

int32_t TvxView::DefaultFormatCode() {
    return 512 + int32_t(localeSettings().decimalSeparator.unicode());
}

bool TvxView::UsesDataSet() const {
    return false;
}

namespace {
// Bounds and frame widths come from stored templates: sums are taken in 64
// bits and limited to the 32-bit range instead of overflowing.
int32_t clamp32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}
// A right or bottom edge for rectFromEdges, which subtracts 1 from it.
int32_t edge32(int64_t v) {
    return clamp32(std::max<int64_t>(v, int64_t(std::numeric_limits<int32_t>::min()) + 1));
}
} // namespace

void TvxView::ComputeDrawRect() {
    const int64_t w = FrameWidth;
    const int64_t h = w / 2;
    const int64_t k = (w - 1) / 2; // integer division truncates toward zero
    const int64_t l = Left, t = Top;
    GapX = clamp32(h + 2);
    GapY = clamp32(h / 2 + 1);
    DrawRect = {clamp32(l + (FrameLeft() ? k : 0)), clamp32(t + (FrameTop() ? k : 0)),
                edge32(l + Width + 1 - (FrameRight() ? h : 0)),
                edge32(t + Height + 1 - (FrameBottom() ? h : 0))};
}

void TvxView::FillBackground() {
    if (SilentPass || !canvas || (PrintMode && FillColor == kNoColor))
        return;
    BrushSpec brush{BrushStyle::Solid, FillColor == kNoColor ? kWhite : FillColor, 0};
    canvas->setBrush(brush);
    const EdgeRect r = PrintMode ? EdgeRect{Left, Top, edge32(int64_t(Left) + Width),
                                            edge32(int64_t(Top) + Height)}
                                 : DrawRect;
    canvas->fillRect(r.toQRect(), brush);
}

namespace {
// A stroke from (x1, y1) to (x2, y2), coordinates limited to 32 bits.
void line(Canvas& c, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    c.moveTo(clamp32(x1), clamp32(y1));
    c.lineTo(clamp32(x2), clamp32(y2));
}
} // namespace

void TvxView::DrawFrameLines() {
    if (SilentPass || !canvas || (PrintMode && (FrameLines & frAll) == 0))
        return;
    Canvas& c = *canvas;
    c.setPen(PenSpec{PenStyle::Solid, FrameWidth, FrameColor});
    c.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
    const int64_t L = Left, T = Top, W = Width, H = Height;
    if ((FrameLines & frAll) == 0) {
        // Corner marks of an object without frame (designing only).
        c.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
        line(c, L, T + 3, L, T);
        line(c, L, T, L + 4, T);
        line(c, L, T + H - 4, L, T + H - 1);
        line(c, L, T + H - 1, L + 4, T + H - 1);
        line(c, L + W - 4, T, L + W - 1, T);
        line(c, L + W - 1, T, L + W - 1, T + 4);
        line(c, L + W - 4, T + H - 1, L + W - 1, T + H - 1);
        line(c, L + W - 1, T + H - 1, L + W - 1, T + H - 5);
        return;
    }
    if ((FrameLines & frAll) == frAll) {
        c.rectangle(rectFromEdges(Left, Top, edge32(L + W + 1), edge32(T + H + 1)));
        return;
    }
    if (FrameRight())
        line(c, L + W, T, L + W, T + H);
    if (FrameLeft())
        line(c, L, T, L, T + H);
    if (FrameBottom())
        line(c, L, T + H, L + W, T + H);
    if (FrameTop())
        line(c, L, T, L + W, T);
}

void TvxView::Assign(const TvxView& source) {
    ObjectType = source.ObjectType;
    Selected = source.Selected;
    Left = source.Left;
    Top = source.Top;
    Width = source.Width;
    Height = source.Height;
    Flags = source.Flags;
    FrameLines = source.FrameLines;
    FrameWidth = source.FrameWidth;
    FrameColor = source.FrameColor;
    FrameStyle = source.FrameStyle;
    FillColor = source.FillColor;
    FormatCode = source.FormatCode;
    FormatText = source.FormatText;
    Lines = source.Lines;
    Visible = source.Visible;
    if (!FindObject(Report, source.Name, this))
        Name = source.Name;
}

void TvxView::LoadFromField(const QVariant&) {}
void TvxView::AddMenuItems(std::vector<MenuItem>&) {}

QRegion TvxView::GetRegion(bool grown) const {
    // The frame width is taken as unsigned (a width of 0 makes (w - 1) div 2
    // the largest 31-bit value).
    const uint32_t w = uint32_t(FrameWidth);
    const int64_t half = w / 2;
    const int64_t rest = (w - 1) / 2;
    const int64_t grow = grown ? 10 : 0;
    const int64_t l = int64_t(Left) - (FrameLeft() ? half : 0) - grow;
    const int64_t t = int64_t(Top) - (FrameTop() ? half : 0) - grow;
    const int64_t r = int64_t(Left) + Width + 1 + (FrameRight() ? rest : 0) + grow;
    const int64_t b = int64_t(Top) + Height + 1 + (FrameBottom() ? rest : 0) + grow;
    return QRegion(rectFromEdges(clamp32(l), clamp32(t), edge32(r), edge32(b)));
}

void TvxView::SetCanvas(Canvas* c) {
    canvas = c;
    CurrentView = this;
}

bool TvxView::IsValidName(const QString& name) {
    if (name.isEmpty())
        return false;
    auto letter = [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
    };
    if (!(name[0] == QLatin1Char('_') || letter(name[0])))
        return false;
    for (qsizetype i = 1; i < name.size(); ++i) {
        const QChar c = name[i];
        if (!(letter(c) || c == QLatin1Char('_') ||
              (c >= QLatin1Char('0') && c <= QLatin1Char('9'))))
            return false;
    }
    return true;
}

bool TvxView::Rename(const QString& newName) {
    if (!IsValidName(newName)) {
        showMessage(QStringLiteral("Errore"), QStringLiteral("Formato del nome errato."),
                    MessageIcon::Error);
        return false;
    }
    if (FindObject(Report, newName, this)) {
        showMessage(QStringLiteral("Errore"),
                    QStringLiteral("Non è possibile assegnare un nome già esistente."),
                    MessageIcon::Error);
        return false;
    }
    Name = newName;
    return true;
}

void TvxView::AssignDefaultName() {
    QString base = ClassName();
    base = base.mid(3);
    if (base.endsWith(QStringLiteral("View")))
        base.chop(4);
    if (!Report) {
        Name = base + QLatin1Char('1');
        return;
    }
    for (int n = 1;; ++n) {
        const QString candidate = base + QString::number(n);
        if (!FindObject(Report, candidate, this)) {
            Name = candidate;
            return;
        }
    }
}

void TvxView::DrawInvisibleCross() {
    if (!canvas)
        return;
    canvas->setPen(PenSpec{PenStyle::Solid, 2, rgb(255, 0, 0)});
    const int64_t L = Left, T = Top, W = Width, H = Height;
    line(*canvas, L, T, L + W, T + H);
    line(*canvas, L + W, T, L, T + H);
}

std::vector<TvxView*> SelectedObjects(TvxView& view, bool (*applies)(const TvxView&)) {
    std::vector<TvxView*> result{&view};
    const TvxReport* report = view.Report;
    if (!report || !report->Pages)
        return result;
    const TvxPages& pages = *report->Pages;
    for (int p = 0; p < pages.Count(); ++p)
        for (const auto& object : pages[p].Objects)
            if (object.get() != &view && object->Selected && applies(*object))
                result.push_back(object.get());
    return result;
}

MenuItem FlagMenuItem(TvxView& view, const QString& caption, uint16_t bit,
                      bool (*applies)(const TvxView&)) {
    const bool on = (view.Flags & bit) != 0;
    return {caption, on, [&view, bit, applies, on] {
                for (TvxView* v : SelectedObjects(view, applies))
                    v->Flags = on ? uint16_t(v->Flags & ~bit) : uint16_t(v->Flags | bit);
            }};
}

std::unique_ptr<TvxView> CreateObject(int objectType, const QString& className) {
    TvxReport* report = CurrentReport;
    std::unique_ptr<TvxView> view;
    switch (objectType) {
    case otMemo:
        view = std::make_unique<TvxMemoView>(report);
        break;
    case otPicture:
        view = std::make_unique<TvxPictureView>(report);
        break;
    case otBand:
        view = std::make_unique<TvxBandView>(report);
        break;
    case otSubReport:
        view = std::make_unique<TvxSubReportView>(report);
        break;
    case otAddIn: {
        const TvxAddInObjectInfo* info = FindAddInObject(className);
        if (!info) {
            showMessage(QStringLiteral("Errore"),
                        QStringLiteral("Oggetto non trovato : %1.\n\rUn componente avanzato "
                                       "presente nel report, \n\rnon è stato inserito nel "
                                       "programma che ne fa uso.")
                            .arg(className),
                        MessageIcon::Error);
            throw VxAbort();
        }
        view = info->Create(report);
        if (!view)
            throw VxAbort();
        view->ObjectType = otAddIn;
        break;
    }
    default:
        return nullptr;
    }
    return view;
}

TvxView* FindObject(const TvxReport* report, const QString& name, const TvxView* except) {
    if (!report || !report->Pages)
        return nullptr;
    const TvxPages& pages = *report->Pages;
    for (int p = 0; p < pages.Count(); ++p)
        for (const auto& view : pages[p].Objects)
            if (view.get() != except &&
                QString::compare(view->Name, name, Qt::CaseInsensitive) == 0)
                return view.get();
    return nullptr;
}

void SetPreparationError(const QString& detail) {
    if (ErrorRaised)
        return;
    ErrorRaised = true;
    const QChar cr(13);
    QString text = QStringLiteral("Si è verificato un errore durante la fase di preparazione");
    if (!detail.isEmpty())
        text += cr + detail;
    if (CurrentView && CurrentView->ParentBand == CurrentBand)
        text += cr + QStringLiteral("Oggetto") + QStringLiteral(": ") + CurrentView->Name;
    if (CurrentBand) {
        const auto& bandTypeOf = reportHooks().BandTypeOf;
        text += cr + QStringLiteral("Banda:") + QLatin1Char(' ') +
                (bandTypeOf ? bandName(bandTypeOf(*CurrentBand)) : QString());
    }
    text += cr + QStringLiteral("Pagina") + QStringLiteral(": ") + QString::number(CurrentPageNo);
    ErrorText = text;
    if (CurrentReport)
        CurrentReport->Terminated = true;
}

} // namespace vx
