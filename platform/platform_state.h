#pragma once

// The platform layer's part of the library state: message boxes, the
// application's title, safe saving, the locale settings and the registry of
// forms and data modules.

#include "platform/locale_settings.h"
#include "platform/process_state.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace vx {

class Component;
class MessageBoxInterceptor;

struct PlatformState : LibraryStatePart {
    // The innermost message box interceptor (tests); set and cleared by the
    // interceptors themselves.
    MessageBoxInterceptor* Interceptor = nullptr;
    // The caption of the general error handler's boxes.
    QString ApplicationTitle = QStringLiteral("DIZEridiv");
    // Test hook: called just before a save renames its temporary file over
    // the target; returning false makes the rename fail as if the file
    // system refused it.
    std::function<bool(const QString& fileName)> AtomicRenameHook;
    // The locale settings in use; filled from the system locale on first use.
    std::unique_ptr<LocaleSettings> Locale;
    // Registered forms and data modules; each module unlists itself when it
    // is destroyed.
    std::vector<Component*> Modules;
    // The screen's logical resolution in pixels per inch, taken on first
    // use; 0 until then.
    int ScreenPixelsPerInch = 0;

    // Back to the start-up values, except what belongs to live objects: the
    // interceptors and the registered modules stay as their owners left them.
    void reset() override;
};

PlatformState& platformState();

// The screen's logical resolution in pixels per inch as the program found it
// at start (its first call): 96 without a screen (no application object, or
// the offscreen platform).
int screenPixelsPerInch();

} // namespace vx
