#include "config/LocaleFormats.h"

#include <QCalendar>

namespace {

// Calls `field(out, letter, count, format, next)` for every run of one pattern
// letter (or one other character) of a QLocale format; quoted literals go to
// `out` unchanged. `field` appends what it keeps and may move `next` on.
template <typename Field>
QString rebuild(const QString& format, Field field)
{
    QString out;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        if (c == u'\'') {
            const qsizetype close = format.indexOf(u'\'', i + 1);
            const qsizetype end = close < 0 ? format.size() : close + 1;
            out += format.mid(i, end - i);
            i = end;
            continue;
        }
        qsizetype next = i + 1;
        if (c.isLetter())
            while (next < format.size() && format[next] == c) ++next;
        field(out, c, next - i, format, next);
        i = next;
    }
    return out;
}

bool hasTwoDigitYear(const QString& format)
{
    bool twoDigits = false;
    rebuild(format, [&](QString&, QChar c, qsizetype count, const QString&, qsizetype&) {
        if (c == u'y' && count == 2) twoDigits = true;
    });
    return twoDigits;
}

QDate parseDateWith(const QLocale& locale, const QString& format, const QString& text, const QDate& today)
{
    if (!hasTwoDigitYear(format)) return locale.toDate(text, format);

    // QLocale reads "yy" as 19yy, where 29 February 00 does not exist. The
    // Julian calendar has the same month names and a leap day every fourth
    // year, so it accepts every day of every century; the day found there is
    // then placed in the century nearest today.
    const QCalendar julian(QCalendar::System::Julian);
    const QDate parsed = locale.toDate(text, format, julian);
    if (!parsed.isValid()) return {};
    const QCalendar::YearMonthDay parts = julian.partsFromDate(parsed);
    const int twoDigits = ((parts.year % 100) + 100) % 100;
    const int now = today.isValid() ? today.year() : QDate::currentDate().year();
    int year = now - now % 100 + twoDigits;
    if (year > now + 50)
        year -= 100;
    else if (year <= now - 50)
        year += 100;
    return QDate(year, parts.month, parts.day);
}

struct Pattern {
    QLocale locale;
    QString format;
};

// Qt cannot read back the text of every locale (some day-period names), and
// its parser overruns a buffer on digits outside the BMP and on day-period
// texts of unequal length, so those locales never reach it. They write ISO
// text instead, so that whatever is written can be read again.
bool parserSafe(const QLocale& locale)
{
    return locale.zeroDigit().size() == 1;
}

bool amPmSafe(const QLocale& locale, const QString& format)
{
    bool hasAmPm = false;
    rebuild(format, [&](QString&, QChar c, qsizetype, const QString&, qsizetype&) {
        if (c == u'A' || c == u'a') hasAmPm = true;
    });
    const QString am = locale.amText(), pm = locale.pmText();
    return !hasAmPm || (am.size() == pm.size() && am.toUpper().size() == pm.toUpper().size() &&
                        am.toLower().size() == pm.toLower().size());
}

Pattern timePattern(const QLocale& locale)
{
    const QString format = LocaleFormats::longTimeFormat(locale);
    if (!parserSafe(locale) || !amPmSafe(locale, format)) return {QLocale::c(), QStringLiteral("HH:mm:ss")};
    for (const QTime probe : {QTime(1, 2, 3), QTime(13, 14, 15)})
        if (locale.toTime(locale.toString(probe, format), format) != probe)
            return {QLocale::c(), QStringLiteral("HH:mm:ss")};
    return {locale, format};
}

Pattern datePattern(const QLocale& locale)
{
    const QString format = LocaleFormats::shortDateFormat(locale);
    if (!parserSafe(locale)) return {QLocale::c(), QStringLiteral("yyyy-MM-dd")};
    const int year = QDate::currentDate().year();
    for (const QDate probe : {QDate(year, 1, 2), QDate(year, 12, 31)})
        if (parseDateWith(locale, format, locale.toString(probe, format), probe) != probe)
            return {QLocale::c(), QStringLiteral("yyyy-MM-dd")};
    return {locale, format};
}

}  // namespace

namespace LocaleFormats {

QString longTimeFormat(const QLocale& locale)
{
    bool atStart = false;  // a zone that led the format takes the spaces after it along
    const QString format = rebuild(
        locale.timeFormat(QLocale::LongFormat),
        [&](QString& out, QChar c, qsizetype count, const QString& in, qsizetype& next) {
            if (c == u't') {
                if (out.endsWith(u'(') && next < in.size() && in[next] == u')') {
                    out.chop(1);
                    ++next;
                }
                while (!out.isEmpty() && (out.back().isSpace() || out.back() == u',')) out.chop(1);
                atStart = out.isEmpty();
                return;
            }
            if (atStart && c.isSpace()) return;
            atStart = false;
            out += QString(count, c);
        });
    return format.trimmed();
}

QString shortDateFormat(const QLocale& locale)
{
    return locale.dateFormat(QLocale::ShortFormat);
}

QString formatTime(const QLocale& locale, const QTime& time)
{
    if (!time.isValid()) return {};
    const Pattern p = timePattern(locale);
    return p.locale.toString(time, p.format);
}

QTime parseTime(const QLocale& locale, const QString& text)
{
    if (text.isEmpty()) return {};
    const Pattern p = timePattern(locale);
    return p.locale.toTime(text, p.format);
}

QString formatDate(const QLocale& locale, const QDate& date)
{
    if (!date.isValid()) return {};
    const Pattern p = datePattern(locale);
    return p.locale.toString(date, p.format);
}

QDate parseDate(const QLocale& locale, const QString& text, const QDate& today)
{
    if (text.isEmpty()) return {};
    const Pattern p = datePattern(locale);
    return parseDateWith(p.locale, p.format, text, today);
}

}  // namespace LocaleFormats
