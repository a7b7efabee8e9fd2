#pragma once

// Reading of Windows metafiles (WMF), as old templates and databases hold
// logos: the optional placeable header (bounding box and units per inch),
// the metafile header and the envelope of every record are validated once
// when the picture is parsed; records are then views into the bytes.
//
// A WMF is drawn by converting it to an enhanced metafile (wmf_convert.h),
// which our EMF player plays like any other picture.

#include "platform/byte_reader.h"

#include <QByteArray>
#include <QRect>

#include <cstdint>
#include <vector>

namespace vx::emf {

// Key of the placeable header (bytes D7 CD C6 9A).
inline constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
// Records accepted in one picture: a logo holds hundreds; a million records
// of at least 6 bytes is already a 6 MB file.
inline constexpr size_t kMaxWmfRecords = 1u << 20;

// Record functions (META_*) the conversion understands.
enum : uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_REALIZEPALETTE = 0x0035,
    META_SETPALENTRIES = 0x0037,
    META_CREATEPALETTE = 0x00F7,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETROP2 = 0x0104,
    META_SETRELABS = 0x0105,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETSTRETCHBLTMODE = 0x0107,
    META_SETTEXTCHAREXTRA = 0x0108,
    META_RESTOREDC = 0x0127,
    META_INVERTREGION = 0x012A,
    META_PAINTREGION = 0x012B,
    META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_RESIZEPALETTE = 0x0139,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETTEXTJUSTIFICATION = 0x020A,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_FILLREGION = 0x0228,
    META_SETMAPPERFLAGS = 0x0231,
    META_SELECTPALETTE = 0x0234,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_SCALEVIEWPORTEXT = 0x0412,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_FLOODFILL = 0x0419,
    META_FRAMEREGION = 0x0429,
    META_ANIMATEPALETTE = 0x0436,
    META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_EXTFLOODFILL = 0x0548,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_ESCAPE = 0x0626,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_BITBLT = 0x0922,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_STRETCHBLT = 0x0B23,
    META_DIBSTRETCHBLT = 0x0B41,
    META_SETDIBTODEV = 0x0D33,
    META_STRETCHDIB = 0x0F43,
};

struct WmfHeader {
    bool placeable = false;
    // Placeable header only: the picture's bounding box in logical units
    // (as stored: left, top, right, bottom) and the logical units per inch.
    int16_t boxLeft = 0, boxTop = 0, boxRight = 0, boxBottom = 0;
    uint16_t unitsPerInch = 0;
    uint16_t type = 0;    // 1 in memory, 2 on disk
    uint16_t version = 0; // 0x0100 or 0x0300
    uint16_t objects = 0; // size of the object table
};

// One record: its function and its parameters (after the 6-byte envelope).
struct WmfRecord {
    uint16_t function = 0;
    const char* params = nullptr;
    uint32_t paramSize = 0; // bytes
    ByteReader payload() const { return ByteReader(params, paramSize); }
};

class WmfPicture {
public:
    // Parses and validates the headers and record envelopes. Throws VxError
    // with "Immagine WMF danneggiata: ..." when the bytes are not a Windows
    // metafile or a record does not fit. Records after META_EOF are ignored.
    static WmfPicture parse(const QByteArray& bytes);

    // Whether the bytes begin like a Windows metafile (placeable key, or a
    // metafile header of type 1 or 2 and 9 words).
    static bool looksLikeWmf(const QByteArray& bytes);

    const WmfHeader& header() const { return header_; }
    const std::vector<WmfRecord>& records() const { return records_; }
    const QByteArray& bytes() const { return bytes_; }

private:
    QByteArray bytes_; // shared with the caller's array; records point into it
    WmfHeader header_;
    std::vector<WmfRecord> records_;
};

} // namespace vx::emf
