#pragma once

#include <QDir>
#include <QString>

namespace vx::test {

// The project's source folder (for bundled samples and fixtures).
inline QString sourceDir() {
    return QStringLiteral(VX_SOURCE_DIR);
}

// The shared EMF corpus beside the checkout, or an empty string when a user's
// clone has none (tests that need it skip with a message).
inline QString corpusDir() {
    QDir dir(sourceDir() + QStringLiteral("/../shared/corpus/emf"));
    return dir.exists() ? dir.absolutePath() : QString();
}

} // namespace vx::test
