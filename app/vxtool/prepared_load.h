#pragma once

// Shared by the vxtool commands that read a prepared report.

#include "report/emf_pages.h"
#include "report/printer_settings.h"

#include <QString>

#include <memory>

namespace vx::tool {

// Loads F.vxp (raises the reading error of a damaged or missing file).
inline void loadPrepared(TvxEMFPages& pages, const QString& fileName) {
    LoadPreparedPages(pages, fileName);
}

// Loads F.vxp for commands that only draw its pages' pictures (render,
// diff): the pictures and their sizes do not depend on the printers, so the
// stored printer is not looked up among the system's printers and the
// pages' metrics are those of the pseudo printer. Asking the system's
// printers loads the printing support with its libraries and contacts the
// print server, which took longer than drawing a page.
inline void loadPreparedPictures(TvxEMFPages& pages, const QString& fileName) {
    auto pseudo = std::make_shared<TPrinterSettings>();
    PreparedPrinterAccess& access = preparedPrinterAccess();
    const PreparedPrinterAccess saved = access;
    access.SelectStoredPrinter = [](TvxReport*, const QString&) {};
    access.PageMetricsFor = [pseudo](int32_t code, int32_t width, int32_t height,
                                     uint8_t orientation) {
        pseudo->SetPaper(code, width, height, orientation);
        PageMetrics m;
        pseudo->GetPageMetrics(m);
        return m;
    };
    try {
        LoadPreparedPages(pages, fileName);
    } catch (...) {
        preparedPrinterAccess() = saved;
        throw;
    }
    preparedPrinterAccess() = saved;
}

// "--page N" (from 1); 0 when absent, -1 when not a valid number.
inline int takePageOption(QStringList& args, bool* present) {
    QString value;
    *present = takeOption(args, QStringLiteral("--page"), &value);
    if (!*present)
        return 0;
    bool ok = false;
    const int n = value.toInt(&ok);
    return ok && n >= 1 ? n : -1;
}

} // namespace vx::tool
