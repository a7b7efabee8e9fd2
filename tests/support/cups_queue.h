#pragma once

// The printer of the tests' private CUPS scheduler (started for the run by
// scripts/services/with_services.sh) and the state of its jobs, read over
// IPP. Tests that print take the queue from here and skip, naming what is
// missing, when the run has none: they never print on the system's printers.

#include <QImage>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace vx::test {

struct CupsJob {
    int id = 0;
    QString state; // IPP keyword: pending, processing, completed, aborted, canceled, ...
    QString name;  // the job's title
    bool finished() const;
};

class CupsQueue {
public:
    // The run's queue, or nothing with the reason in `whyNot`.
    static std::optional<CupsQueue> fromEnvironment(QString& whyNot);

    QString printer; // queue name
    QString pdfDir;  // where the queue's back end writes a PDF per job
    QString socket;  // the scheduler's local socket

    // Every job of the queue, in the scheduler's order.
    std::vector<CupsJob> jobs() const;

    // Waits until `count` jobs titled `name` have ended (completed, aborted
    // or canceled) and returns them in the order they were queued; fewer
    // when `timeoutMs` ran out first (a loaded machine converts slowly).
    std::vector<CupsJob> waitForJobs(const QString& name, int count, int timeoutMs = 180000) const;

    // The queue's jobs as lines "id state name", for a failure's message.
    std::string describeJobs() const;

    // The PDF the queue wrote for a finished job (empty when there is none).
    QString pdfOf(const CupsJob& job) const;
};

// The pages of a PDF as images at `dpi` (pdftoppm), or none when the tool
// is missing or the file unreadable. (The queue's PDFs carry the text as
// drawn glyphs, not as text a reader could extract.)
std::vector<QImage> pdfPageImages(const QString& pdf, int dpi);

} // namespace vx::test
