#include "report/data_refs.h"

#include "platform/component.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "report/dataset.h"
#include "report/library_state.h"
#include "report/page.h"
#include "report/report.h"
#include "report/values.h"
#include "report/view.h"

#include <QHash>

#include <algorithm>
#include <utility>
#include <vector>

namespace vx {

const char* const kInvalidCastMessage = "Conversione di tipo non valida.";

namespace {

// Component names on a module are cut where the stored short strings end.
constexpr int kNameMax = 255;

// The data references' part of the library state: the engine's lookup of
// the dataset a page's band is bound to.
struct PageLookupState : DefaultResetPart<PageLookupState> {
    PageDataSetLookup lookup;
};

Component* reportOwner() {
    return CurrentReport ? CurrentReport->owner() : nullptr;
}

Component* findOnReportOwner(const QString& name) {
    Component* owner = reportOwner();
    return owner ? owner->findComponent(name) : nullptr;
}

// A component that must be a database dataset (none stays none).
DataSet* asDataSetChecked(Component* c) {
    if (!c)
        return nullptr;
    auto* ds = dynamic_cast<DataSet*>(c);
    if (!ds)
        throw VxError(QString::fromUtf8(kInvalidCastMessage));
    return ds;
}

Field* fieldOf(DataSet* ds, const QString& name) {
    return ds ? ds->findField(name) : nullptr;
}

// Names of the form module.dataset.field do not depend on the current
// report, and a preparation looks the same few up for every record: the
// fields found are kept. Field objects live as long as their dataset, so the
// cache forgets everything when a dataset it holds goes away, and whenever
// ClearFieldNameCache is called (a preparation starts and ends).
class FieldNameCache : public LibraryStatePart {
public:
    void reset() override { clear(); }

    bool find(const QString& name, DataSet*& dataSet, Field*& field) const {
        const auto it = entries_.constFind(name);
        if (it == entries_.constEnd())
            return false;
        dataSet = it->dataSet;
        field = it->field;
        return true;
    }
    void add(const QString& name, DataSet* dataSet, Field* field) {
        if (entries_.size() >= kMaxEntries)
            clear();
        const bool watched = std::any_of(listeners_.begin(), listeners_.end(),
                                         [dataSet](const auto& l) { return l.first == dataSet; });
        if (!watched)
            listeners_.emplace_back(dataSet,
                                    dataSet->addListener([this](DataSet* ds, DataSetEvent e) {
                                        if (e == DataSetEvent::Destroyed)
                                            clear(ds);
                                    }));
        entries_.insert(name, Entry{dataSet, field});
    }
    // Forgets every name; `dying` is a dataset being destroyed, whose
    // listeners go with it.
    void clear(DataSet* dying = nullptr) {
        entries_.clear();
        for (const auto& [ds, id] : listeners_)
            if (ds != dying)
                ds->removeListener(id);
        listeners_.clear();
    }

private:
    // A template names a few dozen fields; a bound keeps hostile input small.
    static constexpr qsizetype kMaxEntries = 4096;
    struct Entry {
        DataSet* dataSet;
        Field* field;
    };
    QHash<QString, Entry> entries_;
    std::vector<std::pair<DataSet*, int>> listeners_;
};

FieldNameCache& fieldNameCache() {
    return libraryState().part<FieldNameCache>();
}

} // namespace

void ClearFieldNameCache() {
    fieldNameCache().clear();
}

void StripQuotes(QString& text) {
    if (text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.size() >= 2 ? text.mid(1, text.size() - 2) : QString();
}

Component* FindComponentByPath(const QString& path) {
    const qsizetype dot = path.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return nullptr;
    const QString moduleName = path.left(dot);
    const QString componentName = path.mid(dot + 1);
    for (ComponentKind kind : {ComponentKind::Form, ComponentKind::DataModule})
        for (Component* m : registeredModules())
            if (m->kind() == kind && m->name().compare(moduleName, Qt::CaseInsensitive) == 0)
                return m->findComponent(componentName);
    return nullptr;
}

DataSet* FindDataSet(const QString& name) {
    Component* found = nullptr;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        if (Component* module = findModule(name.left(dot)))
            found = module->findComponent(name.mid(dot + 1).left(kNameMax));
    } else {
        found = findOnReportOwner(name);
    }
    DataSet* ds = asDataSetChecked(found);
    if (!ds)
        SetPreparationError(QStringLiteral("Non è stato trovato il vxDataset: ") + name);
    return ds;
}

void FindDataSetField(const QString& name, DataSet*& dataSet, Field*& field) {
    field = nullptr;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot < 0) {
        if (dataSet) {
            QString n = name;
            StripQuotes(n);
            field = fieldOf(dataSet, n);
        }
        return;
    }
    if (fieldNameCache().find(name, dataSet, field))
        return;
    const QString a = name.left(dot);
    QString r = name.mid(dot + 1).left(kNameMax);
    const qsizetype dot2 = r.indexOf(QLatin1Char('.'));
    if (!r.startsWith(QLatin1Char('"')) && dot2 >= 0) {
        // module.dataset.field
        Component* module = findModule(a);
        if (!module)
            return;
        QString fieldName = r.mid(dot2 + 1).left(kNameMax);
        StripQuotes(fieldName);
        dataSet = dynamic_cast<DataSet*>(module->findComponent(r.left(dot2)));
        field = fieldOf(dataSet, fieldName);
        if (field)
            fieldNameCache().add(name, dataSet, field);
        return;
    }
    // dataset.field, or module.dataset
    dataSet = dynamic_cast<DataSet*>(findOnReportOwner(a));
    StripQuotes(r);
    if (dataSet) {
        field = fieldOf(dataSet, r);
    } else if (Component* module = findModule(a)) {
        dataSet = dynamic_cast<DataSet*>(module->findComponent(r));
    }
}

