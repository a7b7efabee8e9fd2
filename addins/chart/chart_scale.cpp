#include "addins/chart/chart_scale.h"

#include "expr/euro.h"
#include "expr/format.h"
#include "expr/variant.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"

#include <algorithm>
#include <cmath>

namespace vx {

namespace {

// The euro rate as the chart's euro labels divide by it.
constexpr double kLireForEuro = 1936.27;

// Nearest integer, halves to even, for any finite double.
double roundHalfEven(double v) {
    return std::nearbyint(v); // the default rounding mode rounds halves to even
}

QString integerText(double value) {
    const double r = roundHalfEven(value);
    if (std::fabs(r) < 9.2e18)
        return QString::number(int64_t(r));
    return FormatGeneralFloat(r, localeSettings().decimalSeparator);
}

QString patternText(double value, const QString& pattern) {
    const LocaleSettings& ls = localeSettings();
    return FormatFloatPattern(value, pattern, ls.decimalSeparator, ls.thousandSeparator);
}

QString moneyText(double value) {
    return FormatMoney(Currency::fromDouble(value));
}

QString euroText(double value) {
    const double cents = roundHalfEven(value / kLireForEuro * 100);
    return EuroPrefix() + FormatGroupedFixed2(cents / 100);
}

QString codeText(double value, QChar code) {
    switch (code.unicode()) {
    case '1':
        return moneyText(value);
    case '2':
        return euroText(value);
    case '3':
        return patternText(value, QStringLiteral("0.##"));
    case '4':
        return patternText(value, QStringLiteral("0.00"));
    case '5':
        return patternText(value, QStringLiteral("0,.##"));
    case '6':
        return patternText(value, QStringLiteral("0,.00"));
    case '7':
        return patternText(value, QStringLiteral("0,"));
    default: // a code the editor does not offer
        return integerText(value);
    }
}

} // namespace

ChartScale ComputeChartScale(double smallest, double largest) {
    ChartScale s;
    s.Min = std::min(smallest, 0.0);
    s.Max = std::max(largest, 0.0);
    s.Step = (s.Max - s.Min) / kChartSteps;
    return s;
}

QString ChartScaleLabel(double value, const QString& yFormat) {
    if (!std::isfinite(value))
        return QString();
    try {
        if (yFormat.isEmpty())
            return integerText(value);
        if (yFormat.startsWith(QLatin1Char('[')))
            return codeText(value, yFormat.size() > 1 ? yFormat.at(1) : QChar());
        return patternText(value, yFormat);
    } catch (const VxError&) {
        // A value beyond what the currency formats hold.
        return integerText(value);
    }
}

QStringList ChartScaleLabels(const ChartScale& scale, const QString& yFormat) {
    QStringList labels;
    labels.reserve(kChartGridLines);
    for (int k = 0; k < kChartGridLines; ++k)
        labels << ChartScaleLabel(ChartGridValue(scale, k), yFormat);
    return labels;
}

int64_t ChartSlotCount(int64_t records, int64_t series) {
    return records * series * 2 + records - 1;
}

int64_t ChartFirstSlot(int64_t record, int64_t series, int64_t seriesCount) {
    return record * (2 * seriesCount + 1) + 2 * series;
}

QString ShortenChartText(const QString& text, int limit) {
    if (text.size() <= limit)
        return text;
    return text.left(limit - 1) + QLatin1Char('.');
}

int32_t RoundToPixel(double value) {
    if (std::isnan(value))
        return 0;
    const double r = roundHalfEven(std::clamp(value, -2147483647.0, 2147483647.0));
    return int32_t(r);
}

} // namespace vx
