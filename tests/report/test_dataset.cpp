// Report datasets: ranges, events, filters, cursor restore, messages.

#include "report/dataset.h"

#include "dataset_fixture.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

using namespace vx;

namespace {

// Walks a dataset the way a data band does and collects what it sees.
template <class F> QStringList walk(TvxDataset& ds, F read, int limit = 100) {
    QStringList seen;
    for (ds.First(); !ds.Eof() && seen.size() < limit; ds.Next())
        seen << read();
    return seen;
}

QString ids(DataSet& ds) {
    return ds.fieldValue(QStringLiteral("id")).toString();
}

// ---------------------------------------------------------------- user datasets

TEST(UserDataset, CountRangeYieldsExactlyThatManyRecords) {
    struct Case {
        int count;
        const char* expected;
    } cases[] = {{3, "0 1 2"}, {0, ""}, {1, "0"}, {-2, ""}};
    for (const Case& c : cases) {
        TvxUserDataset ds;
        ds.RangeEnd = reCount;
        ds.RangeEndCount = c.count;
        EXPECT_EQ(walk(ds, [&] { return QString::number(ds.RecordNo); }).join(' '),
                  QLatin1String(c.expected))
            << c.count;
    }
}

TEST(UserDataset, WithoutCountOrHandlerItNeverEnds) {
    for (TRangeEnd end : {reLast, reCurrent}) {
        TvxUserDataset ds;
        ds.RangeEnd = end;
        EXPECT_EQ(walk(
                      ds, [] { return QString(); }, 500)
                      .size(),
                  500);
        EXPECT_FALSE(IsLastRecord(&ds));
    }
}

TEST(UserDataset, EventsFollowTheStepAndCheckEofDecides) {
    TvxUserDataset ds;
    QStringList log;
    ds.OnFirst = [&](TvxDataset* s) { log << QStringLiteral("F%1").arg(s->RecordNo); };
    ds.OnNext = [&](TvxDataset* s) { log << QStringLiteral("N%1").arg(s->RecordNo); };
    ds.OnPrior = [&](TvxDataset* s) { log << QStringLiteral("P%1").arg(s->RecordNo); };
    ds.OnCheckEOF = [&](TvxDataset* s, bool& eof) {
        EXPECT_FALSE(eof); // the base answer for reLast
        eof = s->RecordNo >= 2;
    };
    EXPECT_EQ(walk(ds, [&] { return QString::number(ds.RecordNo); }).join(' '),
              QStringLiteral("0 1"));
    ds.Prior();
    EXPECT_EQ(log.join(' '), QStringLiteral("F0 N1 N2 P1"));
    // The handler also sees the count answer and may overturn it.
    ds.RangeEnd = reCount;
    ds.RangeEndCount = 0;
    ds.OnCheckEOF = [](TvxDataset*, bool& eof) {
        EXPECT_TRUE(eof);
        eof = false;
    };
    ds.First();
    EXPECT_FALSE(ds.Eof());
}

TEST(UserDataset, IsLastRecordWithCount) {
    TvxUserDataset ds;
    ds.RangeEnd = reCount;
    ds.RangeEndCount = 3;
    ds.First();
    EXPECT_FALSE(IsLastRecord(&ds));
    ds.Next();
    ds.Next();
    EXPECT_TRUE(IsLastRecord(&ds));
    EXPECT_FALSE(IsLastRecord(nullptr));
}

TEST(DatasetNames, OwnerlessDatasetsNameThemselvesUniquely) {
    TvxDataset a;
    TvxUserDataset b;
    EXPECT_TRUE(a.name().startsWith(QLatin1Char('N')));
    bool number = false;
    a.name().mid(1).toULongLong(&number);
    EXPECT_TRUE(number) << a.name().toStdString();
    EXPECT_NE(a.name(), b.name());
    Component form(nullptr, QStringLiteral("Form1"));
    TvxDBDataSet owned(&form);
    EXPECT_TRUE(owned.name().isEmpty());
    EXPECT_EQ(form.findComponent(QString()), nullptr);
}

// ---------------------------------------------------------------- database datasets

using DBDataSetTest = vx::test::DatasetBackendFixture;

TEST_P(DBDataSetTest, WalksEveryRecordAndClosesWhatItOpened) {
    TvxDBDataSet ds;
    ds.SetDataSet(&clienti());
    ASSERT_FALSE(clienti().active());
    ds.StartUse();
    EXPECT_TRUE(ds.DataSetError.isEmpty());
    EXPECT_TRUE(ds.InUse);
    EXPECT_TRUE(clienti().active());
    EXPECT_TRUE(clienti().controlsDisabled());
    EXPECT_EQ(walk(ds, [&] { return ids(clienti()); }).join(' '), QStringLiteral("1 2 3 4 5"));
    EXPECT_EQ(ds.RecordNo, 5);
    ds.EndUse();
    EXPECT_FALSE(ds.InUse);
    EXPECT_FALSE(clienti().active());
    EXPECT_FALSE(clienti().controlsDisabled());
}

TEST_P(DBDataSetTest, ControlsAreDisabledOnlyWhenEnabledBeforeAndAsked) {
    struct Case {
        bool option, disabledBefore, disabledDuring, disabledAfter;
    } cases[] = {
        {true, false, true, false},
        {false, false, false, false},
        {true, true, true, true},
    };
    for (const Case& c : cases) {
        if (c.disabledBefore)
            clienti().disableControls();
        TvxDBDataSet ds;
        ds.SetDataSet(&clienti());
        ds.DisableControlsOption = c.option;
        ds.StartUse();
        EXPECT_EQ(clienti().controlsDisabled(), c.disabledDuring);
        ds.EndUse();
        EXPECT_EQ(clienti().controlsDisabled(), c.disabledAfter);
        while (clienti().controlsDisabled())
            clienti().enableControls();
    }
}

TEST_P(DBDataSetTest, RangesFromAndToTheHostsCurrentRecord) {
    struct Case {
        TRangeBegin begin;
        TRangeEnd end;
        int count;
        const char* expected;
    } cases[] = {
        {rbFirst, reLast, 0, "1 2 3 4 5"}, {rbCurrent, reLast, 0, "3 4 5"},
        {rbFirst, reCurrent, 0, "1 2 3"},  {rbCurrent, reCurrent, 0, "3"},
        {rbCurrent, reCount, 2, "3 4"},    {rbFirst, reCount, 9, "1 2 3 4 5"},
    };
    clienti().open();
    for (const Case& c : cases) {
        clienti().setRecNo(3); // the host's cursor
        TvxDBDataSet ds;
        ds.SetDataSet(&clienti());
        ds.RangeBegin = c.begin;
        ds.RangeEnd = c.end;
        ds.RangeEndCount = c.count;
        ds.StartUse();
        EXPECT_EQ(ds.StartRecNo, 3);
        EXPECT_EQ(walk(ds, [&] { return ids(clienti()); }).join(' '), QLatin1String(c.expected))
            << int(c.begin) << int(c.end);
        // A second run of the same range (the cursor now at the end) again.
        EXPECT_EQ(walk(ds, [&] { return ids(clienti()); }).join(' '), QLatin1String(c.expected));
        ds.EndUse();
        EXPECT_TRUE(clienti().active());
        EXPECT_EQ(clienti().recNo(), 3) << "the host's cursor is put back";
    }
}

TEST_P(DBDataSetTest, PriorUnderCurrentEndMarksTheStartRecord) {
    clienti().open();
    clienti().setRecNo(2);
    TvxDBDataSet ds;
    ds.SetDataSet(&clienti());
    ds.RangeBegin = rbCurrent;
    ds.RangeEnd = reCurrent;
    ds.StartUse();
    ds.First();
    EXPECT_FALSE(ds.Eof());
    ds.Prior();
    EXPECT_TRUE(ds.EndMarked);
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecordNo, -1);
    ds.EndUse();
}

