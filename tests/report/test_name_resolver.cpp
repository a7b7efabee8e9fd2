// The report resolver over a real SQLite database: resolution order of plain
// names, null field rules, user hooks, function errors, FINDLOOKUP and SQL.
#include "expr/evaluator.h"
#include "expr/format.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "platform/locale_settings.h"
#include "report/data_refs.h"
#include "report/dataset.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/name_resolver.h"
#include "report/page.h"
#include "report/picture_view.h"
#include "report/report.h"
#include "report/sql_connection.h"
#include "report/value_expansion.h"
#include "report/values.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace vx {
namespace {

class ResolverTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetLibraryState();
        resetEngineCounters();
        setLocaleSettings(LocaleSettings::italian());
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("demo.sqlite"));
        {
            auto db = Database::open(path_, Database::OpenMode::CreateIfMissing);
            db->exec(
                QStringLiteral("CREATE TABLE clienti (id INTEGER, nome VARCHAR(40), saldo REAL, "
                               "nato DATE, note MEMO, totalpages INTEGER)"));
            db->exec(QStringLiteral("INSERT INTO clienti VALUES (1, 'Rossi', 12.5, '1998-11-05', "
                                    "'riga uno', 77)"));
            db->exec(
                QStringLiteral("INSERT INTO clienti VALUES (2, NULL, NULL, NULL, NULL, NULL)"));
            db->exec(
                QStringLiteral("INSERT INTO clienti VALUES (3, 'O''Brien', 1, NULL, NULL, 0)"));
            db->exec(QStringLiteral("CREATE TABLE foto (id INTEGER, img BLOB)"));
            QImage image(7, 5, QImage::Format_RGB32);
            image.fill(Qt::red);
            QByteArray bmp;
            QBuffer buffer(&bmp);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "BMP");
            db->execBatch(QStringLiteral("INSERT INTO foto VALUES (?, ?)"), {{1, bmp}});
        }
        module_ = registerDatabaseModule(path_, QStringLiteral("Dati"));
        report_ = std::make_unique<TvxReport>();
        CurrentReport = report_.get();
        SetExprResolver(MakeReportResolver(report_.get()));
        page_ = std::make_unique<TvxPage>(9, 2100, 2970, 0);
        CurrentPage = page_.get();
        view_ = std::make_unique<TvxMemoView>(report_.get());
        view_->ParentBandType = btMasterData;
        CurrentView = view_.get();
        table()->open();
        table()->first();
        dbSet_ = std::make_unique<TvxDBDataSet>();
        dbSet_->SetDataSet(table());
        lookup_.emplace(pageDataSetLookup(), [this](TvxPage*, int bandType) -> TvxDataset* {
            return bandType == btMasterData ? dbSet_.get() : nullptr;
        });
    }

    void TearDown() override {
        lookup_.reset();
        SetExprResolver({});
        SetReportSQLConnection(report_.get(), nullptr);
        dbSet_.reset();
        view_.reset();
        page_.reset();
        report_.reset();
        module_.reset();
        resetLibraryState();
        resetEngineCounters();
        resetLocaleSettings();
    }

    TableDataSet* table() { return module_->table(QStringLiteral("clienti")); }

    TvxValue& addVariable(const QString& name, uint8_t kind, int32_t code = 0,
                          const QString& dataSet = {}, const QString& field = {}) {
        const int i = report_->Values->AddValue();
        report_->Values->SetName(i, name);
        TvxValue* v = report_->Values->Items(i);
        v->Kind = kind;
        v->SpecialCode = code;
        v->DataSetName = dataSet;
        v->FieldName = field;
        return *v;
    }

    Variant resolve(const QString& name) {
        Variant v;
        ResolveName(report_.get(), name, nullptr, v);
        return v;
    }
    Variant call(const QString& name, const QStringList& args) {
        Variant v;
        ResolveName(report_.get(), name, &args, v);
        return v;
    }
    QString errorDetail() const { return ErrorText.section(QChar(13), 1, 1); }

    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<DatabaseModule> module_;
    std::unique_ptr<TvxReport> report_;
    std::unique_ptr<TvxPage> page_;
    std::unique_ptr<TvxMemoView> view_;
    std::unique_ptr<TvxDBDataSet> dbSet_;
    std::optional<ScopedOverride<PageDataSetLookup>> lookup_;
};

