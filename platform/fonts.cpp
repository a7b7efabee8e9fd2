#include "platform/fonts.h"

#include "platform/coord.h"
#include "platform/process_state.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <unordered_map>

namespace vx {

namespace {

// Windows face names and the installed faces that stand for them. The
// Liberation faces share the advance widths and vertical metrics of the
// faces they replace, so layouts measured here match the originals.
const std::vector<std::pair<QString, QString>>& substitutionTable() {
    static const std::vector<std::pair<QString, QString>> table = {
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow")},
        {QStringLiteral("Helvetica"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("MS Shell Dlg"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("MS Shell Dlg 2"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Segoe UI"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("System"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Small Fonts"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")},
        {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("Times"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("MS Serif"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("Georgia"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("Courier"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("Lucida Console"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("Consolas"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("Fixedsys"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("Terminal"), QStringLiteral("Liberation Mono")},
    };
    return table;
}

// Big-endian reads from an SFNT table, bounds-checked (a broken font yields 0).
int readU16(const QByteArray& table, int offset) {
    if (offset < 0 || offset + 2 > table.size())
        return 0;
    return (uint8_t(table[offset]) << 8) | uint8_t(table[offset + 1]);
}
int readS16(const QByteArray& table, int offset) {
    return int16_t(uint16_t(readU16(table, offset)));
}

// The face's design metrics in font units, read once per face and style.
struct FaceData {
    QRawFont raw; // at a pixel size of unitsPerEm, so advances are font units
    QFont font;   // the same face, for fallback measurement of missing glyphs
    int unitsPerEm = 2048;
    int winAscent = 0;
    int winDescent = 0;
    int hheaAscender = 0;
    int hheaDescender = 0;
    int hheaLineGap = 0;
    int xAvgCharWidth = 0;
    int bboxWidth = 0;
    QHash<char16_t, double> advances; // font units
    // The advances of the first 256 code units, looked up without hashing
    // (NaN until measured): nearly every character of a report.
    std::array<double, 256> latin = makeUnmeasured();

    static std::array<double, 256> makeUnmeasured() {
        std::array<double, 256> a{};
        a.fill(std::numeric_limits<double>::quiet_NaN());
        return a;
    }
};

// Everything measured for one FontSpec (without the drawing-only members).
struct SizedFont {
    std::shared_ptr<FaceData> face;
    double ppemY = 0;  // em in pixels
    double scaleX = 1; // horizontal pixels per font unit
    double scaleY = 1; // vertical pixels per font unit
    int stretch = 100; // horizontal stretch in percent for a given width
    TextMetrics metrics;
    QRawFont drawing; // at ppemY; made on first use
    bool drawingMade = false;
    QFont base; // face, weight and style (baseQFont); made on first use
    bool baseMade = false;
    QHash<quint32, QRectF> inks; // glyph index -> ink box of the drawing face
};

QString faceKey(const FontSpec& f) {
    return substituteFace(f.face).toLower() + QLatin1Char('|') +
           QString::number(f.weight >= 600 ? 700 : 400) + QLatin1Char('|') +
           QLatin1Char(f.italic ? 'i' : 'r');
}

QFont baseQFont(const FontSpec& f) {
    QFont font(substituteFace(f.face));
    font.setWeight(f.weight >= 600 ? QFont::Bold : QFont::Normal);
    if (f.weight > 0 && f.weight != 400 && f.weight != 700)
        font.setWeight(QFont::Weight(std::clamp(f.weight, 100, 900)));
    font.setItalic(f.italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferMatch));
    return font;
}

// The average character width by the classic OS/2 rule (lower-case letters
// and the blank weighted by their frequency in English text). The Windows
// faces carry this value, while newer faces such as the Liberation ones
// store the plain average of all glyphs; computing it from the advances
// gives what GDI reports for the face a Liberation face stands for (904
// units for Arial, 821 for Times New Roman). 0 when a letter is missing.
int weightedAverageWidth(const FaceData& face) {
    static const int weights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6,  35, 20, 56,
                                    56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2,  166};
    if (!face.raw.isValid())
        return 0;
    QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz ");
    const QList<quint32> glyphs = face.raw.glyphIndexesForString(letters);
    if (glyphs.size() != 27 || glyphs.contains(0u))
        return 0;
    const QList<QPointF> adv = face.raw.advancesForGlyphIndexes(
        glyphs, QRawFont::SeparateAdvances | QRawFont::UseDesignMetrics);
    if (adv.size() != 27)
        return 0;
    double sum = 0;
    for (int i = 0; i < 27; ++i)
        sum += adv[i].x() * weights[i];
    return int(sum / 1000.0);
}

// A font asked for by face, height, width, weight and slant.
struct FontKey {
    QString face;
    int height = 0, width = 0, weight = 0;
    bool italic = false;
    bool operator==(const FontKey&) const = default;
};
struct FontKeyHash {
    size_t operator()(const FontKey& k) const {
        return qHashMulti(0, k.face, k.height, k.width, k.weight, k.italic);
    }
};

// The fonts' part of the library state: faces and sized fonts made so far,
// and the installed faces that stand for Windows face names. Only a cache of
// what the installed fonts measure: emptying it changes no result, so a
// reset of the library state keeps it. Loading a face costs more than most
// work done between two resets (a test case, a fuzz input), and the fonts
// installed do not change with the state.
struct FontCache : LibraryStatePart {
    void reset() override {}

    QHash<QString, std::shared_ptr<FaceData>> faces;
    std::unordered_map<FontKey, std::unique_ptr<SizedFont>, FontKeyHash> sized;
    // Text records come in runs with the same font: the last one found is
    // kept beside the table, so that a run costs no lower-casing or hashing.
    FontKey lastKey;
    SizedFont* last = nullptr;
    QHash<QString, QString> resolvedFaces;
};

FontCache& fontCache() {
    return libraryState().part<FontCache>();
}

std::shared_ptr<FaceData> loadFace(const FontSpec& spec) {
    auto& faces = fontCache().faces;
    const QString key = faceKey(spec);
    auto it = faces.find(key);
    if (it != faces.end())
        return it.value();
    // Bounded: every face name a hostile file gives makes a face (the
    // font system falls back to an installed one), and the cache outlives
    // resets. Sized fonts keep their own faces alive.
    constexpr qsizetype kMaxCachedFaces = 256;
    if (faces.size() >= kMaxCachedFaces)
        faces.clear();
    auto data = std::make_shared<FaceData>();
    data->font = baseQFont(spec);
    QFont probe = data->font;
    probe.setPixelSize(100);
    QRawFont raw = QRawFont::fromFont(probe);
    const QByteArray head = raw.fontTable("head");
    const QByteArray os2 = raw.fontTable("OS/2");
    const QByteArray hhea = raw.fontTable("hhea");
    int upem = readU16(head, 18);
    if (upem < 16 || upem > 16384)
        upem = raw.isValid() ? std::max(16, int(std::lround(raw.unitsPerEm()))) : 2048;
    data->unitsPerEm = upem;
    data->raw = raw.isValid() ? raw : QRawFont();
    if (data->raw.isValid())
        data->raw.setPixelSize(upem);
    data->winAscent = readU16(os2, 74);
    data->winDescent = readU16(os2, 76);
    data->xAvgCharWidth = readS16(os2, 2);
    data->hheaAscender = readS16(hhea, 4);
    data->hheaDescender = readS16(hhea, 6);
    data->hheaLineGap = readS16(hhea, 8);
    data->bboxWidth = readS16(head, 40) - readS16(head, 36);
    if (data->winAscent + data->winDescent == 0) {
        // No Windows metrics: fall back to the face's ascent and descent.
        data->winAscent =
            data->hheaAscender ? data->hheaAscender : int(std::lround(raw.ascent() * upem / 100.0));
        data->winDescent = data->hheaDescender ? -data->hheaDescender
                                               : int(std::lround(raw.descent() * upem / 100.0));
    }
    const int weighted = weightedAverageWidth(*data);
    if (weighted > 0)
        data->xAvgCharWidth = weighted;
    if (data->xAvgCharWidth <= 0)
        data->xAvgCharWidth = upem / 2;
    if (data->bboxWidth <= 0)
        data->bboxWidth = upem;
    faces.insert(key, data);
    return data;
}

// GDI's rounding of a scaled metric (FreeType's MulFix followed by +32 >> 6).
int roundMetric(double v) {
    return toCoord(v, CoordRounding::HalfUp);
}

double emForHeight(const FaceData& face, int height) {
    if (height < 0)
        return -double(height);
    if (height == 0)
        height = 16; // GDI's default cell height for a zero height
    // A cell height: GDI scales the em so that the Windows ascent + descent
    // fill it, and rounds the em to whole pixels.
    const int cell = std::max(1, face.winAscent + face.winDescent);
    return std::max(1.0, std::floor(double(face.unitsPerEm) * height / cell + 0.5));
}

SizedFont& sizedFont(const FontSpec& spec) {
    FontCache& fonts = fontCache();
    auto& cache = fonts.sized;
    // Bounded: a hostile file with many sizes must not grow the cache forever.
    constexpr size_t kMaxCachedFonts = 4096;
    FontKey& lastKey = fonts.lastKey;
    SizedFont*& last = fonts.last;
    if (last && spec.height == lastKey.height && spec.width == lastKey.width &&
        spec.weight == lastKey.weight && spec.italic == lastKey.italic &&
        ((spec.face.constData() == lastKey.face.constData() &&
          spec.face.size() == lastKey.face.size()) ||
         spec.face == lastKey.face))
        return *last;
    FontKey key{spec.face.toLower(), spec.height, spec.width, spec.weight, spec.italic};
    auto it = cache.find(key);
    if (it != cache.end()) {
        last = it->second.get();
        lastKey = FontKey{spec.face, spec.height, spec.width, spec.weight, spec.italic};
        return *last;
    }
    if (cache.size() >= kMaxCachedFonts) {
        cache.clear();
        last = nullptr;
    }

    auto sized = std::make_unique<SizedFont>();
    sized->face = loadFace(spec);
    const FaceData& face = *sized->face;
    const double upem = face.unitsPerEm;
    sized->ppemY = emForHeight(face, spec.height);
    sized->scaleY = sized->ppemY / upem;
    sized->scaleX = sized->scaleY;
    if (spec.width > 0) {
        // A given average width stretches the face horizontally.
        const double naturalAvg = face.xAvgCharWidth * sized->scaleY;
        if (naturalAvg > 0)
            sized->scaleX = sized->scaleY * spec.width / naturalAvg;
    }
    TextMetrics& m = sized->metrics;
    m.ascent = roundMetric(face.winAscent * sized->scaleY);
    m.descent = roundMetric(face.winDescent * sized->scaleY);
    m.height = m.ascent + m.descent;
    m.internalLeading = roundMetric((face.winAscent + face.winDescent - upem) * sized->scaleY);
    const int hheaHeight = face.hheaAscender - face.hheaDescender;
    m.externalLeading = std::max(
        0, roundMetric((face.hheaLineGap - ((face.winAscent + face.winDescent) - hheaHeight)) *
                       sized->scaleY));
    m.aveCharWidth = roundMetric(face.xAvgCharWidth * sized->scaleX);
    m.maxCharWidth = roundMetric(face.bboxWidth * sized->scaleX);
    if (spec.width > 0 && sized->scaleY > 0)
        sized->stretch = std::clamp(toCoord(100.0 * sized->scaleX / sized->scaleY), 1, 4000);
    SizedFont& result = *sized;
    cache.emplace(std::move(key), std::move(sized));
    last = &result;
    lastKey = FontKey{spec.face, spec.height, spec.width, spec.weight, spec.italic};
    return result;
}

// Design advance of one UTF-16 unit in font units, measured the first time
// the face meets it.
[[gnu::noinline]] double measureUnit(FaceData& face, const QString& text, qsizetype i) {
    const QChar c = text[i];
    if (c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate())
        return 0;
    auto cached = face.advances.constFind(c.unicode());
    if (cached != face.advances.constEnd())
        return *cached;
    double advance = 0;
    QString unit(c);
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        unit += text[i + 1];
    QList<quint32> glyphs;
    if (face.raw.isValid())
        glyphs = face.raw.glyphIndexesForString(unit);
    if (glyphs.size() == 1 && glyphs[0] != 0) {
        const QList<QPointF> adv = face.raw.advancesForGlyphIndexes(
            glyphs, QRawFont::SeparateAdvances | QRawFont::UseDesignMetrics);
        if (!adv.isEmpty())
            advance = adv[0].x();
    } else {
        // A character the face lacks is drawn from a fallback face.
        QFont f = face.font;
        f.setPixelSize(face.unitsPerEm);
        advance = QFontMetricsF(f).horizontalAdvance(unit);
    }
    if (c.unicode() < face.latin.size())
        face.latin[c.unicode()] = advance;
    else if (unit.size() == 1)
        face.advances.insert(c.unicode(), advance);
    return advance;
}

// Design advance of one UTF-16 unit in font units; the units of the first
// 256 code points measured before are looked up in place.
inline double unitAdvance(FaceData& face, const QString& text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (c < face.latin.size() && !std::isnan(face.latin[c]))
        return face.latin[c];
    return measureUnit(face, text, i);
}

} // namespace

const std::vector<std::pair<QString, QString>>& faceSubstitutions() {
    return substitutionTable();
}

QString substituteFace(const QString& windowsFace) {
    // Asking the font database whether a family is installed goes through
    // fontconfig's substitution every time (tens of microseconds), and a
    // page asks for every text record: the answers are kept, per name as
    // given. Bounded, since a hostile file may name any number of faces.
    QHash<QString, QString>& resolved = fontCache().resolvedFaces;
    constexpr qsizetype kMaxResolved = 1024;
    const auto known = resolved.constFind(windowsFace);
    if (known != resolved.constEnd())
        return *known;

    const QString trimmed = windowsFace.trimmed();
    QString result = trimmed.isEmpty() ? QStringLiteral("Liberation Sans") : trimmed;
    for (const auto& [windows, installed] : substitutionTable()) {
        if (windows.compare(trimmed, Qt::CaseInsensitive) != 0)
            continue;
        // A substitute that is not installed (e.g. Liberation Sans Narrow)
        // falls back to the family's regular face.
        const bool variantMissing = !QFontDatabase::hasFamily(installed) &&
                                    installed.startsWith(QStringLiteral("Liberation Sans"));
        result = variantMissing ? QStringLiteral("Liberation Sans") : installed;
        break;
    }
    if (resolved.size() >= kMaxResolved)
        resolved.clear();
    resolved.insert(windowsFace, result);
    return result;
}

int fontHeightForPoints(int points, int dpi) {
    // -MulDiv(points, dpi, 72): rounded half away from zero.
    const long long num = (long long)points * dpi;
    const long long q = (std::llabs(num) * 2 + 72) / 144;
    return int(num < 0 ? q : -q);
}

double fontEmPixels(const FontSpec& font) {
    return sizedFont(font).ppemY;
}

TextMetrics fontTextMetrics(const FontSpec& font) {
    return sizedFont(font).metrics;
}

int fontCharAdvances(const FontSpec& font, const QString& text, std::span<int> out) {
    const SizedFont& sized = sizedFont(font);
    double position = 0;
    int placed = 0;
    const qsizetype n = std::min(text.size(), qsizetype(out.size()));
    for (qsizetype i = 0; i < n; ++i) {
        position += unitAdvance(*sized.face, text, i) * sized.scaleX;
        // Cumulative rounding: the advances add up to the rounded width.
        const int end = roundMetric(position);
        out[size_t(i)] = end - placed;
        placed = end;
    }
    return placed;
}

std::vector<int> fontCharAdvances(const FontSpec& font, const QString& text) {
    std::vector<int> result(size_t(text.size()), 0);
    fontCharAdvances(font, text, result);
    return result;
}

std::vector<double> fontDesignAdvances(const FontSpec& font, const QString& text) {
    const SizedFont& sized = sizedFont(font);
    std::vector<double> result(size_t(text.size()), 0.0);
    for (qsizetype i = 0; i < text.size(); ++i)
        result[size_t(i)] = unitAdvance(*sized.face, text, i) * sized.scaleX;
    return result;
}

int fontTextWidth(const FontSpec& font, const QString& text) {
    const SizedFont& sized = sizedFont(font);
    double position = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        position += unitAdvance(*sized.face, text, i) * sized.scaleX;
    return roundMetric(position);
}

QFont qfontFor(const FontSpec& spec, double scale) {
    SizedFont& sized = sizedFont(spec);
    if (!sized.baseMade) {
        sized.base = baseQFont(spec);
        sized.baseMade = true;
    }
    QFont font = sized.base;
    font.setPixelSize(std::max(1, toCoord(sized.ppemY * scale)));
    font.setUnderline(spec.underline);
    font.setStrikeOut(spec.strikeOut);
    if (spec.width > 0 && sized.scaleY > 0)
        font.setStretch(sized.stretch);
    font.setKerning(false);
    return font;
}

int fontStretch(const FontSpec& font) {
    return sizedFont(font).stretch;
}

} // namespace vx

namespace vx {

QRawFont fontRawFont(const FontSpec& font) {
    SizedFont& sized = sizedFont(font);
    if (!sized.drawingMade) {
        sized.inks.clear();
        sized.drawingMade = true;
        QFont f = baseQFont(font);
        f.setPixelSize(std::max(1, toCoord(sized.ppemY)));
        sized.drawing = QRawFont::fromFont(f, QFontDatabase::Any);
        if (sized.drawing.isValid())
            sized.drawing.setPixelSize(sized.ppemY);
    }
    return sized.drawing;
}

QRectF fontGlyphInk(const FontSpec& font, quint32 glyph) {
    const QRawFont raw = fontRawFont(font);
    SizedFont& sized = sizedFont(font);
    const auto known = sized.inks.constFind(glyph);
    if (known != sized.inks.constEnd())
        return *known;
    const QRectF ink = raw.isValid() ? raw.boundingRect(glyph) : QRectF();
    sized.inks.insert(glyph, ink);
    return ink;
}

} // namespace vx
