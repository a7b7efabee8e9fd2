// JSON -> template stream: every field checked for its presence, type and
// range, unknown fields refused, each error naming the field's path.
#include "platform/byte_writer.h"
#include "platform/errors.h"
#include "platform/ole/ole_storage.h"
#include "report/library_state.h"
#include "report/stream_helpers.h"
#include "report/template_json.h"
#include "report/template_layout.h"
#include "report/view.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>

namespace vx {

namespace {

constexpr uint8_t kTagPage = 255;
constexpr uint8_t kTagVariables = 254;
// Objects name their page in one byte.
constexpr int kMaxObjectPages = 256;

[[noreturn]] void fail(const QString& path, const QString& what) {
    throw VxError(QStringLiteral("Modello JSON non valido, campo %1: %2").arg(path, what));
}

QString parseErrorText(QJsonParseError::ParseError error) {
    switch (error) {
    case QJsonParseError::DeepNesting:
        return QStringLiteral("troppi livelli annidati");
    case QJsonParseError::DocumentTooLarge:
        return QStringLiteral("documento troppo grande");
    case QJsonParseError::IllegalUTF8String:
        return QStringLiteral("testo UTF-8 non valido");
    case QJsonParseError::UnterminatedString:
        return QStringLiteral("testo non terminato");
    case QJsonParseError::IllegalNumber:
        return QStringLiteral("numero non valido");
    default:
        return QStringLiteral("sintassi errata");
    }
}

class JsonToStream {
public:
    explicit JsonToStream(QByteArray* bytes) : out_(bytes) {}

    void run(const QJsonObject& root) {
        const QString format = QStringLiteral("DIZEridiv template");
        checkKeys(root, QString(),
                  {"Format", "Version", "DataSets", "PrintToCurrentPrinter", "TwoPass", "Collate",
                   "Repaginate", "Printer", "Pages", "Values", "Variables"});
        if (string(root, QString(), "Format") != format)
            fail(QStringLiteral("Format"), QStringLiteral("atteso \"%1\"").arg(format));
        if (integer(root, QString(), "Version", 0, 255) != kCurrentFileVersion)
            fail(QStringLiteral("Version"),
                 QStringLiteral("è gestita solo la versione %1").arg(kCurrentFileVersion));
        out_.u8(uint8_t(kCurrentFileVersion));
        dataSets(root);
        for (const char* name : {"PrintToCurrentPrinter", "TwoPass", "Collate", "Repaginate"})
            field(root, QString(), name, StreamField::Bool16);
        field(root, QString(), "Printer", StreamField::Lines);
        pages(root);
        out_.u8(kTagVariables);
        const QJsonArray values = array(root, QString(), "Values");
        out_.i32(int32_t(values.size()));
        for (qsizetype i = 0; i < values.size(); ++i)
            record(object(values.at(i), item("Values", i)), item("Values", i), valueLayout(), {});
        field(root, QString(), "Variables", StreamField::Lines);
    }

private:
    static QString member(const QString& path, const char* key) {
        return path.isEmpty() ? QString::fromLatin1(key)
                              : path + QLatin1Char('.') + QString::fromLatin1(key);
    }
    static QString item(const QString& path, qsizetype index) {
        return QStringLiteral("%1[%2]").arg(path).arg(index);
    }

