// RTF reading and writing: runs with their fonts and styles, escapes and
// Unicode, paragraphs with their formats, skipped destinations, damaged
// input, and read -> write -> read keeping the document.
#include "platform/richtext/rtf_reader.h"
#include "platform/richtext/rtf_writer.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::rich;

namespace {

QByteArray withTables(const char* body) {
    return QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New "
                      "Roman;}{\\f2\\fnil\\fcharset2 Symbol;}}{\\colortbl ;\\red255\\green0\\blue0;"
                      "\\red0\\green0\\blue255;}") +
           body + "}";
}

// "text|face/size[/b][/i][/u][/s][/r.g.b]" per run, joined by " ; ".
QString runs(const Document& d) {
    QStringList out;
    int32_t pos = 0;
    for (const Run& r : d.runs) {
        const CharFormat& f = r.format;
        QString s = d.text.mid(pos, r.length) + QLatin1Char('|') + f.face + QLatin1Char('/') +
                    QString::number(f.halfPoints);
        s += f.bold ? "/b" : "";
        s += f.italic ? "/i" : "";
        s += f.underline ? "/u" : "";
        s += f.strike ? "/s" : "";
        if (f.color != kBlack)
            s += QStringLiteral("/%1.%2.%3")
                     .arg(redOf(f.color))
                     .arg(greenOf(f.color))
                     .arg(blueOf(f.color));
        out << s;
        pos += r.length;
    }
    return out.join(QStringLiteral(" ; "));
}

QString paras(const Document& d) {
    static const char* const kAlign[] = {"l", "r", "c", "j"};
    static const char* const kNumbering[] = {"",      "bullet", "dec",  "lcltr",
                                             "ucltr", "lcrm",   "ucrm", "literal"};
    QStringList out;
    for (const ParaFormat& p : d.paras) {
        QString s = QLatin1String(kAlign[int(p.align)]);
        if (p.leftIndent || p.rightIndent || p.firstIndent)
            s += QStringLiteral(" li%1 ri%2 fi%3")
                     .arg(p.leftIndent)
                     .arg(p.rightIndent)
                     .arg(p.firstIndent);
        if (p.spaceBefore || p.spaceAfter)
            s += QStringLiteral(" sb%1 sa%2").arg(p.spaceBefore).arg(p.spaceAfter);
        for (int32_t t : p.tabs)
            s += QStringLiteral(" tx%1").arg(t);
        if (p.numbering != Numbering::None)
            s += QStringLiteral(" %1 %2 '%3' '%4' %5")
                     .arg(QLatin1String(kNumbering[int(p.numbering)]))
                     .arg(p.numberStart)
                     .arg(p.numberBefore, p.numberAfter, p.numberFace);
        out << s;
    }
    return out.join(QStringLiteral(" ; "));
}

struct ReadCase {
    const char* name;
    QByteArray input;
    QString text;
    QString runs; // empty: not checked
    QString paras;
};

const std::vector<ReadCase>& readCases() {
    static const std::vector<ReadCase> cases = {
        {"styles_and_fonts",
         withTables("\\f0\\fs20 Ciao \\b grassetto\\b0  \\i corsivo\\i0  \\ul sotto\\ulnone  "
                    "\\strike barrato\\strike0  \\f1\\fs28 Times\\par"),
         "Ciao grassetto corsivo sotto barrato Times",
         "Ciao |Arial/20 ; grassetto|Arial/20/b ;  |Arial/20 ; corsivo|Arial/20/i ;  |Arial/20 ; "
         "sotto|Arial/20/u ;  |Arial/20 ; barrato|Arial/20/s ;  |Arial/20 ; Times|Times New "
         "Roman/28",
         "l"},
        {"colours_and_a_missing_entry", withTables("\\cf1 rosso\\cf0  nero \\cf2 blu\\cf9 fuori"),
         "rosso nero blufuori",
         "rosso|Arial/24/255.0.0 ;  nero |Arial/24 ; blu|Arial/24/0.0.255 ; fuori|Arial/24", "l"},
        {"groups_restore_and_plain_resets", withTables("a{\\b b}c\\b\\i\\fs30 x\\plain y"), "abcxy",
         "a|Arial/24 ; b|Arial/24/b ; c|Arial/24 ; x|Arial/30/b/i ; y|Arial/24", "l"},
        {"escapes_and_unicode",
         withTables("\\'e8 \\'80 \\u8364? \\uc2\\u233xy\\uc1  \\{\\}\\\\\\~\\lquote\\rquote"
                    "\\u-3913?"),
         QString::fromUtf8("è € € é {}\\\u00A0‘’") + QChar(0xF0B7), "", "l"},
        {"unknown_words_and_destinations_skipped",
         withTables("{\\*\\generator Foo;}{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}"
                    "\\unknownword5 a{\\*\\unknowndest b}c{\\pict\\pngblip 89504e47}"
                    "{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}\\bin3 {}}d"),
         "aclinkd", "", "l"},
        {"paragraphs_breaks_tabs", withTables("uno\\par due\\line tre\\tab quattro\\par\\par"),
         QStringLiteral("uno\rdue\vtre\tquattro\r"), "", "l ; l ; l"},
        {"paragraph_formats",
         withTables("\\pard\\qc\\li720\\ri360\\fi-360\\sb120\\sa240\\tx1440\\tx720 centro\\par"
                    "\\pard\\qr destra\\par\\qj giusto"),
         QStringLiteral("centro\rdestra\rgiusto"), "",
         "c li720 ri360 fi-360 sb120 sa240 tx720 tx1440 ; r ; j"},
        {"bullets_as_the_rich_edit_control_writes_them",
         withTables("\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb"
                    "\\'B7}}\\fi-360\\li360 uno\\par{\\pntext\\f2\\'B7\\tab}due\\par\\pard tre"),
         QStringLiteral("uno\rdue\rtre"), "",
         QString::fromUtf8("l li360 ri0 fi-360 bullet 1 '·' '' Symbol ; l li360 ri0 fi-360 "
                           "bullet 1 '·' '' Symbol ; l")},
        {"numbering_and_word_list_labels",
         withTables("{\\*\\pn\\pnlvlbody\\pnucrm\\pnstart3{\\pntxta )}}uno\\par\\pard"
                    "{\\listtext\\f2 \\'b7\\tab}due\\par{\\listtext 4.\\tab}tre"),
         QStringLiteral("uno\rdue\rtre"), "",
         QString::fromUtf8("l ucrm 3 '' ')'  ; l bullet 1 '·' ''  ; l literal 1 '4.' '' ")},
        {"plain_text_is_read_as_lines", "riga uno\r\nriga due\nriga tre",
         QStringLiteral("riga uno\rriga due\rriga tre"),
         QStringLiteral("riga uno\rriga due\rriga tre|Arial/20"), "l ; l ; l"},
    };
    return cases;
}

