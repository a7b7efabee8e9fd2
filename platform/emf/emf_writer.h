#pragma once

// Low-level writer of enhanced metafiles: the header (completed by finish()),
// records with their size and 4-byte padding, the object table with handle
// reuse, and the accumulated device bounds of what was drawn. The recording
// canvas sits on top of it and decides which records to write.

#include "platform/byte_writer.h"
#include "platform/emf/emf_constants.h"

#include <QByteArray>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <vector>

namespace vx::emf {

// Size of the header record written: the base header (88 bytes), the OpenGL
// extension (12) and the micrometre extension (8); no description.
inline constexpr uint32_t kHeaderRecordSize = 108;
inline constexpr uint32_t kEofRecordSize = 20;

// Reference device of the header (see recording_canvas.h for the choice).
struct ReferenceDevice {
    QSize pixels;
    QSize millimetres;
    QSize micrometres;
};

class EmfWriter {
public:
    // `frame` is the picture frame in 0.01 mm (as stored: left, top, right,
    // bottom).
    EmfWriter(const QRect& frameEdges, const ReferenceDevice& device);

    // Starts a record of `type`; fields follow through out(); endRecord pads
    // to 4 bytes and writes the size.
    void beginRecord(uint32_t type);
    void endRecord();
    ByteWriter& out() { return out_; }
    // Offset of the current record's first byte (for offsets inside records).
    qsizetype recordStart() const { return recordStart_; }
    qsizetype recordOffset() const { return out_.size() - recordStart_; }

    // Appends a whole record of `size` bytes (a multiple of 4) with its type
    // and size written; returns where its fields go (size - 8 bytes, left
    // for the caller to fill).
    char* appendRecord(uint32_t type, uint32_t size);

    // A record made of 32-bit fields only.
    void simpleRecord(uint32_t type, std::initializer_list<uint32_t> fields);

    // Object table: the lowest free slot (index 0 is the metafile itself).
    uint32_t allocateHandle();
    void freeHandle(uint32_t handle);
    bool isHandleLive(uint32_t handle) const;
    // Highest slot ever used + 1 (the header's handle count).
    uint32_t handleCount() const { return uint32_t(slotsUsed_.size()) + 1; }

    // Device bounds of what was drawn (inclusive pixels).
    void addBounds(const QRect& inclusive);
    QRect bounds() const { return bounds_; }

    int recordCount() const { return records_; }
    // Writes EOF, completes the header and returns the bytes.
    QByteArray finish();

private:
    QByteArray bytes_;
    ByteWriter out_{&bytes_};
    qsizetype recordStart_ = -1;
    int records_ = 0;
    std::vector<bool> slotsUsed_; // slot i + 1 in use
    QRect bounds_;                // null until something is drawn
};

// RECTL of an inclusive QRect (right/bottom inclusive), as bounds are stored.
void writeInclusiveRect(ByteWriter& out, const QRect& r);
// RECTL of a GDI rectangle with exclusive right/bottom edges (QRect built by
// rectFromEdges: right() is the last pixel inside).
void writeEdgeRect(ByteWriter& out, const QRect& r);

} // namespace vx::emf
