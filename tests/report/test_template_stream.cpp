// Template streams: round trips, older versions, damaged streams.
#include "report_fixture.h"
#include "template_builder.h"

#include "platform/component.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "report/band_view.h"
#include "report/dataset.h"
#include "report/memo_view.h"
#include "report/picture_view.h"
#include "report/report.h"
#include "report/subreport_view.h"
#include "report/values.h"

namespace vx::test {
namespace {

const QString kLoadFailed = QString::fromUtf8(
    "Non è stato possibile terminare la fase di caricamento del report.\n\rProbabilmente il "
    "report è corrotto, o contiene componenti non inseriti all'interno del progetto.");

class TemplateStream : public ReportTest {};

// A template with two pages, each object class, a dataset, bindings and
// variables.
void buildSample(TvxReport& report) {
    report.TwoPass = true;
    report.Collate = true;
    TvxPage& second = report.Pages->Add();
    second.Margins = {1, 2, 3, 4};
    second.ColumnCount = 2;
    second.ColumnGap = 7;
    second.ZoomX = 90;
    second.PrintOnPreviousPage = true;

    auto band = std::make_unique<TvxBandView>(&report);
    band->SetBandType(btMasterData);
    band->FormatText = "Clienti";
    band->Left = 0;
    band->Top = 100;
    band->Width = 700;
    band->Height = 30;
    band->Flags = bfFitToContent;
    report.Pages->Pages(0).Add(std::move(band));

    auto memo = std::make_unique<TvxMemoView>(&report);
    memo->Left = 5;
    memo->Top = 105;
    memo->Width = 200;
    memo->Height = 20;
    memo->Lines = {"Totale: [SUM(x)]", QString::fromUtf8("Perché €"), ""};
    memo->FrameLines = frTop | frLeft;
    memo->FrameWidth = 3;
    memo->FrameColor = Color(255);
    memo->FillColor = Color(0xFFFFFF);
    memo->FormatText = "#,##0.00";
    memo->Font = {QStringLiteral("Times New Roman"), 12, fsBold | fsItalic, Color(0x00FF00)};
    memo->Alignment = 2 | 8;
    memo->HighlightStyle = fsBold | fsItalic;
    memo->HighlightCondition = "[x] > 3";
    memo->HighlightOn = true;
    memo->Visible = 0;
    memo->Rename("Importo");
    report.Pages->Pages(0).Add(std::move(memo));

    auto picture = std::make_unique<TvxPictureView>(&report);
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    picture->Picture = PictureHolder::fromImage(image);
    report.Pages->Pages(1).Add(std::move(picture));
    report.Pages->Pages(1).Add(std::make_unique<TvxPictureView>(&report)); // empty picture
    auto sub = std::make_unique<TvxSubReportView>(&report);
    sub->SubPage = 1;
    report.Pages->Pages(0).Add(std::move(sub));

    auto dataset = std::make_unique<TvxDataset>(nullptr);
    dataset->setName("Clienti");
    dataset->RangeEnd = reCount;
    dataset->RangeEndCount = 12;
    report.DataSets.Add("Clienti", std::move(dataset));

    const int i = report.Values->AddValue();
    report.Values->SetName(i, "Totale");
    report.Values->Items(i)->Kind = vkDataField;
    report.Values->Items(i)->DataSetName = "Clienti";
    report.Values->Items(i)->FieldName = "Importo";
    const int j = report.Values->AddValue();
    report.Values->SetName(j, "Formula");
    report.Values->Items(j)->Kind = vkSpecial;
    report.Values->Items(j)->SpecialCode = svExpression;
    report.Values->Items(j)->FieldName = "1+2";
    report.Variables = {"Generale", " Totale", " Formula"};
}

TEST_F(TemplateStream, RoundTripReproducesTheTemplate) {
    QByteArray saved;
    {
        TvxReport report;
        buildSample(report);
        saved = report.SaveToBytes();
    }
    EXPECT_EQ(uint8_t(saved[0]), 27);
    TvxReport copy;
    copy.LoadFromBytes(saved);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(FileVersion, 27);
    EXPECT_TRUE(copy.TwoPass);
    EXPECT_TRUE(copy.Collate);
    EXPECT_FALSE(copy.Repaginate);
    ASSERT_EQ(copy.Pages->Count(), 2);
    const TvxPage& second = copy.Pages->Pages(1);
    EXPECT_EQ(second.Margins, (PageMargins{1, 2, 3, 4}));
    EXPECT_EQ(second.ColumnCount, 2);
    EXPECT_EQ(second.ColumnGap, 7);
    EXPECT_EQ(second.ZoomX, 90);
    EXPECT_TRUE(second.PrintOnPreviousPage);

    const TvxPage& first = copy.Pages->Pages(0);
    ASSERT_EQ(first.Count(), 3);
    EXPECT_EQ(first.Object(0)->ClassName(), "TvxBandView");
    EXPECT_EQ(first.Object(0)->FormatText, "Clienti");
    EXPECT_EQ(first.Object(0)->FrameLines, btMasterData);
    const auto* memo = dynamic_cast<const TvxMemoView*>(first.Object(1));
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->Name, "Importo");
    EXPECT_EQ(memo->Lines, QStringList({"Totale: [SUM(x)]", QString::fromUtf8("Perché €"), ""}));
    EXPECT_EQ(memo->Font, (MemoFont{QStringLiteral("Times New Roman"), 12, 3, Color(0x00FF00)}));
    EXPECT_EQ(memo->HighlightStyle, fsBold | fsItalic);
    EXPECT_EQ(memo->HighlightCondition, "[x] > 3");
    EXPECT_TRUE(memo->HighlightOn);
    EXPECT_EQ(memo->Visible, 0);
    EXPECT_EQ(memo->Alignment, 10u);
    EXPECT_EQ(memo->FrameWidth, 3);
    EXPECT_EQ(memo->FillColor, Color(0xFFFFFFu));
    EXPECT_EQ(memo->FormatText, "#,##0.00");
    EXPECT_EQ(memo->Left, 5);
    const auto* sub = dynamic_cast<const TvxSubReportView*>(first.Object(2));
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->SubPage, 1);
    ASSERT_EQ(second.Count(), 2);
    const auto* picture = dynamic_cast<const TvxPictureView*>(second.Object(0));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Picture.kind, PictureHolder::Bitmap);
    EXPECT_EQ(picture->Picture.size(), QSize(4, 3));
    EXPECT_TRUE(dynamic_cast<const TvxPictureView*>(second.Object(1))->Picture.isEmpty());

    ASSERT_EQ(copy.DataSets.Count(), 1);
    const TvxDataset* dataset = copy.DataSets.Find("Clienti");
    ASSERT_TRUE(dataset);
    EXPECT_EQ(dataset->RangeEnd, reCount);
    EXPECT_EQ(dataset->RangeEndCount, 12);

    ASSERT_EQ(copy.Values->Count(), 2);
    EXPECT_EQ(copy.Values->Names(0), "Totale");
    EXPECT_EQ(copy.Values->Items(0)->FieldName, "Importo");
    EXPECT_EQ(copy.Values->Items(1)->SpecialCode, svExpression);
    EXPECT_EQ(copy.Variables, QStringList({"Generale", " Totale", " Formula"}));

    // Saving what was read gives the same bytes.
    EXPECT_EQ(copy.SaveToBytes(), saved);
}

