// vxtool template dump|check|copy|export|import: report templates (".vxf").
//
//   vxtool template dump T.vxf [--db FILE|URL]
//   vxtool template check T.vxf [--db FILE|URL]
//   vxtool template copy IN.vxf OUT.vxf [--db FILE|URL]
//   vxtool template export T.vxf -o T.json [--db FILE|URL]
//   vxtool template import T.json -o T.vxf
//
// `dump` prints the template in a stable text form: the report flags, the
// datasets, the pages with paper and options, the objects in stream order
// (type, class, name, bounds, band type, dataset, lines), the bindings and
// the variable lines. `check` loads and prints the messages the load showed.
// `copy` loads and saves again (older versions come out as version 27).
// `export` writes the JSON form (report/template_json.h), `import` the
// template of a JSON form; each output is replaced whole or not at all.
// Messages go to stderr as "CAPTION: TEXT" (an error raised by the load as
// "Errore: TEXT"), carriage returns removed; a load that ends in an error box
// or an error exits with 1 (and `copy` then writes nothing).
#include "app/vxtool/command.h"
#include "app/vxtool/template_load.h"
#include "platform/atomic_file.h"
#include "platform/database.h"
#include "platform/errors.h"
#include "platform/message_box.h"
#include "report/band_view.h"
#include "report/dataset.h"
#include "report/library_state.h"
#include "report/memo_view.h"
#include "report/picture_view.h"
#include "report/report.h"
#include "report/subreport_view.h"
#include "report/template_json.h"
#include "report/values.h"

#include <QFile>

#include <optional>

namespace vx::tool {

namespace {

// A template file larger than this is refused before it is read.
constexpr qsizetype kMaxTemplateBytes = 256 * 1024 * 1024;

QString yesNo(bool v) {
    return v ? QStringLiteral("yes") : QStringLiteral("no");
}

// Text in double quotes with control characters escaped.
QString quoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c.unicode() < 32)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

QString typeName(uint8_t type) {
    switch (type) {
    case otMemo:
        return QStringLiteral("text");
    case otPicture:
        return QStringLiteral("picture");
    case otBand:
        return QStringLiteral("band");
    case otSubReport:
        return QStringLiteral("subreport");
    case otAddIn:
        return QStringLiteral("addin");
    default:
        return QString::number(type);
    }
}

void dumpDataSets(const TvxReport& report, QTextStream& out) {
    out << "datasets: " << report.DataSets.Count() << "\n";
    int i = 0;
    for (const auto& entry : report.DataSets.Entries()) {
        const TvxDataset* ds = entry.DataSet;
        out << "dataset " << ++i << ": " << quoted(entry.Name);
        if (const auto* db = dynamic_cast<const TvxDBDataSet*>(ds))
            out << " db path " << quoted(db->DataSetPath()) << " filtered " << yesNo(db->Filtered)
                << " filter " << quoted(db->Filter);
        else
            out << " plain";
        if (ds)
            out << " range " << int(ds->RangeBegin) << " " << int(ds->RangeEnd) << " "
                << ds->RangeEndCount;
        out << "\n";
    }
}

void dumpPage(const TvxPage& p, int index, QTextStream& out) {
    out << "page " << index << ": paper " << p.PaperSize << " " << p.PaperWidth << "x"
        << p.PaperHeight << " " << (p.Orientation ? "landscape" : "portrait") << " margins "
        << p.Margins.Left << "," << p.Margins.Top << "," << p.Margins.Right << ","
        << p.Margins.Bottom << " use-margins " << yesNo(p.UseMargins) << " header-on-first "
        << yesNo(p.PageHeaderOnFirst) << " footer-on-last " << yesNo(p.PageFooterOnLast)
        << " copy-cross-header " << yesNo(p.CopyCrossHeader) << " print-on-previous "
        << yesNo(p.PrintOnPreviousPage) << " columns " << p.ColumnCount << " gap " << p.ColumnGap
        << " zoom " << p.ZoomX << "," << p.ZoomY << "\n";
}

void dumpObject(const TvxView& v, int index, int page, QTextStream& out) {
    out << "object " << index << ": page " << page << " type " << typeName(v.ObjectType)
        << " class " << v.ClassName() << " name " << quoted(v.Name) << " bounds " << v.Left << ","
        << v.Top << "," << v.Width << "," << v.Height << " flags " << v.Flags;
    if (v.ObjectType == otBand) {
        out << " band " << v.FrameLines << " " << quoted(bandName(v.FrameLines));
        if (isDataBand(v.FrameLines))
            out << " dataset " << quoted(v.FormatText);
        else if (!v.FormatText.isEmpty())
            out << " condition " << quoted(v.FormatText);
    } else {
        out << " frame " << v.FrameLines << " width " << v.FrameWidth << " color "
            << v.FrameColor.value() << " fill " << v.FillColor.value() << " format " << v.FormatCode
            << " " << quoted(v.FormatText);
    }
    out << " visible " << v.Visible;
    if (const auto* m = dynamic_cast<const TvxMemoView*>(&v))
        out << " font " << quoted(m->Font.Name) << " " << m->Font.Size << " " << m->Font.Style
            << " " << m->Font.FontColor.value() << " alignment " << m->Alignment << " highlight "
            << yesNo(m->HighlightOn) << " " << quoted(m->HighlightCondition);
    if (const auto* p = dynamic_cast<const TvxPictureView*>(&v))
        out << " picture " << int(p->Picture.kind) << " " << p->Picture.data.size() << " bytes";
    if (const auto* s = dynamic_cast<const TvxSubReportView*>(&v))
        out << " subpage " << s->SubPage;
    out << "\n";
    for (const QString& line : v.Lines)
        out << "  line " << quoted(line) << "\n";
}

void dumpReport(const TvxReport& report, QTextStream& out) {
    out << "version: " << FileVersion << "\n";
    out << "print-to-current-printer: " << yesNo(report.PrintToCurrentPrinter) << "\n";
    out << "two-pass: " << yesNo(report.TwoPass) << "\n";
    out << "collate: " << yesNo(report.Collate) << "\n";
    out << "repaginate: " << yesNo(report.Repaginate) << "\n";
    dumpDataSets(report, out);
    out << "pages: " << report.Pages->Count() << "\n";
    for (int i = 0; i < report.Pages->Count(); ++i)
        dumpPage(report.Pages->Pages(i), i + 1, out);
    int index = 0;
    for (int i = 0; i < report.Pages->Count(); ++i)
        for (const auto& view : report.Pages->Pages(i).Objects)
            dumpObject(*view, ++index, i + 1, out);
    const TvxValues& values = *report.Values;
    out << "values: " << values.Count() << "\n";
    for (int i = 0; i < values.Count(); ++i) {
        const TvxValue* v = values.Items(i);
        out << "value " << (i + 1) << ": " << quoted(values.Names(i)) << " kind " << v->Kind;
        if (v->Kind == vkDataField)
            out << " dataset " << quoted(v->DataSetName) << " field " << quoted(v->FieldName);
        else if (v->Kind == vkSpecial)
            out << " special " << v->SpecialCode << " " << quoted(v->FieldName);
        out << "\n";
    }
    out << "variables: " << report.Variables.size() << "\n";
    for (const QString& line : report.Variables)
        out << "variable " << quoted(line) << "\n";
}

// The whole file, refused when it is larger than `limit` bytes.
QByteArray readBounded(const QString& fileName, qsizetype limit) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw VxError(QStringLiteral("Impossibile aprire il file \"%1\".").arg(fileName));
    if (file.size() > limit)
        throw VxError(QStringLiteral("Il file \"%1\" è troppo grande (più di %2 byte).")
                          .arg(fileName)
                          .arg(limit));
    const QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > limit)
        throw VxError(QStringLiteral("Impossibile leggere il file \"%1\".").arg(fileName));
    return bytes;
}

