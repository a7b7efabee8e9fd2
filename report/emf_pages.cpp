#include "report/emf_pages.h"

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"
#include "platform/emf/emf_constants.h"
#include "platform/emf/recording_canvas.h"
#include "platform/errors.h"
#include "platform/printer_device.h"
#include "report/library_state.h"
#include "report/page.h"
#include "report/stream_helpers.h"

#include <QBuffer>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace vx {

Canvas*& OutputCanvas = modelState().OutputCanvas;

// Printer access: defaults in prepared_file.cpp (they need the printer
// settings).
QString defaultSelectedPrinterName();
void defaultSelectStoredPrinter(TvxReport* report, const QString& name);
PageMetrics defaultPageMetricsFor(int32_t code, int32_t width, int32_t height, uint8_t orientation);

namespace {

// Fixed part of a page record before the picture: next offset, paper code,
// width, height, orientation, margins.
constexpr qint64 kPageRecordSize = 4 + 2 + 4 + 4 + 1 + 1;
// The EMF header fields read before the picture's length is known (type,
// size, bounds, frame, signature, version, bytes).
constexpr qint64 kEmfPeekSize = 52;
// The smallest metafile: a base header (88 bytes) and an EOF record (20).
constexpr uint32_t kMinEmfSize = 88 + 20;
// A page picture larger than this is taken for damage: a dense text page is
// tens of kilobytes, a page with a large photograph a few megabytes.
constexpr uint32_t kMaxEmfSize = 256u * 1024 * 1024;

// Rounding of the page scaling: to the nearest integer, halves to even.
int32_t roundEven(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
        return 0;
    return int32_t(r);
}

uint32_t le32(const char* p) {
    return uint32_t(uint8_t(p[0])) | uint32_t(uint8_t(p[1])) << 8 | uint32_t(uint8_t(p[2])) << 16 |
           uint32_t(uint8_t(p[3])) << 24;
}

// Reads exactly n bytes or fails.
bool readExactly(QIODevice& in, char* out, qint64 n) {
    qint64 done = 0;
    while (done < n) {
        const qint64 got = in.read(out + done, n - done);
        if (got <= 0) {
            if (got == 0 && in.waitForReadyRead(0))
                continue;
            return false;
        }
        done += got;
    }
    return true;
}

// The picture's size in 1/96-inch pixels from its frame (0.01 mm). The
// frame comes from the file: the difference is taken in 64 bits and the
// size kept between 0 and a page no printer has.
constexpr int64_t kMaxFrameUnits = int64_t(1) << 24; // about 168 m

QSize pictureSizeOf(const emf::EmfPicture& picture) {
    const emf::RectL& f = picture.header().frame;
    auto side = [](int32_t from, int32_t to) {
        const int64_t units = std::clamp<int64_t>(int64_t(to) - from, 0, kMaxFrameUnits);
        return emf::frameUnitsToPixels(int(units));
    };
    return QSize(side(f.left, f.right), side(f.top, f.bottom));
}

} // namespace

PreparedPageInfo::PreparedPageInfo() = default;
PreparedPageInfo::~PreparedPageInfo() = default;
PreparedPageInfo::PreparedPageInfo(PreparedPageInfo&&) noexcept = default;
PreparedPageInfo& PreparedPageInfo::operator=(PreparedPageInfo&&) noexcept = default;

PreparedPrinterAccess& preparedPrinterAccess() {
    return libraryState().part<PreparedPrinterAccess>();
}

QString preparedReadError(const QString& sourceName, int pageNumber) {
    const QString what =
        sourceName.isEmpty()
            ? QStringLiteral("Errore nella lettura del report preparato")
            : QStringLiteral("Errore nella lettura del file \"%1\"").arg(sourceName);
    if (pageNumber <= 0)
        return what + QStringLiteral(": il file è danneggiato o incompleto.");
    return what +
           QStringLiteral(": il file è danneggiato o incompleto (pagina %1).").arg(pageNumber);
}

namespace {

// Reads a prepared report step by step: the printer list, the page count,
// then each page's record and picture. Every failure is the one error that
// the file is damaged, naming the page being read (0: before the first).
class PreparedStreamReader {
public:
    PreparedStreamReader(QIODevice& stream, const QString& sourceName)
        : stream_(stream), sourceName_(sourceName) {}

