#include "preview/text_search.h"

#include "platform/byte_reader.h"
#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_records.h"
#include "preview/page_playback.h"
#include "report/emf_pages.h"

namespace vx::preview {

using emf::EmfPicture;
using emf::EmfRecord;
using emf::RectL;

namespace {

// Offsets inside EMR_EXTTEXTOUTA/W (from the record's type field): the
// bounds, then the EMRTEXT's character count and string offset.
constexpr uint32_t kBoundsAt = 8;
constexpr uint32_t kCharsAt = 44;
constexpr uint32_t kStringAt = 48;
constexpr uint32_t kMinTextRecord = 52;

// Windows-1252: Latin-1 except 0x80..0x9F.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

inline char16_t fold(char16_t c, bool caseSensitive) {
    return (!caseSensitive && c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

uint32_t u32At(const char* p) {
    return uint32_t(uint8_t(p[0])) | (uint32_t(uint8_t(p[1])) << 8) |
           (uint32_t(uint8_t(p[2])) << 16) | (uint32_t(uint8_t(p[3])) << 24);
}

RectL boundsOf(const EmfRecord& rec) {
    ByteReader r(rec.data + kBoundsAt, rec.size - kBoundsAt);
    return emf::readRectL(r);
}

bool isTextRecord(uint32_t type) {
    return type == emf::EMR_EXTTEXTOUTW || type == emf::EMR_EXTTEXTOUTA;
}

// Walks every matching text record in document order; `onMatch(hit)`
// returns true to stop.
template <class OnMatch>
void scanMatches(const TvxEMFPages& pages, const TextMatcher& matcher, OnMatch&& onMatch) {
    if (matcher.empty())
        return;
    std::u16string buffer;
    int hitNumber = 0;
    const int count = pages.Count();
    for (int i = 0; i < count; ++i) {
        const EmfPicture& picture = pages.Pages(i).Picture;
        const int records = picture.recordCount();
        for (int r = 1; r < records; ++r) {
            const EmfRecord rec = picture.record(r);
            if (!isTextRecord(rec.type) || !matcher.matchesRecord(rec, buffer))
                continue;
            FindHit hit;
            hit.page = i;
            hit.recordIndex = r;
            hit.recordNumber = int64_t(i) * kRecordsPerPage + r;
            hit.hitNumber = ++hitNumber;
            hit.bounds = boundsOf(rec);
            if (onMatch(hit))
                return;
        }
    }
}

} // namespace

bool isWordSeparator(char16_t c) {
    switch (c) {
    case u' ':
    case u'!':
    case u'"':
    case u'\'':
    case u'(':
    case u')':
    case u'.':
    case u':':
    case u';':
    case u'?':
    case u'[':
    case u']':
        return true;
    default:
        return false;
    }
}

bool searchTextOfRecord(const EmfRecord& rec, bool caseSensitive, std::u16string& out) {
    out.clear();
    if (!isTextRecord(rec.type) || rec.data == nullptr || rec.size < kMinTextRecord)
        return false;
    const uint32_t chars = u32At(rec.data + kCharsAt);
    const uint32_t offString = u32At(rec.data + kStringAt);
    const bool wide = rec.type == emf::EMR_EXTTEXTOUTW;
    if (chars == 0)
        return true;
    // The string must lie inside the record (64-bit sums cannot overflow).
    const uint64_t end = uint64_t(offString) + uint64_t(chars) * (wide ? 2u : 1u);
    if (offString < 8 || end > rec.size)
        return false;
    const char* p = rec.data + offString;
    out.reserve(chars);
    if (wide) {
        for (uint32_t i = 0; i < chars; ++i) {
            const char16_t c = char16_t(uint8_t(p[2 * i]) | (uint8_t(p[2 * i + 1]) << 8));
            if (c >= 32)
                out.push_back(fold(c, caseSensitive));
        }
    } else {
        for (uint32_t i = 0; i < chars; ++i) {
            const uint8_t b = uint8_t(p[i]);
            if (b < 32)
                continue;
            const char16_t c = (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : char16_t(b);
            out.push_back(fold(c, caseSensitive));
        }
    }
    return true;
}

TextMatcher::TextMatcher(const QString& text, bool caseSensitive, bool partOfWord)
    : caseSensitive_(caseSensitive), partOfWord_(partOfWord) {
    needle_.reserve(size_t(text.size()));
    for (const QChar c : text)
        needle_.push_back(fold(c.unicode(), caseSensitive));
}

bool TextMatcher::matches(std::u16string_view hay) const {
    if (needle_.empty() || hay.size() < needle_.size())
        return false;
    const size_t p = hay.find(needle_);
    if (p == std::u16string_view::npos)
        return false;
    if (partOfWord_ || hay.size() == needle_.size())
        return true;
    // Whole word: only the first occurrence is tested.
    if (p > 0 && !isWordSeparator(hay[p - 1]))
        return false;
    const size_t end = p + needle_.size();
    return end == hay.size() || isWordSeparator(hay[end]);
}

bool TextMatcher::matches(QStringView recordText) const {
    std::u16string s;
    s.reserve(size_t(recordText.size()));
    for (const QChar c : recordText)
        if (c.unicode() >= 32)
            s.push_back(fold(c.unicode(), caseSensitive_));
    return matches(std::u16string_view(s));
}

bool TextMatcher::matchesRecord(const EmfRecord& record, std::u16string& buffer) const {
    if (needle_.empty() || !searchTextOfRecord(record, caseSensitive_, buffer))
        return false;
    return matches(std::u16string_view(buffer));
}

std::optional<FindHit> findText(const TvxEMFPages& pages, const FindRequest& request) {
    const TextMatcher matcher(request.text, request.caseSensitive, request.partOfWord);
    // "Previous" from the first hit (or before any) has nothing to accept.
    if (request.origin == FindOrigin::Previous && request.lastHit <= 1)
        return std::nullopt;
    std::optional<FindHit> found;
    scanMatches(pages, matcher, [&](const FindHit& hit) {
        bool accept = false;
        switch (request.origin) {
        case FindOrigin::FirstPage:
            accept = true;
            break;
        case FindOrigin::CurrentPage:
            accept = int64_t(hit.page) >= int64_t(request.currentPage) - 1;
            break;
        case FindOrigin::Next:
            accept = int64_t(hit.hitNumber) == int64_t(request.lastHit) + 1;
            break;
        case FindOrigin::Previous:
            accept = int64_t(hit.hitNumber) == int64_t(request.lastHit) - 1;
            break;
        }
        if (accept)
            found = hit;
        return accept;
    });
    return found;
}

std::vector<FindHit> findAll(const TvxEMFPages& pages, const QString& text, bool caseSensitive,
                             bool partOfWord, int fromPage) {
    std::vector<FindHit> hits;
    const TextMatcher matcher(text, caseSensitive, partOfWord);
    scanMatches(pages, matcher, [&](const FindHit& hit) {
        if (hit.page >= fromPage)
            hits.push_back(hit);
        return false;
    });
    return hits;
}

} // namespace vx::preview
