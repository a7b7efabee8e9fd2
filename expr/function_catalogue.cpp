#include "expr/function_catalogue.h"

namespace vx {

namespace {

struct Line {
    const char* name;
    const char* category;
    const char* signature;
    const char* description;
};

constexpr Line kLines[] = {
    {"AVG", "Statistiche", "AVG(<X>)", "Restituisce la media della serie di valori X"},
    {"COUNT", "Statistiche", "COUNT()", "Restituisce il numero di elementi della serie"},
    {"FORMATDATETIME", "Conversione", "FORMATDATETIME(<X>,<Y>)",
     "Restituisce la data Y nel formato X"},
    {"FORMATFLOAT", "Conversione", "FORMATFLOAT(<X>,<Y>)", "Restituisce il numero Y nel formato X"},
    {"LOWERCASE", "Stringa", "LOWERCASE(<X>)", "Restituisce la stringa X in minuscolo"},
    {"MAX", "Statistiche", "MAX(<X>)", "Restituisce il valore più grande della serie X"},
    {"MIN", "Statistiche", "MIN(<X>)", "Restituisce il valore più piccolo della serie X"},
    {"NAMECASE", "Stringa", "NAMECASE(<X>)",
     "Restituisce la stringa X in minuscolo, con il primo carattere in maiuscolo"},
    {"PHRASECASE", "Stringa", "PHRASECASE(<X>)",
     "Restituisce la stringa X in minuscolo, con le iniziali di ogni parola in maiuscolo"},
    {"STRTODATE", "Conversione", "STRTODATE(<X>)", "Restituisce la data contenuta nella stringa X"},
    {"STRTOTIME", "Conversione", "STRTOTIME(<X>)", "Restituisce l'ora contenuta nella stringa X"},
    {"SUM", "Statistiche", "SUM(<X>)", "Restituisce la somma della serie di valori X"},
    {"UPPERCASE", "Stringa", "UPPERCASE(<X>)", "Restituisce la stringa X in maiuscolo"},
    {"NUMBERTOLETTER", "Stringa", "NUMBERTOLETTER(<X>)",
     "Restituisce il numero X scritto in lettere"},
    {"INT", "Matematiche", "INT(<X>)", "Restituisce la parte intera del numero X"},
    {"FRAC", "Matematiche", "FRAC(<X>)", "Restituisce la parte decimale del numero X"},
    {"ROUND", "Matematiche", "ROUND(<X>)", "Restituisce il numero X arrotondato all'intero"},
    {"STR", "Stringa", "STR(<X>)", "Restituisce il numero X come stringa"},
    {"COPY", "Stringa", "COPY(<X>,<Y>,<Z>)",
     "Restituisce Z caratteri della stringa X a partire dalla posizione Y"},
    {"IF", "Logiche", "IF(<X>,<Y>,<Z>)", "Restituisce Y se la condizione X è vera, altrimenti Z"},
    {"TRUNC", "Matematiche", "TRUNC(<X>)", "Restituisce il numero X troncato all'intero"},
    {"ABS", "Matematiche", "ABS(<X>)", "Restituisce il valore assoluto del numero X"},
    {"ARCTAN", "Matematiche", "ARCTAN(<X>)", "Restituisce l'arcotangente del numero X"},
    {"COS", "Matematiche", "COS(<X>)", "Restituisce il coseno dell'angolo X in radianti"},
    {"EXP", "Matematiche", "EXP(<X>)", "Restituisce l'esponenziale del numero X"},
    {"LN", "Matematiche", "LN(<X>)", "Restituisce il logaritmo naturale del numero X"},
    {"PI", "Matematiche", "PI", "Restituisce il valore di pi greco"},
    {"SIN", "Matematiche", "SIN(<X>)", "Restituisce il seno dell'angolo X in radianti"},
    {"SQR", "Matematiche", "SQR(<X>)", "Restituisce il quadrato del numero X"},
    {"SQRT", "Matematiche", "SQRT(<X>)", "Restituisce la radice quadrata del numero X"},
    {"POWER", "Matematiche", "POWER(<X>,<Y>)", "Restituisce il numero X elevato alla potenza Y"},
    {"CEIL", "Matematiche", "CEIL(<X>)", "Restituisce il numero X arrotondato per eccesso"},
    {"FLOOR", "Matematiche", "FLOOR(<X>)", "Restituisce il numero X arrotondato per difetto"},
    {"POS", "Stringa", "POS(<X>,<Y>)", "Restituisce la posizione della stringa X nella stringa Y"},
    {"LENGTH", "Stringa", "LENGTH(<X>)", "Restituisce la lunghezza della stringa X"},
    {"FILLSTR", "Stringa", "FILLSTR(<X>,<Y>)", "Restituisce X copie della stringa Y"},
    {"VAL", "Matematiche", "VAL(<X>)", "Restituisce la stringa X convertita in numero"},
    {"MONEY", "Valuta", "MONEY(<X>)", "Restituisce X nel formato della valuta di sistema"},
    {"EURO", "Valuta", "EURO(<X>)", "Restituisce X nel formato dell'euro"},
    {"MONEYTOEURO", "Valuta", "MONEYTOEURO(<X>)",
     "Restituisce X convertito dalla valuta di sistema in euro e formattato"},
    {"EUROTOMONEY", "Valuta", "EUROTOMONEY(<X>)",
     "Restituisce X convertito da euro nella valuta di sistema e formattato"},
    {"MONEYTOEUROVAL", "Valuta", "MONEYTOEUROVAL(<X>)",
     "Restituisce il valore di X convertito dalla valuta di sistema in euro"},
    {"EUROTOMONEYVAL", "Valuta", "EUROTOMONEYVAL(<X>)",
     "Restituisce il valore di X convertito da euro nella valuta di sistema"},
};

static_assert(std::size(kLines) == kCatalogueSize);

} // namespace

const QStringList& FunctionCatalogue() {
    static const QStringList lines = [] {
        QStringList out;
        for (const Line& l : kLines)
            out << QString::fromUtf8(l.name) + QLatin1Char('=') + QString::fromUtf8(l.category) +
                       QStringLiteral(" |") + QString::fromUtf8(l.signature) +
                       QStringLiteral(" |") + QString::fromUtf8(l.description);
        return out;
    }();
    return lines;
}

bool ParseCatalogueLine(const QString& line, CatalogueEntry* entry) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    const QStringList parts = line.mid(eq + 1).split(QStringLiteral(" |"));
    if (parts.size() != 3)
        return false;
    entry->name = line.left(eq);
    entry->category = parts[0];
    entry->signature = parts[1];
    entry->description = parts[2];
    return true;
}

} // namespace vx
