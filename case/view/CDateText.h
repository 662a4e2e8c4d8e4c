#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include "DateValue.h"

class QDate;

// Reads and shows the case's dates in a locale's own spelling, the way the
// form's date edits need it.
//
// Read: the locale's short date form, its long form and ISO yyyy-MM-dd, day
// and month with or without a leading zero, the year with two or four digits.
// A two-digit year falls into 1930-2029. Dates outside 100-01-01 to
// 9999-12-31 (the range of the day count) are no dates.
// Shown: the short date form with a four-digit year, so that every shown
// date reads back as the same day whatever century it lies in.
class CDateText {
public:
    explicit CDateText(const QLocale& locale = QLocale::system());

    // A whole-day DateValue with status valid, or status invalid (day 0.0)
    // for a text that is no date. Blanks around the text are ignored.
    DateValue Parse(const QString& text) const;
    // The date's day (the time of day dropped) in the shown form; the empty
    // text for a date whose status is not valid or whose day is out of range.
    QString Format(const DateValue& date) const;
    // Today's local date in the shown form.
    QString Today() const;

    // The pattern dates are shown in (the short form, four-digit year).
    const QString& ShownPattern() const { return m_strShownPattern; }

    static DateValue FromDate(const QDate& date);
    static QDate ToDate(const DateValue& date);

private:
    QLocale m_locale;
    QString m_strShownPattern;
    QStringList m_readPatterns;
};
