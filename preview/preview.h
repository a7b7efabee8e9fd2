#pragma once

// TvxPreview: the base of preview windows. It knows the report whose
// prepared pages it shows (the caller's, or a private copy it owns) and
// plays one page into a rectangle (DrawPage), which printing also uses.
// The preview class is registered at start-up (RegisterPreviewClass); the
// report's OpenPreview and printing create their windows from PreviewClass.

#include "platform/canvas.h"
#include "preview/preview_geometry.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace vx {

class TvxReport;

class TvxPreview : public QWidget {
    Q_OBJECT
public:
    explicit TvxPreview(QWidget* parent = nullptr);
    ~TvxPreview() override;

    // Plays page `pageIndex` (from 0) of the shown report into `rect`
    // (edges; right and bottom exclusive) on `dc`.
    virtual void DrawPage(Canvas& dc, int pageIndex, const EdgeRect& rect);

    // The report shown: the caller's (ModalPreview) or a private copy.
    TvxReport* report() const { return report_; }
    void setReport(TvxReport* report); // the caller's report
    void setPrivateReport(std::unique_ptr<TvxReport> copy);
    bool reportIsCallers() const { return reportIsCallers_; }
    void setReportIsCallers(bool callers) { reportIsCallers_ = callers; }

signals:
    // The window was hidden (closed); a modal OpenPreview returns on it.
    void hidden();

protected:
    // After the standard handling: a private copy is freed, and a window of
    // OpenPreviews leaves the list and releases itself once its pending
    // events ran.
    void hideEvent(QHideEvent* event) override;

private:
    TvxReport* report_ = nullptr;
    std::unique_ptr<TvxReport> ownCopy_;
    bool reportIsCallers_ = true;
};

// The factory of the preview class in use.
using PreviewFactory = std::function<TvxPreview*()>;
PreviewFactory& PreviewClass();
void RegisterPreviewClass(PreviewFactory factory);

// The preview windows OpenReportPreview opened and that are still open, in
// the order they were opened. The list owns them: a window leaves it when it
// is closed (and then deletes itself once its pending events ran) or
// deleted; the guards turn null should a window be deleted some other way,
// so nothing is ever deleted twice.
std::vector<QPointer<TvxPreview>>& OpenPreviews();
// Shutdown: frees every window still open.
void FreeOpenPreviews();

// The body of TvxReport::OpenPreview: caption "Anteprima" (" - " Title),
// a window from PreviewClass; modal and maximised on the report itself when
// ModalPreview is set, otherwise stay-on-top on a private copy of the pages
// (the call returns at once).
void OpenReportPreview(TvxReport& report);

// The preview's module initialisation: registers TStandardPreview as the
// preview class and installs OpenPreview on the report. Idempotent.
void initPreviewModule();

} // namespace vx
