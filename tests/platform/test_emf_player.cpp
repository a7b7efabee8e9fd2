#include "platform/emf/emf_player.h"

#include "platform/emf/emf_constants.h"
#include "tests/support/emf_test_builder.h"
#include "tests/support/fake_canvas.h"
#include "tests/support/paths.h"

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

// Readable failure output for Qt strings (found by argument-dependent lookup).
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
static void PrintTo(const QStringList& l, std::ostream* os) {
    *os << "\n  " << l.join(QStringLiteral("\n  ")).toStdString();
}

using namespace vx;
using namespace vx::emf;
using vx::test::EmfTestBuilder;
using vx::test::FakeCanvas;

namespace {

constexpr int64_t kStock = 0x80000000;

QStringList playCalls(const EmfTestBuilder& b, FakeCanvas* out = nullptr) {
    FakeCanvas canvas;
    EmfPlayer player(EmfPicture::parse(b.build()));
    player.play(canvas, QRectF(0, 0, 794, 1123));
    if (out)
        *out = canvas;
    return canvas.calls;
}

// The logical-to-device mapping after the records of `b`.
QTransform mappingAfter(const EmfTestBuilder& b) {
    FakeCanvas canvas;
    EmfPlayer player(EmfPicture::parse(b.build()));
    QTransform t;
    player.play(canvas, QRectF(0, 0, 794, 1123), [&](EmfPlayer& p, const EmfRecord& r, int) {
        if (r.type == EMR_EOF)
            t = p.logicalToDevice();
        return RecordAction::Play;
    });
    return t;
}

} // namespace

TEST(EmfPlayer, DrawsShapesAndPolyShapesIn16And32Bits) {
    EmfTestBuilder b;
    b.rec(EMR_RECTANGLE, {10, 20, 30, 40})
        .rec(EMR_ELLIPSE, {0, 0, 8, 8})
        .rec(EMR_ROUNDRECT, {0, 0, 50, 50, 6, 4})
        .rec(EMR_POLYGON, {0, 0, 9, 9, 3, 0, 0, 9, 0, 9, 9})
        .rec(EMR_POLYLINE16, {0, 0, 9, 9, 2, 0x00020001, 0x00040003})
        .rec(EMR_MOVETOEX, {5, 5})
        .rec(EMR_POLYLINETO16, {0, 0, 9, 9, 1, 0x00070006})
        .rec(EMR_LINETO, {1, 1})
        .rec(EMR_POLYPOLYGON16, {0, 0, 9, 9, 2, 6, 3, 3, 0, 0x00050000, 0x00000005, 0x00010001,
                                 0x00040001, 0x00010004})
        .rec(EMR_POLYPOLYLINE, {0, 0, 9, 9, 2, 4, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4})
        .rec(EMR_POLYBEZIER16, {0, 0, 9, 9, 4, 0, 0x000A000A, 0x0014000A, 0x00140014})
        .rec(EMR_SETPIXELV, {3, 4, 0x0000FF});
    const QStringList expected = {
        "rectangle 10,20,30,40",
        "ellipse 0,0,8,8",
        "roundRect 0,0,50,50 6x4",
        "polygon 0,0 9,0 9,9",
        "polyline 1,2 3,4",
        "polyline 5,5 6,7",
        "moveTo 6,7",
        "lineTo 1,1",
        "path 2 0,0,5,5", // two sub-polygons, stroked and filled as one path
        "polyline 1,1 2,2",
        "polyline 3,3 4,4",
        "path 0 0,0,20,20",
        "fillRect 3,4,4,5 #0000ff",
    };
    EXPECT_EQ(playCalls(b).join('\n').toStdString(), expected.join('\n').toStdString());
}

TEST(EmfPlayer, PolyBezierToMovesToTheEndOfItsLastWholeSegment) {
    // One and two points make no segment: the position stays (reading
    // before the points once did). Four points: one segment and a spare.
    EmfTestBuilder b;
    b.rec(EMR_MOVETOEX, {5, 5})
        .rec(EMR_POLYBEZIERTO16, {0, 0, 9, 9, 1, 0x00090009})
        .rec(EMR_POLYBEZIERTO16, {0, 0, 9, 9, 2, 0x00090009, 0x00080008})
        .rec(EMR_LINETO, {1, 1})
        .rec(EMR_POLYBEZIERTO16, {0, 0, 9, 9, 4, 0x00020002, 0x00030003, 0x00040004, 0x00070007})
        .rec(EMR_LINETO, {1, 1});
    QStringList moves;
    for (const QString& call : playCalls(b))
        if (call.startsWith(QLatin1String("moveTo")))
            moves << call;
    EXPECT_EQ(moves, (QStringList{QStringLiteral("moveTo 5,5"), QStringLiteral("moveTo 4,4")}));
}

