#include "preview/progress_filter_form.h"

#include "preview/pdf_export.h"
#include "report/emf_pages.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace vx {

TProgressFilterForm::TProgressFilterForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("ProgressFilterForm"));
    setModal(true);
    setWindowTitle(QStringLiteral("Esportazione..."));
    setFixedSize(278, 112);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(20, 12, 237, 16);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(20, 36, 237, 18);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    Button1 = new QPushButton(QStringLiteral("&Annulla"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(100, 72, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TProgressFilterForm::~TProgressFilterForm() = default;

int TProgressFilterForm::Execute(TvxExportFilter& filter, TvxEMFPages& pages,
                                 const QString& description) {
    filter_ = &filter;
    pages_ = &pages;
    cancelled_ = false;
    exported_ = 0;
    failure_ = nullptr;
    Label1->setText(description);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    // The export runs inside the modal loop, so the window is on screen
    // and its button answers between pages.
    QMetaObject::invokeMethod(
        this, [this] { run(); }, Qt::QueuedConnection);
    exec();
    filter_ = nullptr;
    pages_ = nullptr;
    if (failure_) {
        std::exception_ptr failure = failure_;
        failure_ = nullptr;
        std::rethrow_exception(failure);
    }
    return exported_;
}

void TProgressFilterForm::run() {
    if (!filter_ || !pages_ || running_)
        return;
    running_ = true;
    try {
        const int count = pages_->Count();
        ProgressBar1->setMaximum(count > 0 ? count : 1);
        for (int i = 0; i < count && !cancelled_; ++i) {
            filter_->ExportPage(i);
            ++exported_;
            ProgressBar1->setValue(exported_);
            QApplication::processEvents();
        }
        filter_->Finish();
    } catch (...) {
        failure_ = std::current_exception();
    }
    running_ = false;
    done(cancelled_ ? 2 : QDialog::Accepted);
}

void TProgressFilterForm::Button1Click() {
    // The page in progress is completed; the loop stops before the next.
    cancelled_ = true;
    if (!running_ && isVisible())
        done(2);
}

} // namespace vx
