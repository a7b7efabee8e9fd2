#pragma once

// The designer's tool-button pictures of the add-in objects, drawn from
// small patterns of characters: 'X' black, '.' the button's background.

#include <QImage>

namespace vx {

inline constexpr int kButtonSide = 16;

// The add-in objects that have a tool button.
enum class AddInButton { Shape, FramedMemo, Graph, Ole, RichText };

// The kButtonSide x kButtonSide picture of an add-in's tool button.
QImage ButtonBitmap(AddInButton button);

} // namespace vx