TEST_P(DBDataSetTest, IsLastRecordUsesTheRecordCount) {
    TvxDBDataSet ds;
    ds.SetDataSet(&clienti());
    ds.StartUse();
    QString lastFlags;
    for (ds.First(); !ds.Eof(); ds.Next())
        lastFlags += IsLastRecord(&ds) ? QLatin1Char('1') : QLatin1Char('0');
    EXPECT_EQ(lastFlags, QStringLiteral("00001"));
    ds.EndUse();
}

TEST_P(DBDataSetTest, FilterSkipsRecordsBothWays) {
    const ScopedOverride filter(filterEvaluator(), [this](const QString& expr) {
        EXPECT_EQ(expr, QStringLiteral("PARI"));
        return clienti().fieldValue(QStringLiteral("id")).toInt() % 2 == 0;
    });
    TvxDBDataSet ds;
    ds.SetDataSet(&clienti());
    ds.Filter = QStringLiteral("PARI");
    ds.Filtered = true;
    ds.StartUse();
    EXPECT_EQ(walk(ds, [&] { return ids(clienti()); }).join(' '), QStringLiteral("2 4"));
    clienti().setRecNo(4);
    ds.Prior(); // 3 fails: back to the previous passing record
    EXPECT_EQ(ids(clienti()), QStringLiteral("2"));
    ds.Prior(); // 1 fails and is the first: Bof, standing on it
    EXPECT_TRUE(clienti().bof());
    ds.EndUse();
}

