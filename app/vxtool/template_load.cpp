#include "app/vxtool/template_load.h"

#include "platform/errors.h"
#include "platform/message_box.h"
#include "report/report.h"

#include <QImage>
#include <QStringList>

namespace vx::tool {

namespace {

void loadFile(TvxReport& report, const QString& fileName) {
    if (fileName.endsWith(QLatin1String(".vxt"), Qt::CaseInsensitive)) {
        QStringList description;
        QImage picture;
        report.LoadTemplateFile(fileName, description, picture, true);
    } else {
        report.LoadFromFile(fileName);
    }
}

} // namespace

bool loadTemplate(TvxReport& report, const QString& fileName, QTextStream& err) {
    MessageBoxInterceptor boxes;
    bool ok = true;
    try {
        loadFile(report, fileName);
    } catch (const VxError& e) {
        QString text = e.message();
        text.remove(QLatin1Char('\r'));
        err << "Errore: " << text << "\n";
        ok = false;
    } catch (const VxAbort&) {
        ok = false;
    }
    for (const RecordedMessage& m : boxes.messages()) {
        QString text = m.text;
        text.remove(QLatin1Char('\r'));
        err << m.caption << ": " << text << "\n";
        if (m.icon == MessageIcon::Error)
            ok = false;
    }
    return ok;
}

} // namespace vx::tool
