#include <QDate>
#include <QtTest>

#include <cmath>
#include <limits>

#include "CDateText.h"

// Day numbers used below: 1 March 2004 is day 38047 of the day count.
namespace {
constexpr double kMarch1st2004 = 38047.0;

DateValue Day(double day)
{
    return {day, DateValue::valid};
}
} // namespace

class DateTextTest : public QObject {
    Q_OBJECT

private slots:
    void readsSpellingsOfTheLocale_data();
    void readsSpellingsOfTheLocale();
    void rejectsNonDates_data();
    void rejectsNonDates();
    void twoDigitYearsFallInto1930To2029();
    void showsTheShortFormWithFourDigitYears();
    void shownDatesReadBackAsTheSameDay_data();
    void shownDatesReadBackAsTheSameDay();
    void invalidAndOutOfRangeDatesShowNothing();
    void todayReadsBackAsToday();
    void followsTheSystemLocale();
};

void DateTextTest::readsSpellingsOfTheLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("day");

    QTest::newRow("us short") << "en_US" << "3/1/04" << kMarch1st2004;
    QTest::newRow("us short, zeros") << "en_US" << "03/01/04" << kMarch1st2004;
    QTest::newRow("us shown") << "en_US" << "3/1/2004" << kMarch1st2004;
    QTest::newRow("us blanks around") << "en_US" << "  3/1/2004 " << kMarch1st2004;
    QTest::newRow("us long") << "en_US" << "Monday, March 1, 2004" << kMarch1st2004;
    QTest::newRow("us long, lower case") << "en_US" << "monday, march 1, 2004" << kMarch1st2004;
    QTest::newRow("us iso") << "en_US" << "2004-03-01" << kMarch1st2004;
    QTest::newRow("us iso, no zeros") << "en_US" << "2004-3-1" << kMarch1st2004;
    QTest::newRow("de short") << "de_DE" << "01.03.04" << kMarch1st2004;
    QTest::newRow("de short, no zeros") << "de_DE" << "1.3.04" << kMarch1st2004;
    QTest::newRow("de shown") << "de_DE" << "01.03.2004" << kMarch1st2004;
    QTest::newRow("de long") << "de_DE" << QString::fromUtf8("Montag, 1. März 2004") << kMarch1st2004;
    QTest::newRow("de iso") << "de_DE" << "2004-03-01" << kMarch1st2004;
    QTest::newRow("gb short") << "en_GB" << "01/03/2004" << kMarch1st2004;
    QTest::newRow("gb two-digit year") << "en_GB" << "1/3/04" << kMarch1st2004;
    QTest::newRow("day 0") << "en_US" << "12/30/1899" << 0.0;
    QTest::newRow("before day 0") << "en_US" << "12/29/1899" << -1.0;
    QTest::newRow("first day of the range") << "en_US" << "0100-01-01" << -657434.0;
    QTest::newRow("last day of the range") << "en_US" << "12/31/9999" << 2958465.0;
    QTest::newRow("leap day") << "de_DE" << "29.02.2000" << 36585.0;
}

void DateTextTest::readsSpellingsOfTheLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(double, day);
    const DateValue read = CDateText(QLocale(locale)).Parse(text);
    QCOMPARE(read.m_status, DateValue::valid);
    QCOMPARE(read.m_dt, day);
}

void DateTextTest::rejectsNonDates_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << "en_US" << "";
    QTest::newRow("blanks") << "en_US" << "   ";
    QTest::newRow("word") << "en_US" << "yesterday";
    QTest::newRow("the pattern itself") << "en_US" << "M/d/yyyy";
    QTest::newRow("no such day") << "en_US" << "2/30/2004";
    QTest::newRow("month 13") << "en_US" << "13/1/2004";
    QTest::newRow("trailing garbage") << "en_US" << "3/1/2004x";
    QTest::newRow("partial") << "en_US" << "3/1/";
    QTest::newRow("three-digit year") << "en_US" << "3/1/200";
    QTest::newRow("wrong weekday") << "en_US" << "Tuesday, March 1, 2004";
    QTest::newRow("other locale's order") << "de_DE" << "3/1/2004";
    QTest::newRow("before the range") << "en_US" << "12/31/0099";
    QTest::newRow("iso before the range") << "de_DE" << "0099-12-31";
}

void DateTextTest::rejectsNonDates()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QCOMPARE(CDateText(QLocale(locale)).Parse(text).m_status, DateValue::invalid);
}

