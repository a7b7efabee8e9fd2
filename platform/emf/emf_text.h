#pragma once

// The strings of a picture's text records, in record order: EMR_EXTTEXTOUTW
// and EMR_EXTTEXTOUTA, every string of EMR_POLYTEXTOUTW/A, EMR_SMALLTEXTOUT.
// Used by text search and by the command-line text dump; the player is not
// involved, so extraction is cheap.

#include "platform/emf/emf_reader.h"

#include <QPoint>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace vx::emf {

struct EmfTextItem {
    int recordIndex = 0;           // index of the record in the picture (header = 0)
    uint32_t recordType = 0;       // EMR_EXTTEXTOUTW, EMR_EXTTEXTOUTA, ...
    QString text;                  // the declared characters (A: Windows-1252 decoded)
    QPoint reference;              // reference point, logical units
    RectL bounds;                  // record bounds, device pixels (inclusive); may be empty
    RectL textRect;                // the clip/opaque rectangle, logical units
    uint32_t options = 0;          // ETO_* flags
    std::vector<int32_t> advances; // one per character (x advances), empty when absent
};

// Every text string of the picture in record order. Damaged text records
// are skipped (the parse already rejected them in strict mode).
std::vector<EmfTextItem> extractText(const EmfPicture& picture);

// The string of one text record (EXTTEXTOUTA/W only), or nothing when the
// record is not such a record or is damaged. Search uses it per record.
std::optional<EmfTextItem> textOfRecord(const EmfRecord& record, int recordIndex);

} // namespace vx::emf
