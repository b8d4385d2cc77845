#pragma once
// A private-profile style INI file: every read sees the file as it is on disk
// and every write rewrites it atomically, so it is the only store of the values.
//
// Rules, as the classic profile functions apply them:
// - section and key names match without regard to case; only the first
//   section of a name is searched, and the first key of a name in it counts;
// - names and values are trimmed of surrounding white space;
// - a value enclosed in matching single or double quotes reads without them;
// - a value reads as at most MaxValueLength characters;
// - lines starting with ';' are comments; lines before the first section
//   header belong to no section;
// - writing an existing key replaces its value in place, a new key goes after
//   the last key line of its section, a new section at the end of the file;
//   every other byte of the file is kept as it was.
// The file is UTF-8; bytes that are not valid UTF-8 read as U+FFFD. A file
// past 16 MiB is not a settings file: it reads as empty and takes no writes.

#include <QByteArray>
#include <QHash>
#include <QPair>
#include <QString>
#include <optional>
#include <sys/stat.h>

class IniFile {
public:
    static constexpr int MaxValueLength = 2047;

    // path: where the file lives. nameAsOpened: how the user knows the file,
    // used in error messages (e.g. "tamsel.ini").
    IniFile(QString path, QString nameAsOpened);

    const QString& path() const { return path_; }
    const QString& nameAsOpened() const { return name_; }

    // The value, or nothing when the file, section or key is missing. Never
    // throws, whatever the file holds.
    std::optional<QString> read(const QString& section, const QString& key) const;

    // Sets the key and puts the file on disk before returning. On failure the
    // file is left as it was and TamselError("Unable to write to <name>") is
    // thrown.
    void write(const QString& section, const QString& key, const QString& value);

    // The same rules on file contents in memory.
    static std::optional<QString> lookup(const QByteArray& contents, const QString& section,
                                         const QString& key);
    static QByteArray withValue(const QByteArray& contents, const QString& section,
                                const QString& key, const QString& value);

private:
    // The last contents read and the answers found in them, reused while the
    // file's identity, size and times are unchanged; reads come several times
    // a second while recording.
    struct Snapshot {
        bool valid = false;
        struct stat info {};
        QByteArray contents;
        QHash<QPair<QString, QString>, std::optional<QString>> answers;

        bool sameFile(const struct stat& now) const;
    };

    QString path_;
    QString name_;
    mutable Snapshot snapshot_;
};
