#include "components/skin/SvgSkinnedWindow.h"

#include "components/skin/SkinAccessible.h"
#include "components/skin/SvgSkin.h"
#include "components/skin/SvgSkinElement.h"
#include "platform/ErrorBoundary.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QShortcut>
#include <QToolTip>
#include <QWidget>
#include <algorithm>

SvgSkinnedWindow::SvgSkinnedWindow(SvgSkin& engine, QWidget& window)
    : QObject(&window), engine_(&engine), window_(window)
{
    window.installEventFilter(this);
    SkinAccessible::adopt(window);
}

SvgSkinnedWindow::~SvgSkinnedWindow()
{
    // The keys go with the skin, whichever of the window's children goes first.
    for (const QPointer<QShortcut>& s : shortcuts_) delete s.data();
}

const TSkin* SvgSkinnedWindow::engine() const { return engine_.data(); }

void SvgSkinnedWindow::applyForm(std::shared_ptr<const SkinDocument> doc, const SkinFormSpec& form)
{
    hover_ = nullptr;
    if (doc != doc_ || &form != form_) {
        // Elements refer into the document, so they go before it does; a
        // press held on one of them goes too, as there is nothing left to release.
        presses_.clear();
        dragging_ = false;
        focusChain_.clear();
        focus_ = keyPress_ = nullptr;
        elements_.clear();
        ++generation_;
        doc_ = std::move(doc);
        form_ = &form;
        for (const SkinElementSpec& spec : form.elements)
            elements_.push_back(std::make_unique<SvgSkinElement>(*this, *doc_, form, spec));
        for (const QString& name : form.focusOrder)
            if (SvgSkinElement* e = element(name)) focusChain_.push_back(e);
        makeShortcuts();
    }
    if (!focusChain_.empty()) window_.setFocusPolicy(Qt::StrongFocus);
    window_.setFixedSize(form.size);
    window_.setMouseTracking(true);
    window_.update();
}

ISkinObject* SvgSkinnedWindow::ElementByName(const QString& name)
{
    return element(name);
}

SvgSkinElement* SvgSkinnedWindow::element(const QString& name) const
{
    for (const auto& e : elements_)
        if (e->ElementName() == name) return e.get();
    return nullptr;
}

void SvgSkinnedWindow::redraw(const QRectF& area)
{
    window_.update(area.toAlignedRect().adjusted(-1, -1, 1, 1));
}

void SvgSkinnedWindow::enabledChanged(SvgSkinElement& element)
{
    // A press stays paired with its release, but a disabled bar stops following.
    if (!element.ElementEnabled() && leftPress() == &element) dragging_ = false;
    if (!element.ElementEnabled() && keyPress_ == &element) keyPress_ = nullptr;
    redraw(element.area());
    SkinAccessible::enabledChanged(element);
}

bool SvgSkinnedWindow::hasFocus(const SvgSkinElement& element) const
{
    return focus_ == &element && window_.hasFocus();
}

bool SvgSkinnedWindow::pressed(const SvgSkinElement& element) const
{
    return leftPress() == &element || keyPress_ == &element;
}

bool SvgSkinnedWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_ || form_ == nullptr || passing_) return false;
    QPointer<SvgSkinnedWindow> self(this);
    const bool consumed = ErrorBoundary::guardOr(false, [&] { return filter(*event); });
    // Even after an error the window's own handlers see the press or release,
    // so their state stays paired too; a window a handler destroyed sees nothing.
    return consumed || self.isNull();
}

