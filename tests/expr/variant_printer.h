#pragma once

// Readable gtest output for Variant values: "kind value".
#include "expr/variant.h"

#include <ostream>

namespace vx {

inline void PrintTo(const Variant& v, std::ostream* os) {
    *os << Variant::kindName(v.kind());
    if (v.kind() == VariantKind::Float || v.kind() == VariantKind::DateTime)
        *os << " " << FormatFloatGeneral(v.floatValue(), QLatin1Char('.')).toStdString();
    else if (!v.isEmpty() && !v.isNull())
        *os << " " << v.toString().toStdString();
}

} // namespace vx
