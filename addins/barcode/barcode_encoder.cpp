#include "addins/barcode/barcode_encoder.h"

#include "addins/barcode/barcode_tables.h"
#include "platform/errors.h"

#include <cmath>

namespace vx {

namespace {

constexpr std::array<const char*, kBarcodeTypeCount> kTypeNames = {
    "2 5 interleaved",
    "2 5 industrial",
    "2 5 matrix",
    "Code39",
    "Code39 Extended",
    "Code128A",
    "Code128B",
    "Code128C",
    "Code93",
    "Code93 Extended",
    "MSI",
    "PostNet",
    "Codebar",
    "EAN8",
    "EAN13",
    "UPC A",
    "UPC E0",
    "UPC E1",
    "UPC Supp2",
    "UPC Supp5",
    "EAN128A",
    "EAN128B",
    "EAN128C",
};

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int digitAt(const QString& s, qsizetype i) {
    return s.at(i).unicode() - '0';
}

// Blanks as the system trims them: every character up to the space.
QString trimBlanks(const QString& text) {
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && text.at(b).unicode() <= ' ')
        ++b;
    while (e > b && text.at(e - 1).unicode() <= ' ')
        --e;
    return text.mid(b, e - b);
}

// ---- 2 of 5 ----------------------------------------------------------------

void encodeInterleaved(QString digits, BarcodeEncoding& out) {
    // The digits are encoded in pairs; an odd count gets a leading zero, as
    // the standard asks, so that no digit is left out of the bars.
    if (digits.size() % 2 != 0)
        digits.prepend(QLatin1Char('0'));
    std::string& e = out.Elements;
    e = "5050";
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2) {
        const char* first = barcode::kTwoOfFive[digitAt(digits, i)];
        const char* second = barcode::kTwoOfFive[digitAt(digits, i + 1)];
        for (int k = 0; k < 5; ++k) {
            e += first[k] == '1' ? '6' : '5';
            e += second[k] == '1' ? '1' : '0';
        }
    }
    e += "605";
    out.CodeText = digits;
}

void encodeIndustrial(const QString& digits, BarcodeEncoding& out) {
    std::string& e = out.Elements;
    e = "606050";
    for (QChar c : digits)
        for (const char* f = barcode::kTwoOfFive[c.unicode() - '0']; *f; ++f)
            e += *f == '1' ? "60" : "50";
    e += "605060";
}

void encodeMatrix(const QString& digits, BarcodeEncoding& out) {
    std::string& e = out.Elements;
    e = "705050";
    for (QChar c : digits) {
        barcode::appendFlags(e, barcode::kTwoOfFive[c.unicode() - '0'], true);
        e += '0';
    }
    e += "70505";
}

// ---- Code 39 ---------------------------------------------------------------

// Encodes `data` (Code 39 characters only); returns the check character.
QChar encodeCode39Data(const QString& data, const BarcodeOptions& o, const QString& label,
                       const QString& shown, std::string& e) {
    e.clear();
    barcode::appendFlags(e, barcode::kCode39StartStop, true);
    e += '0';
    int sum = 0;
    for (QChar c : data) {
        const int v = barcode::code39Value(c.unicode());
        if (v < 0)
            barcode::throwBadData(o, label, shown);
        barcode::appendFlags(e, barcode::kCode39Patterns[v], true);
        e += '0';
        sum += v;
    }
    QChar check;
    if (o.Checksum) {
        const int v = sum % barcode::kCode39Modulus;
        barcode::appendFlags(e, barcode::kCode39Patterns[v], true);
        e += '0';
        check = QLatin1Char(barcode::kCode39Chars[v]);
    }
    barcode::appendFlags(e, barcode::kCode39StartStop, true);
    return check;
}

void encodeCode39(const QString& text, const BarcodeOptions& o, bool extended,
                  BarcodeEncoding& out) {
    const QString label = barcodeTypeName(o.Typ);
    QString data = text;
    if (extended) {
        data.clear();
        for (QChar c : text) {
            if (c.unicode() >= 128)
                barcode::throwBadData(o, label, text);
            data += QLatin1String(barcode::kCode39Ascii[c.unicode()]);
        }
    }
    const QChar check = encodeCode39Data(data, o, label, text, out.Elements);
    out.CodeText = text;
    if (o.Checksum && o.ShowCheckSumText)
        out.CodeText += check;
}

