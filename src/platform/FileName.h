#pragma once
// File names as the program carries them. Linux names are bytes; Qt 6 turns
// bytes that are not UTF-8 into U+FFFD (so QFile::encodeName does not give the
// name back), and its directory listings leave such names out. A name read
// from the command line or a dialog's URL therefore goes through decode(),
// which keeps each byte that is not UTF-8 as one of U+DC80..U+DCFF (as
// Python's surrogateescape does), and reaches a library or the system only
// through encode(). UTF-8 names are the same text as Qt's.
//
// Qt's own file classes (QFile(name), QFileInfo) cannot reach such a name:
// QFileInfo is fine for taking a name apart, not for asking the disk.

#include <QByteArray>
#include <QString>

class QFile;
class QUrl;

namespace filename {

QByteArray encode(const QString& name);
QString decode(const QByteArray& bytes);
// A local file's URL as a name, its percent-escapes taken as bytes; empty
// for a URL that is not a local file.
QString fromUrl(const QUrl& url);

struct Status {
    bool exists = false;
    bool isFile = false;  // a regular file (links followed)
    bool isDir = false;
    bool readable = false;
    qint64 size = 0;
};
Status status(const QString& name);

// Opens the named file for reading into file; false (errno set) when it
// cannot be opened.
bool openForReading(QFile& file, const QString& name);

}  // namespace filename
