// Entry point of the benchmarks: an application object on the offscreen
// platform (fonts, images and printers need one), then Google Benchmark.
//
// `vx_bench --write-list-report DIR ROWS` writes the engine benchmark's
// template (lista.vxf) and database (lista.sqlite) into DIR instead, for
// timing the whole `vxtool prepare` process.
#include "list_report.h"

#include <QApplication>
#include <QDir>
#include <benchmark/benchmark.h>

#include <clocale>
#include <cstring>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The application object took the C library's locale from the
    // environment; the benchmark library reads its flags and writes its
    // figures (JSON too) with the C library, which must then use ".".
    std::setlocale(LC_NUMERIC, "C");
    if (argc == 4 && std::strcmp(argv[1], "--write-list-report") == 0) {
        const QDir dir(QString::fromLocal8Bit(argv[2]));
        vx::bench::makeListDatabase(dir.filePath(QStringLiteral("lista.sqlite")),
                                    std::atoi(argv[3]));
        vx::bench::writeListTemplate(dir.filePath(QStringLiteral("lista.vxf")));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
