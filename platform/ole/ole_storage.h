#pragma once

// Embedded OLE objects as templates store them, and the picture they show.
//
// The container's stream: a 32-bit signature 0x434F4442 (the bytes "BDOC"),
// a 32-bit draw aspect, a 32-bit size n and n bytes of the object's storage,
// which is an OLE compound file. The stream is kept byte for byte; nothing in
// it is ever executed. The compound file is read with libgsf for the class
// name (the "\1CompObj" stream) and the presentation picture that the object
// left for containers (the "\2OlePresNNN" streams, or the "CONTENTS" stream of
// a static picture): a Windows metafile, an enhanced metafile or a DIB.

#include "platform/byte_reader.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace vx::ole {

inline constexpr uint32_t kContainerSignature = 0x434F4442; // "BDOC"
inline constexpr size_t kContainerHeaderSize = 12;
// Draw aspects (DVASPECT).
inline constexpr uint32_t kAspectContent = 1;
inline constexpr uint32_t kAspectIcon = 4;

// Presentation streams are pictures; larger ones are damage. The storage
// itself is bounded by the stream it was read from.
inline constexpr size_t kMaxPresentationBytes = 64u * 1024 * 1024;
// A storage holds at most 999 presentation streams ("\2OlePres000" to 999).
inline constexpr int kMaxPresentationStreams = 1000;

struct ContainerStream {
    uint32_t aspect = kAspectContent;
    QByteArray storage; // the object's bytes (normally a compound file)
};

// Reads one container stream at the reader's position and returns its
// bytes exactly as stored (header included); fails the reader and returns
// an empty array when the signature is not "BDOC" or the size runs past
// the end.
QByteArray readContainerStream(ByteReader& in);
// The parts of a container stream that is exactly `raw`.
std::optional<ContainerStream> parseContainerStream(const QByteArray& raw);
// A container stream holding `storage` with the draw aspect.
QByteArray makeContainerStream(const QByteArray& storage, uint32_t aspect = kAspectContent);

// The eight bytes that open every compound file.
bool isCompoundFile(const QByteArray& bytes);

enum class PictureFormat : uint8_t { None, Dib, Wmf, Emf };

struct Presentation {
    PictureFormat format = PictureFormat::None;
    uint32_t aspect = kAspectContent;
    int32_t widthHimetric = 0; // natural size in 0.01 mm (0: unknown)
    int32_t heightHimetric = 0;
    QByteArray data; // the DIB (header, colours, bits), WMF or EMF bytes
};

// Standard clipboard formats of presentation data.
inline constexpr uint32_t CF_METAFILEPICT = 3;
inline constexpr uint32_t CF_DIB = 8;
inline constexpr uint32_t CF_ENHMETAFILE = 14;

// Parses an OLE presentation stream (clipboard format, target device,
// aspect, extent in 0.01 mm, data); none when it is damaged or its format is
// not a picture we draw.
std::optional<Presentation> parsePresentationStream(const QByteArray& stream);

struct EmbeddedObject {
    bool compoundFile = false; // the storage could be opened
    QString className;         // ProgID, else user type name, else CLSID; may be empty
    std::optional<Presentation> presentation;
};

// Reads the object's storage: class name and the presentation for the draw
// aspect (else the first one we can draw). Bytes that are not a compound
// file, or a damaged one, give what could be read.
EmbeddedObject readEmbeddedObject(const QByteArray& storage, uint32_t aspect = kAspectContent);

} // namespace vx::ole
