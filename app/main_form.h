#pragma once

// TMainForm: the viewer's small main window. It holds the report component
// and, when first shown, runs the start-up flow: open the prepared report
// named by the first argument in the preview, or prepare the report's own
// (empty) template and preview it; then close, which ends the program.

#include "platform/component.h"

#include <QStringList>
#include <QWidget>

namespace vx {

class TvxReport;

class TMainForm : public QWidget, public Component {
    Q_OBJECT
public:
    // `arguments` as the program received them (argument 0 the program).
    explicit TMainForm(const QStringList& arguments, QWidget* parent = nullptr);
    ~TMainForm() override;

    QString className() const override { return QStringLiteral("TMainForm"); }

    TvxReport* vxReport1() const { return report_; }
    const QStringList& arguments() const { return arguments_; }

    // The start-up flow (the show handler). Errors from loading the file go
    // to the application's general error handler and leave the window open.
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QStringList arguments_;
    TvxReport* report_ = nullptr; // owned through the component tree
    bool shown_ = false;
};

} // namespace vx
