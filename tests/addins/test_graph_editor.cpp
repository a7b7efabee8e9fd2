// The chart's editor model: what it opens with, what OK stores, and the
// series grid's insert and delete (with its question).
#include "addins/chart/graph_editor.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

void fillSample(TvxGraphView& v) {
    v.FormatText = QStringLiteral("vxVendite");
    v.Lines = {"[Valore]", "255", "'Ricavi'", "[Costo]", "16711680", "'Costi'", "avanzo"};
    v.XTitle = QStringLiteral("Mesi");
    v.YTitle = QStringLiteral("Euro");
    v.GraphTitle = QStringLiteral("Andamento");
    v.FieldTitleExpr = QStringLiteral("[Mese]");
    v.ShowXTitle = 0;
    v.GraphType = gtPointsAndLines;
    v.YFormat = QStringLiteral("[5] - Numero (1.234,5)");
}

TEST(GraphEditor, OpensWithTheChartAndStoresItBack) {
    TvxGraphView chart(nullptr);
    fillSample(chart);
    TGraphForm form;
    form.Open(chart);
    ASSERT_EQ(form.Series.size(), 2u);
    EXPECT_EQ(form.Series[1], (TGraphSeries{"[Costo]", "16711680", "'Costi'"}));
    EXPECT_FALSE(form.Options[2]);
    EXPECT_EQ(form.TypeIndex, gtPointsAndLines);
    EXPECT_EQ(TGraphForm::TypeItems().value(form.TypeIndex), QStringLiteral("Punti e linee"));
    EXPECT_TRUE(TGraphForm::FormatItems().contains(form.Format));

    TvxGraphView stored(nullptr);
    form.Confirm(stored);
    // Everything but the incomplete trailing series, which no drawing reads.
    EXPECT_EQ(stored.Lines, chart.Lines.mid(0, 6));
    EXPECT_EQ(QStringList({stored.FormatText, stored.XTitle, stored.YTitle, stored.GraphTitle,
                           stored.FieldTitleExpr, stored.YFormat}),
              QStringList({chart.FormatText, chart.XTitle, chart.YTitle, chart.GraphTitle,
                           chart.FieldTitleExpr, chart.YFormat}));
    EXPECT_EQ(stored.ShowXTitle, 0);
    EXPECT_EQ(stored.ShowLegend, 1);
    EXPECT_EQ(stored.GraphType, gtPointsAndLines);
}

TEST(GraphEditor, SeriesAreInsertedWhiteAndDeletedOnlyWhenConfirmed) {
    TvxGraphView chart(nullptr);
    fillSample(chart);
    TGraphForm form;
    form.Open(chart);
    EXPECT_EQ(form.InsertSeries(1), 1);
    EXPECT_EQ(form.Series[1], (TGraphSeries{"", "16777215", ""}));
    EXPECT_EQ(form.InsertSeries(99), 3);
    QStringList asked;
    const auto answer = [&](bool yes) {
        return [&asked, yes](const QString& question, const QString& caption) {
            asked << question + QLatin1Char('|') + caption;
            return yes;
        };
    };
    EXPECT_FALSE(form.DeleteSeries(0, answer(false)));
    EXPECT_TRUE(form.DeleteSeries(0, answer(true)));
    EXPECT_FALSE(form.DeleteSeries(7, answer(true))); // no such row: nothing asked
    EXPECT_EQ(form.Series.size(), 3u);
    EXPECT_EQ(form.Series[0].Value, QString());
    EXPECT_EQ(asked, QStringList(2, QStringLiteral("Si desidera eliminare l'elemento "
                                                   "selezionato?|Attenzione")));
}

} // namespace
} // namespace vx
