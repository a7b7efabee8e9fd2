#pragma once

// Shared by the vxtool commands that read a report template.

#include <QString>
#include <QTextStream>

namespace vx {
class TvxReport;
}

namespace vx::tool {

// Loads a template (".vxf", or the pages of a template library ".vxt"),
// writing the boxes the load shows to `err` as "CAPTION: TEXT" (an error the
// load raises as "Errore: TEXT"), carriage returns removed. True when the
// load ended without an error box or an error.
bool loadTemplate(TvxReport& report, const QString& fileName, QTextStream& err);

} // namespace vx::tool
