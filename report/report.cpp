#include "report/report.h"

#include "expr/evaluator.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "platform/message_box.h"
#include "report/band_view.h"
#include "report/emf_pages.h"
#include "report/library_state.h"
#include "report/name_resolver.h"
#include "report/report_hooks.h"
#include "report/template_messages.h"
#include "report/values.h"

#include <QFileInfo>

namespace vx {

namespace {
// The report whose resolver the evaluator holds: a report being destroyed
// takes its resolver away so that no evaluation reaches a freed report.
TvxReport* resolverReport = nullptr;

// A dataset record is at least a kind byte, a name length byte and the
// 8-byte range: a count larger than the bytes left allow is damage.
constexpr size_t kMinDataSetRecord = 10;
} // namespace

TvxReport::TvxReport(Component* owner) : Component(owner) {
    setClassName(QStringLiteral("TvxReport"));
    Values = std::make_unique<TvxValues>();
    Pages = std::make_unique<TvxPages>(this);
    PreparedPages = std::make_unique<TvxEMFPages>(this);
    CurrentReport = this;
    SetExprResolver(MakeReportResolver(this));
    resolverReport = this;
    if (reportHooks().InstallResolver)
        reportHooks().InstallResolver(*this);
    Clear();
}

TvxReport::~TvxReport() {
    CurrentReport = this;
    Values.reset();
    Variables.clear();
    PreparedPages.reset();
    Pages.reset();
    ClearDataSets();
    CurrentReport = nullptr;
    if (resolverReport == this) {
        SetExprResolver(nullptr);
        resolverReport = nullptr;
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
    for (int n = DataSets.Count(); n > 0 && DataSets.Count() > 0; --n) {
        TvxDataset* dataSet = DataSets.At(0).DataSet;
        DataSets.Delete(0);
        // A dataset without owner belongs to the template and goes with it.
        if (dataSet && !dataSet->owner()) {
            DataSets.Remove(dataSet);
            std::unique_ptr<TvxDataset>(dataSet).reset();
        }
    }
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
        // The list keeps datasets without owner; they are destroyed when
        // the list is cleared. A name already listed keeps its entry.
        if (DataSets.Add(name, created.get()))
            created.release();
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

void TvxReport::emptyAfterFailedLoad() {
    showMessage(QStringLiteral("Errore"), loadFailedMessage(), MessageIcon::Error);
    ClearDataSets();
    Pages->Clear();
    Pages->Add();
}

namespace {
// Reads the pages part; any failure in it is reported and absorbed.
template <class Read> bool readPagesAbsorbing(Read read) {
    try {
        read();
        return true;
    } catch (const VxError&) {
    } catch (const VxAbort&) {
    } catch (const std::exception&) {
    }
    return false;
}
} // namespace

void TvxReport::LoadFromStream(ByteReader& in) {
    CurrentReport = this;
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
        emptyAfterFailedLoad();
        return;
    } else {
        FileVersion = version;
    }
    Pages->Clear();
    if (FileVersion >= 23)
        readDataSetRecords(in);
    if (!readPagesAbsorbing([&] { Pages->LoadFromStream(in); })) {
        emptyAfterFailedLoad();
        return;
    }
    if (FileVersion <= 22)
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
