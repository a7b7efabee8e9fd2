#include "platform/codepage.h"

#include <array>

namespace vx {

namespace {

// Characters of bytes 0x80..0x9F; the five bytes Windows-1252 leaves
// undefined (81, 8D, 8F, 90, 9D) keep their C1 control character, as
// MultiByteToWideChar does, so that every byte survives a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QChar cp1252ToChar(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(kHighControls[byte - 0x80]);
    return QChar(char16_t(byte));
}

QString fromCp1252(const char* data, qsizetype size) {
    QString result;
    if (!data || size <= 0)
        return result;
    result.resize(size);
    QChar* out = result.data();
    for (qsizetype i = 0; i < size; ++i)
        out[i] = cp1252ToChar(static_cast<unsigned char>(data[i]));
    return result;
}

QString fromCp1252(const QByteArray& bytes) {
    return fromCp1252(bytes.constData(), bytes.size());
}

char charToCp1252(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == u)
            return static_cast<char>(0x80 + i);
    return '?';
}

bool isCp1252Encodable(QChar c) {
    return c == QLatin1Char('?') || charToCp1252(c) != '?';
}

QByteArray toCp1252(const QString& text) {
    QByteArray result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A surrogate pair is one character the code page lacks: one '?'.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        result.append(charToCp1252(c));
    }
    return result;
}

} // namespace vx
