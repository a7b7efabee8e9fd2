#pragma once

// The designer's tool-button pictures of the add-in objects, drawn from
// small patterns of characters: 'X' black, '.' the button's background.

#include <QImage>

namespace vx {

inline constexpr int kButtonSide = 16;

// A kButtonSide x kButtonSide picture; rows shorter than the side leave the
// rest transparent.
QImage ButtonBitmap(const char* const (&rows)[kButtonSide]);

} // namespace vx
