#include "platform/IniFile.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

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

std::vector<Line> scan(const QByteArray& text)
{
    std::vector<Line> lines;
    qsizetype begin = 0;
    while (begin < text.size()) {
        const qsizetype nl = text.indexOf('\n', begin);
        const qsizetype end = nl < 0 ? text.size() : nl;
        lines.push_back(classify(text, begin, end, nl >= 0));
        begin = end + 1;
    }
    return lines;
}

bool nameIs(const QByteArray& text, const Line& line, const QString& wanted)
{
    const QString name = QString::fromUtf8(text.constData() + line.nameBegin, line.nameEnd - line.nameBegin);
    return name.compare(wanted, Qt::CaseInsensitive) == 0;
}

struct Match {
    int section = -1;
    int key = -1;
    int lastKey = -1;
};

// Only the first section of the name is searched, as the profile functions do.
Match find(const QByteArray& text, const std::vector<Line>& lines, const QString& section, const QString& key)
{
    Match m;
    const QString wantedSection = section.trimmed();
    const QString wantedKey = key.trimmed();
    for (int i = 0; i < int(lines.size()); ++i) {
        const Line& line = lines[size_t(i)];
        if (line.kind == Kind::Section) {
            if (m.section >= 0) break;
            if (nameIs(text, line, wantedSection)) m.section = i;
        } else if (line.kind == Kind::Key && m.section >= 0) {
            m.lastKey = i;
            if (m.key < 0 && nameIs(text, line, wantedKey)) m.key = i;
        }
    }
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
    const std::vector<Line> lines = scan(contents);
    const Match m = find(contents, lines, section, key);
    if (m.key < 0) return std::nullopt;
    const Line& line = lines[size_t(m.key)];
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
    const std::vector<Line> lines = scan(contents);
    const Match m = find(contents, lines, section, key);
    const QByteArray eol = lineEndingOf(contents);
    const QByteArray keyLine = oneLine(key) + '=' + oneLine(value);
    QByteArray out = contents;

    if (m.key >= 0) {
        const Line& line = lines[size_t(m.key)];
        return out.replace(line.valueBegin, line.valueEnd - line.valueBegin, oneLine(value));
    }
    if (m.section >= 0) {
        const Line& after = lines[size_t(m.lastKey >= 0 ? m.lastKey : m.section)];
        if (after.hasNewline) return out.insert(after.end + 1, keyLine + eol);
        return out.insert(after.end, eol + keyLine + eol);
    }
    if (!out.isEmpty()) {
        if (!out.endsWith('\n')) out += eol;
        if (lines.back().kind != Kind::Blank) out += eol;  // a blank line before the new section
    }
    return out + '[' + oneLine(section) + ']' + eol + keyLine + eol;
}

std::optional<QString> IniFile::read(const QString& section, const QString& key) const
{
    struct stat st {};
    // Anything but a plain file (a folder, a pipe that would block) reads as empty.
    if (::stat(QFile::encodeName(path_).constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        snapshot_.valid = false;
        return std::nullopt;
    }
    const auto nanos = [](const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    Snapshot now{true, quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size), nanos(st.st_mtim),
                 nanos(st.st_ctim), {}};
    const Snapshot& old = snapshot_;
    if (old.valid && old.device == now.device && old.inode == now.inode && old.size == now.size
        && old.modified == now.modified && old.changed == now.changed)
        return lookup(old.contents, section, key);

    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        snapshot_.valid = false;
        return std::nullopt;
    }
    now.contents = file.readAll();
    // File times tick coarsely: a file written within the last moments could
    // be written again without its times moving, so only a settled file is kept.
    timespec clock {};
    ::clock_gettime(CLOCK_REALTIME, &clock);
    now.valid = nanos(clock) - now.modified > 2 * qint64(1000000000);
    snapshot_ = std::move(now);
    return lookup(snapshot_.contents, section, key);
}

void IniFile::write(const QString& section, const QString& key, const QString& value)
{
    const auto fail = [this] { throw TamselError(QStringLiteral("Unable to write to %1").arg(name_)); };

    // Rewriting a file we could not read would wipe the keys we did not see.
    QByteArray contents;
    QFile current(path_);
    const QFileInfo info(path_);
    if (info.exists() && !info.isFile()) fail();
    if (info.exists()) {
        if (!current.open(QIODevice::ReadOnly)) fail();
        contents = current.readAll();
        if (current.error() != QFileDevice::NoError) fail();
        current.close();
    }

    const QString dir = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(dir)) fail();

    // A temporary file in the same folder renamed over the old one: a crash
    // at any moment leaves either the old file or the new one.
    QSaveFile out(path_);
    const QByteArray data = withValue(contents, section, key, value);
    if (!out.open(QIODevice::WriteOnly)) fail();
    if (out.write(data) != data.size()) fail();
    if (!out.commit()) fail();
    syncDirectory(dir);
}
