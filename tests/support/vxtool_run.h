#pragma once

// Runs the vxtool built beside the test executables and collects what it
// printed, so command-line behaviour is tested through the real program.

#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

namespace vx::test {

struct VxtoolResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// The built vxtool: tests live in <build>/tests, vxtool in <build>/app.
inline QString vxtoolPath() {
    return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../app/vxtool"))
        .absoluteFilePath();
}

// Runs vxtool with args, feeding stdinData to its standard input, and waits at
// most 60 s. A program that does not start, crashes or times out yields exit
// code -1 and the reason in err. childSetup, when given, runs in the child
// before vxtool starts (resource limits). vxtool chooses its Qt platform
// itself, as for a user, unless `platform` names one.
inline VxtoolResult runVxtool(const QStringList& args, const QByteArray& stdinData = {},
                              const std::function<void()>& childSetup = {},
                              const QString& platform = {}) {
    VxtoolResult result;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!platform.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    process.setProcessEnvironment(env);
    if (childSetup)
        process.setChildProcessModifier(childSetup);
    process.start(vxtoolPath(), args);
    if (!process.waitForStarted(60000)) {
        result.err = QStringLiteral("vxtool did not start: ") + process.errorString();
        return result;
    }
    if (!stdinData.isEmpty())
        process.write(stdinData);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(60000);
    if (!finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    if (!finished) {
        result.err += QStringLiteral("\nvxtool did not finish within 60 s");
        return result;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        result.err += QStringLiteral("\nvxtool crashed");
        return result;
    }
    result.exitCode = process.exitCode();
    return result;
}

} // namespace vx::test
