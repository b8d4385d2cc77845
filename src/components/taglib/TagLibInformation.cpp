#include "components/taglib/TagLibInformation.h"

#include "components/taglib/FfmpegTechnicalProbe.h"
#include "components/taglib/TagLibAccess.h"
#include "platform/Error.h"
#include "platform/FileName.h"

#include <algorithm>

namespace {

const char* const readFailed = "Cannot read the tag of %1: %2";
const char* const writeFailed = "Cannot write the tag of %1: %2";

[[noreturn]] void fail(const char* format, const QString& fileName, const QString& reason)
{
    throw TamselError(QString::fromLatin1(format).arg(fileName, reason));
}

// Digits with an optional sign: a genre index, negative for none.
bool isWholeNumber(const QString& s)
{
    const qsizetype first = s.startsWith(u'-') || s.startsWith(u'+') ? 1 : 0;
    if (s.size() <= first) return false;
    for (qsizetype i = first; i < s.size(); ++i)
        if (s[i] < u'0' || s[i] > u'9') return false;
    return true;
}

}  // namespace

TagLibInformation::TagLibInformation(TechnicalProbe probe)
{
    setTechnicalProbe(std::move(probe));
}

void TagLibInformation::setTechnicalProbe(TechnicalProbe probe)
{
    probe_ = probe ? std::move(probe) : TechnicalProbe(ffmpegTechnicalProbe);
}

void TagLibInformation::ReadInfo(const QString& fileName)
{
    const filename::Status info = filename::status(fileName);
    if (!info.exists) fail(readFailed, fileName, QStringLiteral("the file does not exist."));
    if (!info.isFile || !info.readable)
        fail(readFailed, fileName, QStringLiteral("the file cannot be opened for reading."));

    taglibaccess::TagFields tag;
    TechnicalData technical;
    const auto result = taglibaccess::read(fileName, tag, technical);
    if (result != taglibaccess::ReadResult::Read) {
        TechnicalData probed;
        const int formatTag = technical.formatTag;
        if (probe_(fileName, probed)) {
            technical = probed;
            if (formatTag != 0) technical.formatTag = formatTag;
        } else if (result == taglibaccess::ReadResult::NotOpened || technical.frequency <= 0) {
            fail(readFailed, fileName, QStringLiteral("it is not an audio file this program can read."));
        }
    }

    technical_ = technical;
    size_ = info.size;
    tag_ = tag;
}

void TagLibInformation::WriteInfo(const QString& fileName)
{
    if (!filename::status(fileName).exists) fail(writeFailed, fileName, QStringLiteral("the file does not exist."));
    taglibaccess::TagFields tag = tag_;
    tag.year = std::max(tag.year, 0);
    tag.track = std::max(tag.track, 0);
    switch (taglibaccess::write(fileName, tag)) {
    case taglibaccess::WriteResult::Written:
        return;
    case taglibaccess::WriteResult::NotOpened:
        fail(writeFailed, fileName, QStringLiteral("it is not an audio file whose tag this program can write."));
    case taglibaccess::WriteResult::Unfollowed:
        fail(writeFailed, fileName,
             QStringLiteral("its audio data cannot be followed safely (RF64 or an unfinished recording?), "
                            "so it was left untouched."));
    case taglibaccess::WriteResult::NoTag:
        fail(writeFailed, fileName, QStringLiteral("this kind of file cannot hold a tag here."));
    case taglibaccess::WriteResult::SaveFailed:
        fail(writeFailed, fileName, QStringLiteral("the file could not be saved (is it read-only or in use?)."));
    }
}

int TagLibInformation::infoGenre() const
{
    return taglibaccess::genreIndex(tag_.genre);
}

void TagLibInformation::setInfoGenre(int v)
{
    tag_.genre = taglibaccess::genreName(v);
}

void TagLibInformation::setInfoGenreS(const QString& v)
{
    const QString text = v.trimmed();
    if (!isWholeNumber(text)) {
        tag_.genre = text;
        return;
    }
    bool ok = false;
    const int index = text.toInt(&ok);
    tag_.genre = ok ? taglibaccess::genreName(index) : QString();
}

QString TagLibInformation::GenreName(int index) const
{
    return taglibaccess::genreName(index);
}
