// Prepared pages: adding pages with the zoom of their template page, the
// stream format with its next offsets, loading damaged files, saving safely.

#include "platform/atomic_file.h"
#include "platform/byte_reader.h"
#include "platform/emf/recording_canvas.h"
#include "platform/errors.h"
#include "platform/platform_state.h"
#include "report/emf_pages.h"
#include "report/report.h"
#include "report_fixture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace vx;

namespace {

class EmfPagesTest : public test::ReportTest {
protected:
    // Whatever printer access a test installs is undone when it ends.
    const ScopedOverride<PreparedPrinterAccess> access_{preparedPrinterAccess(),
                                                        preparedPrinterAccess()};

    // A page of A4 (pseudo printer metrics) with a little drawing.
    static void addPage(TvxEMFPages& pages, int32_t code, uint8_t orientation,
                        const QString& text) {
        PreparedPageSetup setup;
        setup.PaperSize = code;
        setup.PaperWidth = orientation ? 2970 : 2100;
        setup.PaperHeight = orientation ? 2100 : 2970;
        setup.Orientation = orientation;
        setup.PageMetrics.ScreenWidth = orientation ? 1122 : 793;
        setup.PageMetrics.ScreenHeight = orientation ? 793 : 1122;
        PreparedPageInfo& page = pages.Add(setup);
        ASSERT_TRUE(page.PictureCanvas);
        Canvas& c = *page.PictureCanvas;
        c.setBrush(BrushSpec{BrushStyle::Solid, rgb(220, 220, 220), 0});
        c.rectangle(rectFromEdges(40, 40, 400, 80));
        c.textOut(50, 50, text);
        pages.ClosePage(pages.Count() - 1);
    }

    static QByteArray readFile(const QString& name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

} // namespace

TEST_F(EmfPagesTest, SavedPagesLoadBackWithPaperPicturesAndMetrics) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("rapporto.vxp"));
    TvxReport report(nullptr);
    report.PreparedPages = std::make_unique<TvxEMFPages>(&report);
    addPage(*report.PreparedPages, 9, 0, QStringLiteral("Pagina 1 – Società"));
    addPage(*report.PreparedPages, 9, 1, QStringLiteral("Pagina 2 – Città"));
    addPage(*report.PreparedPages, 11, 0, QStringLiteral("Pagina 3 € 1.234,56"));
    report.SavePreparedFile(file);

