// A host program drives a preparation: a user dataset of its own rows, the
// values and functions it answers, the dataset notifications.

#include "engine_fixture.h"

#include "report/values.h"

using namespace vx;
using namespace vx::test;

namespace {

class HostApi : public EngineTest {
protected:
    // A user dataset over `rows`, owned by the report's form; the variable
    // "riga" is answered from the host's cursor.
    void hostRows(const QStringList& rows) {
        rows_ = rows;
        users_ = std::make_unique<TvxUserDataset>(report->owner());
        users_->setName(QStringLiteral("vxUtente"));
        users_->OnFirst = [this](TvxDataset*) { cursor_ = 0; };
        users_->OnNext = [this](TvxDataset*) { ++cursor_; };
        users_->OnPrior = [this](TvxDataset*) { --cursor_; };
        users_->OnCheckEOF = [this](TvxDataset*, bool& eof) { eof = cursor_ >= rows_.size(); };
        const int i = report->Values->AddValue();
        report->Values->SetName(i, QStringLiteral("riga"));
        report->OnGetValue = [this](const QString& name, Variant& value) {
            if (name.compare(QStringLiteral("riga"), Qt::CaseInsensitive) == 0)
                value = Variant(rows_.value(int(cursor_)));
        };
        addBand(btMasterData, 200, 20, QStringLiteral("vxUtente"));
        addText(40, 200, 300, 18, QStringLiteral("[riga]"));
    }
    QStringList rows_;
    qsizetype cursor_ = 0;
    std::unique_ptr<TvxUserDataset> users_;
};

TEST_F(HostApi, UserDatasetPreparesLikeADatabaseOne) {
    hostRows({"alfa", "beta", "gamma"});
    addBand(btMasterFooter, 300, 20);
    addText(40, 300, 300, 18, QStringLiteral("ultima [riga], [COUNT()] righe"));
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    EXPECT_EQ(texts(0), (QStringList{"alfa", "beta", "gamma", "ultima gamma, 3 righe"}));
}

TEST_F(HostApi, UserFunctionsAndNotifications) {
    hostRows({"a", "b"});
    addText(400, 200, 100, 18, QStringLiteral("[DOPPIO([LINE#])]"));
    report->OnUserFunction = [](const QString& name, const Variant& p1, const Variant&,
                                const Variant&, Variant& value) {
        if (name == QLatin1String("DOPPIO"))
            value = Variant(int(p1.toInt64() * 2));
    };
    QStringList work;
    report->OnDataSetWork = [&work](const QString& band, DataSet* ds, int32_t&,
                                    TvxDataSetOperation op) {
        static const char* const names[] = {"open", "close", "first", "next", "prior"};
        work << band + QLatin1Char(':') + QLatin1String(names[op]) +
                    (ds ? QStringLiteral("+db") : QString());
    };
    ASSERT_TRUE(prepare()) << ErrorText.toStdString();
    EXPECT_EQ(texts(0), (QStringList{"a", "2", "b", "4"}));
    EXPECT_EQ(work.join(QLatin1Char(' ')),
              QStringLiteral("Band1:open Band1:first Band1:next Band1:next Band1:close"));
}

TEST_F(HostApi, RecordCountSetOnFirstRangesTheDataset) {
    hostRows({"a", "b", "c", "d", "e", "f", "g"});
    users_->RangeEnd = reCount;
    users_->OnCheckEOF = nullptr;
    report->OnDataSetWork = [](const QString&, DataSet*, int32_t& count, TvxDataSetOperation op) {
        if (op == dwFirst)
            count = 5;
    };
    ASSERT_TRUE(prepare());
    EXPECT_EQ(texts(0), (QStringList{"a", "b", "c", "d", "e"}));
}

TEST_F(HostApi, DatasetWithoutEndIsAnErrorNotAnEndlessList) {
    hostRows({"a"});
    users_->OnCheckEOF = nullptr;
    EXPECT_FALSE(prepare());
    EXPECT_EQ(ErrorText.split(QLatin1Char('\r')).value(1),
              QStringLiteral("Il vxDataset vxUtente non ha fine: manca il numero dei record "
                             "(RangeEnd) o l'evento OnCheckEOF."));
}

TEST_F(HostApi, DatabaseClosedDuringTheRunIsAnError) {
    makeRows(10);
    addDataSet(QStringLiteral("vxRighe"), QStringLiteral("righe"));
    addBand(btMasterData, 200, 20, QStringLiteral("vxRighe"));
    addText(40, 200, 300, 18, QStringLiteral("[Dati.righe.nome]"));
    int steps = 0;
    report->OnDataSetWork = [&](const QString&, DataSet* ds, int32_t&, TvxDataSetOperation op) {
        if (op == dwNext && ++steps == 3)
            ds->close();
    };
    EXPECT_FALSE(prepare());
    EXPECT_EQ(ErrorText.split(QLatin1Char('\r')).value(1), QStringLiteral("Dataset chiuso: righe"));
}

} // namespace
