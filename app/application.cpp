#include "app/application.h"

#include "app/library_init.h"
#include "app/main_form.h"
#include "platform/message_box.h"

#include <QApplication>

namespace vx {

namespace {

// The application object: an exception that leaves an event handler goes to
// the general error handler (its message in a box), and the message loop
// goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            handleApplicationException(std::current_exception());
            return false;
        }
    }
};

} // namespace

int runApplication(int argc, char** argv) {
    Application app(argc, argv);
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
