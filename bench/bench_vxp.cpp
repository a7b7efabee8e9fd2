// Prepared reports: loading a large file with its page metrics, and playing
// one text-dense page into an image at 100 %.
//
// The 1000-page file (about 30 MB of text-dense pages) is generated once
// into a temporary folder. Load reports the peak resident memory that
// loading adds, as a counter (target: at most about 1.5 x the file size).

#include "bench/dense_report.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/recording_canvas.h"
#include "platform/painter_canvas.h"
#include "report/emf_pages.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace vx;

struct BigFile {
    QTemporaryDir dir;
    QString name;
    qint64 size = 0;
    BigFile() {
        preparedPrinterAccess().SelectedPrinterName = [] {
            return QStringLiteral("Stampante predefinita");
        };
        name = dir.filePath(QStringLiteral("grande.vxp"));
        SavePreparedPages(*bench::makeDenseReport(), name);
        size = QFile(name).size();
    }
};

BigFile& bigFile() {
    static BigFile file;
    return file;
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
long statusKb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Resets the peak resident size (VmHWM) to the current one.
void resetPeakRss() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// The peak resident memory that loading the file adds, in kB: measured in
// a child process, after the heap freed so far has been given back, so that
// memory freed by earlier iterations (which the allocator keeps) cannot
// hide the growth. -1 when it cannot be measured.
// `heapKb` receives the heap in use that the loaded pages hold.
long loadPeakGrowthKb(const QString& name, long* heapKb) {
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (pid == 0) {
        close(fds[0]);
        malloc_trim(0);
        resetPeakRss(); // the child starts with its parent's peak
        const long before = statusKb("VmRSS");
        const struct mallinfo2 heapBefore = mallinfo2();
        long growth[2] = {-1, -1};
        {
            TvxEMFPages pages;
            LoadPreparedPages(pages, name);
            const struct mallinfo2 heap = mallinfo2();
            if (pages.Count() == bench::kDensePages) {
                growth[0] = statusKb("VmHWM") - before;
                growth[1] = long((heap.uordblks + heap.hblkhd) -
                                 (heapBefore.uordblks + heapBefore.hblkhd)) /
                            1024;
            }
        }
        (void)!write(fds[1], growth, sizeof growth);
        _exit(0);
    }
    close(fds[1]);
    long growth[2] = {-1, -1};
    if (read(fds[0], growth, sizeof growth) != ssize_t(sizeof growth))
        growth[0] = growth[1] = -1;
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    if (heapKb)
        *heapKb = growth[1];
    return growth[0];
}

void BM_LoadPreparedFile(benchmark::State& state) {
    BigFile& file = bigFile();
    for (auto _ : state) {
        TvxEMFPages pages;
        LoadPreparedPages(pages, file.name);
        benchmark::DoNotOptimize(pages.Count());
    }
    long heapKb = -1;
    const long growthKb = loadPeakGrowthKb(file.name, &heapKb);
    state.counters["heap_held_MB"] = double(heapKb) / 1024;
    state.counters["file_MB"] = double(file.size) / (1024 * 1024);
    state.counters["peak_rss_growth_MB"] = double(growthKb) / 1024;
    state.counters["growth_per_file_size"] = double(growthKb) * 1024 / double(file.size);
}
BENCHMARK(BM_LoadPreparedFile)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PlayDensePage(benchmark::State& state) {
    BigFile& file = bigFile();
    TvxEMFPages pages;
    LoadPreparedPages(pages, file.name);
    const emf::EmfPicture& picture = pages.Pages(500).Picture;
    QImage image(793, 1122, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        emf::EmfPlayer player(picture);
        player.play(canvas, QRectF(0, 0, 793, 1122));
    }
}
BENCHMARK(BM_PlayDensePage)->Unit(benchmark::kMillisecond);

} // namespace
