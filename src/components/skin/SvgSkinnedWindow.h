#pragma once
// The skin on one window: paints the form under the window's own children,
// tracks hover, presses and thumb drags, and reports them through the engine.
// It is a child object of the window, so it and its elements die with it.

#include "components/TSkin.h"
#include "components/skin/SkinDocument.h"

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

class QMouseEvent;
class QHelpEvent;
class QPaintEvent;
class QWidget;
class SvgSkinElement;

class SvgSkinnedWindow final : public QObject, public ISkinnedWindow {
    Q_OBJECT
public:
    SvgSkinnedWindow(TSkin& engine, QWidget& window);
    ~SvgSkinnedWindow() override;

    const TSkin* engine() const { return engine_; }
    // The same form again keeps the elements; another form replaces them.
    void applyForm(std::shared_ptr<const SkinDocument> doc, const SkinFormSpec& form);

    ISkinObject* ElementByName(const QString& name) override;

    void redraw(const QRectF& area);
    void enabledChanged(SvgSkinElement& element);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paint(QPaintEvent& event);
    bool press(QMouseEvent& event);
    bool release(QMouseEvent& event);
    void move(QMouseEvent& event);
    bool toolTip(QHelpEvent& event);
    void setHover(SvgSkinElement* element);
    SvgSkinElement* elementAt(QPointF at) const;
    // Emits through the engine; false when a handler destroyed this window.
    template <typename Emit> bool report(Emit&& emitSignal);

    QPointer<TSkin> engine_;
    QWidget& window_;
    std::shared_ptr<const SkinDocument> doc_;
    const SkinFormSpec* form_ = nullptr;
    std::vector<std::unique_ptr<SvgSkinElement>> elements_;
    SvgSkinElement* hover_ = nullptr;
    SvgSkinElement* pressed_ = nullptr;
    Qt::MouseButton pressButton_ = Qt::NoButton;
    bool dragging_ = false;
    int generation_ = 0;  // counts element rebuilds, which a handler may cause
};
