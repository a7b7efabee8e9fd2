// The chart object drawn into EMF pages and read back: where its texts,
// grid lines, bars and legend go, the seven kinds, the designer's sample
// picture, the dataset walk, its record, and bad input.
#include "chart_fixture.h"

#include "addins/chart/chart_scale.h"
#include "platform/errors.h"
#include "report/addin_registry.h"
#include "tests/support/paths.h"

#include <QRegularExpression>

namespace vx::test {
namespace {

struct Text {
    int x, y;
    QString text;
};

QList<Text> texts(const QStringList& lines) {
    static const QRegularExpression re(QStringLiteral(R"re(^text (-?\d+),(-?\d+) "(.*)"$)re"));
    QList<Text> out;
    for (const QString& l : lines)
        if (const auto m = re.match(l); m.hasMatch())
            out.push_back({m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3)});
    return out;
}

const Text* findText(const QList<Text>& all, const QString& s) {
    for (const Text& t : all)
        if (t.text == s)
            return &t;
    return nullptr;
}

// Every number of the drawing records (points, corners, text positions).
QList<QPoint> pointsOf(const QStringList& lines) {
    static const QRegularExpression re(QStringLiteral(R"((-?\d+),(-?\d+))"));
    QList<QPoint> out;
    for (const QString& l : lines) {
        if (!(l.startsWith("move") || l.startsWith("line") || l.startsWith("rect") ||
              l.startsWith("polygon") || l.startsWith("text")))
            continue;
        const QString coords = l.startsWith("text") ? l.section('"', 0, 0) : l;
        for (auto it = re.globalMatch(coords); it.hasNext();) {
            const auto m = it.next();
            out << QPoint(m.captured(1).toInt(), m.captured(2).toInt());
        }
    }
    return out;
}

// The y of every dotted grid line (a move and a line at the same height;
// the pen is selected between the first move and its line).
QList<int> gridLines(QStringList lines) {
    QList<int> ys;
    const qsizetype pen = lines.indexOf("pen 2 1 808080");
    if (pen < 1)
        return ys;
    lines.removeAt(pen);
    for (qsizetype i = pen - 1; i + 1 < lines.size() && !lines[i].startsWith("pen"); ++i)
        if (lines[i].startsWith("move") && lines[i + 1].startsWith("line"))
            ys << lines[i].section(',', 1).toInt();
    return ys;
}

std::vector<ChartRow> twelveMonths() {
    const char* months[] = {"Gennaio", "Febbraio", "Marzo",     "Aprile",  "Maggio",   "Giugno",
                            "Luglio",  "Agosto",   "Settembre", "Ottobre", "Novembre", "Dicembre"};
    std::vector<ChartRow> rows;
    for (int i = 0; i < 12; ++i)
        rows.push_back({125.0 + 25 * i, 80.0 + 10 * (i % 4), QString::fromUtf8(months[i])});
    return rows;
}

using GraphView = ChartTest;

TEST_F(GraphView, TwelveRecordsTwoSeriesPlaceGridLabelsLegendAndBars) {
    setRows(twelveMonths());
    makeChart();
    const QStringList lines = drawn();
    const QList<Text> all = texts(lines);

    // 21 evenly spaced grid lines, each with its scale label (0 to 400 by 20).
    const QList<int> grid = gridLines(lines);
    ASSERT_EQ(grid.size(), kChartGridLines);
    for (int k = 1; k < grid.size(); ++k)
        EXPECT_NEAR(grid[k - 1] - grid[k], double(grid[0] - grid[20]) / 20, 1.0) << k;
    const Text* zero = findText(all, "0");
    const Text* top = findText(all, "400");
    ASSERT_TRUE(zero && top);
    EXPECT_LT(zero->y, grid[0]);
    EXPECT_GT(zero->y + 10, grid[0]);
    EXPECT_EQ(top->y - zero->y, grid[20] - grid[0]);

    // The twelve record labels below the plot, one per group of bars, in order.
    const int bars = int(linesStartingWith(lines, "rectangle").size());
    EXPECT_EQ(bars, 1 + 2 + 24); // the legend box, its two squares, 12 x 2 bars
    int previous = 0;
    for (const char* month : {"Gennaio", "Giugno", "Settembre", "Dicembre"}) {
        const Text* t = findText(all, QString::fromUtf8(month));
        ASSERT_TRUE(t) << month;
        EXPECT_GT(t->x, previous);
        EXPECT_GT(t->y, grid[0]); // reads upwards from below the lowest grid line
        previous = t->x;
    }
    // The legend on the right, after the plot.
    const Text* revenue = findText(all, "Ricavi");
    const Text* costs = findText(all, "Costi");
    ASSERT_TRUE(revenue && costs);
    EXPECT_EQ(costs->y - revenue->y, 14);
    EXPECT_GT(revenue->x, findText(all, "Dicembre")->x);
    // Everything inside the bounds (20, 30) - (420, 330).
    EXPECT_TRUE(lines.contains("clip 20,30,421,331"));
    for (const QPoint& p : pointsOf(lines.mid(lines.indexOf("clip 20,30,421,331"))))
        EXPECT_TRUE(QRect(20, 30, 401, 301).contains(p)) << p.x() << "," << p.y();
}

struct KindCase {
    const char* name;
    uint8_t type;
    int rectangles; // besides the legend's three
    int polygons;
    QString wideLines; // the pen of the lines joining the points, if any
};

class GraphKinds : public ChartTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(GraphKinds, DrawTheirMarksAndLines) {
    const KindCase& c = GetParam();
    setRows({{10, 5, "A"}, {20, 15, "B"}, {30, 25, "C"}});
    makeChart(2, c.type);
    const QByteArray emf = recordChart();
    const QStringList lines = DumpEmf(emf);
    EXPECT_EQ(linesStartingWith(lines, "rectangle").size(), qsizetype(3 + c.rectangles));
    EXPECT_EQ(linesStartingWith(lines, "polygon").size(), qsizetype(c.polygons));
    if (!c.wideLines.isEmpty()) { // the pen of the lines joining the points
        EXPECT_GE(lines.count(c.wideLines), 1) << lines.join('\n').toStdString();
    }
    render(emf).save(artifactsDir() + QStringLiteral("/chart_%1.png").arg(c.name));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GraphKinds,
    ::testing::Values(KindCase{"bars", gtBars, 6, 0, {}},
                      KindCase{"bars_and_lines", gtBarsAndLines, 6, 0, "pen 0 3 000000"},
                      KindCase{"triangles", gtTriangles, 0, 6, {}},
                      KindCase{"triangles_and_lines", gtTrianglesAndLines, 0, 6, "pen 0 3 000000"},
                      KindCase{"points", gtPoints, 6, 0, {}},
                      KindCase{"points_and_lines", gtPointsAndLines, 6, 0, "pen 0 3 ff0000"},
                      KindCase{"lines", gtLines, 0, 0, "pen 0 3 0000ff"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GraphView, NegativeBarHangsThreePixelsBelowTheZeroLine) {
    setRows({{30, 0, "A"}, {-10, 0, "B"}});
    makeChart(1);
    const QStringList lines = drawn();
    const QStringList bars = linesStartingWith(lines, "rectangle").mid(2); // after the legend
    ASSERT_EQ(bars.size(), 2);
    const auto edges = [](const QString& l) { return l.section(' ', 1).split(','); };
    const int zero = edges(bars[0])[3].toInt(); // the positive bar ends on the zero line
    EXPECT_EQ(edges(bars[1])[1].toInt(), zero + 3);
    EXPECT_GT(edges(bars[1])[3].toInt(), zero + 3);
}

TEST_F(GraphView, WalksTheDatasetAndTellsTheHost) {
    setRows({{1, 0, "A"}, {2, 0, "B"}});
    makeChart(1);
    QStringList steps;
    report.OnDataSetWork = [&](const QString& band, DataSet* db, int32_t& count,
                               TvxDataSetOperation op) {
        steps << QStringLiteral("%1 %2 %3 %4").arg(band).arg(db == nullptr).arg(count).arg(op);
        count = 2; // written back into the dataset
    };
    dataset.RangeEndCount = 5;
    drawn();
    EXPECT_EQ(steps, (QStringList{"Graph1 1 5 0", "Graph1 1 2 2", "Graph1 1 2 3", "Graph1 1 2 3",
                                  "Graph1 1 2 1"}));
}

TEST_F(GraphView, DesignerShowsTheSamplePicture) {
    PrintMode = false;
    makeChart();
    const QStringList lines = drawn();
    const qsizetype at = lines.indexOf("save");
    ASSERT_GE(at, 0);
    EXPECT_TRUE(lines[at + 1].startsWith("transform 0.434783,0.6,20,30"));
    const QStringList bars = linesStartingWith(lines.mid(at), "rectangle");
    EXPECT_EQ(bars, (QStringList{"rectangle 150,200,250,400", "rectangle 300,100,400,400",
                                 "rectangle 450,300,550,400", "rectangle 600,250,700,400",
                                 "rectangle 750,100,850,400"}));
    EXPECT_TRUE(lines.contains("brush 0 0000ff")); // 0xFF0000 in the platform's byte order
    EXPECT_TRUE(texts(lines).isEmpty());
}

TEST_F(GraphView, LongLegendIsShortenedToNineteenCharactersAndAStop) {
    setRows({{1, 0, "A"}});
    makeChart(1);
    chart->Lines[2] = QStringLiteral("'Ricavi della sede di Nord'");
    EXPECT_NE(findText(texts(drawn()), "Ricavi della sede d."), nullptr);
}

TEST_F(GraphView, XTitleBandIsMeasuredOnTheYTitleText) {
    setRows({{1, 0, "A"}});
    makeChart(1);
    chart->YTitle.clear();
    const QList<Text> all = texts(drawn()); // findText points into it
    const Text* x = findText(all, "Mese");
    ASSERT_NE(x, nullptr);
    // An empty text still has the font's height: the band is 13-point Arial
    // (15 pixels) + 2 above the bottom.
    EXPECT_EQ(x->y, 30 + 300 - 17 + (17 - 1 - 15) / 2);
}

struct BadCase {
    const char* name;
    std::vector<ChartRow> rows;
    const char* formatText;
    bool drawsScale;
};

class GraphBadInput : public ChartTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(GraphBadInput, DrawsTitlesBackgroundAndFrameOnly) {
    setRows(GetParam().rows);
    makeChart();
    chart->FormatText = QString::fromUtf8(GetParam().formatText);
    chart->FrameLines = frAll;
    const QStringList lines = drawn();
    EXPECT_EQ(gridLines(lines).size(), GetParam().drawsScale ? kChartGridLines : 0);
    EXPECT_TRUE(lines.last().startsWith("rectangle 20,30,421,331")); // the frame
    EXPECT_FALSE(ErrorRaised);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GraphBadInput,
    ::testing::Values(BadCase{"no_dataset_named", {{1, 1, "A"}}, "", false},
                      BadCase{"dataset_missing", {{1, 1, "A"}}, "Ordini", false},
                      BadCase{"dataset_empty", {}, "Vendite", false},
                      BadCase{"all_values_zero", {{0, 0, "A"}, {0, 0, "B"}}, "Vendite", false},
                      BadCase{"negative_values_only", {{-1, -2, "A"}}, "Vendite", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GraphView, FailingSeriesExpressionPassesOnAfterEndUse) {
    setRows({{1, 0, "A"}});
    makeChart(1);
    chart->Lines[0] = QStringLiteral("Valore +");
    QStringList steps;
    report.OnDataSetWork = [&](const QString&, DataSet*, int32_t&, TvxDataSetOperation op) {
        steps << QString::number(op);
    };
    EXPECT_THROW(drawn(), VxError);
    EXPECT_EQ(steps.last(), QStringLiteral("1")); // closed all the same
}

TEST_F(GraphView, TooManyRecordsStopWithAnItalianError) {
    std::vector<ChartRow> many(100000, ChartRow{1, 2, "x"});
    setRows(std::move(many));
    makeChart();
    drawn();
    ASSERT_TRUE(ErrorRaised);
    EXPECT_TRUE(ErrorText.contains(tooManyChartRecordsMessage()));
    EXPECT_EQ(dataset.RecordNo, kMaxChartRecords);
}

TEST_F(GraphView, RecordRoundTripsItsTenFields) {
    makeChart();
    chart->ShowLegend = 0;
    chart->YFormat = QStringLiteral("[2] - Euro");
    QByteArray common, whole;
    ByteWriter wc(&common), ww(&whole);
    chart->TvxView::SaveToStream(wc);
    chart->SaveToStream(ww);
    EXPECT_EQ(whole.mid(common.size(), 5).toHex(), QByteArray("044d657365")); // "Mese"
    TvxGraphView b(nullptr);
    ByteReader r(whole);
    b.LoadFromStream(r);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
    TvxGraphView c(nullptr);
    c.Assign(b);
    for (const TvxGraphView* v : {&b, &c}) {
        EXPECT_EQ(v->XTitle, "Mese");
        EXPECT_EQ(v->YTitle, "Euro");
        EXPECT_EQ(v->FieldTitleExpr, "Mese");
        EXPECT_EQ(v->GraphTitle, "Vendite mensili");
        EXPECT_EQ(v->ShowLegend, 0);
        EXPECT_EQ(v->YFormat, "[2] - Euro");
    }
}

TEST_F(GraphView, NewChartDefaultsAndRegistration) {
    TvxGraphView v(nullptr);
    EXPECT_EQ(v.ObjectType, otAddIn);
    EXPECT_EQ(v.Name, QStringLiteral("Graph1"));
    EXPECT_TRUE(v.UsesDataSet());
    EXPECT_EQ(v.ShowLegend + v.ShowGraphTitle + v.ShowXTitle + v.ShowYTitle, 4);
    EXPECT_EQ(v.GraphType, gtBars);
    EmptyAddInRegistryGuard emptyRegistry;
    RegisterGraphAddIn();
    RegisterGraphAddIn();
    ASSERT_EQ(AddInObjects().size(), 1u);
    EXPECT_EQ(AddInObjects()[0].ButtonHint, QStringLiteral("Inserisci grafico"));
    EXPECT_NE(dynamic_cast<TvxGraphView*>(CreateObject(otAddIn, "TvxGraphView").get()), nullptr);
}

TEST_F(GraphView, GoingReleasesItsDatasetAndFreesOnlyTheTemplatesOwn) {
    CurrentReport = &report;
    // The template's own dataset (no owner): the list frees it as it leaves.
    auto own = std::make_unique<TvxUserDataset>();
    own->SetName(QStringLiteral("Propri"));
    report.DataSets.Add(QStringLiteral("Propri"), std::move(own));
    makeChart(1).FormatText = QStringLiteral("Propri");
    chart.reset();
    EXPECT_EQ(report.DataSets.Find(QStringLiteral("Propri")), nullptr);
    // A dataset with an owner only leaves the list and stays alive.
    makeChart(1);
    chart.reset();
    EXPECT_EQ(report.DataSets.Find(QStringLiteral("Vendite")), nullptr);
    EXPECT_EQ(dataset.Name(), QStringLiteral("Vendite"));
    CurrentReport = nullptr;
}

} // namespace
} // namespace vx::test
