#include "app/application.h"

#include "app/library_init.h"
#include "app/main_form.h"
#include "platform/message_box.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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

// Qt's own dialogs (file and print dialogs) speak Italian like the rest of
// the program; without the translation files they stay in English.
void installQtTranslation(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

} // namespace

int runApplication(int argc, char** argv) {
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("DIZEridiv"));
    setApplicationTitle(QStringLiteral("DIZEridiv"));
    installQtTranslation(app);
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
