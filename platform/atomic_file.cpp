#include "platform/atomic_file.h"

#include "platform/errors.h"

#include <QSaveFile>

namespace vx {

std::function<bool(const QString& fileName)> atomicRenameHook;

QString saveErrorMessage(const QString& fileName) {
    return QStringLiteral("Impossibile salvare il file \"%1\".").arg(fileName);
}

void writeFileAtomically(const QString& fileName, const std::function<void(QIODevice&)>& write) {
    // QSaveFile writes "name.XXXXXX" beside the target and renames it over the
    // target on commit; it never falls back to writing the target directly.
    QSaveFile file(fileName);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw VxError(saveErrorMessage(fileName));
    try {
        write(file);
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    if (atomicRenameHook && !atomicRenameHook(fileName))
        file.cancelWriting();
    if (!file.commit())
        throw VxError(saveErrorMessage(fileName));
}

void writeFileAtomically(const QString& fileName, const QByteArray& bytes) {
    writeFileAtomically(fileName, [&](QIODevice& device) {
        if (device.write(bytes) != bytes.size())
            throw VxError(saveErrorMessage(fileName));
    });
}

} // namespace vx
