#include "components/ffmpeg/FfmpegSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <algorithm>
#include <cstring>
#include <iterator>
#include <mutex>

namespace ffmpegsupport {

void quietLogging()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

QString errorText(int code)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(code, buf, sizeof buf) < 0) return QString("error %1").arg(code);
    return QString::fromUtf8(buf);
}

bool isPcm(int codecId)
{
    const auto id = static_cast<AVCodecID>(codecId);
    return id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT
           && av_get_bits_per_sample(id) > 0;
}

bool isPlainPcmFile(const char* demuxer)
{
    static const char* const names[] = {"wav", "w64", "aiff", "caf", "au"};
    return std::any_of(std::begin(names), std::end(names),
                       [demuxer](const char* n) { return std::strcmp(demuxer, n) == 0; });
}

}  // namespace ffmpegsupport
