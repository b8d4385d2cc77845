#include "components/kissfft/SpectrumDisplay.h"
#include "ToneBlock.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <memory>

namespace {

const QColor kGreen(0x00, 0xFF, 0x00), kYellow(0xFF, 0xFF, 0x00), kRed(0xFF, 0x00, 0x00);
const QColor kDarkGreen(0x00, 0x55, 0x00), kOlive(0x55, 0x55, 0x00), kDarkRed(0x55, 0x00, 0x00);
const QColor kBlack(0, 0, 0);

// A display on a hand-driven clock, at the size the main window gives it.
struct Fixture {
    int64_t now = 1000;
    std::unique_ptr<SpectrumDisplay> w = std::make_unique<SpectrumDisplay>();
    Fixture()
    {
        w->setClock([this] { return now; });
        w->resize(115, 81);
    }
    QImage image() const { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    int loudestBar() const
    {
        const auto v = w->levels();
        return int(std::max_element(v.begin(), v.end()) - v.begin());
    }
    QColor segmentColour(const QImage& img, int bar, int segment) const
    {
        const QRect r = w->layout().segment(bar, segment);
        return img.pixelColor(r.center());
    }
};

int count(const QImage& img, const QColor& c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) == c;
    return n;
}

// Runs of non-background pixels along one row: the bars the eye sees.
int barsOnRow(const QImage& img, int y)
{
    int runs = 0;
    bool inBar = false;
    for (int x = 0; x < img.width(); ++x) {
        const bool lit = img.pixelColor(x, y) != kBlack;
        runs += lit && !inBar;
        inBar = lit;
    }
    return runs;
}

}  // namespace

TEST(SpectrumDisplay, PublishedPropertiesStartAtTheirStoredValues)
{
    SpectrumDisplay w;
    const std::pair<const char*, QVariant> expected[] = {
        {"LineCount", 17}, {"BackColor", kBlack}, {"BorderColor", kBlack}, {"BorderStyle", 0},
        {"BorderWidth", 0}, {"LineLowColor", kGreen}, {"LineMidColor", kYellow},
        {"LineHighColor", kRed}, {"BackLineLowColor", kDarkGreen}, {"BackLineMidColor", kOlive},
        {"BackLineHighColor", kDarkRed}, {"TickDelayTime", 200}, {"TickReleaseTime", 20},
        {"SpotHeight", 2}, {"SpotInterval", 1}, {"MidPoint", 100}, {"HighPoint", 60},
        {"LineInterval", 1}, {"XPos", 0}, {"YPos", 0}, {"AutoRepaint", true}, {"ShowTicks", true},
        {"FFTWindowType", 3}, {"FFTViewType", 1}, {"LineType", 4}, {"AutoSize", false}};
    for (const auto& [name, value] : expected) EXPECT_EQ(w.property(name), value) << name;
    EXPECT_EQ(w.size(), QSize(115, 81));

    EXPECT_TRUE(w.setProperty("LineCount", 9));
    EXPECT_EQ(w.lineCount(), 9);
    EXPECT_TRUE(w.setProperty("LineMidColor", QColor(Qt::blue)));
    EXPECT_EQ(w.lineMidColor(), QColor(Qt::blue));
}

TEST(SpectrumDisplay, LowAndHighTonesLightDifferentBars)
{
    Fixture f;
    f.w->DisplayArray(toneBlock(100, 0.9, 8820));
    const int low = f.loudestBar();
    f.w->clear();
    for (float v : f.w->levels()) EXPECT_EQ(v, 0.0f);
    f.w->DisplayArray(toneBlock(8000, 0.9, 4100));
    const int high = f.loudestBar();
    EXPECT_LT(low, high);
    EXPECT_GT(f.w->levels()[high], 0.9f);
}

TEST(SpectrumDisplay, SilenceLightsNothing)
{
    Fixture f;
    f.w->DisplayArray(silenceBlock(8820));
    f.w->DisplayArray(Block{});
    for (float v : f.w->levels()) EXPECT_EQ(v, 0.0f);
    for (float v : f.w->peaks()) EXPECT_EQ(v, 0.0f);
    const QImage img = f.image();
    for (const QColor& bright : {kGreen, kYellow, kRed}) EXPECT_EQ(count(img, bright), 0);
    EXPECT_GT(count(img, kDarkGreen), 0);
    EXPECT_GT(count(img, kOlive), 0);
    EXPECT_GT(count(img, kDarkRed), 0);
}

