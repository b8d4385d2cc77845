#include "platform/RegularFile.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

RegularFile failed(RegularFile::Outcome outcome, int error = 0)
{
    RegularFile r;
    r.outcome = error == ENOENT || error == ENOTDIR ? RegularFile::Outcome::Missing : outcome;
    if (error != 0) r.error = QString::fromLocal8Bit(std::strerror(error));
    return r;
}

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0) ::close(fd);
    }
};

// Read when the name may be read, else why not.
RegularFile::Outcome judge(const struct stat& info, qint64 maxBytes)
{
    if (!S_ISREG(info.st_mode)) return RegularFile::Outcome::NotRegular;
    return info.st_size > maxBytes ? RegularFile::Outcome::TooLarge : RegularFile::Outcome::Read;
}

}  // namespace

RegularFile RegularFile::read(const QString& path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    RegularFile r;
    // Looked at before opening: opening some devices already does something.
    if (::stat(name.constData(), &r.info) != 0) return failed(Outcome::Unreadable, errno);
    if ((r.outcome = judge(r.info, maxBytes)) != Outcome::Read) return r;

    // Non-blocking, so a pipe put in its place meanwhile cannot hold the open.
    const Descriptor file{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0) return failed(Outcome::Unreadable, errno);
    if (::fstat(file.fd, &r.info) != 0) return failed(Outcome::Unreadable, errno);
    if ((r.outcome = judge(r.info, maxBytes)) != Outcome::Read) return r;

    // A file still growing is read only up to one byte past the limit.
    r.bytes.resize(qsizetype(r.info.st_size) + 1);
    qsizetype have = 0;
    for (;;) {
        if (have == r.bytes.size()) {
            if (have > maxBytes) {
                r.bytes.clear();
                r.outcome = Outcome::TooLarge;
                return r;
            }
            r.bytes.resize(std::min<qsizetype>(qsizetype(maxBytes) + 1, 2 * have + 4096));
        }
        const ssize_t n = ::read(file.fd, r.bytes.data() + have, size_t(r.bytes.size() - have));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return failed(Outcome::Unreadable, errno);
        if (n == 0) break;
        have += n;
    }
    r.bytes.truncate(have);
    return r;
}

QString RegularFile::kindOf(const struct stat& info)
{
    if (S_ISDIR(info.st_mode)) return QStringLiteral("folder");
    if (S_ISFIFO(info.st_mode)) return QStringLiteral("pipe");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return QStringLiteral("device");
    if (S_ISSOCK(info.st_mode)) return QStringLiteral("socket");
    return S_ISREG(info.st_mode) ? QStringLiteral("file") : QStringLiteral("special file");
}
