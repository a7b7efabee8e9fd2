#include "platform/richtext/rtf_reader.h"

#include "platform/codepage.h"
#include "platform/richtext/rtf_words.h"

#include <algorithm>
#include <limits>
#include <map>
#include <string_view>

namespace vx::rich {

namespace {

// A control word's name has at most 32 letters; its parameter is a signed
// 16-bit value in practice; more digits are read but clamped.
constexpr int kMaxWordLetters = 32;
constexpr int kMaxParamDigits = 10;
// Face names longer than this are cut (GDI keeps 31 characters).
constexpr int kMaxFaceChars = 64;
// Sizes and distances read are kept within what a page can show.
constexpr int kMaxHalfPoints = 3276; // 1638 points
constexpr int kMaxTwips = 31680;     // 22 inches

enum class Dest : uint8_t { Text, Skip, FontTable, ColorTable, Label, Pn, PnBefore, PnAfter };

struct State {
    Dest dest = Dest::Text;
    int font = -1; // the default font
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int color = 0;
    int uc = 1; // characters of fallback after \uN
    ParaFormat para;
};

using rtf::Word;

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int clampTwips(int v) {
    return std::clamp(v, -kMaxTwips, kMaxTwips);
}

class RtfParser {
public:
    // Reads the bytes from `begin` to `end`, which outlive the parser.
    RtfParser(const char* begin, const char* end) : p_(begin), end_(end) {}

    RtfReadResult run() {
        while (p_ < end_ && !done_ && error_.isEmpty()) {
            const char c = *p_++;
            if (c == '{')
                openGroup();
            else if (c == '}')
                closeGroup();
            else if (c == '\\')
                control();
            else if (c != '\r' && c != '\n' && c != '\0')
                character(cp1252ToChar(uchar(c)));
        }
        finish();
        RtfReadResult result;
        result.document = std::move(doc_);
        result.error = error_;
        return result;
    }

private:
    void openGroup() {
        if (int(stack_.size()) >= kMaxRtfGroupDepth) {
            error_ = rtfTooDeepMessage();
            return;
        }
        stack_.push_back(st_);
        pendingSkip_ = 0;
        starred_ = false;
        fmtDirty_ = true;
    }

    void closeGroup() {
        if (stack_.empty()) {
            done_ = true; // the brace that closes the document ends the text
            return;
        }
        const State inner = st_;
        st_ = stack_.back();
        stack_.pop_back();
        pendingSkip_ = 0;
        starred_ = false;
        // The numbering definition is a group of its own; what it sets
        // belongs to the paragraph around it.
        if (inner.dest == Dest::Pn || inner.dest == Dest::PnBefore || inner.dest == Dest::PnAfter)
            copyNumbering(inner.para, st_.para);
        if (inner.dest == Dest::FontTable && st_.dest != Dest::FontTable)
            commitFont();
        fmtDirty_ = true;
    }

    static void copyNumbering(const ParaFormat& from, ParaFormat& to) {
        to.numbering = from.numbering;
        to.numberStart = from.numberStart;
        to.numberBefore = from.numberBefore;
        to.numberAfter = from.numberAfter;
        to.numberFace = from.numberFace;
    }

    void control() {
        if (p_ >= end_)
            return;
        const char c = *p_;
        if (!isLetter(c)) {
            ++p_;
            controlSymbol(c);
            return;
        }
        const char* nameStart = p_;
        while (p_ < end_ && isLetter(*p_))
            ++p_;
        const std::string_view name(nameStart,
                                    size_t(std::min<ptrdiff_t>(p_ - nameStart, kMaxWordLetters)));
        bool hasParam = false;
        int64_t param = 0;
        bool negative = false;
        if (p_ < end_ && *p_ == '-' && p_ + 1 < end_ && *(p_ + 1) >= '0' && *(p_ + 1) <= '9') {
            negative = true;
            ++p_;
        }
        int digits = 0;
        while (p_ < end_ && *p_ >= '0' && *p_ <= '9') {
            if (digits++ < kMaxParamDigits)
                param = param * 10 + (*p_ - '0');
            hasParam = true;
            ++p_;
        }
        if (p_ < end_ && *p_ == ' ')
            ++p_; // the delimiter belongs to the word
        param = std::clamp<int64_t>(negative ? -param : param, std::numeric_limits<int>::min(),
                                    std::numeric_limits<int>::max());
        word(name, hasParam, int(param));
    }