TEST(SpectrumDisplay, MonoAndStereoBlocksShowAlike)
{
    Fixture mono, stereo;
    mono.w->DisplayArray(toneBlock(1000, 0.5, 4100, 44100, 1));
    stereo.w->DisplayArray(toneBlock(1000, 0.5, 4100, 44100, 2));
    const auto a = mono.w->levels(), b = stereo.w->levels();
    ASSERT_EQ(a.size(), 17u);
    for (size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 1e-4f);
    EXPECT_GT(a[mono.loudestBar()], 0.8f);
}

TEST(SpectrumDisplay, LoudToneDrawsAllZonesOverTheBackLines)
{
    Fixture f;
    f.w->DisplayArray(toneBlock(1000, 1.0, 8820));
    const int bar = f.loudestBar();
    const QImage img = f.image();
    ASSERT_EQ(img.size(), QSize(115, 81));
    const SpectrumLayout& l = f.w->layout();
    ASSERT_EQ(l.segmentCount(), 27);

    EXPECT_EQ(f.segmentColour(img, bar, 0), kGreen);
    EXPECT_EQ(f.segmentColour(img, bar, 18), kYellow);
    EXPECT_EQ(f.segmentColour(img, bar, 25), kRed);
    // The top bar hears nothing of 1 kHz: unlit segments in the dark colours.
    EXPECT_EQ(f.segmentColour(img, 16, 0), kDarkGreen);
    EXPECT_EQ(f.segmentColour(img, 16, 18), kOlive);
    EXPECT_EQ(f.segmentColour(img, 16, 26), kDarkRed);
    // Black between bars and between segments.
    EXPECT_EQ(img.pixelColor(l.column(bar).right() + 1, 80), kBlack);
    EXPECT_EQ(img.pixelColor(l.column(bar).center().x(), l.segment(bar, 0).top() - 1), kBlack);
    EXPECT_GT(count(img, kBlack), 0);
}

TEST(SpectrumDisplay, MidLevelStaysBelowTheHighZone)
{
    Fixture f;
    // -15 dB is three quarters of the 60 dB range: 20 of 27 segments.
    f.w->DisplayArray(toneBlock(1000, dbToAmplitude(-15), 8820));
    const QImage img = f.image();
    EXPECT_GT(count(img, kGreen), 0);
    EXPECT_GT(count(img, kYellow), 0);
    EXPECT_EQ(count(img, kRed), 0);
    EXPECT_GT(count(img, kDarkRed), 0);
}

TEST(SpectrumDisplay, PeakTicksHoldThenFall)
{
    Fixture f;
    f.now = 0;
    f.w->DisplayArray(toneBlock(1000, 1.0, 8820));
    const int bar = f.loudestBar();
    const float top = f.w->peaks()[bar];
    ASSERT_GT(top, 0.95f);
    f.now = 100;
    f.w->DisplayArray(silenceBlock(8820));

    f.now = 199;
    EXPECT_FLOAT_EQ(f.w->peaks()[bar], top);
    EXPECT_LT(f.w->levels()[bar], top - 0.15f);  // the bar fell meanwhile
    // The tick stays lit on top of unlit segments.
    QImage img = f.image();
    const int tick = f.w->layout().litSegments(top) - 1;
    EXPECT_EQ(f.segmentColour(img, bar, tick), kRed);
    EXPECT_EQ(f.segmentColour(img, bar, tick - 2), kDarkRed);

    f.now = 600;  // 400 ms of fall at one pixel (1/81) per 20 ms
    EXPECT_NEAR(f.w->peaks()[bar], top - 20.0f / 81, 1e-4f);
    EXPECT_LT(f.w->levels()[bar], f.w->peaks()[bar]);
    img = f.image();
    EXPECT_NE(f.segmentColour(img, bar, tick), kRed);

    f.now = 3000;
    for (float v : f.w->peaks()) EXPECT_EQ(v, 0.0f);

    f.w->setShowTicks(false);
    f.now = 4000;
    f.w->DisplayArray(toneBlock(1000, 1.0, 8820));
    f.now = 4199;
    EXPECT_NE(f.segmentColour(f.image(), bar, tick), kRed);
}

