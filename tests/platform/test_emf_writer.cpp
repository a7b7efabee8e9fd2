// The metafile recorder: header fields, object table, records written for
// canvas calls, and files that an independent reader opens.

#include "platform/byte_reader.h"
#include "platform/emf/emf_constants.h"
#include "platform/emf/emf_reader.h"
#include "platform/emf/emf_text.h"
#include "platform/emf/recording_canvas.h"
#include "platform/fonts.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace vx;
using namespace vx::emf;

namespace {

struct Rec {
    uint32_t type;
    QByteArray body; // after type and size
    uint32_t u32(int at) const {
        ByteReader r(body);
        r.skip(size_t(at));
        return r.u32();
    }
    int32_t i32(int at) const { return int32_t(u32(at)); }
};

// An independent walk over the record envelopes.
std::vector<Rec> records(const QByteArray& emf) {
    std::vector<Rec> out;
    ByteReader r(emf);
    while (r.remaining() >= 8) {
        const uint32_t type = r.u32();
        const uint32_t size = r.u32();
        EXPECT_GE(size, 8u);
        EXPECT_EQ(size % 4, 0u);
        out.push_back({type, r.bytes(size - 8)});
        if (!r.ok())
            ADD_FAILURE() << "record past the end";
    }
    EXPECT_TRUE(r.atEnd());
    return out;
}

std::vector<Rec> ofType(const std::vector<Rec>& all, uint32_t type) {
    std::vector<Rec> out;
    std::copy_if(all.begin(), all.end(), std::back_inserter(out),
                 [type](const Rec& r) { return r.type == type; });
    return out;
}

} // namespace

TEST(EmfWriter, HeaderDescribesPageDeviceAndCounts) {
    RecordingCanvas canvas(QSize(794, 1123));
    canvas.setPen(PenSpec{PenStyle::Solid, 1, rgb(255, 0, 0)});
    canvas.setBrush(BrushSpec{BrushStyle::Solid, rgb(0, 0, 255), 0});
    canvas.rectangle(rectFromEdges(10, 20, 110, 70));
    canvas.setPen(PenSpec{PenStyle::Solid, 3, kBlack});
    canvas.moveTo(200, 300);
    canvas.lineTo(400, 300);
    const QByteArray emf = canvas.finish();

    const auto recs = records(emf);
    ASSERT_GE(recs.size(), 2u);
    EXPECT_EQ(recs.front().type, EMR_HEADER);
    EXPECT_EQ(recs.back().type, EMR_EOF);
    EXPECT_EQ(recs.back().u32(8), 20u); // size of the EOF record, repeated
    const Rec& h = recs.front();
    EXPECT_EQ(h.body.size() + 8, 108);
    // Bounds: inclusive pixels; the 1-pixel pen stays inside the rectangle,
    // the 3-pixel line is one pixel wider on each side.
    EXPECT_EQ(h.i32(0), 10);
    EXPECT_EQ(h.i32(4), 20);
    EXPECT_EQ(h.i32(8), 401);
    EXPECT_EQ(h.i32(12), 301);
    // Frame in 0.01 mm: the page size converted at 96 dpi.
    EXPECT_EQ(h.i32(16), 0);
    EXPECT_EQ(h.i32(20), 0);
    EXPECT_EQ(h.i32(24), 21008); // 794 * 2540 / 96 = 21008.3
    EXPECT_EQ(h.i32(28), 29713); // 1123 * 2540 / 96 = 29712.9
    EXPECT_EQ(h.u32(32), kEmfSignature);
    EXPECT_EQ(h.u32(36), 0x10000u);
    EXPECT_EQ(h.u32(40), uint32_t(emf.size()));
    EXPECT_EQ(h.u32(44), uint32_t(recs.size()));
    // The header's own handle, the brush, and two pens alive at once while the
    // pen changes.
    EXPECT_EQ(h.u32(48) & 0xFFFF, 4u);
    EXPECT_EQ(h.i32(64), kReferenceWidthPx);
    EXPECT_EQ(h.i32(68), kReferenceHeightPx);
    EXPECT_EQ(h.i32(72), kReferenceWidthMm);
    EXPECT_EQ(h.i32(76), kReferenceHeightMm);
    EXPECT_EQ(h.i32(92), kReferenceWidthMm * 1000);
    EXPECT_EQ(h.i32(96), kReferenceHeightMm * 1000);

    // The project's reader accepts it strictly and maps the frame back to the page.
    const EmfPicture pic = EmfPicture::parse(emf);
    EXPECT_EQ(pic.header().records, recs.size());
    EXPECT_NEAR(pic.frameInDevicePixels().width(), 794, 0.5);
    EXPECT_NEAR(pic.frameInDevicePixels().height(), 1123, 0.5);
}

