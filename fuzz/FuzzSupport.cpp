#include "FuzzSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace fuzz {

namespace {

// In memory where it can be: a file per run costs no disk.
QTemporaryDir& folder()
{
    static QTemporaryDir dir((QFileInfo::exists(QStringLiteral("/dev/shm")) ? QStringLiteral("/dev/shm")
                                                                             : QDir::tempPath())
                             + QStringLiteral("/tamsel-fuzz-XXXXXX"));
    if (!dir.isValid()) std::abort();
    return dir;
}

}  // namespace

QString asFile(const uint8_t* data, size_t size, const char* extension)
{
    const QString name = folder().filePath(QStringLiteral("input") + QLatin1String(extension));
    const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) std::abort();
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += size_t(n);
    }
    ::close(fd);
    return name;
}

}  // namespace fuzz
