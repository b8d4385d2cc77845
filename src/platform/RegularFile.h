#pragma once
// Reads a whole file that must be a regular file of bounded size. A name that
// is (or is swapped during the read for) a pipe, device or folder is refused
// without blocking or reading from it, so a hostile path cannot hang the
// program or fill its memory.

#include <QByteArray>
#include <QString>
#include <sys/stat.h>

struct RegularFile {
    enum class Outcome { Read, Missing, NotRegular, TooLarge, Unreadable };

    Outcome outcome = Outcome::Unreadable;
    QByteArray bytes;     // when Read
    struct stat info {};  // of the file opened, or of what the name is
    QString error;        // the system's reason when Unreadable

    static RegularFile read(const QString& path, qint64 maxBytes);
    // "folder", "pipe", "device", ... for a refused name, in messages.
    static QString kindOf(const struct stat& info);
};
