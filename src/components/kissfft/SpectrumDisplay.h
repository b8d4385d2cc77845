#pragma once
// The level display: LineCount spectrum bars drawn as LED segments, with peak
// ticks that hold and fall, fed with every recorded or played block.
//
// The look is fixed below; what may change is the bar count, the colours of
// the low zone, the tick timing and the line type (0 continuous bars, any
// other value LED segments). The mid and high colour zones begin at midPoint_
// and highPoint_, from the top in 1/256ths of the bar height (see SpectrumLayout).
// A bar falls from full height in LevelDynamics::kBarFallMs; a tick holds for
// TickDelayTime and then falls one pixel per TickReleaseTime.
// Bars span 40 Hz to 16 kHz (or the Nyquist frequency) and the top 60 dB
// below a full-scale sine.

#include "components/TAudioVisualizationEx2.h"
#include "components/kissfft/LevelDynamics.h"
#include "components/kissfft/SpectrumAnalyzer.h"
#include "components/kissfft/SpectrumLayout.h"

#include <QColor>
#include <QImage>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

class QTimer;

class SpectrumDisplay : public TAudioVisualizationEx2 {
    Q_OBJECT

public:
    // Milliseconds on a monotonic clock; tests replace it to drive time.
    using Clock = std::function<int64_t()>;
    static constexpr int kMaxLineCount = 256;
    static constexpr int kFrameMs = 25;  // animation step while bars fall

    explicit SpectrumDisplay(QWidget* parent = nullptr);
    ~SpectrumDisplay() override;

    void DisplayArray(const Block& block) override;
    // Drops every bar and tick at once (after a recording or playback ends).
    void clear();

    void setClock(Clock clock);
    // Bar heights and tick positions (0..1) as they stand now.
    std::vector<float> levels() const;
    std::vector<float> peaks() const;
    const SpectrumLayout& layout() const { return layout_; }
    QSize sizeHint() const override;

    int lineCount() const override { return lineCount_; }
    void setLineCount(int count) override;
    QColor lineLowColor() const { return lineColors_[0]; }
    void setLineLowColor(const QColor& c) { setAndRepaint(lineColors_[0], c); }
    QColor backLineLowColor() const { return backLineColors_[0]; }
    void setBackLineLowColor(const QColor& c) { setAndRepaint(backLineColors_[0], c); }
    int tickDelayTime() const { return tickDelayTime_; }
    void setTickDelayTime(int ms);
    int tickReleaseTime() const { return tickReleaseTime_; }
    void setTickReleaseTime(int ms);
    bool showTicks() const { return showTicks_; }
    void setShowTicks(bool on) { setAndRepaint(showTicks_, on); }
    int lineType() const { return lineType_; }
    void setLineType(int type) { setAndRepaint(lineType_, type); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    template <typename T> void setAndRepaint(T& field, const T& value)
    {
        if (field == value) return;
        field = value;
        dropFaces();
        if (autoRepaint_) update();
    }
    void relayout();
    void animate();
    void renderFace(QImage& image, bool lit) const;
    void dropFaces() { unlitFace_ = litFace_ = QImage(); }
    QRect barArea() const;
    int frameWidth() const { return borderStyle_ != 0 ? borderWidth_ : 0; }

    int lineCount_ = 17;
    QColor backColor_ = Qt::black;
    QColor borderColor_ = Qt::black;
    int borderStyle_ = 0;
    int borderWidth_ = 0;
    QColor lineColors_[3] = {QColor(0x00, 0xFF, 0x00), QColor(0xFF, 0xFF, 0x00),
                             QColor(0xFF, 0x00, 0x00)};
    QColor backLineColors_[3] = {QColor(0x00, 0x55, 0x00), QColor(0x55, 0x55, 0x00),
                                 QColor(0x55, 0x00, 0x00)};
    int tickDelayTime_ = 200;
    int tickReleaseTime_ = 20;
    int spotHeight_ = 2;
    int spotInterval_ = 1;
    int midPoint_ = 100;
    int highPoint_ = 60;
    int lineInterval_ = 1;
    int xPos_ = 0;
    int yPos_ = 0;
    bool autoRepaint_ = true;
    bool showTicks_ = true;
    int lineType_ = 4;
    bool autoSize_ = false;

    SpectrumAnalyzer analyzer_;
    LevelDynamics dynamics_;
    SpectrumLayout layout_{SpectrumLayout::Params{}};
    std::vector<float> bandLevels_;
    Clock clock_;
    QTimer* animation_ = nullptr;
    // The whole display with every bar unlit and with every bar lit.
    QImage unlitFace_, litFace_;
};
