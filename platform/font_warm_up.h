#pragma once

// fontconfig reads its configuration (some forty XML files) and its caches
// the first time a program asks it anything, in the middle of drawing the
// first text. A short-lived program that is about to draw text can have
// that done on a second thread while it starts Qt and reads its input.

#include <thread>

namespace vx {

// Starts loading fontconfig's configuration on another thread; the
// destructor waits for it. Drawing needs no call to wait: fontconfig loads
// its configuration once, whichever thread asks first, and makes the other
// wait (or, at worst, both load it and one copy is dropped).
class FontConfigWarmUp {
public:
    FontConfigWarmUp();
    ~FontConfigWarmUp();
    FontConfigWarmUp(const FontConfigWarmUp&) = delete;
    FontConfigWarmUp& operator=(const FontConfigWarmUp&) = delete;

private:
    std::thread thread_;
};

} // namespace vx
