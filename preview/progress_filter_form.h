#pragma once

// TProgressFilterForm: the window shown while the preview exports the
// prepared pages through an export filter. It runs the export inside its
// own modal loop, one page at a time, and advances its bar by one page
// each time; "&Annulla" stops the export after the page in progress, and
// the filter then finishes with the pages done so far.

#include <QDialog>
#include <QString>

#include <exception>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vx {

class TvxEMFPages;
class TvxExportFilter;

class TProgressFilterForm : public QDialog {
    Q_OBJECT
public:
    explicit TProgressFilterForm(QWidget* parent = nullptr);
    ~TProgressFilterForm() override;

    // Shows the window modally with `description` in its label and exports
    // every page of `pages` through `filter` (already started), then lets
    // the filter finish and closes. Returns the number of pages exported.
    // An exception of the filter closes the window and is passed on.
    int Execute(TvxExportFilter& filter, TvxEMFPages& pages, const QString& description);

    // The cancel button: the export stops after the page in progress.
    void Button1Click();
    bool Cancelled() const { return cancelled_; }
    // Esc and the window's close box act as the button.
    void reject() override { Button1Click(); }

    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* Button1 = nullptr;

private:
    void run();

    TvxExportFilter* filter_ = nullptr;
    TvxEMFPages* pages_ = nullptr;
    bool cancelled_ = false;
    bool running_ = false;
    int exported_ = 0;
    std::exception_ptr failure_;
};

} // namespace vx
