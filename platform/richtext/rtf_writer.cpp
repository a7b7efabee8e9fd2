#include "platform/richtext/rtf_writer.h"

#include "platform/codepage.h"

#include <algorithm>

namespace vx::rich {

namespace {

class RtfWriter {
public:
    explicit RtfWriter(const Document& doc) : doc_(doc) { collectTables(); }

    QByteArray write() {
        out_ = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1040";
        writeFontTable();
        writeColorTable();
        out_ += "\\viewkind4\\uc1";
        // The reader starts from the format RTF gives a text without words.
        cur_ = CharFormat();
        cur_.face = fonts_.front();
        cur_.halfPoints = 24;
        writeParagraphs();
        out_ += "}\r\n";
        return out_;
    }

private:
    void addFont(const QString& face) {
        if (!face.isEmpty() && !fonts_.contains(face))
            fonts_.append(face);
    }

    void collectTables() {
        for (const Run& run : doc_.runs)
            addFont(run.format.face);
        addFont(doc_.endFormat.face);
        for (const ParaFormat& pf : doc_.paras)
            addFont(pf.numberFace);
        if (fonts_.isEmpty())
            fonts_.append(QStringLiteral("Arial"));
        auto addColor = [this](Color c) {
            if (c != kBlack && std::find(colors_.begin(), colors_.end(), c) == colors_.end())
                colors_.push_back(c);
        };
        for (const Run& run : doc_.runs)
            addColor(run.format.color);
        addColor(doc_.endFormat.color);
    }

    void writeFontTable() {
        out_ += "{\\fonttbl";
        for (qsizetype i = 0; i < fonts_.size(); ++i) {
            out_ += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
            QString face = fonts_[i];
            face.remove(QLatin1Char(';'));
            writeText(face);
            out_ += ";}";
        }
        out_ += "}\r\n";
    }

    void writeColorTable() {
        if (colors_.empty())
            return;
        out_ += "{\\colortbl ;";
        for (Color c : colors_)
            out_ += "\\red" + QByteArray::number(redOf(c)) + "\\green" +
                    QByteArray::number(greenOf(c)) + "\\blue" + QByteArray::number(blueOf(c)) + ";";
        out_ += "}\r\n";
    }

    void word(const char* name, int value) { out_ += name + QByteArray::number(value); }

    void writeParagraphFormat(const ParaFormat& pf) {
        out_ += "\\pard";
        static const char* const kAlign[] = {"", "\\qr", "\\qc", "\\qj"};
        out_ += kAlign[int(pf.align)];
        if (pf.leftIndent)
            word("\\li", pf.leftIndent);
        if (pf.rightIndent)
            word("\\ri", pf.rightIndent);
        if (pf.firstIndent)
            word("\\fi", pf.firstIndent);
        if (pf.spaceBefore)
            word("\\sb", pf.spaceBefore);
        if (pf.spaceAfter)
            word("\\sa", pf.spaceAfter);
        for (int32_t tab : pf.tabs)
            word("\\tx", tab);
        writeNumbering(pf);
        if (!out_.endsWith('}'))
            out_ += ' '; // ends the last control word
    }

    void writeNumbering(const ParaFormat& pf) {
        if (pf.numbering == Numbering::None || pf.numbering == Numbering::Literal)
            return;
        static const char* const kStyle[] = {"",
                                             "\\pnlvlblt",
                                             "\\pnlvlbody\\pndec",
                                             "\\pnlvlbody\\pnlcltr",
                                             "\\pnlvlbody\\pnucltr",
                                             "\\pnlvlbody\\pnlcrm",
                                             "\\pnlvlbody\\pnucrm"};
        out_ += "{\\*\\pn";
        out_ += kStyle[int(pf.numbering)];
        if (!pf.numberFace.isEmpty())
            word("\\pnf", int(fonts_.indexOf(pf.numberFace)));
        word("\\pnstart", pf.numberStart);
        if (!pf.numberBefore.isEmpty()) {
            out_ += "{\\pntxtb ";
            writeText(pf.numberBefore);
            out_ += '}';
        }
        if (!pf.numberAfter.isEmpty()) {
            out_ += "{\\pntxta ";
            writeText(pf.numberAfter);
            out_ += '}';
        }
        out_ += '}';
    }

    // The character format as changes from the current one.
    void switchFormat(const CharFormat& f) {
        const qsizetype before = out_.size();
        if (f.face != cur_.face)
            word("\\f", int(fonts_.indexOf(f.face)));
        if (f.halfPoints != cur_.halfPoints)
            word("\\fs", f.halfPoints);
        if (f.bold != cur_.bold)
            out_ += f.bold ? "\\b" : "\\b0";
        if (f.italic != cur_.italic)
            out_ += f.italic ? "\\i" : "\\i0";
        if (f.underline != cur_.underline)
            out_ += f.underline ? "\\ul" : "\\ulnone";
        if (f.strike != cur_.strike)
            out_ += f.strike ? "\\strike" : "\\strike0";
        if (f.color != cur_.color) {
            const auto at = std::find(colors_.begin(), colors_.end(), f.color);
            word("\\cf", f.color == kBlack ? 0 : int(at - colors_.begin()) + 1);
        }
        if (out_.size() != before)
            out_ += ' ';
        cur_ = f;
    }

    void writeChar(QChar c) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out_ += '\\';
            out_ += char(u);
        } else if (u == '\t') {
            out_ += "\\tab ";
        } else if (c == kLineBreak) {
            out_ += "\\line ";
        } else if (u < 0x20) {
            return; // no text
        } else if (u < 0x80) {
            out_ += char(u);
        } else if (isCp1252Encodable(c)) {
            static const char kHex[] = "0123456789abcdef";
            const uint8_t b = uint8_t(charToCp1252(c));
            out_ += "\\'";
            out_ += kHex[b >> 4];
            out_ += kHex[b & 15];
        } else {
            word("\\u", int(int16_t(u)));
            out_ += '?';
        }
    }

    void writeText(const QString& s) {
        for (QChar c : s)
            writeChar(c);
    }

    void writeParagraphs() {
        int para = 0;
        size_t run = 0;
        int32_t runLeft = doc_.runs.empty() ? 0 : doc_.runs[0].length;
        startParagraph(para);
        for (QChar c : doc_.text) {
            while (runLeft == 0 && run + 1 < doc_.runs.size())
                runLeft = doc_.runs[++run].length;
            switchFormat(run < doc_.runs.size() ? doc_.runs[run].format : doc_.endFormat);
            --runLeft;
            if (c == kParagraphEnd) {
                out_ += "\\par\r\n";
                startParagraph(++para);
            } else {
                writeChar(c);
            }
        }
        switchFormat(doc_.endFormat);
        out_ += "\\par\r\n";
    }

    void startParagraph(int index) {
        const ParaFormat& pf = doc_.paras[size_t(index)];
        if (index == 0 || !(pf == doc_.paras[size_t(index - 1)]))
            writeParagraphFormat(pf);
        if (pf.numbering == Numbering::Literal) {
            out_ += "{\\pntext ";
            writeText(pf.numberBefore);
            out_ += "\\tab}";
        }
    }

    const Document& doc_;
    QStringList fonts_;
    std::vector<Color> colors_;
    CharFormat cur_;
    QByteArray out_;
};

} // namespace

QByteArray writeRtf(const Document& document) {
    return RtfWriter(document).write();
}

} // namespace vx::rich
