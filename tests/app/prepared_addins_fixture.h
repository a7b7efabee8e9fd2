#pragma once

// Add-in objects in prepared reports: the engine's test fixture with the
// add-in classes registered, objects of any class placed on a template
// page, and the pages rasterised or decoded where the tools are installed.

#include "addins/register_addins.h"
#include "tests/engine/engine_fixture.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

namespace vx::test {

class PreparedAddIns : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        RegisterAddIns();
    }

    // An object of class T at (left, top), width x height, with `lines`.
    template <class T>
    T* add(int left, int top, int width, int height, const QStringList& lines = {}) {
        auto view = std::make_unique<T>(report.get());
        view->Left = left;
        view->Top = top;
        view->Width = width;
        view->Height = height;
        if (!lines.isEmpty())
            view->Lines = lines;
        T* raw = view.get();
        page().Add(std::move(view));
        return raw;
    }

    // The detail of the preparation error: the line after the first.
    static QString errorDetail() { return ErrorText.section(QChar(13), 1, 1); }
    // A file name in the test's own folder.
    QString tempPath(const QString& name) const { return files_.filePath(name); }

private:
    QTemporaryDir files_;
};

inline bool haveTool(const char* name) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

// What zbarimg reads in `image` (one symbol per line), empty when nothing.
inline QString zbarRead(const QImage& image, const QString& file) {
    if (!image.save(file))
        return {};
    QProcess p;
    p.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), file});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace vx::test
