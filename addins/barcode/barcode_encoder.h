#pragma once

// The barcode encoder: turns a text into the element string of a
// symbology and the text printed under the bars. Pure functions, no drawing.
//
// An element string holds one code per bar or space:
//   '0'..'3'  space of width w0..w3
//   '5'..'8'  full-height bar of width w0..w3
//   'A'..'D'  short bar (two fifths of the height) of width w0..w3
// With the module M and the ratio R: w0 = M, w1 = M x R rounded (halves to
// even), w2 = w1 x 3 div 2, w3 = w1 x 2; at R = 2 they are 1, 2, 3 and 4
// modules, which the module-width symbologies (Code 93, Code 128, EAN/UPC)
// assume.

#include "addins/barcode/barcode_types.h"

#include <QString>

#include <array>
#include <string>

namespace vx {

// Longest text encoded, in characters. Linear symbols in use carry well
// under a hundred characters; 1024 keeps a symbol within a few metres at
// the narrowest module and its drawing within a few thousand records.
inline constexpr int kMaxBarcodeTextLength = 1024;
inline constexpr int kMinModul = 1;
inline constexpr int kMaxModul = 49;

struct BarcodeOptions {
    int Typ = bcCodeEAN13;
    bool Checksum = false;
    bool ShowCheckSumText = false;
    TCheckSumMethod CheckSumMethod = csmModulo10;
    QString ClassName = QStringLiteral("TBarcode"); // in the messages
};

struct BarcodeEncoding {
    std::string Elements; // element codes as above
    QString CodeText;     // the text to print under the bars
};

using ElementWidths = std::array<int, 4>;

// The ratio after its range check for the symbology: 2.25 to 3 for 2 of 5
// matrix; exactly 2 for the module-width symbologies; 1 to 3 for PostNet
// (its spaces may be as narrow as its bars); 2 to 3 for the others. A value
// that is not a number becomes the lower limit.
double CheckedRatio(int typ, double ratio);
// w0..w3 in pixels for a module already within 1 to 49.
ElementWidths ComputeElementWidths(int typ, int modul, double ratio);

// The encoding of `text`; throws VxError with the system's message for a
// type out of range, non-digits in a numeric symbology, a wrong length, a
// character the symbology cannot encode or a text that is too long.
BarcodeEncoding MakeElements(const QString& text, const BarcodeOptions& options);

// Sum of the widths of the elements; throws "%s: Errore interno" for a code
// outside the alphabet.
int ElementsWidth(const std::string& elements, const ElementWidths& widths,
                  const QString& className);

// The modulo-10 check digit of the digits of `text` (weights 3, 1, 3, ...
// from the right; other characters are passed over).
int Modulo10CheckDigit(QStringView text);
// `text` with that digit appended (csmModulo10) or unchanged (csmNone).
QString AddCheckDigit(const QString& text, TCheckSumMethod method);
// "0" prefixed until `text` has `length` characters.
QString FillTo(const QString& text, int length);

namespace barcode {

// Element-string building blocks shared by the symbology encoders.
void appendModules(std::string& out, const char* widths, bool barFirst);
void appendFlags(std::string& out, const char* flags, bool barFirst);
// The error for a character a symbology cannot encode.
[[noreturn]] void throwBadData(const BarcodeOptions& o, const QString& label, const QString& text);
[[noreturn]] void throwBadLength(const QString& label);

// EAN and UPC (barcode_ean.cpp): fill `out` from the digits in `text`.
void encodeEan8(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out);
void encodeEan13(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out);
void encodeUpcA(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out);
void encodeUpcE(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out);
void encodeUpcSupp2(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out);
void encodeUpcSupp5(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out);
// The UPC-E check digit: the UPC-A check digit of the expanded number.
int UpcECheckDigit(QStringView six, int numberSystem);

} // namespace barcode

} // namespace vx
