#pragma once
// Capture from the sound server. The one capture device is the server itself;
// its input lines are the server's sources (see PulseInputLines). Capture
// records from the source chosen by name and from no other: the stream may not
// be moved, so a source that goes away is never replaced by another behind the
// user's back. Choosing "the system default" (line 1, source name empty)
// records from the server's default source and follows it when it changes, on
// PulseAudio and PipeWire alike. The server's own default is never changed.
//
// When the recorded source or the server goes away during a recording,
// OnInputWaiting is raised and capture resumes by itself once the source (by
// the same name) or the server returns; the time without input is queued as
// silence first and reported with OnGap. A recording started while the input
// chosen by name is missing (not plugged in, its server not up yet) waits for
// it in the same way from its start. A new stream whose first audio comes
// late (a PulseAudio monitor's can take two seconds) has the time until then
// kept as silence too, untold, so a recording is as long as it ran.
//
// Captured audio is queued inside the component by the PulseAudio thread and
// cut into blocks on the UI thread, so a busy UI loses nothing: the blocks
// arrive, in order, once the event loop runs again.
//
// Audio arrives in short fragments and is gathered into blocks here. A stop
// ends the recording where it is called: StopRecord first reads what the
// server had captured until then (it may hold part of a fragment), and drops
// whatever was captured later. The frames of an unfinished block are kept:
// TakeRemainder hands them out at the end of a recording, or the next
// StartRecord continues from them, so a pause loses and repeats no frame.
// StartRecord takes up capture from the moment it is called.
//
// A paused stream keeps running unheard, as resuming a corked stream can skip
// a few tens of milliseconds on pipewire-pulse; it is corked once the pause
// has lasted half a minute, or at once by TakeRemainder. SetFormat or
// SetArraySize starts a new recording and discards what is kept.
//
// Line 0 and numbers beyond InputLineCount() are "no line": empty name, not
// selected, volume 0, and selecting it or setting its volume does nothing.
//
// StartRecord failing sets ErrorCode() to the library's error code and throws
// a TamselError naming the source.
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
    QString LineSource() override;
    void SetSource(const QString& source) override;

private:
    struct Private;
    void openStream();
    void closeStream();
    void newRecording(bool formatChanged);
    void prepare();
    void takeCaptured();
    void deliver();
    void tick();
    void corkPaused();
    void streamFailed(quint64 generation, const QString& message);
    void serverChanged();
    void startWaiting(const QString& why, qint64 since);
    void retry();
    bool chosenInputMissing();
    void switchSource();
    QByteArray wantedSource();

    std::unique_ptr<Private> d;
};
