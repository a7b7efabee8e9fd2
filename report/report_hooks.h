#pragma once

// Operations of TvxReport that higher layers provide. The engine, the
// preview and the designer install them at module initialisation, through
// libraryState().addInitialiser() so that resetLibraryState() installs them
// again; an operation without its hook does nothing (or raises, where noted).

#include "platform/process_state.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace vx {

class TvxReport;
class TvxBand;

struct ReportHooks : DefaultResetPart<ReportHooks> {
    // engine: runs the template into the prepared pages; false when the user
    // cancelled a single-pass preparation.
    std::function<bool(TvxReport&)> Prepare;
    // engine: Prepare, then the error box or the preview.
    std::function<void(TvxReport&)> PrepareAndShow;
    // preview: shows the report's prepared pages.
    std::function<void(TvxReport&)> OpenPreview;
    // preview: prints the prepared pages (printer chosen by the caller).
    std::function<void(TvxReport&)> PrintPages;
    // engine: the band type code (0..21) of a run-time band; used by the
    // preparation error text.
    std::function<int(const TvxBand&)> BandTypeOf;
    // engine: whether a run-time band fits its height to its contents.
    std::function<bool(const TvxBand&)> BandFitToContent;
    // engine: a run-time band's measured height (CalcHeight) and its design
    // height (Height); an empty stretched text cell grows with its band.
    std::function<int32_t(const TvxBand&)> BandCalcHeight;
    std::function<int32_t(const TvxBand&)> BandHeight;
    // designer: the format dialog ("Formatta variabile"), given an object's
    // FormatCode and FormatText; true when the user confirmed new values.
    std::function<bool(int32_t& formatCode, QString& formatText)> EditFormat;
    // functions: the text of one bracketed expression of a text object,
    // formatted with the object's FormatCode and FormatText (ExpandValue).
    std::function<QString(const QString& expression, int32_t formatCode, const QString& formatText)>
        ExpandValue;
    // Called when a report is created, after it installed its resolver.
    std::function<void(TvxReport&)> InstallResolver;
    // designer: told after a template was loaded or saved.
    std::function<void(TvxReport&)> TemplateChanged;
};

ReportHooks& reportHooks();

} // namespace vx
