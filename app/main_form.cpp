#include "app/main_form.h"

#include "platform/fonts.h"
#include "platform/message_box.h"
#include "report/report.h"

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

TMainForm::~TMainForm() = default;

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // The flow opens a modal preview: run it once the window is up.
    QMetaObject::invokeMethod(
        this, [this] { FormShow(); }, Qt::QueuedConnection);
}

void TMainForm::FormShow() {
    // Only the first argument counts; the platform has already removed the
    // quotes around a path with blanks.
    const QString path = arguments_.value(1);
    const bool existing = !path.isEmpty() && QFileInfo(path).isFile();
    const bool finished = runGuarded([&] {
        if (existing) {
            report_->LoadPreparedFile(path);
            report_->OpenPreview();
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
