#include "report/dataset_list.h"

#include <algorithm>

namespace vx {

namespace {
int compareNames(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive);
}
} // namespace

bool TvxDataSetList::Add(const QString& name, TvxDataset* dataSet) {
    const auto it = std::lower_bound(
        entries_.begin(), entries_.end(), name,
        [](const Entry& e, const QString& n) { return compareNames(e.Name, n) < 0; });
    if (it != entries_.end() && compareNames(it->Name, name) == 0)
        return false;
    entries_.insert(it, Entry{name, dataSet});
    return true;
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

bool TvxDataSetList::Remove(const TvxDataset* dataSet) {
    const auto before = entries_.size();
    std::erase_if(entries_, [dataSet](const Entry& e) { return e.DataSet == dataSet; });
    return entries_.size() != before;
}

void TvxDataSetList::Delete(int index) {
    if (index >= 0 && index < Count())
        entries_.erase(entries_.begin() + index);
}

} // namespace vx
