#pragma once

// The parameter bytes of a hand-made metafile record: each value stored as
// one little-endian word of Word's size (32 bits in EMF, 16 in WMF).

#include "platform/byte_writer.h"

#include <QByteArray>

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace vx::test {

template <typename Word, typename Value> QByteArray packWords(std::initializer_list<Value> values) {
    static_assert(std::is_same_v<Word, uint16_t> || std::is_same_v<Word, uint32_t>);
    QByteArray p;
    ByteWriter w(&p);
    for (Value v : values) {
        if constexpr (std::is_same_v<Word, uint16_t>)
            w.u16(uint16_t(v));
        else
            w.u32(uint32_t(v));
    }
    return p;
}

} // namespace vx::test
