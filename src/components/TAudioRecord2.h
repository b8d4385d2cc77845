#pragma once
// Capture component. Captured audio is queued inside the component; events
// are delivered on the UI thread through the Qt event loop.

#include "components/Block.h"

#include <QObject>
#include <QString>
#include <cstdint>

class TAudioRecord2 : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TAudioRecord2() override = default;

    virtual void SetFormat(int sampleRate, int channels) = 0;
    virtual int MsToSamples(int ms) const = 0;
    virtual void SetArraySize(int frames) = 0;
    // Starts or resumes capture; StopRecord serves pause and stop.
    virtual void StartRecord() = 0;
    virtual void StopRecord() = 0;
    virtual int ErrorCode() const = 0;  // 0 when the last start succeeded
    // The block just completed; valid inside OnEndArrayRecord.
    virtual Block GetArray() = 0;
    virtual int64_t SamplesToMs(int64_t samples) const = 0;
    // After StopRecord: the frames captured but not yet delivered in a full
    // block, so that the end of a recording is written too. Empties them.
    virtual Block TakeRemainder() { return {}; }

    // Devices are numbered 0..DeviceCount() (DeviceCount() + 1 entries).
    virtual int DeviceCount() = 0;
    virtual void SetDevice(int index) = 0;
    virtual QString DeviceName() = 0;
    // Input lines of the current device, numbered from 1.
    virtual int InputLineCount() = 0;
    virtual void SetLine(int number) = 0;
    virtual QString LineName() = 0;
    virtual bool LineSelected() = 0;
    virtual void SetLineSelected() = 0;
    virtual int LineVolume() = 0;              // 0..65536
    virtual void SetLineVolume(int volume) = 0;
    // The current line's source as the server names it; empty for none.
    virtual QString LineSource() { return {}; }
    // The source capture records from, by its server name; empty follows
    // the system default. Never changes the system's own default.
    virtual void SetSource(const QString& source) { (void)source; }

signals:
    void OnEndArrayRecord(int nBlock);
    // Frames captured since the most recent StartRecord.
    void OnTimer(qint64 currentSamples, int levelLeft, int levelRight);
    // A failure while capturing that cannot be waited out.
    void OnError(const QString& message);
    // The recorded input (or the sound server) went away during capture. The
    // component keeps trying by itself; nothing is delivered meanwhile.
    void OnInputWaiting(const QString& why);
    // Capture goes on after a gap of `gapFrames` frames (input lost, server
    // restarted, or audio the server could not deliver: a stall, a suspend).
    // The gap is kept as silence starting `atFrame` frames after the most
    // recent StartRecord, counted as OnTimer counts, so positions match the clock.
    void OnGap(qint64 gapFrames, qint64 atFrame);
    // The input lines changed (a device came or went); read them again.
    void OnLinesChanged();
};
