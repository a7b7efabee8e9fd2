// Writes the fuzzing seeds of the template reader (fuzz/corpus/template/)
// when VX_WRITE_FUZZ_SEEDS is set; otherwise checks that the seeds load.
#include "report_fixture.h"
#include "template_builder.h"

#include "report/band_view.h"
#include "report/memo_view.h"
#include "report/picture_view.h"
#include "report/report.h"
#include "report/subreport_view.h"
#include "report/values.h"
#include "tests/support/paths.h"

#include <QDir>
#include <QFile>

namespace vx::test {
namespace {

class TemplateSeeds : public ReportTest {};

QByteArray currentSeed() {
    TvxReport report;
    report.Pages->Add();
    auto band = std::make_unique<TvxBandView>(&report);
    band->SetBandType(btMasterData);
    band->FormatText = "Righe";
    band->Top = 60;
    band->Height = 20;
    report.Pages->Pages(0).Add(std::move(band));
    auto memo = std::make_unique<TvxMemoView>(&report);
    memo->Top = 62;
    memo->Width = 200;
    memo->Height = 16;
    memo->Lines = {"[Righe.descrizione]", "Totale: [SUM(x)]"};
    memo->HighlightOn = true;
    memo->HighlightCondition = "[x] > 1";
    report.Pages->Pages(0).Add(std::move(memo));
    auto picture = std::make_unique<TvxPictureView>(&report);
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::green);
    picture->Picture = PictureHolder::fromImage(image);
    report.Pages->Pages(1).Add(std::move(picture));
    auto sub = std::make_unique<TvxSubReportView>(&report);
    sub->SubPage = 1;
    report.Pages->Pages(0).Add(std::move(sub));
    const int v = report.Values->AddValue();
    report.Values->SetName(v, "x");
    report.Values->Items(v)->Kind = vkSpecial;
    report.Values->Items(v)->SpecialCode = svPageNo;
    report.Variables = {"Gruppo", " x"};
    return report.SaveToBytes();
}

QByteArray version21Seed() {
    StreamBuilder s;
    s.b16(true).b16(false).oldList({"Stampante"}).page(false);
    s.u8(0).u8(0).commonOld(100, 50, 100, 20, true, {"uno", "due"}).memoPart(true);
    s.u8(2).u8(0).commonOld(0, 40, 700, 30, true, {});
    s.u8(254).i32(0).oldList({"Cat"});
    return s.bytes;
}

QByteArray version23Seed() {
    StreamBuilder s;
    s.u8(23).i32(1).u8(0).shortString("Lista").u8(0).u8(2).u16(0).i32(5);
    s.b16(false).b16(true).b16(true).b16(true).oldList({"P"}).page(false);
    s.u8(0).u8(0).commonOld(0, 0, 100, 10, true, {"x"}).u8(1).shortString("Titolo");
    s.memoPart(true);
    return s.bytes;
}

TEST_F(TemplateSeeds, SeedsLoadWithoutMessages) {
    const std::pair<const char*, QByteArray> seeds[] = {
        {"current.vxf", currentSeed()},
        {"version21.vxf", version21Seed()},
        {"version23.vxf", version23Seed()},
    };
    const bool write = qEnvironmentVariableIsSet("VX_WRITE_FUZZ_SEEDS");
    const QString folder = sourceDir() + "/fuzz/corpus/template";
    for (const auto& [name, bytes] : seeds) {
        TvxReport report;
        report.LoadFromBytes(bytes);
        EXPECT_TRUE(messages().empty()) << name;
        EXPECT_FALSE(report.Pages->Pages(0).Objects.empty()) << name;
        if (write) {
            QDir().mkpath(folder);
            QFile file(folder + "/" + name);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
    }
}

} // namespace
} // namespace vx::test