    TvxReport loaded(nullptr);
    loaded.PreparedFromTemplate = true;
    loaded.LoadPreparedFile(file);
    EXPECT_FALSE(loaded.PreparedFromTemplate);
    ASSERT_EQ(loaded.PreparedPages->Count(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const PreparedPageInfo& a = report.PreparedPages->Pages(i);
        const PreparedPageInfo& b = loaded.PreparedPages->Pages(i);
        EXPECT_EQ(a.PaperSize, b.PaperSize);
        EXPECT_EQ(a.PaperWidth, b.PaperWidth);
        EXPECT_EQ(a.PaperHeight, b.PaperHeight);
        EXPECT_EQ(a.Orientation, b.Orientation);
        EXPECT_EQ(a.UseMargins, b.UseMargins);
        EXPECT_EQ(a.PictureSize, b.PictureSize);
        // Same bytes: the pictures play back identically.
        EXPECT_EQ(a.Picture.bytes(), b.Picture.bytes());
    }
    // Metrics come from the printer settings (pseudo printer, A4 and A5).
    EXPECT_EQ(loaded.PreparedPages->Pages(0).PageMetrics.ScreenWidth, 793);
    EXPECT_EQ(loaded.PreparedPages->Pages(0).PageMetrics.ScreenPrintHeight, 1086);
    EXPECT_EQ(loaded.PreparedPages->Pages(1).PageMetrics.ScreenWidth, 1122);
    EXPECT_EQ(loaded.PreparedPages->Pages(2).PageMetrics.ScreenWidth, 1480 * 96 / 254);
    // Loading leaves the settings on the last page's paper.
    EXPECT_EQ(PrinterSettings().PaperSize, 11);
}

TEST_F(EmfPagesTest, EmptyListIsPrinterNameAndZeroCount) {
    preparedPrinterAccess().SelectedPrinterName = [] { return QStringLiteral("Ufficio"); };
    QString stored;
    preparedPrinterAccess().SelectStoredPrinter = [&](TvxReport*, const QString& n) { stored = n; };
    TvxEMFPages pages;
    const QByteArray bytes = pages.SaveToBytes();
    EXPECT_EQ(bytes, QByteArray::fromHex("0100"
                                         "0700") +
                         "Ufficio" + QByteArray(4, '\0'));
    TvxEMFPages other;
    addPage(other, 9, 0, QStringLiteral("x"));
    other.LoadFromBytes(bytes);
    EXPECT_EQ(other.Count(), 0);
    EXPECT_EQ(stored, QStringLiteral("Ufficio"));
}

TEST_F(EmfPagesTest, ZoomScalesPaperAndMetricsButNotThePicture) {
    struct Case {
        const char* name;
        int zoomX, zoomY;
        int32_t paperWidth;
        uint16_t code;
        int32_t width, height, screenWidth, screenHeight;
    };
    const Case cases[] = {
        {"unzoomed keeps its code", 100, 100, 2100, 9, 2100, 2970, 793, 1122},
        {"half width is custom", 50, 100, 2100, 256, 1050, 2970, 396, 1122},
        // 2101 / 2 = 1050.5 and 793 / 2 = 396.5: halves go to the even number.
        {"halves round to even", 50, 100, 2101, 256, 1050, 2970, 396, 1122},
        {"larger zoom", 100, 200, 2100, 256, 2100, 5940, 793, 2244},
        {"zoom 0 taken as 100", 0, 100, 2100, 9, 2100, 2970, 793, 1122},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TvxEMFPages pages;
        PreparedPageSetup setup;
        setup.PaperSize = 9;
        setup.PaperWidth = c.paperWidth;
        setup.PaperHeight = 2970;
        setup.ZoomX = c.zoomX;
        setup.ZoomY = c.zoomY;
        setup.PageMetrics.ScreenWidth = 793;
        setup.PageMetrics.ScreenHeight = 1122;
        setup.PageMetrics.ScreenOffsetX = 18;
        const PreparedPageInfo& p = pages.Add(setup);
        EXPECT_EQ(p.PaperSize, c.code);
        EXPECT_EQ(p.PaperWidth, c.width);
        EXPECT_EQ(p.PaperHeight, c.height);
        EXPECT_EQ(p.PageMetrics.ScreenWidth, c.screenWidth);
        EXPECT_EQ(p.PageMetrics.ScreenHeight, c.screenHeight);
        EXPECT_EQ(p.PageMetrics.ScreenOffsetX, 18); // offsets are not scaled
        // The picture keeps about the unscaled page.
        EXPECT_NEAR(p.PictureSize.width(), 793, 1);
        EXPECT_NEAR(p.PictureSize.height(), 1122, 1);
        EXPECT_EQ(OutputCanvas, p.PictureCanvas.get());
        pages.ClosePage(0);
        EXPECT_EQ(OutputCanvas, nullptr);
        EXPECT_NEAR(pages.Pages(0).Picture.frameInDevicePixels().width(), 793, 1);
    }
}

TEST_F(EmfPagesTest, NextOffsetLetsAReaderSkipAPage) {
    TvxEMFPages pages;
    addPage(pages, 9, 0, QStringLiteral("uno"));
    addPage(pages, 8, 1, QStringLiteral("due"));
    addPage(pages, 11, 0, QStringLiteral("tre"));
    const QByteArray bytes = pages.SaveToBytes();
    ByteReader r(bytes);
    const int lines = r.u16();
    for (int i = 0; i < lines; ++i)
        r.skip(r.u16());
    ASSERT_EQ(r.i32(), 3);
    const uint16_t codes[] = {9, 8, 11};
    for (uint16_t code : codes) {
        const size_t start = r.pos();
        const int32_t next = r.i32();
        EXPECT_EQ(r.u16(), code);
        ASSERT_TRUE(r.seek(size_t(next)));
        EXPECT_GT(size_t(next), start);
    }
    EXPECT_TRUE(r.atEnd());
}

TEST_F(EmfPagesTest, TruncatedFileKeepsCompletePagesAndNamesTheFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tagliato.vxp"));
    TvxEMFPages pages;
    addPage(pages, 9, 0, QStringLiteral("uno"));
    addPage(pages, 9, 0, QStringLiteral("due"));
    addPage(pages, 9, 0, QStringLiteral("tre"));
    const QByteArray whole = pages.SaveToBytes();
    // Cut in the middle of the second page's picture.
    const int32_t count = [&] {
        ByteReader h(whole);
        const int lines = h.u16();
        for (int i = 0; i < lines; ++i)
            h.skip(h.u16());
        const int32_t n = h.i32();
        const int32_t firstNext = h.i32();
        h.seek(size_t(firstNext));
        const int32_t secondNext = h.i32();
        writeFile(file, whole.left(firstNext + (secondNext - firstNext) / 2));
        return n;
    }();
    ASSERT_EQ(count, 3);

    TvxReport report(nullptr);
    report.PreparedPages = std::make_unique<TvxEMFPages>(&report);
    try {
        report.LoadPreparedFile(file);
        FAIL() << "no error";
    } catch (const VxError& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Errore nella lettura del file \"%1\": il file è danneggiato o "
                                 "incompleto (pagina 2).")
                      .arg(file));
    }
    ASSERT_EQ(report.PreparedPages->Count(), 1);
    EXPECT_FALSE(report.PreparedPages->Pages(0).Picture.isNull());
}

