// Rich text and OLE objects in prepared reports over SQLite tables: a letter
// per customer whose values keep the formatting of their place (read back
// by `vxtool text` in order), a long rich text continuing on the next pages
// where it stopped, and embedded objects taken from a blob field per record.

#include "prepared_addins_fixture.h"

#include "addins/ole/ole_view.h"
#include "addins/richtext/rich_view.h"
#include "platform/ole/ole_storage.h"
#include "report/emf_pages.h"
#include "report/values.h"
#include "tests/support/compound_file.h"
#include "tests/support/emf_dump.h"
#include "tests/support/paths.h"
#include "tests/support/vxtool_run.h"

#include <QDir>

namespace vx::test {
namespace {

const char* const kCustomers[][3] = {
    {"Rossi", "150", "Milano"}, {"Bianchi", "275", "Torino"}, {"Verdi", "90", "Napoli"}};

class PreparedRichText : public PreparedAddIns {
protected:
    // A letter per customer: a data band that forces a new page after each
    // record, holding a rich text with the name in bold, the amount in
    // italics and the city underlined.
    void buildLetters() {
        QStringList sql{QStringLiteral(
            "CREATE TABLE clienti (id INTEGER, nome VARCHAR(20), importo INTEGER, citta TEXT)")};
        int id = 0;
        for (const auto& c : kCustomers)
            sql << QStringLiteral("INSERT INTO clienti VALUES (%1, '%2', %3, '%4')")
                       .arg(++id)
                       .arg(QString::fromLatin1(c[0]), QString::fromLatin1(c[1]),
                            QString::fromLatin1(c[2]));
        makeDatabase(sql);
        addDataSet(QStringLiteral("vxClienti"), QStringLiteral("clienti"));
        addBand(btMasterData, 60, 200, QStringLiteral("vxClienti"))->Flags = bfNewPageAfter;
        auto* body = add<TvxRichView>(20, 60, 600, 100);
        body->RichText.load(
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Gentile {\\b "
            "[Dati.clienti.nome]},\\par la fattura di {\\i [Dati.clienti.importo]} euro \\'e8 "
            "pagabile a {\\ul [Dati.clienti.citta]}.\\par}");
    }
};

TEST_F(PreparedRichText, LetterValuesKeepTheirFormattingInOrder) {
    buildLetters();
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    ASSERT_EQ(pageCount(), 3);
    for (int p = 0; p < 3; ++p) {
        const QStringList styled = StyledTexts(report->PreparedPages->Pages(p).Picture.bytes());
        const auto& c = kCustomers[p];
        const qsizetype name = styled.indexOf(QString::fromLatin1(c[0]) + "|b");
        const qsizetype amount = styled.indexOf(QString::fromLatin1(c[1]) + "|i");
        const qsizetype city = styled.indexOf(QString::fromLatin1(c[2]) + "|u");
        EXPECT_TRUE(name >= 0 && name < amount && amount < city)
            << styled.join(" ; ").toStdString();
        EXPECT_TRUE(styled.value(0).startsWith(QStringLiteral("Gentile")))
            << styled.value(0).toStdString();
    }
    // The prepared file read by the command-line tool: the values in order;
    // page 1 kept at 100 % among the artifacts for a look.
    const QString vxp = tempPath(QStringLiteral("lettere.vxp"));
    SavePreparedPages(*report->PreparedPages, vxp);
    const VxtoolResult text = runVxtool({QStringLiteral("text"), vxp});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    qsizetype from = 0;
    for (int p = 0; p < 3; ++p)
        for (const char* value : kCustomers[p]) {
            const qsizetype at = text.out.indexOf(QString::fromLatin1(value), from);
            EXPECT_GT(at, from - 1) << value << " after " << from;
            from = std::max(from, at);
        }
    QDir().mkpath(artifactsDir());
    const VxtoolResult render =
        runVxtool({QStringLiteral("render"), vxp, QStringLiteral("--page"), QStringLiteral("1"),
                   QStringLiteral("-o"), artifactsDir() + QStringLiteral("/rich_letter.png")});
    EXPECT_EQ(render.exitCode, 0) << render.err.toStdString();
}

TEST_F(PreparedRichText, LongTextContinuesOnTheNextPagesWhereItStopped) {
    makeRows(1);
    addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"));
    addBand(btMasterData, 60, 40, QStringLiteral("vxRighe"))->Flags =
        bfFitToContent | bfSplitAllowed;
    auto* body = add<TvxRichView>(20, 60, 600, 30);
    body->Flags = mfStretched;
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    for (int i = 1; i <= 120; ++i)
        rtf += "Paragrafo " + QByteArray::number(i) + " di [Dati.righe.nome]\\par ";
    body->RichText.load(rtf + "}");
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    ASSERT_GE(pageCount(), 2);
    QStringList all;
    for (int p = 0; p < pageCount(); ++p)
        all << texts(p);
    QStringList expected;
    for (int i = 1; i <= 120; ++i)
        expected << QStringLiteral("Paragrafo %1 di Riga 1").arg(i);
    EXPECT_EQ(all.join(QString()), expected.join(QString()));
}

class PreparedOle : public PreparedAddIns {
protected:
    // documenti (id, oggetto BLOB): one row per value, bound through the
    // object's first line [Dati.documenti.oggetto].
    TvxOLEView* buildObjects(const std::vector<QByteArray>& blobs) {
        makeDatabase({QStringLiteral("CREATE TABLE documenti (id INTEGER, oggetto BLOB)")});
        std::vector<std::vector<QVariant>> rows;
        for (const QByteArray& b : blobs)
            rows.push_back({int(rows.size()) + 1, b.isNull() ? QVariant() : QVariant(b)});
        data().database().execBatch(QStringLiteral("INSERT INTO documenti VALUES (?, ?)"), rows);
        const int v = report->Values->AddValue();
        report->Values->SetName(v, QStringLiteral("oggetto"));
        TvxValue* value = report->Values->Items(v);
        value->Kind = vkDataField;
        value->DataSetName = QStringLiteral("Dati.documenti");
        value->FieldName = QStringLiteral("oggetto");
        data().table(QStringLiteral("documenti"))->open();
        addDataSet(QStringLiteral("vxDocumenti"), QStringLiteral("documenti"));
        addBand(btMasterData, 60, 60, QStringLiteral("vxDocumenti"));
        addText(10, 60, 60, 18, QStringLiteral("[Dati.documenti.id]"));
        auto* view = add<TvxOLEView>(100, 60, 80, 40, {QStringLiteral("[oggetto]")});
        view->Name = QStringLiteral("Ole1");
        return view;
    }
};

TEST_F(PreparedOle, EachRecordDrawsTheObjectOfItsField) {
    const QByteArray sheet = makeCompoundFile(
        {{"\x01"
          "CompObj",
          makeCompObj("Foglio di lavoro", "Foglio.1")},
         {"\x02OlePres000", makePresentationStream(ole::CF_ENHMETAFILE, ole::kAspectContent, 2117,
                                                   1058, makeRedMetafile())}});
    buildObjects(
        {sheet, QByteArray(),
         ole::makeContainerStream(makeCompoundFile({{"\x01"
                                                     "CompObj",
                                                     makeCompObj("Disegno", "Disegno.1")}}))});
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    const QStringList texts0 = texts(0);
    // Record 1 plays its red picture, record 2 (null) draws nothing,
    // record 3 has no presentation: its class name in a placeholder.
    EXPECT_TRUE(texts0.contains(QStringLiteral("Disegno.1"))) << texts0.join(',').toStdString();
    EXPECT_FALSE(texts0.contains(QStringLiteral("Foglio.1")));
    const QStringList dump = DumpEmf(report->PreparedPages->Pages(0).Picture.bytes());
    EXPECT_FALSE(linesStartingWith(dump, QStringLiteral("brush 0 ff0000")).isEmpty());
    // The stored object is the template's, untouched by the records.
    EXPECT_TRUE(page().Count() > 0);
}

TEST_F(PreparedOle, FieldWithoutAnObjectIsThePreparationError) {
    buildObjects({QByteArray("non un oggetto")});
    EXPECT_FALSE(prepare());
    EXPECT_EQ(errorDetail(), QStringLiteral("Errore. ") + noOleObjectInFieldMessage());
    EXPECT_TRUE(ErrorText.contains(QStringLiteral("Oggetto: Ole1"))) << ErrorText.toStdString();
}

} // namespace
} // namespace vx::test
