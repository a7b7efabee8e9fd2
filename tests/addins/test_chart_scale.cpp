// The chart's arithmetic without drawing: scale, scale labels by format,
// slots of the horizontal axis, shortened texts.
#include "addins/chart/chart_scale.h"
#include "platform/locale_settings.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

class ChartScaleTest : public ::testing::Test {
protected:
    void SetUp() override { setLocaleSettings(LocaleSettings::italian()); }
    void TearDown() override { resetLocaleSettings(); }
};

struct ScaleCase {
    const char* name;
    double smallest, largest;
    ChartScale expected;
};

class ChartScaleRange : public ChartScaleTest, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(ChartScaleRange, AlwaysIncludesZeroInTwentySteps) {
    const ScaleCase& c = GetParam();
    EXPECT_EQ(ComputeChartScale(c.smallest, c.largest), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChartScaleRange,
                         ::testing::Values(ScaleCase{"positive_from_zero", 10, 30, {0, 30, 1.5}},
                                           ScaleCase{"across_zero", -5, 15, {-5, 15, 1}},
                                           ScaleCase{
                                               "negative_up_to_zero", -30, -10, {-30, 0, 1.5}},
                                           ScaleCase{"all_zero", 0, 0, {0, 0, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct LabelCase {
    const char* name;
    const char* format;
    double value;
    const char* text;
};

class ChartLabel : public ChartScaleTest, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(ChartLabel, FollowsTheValueFormat) {
    const LabelCase& c = GetParam();
    EXPECT_EQ(ChartScaleLabel(c.value, QString::fromUtf8(c.format)), QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChartLabel,
    ::testing::Values(LabelCase{"empty_rounds_halves_to_even_down", "", 4.5, "4"},
                      LabelCase{"empty_rounds_halves_to_even_up", "", 1.5, "2"},
                      LabelCase{"empty_negative", "", -2.5, "-2"},
                      LabelCase{"lire", "[1] - Lire", 1234.5, "€ 1.234,50"},
                      LabelCase{"lire_negative", "[1] - Lire", -5, "€ -5,00"},
                      LabelCase{"euro", "[2] - Euro", 1936270, "€ 1.000,00"},
                      LabelCase{"number_1234_5", "[3] - Numero (1234,5)", 1.5, "1,5"},
                      LabelCase{"number_1234_50", "[4] - Numero (1234,50)", 1.5, "1,50"},
                      LabelCase{"grouped_1234_5", "[5] - Numero (1.234,5)", 1234.5, "1.234,5"},
                      LabelCase{"grouped_1234_50", "[6] - Numero (1.234,50)", 1234.5, "1.234,50"},
                      LabelCase{"grouped_integer", "[7] - Numero (1.234)", 1234, "1.234"},
                      LabelCase{"only_two_characters_count", "[3xyz", 0.25, "0,25"},
                      LabelCase{"unknown_code_is_the_integer", "[9] - Altro", 2.5, "2"},
                      LabelCase{"lone_bracket_is_the_integer", "[", 3.5, "4"},
                      LabelCase{"own_pattern", "0.0", 2.25, "2,3"},
                      LabelCase{"beyond_currency_range_is_the_integer", "[1", 1e300, "1E300"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChartScaleTest, TenTwentyThirtyLabelsReadInHalfSteps) {
    const QStringList labels =
        ChartScaleLabels(ComputeChartScale(10, 30), QStringLiteral("[3] - Numero (1234,5)"));
    ASSERT_EQ(labels.size(), kChartGridLines);
    EXPECT_EQ(labels.mid(0, 4), (QStringList{"0", "1,5", "3", "4,5"}));
    EXPECT_EQ(labels.last(), QStringLiteral("30"));
}

TEST(ChartSlots, TwoSlotsPerSeriesAndOneBetweenRecords) {
    EXPECT_EQ(ChartSlotCount(3, 2), 14);
    EXPECT_EQ(ChartFirstSlot(1, 0, 2), 5); // record 1's bars on slots 5-6 and 7-8
    EXPECT_EQ(ChartFirstSlot(1, 1, 2), 7);
    EXPECT_EQ(ChartSlotCount(1, 1), 2);
}

TEST(ChartTexts, LongTextsEndInAFullStop) {
    const QString legend25 = QStringLiteral("Fatturato annuale Nord-Es");
    EXPECT_EQ(ShortenChartText(legend25, kLegendTextLimit), legend25.left(19) + ".");
    EXPECT_EQ(ShortenChartText(legend25.left(20), kLegendTextLimit), legend25.left(20));
    EXPECT_EQ(ShortenChartText(QStringLiteral("Gennaio 2024!"), kRecordLabelLimit),
              QStringLiteral("Gennaio 202."));
}

} // namespace
} // namespace vx