bool SvgSkinnedWindow::filter(QEvent& event)
{
    switch (event.type()) {
    case QEvent::Paint:
        paint(static_cast<QPaintEvent&>(event));
        return false;
    // A widget gets a double click's second press as this event alone; the window's
    // own double-click handler passes it on to its press handler.
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return press(static_cast<QMouseEvent&>(event));
    case QEvent::MouseButtonRelease:
        return release(static_cast<QMouseEvent&>(event));
    case QEvent::MouseMove:
        return move(static_cast<QMouseEvent&>(event));
    case QEvent::Leave:
        setHover(nullptr);
        return false;
    case QEvent::ToolTip:
        return toolTip(static_cast<QHelpEvent&>(event));
    case QEvent::KeyPress:
        return keyPress(static_cast<QKeyEvent&>(event));
    case QEvent::KeyRelease:
        return keyRelease(static_cast<QKeyEvent&>(event));
    case QEvent::ShortcutOverride:
        // Space and Return on a focused element are its, not a shortcut's.
        if (claimsKey(static_cast<QKeyEvent&>(event))) event.accept();
        return false;
    case QEvent::FocusIn:
        focusIn(static_cast<QFocusEvent&>(event));
        return false;
    case QEvent::FocusOut:
        focusOut();
        return false;
    case QEvent::WindowActivate:
        takeFocusIfNoneHasIt();
        return false;
    default:
        return false;
    }
}

void SvgSkinnedWindow::paint(QPaintEvent& event)
{
    QPainter painter(&window_);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing
                           | QPainter::SmoothPixmapTransform);
    const QRectF dirty = event.rect();
    for (const auto& e : elements_) {
        if (!e->area().intersects(dirty)) continue;
        auto look = SvgSkinElement::Look::Normal;
        if ((leftPress() == e.get() && (hover_ == e.get() || dragging_)) || keyPress_ == e.get())
            look = SvgSkinElement::Look::Pressed;
        else if (hover_ == e.get() && presses_.empty())
            look = SvgSkinElement::Look::Hover;
        e->paint(painter, look);
    }
    paintFocus(painter);
}

template <typename Emit>
bool SvgSkinnedWindow::report(Emit&& emitSignal)
{
    QPointer<SvgSkinnedWindow> self(this);
    if (engine_) ErrorBoundary::guard([&] { emitSignal(*engine_); });
    return !self.isNull();
}

bool SvgSkinnedWindow::press(QMouseEvent& event)
{
    const Qt::MouseButton button = event.button();
    // A press of a button counted as still held lost its release (the window
    // was hidden, or a modal box took it); it is ended before the new one.
    if (!endPresses(event, event.buttons() & ~button)) return true;
    const QPointF at = event.position();
    SvgSkinElement* e = elementAt(at);
    if (e == nullptr) return false;
    presses_.push_back({e, button});
    focusVisible_ = false;
    if (focusable(*e)) setFocusElement(e);
    if (button == Qt::LeftButton && e->ElementEnabled()) {
        if (e->draggable()) {
            e->beginDrag(at);
            dragging_ = true;
        }
        redraw(e->area());
    }
    // The window's own handlers see the press after the element's event.
    return !report([&](TSkin& s) { emit s.OnMouseDown(e, int(button), qRound(at.x()), qRound(at.y())); });
}

bool SvgSkinnedWindow::release(QMouseEvent& event)
{
    const Qt::MouseButton button = event.button();
    if (!endPresses(event, event.buttons() | button)) return true;
    const auto held = std::find_if(presses_.begin(), presses_.end(),
                                   [&](const Press& p) { return p.button == button; });
    if (held == presses_.end()) return false;
    SvgSkinElement* e = held->element;
    presses_.erase(held);
    const QPointF at = event.position();
    // A thumb drag counts wherever it ends; a button only when let go on it.
    bool click = false;
    if (button == Qt::LeftButton) {
        if (dragging_) e->dragTo(at);
        click = e->ElementEnabled() && (dragging_ || elementAt(at) == e);
        dragging_ = false;
    }
    redraw(e->area());
    setHover(elementAt(at));

    const int generation = generation_;
    if (!report([&](TSkin& s) { emit s.OnMouseUp(e, int(button), qRound(at.x()), qRound(at.y())); }))
        return true;
    if (!click || generation != generation_) return false;
    return !this->click(*e);
}

