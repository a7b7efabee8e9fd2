#include "report/report.h"

#include "expr/evaluator.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "platform/message_box.h"
#include "platform/platform_state.h"
#include "report/band_view.h"
#include "report/emf_pages.h"
#include "report/engine_counters.h"
#include "report/library_state.h"
#include "report/name_resolver.h"
#include "report/report_hooks.h"
#include "report/template_messages.h"
#include "report/values.h"

#include <QFileInfo>

namespace vx {

namespace {
// A dataset record is at least a kind byte, a name length byte and the
// 8-byte range: a count larger than the bytes left allow is damage.
constexpr size_t kMinDataSetRecord = 10;
} // namespace

TvxReport::TvxReport(Component* owner) : Component(owner) {
    init();
    // Which report is current is the business of the operations that work
    // on one (reading, preparing): creating a report does not change it.
    SetExprResolver(MakeReportResolver(this));
    modelState().ResolverReport = this;
    if (reportHooks().InstallResolver)
        reportHooks().InstallResolver(*this);
    Clear();
}

TvxReport::TvxReport(Component* owner, Scratch) : Component(owner) {
    init();
    Clear();
}

void TvxReport::init() {
    setClassName(QStringLiteral("TvxReport"));
    PixelsPerInch = screenPixelsPerInch();
    Values = std::make_unique<TvxValues>();
    Pages = std::make_unique<TvxPages>(this);
    PreparedPages = std::make_unique<TvxEMFPages>(this);
}

TvxReport::~TvxReport() {
    // Objects and datasets find their own report; the process-wide values
    // only must not keep pointing here.
    if (CurrentReport == this)
        CurrentReport = nullptr;
    if (PreparingReport == this)
        PreparingReport = nullptr;
    Values.reset();
    Variables.clear();
    PreparedPages.reset();
    Pages.reset();
    ClearDataSets();
    if (modelState().ResolverReport == this) {
        SetExprResolver(nullptr);
        modelState().ResolverReport = nullptr;
    }
}

void TvxReport::Clear() {
    PreparedPages->Clear();
    Pages->Clear();
    Pages->Add();
    Variables.clear();
    Values->Clear();
    Collate = false;
    Repaginate = false;
    TwoPass = false;
    PrintToCurrentPrinter = true;
    FileName.clear();
    ClearDataSets();
}

void TvxReport::ClearDataSets() {
    // The template's own datasets go with it; those of forms only leave.
    DataSets.Clear();
}

QString TvxReport::QualifiedName() const {
    return owner() ? owner()->name() + QLatin1Char('.') + name() : name();
}

void TvxReport::SetAutoLoad(const QString& fileName) {
    if (fileName == autoLoad_)
        return;
    autoLoad_ = fileName;
    if (autoLoad_.isEmpty())
        Clear();
    else
        LoadFromFile(autoLoad_);
}

void TvxReport::CheckAutoLoad() {
    if (autoLoad_.isEmpty() || AutoLoadFile.isEmpty())
        return;
    const QFileInfo info(AutoLoadFile);
    if (info.lastModified() != AutoLoadTime)
        LoadFromFile(AutoLoadFile);
}

bool TvxReport::Prepare() {
    if (reportHooks().Prepare)
        return reportHooks().Prepare(*this);
    return true;
}

void TvxReport::PrepareAndShow() {
    if (reportHooks().PrepareAndShow)
        reportHooks().PrepareAndShow(*this);
}

void TvxReport::OpenPreview() {
    if (reportHooks().OpenPreview)
        reportHooks().OpenPreview(*this);
}

// ---- report stream -------------------------------------------------------

void TvxReport::writeDataSetRecords(ByteWriter& out) const {
    out.i32(DataSets.Count());
    for (const auto& entry : DataSets.Entries()) {
        const TvxDataset* dataSet = entry.DataSet;
        const auto* db = dynamic_cast<const TvxDBDataSet*>(dataSet);
        out.u8(db ? 1 : 0);
        if (db) {
            WriteShortString(out, db->DataSetPath());
            out.u8(db->Filtered ? 1 : 0);
            WriteShortString(out, db->Filter);
        }
        WriteShortString(out, dataSet ? dataSet->name() : entry.Name);
        out.u8(dataSet ? uint8_t(dataSet->RangeBegin) : 0);
        out.u8(dataSet ? uint8_t(dataSet->RangeEnd) : 0);
        out.u16(0);
        out.i32(dataSet ? dataSet->RangeEndCount : 0);
    }
}

namespace {

// "Form.Component": a form or data module and a component on it.
DataSet* findDataSetByPath(const QString& path) {
    const qsizetype dot = path.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return nullptr;
    // Forms are searched before data modules.
    Component* module = nullptr;
    for (ComponentKind kind : {ComponentKind::Form, ComponentKind::DataModule})
        for (Component* m : registeredModules())
            if (!module && m->kind() == kind &&
                QString::compare(m->name(), path.left(dot), Qt::CaseInsensitive) == 0)
                module = m;
    if (!module)
        module = findModule(path.left(dot));
    if (!module)
        return nullptr;
    return dynamic_cast<DataSet*>(module->findComponent(path.mid(dot + 1)));
}

} // namespace

void TvxReport::readDataSetRecords(ByteReader& in) {
    const int32_t count = in.i32();
    checkStream(in);
    if (count < 0 || size_t(count) > in.remaining() / kMinDataSetRecord)
        throw VxError(streamReadErrorMessage());
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t kind = in.u8();
        QString path, filter, name;
        bool filtered = false;
        if (kind == 1) {
            path = ReadShortString(in);
            if (FileVersion >= 27) {
                filtered = in.u8() != 0;
                filter = ReadShortString(in);
            }
        }
        name = ReadShortString(in);
        const uint8_t rangeBegin = in.u8();
        const uint8_t rangeEnd = in.u8();
        in.skip(2);
        const int32_t rangeEndCount = in.i32();
        checkStream(in);

        std::unique_ptr<TvxDataset> created;
        if (kind == 1) {
            DataSet* source = findDataSetByPath(path);
            if (!source) {
                showMessage(QStringLiteral("Attenzione"), dataSetNotFoundMessage(path),
                            MessageIcon::Warning);
                continue;
            }
            auto db = std::make_unique<TvxDBDataSet>(nullptr);
            db->SetDataSet(source);
            if (FileVersion >= 27) {
                db->Filtered = filtered;
                db->Filter = filter;
            }
            created = std::move(db);
        } else {
            created = std::make_unique<TvxDataset>(nullptr);
        }
        created->setName(name);
        created->RangeBegin = rangeBegin == rbCurrent ? rbCurrent : rbFirst;
        created->RangeEnd = rangeEnd <= reCount ? TRangeEnd(rangeEnd) : reLast;
        created->RangeEndCount = rangeEndCount;
        // The list owns the template's datasets; a name already listed keeps
        // its entry (and the new dataset is dropped).
        DataSets.Add(name, std::move(created));
    }
}

