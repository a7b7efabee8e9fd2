// EAN and UPC symbols with their add-ons.
#include "addins/barcode/barcode_encoder.h"
#include "addins/barcode/barcode_tables.h"

namespace vx::barcode {

namespace {

int digitAt(const QString& s, qsizetype i) {
    return s.at(i).unicode() - '0';
}

// A digit in set L (odd parity, space first), G (even parity, the R widths
// reversed) or R (bar first).
void appendL(std::string& e, int d) {
    appendModules(e, kEanL[d], false);
}
void appendG(std::string& e, int d) {
    const char* l = kEanL[d];
    const char reversed[] = {l[3], l[2], l[1], l[0], 0};
    appendModules(e, reversed, false);
}
void appendR(std::string& e, int d) {
    appendModules(e, kEanL[d], true);
}

// The text under the bars: every encoded digit, without the check digit
// when one was added and is not to be shown.
QString displayed(const QString& digits, bool checkAdded, const BarcodeOptions& o) {
    return checkAdded && !o.ShowCheckSumText ? digits.chopped(1) : digits;
}

// Guard, the first half of the digits in set L, centre guard, the second
// half in set R, guard (EAN-8 and UPC-A).
void appendHalves(std::string& e, const QString& t) {
    const qsizetype half = t.size() / 2;
    e = "505";
    for (qsizetype i = 0; i < half; ++i)
        appendL(e, digitAt(t, i));
    e += "05050";
    for (qsizetype i = half; i < t.size(); ++i)
        appendR(e, digitAt(t, i));
    e += "505";
}

// With the check option the last digit is the computed one.
bool addsCheck(const BarcodeOptions& o) {
    return o.Checksum && o.CheckSumMethod == csmModulo10;
}

} // namespace

void encodeEan8(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out) {
    QString t;
    if (o.Checksum)
        t = AddCheckDigit(FillTo(text, 7).right(7), o.CheckSumMethod);
    else
        t = FillTo(text, 8);
    if (t.size() != 8)
        throwBadLength(QStringLiteral("EAN8"));
    out.CodeText = displayed(t, addsCheck(o), o);
    appendHalves(out.Elements, t);
}

void encodeEan13(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out) {
    const QString t =
        o.Checksum ? AddCheckDigit(FillTo(text, 12), o.CheckSumMethod) : FillTo(text, 13);
    if (t.size() != 13)
        throwBadLength(QStringLiteral("EAN13"));
    out.CodeText = displayed(t, addsCheck(o), o);
    const char* parity = kEan13Parity[digitAt(t, 0)];
    std::string& e = out.Elements;
    e = "505";
    for (int i = 1; i < 7; ++i) {
        if (parity[i - 1] == 'G')
            appendG(e, digitAt(t, i));
        else
            appendL(e, digitAt(t, i));
    }
    e += "05050";
    for (int i = 7; i < 13; ++i)
        appendR(e, digitAt(t, i));
    e += "505";
}

void encodeUpcA(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out) {
    // With the check option eleven digits get their check digit; a twelfth
    // digit (an old check digit) is replaced. Without it, all twelve digits
    // are given.
    QString t;
    if (o.Checksum) {
        if (text.size() > 12)
            throwBadLength(QStringLiteral("UPC A"));
        t = AddCheckDigit(FillTo(text.left(11), 11), o.CheckSumMethod);
    } else {
        t = FillTo(text, 12);
    }
    if (t.size() != 12)
        throwBadLength(QStringLiteral("UPC A"));
    out.CodeText = displayed(t, addsCheck(o), o);
    appendHalves(out.Elements, t);
}

int UpcECheckDigit(QStringView six, int numberSystem) {
    // The UPC-A number that the six digits stand for (number system,
    // manufacturer, product), whose check digit the parity carries; 'a' to
    // 'f' stand for the six digits, '0' for an inserted zero.
    const char16_t last = six[5].unicode();
    const char* layout = last <= u'2'   ? "abf0000cde"
                         : last == u'3' ? "abc00000de"
                         : last == u'4' ? "abcd00000e"
                                        : "abcde0000f";
    QString a(1, QChar(u'0' + numberSystem));
    for (const char* p = layout; *p; ++p)
        a += *p == '0' ? QChar(u'0') : six[*p - 'a'];
    return Modulo10CheckDigit(a);
}

void encodeUpcE(const QString& text, const BarcodeOptions& o, BarcodeEncoding& out) {
    // Six digits and the check digit, which the bars carry in the parity of
    // the six. With the check option six digits may be given (a seventh is
    // replaced); without it the seventh digit written is the computed one,
    // as the bars cannot carry another.
    QString six;
    if (o.Checksum) {
        if (text.size() > 7)
            throwBadLength(barcodeTypeName(o.Typ));
        six = FillTo(text.left(6), 6);
    } else {
        const QString t = FillTo(text, 7);
        if (t.size() != 7)
            throwBadLength(barcodeTypeName(o.Typ));
        six = t.left(6);
    }
    const int numberSystem = o.Typ == bcCodeUPC_E1 ? 1 : 0;
    const int check = UpcECheckDigit(six, numberSystem);
    const QString t = six + QChar(u'0' + check);
    out.CodeText = displayed(t, o.Checksum, o);
    const char* parity = kUpcEParity[check];
    std::string& e = out.Elements;
    e = "505";
    for (int i = 0; i < 6; ++i) {
        const bool even = (parity[i] == 'E') != (numberSystem == 1);
        if (even)
            appendG(e, digitAt(t, i));
        else
            appendL(e, digitAt(t, i));
    }
    e += "050505";
}

void encodeUpcSupp5(const QString& text, [[maybe_unused]] const BarcodeOptions& o,
                    BarcodeEncoding& out) {
    // The add-on's check digit is carried by the parity alone: it is never
    // printed, whatever the check options say.
    const QString t = FillTo(text, 5);
    if (t.size() != 5)
        throwBadLength(QStringLiteral("UPC Supp5"));
    const int sum =
        3 * (digitAt(t, 0) + digitAt(t, 2) + digitAt(t, 4)) + 9 * (digitAt(t, 1) + digitAt(t, 3));
    const char* parity = kUpcEParity[sum % 10] + 1;
    out.CodeText = t;
    std::string& e = out.Elements;
    e = "506";
    for (int i = 0; i < 5; ++i) {
        if (i > 0)
            e += "05";
        if (parity[i] == 'E')
            appendG(e, digitAt(t, i));
        else
            appendL(e, digitAt(t, i));
    }
}

void encodeUpcSupp2(const QString& text, [[maybe_unused]] const BarcodeOptions& o,
                    BarcodeEncoding& out) {
    const QString t = FillTo(text, 2);
    if (t.size() != 2)
        throwBadLength(QStringLiteral("UPC Supp2"));
    const int v = (digitAt(t, 0) * 10 + digitAt(t, 1)) % 4;
    out.CodeText = t;
    std::string& e = out.Elements;
    e = "506";
    if (v & 2)
        appendG(e, digitAt(t, 0));
    else
        appendL(e, digitAt(t, 0));
    e += "05";
    if (v & 1)
        appendG(e, digitAt(t, 1));
    else
        appendL(e, digitAt(t, 1));
}

} // namespace vx::barcode