TEST_F(ResolverTest, PlainNamesInOrder) {
    OutputPageIndex = 4;
    TotalPages = 12;
    PrintDate = 36104;
    CurrentValue = Variant(QStringLiteral("corrente"));
    addVariable(QStringLiteral("Totale"), vkSpecial, svTotalPages);
    addVariable(QStringLiteral("Doppio"), vkSpecial, svExpression, {}, QStringLiteral("2 * 21"));
    addVariable(QStringLiteral("Vuota"), vkNone);
    addVariable(QStringLiteral("Cliente"), vkDataField, 0, QStringLiteral("Dati.clienti"),
                QStringLiteral("nome"));
    addVariable(QStringLiteral("nome"), vkSpecial,
                svPageNo); // a variable hides the field of that name
    const struct {
        const char* name;
        Variant expected;
    } rows[] = {
        // The variable stands for the name TOTALPAGES, which a field hides.
        {"Totale", Variant::fromInt32(77)},
        {" totale ", Variant::fromInt32(77)},
        {"\x01totale\x1f", Variant::fromInt32(77)}, // every code 1 to 32 is a blank
        {"TOTALPAGES", Variant::fromInt32(77)},
        {"Doppio", Variant(42.0)},
        {"Vuota", Variant::null()},
        {"Cliente", Variant("Rossi")},
        {"nome", Variant::fromInt32(5)},
        {"saldo", Variant(12.5)},
        {"nato", Variant::fromDateTime(36104)},
        {"Dati.clienti.nome", Variant("Rossi")},
        {"Dati.clienti.\"saldo\"", Variant(12.5)},
        {"Dati.clienti", Variant("DATI.CLIENTI")},
        {"PI", Variant(3.1415926535897932385)},
        {"VALORE", Variant("corrente")},
        {"value", Variant("corrente")},
        {"PAGE#", Variant::fromInt32(5)},
        {"DATE", Variant::fromDateTime(36104)},
        {"LINE#", Variant::fromInt32(0)},
        {"sconosciuto", Variant()},
    };
    for (const auto& row : rows)
        EXPECT_EQ(resolve(QString::fromUtf8(row.name)), row.expected) << row.name;
}

// The counters of bands and pages live in the engine's run-time objects; the
// resolver reads them through the engine's hooks, for the names and for
// variables bound to their special codes alike.
TEST_F(ResolverTest, SpecialValuesReadTheEngineCounters) {
    static char bandTag = 0; // stands for the engine's run-time band
    TvxBand* band = reinterpret_cast<TvxBand*>(&bandTag);
    EngineHooks hooks;
    hooks.BandLineNo = [band](const TvxBand* b) { return b == band ? 11 : -1; };
    hooks.BandLineThrough = [band](const TvxBand* b) { return b == band ? 22 : -1; };
    hooks.PageCrossColumnNo = [this](const TvxPage* p) { return p == page_.get() ? 3 : -1; };
    hooks.PageLineCounter = [this](const TvxPage* p) { return p == page_.get() ? 44 : -1; };
    const ScopedOverride engine(engineHooks(), hooks);
    CurrentBand = band;
    OutputPageIndex = 2;
    PrintTime = 0.25;
    const struct {
        const char* name;
        int32_t code;
        Variant expected;
    } rows[] = {
        {"LINE#", svLineNo, Variant::fromInt32(11)},
        {"LINETHROUGH#", svLineThrough, Variant::fromInt32(22)},
        {"COLUMN#", svColumnNo, Variant::fromInt32(3)},
        {"CURRENT#", svCurrentLine, Variant::fromInt32(44)},
        {"PAGE#", svPageNo, Variant::fromInt32(3)},
        {"TIME", svTime, Variant::fromDateTime(0.25)},
    };
    for (const auto& row : rows) {
        const QString variable = QStringLiteral("V") + QString::number(row.code);
        addVariable(variable, vkSpecial, row.code);
        EXPECT_EQ(resolve(QString::fromLatin1(row.name)), row.expected) << row.name;
        EXPECT_EQ(resolve(variable), row.expected) << row.name;
    }
    // Collated and repaginated: the page's position in the collated order.
    PreparingReport = report_.get();
    report_->Collate = true;
    report_->Repaginate = true;
    CollateOrder = {0, 3, 1, 4, 2, 5};
    EXPECT_EQ(resolve(QStringLiteral("PAGE#")), Variant::fromInt32(5));
    // Without a current band the counters of bands read 0.
    CurrentBand = nullptr;
    EXPECT_EQ(resolve(QStringLiteral("LINE#")), Variant::fromInt32(0));
}

