#include "components/kissfft/SpectrumLayout.h"

#include <algorithm>
#include <cmath>

SpectrumLayout::SpectrumLayout(const Params& p) : p_(p)
{
    p_.barGap = std::max(p_.barGap, 0);
    p_.spotHeight = std::max(p_.spotHeight, 1);
    p_.spotGap = std::max(p_.spotGap, 0);
    const int n = std::max(p_.bars, 0);
    const int w = std::max(p_.area.width(), 0);
    // Spread the leftover pixels over the bars so the display is filled
    // edge to edge.
    columns_.reserve(n);
    for (int i = 0; i < n; ++i) {
        const int left = int(int64_t(i) * (w + p_.barGap) / n);
        const int next = int(int64_t(i + 1) * (w + p_.barGap) / n);
        columns_.emplace_back(p_.area.left() + left, std::max(next - left - p_.barGap, 0));
    }
    const int h = std::max(p_.area.height(), 0);
    segments_ = (h + p_.spotGap) / (p_.spotHeight + p_.spotGap);
}

QRect SpectrumLayout::column(int i) const
{
    if (i < 0 || i >= barCount()) return {};
    return QRect(columns_[i].first, p_.area.top(), columns_[i].second, p_.area.height());
}

QRect SpectrumLayout::segment(int bar, int s) const
{
    const QRect c = column(bar);
    if (c.isEmpty() || s < 0 || s >= segments_) return {};
    const int bottom = p_.area.top() + p_.area.height() - s * (p_.spotHeight + p_.spotGap);
    return QRect(c.left(), bottom - p_.spotHeight, c.width(), p_.spotHeight);
}

SpectrumLayout::Zone SpectrumLayout::zoneAt(double fromTop) const
{
    const double v = fromTop * kZoneScale;
    if (v < p_.highPoint) return High;
    if (v < p_.midPoint) return Mid;
    return Low;
}

SpectrumLayout::Zone SpectrumLayout::zoneOfSegment(int s) const
{
    if (segments_ <= 0) return Low;
    return zoneAt(1.0 - (s + 0.5) / segments_);
}

SpectrumLayout::Zone SpectrumLayout::zoneOfRow(int y) const
{
    const int h = p_.area.height();
    if (h <= 0) return Low;
    return zoneAt((y - p_.area.top() + 0.5) / h);
}

int SpectrumLayout::litSegments(float level) const
{
    if (!(level > 0)) return 0;
    return std::clamp(int(std::lround(std::min(level, 1.0f) * segments_)), 0, segments_);
}