TEST(EmfPlayer, ObjectTableSelectsDeletesAndReusesHandles) {
    EmfTestBuilder b;
    b.rec(EMR_CREATEPEN, {1, 1 /*dash*/, 3, 0, 0x0000FF})
        .rec(EMR_CREATEBRUSHINDIRECT, {2, 0, 0x00FF00, 0})
        .rec(EMR_SELECTOBJECT, {1})
        .rec(EMR_SELECTOBJECT, {2})
        .rec(EMR_DELETEOBJECT, {1})
        .rec(EMR_CREATEBRUSHINDIRECT, {1, 0, 0x123456, 0}) // handle 1 reused for a brush
        .rec(EMR_SELECTOBJECT, {1})
        .rec(EMR_SELECTOBJECT, {kStock | NULL_PEN})
        .rec(EMR_SELECTOBJECT, {99})         // outside the table: ignored
        .rec(EMR_CREATEPEN, {0, 0, 1, 0, 0}) // handle 0 is reserved: ignored
        .raw(EMR_EXTCREATEFONTINDIRECTW, vx::test::createFont(3, QStringLiteral("Arial"), -16, 700))
        .rec(EMR_SELECTOBJECT, {3});
    FakeCanvas canvas;
    EmfPlayer player(EmfPicture::parse(b.build()));
    PenSpec pen;
    BrushSpec brush;
    player.play(canvas, QRectF(0, 0, 794, 1123), [&](EmfPlayer& p, const EmfRecord& r, int i) {
        if (i == 5) { // after the first two selections
            pen = p.state().dc.pen;
            brush = p.state().dc.brush;
        }
        (void)r;
        if (r.type == EMR_EOF) {
            EXPECT_EQ(p.state().dc.brush.color, Color(0x123456));
            EXPECT_EQ(p.state().dc.pen.style, PenStyle::Null);
            EXPECT_EQ(p.state().dc.font.face, QStringLiteral("Arial"));
            EXPECT_EQ(p.state().dc.font.height, -16);
            EXPECT_EQ(p.state().dc.font.weight, 700);
            EXPECT_EQ(canvas.font().height, -16);
            EXPECT_EQ(canvas.brush().color, Color(0x123456));
            EXPECT_EQ(p.state().objects.size(), 8u);
        }
        return RecordAction::Play;
    });
    EXPECT_EQ(pen, (PenSpec{PenStyle::Dash, 3, rgb(255, 0, 0)}));
    EXPECT_EQ(brush, (BrushSpec{BrushStyle::Solid, rgb(0, 255, 0), 0}));
}

