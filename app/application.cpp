#include "app/application.h"

#include "app/library_init.h"
#include "app/main_form.h"
#include "platform/message_box.h"

#include <QApplication>

namespace vx {

int runApplication(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("DIZEridiv"));
    setApplicationTitle(QStringLiteral("DIZEridiv"));
    initLibrary();
    int result = 0;
    {
        TMainForm form(QApplication::arguments());
        form.show();
        // Closing the main form (the last window) ends the message loop.
        result = app.exec();
    }
    shutdownLibrary();
    return result;
}

} // namespace vx
