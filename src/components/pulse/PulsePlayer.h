#pragma once
// Playback on the sound server's default output.
//
// Blocks go straight into the server's buffer; the component keeps about
// 300 ms (at least the server's start threshold) queued by raising
// OnRequestOnLoadArray, and raises OnEndArrayPlay as the played position
// passes the end of each block. The played position is the server's clock
// for the stream, never beyond the frames written.
//
// StopPlay closes the stream and discards what was queued; StartPlay opens a
// fresh one and asks for data, and its played count starts at 0. A pause thus
// resumes where the feeder stands, at most the small queue after the point
// where the sound stopped; a seek starts exactly at the new position.
//
// An empty block marks the end of the data: the queued audio is played out,
// then OnEndPlay fires once. Blocks given before StartPlay are kept for it.
// The server going away while playing raises OnError through the event loop;
// the next StartPlay reconnects. OnTimer levels are the peaks of the block
// that finished last, 0..32767.

#include "components/TAudioPlayer2.h"

#include <memory>

class PulsePlayer final : public TAudioPlayer2 {
    Q_OBJECT
public:
    explicit PulsePlayer(QObject* parent = nullptr);
    ~PulsePlayer() override;

    void SetFormat(int sampleRate, int channels) override;
    void StartPlay() override;
    void StopPlay() override;
    void PlayArray(const Block& block) override;
    int64_t SamplesToMs(int64_t samples) const override;

private:
    struct Private;
    void openStream();
    void closeStream();
    void write(const Block& block);
    void startDrain();
    qint64 service(quint64 generation);
    void tick();
    void drained(quint64 generation);
    void streamFailed(quint64 generation, const QString& message);

    std::unique_ptr<Private> d;
};
