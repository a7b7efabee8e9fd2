// The preview window's file actions: opening a ".vxp" file into the shown
// report, saving the pages, the current page as ".emf", or an export.

#include "preview/standard_preview.h"

#include "platform/atomic_file.h"
#include "preview/pdf_export.h"
#include "report/emf_pages.h"
#include "report/report.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace vx {

namespace {

const QString kOpenTitle = QStringLiteral("Apre un report.");
const QString kOpenFilter = QStringLiteral("Report files (*.vxp)");
const QString kSaveTitle = QStringLiteral("Salva il report.");
const QString kSaveVxpFilter = QStringLiteral("Report file (*.vxp)");
const QString kSaveEmfFilter = QStringLiteral("Enhanced Meta File - File Grafico (*.emf)");

// Keeps the process's current folder across a file dialog.
class CurrentFolderGuard {
public:
    CurrentFolderGuard() : saved_(QDir::currentPath()) {}
    ~CurrentFolderGuard() { QDir::setCurrent(saved_); }

private:
    QString saved_;
};

} // namespace

void TStandardPreview::OpenReport() {
    ApplyZoomText();
    const CurrentFolderGuard folder;
    QFileDialog dialog(this, kOpenTitle, QString(), kOpenFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QApplication::processEvents();
    OpenReportFile(dialog.selectedFiles().constFirst());
}

void TStandardPreview::OpenReportFile(const QString& fileName) {
    if (!report())
        return;
    try {
        report()->LoadPreparedFile(fileName);
    } catch (...) {
        // The pages read before the damage stay: the window must not keep
        // the layout of pages that are gone.
        lastZoom_ = 0;
        FormShow();
        throw;
    }
    lastZoom_ = 0;
    FormShow();
}

void TStandardPreview::SaveReport() {
    ApplyZoomText();
    const CurrentFolderGuard folder;
    QFileDialog dialog(this, kSaveTitle);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters = saveDialogFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.constFirst());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QApplication::processEvents();
    const int type = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    SaveReportFile(dialog.selectedFiles().constFirst(), type < 1 ? 1 : type);
}

QStringList TStandardPreview::saveDialogFilters() {
    QStringList filters{kSaveVxpFilter, kSaveEmfFilter};
    for (const TvxExportFilterInfo& f : ExportFilters())
        filters << f.NameFilter();
    return filters;
}

QString TStandardPreview::emfFileName(const QString& chosen) {
    const qsizetype p = chosen.toUpper().indexOf(QStringLiteral(".EMF"));
    if (p >= 0 && p + 4 == chosen.size())
        return chosen;
    return chosen + QStringLiteral(".emf");
}

void TStandardPreview::SaveReportFile(const QString& fileName, int filterIndex) {
    if (!report())
        return;
    if (filterIndex == 1) {
        report()->SavePreparedFile(fileName);
        return;
    }
    if (filterIndex == 2) {
        const int index = currentPage_ - 1;
        if (index < 0 || index >= report()->PreparedPages->Count())
            return;
        const emf::EmfPicture& picture = report()->PreparedPages->Pages(index).Picture;
        QByteArray bytes = picture.bytes();
        if (!picture.isNull() && picture.header().bytes <= uint32_t(bytes.size()))
            bytes.truncate(qsizetype(picture.header().bytes));
        writeFileAtomically(emfFileName(fileName), bytes);
        return;
    }
    // The registered export filters follow the two built-in types.
    const std::vector<TvxExportFilterInfo>& exportFilters = ExportFilters();
    const int filter = filterIndex - 3;
    if (filter >= 0 && filter < int(exportFilters.size())) {
        // A copy: the table may grow while the export window runs.
        const TvxExportFilterInfo info = exportFilters[size_t(filter)];
        ExportReport(*report(), info, fileName, this);
    }
}

} // namespace vx
