// The readers of the text records (EXTTEXTOUT, POLYTEXTOUT, SMALLTEXTOUT)
// and of the font they are drawn in.

#include "platform/codepage.h"
#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_record_fields.h"
#include "platform/emf/emf_records.h"

#include <algorithm>

namespace vx::emf {

namespace {

using fields::rangeInRecord;
using fields::readPoint;

// Size of the fixed part of EmrText (reference, chars, offString, options,
// rectangle, offDx).
constexpr size_t kEmrTextSize = 40;
// Offset of the EmrText inside EXTTEXTOUT records (type, size, bounds,
// graphics mode, two scales).
constexpr size_t kExtTextOutEmrTextOffset = 36;
// The character count inside an EmrText, after the reference point.
constexpr size_t kEmrTextCharsAt = 8;

// The string of an EmrText: at most kMaxTextChars characters, all inside
// the record.
std::optional<TextSpan> stringInRecord(const EmfRecord& rec, uint32_t chars, uint32_t offString,
                                       bool wide) {
    if (chars > kMaxTextChars)
        return std::nullopt;
    if (chars == 0)
        return TextSpan{nullptr, 0, wide};
    if (!rangeInRecord(rec, offString, size_t(chars) * (wide ? 2 : 1)))
        return std::nullopt;
    return TextSpan{rec.data + offString, chars, wide};
}

// The EmrText at `at` (offset from the record start; offsets inside it count
// from the record start too), read into a copy of `t`, which holds the
// fields the record's strings share.
std::optional<TextRecord> readEmrText(const EmfRecord& rec, size_t at, bool wide,
                                      bool allowShortForm, TextRecord t) {
    ByteReader r = rec.whole();
    if (!r.seek(at))
        return std::nullopt;
    t.reference = readPoint(r, false);
    const uint32_t chars = r.u32();
    const uint32_t offString = r.u32();
    t.options = r.u32();
    // With ETO_NO_RECT the rectangle may be left out; the string offset then
    // shows which form was written.
    const bool shortForm = allowShortForm && (t.options & kEtoNoRect) &&
                           offString < at + kEmrTextSize && offString >= at + 24;
    if (!shortForm) {
        t.rect = readRectL(r);
        t.hasRect = !(t.options & kEtoNoRect);
    }
    const uint32_t offDx = r.u32();
    if (!r.ok())
        return std::nullopt;
    const std::optional<TextSpan> span = stringInRecord(rec, chars, offString, wide);
    if (!span)
        return std::nullopt;
    if (wide) {
        t.text.resize(qsizetype(chars));
        QChar* out = t.text.data();
        for (uint32_t i = 0; i < chars; ++i)
            out[i] = QChar(span->at(i));
    } else if (chars > 0) {
        t.text = decodeAnsi(span->data, chars);
    }
    if (offDx != 0 && chars > 0) {
        const bool pdy = t.options & kEtoPdy;
        const size_t per = pdy ? 8 : 4;
        if (!rangeInRecord(rec, offDx, size_t(chars) * per))
            return std::nullopt;
        ByteReader d(rec.data + offDx, size_t(chars) * per);
        t.dx.resize(chars);
        if (pdy)
            t.dy.resize(chars);
        for (uint32_t i = 0; i < chars; ++i) {
            t.dx[i] = d.i32();
            if (pdy)
                t.dy[i] = d.i32();
        }
    }
    return t;
}

// The fields before the EmrText: bounds, graphics mode and scales.
std::optional<TextRecord> readTextPrefix(ByteReader& r) {
    TextRecord t;
    t.bounds = readRectL(r);
    t.graphicsMode = r.u32();
    t.exScale = r.f32();
    t.eyScale = r.f32();
    if (!r.ok())
        return std::nullopt;
    return t;
}

} // namespace

QString decodeAnsi(const char* data, size_t size) {
    return fromCp1252(data, qsizetype(size));
}

char16_t TextSpan::at(uint32_t i) const {
    if (wide)
        return char16_t(uint8_t(data[2 * size_t(i)]) | (uint8_t(data[2 * size_t(i) + 1]) << 8));
    return cp1252ToChar(uint8_t(data[i])).unicode();
}

std::optional<TextSpan> extTextOutSpan(const EmfRecord& rec) {
    const bool wide = rec.type == EMR_EXTTEXTOUTW;
    if (!wide && rec.type != EMR_EXTTEXTOUTA)
        return std::nullopt;
    ByteReader r = rec.whole();
    if (!r.seek(kExtTextOutEmrTextOffset + kEmrTextCharsAt))
        return std::nullopt;
    const uint32_t chars = r.u32();
    const uint32_t offString = r.u32();
    if (!r.ok())
        return std::nullopt;
    return stringInRecord(rec, chars, offString, wide);
}

std::optional<TextRecord> readExtTextOut(const EmfRecord& rec, bool wide) {
    ByteReader r = rec.payload();
    const auto prefix = readTextPrefix(r);
    if (!prefix)
        return std::nullopt;
    return readEmrText(rec, kExtTextOutEmrTextOffset, wide, true, *prefix);
}

std::optional<std::vector<TextRecord>> readPolyTextOut(const EmfRecord& rec, bool wide) {
    ByteReader r = rec.payload();
    const auto prefix = readTextPrefix(r);
    if (!prefix)
        return std::nullopt;
    const uint32_t n = r.u32();
    if (!r.ok() || n > kMaxPolyTextStrings || size_t(n) * kEmrTextSize > r.remaining())
        return std::nullopt;
    std::vector<TextRecord> out;
    out.reserve(n);
    const size_t first = 8 + r.pos();
    for (uint32_t i = 0; i < n; ++i) {
        auto t = readEmrText(rec, first + i * kEmrTextSize, wide, false, *prefix);
        if (!t)
            return std::nullopt;
        out.push_back(std::move(*t));
    }
    return out;
}

std::optional<TextRecord> readSmallTextOut(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    TextRecord t;
    t.reference = readPoint(r, false);
    const uint32_t chars = r.u32();
    t.options = r.u32();
    t.graphicsMode = r.u32();
    t.exScale = r.f32();
    t.eyScale = r.f32();
    if (!(t.options & kEtoNoRect)) {
        t.bounds = readRectL(r);
        t.rect = t.bounds;
        t.hasRect = true;
    } else {
        t.bounds = RectL{0, 0, -1, -1};
    }
    if (!r.ok() || chars > kMaxTextChars)
        return std::nullopt;
    const bool small = t.options & kEtoSmallChars;
    const char* p = r.view(size_t(chars) * (small ? 1 : 2));
    if (!p)
        return std::nullopt;
    t.text.resize(qsizetype(chars));
    for (uint32_t i = 0; i < chars; ++i)
        t.text[qsizetype(i)] =
            small ? QChar(char16_t(uint8_t(p[i])))
                  : QChar(char16_t(uint8_t(p[2 * i]) | (uint8_t(p[2 * i + 1]) << 8)));
    return t;
}

std::optional<FontRecord> readExtCreateFont(const EmfRecord& rec) {
    ByteReader r = rec.payload();
    FontRecord f;
    f.handle = r.u32();
    FontSpec& s = f.font;
    s.height = r.i32();
    s.width = r.i32();
    s.escapement = r.i32();
    s.orientation = r.i32();
    s.weight = r.i32();
    s.italic = r.u8() != 0;
    s.underline = r.u8() != 0;
    s.strikeOut = r.u8() != 0;
    s.charSet = r.u8();
    r.u8(); // out precision
    r.u8(); // clip precision
    r.u8(); // quality
    s.pitchAndFamily = r.u8();
    const char* face = r.view(64);
    if (!r.ok() || !face)
        return std::nullopt;
    QString name;
    for (int i = 0; i < 32; ++i) {
        const char16_t c = char16_t(uint8_t(face[2 * i]) | (uint8_t(face[2 * i + 1]) << 8));
        if (c == 0)
            break;
        name.append(QChar(c));
    }
    s.face = name;
    // Sizes and angles are kept to what a page can show, so that a damaged
    // record cannot ask the painter for a glyph of millions of pixels.
    constexpr int kMaxFontSize = 1 << 14;
    s.height = std::clamp(s.height, -kMaxFontSize, kMaxFontSize);
    s.width = std::clamp(s.width, 0, kMaxFontSize);
    s.escapement %= 3600;
    s.orientation %= 3600;
    s.weight = std::clamp(s.weight, 0, 1000);
    return f;
}

} // namespace vx::emf
