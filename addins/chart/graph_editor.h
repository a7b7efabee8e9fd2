#pragma once

// The designer's editor of a chart ("Opzioni del grafico") as a model the
// designer's window shows: the dataset, the grid of series (value, colour
// and legend expressions, three lines of Lines each), the four titles, the
// four options, the chart type and the format of the value scale. It works
// on its own copy of the values; Confirm stores them into the chart.

#include "addins/chart/graph_view.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace vx {

// One row of the series grid, edited by the dialog "Opzioni del campo".
struct TGraphSeries {
    QString Value;                              // "Valore del campo"
    QString Color = QStringLiteral("16777215"); // "Colore del campo": white
    QString Legend;                             // "Legenda del campo"
    bool operator==(const TGraphSeries&) const = default;
};

struct TGraphForm {
    static QString Caption() { return QStringLiteral("Opzioni del grafico"); }
    static QString SeriesCaption() { return QStringLiteral("Opzioni del campo"); }
    // "Sorgente dei Dati", the four titles, "Tipi di grafico",
    // "Formattazione asse delle ordinate", the series dialog's three labels.
    static QStringList Labels();
    // The four options in the order of ShowLegend, ShowGraphTitle,
    // ShowXTitle, ShowYTitle.
    static QStringList OptionCaptions();
    // The seven chart types in the order of GraphType.
    static QStringList TypeItems();
    // The value formats offered; only the first two characters are stored
    // meaningfully ("[1]" ... "[7]"), the whole item is kept.
    static QStringList FormatItems();
    static QString DeleteQuestion() {
        return QStringLiteral("Si desidera eliminare l'elemento selezionato?");
    }
    static QString DeleteCaption() { return QStringLiteral("Attenzione"); }

    QString DataSet;                    // FormatText
    std::vector<TGraphSeries> Series;   // Lines, three per series
    QString XTitle, YTitle, GraphTitle; // the axis and chart titles
    QString FieldTitles;                // FieldTitleExpr
    bool Options[4] = {true, true, true, true};
    int TypeIndex = gtBars;
    QString Format; // YFormat

    void Open(const TvxGraphView& view);
    // OK: every field into the chart (a trailing incomplete series of the
    // stored lines is dropped, as the chart never reads it).
    void Confirm(TvxGraphView& view) const;
    // A new white series without expressions before `row` (at the end when
    // out of range); returns its row.
    int InsertSeries(int row);
    // Asks DeleteQuestion through `confirm` (question, caption) and removes
    // the row when it answers yes; false when nothing was removed.
    bool DeleteSeries(int row, const std::function<bool(const QString&, const QString&)>& confirm);
};

} // namespace vx
