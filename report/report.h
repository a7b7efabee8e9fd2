#pragma once

// TvxReport: the report component. It holds the template (pages with their
// objects, the report datasets, the variables and their bindings) and the
// prepared pages produced from it or loaded from a file.

#include "platform/component.h"
#include "report/dataset.h"
#include "report/dataset_list.h"
#include "report/pages.h"
#include "report/stream_helpers.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

namespace vx {

class TvxEMFPages;
class TvxValues;
class TvxView;
class Variant;

// Designer settings (not used by the viewer).
enum TvxDsgOption : uint32_t {
    doPageRulers = 1u << 0,
    doGrid = 1u << 1,
    doSnapToGrid = 1u << 2,
};
using TvxDsgOptions = uint32_t;

// Event types with the parameters the host sees.
using TBeginDocEvent = std::function<void()>;
using TEndDocEvent = std::function<void()>;
using TBeginPageEvent = std::function<void(int pg)>;
using TEndPageEvent = std::function<void(int pg)>;
using TOnBeforePrint = std::function<void(bool& Continue)>;
using TOnAfterPrint = std::function<void()>;
using TOnDrawObject = std::function<void(TvxView* View)>;
using TDetailEvent = std::function<void(const QString& ParName, Variant& ParValue)>;
using TFunctionEvent = std::function<void(const QString& name, const Variant& p1, const Variant& p2,
                                          const Variant& p3, Variant& Val)>;
using TProgressEvent = std::function<void(int n)>;
// TDataSetWorkEvent: report/dataset.h.

class TvxReport : public Component {
public:
    explicit TvxReport(Component* owner = nullptr);
    ~TvxReport() override;

    QString className() const override { return QStringLiteral("TvxReport"); }

    // Empties the prepared pages and pages, adds one default page, empties
    // Variables and Values, resets the four flags, FileName and DataSets.
    void Clear();

    // AutoLoad: a template file bound to the report.
    const QString& AutoLoad() const { return autoLoad_; }
    void SetAutoLoad(const QString& fileName);
    // Loads AutoLoadFile again when its last-write time changed.
    void CheckAutoLoad();

    // Template streams and files. LoadFromStream absorbs errors of the pages
    // part (box); header and dataset errors are thrown. A load that fails
    // either way leaves the report as it was.
    void LoadFromStream(ByteReader& stream);
    void SaveToStream(ByteWriter& stream);
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName);
    void SaveTemplateFile(const QString& fileName, const QStringList& description,
                          const QImage& picture);
    void LoadTemplateFile(const QString& fileName, QStringList& description, QImage& picture,
                          bool withPages);
    // Convenience for memory snapshots.
    QByteArray SaveToBytes();
    void LoadFromBytes(const QByteArray& bytes);

    // Prepared pages (report/prepared_file.cpp).
    void LoadPreparedFile(const QString& fileName);
    void SavePreparedFile(const QString& fileName);

    // Provided by the engine and the preview through reportHooks(). Prepare
    // is false only when the user cancelled a single-pass preparation; a
    // failure sets ErrorRaised.
    bool Prepare();
    void PrepareAndShow();
    void OpenPreview();

    // "Owner.Name" or "Name": the argument of the file messages.
    QString QualifiedName() const;
    // Clears the DataSets list: datasets with an owner are only unlisted,
    // the others are destroyed.
    void ClearDataSets();

    // Published properties.
    QString Title;
    bool ShowProgress = true;
    bool ModalPreview = true;
    std::unique_ptr<TvxValues> Values;
    int PixelsPerInch = 96; // the screen's at creation
    bool Scaled = true;
    QString ReportDir;
    QString TemplateDir;
    QString PathFromExe;
    bool DisableDataSetControls = true;
    TvxDsgOptions DesignerOptions = doPageRulers;

    // Published events.
    TBeginDocEvent OnBeginDoc;
    TEndDocEvent OnEndDoc;
    TBeginPageEvent OnBeginPage;
    TEndPageEvent OnEndPage;
    TOnBeforePrint OnBeforePrint;
    TOnAfterPrint OnAfterPrint;
    TOnDrawObject OnDrawObject;
    TDetailEvent OnGetValue;
    TFunctionEvent OnUserFunction;
    TProgressEvent OnProgress;
    TDataSetWorkEvent OnDataSetWork;

    // Further state.
    std::unique_ptr<TvxPages> Pages;
    std::unique_ptr<TvxEMFPages> PreparedPages;
    QStringList Variables;
    TvxDataSetList DataSets;
    QString FileName;
    QString AutoLoadFile;
    QDateTime AutoLoadTime;
    bool PrintToCurrentPrinter = true;
    bool TwoPass = false;
    bool Collate = false;
    bool Repaginate = false;
    bool PreparedFromTemplate = false;
    bool HasBlobValues = false;
    bool Terminated = false; // set to stop a preparation

private:
    // A report that only receives a template being read: it installs no
    // resolver and is not made current.
    struct Scratch {};
    TvxReport(Component* owner, Scratch);
    void init();

    // Reads a template into a fresh report with `read` and, when that
    // completes, makes it this report's template; a read that fails leaves
    // this report as it was. `read` throws what the caller must see and
    // returns false for damage reported with the load error box. True when
    // the template was taken.
    bool loadTemplate(const std::function<bool(TvxReport& fresh)>& read);
    // The report stream into this (fresh) report; false after the box.
    bool readReportStream(ByteReader& stream);
    // The pages stream into this (fresh) report; false after any failure.
    bool readPagesPart(ByteReader& stream);
    // Replaces this report's template with the one `fresh` read.
    void takeTemplate(TvxReport& fresh);
    void readDataSetRecords(ByteReader& stream);
    void writeDataSetRecords(ByteWriter& stream) const;
    void resolveOldDataSetNames();

    QString autoLoad_;
};

} // namespace vx
