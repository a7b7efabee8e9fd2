#pragma once

// What a report file holds, decided by its first bytes: a prepared report
// (".vxp"), a template (".vxf") or a template library (".vxt"). The
// extension decides only where the content does not (a damaged prepared
// report keeps being one, so its complete pages still open).

#include <QByteArray>
#include <QString>

namespace vx {

enum class ReportFileKind { Prepared, Template, TemplateLibrary };

// At most this many bytes of a file are read to decide.
inline constexpr qsizetype kFileKindProbeBytes = 1024 * 1024;

// The kind of the file whose first bytes are `head` (of a file of `size`
// bytes, named `fileName` for its extension).
ReportFileKind detectReportFileKind(const QByteArray& head, qint64 size, const QString& fileName);
// The same for a file on disk (unreadable: by its extension).
ReportFileKind detectReportFileKind(const QString& fileName);

} // namespace vx