    // Unknown keys are refused: a misspelt field would otherwise be lost.
    static void checkKeys(const QJsonObject& o, const QString& path,
                          std::initializer_list<const char*> known,
                          std::initializer_list<const char*> more = {}) {
        std::set<QString> names;
        for (const char* k : known)
            names.insert(QString::fromLatin1(k));
        for (const char* k : more)
            names.insert(QString::fromLatin1(k));
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!names.count(it.key()))
                fail(path.isEmpty() ? it.key() : path + QLatin1Char('.') + it.key(),
                     QStringLiteral("campo sconosciuto"));
    }
    static QJsonValue required(const QJsonObject& o, const QString& path, const char* key) {
        const auto it = o.constFind(QLatin1String(key));
        if (it == o.constEnd())
            fail(member(path, key), QStringLiteral("campo mancante"));
        return it.value();
    }
    static QJsonObject object(const QJsonValue& v, const QString& path) {
        if (!v.isObject())
            fail(path, QStringLiteral("atteso un oggetto"));
        return v.toObject();
    }
    static QJsonArray array(const QJsonObject& o, const QString& path, const char* key) {
        const QJsonValue v = required(o, path, key);
        if (!v.isArray())
            fail(member(path, key), QStringLiteral("atteso un elenco"));
        const QJsonArray a = v.toArray();
        if (a.size() > kMaxTemplateJsonItems)
            fail(member(path, key),
                 QStringLiteral("troppi elementi (più di %1)").arg(kMaxTemplateJsonItems));
        return a;
    }
    static int64_t integer(const QJsonObject& o, const QString& path, const char* key, int64_t low,
                           int64_t high) {
        const QJsonValue v = required(o, path, key);
        const double d = v.toDouble();
        if (!v.isDouble() || d != std::trunc(d))
            fail(member(path, key), QStringLiteral("atteso un numero intero"));
        if (d < double(low) || d > double(high))
            fail(member(path, key),
                 QStringLiteral("valore fuori dall'intervallo %1..%2").arg(low).arg(high));
        return int64_t(d);
    }
    static QString string(const QJsonObject& o, const QString& path, const char* key) {
        const QJsonValue v = required(o, path, key);
        if (!v.isString())
            fail(member(path, key), QStringLiteral("atteso un testo"));
        return v.toString();
    }
    // A text as the stream's code page holds it, at most `maxBytes` long.
    static QByteArray codePage(const QString& text, const QString& path, qsizetype maxBytes) {
        const QByteArray bytes = toCodePage(text);
        if (fromCodePage(bytes) != text)
            fail(path, QStringLiteral("carattere non rappresentabile nella codifica Windows-1252"));
        if (bytes.size() > maxBytes)
            fail(path, QStringLiteral("testo troppo lungo (più di %1 byte)").arg(maxBytes));
        return bytes;
    }
    QStringList lines(const QJsonValue& v, const QString& path) {
        if (!v.isArray())
            fail(path, QStringLiteral("atteso un elenco di testi"));
        const QJsonArray a = v.toArray();
        if (a.size() > kListLinesMax)
            fail(path, QStringLiteral("troppi elementi (più di %1)").arg(kListLinesMax));
        QStringList list;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (!a.at(i).isString())
                fail(item(path, i), QStringLiteral("atteso un testo"));
            codePage(a.at(i).toString(), item(path, i), kListLineMax);
            list << a.at(i).toString();
        }
        return list;
    }

