// Test entry point shared by every test executable: a QApplication on the
// offscreen platform (unless a display is asked for) so that fonts, images,
// widgets and printers are available to the tests.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Printers come only from the run's private scheduler
    // (scripts/services/with_services.sh sets CUPS_SERVER to its socket).
    // Outside such a run the tests, and the programs they start, reach no
    // scheduler at all: never the system's printers, whose default and
    // papers would also change what the tests see.
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER"))
        qputenv("CUPS_SERVER", "/nonexistent/vx-tests-have-no-printers.sock");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
