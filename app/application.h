#pragma once

namespace vx {

// Initialises the library and the application object, creates the main
// window and runs the message loop until the main window closes.
int runApplication(int argc, char** argv);

} // namespace vx
