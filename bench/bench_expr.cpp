// Expression evaluation throughput: what a text object with a few bracketed
// expressions costs per band, and the number-in-words conversion.
#include "expr/evaluator.h"
#include "expr/number_words.h"

#include <benchmark/benchmark.h>

namespace {

void resolve(const QString& name, const QStringList* arguments, vx::Variant& value) {
    if (arguments) {
        if (!arguments->isEmpty())
            value = vx::EvaluateExpression(arguments->front());
    } else if (name == QLatin1String("Prezzo")) {
        value = vx::Variant(12.5);
    } else if (name == QLatin1String("Quantita")) {
        value = vx::Variant(3);
    }
}

void BM_EvaluateArithmetic(benchmark::State& state) {
    vx::ScopedExprResolver scope(resolve);
    const QString text =
        QStringLiteral("(Prezzo * Quantita + 2.5) / 2 > 10 AND NOT (Quantita MOD 2 = 0)");
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::EvaluateExpression(text));
}
BENCHMARK(BM_EvaluateArithmetic);

void BM_EvaluateNestedCalls(benchmark::State& state) {
    vx::ScopedExprResolver scope(resolve);
    const QString text = QStringLiteral("F(G(1, 'a,b'), H(Prezzo + 1)) + 1");
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::EvaluateExpression(text));
}
BENCHMARK(BM_EvaluateNestedCalls);

void BM_NumberToWords(benchmark::State& state) {
    const vx::Currency value = vx::Currency::fromDouble(1234567.89);
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::NumberToWords(value));
}
BENCHMARK(BM_NumberToWords);

} // namespace
