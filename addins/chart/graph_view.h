#pragma once

// TvxGraphView: the chart object (an add-in, object type 10). While a page
// is built it walks the records of the report dataset named in FormatText,
// evaluates one value expression per series and record and one label
// expression per record, and draws titles, legend, a value scale with 21
// dotted grid lines, axes and the series as bars, triangles, points or
// lines, all inside its bounds. While designing it shows a fixed sample
// picture.
//
// Lines holds three lines per series: the value expression, the colour (an
// expression whose value is a colour number) and the legend expression.

#include "report/dataset.h"
#include "report/view.h"

#include <QStringList>

#include <vector>

namespace vx {

// GraphType values.
enum TGraphType : uint8_t {
    gtBars = 0,
    gtBarsAndLines = 1,
    gtTriangles = 2,
    gtTrianglesAndLines = 3,
    gtPoints = 4,
    gtPointsAndLines = 5,
    gtLines = 6,
};
inline constexpr int kGraphTypeCount = 7;

// Records and series one drawing holds: beyond them the preparation stops
// with an error rather than drawing bars narrower than a pixel (an endless
// dataset also ends here).
inline constexpr int kMaxChartRecords = 10000;
inline constexpr int kMaxChartSeries = 100;

// What a chart read from its dataset: per series the values of the records,
// its colour and legend text; per record its label.
struct ChartData {
    std::vector<std::vector<double>> Values; // [series][record]
    std::vector<Color> Colors;
    QStringList Legends;
    QStringList Labels;
    int SeriesCount() const { return int(Values.size()); }
    int RecordCount() const { return Labels.size(); }
};

class TvxGraphView : public TvxView {
public:
    explicit TvxGraphView(TvxReport* report);
    // Releases the dataset named in FormatText (see ReleaseDataSet).
    ~TvxGraphView() override;

    static QString StaticClassName() { return QStringLiteral("TvxGraphView"); }
    QString ClassName() const override { return StaticClassName(); }
    bool UsesDataSet() const override { return true; }
    void Assign(const TvxView& source) override;
    void Draw(Canvas& canvas) override;
    void LoadFromStream(ByteReader& stream) override;
    void SaveToStream(ByteWriter& stream) const override;

    // Series count: the number of lines divided by 3.
    int SeriesCount() const { return int(Lines.size() / 3); }

    // Walks the dataset from its first record to its end (StartUse, First,
    // Next, EndUse, each told to OnDataSetWork) and evaluates the
    // expressions. EndUse runs also when an expression fails; the failure
    // then passes on. Too many records or series, and a database dataset
    // that cannot be used, record the preparation error.
    ChartData ReadData(TvxDataset& dataset);

    // Persistent, after the common part.
    QString XTitle;
    QString YTitle;
    QString FieldTitleExpr; // label of each record on the horizontal axis
    QString GraphTitle;
    uint8_t ShowLegend = 1;
    uint8_t ShowGraphTitle = 1;
    uint8_t ShowXTitle = 1;
    uint8_t ShowYTitle = 1;
    uint8_t GraphType = gtBars;
    QString YFormat; // empty, a number pattern or a "[n] - ..." code

private:
    void drawSample(Canvas& c);
    void drawChart(Canvas& c);
    void notifyWork(TvxDataset& dataset, TvxDataSetOperation operation);
    void readRecord(ChartData& data, int series);
};

// The messages of a chart that holds too much.
QString tooManyChartRecordsMessage();
QString tooManyChartSeriesMessage();

// Adds the chart object to the add-in registry with its hint "Inserisci
// grafico"; a second call does nothing.
void RegisterGraphAddIn();

} // namespace vx
