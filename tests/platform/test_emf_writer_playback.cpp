// A scene drawn directly on the painter canvas and the same scene recorded
// as a metafile and played back give the same pixels (up to anti-aliasing).

#include "platform/emf/emf_player.h"
#include "platform/emf/emf_reader.h"
#include "platform/emf/recording_canvas.h"
#include "platform/painter_canvas.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using namespace vx;

namespace {

constexpr QSize kPage(320, 240);

QImage blank() {
    QImage img(kPage, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

QImage direct(const std::function<void(Canvas&)>& scene) {
    QImage img = blank();
    QPainter p(&img);
    PainterCanvas canvas(p);
    scene(canvas);
    return img;
}

QImage recorded(const std::function<void(Canvas&)>& scene) {
    emf::RecordingCanvas rec(kPage);
    scene(rec);
    const emf::EmfPicture picture = emf::EmfPicture::parse(rec.finish());
    QImage img = blank();
    QPainter p(&img);
    PainterCanvas canvas(p);
    emf::EmfPlayer player(picture);
    player.play(canvas, QRectF(0, 0, kPage.width(), kPage.height()));
    return img;
}

// Fraction of pixels whose colour differs by more than a little in any
// channel (anti-aliased edges differ a little, misplaced shapes a lot).
double differingFraction(const QImage& a, const QImage& b) {
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 40 || std::abs(qGreen(p) - qGreen(q)) > 40 ||
                std::abs(qBlue(p) - qBlue(q)) > 40)
                ++differing;
        }
    return double(differing) / (a.width() * a.height());
}

struct Scene {
    const char* name;
    std::function<void(Canvas&)> draw;
};

const Scene kScenes[] = {
    {"shapes",
     [](Canvas& c) {
         c.setPen(PenSpec{PenStyle::Solid, 1, rgb(200, 0, 0)});
         c.setBrush(BrushSpec{BrushStyle::Solid, rgb(0, 0, 200), 0});
         c.rectangle(rectFromEdges(10, 10, 100, 60));
         c.setPen(PenSpec{PenStyle::Solid, 3, rgb(0, 120, 0)});
         c.setBrush(BrushSpec{BrushStyle::Null, kWhite, 0});
         c.ellipse(rectFromEdges(120, 10, 220, 90));
         c.setBrush(BrushSpec{BrushStyle::Solid, rgb(250, 200, 0), 0});
         c.roundRect(rectFromEdges(230, 10, 310, 90), 20, 20);
         c.polygon({QPoint(20, 200), QPoint(80, 120), QPoint(140, 200)});
         c.setPen(PenSpec{PenStyle::Solid, 2, kBlack});
         c.polyline({QPoint(160, 200), QPoint(200, 130), QPoint(240, 200), QPoint(300, 120)});
         c.moveTo(10, 230);
         c.lineTo(310, 230);
         c.fillRect(rectFromEdges(150, 100, 200, 110),
                    BrushSpec{BrushStyle::Solid, rgb(100, 0, 100), 0});
     }},
    {"text",
     [](Canvas& c) {
         c.setBackgroundMode(BackgroundMode::Transparent);
         FontSpec f;
         f.height = -16;
         c.setFont(f);
         c.textOut(10, 10, QStringLiteral("Società Esempio S.r.l."));
         c.setTextAlign(TextAlign::Right | TextAlign::Top);
         c.setTextColor(rgb(0, 0, 160));
         c.textOut(310, 40, QStringLiteral("Totale € 1.234,56"));
         FontSpec turned = f;
         turned.escapement = 900;
         c.setFont(turned);
         c.setTextAlign(TextAlign::Left | TextAlign::Baseline);
         c.textOut(40, 230, QStringLiteral("Città"));
         c.setFont(f);
         c.setTextAlign(TextAlign::Left | TextAlign::Top);
         c.setBackgroundMode(BackgroundMode::Opaque);
         c.setBackgroundColor(rgb(255, 255, 0));
         c.textOut(100, 120, QStringLiteral("ritagliato"), TextOutOption::Clipped,
                   rectFromEdges(100, 120, 150, 140));
     }},
    {"clip, state and bitmap",
     [](Canvas& c) {
         QImage logo(8, 4, QImage::Format_RGB32);
         for (int y = 0; y < 4; ++y)
             for (int x = 0; x < 8; ++x)
                 logo.setPixel(x, y, qRgb(x * 30, y * 60, 128));
         c.drawImage(rectFromEdges(10, 10, 90, 50), logo);
         const int level = c.saveState();
         c.intersectClipRect(rectFromEdges(100, 10, 200, 100));
         c.excludeClipRect(rectFromEdges(130, 40, 160, 70));
         c.setBrush(BrushSpec{BrushStyle::Solid, rgb(0, 150, 150), 0});
         c.setPen(PenSpec{PenStyle::Null, 1, kBlack});
         c.rectangle(rectFromEdges(80, 0, 240, 120));
         c.restoreState(level);
         c.rectangle(rectFromEdges(220, 130, 300, 200)); // no clip, pen and brush as before
         QTransform t;
         t.translate(40, 150);
         t.rotate(30);
         c.setWorldTransform(t);
         c.setBrush(BrushSpec{BrushStyle::Solid, rgb(200, 0, 0), 0});
         c.rectangle(rectFromEdges(0, 0, 60, 30));
     }},
};

} // namespace

TEST(EmfWriterPlayback, RecordedScenesPlayBackAsDrawnDirectly) {
    for (const Scene& s : kScenes) {
        SCOPED_TRACE(s.name);
        const QImage a = direct(s.draw);
        const QImage b = recorded(s.draw);
        const double diff = differingFraction(a, b);
        EXPECT_LE(diff, 0.003) << "differing fraction " << diff;
        if (diff > 0.003) {
            a.save(
                QStringLiteral("/tmp/emfwriter_%1_direct.png").arg(QLatin1String(s.name).left(4)));
            b.save(
                QStringLiteral("/tmp/emfwriter_%1_played.png").arg(QLatin1String(s.name).left(4)));
        }
        // Something was drawn at all.
        EXPECT_GT(differingFraction(a, blank()), 0.01);
    }
}