    // A 16-bit line count, per line a 16-bit length and its bytes; the first
    // line names the printer. No value when the list is empty.
    std::optional<QString> readPrinterList() {
        const int lines = u16();
        std::optional<QString> printer;
        for (int i = 0; i < lines; ++i) {
            const int length = u16();
            if (length > kListLineMax || length > left())
                throw damaged();
            QByteArray line(length, '\0');
            if (!readExactly(stream_, line.data(), length))
                throw damaged();
            if (i == 0)
                printer = fromCodePage(line);
        }
        return printer;
    }

    // The number of pages (0 for none), no more than the bytes left can hold:
    // every page takes at least its record and the smallest metafile.
    int32_t readPageCount() {
        char bytes[4];
        if (!readExactly(stream_, bytes, 4))
            throw damaged();
        const int32_t count = int32_t(le32(bytes));
        if (count <= 0)
            return 0;
        if (count > left() / (kPageRecordSize + kMinEmfSize) + 1)
            throw damaged();
        return count;
    }

    // Page `number` (from 1): its record, its picture, and the move to the
    // offset where the next page starts.
    std::unique_ptr<PreparedPageInfo> readPage(int number) {
        pageNumber_ = number;
        const qint64 start = stream_.pos();
        char rec[kPageRecordSize];
        if (!readExactly(stream_, rec, kPageRecordSize))
            throw damaged();
        ByteReader r(rec, sizeof rec);
        const int32_t next = r.i32();
        auto info = std::make_unique<PreparedPageInfo>();
        info->PaperSize = r.u16();
        info->PaperWidth = r.i32();
        info->PaperHeight = r.i32();
        info->Orientation = r.u8();
        info->UseMargins = r.u8();
        info->Picture = readPicture();
        info->PictureSize = pictureSizeOf(info->Picture);
        skipTo(start, next);
        return info;
    }

private:
    VxError damaged() const { return VxError(preparedReadError(sourceName_, pageNumber_)); }

    // Bytes left, when the device knows its size (files, buffers).
    qint64 left() const {
        return stream_.isSequential() ? std::numeric_limits<qint64>::max()
                                      : stream_.size() - stream_.pos();
    }

    uint16_t u16() {
        char b[2];
        if (!readExactly(stream_, b, 2))
            throw damaged();
        return uint16_t(uint8_t(b[0]) | uint8_t(b[1]) << 8);
    }

    // The metafile, whose length is in its header.
    emf::EmfPicture readPicture() {
        char peek[kEmfPeekSize];
        if (!readExactly(stream_, peek, kEmfPeekSize))
            throw damaged();
        const uint32_t emfBytes = le32(peek + 48);
        if (le32(peek) != emf::EMR_HEADER || le32(peek + 40) != emf::kEmfSignature ||
            emfBytes < kMinEmfSize || emfBytes > kMaxEmfSize ||
            qint64(emfBytes) - kEmfPeekSize > left())
            throw damaged();
        QByteArray bytes(qsizetype(emfBytes), Qt::Uninitialized);
        std::memcpy(bytes.data(), peek, kEmfPeekSize);
        if (!readExactly(stream_, bytes.data() + kEmfPeekSize, qint64(emfBytes) - kEmfPeekSize))
            throw damaged();
        try {
            return emf::EmfPicture::parse(std::move(bytes));
        } catch (const VxError&) {
            throw damaged();
        }
    }

    // The next offset must lie after this page's record and within the
    // stream, so that every page moves the reader forward.
    void skipTo(qint64 start, int32_t next) {
        if (next < start + kPageRecordSize + qint64(kMinEmfSize) ||
            (!stream_.isSequential() && next > stream_.size()))
            throw damaged();
        if (next != stream_.pos() && (stream_.isSequential() || !stream_.seek(next)))
            throw damaged();
    }

    QIODevice& stream_;
    const QString& sourceName_;
    int pageNumber_ = 0;
};

// The page metrics of each page's paper from the printer settings; the same
// paper gives the same metrics, so they are asked only when the paper changes.
class PaperMetricsCache {
public:
    explicit PaperMetricsCache(const PreparedPrinterAccess& access) : access_(access) {}

