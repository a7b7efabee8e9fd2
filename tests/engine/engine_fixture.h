#pragma once

// Engine tests: templates built in code, prepared over SQLite tables the
// test makes, the prepared pages read back with the text extraction of
// `vxtool text` (strings per page, positions where they matter).

#include "engine/engine_hooks.h"
#include "engine/engine_state.h"
#include "engine/preparation.h"
#include "platform/component.h"
#include "platform/database.h"
#include "platform/emf/emf_text.h"
#include "platform/message_box.h"
#include "report/band_view.h"
#include "report/dataset.h"
#include "report/emf_pages.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/page.h"
#include "report/pages.h"
#include "report/printer_settings.h"
#include "report/report.h"
#include "report/value_expansion.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

// Values of QString in test messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace vx::test {

// One text record of a prepared page.
struct PageText {
    QString text;
    QPoint at; // reference point, 1/96-inch pixels
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetLibraryState();
        resetEngineCounters();
        resetPreparationState();
        InstallNameResolution();
        InstallEngine();
        savedPrinter_ = ReplacePrinterSettings(std::make_unique<TPrinterSettings>(nullptr));
        boxes_ = std::make_unique<MessageBoxInterceptor>();
        ASSERT_TRUE(dir_.isValid());
        form_ = std::make_unique<Component>(nullptr, QStringLiteral("Form1"), ComponentKind::Form);
        registerModule(form_.get());
        report = std::make_unique<TvxReport>(form_.get());
        report->ShowProgress = false;
        CurrentReport = report.get();
    }
    void TearDown() override {
        report.reset();
        form_.reset();
        module_.reset();
        boxes_.reset();
        ReplacePrinterSettings(std::move(savedPrinter_));
        resetPreparationState();
        resetEngineCounters();
        resetLibraryState();
    }

    // A database file in the test's folder; `sql` statements make its tables.
    // The tables are registered as the data module "Dati".
    void makeDatabase(const QStringList& sql) {
        module_.reset();
        const QString spec = dir_.filePath(QStringLiteral("dati%1.sqlite").arg(++databases_));
        {
            auto db = Database::open(spec, Database::OpenMode::CreateIfMissing);
            db->transaction();
            for (const QString& s : sql)
                db->exec(s);
            db->commit();
        }
        module_ = registerDatabaseModule(spec);
    }
    // A table "righe" (id, nome, importo) with n rows: id i, nome "Riga i",
    // importo i * 10.
    void makeRows(int n, const QString& table = QStringLiteral("righe")) {
        QStringList sql{QStringLiteral("CREATE TABLE %1 (id INTEGER, nome VARCHAR(30), importo "
                                       "INTEGER)")
                            .arg(table)};
        for (int i = 1; i <= n; ++i)
            sql << QStringLiteral("INSERT INTO %1 VALUES (%2, 'Riga %2', %3)")
                       .arg(table)
                       .arg(i)
                       .arg(i * 10);
        makeDatabase(sql);
    }
    DatabaseModule& data() { return *module_; }

    TvxPage& page(int index = 0) { return report->Pages->Pages(index); }
    TvxPage& addPage() { return report->Pages->Add(); }

    // A report dataset over a table of "Dati", listed in the report.
    TvxDBDataSet* addDataSet(const QString& name, const QString& table,
                             const QString& filter = QString()) {
        auto ds = std::make_unique<TvxDBDataSet>();
        ds->setName(name);
        ds->SetDataSet(module_->table(table));
        ds->Filter = filter;
        ds->Filtered = !filter.isEmpty();
        TvxDBDataSet* listed = ds.get();
        report->DataSets.Add(name, std::move(ds)); // ownerless: the report's from now on
        return listed;
    }

    TvxBandView* addBand(int bandType, int top, int height, const QString& text = QString(),
                         TvxPage* onPage = nullptr) {
        auto view = std::make_unique<TvxBandView>(report.get());
        view->SetBandType(bandType);
        view->Left = 0;
        view->Top = top;
        view->Width = 700;
        view->Height = height;
        view->FormatText = text;
        auto* raw = view.get();
        (onPage ? *onPage : page()).Add(std::move(view));
        return raw;
    }
    TvxMemoView* addText(int left, int top, int width, int height, const QString& text,
                         TvxPage* onPage = nullptr) {
        auto view = std::make_unique<TvxMemoView>(report.get());
        view->Left = left;
        view->Top = top;
        view->Width = width;
        view->Height = height;
        view->Lines = text.split(QLatin1Char('\n'));
        auto* raw = view.get();
        (onPage ? *onPage : page()).Add(std::move(view));
        return raw;
    }
    // A band of `type` at `top`, 20 high, holding one text object of the
    // band's height less two; `data` is its dataset or group condition.
    void bandWithText(int type, int top, const QString& text, const QString& data = QString()) {
        addBand(type, top, 20, data);
        addText(10, top, 200, 18, text);
    }

    // Prepares without a progress window; false when ErrorRaised.
    bool prepare() {
        Prepare(*report);
        return !ErrorRaised;
    }
    int pageCount() const { return report->PreparedPages->Count(); }
    std::vector<PageText> textsAt(int pageIndex) const {
        std::vector<PageText> out;
        for (const emf::EmfTextItem& item :
             emf::extractText(report->PreparedPages->Pages(pageIndex).Picture))
            out.push_back({item.text, item.reference});
        return out;
    }
    // The strings of a prepared page, in record order.
    QStringList texts(int pageIndex) const {
        QStringList out;
        for (const PageText& t : textsAt(pageIndex))
            out << t.text;
        return out;
    }
    // Every page's strings, pages separated by "|".
    QString allTexts() const {
        QStringList pages;
        for (int i = 0; i < pageCount(); ++i)
            pages << texts(i).join(QLatin1Char(','));
        return pages.join(QLatin1Char('|'));
    }
    // The first text record holding `text` on the page, or (-1, -1).
    QPoint where(int pageIndex, const QString& text) const {
        for (const PageText& t : textsAt(pageIndex))
            if (t.text == text)
                return t.at;
        return {-1, -1};
    }
    const std::vector<RecordedMessage>& messages() const { return boxes_->messages(); }

    std::unique_ptr<TvxReport> report;

private:
    QTemporaryDir dir_;
    std::unique_ptr<TPrinterSettings> savedPrinter_;
    std::unique_ptr<MessageBoxInterceptor> boxes_;
    std::unique_ptr<Component> form_;
    std::unique_ptr<DatabaseModule> module_;
    int databases_ = 0;
};

} // namespace vx::test