void TvxReport::resolveOldDataSetNames() {
    for (int p = 0; p < Pages->Count(); ++p)
        for (const auto& view : Pages->Pages(p).Objects) {
            if (view->ObjectType != otBand || !isDataBand(int(view->FrameLines)))
                continue;
            const QString& name = view->FormatText;
            if (DataSets.Find(name))
                continue;
            Component* found = owner() ? owner()->findComponent(name) : nullptr;
            if (!dynamic_cast<TvxDataset*>(found))
                found = findModule(name);
            if (auto* dataSet = dynamic_cast<TvxDataset*>(found))
                DataSets.Add(name, dataSet);
            else
                showMessage(QStringLiteral("Attenzione"), dataSetNotFoundMessage(name),
                            MessageIcon::Warning);
        }
}

bool TvxReport::readPagesPart(ByteReader& in) {
    try {
        Pages->LoadFromStream(in);
        return true;
    } catch (const VxError&) {
    } catch (const VxAbort&) {
    } catch (const std::exception&) {
    }
    return false;
}

bool TvxReport::loadTemplate(const std::function<bool(TvxReport& fresh)>& read) {
    TvxReport fresh(nullptr, Scratch{});
    // A stream without variables record keeps the bindings and variables.
    QByteArray values;
    ByteWriter valuesOut(&values);
    Values->WriteBinaryData(valuesOut);
    ByteReader valuesIn(values);
    fresh.Values->ReadBinaryData(valuesIn);
    fresh.Variables = Variables;
    // Objects made while reading belong to the report being read.
    CurrentReport = &fresh;
    bool complete = false;
    try {
        complete = read(fresh);
    } catch (...) {
        CurrentReport = this;
        throw;
    }
    CurrentReport = this;
    if (!complete) {
        showMessage(QStringLiteral("Errore"), loadFailedMessage(), MessageIcon::Error);
        return false;
    }
    takeTemplate(fresh);
    return true;
}

void TvxReport::takeTemplate(TvxReport& fresh) {
    // The old pages go first: their data bands release their datasets from
    // this list, then the new datasets join the ones still listed.
    Pages->Clear();
    Pages->TakePages(*fresh.Pages);
    DataSets.TakeAll(fresh.DataSets);
    std::swap(Values, fresh.Values);
    Variables = std::move(fresh.Variables);
    PrintToCurrentPrinter = fresh.PrintToCurrentPrinter;
    TwoPass = fresh.TwoPass;
    Collate = fresh.Collate;
    Repaginate = fresh.Repaginate;
}

bool TvxReport::readReportStream(ByteReader& in) {
    const uint8_t version = in.u8();
    checkStream(in);
    // A stream without version byte starts with the 16-bit
    // PrintToCurrentPrinter: its first byte is 0 or 255 (or, from other
    // writers, any small value).
    if (version <= 20 || version == 255) {
        FileVersion = 21;
        in.seek(0);
    } else if (version > kCurrentFileVersion) {
        FileVersion = version;
        return false;
    } else {
        FileVersion = version;
    }
    Pages->Clear();
    if (FileVersion >= 23)
        readDataSetRecords(in);
    return readPagesPart(in);
}

void TvxReport::LoadFromStream(ByteReader& in) {
    if (loadTemplate([&](TvxReport& fresh) { return fresh.readReportStream(in); }) &&
        FileVersion <= 22)
        resolveOldDataSetNames();
}

void TvxReport::SaveToStream(ByteWriter& out) {
    FileVersion = kCurrentFileVersion;
    out.u8(uint8_t(kCurrentFileVersion));
    writeDataSetRecords(out);
    Pages->SaveToStream(out);
}

QByteArray TvxReport::SaveToBytes() {
    QByteArray bytes;
    ByteWriter out(&bytes);
    SaveToStream(out);
    return bytes;
}

void TvxReport::LoadFromBytes(const QByteArray& bytes) {
    ByteReader in(bytes);
    LoadFromStream(in);
}

} // namespace vx
