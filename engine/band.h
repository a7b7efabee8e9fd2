#pragma once

// TvxBand: a run-time band. When a template page is prepared, every band
// object becomes one TvxBand holding the objects that lie inside it; the
// band measures itself, grows with its text, moves objects below a growing
// text, checks that it fits, breaks to the next column or page, splits
// across pages when allowed, and lets each object draw at its position.
//
// Bands of one type on a page form a chain ordered by Top: the page holds
// the first, each band owns its NextBand.

#include "engine/master_detail.h"
#include "expr/variant.h"
#include "report/dataset.h"

#include <QString>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace vx {

class PageRun;
class TvxBandView;
class TvxView;

// A band holds at most this many sub-report objects (one done-flag each).
inline constexpr int kMaxSubReportsPerBand = 35;

// Level of the aggregates kept for the report summary, the page footer and
// the column footer: above every group, so that a group change never resets
// a grand total; only the start of the list does.
inline constexpr int kGrandTotalLevel = 255;

// One plain aggregate accumulator (SUM, AVG, MIN, MAX) of a data band.
struct Accumulator {
    QString Function;         // "SUM", "AVG", "MIN" or "MAX"
    QString Argument;         // the argument text, evaluated per record
    int Level = 0;            // reset by group changes of this level or above
    TvxView* Owner = nullptr; // the text object that registered it
    Variant Value;
};

// The per-column accumulators of one cross aggregate key (cross tables).
struct ColumnAccumulators {
    QString Key;
    QString Function;
    QString Argument;
    TvxView* Owner = nullptr;
    std::vector<Variant> Values; // one per column position, from 1
};

class TvxBand {
public:
    TvxBand(PageRun* page, int bandType);
    // Frees the chain after this band; a band with a dataset ends its use
    // (EndUse, then dwClose).
    ~TvxBand();
    TvxBand(const TvxBand&) = delete;
    TvxBand& operator=(const TvxBand&) = delete;

    // Takes the geometry and the options of a band object.
    void TakeView(TvxBandView* view, bool subReportPage);
    bool HasObjects() const { return !Objects.empty(); }
    // Page footer, overlay and none band: they keep their own Top and do not
    // move the page cursor.
    bool FooterLike() const;
    bool IsDataBand() const; // 5, 8, 11 (the bands of a data level)

    PageRun* Page;
    int BandType;
    std::unique_ptr<TvxBand> NextBand; // owned
    TvxBand* PrevBand = nullptr;
    int32_t SubReportStart = 0;
    int32_t SubReportBottom = 0;
    bool SubReportsDone = true;
    std::array<bool, kMaxSubReportsPerBand> SubReportDone{};
    // Where each sub-report resumes after a column change: its object's place
    // in the band, or the top of the page it went on to.
    std::array<int32_t, kMaxSubReportsPerBand> SubReportTop{};
    // The last PrintBand found the band hidden by the host (OnDrawObject).
    bool Hidden = false;
    int32_t LineNo = 1;
    int32_t LineThrough = 1;
    Variant GroupValue;
    TvxBand* LastBand = nullptr;    // on the first band of a chain
    TvxBand* GroupFooter = nullptr; // on a group header
    int GroupLevel = 0;
    bool FillMode = false;
    int32_t Left = 0;
    int32_t Width = 0;
    int32_t Top = 0;
    int32_t Height = 0;
    int32_t CalcHeight = 0;
    TvxBandView* View = nullptr;
    bool PrintWhenDetailEmpty = false;
    bool NewPageAfter = false;
    bool FitToContent = false;
    bool SplitAllowed = false;
    bool FillList = false;
    std::vector<TvxView*> Objects; // not owned; sub-report objects last
    TvxDataset* DataSet = nullptr; // not owned
    int32_t AggCount = 0;
    // Records since the list started: what COUNT() of a grand total counts
    // (AggCount restarts with every group).
    int32_t TotalCount = 0;
    int32_t AggResets = 0;
    int32_t AggMaxCount = 0;
    // Cross data band: the most columns a row of the master list printed, in
    // every pass (a footer row prints as many).
    int32_t WidestRow = 0;
    std::map<QString, Accumulator> Aggregates; // by key
    std::vector<ColumnAccumulators> ColumnAggregates;
    QString GroupCondition;

    // A detail table narrowed to its master's key (master_detail.h).
    std::unique_ptr<DetailKeyLink> KeyLink;
    bool KeyLinkChecked = false;
};

// Whether an object's class draws text (TvxCustomMemoView and below).
bool IsTextObject(const TvxView* view);

} // namespace vx