TEST(EmfWriter, EmptyPictureHasNullBoundsAndOneHandleSlot) {
    RecordingCanvas canvas(QSize(100, 50));
    const QByteArray emf = canvas.finish();
    const auto recs = records(emf);
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].i32(0), 0);
    EXPECT_EQ(recs[0].i32(8), -1);
    EXPECT_EQ(recs[0].i32(12), -1);
    EXPECT_EQ(recs[0].u32(48) & 0xFFFF, 1u);
    EXPECT_EQ(canvas.finish(), emf); // a second finish gives the same bytes
}

TEST(EmfWriter, FreedHandleSlotsAreReused) {
    RecordingCanvas canvas(QSize(200, 200));
    for (int i = 0; i < 5; ++i) {
        canvas.setPen(PenSpec{PenStyle::Solid, 1 + i, rgb(10 * i, 0, 0)});
        canvas.lineTo(10 * i, 10);
    }
    const auto recs = records(canvas.finish());
    std::vector<uint32_t> created;
    for (const Rec& r : ofType(recs, EMR_CREATEPEN))
        created.push_back(r.u32(0));
    EXPECT_EQ(created, (std::vector<uint32_t>{1, 2, 1, 2, 1}));
    // Every created object is deleted by the end.
    EXPECT_EQ(ofType(recs, EMR_DELETEOBJECT).size(), 5u);
    EXPECT_EQ(recs[0].u32(48) & 0xFFFF, 3u);
}

TEST(EmfWriter, SelectsOnlyWhenTheObjectChanges) {
    RecordingCanvas canvas(QSize(200, 200));
    const PenSpec pen{PenStyle::Dash, 2, rgb(1, 2, 3)};
    canvas.setPen(pen);
    canvas.rectangle(rectFromEdges(0, 0, 10, 10));
    canvas.setPen(pen);
    canvas.rectangle(rectFromEdges(20, 0, 30, 10));
    canvas.setTextColor(rgb(9, 9, 9));
    canvas.setTextColor(rgb(9, 9, 9));
    const auto recs = records(canvas.finish());
    EXPECT_EQ(ofType(recs, EMR_CREATEPEN).size(), 1u);
    EXPECT_EQ(ofType(recs, EMR_SELECTOBJECT).size(), 1u); // default white brush stays
    EXPECT_EQ(ofType(recs, EMR_SETTEXTCOLOR).size(), 1u);
    const Rec create = ofType(recs, EMR_CREATEPEN).front();
    EXPECT_EQ(create.u32(4), uint32_t(PenStyle::Dash));
    EXPECT_EQ(create.i32(8), 2);
    EXPECT_EQ(Color(create.u32(16)), rgb(1, 2, 3));
}

TEST(EmfWriter, NullAndPlainObjectsAreStockObjects) {
    struct Case {
        const char* name;
        BrushSpec brush;
        uint32_t stock;
    };
    const Case cases[] = {
        {"clear", BrushSpec{BrushStyle::Null, kWhite, 0}, NULL_BRUSH},
        {"white", BrushSpec{BrushStyle::Solid, kWhite, 0}, WHITE_BRUSH},
        {"black", BrushSpec{BrushStyle::Solid, kBlack, 0}, BLACK_BRUSH},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas(QSize(100, 100));
        canvas.setBrush(BrushSpec{BrushStyle::Solid, rgb(1, 1, 1), 0});
        canvas.ellipse(rectFromEdges(0, 0, 50, 50));
        canvas.setBrush(c.brush);
        canvas.setPen(PenSpec{PenStyle::Null, 1, kBlack});
        canvas.ellipse(rectFromEdges(0, 0, 50, 50));
        const auto recs = records(canvas.finish());
        EXPECT_EQ(ofType(recs, EMR_CREATEBRUSHINDIRECT).size(), 1u);
        std::vector<uint32_t> selected;
        for (const Rec& r : ofType(recs, EMR_SELECTOBJECT))
            selected.push_back(r.u32(0));
        EXPECT_NE(std::find(selected.begin(), selected.end(), kStockObjectFlag | c.stock),
                  selected.end());
        EXPECT_NE(std::find(selected.begin(), selected.end(), kStockObjectFlag | NULL_PEN),
                  selected.end());
    }
}

