#pragma once

// Drawing of an embedded object's presentation picture, and the neutral
// placeholder for objects that left none we can draw.

#include "platform/canvas.h"
#include "platform/ole/ole_storage.h"

#include <QRect>
#include <QSize>
#include <QString>

namespace vx::ole {

// The natural size in pixels at `ppi` pixels per inch: the presentation's
// extent in 0.01 mm converted as value x ppi / 2540, rounded (halves to
// even); else the picture's own size (a metafile's frame, a bitmap's
// pixels); (0, 0) when neither is known.
QSize naturalSize(const Presentation& presentation, int ppi = 96);

// Draws the picture stretched into `dest`; false when it cannot be drawn
// (a format we do not play, or damaged data: nothing is drawn then).
bool drawPresentation(Canvas& canvas, const Presentation& presentation, const QRect& dest);

// A thin grey frame with the class name (or "Oggetto OLE" without one)
// centred in it, clipped to the frame.
void drawPlaceholder(Canvas& canvas, const QRect& dest, const QString& className);

} // namespace vx::ole
