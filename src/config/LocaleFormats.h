#pragma once
// Times and dates as the user's regional settings write them: the long time
// format without its time-zone field, and the short date format. Both read
// back what they write: the few locales whose text Qt cannot read again
// write ISO text ("HH:mm:ss", "yyyy-MM-dd") instead.

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

namespace LocaleFormats {

// The locale's long time format with the zone field (and the brackets,
// comma or spaces around it) removed: QLocale::toTime cannot read a zone back.
QString longTimeFormat(const QLocale& locale);
QString shortDateFormat(const QLocale& locale);

QString formatTime(const QLocale& locale, const QTime& time);
// Invalid when the text is not a time in that format.
QTime parseTime(const QLocale& locale, const QString& text);

QString formatDate(const QLocale& locale, const QDate& date);
// Invalid when the text is not a date in that format. A two-digit year is
// taken in the century that puts it nearest to `today`.
QDate parseDate(const QLocale& locale, const QString& text, const QDate& today = QDate::currentDate());

}  // namespace LocaleFormats
