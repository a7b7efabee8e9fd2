#include "addins/button_bitmap.h"

#include <array>
#include <cstring>

namespace vx {

namespace {

using Pattern = std::array<const char*, kButtonSide>;

// One pattern per AddInButton, in its order.
const Pattern kPatterns[] = {
    // Shape: an ellipse beside a square.
    {{"................", "................", "...XXXX.........", "..X....X........",
      ".X......X.......", ".X......X.......", ".X......X.......", "..X....X........",
      "...XXXX.........", "........XXXXXXX.", "........X.....X.", "........X.....X.",
      "........X.....X.", "........X.....X.", "........XXXXXXX.", "................"}},
    // FramedMemo: a double-framed box with lines of text.
    {{"XXXXXXXXXXXXXXXX", "X..............X", "X.XXXXXXXXXXXX.X", "X.X..........X.X",
      "X.X.XXXXXXX..X.X", "X.X..........X.X", "X.X.XXXXXXXXXX.X", "X.X..........X.X",
      "X.X.XXXXX....X.X", "X.X..........X.X", "X.X.XXXXXXXX.X.X", "X.X..........X.X",
      "X.XXXXXXXXXXXX.X", "X..............X", "XXXXXXXXXXXXXXXX", "................"}},
    // Graph: three bars on an axis.
    {{"................", ".X..............", ".X.........XX...", ".X.........XX...",
      ".X....XX...XX...", ".X....XX...XX...", ".X....XX...XX...", ".X....XX...XX...",
      ".X.XX.XX...XX...", ".X.XX.XX.XX.XX..", ".X.XX.XX.XX.XX..", ".X.XX.XX.XX.XX..",
      ".X.XX.XX.XX.XX..", ".XXXXXXXXXXXXXX.", "................", "................"}},
    // Ole: a framed document with a picture.
    {{"................", ".XXXXXXXXXXXXX..", ".X...........X..", ".X.XXXXX.....X..",
      ".X.X...X.....X..", ".X.X...X.XXX.X..", ".X.X...X.....X..", ".X.XXXXX.XXX.X..",
      ".X...........X..", ".X.XXXXXXXXX.X..", ".X...........X..", ".X.XXXXXXXXX.X..",
      ".X...........X..", ".XXXXXXXXXXXXX..", "................", "................"}},
    // RichText: lines of text in two sizes.
    {{"................", "................", ".XXXXXXX........", ".XXXXXXX........",
      "................", ".XXXXXXXXXXXXX..", "................", ".XXXXXXXXXX.....",
      "................", ".XXXXXXXXXXXXX..", "................", ".XXXX.XXXXXXX...",
      "................", ".XXXXXXXXX......", "................", "................"}},
};

} // namespace

QImage ButtonBitmap(AddInButton button) {
    const Pattern& rows = kPatterns[size_t(button)];
    QImage image(kButtonSide, kButtonSide, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < kButtonSide; ++y) {
        const size_t n = std::strlen(rows[size_t(y)]);
        for (int x = 0; x < kButtonSide && size_t(x) < n; ++x)
            if (rows[size_t(y)][x] == 'X')
                image.setPixel(x, y, qRgb(0, 0, 0));
    }
    return image;
}

} // namespace vx
