// The JSON form of templates: byte-for-byte round trips over the samples and
// a template holding every object class, hostile JSON refused with the
// field's path, and vxtool's export and import that never leave a partial
// file.

#include "addins/barcode/codebarre_view.h"
#include "addins/register_addins.h"
#include "app/demo_samples.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "platform/ole/ole_storage.h"
#include "report/memo_view.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/picture_view.h"
#include "report/report.h"
#include "report/subreport_view.h"
#include "report/template_json.h"
#include "report/values.h"
#include "tests/report/report_fixture.h"
#include "tests/support/vxtool_run.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <functional>

namespace vx::test {
namespace {

class TemplateJson : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        RegisterAddIns();
        ASSERT_TRUE(dir.isValid());
    }

    // One object of every class, with pictures, rich text and an embedded
    // object carrying bytes, bindings and variables.
    QByteArray everyClass() {
        TvxReport report;
        CurrentReport = &report;
        TvxPage& p = report.Pages->Pages(0);
        report.Pages->Add().Margins.Left = 10;
        auto memo = std::make_unique<TvxMemoView>(&report);
        memo->Lines = {QStringLiteral("Città: [nome]"), QStringLiteral("\"virgolette\"\t\\")};
        memo->Font.Name = QStringLiteral("Times New Roman");
        p.Add(std::move(memo));
        auto picture = std::make_unique<TvxPictureView>(&report);
        picture->Picture = PictureHolder(PictureHolder::Bitmap, QByteArray("BM\0\1\2\3", 6));
        p.Add(std::move(picture));
        auto sub = std::make_unique<TvxSubReportView>(&report);
        sub->SubPage = 1;
        p.Add(std::move(sub));
        for (const char* name : {"TvxCodeBarreView", "TvxGraphView", "TvxShapeView",
                                 "TvxFramedMemoView", "TvxRichView", "TvxOLEView"})
            p.Add(CreateObject(otAddIn, QString::fromLatin1(name)));
        static_cast<TvxCodeBarreView*>(p.Object(3))->BarRatio = 2.25;
        report.Values->SetName(report.Values->AddValue(), QStringLiteral("Sconto"));
        report.Variables = {QStringLiteral(" Totali"), QStringLiteral("Sconto")};
        const QByteArray bytes = report.SaveToBytes();
        CurrentReport = nullptr;
        return bytes;
    }

    static QByteArray compact(const QJsonObject& o) {
        return QJsonDocument(o).toJson(QJsonDocument::Compact);
    }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }

    QTemporaryDir dir;
};

TEST_F(TemplateJson, RoundTripGivesTheTemplateByteForByte) {
    std::vector<std::pair<QString, QByteArray>> templates{{"every class", everyClass()}};
    writeSamples(dir.path());
    for (const SampleTemplate& sample : sampleTemplates()) {
        QFile f(dir.filePath(sample.fileName));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        templates.emplace_back(sample.fileName, f.readAll());
    }
    for (const auto& [name, bytes] : templates) {
        SCOPED_TRACE(name.toStdString());
        const std::optional<QByteArray> json = templateToJson(bytes);
        ASSERT_TRUE(json.has_value());
        EXPECT_EQ(templateFromJson(*json), bytes);
        // Readable: texts as they are, one field a line.
        EXPECT_TRUE(json->contains("\"Left\": ")) << json->left(400).toStdString();
    }
    const QByteArray json = *templateToJson(everyClass());
    for (const char* text : {"\"Città: [nome]\"", "\"Class\": \"TvxOLEView\"", "\"BarRatio\": 2.25",
                             "\"Data\": \"Qk0AAQID\""})
        EXPECT_TRUE(json.contains(text)) << text;
}

// Streams the form cannot carry exactly go through a save first.
TEST_F(TemplateJson, OnlyCurrentCanonicalStreamsAreTranscribed) {
    const QByteArray bytes = everyClass();
    QByteArray oldVersion = bytes;
    oldVersion[0] = char(26);
    QByteArray loneBoolean = bytes; // TwoPass stored as 1 rather than -1
    QByteArray trailing = bytes + QByteArray(1, '\0');
    const qsizetype options = bytes.indexOf(QByteArray("\xFF\xFF\x00\x00", 4));
    ASSERT_GT(options, 0);
    loneBoolean[options + 2] = 1;
    for (const QByteArray& b : {oldVersion, loneBoolean, trailing, bytes.left(bytes.size() - 3)})
        EXPECT_FALSE(templateToJson(b).has_value());
}

