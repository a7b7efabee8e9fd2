#pragma once

// Builds template streams byte by byte, as older versions wrote them.

#include "platform/byte_writer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vx::test {

struct StreamBuilder {
    QByteArray bytes;
    ByteWriter out{&bytes};

    StreamBuilder& u8(uint8_t v) { return out.u8(v), *this; }
    StreamBuilder& u16(uint16_t v) { return out.u16(v), *this; }
    StreamBuilder& i32(int32_t v) { return out.i32(v), *this; }
    StreamBuilder& b16(bool v) { return out.i16(v ? -1 : 0), *this; }
    StreamBuilder& shortString(const QByteArray& s) {
        out.u8(uint8_t(s.size()));
        out.bytes(s);
        return *this;
    }
    // Current layout: u16 count, u16 length + bytes per line.
    StreamBuilder& list(const QList<QByteArray>& lines) {
        out.u16(uint16_t(lines.size()));
        for (const QByteArray& l : lines) {
            out.u16(uint16_t(l.size()));
            out.bytes(l);
        }
        return *this;
    }
    // Old layout: lines ended by CR, list ended by 0.
    StreamBuilder& oldList(const QList<QByteArray>& lines) {
        for (const QByteArray& l : lines) {
            out.bytes(l);
            out.u8(13);
        }
        out.u8(0);
        return *this;
    }
    // Page record after tag 255 (zoom only from version 25).
    StreamBuilder& page(bool withZoom, int32_t paper = 9) {
        u8(255).i32(paper).i32(2100).i32(2970);
        i32(38).i32(38).i32(38).i32(57).u8(0);
        b16(true).b16(true).b16(false).b16(false).b16(true);
        i32(0).i32(0);
        if (withZoom)
            i32(100).i32(100);
        return *this;
    }
    // Common part of an object, without Visible/Name (versions before 23).
    StreamBuilder& commonOld(int32_t l, int32_t t, int32_t w, int32_t h, bool oldLists,
                             const QList<QByteArray>& lines) {
        i32(l).i32(t).i32(w).i32(h).u16(0).u16(15).i32(1).i32(0).u16(0).i32(0x1FFFFFFF).i32(556);
        if (oldLists)
            oldList({""}).oldList(lines);
        else
            list({""}).list(lines);
        return *this;
    }
    // Text class part.
    StreamBuilder& memoPart(bool oldLists) {
        if (oldLists)
            oldList({"Arial"});
        else
            list({"Arial"});
        i32(10).u16(0).i32(0).i32(0).u16(2).i32(0).i32(0xFFFFFF).b16(false);
        if (oldLists)
            oldList({});
        else
            list({});
        return *this;
    }
};

} // namespace vx::test
