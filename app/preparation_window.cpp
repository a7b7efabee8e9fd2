#include "app/preparation_window.h"

#include "engine/engine_hooks.h"
#include "preview/progress_form.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>

#include <exception>

namespace vx {

namespace {

// TProgressForm's modal results.
constexpr int kResultOk = QDialog::Accepted;
constexpr int kResultCancel = QDialog::Rejected + 2;

bool showModal(TvxReport& report, const QString& caption, const QString& label,
               const std::function<void()>& work) {
    TProgressForm& form = ProgressForm();
    form.setWindowTitle(caption);
    form.LabelText = label;
    form.Label1->setText(label);
    // An exception of the work leaves the modal loop and reaches the caller
    // once the window is closed.
    std::exception_ptr failure;
    form.StartAction = [&work, &failure](TProgressForm& f) {
        QApplication::processEvents();
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
            if (f.isVisible())
                f.done(kResultCancel);
        }
    };
    const int result = form.Show(&report);
    form.StartAction = nullptr;
    if (failure)
        std::rethrow_exception(failure);
    return result != kResultCancel;
}

} // namespace

void installPreparationWindow() {
    ProgressWindow& window = progressWindow();
    window.ShowModal = showModal;
    window.IsVisible = [] { return ProgressForm().isVisible(); };
    window.SetLabel = [](const QString& label) { ProgressForm().Label1->setText(label); };
    window.Close = [](bool cancelled) {
        TProgressForm& form = ProgressForm();
        if (form.isVisible())
            form.done(cancelled ? kResultCancel : kResultOk);
    };
}

} // namespace vx