TEST_P(DBDataSetTest, FilterFalseEverywhereLeavesTheDatasetAtItsEnd) {
    const ScopedOverride filter(filterEvaluator(), [](const QString&) { return false; });
    TvxDBDataSet ds;
    ds.SetDataSet(&clienti());
    ds.Filtered = true;
    ds.StartUse();
    ds.First();
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(walk(ds, [] { return QString(); }).isEmpty());
    ds.EndUse();
    // Not filtered: the filter is not asked at all.
    const ScopedOverride throwing(
        filterEvaluator(), [](const QString&) -> bool { throw VxError(QStringLiteral("x")); });
    TvxDBDataSet plain;
    plain.SetDataSet(&clienti());
    plain.StartUse();
    EXPECT_EQ(walk(plain, [] { return QString(); }).size(), 5);
    plain.EndUse();
}

TEST_P(DBDataSetTest, FailingFilterRaisesTheBandFilterError) {
    const ScopedOverride filter(filterEvaluator(), [this](const QString&) -> bool {
        if (clienti().recNo() == 3)
            throw VxError(QStringLiteral("divisione per zero"));
        return true;
    });
    TvxDBDataSet ds;
    ds.SetDataSet(&clienti());
    ds.Filtered = true;
    ds.StartUse();
    ds.First();
    ds.Next();
    try {
        ds.Next();
        ADD_FAILURE() << "no error";
    } catch (const VxError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Errore nell'espressione del filtro della banda."));
    }
    ds.EndUse();
}

TEST_P(DBDataSetTest, DefaultFilterGoesThroughTheExpressionEvaluator) {
    TvxDBDataSet ds;
    ds.SetDataSet(&clienti());
    ds.Filtered = true;
    for (const char* filter : {"1 = 0", "0"}) {
        ds.Filter = QLatin1String(filter);
        ds.StartUse();
        ds.First();
        EXPECT_TRUE(ds.Eof()) << filter;
        ds.EndUse();
    }
    ds.Filter = QStringLiteral("2 > 1");
    ds.StartUse();
    EXPECT_EQ(walk(ds, [] { return QString(); }).size(), 5);
    ds.EndUse();
}

TEST_P(DBDataSetTest, GetDataSetMessages) {
    TvxDBDataSet ds(form.get());
    ds.setName(QStringLiteral("vxClienti"));
    EXPECT_EQ(ds.GetDataSet(), nullptr);
    EXPECT_EQ(ds.DataSetError, QStringLiteral("Dataset non assegnato: vxClienti"));
    ds.StartUse(); // without a dataset only the in-use mark is set
    EXPECT_TRUE(ds.InUse);
    ds.EndUse();

    ds.SetDataSet(&clienti());
    EXPECT_EQ(ds.GetDataSet(), &clienti()); // closed, not in use: no new text
    EXPECT_EQ(ds.DataSetError, QStringLiteral("Dataset non assegnato: vxClienti"));
    ds.StartUse();
    EXPECT_TRUE(ds.DataSetError.isEmpty());
    clienti().close(); // closed behind the report's back
    EXPECT_EQ(ds.GetDataSet(), &clienti());
    EXPECT_EQ(ds.DataSetError, QStringLiteral("Dataset chiuso: clienti"));
    ds.EndUse();
}

TEST_P(DBDataSetTest, OpenFailureIsReportedAndAFixedQueryWorksAgain) {
    SqlDataSet query;
    query.setName(QStringLiteral("qFatture"));
    query.setDatabase(&module->database());
    query.setSql(QStringLiteral("SELECT * FROM fatture"));
    TvxDBDataSet ds;
    ds.SetDataSet(&query);
    ds.StartUse();
    EXPECT_TRUE(ds.DataSetError.startsWith(
        QStringLiteral("Non è stato possibile aprire il Dataset: qFatture\r\n")))
        << ds.DataSetError.toStdString();
    EXPECT_GT(ds.DataSetError.size(), 55);
    EXPECT_TRUE(ds.InUse);
    // The band never used it; the next run with a good query starts cleanly.
    query.setSql(QStringLiteral("SELECT * FROM clienti"));
    ds.StartUse();
    EXPECT_TRUE(ds.DataSetError.isEmpty()) << ds.DataSetError.toStdString();
    EXPECT_EQ(walk(ds, [] { return QString(); }).size(), 5);
    ds.EndUse();
    EXPECT_FALSE(query.active());
}

