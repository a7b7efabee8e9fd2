// libgsf (GLib) comes before any Qt header: Qt's keyword macros would clash
// with names in GLib's headers.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>

#include "platform/ole/ole_storage.h"

#include "platform/codepage.h"

#include <QUuid>

#include <memory>
#include <mutex>

namespace vx::ole {

namespace {

// A class name or user type longer than this is damage.
constexpr uint32_t kMaxAnsiString = 1024;
// The CompObj stream's fixed header.
constexpr size_t kCompObjHeader = 28;
// Clipboard format markers of ClipboardFormatOrAnsiString.
constexpr uint32_t kFormatMarker = 0xFFFFFFFF;
constexpr uint32_t kFormatMarkerMac = 0xFFFFFFFE;
constexpr uint8_t kCompoundSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

struct GObjectDeleter {
    void operator()(void* p) const {
        if (p)
            g_object_unref(p);
    }
};
using InputPtr = std::unique_ptr<GsfInput, GObjectDeleter>;
using InfilePtr = std::unique_ptr<GsfInfile, GObjectDeleter>;

void initGsf() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

// The whole stream `name` of the storage, or nothing when it is missing,
// larger than the limit or cannot be read.
std::optional<QByteArray> readStream(GsfInfile* storage, const char* name, size_t limit) {
    InputPtr child(gsf_infile_child_by_name(storage, name));
    if (!child)
        return std::nullopt;
    const gsf_off_t size = gsf_input_size(child.get());
    if (size < 0 || uint64_t(size) > limit)
        return std::nullopt;
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (size > 0 &&
        !gsf_input_read(child.get(), size_t(size), reinterpret_cast<guint8*>(bytes.data())))
        return std::nullopt;
    return bytes;
}

// LengthPrefixedAnsiString: a 32-bit length (terminating zero included) and
// the characters in the system code page.
QString readAnsiString(ByteReader& in) {
    const uint32_t length = in.u32();
    if (!in.ok() || length == 0)
        return QString();
    if (length > kMaxAnsiString)
        return in.fail(), QString();
    QByteArray bytes = in.bytes(length);
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    return fromCp1252(bytes);
}

// ClipboardFormatOrAnsiString: a standard format number, a registered
// format name, or none (0).
uint32_t readClipboardFormat(ByteReader& in) {
    const uint32_t marker = in.u32();
    if (marker == kFormatMarker || marker == kFormatMarkerMac)
        return in.u32();
    if (marker > kMaxAnsiString)
        return in.fail(), 0;
    in.skip(marker); // the name of a registered format
    return 0;
}

QString classNameFrom(GsfInfile* storage) {
    if (const auto compObj = readStream(storage, "\001CompObj", 64 * 1024)) {
        ByteReader in(*compObj);
        in.skip(kCompObjHeader);
        const QString userType = readAnsiString(in);
        readClipboardFormat(in);
        const QString progId = in.ok() && in.remaining() >= 4 ? readAnsiString(in) : QString();
        if (!progId.isEmpty())
            return progId;
        if (!userType.isEmpty())
            return userType;
    }
    guint8 clsid[16] = {};
    if (gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(storage), clsid)) {
        // A CLSID is stored as the GUID structure: three little-endian
        // numbers, then eight bytes.
        ByteReader in(reinterpret_cast<const char*>(clsid), 16);
        const uint32_t d1 = in.u32();
        const uint16_t d2 = in.u16(), d3 = in.u16();
        const QUuid id(d1, d2, d3, clsid[8], clsid[9], clsid[10], clsid[11], clsid[12], clsid[13],
                       clsid[14], clsid[15]);
        if (!id.isNull())
            return id.toString(QUuid::WithBraces).toUpper();
    }
    return QString();
}

// A static picture object keeps its picture in "CONTENTS": a presentation
// stream, or the enhanced metafile itself.
std::optional<Presentation> contentsPicture(GsfInfile* storage) {
    const auto contents = readStream(storage, "CONTENTS", kMaxPresentationBytes);
    if (!contents)
        return std::nullopt;
    if (auto p = parsePresentationStream(*contents))
        return p;
    ByteReader in(*contents);
    const uint32_t type = in.u32();
    in.skip(36);
    const uint32_t signature = in.u32();
    if (in.ok() && type == 1 && signature == 0x464D4520) { // EMR_HEADER, " EMF"
        Presentation p;
        p.format = PictureFormat::Emf;
        p.data = *contents;
        return p;
    }
    return std::nullopt;
}

std::optional<Presentation> presentationFrom(GsfInfile* storage, uint32_t aspect) {
    std::optional<Presentation> first;
    for (int i = 0; i < kMaxPresentationStreams; ++i) {
        const QByteArray name = "\002OlePres" + QByteArray::number(i).rightJustified(3, '0');
        const auto stream = readStream(storage, name.constData(), kMaxPresentationBytes);
        if (!stream)
            break; // the streams are numbered without gaps
        auto p = parsePresentationStream(*stream);
        if (!p)
            continue;
        if (p->aspect == aspect)
            return p;
        if (!first)
            first = std::move(p);
    }
    if (first)
        return first;
    return contentsPicture(storage);
}

} // namespace

