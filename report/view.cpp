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

void TvxView::ComputeDrawRect() {
    const int32_t w = FrameWidth;
    const int32_t h = w / 2;
    const int32_t k = (w - 1) / 2;
    GapX = h + 2;
    GapY = h / 2 + 1;
    DrawRect = {Left + (FrameLeft() ? k : 0), Top + (FrameTop() ? k : 0),
                Left + Width + 1 - (FrameRight() ? h : 0),
                Top + Height + 1 - (FrameBottom() ? h : 0)};
}

void TvxView::FillBackground() {
    if (SilentPass || !canvas || (PrintMode && FillColor == kNoColor))
        return;
    BrushSpec brush{BrushStyle::Solid, FillColor == kNoColor ? kWhite : FillColor, 0};
    canvas->setBrush(brush);
    const EdgeRect r = PrintMode ? EdgeRect{Left, Top, Left + Width, Top + Height} : DrawRect;
    canvas->fillRect(r.toQRect(), brush);
}

namespace {
void line(Canvas& c, int x1, int y1, int x2, int y2) {
    c.moveTo(x1, y1);
    c.lineTo(x2, y2);
}
} // namespace

void TvxView::DrawFrameLines() {
    if (SilentPass || !canvas || (PrintMode && (FrameLines & frAll) == 0))
        return;
    Canvas& c = *canvas;
    c.setPen(PenSpec{PenStyle::Solid, FrameWidth, FrameColor});
    c.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
    const int L = Left, T = Top, W = Width, H = Height;
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
        c.rectangle(rectFromEdges(L, T, L + W + 1, T + H + 1));
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
    const uint32_t w = uint32_t(FrameWidth);
    const int32_t half = int32_t(w / 2);
    const int32_t rest = int32_t((w - 1) / 2);
    int32_t l = Left - (FrameLeft() ? half : 0);
    int32_t t = Top - (FrameTop() ? half : 0);
    int32_t r = Left + Width + 1 + (FrameRight() ? rest : 0);
    int32_t b = Top + Height + 1 + (FrameBottom() ? rest : 0);
    if (grown) {
        l -= 10;
        t -= 10;
        r += 10;
        b += 10;
    }
    return QRegion(rectFromEdges(l, t, r, b));
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
    line(*canvas, Left, Top, Left + Width, Top + Height);
    line(*canvas, Left + Width, Top, Left, Top + Height);
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
