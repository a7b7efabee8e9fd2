// The preview window's keyboard table.

#include "preview/preview_keys.h"

#include <gtest/gtest.h>

namespace vx::preview {
namespace {

TEST(PreviewKeys, EachKeyRunsItsOperation) {
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        KeyAction action;
    } cases[] = {
        {Qt::Key_Escape, none, KeyAction::Escape},
        {Qt::Key_Space, none, KeyAction::ToggleFullScreen},
        {Qt::Key_PageUp, ctrl, KeyAction::PrevPage},
        {Qt::Key_PageUp, none, KeyAction::ScrollPageUp},
        {Qt::Key_PageDown, ctrl, KeyAction::NextPage},
        {Qt::Key_PageDown, none, KeyAction::ScrollPageDown},
        {Qt::Key_Home, none, KeyAction::FirstPage},
        {Qt::Key_End, none, KeyAction::LastPage},
        {Qt::Key_Left, none, KeyAction::ScrollLeft},
        {Qt::Key_Right, none, KeyAction::ScrollRight},
        {Qt::Key_Up, none, KeyAction::ScrollUp},
        {Qt::Key_Down, none, KeyAction::ScrollDown},
        {Qt::Key_F2, none, KeyAction::Print},
        {Qt::Key_F3, none, KeyAction::Find},
        {Qt::Key_F10, none, KeyAction::Open},
        {Qt::Key_F11, none, KeyAction::Save},
        // "=" and "-" of the main keyboard, also shifted; not the keypad's.
        {Qt::Key_Equal, none, KeyAction::NextPage},
        {Qt::Key_Plus, Qt::ShiftModifier, KeyAction::NextPage},
        {Qt::Key_Plus, keypad, KeyAction::None},
        {Qt::Key_Minus, none, KeyAction::PrevPage},
        {Qt::Key_Underscore, Qt::ShiftModifier, KeyAction::PrevPage},
        {Qt::Key_Minus, keypad, KeyAction::None},
        // Not in the table.
        {Qt::Key_Return, none, KeyAction::None},
        {Qt::Key_F1, none, KeyAction::None},
        {Qt::Key_A, ctrl, KeyAction::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keyAction(c.key, c.modifiers), c.action) << c.key << " " << int(c.modifiers);
}

} // namespace
} // namespace vx::preview
