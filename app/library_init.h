#pragma once

namespace vx {

// The library's module initialisation, run once before the main window is
// created (a second call does nothing). In order: the printer settings with
// the printer list, the shared windows and lists of the preview, the library
// tables, and the registries (add-in object classes, hooks of the engine and
// the preview on the report). Each layer adds its own initialisation here.
void initLibrary();

// Frees the process-wide objects that hold windows or printers; runs before
// the application object is destroyed.
void shutdownLibrary();

} // namespace vx