    void dataSets(const QJsonObject& root) {
        const QJsonArray list = array(root, QString(), "DataSets");
        out_.i32(int32_t(list.size()));
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QString path = item(QStringLiteral("DataSets"), i);
            const QJsonObject d = object(list.at(i), path);
            const bool database = integer(d, path, "Database", 0, 1) == 1;
            checkKeys(d, path,
                      {"Database", "Name", "RangeBegin", "RangeEnd", "Reserved", "RangeEndCount"},
                      database ? std::initializer_list<const char*>{"Path", "Filtered", "Filter"}
                               : std::initializer_list<const char*>{});
            out_.u8(database ? 1 : 0);
            if (database) {
                field(d, path, "Path", StreamField::Short);
                field(d, path, "Filtered", StreamField::U8);
                field(d, path, "Filter", StreamField::Short);
            }
            field(d, path, "Name", StreamField::Short);
            field(d, path, "RangeBegin", StreamField::U8);
            field(d, path, "RangeEnd", StreamField::U8);
            field(d, path, "Reserved", StreamField::U16);
            field(d, path, "RangeEndCount", StreamField::I32);
        }
    }

    // The page records, then every page's objects in page order.
    void pages(const QJsonObject& root) {
        const QJsonArray list = array(root, QString(), "Pages");
        if (list.isEmpty())
            fail(QStringLiteral("Pages"), QStringLiteral("serve almeno una pagina"));
        std::vector<QJsonArray> objects;
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QString path = item(QStringLiteral("Pages"), i);
            const QJsonObject page = object(list.at(i), path);
            out_.u8(kTagPage);
            record(page, path, pageLayout(), {"Objects"});
            objects.push_back(array(page, path, "Objects"));
            if (!objects.back().isEmpty() && i >= kMaxObjectPages)
                fail(member(path, "Objects"),
                     QStringLiteral("solo le prime %1 pagine possono avere oggetti")
                         .arg(kMaxObjectPages));
        }
        for (size_t p = 0; p < objects.size(); ++p)
            for (qsizetype i = 0; i < objects[p].size(); ++i)
                reportObject(
                    objects[p].at(i),
                    item(member(item(QStringLiteral("Pages"), qsizetype(p)), "Objects"), i),
                    uint8_t(p));
    }

    void reportObject(const QJsonValue& value, const QString& path, uint8_t page) {
        const QJsonObject o = object(value, path);
        const auto type = uint8_t(integer(o, path, "Type", 0, 255));
        QString className;
        if (type == otAddIn)
            className = string(o, path, "Class");
        const RecordLayout layout = objectLayout(type, className);
        if (layout.empty())
            fail(member(path, type == otAddIn ? "Class" : "Type"),
                 QStringLiteral("classe di oggetto sconosciuta"));
        out_.u8(type);
        if (type == otAddIn)
            WriteStringAsList(out_, className);
        out_.u8(page);
        record(o, path, layout,
               type == otAddIn ? std::initializer_list<const char*>{"Type", "Class"}
                               : std::initializer_list<const char*>{"Type"});
    }

    void record(const QJsonObject& o, const QString& path, RecordLayout layout,
                std::initializer_list<const char*> more) {
        std::set<QString> names;
        for (const char* k : more)
            names.insert(QString::fromLatin1(k));
        for (const FieldLayout& f : layout)
            names.insert(QString::fromLatin1(f.name));
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!names.count(it.key()))
                fail(path + QLatin1Char('.') + it.key(), QStringLiteral("campo sconosciuto"));
        for (const FieldLayout& f : layout)
            field(o, path, f.name, f.kind);
    }

    void field(const QJsonObject& o, const QString& path, const char* key, StreamField kind) {
        const QString at = member(path, key);
        switch (kind) {
        case StreamField::U8:
            out_.u8(uint8_t(integer(o, path, key, 0, 255)));
            return;
        case StreamField::U16:
            out_.u16(uint16_t(integer(o, path, key, 0, 65535)));
            return;
        case StreamField::I32:
            out_.i32(int32_t(integer(o, path, key, std::numeric_limits<int32_t>::min(),
                                     std::numeric_limits<int32_t>::max())));
            return;
        case StreamField::F64:
            out_.f64(real(required(o, path, key), at));
            return;
        case StreamField::Bool16: {
            const QJsonValue v = required(o, path, key);
            if (!v.isBool())
                fail(at, QStringLiteral("atteso un valore logico (true o false)"));
            WriteBool16(out_, v.toBool());
            return;
        }
        case StreamField::Short:
            WriteShortString(out_, shortString(o, path, key));
            return;
        case StreamField::Text: {
            const QJsonValue v = required(o, path, key);
            WriteStringList(out_, v.isString() ? QStringList{checkedLine(v.toString(), at)}
                                               : lines(v, at));
            return;
        }
        case StreamField::Lines:
            WriteStringList(out_, lines(required(o, path, key), at));
            return;
        case StreamField::Blob:
            blob(object(required(o, path, key), at), at);
            return;
        case StreamField::Ole:
            ole(required(o, path, key), at);
            return;
        }
    }

    static QString shortString(const QJsonObject& o, const QString& path, const char* key) {
        const QString text = string(o, path, key);
        codePage(text, member(path, key), kShortStringMax);
        return text;
    }
    static QString checkedLine(const QString& text, const QString& path) {
        codePage(text, path, kListLineMax);
        return text;
    }
    // A number, or the bits of a value JSON cannot hold as "0x" + 16 hex digits.
    static double real(const QJsonValue& v, const QString& path) {
        if (v.isDouble())
            return v.toDouble();
        bool ok = false;
        const QString t = v.toString();
        const uint64_t bits = t.mid(2).toULongLong(&ok, 16);
        if (!v.isString() || !t.startsWith(QLatin1String("0x")) || t.size() != 18 || !ok)
            fail(path, QStringLiteral("atteso un numero"));
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    static QByteArray base64(const QJsonValue& v, const QString& path) {
        if (!v.isString())
            fail(path, QStringLiteral("atteso un testo in base64"));
        const auto decoded = QByteArray::fromBase64Encoding(
            v.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded || v.toString().size() != v.toString().toLatin1().size())
            fail(path, QStringLiteral("dati base64 non validi"));
        return *decoded;
    }
    // The kind byte, the end offset of the bytes in the stream, the bytes.
    void blob(const QJsonObject& o, const QString& path) {
        checkKeys(o, path, {"Kind", "Data"});
        out_.u8(uint8_t(integer(o, path, "Kind", 0, 255)));
        const QByteArray data = base64(required(o, path, "Data"), member(path, "Data"));
        const qsizetype at = out_.size();
        out_.i32(0);
        out_.bytes(data);
        if (out_.size() > std::numeric_limits<int32_t>::max())
            fail(path, QStringLiteral("modello troppo grande"));
        out_.patchU32(at, uint32_t(out_.size()));
    }
    // null, or one whole container stream.
    void ole(const QJsonValue& v, const QString& path) {
        if (v.isNull()) {
            out_.u8(0);
            return;
        }
        const QByteArray stream = base64(v, path);
        ByteReader in(stream);
        ole::readContainerStream(in);
        if (!in.ok() || !in.atEnd())
            fail(path, QStringLiteral("oggetto incorporato non valido"));
        out_.u8(1);
        out_.bytes(stream);
    }

    ByteWriter out_;
};

} // namespace

QByteArray templateFromJson(const QByteArray& json) {
    if (json.size() > kMaxTemplateJsonBytes)
        throw VxError(QStringLiteral("Il modello JSON è troppo grande (più di %1 byte).")
                          .arg(kMaxTemplateJsonBytes));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw VxError(QStringLiteral("Il modello JSON non è valido: %1 (carattere %2).")
                          .arg(parseErrorText(error.error))
                          .arg(error.offset));
    if (!document.isObject())
        throw VxError(QStringLiteral("Il modello JSON non è valido: atteso un oggetto."));
    StreamVersionScope version(kCurrentFileVersion);
    QByteArray bytes;
    JsonToStream(&bytes).run(document.object());
    return bytes;
}

} // namespace vx
