#pragma once

// Messages of the template reader and of the template file operations.

#include <QString>

namespace vx {

// A stream that ends early or holds a field out of its limits.
inline QString streamReadErrorMessage() {
    return QStringLiteral("Errore di lettura: il report è incompleto o danneggiato.");
}
inline QString loadFailedMessage() {
    return QStringLiteral("Non è stato possibile terminare la fase di caricamento del report.\n\r"
                          "Probabilmente il report è corrotto, o contiene componenti non "
                          "inseriti all'interno del progetto.");
}
inline QString dataSetNotFoundMessage(const QString& name) {
    return QStringLiteral("Non è stato trovato il vxDataset: ") + name;
}
inline QString saveFailedMessage() {
    return QStringLiteral("Si è verificato un errore durante la fase di salvataggio del report");
}

// Throws VxError(streamReadErrorMessage()) when the reader has failed.
void checkStream(const class ByteReader& in);

} // namespace vx
