#pragma once

// What other modules plug into the engine:
// - the cross tables and sub-reports, which the bands call while they print
//   (a band without them skips cross cells and sub-report objects);
// - the progress window, which the program provides from its preview layer
//   (without it a preparation runs with no window, as with ShowProgress off).

#include "platform/process_state.h"

#include <QString>

#include <functional>

namespace vx {

class TvxBand;
class TvxReport;

struct BandHooks : DefaultResetPart<BandHooks> {
    // Prints the cross-table cells of a horizontal band for every column.
    std::function<void(TvxBand& row)> PrintCrossRow;
    // Records the pages of the band's sub-report objects (from
    // SubReportStart on), then plays them into the band's area.
    std::function<void(TvxBand& band)> PrepareSubReports;
    std::function<void(TvxBand& band)> RunSubReports;
};
BandHooks& bandHooks();

struct ProgressWindow : DefaultResetPart<ProgressWindow> {
    // Shows the window modally with a caption and a label and runs `work`
    // once it is up; returns false when it was closed by its cancel button.
    std::function<bool(TvxReport& report, const QString& caption, const QString& label,
                       const std::function<void()>& work)>
        ShowModal;
    std::function<bool()> IsVisible;
    std::function<void(const QString& label)> SetLabel;
    // Closes the window with the OK or the cancel result.
    std::function<void(bool cancelled)> Close;
};
ProgressWindow& progressWindow();

// Installs the engine into the report library: Prepare and PrepareAndShow of
// TvxReport, the band queries of text objects, the special values and
// aggregates of the name resolver, and the datasets of the page's data bands
// for plain field names. Calling it again does nothing more.
void InstallEngine();

} // namespace vx
