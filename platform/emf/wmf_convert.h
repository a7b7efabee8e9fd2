#pragma once

// Conversion of a Windows metafile into an enhanced metafile that draws the
// same picture, the way Windows itself plays old metafiles: every drawing,
// object and state record becomes its enhanced counterpart, and the
// metafile's window is mapped onto the picture frame.
//
// The frame is the placeable header's bounding box at its units per inch;
// a metafile without that header takes the window its records set first, one
// logical unit a pixel. Palette, escape and region records draw nothing on
// a report page and are left out (a region still takes its place in the
// object table, so that later objects keep their numbers); mapping mode and
// viewport records are left out too, since the viewport is the frame.

#include "platform/emf/wmf_reader.h"

#include <QByteArray>
#include <QSize>

namespace vx::emf {

// The picture's size in pixels of 1/96 inch; empty when it has none.
QSize wmfPixelSize(const WmfPicture& wmf);

// The enhanced metafile; throws VxError "Immagine WMF danneggiata: ..." for
// a picture without size.
QByteArray wmfToEmf(const WmfPicture& wmf);

} // namespace vx::emf
