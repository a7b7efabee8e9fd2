#pragma once

// TMainForm: the viewer's small main window. It holds the report component
// and, when first shown, runs the start-up flow: open the prepared report
// named by the first argument in the preview; or load the template (or
// template library) it names, over the database of "--db FILE|URL", prepare
// it and preview it; or prepare the report's own (empty) template and
// preview it; then close, which ends the program. The file's content decides
// what it is (report/report_file_kind.h).

#include "platform/component.h"

#include <QStringList>
#include <QWidget>

#include <memory>

namespace vx {

class TvxReport;
class DatabaseModule;
class DatabaseSqlConnection;

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
    // Loads the template or library `path` into the report, with the
    // database of "--db" registered as the data module "Dati".
    void loadTemplate(const QString& path, bool library);

    QStringList arguments_;
    TvxReport* report_ = nullptr; // owned through the component tree
    std::unique_ptr<DatabaseModule> data_;
    std::unique_ptr<DatabaseSqlConnection> connection_;
    bool shown_ = false;
};

} // namespace vx