TEST(EmfWriter, TextRecordCarriesStringAndAdvances) {
    RecordingCanvas canvas(QSize(400, 200));
    FontSpec font;
    font.face = QStringLiteral("Arial");
    font.height = -13;
    font.escapement = 900;
    canvas.setFont(font);
    const QString text = QStringLiteral("Totale € 1.234,56 Città");
    canvas.textOut(50, 150, text);
    const auto recs = records(canvas.finish());
    const auto fonts = ofType(recs, EMR_EXTCREATEFONTINDIRECTW);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0].body.size() + 8, 368);
    EXPECT_EQ(fonts[0].i32(4), -13);
    EXPECT_EQ(fonts[0].i32(12), 900);
    const auto texts = ofType(recs, EMR_EXTTEXTOUTW);
    ASSERT_EQ(texts.size(), 1u);
    const Rec& t = texts[0];
    EXPECT_EQ(t.i32(28), 50); // reference point
    EXPECT_EQ(t.i32(32), 150);
    EXPECT_EQ(t.u32(36), uint32_t(text.size()));
    const uint32_t offString = t.u32(40) - 8, offDx = t.u32(64) - 8;
    QString decoded;
    for (int i = 0; i < text.size(); ++i)
        decoded.append(QChar(uint16_t(t.u32(int(offString) + 2 * i) & 0xFFFF)));
    EXPECT_EQ(decoded, text);
    const std::vector<int> expected = fontCharAdvances(font, text);
    for (int i = 0; i < text.size(); ++i)
        EXPECT_EQ(t.i32(int(offDx) + 4 * i), expected[size_t(i)]) << i;
    // Turned upwards: the bounds are taller than wide and end at the baseline
    // point's column.
    const int left = t.i32(0), top = t.i32(4), right = t.i32(8), bottom = t.i32(12);
    EXPECT_GT(bottom - top, right - left);
    EXPECT_LE(bottom, 150);
    EXPECT_GE(left, 50);

    // The project's text extraction reads what was written.
    const auto items = extractText(EmfPicture::parse(canvas.finish()));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text, text);
}

// Options that change the text record's layout for a reader (y advances,
// glyph indices, 8-bit characters, no rectangle) are not written: the record
// holds a rectangle, wide characters and x advances only, and must parse.
TEST(EmfWriter, TextOptionsNeverContradictTheRecordLayout) {
    for (const uint32_t extra : {0x2000u, 0x10u, 0x200u, 0x100u}) {
        SCOPED_TRACE(extra);
        RecordingCanvas canvas(QSize(400, 200));
        canvas.setFont(FontSpec{});
        const QRect clip = rectFromEdges(10, 10, 300, 40);
        canvas.textOut(20, 20, QStringLiteral("Città"), TextOutOption::Clipped | extra, clip,
                       {7, 7, 7, 7, 7});
        EmfPicture pic;
        ASSERT_NO_THROW(pic = EmfPicture::parse(canvas.finish()));
        const auto items = extractText(pic);
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].text, QStringLiteral("Città"));
        const auto texts = ofType(records(canvas.finish()), EMR_EXTTEXTOUTW);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].u32(44), TextOutOption::Clipped);
    }
}

TEST(EmfWriter, RestoreStateRevertsObjectsAndDefersDeletion) {
    RecordingCanvas canvas(QSize(100, 100));
    const PenSpec red{PenStyle::Solid, 2, rgb(255, 0, 0)};
    const PenSpec blue{PenStyle::Solid, 2, rgb(0, 0, 255)};
    canvas.setPen(red);
    canvas.lineTo(10, 10);
    EXPECT_EQ(canvas.saveState(), 1);
    canvas.setPen(blue);
    canvas.lineTo(20, 20); // red is replaced but held by the saved state
    canvas.restoreState(-1);
    EXPECT_EQ(canvas.pen(), red);
    canvas.lineTo(30, 30); // red is selected again by RestoreDC: no select
    const auto recs = records(canvas.finish());
    const auto creates = ofType(recs, EMR_CREATEPEN);
    ASSERT_EQ(creates.size(), 2u);
    EXPECT_EQ(creates[0].u32(0), 1u);
    EXPECT_EQ(creates[1].u32(0), 2u);
    // After the restore blue (2) is deleted; red (1) is deleted at the end.
    const auto deletes = ofType(recs, EMR_DELETEOBJECT);
    ASSERT_EQ(deletes.size(), 2u);
    EXPECT_EQ(deletes[0].u32(0), 2u);
    EXPECT_EQ(deletes[1].u32(0), 1u);
    EXPECT_EQ(ofType(recs, EMR_SELECTOBJECT).size(), 2u);
}