    PageMetrics of(const PreparedPageInfo& page) {
        const PaperKey key{page.PaperSize, page.PaperWidth, page.PaperHeight, page.Orientation};
        if (!known_ || !(last_ == key)) {
            metrics_ =
                access_.PageMetricsFor
                    ? access_.PageMetricsFor(key.code, key.width, key.height, key.orientation)
                    : defaultPageMetricsFor(key.code, key.width, key.height, key.orientation);
            last_ = key;
            known_ = true;
        }
        return metrics_;
    }

private:
    struct PaperKey {
        int32_t code = 0, width = 0, height = 0;
        uint8_t orientation = 0;
        bool operator==(const PaperKey&) const = default;
    };
    const PreparedPrinterAccess& access_;
    bool known_ = false; // last_ names the paper of metrics_
    PaperKey last_;
    PageMetrics metrics_;
};

} // namespace

TvxEMFPages::TvxEMFPages(TvxReport* report) : report_(report) {}

TvxEMFPages::~TvxEMFPages() {
    Clear();
}

void TvxEMFPages::Clear() {
    for (auto& page : pages_) {
        if (page->PictureCanvas && OutputCanvas == page->PictureCanvas.get())
            OutputCanvas = nullptr;
    }
    pages_.clear();
}

PreparedPageInfo& TvxEMFPages::Add(const TvxPage& page) {
    PreparedPageSetup setup;
    setup.PaperSize = page.PaperSize;
    setup.PaperWidth = page.PaperWidth;
    setup.PaperHeight = page.PaperHeight;
    setup.Orientation = page.Orientation;
    setup.UseMargins = page.UseMargins;
    setup.ZoomX = page.ZoomX;
    setup.ZoomY = page.ZoomY;
    setup.PageMetrics = page.pageMetrics;
    return Add(setup);
}

PreparedPageInfo& TvxEMFPages::Add(const PreparedPageSetup& setup) {
    // A zoom of 0 or less would divide by zero; such a page is taken at 100 %.
    const double sx = 100.0 / (setup.ZoomX > 0 ? setup.ZoomX : 100);
    const double sy = 100.0 / (setup.ZoomY > 0 ? setup.ZoomY : 100);
    auto info = std::make_unique<PreparedPageInfo>();
    info->PaperSize = (sx == 1.0 && sy == 1.0) ? uint16_t(setup.PaperSize) : uint16_t(kCustomPaper);
    info->PaperWidth = roundEven(setup.PaperWidth / sx);
    info->PaperHeight = roundEven(setup.PaperHeight / sy);
    info->Orientation = setup.Orientation;
    info->UseMargins = setup.UseMargins ? 1 : 0;
    PageMetrics m = setup.PageMetrics;
    m.PhysWidth = roundEven(m.PhysWidth / sx);
    m.ScreenWidth = roundEven(m.ScreenWidth / sx);
    m.PhysPrintWidth = roundEven(m.PhysPrintWidth / sx);
    m.ScreenPrintWidth = roundEven(m.ScreenPrintWidth / sx);
    m.PhysHeight = roundEven(m.PhysHeight / sy);
    m.ScreenHeight = roundEven(m.ScreenHeight / sy);
    m.PhysPrintHeight = roundEven(m.PhysPrintHeight / sy);
    m.ScreenPrintHeight = roundEven(m.ScreenPrintHeight / sy);
    info->PageMetrics = m;
    // The picture keeps about the unscaled page, so that a zoom below 100
    // shrinks the drawing when it is played into the smaller paper.
    info->PictureSize = QSize(std::max(0, roundEven(m.ScreenWidth * sx)),
                              std::max(0, roundEven(m.ScreenHeight * sy)));
    info->PictureCanvas = std::make_unique<emf::RecordingCanvas>(info->PictureSize);
    OutputCanvas = info->PictureCanvas.get();
    pages_.push_back(std::move(info));
    return *pages_.back();
}

