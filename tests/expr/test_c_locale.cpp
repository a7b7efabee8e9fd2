// Numbers read and written by the expression library do not depend on the C
// library's locale. Every Qt program sets that locale from the environment
// at start; under it_IT.UTF-8 printf writes "1,5" and strtod stops at the
// "." of "1.5". The library's own separators come from its locale settings
// (Italian here) whatever the C locale is.
#include "expr/format.h"
#include "tests/expr/function_library_fixture.h"
#include "tests/expr/variant_printer.h"

#include <clocale>
#include <string>

namespace vx {
namespace {

// Selects a C library locale for the scope; false when it is not installed.
class CLocaleScope {
public:
    CLocaleScope() : saved_(std::setlocale(LC_ALL, nullptr)) {}
    ~CLocaleScope() { std::setlocale(LC_ALL, saved_.c_str()); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;
    static bool select(const char* name) { return std::setlocale(LC_ALL, name) != nullptr; }

private:
    std::string saved_;
};

class CLocaleTest : public test::FunctionLibraryFixture {};

TEST_F(CLocaleTest, NumbersAreTheSameUnderEverySystemLocale) {
    const struct {
        const char* expression;
        Variant expected;
    } rows[] = {
        {"1.5 * 2", Variant(3.0)},
        {"0.75", Variant(0.75)},
        {"CEIL(1.2)", Variant::fromInt32(2)},
        {"STR(1.5)", Variant("1,5")},
        {"STR(1/3)", Variant("0,333333333333333")},
        {"STR(0.00001 / 100)", Variant("1E-7")},
        {"VAL('2,5')", Variant(2.5)},
        {"VAL(' -1,5e3 ')", Variant(-1500.0)},
        {"EURO(1234.5)", Variant("\u20AC 1.234,50")},
        {"MONEYTOEURO(1000000)", Variant("\u20AC 516,46")},
        {"FORMATFLOAT('#,##0.00', 1234.5)", Variant("1.234,50")},
        {"NUMBERTOLETTER(1234.56)", Variant("milleduecentotrentaquattro virgola cinquantasei")},
        {"NUMBERTOLETTER(0.05)", Variant("zero virgola zerocinque")},
        {"EUROTOMONEYVAL(0.5)", Variant(Currency::fromScaled(9681350))},
    };
    int locales = 0;
    for (const char* name : {"it_IT.UTF-8", "de_CH.UTF-8", "en_US.UTF-8", "C.UTF-8"}) {
        CLocaleScope scope;
        if (!CLocaleScope::select(name))
            continue;
        ++locales;
        for (const auto& row : rows)
            EXPECT_EQ(eval(QString::fromUtf8(row.expression)), row.expected)
                << name << ": " << row.expression;
        EXPECT_EQ(FormatValue(Variant(1234.5), 0x0103022C, QString()), QStringLiteral("1.234,50"))
            << name;
        EXPECT_EQ(FormatValue(Variant(1234.5), 0x0100022C, QString()), QStringLiteral("1234,5"))
            << name;
        EXPECT_EQ(errorOf(QStringLiteral("1.2.3")),
                  QStringLiteral("'1,2.3' is not a valid floating point value"))
            << name;
    }
    if (locales == 0)
        GTEST_SKIP() << "no system locale installed (scripts/setup.sh generates them)";
}

} // namespace
} // namespace vx
