#include "components/kissfft/SpectrumDisplay.h"

#include "platform/ErrorBoundary.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>

#include <cmath>
#include <memory>

SpectrumDisplay::SpectrumDisplay(QWidget* parent)
    : TAudioVisualizationEx2(parent), animation_(new QTimer(this))
{
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    clock_ = [started] { return int64_t(started->elapsed()); };
    animation_->setInterval(kFrameMs);
    connect(animation_, &QTimer::timeout, this, ErrorBoundary::guarded(this, &SpectrumDisplay::animate));
    setAttribute(Qt::WA_OpaquePaintEvent);
    dynamics_.setBarCount(lineCount_);
    dynamics_.setTickTiming(tickDelayTime_, tickReleaseTime_);
    resize(sizeHint());
    relayout();
}

SpectrumDisplay::~SpectrumDisplay() = default;

QSize SpectrumDisplay::sizeHint() const
{
    return QSize(115, 81);
}

void SpectrumDisplay::setClock(Clock clock)
{
    if (clock) clock_ = std::move(clock);
}

void SpectrumDisplay::DisplayArray(const Block& block)
{
    const int64_t now = clock_();
    analyzer_.analyze(block, lineCount_, bandLevels_);
    dynamics_.feed(bandLevels_, now);
    if (!autoRepaint_) return;
    update();
    if (!dynamics_.idle(now) && !animation_->isActive()) animation_->start();
}

void SpectrumDisplay::clear()
{
    dynamics_.clear();
    animation_->stop();
    if (autoRepaint_) update();
}

std::vector<float> SpectrumDisplay::levels() const
{
    const int64_t now = clock_();
    std::vector<float> out(lineCount_);
    for (int i = 0; i < lineCount_; ++i) out[i] = dynamics_.level(i, now);
    return out;
}

std::vector<float> SpectrumDisplay::peaks() const
{
    const int64_t now = clock_();
    std::vector<float> out(lineCount_);
    for (int i = 0; i < lineCount_; ++i) out[i] = dynamics_.peak(i, now);
    return out;
}

void SpectrumDisplay::setLineCount(int count)
{
    count = std::clamp(count, 1, kMaxLineCount);
    if (count == lineCount_) return;
    lineCount_ = count;
    // Bars of the old count stand for other frequencies: start afresh.
    dynamics_.setBarCount(count);
    relayout();
}

void SpectrumDisplay::setTickDelayTime(int ms)
{
    tickDelayTime_ = std::max(ms, 0);
    dynamics_.setTickTiming(tickDelayTime_, tickReleaseTime_);
}

void SpectrumDisplay::setTickReleaseTime(int ms)
{
    tickReleaseTime_ = ms;
    dynamics_.setTickTiming(tickDelayTime_, tickReleaseTime_);
}

QRect SpectrumDisplay::barArea() const
{
    const int fw = frameWidth();
    return QRect(fw + xPos_, fw + yPos_, width() - 2 * fw - xPos_, height() - 2 * fw - yPos_);
}

void SpectrumDisplay::relayout()
{
    if (autoSize_) {
        const QRect a = barArea();
        const int step = spotHeight_ + spotInterval_;
        const int barWidth = std::max(1, (a.width() + lineInterval_) / lineCount_ - lineInterval_);
        const int segments = std::max(1, (a.height() + spotInterval_) / step);
        const QSize trimmed(width() - a.width() + lineCount_ * (barWidth + lineInterval_) - lineInterval_,
                            height() - a.height() + segments * step - spotInterval_);
        if (trimmed != size()) resize(trimmed);
    }
    SpectrumLayout::Params p;
    p.area = barArea();
    p.bars = lineCount_;
    p.barGap = lineInterval_;
    p.spotHeight = spotHeight_;
    p.spotGap = spotInterval_;
    p.midPoint = midPoint_;
    p.highPoint = highPoint_;
    layout_ = SpectrumLayout(p);
    dropFaces();
    // A falling tick moves one pixel per release step, however tall the segments.
    dynamics_.setTickStep(p.area.height() > 0 ? 1.0f / float(p.area.height()) : 1.0f);
    if (autoRepaint_) update();
}

