#pragma once

// The report model's part of the library state: the values the whole
// library shares while it builds, reads or prepares a report (only one
// report is prepared at a time). The other parts sit beside their code
// (platform/process_state.h says how parts are made and reset).

#include "platform/process_state.h"

#include <QString>

#include <array>
#include <cstdint>

namespace vx {

class Canvas;
class TvxReport;
class TvxPage;
class TvxView;
class TvxBand; // the engine's run-time band

// Template stream format version written; every older one is read.
inline constexpr int kCurrentFileVersion = 27;

struct ModelState : DefaultResetPart<ModelState> {
    TvxReport* CurrentReport = nullptr; // the report being built, read or prepared
    TvxPage* CurrentPage = nullptr;     // the page, band and object being processed
    TvxBand* CurrentBand = nullptr;
    TvxView* CurrentView = nullptr;
    int CurrentPageNo = 0;                 // template page being prepared, from 1
    bool PrintMode = false;                // false designing, true preparing or printing
    bool SilentPass = false;               // first pass of a two-pass preparation
    bool ErrorRaised = false;              // a preparation error was recorded
    QString ErrorText;                     // its text
    int FileVersion = kCurrentFileVersion; // version of the template stream last read/written
    // The canvas of the output page being built (report/emf_pages.h).
    Canvas* OutputCanvas = nullptr;
    // Height of the text found by the last layout of a text object, and the
    // running band height that measuring raises (report/memo_view.h).
    int32_t MeasuredTextHeight = 0;
    int32_t MeasuredBandHeight = 0;
    // The report whose resolver the evaluator holds: a report being
    // destroyed takes its resolver away so that no evaluation reaches a
    // freed report.
    TvxReport* ResolverReport = nullptr;
};

ModelState& modelState();

// The model's names for its state, bound to modelState() (not for use
// while static objects are being initialised).
extern TvxReport*& CurrentReport;
extern TvxPage*& CurrentPage;
extern TvxBand*& CurrentBand;
extern TvxView*& CurrentView;
extern int& CurrentPageNo;
extern bool& PrintMode;
extern bool& SilentPass;
extern bool& ErrorRaised;
extern QString& ErrorText;
extern int& FileVersion;

inline constexpr int kBandTypeCount = 22;
inline constexpr int kSpecialValueCount = 9;

// Display names of the band types 0..21 and of the special values 0..8.
extern const std::array<QString, kBandTypeCount> BandNames;
extern const std::array<QString, kSpecialValueCount> SpecialValueNames;

// The band's display name, or an empty string for a code out of range.
QString bandName(int bandType);

} // namespace vx
