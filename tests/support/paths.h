#pragma once

#include <QDir>
#include <QString>

namespace vx::test {

// The project's source folder (for bundled samples and fixtures).
inline QString sourceDir() {
    return QStringLiteral(VX_SOURCE_DIR);
}

// Where tests leave pictures for a person to look at: build/<preset>/artifacts
// under ctest (VX_ARTIFACTS_DIR), a temporary folder otherwise.
inline QString artifactsDir() {
    QString dir = qEnvironmentVariable("VX_ARTIFACTS_DIR");
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/vx-artifacts");
    QDir().mkpath(dir);
    return dir;
}

// The shared EMF corpus beside the checkout, or an empty string when a user's
// clone has none (tests that need it skip with a message).
inline QString corpusDir() {
    QDir dir(sourceDir() + QStringLiteral("/../shared/corpus/emf"));
    return dir.exists() ? dir.absolutePath() : QString();
}

} // namespace vx::test
