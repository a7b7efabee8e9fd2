#pragma once

namespace vx {

// Lets the engine show the program's progress window ("Report in
// preparazione") while it prepares a report.
void installPreparationWindow();

} // namespace vx