TEST_F(TemplateStream, LongLinesAreCutWhenWritten) {
    TvxReport report;
    auto* memo = report.Pages->Pages(0).Add(std::make_unique<TvxMemoView>(&report));
    memo->Lines = {QString(2000, QLatin1Char('x'))};
    memo->Name = QString(300, QLatin1Char('n'));
    TvxReport copy;
    copy.LoadFromBytes(report.SaveToBytes());
    const TvxView* read = copy.Pages->Pages(0).Object(0);
    EXPECT_EQ(read->Lines, QStringList({QString(1024, QLatin1Char('x'))}));
    EXPECT_EQ(read->Name, QString(255, QLatin1Char('n')));
}

// Version 21: no version byte, old string lists, no datasets, no collate,
// no names, bounds scaled by 1123/1088, text objects wrap.
QByteArray version21Stream(bool printToCurrent) {
    StreamBuilder s;
    s.b16(printToCurrent).b16(false).oldList({"Stampante"});
    s.page(false);
    s.u8(0).u8(0).commonOld(100, 50, 100, 20, true, {"riga uno", "due\nsempre due", ""});
    s.memoPart(true);
    s.u8(254).i32(0).oldList({"Cat", " v"});
    return s.bytes;
}

TEST_F(TemplateStream, Version21StreamsAreReadFromTheStart) {
    for (bool printToCurrent : {false, true}) { // first byte 0 or 255
        TvxReport report;
        report.LoadFromBytes(version21Stream(printToCurrent));
        EXPECT_TRUE(messages().empty());
        EXPECT_EQ(FileVersion, 21);
        EXPECT_EQ(report.PrintToCurrentPrinter, printToCurrent);
        ASSERT_EQ(report.Pages->Count(), 1);
        EXPECT_EQ(report.Pages->Pages(0).ZoomX, 100);
        ASSERT_EQ(report.Pages->Pages(0).Count(), 1);
        const auto* memo = dynamic_cast<const TvxMemoView*>(report.Pages->Pages(0).Object(0));
        ASSERT_TRUE(memo);
        EXPECT_EQ(memo->Left, 103); // 100 * 1123 / 1088 = 103.2
        EXPECT_EQ(memo->Top, 52);   // 51.6
        EXPECT_EQ(memo->Width, 103);
        EXPECT_EQ(memo->Height, 21); // 20.6
        EXPECT_EQ(memo->Lines, QStringList({"riga uno", "due\nsempre due", ""}));
        EXPECT_EQ(memo->Name, "Memo1");
        EXPECT_EQ(memo->Visible, 1);
        EXPECT_TRUE(memo->WordWrap());
        EXPECT_EQ(report.Variables, QStringList({"Cat", " v"}));
        // Saved again it is a current stream.
        EXPECT_EQ(uint8_t(report.SaveToBytes()[0]), 27);
    }
}

