#include "platform/FileName.h"

#include <QFile>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filename {

namespace {

constexpr char16_t kEscapeFirst = 0xDC80;
constexpr char16_t kEscapeLast = 0xDCFF;

bool isEscape(char16_t c) { return c >= kEscapeFirst && c <= kEscapeLast; }

// The code point of the well-formed UTF-8 sequence at p, and its length in n;
// n = 0 where the bytes are not one (a stray byte, an overlong form, a
// surrogate, a value past U+10FFFF, a cut-off sequence).
char32_t codePoint(const unsigned char* p, qsizetype left, int& n)
{
    const unsigned c = p[0];
    n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (n == 1) return c;
    if (n == 0 || left < n) return n = 0;
    char32_t value = c & (0x7F >> n);
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return n = 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    const bool wellFormed = (c != 0xE0 || p[1] >= 0xA0) && (c != 0xED || p[1] < 0xA0)
                            && (c != 0xF0 || p[1] >= 0x90) && (c != 0xF4 || p[1] < 0x90);
    if (!wellFormed) n = 0;
    return value;
}

// Names that are neither a file nor a path the system can take.
bool unusable(const QByteArray& bytes) { return bytes.isEmpty() || bytes.contains('\0'); }

}  // namespace

QByteArray encode(const QString& name)
{
    if (std::none_of(name.cbegin(), name.cend(), [](QChar c) { return isEscape(c.unicode()); }))
        return name.toUtf8();
    QByteArray bytes;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate();
        if (isEscape(c)) bytes += char(c - 0xDC00);
        else bytes += QStringView(name).mid(i, pair ? 2 : 1).toUtf8();
        i += pair ? 1 : 0;
    }
    return bytes;
}

QString decode(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() == bytes) return text;
    text.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    for (qsizetype i = 0; i < bytes.size();) {
        int n = 0;
        const char32_t c = codePoint(p + i, bytes.size() - i, n);
        if (n == 0) {
            text += QChar(char16_t(0xDC00 + p[i]));
            ++i;
            continue;
        }
        // Appended as is: QString::fromUcs4 would drop a leading U+FEFF.
        if (QChar::requiresSurrogates(c)) {
            text += QChar(QChar::highSurrogate(c));
            text += QChar(QChar::lowSurrogate(c));
        } else {
            text += QChar(char16_t(c));
        }
        i += n;
    }
    return text;
}

QString fromUrl(const QUrl& url)
{
    if (!url.isLocalFile()) return {};
    // A file on another host is a UNC-style path; Qt's text is all there is.
    if (!url.host().isEmpty()) return url.toLocalFile();
    return decode(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

Status status(const QString& name)
{
    Status s;
    const QByteArray bytes = encode(name);
    struct stat st {};
    if (unusable(bytes) || ::stat(bytes.constData(), &st) != 0) return s;
    s.exists = true;
    s.isFile = S_ISREG(st.st_mode);
    s.isDir = S_ISDIR(st.st_mode);
    s.readable = ::access(bytes.constData(), R_OK) == 0;
    s.size = st.st_size;
    return s;
}

bool openForReading(QFile& file, const QString& name)
{
    const QByteArray bytes = encode(name);
    if (unusable(bytes)) {
        errno = ENOENT;
        return false;
    }
    // Not blocking keeps a pipe under an audio name from hanging the open.
    const int fd = ::open(bytes.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return true;
    ::close(fd);
    return false;
}

}  // namespace filename