TEST(EmfPlayer, MappingModesMapLogicalUnitsToDevicePixels) {
    struct Case {
        const char* name;
        EmfTestBuilder b;
        QPointF logical;
        QPointF device;
    };
    std::vector<Case> cases;
    {
        Case c{"text mode ignores extents", {}, {10, 10}, {15, 25}};
        c.b.rec(EMR_SETWINDOWEXTEX, {100, 100}).rec(EMR_SETVIEWPORTEXTEX, {200, 200});
        c.b.rec(EMR_SETVIEWPORTORGEX, {5, 15});
        cases.push_back(c);
    }
    {
        Case c{"anisotropic", {}, {100, 100}, {205, 60}};
        c.b.rec(EMR_SETMAPMODE, {MM_ANISOTROPIC})
            .rec(EMR_SETWINDOWORGEX, {0, 0})
            .rec(EMR_SETWINDOWEXTEX, {1000, 1000})
            .rec(EMR_SETVIEWPORTEXTEX, {2000, 500})
            .rec(EMR_SETVIEWPORTORGEX, {5, 10});
        cases.push_back(c);
    }
    {
        Case c{"isotropic keeps the aspect", {}, {100, 100}, {50, 50}};
        c.b.rec(EMR_SETMAPMODE, {MM_ISOTROPIC})
            .rec(EMR_SETWINDOWEXTEX, {1000, 1000})
            .rec(EMR_SETVIEWPORTEXTEX, {2000, 500});
        cases.push_back(c);
    }
    {
        // 0.1 mm units, y upwards: 254 units = 1 inch = 96 px on this device.
        Case c{"lometric", {}, {254, -254}, {96, 96}};
        c.b.devicePxX = 96 * 10;
        c.b.devicePxY = 96 * 10;
        c.b.deviceMmX = 254;
        c.b.deviceMmY = 254;
        c.b.rec(EMR_SETMAPMODE, {MM_LOMETRIC});
        cases.push_back(c);
    }
    {
        Case c{"world transform then modify (left multiply)", {}, {10, 0}, {2 * 10 + 1, 7}};
        QByteArray set, modify;
        ByteWriter w(&set), m(&modify);
        for (float f : {2.f, 0.f, 0.f, 2.f, 1.f, 0.f})
            w.f32(f);
        for (float f : {1.f, 0.f, 0.f, 1.f, 0.f, 3.5f})
            m.f32(f);
        m.u32(2);
        c.b.raw(EMR_SETWORLDTRANSFORM, set).raw(EMR_MODIFYWORLDTRANSFORM, modify);
        cases.push_back(c);
    }
    {
        Case c{"scale viewport extent", {}, {10, 10}, {30, 5}};
        c.b.rec(EMR_SETMAPMODE, {MM_ANISOTROPIC})
            .rec(EMR_SETWINDOWEXTEX, {10, 10})
            .rec(EMR_SETVIEWPORTEXTEX, {10, 10})
            .rec(EMR_SCALEVIEWPORTEXTEX, {3, 1, 1, 2})
            .rec(EMR_SCALEWINDOWEXTEX, {1, 0, 1, 1}); // zero denominator: ignored
        cases.push_back(c);
    }
    for (const Case& c : cases) {
        const QPointF got = mappingAfter(c.b).map(c.logical);
        EXPECT_NEAR(got.x(), c.device.x(), 1e-6) << c.name;
        EXPECT_NEAR(got.y(), c.device.y(), 1e-6) << c.name;
    }
}

TEST(EmfPlayer, FrameIsMappedOntoTheDestinationAtAnyReferenceResolution) {
    for (int dpi : {96, 300}) {
        EmfTestBuilder b;
        b.devicePxX = 210 * dpi * 10 / 254;
        b.deviceMmX = 210;
        b.devicePxY = 297 * dpi * 10 / 254;
        b.deviceMmY = 297;
        b.rec(EMR_RECTANGLE, {0, 0, 10, 10});
        FakeCanvas canvas;
        EmfPlayer player(EmfPicture::parse(b.build()));
        QTransform t;
        // The frame (210 mm) onto a 397-unit-wide rectangle at (100, 50).
        player.play(canvas, QRectF(100, 50, 397, 561), [&](EmfPlayer& p, const EmfRecord& r, int) {
            if (r.type == EMR_RECTANGLE)
                t = p.logicalToDestination();
            return RecordAction::Play;
        });
        const QPointF far = t.map(QPointF(b.devicePxX, b.devicePxY));
        EXPECT_NEAR(far.x(), 100 + 397, 0.5) << dpi;
        EXPECT_NEAR(far.y(), 50 + 561, 0.5) << dpi;
        EXPECT_EQ(canvas.world, QTransform()) << "the canvas transform is restored";
    }
}

TEST(EmfPlayer, SaveAndRestoreDcRestoreStateAndClip) {
    EmfTestBuilder b;
    b.rec(EMR_SETTEXTCOLOR, {0x0000FF})
        .rec(EMR_SAVEDC, {})
        .rec(EMR_SETTEXTCOLOR, {0x00FF00})
        .rec(EMR_INTERSECTCLIPRECT, {10, 10, 20, 20})
        .rec(EMR_SAVEDC, {})
        .rec(EMR_RESTOREDC, {-5}) // no such level: ignored
        .rec(EMR_RESTOREDC, {1})  // back to the first saved state
        .rec(EMR_RESTOREDC, {-1}) // nothing left: ignored
        .rec(EMR_RECTANGLE, {0, 0, 5, 5});
    FakeCanvas canvas;
    EmfPlayer player(EmfPicture::parse(b.build()));
    bool clipped = false;
    player.play(canvas, QRectF(0, 0, 794, 1123), [&](EmfPlayer& p, const EmfRecord& r, int i) {
        if (i == 5)
            clipped = p.state().dc.clip.has_value();
        if (r.type == EMR_RECTANGLE) {
            EXPECT_FALSE(p.state().dc.clip.has_value());
            EXPECT_EQ(p.state().dc.textColor, Color(0x0000FF));
            EXPECT_EQ(canvas.textColor, Color(0x0000FF));
            EXPECT_TRUE(p.state().saved.empty());
        }
        return RecordAction::Play;
    });
    EXPECT_TRUE(clipped);
    EXPECT_TRUE(canvas.calls.contains("clip 10,10,20,20"));
    EXPECT_EQ(canvas.level, 0) << "the canvas's saved states are balanced";
}