QByteArray readContainerStream(ByteReader& in) {
    const size_t start = in.pos();
    const uint32_t signature = in.u32();
    in.u32(); // draw aspect
    const uint32_t size = in.u32();
    if (!in.ok() || signature != kContainerSignature || size > in.remaining()) {
        in.fail();
        return QByteArray();
    }
    in.seek(start);
    return in.bytes(kContainerHeaderSize + size);
}

std::optional<ContainerStream> parseContainerStream(const QByteArray& raw) {
    ByteReader in(raw);
    const uint32_t signature = in.u32();
    ContainerStream c;
    c.aspect = in.u32();
    const uint32_t size = in.u32();
    if (!in.ok() || signature != kContainerSignature || size != in.remaining())
        return std::nullopt;
    c.storage = in.bytes(size);
    return c;
}

QByteArray makeContainerStream(const QByteArray& storage, uint32_t aspect) {
    QByteArray out;
    out.reserve(qsizetype(kContainerHeaderSize) + storage.size());
    for (uint32_t v : {kContainerSignature, aspect, uint32_t(storage.size())})
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 0xFF));
    out.append(storage);
    return out;
}

bool isCompoundFile(const QByteArray& bytes) {
    return bytes.size() >= 8 &&
           QByteArrayView(bytes).first(8) ==
               QByteArrayView(reinterpret_cast<const char*>(kCompoundSignature), 8);
}

std::optional<Presentation> parsePresentationStream(const QByteArray& stream) {
    ByteReader in(stream);
    const uint32_t format = readClipboardFormat(in);
    const uint32_t targetDeviceSize = in.u32();
    if (!in.ok() || targetDeviceSize < 4)
        return std::nullopt;
    in.skip(targetDeviceSize - 4);
    Presentation p;
    p.aspect = in.u32();
    in.u32(); // lindex
    in.u32(); // advf
    in.u32(); // reserved
    p.widthHimetric = in.i32();
    p.heightHimetric = in.i32();
    const uint32_t size = in.u32();
    if (!in.ok() || size > in.remaining() || size == 0)
        return std::nullopt;
    p.data = in.bytes(size);
    switch (format) {
    case CF_DIB:
        p.format = PictureFormat::Dib;
        break;
    case CF_METAFILEPICT:
        p.format = PictureFormat::Wmf;
        break;
    case CF_ENHMETAFILE:
        p.format = PictureFormat::Emf;
        break;
    default:
        return std::nullopt;
    }
    return p;
}

EmbeddedObject readEmbeddedObject(const QByteArray& storage, uint32_t aspect) {
    EmbeddedObject object;
    if (!isCompoundFile(storage))
        return object;
    initGsf();
    // The memory input reads the caller's bytes in place; they outlive it.
    InputPtr input(gsf_input_memory_new(reinterpret_cast<const guint8*>(storage.constData()),
                                        gsf_off_t(storage.size()), FALSE));
    if (!input)
        return object;
    GError* error = nullptr;
    InfilePtr infile(gsf_infile_msole_new(input.get(), &error));
    if (error)
        g_error_free(error);
    if (!infile)
        return object;
    object.compoundFile = true;
    object.className = classNameFrom(infile.get());
    object.presentation = presentationFrom(infile.get(), aspect);
    return object;
}

} // namespace vx::ole