TEST_F(TemplateStream, OldBoundsRoundHalvesToEven) {
    // 1088 * k / 1123 rounds exactly onto .5 for no integer; check values
    // around the scale instead, including negatives.
    struct Row {
        int32_t in, out;
    };
    const Row rows[] = {{0, 0}, {100, 103}, {-100, -103}, {1088, 1123}, {16, 17}, {-16, -17}};
    for (const Row& row : rows) {
        StreamBuilder s;
        s.u8(23).i32(0).b16(true).b16(false).b16(false).b16(false).oldList({});
        s.page(false);
        s.u8(3).u8(0).commonOld(row.in, 0, 0, 0, true, {});
        s.u8(1).shortString("Sub1").i32(0);
        TvxReport report;
        report.LoadFromBytes(s.bytes);
        ASSERT_EQ(report.Pages->Pages(0).Count(), 1) << row.in;
        EXPECT_EQ(report.Pages->Pages(0).Object(0)->Left, row.out) << row.in;
        EXPECT_EQ(report.Pages->Pages(0).Object(0)->Name, "Sub1");
    }
}

TEST_F(TemplateStream, Version23ObjectIsScaledAndNamed) {
    StreamBuilder s;
    s.u8(23).i32(0).b16(true).b16(false).b16(true).b16(false).oldList({"P"});
    s.page(false);
    s.u8(0).u8(0).commonOld(0, 0, 100, 10, true, {"x"});
    s.u8(1).shortString("Titolo");
    s.memoPart(true);
    TvxReport report;
    report.LoadFromBytes(s.bytes);
    EXPECT_TRUE(report.Collate);
    ASSERT_EQ(report.Pages->Pages(0).Count(), 1);
    const TvxView* v = report.Pages->Pages(0).Object(0);
    EXPECT_EQ(v->Width, 103);
    EXPECT_EQ(v->Name, "Titolo");
    EXPECT_FALSE(v->Flags & mfWordWrap); // only version 21 switches wrapping on
}

QByteArray currentHeader() {
    StreamBuilder s;
    s.u8(27).i32(0).b16(true).b16(false).b16(false).b16(false).list({"P"});
    s.page(true);
    return s.bytes;
}

TEST_F(TemplateStream, TagAboveTenEndsReadingSilently) {
    StreamBuilder s;
    s.bytes = currentHeader();
    s.u8(254).i32(0).list({"Cat"}).u8(11).bytes.append("garbage that is never read");
    TvxReport report;
    report.LoadFromBytes(s.bytes);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(report.Variables, QStringList({"Cat"}));
}

// A stream of the current header and one picture record of kind `kind`
// holding `data`, with `extra` bytes between the picture and the record's
// end offset, on page 0.
QByteArray pictureStream(uint8_t kind, const QByteArray& data, const QByteArray& extra) {
    StreamBuilder s;
    s.bytes = currentHeader();
    s.u8(otPicture).u8(0);
    s.i32(0).i32(0).i32(10).i32(10).u16(0).u16(0).i32(1).i32(0).u16(0).i32(0x1FFFFFFF).i32(0);
    s.list({}).list({}).u8(1).shortString("Picture1");
    s.u8(kind);
    const int32_t end = int32_t(s.bytes.size() + 4 + data.size() + extra.size());
    s.i32(end).bytes.append(data + extra);
    return s.bytes;
}

