#pragma once

// The function list of the designer's expression editor: 43 lines of the
// form NAME=Category |SIGNATURE |description, in the editor's order.

#include <QString>
#include <QStringList>

namespace vx {

struct CatalogueEntry {
    QString name;
    QString category; // "Statistiche", "Conversione", "Stringa", "Matematiche", "Logiche", "Valuta"
    QString signature;
    QString description;
};

inline constexpr int kCatalogueSize = 43;

// The lines as the editor lists them.
const QStringList& FunctionCatalogue();
// One line taken apart; false when the line has not the expected form.
bool ParseCatalogueLine(const QString& line, CatalogueEntry* entry);

} // namespace vx