// ---- Code 93 ---------------------------------------------------------------

void encodeCode93(const QString& text, const BarcodeOptions& o, bool extended,
                  BarcodeEncoding& out) {
    std::vector<int> values;
    values.reserve(size_t(text.size()) * 2);
    auto bad = [&] {
        throw VxError(QStringLiteral("%1: Code93 dati errati Data <%2>").arg(o.ClassName, text));
    };
    for (QChar c : text) {
        if (!extended) {
            const int v = barcode::code93Value(c.unicode(), false);
            if (v < 0)
                bad();
            values.push_back(v);
            continue;
        }
        if (c.unicode() >= 128)
            bad();
        for (const char* s = barcode::kCode93Ascii[c.unicode()]; *s; ++s)
            values.push_back(barcode::code93Value(char16_t(*s), true));
    }
    // Check characters C (weights 1..20 from the right) and K (weights
    // 1..15 from the right over the data and C).
    int c = 0;
    int k = 0;
    const size_t n = values.size();
    for (size_t i = 0; i < n; ++i) {
        const int v = values[n - 1 - i];
        c += v * int(i % 20 + 1);
        k += v * int((i + 1) % 15 + 1);
    }
    c %= barcode::kCode93Values;
    k = (k + c) % barcode::kCode93Values;
    std::string& e = out.Elements;
    e.clear();
    barcode::appendModules(e, barcode::kCode93Start, true);
    for (int v : values)
        barcode::appendModules(e, barcode::kCode93Patterns[v], true);
    barcode::appendModules(e, barcode::kCode93Patterns[c], true);
    barcode::appendModules(e, barcode::kCode93Patterns[k], true);
    barcode::appendModules(e, barcode::kCode93Stop, true);
    out.CodeText = text;
}

// ---- Code 128 --------------------------------------------------------------

// The value of a character in set A (ASCII 0-95) or B (ASCII 32-127), -1
// when the set has none.
int code128Value(char16_t c, bool setA) {
    if (setA) {
        if (c < 32)
            return int(c) + 64;
        return c < 96 ? int(c) - 32 : -1;
    }
    return c >= 32 && c < 128 ? int(c) - 32 : -1;
}

void encodeCode128(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out) {
    const int typ = o.Typ;
    const bool ean = typ == bcCodeEAN128A || typ == bcCodeEAN128B || typ == bcCodeEAN128C;
    const int set = (typ == bcCode128A || typ == bcCodeEAN128A)   ? 0
                    : (typ == bcCode128B || typ == bcCodeEAN128B) ? 1
                                                                  : 2;
    QString data = text;
    bool checkAdded = false;
    if (ean && o.Checksum) {
        data = AddCheckDigit(data, o.CheckSumMethod);
        checkAdded = data.size() != text.size();
    }
    if (set == 2 && data.size() % 2 != 0)
        data.prepend(QLatin1Char('0'));

    std::string& e = out.Elements;
    e.clear();
    const int start = barcode::kCode128StartA + set;
    barcode::appendModules(e, barcode::kCode128Patterns[start], true);
    int64_t sum = start % barcode::kCode128Modulus;
    int64_t k = 1;
    auto add = [&](int v) {
        barcode::appendModules(e, barcode::kCode128Patterns[v], true);
        sum = (sum + v * k) % barcode::kCode128Modulus;
        ++k;
    };
    if (ean)
        add(barcode::kCode128Fnc1);
    if (set == 2) {
        for (qsizetype i = 0; i + 1 < data.size(); i += 2)
            add(digitAt(data, i) * 10 + digitAt(data, i + 1));
    } else {
        for (QChar c : data) {
            const int v = code128Value(c.unicode(), set == 0);
            if (v < 0)
                barcode::throwBadData(o, barcodeTypeName(typ), text);
            add(v);
        }
    }
    barcode::appendModules(e, barcode::kCode128Patterns[sum], true);
    barcode::appendModules(e, barcode::kCode128Patterns[barcode::kCode128Stop], true);
    out.CodeText = checkAdded && !o.ShowCheckSumText ? data.chopped(1) : data;
    if (!ean && set != 2)
        out.CodeText = text;
}