void DateTextTest::twoDigitYearsFallInto1930To2029()
{
    const CDateText us{QLocale(QStringLiteral("en_US"))};
    QCOMPARE(CDateText::ToDate(us.Parse(QStringLiteral("3/1/29"))), QDate(2029, 3, 1));
    QCOMPARE(CDateText::ToDate(us.Parse(QStringLiteral("3/1/30"))), QDate(1930, 3, 1));
    QCOMPARE(CDateText::ToDate(us.Parse(QStringLiteral("3/1/00"))), QDate(2000, 3, 1));
    QCOMPARE(CDateText::ToDate(us.Parse(QStringLiteral("3/1/99"))), QDate(1999, 3, 1));
    const CDateText de{QLocale(QStringLiteral("de_DE"))};
    QCOMPARE(CDateText::ToDate(de.Parse(QStringLiteral("31.12.29"))), QDate(2029, 12, 31));
    QCOMPARE(CDateText::ToDate(de.Parse(QStringLiteral("1.1.30"))), QDate(1930, 1, 1));
    // Four digits are taken as written, also in the window's range.
    QCOMPARE(CDateText::ToDate(de.Parse(QStringLiteral("1.1.1929"))), QDate(1929, 1, 1));
}

void DateTextTest::showsTheShortFormWithFourDigitYears()
{
    const CDateText us{QLocale(QStringLiteral("en_US"))};
    QCOMPARE(us.ShownPattern(), QStringLiteral("M/d/yyyy"));
    QCOMPARE(us.Format(Day(kMarch1st2004)), QStringLiteral("3/1/2004"));
    // A time of day is not shown; a negative day's fraction counts into that day.
    QCOMPARE(us.Format(Day(kMarch1st2004 + 0.75)), QStringLiteral("3/1/2004"));
    QCOMPARE(us.Format(Day(-1.5)), QStringLiteral("12/29/1899"));
    QCOMPARE(us.Format(Day(-657434.0)), QStringLiteral("1/1/0100"));

    const CDateText de{QLocale(QStringLiteral("de_DE"))};
    QCOMPARE(de.ShownPattern(), QStringLiteral("dd.MM.yyyy"));
    QCOMPARE(de.Format(Day(kMarch1st2004)), QStringLiteral("01.03.2004"));
    QCOMPARE(de.Format(Day(2958465.0)), QStringLiteral("31.12.9999"));
}

void DateTextTest::shownDatesReadBackAsTheSameDay_data()
{
    QTest::addColumn<QString>("locale");
    for (const char* name : {"en_US", "de_DE", "en_GB", "fr_FR", "ja_JP", "ko_KR", "ru_RU", "ar_EG", "C"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void DateTextTest::shownDatesReadBackAsTheSameDay()
{
    QFETCH(QString, locale);
    const CDateText dates{QLocale(locale)};
    // Across the range, and on both sides of the two-digit-year window.
    for (double day : {-657434.0, -36522.0, 0.0, 10957.0, 10958.0, 38047.0, 47482.0, 47483.0, 2958465.0}) {
        const QString shown = dates.Format(Day(day));
        QVERIFY2(!shown.isEmpty(), qPrintable(QString::number(day)));
        const DateValue back = dates.Parse(shown);
        QCOMPARE(back.m_status, DateValue::valid);
        QCOMPARE(back.m_dt, day);
    }
}

void DateTextTest::invalidAndOutOfRangeDatesShowNothing()
{
    const CDateText us{QLocale(QStringLiteral("en_US"))};
    QCOMPARE(us.Format({kMarch1st2004, DateValue::invalid}), QString());
    QCOMPARE(us.Format({kMarch1st2004, DateValue::null}), QString());
    QCOMPARE(us.Format({kMarch1st2004, 7}), QString());
    QCOMPARE(us.Format(Day(-657435.0)), QString());
    QCOMPARE(us.Format(Day(2958466.0)), QString());
    QCOMPARE(us.Format(Day(1e300)), QString());
    QCOMPARE(us.Format(Day(std::numeric_limits<double>::quiet_NaN())), QString());
    QCOMPARE(us.Format(Day(std::numeric_limits<double>::infinity())), QString());
}

void DateTextTest::todayReadsBackAsToday()
{
    for (const char* name : {"en_US", "de_DE"}) {
        const CDateText dates{QLocale(QLatin1String(name))};
        const DateValue today = dates.Parse(dates.Today());
        QCOMPARE(today.m_status, DateValue::valid);
        QCOMPARE(today.m_dt, double(QDate::currentDate().toJulianDay() - QDate(1899, 12, 30).toJulianDay()));
    }
}

void DateTextTest::followsTheSystemLocale()
{
    // ctest runs this under LANG/LC_ALL en_US and de_DE.
    const QString name = QLocale::system().name();
    const CDateText dates;
    if (name == QLatin1String("en_US"))
        QCOMPARE(dates.Format(Day(kMarch1st2004)), QStringLiteral("3/1/2004"));
    else if (name == QLatin1String("de_DE"))
        QCOMPARE(dates.Format(Day(kMarch1st2004)), QStringLiteral("01.03.2004"));
    else
        QFAIL(qPrintable(QStringLiteral("run under LANG=en_US.UTF-8 or de_DE.UTF-8, not ") + name));
}

QTEST_GUILESS_MAIN(DateTextTest)
#include "DateTextTest.moc"
