#pragma once

// The process-wide state of the report library: one instance per process,
// shared by every part (only one report is prepared at a time).

#include <QString>

#include <array>
#include <cstdint>

namespace vx {

class TvxReport;
class TvxPage;
class TvxView;
class TvxBand; // the engine's run-time band

// Template stream format version written; every older one is read.
inline constexpr int kCurrentFileVersion = 27;

extern TvxReport* CurrentReport;
extern TvxPage* CurrentPage;
extern TvxBand* CurrentBand;
extern TvxView* CurrentView;
extern int CurrentPageNo; // template page being prepared, from 1
extern bool PrintMode;    // false designing, true preparing or printing
extern bool SilentPass;   // first pass of a two-pass preparation
extern bool ErrorRaised;  // a preparation error was recorded
extern QString ErrorText; // its text
extern int FileVersion;   // version of the template stream last read/written

inline constexpr int kBandTypeCount = 22;
inline constexpr int kSpecialValueCount = 9;

// Display names of the band types 0..21 and of the special values 0..8.
extern const std::array<QString, kBandTypeCount> BandNames;
extern const std::array<QString, kSpecialValueCount> SpecialValueNames;

// The band's display name, or an empty string for a code out of range.
QString bandName(int bandType);

// Puts the state back to its start-up values (tests call it between cases;
// the add-in registry is not touched).
void resetLibraryState();

} // namespace vx
