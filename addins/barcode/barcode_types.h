#pragma once

// The symbologies of the barcode generator, in the order the editor lists
// them and templates store them (BarType), with their display names.

#include <QString>

#include <cstdint>

namespace vx {

enum TBarcodeType : uint8_t {
    bcCode_2_5_interleaved = 0,
    bcCode_2_5_industrial,
    bcCode_2_5_matrix,
    bcCode39,
    bcCode39Extended,
    bcCode128A,
    bcCode128B,
    bcCode128C,
    bcCode93,
    bcCode93Extended,
    bcCodeMSI,
    bcCodePostNet,
    bcCodeCodabar,
    bcCodeEAN8,
    bcCodeEAN13,
    bcCodeUPC_A,
    bcCodeUPC_E0,
    bcCodeUPC_E1,
    bcCodeUPC_Supp2,
    bcCodeUPC_Supp5,
    bcCodeEAN128A,
    bcCodeEAN128B,
    bcCodeEAN128C,
};

inline constexpr int kBarcodeTypeCount = 23;

enum TCheckSumMethod : uint8_t { csmNone = 0, csmModulo10 = 1 };

// Kept for programs that set it; the drawing of this system does not use it.
enum TBarcodeOption : uint8_t { bcoNone = 0, bcoCode, bcoTyp, bcoBoth };

// The editor's name of a symbology ("EAN13"); empty out of range.
QString barcodeTypeName(int typ);
// Whether the symbology encodes digits only.
bool barcodeTypeNumeric(int typ);

} // namespace vx
