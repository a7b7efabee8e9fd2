#include "platform/fonts.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

FontSpec arial(int height, int weight = 400) {
    FontSpec f;
    f.face = QStringLiteral("Arial");
    f.height = height;
    f.weight = weight;
    return f;
}

TEST(Fonts, ArialTenPointMatchesReferenceDevice) {
    const TextMetrics m = fontTextMetrics(arial(-13));
    EXPECT_EQ(m.height, 15);
    EXPECT_EQ(m.ascent, 12);
    EXPECT_EQ(m.descent, 3);
    EXPECT_EQ(fontTextWidth(arial(-13), QStringLiteral("hello wo")), 48);
}

TEST(Fonts, AdvancesAddUpToWidth) {
    const QString text = QStringLiteral("Totale fattura: 1.234,56 € — àèìòù");
    for (int h : {-8, -11, -13, -16, -24, 20}) {
        const auto adv = fontCharAdvances(arial(h), text);
        ASSERT_EQ(adv.size(), size_t(text.size()));
        int sum = 0;
        for (int a : adv)
            sum += a;
        EXPECT_EQ(sum, fontTextWidth(arial(h), text)) << h;
    }
}

TEST(Fonts, PointSizesToPixelHeights) {
    struct Row {
        int points, height;
    } rows[] = {{8, -11}, {10, -13}, {12, -16}, {18, -24}, {9, -12}, {0, 0}};
    for (const Row& r : rows)
        EXPECT_EQ(fontHeightForPoints(r.points), r.height) << r.points;
}

TEST(Fonts, PositiveHeightIsCellHeight) {
    for (int cell : {12, 15, 16, 20, 37}) {
        const TextMetrics m = fontTextMetrics(arial(cell));
        EXPECT_NEAR(m.height, cell, 1) << cell;
    }
    EXPECT_EQ(fontTextMetrics(arial(15)).height, 15);
}

TEST(Fonts, AverageWidthFromFaceTable) {
    // Arial's xAvgCharWidth is 904 units of 2048: 5.74 -> 6 at -13.
    EXPECT_EQ(fontTextMetrics(arial(-13)).aveCharWidth, 6);
    EXPECT_EQ(fontTextMetrics(arial(-24)).aveCharWidth, 11); // 10.6
}

TEST(Fonts, GivenWidthStretchesAdvances) {
    FontSpec wide = arial(-13);
    wide.width = 12;
    EXPECT_EQ(fontTextMetrics(wide).aveCharWidth, 12);
    // Twice the natural 5.74 average: the text is about twice as wide.
    EXPECT_NEAR(fontTextWidth(wide, QStringLiteral("hello wo")), 48 * 12 / 5.74, 2);
}

TEST(Fonts, BoldIsWider) {
    EXPECT_GT(fontTextWidth(arial(-13, 700), QStringLiteral("hello world")),
              fontTextWidth(arial(-13), QStringLiteral("hello world")));
}

TEST(Fonts, SubstitutionTable) {
    struct Row {
        const char* windows;
        const char* installed;
    } rows[] = {{"Arial", "Liberation Sans"},           {"arial", "Liberation Sans"},
                {"MS Sans Serif", "Liberation Sans"},   {"Times New Roman", "Liberation Serif"},
                {"Courier New", "Liberation Mono"},     {"DejaVu Sans", "DejaVu Sans"},
                {" Arial ", "Liberation Sans"},         {"", "Liberation Sans"},
                {"TIMES NEW ROMAN", "Liberation Serif"}};
    // Twice over: the second answers come from the remembered lookups.
    for (int pass = 0; pass < 2; ++pass)
        for (const Row& r : rows)
            EXPECT_EQ(substituteFace(QString::fromLatin1(r.windows)),
                      QString::fromLatin1(r.installed))
                << r.windows << " pass " << pass;
    // A narrow face that is not installed falls back to the regular one.
    EXPECT_TRUE(substituteFace(QStringLiteral("Arial Narrow"))
                    .startsWith(QStringLiteral("Liberation Sans")));
}

TEST(Fonts, CourierIsFixedPitch) {
    FontSpec f = arial(-13);
    f.face = QStringLiteral("Courier New");
    const auto adv = fontCharAdvances(f, QStringLiteral("iiiiWWWW"));
    EXPECT_EQ(fontTextWidth(f, QStringLiteral("iiii")), fontTextWidth(f, QStringLiteral("WWWW")));
    EXPECT_EQ(adv.size(), 8u);
}

TEST(Fonts, QFontHasNoHintingAndSubstitutedFace) {
    const QFont f = qfontFor(arial(-13), 2.0);
    EXPECT_EQ(f.family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(f.pixelSize(), 26);
    EXPECT_EQ(f.hintingPreference(), QFont::PreferNoHinting);
}

} // namespace
} // namespace vx
