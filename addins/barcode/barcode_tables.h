#pragma once

// The per-character patterns of the published symbology standards.
//
// Flag patterns ("2 of 5", Code 39, Codabar) give one character per element,
// bar first: '1' wide, '0' narrow. Module patterns (Code 93, Code 128,
// EAN/UPC) give each element's width in modules (1 to 4).

#include <cstdint>

namespace vx::barcode {

// 2 of 5: five flags per digit.
extern const char* const kTwoOfFive[10];

// Code 39: the 43 data characters in value order (0-9, A-Z, "-", ".",
// space, "$", "/", "+", "%"), their nine-element patterns, and the start
// and stop character "*" (not a data character).
inline constexpr char kCode39Chars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
inline constexpr int kCode39Modulus = 43;
extern const char* const kCode39Patterns[kCode39Modulus];
extern const char* const kCode39StartStop;
// The value of a Code 39 data character, -1 for any other character.
int code39Value(char16_t c);
// Full ASCII: the one or two Code 39 characters that stand for ASCII 0-127.
extern const char* const kCode39Ascii[128];

// Code 93: 47 values (43 data characters as Code 39, then the four shift
// characters ($) (%) (/) (+)), six widths each; start and stop.
inline constexpr int kCode93Values = 47;
extern const char* const kCode93Patterns[kCode93Values];
extern const char* const kCode93Start; // "111141"
extern const char* const kCode93Stop;  // "1111411", with the termination bar
// Full ASCII: the sequence for ASCII 0-127, the shift characters written as
// 'a' ($), 'b' (%), 'c' (/), 'd' (+).
extern const char* const kCode93Ascii[128];
// The value of a character of a Code 93 sequence: data characters as
// code39Value, 'a' to 'd' when `shifts` is set (43 to 46), else -1.
int code93Value(char16_t c, bool shifts);

// Code 128: values 0-102, the starts 103 (A), 104 (B), 105 (C) and the stop
// at index 106.
inline constexpr int kCode128StartA = 103;
inline constexpr int kCode128StartB = 104;
inline constexpr int kCode128StartC = 105;
inline constexpr int kCode128Stop = 106;
inline constexpr int kCode128Fnc1 = 102;
inline constexpr int kCode128Modulus = 103;
extern const char* const kCode128Patterns[107];

// PostNet: five bars per digit, '1' tall and '0' short.
extern const char* const kPostNet[10];

// Codabar: the 20 characters with their seven-element patterns.
inline constexpr char kCodabarChars[] = "0123456789-$:/.+ABCD";
extern const char* const kCodabarPatterns[20];
int codabarIndex(char16_t c); // -1 for a character outside the table

// EAN/UPC: the left odd set L as module widths space first; the right set
// R has the same widths bar first; the left even set G is R reversed.
extern const char* const kEanL[10];
// EAN-13 parity of digits 2 to 7 by the first digit ('L' or 'G').
extern const char* const kEan13Parity[10];
// UPC-E parity by check digit for number system 0 ('E' even = G, 'O' odd =
// L); number system 1 is the reverse. The 5-digit add-on uses the row
// without its first letter.
extern const char* const kUpcEParity[10];

} // namespace vx::barcode
