#include "platform/font_warm_up.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

namespace vx {

FontConfigWarmUp::FontConfigWarmUp() {
    try {
        thread_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: fontconfig loads when first asked, as usual.
    }
}

FontConfigWarmUp::~FontConfigWarmUp() {
    if (thread_.joinable())
        thread_.join();
}

} // namespace vx
