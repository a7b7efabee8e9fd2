// Templates holding rich text and OLE objects through the command-line tool:
// they load without messages and are copied byte for byte.

#include "addins/ole/ole_view.h"
#include "addins/richtext/rich_view.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/report.h"
#include "tests/app/vxtool_fixture.h"
#include "tests/support/compound_file.h"

#include <QFile>
#include <QTemporaryDir>

namespace vx::test {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class VxtoolRichText : public VxtoolTest {
protected:
    void SetUp() override {
        VxtoolTest::SetUp();
        RegisterOleAddIn();
        RegisterRichTextAddIn();
    }
};

TEST_F(VxtoolRichText, TemplateWithRichTextAndOleIsCopiedByteForByte) {
    TvxReport report;
    auto rich = std::make_unique<TvxRichView>(&report);
    rich->RichText.load("{\\rtf1{\\*\\generator X;}Gentile \\b [Cliente]\\b0\\par}");
    auto ole = std::make_unique<TvxOLEView>(&report);
    ole->SetObject(
        ole::makeContainerStream(makeCompoundFile({{QByteArray("\x01"
                                                               "CompObj",
                                                               8),
                                                    makeCompObj("Foglio", "Excel.Sheet.8")}})));
    report.Pages->Pages(0).Add(std::move(rich));
    report.Pages->Pages(0).Add(std::move(ole));
    const QString in = dir.filePath(QStringLiteral("lettera.vxf"));
    const QString out = dir.filePath(QStringLiteral("copia.vxf"));
    report.SaveToFile(in);

    const VxtoolResult check = runVxtool({QStringLiteral("template"), QStringLiteral("check"), in});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.err.toStdString(), "");
    const VxtoolResult copy =
        runVxtool({QStringLiteral("template"), QStringLiteral("copy"), in, out});
    EXPECT_EQ(copy.exitCode, 0) << copy.err.toStdString();
    EXPECT_EQ(readAll(out), readAll(in));
}

} // namespace
} // namespace vx::test
