// Text objects: expanding a line with bracketed expressions, and laying out
// and drawing a wrapped, justified text into a page metafile, as the engine
// does for every record of a band.
#include "expr/evaluator.h"
#include "platform/emf/recording_canvas.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/name_resolver.h"
#include "report/report.h"
#include "report/text_layout.h"
#include "report/values.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// A report whose variables Cliente, Numero, Data, Pezzi and Totale are
// bound to expressions, the engine's state while preparing.
struct PreparingReport {
    vx::TvxReport report;
    PreparingReport() {
        vx::CurrentReport = &report;
        vx::SetExprResolver(vx::MakeReportResolver(&report));
        const std::pair<const char*, const char*> variables[] = {
            {"Cliente", "'Rossi S.p.A.'"}, {"Numero", "1234"}, {"Data", "36104"}, {"Pezzi", "12"},
            {"Totale", "1234.5"},
        };
        for (const auto& [name, expression] : variables) {
            const int v = report.Values->AddValue();
            report.Values->SetName(v, name);
            report.Values->Items(v)->Kind = vx::vkSpecial;
            report.Values->Items(v)->SpecialCode = vx::svExpression;
            report.Values->Items(v)->FieldName = expression;
        }
        vx::PrintMode = true;
    }
    ~PreparingReport() {
        vx::PrintMode = false;
        vx::SetExprResolver(nullptr);
        vx::CurrentReport = nullptr;
    }
};

void BM_ExpandLineFiveExpressions(benchmark::State& state) {
    PreparingReport preparing;
    vx::TvxMemoView memo(&preparing.report);
    memo.Lines = {"Cliente [Cliente], fattura [Numero] del [Data]: [Pezzi] pezzi, totale [Totale]"};
    for (auto _ : state) {
        memo.ExpandText();
        benchmark::DoNotOptimize(memo.ExpandedLines);
    }
}
BENCHMARK(BM_ExpandLineFiveExpressions);

void BM_ExpandLineBracketsOnly(benchmark::State& state) {
    const QString line = "Cliente [a], fattura [b] del [c]: [d] pezzi, totale [[e]]";
    const vx::ExpressionValue value = [](const QString& e) { return e; };
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::ExpandLine(line, value));
}
BENCHMARK(BM_ExpandLineBracketsOnly);

// A justified text that wraps into 20 lines, laid out and drawn (mode 0)
// into a page metafile; a fresh page after every four drawings, as many
// as an A4 page holds.
void BM_LayoutAndDrawJustified20Lines(benchmark::State& state) {
    vx::PrintMode = true;
    vx::TvxMemoView memo(nullptr);
    memo.Left = 40;
    memo.Top = 40;
    memo.Width = 300;
    memo.Height = 400;
    memo.Flags = vx::mfWordWrap;
    memo.SetHorzAlign(vx::haJustify);
    memo.Lines = {QString("Il testo giustificato si allarga fino al margine destro, "
                          "parola dopo parola, su venti righe. ")
                      .repeated(11)};
    auto canvas = std::make_unique<vx::emf::RecordingCanvas>(QSize(794, 1123));
    int drawn = 0;
    for (auto _ : state) {
        memo.Draw(*canvas);
        if (++drawn % 4 == 0) {
            state.PauseTiming();
            canvas = std::make_unique<vx::emf::RecordingCanvas>(QSize(794, 1123));
            state.ResumeTiming();
        }
    }
    state.counters["lines"] = double(memo.ExpandedLines.size());
    vx::PrintMode = false;
}
BENCHMARK(BM_LayoutAndDrawJustified20Lines);

void BM_WrapLineOf100000Characters(benchmark::State& state) {
    vx::emf::RecordingCanvas canvas(QSize(100, 100));
    canvas.setFont(vx::FontSpec{});
    const QString line = QString("parola, altra-parola. ").repeated(4546);
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::WrapLine(line, 300, canvas.designAdvances(line)));
}
BENCHMARK(BM_WrapLineOf100000Characters)->Unit(benchmark::kMillisecond);

} // namespace
