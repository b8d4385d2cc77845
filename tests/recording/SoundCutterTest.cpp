#include "recording/SoundCutter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kChannels = 2;
constexpr int64_t kWindow = kRate / 100;  // the cutter's 10 ms

int64_t ms(double m) { return int64_t(m * kRate / 1000); }

// A stereo stream of stretches: each a length and a level, loud ones a tone
// at -12 dBFS, quiet ones a ramp below -80 dBFS. Every frame differs, so kept
// audio is compared with the input exactly.
struct Stream {
    std::vector<float> samples;
    void add(double lengthMs, bool loud)
    {
        const int64_t n = ms(lengthMs);
        const int64_t at = frames();
        for (int64_t i = 0; i < n; ++i) {
            const int64_t t = at + i;
            // A slow ramp under both makes every frame's value unique.
            const float hiss = 2e-4f * float(t % 1000003) / 1000003.0f - 1e-4f;
            const float v = hiss + (loud ? 0.25f * float(std::sin(2 * M_PI * 440.0 * double(t) / kRate)) : 0.0f);
            samples.push_back(v);
            samples.push_back(-v);
        }
    }
    int64_t frames() const { return int64_t(samples.size()) / kChannels; }
    std::vector<float> slice(int64_t from, int64_t to) const
    {
        return {samples.begin() + from * kChannels, samples.begin() + to * kChannels};
    }
};

// What the cutter made of a stream: the pieces, each a run of kept samples,
// and the positions in the input where each piece's runs began.
struct Result {
    std::vector<std::vector<float>> pieces;
    std::vector<std::vector<int64_t>> starts;  // per piece: input frame of each run
    std::vector<SoundCutter::Step::Kind> notices;  // Waiting and Sounding, in order
};

Result run(const SoundCutter::Settings& settings, const Stream& in, int64_t blockFrames)
{
    SoundCutter cutter(settings, kRate, kChannels);
    Result r;
    bool open = false;
    // The input position a Write's first frame comes from is found by search:
    // the cutter never reorders, so it is the first match at or after the last.
    int64_t searchFrom = 0;
    auto apply = [&](const std::vector<SoundCutter::Step>& steps) {
        for (const auto& s : steps) {
            switch (s.kind) {
            case SoundCutter::Step::Write: {
                EXPECT_EQ(s.audio.channels, kChannels);
                EXPECT_EQ(s.audio.sampleRate, kRate);
                if (!open) {
                    r.pieces.emplace_back();
                    r.starts.emplace_back();
                    open = true;
                }
                const int64_t probe = std::min<int64_t>(s.audio.frames(), 16) * kChannels;
                int64_t at = searchFrom;
                while (at < in.frames() &&
                       !std::equal(s.audio.samples.begin(), s.audio.samples.begin() + probe,
                                   in.samples.begin() + std::min<int64_t>(at * kChannels, in.samples.size() - probe)))
                    ++at;
                // Writes that go on where the last one ended are one run.
                if (r.starts.back().empty() || at != searchFrom) r.starts.back().push_back(at);
                searchFrom = at + s.audio.frames();
                r.pieces.back().insert(r.pieces.back().end(), s.audio.samples.begin(), s.audio.samples.end());
                break;
            }
            case SoundCutter::Step::EndPiece:
                EXPECT_TRUE(open) << "a piece ended that was never opened";
                open = false;
                break;
            default:
                r.notices.push_back(s.kind);
            }
        }
    };
    for (int64_t at = 0; at < in.frames(); at += blockFrames) {
        Block b;
        b.channels = kChannels;
        b.sampleRate = kRate;
        const int64_t to = std::min(in.frames(), at + blockFrames);
        b.samples = in.slice(at, to);
        apply(cutter.feed(b));
    }
    apply(cutter.finish());
    EXPECT_EQ(cutter.position(), in.frames());
    return r;
}

// The kept run equals the input from `from` for as long as it is.
void expectRun(const Stream& in, const std::vector<float>& kept, int64_t from)
{
    ASSERT_LE(from * kChannels + int64_t(kept.size()), int64_t(in.samples.size()));
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), in.samples.begin() + from * kChannels))
        << "kept audio differs from the input at frame " << from;
}

}  // namespace