TEST_P(DBDataSetTest, DestroyedDatabaseDatasetIsForgotten) {
    auto query = std::make_unique<SqlDataSet>();
    TvxDBDataSet ds;
    ds.SetDataSet(query.get());
    EXPECT_EQ(ds.dataSetRef(), query.get());
    query.reset();
    EXPECT_EQ(ds.dataSetRef(), nullptr);
    EXPECT_FALSE(ds.Eof()); // no dataset: only the base answer counts
}

TEST_P(DBDataSetTest, DataSourcePathNamesOwnerAndDataset) {
    TvxDBDataSet ds;
    EXPECT_TRUE(ds.DataSetPath().isEmpty());
    ds.SetDataSet(&clienti());
    EXPECT_EQ(ds.DataSetPath(), QStringLiteral("Dati.clienti"));
}

TEST_P(DBDataSetTest, DestroyedDatasetLeavesTheReportsList) {
    auto ds = std::make_unique<TvxUserDataset>();
    const QString name = ds->name();
    report->DataSets.Add(name, ds.get());
    EXPECT_EQ(report->DataSets.Find(name), ds.get());
    ds.reset();
    EXPECT_EQ(report->DataSets.Find(name), nullptr);
    EXPECT_EQ(report->DataSets.Count(), 0);
}

// A detail band's dataset as a parameterised query over the master's
// current record: each master record sees only its own rows, record counts
// and IsLastRecord follow the detail of that record, and blob and memo
// fields come through with their kinds, null or not.
TEST_P(DBDataSetTest, MasterDetailThroughAParameterisedQuery) {
    Database& db = module->database();
    const bool pg = GetParam();
    db.exec(pg ? QStringLiteral("CREATE TABLE ordini (num INTEGER PRIMARY KEY, cliente_id "
                                "INTEGER, nota TEXT, allegato BYTEA)")
               : QStringLiteral("CREATE TABLE ordini (num INTEGER PRIMARY KEY, cliente_id "
                                "INTEGER, nota MEMO, allegato BLOB)"));
    const QByteArray pdf("%PDF\x00\x01", 6);
    db.execBatch(QStringLiteral("INSERT INTO ordini VALUES (?, ?, ?, ?)"),
                 {{10, 1, QStringLiteral("prima"), pdf},
                  {11, 3, QVariant(), QVariant(QMetaType(QMetaType::QByteArray))},
                  {12, 1, QStringLiteral("terza"), QVariant(QMetaType(QMetaType::QByteArray))},
                  {13, 5, QVariant(), pdf}});
    SqlDataSet orders;
    orders.setDatabase(&db);
    orders.setSql(QStringLiteral("SELECT num, nota, allegato FROM ordini "
                                 "WHERE cliente_id = :id ORDER BY num"));
    orders.setMasterParam(QStringLiteral("id"), &clienti(), QStringLiteral("id"));
    TvxDBDataSet master;
    master.SetDataSet(&clienti());
    TvxDBDataSet detail;
    detail.SetDataSet(&orders);
    master.StartUse();
    detail.StartUse();
    ASSERT_TRUE(detail.DataSetError.isEmpty()) << detail.DataSetError.toStdString();
    QStringList seen;
    for (master.First(); !master.Eof(); master.Next()) {
        QStringList rows;
        for (detail.First(); !detail.Eof(); detail.Next()) {
            Field* nota = orders.findField(QStringLiteral("nota"));
            Field* allegato = orders.findField(QStringLiteral("allegato"));
            EXPECT_EQ(nota->kind(), FieldKind::Memo);
            EXPECT_EQ(allegato->kind(), FieldKind::Blob);
            rows << orders.fieldValue(QStringLiteral("num")).toString() + QLatin1Char('(') +
                        (nota->isNull() ? QStringLiteral("-") : nota->asString()) +
                        QLatin1Char(',') +
                        (allegato->isNull() ? QStringLiteral("-")
                                            : QString::number(allegato->asBytes().size())) +
                        (IsLastRecord(&detail) ? QStringLiteral(",last)") : QStringLiteral(")"));
        }
        seen << ids(clienti()) + QLatin1Char(':') + rows.join(QLatin1Char(' '));
    }
    EXPECT_EQ(seen.join(QStringLiteral(" | ")),
              QStringLiteral("1:10(prima,6) 12(terza,-,last) | 2: | 3:11(-,-,last) | 4: | "
                             "5:13(-,6,last)"));
    detail.EndUse();
    master.EndUse();
    EXPECT_FALSE(orders.active());
    EXPECT_FALSE(clienti().active());
}

INSTANTIATE_TEST_SUITE_P(Backends, DBDataSetTest, testing::Bool(), vx::test::backendName);

} // namespace
