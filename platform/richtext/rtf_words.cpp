#include "platform/richtext/rtf_words.h"

namespace vx::rich::rtf {

const std::unordered_map<std::string_view, Word>& wordTable() {
    static const std::unordered_map<std::string_view, Word> table = {
        {"fonttbl", Word::FontTable},
        {"colortbl", Word::ColorTable},
        {"stylesheet", Word::SkipDest},
        {"info", Word::SkipDest},
        {"pict", Word::SkipDest},
        {"object", Word::SkipDest},
        {"header", Word::SkipDest},
        {"headerl", Word::SkipDest},
        {"headerr", Word::SkipDest},
        {"headerf", Word::SkipDest},
        {"footer", Word::SkipDest},
        {"footerl", Word::SkipDest},
        {"footerr", Word::SkipDest},
        {"footerf", Word::SkipDest},
        {"footnote", Word::SkipDest},
        {"shp", Word::SkipDest},
        {"listtable", Word::SkipDest},
        {"listoverridetable", Word::SkipDest},
        {"fldinst", Word::FieldInst},
        {"pntext", Word::Label},
        {"listtext", Word::Label},
        {"pn", Word::Pn},
        {"pntxtb", Word::PnTextBefore},
        {"pntxta", Word::PnTextAfter},
        {"plain", Word::Plain},
        {"f", Word::Font},
        {"fs", Word::Size},
        {"b", Word::Bold},
        {"i", Word::Italic},
        {"ul", Word::Underline},
        {"uld", Word::Underline},
        {"uldb", Word::Underline},
        {"uldash", Word::Underline},
        {"ulth", Word::Underline},
        {"ulw", Word::Underline},
        {"ulwave", Word::Underline},
        {"ulnone", Word::UnderlineNone},
        {"strike", Word::Strike},
        {"striked", Word::Strike},
        {"cf", Word::Color},
        {"uc", Word::Uc},
        {"u", Word::Unicode},
        {"pard", Word::Pard},
        {"ql", Word::AlignLeft},
        {"qr", Word::AlignRight},
        {"qc", Word::AlignCenter},
        {"qj", Word::AlignJustify},
        {"li", Word::LeftIndent},
        {"ri", Word::RightIndent},
        {"fi", Word::FirstIndent},
        {"sb", Word::SpaceBefore},
        {"sa", Word::SpaceAfter},
        {"tx", Word::TabStop},
        {"par", Word::Par},
        {"page", Word::Par},
        {"sect", Word::Par},
        {"row", Word::Par},
        {"line", Word::Line},
        {"tab", Word::Tab},
        {"cell", Word::Tab},
        {"pnlvlblt", Word::PnBullet},
        {"pnlvlbody", Word::PnBody},
        {"pnlvl", Word::PnBody},
        {"pndec", Word::PnDecimal},
        {"pnucltr", Word::PnUpperLetter},
        {"pnlcltr", Word::PnLowerLetter},
        {"pnucrm", Word::PnUpperRoman},
        {"pnlcrm", Word::PnLowerRoman},
        {"pnstart", Word::PnStart},
        {"pnf", Word::PnFont},
        {"deff", Word::DefaultFont},
        {"red", Word::Red},
        {"green", Word::Green},
        {"blue", Word::Blue},
        {"bin", Word::Bin},
        {"lquote", Word::Special},
        {"rquote", Word::Special},
        {"ldblquote", Word::Special},
        {"rdblquote", Word::Special},
        {"bullet", Word::Special},
        {"endash", Word::Special},
        {"emdash", Word::Special},
        {"enspace", Word::Special},
        {"emspace", Word::Special},
        {"qmspace", Word::Special},
    };
    return table;
}

QChar specialChar(std::string_view name) {
    if (name == "lquote")
        return QChar(0x2018);
    if (name == "rquote")
        return QChar(0x2019);
    if (name == "ldblquote")
        return QChar(0x201C);
    if (name == "rdblquote")
        return QChar(0x201D);
    if (name == "bullet")
        return QChar(0x2022);
    if (name == "endash")
        return QChar(0x2013);
    if (name == "emdash")
        return QChar(0x2014);
    return QLatin1Char(' '); // the spaces
}

} // namespace vx::rich::rtf
