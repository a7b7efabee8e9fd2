#include "preview/preview.h"

#include "platform/emf/emf_player.h"
#include "platform/process_state.h"
#include "preview/standard_preview.h"
#include "report/emf_pages.h"
#include "report/report.h"
#include "report/report_hooks.h"

#include <QEventLoop>
#include <QHideEvent>
#include <QPointer>
#include <QScreen>

#include <algorithm>

namespace vx {

TvxPreview::TvxPreview(QWidget* parent) : QWidget(parent, Qt::Window) {}

TvxPreview::~TvxPreview() {
    auto& open = OpenPreviews();
    open.erase(std::remove_if(open.begin(), open.end(),
                              [this](const QPointer<TvxPreview>& w) { return !w || w == this; }),
               open.end());
}

void TvxPreview::DrawPage(Canvas& dc, int pageIndex, const EdgeRect& rect) {
    if (!report_ || !report_->PreparedPages || pageIndex < 0 ||
        pageIndex >= report_->PreparedPages->Count())
        return;
    emf::EmfPlayer player(report_->PreparedPages->Pages(pageIndex).Picture);
    player.play(dc, QRectF(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top));
}

void TvxPreview::setReport(TvxReport* report) {
    ownCopy_.reset();
    report_ = report;
}

void TvxPreview::setPrivateReport(std::unique_ptr<TvxReport> copy) {
    ownCopy_ = std::move(copy);
    report_ = ownCopy_.get();
}

void TvxPreview::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Minimising hides the window spontaneously: that is no close.
    if (event->spontaneous())
        return;
    if (!reportIsCallers_) {
        report_ = nullptr;
        ownCopy_.reset();
    }
    auto& open = OpenPreviews();
    const auto it = std::find(open.begin(), open.end(), this);
    // Only a window of the list (made by OpenPreview) is released here; a
    // window its creator owns stays for the creator to free.
    const bool listed = it != open.end();
    if (listed)
        open.erase(it);
    emit hidden();
    if (listed)
        deleteLater();
}

namespace {
// The previews' part of the library state: the registered preview class and
// the open preview windows, which a reset frees.
struct PreviewRegistry : LibraryStatePart {
    PreviewFactory factory;
    std::vector<QPointer<TvxPreview>> open;
    void reset() override {
        factory = nullptr;
        FreeOpenPreviews();
    }
};

PreviewRegistry& previewRegistry() {
    return libraryState().part<PreviewRegistry>();
}
} // namespace

PreviewFactory& PreviewClass() {
    return previewRegistry().factory;
}

void RegisterPreviewClass(PreviewFactory factory) {
    PreviewClass() = std::move(factory);
}

std::vector<QPointer<TvxPreview>>& OpenPreviews() {
    return previewRegistry().open;
}

void FreeOpenPreviews() {
    std::vector<QPointer<TvxPreview>> windows;
    windows.swap(OpenPreviews());
    // The list holds the windows OpenReportPreview made, and only those; a
    // guard already null is a window deleted elsewhere.
    for (const QPointer<TvxPreview>& w : windows)
        delete w.data();
}

void OpenReportPreview(TvxReport& report) {
    if (!PreviewClass())
        return;
    QString caption = QStringLiteral("Anteprima");
    if (!report.Title.isEmpty())
        caption += QStringLiteral(" - ") + report.Title;
    TvxPreview* window = PreviewClass()();
    OpenPreviews().push_back(window);
    window->setWindowTitle(caption);
    window->setReportIsCallers(report.ModalPreview);
    // Maximised; the screen's free area also where no window manager
    // maximises (a bare X server).
    if (QScreen* screen = window->screen())
        window->setGeometry(screen->availableGeometry());
    if (report.ModalPreview) {
        window->setReport(&report);
        window->setWindowModality(Qt::ApplicationModal);
        QEventLoop loop;
        QPointer<TvxPreview> guard(window);
        QObject::connect(window, &TvxPreview::hidden, &loop, &QEventLoop::quit);
        window->showMaximized();
        if (guard && guard->isVisible())
            loop.exec();
        return;
    }
    // The window works on its own copy, so that the caller may prepare the
    // report again or free it while the window stays open.
    auto copy = std::make_unique<TvxReport>();
    const QByteArray bytes = report.PreparedPages->SaveToBytes();
    copy->PreparedPages->LoadFromBytes(bytes);
    window->setPrivateReport(std::move(copy));
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window->showMaximized();
}

void initPreviewModule() {
    RegisterPreviewClass([] { return new TStandardPreview(); });
    reportHooks().OpenPreview = [](TvxReport& report) { OpenReportPreview(report); };
}

} // namespace vx
