#pragma once

// Searching the prepared pages for a text, without drawing: only the text
// records (EMR_EXTTEXTOUTA/W) of each page's picture are decoded. A text
// counts as found when it lies within one text record; a text the report
// drew in two pieces is not found.
//
// Hits are numbered in document order, one number per matching text record
// (from 1). "Next" and "previous" continue from the number of the last hit,
// so every search enumerates the pages from the first.
//
// Record numbers are those of the page playback: the header record of page
// index i is i x kRecordsPerPage, every further record adds 1; a hit also
// carries the record's index inside its picture (header = 0).

#include "platform/emf/emf_reader.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vx {
class TvxEMFPages;
}

namespace vx::preview {

// Where a search starts and which match it accepts.
enum class FindOrigin {
    FirstPage = 0,   // the first match of the report
    CurrentPage = 1, // the first match on the current page or after it
    Next = 2,        // the match numbered last hit + 1
    Previous = 3,    // the match numbered last hit - 1
};

// The separators of whole-word matching: blank ! " ' ( ) . : ; ? [ ].
// The comma, the hyphen and every other character are not separators.
bool isWordSeparator(char16_t c);

// Matching of one record's text against the search text.
class TextMatcher {
public:
    // An empty text never matches. Without case sensitivity only the
    // letters a to z are folded (accented letters compare as they are).
    TextMatcher(const QString& text, bool caseSensitive, bool partOfWord);

    // Whether the search text lies in `recordText` (characters below the
    // blank already removed). Whole words: only the first occurrence is
    // tested.
    bool matches(std::u16string_view recordText) const;
    bool matches(QStringView recordText) const;

    // Decodes a text record into `buffer` (characters below the blank
    // removed, folded as the options say) and matches it. False for any
    // other record or a damaged one.
    bool matchesRecord(const emf::EmfRecord& record, std::u16string& buffer) const;

    bool empty() const { return needle_.empty(); }

private:
    std::u16string needle_;
    bool caseSensitive_ = false;
    bool partOfWord_ = true;
};

// The string of an EMR_EXTTEXTOUTA/W record as the search sees it: the
// declared characters (8-bit ones decoded as Windows-1252) without those
// below the blank, letters a-z upper-cased unless `caseSensitive`. False
// when the record is not such a record or its string lies outside it.
bool searchTextOfRecord(const emf::EmfRecord& record, bool caseSensitive, std::u16string& out);

struct FindRequest {
    QString text;
    bool caseSensitive = false;
    bool partOfWord = true;
    FindOrigin origin = FindOrigin::FirstPage;
    int currentPage = 1; // from 1: the page shown (CurrentPage origin)
    int lastHit = 0;     // number of the last hit (Next / Previous)
};

struct FindHit {
    int page = -1;             // page index from 0
    int recordIndex = -1;      // index of the record in the page's picture (header = 0)
    int64_t recordNumber = -1; // playback numbering: page x kRecordsPerPage + recordIndex
    int hitNumber = 0;         // number of the match in document order (from 1)
    emf::RectL bounds;         // the record's bounds, reference pixels (inclusive)
};

// The match the request accepts, or nothing.
std::optional<FindHit> findText(const TvxEMFPages& pages, const FindRequest& request);

// Every match in document order from page index `fromPage` on (the hits
// "Pagina corrente" and then "Successivo" step through). Hit numbers count
// the matches of the earlier pages too.
std::vector<FindHit> findAll(const TvxEMFPages& pages, const QString& text, bool caseSensitive,
                             bool partOfWord, int fromPage = 0);

} // namespace vx::preview
