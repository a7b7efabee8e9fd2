// Template stream -> JSON: a reader over the stream that writes each field
// as it meets it, keys in stream order, two blanks of indent per level.
#include "platform/ole/ole_storage.h"
#include "report/library_state.h"
#include "report/stream_helpers.h"
#include "report/template_json.h"
#include "report/template_layout.h"
#include "report/view.h"

#include <QLocale>

#include <cmath>
#include <cstring>
#include <vector>

namespace vx {

namespace {

constexpr uint8_t kTagPage = 255;
constexpr uint8_t kTagVariables = 254;

// Text in JSON quotes: the escapes JSON needs, everything else as UTF-8.
QByteArray quoted(const QString& text) {
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            out += '\\', out += c;
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (u < 0x20)
            out += "\\u00" + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out + '"';
}

// An ordered JSON tree: members keep the order they were added in.
struct JsonMember;
struct JsonNode {
    enum class Kind { Scalar, Object, Array } kind = Kind::Scalar;
    QByteArray scalar; // a scalar's JSON text
    // A named struct, not a pair: a pair of an incomplete type cannot be
    // instantiated inside its own class (clang refuses it).
    std::vector<JsonMember> members;
    std::vector<JsonNode> items;

    static JsonNode object();
    static JsonNode array();
    static JsonNode text(QByteArray t);
    JsonNode& add(const char* key, JsonNode value);
    void set(const char* key, QByteArray t);
};

struct JsonMember {
    const char* key;
    JsonNode value;
};

JsonNode JsonNode::object() {
    JsonNode n;
    n.kind = Kind::Object;
    return n;
}

JsonNode JsonNode::array() {
    JsonNode n;
    n.kind = Kind::Array;
    return n;
}

JsonNode JsonNode::text(QByteArray t) {
    JsonNode n;
    n.scalar = std::move(t);
    return n;
}

void JsonNode::set(const char* key, QByteArray t) {
    add(key, text(std::move(t)));
}

JsonNode& JsonNode::add(const char* key, JsonNode value) {
    members.push_back(JsonMember{key, std::move(value)});
    return members.back().value;
}

// Each member and item on its own line, two blanks of indent per level
// (the tree is at most five levels deep).
void writeNode(const JsonNode& node, int depth, QByteArray& out) {
    const QByteArray inner = QByteArray(qsizetype(depth + 1) * 2, ' ');
    const QByteArray outer = QByteArray(qsizetype(depth) * 2, ' ');
    if (node.kind == JsonNode::Kind::Scalar) {
        out += node.scalar;
    } else if (node.kind == JsonNode::Kind::Object) {
        out += '{';
        for (size_t i = 0; i < node.members.size(); ++i) {
            out += (i ? ",\n" : "\n") + inner + quoted(QString::fromLatin1(node.members[i].key)) +
                   ": ";
            writeNode(node.members[i].value, depth + 1, out);
        }
        out += node.members.empty() ? QByteArray("}") : "\n" + outer + '}';
    } else {
        out += '[';
        for (size_t i = 0; i < node.items.size(); ++i) {
            out += (i ? ",\n" : "\n") + inner;
            writeNode(node.items[i], depth + 1, out);
        }
        out += node.items.empty() ? QByteArray("]") : "\n" + outer + ']';
    }
}

QByteArray number(int64_t v) {
    return QByteArray::number(qlonglong(v));
}

QByteArray stringList(const QStringList& lines) {
    QByteArray out = "[";
    for (qsizetype i = 0; i < lines.size(); ++i)
        out += (i ? ", " : "") + quoted(lines.at(i));
    return out + ']';
}

// A double as JSON: the shortest text that reads back to the same bits;
// values JSON cannot hold (infinities, NaN) as their bits in hex.
QByteArray doubleText(double d) {
    if (std::isfinite(d)) {
        return QByteArray::number(d, 'g', QLocale::FloatingPointShortest);
    }
    uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    return quoted(QStringLiteral("0x%1").arg(bits, 16, 16, QLatin1Char('0')));
}

class StreamToJson {
public:
    explicit StreamToJson(const QByteArray& bytes) : in_(bytes) {}

    // False when the bytes are not a stream the form carries exactly.
    bool run() {
        StreamVersionScope version(kCurrentFileVersion);
        root_.set("Format", quoted(QStringLiteral("DIZEridiv template")));
        if (in_.u8() != kCurrentFileVersion)
            return false;
        root_.set("Version", number(kCurrentFileVersion));
        return dataSets() && reportOptions() && pagesAndObjects() && variables() && in_.ok() &&
               in_.atEnd();
    }
    QByteArray result() const {
        QByteArray out;
        writeNode(root_, 0, out);
        return out + '\n';
    }

private:
    bool dataSets() {
        const int32_t count = in_.i32();
        if (!in_.ok() || count < 0 || size_t(count) > in_.remaining())
            return false;
        JsonNode& list = root_.add("DataSets", JsonNode::array());
        for (int32_t i = 0; i < count && in_.ok(); ++i) {
            JsonNode& d = list.items.emplace_back(JsonNode::object());
            const uint8_t database = in_.u8();
            if (database > 1)
                return false;
            d.set("Database", number(database));
            if (database)
                field(d, "Path", StreamField::Short), field(d, "Filtered", StreamField::U8),
                    field(d, "Filter", StreamField::Short);
            field(d, "Name", StreamField::Short);
            field(d, "RangeBegin", StreamField::U8);
            field(d, "RangeEnd", StreamField::U8);
            field(d, "Reserved", StreamField::U16);
            field(d, "RangeEndCount", StreamField::I32);
        }
        return in_.ok();
    }

