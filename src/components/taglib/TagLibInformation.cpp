#include "components/taglib/TagLibInformation.h"

#include "components/taglib/FfmpegTechnicalProbe.h"
#include "components/taglib/TagLibAccess.h"
#include "components/taglib/TagWriteThroughCopy.h"
#include "platform/Error.h"
#include "platform/FileName.h"

#include <algorithm>
#include <limits>

namespace {

[[noreturn]] void failToRead(const QString& fileName, const QString& reason)
{
    throw TamselError(QStringLiteral("Cannot read the tag of %1: %2").arg(fileName, reason));
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

// Header fields beyond these are damage, not audio: DSD512 runs at 22.6 MHz,
// no channel layout names more than 255 channels, no sample is wider than a
// double, and nothing streams faster than its samples at that width.
constexpr int64_t kMaxRate = 25'000'000;
constexpr int kMaxChannels = 255;
constexpr int kMaxBits = 64;

// Impossible figures become unknown (0) instead of being shown as numbers.
void dropImpossible(TechnicalData& t)
{
    if (t.frequency <= 0 || t.frequency > kMaxRate) t.frequency = 0;
    if (t.channels <= 0 || t.channels > kMaxChannels) t.channels = 0;
    if (t.bitsPerSample <= 0 || t.bitsPerSample > kMaxBits) t.bitsPerSample = 0;
    int64_t maxBitrate = std::numeric_limits<int>::max();
    if (t.frequency > 0 && t.channels > 0)
        maxBitrate = std::min(maxBitrate, int64_t{t.frequency} * t.channels * kMaxBits);
    if (t.bitrate <= 0 || t.bitrate > maxBitrate) t.bitrate = 0;
    t.duration = std::max<int64_t>(t.duration, 0);
    t.samples = std::max<int64_t>(t.samples, 0);
    if (t.formatTag < 0 || t.formatTag > 0xFFFF) t.formatTag = 0;
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
    if (!info.exists) failToRead(fileName, QStringLiteral("the file does not exist."));
    if (!info.isFile || !info.readable)
        failToRead(fileName, QStringLiteral("the file cannot be opened for reading."));

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
            failToRead(fileName, QStringLiteral("it is not an audio file this program can read."));
        }
    }

    dropImpossible(technical);
    technical_ = technical;
    size_ = info.size;
    tag_ = tag;
}

void TagLibInformation::WriteInfo(const QString& fileName)
{
    taglibaccess::TagFields tag = tag_;
    tag.year = std::max(tag.year, 0);
    tag.track = std::max(tag.track, 0);
    taglibaccess::writeThroughCopy(fileName, tag);
}

int TagLibInformation::infoGenre() const
{
    return taglibaccess::genreIndex(tag_.genre);
}

void TagLibInformation::setInfoGenre(int v)
{
    stage(tag_.genre, taglibaccess::genreName(v), taglibaccess::Genre);
}

void TagLibInformation::setInfoGenreS(const QString& v)
{
    const QString text = v.trimmed();
    if (!isWholeNumber(text)) {
        stage(tag_.genre, text, taglibaccess::Genre);
        return;
    }
    bool ok = false;
    const int index = text.toInt(&ok);
    stage(tag_.genre, ok ? taglibaccess::genreName(index) : QString(), taglibaccess::Genre);
}

QString TagLibInformation::GenreName(int index) const
{
    return taglibaccess::genreName(index);
}
