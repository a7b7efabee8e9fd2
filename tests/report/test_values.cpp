// Variable bindings and their stored block.

#include "report/values.h"

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace vx;

namespace {

TEST(Values, FindVariableIgnoresCaseAndTakesTheFirst) {
    TvxValues v;
    v.SetName(v.AddValue(), QStringLiteral("Total"));
    v.SetName(v.AddValue(), QStringLiteral("TOTAL"));
    EXPECT_EQ(v.FindVariable(QStringLiteral("total")), v.Items(0));
    EXPECT_EQ(v.FindVariable(QStringLiteral("nessuna")), nullptr);
    EXPECT_EQ(v.Items(2), nullptr);
    EXPECT_EQ(v.Items(-1), nullptr);
    EXPECT_EQ(v.Items(0)->Kind, vkNone);
}

TEST(Values, BlockRoundTripKeepsOrderKindsAndTexts) {
    TvxValues v;
    struct Row {
        const char* name;
        uint8_t kind;
        int32_t code;
        const char* dataset;
        const char* field;
    } rows[] = {
        {"Zeta", vkDataField, 0, "Dati.clienti", "nome"},
        {"Alfa", vkSpecial, svExpression, "", "[a] + 1"},
        {"Pagina", vkSpecial, svPageNo, "", ""},
        {"Vuota", vkNone, 0, "", ""},
        {"Città", vkDataField, 0, "clienti", "\"Ragione sociale\""},
    };
    for (const Row& r : rows) {
        const int i = v.AddValue();
        v.SetName(i, QString::fromUtf8(r.name));
        v.Items(i)->Kind = r.kind;
        v.Items(i)->SpecialCode = r.code;
        v.Items(i)->DataSetName = QString::fromUtf8(r.dataset);
        v.Items(i)->FieldName = QString::fromUtf8(r.field);
    }
    QByteArray bytes;
    ByteWriter out(&bytes);
    v.WriteBinaryData(out);
    // count, then "Zeta": kind 1, code 0, "Dati.clienti", "nome", "Zeta".
    EXPECT_EQ(bytes.left(4 + 1 + 4 + 1 + 12).toHex(), QByteArray("05000000"
                                                                 "01"
                                                                 "00000000"
                                                                 "0c") +
                                                          QByteArray("Dati.clienti").toHex());
    TvxValues back;
    back.SetName(back.AddValue(), QStringLiteral("old"));
    ByteReader in(bytes);
    ASSERT_TRUE(back.ReadBinaryData(in));
    EXPECT_TRUE(in.atEnd());
    ASSERT_EQ(back.Count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(back.Names(i), QString::fromUtf8(rows[i].name));
        EXPECT_EQ(back.Items(i)->Kind, rows[i].kind);
        EXPECT_EQ(back.Items(i)->SpecialCode, rows[i].code);
        EXPECT_EQ(back.Items(i)->DataSetName, QString::fromUtf8(rows[i].dataset));
        EXPECT_EQ(back.Items(i)->FieldName, QString::fromUtf8(rows[i].field));
    }
    EXPECT_EQ(bytes.count(char(0xE0)), 1) << "Windows-1252 a-grave in the name";
}

TEST(Values, LongTextsAreCutTo255) {
    TvxValues v;
    v.SetName(v.AddValue(), QString(300, QLatin1Char('n')));
    v.Items(0)->FieldName = QString(256, QLatin1Char('f'));
    QByteArray bytes;
    ByteWriter out(&bytes);
    v.WriteBinaryData(out);
    TvxValues back;
    ByteReader in(bytes);
    ASSERT_TRUE(back.ReadBinaryData(in));
    EXPECT_EQ(back.Names(0), QString(255, QLatin1Char('n')));
    EXPECT_EQ(back.Items(0)->FieldName, QString(255, QLatin1Char('f')));
}

TEST(Values, DamagedBlocksFailWithoutHugeAllocations) {
    struct Case {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"negative count", QByteArray::fromHex("ffffffff")},
        {"count beyond the bytes", QByteArray::fromHex("ffffff7f00000000000000")},
        {"record cut in its name", QByteArray::fromHex("01000000"
                                                       "02"
                                                       "01000000"
                                                       "00"
                                                       "00"
                                                       "05"
                                                       "6162")},
    };
    for (const Case& c : cases) {
        TvxValues v;
        ByteReader in(c.bytes);
        EXPECT_FALSE(v.ReadBinaryData(in)) << c.name;
        EXPECT_FALSE(in.ok()) << c.name;
        EXPECT_EQ(v.Count(), 0) << c.name;
    }
    TvxValues none;
    QByteArray zero = QByteArray::fromHex("00000000");
    ByteReader in(zero);
    EXPECT_TRUE(none.ReadBinaryData(in));
}

TEST(Values, SortOrdersByNameWithoutCase) {
    TvxValues v;
    for (const char* n : {"beta", "Alfa", "gamma", "ALFA"})
        v.SetName(v.AddValue(), QLatin1String(n));
    v.Sort();
    QStringList names;
    for (int i = 0; i < v.Count(); ++i)
        names << v.Names(i);
    EXPECT_EQ(names.join(' '), QStringLiteral("Alfa ALFA beta gamma"));
    EXPECT_TRUE(v.Sorted());
}

TEST(Values, SpecialValueFixedNames) {
    const char* expected[] = {"PAGE#",        "",        "DATE",     "TIME",      "LINE#",
                              "LINETHROUGH#", "COLUMN#", "CURRENT#", "TOTALPAGES"};
    for (int code = 0; code < kSpecialCodeCount; ++code)
        EXPECT_EQ(SpecialValueFixedName(code), QLatin1String(expected[code])) << code;
    EXPECT_TRUE(SpecialValueFixedName(9).isEmpty());
    EXPECT_TRUE(SpecialValueFixedName(-1).isEmpty());
}

} // namespace