TEST_F(ResolverTest, NullFieldsCountAsZeroOrEmptyInExpressionsButShowEmpty) {
    table()->next();
    EXPECT_EQ(resolve(QStringLiteral("saldo")), Variant::fromInt32(0));
    EXPECT_EQ(resolve(QStringLiteral("nato")), Variant::fromInt32(0));
    EXPECT_EQ(resolve(QStringLiteral("nome")), Variant(QString()));
    EXPECT_EQ(resolve(QStringLiteral("note")), Variant::null()); // memo keeps null
    EXPECT_EQ(EvaluateExpression(QStringLiteral("saldo + 1")), Variant(1.0));
    view_->FormatCode = MakeFormatCode(1, 1, 2, ',');
    EXPECT_EQ(ExpandValue(QStringLiteral("saldo")), QString());
    EXPECT_EQ(ExpandValue(QStringLiteral("saldo + 1")), QStringLiteral("1,00"));
}

TEST_F(ResolverTest, OnGetValueAnswersVariablesFirst) {
    addVariable(QStringLiteral("Cliente"), vkDataField, 0, QStringLiteral("Dati.clienti"),
                QStringLiteral("nome"));
    QString asked;
    report_->OnGetValue = [&](const QString& name, Variant& value) {
        asked = name;
        if (name == QLatin1String("cliente"))
            value = Variant(QStringLiteral("dal programma"));
    };
    EXPECT_EQ(resolve(QStringLiteral(" cliente ")), Variant("dal programma"));
    EXPECT_EQ(asked, QStringLiteral("cliente"));
    EXPECT_EQ(resolve(QStringLiteral("Cliente")), Variant("Rossi")); // hook left it empty
    asked.clear();
    resolve(QStringLiteral("saldo"));
    EXPECT_TRUE(asked.isEmpty()); // not a variable: the hook is not asked
}

TEST_F(ResolverTest, UserFunctionsAndBooleans) {
    QStringList seen;
    report_->OnUserFunction = [&](const QString& name, const Variant& p1, const Variant& p2,
                                  const Variant& p3, Variant& val) {
        seen << name + QLatin1Char(':') + p1.toString() + QLatin1Char(',') + p2.toString() +
                    QLatin1Char(',') + QString::fromLatin1(Variant::kindName(p3.kind()));
        if (name == QLatin1String("Vero"))
            val = Variant(true);
        else if (name == QLatin1String("Somma"))
            val = Variant(p1.toDouble() + p2.toDouble());
    };
    EXPECT_EQ(resolve(QStringLiteral("Vero")), Variant::fromInt32(1));
    EXPECT_EQ(EvaluateExpression(QStringLiteral("Somma(1 + 1, 3, 4, 5)")), Variant(5.0));
    EXPECT_EQ(seen,
              (QStringList{QStringLiteral("Vero:,,empty"), QStringLiteral("Somma:2,3,float")}));
    EXPECT_THROW(EvaluateExpression(QStringLiteral("Ignota(1)")), VxError);
}

TEST_F(ResolverTest, ErrorRaisedSilencesEverything) {
    addVariable(QStringLiteral("Totale"), vkSpecial, svTotalPages);
    bool hookCalled = false;
    report_->OnUserFunction = [&](const QString&, const Variant&, const Variant&, const Variant&,
                                  Variant& v) {
        hookCalled = true;
        v = Variant(1);
    };
    ErrorRaised = true;
    for (const char* name : {"Totale", "saldo", "PI", "PAGE#", "VALUE", "Nessuno"})
        EXPECT_TRUE(resolve(QString::fromLatin1(name)).isEmpty()) << name;
    EXPECT_TRUE(call(QStringLiteral("UPPERCASE"), {QStringLiteral("'a'")}).isEmpty());
    EXPECT_FALSE(hookCalled);
    EXPECT_EQ(ExpandValue(QStringLiteral("1 + 1")), QString());
}

