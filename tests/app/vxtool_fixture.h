#pragma once

// The set-up of the tests that run vxtool as a separate program: the report
// model's fresh state, a temporary folder for the files the test writes,
// and a runtime folder for Qt, whose notice about a missing one would
// otherwise land on stderr, where the commands' own messages go.

#include "tests/report/report_fixture.h"
#include "tests/support/vxtool_run.h"

#include <QTemporaryDir>

#include <string>

namespace vx::test {

inline void ensureRuntimeDir() {
    static QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
}

// Text compared as std::string, so that failures print readably.
inline std::string s(const QString& text) {
    return text.toStdString();
}

class VxtoolTest : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        ensureRuntimeDir();
    }
    // A file of the test's folder.
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    QTemporaryDir dir;
};

} // namespace vx::test
