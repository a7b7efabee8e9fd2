// Template streams of every older version with a version byte (22 to 26),
// built byte by byte: which fields each version has, the string-list layout,
// bounds scaling, and the dataset names of version-22 data bands.
#include "report_fixture.h"
#include "template_builder.h"

#include "platform/component.h"
#include "platform/database.h"
#include "report/dataset.h"
#include "report/memo_view.h"
#include "report/report.h"

namespace vx::test {
namespace {

class TemplateVersions : public ReportTest {};

// A stream of `version`: one dataset record (versions 23 and later; a
// database dataset on Dati.clienti, named Clienti), one page, a master data
// band naming `bandDataSet`, a text object at 100,50 sized 100x20 with two
// lines, and one variable line.
QByteArray streamOf(int version, const QByteArray& bandDataSet) {
    const bool oldLists = version <= 25;
    StreamBuilder s;
    auto list = [&](const QList<QByteArray>& lines) {
        if (oldLists)
            s.oldList(lines);
        else
            s.list(lines);
    };
    s.u8(uint8_t(version));
    if (version >= 23) {
        s.i32(1).u8(1).shortString("Dati.clienti");
        if (version >= 27)
            s.u8(1).shortString("[saldo] > 0");
        s.shortString("Clienti").u8(1).u8(2).u16(0).i32(4);
    }
    s.b16(false).b16(true);
    if (version >= 23)
        s.b16(true).b16(true);
    list({"Stampante"});
    s.page(false);
    if (version >= 25)
        s.i32(90).i32(80); // zoom

    // Band object: FrameLines holds the band type, FormatText the dataset.
    s.u8(2).u8(0).i32(0).i32(10).i32(700).i32(30).u16(0).u16(5).i32(1).i32(0).u16(0);
    s.i32(0x1FFFFFFF).i32(0);
    list({bandDataSet});
    list({});
    if (version >= 23)
        s.u8(1).shortString("Banda");
    // Text object.
    s.u8(0).u8(0).commonOld(100, 50, 100, 20, oldLists, {"uno", "due"});
    if (version >= 23)
        s.u8(0).shortString("Testo");
    s.memoPart(oldLists);
    s.u8(254).i32(0);
    list({"Cat"});
    return s.bytes;
}

TEST_F(TemplateVersions, EachVersionReadsItsOwnFields) {
    Component dati(nullptr, QStringLiteral("Dati"), ComponentKind::DataModule);
    registerModule(&dati);
    TableDataSet clienti(&dati);
    clienti.setName(QStringLiteral("clienti"));
    struct Case {
        int version;
        int datasets;
        bool collate;
        int zoom;
        int left, width; // scaled below version 24
        const char* name;
        uint8_t visible;
    } cases[] = {
        {22, 0, false, 100, 103, 103, "Memo1", 1}, {23, 1, true, 100, 103, 103, "Testo", 0},
        {24, 1, true, 100, 100, 100, "Testo", 0},  {25, 1, true, 90, 100, 100, "Testo", 0},
        {26, 1, true, 90, 100, 100, "Testo", 0},   {27, 1, true, 90, 100, 100, "Testo", 0},
    };
    for (const Case& c : cases) {
        clearMessages();
        TvxReport report;
        report.LoadFromBytes(streamOf(c.version, "Clienti"));
        EXPECT_EQ(FileVersion, c.version);
        // Version 22 names the dataset only in the band: nothing finds it.
        if (c.version == 22) {
            ASSERT_EQ(messages().size(), 1u);
            EXPECT_EQ(messages()[0].text,
                      QStringLiteral("Non è stato trovato il vxDataset: Clienti"));
        } else {
            EXPECT_TRUE(messages().empty()) << c.version;
        }
        EXPECT_EQ(report.DataSets.Count(), c.datasets) << c.version;
        if (c.datasets) {
            auto* db = dynamic_cast<TvxDBDataSet*>(report.DataSets.Find(QStringLiteral("Clienti")));
            ASSERT_NE(db, nullptr) << c.version;
            EXPECT_EQ(db->dataSetRef(), &clienti);
            EXPECT_EQ(db->RangeBegin, rbCurrent);
            EXPECT_EQ(db->RangeEnd, reCount);
            EXPECT_EQ(db->RangeEndCount, 4);
            // The filter exists from version 27 on.
            EXPECT_EQ(db->Filtered, c.version >= 27) << c.version;
            EXPECT_EQ(db->Filter, c.version >= 27 ? QStringLiteral("[saldo] > 0") : QString())
                << c.version;
        }
        EXPECT_TRUE(report.TwoPass);
        EXPECT_EQ(report.Collate, c.collate) << c.version;
        EXPECT_EQ(report.Repaginate, c.collate) << c.version;
        ASSERT_EQ(report.Pages->Count(), 1);
        const TvxPage& page = report.Pages->Pages(0);
        EXPECT_EQ(page.ZoomX, c.zoom) << c.version;
        EXPECT_EQ(page.ZoomY, c.zoom == 100 ? 100 : 80) << c.version;
        ASSERT_EQ(page.Count(), 2) << c.version;
        EXPECT_EQ(page.Object(0)->FormatText, QStringLiteral("Clienti"));
        EXPECT_EQ(page.Object(0)->FrameLines, 5);
        const TvxView* memo = page.Object(1);
        EXPECT_EQ(memo->Left, c.left) << c.version;
        EXPECT_EQ(memo->Width, c.width) << c.version;
        EXPECT_EQ(memo->Name, QString::fromUtf8(c.name)) << c.version;
        EXPECT_EQ(memo->Visible, c.visible) << c.version;
        EXPECT_EQ(memo->Lines, QStringList({"uno", "due"})) << c.version;
        EXPECT_EQ(report.Variables, QStringList({"Cat"})) << c.version;
        // Saved again, every version is a version-27 stream that reads the same.
        const QByteArray current = report.SaveToBytes();
        ASSERT_EQ(uint8_t(current[0]), 27);
        TvxReport again;
        again.LoadFromBytes(current);
        EXPECT_EQ(again.SaveToBytes(), current) << c.version;
        report.ClearDataSets();
        again.ClearDataSets();
    }
    unregisterModule(&dati);
}

// Version 22: each data band's dataset is looked up by name on the report's
// owner, then among the application's top-level components; a band whose
// name finds nothing gives one warning.
TEST_F(TemplateVersions, Version22DataBandsFindTheirDatasetsByName) {
    Component form(nullptr, QStringLiteral("Form1"), ComponentKind::Form);
    TvxDBDataSet onForm(&form);
    onForm.SetName(QStringLiteral("vxClienti"));
    TvxReport report(&form);
    report.LoadFromBytes(streamOf(22, "VXCLIENTI"));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(report.DataSets.Find(QStringLiteral("vxclienti")), &onForm);
    report.ClearDataSets();

    clearMessages();
    TvxReport lost(&form);
    lost.LoadFromBytes(streamOf(22, "Manca"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].caption, QStringLiteral("Attenzione"));
    EXPECT_EQ(messages()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(messages()[0].text, QStringLiteral("Non è stato trovato il vxDataset: Manca"));
    EXPECT_EQ(lost.Pages->Pages(0).Count(), 2) << "the template is kept";
}

} // namespace
} // namespace vx::test
