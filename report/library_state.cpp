#include "report/library_state.h"

#include "report/report_hooks.h"

namespace vx {

ModelState& modelState() {
    return libraryState().part<ModelState>();
}

TvxReport*& CurrentReport = modelState().CurrentReport;
TvxPage*& CurrentPage = modelState().CurrentPage;
TvxBand*& CurrentBand = modelState().CurrentBand;
TvxView*& CurrentView = modelState().CurrentView;
int& CurrentPageNo = modelState().CurrentPageNo;
bool& PrintMode = modelState().PrintMode;
bool& SilentPass = modelState().SilentPass;
bool& ErrorRaised = modelState().ErrorRaised;
QString& ErrorText = modelState().ErrorText;
int& FileVersion = modelState().FileVersion;

// "Instestazione pagina" is the text the library has always shown.
const std::array<QString, kBandTypeCount> BandNames = {
    QStringLiteral("Titolo report"),
    QStringLiteral("Piè di pagina report"),
    QStringLiteral("Instestazione pagina"),
    QStringLiteral("Piè di pagina"),
    QStringLiteral("Intestazione principale"),
    QStringLiteral("Dati principali"),
    QStringLiteral("Piè di pagina principale"),
    QStringLiteral("Intestazione dettagli"),
    QStringLiteral("Dati dettagli"),
    QStringLiteral("Piè di pagina dettagli"),
    QStringLiteral("Intestazione sottodettagli"),
    QStringLiteral("Dati sottodettagli"),
    QStringLiteral("Piè di pagina sottodettagli"),
    QStringLiteral("Copertura (Sfondo)"),
    QStringLiteral("Intestazione colonna"),
    QStringLiteral("Piè di pagina colonna"),
    QStringLiteral("Intestazione gruppo"),
    QStringLiteral("Piè di pagina gruppo"),
    QStringLiteral("Intestazione Tabella"),
    QStringLiteral("Dati Tabella"),
    QStringLiteral("Piè di pagina Tabella"),
    QStringLiteral("Nessuna"),
};

const std::array<QString, kSpecialValueCount> SpecialValueNames = {
    QStringLiteral("N° pagina"),     QStringLiteral("Espressione"),
    QStringLiteral("Data"),          QStringLiteral("Ora"),
    QStringLiteral("N° linea"),      QStringLiteral("N° linea continuo"),
    QStringLiteral("N° colonna"),    QStringLiteral("N° linea corrente"),
    QStringLiteral("Totale Pagine"),
};

QString bandName(int bandType) {
    if (bandType < 0 || bandType >= kBandTypeCount)
        return QString();
    return BandNames[size_t(bandType)];
}

ReportHooks& reportHooks() {
    return libraryState().part<ReportHooks>();
}

} // namespace vx