// ---- MSI, PostNet, Codabar -------------------------------------------------

void appendMsiDigit(std::string& e, int d) {
    for (int bit = 3; bit >= 0; --bit)
        e += (d >> bit) & 1 ? "60" : "51";
}

void encodeMsi(const QString& digits, BarcodeEncoding& out) {
    // Check digit: from the right, every other digit starting with the last
    // is doubled and the digits of the products summed, with the other
    // digits added as they are (the same as doubling the number they form).
    int t = 0;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const int d = digitAt(digits, digits.size() - 1 - i);
        if (i % 2 == 0)
            t += 2 * d / 10 + 2 * d % 10;
        else
            t += d;
    }
    const int check = t % 10 > 0 ? 10 - t % 10 : 0;
    std::string& e = out.Elements;
    e = "60";
    for (QChar c : digits)
        appendMsiDigit(e, c.unicode() - '0');
    appendMsiDigit(e, check);
    e += "515";
}

void appendPostNetDigit(std::string& e, int d) {
    for (const char* f = barcode::kPostNet[d]; *f; ++f)
        e += *f == '1' ? "51" : "A1";
}

void encodePostNet(const QString& digits, BarcodeEncoding& out) {
    // Every PostNet symbol ends with its correction digit, which brings the
    // sum of all digits to a multiple of ten.
    int sum = 0;
    for (QChar c : digits)
        sum += c.unicode() - '0';
    std::string& e = out.Elements;
    e = "51";
    for (QChar c : digits)
        appendPostNetDigit(e, c.unicode() - '0');
    appendPostNetDigit(e, (10 - sum % 10) % 10);
    e += "5";
}

void encodeCodabar(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out) {
    std::string& e = out.Elements;
    e.clear();
    barcode::appendFlags(e, barcode::kCodabarPatterns[barcode::codabarIndex(u'A')], true);
    e += '0';
    for (QChar c : text) {
        const int i = barcode::codabarIndex(c.unicode());
        if (i < 0)
            barcode::throwBadData(o, barcodeTypeName(o.Typ), text);
        barcode::appendFlags(e, barcode::kCodabarPatterns[i], true);
        e += '0';
    }
    barcode::appendFlags(e, barcode::kCodabarPatterns[barcode::codabarIndex(u'B')], true);
}

void encode(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out) {
    switch (o.Typ) {
    case bcCode_2_5_interleaved:
        return encodeInterleaved(text, out);
    case bcCode_2_5_industrial:
        return encodeIndustrial(text, out);
    case bcCode_2_5_matrix:
        return encodeMatrix(text, out);
    case bcCode39:
    case bcCode39Extended:
        return encodeCode39(text, o, o.Typ == bcCode39Extended, out);
    case bcCode93:
    case bcCode93Extended:
        return encodeCode93(text, o, o.Typ == bcCode93Extended, out);
    case bcCodeMSI:
        return encodeMsi(text, out);
    case bcCodePostNet:
        return encodePostNet(text, out);
    case bcCodeCodabar:
        return encodeCodabar(text, o, out);
    case bcCodeEAN8:
        return barcode::encodeEan8(text, o, out);
    case bcCodeEAN13:
        return barcode::encodeEan13(text, o, out);
    case bcCodeUPC_A:
        return barcode::encodeUpcA(text, o, out);
    case bcCodeUPC_E0:
    case bcCodeUPC_E1:
        return barcode::encodeUpcE(text, o, out);
    case bcCodeUPC_Supp2:
        return barcode::encodeUpcSupp2(text, o, out);
    case bcCodeUPC_Supp5:
        return barcode::encodeUpcSupp5(text, o, out);
    default: // the Code 128 and EAN 128 sets
        return encodeCode128(text, o, out);
    }
}

} // namespace

QString barcodeTypeName(int typ) {
    if (typ < 0 || typ >= kBarcodeTypeCount)
        return QString();
    return QLatin1String(kTypeNames[size_t(typ)]);
}

bool barcodeTypeNumeric(int typ) {
    switch (typ) {
    case bcCode_2_5_interleaved:
    case bcCode_2_5_industrial:
    case bcCode_2_5_matrix:
    case bcCode128C:
    case bcCodeMSI:
    case bcCodePostNet:
    case bcCodeEAN8:
    case bcCodeEAN13:
    case bcCodeUPC_A:
    case bcCodeUPC_E0:
    case bcCodeUPC_E1:
    case bcCodeUPC_Supp2:
    case bcCodeUPC_Supp5:
    case bcCodeEAN128C:
        return true;
    default:
        return false;
    }
}

