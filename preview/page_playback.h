#pragma once

// Playback of one prepared page's picture into a rectangle of a canvas,
// record by record: on the preview's paint panel drawing records outside
// the repainted area are skipped; when the zoom is not 100 % the fonts are
// created at the zoomed size and every text string is spaced so that it
// spans its recorded width scaled to the zoom, whatever the widths of the
// screen font; bitmaps are drawn straight from their records; the text
// record of a search hit is drawn highlighted on odd blink counts.

#include "platform/canvas.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/emf_reader.h"
#include "preview/preview_geometry.h"

#include <QRect>
#include <QString>

#include <functional>
#include <map>
#include <vector>

namespace vx::preview {

// The search hit as the preview knows it.
struct HitHighlight {
    bool found = false;
    int hitPage = -1;   // page index from 0
    int hitRecord = -1; // record number of the hit text record
    int blinkCount = 0; // the hit is drawn highlighted on odd counts
};

// Called for each text record while a search runs (record number as the
// playback counts it); returns true to stop the enumeration.
using SearchRecordHandler =
    std::function<bool(emf::EmfPlayer& player, const emf::EmfRecord& record, int recordNumber)>;

struct PlaybackRequest {
    int pageIndex = 0;
    EdgeRect dest; // R: the picture's rectangle (right and bottom exclusive)
    double sx = 1; // page scale at the current zoom (independent of dest)
    double sy = 1;
    bool onPanel = false; // the canvas is the paint panel's own device
    QRect clip;           // repainted area of the panel (panel pixels), when onPanel
    HitHighlight highlight;
    SearchRecordHandler search; // set: search mode (nothing is drawn)
};

// Plays the page's picture (see the file comment). The canvas's state is
// left as it was.
void playPage(Canvas& canvas, const emf::EmfPicture& picture, const PlaybackRequest& request);

// Whether text is respaced and fonts scaled at this scale: not at 100 %,
// nor when both scales are 75 % or below.
bool adjustTextFor(double sx, double sy);

// Whether a record's bounds (reference pixels, inclusive), enlarged by
// 4 + half the pen width and scaled into `dest`, meet the panel's clip
// (enlarged by 1). Touching counts as meeting.
bool recordVisible(const QRect& clip, const emf::RectL& bounds, int penWidth, double sx, double sy,
                   const EdgeRect& dest);

// The characters taken from a text record and their advances at scale sx:
// the characters whose recorded advances start within the bounds' width
// (their height for text turned by `angle`), each placed at its exact
// scaled position (originX + sx x the recorded advances before it),
// rounded; the advances are the differences of the rounded positions, so
// the string spans sx x U.
struct SpacedAdvances {
    int count = 0;           // characters taken
    int64_t recordedSum = 0; // U: sum of their recorded advances
    std::vector<int> advances;
};
SpacedAdvances spaceAdvances(const std::vector<int32_t>& recorded, int boundsWidth,
                             int boundsHeight, double angle, double sx, double originX = 0);

// The record numbering: the header is page x 10000, each further record adds 1.
inline constexpr int kRecordsPerPage = 10000;

} // namespace vx::preview
