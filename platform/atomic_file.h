#pragma once

// Saving without losing the previous file: the bytes go to a temporary file
// in the target's folder, which is renamed over the target only when every
// byte was written. On any failure the temporary file is removed, the
// previous file stays as it was and a VxError with an Italian message naming
// the file is raised.

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

namespace vx {

// The message of a failed save: "Impossibile salvare il file \"NAME\"."
QString saveErrorMessage(const QString& fileName);

// Writes `bytes` as the new content of `fileName`.
void writeFileAtomically(const QString& fileName, const QByteArray& bytes);

// Lets `write` produce the content on a device (sequential writes, seek
// allowed). An exception thrown by `write` cancels the save and is passed on.
void writeFileAtomically(const QString& fileName, const std::function<void(QIODevice&)>& write);

// Test hook: when set, called just before the rename with the target name;
// returning false makes the rename fail as if the file system refused it.
extern std::function<bool(const QString& fileName)> atomicRenameHook;

} // namespace vx
