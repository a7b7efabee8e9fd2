// The preview's save button on a real full file system, for each file type
// of its save dialog: the error box shows the Italian message and the file
// chosen keeps its previous bytes.

#include "platform/message_box.h"
#include "preview/pdf_export.h"
#include "preview/standard_preview.h"
#include "tests/preview/preview_fixtures.h"
#include "tests/support/full_disk.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace vx::test {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(illeggibile)");
}

// Answers the save dialog the button opens: the file and the type chosen.
void chooseInSaveDialog(const QString& file, const QString& type) {
    QTimer::singleShot(0, [file, type] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->selectNameFilter(type);
        dialog->selectFile(file);
        // No question about replacing the file: the answer would be yes.
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, public in QDialog
    });
}

TEST(PreviewFullDisk, SaveButtonShowsTheErrorAndKeepsThePreviousFile) {
    FullDisk disk;
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    if (ExportFilters().empty())
        RegisterPdfExportFilter();
    auto report = a4Report(2);
    QPointer<TStandardPreview> window = new TStandardPreview();
    window->setReport(report.get());
    window->show();

    const QStringList types = TStandardPreview::saveDialogFilters();
    struct Case {
        const char* name;
        int type; // position in the dialog's list, from 0
        QString message;
    };
    const std::vector<Case> cases = {
        {"stampa.vxp", 0, QStringLiteral("Impossibile salvare il file \"%1\".")},
        {"pagina.emf", 1, QStringLiteral("Impossibile salvare il file \"%1\".")},
        {"stampa.pdf", 2, QStringLiteral("Impossibile scrivere il file \"%1\".")},
    };
    ASSERT_EQ(types.value(2), QStringLiteral("Documento PDF (*.pdf)"));
    for (const Case& c : cases) {
        QFile f(disk.path(c.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("contenuto precedente di ") + c.name);
    }
    const QStringList before = disk.files();
    ASSERT_TRUE(disk.fill());

    auto* saveButton = window->findChild<QToolButton*>(QStringLiteral("SaveBtn"));
    ASSERT_TRUE(saveButton);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = disk.path(c.name);
        MessageBoxInterceptor boxes;
        chooseInSaveDialog(file, types.value(c.type));
        saveButton->click();
        ASSERT_EQ(boxes.messages().size(), 1u);
        EXPECT_EQ(boxes.messages()[0].text, c.message.arg(file));
        EXPECT_EQ(boxes.messages()[0].icon, MessageIcon::Error);
        EXPECT_EQ(readAll(file), QByteArray("contenuto precedente di ") + c.name);
        EXPECT_EQ(disk.files(), before) << "a temporary file was left behind";
    }
    delete window.data();
}

} // namespace
} // namespace vx::test
