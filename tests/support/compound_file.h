#pragma once

// Builds OLE compound files and the streams of embedded objects for tests,
// with libgsf's writer.

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace vx::test {

struct CompoundStream {
    QByteArray name; // e.g. "\x02OlePres000"
    QByteArray data;
};

// A compound file holding the streams in its root storage, with the root's
// CLSID when `clsid` has 16 bytes.
QByteArray makeCompoundFile(const std::vector<CompoundStream>& streams,
                            const QByteArray& clsid = QByteArray());

// An OLE presentation stream: a standard clipboard format, no target
// device, the aspect, the extent in 0.01 mm and the data (with the 18
// reserved bytes a metafile presentation carries).
QByteArray makePresentationStream(uint32_t clipboardFormat, uint32_t aspect, int32_t widthHimetric,
                                  int32_t heightHimetric, const QByteArray& data);

// A metafile of `width` x `height` pixels filled red: a presentation picture
// whose pixels a test can recognise.
QByteArray makeRedMetafile(int width = 40, int height = 20);

// A "\1CompObj" stream naming the user type and the ProgID.
QByteArray makeCompObj(const QByteArray& userType, const QByteArray& progId);

} // namespace vx::test