// The JSON form of a template: transcribed from the file when it is a
// current-version stream, otherwise from the template loaded and saved.
int exportJson(const QString& fileName, const QString& output, QTextStream& err) {
    std::optional<QByteArray> json;
    if (!fileName.endsWith(QLatin1String(".vxt"), Qt::CaseInsensitive))
        json = templateToJson(readBounded(fileName, kMaxTemplateBytes));
    if (!json) {
        TvxReport report;
        if (!loadTemplate(report, fileName, err))
            return kExitError;
        json = templateToJson(report.SaveToBytes());
        if (!json)
            throw VxError(QStringLiteral("Il modello \"%1\" non può essere scritto come JSON.")
                              .arg(fileName));
    }
    writeFileAtomically(output, *json);
    return kExitOk;
}

int importJson(const QString& fileName, const QString& output) {
    writeFileAtomically(output, templateFromJson(readBounded(fileName, kMaxTemplateJsonBytes)));
    return kExitOk;
}

int runTemplate(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList args = arguments;
    QString db;
    const bool hasDb = takeOption(args, QStringLiteral("--db"), &db);
    QString output;
    const bool hasOutput = takeOption(args, QStringLiteral("-o"), &output);
    const QString sub = args.value(0);
    if (hasOutput && args.size() == 2 &&
        (sub == QLatin1String("export") || sub == QLatin1String("import"))) {
        std::unique_ptr<DatabaseModule> data;
        if (hasDb)
            data = registerDatabaseModule(db);
        return sub == QLatin1String("export") ? exportJson(args.at(1), output, err)
                                              : importJson(args.at(1), output);
    }
    const bool usageOk = !hasOutput && ((sub == QLatin1String("dump") && args.size() == 2) ||
                                        (sub == QLatin1String("check") && args.size() == 2) ||
                                        (sub == QLatin1String("copy") && args.size() == 3));
    if (!usageOk) {
        err << "uso: vxtool template dump|check T.vxf [--db FILE|URL]\n"
               "     vxtool template copy IN.vxf OUT.vxf [--db FILE|URL]\n"
               "     vxtool template export T.vxf -o T.json [--db FILE|URL]\n"
               "     vxtool template import T.json -o T.vxf\n";
        return kExitUsage;
    }
    std::unique_ptr<DatabaseModule> data;
    if (hasDb)
        data = registerDatabaseModule(db);
    TvxReport report;
    const bool ok = loadTemplate(report, args.at(1), err);
    if (sub == QLatin1String("dump")) {
        dumpReport(report, out);
    } else if (sub == QLatin1String("check")) {
        out << (ok ? "ok" : "failed") << "\n";
    } else if (ok) {
        report.SaveToFile(args.at(2));
    }
    return ok ? kExitOk : kExitError;
}

const CommandRegistration registration(
    QStringLiteral("template"),
    {QStringLiteral("template dump|check T.vxf | copy IN.vxf OUT.vxf | export T.vxf -o "
                    "T.json | import T.json -o T.vxf [--db FILE|URL]"),
     runTemplate});

} // namespace

} // namespace vx::tool
