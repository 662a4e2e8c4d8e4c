#include "CDateText.h"

#include <QDate>

#include "DatePattern.h"

#include <cmath>

namespace {

// The range the day count stands for.
const QDate kFirstDate(kFirstDateYear, 1, 1);
const QDate kLastDate(kLastDateYear, 12, 31);
const std::int64_t kFirstDay = DayNumberOf({kFirstDateYear, 1, 1});
const std::int64_t kLastDay = DayNumberOf({kLastDateYear, 12, 31});

// A two-digit year read as 00-29 means 2000-2029; Qt reads it as 19xx.
constexpr int kTwoDigitYearPivot = 1930;

QString Rewrite(const QString& pattern, int yearDigits, bool looseDigits)
{
    const std::u16string_view text(reinterpret_cast<const char16_t*>(pattern.utf16()), std::size_t(pattern.size()));
    const std::u16string rewritten = RewriteDatePattern(text, yearDigits, looseDigits);
    return QString::fromUtf16(rewritten.data(), qsizetype(rewritten.size()));
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
    return {double(DayNumberOf({date.year(), unsigned(date.month()), unsigned(date.day())})), DateValue::valid};
}

QDate CDateText::ToDate(const DateValue& date)
{
    if (!std::isfinite(date.m_dt))
        return {};
    // The day is the whole part, towards zero: a negative day number's
    // fraction counts forward into that day, as the day count defines it.
    const double day = std::trunc(date.m_dt);
    if (day < double(kFirstDay) || day > double(kLastDay))
        return {};
    const CivilDate civil = CivilDateOf(std::int64_t(day));
    return QDate(civil.year, int(civil.month), int(civil.day));
}