TEST_F(TemplateJson, HostileJsonNamesTheFieldInItalian) {
    const QJsonObject base = QJsonDocument::fromJson(*templateToJson(everyClass())).object();
    using Edit = std::function<void(QJsonObject&)>;
    // Edits an object of the first page.
    auto onObject = [](int index, const std::function<void(QJsonObject&)>& edit) {
        return [index, edit](QJsonObject& root) {
            QJsonArray pages = root[QStringLiteral("Pages")].toArray();
            QJsonObject page = pages[0].toObject();
            QJsonArray objects = page[QStringLiteral("Objects")].toArray();
            QJsonObject o = objects[index].toObject();
            edit(o);
            objects[index] = o;
            page[QStringLiteral("Objects")] = objects;
            pages[0] = page;
            root[QStringLiteral("Pages")] = pages;
        };
    };
    struct Case {
        const char* name;
        Edit edit;
        const char* message;
    };
    const Case cases[] = {
        {"unknown field", onObject(0, [](QJsonObject& o) { o["Colore"] = 1; }),
         "campo Pages[0].Objects[0].Colore: campo sconosciuto"},
        {"missing field", onObject(0, [](QJsonObject& o) { o.remove("Left"); }),
         "campo Pages[0].Objects[0].Left: campo mancante"},
        {"text for a number", onObject(0, [](QJsonObject& o) { o["Top"] = "dieci"; }),
         "campo Pages[0].Objects[0].Top: atteso un numero intero"},
        {"fraction", onObject(0, [](QJsonObject& o) { o["Width"] = 1.5; }),
         "campo Pages[0].Objects[0].Width: atteso un numero intero"},
        {"out of range", onObject(0, [](QJsonObject& o) { o["Flags"] = 70000; }),
         "campo Pages[0].Objects[0].Flags: valore fuori dall'intervallo 0..65535"},
        {"long short string",
         onObject(0, [](QJsonObject& o) { o["Name"] = QString(300, QLatin1Char('x')); }),
         "campo Pages[0].Objects[0].Name: testo troppo lungo (più di 255 byte)"},
        {"character outside the code page",
         onObject(0,
                  [](QJsonObject& o) {
                      o["Lines"] = QJsonArray{"a", QStringLiteral("漢")};
                  }),
         "campo Pages[0].Objects[0].Lines[1]: carattere non rappresentabile"},
        {"number in a list",
         onObject(0,
                  [](QJsonObject& o) {
                      o["Lines"] = QJsonArray{"a", 2};
                  }),
         "campo Pages[0].Objects[0].Lines[1]: atteso un testo"},
        {"unknown class", onObject(3, [](QJsonObject& o) { o["Class"] = "TvxNienteView"; }),
         "campo Pages[0].Objects[3].Class: classe di oggetto sconosciuta"},
        {"bad base64",
         onObject(1,
                  [](QJsonObject& o) {
                      o["Picture"] = QJsonObject{{"Kind", 1}, {"Data", "@@non base64@@"}};
                  }),
         "campo Pages[0].Objects[1].Picture.Data: dati base64 non validi"},
        {"embedded object not a container",
         onObject(8, [](QJsonObject& o) { o["Container"] = "AAAA"; }),
         "campo Pages[0].Objects[8].Container: oggetto incorporato non valido"},
        {"boolean as number", [](QJsonObject& r) { r["TwoPass"] = 1; },
         "campo TwoPass: atteso un valore logico"},
        {"other version", [](QJsonObject& r) { r["Version"] = 26; },
         "campo Version: è gestita solo la versione 27"},
        {"no pages", [](QJsonObject& r) { r["Pages"] = QJsonArray(); },
         "campo Pages: serve almeno una pagina"},
        {"huge list",
         [](QJsonObject& r) {
             QJsonArray lines;
             for (int i = 0; i < 70000; ++i)
                 lines.append(QStringLiteral("x"));
             r["Variables"] = lines;
         },
         "campo Variables: troppi elementi (più di 65535)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QJsonObject root = base;
        c.edit(root);
        try {
            templateFromJson(compact(root));
            ADD_FAILURE() << "accepted";
        } catch (const VxError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message)))
                << e.message().toStdString();
        }
    }
    // Malformed documents.
    const std::pair<QByteArray, const char*> documents[] = {
        {QByteArray(5000, '[') + QByteArray(5000, ']'), "troppi livelli annidati"},
        {"{\"Format\": ", "non è valido"},
        {"[1, 2]", "atteso un oggetto"},
    };
    for (const auto& [text, message] : documents) {
        try {
            templateFromJson(text);
            ADD_FAILURE() << message;
        } catch (const VxError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(message)))
                << e.message().toStdString();
        }
    }
}

TEST_F(TemplateJson, VxtoolExportsImportsAndNeverWritesAPartialFile) {
    const QString vxf = path("modello.vxf");
    {
        QFile f(vxf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(everyClass());
    }
    const VxtoolResult out = runVxtool({"template", "export", vxf, "-o", path("modello.json")});
    ASSERT_EQ(out.exitCode, 0) << out.err.toStdString();
    const VxtoolResult in =
        runVxtool({"template", "import", path("modello.json"), "-o", path("copia.vxf")});
    ASSERT_EQ(in.exitCode, 0) << in.err.toStdString();
    QFile a(vxf), b(path("copia.vxf"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    // A failed import keeps the old file as it was.
    QFile bad(path("rotto.json"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("{\"Format\": \"DIZEridiv template\", \"Version\": 27}");
    bad.close();
    const VxtoolResult failed =
        runVxtool({"template", "import", path("rotto.json"), "-o", path("copia.vxf")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("campo DataSets: campo mancante")))
        << failed.err.toStdString();
    b.seek(0);
    a.seek(0);
    EXPECT_EQ(b.readAll(), a.readAll());
}

} // namespace
} // namespace vx::test