class RtfRead : public ::testing::TestWithParam<ReadCase> {};

} // namespace

TEST_P(RtfRead, ReadsTextRunsAndParagraphs) {
    const ReadCase& c = GetParam();
    const RtfReadResult r = readRtf(c.input);
    EXPECT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.document.text.toStdString(), c.text.toStdString());
    if (!c.runs.isEmpty()) {
        EXPECT_EQ(runs(r.document).toStdString(), c.runs.toStdString());
    }
    EXPECT_EQ(paras(r.document).toStdString(), c.paras.toStdString());
}

// What is read is written so that reading it again gives the same document.
TEST_P(RtfRead, RoundTripKeepsTheDocument) {
    const Document first = readRtf(GetParam().input).document;
    const QByteArray written = writeRtf(first);
    const RtfReadResult again = readRtf(written);
    EXPECT_TRUE(again.ok());
    EXPECT_EQ(runs(again.document).toStdString(), runs(first).toStdString()) << written.constData();
    EXPECT_EQ(paras(again.document).toStdString(), paras(first).toStdString())
        << written.constData();
    EXPECT_TRUE(again.document == first) << written.constData();
}

INSTANTIATE_TEST_SUITE_P(Cases, RtfRead, ::testing::ValuesIn(readCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RtfWrite, CharactersOutsideTheCodePageAndSyntaxCharactersRoundTrip) {
    Document doc;
    CharFormat f;
    f.face = QStringLiteral("Courier New");
    f.halfPoints = 21;
    f.color = rgb(1, 2, 3);
    doc.append(QString::fromUtf8("Ω {a}\\b \u2011\t\v") + QString::fromUcs4(U"\U0001F600"), f);
    doc.endFormat = f;
    const Document back = readRtf(writeRtf(doc)).document;
    EXPECT_TRUE(back == doc) << runs(back).toStdString();
}

struct BadCase {
    const char* name;
    QByteArray input;
    bool ok;
    QString text;
};

class RtfBadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(RtfBadInput, GivesAClearErrorOrWhatCouldBeRead) {
    const BadCase& c = GetParam();
    const RtfReadResult r = readRtf(c.input);
    EXPECT_EQ(r.ok(), c.ok);
    if (!c.ok) {
        EXPECT_EQ(r.error, rtfTooDeepMessage());
    }
    EXPECT_EQ(r.document.text.toStdString(), c.text.toStdString());
}

namespace {
QByteArray nested(int depth) {
    return "{\\rtf1 a" + QByteArray(depth, '{') + "x" + QByteArray(depth, '}') + "}";
}
QByteArray hugeFontTable() {
    QByteArray b = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 100000; ++i)
        b += "{\\f" + QByteArray::number(i) + " F" + QByteArray::number(i) + ";}";
    return b + "}\\f99999 x\\f1 y}";
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfBadInput,
    ::testing::Values(
        BadCase{"unclosed_groups_close_at_the_end", "{\\rtf1 a{\\b b", true, "ab"},
        BadCase{"text_after_the_closing_brace_is_ignored", "{\\rtf1 a}}b", true, "a"},
        BadCase{"ten_thousand_nested_groups", nested(10000), false, "a"},
        BadCase{"nesting_within_the_limit", nested(500), true, "ax"},
        BadCase{"cut_escape", "{\\rtf1 a\\'e", true, "a"},
        BadCase{"cut_unicode", "{\\rtf1 a\\u", true, "a"},
        BadCase{"binary_longer_than_the_input", "{\\rtf1 a\\bin999999 xyz}", true, "a"},
        BadCase{"huge_parameters", "{\\rtf1\\fs99999999999999\\uc99999 x}", true, "x"},
        BadCase{"empty_input", "", true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A font table of 100,000 entries keeps a bounded number of fonts; text in a
// font beyond them takes the default font.
TEST(RtfBadInput, HugeFontTableIsBounded) {
    const RtfReadResult r = readRtf(hugeFontTable());
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(runs(r.document).toStdString(), "x|F0/24 ; y|F1/24");
}
