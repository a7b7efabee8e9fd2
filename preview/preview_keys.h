#pragma once

// The preview window's keyboard table: which operation a key runs. The
// window ignores the whole table while its zoom box has the focus.

#include <Qt>

namespace vx::preview {

enum class KeyAction {
    None,             // not in the table: the key goes on as usual
    Escape,           // leave full screen, else close the window
    ToggleFullScreen, // Space
    PrevPage,         // Ctrl+Page Up, the "-" key
    NextPage,         // Ctrl+Page Down, the "=" key
    ScrollPageUp,     // Page Up: vertical position - 200
    ScrollPageDown,   // Page Down: vertical position + 200
    FirstPage,        // Home
    LastPage,         // End
    ScrollLeft,       // Left: horizontal position - 10
    ScrollRight,      // Right: horizontal position + 10
    ScrollUp,         // Up: vertical position - 10
    ScrollDown,       // Down: vertical position + 10
    Print,            // F2
    Find,             // F3
    Open,             // F10
    Save,             // F11
};

// The action of a key pressed with `modifiers`. The "=" and "-" keys of the
// main keyboard count with or without Shift ("+" and "_" on many layouts);
// those of the numeric keypad are not in the table.
KeyAction keyAction(int key, Qt::KeyboardModifiers modifiers);

} // namespace vx::preview
