#include "platform/locale_settings.h"
#include "platform/message_box.h"

#include "platform/errors.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(LocaleSettings, ItalianConventions) {
    const LocaleSettings it = LocaleSettings::italian();
    EXPECT_EQ(it.decimalSeparator, QLatin1Char(','));
    EXPECT_EQ(it.thousandSeparator, QLatin1Char('.'));
    EXPECT_EQ(it.shortDateFormat, QStringLiteral("dd/mm/yyyy"));
    EXPECT_EQ(it.currencyString, QStringLiteral("€"));
    ASSERT_EQ(it.longMonthNames.size(), 12);
    EXPECT_EQ(it.longMonthNames[0], QStringLiteral("gennaio"));
    ASSERT_EQ(it.longDayNames.size(), 7);
    EXPECT_EQ(it.longDayNames[0], QStringLiteral("domenica"));
}

TEST(LocaleSettings, FromQtLocale) {
    const LocaleSettings us =
        LocaleSettings::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.decimalSeparator, QLatin1Char('.'));
    EXPECT_EQ(us.thousandSeparator, QLatin1Char(','));
    EXPECT_EQ(us.currencyString, QStringLiteral("$"));
    EXPECT_EQ(us.currencyFormat, 0); // "$1"
    EXPECT_EQ(us.shortDateFormat, QStringLiteral("m/d/yyyy"));
    const LocaleSettings de =
        LocaleSettings::fromLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.decimalSeparator, QLatin1Char(','));
    EXPECT_EQ(de.dateSeparator, QLatin1Char('.'));
    EXPECT_EQ(de.shortDateFormat, QStringLiteral("dd/mm/yyyy")); // "/" stands for "."
    EXPECT_EQ(de.currencyFormat, 3);                             // "1 €"
}

TEST(LocaleSettings, QtPatternConversion) {
    struct Row {
        const char* qt;
        const char* here;
    } rows[] = {{"dd.MM.yyyy", "dd.mm.yyyy"},
                {"HH:mm:ss", "hh:nn:ss"},
                {"h:mm AP", "h:nn ampm"},
                {"d 'de' MMMM", "d \"de\" mmmm"}};
    for (const Row& r : rows)
        EXPECT_EQ(patternFromQt(QString::fromLatin1(r.qt)), QString::fromLatin1(r.here)) << r.qt;
}

TEST(LocaleSettings, ProcessWideObjectIsSettable) {
    LocaleSettings s = LocaleSettings::italian();
    s.decimalSeparator = QLatin1Char('#');
    setLocaleSettings(s);
    EXPECT_EQ(localeSettings().decimalSeparator, QLatin1Char('#'));
    resetLocaleSettings();
    EXPECT_EQ(localeSettings().decimalSeparator, LocaleSettings::fromSystem().decimalSeparator);
}

TEST(MessageBox, InterceptorRecordsAndAnswers) {
    MessageBoxInterceptor outer;
    {
        MessageBoxInterceptor inner(MessageResult::No);
        EXPECT_EQ(showMessage(QStringLiteral("Attenzione"), QStringLiteral("Sicuro?"),
                              MessageIcon::Warning, MessageButtons::YesNo),
                  MessageResult::No);
        ASSERT_EQ(inner.messages().size(), 1u);
        EXPECT_EQ(inner.messages()[0].caption, QStringLiteral("Attenzione"));
    }
    EXPECT_TRUE(outer.messages().empty());
    showMessage(QStringLiteral("Errore"), QStringLiteral("x"), MessageIcon::Error);
    EXPECT_EQ(outer.messages().size(), 1u);
}

TEST(MessageBox, GeneralErrorHandler) {
    MessageBoxInterceptor boxes;
    EXPECT_FALSE(runGuarded([] { throw VxError(QStringLiteral("File danneggiato")); }));
    EXPECT_FALSE(runGuarded([] { throw VxAbort(); }));
    EXPECT_TRUE(runGuarded([] {}));
    ASSERT_EQ(boxes.messages().size(), 1u); // the abort shows nothing
    EXPECT_EQ(boxes.messages()[0].caption, applicationTitle());
    EXPECT_EQ(boxes.messages()[0].text, QStringLiteral("File danneggiato"));
    EXPECT_EQ(boxes.messages()[0].icon, MessageIcon::Error);
}

} // namespace
} // namespace vx
