#include "report/dataset_list.h"

#include "report/dataset.h"

#include <algorithm>

namespace vx {

namespace {
int compareNames(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive);
}
} // namespace

TvxDataSetList::~TvxDataSetList() {
    Clear();
}

bool TvxDataSetList::insert(const QString& name, TvxDataset* dataSet) {
    const auto it = std::lower_bound(
        entries_.begin(), entries_.end(), name,
        [](const Entry& e, const QString& n) { return compareNames(e.Name, n) < 0; });
    if (it != entries_.end() && compareNames(it->Name, name) == 0)
        return false;
    entries_.insert(it, Entry{name, dataSet});
    if (dataSet &&
        std::find(dataSet->lists_.begin(), dataSet->lists_.end(), this) == dataSet->lists_.end())
        dataSet->lists_.push_back(this);
    return true;
}

bool TvxDataSetList::listed(const TvxDataset* dataSet) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [dataSet](const Entry& e) { return e.DataSet == dataSet; });
}

bool TvxDataSetList::Add(const QString& name, TvxDataset* dataSet) {
    return insert(name, dataSet);
}

bool TvxDataSetList::Add(const QString& name, std::unique_ptr<TvxDataset> dataSet) {
    if (!insert(name, dataSet.get()))
        return false; // the dataset is destroyed here
    if (dataSet && !Owns(dataSet.get()))
        owned_.push_back(std::move(dataSet));
    return true;
}

bool TvxDataSetList::Owns(const TvxDataset* dataSet) const {
    return std::any_of(owned_.begin(), owned_.end(),
                       [dataSet](const auto& p) { return p.get() == dataSet; });
}

int TvxDataSetList::IndexOf(const QString& name) const {
    const auto it = std::lower_bound(
        entries_.begin(), entries_.end(), name,
        [](const Entry& e, const QString& n) { return compareNames(e.Name, n) < 0; });
    if (it != entries_.end() && compareNames(it->Name, name) == 0)
        return int(it - entries_.begin());
    return -1;
}

TvxDataset* TvxDataSetList::Find(const QString& name) const {
    const int i = IndexOf(name);
    return i < 0 ? nullptr : entries_[size_t(i)].DataSet;
}

template <class Match> bool TvxDataSetList::removeWhere(Match match) {
    std::vector<TvxDataset*> removed;
    for (const Entry& e : entries_)
        if (match(e))
            removed.push_back(e.DataSet);
    if (removed.empty())
        return false;
    std::erase_if(entries_, match);
    std::vector<std::unique_ptr<TvxDataset>> doomed;
    for (TvxDataset* dataSet : removed) {
        if (!dataSet || listed(dataSet))
            continue;
        std::erase(dataSet->lists_, this);
        const auto own = std::find_if(owned_.begin(), owned_.end(),
                                      [dataSet](const auto& p) { return p.get() == dataSet; });
        if (own != owned_.end()) {
            doomed.push_back(std::move(*own));
            owned_.erase(own);
        }
    }
    return true; // `doomed` destroys the datasets that were this list's alone
}

bool TvxDataSetList::Remove(const TvxDataset* dataSet) {
    return removeWhere([dataSet](const Entry& e) { return e.DataSet == dataSet; });
}

void TvxDataSetList::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    const QString name = entries_[size_t(index)].Name; // names are unique in the list
    removeWhere([&name](const Entry& e) { return compareNames(e.Name, name) == 0; });
}

void TvxDataSetList::Clear() {
    removeWhere([](const Entry&) { return true; });
}

void TvxDataSetList::Forget(const TvxDataset* dataSet) {
    std::erase_if(entries_, [dataSet](const Entry& e) { return e.DataSet == dataSet; });
}

void TvxDataSetList::TakeAll(TvxDataSetList& other) {
    std::vector<Entry> entries = std::move(other.entries_);
    std::vector<std::unique_ptr<TvxDataset>> owned = std::move(other.owned_);
    other.entries_.clear();
    other.owned_.clear();
    for (const Entry& e : entries) {
        if (e.DataSet)
            std::erase(e.DataSet->lists_, &other);
        insert(e.Name, e.DataSet); // refused when the name is present here
    }
    for (auto& dataSet : owned)
        if (listed(dataSet.get()))
            owned_.push_back(std::move(dataSet));
    // What no entry here lists is destroyed with `owned`.
}

} // namespace vx