TEST_F(ResolverTest, FunctionErrorsAreRecordedOnce) {
    EXPECT_TRUE(call(QStringLiteral("sqr"), {QStringLiteral("3"), QStringLiteral("4")}).isEmpty());
    EXPECT_TRUE(ErrorRaised);
    EXPECT_EQ(
        errorDetail(),
        QStringLiteral("E' stato inserito un numero di parametri errato per la funzione : SQR"));
    modelState().reset(); // the error only: resolver, lookups and settings stay
    CurrentReport = report_.get();
    EXPECT_TRUE(call(QStringLiteral("SQRT"), {QStringLiteral("-1")}).isEmpty());
    EXPECT_EQ(errorDetail(), QStringLiteral("Tipi di parametri errati nella funzione: SQRT (-1)"));
}

TEST_F(ResolverTest, AggregatesGoThroughTheEngineHook) {
    EXPECT_TRUE(call(QStringLiteral("SUM"), {QStringLiteral("1")}).isEmpty());
    EXPECT_EQ(errorDetail(), QStringLiteral("Funzione statistica non disponibile: SUM"));
    modelState().reset(); // the error only: resolver, lookups and settings stay
    CurrentReport = report_.get();
    QString got;
    const ScopedOverride aggregate(engineHooks().Aggregate,
                                   [&](const QString& name, const QStringList& args, Variant& v) {
                                       got = name + QLatin1Char('|') + args.join(QLatin1Char('|'));
                                       v = Variant::fromInt32(3);
                                   });
    EXPECT_EQ(call(QStringLiteral("count"), {}), Variant::fromInt32(3));
    EXPECT_EQ(got, QStringLiteral("COUNT|"));
    EXPECT_TRUE(call(QStringLiteral("SUM"), {QStringLiteral("1"), QStringLiteral("2")}).isEmpty());
    EXPECT_EQ(
        errorDetail(),
        QStringLiteral("E' stato inserito un numero di parametri errato per la funzione : SUM"));
}

TEST_F(ResolverTest, FindLookupBindsTheKey) {
    DatabaseSqlConnection connection(module_->database());
    SetReportSQLConnection(report_.get(), &connection);
    EXPECT_EQ(EvaluateExpression(QStringLiteral("FINDLOOKUP('CLIENTI', 'id', 'nome', 1)")),
              Variant("Rossi"));
    EXPECT_EQ(EvaluateExpression(QStringLiteral("FINDLOOKUP('clienti', 'nome', 'id', 'O''Brien')")),
              Variant::fromInt32(3));
    EXPECT_EQ(EvaluateExpression(QStringLiteral("FINDLOOKUP('clienti', 'id', 'nome', '')")),
              Variant(""));
    const char* hostile[] = {
        "FINDLOOKUP('clienti', 'nome', 'id', 'x'' OR ''1''=''1')",
        "FINDLOOKUP('clienti', 'nome', 'id', '\\'' OR 1=1 --')",
        "FINDLOOKUP('clienti', 'nome', 'id', 'x''; DELETE FROM clienti; --')",
        "FINDLOOKUP('clienti', 'nome', 'id', '''; DROP TABLE clienti; --')",
    };
    for (const char* expr : hostile) {
        EXPECT_EQ(EvaluateExpression(QString::fromLatin1(expr)), Variant::null()) << expr;
        EXPECT_FALSE(ErrorRaised) << expr;
    }
    EXPECT_EQ(EvaluateExpression(QStringLiteral("SQL('SELECT COUNT(*) FROM clienti')")),
              Variant::fromInt32(3));
    // A null key cannot be taken as a string: a parameter error, not a lookup.
    addVariable(QStringLiteral("Vuota"), vkNone);
    EXPECT_THROW(EvaluateExpression(QStringLiteral("FINDLOOKUP('clienti', 'nome', 'id', Vuota)")),
                 VxError);
    EXPECT_EQ(errorDetail(), QStringLiteral("Tipi di parametri errati nella funzione: FINDLOOKUP "
                                            "('clienti', 'nome', 'id', Vuota)"));
    modelState().reset(); // the error only: resolver, lookups and settings stay
    CurrentReport = report_.get();
    EXPECT_EQ(EvaluateExpression(QStringLiteral("SQL('SELECT nome FROM clienti', 'WHERE id = 3')")),
              Variant("O'Brien"));
    EXPECT_EQ(EvaluateExpression(QStringLiteral("SQL()")), Variant(""));
}

