#pragma once

// TvxPages: the report's ordered list of template pages (owned).

#include "report/page.h"
#include "report/stream_helpers.h"

#include <memory>
#include <vector>

namespace vx {

class TvxReport;

class TvxPages {
public:
    explicit TvxPages(TvxReport* report);
    ~TvxPages();
    TvxPages(const TvxPages&) = delete;
    TvxPages& operator=(const TvxPages&) = delete;

    int Count() const { return int(list_.size()); }
    TvxPage& Pages(int index) const { return *list_.at(size_t(index)); }
    TvxPage& operator[](int index) const { return Pages(index); }
    void Clear();
    // Appends a page created with paper code 9, width 0, height 0, portrait.
    TvxPage& Add();
    void Delete(int index);
    int IndexOf(const TvxPage* page) const;
    // Appends the pages of `other` (which is left empty); they and their
    // objects belong to this list's report from then on.
    void TakePages(TvxPages& other);

    // The pages stream: header words, printer, tagged page / object /
    // variables records. Reading throws VxError (or VxAbort from the object
    // factory) on a damaged stream; the report reader absorbs it.
    void LoadFromStream(ByteReader& stream);
    void SaveToStream(ByteWriter& stream) const;

    TvxReport* Report() const { return report_; }

private:
    TvxReport* report_;
    std::vector<std::unique_ptr<TvxPage>> list_;
};

} // namespace vx
