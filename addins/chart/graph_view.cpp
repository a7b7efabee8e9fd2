#include "addins/chart/graph_view.h"

#include "addins/button_bitmap.h"
#include "addins/chart/chart_painter.h"
#include "expr/evaluator.h"
#include "platform/errors.h"
#include "report/addin_registry.h"
#include "report/library_state.h"
#include "report/report.h"

#include <cmath>

namespace vx {

namespace {

// The sample picture of the designer, in a 920 x 500 space mapped onto the
// object's bounds.
constexpr double kSampleWidth = 920;
constexpr double kSampleHeight = 500;
struct SampleBar {
    int left = 0, top = 0, right = 0, bottom = 0;
    Color color;
};
constexpr SampleBar kSampleBars[] = {
    {150, 200, 250, 400, Color{0xFF0000}}, {300, 100, 400, 400, Color{0x0000FF}},
    {450, 300, 550, 400, Color{0x008000}}, {600, 250, 700, 400, Color{0x000080}},
    {750, 100, 850, 400, Color{0xFFFF00}},
};

// The colour of a series: its expression's value as a colour number; an
// empty line is the editor's default, white.
Color seriesColor(const QString& expression) {
    if (expression.trimmed().isEmpty())
        return kWhite;
    return Color(uint64_t(EvaluateExpression(expression).toInt64()) & 0xFFFFFF);
}

QString textOf(const QString& expression) {
    return expression.isEmpty() ? QString() : EvaluateExpression(expression).toString();
}

DataSet* databaseDataSet(TvxDataset& dataset) {
    auto* db = dynamic_cast<TvxDBDataSet*>(&dataset);
    return db ? db->dataSetRef() : nullptr;
}

} // namespace

QString tooManyChartRecordsMessage() {
    return QStringLiteral("Il grafico ha più di %1 record da disegnare.").arg(kMaxChartRecords);
}

QString tooManyChartSeriesMessage() {
    return QStringLiteral("Il grafico ha più di %1 serie da disegnare.").arg(kMaxChartSeries);
}

TvxGraphView::TvxGraphView(TvxReport* report) : TvxView(report) {
    ObjectType = otAddIn;
    AssignDefaultName();
}

TvxGraphView::~TvxGraphView() {
    // The chart releases the report dataset it names, as a data band does:
    // it leaves the list, which frees the template's own datasets (those
    // without an owner); a dataset of a form or a caller stays with them.
    if (FormatText.isEmpty() || !CurrentReport)
        return;
    TvxDataSetList& list = CurrentReport->DataSets;
    if (TvxDataset* dataSet = list.Find(FormatText))
        list.Remove(dataSet);
}

void TvxGraphView::Assign(const TvxView& source) {
    TvxView::Assign(source);
    const auto* s = dynamic_cast<const TvxGraphView*>(&source);
    if (!s)
        return;
    XTitle = s->XTitle;
    YTitle = s->YTitle;
    FieldTitleExpr = s->FieldTitleExpr;
    GraphTitle = s->GraphTitle;
    ShowLegend = s->ShowLegend;
    ShowGraphTitle = s->ShowGraphTitle;
    ShowXTitle = s->ShowXTitle;
    ShowYTitle = s->ShowYTitle;
    GraphType = s->GraphType;
    YFormat = s->YFormat;
}

void TvxGraphView::LoadFromStream(ByteReader& in) {
    TvxView::LoadFromStream(in);
    XTitle = ReadShortString(in);
    YTitle = ReadShortString(in);
    FieldTitleExpr = ReadShortString(in);
    GraphTitle = ReadShortString(in);
    ShowLegend = in.u8();
    ShowGraphTitle = in.u8();
    ShowXTitle = in.u8();
    ShowYTitle = in.u8();
    GraphType = in.u8();
    YFormat = ReadShortString(in);
}

void TvxGraphView::SaveToStream(ByteWriter& out) const {
    TvxView::SaveToStream(out);
    WriteShortString(out, XTitle);
    WriteShortString(out, YTitle);
    WriteShortString(out, FieldTitleExpr);
    WriteShortString(out, GraphTitle);
    out.u8(ShowLegend);
    out.u8(ShowGraphTitle);
    out.u8(ShowXTitle);
    out.u8(ShowYTitle);
    out.u8(GraphType);
    WriteShortString(out, YFormat);
}

void TvxGraphView::notifyWork(TvxDataset& dataset, TvxDataSetOperation operation) {
    TvxReport* report = Report ? Report : CurrentReport;
    if (!report || !report->OnDataSetWork)
        return;
    int32_t count = dataset.RangeEndCount;
    report->OnDataSetWork(Name, databaseDataSet(dataset), count, operation);
    dataset.RangeEndCount = count;
}

void TvxGraphView::readRecord(ChartData& data, int series) {
    for (int s = 0; s < series; ++s) {
        const double v = EvaluateExpression(Lines.at(3 * s)).toDouble();
        if (!std::isfinite(v))
            throw VxError(
                QStringLiteral("La serie %1 del grafico ha un valore non valido.").arg(s + 1));
        data.Values[size_t(s)].push_back(v);
    }
    data.Labels << textOf(FieldTitleExpr);
}

ChartData TvxGraphView::ReadData(TvxDataset& dataset) {
    ChartData data;
    const int series = SeriesCount();
    if (series > kMaxChartSeries) {
        SetPreparationError(tooManyChartSeriesMessage());
        return data;
    }
    data.Values.resize(size_t(series));
    dataset.StartUse();
    notifyWork(dataset, dwOpen);
    // EndUse puts a database dataset back as the host had it; it runs also
    // when an expression fails, and the failure then passes on.
    auto endUse = [&] {
        dataset.EndUse();
        notifyWork(dataset, dwClose);
    };
    try {
        auto* db = dynamic_cast<TvxDBDataSet*>(&dataset);
        if (db && !db->DataSetError.isEmpty()) {
            SetPreparationError(db->DataSetError);
            endUse();
            return ChartData{};
        }
        dataset.First();
        notifyWork(dataset, dwFirst);
        for (int s = 0; s < series; ++s) {
            data.Legends << textOf(Lines.at(3 * s + 2));
            data.Colors.push_back(seriesColor(Lines.at(3 * s + 1)));
        }
        while (!dataset.Eof() && !ErrorRaised) {
            if (data.RecordCount() >= kMaxChartRecords) {
                SetPreparationError(tooManyChartRecordsMessage());
                break;
            }
            readRecord(data, series);
            dataset.Next();
            notifyWork(dataset, dwNext);
        }
    } catch (...) {
        try {
            endUse();
        } catch (...) { // the first failure is the one reported
        }
        throw;
    }
    endUse();
    return data;
}

void TvxGraphView::drawSample(Canvas& c) {
    const int level = c.saveState();
    const QTransform map(Width / kSampleWidth, 0, 0, Height / kSampleHeight, Left, Top);
    c.setWorldTransform(map * c.worldTransform());
    c.setPen(PenSpec{PenStyle::Solid, 3, kBlack});
    c.moveTo(100, 20);
    c.lineTo(100, 480);
    c.moveTo(20, 400);
    c.lineTo(900, 400);
    c.setPen(PenSpec{PenStyle::Solid, 1, kBlack});
    for (const SampleBar& bar : kSampleBars) {
        c.setBrush(BrushSpec{BrushStyle::Solid, bar.color, 0});
        c.rectangle(rectFromEdges(bar.left, bar.top, bar.right, bar.bottom));
    }
    c.restoreState(level);
}

void TvxGraphView::drawChart(Canvas& c) {
    TvxReport* report = Report ? Report : CurrentReport;
    if (FormatText.isEmpty() || !report)
        return;
    TvxDataset* dataset = report->DataSets.Find(FormatText);
    if (!dataset)
        return;
    const ChartData data = ReadData(*dataset);
    PaintChart(c, *this, data);
}

void TvxGraphView::Draw(Canvas& c) {
    if (SilentPass || (PrintMode && Visible == 0))
        return;
    SetCanvas(&c);
    ComputeDrawRect();
    FillBackground();
    if (PrintMode) {
        drawChart(c);
        DrawFrameLines();
    } else {
        DrawFrameLines();
        drawSample(c);
    }
    if (Visible == 0)
        DrawInvisibleCross();
}

void RegisterGraphAddIn() {
    RegisterAddInObject(
        TvxGraphView::StaticClassName(),
        [](TvxReport* report) { return std::make_unique<TvxGraphView>(report); },
        ButtonBitmap(AddInButton::Graph), QStringLiteral("Inserisci grafico"),
        QStringLiteral("TGraphForm"));
}

} // namespace vx