void SpectrumDisplay::resizeEvent(QResizeEvent* event)
{
    TAudioVisualizationEx2::resizeEvent(event);
    relayout();
}

void SpectrumDisplay::hideEvent(QHideEvent* event)
{
    animation_->stop();
    TAudioVisualizationEx2::hideEvent(event);
}

void SpectrumDisplay::animate()
{
    update();
    if (dynamics_.idle(clock_())) animation_->stop();
}

// The bars only ever show each pixel in its lit or its unlit colour, so both
// looks are drawn once and each frame copies the lit parts over the unlit one:
// a few blits instead of a fill per segment, since this runs at every block.
void SpectrumDisplay::renderFace(QImage& image, bool lit) const
{
    const qreal ratio = devicePixelRatioF();
    image = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    QPainter p(&image);
    p.fillRect(rect(), backColor_);
    const int fw = frameWidth();
    if (fw > 0) {
        const QRect r = rect();
        p.fillRect(QRect(0, 0, r.width(), fw), borderColor_);
        p.fillRect(QRect(0, r.height() - fw, r.width(), fw), borderColor_);
        p.fillRect(QRect(0, 0, fw, r.height()), borderColor_);
        p.fillRect(QRect(r.width() - fw, 0, fw, r.height()), borderColor_);
    }
    const QColor* colors = lit ? lineColors_ : backLineColors_;
    const QRect area = barArea();
    for (int bar = 0; bar < layout_.barCount(); ++bar) {
        const QRect column = layout_.column(bar);
        if (column.isEmpty()) continue;
        if (lineType_ != 0) {
            for (int s = 0; s < layout_.segmentCount(); ++s)
                p.fillRect(layout_.segment(bar, s), colors[layout_.zoneOfSegment(s)]);
            continue;
        }
        for (int y = area.top(); y <= area.bottom(); ++y)
            p.fillRect(QRect(column.left(), y, column.width(), 1), colors[layout_.zoneOfRow(y)]);
    }
}

void SpectrumDisplay::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    if (unlitFace_.isNull() || unlitFace_.size() != size() * ratio) {
        renderFace(unlitFace_, false);
        renderFace(litFace_, true);
    }
    QPainter p(this);
    p.drawImage(0, 0, unlitFace_);
    const auto copyLit = [&](const QRect& r) {
        if (r.isEmpty()) return;
        p.drawImage(QRectF(r), litFace_,
                    QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
    };

    const int64_t now = clock_();
    const QRect area = barArea();
    for (int bar = 0; bar < layout_.barCount(); ++bar) {
        const QRect column = layout_.column(bar);
        if (column.isEmpty()) continue;
        const float level = dynamics_.level(bar, now);
        const float peak = showTicks_ ? dynamics_.peak(bar, now) : 0.0f;
        if (lineType_ != 0) {
            const int lit = layout_.litSegments(level);
            if (lit > 0) {
                const int top = layout_.segment(bar, lit - 1).top();
                copyLit(QRect(column.left(), top, column.width(), area.bottom() - top + 1));
            }
            copyLit(layout_.segment(bar, layout_.litSegments(peak) - 1));
            continue;
        }
        const int h = area.height();
        const int litRows = int(std::lround(std::clamp(level, 0.0f, 1.0f) * h));
        copyLit(QRect(column.left(), area.bottom() - litRows + 1, column.width(), litRows));
        if (peak > 0) {
            const int tickRow = area.bottom() - int(std::lround(std::min(peak, 1.0f) * h)) + 1;
            copyLit(QRect(column.left(), tickRow, column.width(), spotHeight_) & column);
        }
    }
}
