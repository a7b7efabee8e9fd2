#include "addins/chart/graph_editor.h"

namespace vx {

QStringList TGraphForm::Labels() {
    return {QStringLiteral("Sorgente dei Dati"),
            QStringLiteral("Titolo delle ascisse"),
            QStringLiteral("Titolo delle ordinate"),
            QStringLiteral("Titolo del grafico"),
            QStringLiteral("Titoli dei campi"),
            QStringLiteral("Tipi di grafico"),
            QStringLiteral("Formattazione asse delle ordinate"),
            QStringLiteral("Valore del campo"),
            QStringLiteral("Legenda del campo"),
            QStringLiteral("Colore del campo")};
}

QStringList TGraphForm::OptionCaptions() {
    return {QStringLiteral("Visualizza la leggenda"),
            QStringLiteral("Visualizza il titolo del grafico"),
            QStringLiteral("Visualizza il titolo delle ascisse"),
            QStringLiteral("Visualizza il titolo delle ordinate")};
}

QStringList TGraphForm::TypeItems() {
    return {QStringLiteral("Istrogrammi"), QStringLiteral("Istogrammi e linee"),
            QStringLiteral("Triangoli"),   QStringLiteral("Triangoli e linee"),
            QStringLiteral("Punti"),       QStringLiteral("Punti e linee"),
            QStringLiteral("Linee")};
}

QStringList TGraphForm::FormatItems() {
    return {QStringLiteral("[1] - Lire"),
            QStringLiteral("[2] - Euro"),
            QStringLiteral("[3] - Numero (1234,5)"),
            QStringLiteral("[4] - Numero (1234,50)"),
            QStringLiteral("[5] - Numero (1.234,5)"),
            QStringLiteral("[6] - Numero (1.234,50)"),
            QStringLiteral("[7] - Numero (1.234)")};
}

void TGraphForm::Open(const TvxGraphView& view) {
    DataSet = view.FormatText;
    Series.clear();
    for (int s = 0; s < view.SeriesCount(); ++s)
        Series.push_back({view.Lines[3 * s], view.Lines[3 * s + 1], view.Lines[3 * s + 2]});
    XTitle = view.XTitle;
    YTitle = view.YTitle;
    GraphTitle = view.GraphTitle;
    FieldTitles = view.FieldTitleExpr;
    const uint8_t shown[] = {view.ShowLegend, view.ShowGraphTitle, view.ShowXTitle,
                             view.ShowYTitle};
    for (int i = 0; i < 4; ++i)
        Options[i] = shown[i] != 0;
    TypeIndex = view.GraphType < kGraphTypeCount ? view.GraphType : gtBars;
    Format = view.YFormat;
}

void TGraphForm::Confirm(TvxGraphView& view) const {
    view.FormatText = DataSet;
    view.Lines.clear();
    for (const TGraphSeries& s : Series)
        view.Lines << s.Value << s.Color << s.Legend;
    view.XTitle = XTitle;
    view.YTitle = YTitle;
    view.GraphTitle = GraphTitle;
    view.FieldTitleExpr = FieldTitles;
    view.ShowLegend = Options[0] ? 1 : 0;
    view.ShowGraphTitle = Options[1] ? 1 : 0;
    view.ShowXTitle = Options[2] ? 1 : 0;
    view.ShowYTitle = Options[3] ? 1 : 0;
    view.GraphType = uint8_t(TypeIndex);
    view.YFormat = Format;
}

int TGraphForm::InsertSeries(int row) {
    if (row < 0 || row > int(Series.size()))
        row = int(Series.size());
    Series.insert(Series.begin() + row, TGraphSeries{});
    return row;
}

bool TGraphForm::DeleteSeries(int row,
                              const std::function<bool(const QString&, const QString&)>& confirm) {
    if (row < 0 || row >= int(Series.size()) || !confirm(DeleteQuestion(), DeleteCaption()))
        return false;
    Series.erase(Series.begin() + row);
    return true;
}

} // namespace vx
