#include "components/taglib/TagWriteThroughCopy.h"

#include "components/taglib/FfmpegTechnicalProbe.h"
#include "platform/Error.h"
#include "platform/FileName.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace taglibaccess {

namespace {

[[noreturn]] void fail(const QString& fileName, const QString& reason)
{
    throw TamselError(QStringLiteral("Cannot write the tag of %1: %2").arg(fileName, reason));
}

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// The reason in the reader's "Cannot open <file>: <reason>".
QString readerReason(const TamselError& e, const QString& file)
{
    const QString prefix = QStringLiteral("Cannot open %1: ").arg(file);
    return e.message().startsWith(prefix) ? e.message().mid(prefix.size()) : e.message();
}

// 0, or the errno of the failing read or write.
int copyBytes(int from, int to)
{
    for (;;) {
        const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, size_t{1} << 30, 0);
        if (n == 0) return 0;
        if (n > 0 || errno == EINTR) continue;
        // Not offered between these two files: copy by hand from where it stopped.
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return errno;
        break;
    }
    std::vector<char> buffer(size_t{1} << 20);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n == 0) return 0;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, buffer.data() + done, static_cast<size_t>(n - done));
            if (w < 0 && errno != EINTR) return errno;
            done += std::max<ssize_t>(w, 0);
        }
    }
}

// Lengths the container only estimates may move by a coded frame or a few
// milliseconds; exact ones may not move at all.
bool sameAudio(const ReaderAudio& a, const ReaderAudio& b)
{
    if (a.rate != b.rate || a.channels != b.channels) return false;
    if (a.exact && b.exact) return a.frames == b.frames;
    const int64_t slack = std::max({int64_t{a.frameLength}, int64_t{b.frameLength}, int64_t{a.rate} / 200});
    return std::abs(a.frames - b.frames) <= slack;
}

// The copy's name, and its removal unless it was put in place.
class Copy {
public:
    // Creates a hidden file beside target, with its extension (by which the
    // tag library knows the format); -1 and errno when it cannot.
    int create(const QByteArray& target)
    {
        const qsizetype slash = target.lastIndexOf('/');
        const QByteArray base = target.mid(slash + 1);
        const qsizetype dot = base.lastIndexOf('.');
        const QByteArray suffix = dot > 0 ? base.mid(dot) : QByteArray();
        name_ = target.left(slash + 1) + '.' + base + ".XXXXXX" + suffix;
        const int fd = ::mkostemps(name_.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
        if (fd < 0) name_.clear();
        return fd;
    }
    const QByteArray& bytes() const { return name_; }
    QString name() const { return filename::decode(name_); }
    void keep() { name_.clear(); }
    ~Copy()
    {
        if (!name_.isEmpty()) ::unlink(name_.constData());
    }

private:
    QByteArray name_;
};

// Closes a descriptor when it goes.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0) ::close(fd);
    }
};

QString writeRefusal(WriteResult result)
{
    switch (result) {
    case WriteResult::Written: break;
    case WriteResult::NotOpened:
        return QStringLiteral("it is not an audio file whose tag this program can write.");
    case WriteResult::Unfollowed:
        return QStringLiteral("its audio data cannot be followed safely (RF64, or a recording unfinished or empty?), "
                              "so it was left untouched.");
    case WriteResult::NoTag:
        return QStringLiteral("this kind of file cannot hold a tag here.");
    case WriteResult::SaveFailed:
        return QStringLiteral("the tag could not be saved, so the file was left untouched.");
    }
    return {};
}

}  // namespace

void writeThroughCopy(const QString& fileName, const TagFields& tag)
{
    const filename::Status status = filename::status(fileName);
    if (!status.exists) fail(fileName, QStringLiteral("the file does not exist."));
    if (!status.isFile) fail(fileName, QStringLiteral("it is not a file."));
    // Nothing to change: the file stays as it is, byte for byte.
    if (tag.staged == 0) return;
    // Through a link, the file it names is the one replaced.
    char resolved[PATH_MAX];
    if (!::realpath(filename::encode(fileName).constData(), resolved)) fail(fileName, systemError(errno) + '.');
    const QByteArray target(resolved);
    struct stat original {};
    if (::stat(target.constData(), &original) != 0) fail(fileName, systemError(errno) + '.');
    if (::access(target.constData(), W_OK) != 0)
        fail(fileName, QStringLiteral("the file is read-only (%1).").arg(systemError(errno)));

    const QString targetName = filename::decode(target);
    ReaderAudio before;
    try {
        before = readerAudio(targetName);
    } catch (const TamselError& e) {
        fail(fileName, QStringLiteral("its audio cannot be read (%1), so it was left untouched.")
                           .arg(readerReason(e, targetName)));
    }

    // Beside the file, so that the rename stays on one disk.
    Copy copy;
    {
        Descriptor out{copy.create(target)};
        if (out.fd < 0)
            fail(fileName, QStringLiteral("no copy can be made in its folder to write the tag into (%1); "
                                          "is the folder read-only?").arg(systemError(errno)));
        Descriptor in{::open(target.constData(), O_RDONLY | O_CLOEXEC)};
        if (in.fd < 0) fail(fileName, QStringLiteral("the file cannot be read (%1).").arg(systemError(errno)));
        if (const int error = copyBytes(in.fd, out.fd))
            fail(fileName, QStringLiteral("no copy can be made in its folder to write the tag into (%1); "
                                          "is the disk full?").arg(systemError(error)));
    }

    const WriteResult result = write(copy.name(), tag);
    if (result != WriteResult::Written) fail(fileName, writeRefusal(result));
    ReaderAudio after;
    try {
        after = readerAudio(copy.name());
    } catch (const TamselError& e) {
        fail(fileName, QStringLiteral("with the tag written it would no longer open (%1); its header may be "
                                      "damaged, so it was left untouched.").arg(readerReason(e, copy.name())));
    }
    if (!sameAudio(before, after))
        fail(fileName, QStringLiteral("with the tag written its audio would change (%1 to %2 frames at %3 Hz); "
                                      "its header may be damaged, so it was left untouched.")
                           .arg(before.frames).arg(after.frames).arg(after.rate));

    if (::chmod(copy.bytes().constData(), original.st_mode & 07777) != 0)
        fail(fileName, QStringLiteral("its permissions cannot be kept (%1).").arg(systemError(errno)));
    if (::chown(copy.bytes().constData(), original.st_uid, original.st_gid) != 0) {
        // Only root can give a file away; the copy then stays the tagger's.
    }
    // The copy's bytes reach the disk before the name points at them.
    if (Descriptor synced{::open(copy.bytes().constData(), O_RDONLY | O_CLOEXEC)}; synced.fd >= 0)
        ::fsync(synced.fd);
    if (::rename(copy.bytes().constData(), target.constData()) != 0)
        fail(fileName, QStringLiteral("the tagged copy cannot replace it (%1), so it was left untouched.")
                           .arg(systemError(errno)));
    copy.keep();
}

}  // namespace taglibaccess
