#pragma once

// Shared set-up of the chart object tests: a report in print mode with the
// Italian locale, a user dataset "Vendite" over rows held by the test (the
// names Valore, Costo and Mese answer the current row's values), a chart
// object on it, and the chart recorded into an EMF page.

#include "addins/chart/graph_view.h"
#include "expr/evaluator.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/emf_reader.h"
#include "platform/emf/recording_canvas.h"
#include "platform/locale_settings.h"
#include "platform/painter_canvas.h"
#include "report/library_state.h"
#include "report/report.h"
#include "tests/report/report_fixture.h"
#include "tests/support/emf_dump.h"
#include "tests/support/qt_printers.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <memory>
#include <vector>

namespace vx::test {

struct ChartRow {
    double value;
    double cost;
    QString month;
};

class ChartTest : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        setLocaleSettings(LocaleSettings::italian());
        PrintMode = true;
        dataset.SetName(QStringLiteral("Vendite"));
        dataset.RangeEnd = reCount;
        report.DataSets.Add(dataset.Name(), &dataset);
        resolver_ = std::make_unique<ScopedExprResolver>(
            [this](const QString& name, const QStringList*, Variant& value) {
                const size_t i = size_t(dataset.RecordNo);
                if (i >= rows.size())
                    return;
                if (name == QStringLiteral("Valore"))
                    value = rows[i].value;
                else if (name == QStringLiteral("Costo"))
                    value = rows[i].cost;
                else if (name == QStringLiteral("Mese"))
                    value = rows[i].month;
            });
    }
    void TearDown() override {
        resolver_.reset();
        chart.reset();
        resetLocaleSettings();
        ReportTest::TearDown();
    }

    void setRows(std::vector<ChartRow> r) {
        rows = std::move(r);
        dataset.RangeEndCount = int32_t(rows.size());
    }

    // A chart at (20, 30), 400 x 300, on "Vendite" with the series Valore
    // (red, "Ricavi") and, when asked, Costo (blue, "Costi"); labels Mese.
    TvxGraphView& makeChart(int series = 2, uint8_t type = gtBars) {
        chart = std::make_unique<TvxGraphView>(&report);
        chart->Left = 20;
        chart->Top = 30;
        chart->Width = 400;
        chart->Height = 300;
        chart->FormatText = QStringLiteral("Vendite");
        chart->GraphType = type;
        chart->GraphTitle = QStringLiteral("Vendite mensili");
        chart->XTitle = QStringLiteral("Mese");
        chart->YTitle = QStringLiteral("Euro");
        chart->FieldTitleExpr = QStringLiteral("Mese");
        chart->Lines = {QStringLiteral("Valore"), QStringLiteral("255"),
                        QStringLiteral("'Ricavi'")};
        if (series > 1)
            chart->Lines << QStringLiteral("Costo") << QStringLiteral("16711680")
                         << QStringLiteral("'Costi'");
        return *chart;
    }

    // The chart recorded on a page of 440 x 360 pixels, read back.
    QByteArray recordChart() {
        emf::RecordingCanvas canvas(QSize(440, 360));
        chart->Draw(canvas);
        return canvas.finish();
    }
    QStringList drawn() { return DumpEmf(recordChart()); }

    // A recorded page played at 96 dpi.
    static QImage render(const QByteArray& emf) {
        const emf::EmfPicture picture = emf::EmfPicture::parse(emf);
        const QRectF frame = picture.frameInDevicePixels();
        QImage image(int(std::ceil(frame.width())), int(std::ceil(frame.height())),
                     QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        {
            PainterCanvas canvas(painter);
            emf::EmfPlayer(picture).play(canvas, QRectF(QPointF(0, 0), frame.size()));
        }
        painter.end();
        return image;
    }

    // The dataset outlives the report, whose list only names it.
    Component host{nullptr, QStringLiteral("Modulo")};
    TvxUserDataset dataset{&host};
    TvxReport report;
    std::vector<ChartRow> rows;
    std::unique_ptr<TvxGraphView> chart;

private:
    std::unique_ptr<ScopedExprResolver> resolver_;
};

} // namespace vx::test
