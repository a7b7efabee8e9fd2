// Extraction of the strings of a picture's text records.

#include "platform/emf/emf_text.h"

#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_records.h"
#include "tests/support/emf_test_builder.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::emf;
using vx::test::EmfTestBuilder;

namespace {

// EXTTEXTOUTA payload: 8-bit string, no advances.
QByteArray extTextOutA(const QByteArray& text, QPoint ref) {
    QByteArray p = vx::test::extTextOutW(QString(), ref);
    // Patch the character count and append the bytes at offString (76).
    p[36] = char(text.size());
    p.append(text);
    while (p.size() % 4)
        p.append('\0');
    return p;
}

// SMALLTEXTOUT with ETO_NO_RECT | ETO_SMALL_CHARS: 8-bit characters, no bounds.
QByteArray smallTextOut(const QByteArray& text, QPoint ref) {
    QByteArray p;
    ByteWriter w(&p);
    w.i32(ref.x());
    w.i32(ref.y());
    w.u32(uint32_t(text.size()));
    w.u32(kEtoNoRect | kEtoSmallChars);
    w.u32(1);
    w.f32(1);
    w.f32(1);
    p.append(text);
    return p;
}

// POLYTEXTOUTW with two strings.
QByteArray polyTextOutW(const QString& a, const QString& b) {
    QByteArray p;
    ByteWriter w(&p);
    for (int v : {0, 0, 100, 40})
        w.i32(v);
    w.u32(1);
    w.f32(1);
    w.f32(1);
    w.u32(2);
    const uint32_t first = 8 + 16 + 12 + 4 + 2 * 40; // strings after both EmrText
    const uint32_t second = first + uint32_t(a.size()) * 2;
    int y = 10;
    for (auto [s, off] : {std::pair{a, first}, std::pair{b, second}}) {
        w.i32(5);
        w.i32(y);
        w.u32(uint32_t(s.size()));
        w.u32(off);
        w.u32(0);
        for (int v : {0, 0, 0, 0})
            w.i32(v);
        w.u32(0);
        y += 20;
    }
    for (const QString& s : {a, b})
        for (QChar c : s)
            w.u16(c.unicode());
    return p;
}

} // namespace

TEST(EmfText, StringsOfEveryTextRecordInRecordOrder) {
    EmfTestBuilder b;
    b.raw(EMR_EXTTEXTOUTW,
          vx::test::extTextOutW(QStringLiteral("Città"), QPoint(10, 20), {7, 7, 7, 7, 7}))
        .rec(EMR_MOVETOEX, {0, 0})
        .raw(EMR_EXTTEXTOUTA, extTextOutA(QByteArray("Prezzo \x80 5"), QPoint(1, 2)))
        .raw(EMR_POLYTEXTOUTW, polyTextOutW(QStringLiteral("uno"), QStringLiteral("due")))
        .raw(EMR_SMALLTEXTOUT, smallTextOut("abc", QPoint(3, 4)))
        .raw(EMR_EXTTEXTOUTW, vx::test::extTextOutW(QString(), QPoint(0, 0)));
    const auto items = extractText(EmfPicture::parse(b.build()));
    ASSERT_EQ(items.size(), 6u);
    struct Expected {
        int record;
        uint32_t type;
        QString text;
        QPoint ref;
    };
    const Expected expected[] = {
        {1, EMR_EXTTEXTOUTW, QStringLiteral("Città"), {10, 20}},
        {3, EMR_EXTTEXTOUTA, QStringLiteral("Prezzo € 5"), {1, 2}}, // Windows-1252
        {4, EMR_POLYTEXTOUTW, QStringLiteral("uno"), {5, 10}},
        {4, EMR_POLYTEXTOUTW, QStringLiteral("due"), {5, 30}},
        {5, EMR_SMALLTEXTOUT, QStringLiteral("abc"), {3, 4}},
        {6, EMR_EXTTEXTOUTW, QString(), {0, 0}},
    };
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].recordIndex, expected[i].record) << i;
        EXPECT_EQ(items[i].recordType, expected[i].type) << i;
        EXPECT_EQ(items[i].text.toStdString(), expected[i].text.toStdString()) << i;
        EXPECT_EQ(items[i].reference, expected[i].ref) << i;
    }
    EXPECT_EQ(items[0].advances, (std::vector<int32_t>{7, 7, 7, 7, 7}));
    EXPECT_EQ(items[0].bounds, (RectL{10, 20, 110, 40}));
    EXPECT_TRUE(items[1].advances.empty());
}

TEST(EmfText, TextOfRecordAnswersOnlyForExtTextOut) {
    EmfTestBuilder b;
    b.raw(EMR_EXTTEXTOUTW, vx::test::extTextOutW(QStringLiteral("x"), QPoint(1, 1)))
        .rec(EMR_RECTANGLE, {0, 0, 1, 1});
    const EmfPicture pic = EmfPicture::parse(b.build());
    ASSERT_TRUE(textOfRecord(pic.record(1), 1).has_value());
    EXPECT_EQ(textOfRecord(pic.record(1), 1)->text, QStringLiteral("x"));
    EXPECT_FALSE(textOfRecord(pic.record(2), 2).has_value());
    EXPECT_EQ(recordBounds(pic.record(2)), (RectL{0, 0, 1, 1}));
    EXPECT_FALSE(recordBounds(pic.record(0)).has_value());
}
