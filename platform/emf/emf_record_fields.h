#pragma once

// Field readers shared by the record readers of every family: points,
// ranges inside a record and the DIB a bitmap record carries. Each returns
// nothing when the record is too short for what it reads.

#include "platform/emf/emf_records.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vx::emf::fields {

QPoint readPoint(ByteReader& r, bool points16);

// Reads n points after checking that they fit in what is left, so a huge
// count never allocates.
std::optional<std::vector<QPoint>> readPoints(ByteReader& r, uint32_t n, bool points16);

// A range [off, off + len) that must lie inside the record.
bool rangeInRecord(const EmfRecord& rec, uint32_t off, size_t len);

// The four fields that place a DIB in a bitmap record (offset and size of
// the BITMAPINFO, offset and size of the bits), stored in this order by
// every record that carries one.
struct DibFields {
    uint32_t offBmi = 0;
    uint32_t cbBmi = 0;
    uint32_t offBits = 0;
    uint32_t cbBits = 0;
};

DibFields readDibFields(ByteReader& r);

// The record's DIB; nothing when the fields leave the record. No BITMAPINFO
// (cbBmi 0) is a record without a bitmap (a pattern blit).
std::optional<DibRef> readDibRef(const EmfRecord& rec, const DibFields& f, uint32_t usage);

} // namespace vx::emf::fields
