#pragma once

// The RTF control words the reader acts on, by name: what each one means
// (a destination, a character or paragraph format, a numbering setting, a
// table entry or a special character). Words not in the table are ignored.

#include <QChar>

#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace vx::rich::rtf {

enum class Word : uint8_t {
    // destinations
    FontTable,
    ColorTable,
    SkipDest,
    FieldInst,
    Label,
    Pn,
    PnTextBefore,
    PnTextAfter,
    // character formatting
    Plain,
    Font,
    Size,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Color,
    Uc,
    Unicode,
    // paragraphs
    Pard,
    AlignLeft,
    AlignRight,
    AlignCenter,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    TabStop,
    Par,
    Line,
    Tab,
    // numbering (inside \pn)
    PnBullet,
    PnBody,
    PnDecimal,
    PnUpperLetter,
    PnLowerLetter,
    PnUpperRoman,
    PnLowerRoman,
    PnStart,
    PnFont,
    // tables and others
    DefaultFont,
    Red,
    Green,
    Blue,
    Bin,
    Special
};

// Every control word the reader knows, with its meaning.
const std::unordered_map<std::string_view, Word>& wordTable();

// The character of a Word::Special control word (quotes, bullet, dashes,
// spaces).
QChar specialChar(std::string_view name);

} // namespace vx::rich::rtf
