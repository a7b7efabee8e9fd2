#include "tests/support/cups_queue.h"

#include "tests/support/paths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
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
    const QString support = sourceDir() + QStringLiteral("/tests/support/");
    const auto ask = [&](const QString& request, const QStringList& variables) {
        std::vector<CupsJob> found;
        const QString out =
            runTool(QStringLiteral("ipptool"),
                    QStringList{QStringLiteral("-c")} << variables << uri << support + request);
        for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            if (const auto job = parseJobRow(line.trimmed()))
                found.push_back(*job);
        return found;
    };
    std::vector<CupsJob> result = ask(QStringLiteral("cups_get_jobs.test"), {});
    // The list gives no name for a job that has ended; the job itself does.
    for (CupsJob& job : result) {
        if (!job.name.isEmpty())
            continue;
        const std::vector<CupsJob> one =
            ask(QStringLiteral("cups_job_name.test"),
                {QStringLiteral("-d"), QStringLiteral("job=%1").arg(job.id)});
        if (one.size() == 1)
            job = one[0];
    }
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

std::string CupsQueue::describeJobs() const {
    QString out;
    for (const CupsJob& job : jobs())
        out += QStringLiteral("%1 %2 %3\n").arg(job.id).arg(job.state, job.name);
    return out.toStdString();
}

QString CupsQueue::pdfOf(const CupsJob& job) const {
    // The back end labels every file with its job number.
    const QStringList found =
        QDir(pdfDir).entryList({QStringLiteral("*job_%1.pdf").arg(job.id)}, QDir::Files);
    return found.isEmpty() ? QString() : QDir(pdfDir).filePath(found.first());
}

std::vector<QImage> pdfPageImages(const QString& pdf, int dpi) {
    std::vector<QImage> pages;
    QTemporaryDir dir;
    if (!haveTool("pdftoppm") || !dir.isValid())
        return pages;
    bool ok = false;
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"),
             QStringLiteral("-png"), pdf, dir.filePath(QStringLiteral("p"))},
            &ok);
    if (!ok)
        return pages;
    // pdftoppm numbers the files with as many digits as the last page needs.
    const QStringList files =
        QDir(dir.path()).entryList({QStringLiteral("p-*.png")}, QDir::Files, QDir::Name);
    for (const QString& f : files)
        pages.push_back(QImage(dir.filePath(f)));
    return pages;
}

} // namespace vx::test
