#pragma once

// TProgressForm: the one progress window of the program, shown modally
// while a report is prepared or printed. Show runs the start action inside
// the window's modal loop, so the window stays visible while the work is
// done; "&Annulla" sets the report's Terminated.

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;

namespace vx {

class TvxReport;

class TProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TProgressForm(QWidget* parent = nullptr);
    ~TProgressForm() override;

    // Remembers the report, queues the start action and shows the window
    // modally; returns the modal result (1 OK, 2 cancel).
    int Show(TvxReport* report);
    // The cancel button: Terminated set, modal result cancel.
    void Button1Click();

    TvxReport* Report() const { return report_; }

    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;
    // The work to run once the window is shown.
    std::function<void(TProgressForm&)> StartAction;
    // The prefix of the progress text.
    QString LabelText;

private:
    void runStart();

    TvxReport* report_ = nullptr;
};

// The program's progress window (created on first use).
TProgressForm& ProgressForm();
// Shutdown: frees the window.
void FreeProgressForm();

// The report's progress: OnProgress(n) when assigned; otherwise, with
// ShowProgress, the window's label shows LabelText + "  " + n and pending
// events are processed.
void ReportProgress(TvxReport& report, int n);

} // namespace vx
