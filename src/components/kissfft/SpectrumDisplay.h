#pragma once
// The level display: LineCount spectrum bars drawn as LED segments, with peak
// ticks that hold and fall, fed with every recorded or played block.
//
// Property meanings where the names leave room:
//   BorderStyle    0 no border, any other value a solid BorderWidth frame
//   XPos, YPos     offset of the bars from the top-left inside the border
//   MidPoint,      where the mid and high colour zones begin, measured from
//   HighPoint      the top in 1/256ths of the bar height (see SpectrumLayout)
//   FFTWindowType  0 rectangular, 1 Hamming, 2 Hann, 3 Blackman,
//                  4 Blackman-Harris (others: Blackman)
//   FFTViewType    0 linear frequency scale, 1 (others) logarithmic
//   LineType       0 continuous bars, any other value LED segments
//   AutoSize       trims the widget to whole bars and segments, so no
//                  leftover pixel rows or columns remain
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
    Q_PROPERTY(int LineCount READ lineCount WRITE setLineCount)
    Q_PROPERTY(QColor BackColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor BorderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(int BorderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(int BorderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(QColor LineLowColor READ lineLowColor WRITE setLineLowColor)
    Q_PROPERTY(QColor LineMidColor READ lineMidColor WRITE setLineMidColor)
    Q_PROPERTY(QColor LineHighColor READ lineHighColor WRITE setLineHighColor)
    Q_PROPERTY(QColor BackLineLowColor READ backLineLowColor WRITE setBackLineLowColor)
    Q_PROPERTY(QColor BackLineMidColor READ backLineMidColor WRITE setBackLineMidColor)
    Q_PROPERTY(QColor BackLineHighColor READ backLineHighColor WRITE setBackLineHighColor)
    Q_PROPERTY(int TickDelayTime READ tickDelayTime WRITE setTickDelayTime)
    Q_PROPERTY(int TickReleaseTime READ tickReleaseTime WRITE setTickReleaseTime)
    Q_PROPERTY(int SpotHeight READ spotHeight WRITE setSpotHeight)
    Q_PROPERTY(int SpotInterval READ spotInterval WRITE setSpotInterval)
    Q_PROPERTY(int MidPoint READ midPoint WRITE setMidPoint)
    Q_PROPERTY(int HighPoint READ highPoint WRITE setHighPoint)
    Q_PROPERTY(int LineInterval READ lineInterval WRITE setLineInterval)
    Q_PROPERTY(int XPos READ xPos WRITE setXPos)
    Q_PROPERTY(int YPos READ yPos WRITE setYPos)
    Q_PROPERTY(bool AutoRepaint READ autoRepaint WRITE setAutoRepaint)
    Q_PROPERTY(bool ShowTicks READ showTicks WRITE setShowTicks)
    Q_PROPERTY(int FFTWindowType READ fftWindowType WRITE setFftWindowType)
    Q_PROPERTY(int FFTViewType READ fftViewType WRITE setFftViewType)
    Q_PROPERTY(int LineType READ lineType WRITE setLineType)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)

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
    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor& c) { setAndRepaint(backColor_, c); }
    QColor borderColor() const { return borderColor_; }
    void setBorderColor(const QColor& c) { setAndRepaint(borderColor_, c); }
    int borderStyle() const { return borderStyle_; }
    void setBorderStyle(int v) { setAndRelayout(borderStyle_, v); }
    int borderWidth() const { return borderWidth_; }
    void setBorderWidth(int v) { setAndRelayout(borderWidth_, std::max(v, 0)); }
    QColor lineLowColor() const { return lineColors_[0]; }
    void setLineLowColor(const QColor& c) { setAndRepaint(lineColors_[0], c); }
    QColor lineMidColor() const { return lineColors_[1]; }
    void setLineMidColor(const QColor& c) { setAndRepaint(lineColors_[1], c); }
    QColor lineHighColor() const { return lineColors_[2]; }
    void setLineHighColor(const QColor& c) { setAndRepaint(lineColors_[2], c); }
    QColor backLineLowColor() const { return backLineColors_[0]; }
    void setBackLineLowColor(const QColor& c) { setAndRepaint(backLineColors_[0], c); }
    QColor backLineMidColor() const { return backLineColors_[1]; }
    void setBackLineMidColor(const QColor& c) { setAndRepaint(backLineColors_[1], c); }
    QColor backLineHighColor() const { return backLineColors_[2]; }
    void setBackLineHighColor(const QColor& c) { setAndRepaint(backLineColors_[2], c); }
    int tickDelayTime() const { return tickDelayTime_; }
    void setTickDelayTime(int ms);
    int tickReleaseTime() const { return tickReleaseTime_; }
    void setTickReleaseTime(int ms);
    int spotHeight() const { return spotHeight_; }
    void setSpotHeight(int px) { setAndRelayout(spotHeight_, std::max(px, 1)); }
    int spotInterval() const { return spotInterval_; }
    void setSpotInterval(int px) { setAndRelayout(spotInterval_, std::max(px, 0)); }
    int midPoint() const { return midPoint_; }
    void setMidPoint(int v) { setAndRelayout(midPoint_, v); }
    int highPoint() const { return highPoint_; }
    void setHighPoint(int v) { setAndRelayout(highPoint_, v); }
    int lineInterval() const { return lineInterval_; }
    void setLineInterval(int px) { setAndRelayout(lineInterval_, std::max(px, 0)); }
    int xPos() const { return xPos_; }
    void setXPos(int px) { setAndRelayout(xPos_, px); }
    int yPos() const { return yPos_; }
    void setYPos(int px) { setAndRelayout(yPos_, px); }
    bool autoRepaint() const { return autoRepaint_; }
    void setAutoRepaint(bool on);
    bool showTicks() const { return showTicks_; }
    void setShowTicks(bool on) { setAndRepaint(showTicks_, on); }
    int fftWindowType() const { return analyzer_.window(); }
    void setFftWindowType(int type) { analyzer_.setWindow(type); }
    int fftViewType() const { return analyzer_.scale(); }
    void setFftViewType(int type) { analyzer_.setScale(type); }
    int lineType() const { return lineType_; }
    void setLineType(int type) { setAndRepaint(lineType_, type); }
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool on) { setAndRelayout(autoSize_, on); }

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
    template <typename T> void setAndRelayout(T& field, const T& value)
    {
        if (field == value) return;
        field = value;
        relayout();
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