    void controlSymbol(char c) {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            character(QLatin1Char(c));
            break;
        case '\'':
            hexCharacter();
            break;
        case '*':
            starred_ = true;
            break;
        case '~':
            character(QChar(0x00A0));
            break;
        case '_':
            character(QChar(0x2011));
            break;
        case '\r':
        case '\n':
            paragraphEnd();
            break;
        default: // optional hyphen, index entries and the like
            break;
        }
    }

    void hexCharacter() {
        if (end_ - p_ < 2)
            return void(p_ = end_);
        const int hi = hexValue(p_[0]), lo = hexValue(p_[1]);
        p_ += 2;
        if (hi >= 0 && lo >= 0)
            character(cp1252ToChar(uchar(hi * 16 + lo)));
    }

    void word(std::string_view name, bool hasParam, int param) {
        const bool wasStarred = starred_;
        starred_ = false;
        const auto& table = rtf::wordTable();
        const auto it = table.find(name);
        if (it == table.end()) {
            if (wasStarred)
                st_.dest = Dest::Skip; // an optional destination we do not know
            pendingSkip_ = 0;
            return;
        }
        if (st_.dest == Dest::Skip && it->second != Word::Bin)
            return;
        const bool on = !hasParam || param != 0;
        fmtDirty_ = true;
        switch (it->second) {
        case Word::FontTable:
            st_.dest = Dest::FontTable;
            break;
        case Word::ColorTable:
            st_.dest = Dest::ColorTable;
            break;
        case Word::SkipDest:
        case Word::FieldInst:
            st_.dest = Dest::Skip;
            break;
        case Word::Label:
            st_.dest = Dest::Label;
            break;
        case Word::Pn:
            st_.dest = Dest::Pn;
            st_.para.numbering = Numbering::Decimal;
            st_.para.numberStart = 1;
            st_.para.numberBefore.clear();
            st_.para.numberAfter.clear();
            st_.para.numberFace.clear();
            break;
        case Word::PnTextBefore:
            st_.dest = Dest::PnBefore;
            break;
        case Word::PnTextAfter:
            st_.dest = Dest::PnAfter;
            break;
        case Word::Plain:
            st_.font = -1;
            st_.halfPoints = 24;
            st_.bold = st_.italic = st_.underline = st_.strike = false;
            st_.color = 0;
            break;
        case Word::Font:
            fontWord(param);
            break;
        case Word::Size:
            if (hasParam)
                st_.halfPoints = std::clamp(param, 1, kMaxHalfPoints);
            break;
        case Word::Bold:
            st_.bold = on;
            break;
        case Word::Italic:
            st_.italic = on;
            break;
        case Word::Underline:
            st_.underline = on;
            break;
        case Word::UnderlineNone:
            st_.underline = false;
            break;
        case Word::Strike:
            st_.strike = on;
            break;
        case Word::Color:
            st_.color = param;
            break;
        case Word::Uc:
            st_.uc = std::clamp(param, 0, 16);
            break;
        case Word::Unicode:
            character(QChar(char16_t(uint16_t(param))));
            pendingSkip_ = st_.uc;
            return;
        default:
            paragraphWord(it->second, name, hasParam, param);
            break;
        }
        pendingSkip_ = 0;
    }

    void paragraphWord(Word w, std::string_view name, bool hasParam, int param) {
        ParaFormat& pf = st_.para;
        switch (w) {
        case Word::Pard:
            pf = ParaFormat();
            break;
        case Word::AlignLeft:
            pf.align = Align::Left;
            break;
        case Word::AlignRight:
            pf.align = Align::Right;
            break;
        case Word::AlignCenter:
            pf.align = Align::Center;
            break;
        case Word::AlignJustify:
            pf.align = Align::Justify;
            break;
        case Word::LeftIndent:
            pf.leftIndent = clampTwips(param);
            break;
        case Word::RightIndent:
            pf.rightIndent = clampTwips(param);
            break;
        case Word::FirstIndent:
            pf.firstIndent = clampTwips(param);
            break;
        case Word::SpaceBefore:
            pf.spaceBefore = std::clamp(param, 0, kMaxTwips);
            break;
        case Word::SpaceAfter:
            pf.spaceAfter = std::clamp(param, 0, kMaxTwips);
            break;
        case Word::TabStop:
            addTab(pf, std::clamp(param, 0, kMaxTwips));
            break;
        case Word::Par:
            paragraphEnd();
            break;
        case Word::Line:
            character(kLineBreak);
            break;
        case Word::Tab:
            character(QLatin1Char('\t'));
            break;
        default:
            numberingWord(w, name, hasParam, param);
            break;
        }
    }

