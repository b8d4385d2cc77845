#include "platform/IniFile.h"

#include "platform/Error.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

// Far beyond any settings file this program writes (a few kilobytes), so a
// read or write of whatever lies at the path has a bounded cost.
constexpr qint64 kMaxBytes = 16 << 20;
// The program asks a few dozen keys again and again.
constexpr qsizetype kMaxAnswers = 256;

qint64 nanos(const timespec& t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The profile functions also drop Ctrl-Z, the old DOS end-of-file mark.
bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

enum class Kind { Blank, Other, Comment, Section, Key };

struct Line {
    qsizetype begin = 0;
    qsizetype end = 0;  // before the '\n'
    bool hasNewline = false;
    Kind kind = Kind::Blank;
    qsizetype nameBegin = 0, nameEnd = 0;
    qsizetype valueBegin = 0, valueEnd = 0;
};

void trim(const QByteArray& text, qsizetype& begin, qsizetype& end)
{
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
}

Line classify(const QByteArray& text, qsizetype begin, qsizetype end, bool hasNewline)
{
    Line line{begin, end, hasNewline};
    if (begin == 0 && text.startsWith("\xEF\xBB\xBF")) begin = 3;  // UTF-8 byte order mark
    trim(text, begin, end);
    if (begin == end) return line;
    line.kind = Kind::Other;
    const QByteArrayView body(text.constData() + begin, end - begin);
    if (body.front() == ';') {
        line.kind = Kind::Comment;
        return line;
    }
    if (body.front() == '[') {
        const qsizetype close = body.lastIndexOf(']');
        if (close > 0) {
            line.kind = Kind::Section;
            line.nameBegin = begin + 1;
            line.nameEnd = begin + close;
            trim(text, line.nameBegin, line.nameEnd);
            return line;
        }
    }
    const qsizetype eq = body.indexOf('=');
    if (eq < 0) return line;
    line.kind = Kind::Key;
    line.nameBegin = begin;
    line.nameEnd = begin + eq;
    trim(text, line.nameBegin, line.nameEnd);
    line.valueBegin = begin + eq + 1;
    line.valueEnd = end;
    trim(text, line.valueBegin, line.valueEnd);
    return line;
}

// Calls visit with each line in turn while it returns true. Lines are never
// collected: a file of millions of empty lines costs no more than its bytes.
template <typename Visit>
void scan(const QByteArray& text, Visit&& visit)
{
    qsizetype begin = 0;
    while (begin < text.size()) {
        const qsizetype nl = text.indexOf('\n', begin);
        const qsizetype end = nl < 0 ? text.size() : nl;
        if (!visit(classify(text, begin, end, nl >= 0))) return;
        begin = end + 1;
    }
}

bool nameIs(const QByteArray& text, const Line& line, const QString& wanted)
{
    const QUtf8StringView name(text.constData() + line.nameBegin, line.nameEnd - line.nameBegin);
    return QAnyStringView::compare(name, wanted, Qt::CaseInsensitive) == 0;
}

struct Match {
    std::optional<Line> section, key, lastKey;
    std::optional<Line> last;  // the file's last line, when no section matched
};

// Only the first section of the name is searched, as the profile functions do.
Match find(const QByteArray& text, const QString& section, const QString& key)
{
    Match m;
    const QString wantedSection = section.trimmed();
    const QString wantedKey = key.trimmed();
    scan(text, [&](const Line& line) {
        if (line.kind == Kind::Section) {
            if (m.section) return false;
            if (nameIs(text, line, wantedSection)) m.section = line;
        } else if (line.kind == Kind::Key && m.section) {
            m.lastKey = line;
            if (!m.key && nameIs(text, line, wantedKey)) m.key = line;
        }
        m.last = line;
        return true;
    });
    return m;
}

// Counts characters, not UTF-16 units, and never splits a surrogate pair.
QString cutToCharacters(const QString& s, int count)
{
    qsizetype i = 0;
    for (int n = 0; n < count && i < s.size(); ++n)
        i += (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) ? 2 : 1;
    return s.left(i);
}

// A line break inside a name or value would end the line and corrupt the file.
QByteArray oneLine(const QString& s)
{
    QByteArray bytes = s.trimmed().toUtf8();
    bytes.replace('\r', ' ').replace('\n', ' ');
    return bytes;
}

QByteArray lineEndingOf(const QByteArray& text)
{
    const qsizetype nl = text.indexOf('\n');
    return nl > 0 && text[nl - 1] == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

void syncDirectory(const QString& dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // makes the rename itself durable; not every file system supports it
    ::close(fd);
}

}  // namespace

IniFile::IniFile(QString path, QString nameAsOpened) : path_(std::move(path)), name_(std::move(nameAsOpened)) {}

std::optional<QString> IniFile::lookup(const QByteArray& contents, const QString& section, const QString& key)
{
    const Match m = find(contents, section, key);
    if (!m.key) return std::nullopt;
    const Line& line = *m.key;
    QByteArrayView raw(contents.constData() + line.valueBegin, line.valueEnd - line.valueBegin);
    const qsizetype nul = raw.indexOf('\0');  // the value is handed back as C text
    if (nul >= 0) raw = raw.first(nul);
    QString value = QString::fromUtf8(raw);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return cutToCharacters(value, MaxValueLength);
}

QByteArray IniFile::withValue(const QByteArray& contents, const QString& section, const QString& key,
                              const QString& value)
{
    const Match m = find(contents, section, key);
    const QByteArray eol = lineEndingOf(contents);
    const QByteArray keyLine = oneLine(key) + '=' + oneLine(value);
    QByteArray out = contents;

    if (m.key) return out.replace(m.key->valueBegin, m.key->valueEnd - m.key->valueBegin, oneLine(value));
    if (m.section) {
        const Line& after = m.lastKey ? *m.lastKey : *m.section;
        if (after.hasNewline) return out.insert(after.end + 1, keyLine + eol);
        return out.insert(after.end, eol + keyLine + eol);
    }
    if (!out.isEmpty()) {
        if (!out.endsWith('\n')) out += eol;
        if (m.last->kind != Kind::Blank) out += eol;  // a blank line before the new section
    }
    return out + '[' + oneLine(section) + ']' + eol + keyLine + eol;
}

std::optional<QString> IniFile::read(const QString& section, const QString& key) const
{
    struct stat st {};
    // Anything but a plain file (a folder, a pipe that would block) reads as empty.
    if (::stat(QFile::encodeName(path_).constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        snapshot_ = {};
        return std::nullopt;
    }
    if (!snapshot_.valid || !snapshot_.sameFile(st)) {
        RegularFile file = RegularFile::read(path_, kMaxBytes);
        if (file.outcome != RegularFile::Outcome::Read) {
            snapshot_ = {};
            return std::nullopt;
        }
        snapshot_ = {};
        snapshot_.info = file.info;
        snapshot_.contents = std::move(file.bytes);
        // File times tick coarsely: a file written within the last moments could
        // be written again without its times moving, so only a settled file is kept.
        timespec clock {};
        ::clock_gettime(CLOCK_REALTIME, &clock);
        snapshot_.valid = nanos(clock) - nanos(file.info.st_mtim) > 2 * qint64(1000000000);
    }
    const QPair<QString, QString> asked(section, key);
    if (const auto known = snapshot_.answers.constFind(asked); known != snapshot_.answers.cend()) return *known;
    std::optional<QString> value = lookup(snapshot_.contents, section, key);
    if (snapshot_.answers.size() >= kMaxAnswers) snapshot_.answers.clear();
    snapshot_.answers.insert(asked, value);
    return value;
}

bool IniFile::Snapshot::sameFile(const struct stat& now) const
{
    return info.st_dev == now.st_dev && info.st_ino == now.st_ino && info.st_size == now.st_size
           && nanos(info.st_mtim) == nanos(now.st_mtim) && nanos(info.st_ctim) == nanos(now.st_ctim);
}

void IniFile::write(const QString& section, const QString& key, const QString& value)
{
    const auto fail = [this] { throw TamselError(QStringLiteral("Unable to write to %1").arg(name_)); };

    // Rewriting a file we could not read would wipe the keys we did not see.
    const RegularFile current = RegularFile::read(path_, kMaxBytes);
    if (current.outcome != RegularFile::Outcome::Read && current.outcome != RegularFile::Outcome::Missing)
        fail();

    const QString dir = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(dir)) fail();

    // A temporary file in the same folder renamed over the old one: a crash
    // at any moment leaves either the old file or the new one.
    QSaveFile out(path_);
    const QByteArray data = withValue(current.bytes, section, key, value);
    // Past the limit the next read would see an empty file: every key lost.
    if (data.size() > kMaxBytes) fail();
    if (!out.open(QIODevice::WriteOnly)) fail();
    if (out.write(data) != data.size()) fail();
    if (!out.commit()) fail();
    syncDirectory(dir);
}