    bool reportOptions() {
        for (const char* name : {"PrintToCurrentPrinter", "TwoPass", "Collate", "Repaginate"})
            field(root_, name, StreamField::Bool16);
        return field(root_, "Printer", StreamField::Lines);
    }

    // The page records come first, then the objects page by page: the
    // order the writer keeps, so the objects nest in their pages.
    bool pagesAndObjects() {
        JsonNode& pages = root_.add("Pages", JsonNode::array());
        int lastPage = 0;
        for (;;) {
            const uint8_t tag = in_.u8();
            if (!in_.ok())
                return false;
            if (tag == kTagVariables)
                break;
            if (tag == kTagPage) {
                if (objects_ > 0)
                    return false;
                JsonNode& page = pages.items.emplace_back(JsonNode::object());
                if (!record(page, pageLayout()))
                    return false;
                page.add("Objects", JsonNode::array());
                continue;
            }
            QString className;
            if (tag == otAddIn)
                className = ReadStringAsList(in_);
            const int page = in_.u8();
            const RecordLayout layout = objectLayout(tag, className);
            if (!in_.ok() || layout.empty() || size_t(page) >= pages.items.size() ||
                page < lastPage)
                return false;
            lastPage = page;
            ++objects_;
            JsonNode& object = pages.items[size_t(page)].members.back().value.items.emplace_back(
                JsonNode::object());
            object.set("Type", number(tag));
            if (tag == otAddIn)
                object.set("Class", quoted(className));
            if (!record(object, layout))
                return false;
        }
        return !pages.items.empty();
    }

    bool variables() {
        const int32_t count = in_.i32();
        if (!in_.ok() || count < 0 || size_t(count) > in_.remaining())
            return false;
        JsonNode& list = root_.add("Values", JsonNode::array());
        for (int32_t i = 0; i < count; ++i)
            if (!record(list.items.emplace_back(JsonNode::object()), valueLayout()))
                return false;
        return field(root_, "Variables", StreamField::Lines);
    }

    bool record(JsonNode& node, RecordLayout layout) {
        for (const FieldLayout& f : layout)
            if (!field(node, f.name, f.kind))
                return false;
        return true;
    }

    bool field(JsonNode& node, const char* name, StreamField kind) {
        switch (kind) {
        case StreamField::U8:
            node.set(name, number(in_.u8()));
            break;
        case StreamField::U16:
            node.set(name, number(in_.u16()));
            break;
        case StreamField::I32:
            node.set(name, number(in_.i32()));
            break;
        case StreamField::F64:
            node.set(name, doubleText(in_.f64()));
            break;
        case StreamField::Bool16:
            node.set(name, in_.u16() ? "true" : "false");
            break;
        case StreamField::Short:
            node.set(name, quoted(ReadShortString(in_)));
            break;
        case StreamField::Text: {
            const QStringList lines = ReadStringList(in_);
            node.set(name, lines.size() == 1 ? quoted(lines.first()) : stringList(lines));
            break;
        }
        case StreamField::Lines:
            node.set(name, stringList(ReadStringList(in_)));
            break;
        case StreamField::Blob:
            return blob(node, name);
        case StreamField::Ole:
            return ole(node, name);
        }
        return in_.ok();
    }

    // {"Kind": n, "Data": "base64"}: the bytes up to the stored end offset.
    bool blob(JsonNode& node, const char* name) {
        const uint8_t kind = in_.u8();
        const uint32_t end = in_.u32();
        if (!in_.ok() || end < in_.pos() || end > in_.size())
            return false;
        const QByteArray data = in_.bytes(end - in_.pos());
        JsonNode& b = node.add(name, JsonNode::object());
        b.set("Kind", number(kind));
        b.set("Data", quoted(QString::fromLatin1(data.toBase64())));
        return in_.ok();
    }
    // null, or the container stream in base64.
    bool ole(JsonNode& node, const char* name) {
        const uint8_t flag = in_.u8();
        if (flag > 1)
            return false;
        if (flag == 0) {
            node.set(name, "null");
            return in_.ok();
        }
        const QByteArray stream = ole::readContainerStream(in_);
        node.set(name, quoted(QString::fromLatin1(stream.toBase64())));
        return in_.ok();
    }

    ByteReader in_;
    JsonNode root_ = JsonNode::object();
    int objects_ = 0;
};

} // namespace

std::optional<QByteArray> templateToJson(const QByteArray& stream) {
    StreamToJson converter(stream);
    if (!converter.run())
        return std::nullopt;
    QByteArray json = converter.result();
    // Only a form that gives the same bytes back is a transcription; a
    // field the reader accepted in another than its written form (a
    // boolean stored as 1, say) makes the template go through a save first.
    try {
        if (templateFromJson(json) != stream)
            return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return json;
}

} // namespace vx
