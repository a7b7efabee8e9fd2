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

inline char16_t fold(char16_t c, bool caseSensitive) {
    return (!caseSensitive && c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

RectL boundsOf(const EmfRecord& rec) {
    ByteReader r = rec.payload(); // a text record starts with its bounds
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
    const std::optional<emf::TextSpan> span = emf::extTextOutSpan(rec);
    if (!span)
        return false;
    out.reserve(span->chars);
    for (uint32_t i = 0; i < span->chars; ++i) {
        const char16_t c = span->at(i);
        if (c >= 32)
            out.push_back(fold(c, caseSensitive));
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
