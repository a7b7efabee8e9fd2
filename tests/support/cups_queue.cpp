#include "tests/support/cups_queue.h"

#include "tests/support/paths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <QUrl>

namespace vx::test {

namespace {

// How long one call of a command-line tool may take.
constexpr int kToolTimeoutMs = 30000;
// How often the job list is read while waiting.
constexpr int kPollMs = 200;

QString runTool(const QString& tool, const QStringList& args, bool* ok = nullptr) {
    QProcess p;
    p.start(tool, args);
    const bool done = p.waitForFinished(kToolTimeoutMs);
    if (ok)
        *ok = done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool haveTool(const char* name) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

// One CSV row of ipptool: id, state, then the name (quoted when it holds a
// comma or a quote).
std::optional<CupsJob> parseJobRow(const QString& line) {
    const qsizetype first = line.indexOf(QLatin1Char(','));
    const qsizetype second = first < 0 ? -1 : line.indexOf(QLatin1Char(','), first + 1);
    if (second < 0)
        return std::nullopt;
    CupsJob job;
    bool ok = false;
    job.id = line.left(first).toInt(&ok);
    if (!ok)
        return std::nullopt;
    job.state = line.mid(first + 1, second - first - 1);
    job.name = line.mid(second + 1);
    if (job.name.size() >= 2 && job.name.startsWith(QLatin1Char('"')) &&
        job.name.endsWith(QLatin1Char('"')))
        job.name = job.name.mid(1, job.name.size() - 2)
                       .replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return job;
}

} // namespace

bool CupsJob::finished() const {
    return state == QLatin1String("completed") || state == QLatin1String("aborted") ||
           state == QLatin1String("canceled");
}

std::optional<CupsQueue> CupsQueue::fromEnvironment(QString& whyNot) {
    CupsQueue q;
    q.printer = qEnvironmentVariable("VX_CUPS_PRINTER");
    q.pdfDir = qEnvironmentVariable("VX_CUPS_PDF_DIR");
    q.socket = qEnvironmentVariable("CUPS_SERVER");
    if (q.printer.isEmpty() || q.pdfDir.isEmpty()) {
        const QString missing = qEnvironmentVariable("VX_CUPS_MISSING");
        whyNot = missing.isEmpty()
                     ? QStringLiteral("no private CUPS printer (VX_CUPS_PRINTER is set by "
                                      "scripts/services/with_services.sh)")
                     : QStringLiteral("no private CUPS printer: ") + missing;
        return std::nullopt;
    }
    // Only the run's own scheduler, reached through its socket: a server
    // name or address could be the system's.
    if (!q.socket.startsWith(QLatin1Char('/')) || !QFileInfo::exists(q.socket)) {
        whyNot = QStringLiteral("CUPS_SERVER is not the socket of the run's private scheduler");
        return std::nullopt;
    }
    if (!haveTool("ipptool")) {
        whyNot = QStringLiteral("ipptool not installed");
        return std::nullopt;
    }
    return q;
}

std::vector<CupsJob> CupsQueue::jobs() const {
    const QString uri = QStringLiteral("ipp://") +
                        QString::fromLatin1(QUrl::toPercentEncoding(socket)) +
                        QStringLiteral("/printers/") + printer;
    const QString request = sourceDir() + QStringLiteral("/tests/support/cups_get_jobs.test");
    const QString out = runTool(QStringLiteral("ipptool"), {QStringLiteral("-c"), uri, request});
    std::vector<CupsJob> result;
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines)
        if (const auto job = parseJobRow(line.trimmed()))
            result.push_back(*job);
    return result;
}

std::vector<CupsJob> CupsQueue::waitForJobs(const QString& name, int count, int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    std::vector<CupsJob> done;
    for (;;) {
        done.clear();
        bool pending = false;
        for (const CupsJob& job : jobs()) {
            if (job.name != name)
                continue;
            if (job.finished())
                done.push_back(job);
            else
                pending = true;
        }
        if ((int(done.size()) >= count && !pending) || clock.elapsed() > timeoutMs)
            return done;
        QThread::msleep(kPollMs);
    }
}

QString CupsQueue::pdfOf(const CupsJob& job) const {
    // The back end labels every file with its job number.
    const QStringList found =
        QDir(pdfDir).entryList({QStringLiteral("*job_%1.pdf").arg(job.id)}, QDir::Files);
    return found.isEmpty() ? QString() : QDir(pdfDir).filePath(found.first());
}

QStringList pdfPageTexts(const QString& pdf) {
    if (!haveTool("pdfinfo") || !haveTool("pdftotext"))
        return {};
    bool ok = false;
    const QString info = runTool(QStringLiteral("pdfinfo"), {pdf}, &ok);
    if (!ok)
        return {};
    int pages = 0;
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            pages = line.mid(6).trimmed().toInt();
    QStringList texts;
    for (int p = 1; p <= pages; ++p)
        texts << runTool(QStringLiteral("pdftotext"),
                         {QStringLiteral("-f"), QString::number(p), QStringLiteral("-l"),
                          QString::number(p), pdf, QStringLiteral("-")})
                     .simplified();
    return texts;
}

} // namespace vx::test