TEST(EmfPlayer, ClipRegionsAndClipPaths) {
    EmfTestBuilder b;
    // Region of two rectangles (device pixels), then intersected with a rectangle.
    b.rec(EMR_EXTSELECTCLIPRGN, {64, 5, 32, 1, 2, 32, 0, 0, 40, 40, 0, 0, 20, 20, 20, 20, 40, 40})
        .rec(EMR_INTERSECTCLIPRECT, {0, 0, 30, 30})
        .rec(EMR_EXTSELECTCLIPRGN, {0, 5}) // copy of no region: no clip
        .rec(EMR_BEGINPATH, {})
        .rec(EMR_RECTANGLE, {5, 5, 15, 15})
        .rec(EMR_ENDPATH, {})
        .rec(EMR_SELECTCLIPPATH, {5});
    FakeCanvas canvas;
    EmfPlayer player(EmfPicture::parse(b.build()));
    std::vector<QRectF> clips;
    player.play(canvas, QRectF(0, 0, 794, 1123), [&](EmfPlayer& p, const EmfRecord& r, int) {
        p.playRecord(r);
        if (r.type == EMR_EXTSELECTCLIPRGN || r.type == EMR_INTERSECTCLIPRECT ||
            r.type == EMR_SELECTCLIPPATH)
            clips.push_back(p.state().dc.clip ? p.state().dc.clip->boundingRect() : QRectF());
        return RecordAction::Done;
    });
    ASSERT_EQ(clips.size(), 4u);
    EXPECT_EQ(clips[0], QRectF(0, 0, 40, 40));
    EXPECT_EQ(clips[1], QRectF(0, 0, 30, 30));
    EXPECT_EQ(clips[2], QRectF());
    EXPECT_EQ(clips[3], QRectF(5, 5, 10, 10));
}

TEST(EmfPlayer, PathsAreFilledAndStrokedAsOneShape) {
    EmfTestBuilder b;
    b.rec(EMR_BEGINPATH, {})
        .rec(EMR_MOVETOEX, {0, 0})
        .rec(EMR_LINETO, {10, 0})
        .rec(EMR_LINETO, {10, 10})
        .rec(EMR_CLOSEFIGURE, {})
        .rec(EMR_ENDPATH, {})
        .rec(EMR_STROKEANDFILLPATH, {0, 0, 10, 10})
        .rec(EMR_FILLPATH, {0, 0, 10, 10}); // the path was used up: nothing
    EXPECT_EQ(playCalls(b), (QStringList{"path 2 0,0,10,10"}));
}

TEST(EmfPlayer, TextRecordsWithAndWithoutAdvances) {
    EmfTestBuilder b;
    b.raw(EMR_EXTCREATEFONTINDIRECTW, vx::test::createFont(1, QStringLiteral("Arial"), -13))
        .rec(EMR_SELECTOBJECT, {1})
        .rec(EMR_SETTEXTALIGN, {24})
        .raw(EMR_EXTTEXTOUTW,
             vx::test::extTextOutW(QStringLiteral("Totale"), QPoint(10, 20), {7, 7, 7, 7, 7, 4}))
        .raw(EMR_EXTTEXTOUTW, vx::test::extTextOutW(QStringLiteral("è"), QPoint(1, 2)))
        .raw(EMR_EXTTEXTOUTW, vx::test::extTextOutW(QString(), QPoint(1, 2), {},
                                                    TextOutOption::Opaque, QRect(0, 0, 5, 5)));
    FakeCanvas canvas;
    const QStringList calls = playCalls(b, &canvas);
    EXPECT_EQ(calls, (QStringList{
                         "text 10,20 \"Totale\" opt=0 clip=0,0,0,0 font=Arial/-13",
                         "text 1,2 \"è\" opt=0 clip=0,0,0,0 font=Arial/-13",
                         "fillRect 0,0,5,5 #ffffff",
                     }));
    EXPECT_EQ(canvas.textAlign, 24u);
}

