#include "report/stream_helpers.h"

#include "platform/codepage.h"
#include "report/library_state.h"

#include <algorithm>

namespace vx {

QString fromCodePage(const QByteArray& bytes) {
    return fromCp1252(bytes);
}
QByteArray toCodePage(const QString& text) {
    return toCp1252(text);
}

void WriteShortString(ByteWriter& out, const QString& text) {
    QByteArray bytes = toCodePage(text);
    if (bytes.size() > kShortStringMax)
        bytes.truncate(kShortStringMax);
    out.u8(uint8_t(bytes.size()));
    out.bytes(bytes);
}

QString ReadShortString(ByteReader& in) {
    const uint8_t n = in.u8();
    const char* p = in.view(n);
    return p ? fromCp1252(p, n) : QString();
}

void WriteBool16(ByteWriter& out, bool value) {
    out.i16(value ? -1 : 0);
}
bool ReadBool16(ByteReader& in) {
    return in.u16() != 0;
}

void WriteStringList(ByteWriter& out, const QStringList& list) {
    const qsizetype count = std::min<qsizetype>(list.size(), kListLinesMax);
    out.u16(uint16_t(count));
    for (qsizetype i = 0; i < count; ++i) {
        QByteArray bytes = toCodePage(list.at(i));
        if (bytes.size() > kListLineMax)
            bytes.truncate(kListLineMax);
        out.u16(uint16_t(bytes.size()));
        out.bytes(bytes);
    }
}

namespace {

QStringList readCurrentList(ByteReader& in) {
    QStringList list;
    const uint16_t count = in.u16();
    for (uint16_t i = 0; i < count && in.ok(); ++i) {
        const uint16_t n = in.u16();
        if (n > kListLineMax) {
            in.fail();
            break;
        }
        const char* p = in.view(n);
        if (!p)
            break;
        list.append(fromCp1252(p, n));
    }
    if (!in.ok())
        list.clear();
    return list;
}

// Lines ended by CR, the list by a zero byte; LF is an ordinary character.
QStringList readOldList(ByteReader& in) {
    QStringList list;
    QByteArray line;
    while (in.ok()) {
        const uint8_t c = in.u8();
        if (!in.ok())
            break;
        if (c == 0) {
            if (!line.isEmpty())
                list.append(fromCp1252(line));
            return list;
        }
        if (c == 13) {
            if (list.size() >= kListLinesMax)
                break;
            list.append(fromCp1252(line));
            line.clear();
            continue;
        }
        if (line.size() >= kOldListLineMax)
            break;
        line.append(char(c));
    }
    in.fail();
    return QStringList();
}

} // namespace

QStringList ReadStringList(ByteReader& in, StringListLayout layout) {
    return layout == StringListLayout::Old ? readOldList(in) : readCurrentList(in);
}

StringListLayout currentListLayout() {
    return FileVersion <= 25 ? StringListLayout::Old : StringListLayout::Current;
}

QStringList ReadStringList(ByteReader& in) {
    return ReadStringList(in, currentListLayout());
}

void WriteStringAsList(ByteWriter& out, const QString& text) {
    WriteStringList(out, QStringList{text});
}

QString ReadStringAsList(ByteReader& in) {
    const QStringList list = ReadStringList(in);
    return list.isEmpty() ? QString() : list.first();
}

StreamVersionScope::StreamVersionScope(int version) : saved_(FileVersion) {
    FileVersion = version;
}
StreamVersionScope::~StreamVersionScope() {
    FileVersion = saved_;
}

} // namespace vx