// Whatever fails, the report keeps the template it had: pages, objects,
// datasets, bindings and variables. Damage in the pages part is reported
// with the box; damage before it reaches the caller.
TEST_F(TemplateStream, FailedLoadLeavesTheReportAsItWas) {
    TvxReport source;
    buildSample(source);
    const QByteArray good = source.SaveToBytes();
    StreamBuilder unknownClass;
    unknownClass.u8(10).list({"TvxMissingView"}).u8(0);
    StreamBuilder tag7;
    tag7.u8(7).u8(0);
    StreamBuilder badPage;
    badPage.u8(0).u8(3); // page 3 does not exist
    badPage.commonOld(0, 0, 1, 1, false, {}).u8(1).shortString("").memoPart(false);
    StreamBuilder truncated;
    truncated.u8(0).u8(0).i32(1);
    StreamBuilder longLine;
    longLine.u8(0).u8(0).commonOld(0, 0, 1, 1, false, {QByteArray(1025, 'x')});
    QByteArray version28 = currentHeader();
    version28[0] = char(28);
    StreamBuilder datasetCut;
    datasetCut.u8(27).i32(1).u8(0).shortString("abc");
    struct Row {
        const char* what;
        QByteArray bytes;
        bool thrown; // else the box
    };
    const Row rows[] = {
        {"tag 7", currentHeader() + tag7.bytes, false},
        {"unknown add-in", currentHeader() + unknownClass.bytes, false},
        {"missing page", currentHeader() + badPage.bytes, false},
        {"truncated object", currentHeader() + truncated.bytes, false},
        {"line over 1024", currentHeader() + longLine.bytes, false},
        {"picture not a bitmap", pictureStream(1, "non una bitmap", {}), false},
        {"unknown version", version28, false},
        {"cut in the header", good.left(20), true},
        {"empty stream", QByteArray(), true},
        {"dataset record cut", datasetCut.bytes, true},
    };
    for (const Row& row : rows) {
        clearMessages();
        TvxReport report;
        report.LoadFromBytes(good);
        report.Variables << "Altra";
        const QByteArray before = report.SaveToBytes();
        bool thrown = false;
        try {
            report.LoadFromBytes(row.bytes);
        } catch (const VxError&) {
            thrown = true;
        }
        EXPECT_EQ(thrown, row.thrown) << row.what;
        if (!row.thrown) {
            // An unknown add-in's own box comes first, then the load's.
            const size_t boxes = std::string_view(row.what) == "unknown add-in" ? 2 : 1;
            ASSERT_EQ(messages().size(), boxes) << row.what;
            EXPECT_EQ(messages().back().caption, "Errore") << row.what;
            EXPECT_EQ(messages().back().text, kLoadFailed) << row.what;
        }
        EXPECT_EQ(report.SaveToBytes(), before) << row.what;
        EXPECT_EQ(report.Pages->Count(), 2) << row.what;
    }
    // A fresh report that fails to load keeps its one empty page.
    TvxReport fresh;
    EXPECT_THROW(fresh.LoadFromBytes(good.left(20)), VxError);
    ASSERT_EQ(fresh.Pages->Count(), 1);
    EXPECT_TRUE(fresh.Pages->Pages(0).Objects.empty());
}

// The picture is what its own header holds: bytes between its end and the
// record's end offset are skipped, never kept and written back.
TEST_F(TemplateStream, PictureEndsWhereItsHeaderSays) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QByteArray bmp = PictureHolder::fromImage(image).data;
    TvxReport report;
    report.LoadFromBytes(pictureStream(1, bmp, "coda estranea"));
    EXPECT_TRUE(messages().empty());
    ASSERT_EQ(report.Pages->Pages(0).Objects.size(), 1u);
    const auto* picture = dynamic_cast<const TvxPictureView*>(report.Pages->Pages(0).Object(0));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Picture.data, bmp);
    EXPECT_FALSE(report.SaveToBytes().contains("coda estranea"));
}

TEST_F(TemplateStream, EveryTruncationFailsCleanly) {
    TvxReport source;
    buildSample(source);
    const QByteArray full = source.SaveToBytes();
    for (qsizetype n = 0; n < full.size(); ++n) {
        clearMessages();
        TvxReport report;
        try {
            report.LoadFromBytes(full.left(n));
        } catch (const VxError&) {
            continue; // header or dataset records cut
        }
        EXPECT_GE(report.Pages->Count(), 1) << n;
    }
}

TEST_F(TemplateStream, MissingDataSourceWarnsAndGoesOn) {
    StreamBuilder s;
    s.u8(27).i32(1).u8(1).shortString("Form9.Tabella").u8(1).shortString("x > 1");
    s.shortString("Db").u8(0).u8(0).u16(0).i32(0);
    s.b16(true).b16(false).b16(false).b16(false).list({"P"}).page(true);
    TvxReport report;
    report.LoadFromBytes(s.bytes);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].caption, "Attenzione");
    EXPECT_EQ(messages()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(messages()[0].text, "Non è stato trovato il vxDataset: Form9.Tabella");
    EXPECT_EQ(report.DataSets.Count(), 0);
    EXPECT_EQ(report.Pages->Count(), 1);
}

