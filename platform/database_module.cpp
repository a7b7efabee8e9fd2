// Data modules over a database: one component per database, holding one
// table dataset per table, registered in the process-wide component tree.

#include "platform/database.h"

#include "platform/component.h"

#include <memory>

namespace vx {

DatabaseModule::~DatabaseModule() = default;

TableDataSet* DatabaseModule::table(const QString& name) const {
    for (const auto& t : tables_)
        if (t->name().compare(name, Qt::CaseInsensitive) == 0)
            return t.get();
    return nullptr;
}

std::unique_ptr<DatabaseModule> registerDatabaseModule(const QString& spec,
                                                       const QString& moduleName) {
    std::unique_ptr<DatabaseModule> m(new DatabaseModule);
    m->database_ = Database::open(spec);
    m->module_ = std::make_unique<Component>(nullptr, moduleName, ComponentKind::DataModule);
    m->module_->setClassName(QStringLiteral("TDataModule"));
    for (const QString& table : m->database_->tables()) {
        auto t = std::make_unique<TableDataSet>(m->module_.get());
        t->setName(table);
        t->setDatabase(m->database_.get());
        t->setTableName(table);
        m->tables_.push_back(std::move(t));
    }
    registerModule(m->module_.get());
    return m;
}

} // namespace vx
