// Letters of a text record stand evenly at the zooms "Una pagina" and "Due
// pagine" give (just under 100 %): in the rendered page the gaps between
// the ink boxes of equal letters differ by at most one pixel, not only the
// line's total span.

#include "preview/page_render.h"
#include "tests/preview/preview_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vx {
namespace {

// Columns x0..x1 of rows y0..y1 that hold ink (darker than mid-grey), as
// runs: the letters' ink boxes from left to right.
std::vector<std::pair<int, int>> inkBoxes(const QImage& image, int y0, int y1) {
    std::vector<std::pair<int, int>> boxes;
    bool inside = false;
    for (int x = 0; x < image.width(); ++x) {
        bool ink = false;
        for (int y = std::max(0, y0); y <= std::min(image.height() - 1, y1) && !ink; ++y)
            ink = qGray(image.pixel(x, y)) < 128;
        if (ink && !inside)
            boxes.push_back({x, x});
        if (ink)
            boxes.back().second = x;
        inside = ink;
    }
    return boxes;
}

TEST(TextSpacing, GapsBetweenEqualLettersDifferByAtMostOnePixel) {
    const QString letters(24, QLatin1Char('o'));
    // The advances a reference device gives equal letters: equal.
    const std::vector<int> advances(size_t(letters.size()), 9);
    auto report = std::make_unique<TvxReport>();
    test::addPage(*report->PreparedPages, 2100, 2970, [&](Canvas& c) {
        FontSpec font;
        font.height = -16;
        c.setFont(font);
        c.textOut(40, 200, letters, 0, QRect(), advances);
    });
    const PreparedPageInfo& page = report->PreparedPages->Pages(0);
    for (const double zoom : {78.0, 85.0, 85.3, 92.0, 100.0}) {
        const QImage image =
            preview::renderPage(page, 0, zoom).convertToFormat(QImage::Format_RGB32);
        const int top = int(200 * zoom / 100);
        const auto boxes = inkBoxes(image, top, top + int(16 * zoom / 100));
        ASSERT_EQ(boxes.size(), size_t(letters.size())) << zoom;
        std::vector<int> gaps;
        for (size_t i = 1; i < boxes.size(); ++i)
            gaps.push_back(boxes[i].first - boxes[i - 1].second);
        const auto [low, high] = std::minmax_element(gaps.begin(), gaps.end());
        EXPECT_LE(*high - *low, 1) << "zoom " << zoom;
    }
}

} // namespace
} // namespace vx
