#include "components/ffmpeg/FfmpegInput.h"

#include "platform/FileName.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// FFmpeg's own file protocol reads in blocks of this size.
constexpr int kBufferSize = 32768;

int readFile(void* opaque, uint8_t* buffer, int size)
{
    const int fd = *static_cast<int*>(opaque);
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size_t(size));
        if (n > 0) return int(n);
        if (n == 0) return AVERROR_EOF;
        if (errno != EINTR) return AVERROR(errno);
    }
}

int64_t seekFile(void* opaque, int64_t offset, int whence)
{
    const int fd = *static_cast<int*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat st {};
        return ::fstat(fd, &st) == 0 ? int64_t(st.st_size) : AVERROR(errno);
    }
    const off_t at = ::lseek(fd, offset, whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : int64_t(at);
}

}  // namespace

int FfmpegInput::open(const QString& path)
{
    close();
    const QByteArray name = filename::encode(path);
    if (name.isEmpty() || name.contains('\0')) return AVERROR(ENOENT);
    // Not blocking: a pipe under an audio name must not hang the open.
    fd_ = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return AVERROR(errno);
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    io_ = buffer ? avio_alloc_context(buffer, kBufferSize, 0, &fd_, readFile, nullptr, seekFile) : nullptr;
    fmt_ = io_ ? avformat_alloc_context() : nullptr;
    if (!fmt_) {
        if (!io_) av_free(buffer);
        close();
        return AVERROR(ENOMEM);
    }
    fmt_->pb = io_;
    // No protocol is named "none": whatever a demuxer would open besides this
    // file (playlist entries, segments, references) is refused.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "none", 0);
    // The name still helps the probe by its extension.
    const int rc = avformat_open_input(&fmt_, name.constData(), nullptr, &options);
    av_dict_free(&options);
    if (rc < 0) close();
    return rc;
}

void FfmpegInput::close()
{
    // A context on our own I/O leaves the I/O to us.
    avformat_close_input(&fmt_);
    if (io_) av_freep(&io_->buffer);
    avio_context_free(&io_);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}