int DataBandForParent(int parentBandType) {
    if (parentBandType >= 7 && parentBandType <= 9)
        return 8;
    if (parentBandType >= 10 && parentBandType <= 12)
        return 11;
    if (parentBandType >= 18 && parentBandType <= 20)
        return 19;
    if (parentBandType == 13 || parentBandType == 21)
        return -1;
    return 5;
}

PageDataSetLookup& pageDataSetLookup() {
    return libraryState().part<PageLookupState>().lookup;
}

void SetPageDataSetLookup(PageDataSetLookup lookup) {
    pageDataSetLookup() = std::move(lookup);
}

TvxDataset* TemplatePageDataSet(TvxPage* page, int bandType) {
    if (!page)
        return nullptr;
    for (const auto& view : page->Objects) {
        if (!view || view->ObjectType != otBand || int(view->FrameLines) != bandType)
            continue;
        const QString& name = view->FormatText;
        if (name.isEmpty())
            return nullptr;
        if (auto* ds = dynamic_cast<TvxDataset*>(findOnReportOwner(name)))
            return ds;
        TvxReport* report = page->Report ? page->Report : CurrentReport;
        return report ? report->DataSets.Find(name) : nullptr;
    }
    return nullptr;
}

void FindFieldForName(const QString& name, DataSet*& dataSet, Field*& field) {
    if (name.contains(QLatin1Char('.')) && !name.startsWith(QLatin1Char('"'))) {
        FindDataSetField(name, dataSet, field);
        return;
    }
    field = nullptr;
    dataSet = nullptr;
    if (CurrentPage && CurrentView) {
        const int bandType = DataBandForParent(CurrentView->ParentBandType);
        if (bandType >= 0) {
            TvxDataset* bound = pageDataSetLookup() ? pageDataSetLookup()(CurrentPage, bandType)
                                                    : TemplatePageDataSet(CurrentPage, bandType);
            if (auto* db = dynamic_cast<TvxDBDataSet*>(bound))
                dataSet = db->dataSetRef();
        }
    }
    if (dataSet) {
        QString n = name;
        if (n.size() >= 2)
            StripQuotes(n);
        field = fieldOf(dataSet, n);
    }
}

void BindValues(TvxReport* report) {
    if (ErrorRaised || !report || !report->Values)
        return;
    report->HasBlobValues = false;
    TvxValues& values = *report->Values;
    for (int i = 0; i < values.Count(); ++i) {
        TvxValue* v = values.Items(i);
        if (v->Kind != vkDataField)
            continue;
        v->BoundDataSet = FindDataSet(v->DataSetName);
        if (!v->BoundDataSet) {
            // FindDataSet recorded its own text first; that one stays.
            CurrentView = nullptr;
            SetPreparationError(QStringLiteral("Dataset non assegnato: ") + v->DataSetName);
            return;
        }
        if (!v->BoundDataSet->active())
            continue;
        v->BoundField = v->BoundDataSet->findField(v->FieldName);
        if (!v->BoundField) {
            CurrentView = nullptr;
            SetPreparationError(QStringLiteral("Non è stato possibile reperire il campo: ") +
                                v->BoundDataSet->name() + QLatin1Char('.') + v->FieldName);
            return;
        }
        if (v->BoundField->isBlob())
            report->HasBlobValues = true;
    }
}

} // namespace vx