    void numberingWord(Word w, std::string_view name, bool hasParam, int param) {
        ParaFormat& pf = st_.para;
        switch (w) {
        case Word::PnBullet:
            pf.numbering = Numbering::Bullet;
            break;
        case Word::PnBody:
            if (pf.numbering == Numbering::None)
                pf.numbering = Numbering::Decimal;
            break;
        case Word::PnDecimal:
            pf.numbering = Numbering::Decimal;
            break;
        case Word::PnUpperLetter:
            pf.numbering = Numbering::UpperLetter;
            break;
        case Word::PnLowerLetter:
            pf.numbering = Numbering::LowerLetter;
            break;
        case Word::PnUpperRoman:
            pf.numbering = Numbering::UpperRoman;
            break;
        case Word::PnLowerRoman:
            pf.numbering = Numbering::LowerRoman;
            break;
        case Word::PnStart:
            pf.numberStart = std::clamp(param, 0, 32767);
            break;
        case Word::PnFont:
            pf.numberFace = fontName(param);
            break;
        case Word::DefaultFont:
            defaultFont_ = param;
            break;
        case Word::Red:
            red_ = std::clamp(param, 0, 255), colorSet_ = true;
            break;
        case Word::Green:
            green_ = std::clamp(param, 0, 255), colorSet_ = true;
            break;
        case Word::Blue:
            blue_ = std::clamp(param, 0, 255), colorSet_ = true;
            break;
        case Word::Bin:
            // Binary data of the given length follows; it is never text.
            p_ += std::min<ptrdiff_t>(end_ - p_, hasParam ? std::max(param, 0) : 0);
            break;
        case Word::Special:
            character(rtf::specialChar(name));
            break;
        default:
            break;
        }
    }

    static void addTab(ParaFormat& pf, int twips) {
        if (int(pf.tabs.size()) >= kMaxTabStops)
            return;
        const auto at = std::lower_bound(pf.tabs.begin(), pf.tabs.end(), twips);
        if (at == pf.tabs.end() || *at != twips)
            pf.tabs.insert(at, twips);
    }

    void fontWord(int number) {
        if (st_.dest == Dest::FontTable) {
            commitFont();
            fontNumber_ = number;
            fontPending_ = true;
        } else {
            st_.font = number;
        }
    }

    void commitFont() {
        if (!fontPending_)
            return;
        fontPending_ = false;
        const QString name = fontBuffer_.trimmed();
        fontBuffer_.clear();
        if (name.isEmpty())
            return;
        if (int(fonts_.size()) < kMaxRtfFonts || fonts_.count(fontNumber_))
            fonts_[fontNumber_] = name;
    }

    QString fontName(int number) const {
        if (const auto it = fonts_.find(number); it != fonts_.end())
            return it->second;
        if (const auto it = fonts_.find(defaultFont_); it != fonts_.end())
            return it->second;
        return QStringLiteral("Arial");
    }

    CharFormat currentFormat() const {
        CharFormat f;
        f.face = fontName(st_.font < 0 ? defaultFont_ : st_.font);
        f.halfPoints = st_.halfPoints;
        f.bold = st_.bold;
        f.italic = st_.italic;
        f.underline = st_.underline;
        f.strike = st_.strike;
        f.color =
            st_.color > 0 && st_.color < int(colors_.size()) ? colors_[size_t(st_.color)] : kBlack;
        return f;
    }