bool SvgSkinnedWindow::click(SvgSkinElement& element)
{
    const int generation = generation_;
    if (!report([&](TSkin& s) { emit s.OnClick(&element); })) return false;
    if (generation != generation_) return true;
    QPointer<SvgSkinnedWindow> self(this);
    if (element.ElementName() == QLatin1String("min"))
        window_.showMinimized();
    else if (element.ElementName() == QLatin1String("close"))
        window_.close();
    return !self.isNull();
}

bool SvgSkinnedWindow::pressElement(SvgSkinElement& element)
{
    if (!element.ElementEnabled() || !element.interactive()) return true;
    // The same events in the same order as a click of the mouse, so a press
    // from the keyboard leaves the program's mouse state as a click does.
    const QPoint at = element.area().center().toPoint();
    const int generation = generation_;
    if (!report([&](TSkin& s) { emit s.OnMouseDown(&element, Qt::NoButton, at.x(), at.y()); })) return false;
    if (!passToWindow(QEvent::MouseButtonPress, at)) return false;
    if (generation != generation_) return true;
    if (!report([&](TSkin& s) { emit s.OnMouseUp(&element, Qt::NoButton, at.x(), at.y()); })) return false;
    if (generation != generation_) return true;
    if (element.ElementEnabled() && !click(element)) return false;
    return passToWindow(QEvent::MouseButtonRelease, at);
}

bool SvgSkinnedWindow::moveBar(SvgSkinElement& element, int position)
{
    if (!element.draggable()) return true;
    element.SetBarPosition(position);
    element.RedrawElement();
    return pressElement(element);
}

bool SvgSkinnedWindow::passToWindow(QEvent::Type type, QPoint at)
{
    QPointer<SvgSkinnedWindow> self(this);
    QMouseEvent event(type, at, window_.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    passing_ = true;
    ErrorBoundary::guard([&] { QCoreApplication::sendEvent(&window_, &event); });
    if (self.isNull()) return false;
    passing_ = false;
    return true;
}

bool SvgSkinnedWindow::move(QMouseEvent& event)
{
    if (!endPresses(event, event.buttons())) return true;
    const QPointF at = event.position();
    if (SvgSkinElement* e = leftPress(); e != nullptr && dragging_) {
        e->dragTo(at);
        redraw(e->area());
    }
    setHover(elementAt(at));
    return false;
}

bool SvgSkinnedWindow::endPresses(QMouseEvent& event, Qt::MouseButtons held)
{
    const QPointF at = event.position();
    // Looked up afresh each time: a handler may have replaced the elements.
    for (;;) {
        const auto lost = std::find_if(presses_.begin(), presses_.end(),
                                       [&](const Press& p) { return !held.testFlag(p.button); });
        if (lost == presses_.end()) return true;
        const Press p = *lost;
        presses_.erase(lost);
        if (p.button == Qt::LeftButton) dragging_ = false;
        redraw(p.element->area());
        if (!report([&](TSkin& s) {
                emit s.OnMouseUp(p.element, int(p.button), qRound(at.x()), qRound(at.y()));
            }))
            return false;
    }
}

SvgSkinElement* SvgSkinnedWindow::leftPress() const
{
    for (const Press& p : presses_)
        if (p.button == Qt::LeftButton) return p.element;
    return nullptr;
}

bool SvgSkinnedWindow::toolTip(QHelpEvent& event)
{
    const SvgSkinElement* e = elementAt(event.pos());
    const QString tip = e != nullptr ? toolTipOf(*e) : QString();
    if (tip.isEmpty()) return false;
    QToolTip::showText(event.globalPos(), tip, &window_, e->area().toAlignedRect());
    return true;
}

void SvgSkinnedWindow::setHover(SvgSkinElement* element)
{
    if (hover_ == element) return;
    if (hover_ != nullptr) redraw(hover_->area());
    hover_ = element;
    if (hover_ != nullptr) redraw(hover_->area());
}

SvgSkinElement* SvgSkinnedWindow::elementAt(QPointF at) const
{
    // Later elements are drawn on top, so they take the mouse first.
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it)
        if ((*it)->interactive() && (*it)->area().contains(at)) return it->get();
    return nullptr;
}
