// Expression evaluation throughput: what a text object with a few bracketed
// expressions costs per band, the number-in-words conversion, and the
// number texts of the standard conversion, the grouped format and currency.
#include "expr/evaluator.h"
#include "expr/format.h"
#include "expr/number_words.h"
#include "platform/locale_settings.h"

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

void BM_StandardFloatText(benchmark::State& state) {
    vx::setLocaleSettings(vx::LocaleSettings::italian());
    double v = 1234.5678;
    for (auto _ : state) {
        benchmark::DoNotOptimize(vx::Variant(v).toString());
        v += 0.001;
    }
}
BENCHMARK(BM_StandardFloatText);

void BM_GroupedNumberFormat(benchmark::State& state) {
    vx::setLocaleSettings(vx::LocaleSettings::italian());
    const vx::Variant value(1234567.891);
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::FormatValue(value, 0x0103022C, QString()));
}
BENCHMARK(BM_GroupedNumberFormat);

void BM_CurrencyFromDouble(benchmark::State& state) {
    double v = 123456.7891;
    for (auto _ : state) {
        benchmark::DoNotOptimize(vx::Currency::fromDouble(v));
        v += 0.01;
    }
}
BENCHMARK(BM_CurrencyFromDouble);

} // namespace