TEST_F(TemplateStream, StringListsInBothLayouts) {
    StreamBuilder s;
    s.oldList({"a", "", "b\nc"});
    s.bytes.append("tail");
    s.bytes.append(char(0));
    ByteReader in(s.bytes);
    EXPECT_EQ(ReadStringList(in, StringListLayout::Old), QStringList({"a", "", "b\nc"}));
    // A pending line before the zero byte is the last line.
    EXPECT_EQ(ReadStringList(in, StringListLayout::Old), QStringList({"tail"}));
    EXPECT_TRUE(in.ok());

    const QByteArray overBytes = QByteArray(256, 'x') + char(0);
    ByteReader over(overBytes);
    ReadStringList(over, StringListLayout::Old);
    EXPECT_FALSE(over.ok());
    const QByteArray unterminatedBytes("abc");
    ByteReader unterminated(unterminatedBytes);
    ReadStringList(unterminated, StringListLayout::Old);
    EXPECT_FALSE(unterminated.ok());

    QByteArray bytes;
    ByteWriter out(&bytes);
    WriteStringList(out, {QString::fromUtf8("è€"), ""});
    EXPECT_EQ(bytes, QByteArray("\x02\x00\x02\x00\xE8\x80\x00\x00", 8));
    ByteReader back(bytes);
    EXPECT_EQ(ReadStringList(back, StringListLayout::Current), QStringList({"è€", ""}));
}

} // namespace
} // namespace vx::test

namespace vx::test {
namespace {

// A database dataset without rows, enough to be bound by path.
class EmptyDataSet : public DataSet {
public:
    using DataSet::DataSet;

protected:
    std::vector<Column> startWalk() override { return {}; }
    bool fetchRow(QVariant*) override { return false; }
    void endWalk() override {}
};

TEST_F(TemplateStream, DatabaseDatasetRecordsBindByPathWithTheirFilter) {
    Component module(nullptr, "Dati", ComponentKind::DataModule);
    registerModule(&module);
    EmptyDataSet table(&module);
    table.setName("clienti");
    QByteArray saved;
    {
        TvxReport report;
        auto db = std::make_unique<TvxDBDataSet>(nullptr);
        db->setName("Clienti");
        db->SetDataSet(&table);
        db->Filtered = true;
        db->Filter = "[saldo] > 0";
        db->RangeBegin = rbCurrent;
        report.DataSets.Add("Clienti", std::move(db));
        saved = report.SaveToBytes();
    }
    TvxReport copy;
    copy.LoadFromBytes(saved);
    EXPECT_TRUE(messages().empty());
    auto* db = dynamic_cast<TvxDBDataSet*>(copy.DataSets.Find("clienti"));
    ASSERT_TRUE(db);
    EXPECT_EQ(db->dataSetRef(), &table);
    EXPECT_TRUE(db->Filtered);
    EXPECT_EQ(db->Filter, "[saldo] > 0");
    EXPECT_EQ(db->RangeBegin, rbCurrent);
    EXPECT_EQ(db->DataSetPath(), "Dati.clienti");
    copy.Clear();
    unregisterModule(&module);
}

} // namespace
} // namespace vx::test

namespace vx::test {
namespace {

// Flipped and overwritten bytes anywhere in a valid template: the reader
// either loads something or raises the library's error, never anything else.
TEST_F(TemplateStream, RandomDamageIsRefusedCleanly) {
    TvxReport source;
    buildSample(source);
    const QByteArray full = source.SaveToBytes();
    uint32_t state = 12345;
    auto next = [&state] { return state = state * 1103515245u + 12345u; };
    for (int round = 0; round < 1500; ++round) {
        QByteArray bytes = full;
        const int edits = 1 + int(next() % 4);
        for (int e = 0; e < edits; ++e) {
            const qsizetype at = qsizetype(next() % uint32_t(bytes.size()));
            bytes[at] = (next() & 1) ? char(next() >> 8) : char(0xFF);
        }
        clearMessages();
        TvxReport report;
        try {
            report.LoadFromBytes(bytes);
        } catch (const VxError&) {
            continue;
        }
        ASSERT_GE(report.Pages->Count(), 1) << round;
        report.SaveToBytes(); // whatever was read can be written again
    }
}

} // namespace
} // namespace vx::test
