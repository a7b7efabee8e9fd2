#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(Codepage, EveryByteRoundTrips) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = fromCp1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(toCp1252(text), all);
}

TEST(Codepage, KnownCharacters) {
    struct Row {
        unsigned char byte;
        char16_t unicode;
    } rows[] = {{0x80, 0x20AC}, {0x85, 0x2026}, {0x92, 0x2019}, {0x9F, 0x0178}, {0x81, 0x0081},
                {0xBD, 0x00BD}, {0xE0, 0x00E0}, {0x41, 'A'},    {0x00, 0}};
    for (const Row& r : rows) {
        EXPECT_EQ(cp1252ToChar(r.byte).unicode(), r.unicode) << int(r.byte);
        EXPECT_EQ(static_cast<unsigned char>(charToCp1252(QChar(r.unicode))), r.byte)
            << int(r.byte);
    }
}

TEST(Codepage, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(toCp1252(QStringLiteral("a\u0100b\u4E2D")), QByteArray("a?b?"));
    // A character outside the basic plane is one '?', not two.
    EXPECT_EQ(toCp1252(QString::fromUtf8("x\xF0\x9F\x98\x80y")), QByteArray("x?y"));
    EXPECT_FALSE(isCp1252Encodable(QChar(0x0100)));
    EXPECT_TRUE(isCp1252Encodable(QChar(0x20AC)));
    EXPECT_TRUE(fromCp1252(nullptr, 5).isEmpty());
}

} // namespace
} // namespace vx
