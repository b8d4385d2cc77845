#pragma once
// The program's one settings file, "tamsel.ini". Nothing is kept in memory:
// every read asks the file with the caller's default, every write reaches the
// disk before it returns. Reads never fail; a failed write throws TamselError
// "Unable to write to tamsel.ini".

#include "platform/IniFile.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <QTime>
#include <optional>

class SettingsFile {
public:
    static constexpr char FileName[] = "tamsel.ini";

    // The file in the user's configuration folder ($XDG_CONFIG_HOME, by
    // default ~/.config), with the system's time and date formats.
    SettingsFile();
    // The file at `path`, still named "tamsel.ini" in error messages.
    explicit SettingsFile(const QString& path, const QLocale& locale = QLocale::system());

    static QString defaultPath();
    const QString& path() const { return file_.path(); }

    // The regional settings the windows show times and dates in. The file
    // keeps them as ISO 8601 (kIsoTime, kIsoDate), which every locale reads
    // alike; text in the locale's own forms, as older versions wrote, still reads.
    const QLocale& locale() const { return locale_; }
    static constexpr char kIsoTime[] = "HH:mm:ss";
    static constexpr char kIsoDate[] = "yyyy-MM-dd";

    QString readText(const QString& section, const QString& key, const QString& defaultValue) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    QTime readTime(const QString& section, const QString& key, const QTime& defaultValue) const;
    QDate readDate(const QString& section, const QString& key, const QDate& defaultValue) const;

    void writeText(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    void writeTime(const QString& section, const QString& key, const QTime& value);
    void writeDate(const QString& section, const QString& key, const QDate& value);

    // The integer forms the file accepts: decimal with an optional sign, or
    // hexadecimal after "$" or "0x"/"0X" (32-bit, so $FFFFFFFF is -1). The
    // whole text must be the number; anything else gives nothing.
    static std::optional<int> parseInteger(QStringView text);

private:
    IniFile file_;
    QLocale locale_;
};
