// Entry point of the benchmarks: an application object on the offscreen
// platform (fonts, images and printers need one), then Google Benchmark.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <clocale>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The application object took the C library's locale from the
    // environment; the benchmark library reads its flags and writes its
    // figures (JSON too) with the C library, which must then use ".".
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