// RestoreDC is recorded with a negative level relative to the current
// state, whatever form the caller used; readers reject positive levels.
TEST(EmfWriter, RestoreLevelsAreRecordedRelative) {
    RecordingCanvas canvas(QSize(100, 100));
    canvas.saveState();
    canvas.saveState();
    canvas.saveState();
    canvas.restoreState(2); // absolute: drops two levels
    canvas.saveState();
    canvas.restoreState(-1); // relative
    canvas.saveState();      // left open: finish() returns to level 0
    const auto restores = ofType(records(canvas.finish()), EMR_RESTOREDC);
    ASSERT_EQ(restores.size(), 3u);
    EXPECT_EQ(restores[0].i32(0), -2);
    EXPECT_EQ(restores[1].i32(0), -1);
    EXPECT_EQ(restores[2].i32(0), -2);
}

TEST(EmfWriter, BitmapIsStretchDibits) {
    QImage logo(3, 2, QImage::Format_RGB32);
    logo.fill(Qt::white);
    logo.setPixel(0, 0, qRgb(255, 0, 0));
    logo.setPixel(2, 1, qRgb(0, 0, 255));
    RecordingCanvas canvas(QSize(100, 100));
    canvas.drawImage(rectFromEdges(10, 10, 40, 30), logo);
    const auto recs = records(canvas.finish());
    const auto dibs = ofType(recs, EMR_STRETCHDIBITS);
    ASSERT_EQ(dibs.size(), 1u);
    const Rec& d = dibs[0];
    EXPECT_EQ(d.i32(16), 10); // xDest
    EXPECT_EQ(d.i32(32), 3);  // cxSrc
    EXPECT_EQ(d.i32(36), 2);  // cySrc
    EXPECT_EQ(d.i32(64), 30); // cxDest
    EXPECT_EQ(d.i32(68), 20); // cyDest
    const uint32_t offBits = d.u32(48) - 8;
    // Bottom-up 24-bit rows padded to 4 bytes: the first row stored is the
    // image's last (blue at x 2), the second starts with red.
    EXPECT_EQ(uint8_t(d.body[int(offBits) + 6]), 255);      // B of (2, 1)
    EXPECT_EQ(uint8_t(d.body[int(offBits) + 12 + 2]), 255); // R of (0, 0)
    EXPECT_EQ(d.u32(44), 40u);                              // BITMAPINFOHEADER
}

// An independent reader (emf2svg) opens the files and finds their texts.
TEST(EmfWriter, IndependentReaderFindsTheTexts) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("emf2svg-conv"));
    if (tool.isEmpty())
        GTEST_SKIP() << "emf2svg-conv is not installed";
    RecordingCanvas canvas(QSize(794, 1123));
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.setFont(FontSpec{});
    canvas.textOut(40, 40, QStringLiteral("Società Esempio S.r.l."));
    canvas.setBrush(BrushSpec{BrushStyle::Solid, rgb(200, 200, 200), 0});
    canvas.rectangle(rectFromEdges(40, 100, 300, 140));
    canvas.fillRect(rectFromEdges(40, 150, 300, 160),
                    BrushSpec{BrushStyle::Solid, rgb(0, 90, 0), 0});
    const int level = canvas.saveState();
    canvas.intersectClipRect(rectFromEdges(0, 0, 400, 800));
    FontSpec turned;
    turned.escapement = 900;
    canvas.setFont(turned);
    canvas.textOut(20, 600, QStringLiteral("Totale € 1.234,56"));
    canvas.restoreState(level);
    canvas.drawImage(rectFromEdges(500, 40, 540, 80), QImage(4, 4, QImage::Format_RGB32));
    canvas.polygon({QPoint(600, 600), QPoint(700, 700), QPoint(500, 700)});
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("page.emf"));
    const QString out = dir.filePath(QStringLiteral("page.svg"));
    QFile f(in);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(canvas.finish());
    f.close();
    QProcess p;
    p.start(tool, {QStringLiteral("-i"), in, QStringLiteral("-o"), out});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QFile svg(out);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(svg.readAll());
    EXPECT_TRUE(content.contains(QStringLiteral("Società Esempio S.r.l.")) ||
                content.contains(QStringLiteral("Societ&#224; Esempio")))
        << content.left(2000).toStdString();
    EXPECT_TRUE(content.contains(QStringLiteral("1.234,56"))) << content.left(2000).toStdString();
}
