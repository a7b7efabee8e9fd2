#include "engine/aggregates.h"

#include "engine/band.h"
#include "engine/engine_state.h"
#include "engine/page_run.h"
#include "expr/evaluator.h"
#include "expr/variant.h"
#include "platform/database.h"
#include "report/band_view.h"
#include "report/data_refs.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/view.h"

#include <algorithm>

namespace vx {

namespace {

const QString kNotEnabled =
    QStringLiteral("Non è possibile inserire in una banda non abilitata la funzione statistica : ");
const QString kBadParams = QStringLiteral("Formato parametri non valido nella funzione : ");

constexpr double kMinStart = 1e200;

// The level of an object's band in its aggregate keys: the group level of a
// group band; grand totals (summary, page footer, column footer) lie above
// every group; 0 for the rest.
int levelOf(const TvxBand& band) {
    switch (band.BandType) {
    case btReportSummary:
    case btPageFooter:
    case btColumnFooter:
        return kGrandTotalLevel;
    default:
        return band.GroupLevel;
    }
}

QString keyBase(const QString& fn, const QString& arg, const TvxView& view) {
    return fn + QLatin1Char('(') + arg + QLatin1Char(')') + view.Name +
           QChar(char16_t(view.Name.size()));
}

QString plainKey(const QString& fn, const QString& arg, const TvxView& view, const TvxBand& band) {
    return keyBase(fn, arg, view) + QChar(char16_t(levelOf(band)));
}

// Whether the object, as designed, lies within the width of a cross band.
// The design geometry is what counts: a cell's Left is relative to its cross
// band, and moves with every column while the cell prints.
bool insideHorizontally(const TvxView& o, const TvxBand* b) {
    return b && b->View && o.DesignLeft >= b->Left &&
           int64_t(o.DesignLeft) + o.DesignWidth <= int64_t(b->Left) + b->Width;
}

// Whether the object, as designed, lies within the height of one of the
// page's summary, page footer, master footer or column footer bands.
bool onTotalRow(const TvxView& o, PageRun& run) {
    for (int type : {btReportSummary, btPageFooter, btMasterFooter, btColumnFooter}) {
        for (const TvxBand* b = run.Band(type); b && b->View; b = b->NextBand.get()) {
            const TvxView& v = *b->View;
            if (o.DesignTop >= v.Top &&
                int64_t(o.DesignTop) + o.DesignHeight <= int64_t(v.Top) + v.Height)
                return true;
        }
    }
    return false;
}

// The data band a plain aggregate is read from, by the printing band.
TvxBand* sourceBand(PageRun& run, int bandType) {
    if ((bandType >= btReportTitle && bandType <= btMasterFooter) ||
        (bandType >= btColumnHeader && bandType <= btGroupFooter))
        return run.Band(btMasterData);
    if (bandType >= btDetailHeader && bandType <= btDetailFooter)
        return run.Band(btDetailData);
    if (bandType >= btSubDetailHeader && bandType <= btSubDetailFooter)
        return run.Band(btSubDetailData);
    if (bandType >= btCrossHeader && bandType <= btCrossFooter)
        return run.Band(btCrossData);
    return nullptr;
}

void combine(const QString& fn, Variant& acc, const Variant& value, int32_t count) {
    if (fn == QLatin1String("SUM")) {
        acc = ApplyOperator(ExprOp::Add, acc, value);
    } else if (fn == QLatin1String("AVG")) {
        const Variant total =
            ApplyOperator(ExprOp::Add, ApplyOperator(ExprOp::Multiply, acc, Variant(count)), value);
        acc = ApplyOperator(ExprOp::Divide, total, Variant(count + 1));
    } else if (fn == QLatin1String("MIN")) {
        if (CompareVariants(ExprOp::Less, value, acc))
            acc = value;
    } else if (CompareVariants(ExprOp::Greater, value, acc)) {
        acc = value;
    }
}

// The column totals of a cross aggregate over the first `count` columns.
Variant foldColumns(const ColumnAccumulators& c, int32_t count) {
    Variant acc = AggregateInitialValue(c.Function);
    for (int32_t i = 0; i < count; ++i) {
        if (c.Function == QLatin1String("AVG"))
            acc = ApplyOperator(ExprOp::Add, acc, c.Values[size_t(i)]);
        else
            combine(c.Function, acc, c.Values[size_t(i)], i);
    }
    if (c.Function == QLatin1String("AVG") && count > 0)
        acc = ApplyOperator(ExprOp::Divide, acc, Variant(count));
    return acc;
}

ColumnAccumulators* findColumns(TvxBand& band, const QString& key) {
    for (ColumnAccumulators& c : band.ColumnAggregates)
        if (c.Key == key)
            return &c;
    return nullptr;
}

void registerAggregate(const QString& fn, const QString& arg, Variant& value) {
    TvxBand* target = AggregateBand;
    TvxView* view = CurrentView;
    TvxBand* band = CurrentBand;
    if (target->BandType == btNone || !view || !band) {
        SetPreparationError(kNotEnabled + fn);
        return;
    }
    PageRun* run = band->Page;
    const bool crossTotal = band->BandType == btCrossFooter && onTotalRow(*view, *run);
    if (band->BandType == btCrossData || crossTotal) {
        if (crossTotal)
            preparationState().CrossTotal.insert(view);
        const QString key = keyBase(fn, arg, *view);
        if (!findColumns(*target, key))
            target->ColumnAggregates.push_back({key, fn, arg, view, {}});
    } else {
        Accumulator acc{fn, arg, levelOf(*band), view, Variant(0)};
        target->Aggregates.try_emplace(plainKey(fn, arg, *view, *band), std::move(acc));
    }
    value = Variant(1);
}

void readAggregate(const QString& fn, const QString& arg, Variant& value) {
    TvxView* view = CurrentView;
    PageRun* run = runOf(CurrentPage);
    if (!view || !run || !CurrentBand)
        return;
    TvxBand* crossData = run->Band(btCrossData);
    const bool crossTotal = preparationState().CrossTotal.count(view) != 0;
    if (insideHorizontally(*view, crossData) || crossTotal) {
        const ColumnAccumulators* c = findColumns(*crossData, keyBase(fn, arg, *view));
        if (!c)
            return;
        const int32_t index = preparationState().CrossIndex;
        if (!crossTotal) {
            if (index >= 1 && int64_t(c->Values.size()) >= index)
                value = c->Values[size_t(index - 1)];
        } else if (int64_t(c->Values.size()) >= crossData->AggMaxCount) {
            value = foldColumns(*c, crossData->AggMaxCount);
        }
        return;
    }
    TvxBand* source = insideHorizontally(*view, run->Band(btCrossFooter))
                          ? crossData
                          : sourceBand(*run, CurrentBand->BandType);
    if (!source)
        return;
    const auto it = source->Aggregates.find(plainKey(fn, arg, *view, *CurrentBand));
    if (it != source->Aggregates.end())
        value = it->second.Value;
}

void answerCount(const QStringList& args, Variant& value) {
    const QString name = QStringLiteral("COUNT");
    if (!args.isEmpty()) {
        DataSet* dataSet = nullptr;
        Field* field = nullptr;
        FindFieldForName(args.first(), dataSet, field);
        if (!dataSet) {
            SetPreparationError(kBadParams + name);
            return;
        }
        value = Variant::fromInt32(dataSet->recordCount());
        return;
    }
    PageRun* run = runOf(CurrentPage);
    if (!run || !CurrentBand) {
        SetPreparationError(kNotEnabled + name);
        return;
    }
    TvxBand* crossData = run->Band(btCrossData);
    if (CurrentView && insideHorizontally(*CurrentView, crossData)) {
        value = Variant::fromInt32(crossData->AggResets);
    } else if (CurrentBand->BandType == btCrossFooter) {
        value = Variant::fromInt32(crossData->AggResets);
    } else if (TvxBand* counted = CurrentBand->BandType == btCrossData
                                      ? nullptr
                                      : AggregatingBand(*run, CurrentBand->BandType)) {
        const bool grand = levelOf(*CurrentBand) == kGrandTotalLevel;
        value = Variant::fromInt32(grand ? counted->TotalCount : counted->AggCount);
    } else {
        SetPreparationError(kNotEnabled + name);
    }
}

// Arguments are evaluated on the band's own page (plain field names are its
// data levels'); CurrentView and CurrentPage come back however the
// accumulation ends.
struct KeepCurrentView {
    TvxView* saved = CurrentView;
    TvxPage* savedPage = CurrentPage;
    explicit KeepCurrentView(const TvxBand& band) { CurrentPage = band.Page->Template; }
    ~KeepCurrentView() {
        CurrentView = saved;
        CurrentPage = savedPage;
    }
    KeepCurrentView(const KeepCurrentView&) = delete;
    KeepCurrentView& operator=(const KeepCurrentView&) = delete;
};

void accumulateColumns(TvxBand& band) {
    for (ColumnAccumulators& c : band.ColumnAggregates) {
        while (int64_t(c.Values.size()) < band.AggCount)
            c.Values.push_back(AggregateInitialValue(c.Function));
        CurrentView = c.Owner;
        Variant v = EvaluateExpression(c.Argument);
        if (v.isString() && v.stringValue().isEmpty())
            v = Variant(0);
        Variant& acc = c.Values[size_t(band.AggCount - 1)];
        if (c.Function == QLatin1String("AVG")) {
            const Variant total = ApplyOperator(
                ExprOp::Add, ApplyOperator(ExprOp::Multiply, acc, Variant(band.AggResets - 1)), v);
            acc = ApplyOperator(ExprOp::Divide, total, Variant(band.AggResets));
        } else {
            combine(c.Function, acc, v, 0);
        }
    }
}

} // namespace

TvxBand* AggregatingBand(PageRun& page, int bandType) {
    switch (bandType) {
    case btReportSummary:
    case btPageFooter:
    case btMasterData:
    case btMasterFooter:
    case btColumnFooter:
    case btGroupFooter:
        return page.Band(btMasterData);
    case btDetailData:
    case btDetailFooter:
        return page.Band(btDetailData);
    case btSubDetailData:
    case btSubDetailFooter:
        return page.Band(btSubDetailData);
    case btCrossData:
    case btCrossFooter:
        return page.Band(btCrossData);
    default:
        return nullptr;
    }
}

Variant AggregateInitialValue(const QString& name) {
    if (name == QLatin1String("SUM") || name == QLatin1String("AVG"))
        return Variant(0);
    if (name == QLatin1String("MIN"))
        return Variant(kMinStart);
    return Variant(-kMinStart);
}

void AnswerAggregate(const QString& upperName, const QStringList& args, Variant& value) {
    if (upperName == QLatin1String("COUNT")) {
        answerCount(args, value);
        return;
    }
    const QString arg = args.value(0);
    if (AggregateBand)
        registerAggregate(upperName, arg, value);
    else
        readAggregate(upperName, arg, value);
}

void ResetAggregates(TvxBand& band, int level) {
    if (SilentPass)
        return;
    for (auto& [key, acc] : band.Aggregates)
        if (acc.Level <= level)
            acc.Value = AggregateInitialValue(acc.Function);
    band.AggCount = 0;
    ++band.AggResets;
}

void AccumulateAggregates(TvxBand& band) {
    if (SilentPass || !band.DataSet || band.DataSet->Eof())
        return;
    KeepCurrentView keep(band);
    const QString* previousArgument = nullptr;
    Variant previous;
    for (auto& [key, acc] : band.Aggregates) {
        Variant v;
        if (previousArgument && *previousArgument == acc.Argument) {
            v = previous;
        } else {
            CurrentView = acc.Owner;
            v = EvaluateExpression(acc.Argument);
            previous = v;
            previousArgument = &acc.Argument;
        }
        if (v.isString() && v.stringValue().isEmpty())
            v = Variant(0);
        combine(acc.Function, acc.Value, v, band.AggCount);
    }
    ++band.AggCount;
    ++band.TotalCount;
    if (CurrentBand && CurrentBand->BandType == btMasterData && !band.ColumnAggregates.empty()) {
        const TvxBand* master = band.Page->Band(btMasterData);
        if (master->DataSet && !master->DataSet->Eof())
            accumulateColumns(band);
    }
    band.AggMaxCount = std::max(band.AggMaxCount, band.AggCount);
}

void StartAggregates(TvxBand& band) {
    if (!SilentPass)
        band.TotalCount = 0;
    ResetAggregates(band, kGrandTotalLevel);
    AccumulateAggregates(band);
}

} // namespace vx
