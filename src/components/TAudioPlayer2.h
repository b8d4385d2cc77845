#pragma once
// Playback component: asks for blocks when its queue runs low and reports
// progress; events are delivered on the UI thread.

#include "components/Block.h"

#include <QObject>
#include <cstdint>

class TAudioPlayer2 : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TAudioPlayer2() override = default;

    virtual void SetFormat(int sampleRate, int channels) = 0;
    // Starts or resumes output; StopPlay serves stop, pause and seek.
    virtual void StartPlay() = 0;
    virtual void StopPlay() = 0;
    // Queues a copy of the block; an empty block is accepted.
    virtual void PlayArray(const Block& block) = 0;
    virtual int64_t SamplesToMs(int64_t samples) const = 0;

signals:
    void OnRequestOnLoadArray();
    void OnEndArrayPlay();
    // Frames played since the most recent StartPlay.
    void OnTimer(qint64 currentSamples, int levelLeft, int levelRight);
    // All queued audio has played.
    void OnEndPlay();
    void OnError(const QString& message);
};
