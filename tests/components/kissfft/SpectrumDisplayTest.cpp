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
    Fixture() { w->setClock([this] { return now; }); }
    QImage image() const { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    int loudestBar() const
    {
        const auto v = w->levels();
        return int(std::max_element(v.begin(), v.end()) - v.begin());
    }
    QColor colour(const QImage& img, int bar, int segment) const
    {
        return img.pixelColor(w->layout().segment(bar, segment).center());
    }
};

int count(const QImage& img, const QColor& c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) == c;
    return n;
}

}  // namespace

TEST(SpectrumDisplay, BarsFollowTheToneClearAndTheLineCount)
{
    // Which bar a tone lights: SpectrumAnalyzerTest.
    Fixture f;
    f.w->DisplayArray(toneBlock(8000, 0.9, 4100));
    EXPECT_GT(f.w->levels()[f.loudestBar()], 0.9f);
    f.w->clear();
    for (float v : f.w->levels()) EXPECT_EQ(v, 0.0f);

    // A new line count relays the bars; none is taken as one.
    f.w->setLineCount(8);
    EXPECT_EQ(f.w->levels().size(), 8u);
    f.w->DisplayArray(toneBlock(8000, 1.0, 8820));
    EXPECT_EQ(f.loudestBar(), 7);
    f.w->setLineCount(0);
    f.w->DisplayArray(toneBlock(8000, 1.0, 8820));
    EXPECT_EQ(f.w->levels().size(), 1u);
}

TEST(SpectrumDisplay, RendersZonesInTheirColours)
{
    Fixture silent;
    silent.w->DisplayArray(silenceBlock(8820));
    QImage img = silent.image();
    ASSERT_EQ(img.size(), QSize(115, 81));
    for (const QColor& bright : {kGreen, kYellow, kRed}) EXPECT_EQ(count(img, bright), 0);

    Fixture f;
    f.w->DisplayArray(toneBlock(1000, 1.0, 8820));
    const int bar = f.loudestBar();
    img = f.image();
    EXPECT_EQ(f.colour(img, bar, 0), kGreen);
    EXPECT_EQ(f.colour(img, bar, 18), kYellow);
    EXPECT_EQ(f.colour(img, bar, 25), kRed);
    // The top bar hears nothing of 1 kHz: unlit segments in the dark colours.
    EXPECT_EQ(f.colour(img, 16, 0), kDarkGreen);
    EXPECT_EQ(f.colour(img, 16, 18), kOlive);
    EXPECT_EQ(f.colour(img, 16, 26), kDarkRed);
    EXPECT_EQ(img.pixelColor(f.w->layout().column(bar).right() + 1, 80), kBlack);

    // Continuous bars fill the rows the segmented look leaves black.
    f.w->setLineType(0);
    img = f.image();
    EXPECT_EQ(img.pixelColor(f.w->layout().column(bar).center().x(), 78), kGreen);
}

TEST(SpectrumDisplay, PeakTicksHoldThenFallOnTheirProperties)
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
    const int tick = f.w->layout().litSegments(top) - 1;
    QImage img = f.image();
    EXPECT_EQ(f.colour(img, bar, tick), kRed);  // lit on top of unlit segments
    EXPECT_EQ(f.colour(img, bar, tick - 2), kDarkRed);

    f.now = 600;  // 400 ms of fall at one pixel (1/81) per 20 ms
    EXPECT_NEAR(f.w->peaks()[bar], top - 20.0f / 81, 1e-4f);
    EXPECT_NE(f.colour(f.image(), bar, tick), kRed);

    f.w->setShowTicks(false);
    f.now = 4000;
    f.w->DisplayArray(toneBlock(1000, 1.0, 8820));
    f.now = 4199;
    EXPECT_NE(f.colour(f.image(), bar, tick), kRed);

    f.w->setTickDelayTime(50);
    f.w->setTickReleaseTime(10);
    f.now = 5000;
    f.w->DisplayArray(toneBlock(1000, 1.0, 8820));
    const float again = f.w->peaks()[bar];
    f.now = 5150;  // 100 ms after a 50 ms hold, 10 ms a pixel
    EXPECT_NEAR(f.w->peaks()[bar], again - 10.0f / 81, 1e-4f);
}

// Every segment shows lit or unlit as its bar and tick say, and a colour,
// size or look changed after a frame was drawn shows on the next one.
TEST(SpectrumDisplay, EverySegmentMatchesItsLevelAcrossPropertyChanges)
{
    Fixture f;
    f.w->show();  // a hidden widget redraws from scratch at every grab
    f.w->DisplayArray(toneBlock(700, 1.0, 8820));
    f.w->DisplayArray(toneBlock(3000, 0.3, 8820));
    const auto check = [&](const QColor& lowLit, const QColor& lowUnlit) {
        const QImage img = f.image();
        const SpectrumLayout& layout = f.w->layout();
        const auto levels = f.w->levels();
        const auto peaks = f.w->peaks();
        int lit = 0;
        for (int bar = 0; bar < layout.barCount(); ++bar) {
            const int litCount = layout.litSegments(levels[bar]);
            const int tick = layout.litSegments(peaks[bar]) - 1;
            for (int s = 0; s < layout.segmentCount(); ++s) {
                if (layout.zoneOfSegment(s) != SpectrumLayout::Low) continue;
                const bool on = s < litCount || s == tick;
                lit += on;
                ASSERT_EQ(f.colour(img, bar, s), on ? lowLit : lowUnlit) << "bar " << bar << " segment " << s;
            }
        }
        EXPECT_GT(lit, 0);
    };
    check(kGreen, kDarkGreen);
    f.w->setLineLowColor(Qt::blue);
    f.w->setBackLineLowColor(Qt::white);
    check(Qt::blue, Qt::white);
    f.w->resize(200, 120);
    ASSERT_EQ(f.image().size(), QSize(200, 120));
    check(Qt::blue, Qt::white);

    f.w->setLineType(0);
    const QRect column = f.w->layout().column(f.loudestBar());
    const QImage img = f.image();
    EXPECT_EQ(img.pixelColor(column.center().x(), column.bottom()), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(column.center().x(), column.top()), kDarkRed);
}
