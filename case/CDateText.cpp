#include "CDateText.h"

#include <QDate>

#include <cmath>

namespace {

// Day 0 of the day count.
const qint64 kEpochJulianDay = QDate(1899, 12, 30).toJulianDay();
// The range the day count stands for.
const QDate kFirstDate(100, 1, 1);
const QDate kLastDate(9999, 12, 31);

// A two-digit year read as 00-29 means 2000-2029; Qt reads it as 19xx.
constexpr int kTwoDigitYearPivot = 1930;

// pattern with every year field written with yearDigits letters and, when
// looseDigits, every two-letter day or month field written with one letter
// (which reads one or two digits). Quoted text stays as it is.
QString Rewrite(const QString& pattern, int yearDigits, bool looseDigits)
{
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == u'\'') {
            const qsizetype close = pattern.indexOf(u'\'', i + 1);
            const qsizetype end = close < 0 ? pattern.size() : close + 1;
            out += pattern.mid(i, end - i);
            i = end;
            continue;
        }
        if (c != u'y' && c != u'd' && c != u'M') {
            out += c;
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        if (c == u'y')
            out += QString(yearDigits, c);
        else if (looseDigits && run == 2)
            out += c;
        else
            out += QString(run, c);
        i += run;
    }
    return out;
}

} // namespace

CDateText::CDateText(const QLocale& locale)
    : m_locale(locale)
    , m_strShownPattern(Rewrite(locale.dateFormat(QLocale::ShortFormat), 4, false))
{
    const QString bases[] = {locale.dateFormat(QLocale::ShortFormat), locale.dateFormat(QLocale::LongFormat)};
    for (const QString& base : bases) {
        for (bool loose : {false, true}) {
            for (int yearDigits : {4, 2}) {
                const QString pattern = Rewrite(base, yearDigits, loose);
                if (!m_readPatterns.contains(pattern))
                    m_readPatterns.append(pattern);
            }
        }
    }
    for (const QString& iso : {QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyy-M-d")}) {
        if (!m_readPatterns.contains(iso))
            m_readPatterns.append(iso);
    }
}

DateValue CDateText::Parse(const QString& text) const
{
    const QString trimmed = text.trimmed();
    if (!trimmed.isEmpty()) {
        for (const QString& pattern : m_readPatterns) {
            QDate date = m_locale.toDate(trimmed, pattern);
            if (!date.isValid())
                continue;
            const bool twoDigitYear =
                pattern.contains(QLatin1String("yy")) && !pattern.contains(QLatin1String("yyyy"));
            if (twoDigitYear && date.year() < kTwoDigitYearPivot)
                date = date.addYears(100);
            return FromDate(date);
        }
    }
    return {0.0, DateValue::invalid};
}

QString CDateText::Format(const DateValue& date) const
{
    if (date.m_status != DateValue::valid)
        return {};
    const QDate day = ToDate(date);
    return day.isValid() ? m_locale.toString(day, m_strShownPattern) : QString();
}

QString CDateText::Today() const
{
    return m_locale.toString(QDate::currentDate(), m_strShownPattern);
}

DateValue CDateText::FromDate(const QDate& date)
{
    if (!date.isValid() || date < kFirstDate || date > kLastDate)
        return {0.0, DateValue::invalid};
    return {double(date.toJulianDay() - kEpochJulianDay), DateValue::valid};
}

QDate CDateText::ToDate(const DateValue& date)
{
    if (!std::isfinite(date.m_dt))
        return {};
    // The day is the whole part, towards zero: a negative day number's
    // fraction counts forward into that day, as the day count defines it.
    const double day = std::trunc(date.m_dt);
    if (day < double(kFirstDate.toJulianDay() - kEpochJulianDay)
        || day > double(kLastDate.toJulianDay() - kEpochJulianDay))
        return {};
    return QDate::fromJulianDay(kEpochJulianDay + qint64(day));
}
