#include "platform/richtext/rich_document.h"

#include <algorithm>

namespace vx::rich {

namespace {
// a * b / c rounded half away from zero, as GDI's MulDiv.
int mulDiv(int a, int b, int c) {
    const int64_t p = int64_t(a) * b;
    return int((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

QString unifyLineEnds(const QString& s) {
    if (!s.contains(QLatin1Char('\n')))
        return s;
    QString out = s;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    out.replace(QLatin1Char('\n'), kParagraphEnd);
    return out;
}
} // namespace

FontSpec CharFormat::toFontSpec(int dpi) const {
    FontSpec spec;
    spec.face = face;
    spec.height = -mulDiv(halfPoints, dpi, 144);
    spec.weight = bold ? 700 : 400;
    spec.italic = italic;
    spec.underline = underline;
    spec.strikeOut = strike;
    return spec;
}

int32_t twipsToPixels(int32_t twips) {
    return mulDiv(twips, 96, 1440);
}

Document::Document() : paras(1) {}

void Document::append(const QString& s, const CharFormat& format, const ParaFormat& para) {
    if (s.isEmpty())
        return;
    text.append(s);
    if (!runs.empty() && runs.back().format == format)
        runs.back().length += int32_t(s.size());
    else
        runs.push_back({int32_t(s.size()), format});
    const qsizetype marks = s.count(kParagraphEnd);
    for (qsizetype i = 0; i < marks; ++i)
        paras.push_back(para);
}

const CharFormat& Document::formatAt(int32_t pos) const {
    if (pos >= 0) {
        int32_t start = 0;
        for (const Run& run : runs) {
            if (pos < start + run.length)
                return run.format;
            start += run.length;
        }
    }
    return endFormat;
}

int Document::paragraphAt(int32_t pos) const {
    pos = std::clamp<int32_t>(pos, 0, length());
    return int(QStringView(text).left(pos).count(kParagraphEnd));
}

void Document::removeRange(int32_t pos, int32_t count) {
    const int first = paragraphAt(pos);
    const qsizetype joined = QStringView(text).mid(pos, count).count(kParagraphEnd);
    paras.erase(paras.begin() + first + 1, paras.begin() + first + 1 + joined);
    text.remove(pos, count);
    int32_t start = 0;
    for (Run& run : runs) {
        const int32_t end = start + run.length;
        const int32_t cut = std::max(0, std::min(end, pos + count) - std::max(start, pos));
        run.length -= cut;
        start = end;
    }
    normalize();
}

void Document::insertAt(int32_t pos, const QString& s, const CharFormat& format) {
    const int para = paragraphAt(pos);
    const qsizetype marks = s.count(kParagraphEnd);
    paras.insert(paras.begin() + para + 1, size_t(marks), paras[size_t(para)]);
    text.insert(pos, s);
    int32_t start = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
        const int32_t end = start + runs[i].length;
        if (pos < end) {
            const int32_t before = pos - start;
            Run tail{runs[i].length - before, runs[i].format};
            runs[i].length = before;
            runs.insert(runs.begin() + qsizetype(i) + 1, {Run{int32_t(s.size()), format}, tail});
            normalize();
            return;
        }
        start = end;
    }
    runs.push_back({int32_t(s.size()), format});
    normalize();
}

void Document::replace(int32_t pos, int32_t count, const QString& s) {
    pos = std::clamp<int32_t>(pos, 0, length());
    count = std::clamp<int32_t>(count, 0, length() - pos);
    CharFormat format;
    if (count > 0)
        format = formatAt(pos);
    else if (pos > 0)
        format = formatAt(pos - 1);
    else
        format = formatAt(0);
    if (count > 0)
        removeRange(pos, count);
    const QString inserted = unifyLineEnds(s);
    if (!inserted.isEmpty())
        insertAt(pos, inserted, format);
}

void Document::normalize() {
    std::vector<Run> joined;
    joined.reserve(runs.size());
    for (Run& run : runs) {
        if (run.length <= 0)
            continue;
        if (!joined.empty() && joined.back().format == run.format)
            joined.back().length += run.length;
        else
            joined.push_back(std::move(run));
    }
    runs = std::move(joined);
}

} // namespace vx::rich
