#include "platform/emf/emf_writer.h"

#include "platform/errors.h"

namespace vx::emf {

namespace {

// Header field offsets (from the record start).
constexpr qsizetype kBoundsOffset = 8;
constexpr qsizetype kBytesOffset = 48;
constexpr qsizetype kRecordsOffset = 52;
constexpr qsizetype kHandlesOffset = 56;
constexpr uint32_t kEmfVersion = 0x10000;
// Room reserved for a page's records from the start: most pages fit, so the
// buffer is not copied while it grows, and the block freed by the previous
// page is taken again instead of fresh memory. finish() gives back what the
// picture does not use.
constexpr qsizetype kInitialRecordBytes = 64 * 1024;

} // namespace

void writeInclusiveRect(ByteWriter& out, const QRect& r) {
    out.i32(r.left());
    out.i32(r.top());
    out.i32(r.right());
    out.i32(r.bottom());
}

void writeEdgeRect(ByteWriter& out, const QRect& r) {
    out.i32(r.left());
    out.i32(r.top());
    out.i32(r.right() + 1);
    out.i32(r.bottom() + 1);
}

EmfWriter::EmfWriter(const QRect& frameEdges, const ReferenceDevice& device) {
    bytes_.reserve(kInitialRecordBytes);
    beginRecord(EMR_HEADER);
    out_.i32(0); // bounds, completed by finish()
    out_.i32(0);
    out_.i32(-1);
    out_.i32(-1);
    out_.i32(frameEdges.left());
    out_.i32(frameEdges.top());
    out_.i32(frameEdges.right());
    out_.i32(frameEdges.bottom());
    out_.u32(kEmfSignature);
    out_.u32(kEmfVersion);
    out_.u32(0); // bytes
    out_.u32(0); // records
    out_.u16(0); // handles
    out_.u16(0); // reserved
    out_.u32(0); // description length (characters)
    out_.u32(0); // description offset
    out_.u32(0); // palette entries
    out_.i32(device.pixels.width());
    out_.i32(device.pixels.height());
    out_.i32(device.millimetres.width());
    out_.i32(device.millimetres.height());
    out_.u32(0); // pixel format size
    out_.u32(0); // pixel format offset
    out_.u32(0); // no OpenGL records
    out_.u32(uint32_t(device.micrometres.width()));
    out_.u32(uint32_t(device.micrometres.height()));
    endRecord();
}

void EmfWriter::beginRecord(uint32_t type) {
    recordStart_ = out_.size();
    out_.u32(type);
    out_.u32(0);
}

void EmfWriter::endRecord() {
    while ((out_.size() - recordStart_) % 4 != 0)
        out_.u8(0);
    out_.patchU32(recordStart_ + 4, uint32_t(out_.size() - recordStart_));
    recordStart_ = -1;
    ++records_;
}

char* EmfWriter::appendRecord(uint32_t type, uint32_t size) {
    char* p = out_.grow(qsizetype(size));
    for (int b = 0; b < 4; ++b) {
        p[b] = char((type >> (8 * b)) & 0xFF);
        p[4 + b] = char((size >> (8 * b)) & 0xFF);
    }
    ++records_;
    return p + 8;
}

void EmfWriter::simpleRecord(uint32_t type, std::initializer_list<uint32_t> fields) {
    beginRecord(type);
    for (uint32_t f : fields)
        out_.u32(f);
    endRecord();
}

uint32_t EmfWriter::allocateHandle() {
    for (size_t i = 0; i < slotsUsed_.size(); ++i) {
        if (!slotsUsed_[i]) {
            slotsUsed_[i] = true;
            return uint32_t(i + 1);
        }
    }
    // The header's handle count is 16-bit.
    if (slotsUsed_.size() >= 0xFFFE)
        throw VxError(QStringLiteral("Troppi oggetti grafici nella pagina."));
    slotsUsed_.push_back(true);
    return uint32_t(slotsUsed_.size());
}

void EmfWriter::freeHandle(uint32_t handle) {
    if (handle >= 1 && handle <= slotsUsed_.size())
        slotsUsed_[handle - 1] = false;
}

bool EmfWriter::isHandleLive(uint32_t handle) const {
    return handle >= 1 && handle <= slotsUsed_.size() && slotsUsed_[handle - 1];
}

void EmfWriter::addBounds(const QRect& inclusive) {
    if (inclusive.isEmpty())
        return;
    bounds_ = bounds_.isNull() ? inclusive : bounds_.united(inclusive);
}

QByteArray EmfWriter::finish() {
    beginRecord(EMR_EOF);
    out_.u32(0);  // palette entries
    out_.u32(16); // offset of the (empty) palette
    out_.u32(kEofRecordSize);
    endRecord();
    if (!bounds_.isNull()) {
        const int32_t b[4] = {bounds_.left(), bounds_.top(), bounds_.right(), bounds_.bottom()};
        for (int i = 0; i < 4; ++i)
            out_.patchU32(kBoundsOffset + 4 * i, uint32_t(b[i]));
    }
    out_.patchU32(kBytesOffset, uint32_t(bytes_.size()));
    out_.patchU32(kRecordsOffset, uint32_t(records_));
    const uint32_t handles = handleCount();
    bytes_[kHandlesOffset] = char(handles & 0xFF);
    bytes_[kHandlesOffset + 1] = char((handles >> 8) & 0xFF);
    bytes_.squeeze();
    return bytes_;
}

} // namespace vx::emf
