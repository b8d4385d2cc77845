// Cost of the level display per block: it must keep up with every 200 ms
// capture block (8820 stereo frames at 44.1 kHz) and every 4100-frame
// playback block, on the UI thread, with room to spare.

#include "components/kissfft/SpectrumDisplay.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

namespace {

Block musicLikeBlock(int frames)
{
    Block b;
    b.channels = 2;
    b.sampleRate = 44100;
    b.samples.resize(size_t(frames) * 2);
    uint32_t noise = 12345;
    for (int i = 0; i < frames; ++i) {
        noise = noise * 1664525u + 1013904223u;
        const double t = double(i) / b.sampleRate;
        const float v = float(0.3 * std::sin(2 * std::numbers::pi * 110 * t)
                              + 0.2 * std::sin(2 * std::numbers::pi * 2500 * t)
                              + 0.05 * (double(noise) / 4294967296.0 - 0.5));
        b.samples[2 * size_t(i)] = v;
        b.samples[2 * size_t(i) + 1] = -v;
    }
    return b;
}

void DisplayArray(benchmark::State& state)
{
    SpectrumDisplay display;
    const Block block = musicLikeBlock(int(state.range(0)));
    for (auto _ : state) display.DisplayArray(block);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(DisplayArray)->Arg(8820)->Arg(4100);

void Paint(benchmark::State& state)
{
    SpectrumDisplay display;
    display.DisplayArray(musicLikeBlock(8820));
    QImage target(display.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&target);
        display.render(&p);
    }
}
BENCHMARK(Paint);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
