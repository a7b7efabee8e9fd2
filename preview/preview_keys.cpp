#include "preview/preview_keys.h"

namespace vx::preview {

namespace {

KeyAction mainKeyboardOnly(Qt::KeyboardModifiers modifiers, KeyAction action) {
    return (modifiers & Qt::KeypadModifier) ? KeyAction::None : action;
}

} // namespace

KeyAction keyAction(int key, Qt::KeyboardModifiers modifiers) {
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Escape:
        return KeyAction::Escape;
    case Qt::Key_Space:
        return KeyAction::ToggleFullScreen;
    case Qt::Key_PageUp:
        return ctrl ? KeyAction::PrevPage : KeyAction::ScrollPageUp;
    case Qt::Key_PageDown:
        return ctrl ? KeyAction::NextPage : KeyAction::ScrollPageDown;
    case Qt::Key_Home:
        return KeyAction::FirstPage;
    case Qt::Key_End:
        return KeyAction::LastPage;
    case Qt::Key_Left:
        return KeyAction::ScrollLeft;
    case Qt::Key_Right:
        return KeyAction::ScrollRight;
    case Qt::Key_Up:
        return KeyAction::ScrollUp;
    case Qt::Key_Down:
        return KeyAction::ScrollDown;
    case Qt::Key_F2:
        return KeyAction::Print;
    case Qt::Key_F3:
        return KeyAction::Find;
    case Qt::Key_F10:
        return KeyAction::Open;
    case Qt::Key_F11:
        return KeyAction::Save;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return mainKeyboardOnly(modifiers, KeyAction::NextPage);
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return mainKeyboardOnly(modifiers, KeyAction::PrevPage);
    default:
        return KeyAction::None;
    }
}

} // namespace vx::preview