TEST(SpectrumDisplay, TickTimesComeFromTheProperties)
{
    Fixture f;
    f.w->setTickDelayTime(50);
    f.w->setTickReleaseTime(10);
    f.now = 0;
    f.w->DisplayArray(toneBlock(1000, 1.0, 8820));
    const int bar = f.loudestBar();
    const float top = f.w->peaks()[bar];
    f.now = 150;  // 100 ms after a 50 ms hold, 10 ms a pixel
    EXPECT_NEAR(f.w->peaks()[bar], top - 10.0f / 81, 1e-4f);
}

TEST(SpectrumDisplay, LineCountChangeRelaysTheBars)
{
    Fixture f;
    f.w->DisplayArray(toneBlock(1000, 1.0, 8820));
    EXPECT_EQ(barsOnRow(f.image(), 80), 17);
    f.w->setLineCount(8);
    EXPECT_EQ(f.w->layout().barCount(), 8);
    EXPECT_EQ(f.w->levels().size(), 8u);
    EXPECT_EQ(barsOnRow(f.image(), 80), 8);
    f.w->DisplayArray(toneBlock(8000, 1.0, 8820));
    EXPECT_EQ(f.loudestBar(), 7);
    f.w->setLineCount(0);
    EXPECT_EQ(f.w->lineCount(), 1);
    f.w->DisplayArray(toneBlock(8000, 1.0, 8820));
    EXPECT_EQ(barsOnRow(f.image(), 80), 1);
}

TEST(SpectrumDisplay, BorderOffsetAndAutoSize)
{
    Fixture f;
    f.w->setBorderStyle(1);
    f.w->setBorderWidth(2);
    f.w->setBorderColor(Qt::blue);
    f.w->setXPos(3);
    QImage img = f.image();
    EXPECT_EQ(img.pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(114, 80), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(1, 40), QColor(Qt::blue));
    EXPECT_EQ(f.w->layout().column(0).left(), 5);
    EXPECT_EQ(f.w->layout().column(16).right(), 112);
    EXPECT_EQ(img.pixelColor(5, 77), kDarkGreen);

    // Style 0 has no frame whatever the width.
    f.w->setBorderStyle(0);
    EXPECT_EQ(f.w->layout().column(0).left(), 3);

    Fixture g;
    g.w->setAutoSize(true);
    // 17 bars of 5 px and 16 gaps; 27 segments of 3 px less the last gap.
    EXPECT_EQ(g.w->size(), QSize(17 * 6 - 1, 27 * 3 - 1));
    for (int i = 0; i < 17; ++i) EXPECT_EQ(g.w->layout().column(i).width(), 5);
}

TEST(SpectrumDisplay, ContinuousBarsHaveNoSegmentGaps)
{
    Fixture f;
    f.w->setLineType(0);
    f.w->DisplayArray(toneBlock(1000, 1.0, 8820));
    const int bar = f.loudestBar();
    const QImage img = f.image();
    const int x = f.w->layout().column(bar).center().x();
    EXPECT_EQ(img.pixelColor(x, 78), kGreen);  // a gap row in the segmented look
    EXPECT_EQ(img.pixelColor(x, 2), kRed);
    EXPECT_EQ(img.pixelColor(f.w->layout().column(16).center().x(), 78), kDarkGreen);
}

TEST(SpectrumDisplay, BadBlocksDoNotDisturbTheDisplay)
{
    Fixture f;
    Block odd = toneBlock(1000, 1.0, 4100);
    odd.channels = 0;
    f.w->DisplayArray(odd);
    odd.channels = 3;  // 12300 samples over 3 channels, then one stray sample
    odd.samples.push_back(0.5f);
    odd.sampleRate = 0;
    f.w->DisplayArray(odd);
    for (float v : f.w->levels()) EXPECT_TRUE(v >= 0.0f && v <= 1.0f);
    EXPECT_GT(f.w->levels()[f.loudestBar()], 0.5f);
    (void)f.image();
}
