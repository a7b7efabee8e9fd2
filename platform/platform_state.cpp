#include "platform/platform_state.h"

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

} // namespace vx
