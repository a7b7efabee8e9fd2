#pragma once

namespace vx {

// Registers the add-in object classes in their order (framed text, OLE,
// chart, barcode, shape, rich text), so that templates holding them load.
// Part of the library's initialisation, and all that headless programs
// (vxtool, hosts without windows) need of it. A second call changes nothing.
void RegisterAddIns();

} // namespace vx
