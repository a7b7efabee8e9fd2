// Rich text: expanding the bracketed expressions of a one-page letter and
// laying it out (the measuring draw of a rich text object), and drawing the
// measured letter into a page picture.
#include "addins/richtext/rich_view.h"
#include "platform/emf/recording_canvas.h"
#include "report/library_state.h"
#include "report/report.h"
#include "report/report_hooks.h"

#include <benchmark/benchmark.h>

namespace {

// About 40 lines of A4 text in two faces with 45 expressions.
QByteArray letterRtf() {
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman "
        "Times New Roman;}}{\\colortbl ;\\red0\\green0\\blue128;}\\pard\\qr\\f0\\fs20 "
        "[Citta], [Data]\\par\\par\\pard\\b [Cliente]\\b0\\par [Indirizzo]\\par "
        "[Cap] [Citta]\\par\\par\\pard\\qj\\f1\\fs22 ";
    for (int i = 0; i < 10; ++i)
        rtf += "Gentile \\b [Cliente]\\b0 , con la presente le comunichiamo che la fattura "
               "numero \\cf1 [Numero]\\cf0  del [Data] per un importo di \\i [Importo]\\i0  euro "
               "risulta ancora da saldare. La preghiamo di provvedere al pagamento entro "
               "trenta giorni dal ricevimento di questa lettera, utilizzando le coordinate "
               "bancarie indicate in calce.\\par ";
    rtf += "\\pard\\li4320 Cordiali saluti\\par\\b L'amministrazione\\b0\\par}";
    return rtf;
}

QString value(const QString& name) {
    if (name == QLatin1String("Cliente"))
        return QStringLiteral("Rossi Mario S.r.l.");
    if (name == QLatin1String("Importo"))
        return QStringLiteral("1.234,56");
    return QStringLiteral("valore di ") + name;
}

struct Letter {
    Letter() : view(&report) {
        view.RichText.load(letterRtf());
        view.Left = 38;
        view.Top = 38;
        view.Width = 718;
        view.Height = 40;
        view.Flags = vx::mfStretched;
        vx::reportHooks().ExpandValue = [](const QString& e, int32_t, const QString&) {
            return value(e);
        };
        vx::PrintMode = true;
    }
    void measure(vx::Canvas& canvas) {
        view.Expanded = 0;
        view.Measured = 0;
        view.DrawMode = vx::dmMeasure;
        view.Draw(canvas);
    }
    vx::TvxReport report;
    vx::TvxRichView view;
};

void BM_RichLetterExpandAndLayout(benchmark::State& state) {
    Letter letter;
    vx::emf::RecordingCanvas canvas(QSize(794, 1123));
    for (auto _ : state) {
        letter.measure(canvas);
        benchmark::DoNotOptimize(letter.view.LineCount);
    }
    state.counters["lines"] = letter.view.LineCount;
    state.counters["chars"] = letter.view.WorkRich.length();
}
BENCHMARK(BM_RichLetterExpandAndLayout)->Unit(benchmark::kMicrosecond);

void BM_RichLetterDraw(benchmark::State& state) {
    Letter letter;
    for (auto _ : state) {
        vx::emf::RecordingCanvas canvas(QSize(794, 1123));
        letter.measure(canvas);
        letter.view.DrawMode = vx::dmDrawMeasured;
        letter.view.Draw(canvas);
        benchmark::DoNotOptimize(canvas.finish());
    }
}
BENCHMARK(BM_RichLetterDraw)->Unit(benchmark::kMicrosecond);

} // namespace
