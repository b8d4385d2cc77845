#pragma once
// Capture from the sound server. The one capture device is the server itself;
// its input lines are the server's sources (see PulseInputLines), and capture
// always records from the line that is selected, i.e. the default source.
//
// Captured audio is queued inside the component by the PulseAudio thread and
// cut into blocks on the UI thread, so a busy UI loses nothing: the blocks
// arrive, in order, once the event loop runs again.
//
// StopRecord corks the stream rather than closing it: what the server had
// captured before the stop, and the frames of an unfinished block, are kept
// and delivered after the next StartRecord, so a pause loses and repeats no
// frame. SetFormat or SetArraySize starts a new recording and discards them;
// a recording thus ends with its last full block.
//
// Line 0 and numbers beyond InputLineCount() are "no line": empty name, not
// selected, volume 0, and selecting it or setting its volume does nothing.
//
// StartRecord failing sets ErrorCode() to the library's error code and throws
// a TamselError naming the source. The server going away while capturing
// raises OnError through the event loop; the next StartRecord reconnects.
// OnTimer levels are the peaks since the previous tick, 0..32767.

#include "components/TAudioRecord2.h"

#include <memory>

class PulseRecorder final : public TAudioRecord2 {
    Q_OBJECT
public:
    explicit PulseRecorder(QObject* parent = nullptr);
    ~PulseRecorder() override;

    void SetFormat(int sampleRate, int channels) override;
    int MsToSamples(int ms) const override;
    void SetArraySize(int frames) override;
    void StartRecord() override;
    void StopRecord() override;
    int ErrorCode() const override;
    Block GetArray() override;
    int64_t SamplesToMs(int64_t samples) const override;
    Block TakeRemainder() override;

    int DeviceCount() override;
    void SetDevice(int index) override;
    QString DeviceName() override;
    int InputLineCount() override;
    void SetLine(int number) override;
    QString LineName() override;
    bool LineSelected() override;
    void SetLineSelected() override;
    int LineVolume() override;
    void SetLineVolume(int volume) override;

private:
    struct Private;
    void openStream();
    void closeStream();
    void newRecording();
    void takeCaptured();
    void deliver();
    void tick();
    void streamFailed(quint64 generation, const QString& message);

    std::unique_ptr<Private> d;
};
