// Shapes, framed text and charts in prepared reports: a template of five
// shapes, a framed text with double sides and pictures loads, prepares and
// saves back byte for byte; a chart walks its own report dataset of an
// SQLite table while the page is built, beside a data band over another.

#include "prepared_addins_fixture.h"

#include "addins/chart/graph_view.h"
#include "addins/framedtext/framed_memo_view.h"
#include "addins/shape/shape_view.h"
#include "platform/emf/emf_constants.h"
#include "platform/emf/recording_canvas.h"
#include "report/picture_view.h"

#include <QFile>

#include <map>

namespace vx::test {
namespace {

QByteArray fileBytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// How many records of each type the page's metafile holds.
std::map<uint32_t, int> recordCounts(const emf::EmfPicture& page) {
    std::map<uint32_t, int> counts;
    for (int i = 0; i < page.recordCount(); ++i)
        ++counts[page.record(i).type];
    return counts;
}

class PreparedLayoutAddIns : public PreparedAddIns {};

TEST_F(PreparedLayoutAddIns, ShapesFramedTextAndPicturesPrepareAndResaveByteForByte) {
    makeRows(3);
    addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"));
    addBand(btReportTitle, 40, 120);
    for (int type = stEllipse; type <= stDiagonal2; ++type) {
        auto* shape = add<TvxShapeView>(10 + type * 90, 45, 80, 50);
        shape->ShapeType = uint8_t(type);
        shape->FrameColor = rgb(0, 0, 128);
        shape->FrameWidth = 2;
        shape->FillColor = rgb(255, 255, 0);
        shape->Transparent = uint8_t(type % 2);
    }
    auto* bitmap = add<TvxPictureView>(470, 45, 60, 30);
    QImage red(20, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    bitmap->Picture = PictureHolder::fromImage(red);
    auto* metafile = add<TvxPictureView>(540, 45, 60, 30);
    {
        emf::RecordingCanvas logo(QSize(40, 20));
        logo.fillRect(QRect(0, 0, 40, 20), BrushSpec{BrushStyle::Solid, rgb(0, 128, 0)});
        metafile->Picture = PictureHolder(PictureHolder::Metafile, logo.finish());
    }
    addBand(btMasterData, 200, 40, QStringLiteral("vxRighe"));
    auto* framed = add<TvxFramedMemoView>(10, 205, 300, 30, {QStringLiteral("[Dati.righe.nome]")});
    framed->Sides[fsRight] = {1, 3};
    framed->Sides[fsLeft] = {1, 2};
    framed->Sides[fsBottom] = {0, 1};
    framed->Sides[fsTop] = {1, 1};
    framed->Flags = mfStretched;
    // The frame width a framed text takes from its thickest side when it is
    // drawn (3 x 3 here), as a template saved by the designer holds it.
    framed->FrameWidth = 9;

    const QString first = tempPath(QStringLiteral("t09.vxf"));
    const QString second = tempPath(QStringLiteral("t09_di_nuovo.vxf"));
    report->SaveToFile(first);
    auto loaded = std::make_unique<TvxReport>();
    loaded->LoadFromFile(first);
    ASSERT_EQ(loaded->Pages->Pages(0).Count(), page().Count());
    loaded->ShowProgress = false;
    report = std::move(loaded);
    CurrentReport = report.get();
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    EXPECT_EQ(texts(0), (QStringList{"Riga 1", "Riga 2", "Riga 3"}));
    const std::map<uint32_t, int> counts = recordCounts(report->PreparedPages->Pages(0).Picture);
    EXPECT_EQ(counts.count(emf::EMR_ELLIPSE) ? counts.at(emf::EMR_ELLIPSE) : 0, 1);
    EXPECT_EQ(counts.count(emf::EMR_ROUNDRECT) ? counts.at(emf::EMR_ROUNDRECT) : 0, 1);
    report->SaveToFile(second);
    const QByteArray before = fileBytes(first);
    ASSERT_FALSE(before.isEmpty());
    EXPECT_EQ(fileBytes(second), before);
}

class PreparedCharts : public PreparedAddIns {
protected:
    // vendite (mese, a2024, a2025): twelve months; a summary band holds a
    // bar chart of both years over its own dataset vxVendite, a data band
    // lists the three rows of righe.
    void buildSales(const QString& chartDataSet, const QString& firstSeries) {
        static const char* const months[] = {"Gen", "Feb", "Mar", "Apr", "Mag", "Giu",
                                             "Lug", "Ago", "Set", "Ott", "Nov", "Dic"};
        QStringList sql{QStringLiteral("CREATE TABLE righe (id INTEGER, nome VARCHAR(30))"),
                        QStringLiteral("CREATE TABLE vendite (n INTEGER, mese VARCHAR(3), "
                                       "a2024 INTEGER, a2025 INTEGER)")};
        for (int i = 1; i <= 3; ++i)
            sql << QStringLiteral("INSERT INTO righe VALUES (%1, 'Riga %1')").arg(i);
        for (int m = 0; m < 12; ++m)
            sql << QStringLiteral("INSERT INTO vendite VALUES (%1, '%2', %3, %4)")
                       .arg(m)
                       .arg(QString::fromLatin1(months[m]))
                       .arg(10 * (m + 1))
                       .arg(5 * (12 - m));
        makeDatabase(sql);
        addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"));
        addDataSet(QStringLiteral("vxVendite"), QStringLiteral("vendite"));
        addBand(btMasterData, 60, 20, QStringLiteral("vxRighe"));
        addText(10, 60, 200, 18, QStringLiteral("[Dati.righe.nome]"));
        addBand(btReportSummary, 100, 400);
        chart = add<TvxGraphView>(10, 105, 680, 380,
                                  {firstSeries, QStringLiteral("255"), QStringLiteral("'2024'"),
                                   QStringLiteral("[Dati.vendite.a2025]"),
                                   QStringLiteral("16711680"), QStringLiteral("'2025'")});
        chart->FormatText = chartDataSet;
        chart->FieldTitleExpr = QStringLiteral("[Dati.vendite.mese]");
        chart->GraphTitle = QStringLiteral("Vendite mensili");
        chart->Name = QStringLiteral("Grafico1");
    }
    TvxGraphView* chart = nullptr;
};

TEST_F(PreparedCharts, ChartWalksItsDatasetWhileThePageIsBuilt) {
    buildSales(QStringLiteral("vxVendite"), QStringLiteral("[Dati.vendite.a2024]"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    ASSERT_EQ(pageCount(), 1);
    const QStringList t = texts(0);
    EXPECT_EQ(t.mid(0, 3), (QStringList{"Riga 1", "Riga 2", "Riga 3"}));
    EXPECT_TRUE(t.contains(QStringLiteral("Vendite mensili")));
    EXPECT_TRUE(t.contains(QStringLiteral("2024")) && t.contains(QStringLiteral("2025")));
    // The record labels in the records' order, left to right.
    QStringList months;
    int lastX = -1;
    for (const PageText& p : textsAt(0)) {
        if (QStringList{"Gen", "Giu", "Dic"}.contains(p.text)) {
            months << p.text;
            EXPECT_GT(p.at.x(), lastX) << p.text.toStdString();
            lastX = p.at.x();
        }
    }
    EXPECT_EQ(months, (QStringList{"Gen", "Giu", "Dic"}));
    // Each drawing reads the dataset afresh: a second preparation is the same.
    ASSERT_TRUE(prepare());
    EXPECT_EQ(texts(0), t);
}

// What a chart that cannot be drawn in full does to the preparation.
struct ChartCase {
    const char* name;
    const char* dataSet;
    const char* firstSeries;
    const char* detail; // the preparation error, or empty
    bool drawsLabels;
};

const ChartCase kChartCases[] = {
    {"dataset_missing", "vxManca", "[Dati.vendite.a2024]", "", false},
    {"dataset_not_named", "", "[Dati.vendite.a2024]", "", false},
    {"series_fails", "vxVendite", "[Dati.vendite.manca]",
     "Errore. Identificatore sconosciuto: [Dati.vendite.manca]", false},
    {"negative_values_only", "vxVendite", "0 - [Dati.vendite.a2024]", "", true},
};

class PreparedChartCases : public PreparedCharts, public testing::WithParamInterface<ChartCase> {};

TEST_P(PreparedChartCases, ClearErrorOrTheChartsOwnBehaviour) {
    const ChartCase& c = GetParam();
    buildSales(QString::fromUtf8(c.dataSet), QString::fromUtf8(c.firstSeries));
    EXPECT_EQ(prepare(), !*c.detail) << ErrorText.toStdString();
    EXPECT_EQ(errorDetail().toStdString(), c.detail);
    if (!*c.detail)
        EXPECT_EQ(texts(0).contains(QStringLiteral("Gen")), c.drawsLabels);
}

INSTANTIATE_TEST_SUITE_P(Cases, PreparedChartCases, testing::ValuesIn(kChartCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vx::test
