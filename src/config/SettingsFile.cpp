#include "config/SettingsFile.h"

#include "config/LocaleFormats.h"

#include <QStandardPaths>

SettingsFile::SettingsFile() : SettingsFile(defaultPath()) {}

SettingsFile::SettingsFile(const QString& path, const QLocale& locale)
    : file_(path, QString::fromLatin1(FileName)), locale_(locale)
{
}

QString SettingsFile::defaultPath()
{
    // GenericConfigLocation is $XDG_CONFIG_HOME when it is an absolute path,
    // ~/.config otherwise.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           QString::fromLatin1(FileName);
}

std::optional<int> SettingsFile::parseInteger(QStringView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    int base = 10;
    if (text.startsWith(u'$')) {
        base = 16;
        text = text.mid(1);
    } else if (text.size() > 2 && text.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        text = text.mid(2);
    }
    if (text.isEmpty()) return std::nullopt;

    // Hexadecimal covers the full 32 bits; decimal stays within int.
    const quint64 limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    quint64 value = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        int digit;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (base == 16 && u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (base == 16 && u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else
            return std::nullopt;
        value = value * quint64(base) + quint64(digit);
        if (value > limit) return std::nullopt;
    }
    quint32 bits = quint32(value);
    if (negative) bits = 0u - bits;
    return int(bits);  // two's complement, as C++20 defines it
}

QString SettingsFile::readText(const QString& section, const QString& key, const QString& defaultValue) const
{
    return file_.read(section, key).value_or(defaultValue);
}

int SettingsFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    const std::optional<QString> text = file_.read(section, key);
    if (!text) return defaultValue;
    return parseInteger(*text).value_or(defaultValue);
}

bool SettingsFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

// Stored as ISO 8601, which no change of locale alters; the locale's own
// forms, as earlier versions wrote them, still read.
QTime SettingsFile::readTime(const QString& section, const QString& key, const QTime& defaultValue) const
{
    const QString text = readText(section, key, QString()).trimmed();
    QTime time = QTime::fromString(text, kIsoTime);
    if (!time.isValid()) time = LocaleFormats::parseTime(locale_, text);
    return time.isValid() ? time : defaultValue;
}

QDate SettingsFile::readDate(const QString& section, const QString& key, const QDate& defaultValue) const
{
    const QString text = readText(section, key, QString()).trimmed();
    QDate date = QDate::fromString(text, kIsoDate);
    if (!date.isValid()) date = LocaleFormats::parseDate(locale_, text);
    return date.isValid() ? date : defaultValue;
}

void SettingsFile::writeText(const QString& section, const QString& key, const QString& value)
{
    file_.write(section, key, value);
}

void SettingsFile::writeInteger(const QString& section, const QString& key, int value)
{
    file_.write(section, key, QString::number(value));
}

void SettingsFile::writeBool(const QString& section, const QString& key, bool value)
{
    file_.write(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsFile::writeTime(const QString& section, const QString& key, const QTime& value)
{
    file_.write(section, key, value.toString(kIsoTime));
}

void SettingsFile::writeDate(const QString& section, const QString& key, const QDate& value)
{
    file_.write(section, key, value.toString(kIsoDate));
}
