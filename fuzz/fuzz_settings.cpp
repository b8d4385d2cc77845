// The settings file's parser and writer over any contents. Input: a line of
// names ("section/key", letters and digits kept), a NUL, then the contents;
// without a NUL, all of it is contents and the names are fixed.
//
//   fuzz_settings [libFuzzer options] [corpus folders]

#include "FuzzSupport.h"

#include "config/SettingsFile.h"
#include "platform/IniFile.h"

#include <QByteArray>
#include <cstdlib>

namespace {

QString plainName(QByteArrayView bytes)
{
    QString name;
    for (const char c : bytes.first(std::min<qsizetype>(bytes.size(), 12)))
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) name += QLatin1Char(c);
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QString section = QStringLiteral("Settings"), key = QStringLiteral("Dir");
    QByteArray contents = input;
    if (const qsizetype nul = input.indexOf('\0'); nul >= 0) {
        const QByteArrayView names = QByteArrayView(input).first(nul);
        const qsizetype slash = names.indexOf('/');
        section = plainName(slash < 0 ? names : names.first(slash));
        key = plainName(slash < 0 ? QByteArrayView() : names.sliced(slash + 1));
        contents = input.mid(nul + 1);
    }
    if (key.isEmpty()) key = QStringLiteral("k");

    IniFile::lookup(contents, section, key);
    SettingsFile::parseInteger(QString::fromUtf8(contents.left(64)));
    // A value written reads back, and the keys around it stay as they were.
    const QString value = QStringLiteral("C:\\rec \u00e4 \"q\" x=y");
    const QByteArray written = IniFile::withValue(contents, section, key, value);
    if (IniFile::lookup(written, section, key) != value) std::abort();
    const QString main = QStringLiteral("Main"), left = QStringLiteral("Left");
    if (section.compare(main, Qt::CaseInsensitive) != 0
        && IniFile::lookup(written, main, left) != IniFile::lookup(contents, main, left))
        std::abort();
    return 0;
}
