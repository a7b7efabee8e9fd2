#pragma once

// The document model of formatted (rich) text: one flat text with runs of
// character formatting over it and one paragraph format per paragraph.
//
// Character positions count UTF-16 units of `text`. A paragraph ends with
// '\r' (one position, as in the rich-edit control), except the last one,
// which ends with the text. Inside a paragraph '\v' is a forced line break
// and '\t' a tab. The paragraph mark '\r' carries a format of its own, which
// gives an empty paragraph its height; the last paragraph's mark format is
// `endFormat`.

#include "platform/canvas.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace vx::rich {

// Forced line break and paragraph end inside the text.
inline constexpr QChar kLineBreak = QChar(0x0B);
inline constexpr QChar kParagraphEnd = QChar(0x0D);

struct CharFormat {
    QString face = QStringLiteral("Arial"); // Windows face name
    int halfPoints = 20;                    // size in half-points (20 = 10 pt)
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    Color color = kBlack;
    bool operator==(const CharFormat&) const = default;

    // The logical font on a device of `dpi` pixels per inch: height
    // -MulDiv(halfPoints, dpi, 144), as GDI makes a point size.
    FontSpec toFontSpec(int dpi = 96) const;
};

enum class Align : uint8_t { Left, Right, Center, Justify };

// Bullets and numbering of a paragraph. Consecutive paragraphs of the same
// numbered style count on from `start`.
enum class Numbering : uint8_t {
    None,
    Bullet,
    Decimal,
    LowerLetter,
    UpperLetter,
    LowerRoman,
    UpperRoman,
    Literal // a fixed label text (lists whose definition was not kept)
};

struct ParaFormat {
    Align align = Align::Left;
    int32_t leftIndent = 0; // twips, from the left edge
    int32_t rightIndent = 0;
    int32_t firstIndent = 0; // twips, first line relative to leftIndent
    int32_t spaceBefore = 0; // twips
    int32_t spaceAfter = 0;
    Numbering numbering = Numbering::None;
    int32_t numberStart = 1;
    QString numberBefore;      // text before the number (or the bullet character)
    QString numberAfter;       // text after the number, e.g. "."
    QString numberFace;        // face of the label; empty: the paragraph's own
    std::vector<int32_t> tabs; // tab stops in twips, ascending
    bool operator==(const ParaFormat&) const = default;
};

struct Run {
    int32_t length = 0;
    CharFormat format;
    bool operator==(const Run&) const = default;
};

class Document {
public:
    QString text;
    std::vector<Run> runs;         // cover `text` exactly, in order
    std::vector<ParaFormat> paras; // one per paragraph: count of '\r' + 1
    CharFormat endFormat;          // mark of the last paragraph; text typed at the end

    Document();

    int32_t length() const { return int32_t(text.size()); }
    bool isEmpty() const { return text.isEmpty(); }
    int paragraphCount() const { return int(paras.size()); }

    // Appends text in a format (joins the last run when the format is the
    // same). A '\r' in `s` starts a new paragraph with the format `para`.
    void append(const QString& s, const CharFormat& format, const ParaFormat& para = {});
    // Sets the format of the last paragraph (the one being appended to).
    void setLastParagraph(const ParaFormat& para) { paras.back() = para; }

    // The format of the character at `pos`; at or past the end, the end
    // format.
    const CharFormat& formatAt(int32_t pos) const;
    // Index of the paragraph holding position `pos`.
    int paragraphAt(int32_t pos) const;

    // Replaces `count` characters at `pos` by `s` as a selection in the
    // rich-edit control is replaced: the new text takes the format of the
    // first character replaced; with nothing replaced, that of the character
    // before `pos` (at the start, of the first character, or the end format
    // of an empty text). Line ends in `s` (CR LF, CR or LF) become paragraph ends; the new
    // paragraphs take the format of the paragraph at `pos`, and paragraphs
    // joined by removing their marks keep the first one's format. Positions
    // are clamped to the text.
    void replace(int32_t pos, int32_t count, const QString& s);

    // Joins neighbouring runs of equal format and drops empty ones.
    void normalize();

    bool operator==(const Document&) const = default;

private:
    void removeRange(int32_t pos, int32_t count);
    void insertAt(int32_t pos, const QString& s, const CharFormat& format);
};

// Twips (1/1440 inch) to pixels of 1/96 inch, rounded half away from zero.
int32_t twipsToPixels(int32_t twips);

} // namespace vx::rich
