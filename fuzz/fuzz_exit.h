#pragma once

// Fuzz targets that measure text: Qt's own font globals are destroyed before
// the library's font cache when the process exits, so once the fonts are in
// use the fuzzer's final exit ends the process at once. Findings end it
// otherwise and are unaffected.

#include <cstdlib>

namespace vx::fuzz {

// Runs `warmUp` (which must measure some text, so that the caches exist) and
// then arranges that a normal exit skips the static destructors.
template <typename WarmUp> void endWithoutStaticDestructors(WarmUp warmUp) {
    warmUp();
    std::atexit([] { std::_Exit(0); });
}

} // namespace vx::fuzz