TEST(SoundCutter, StartsOnSoundWithItsPrerollAndEndsAfterTheHangTimeWhateverTheBlockSize)
{
    Stream in;
    in.add(3000, false);
    in.add(1000, true);
    in.add(7000, false);
    const auto settings = SoundCutter::startOnSound(-40, 2000, 5000, false);
    for (int64_t block : {int64_t(7), int64_t(1234), ms(200), in.frames()}) {
        SCOPED_TRACE(block);
        const Result r = run(settings, in, block);
        ASSERT_EQ(r.pieces.size(), 1u);
        ASSERT_EQ(r.starts[0].size(), 1u) << "one run, nothing left out inside it";
        const int64_t start = r.starts[0][0];
        const int64_t end = start + int64_t(r.pieces[0].size()) / kChannels;
        // Burst start minus the pre-roll, and the hang time after its end,
        // to the cutter's 10 ms windows.
        EXPECT_GE(start, ms(1000) - kWindow);
        EXPECT_LE(start, ms(1000));
        EXPECT_GE(end, ms(9000));
        EXPECT_LE(end, ms(9000) + kWindow);
        expectRun(in, r.pieces[0], start);
        EXPECT_EQ(r.notices, (std::vector{SoundCutter::Step::Sounding, SoundCutter::Step::Waiting}));
    }
}

TEST(SoundCutter, AfterTheHangTimeItPausesTheSameFileOrStartsANewOne)
{
    Stream in;
    in.add(500, false);
    in.add(800, true);
    in.add(3000, false);  // longer than the hang time
    in.add(800, true);
    in.add(1200, false);  // the stream ends within a hang time
    for (bool newPiece : {false, true}) {
        SCOPED_TRACE(newPiece);
        const Result r = run(SoundCutter::startOnSound(-40, 1000, 1500, newPiece), in, 960);
        ASSERT_EQ(r.pieces.size(), newPiece ? 2u : 1u);
        std::vector<int64_t> runs;
        int64_t kept = 0;
        for (const auto& s : r.starts) runs.insert(runs.end(), s.begin(), s.end());
        for (const auto& p : r.pieces) kept += int64_t(p.size()) / kChannels;
        ASSERT_EQ(runs.size(), 2u);
        // A pre-roll longer than what came before takes what there is.
        EXPECT_EQ(runs[0], 0);
        EXPECT_NEAR(double(runs[1]), double(ms(4300 - 1000)), double(kWindow));
        // The first run ends a hang time after its sound; the second, stopped
        // within a hang time, keeps everything to the end.
        EXPECT_NEAR(double(kept), double(ms(1300 + 1500) + in.frames() - runs[1]), double(kWindow));
        EXPECT_EQ(r.notices, (std::vector{SoundCutter::Step::Sounding, SoundCutter::Step::Waiting,
                                          SoundCutter::Step::Sounding}));
    }
}

TEST(SoundCutter, SplittingWithDropLeavesOutOnlyTheLongSilences)
{
    Stream in;
    in.add(2500, false);
    in.add(700, true);
    in.add(1000, false);
    in.add(700, true);
    in.add(2500, false);
    in.add(400, true);
    in.add(3000, false);
    const Result r = run(SoundCutter::splitAtSilences(-50, 2000, true), in, 333);
    ASSERT_EQ(r.pieces.size(), 2u);
    ASSERT_EQ(r.starts[0].size(), 1u);
    // The first piece: both sounds and the short silence between them.
    const int64_t first = r.starts[0][0];
    EXPECT_NEAR(double(first), double(ms(2500)), double(kWindow));
    EXPECT_NEAR(double(r.pieces[0].size() / kChannels), double(ms(2400)), double(2 * kWindow));
    expectRun(in, r.pieces[0], first);
    EXPECT_NEAR(double(r.starts[1][0]), double(ms(7400)), double(kWindow));
    EXPECT_NEAR(double(r.pieces[1].size() / kChannels), double(ms(400)), double(2 * kWindow));
}

// A burst shorter than the attack, a hum below the level and digital
// silence are no sound: nothing starts, and a take kept whole holds no sound.
TEST(SoundCutter, WhatIsNoSound)
{
    Stream in;
    in.add(1000, false);
    in.add(60, true);
    in.add(3000, false);
    EXPECT_TRUE(run(SoundCutter::startOnSound(-40, 2000, 5000, false), in, 480).pieces.empty());
    EXPECT_TRUE(run(SoundCutter::splitAtSilences(-50, 2000, true), in, 4800).pieces.empty());
    SoundCutter keepAll(SoundCutter::splitAtSilences(-50, 2000, false), kRate, kChannels);
    keepAll.feed(Block{in.samples, kChannels, kRate});
    keepAll.finish();
    EXPECT_FALSE(keepAll.pieceHasSound());

    const std::vector<float> silence(10, 0.0f);
    EXPECT_TRUE(std::isinf(SoundCutter::peakDbfs(silence.data(), 10)));
    const std::vector<float> half{0.1f, -0.5f, 0.2f};
    EXPECT_NEAR(SoundCutter::peakDbfs(half.data(), 3), -6.02, 0.01);
}
