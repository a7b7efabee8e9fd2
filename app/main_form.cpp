#include "app/main_form.h"

#include "platform/database.h"
#include "platform/errors.h"
#include "platform/fonts.h"
#include "platform/message_box.h"
#include "report/report.h"
#include "report/report_file_kind.h"
#include "report/sql_connection.h"

#include <QFile>
#include <QImage>

#include <QApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <QPalette>

namespace vx {

namespace {

// The add-in object kinds and the designer the program carries; they hold
// no settings of their own.
struct PlainComponent {
    const char* name;
    const char* className;
};
constexpr PlainComponent kAddInComponents[] = {
    {"vxRichObject1", "TvxRichObject"},
    {"vxShapeObject1", "TvxShapeObject"},
    {"vxCodeBarreObject1", "TvxCodeBarreObject"},
    {"vxGraphObject1", "TvxGraphObject"},
    {"vxOLEObject1", "TvxOLEObject"},
    {"vxFramedMemoObject1", "TvxFramedMemoObject"},
    {"vxDesigner1", "TvxDesigner"},
};

// A template file larger than this is refused before it is read.
constexpr qint64 kMaxTemplateFileBytes = 256 * 1024 * 1024;

} // namespace

TMainForm::TMainForm(const QStringList& arguments, QWidget* parent)
    : QWidget(parent), Component(nullptr, QStringLiteral("MainForm"), ComponentKind::Form),
      arguments_(arguments) {
    setWindowTitle(QStringLiteral("KT - DIZEridiv"));
    move(192, 114);
    resize(222, 124);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button)); // the button-face colour
    setPalette(pal);
    setAutoFillBackground(true);
    FontSpec font;
    font.face = QStringLiteral("MS Sans Serif");
    font.height = -11; // 8 points at 96 dpi
    setFont(qfontFor(font));

    auto report = std::make_unique<TvxReport>();
    report->setName(QStringLiteral("vxReport1"));
    report->PixelsPerInch = 96;
    report_ = adopt(std::move(report));
    for (const PlainComponent& c : kAddInComponents) {
        auto component = std::make_unique<Component>(nullptr, QString::fromLatin1(c.name));
        component->setClassName(QString::fromLatin1(c.className));
        adopt(std::move(component));
    }
}

TMainForm::~TMainForm() {
    if (connection_)
        SetReportSQLConnection(report_, nullptr);
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // The flow opens a modal preview: run it once the window is up.
    QMetaObject::invokeMethod(
        this, [this] { FormShow(); }, Qt::QueuedConnection);
}

void TMainForm::loadTemplate(const QString& path, bool library) {
    const qsizetype db = arguments_.indexOf(QStringLiteral("--db"));
    if (db > 0 && db + 1 < arguments_.size()) {
        data_ = registerDatabaseModule(arguments_.at(db + 1));
        connection_ = std::make_unique<DatabaseSqlConnection>(data_->database());
        SetReportSQLConnection(report_, connection_.get());
    }
    QByteArray bytes;
    if (!library) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxTemplateFileBytes)
            throw VxError(QStringLiteral("Impossibile aprire il file \"%1\".").arg(path));
        bytes = file.readAll();
    }
    // The load reports a damaged template in its own box and goes on; its
    // boxes are collected and shown after it, and after an error nothing is
    // prepared (the window stays, as for a damaged prepared report).
    std::vector<RecordedMessage> messages;
    {
        MessageBoxInterceptor boxes;
        try {
            if (library) {
                QStringList description;
                QImage picture;
                report_->LoadTemplateFile(path, description, picture, true);
            } else {
                report_->LoadFromBytes(bytes);
            }
        } catch (...) {
            messages = boxes.messages();
            for (const RecordedMessage& m : messages)
                showMessage(m.caption, m.text, m.icon, m.buttons);
            throw;
        }
        messages = boxes.messages();
    }
    bool failed = false;
    for (const RecordedMessage& m : messages) {
        showMessage(m.caption, m.text, m.icon, m.buttons);
        failed = failed || m.icon == MessageIcon::Error;
    }
    if (failed)
        throw VxAbort();
}

void TMainForm::FormShow() {
    // The first argument counts ("--db FILE|URL" may follow it); the
    // platform has already removed the quotes around a path with blanks.
    const QString path = arguments_.value(1);
    const bool existing = !path.isEmpty() && QFileInfo(path).isFile();
    const bool finished = runGuarded([&] {
        const ReportFileKind kind =
            existing ? detectReportFileKind(path) : ReportFileKind::Prepared;
        if (existing && kind == ReportFileKind::Prepared) {
            report_->LoadPreparedFile(path);
            report_->OpenPreview();
        } else if (existing) {
            loadTemplate(path, kind == ReportFileKind::TemplateLibrary);
            report_->PrepareAndShow();
        } else {
            // No argument, an empty one, or no such file: not an error.
            report_->PrepareAndShow();
        }
    });
    // After an error the rest of the flow is skipped: the window stays
    // until the user closes it.
    if (finished)
        close();
}

} // namespace vx