TEST(EmfPlayer, BitmapRecordsAndPatternBlits) {
    // A 2 x 1 24-bit DIB: blue, red.
    QByteArray dib = vx::test::dibHeader(2, 1, 24);
    const int bitsOffset = 8 + 72 + dib.size();
    dib += QByteArray::fromHex("ff00000000ff0000");
    QByteArray stretch;
    ByteWriter w(&stretch);
    for (int v : {0, 0, 9, 9, /*dest*/ 10, 20, /*src*/ 0, 0, 2, 1})
        w.i32(v);
    w.u32(8 + 72);
    w.u32(40);
    w.u32(uint32_t(bitsOffset));
    w.u32(8);
    w.u32(0);
    w.u32(0x00CC0020);
    w.i32(40);
    w.i32(-20); // drawn upside down
    stretch += dib;
    EmfTestBuilder b;
    b.rec(EMR_CREATEBRUSHINDIRECT, {1, 0, 0x00FFFF, 0})
        .rec(EMR_SELECTOBJECT, {1})
        // BITBLT without a bitmap: PATCOPY fill with the brush.
        .rec(EMR_BITBLT, {0, 0, 9,          9, 5, 6, 7, 8, 0x00F00021, 0, 0, 0x3F800000,
                          0, 0, 0x3F800000, 0, 0, 0, 0, 0, 0,          0, 0})
        .raw(EMR_STRETCHDIBITS, stretch);
    FakeCanvas canvas;
    EXPECT_EQ(playCalls(b, &canvas),
              (QStringList{"fillRect 5,6,12,14 #00ffff", "image 10,0,50,20 2x1"}));
    EXPECT_EQ(canvas.lastImage.pixel(0, 0), qRgb(0, 0, 255));
}

TEST(EmfPlayer, CallbackSkipsReplacesAndStops) {
    EmfTestBuilder b;
    b.rec(EMR_RECTANGLE, {0, 0, 1, 1})
        .rec(EMR_ELLIPSE, {0, 0, 2, 2})
        .rec(EMR_RECTANGLE, {0, 0, 3, 3});
    FakeCanvas canvas;
    EmfPlayer player(EmfPicture::parse(b.build()));
    std::vector<int> seen;
    player.play(canvas, QRectF(0, 0, 794, 1123), [&](EmfPlayer& p, const EmfRecord& r, int i) {
        seen.push_back(i);
        if (r.type == EMR_ELLIPSE) {
            p.canvas()->fillRect(QRect(0, 0, 2, 2), BrushSpec{});
            return RecordAction::Done;
        }
        if (i == 1)
            return RecordAction::Skip;
        if (i == 3)
            return RecordAction::Stop;
        return RecordAction::Play;
    });
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(canvas.calls, (QStringList{"fillRect 0,0,2,2 #ffffff"}));
}

TEST(EmfPlayer, ArcsChordsAndPiesBecomePaths) {
    EmfTestBuilder b;
    b.rec(EMR_ARC, {0, 0, 20, 20, 20, 10, 10, 0}) // quarter from east to north
        .rec(EMR_PIE, {0, 0, 20, 20, 20, 10, 10, 0})
        .rec(EMR_CHORD, {0, 0, 20, 20, 20, 10, 0, 10});
    EXPECT_EQ(playCalls(b),
              (QStringList{"path 0 10,0,20,10", "path 2 10,0,20,10", "path 2 0,0,20,10"}));
}