TEST_F(EmfPagesTest, DamagedStreamsFailCleanly) {
    TvxEMFPages pages;
    addPage(pages, 9, 0, QStringLiteral("uno"));
    addPage(pages, 9, 0, QStringLiteral("due"));
    const QByteArray good = pages.SaveToBytes();
    const int head = 2 + 2 + int(PrinterSettings().SelectedPrinterName().size()) + 4;
    auto patched = [&](int at, QByteArray value) {
        QByteArray b = good;
        b.replace(at, value.size(), value);
        return b;
    };
    auto le = [](int32_t v) {
        QByteArray b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[i] = char((uint32_t(v) >> (8 * i)) & 0xFF);
        return b;
    };
    struct Case {
        const char* name;
        QByteArray bytes;
        int keptPages;
    };
    const Case cases[] = {
        {"empty stream", QByteArray(), 0},
        {"page count beyond the bytes", patched(head - 4, le(1000000)), 0},
        {"next offset pointing backwards", patched(head, le(3)), 0},
        {"next offset past the end", patched(head, le(good.size() + 10)), 0},
        {"not a metafile", patched(head + 16, QByteArray("XXXX")), 0},
        {"picture length beyond the stream", patched(head + 16 + 48, le(0x7FFFFFF0)), 0},
        {"second page damaged", good.left(good.size() - 30), 1},
        {"printer name longer than the stream", patched(2, QByteArray("\xff\x7f", 2)), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TvxEMFPages target;
        try {
            target.LoadFromBytes(c.bytes);
            ADD_FAILURE() << "no error";
        } catch (const VxError& e) {
            EXPECT_TRUE(e.message().startsWith(
                QStringLiteral("Errore nella lettura del report preparato: il file è danneggiato")))
                << e.message().toStdString();
        }
        EXPECT_EQ(target.Count(), c.keptPages);
    }
    // A negative page count reads no pages.
    TvxEMFPages target;
    target.LoadFromBytes(patched(head - 4, le(-5)).left(head));
    EXPECT_EQ(target.Count(), 0);
}

TEST_F(EmfPagesTest, FailedSaveKeepsThePreviousFile) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("rapporto.vxp"));
    writeFile(file, QByteArray("contenuto precedente"));
    TvxEMFPages pages;
    addPage(pages, 9, 0, QStringLiteral("nuovo"));

    // The rename refused by the file system.
    {
        const ScopedOverride refuseRename(platformState().AtomicRenameHook,
                                          [](const QString&) { return false; });
        try {
            SavePreparedPages(pages, file);
            ADD_FAILURE() << "no error";
        } catch (const VxError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Impossibile salvare il file \"%1\".").arg(file));
        }
    }
    EXPECT_EQ(readFile(file), QByteArray("contenuto precedente"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("rapporto.vxp")});

    // A writer that fails half-way.
    EXPECT_THROW(writeFileAtomically(file,
                                     [](QIODevice& d) {
                                         d.write("mezzo");
                                         throw VxError(QStringLiteral("guasto"));
                                     }),
                 VxError);
    EXPECT_EQ(readFile(file), QByteArray("contenuto precedente"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("rapporto.vxp")});

    // A folder that does not exist.
    EXPECT_THROW(SavePreparedPages(pages, dir.filePath(QStringLiteral("manca/x.vxp"))), VxError);

    // And the save that works replaces the file.
    SavePreparedPages(pages, file);
    TvxEMFPages loaded;
    LoadPreparedPages(loaded, file);
    EXPECT_EQ(loaded.Count(), 1);
}

