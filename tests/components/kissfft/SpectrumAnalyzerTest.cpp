#include "components/kissfft/SpectrumAnalyzer.h"
#include "ToneBlock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace {

constexpr int kBars = 17;

std::vector<float> analyze(const Block& b, int window = SpectrumAnalyzer::Blackman,
                           int scale = SpectrumAnalyzer::Logarithmic, int bars = kBars)
{
    SpectrumAnalyzer a;
    a.setWindow(window);
    a.setScale(scale);
    std::vector<float> out;
    a.analyze(b, bars, out);
    return out;
}

int loudest(const std::vector<float>& v) { return int(std::max_element(v.begin(), v.end()) - v.begin()); }

void expectAllZero(const std::vector<float>& v, int bars = kBars)
{
    ASSERT_EQ(int(v.size()), bars);
    for (float x : v) EXPECT_EQ(x, 0.0f);
}

}  // namespace

TEST(SpectrumAnalyzer, TonesLightTheBarOfTheirFrequencyAtTheirLevel)
{
    SpectrumAnalyzer a;
    for (double hz : {100.0, 1000.0, 8000.0}) {
        const int b = loudest(analyze(toneBlock(hz, 0.9, 8820)));
        EXPECT_LE(a.bandEdgeHz(b, kBars, 16000), hz) << hz;
        EXPECT_GT(a.bandEdgeHz(b + 1, kBars, 16000), hz) << hz;
    }
    const auto full = analyze(toneBlock(1000, 1.0, 8820));
    EXPECT_GT(full[loudest(full)], 0.97f);  // at most the window's scalloping loss
    EXPECT_LE(full[loudest(full)], 1.0f);
    const auto minus30 = analyze(toneBlock(1000, dbToAmplitude(-30), 8820));
    EXPECT_NEAR(minus30[loudest(minus30)], 0.5f, 0.03f);
    expectAllZero(analyze(toneBlock(1000, dbToAmplitude(-75), 8820)));  // below the 60 dB range
}

TEST(SpectrumAnalyzer, DegenerateBlocksGiveZerosAndBadSamplesStayInRange)
{
    expectAllZero(analyze(silenceBlock(8820)));
    expectAllZero(analyze(Block{}));
    Block noChannels = toneBlock(1000, 1.0, 4100);
    noChannels.channels = -2;
    expectAllZero(analyze(noChannels));
    Block nan = toneBlock(1000, 1.0, 4100);
    std::fill(nan.samples.begin(), nan.samples.end(), std::numeric_limits<float>::quiet_NaN());
    expectAllZero(analyze(nan));
    expectAllZero(analyze(toneBlock(1000, 1.0, 4100), SpectrumAnalyzer::Blackman,
                          SpectrumAnalyzer::Logarithmic, 0), 0);

    Block b = toneBlock(1000, 0.5, 4100);
    for (size_t i = 0; i < b.samples.size(); i += 97) b.samples[i] = std::numeric_limits<float>::infinity();
    for (size_t i = 7; i < b.samples.size(); i += 89) b.samples[i] = std::numeric_limits<float>::quiet_NaN();
    const auto v = analyze(b);
    for (float x : v) EXPECT_TRUE(x >= 0.0f && x <= 1.0f) << x;
    EXPECT_GT(v[loudest(v)], 0.5f);  // the tone is still seen through the dropouts
    for (float x : analyze(toneBlock(1000, 3e38, 4100))) EXPECT_TRUE(x >= 0.0f && x <= 1.0f) << x;

    Block odd = toneBlock(1000, 1.0, 4100);  // three channels and a stray sample, no rate
    odd.channels = 3;
    odd.samples.push_back(0.5f);
    odd.sampleRate = 0;
    for (float x : analyze(odd)) EXPECT_TRUE(x >= 0.0f && x <= 1.0f) << x;
}

