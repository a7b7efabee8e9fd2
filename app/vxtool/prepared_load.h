#pragma once

// Shared by the vxtool commands that read a prepared report.

#include "report/emf_pages.h"

#include <QString>

namespace vx::tool {

// Loads F.vxp (raises the reading error of a damaged or missing file).
inline void loadPrepared(TvxEMFPages& pages, const QString& fileName) {
    LoadPreparedPages(pages, fileName);
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
