#pragma once

// The report's DataSets: a list of name -> report dataset, kept sorted by
// name without regard to case; a name already present keeps its entry.
// The list does not own the datasets.

#include <QString>

#include <utility>
#include <vector>

namespace vx {

class TvxDataset;

class TvxDataSetList {
public:
    struct Entry {
        QString Name;
        TvxDataset* DataSet = nullptr;
    };

    int Count() const { return int(entries_.size()); }
    const Entry& At(int index) const { return entries_.at(size_t(index)); }
    const std::vector<Entry>& Entries() const { return entries_; }
    // Adds an entry; false (nothing added) when the name is present.
    bool Add(const QString& name, TvxDataset* dataSet);
    // The dataset of that name (case-insensitive), or nullptr.
    TvxDataset* Find(const QString& name) const;
    int IndexOf(const QString& name) const;
    // Removes every entry of that dataset; true when one was removed.
    bool Remove(const TvxDataset* dataSet);
    void Delete(int index);
    void ClearEntries() { entries_.clear(); }

private:
    std::vector<Entry> entries_;
};

} // namespace vx