TEST_F(EmfPagesTest, MissingFileGivesItsName) {
    TvxEMFPages pages;
    try {
        LoadPreparedPages(pages, QStringLiteral("/nessuna/cartella/x.vxp"));
        FAIL();
    } catch (const VxError& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Impossibile aprire il file \"/nessuna/cartella/x.vxp\"."));
    }
}

TEST_F(EmfPagesTest, DeleteAndClear) {
    TvxEMFPages pages;
    addPage(pages, 9, 0, QStringLiteral("uno"));
    addPage(pages, 8, 0, QStringLiteral("due"));
    addPage(pages, 11, 0, QStringLiteral("tre"));
    pages.Delete(1);
    ASSERT_EQ(pages.Count(), 2);
    EXPECT_EQ(pages.Pages(1).PaperSize, 11);
    pages.Delete(7); // out of range: nothing
    EXPECT_EQ(pages.Count(), 2);
    pages.Clear();
    EXPECT_EQ(pages.Count(), 0);
}

// Every cut and a spread of flipped bytes of a real file either load or
// raise the reading error; the pages kept are always complete.
TEST_F(EmfPagesTest, CutAndFlippedFilesNeverKeepHalfPages) {
    TvxEMFPages pages;
    addPage(pages, 9, 0, QStringLiteral("uno"));
    addPage(pages, 8, 1, QStringLiteral("due"));
    const QByteArray good = pages.SaveToBytes();
    auto check = [](const QByteArray& bytes) {
        TvxEMFPages target;
        try {
            target.LoadFromBytes(bytes);
        } catch (const VxError& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Errore nella lettura")));
        }
        for (int i = 0; i < target.Count(); ++i)
            EXPECT_FALSE(target.Pages(i).Picture.isNull());
        return target.Count();
    };
    for (qsizetype cut = 0; cut < good.size(); cut += 7)
        EXPECT_LT(check(good.left(cut)), 2) << cut;
    for (qsizetype at = 0; at < good.size(); at += 5) {
        QByteArray flipped = good;
        flipped[at] = char(flipped[at] ^ 0xA5);
        check(flipped);
    }
}

// The picture size comes from the frame stored in the file: frames whose
// width or height does not fit 32 bits, or is negative, give a bounded size
// (the difference must not overflow).
TEST_F(EmfPagesTest, HostileFramesGiveABoundedPictureSize) {
    struct Case {
        int32_t left, top, right, bottom;
        bool positive; // a large positive size is expected (else 0)
    };
    const Case cases[] = {
        {std::numeric_limits<int32_t>::min(), 0, std::numeric_limits<int32_t>::max(), 100, true},
        {0, std::numeric_limits<int32_t>::max(), 100, std::numeric_limits<int32_t>::min(), false},
    };
    for (const Case& c : cases) {
        TvxEMFPages pages;
        addPage(pages, 9, 0, QStringLiteral("uno"));
        QByteArray bytes = pages.SaveToBytes();
        // The frame of the page's metafile: 24 bytes into its header, which
        // follows the printer list, the page count and the 16-byte record.
        ByteReader r(bytes);
        r.skip(r.u16() == 1 ? r.u16() : 0);
        const qsizetype frame = qsizetype(r.pos()) + 4 + 16 + 24;
        const int32_t edges[] = {c.left, c.top, c.right, c.bottom};
        for (int i = 0; i < 4; ++i)
            for (int b = 0; b < 4; ++b)
                bytes[frame + 4 * i + b] = char(uint32_t(edges[i]) >> (8 * b));
        TvxEMFPages loaded;
        loaded.LoadFromBytes(bytes);
        ASSERT_EQ(loaded.Count(), 1);
        const QSize size = loaded.Pages(0).PictureSize;
        EXPECT_GE(size.width(), 0);
        EXPECT_GE(size.height(), 0);
        EXPECT_LE(size.width(), 1 << 20);
        EXPECT_LE(size.height(), 1 << 20);
        EXPECT_EQ(size.width() > 1000, c.positive);
    }
}
