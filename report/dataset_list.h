#pragma once

// The report's DataSets: a list of name -> report dataset, kept sorted by
// name without regard to case; a name already present keeps its entry.
//
// The list owns the datasets handed to it as unique_ptr (the template's own
// datasets, which have no owner component) and destroys each when its last
// entry goes. Datasets handed over as plain pointers (on a form or a data
// module) are only listed. A listed dataset destroyed elsewhere takes itself
// off every list that holds it.

#include <QString>

#include <memory>
#include <vector>

namespace vx {

class TvxDataset;

class TvxDataSetList {
public:
    struct Entry {
        QString Name;
        TvxDataset* DataSet = nullptr;
    };

    TvxDataSetList() = default;
    ~TvxDataSetList();
    TvxDataSetList(const TvxDataSetList&) = delete;
    TvxDataSetList& operator=(const TvxDataSetList&) = delete;

    int Count() const { return int(entries_.size()); }
    const Entry& At(int index) const { return entries_.at(size_t(index)); }
    const std::vector<Entry>& Entries() const { return entries_; }
    // Lists a dataset that stays with its owner; false (nothing added) when
    // the name is present.
    bool Add(const QString& name, TvxDataset* dataSet);
    // Takes the dataset into the list; when the name is present nothing is
    // added and the dataset is destroyed (false).
    bool Add(const QString& name, std::unique_ptr<TvxDataset> dataSet);
    // The dataset of that name (case-insensitive), or nullptr.
    TvxDataset* Find(const QString& name) const;
    int IndexOf(const QString& name) const;
    // Removes every entry of that dataset (destroying it when owned); true
    // when one was removed.
    bool Remove(const TvxDataset* dataSet);
    // Removes the entry (destroying its dataset when owned and not listed
    // under another name).
    void Delete(int index);
    // Removes every entry.
    void Clear();
    // Whether the list owns the dataset.
    bool Owns(const TvxDataset* dataSet) const;
    // Moves every entry of `other` to this list, as Add would take it; an
    // entry whose name is present here is dropped (its owned dataset
    // destroyed). `other` is left empty.
    void TakeAll(TvxDataSetList& other);

private:
    friend class TvxDataset;
    // A listed dataset is being destroyed: its entries go, nothing more.
    void Forget(const TvxDataset* dataSet);
    bool insert(const QString& name, TvxDataset* dataSet);
    bool listed(const TvxDataset* dataSet) const;
    // Takes the entries matching `match` out of the list; the datasets that
    // are no longer listed are unregistered and, when owned, destroyed once
    // the list is consistent again.
    template <class Match> bool removeWhere(Match match);

    std::vector<Entry> entries_;
    std::vector<std::unique_ptr<TvxDataset>> owned_;
};

} // namespace vx
