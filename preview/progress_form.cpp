#include "preview/progress_form.h"

#include "platform/process_state.h"
#include "report/report.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <memory>

namespace vx {

namespace {

// The progress window's part of the library state: the shared window,
// created on first use.
struct ProgressFormState : DefaultResetPart<ProgressFormState> {
    std::unique_ptr<TProgressForm> form;
};

std::unique_ptr<TProgressForm>& formSlot() {
    return libraryState().part<ProgressFormState>().form;
}

} // namespace

TProgressForm::TProgressForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint) {
    setObjectName(QStringLiteral("ProgressForm"));
    setModal(true);
    setFixedSize(278, 106);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(20, 32, 237, Label1->sizeHint().height());
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Button1 = new QPushButton(QStringLiteral("&Annulla"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(100, 68, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TProgressForm::~TProgressForm() = default;

int TProgressForm::Show(TvxReport* report) {
    report_ = report;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QMetaObject::invokeMethod(
        this, [this] { runStart(); }, Qt::QueuedConnection);
    return exec();
}

void TProgressForm::runStart() {
    if (StartAction)
        StartAction(*this);
}

void TProgressForm::Button1Click() {
    if (report_)
        report_->Terminated = true;
    done(QDialog::Rejected + 2); // modal result cancel (2)
}

TProgressForm& ProgressForm() {
    auto& form = formSlot();
    if (!form)
        form = std::make_unique<TProgressForm>();
    return *form;
}

void FreeProgressForm() {
    formSlot().reset();
}

void ReportProgress(TvxReport& report, int n) {
    if (report.OnProgress) {
        report.OnProgress(n);
        return;
    }
    if (!report.ShowProgress)
        return;
    TProgressForm& form = ProgressForm();
    form.Label1->setText(form.LabelText + QStringLiteral("  ") + QString::number(n));
    QApplication::processEvents();
}

} // namespace vx