// Extreme values from damaged files (found by fuzzing): no overflow in the
// integer rectangle arithmetic, no giant glyphs.
TEST(EmfPlayer, ExtremeValuesAreBoundedNotOverflowed) {
    constexpr int64_t kMin = INT32_MIN, kMax = INT32_MAX;
    EmfTestBuilder b;
    b.rec(EMR_SETPIXELV, {kMax, kMax, 0})
        .rec(EMR_RECTANGLE, {kMin, kMin, kMax, kMax})
        .rec(EMR_MOVETOEX, {kMax, kMin})
        .rec(EMR_LINETO, {kMin, kMax})
        .rec(EMR_BITBLT, {0, 0, 1,          1, kMax, kMax, kMax, kMax, 0x00F00021, 0, 0, 0x3F800000,
                          0, 0, 0x3F800000, 0, 0,    0,    0,    0,    0,          0, 0})
        .rec(EMR_SETMAPMODE, {MM_ANISOTROPIC})
        .rec(EMR_SETWINDOWORGEX, {kMin, kMin})
        .rec(EMR_SETWINDOWEXTEX, {1, kMin})
        .rec(EMR_ELLIPSE, {0, 0, 10, 10})
        .rec(EMR_SETMAPMODE, {MM_TEXT})
        .rec(EMR_SETWINDOWORGEX, {0, 0})
        .raw(EMR_EXTCREATEFONTINDIRECTW,
             vx::test::createFont(1, QStringLiteral("Arial"), INT32_MIN))
        .rec(EMR_SELECTOBJECT, {1})
        .raw(EMR_EXTTEXTOUTW, vx::test::extTextOutW(QStringLiteral("enorme"), QPoint(1, 1)));
    FakeCanvas canvas;
    const QStringList calls = playCalls(b, &canvas);
    EXPECT_TRUE(calls.contains("rectangle -536870912,-536870912,536870912,536870912"))
        << calls.join(QChar('\n')).toStdString();
    EXPECT_TRUE(canvas.only("text").isEmpty()) << "a glyph of 16384 pixels is not drawn";
    EXPECT_EQ(canvas.font().height, -16384);
}

// Writes small hand-made pictures, one per record family, as seeds of the
// metafile fuzz target (run with --gtest_also_run_disabled_tests).
TEST(EmfPlayer, DISABLED_WriteFuzzSeeds) {
    std::vector<std::pair<const char*, EmfTestBuilder>> seeds;
    {
        EmfTestBuilder b;
        b.rec(EMR_CREATEPEN, {1, 0, 2, 0, 0xFF}).rec(EMR_SELECTOBJECT, {1});
        b.rec(EMR_RECTANGLE, {1, 1, 50, 50}).rec(EMR_ELLIPSE, {2, 2, 40, 40});
        b.rec(EMR_POLYGON16, {0, 0, 9, 9, 3, 0, 0x00090000, 0x00090009});
        b.rec(EMR_ARC, {0, 0, 20, 20, 20, 10, 10, 0}).rec(EMR_DELETEOBJECT, {1});
        seeds.push_back({"hand-shapes.emf", b});
    }
    {
        EmfTestBuilder b;
        b.raw(EMR_EXTCREATEFONTINDIRECTW, vx::test::createFont(1, QStringLiteral("Arial"), -13));
        b.rec(EMR_SELECTOBJECT, {1}).rec(EMR_SETTEXTALIGN, {24});
        b.raw(EMR_EXTTEXTOUTW,
              vx::test::extTextOutW(QStringLiteral("Totale: 12"), QPoint(5, 20),
                                    std::vector<int>(10, 7), 4, QRect(5, 5, 80, 20)));
        seeds.push_back({"hand-text.emf", b});
    }
    {
        EmfTestBuilder b;
        b.rec(EMR_SETMAPMODE, {MM_ANISOTROPIC}).rec(EMR_SETWINDOWEXTEX, {100, 100});
        b.rec(EMR_SETVIEWPORTEXTEX, {50, 80}).rec(EMR_SAVEDC, {});
        b.rec(EMR_EXTSELECTCLIPRGN, {48, 5, 32, 1, 1, 16, 0, 0, 40, 40, 0, 0, 40, 40});
        b.rec(EMR_BEGINPATH, {}).rec(EMR_MOVETOEX, {0, 0}).rec(EMR_LINETO, {30, 0});
        b.rec(EMR_LINETO, {30, 30}).rec(EMR_CLOSEFIGURE, {}).rec(EMR_ENDPATH, {});
        b.rec(EMR_STROKEANDFILLPATH, {0, 0, 30, 30}).rec(EMR_RESTOREDC, {-1});
        seeds.push_back({"hand-mapping-clip-path.emf", b});
    }
    {
        const QByteArray header =
            vx::test::dibHeader(2, 2, 8, 1, 2) + QByteArray::fromHex("0000ff0000ff0000");
        EmfTestBuilder b;
        b.raw(EMR_STRETCHDIBITS,
              vx::test::stretchDibits(header, QByteArray::fromHex("0200000202010001"), QSize(2, 2),
                                      QSize(10, 10)));
        seeds.push_back({"hand-rle-bitmap.emf", b});
    }
    const QString dir = vx::test::sourceDir() + QStringLiteral("/fuzz/corpus/emf/");
    for (const auto& [name, b] : seeds) {
        QFile f(dir + QString::fromLatin1(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b.build());
    }
}
