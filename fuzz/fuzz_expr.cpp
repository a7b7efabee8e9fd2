// Fuzz target: evaluates the input as an expression. Every input must end
// in a value or a VxError, never a crash, a hang or unbounded recursion.
// The resolver knows two names, answers calls of the built-in function
// library, and evaluates the arguments of any other call, so nested
// evaluation from inside the resolver is exercised too.
#include "expr/euro.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/number_words.h"
#include "platform/errors.h"

#include <cstddef>
#include <cstdint>

namespace {

void resolve(const QString& name, const QStringList* arguments, vx::Variant& value) {
    if (arguments) {
        QString message;
        if (vx::CallBuiltinFunction(name.toUpper(), *arguments, value, &message) ==
            vx::CallOutcome::Done)
            return;
        vx::Variant last = vx::Variant::null();
        for (const QString& a : *arguments)
            last = vx::EvaluateExpression(a);
        if (name.compare(QLatin1String("WORDS"), Qt::CaseInsensitive) == 0)
            value = vx::Variant(vx::NumberToLetter(last));
        else if (name.compare(QLatin1String("EURO"), Qt::CaseInsensitive) == 0)
            value = vx::Variant(vx::MoneyToEuroText(last));
        else
            value = last;
    } else if (name == QLatin1String("X")) {
        value = vx::Variant(42);
    } else if (name == QLatin1String("S")) {
        value = vx::Variant(QStringLiteral("testo"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    vx::ScopedExprResolver scope(resolve, size % 2 ? vx::kExprQuiet : vx::kExprStrict);
    try {
        vx::Variant v;
        vx::EvaluateExpression(text, v);
        (void)v.toString();
    } catch (const vx::VxError&) {
    }
    return 0;
}