    // One character of the current destination.
    void character(QChar c) {
        if (pendingSkip_ > 0) {
            --pendingSkip_; // the fallback of a \uN character
            return;
        }
        switch (st_.dest) {
        case Dest::Text:
            textCharacter(c);
            break;
        case Dest::FontTable:
            if (c == QLatin1Char(';'))
                commitFont();
            else if (fontBuffer_.size() < kMaxFaceChars)
                fontBuffer_.append(c);
            break;
        case Dest::ColorTable:
            if (c == QLatin1Char(';'))
                commitColor();
            break;
        case Dest::Label:
            labelText_.append(c);
            break;
        case Dest::PnBefore:
            st_.para.numberBefore.append(c);
            break;
        case Dest::PnAfter:
            st_.para.numberAfter.append(c);
            break;
        default:
            break;
        }
    }

    void commitColor() {
        if (int(colors_.size()) < kMaxRtfColors)
            colors_.push_back(colorSet_ ? rgb(red_, green_, blue_) : kBlack); // "auto"
        red_ = green_ = blue_ = 0;
        colorSet_ = false;
    }

    void textCharacter(QChar c) {
        // Control characters other than tab and line break carry no text.
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != kLineBreak)
            return;
        if (fmtDirty_) {
            CharFormat f = currentFormat();
            if (!(f == bufferFormat_)) {
                flush();
                bufferFormat_ = std::move(f);
            }
            fmtDirty_ = false;
        }
        buffer_.append(c);
    }

    void flush() {
        doc_.append(buffer_, bufferFormat_);
        buffer_.clear();
    }

    ParaFormat resolvedParagraph() const {
        ParaFormat pf = st_.para;
        const QString label = labelText_.trimmed();
        if (pf.numbering == Numbering::None && !label.isEmpty()) {
            pf.numbering = Numbering::Literal;
            pf.numberBefore = label;
        }
        // A middle dot in a symbol face is the usual bullet of word processors.
        if (pf.numbering == Numbering::Literal &&
            (label == QString(QChar(0x00B7)) || label == QString(QChar(0xF0B7))))
            pf.numbering = Numbering::Bullet;
        return pf;
    }

    void paragraphEnd() {
        if (st_.dest != Dest::Text)
            return;
        flush();
        doc_.setLastParagraph(resolvedParagraph());
        labelText_.clear();
        doc_.append(QString(kParagraphEnd), currentFormat());
        fmtDirty_ = true;
    }

    void finish() {
        flush();
        doc_.setLastParagraph(resolvedParagraph());
        doc_.endFormat = currentFormat();
        // A final paragraph mark ends the last paragraph; it does not open
        // an empty one after it.
        if (doc_.text.endsWith(kParagraphEnd)) {
            doc_.endFormat = doc_.runs.back().format;
            doc_.text.chop(1);
            doc_.runs.back().length -= 1;
            doc_.paras.pop_back();
            doc_.normalize();
        }
    }

    const char* p_;
    const char* end_;
    bool done_ = false;
    bool starred_ = false;
    int pendingSkip_ = 0;
    QString error_;
    State st_;
    std::vector<State> stack_;
    std::map<int, QString> fonts_;
    int defaultFont_ = 0;
    int fontNumber_ = 0;
    bool fontPending_ = false;
    QString fontBuffer_;
    std::vector<Color> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;
    QString labelText_;
    bool fmtDirty_ = true;
    CharFormat bufferFormat_;
    QString buffer_;
    Document doc_;
};

Document plainTextDocument(const QByteArray& bytes) {
    Document doc;
    QString text = fromCp1252(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    text.replace(QLatin1Char('\n'), kParagraphEnd);
    text.remove(QChar(0));
    doc.append(text, CharFormat());
    doc.endFormat = CharFormat();
    return doc;
}

} // namespace

QString rtfTooDeepMessage() {
    return QStringLiteral("Testo formattato danneggiato: troppi gruppi annidati.");
}

bool looksLikeRtf(const QByteArray& bytes) {
    qsizetype i = 0;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\r' || bytes[i] == '\n' || bytes[i] == '\t'))
        ++i;
    return QByteArrayView(bytes).sliced(i).startsWith("{\\rtf");
}

RtfReadResult readRtf(const QByteArray& bytes) {
    if (!looksLikeRtf(bytes))
        return {plainTextDocument(bytes), QString()};
    // The document's own brace is the first group; reading starts inside it.
    const qsizetype open = bytes.indexOf('{');
    RtfParser parser(bytes.constData() + open + 1, bytes.constData() + bytes.size());
    return parser.run();
}

} // namespace vx::rich
