#pragma once
// The skin on one window: paints the form under the window's own children,
// tracks hover, presses and thumb drags, and reports them through the engine.
// It is a child object of the window, so it and its elements die with it.
//
// The keyboard reaches the form's focus order: Tab and Shift+Tab move the
// focus (on to the window's own children after the last element), Space and
// Return press the focused element, arrow keys move a focused bar. A press
// from the keyboard, a shortcut or a screen reader reports what a click of
// the mouse on the element reports, with button 0, so that the program
// cannot tell them apart.

#include "components/TSkin.h"
#include "components/skin/SkinDocument.h"

#include <QEvent>
#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

class QFocusEvent;
class QHelpEvent;
class QKeyEvent;
class QMouseEvent;
class QPaintEvent;
class QPainter;
class QShortcut;
class QWidget;
class SvgSkin;
class SvgSkinElement;

class SvgSkinnedWindow final : public QObject, public ISkinnedWindow {
    Q_OBJECT
public:
    SvgSkinnedWindow(SvgSkin& engine, QWidget& window);
    ~SvgSkinnedWindow() override;

    const TSkin* engine() const;
    // The same form again keeps the elements; another form replaces them.
    void applyForm(std::shared_ptr<const SkinDocument> doc, const SkinFormSpec& form);

    ISkinObject* ElementByName(const QString& name) override;

    QWidget& window() const { return window_; }
    const SkinFormSpec* form() const { return form_; }
    const std::vector<std::unique_ptr<SvgSkinElement>>& elements() const { return elements_; }
    SvgSkinElement* element(const QString& name) const;

    void redraw(const QRectF& area);
    void enabledChanged(SvgSkinElement& element);

    // What a screen reader is told about an element.
    bool focusable(const SvgSkinElement& element) const;
    bool hasFocus(const SvgSkinElement& element) const;
    bool pressed(const SvgSkinElement& element) const;
    // Where the keyboard is in this window, whether or not the window has it.
    SvgSkinElement* focusElement() const { return focus_; }
    // The tooltip: the tip and the first shortcut that reaches the element here.
    QString toolTipOf(const SvgSkinElement& element) const;
    // Every key that reaches the element from this window.
    QList<QKeySequence> keysOf(const SvgSkinElement& element) const;

    // Presses the element as a click does; false when a handler destroyed
    // this window. A disabled element is not pressed.
    bool pressElement(SvgSkinElement& element);
    // Moves an enabled scroll bar and reports it as a click at that place.
    bool moveBar(SvgSkinElement& element, int position);

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
    void paintFocus(QPainter& painter) const;
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
    // OnClick, then the engine's own "min" and "close".
    bool click(SvgSkinElement& element);
    // The window's own mouse handler, as after an element event.
    bool passToWindow(QEvent::Type type, QPoint at);

    // Keyboard (SvgSkinnedWindowKeys.cpp).
    bool keyPress(QKeyEvent& event);
    bool keyRelease(QKeyEvent& event);
    bool claimsKey(const QKeyEvent& event) const;
    void focusIn(QFocusEvent& event);
    void focusOut();
    // Qt gives an activated window's focus only to its children.
    void takeFocusIfNoneHasIt();
    void setFocusElement(SvgSkinElement* element);
    // False when the window's own children come next in the Tab chain.
    bool moveFocus(bool forward);
    void makeShortcuts();
    void shortcut(const QString& elementName);
    void nextWindow();
    void announceFocus();

    QPointer<SvgSkin> engine_;
    QWidget& window_;
    std::shared_ptr<const SkinDocument> doc_;
    const SkinFormSpec* form_ = nullptr;
    std::vector<std::unique_ptr<SvgSkinElement>> elements_;
    SvgSkinElement* hover_ = nullptr;
    // Each press reported gets exactly one release reported, per button.
    std::vector<Press> presses_;
    bool dragging_ = false;  // the left press drags its thumb
    int generation_ = 0;  // counts element rebuilds, which a handler may cause
    bool passing_ = false;  // a press made here is on its way to the window

    std::vector<SvgSkinElement*> focusChain_;
    SvgSkinElement* focus_ = nullptr;
    bool focusVisible_ = false;  // shown once the keyboard is used, hidden by the mouse
    SvgSkinElement* keyPress_ = nullptr;  // held down by Space or Return
    int keyPressKey_ = 0;
    std::vector<QPointer<QShortcut>> shortcuts_;  // children of the window
};
