#include "components/vorbis/VorbisWriter.h"

#include "platform/Error.h"

#include <QFile>
#include <QRandomGenerator>
#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString encoderError(int code)
{
    switch (code) {
    case OV_EIMPL: return "the encoder cannot encode this combination";
    case OV_EINVAL: return "invalid encoder setting";
    case OV_EFAULT: return "internal encoder error";
    default: return QString("encoder error %1").arg(code);
    }
}

QString describe(const VorbisWriter::Format& f)
{
    if (f.quality != 0)
        return QString("%1 Hz, %2 channels, quality %3").arg(f.sampleRate).arg(f.channels)
            .arg(f.quality / 1000.0);
    return QString("%1 Hz, %2 channels, %3 kbit/s (%4 to %5)").arg(f.sampleRate)
        .arg(f.channels).arg(f.nominalKbps).arg(f.minKbps).arg(f.maxKbps);
}

}  // namespace

struct VorbisWriter::State {
    std::FILE* file = nullptr;
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    bool coding = false;  // dsp, block and stream initialised

    State()
    {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~State()
    {
        if (coding) {
            ogg_stream_clear(&stream);
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
        if (file) std::fclose(file);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
};

bool VorbisWriter::accepts(int sampleRate, int channels, int nominalKbps, int minKbps,
                           int maxKbps)
{
    if (sampleRate <= 0 || channels <= 0) return false;
    vorbis_info info;
    vorbis_info_init(&info);
    const int rc = vorbis_encode_setup_managed(&info, channels, sampleRate, maxKbps * 1000L,
                                               nominalKbps * 1000L, minKbps * 1000L);
    vorbis_info_clear(&info);
    return rc == 0;
}

void VorbisWriter::validate(const Format& f)
{
    if (f.sampleRate <= 0 || f.channels < 1 || f.channels > 255)
        throw TamselError(QString("Unsupported Ogg Vorbis format: %1 Hz, %2 channels")
                              .arg(f.sampleRate).arg(f.channels));
    if (f.quality < -100 || f.quality > 1000)
        throw TamselError(QString("Ogg Vorbis quality %1 is outside -100 to 1000 (thousandths)")
                              .arg(f.quality));
}

VorbisWriter::VorbisWriter() = default;

VorbisWriter::~VorbisWriter()
{
    try {
        close();
    } catch (const TamselError&) {
        // Nothing can report it from here.
    }
}

void VorbisWriter::open(const QString& fileName, const Format& format)
{
    close();
    validate(format);
    auto s = std::make_unique<State>();
    const int rc = format.quality != 0
        ? vorbis_encode_init_vbr(&s->info, format.channels, format.sampleRate,
                                 format.quality / 1000.0f)
        : vorbis_encode_init(&s->info, format.channels, format.sampleRate,
                             format.maxKbps * 1000L, format.nominalKbps * 1000L,
                             format.minKbps * 1000L);
    if (rc != 0)
        throw TamselError(QString("Cannot write %1 as Ogg Vorbis %2: %3")
                              .arg(fileName, describe(format), encoderError(rc)));

    s->file = std::fopen(QFile::encodeName(fileName).constData(), "wb");
    if (!s->file)
        throw TamselError(QString("Cannot create the audio file %1: %2")
                              .arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
    vorbis_analysis_init(&s->dsp, &s->info);
    vorbis_block_init(&s->dsp, &s->block);
    ogg_stream_init(&s->stream, static_cast<int>(QRandomGenerator::global()->bounded(1 << 30)));
    s->coding = true;

    state_ = std::move(s);
    format_ = format;
    fileName_ = fileName;
    frames_ = 0;
    flushedAt_ = 0;

    ogg_packet id, comments, codebooks;
    vorbis_analysis_headerout(&state_->dsp, &state_->comment, &id, &comments, &codebooks);
    ogg_stream_packetin(&state_->stream, &id);
    ogg_stream_packetin(&state_->stream, &comments);
    ogg_stream_packetin(&state_->stream, &codebooks);
    try {
        // The headers end on a page of their own, as players expect.
        writePages(true);
    } catch (...) {
        state_.reset();
        throw;
    }
}

void VorbisWriter::write(const float* samples, int64_t frames)
{
    if (!state_)
        throw TamselError(QString("The audio file %1 is not open for writing").arg(fileName_));
    const int channels = format_.channels;
    const int64_t slice = 4096;
    for (int64_t done = 0; done < frames; done += slice) {
        const int n = static_cast<int>(std::min(slice, frames - done));
        float** planes = vorbis_analysis_buffer(&state_->dsp, n);
        const float* src = samples + done * channels;
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c) planes[c][i] = *src++;
        vorbis_analysis_wrote(&state_->dsp, n);
        frames_ += n;
        // Pages of at most half a second, on disk at once: a writer that
        // dies loses no more than that.
        const bool due = frames_ - flushedAt_ >= format_.sampleRate / 2;
        drain(due);
        if (due) {
            flushedAt_ = frames_;
            if (std::fflush(state_->file) != 0) fail("Cannot write to the audio file");
        }
    }
}

void VorbisWriter::drain(bool flushAll)
{
    State& s = *state_;
    while (vorbis_analysis_blockout(&s.dsp, &s.block) == 1) {
        if (vorbis_analysis(&s.block, nullptr) != 0 || vorbis_bitrate_addblock(&s.block) != 0)
            throw TamselError(QString("The Ogg Vorbis encoder failed on %1").arg(fileName_));
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&s.dsp, &packet) == 1)
            ogg_stream_packetin(&s.stream, &packet);
    }
    writePages(flushAll);
}

void VorbisWriter::writePages(bool flushAll)
{
    State& s = *state_;
    ogg_page page;
    while (flushAll ? ogg_stream_flush(&s.stream, &page) : ogg_stream_pageout(&s.stream, &page)) {
        if (std::fwrite(page.header, 1, static_cast<size_t>(page.header_len), s.file)
                != static_cast<size_t>(page.header_len)
            || std::fwrite(page.body, 1, static_cast<size_t>(page.body_len), s.file)
                   != static_cast<size_t>(page.body_len))
            fail("Cannot write to the audio file");
    }
}

void VorbisWriter::close()
{
    if (!state_) return;
    // Whatever happens, the encoder and the file are released.
    try {
        vorbis_analysis_wrote(&state_->dsp, 0);
        drain(true);
        if (std::fflush(state_->file) != 0) fail("Cannot write to the audio file");
    } catch (...) {
        state_.reset();
        throw;
    }
    const std::unique_ptr<State> s = std::move(state_);
    std::FILE* f = s->file;
    s->file = nullptr;
    if (std::fclose(f) != 0)
        throw TamselError(QString("Cannot complete the audio file %1: %2")
                              .arg(fileName_, QString::fromLocal8Bit(std::strerror(errno))));
}

void VorbisWriter::fail(const QString& what)
{
    const int err = errno;
    throw TamselError(QString("%1 %2: %3").arg(what, fileName_,
                                              QString::fromLocal8Bit(std::strerror(err))));
}