PreparedPageInfo& TvxEMFPages::AddPicture(const PreparedPageInfo& paper,
                                          const emf::EmfPicture& picture) {
    auto info = std::make_unique<PreparedPageInfo>();
    info->PaperSize = paper.PaperSize;
    info->PaperWidth = paper.PaperWidth;
    info->PaperHeight = paper.PaperHeight;
    info->Orientation = paper.Orientation;
    info->UseMargins = paper.UseMargins;
    info->PageMetrics = paper.PageMetrics;
    info->Picture = picture;
    info->PictureSize = picture.isNull() ? paper.PictureSize : pictureSizeOf(picture);
    pages_.push_back(std::move(info));
    return *pages_.back();
}

void TvxEMFPages::ClosePage(int index) {
    if (index < 0 || index >= Count())
        return;
    PreparedPageInfo& page = *pages_[size_t(index)];
    if (!page.PictureCanvas)
        return;
    if (OutputCanvas == page.PictureCanvas.get())
        OutputCanvas = nullptr;
    page.Picture = emf::EmfPicture::parse(page.PictureCanvas->finish());
    page.PictureCanvas.reset();
}

void TvxEMFPages::CloseAll() {
    for (int i = 0; i < Count(); ++i)
        ClosePage(i);
}

void TvxEMFPages::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    auto& page = pages_[size_t(index)];
    if (page->PictureCanvas && OutputCanvas == page->PictureCanvas.get())
        OutputCanvas = nullptr;
    pages_.erase(pages_.begin() + index);
}

void TvxEMFPages::SaveToStream(QIODevice& stream) {
    CloseAll();
    const auto& access = preparedPrinterAccess();
    const QString printer =
        access.SelectedPrinterName ? access.SelectedPrinterName() : defaultSelectedPrinterName();
    QByteArray head;
    ByteWriter w(&head);
    WriteStringList(w, QStringList{printer});
    w.i32(int32_t(pages_.size()));
    auto put = [&stream](const char* data, qint64 n) {
        if (stream.write(data, n) != n)
            throw VxError(QStringLiteral("Errore nella scrittura del report preparato."));
    };
    put(head.constData(), head.size());
    qint64 pos = stream.pos();
    for (const auto& page : pages_) {
        QByteArray emptyPicture;
        const char* data = nullptr;
        qint64 size = 0;
        if (page->Picture.isNull()) {
            emptyPicture = emf::RecordingCanvas(page->PictureSize).finish();
            data = emptyPicture.constData();
            size = emptyPicture.size();
        } else {
            data = page->Picture.bytes().constData();
            size = std::min<qint64>(page->Picture.bytes().size(), page->Picture.header().bytes);
        }
        // The next offset is where this page's picture ends.
        const qint64 next = pos + kPageRecordSize + size;
        if (next > std::numeric_limits<int32_t>::max())
            throw VxError(
                QStringLiteral("Il report preparato è troppo grande per essere salvato."));
        QByteArray rec;
        ByteWriter r(&rec);
        r.i32(int32_t(next));
        r.u16(page->PaperSize);
        r.i32(page->PaperWidth);
        r.i32(page->PaperHeight);
        r.u8(page->Orientation);
        r.u8(page->UseMargins);
        put(rec.constData(), rec.size());
        put(data, size);
        pos = next;
    }
}

void TvxEMFPages::LoadFromStream(QIODevice& stream, const QString& sourceName) {
    Clear();
    const PreparedPrinterAccess& access = preparedPrinterAccess();
    PreparedStreamReader in(stream, sourceName);
    if (const std::optional<QString> printer = in.readPrinterList()) {
        if (access.SelectStoredPrinter)
            access.SelectStoredPrinter(report_, *printer);
        else
            defaultSelectStoredPrinter(report_, *printer);
    }
    const int32_t count = in.readPageCount();
    PaperMetricsCache metrics(access);
    pages_.reserve(size_t(std::min<int32_t>(count, 100000)));
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<PreparedPageInfo> page = in.readPage(i + 1);
        page->PageMetrics = metrics.of(*page);
        pages_.push_back(std::move(page));
    }
}

QByteArray TvxEMFPages::SaveToBytes() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer);
    return bytes;
}

void TvxEMFPages::LoadFromBytes(const QByteArray& bytes) {
    QByteArray copy = bytes; // shared, not copied
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    LoadFromStream(buffer);
}

} // namespace vx
