#pragma once
// The file component with the recording's WAV format replaced by another
// (FLAC, Opus, MP3) at the same rate and channels, so a recording made the
// way the program makes it can be measured in each format.

#include "components/file/AudioFile.h"

#include <QString>

class ForcedFormat : public TAudioFile2 {
public:
    // format: wav, flac, opus or mp3.
    explicit ForcedFormat(QString format) : format_(std::move(format)) {}

    void SetWavFormat(int rate, int channels, int bits) override
    {
        if (format_ == "flac") return file_.SetFlacFormat(rate, channels, bits == 24 ? 24 : 16);
        if (format_ == "opus") return file_.SetOpusFormat(rate, channels, 96);
        if (format_ == "mp3") return file_.SetMp3Format(rate, channels, 2, 0);
        file_.SetWavFormat(rate, channels, bits);
    }

    void OpenRead(const QString& f, int a, int b) override { file_.OpenRead(f, a, b); }
    bool IsOpen() const override { return file_.IsOpen(); }
    void CloseFile() override { file_.CloseFile(); }
    int64_t Samples() const override { return file_.Samples(); }
    bool SamplesExact() const override { return file_.SamplesExact(); }
    int64_t Duration() const override { return file_.Duration(); }
    int SampleRate() const override { return file_.SampleRate(); }
    int Channels() const override { return file_.Channels(); }
    int Bitrate() const override { return file_.Bitrate(); }
    int ArraySampleRate() const override { return file_.ArraySampleRate(); }
    int ArrayChannels() const override { return file_.ArrayChannels(); }
    Block ReadArray(int count) override { return file_.ReadArray(count); }
    int64_t Seek(int64_t position, int mode) override { return file_.Seek(position, mode); }
    void SetRawFormat(int f, int r, int c, int b) override { file_.SetRawFormat(f, r, c, b); }
    bool CheckOggFormat(int r, int c, int n, int lo, int hi) override { return file_.CheckOggFormat(r, c, n, lo, hi); }
    void SetOggFormat(int r, int c, int n, int lo, int hi, int q) override { file_.SetOggFormat(r, c, n, lo, hi, q); }
    void SetFlacFormat(int r, int c, int b) override { file_.SetFlacFormat(r, c, b); }
    void SetOpusFormat(int r, int c, int k) override { file_.SetOpusFormat(r, c, k); }
    void SetMp3Format(int r, int c, int q, int k) override { file_.SetMp3Format(r, c, q, k); }
    void OpenWrite(const QString& f, int a) override { file_.OpenWrite(f, a); }
    void SetInputFormat(int r, int c) override { file_.SetInputFormat(r, c); }
    void WriteArray(const Block& b) override { file_.WriteArray(b); }
    void SetFileOption(int o) override { file_.SetFileOption(o); }
    void SetChapters(const QList<Chapter>& c) override { file_.SetChapters(c); }
    TPcmCopy* PcmCopyFacet() override { return file_.PcmCopyFacet(); }

private:
    QString format_;
    AudioFile file_;
};
