#include "platform/platform_state.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace vx {

void PlatformState::reset() {
    MessageBoxInterceptor* interceptor = Interceptor;
    std::vector<Component*> modules = std::move(Modules);
    *this = PlatformState();
    Interceptor = interceptor;
    Modules = std::move(modules);
}

PlatformState& platformState() {
    return libraryState().part<PlatformState>();
}

int screenPixelsPerInch() {
    // The resolution a report is designed at is a whole number of pixels
    // per inch; a screen without sensible figures counts as the usual 96.
    constexpr int kDefault = 96, kMin = 24, kMax = 960;
    int& ppi = platformState().ScreenPixelsPerInch;
    if (ppi == 0) {
        const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                    ? QGuiApplication::primaryScreen()
                                    : nullptr;
        const int found = screen ? int(std::lround(screen->logicalDotsPerInchY())) : kDefault;
        ppi = found >= kMin && found <= kMax ? found : kDefault;
    }
    return ppi;
}

} // namespace vx
