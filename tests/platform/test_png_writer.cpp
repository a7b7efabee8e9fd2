// The fast PNG writer: what it writes reads back as the same pixels, with
// the image's resolution, and a null image gives no file.

#include "platform/png_writer.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace vx {
namespace {

QImage drawn(QImage::Format format, int width, int height) {
    QImage image(width, height, format);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(QRect(0, 0, width / 2 + 1, height), QColor(10, 200, 30));
    p.setPen(QColor(250, 0, 0, 128));
    p.drawLine(0, 0, width, height);
    p.end();
    image.setDotsPerMeterX(5906); // 150 dpi
    image.setDotsPerMeterY(3780);
    return image;
}

TEST(PngWriter, ReadsBackAsTheSamePixelsAndResolution) {
    struct Case {
        QImage::Format format;
        int width, height;
        QImage::Format comparedAs;
    };
    const Case cases[] = {
        {QImage::Format_RGB32, 1, 1, QImage::Format_RGB32},
        {QImage::Format_RGB32, 333, 77, QImage::Format_RGB32},
        {QImage::Format_ARGB32_Premultiplied, 40, 9, QImage::Format_ARGB32},
        {QImage::Format_ARGB32, 5, 300, QImage::Format_ARGB32},
        {QImage::Format_RGB888, 17, 3, QImage::Format_RGB32},
        // Large enough to be deflated in two parts joined into one stream.
        {QImage::Format_RGB32, 700, 500, QImage::Format_RGB32},
        // Wider than one deflate chunk per row.
        {QImage::Format_RGB32, 100000, 2, QImage::Format_RGB32},
    };
    for (const Case& c : cases) {
        const QImage image = drawn(c.format, c.width, c.height);
        const QByteArray png = encodePng(image);
        QImage back;
        ASSERT_TRUE(back.loadFromData(png, "PNG")) << c.width << "x" << c.height;
        EXPECT_EQ(back.convertToFormat(c.comparedAs), image.convertToFormat(c.comparedAs))
            << c.format << " " << c.width << "x" << c.height;
        EXPECT_EQ(back.dotsPerMeterX(), 5906);
        EXPECT_EQ(back.dotsPerMeterY(), 3780);
    }
    EXPECT_TRUE(encodePng(QImage()).isEmpty());
}

} // namespace
} // namespace vx