TEST_F(ResolverTest, DatabaseFunctionsWithoutConnectionFail) {
    EXPECT_THROW(EvaluateExpression(QStringLiteral("FINDLOOKUP('clienti', 'id', 'nome', 1)")),
                 VxError);
    EXPECT_EQ(errorDetail(),
              QStringLiteral("Tipi di parametri errati nella funzione: FINDLOOKUP ('clienti', "
                             "'id', 'nome', 1)"));
}

TEST_F(ResolverTest, ExpandValueFormatsAndRemembers) {
    view_->FormatCode = MakeFormatCode(1, 3, 2, ',');
    EXPECT_EQ(ExpandValue(QStringLiteral("saldo * 100")), QStringLiteral("1.250,00"));
    EXPECT_EQ(CurrentValue, Variant(1250.0));
    EXPECT_EQ(ExpandValue(QStringLiteral("VALUE + 1")), QStringLiteral("1.251,00"));
    view_->FormatCode = MakeFormatCode(0, 0, 2, ',');
    EXPECT_EQ(view_->HasLineBreaks, 0);
    EXPECT_EQ(ExpandValue(QStringLiteral("'a' + CHR13")), QString()); // unknown name
    EXPECT_TRUE(ErrorRaised);
    EXPECT_TRUE(errorDetail().startsWith(QStringLiteral("Errore. Identificatore sconosciuto: ")));
}

TEST_F(ResolverTest, ExpandValueSetsLineBreaks) {
    report_->OnUserFunction = [](const QString& name, const Variant&, const Variant&,
                                 const Variant&, Variant& v) {
        if (name == QLatin1String("DueRighe"))
            v = Variant(QStringLiteral("uno\r\ndue"));
    };
    view_->FormatCode = MakeFormatCode(0, 0, 2, ',');
    EXPECT_EQ(ExpandValue(QStringLiteral("DueRighe")), QStringLiteral("uno\r\ndue"));
    EXPECT_EQ(view_->HasLineBreaks, 1);
}

TEST_F(ResolverTest, FillFromFieldLoadsMemoFields) {
    TvxValue& note = addVariable(QStringLiteral("Nota"), vkDataField, 0,
                                 QStringLiteral("Dati.clienti"), QStringLiteral("note"));
    BindValues(report_.get());
    ASSERT_FALSE(ErrorRaised) << ErrorText.toStdString();
    ASSERT_NE(note.BoundField, nullptr);
    EXPECT_TRUE(report_->HasBlobValues);
    FillFromField(report_.get(), {QStringLiteral("[Nota]")}, view_.get());
    EXPECT_EQ(view_->ExpandedLines, QStringList{QStringLiteral("riga uno")});
    view_->ExpandedLines.clear();
    FillFromField(report_.get(), {QStringLiteral("[saldo]")}, view_.get()); // not a memo
    EXPECT_TRUE(view_->ExpandedLines.isEmpty());
    report_->HasBlobValues = false;
    FillFromField(report_.get(), {QStringLiteral("[Nota]")}, view_.get());
    EXPECT_TRUE(view_->ExpandedLines.isEmpty());
}

} // namespace
} // namespace vx

namespace vx {
namespace {

TEST_F(ResolverTest, FillFromFieldLoadsPicturesFromGraphicFields) {
    TableDataSet* foto = module_->table(QStringLiteral("foto"));
    ASSERT_NE(foto, nullptr);
    foto->open();
    foto->first();
    addVariable(QStringLiteral("Photo"), vkDataField, 0, QStringLiteral("Dati.foto"),
                QStringLiteral("img"));
    BindValues(report_.get());
    ASSERT_FALSE(ErrorRaised) << ErrorText.toStdString();
    TvxPictureView picture(report_.get());
    FillFromField(report_.get(), {QStringLiteral("[Photo]")}, &picture);
    EXPECT_EQ(picture.LoadedFromField, 1);
    EXPECT_EQ(picture.FieldPicture.size(), QSize(7, 5));
}

} // namespace
} // namespace vx