double CheckedRatio(int typ, double ratio) {
    double lo = 2.0;
    double hi = 3.0;
    switch (typ) {
    case bcCode_2_5_matrix:
        lo = 2.25;
        break;
    case bcCode128A:
    case bcCode128B:
    case bcCode128C:
    case bcCodeEAN128A:
    case bcCodeEAN128B:
    case bcCodeEAN128C:
    case bcCode93:
    case bcCode93Extended:
        // Their patterns are whole modules: the widths must be 1, 2, 3 and
        // 4 modules whatever ratio was set.
        return 2.0;
    case bcCodePostNet:
        lo = 1.0;
        break;
    default:
        break;
    }
    if (!(ratio >= lo)) // also for NaN
        return lo;
    return ratio > hi ? hi : ratio;
}

ElementWidths ComputeElementWidths(int typ, int modul, double ratio) {
    const double r = CheckedRatio(typ, ratio);
    const int w1 = int(std::nearbyint(modul * r)); // the default rounding is to even
    return {modul, w1, w1 * 3 / 2, w1 * 2};
}

int ElementsWidth(const std::string& elements, const ElementWidths& widths,
                  const QString& className) {
    int total = 0;
    for (char c : elements) {
        int i = -1;
        if (c >= '0' && c <= '3')
            i = c - '0';
        else if (c >= '5' && c <= '8')
            i = c - '5';
        else if (c >= 'A' && c <= 'D')
            i = c - 'A';
        if (i < 0)
            throw VxError(QStringLiteral("%1: Errore interno").arg(className));
        total += widths[size_t(i)];
    }
    return total;
}

int Modulo10CheckDigit(QStringView text) {
    int sum = 0;
    int weight = 3;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (!isAsciiDigit(text[i]))
            continue;
        sum += (text[i].unicode() - '0') * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

QString AddCheckDigit(const QString& text, TCheckSumMethod method) {
    if (method != csmModulo10)
        return text;
    return text + QChar(u'0' + Modulo10CheckDigit(text));
}

QString FillTo(const QString& text, int length) {
    if (text.size() >= length)
        return text;
    return QString(length - text.size(), QLatin1Char('0')) + text;
}

BarcodeEncoding MakeElements(const QString& text, const BarcodeOptions& options) {
    if (text.size() > kMaxBarcodeTextLength)
        throw VxError(QStringLiteral("Il codice a barre è troppo lungo (più di %1 caratteri)")
                          .arg(kMaxBarcodeTextLength));
    QString data = text;
    if (barcodeTypeNumeric(options.Typ)) {
        data = trimBlanks(data);
        for (QChar c : data)
            if (!isAsciiDigit(c))
                throw VxError(QStringLiteral("Il codice a barre deve essere di tipo numerico"));
    }
    if (options.Typ < 0 || options.Typ >= kBarcodeTypeCount)
        throw VxError(QStringLiteral("%1: Tipo di codice a barre errato").arg(options.ClassName));
    BarcodeEncoding out;
    out.CodeText = data;
    encode(data, options, out);
    return out;
}

namespace barcode {

void appendModules(std::string& out, const char* widths, bool barFirst) {
    bool bar = barFirst;
    for (const char* w = widths; *w; ++w, bar = !bar)
        out += char((bar ? '5' : '0') + (*w - '1'));
}

void appendFlags(std::string& out, const char* flags, bool barFirst) {
    bool bar = barFirst;
    for (const char* f = flags; *f; ++f, bar = !bar)
        out += char((bar ? '5' : '0') + (*f == '1' ? 1 : 0));
}

void throwBadData(const BarcodeOptions& o, const QString& label, const QString& text) {
    throw VxError(QStringLiteral("%1: %2 dati errati Data <%3>").arg(o.ClassName, label, text));
}

void throwBadLength(const QString& label) {
    throw VxError(QStringLiteral("Lunghezza del testo errata (%1)").arg(label));
}

} // namespace barcode

} // namespace vx