TEST(SpectrumAnalyzer, ChannelsAreMixedToMono)
{
    const auto mono = analyze(toneBlock(1000, 0.5, 4100, 44100, 1));
    const auto stereo = analyze(toneBlock(1000, 0.5, 4100, 44100, 2));
    for (size_t i = 0; i < mono.size(); ++i) EXPECT_NEAR(mono[i], stereo[i], 1e-4f) << i;

    // Only the left channel: the mix is half as loud, 6 dB down.
    Block left = toneBlock(1000, 0.5, 4100, 44100, 2);
    for (size_t i = 1; i < left.samples.size(); i += 2) left.samples[i] = 0;
    const int b = loudest(mono);
    EXPECT_NEAR(mono[b] - analyze(left)[b], 6.02f / SpectrumAnalyzer::kRangeDb, 0.01f);
}

TEST(SpectrumAnalyzer, RatesAndBlockLengths)
{
    Block zeroRate = toneBlock(1000, 0.5, 4100);  // unknown rate is taken as CD rate
    zeroRate.sampleRate = 0;
    EXPECT_EQ(analyze(zeroRate), analyze(toneBlock(1000, 0.5, 4100)));
    // At 8 kHz the bars end at 4 kHz, so a 3.5 kHz tone lands in the top bars.
    EXPECT_GE(loudest(analyze(toneBlock(3500, 0.9, 1600, 8000, 1))), kBars - 2);

    // Only the end of a block is shown: a tone followed by silence is gone.
    Block b = toneBlock(1000, 1.0, 8820);
    std::fill(b.samples.begin() + 2 * 4000, b.samples.end(), 0.0f);
    expectAllZero(analyze(b));
    Block late = silenceBlock(8820);
    const Block tone = toneBlock(1000, 1.0, 8820);
    std::copy(tone.samples.end() - 2 * 2048, tone.samples.end(), late.samples.end() - 2 * 2048);
    const auto lv = analyze(late);
    EXPECT_GT(lv[loudest(lv)], 0.9f);

    for (int frames : {100, 10}) {  // shorter than any FFT
        const auto v = analyze(toneBlock(5000, 1.0, frames));
        EXPECT_GT(v[loudest(v)], 0.5f) << frames;
        for (float x : v) EXPECT_LE(x, 1.0f);
    }
}

TEST(SpectrumAnalyzer, WindowsAndScales)
{
    const Block tone = toneBlock(1000, 1.0, 4100);
    const int expected = loudest(analyze(tone));
    for (int w = SpectrumAnalyzer::Rectangular; w <= SpectrumAnalyzer::BlackmanHarris; ++w) {
        const auto v = analyze(tone, w);
        EXPECT_EQ(loudest(v), expected) << w;
        EXPECT_GT(v[expected], 0.9f) << w;  // each window's gain is compensated
    }
    // A rectangular window leaks a low tone across the whole display.
    const Block low = toneBlock(100.3, 1.0, 4100);
    EXPECT_GT(analyze(low, SpectrumAnalyzer::Rectangular)[kBars - 1], 0.0f);
    EXPECT_EQ(analyze(low, SpectrumAnalyzer::BlackmanHarris)[kBars - 1], 0.0f);
    // 100 Hz is the third bar on the log scale but the first on a linear one.
    EXPECT_EQ(loudest(analyze(low, SpectrumAnalyzer::Blackman, SpectrumAnalyzer::Linear)), 0);
    EXPECT_EQ(loudest(analyze(low)), 2);
    EXPECT_EQ(analyze(low, 99, 7), analyze(low));  // unknown choices fall back to the defaults

    // A reused analyzer gives the same result after other sizes and windows.
    SpectrumAnalyzer a;
    std::vector<float> first, again, other;
    a.analyze(tone, kBars, first);
    a.analyze(toneBlock(300, 0.7, 700), kBars, other);
    a.setWindow(SpectrumAnalyzer::Hann);
    a.analyze(tone, kBars, other);
    a.setWindow(SpectrumAnalyzer::Blackman);
    a.analyze(tone, kBars, again);
    EXPECT_EQ(first, again);
}
