#pragma once

// What a preview window knows of text search: the options of the running
// search, the hit last shown and its blinking. The find module fills it,
// the page playback reads it.

#include "preview/page_playback.h"
#include "preview/preview_geometry.h"

#include <QString>

namespace vx::preview {

struct SearchState {
    bool Searching = false; // a search run is enumerating the pages
    bool Found = false;     // a hit is known and may be highlighted
    bool CaseSensitive = false;
    bool PartOfWord = true;
    bool SearchNext = false;
    bool SearchPrevious = false;
    bool FromCurrentPage = false;
    QString SearchText;
    Edges HitRect; // panel pixels relative to the page's top-left corner
    int HitPage = 0;
    int BlinkCount = 0;
    int RecordNumber = 0; // after a hit, the record number of the hit text record
    int LastHit = 0;      // ordinal of the hit last shown; kept between searches
    int HitCount = 0;     // ordinal of the latest match during a search run
    // Called per text record while Searching (see page_playback.h).
    SearchRecordHandler SearchRecord;

    HitHighlight highlight() const { return {Found, HitPage, RecordNumber, BlinkCount}; }
    // After a zoom change by `factor`: each coordinate of the hit rectangle
    // scaled and rounded.
    void scaleHit(double factor) {
        HitRect = {roundEven(HitRect.left * factor), roundEven(HitRect.top * factor),
                   roundEven(HitRect.right * factor), roundEven(HitRect.bottom * factor)};
    }
};

} // namespace vx::preview
