#pragma once
// Where the level display draws: the bar columns across the drawing area and
// the LED segments up each column, with the colour zone of every segment.
//
// Zones: midPoint and highPoint are distances from the top of a column in
// 1/256ths of its height. With the defaults (100, 60) the top 60/256 (about
// 23 %) is the high zone, the next 40/256 (about 16 %) the mid zone and the
// rest the low zone. A highPoint above midPoint leaves no mid zone.

#include <QRect>

#include <vector>

class SpectrumLayout {
public:
    enum Zone { Low = 0, Mid = 1, High = 2 };
    static constexpr int kZoneScale = 256;

    struct Params {
        QRect area;           // inside the border
        int bars = 17;
        int barGap = 1;       // LineInterval
        int spotHeight = 2;   // SpotHeight
        int spotGap = 1;      // SpotInterval
        int midPoint = 100;
        int highPoint = 60;
    };

    explicit SpectrumLayout(const Params& p);

    int barCount() const { return int(columns_.size()); }
    // Column of bar i (full height of the area); empty when it has no width.
    QRect column(int i) const;
    int segmentCount() const { return segments_; }
    // Segment s of bar i, counted from the bottom.
    QRect segment(int bar, int s) const;
    Zone zoneOfSegment(int s) const;
    // Zone of a pixel row y inside the area (for continuous bars).
    Zone zoneOfRow(int y) const;
    // Segments lit by a level of 0..1.
    int litSegments(float level) const;

private:
    Zone zoneAt(double fromTop) const;

    Params p_;
    std::vector<std::pair<int, int>> columns_;  // left, width
    int segments_ = 0;
};
