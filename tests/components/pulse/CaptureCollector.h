#pragma once
// What a recorder under test hands out: its blocks in arrival order and the
// OnTimer counts.

#include "PulseTestTools.h"

#include "components/pulse/PulseRecorder.h"

#include <QTest>
#include <functional>
#include <vector>

namespace pulsetest {

// Sets the recorder's format and block size, then collects every block in
// arrival order and the OnTimer counts.
struct Collector {
    explicit Collector(PulseRecorder& recorder, int blockMs = 200, int rate = kRate, int channels = 2)
        : recorder(recorder)
    {
        recorder.SetFormat(rate, channels);
        blockFrames = recorder.MsToSamples(blockMs);
        recorder.SetArraySize(blockFrames);
        QObject::connect(&recorder, &TAudioRecord2::OnEndArrayRecord, [this](int) {
            const Block block = this->recorder.GetArray();
            sizes.push_back(block.frames());
            samples.insert(samples.end(), block.samples.begin(), block.samples.end());
            if (onBlock) onBlock(block);
        });
        QObject::connect(&recorder, &TAudioRecord2::OnTimer,
                         [this](qint64 count, int, int) { timerCounts.push_back(count); });
    }
    qint64 frames() const { return static_cast<qint64>(samples.size()) / 2; }
    bool waitForFrames(qint64 atLeast, int timeoutMs)
    {
        return QTest::qWaitFor([&] { return frames() >= atLeast; }, timeoutMs);
    }
    bool waitForClock(int timeoutMs)
    {
        return QTest::qWaitFor([&] { return scanClock(samples).heard > 0; }, timeoutMs);
    }

    PulseRecorder& recorder;
    int blockFrames = 0;
    std::vector<float> samples;
    std::vector<qint64> sizes;
    std::vector<qint64> timerCounts;
    std::function<void(const Block&)> onBlock;
};

}  // namespace pulsetest
