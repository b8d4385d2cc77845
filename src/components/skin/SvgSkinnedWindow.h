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
    // A button held down since its press on an element.
    struct Press {
        SvgSkinElement* element;
        Qt::MouseButton button;
    };

    bool filter(QEvent& event);
    void paint(QPaintEvent& event);
    bool press(QMouseEvent& event);
    bool release(QMouseEvent& event);
    bool move(QMouseEvent& event);
    // Ends, with their OnMouseUp, the presses whose button is not in held.
    bool endPresses(QMouseEvent& event, Qt::MouseButtons held);
    SvgSkinElement* leftPress() const;
    bool toolTip(QHelpEvent& event);
    void setHover(SvgSkinElement* element);
    SvgSkinElement* elementAt(QPointF at) const;
    // Emits through the engine, inside the error boundary so that a failing
    // handler cannot break the pairing; false when a handler destroyed this window.
    template <typename Emit> bool report(Emit&& emitSignal);

    QPointer<TSkin> engine_;
    QWidget& window_;
    std::shared_ptr<const SkinDocument> doc_;
    const SkinFormSpec* form_ = nullptr;
    std::vector<std::unique_ptr<SvgSkinElement>> elements_;
    SvgSkinElement* hover_ = nullptr;
    // Each press reported gets exactly one release reported, per button.
    std::vector<Press> presses_;
    bool dragging_ = false;  // the left press drags its thumb
    int generation_ = 0;  // counts element rebuilds, which a handler may cause
};
