#include "report/report_file_kind.h"

#include "platform/byte_reader.h"
#include "report/library_state.h"
#include "report/stream_helpers.h"

#include <QFile>

namespace vx {

namespace {

// A prepared page's record before its picture: next offset, paper code,
// width, height, orientation, margins flag.
constexpr size_t kPageRecordBytes = 4 + 2 + 4 + 4 + 1 + 1;
constexpr uint32_t kEmfHeaderRecord = 1;
constexpr uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr size_t kEmfSignatureAt = 40;
// Template streams from this version on start with their version byte.
constexpr int kFirstVersionedTemplate = 21;

// Skips a string list of the current layout; false when none is there.
bool skipStringList(ByteReader& in) {
    const uint16_t lines = in.u16();
    for (uint16_t i = 0; i < lines && in.ok(); ++i) {
        const uint16_t length = in.u16();
        if (length > kListLineMax)
            return false;
        in.skip(length);
    }
    return in.ok();
}

// Printer lines, a page count, and a first page whose picture is an
// enhanced metafile (or no page and nothing more).
bool looksPrepared(const QByteArray& head, qint64 size) {
    ByteReader in(head);
    if (!skipStringList(in))
        return false;
    const int32_t count = in.i32();
    if (!in.ok() || count < 0)
        return false;
    if (count == 0)
        return qint64(in.pos()) == size;
    in.skip(kPageRecordBytes);
    const size_t emf = in.pos();
    const uint32_t type = in.u32();
    in.seek(emf + kEmfSignatureAt);
    return in.u32() == kEmfSignature && type == kEmfHeaderRecord && in.ok();
}

// Description lines, the offset of the pages behind a picture flag and an
// optional bitmap, the pages starting with the report's four 16-bit
// booleans.
bool looksLikeLibrary(const QByteArray& head, qint64 size) {
    ByteReader in(head);
    if (!skipStringList(in))
        return false;
    const int32_t offset = in.i32();
    const uint8_t picture = in.u8();
    if (!in.ok() || picture > 1 || offset < qint64(in.pos()) || offset > size)
        return false;
    if (picture == 1 && head.mid(qsizetype(in.pos()), 2) != "BM")
        return false;
    if (offset + 8 > head.size())
        return picture == 1; // the pages lie beyond the probe, after a bitmap
    in.seek(size_t(offset));
    for (int i = 0; i < 4; ++i) {
        const uint16_t b = in.u16();
        if (b != 0 && b != 0xFFFF)
            return false;
    }
    return in.ok();
}

// A version byte of the versioned streams and a plausible data set count,
// or the 16-bit boolean that opens the streams without a version byte.
bool looksLikeTemplate(const QByteArray& head, qint64 size) {
    ByteReader in(head);
    const uint8_t version = in.u8();
    const int32_t dataSets = in.i32();
    if (!in.ok())
        return false;
    if (version >= kFirstVersionedTemplate && version <= kCurrentFileVersion)
        return dataSets >= 0 && dataSets <= size;
    const auto second = uint8_t(head.at(1));
    return (version == 0 && second == 0) || (version == 0xFF && second == 0xFF);
}

} // namespace

ReportFileKind detectReportFileKind(const QByteArray& head, qint64 size, const QString& fileName) {
    if (looksPrepared(head, size))
        return ReportFileKind::Prepared;
    if (looksLikeLibrary(head, size))
        return ReportFileKind::TemplateLibrary;
    if (looksLikeTemplate(head, size))
        return ReportFileKind::Template;
    if (fileName.endsWith(QLatin1String(".vxp"), Qt::CaseInsensitive))
        return ReportFileKind::Prepared;
    if (fileName.endsWith(QLatin1String(".vxt"), Qt::CaseInsensitive))
        return ReportFileKind::TemplateLibrary;
    return ReportFileKind::Template;
}

ReportFileKind detectReportFileKind(const QString& fileName) {
    QFile file(fileName);
    QByteArray head;
    qint64 size = 0;
    if (file.open(QIODevice::ReadOnly)) {
        size = file.size();
        head = file.read(kFileKindProbeBytes);
    }
    return detectReportFileKind(head, size, fileName);
}

} // namespace vx
