// The keyboard on a skinned window: the focus among the form's elements, its
// mark, the keys that press and move them, and the skin file's shortcuts.

#include "components/skin/SvgSkinnedWindow.h"

#include "components/skin/SkinAccessible.h"
#include "components/skin/SvgSkin.h"
#include "components/skin/SvgSkinElement.h"
#include "platform/ErrorBoundary.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace {

constexpr int kBarStep = 20;  // a fiftieth of the bar
constexpr int kBarPage = 98;  // a tenth
const QKeySequence kNextWindow(Qt::Key_F6);

Qt::KeyboardModifiers modifiersOf(const QKeyEvent& event)
{
    return event.modifiers() & ~Qt::KeypadModifier;
}

bool isPressKey(const QKeyEvent& event)
{
    const int key = event.key();
    return modifiersOf(event) == Qt::NoModifier
           && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter);
}

// Where a key moves a bar from position, or -1 for a key that bars leave alone.
int barTarget(int key, int position)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        return std::max(0, position - kBarStep);
    case Qt::Key_Right:
    case Qt::Key_Up:
        return std::min(ISkinScrollBar::kMaxPosition, position + kBarStep);
    case Qt::Key_PageDown:
        return std::max(0, position - kBarPage);
    case Qt::Key_PageUp:
        return std::min(ISkinScrollBar::kMaxPosition, position + kBarPage);
    case Qt::Key_Home:
        return 0;
    case Qt::Key_End:
        return ISkinScrollBar::kMaxPosition;
    default:
        return -1;
    }
}

QRectF markArea(const SvgSkinElement& e)
{
    return e.area().adjusted(-3, -3, 3, 3);
}

}  // namespace

bool SvgSkinnedWindow::focusable(const SvgSkinElement& element) const
{
    return std::find(focusChain_.begin(), focusChain_.end(), &element) != focusChain_.end();
}

// Keys that the window's children pass up to it are not the elements'.
bool SvgSkinnedWindow::claimsKey(const QKeyEvent& event) const
{
    return focus_ != nullptr && window_.hasFocus() && isPressKey(event);
}

bool SvgSkinnedWindow::keyPress(QKeyEvent& event)
{
    if (focusChain_.empty() || !window_.hasFocus()) return false;
    if (!focusVisible_ && focus_ != nullptr) redraw(markArea(*focus_));
    focusVisible_ = true;
    const Qt::KeyboardModifiers modifiers = modifiersOf(event);
    const int key = event.key();
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !(modifiers & (Qt::ControlModifier | Qt::AltModifier)))
        return moveFocus(key == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier));
    if (focus_ == nullptr) return false;
    if (isPressKey(event)) {
        if (!event.isAutoRepeat() && keyPress_ == nullptr && focus_->ElementEnabled()) {
            keyPress_ = focus_;
            keyPressKey_ = key;
            redraw(focus_->area());
            SkinAccessible::pressedChanged(*focus_);
        }
        return true;
    }
    if (modifiers != Qt::NoModifier) return false;
    if (focus_->draggable()) {
        const int target = barTarget(key, focus_->BarPosition());
        if (target >= 0) {
            moveBar(*focus_, target);
            return true;
        }
    }
    // Arrows move along the elements like a toolbar, without leaving the window.
    const bool back = key == Qt::Key_Left || key == Qt::Key_Up;
    if (!back && key != Qt::Key_Right && key != Qt::Key_Down) return false;
    const auto at = std::find(focusChain_.begin(), focusChain_.end(), focus_);
    const auto enabled = [](SvgSkinElement* e) { return e->ElementEnabled(); };
    if (back) {
        const auto before = std::find_if(std::make_reverse_iterator(at), focusChain_.rend(), enabled);
        if (before != focusChain_.rend()) setFocusElement(*before);
    } else if (at != focusChain_.end()) {
        const auto after = std::find_if(std::next(at), focusChain_.end(), enabled);
        if (after != focusChain_.end()) setFocusElement(*after);
    }
    return true;
}

bool SvgSkinnedWindow::keyRelease(QKeyEvent& event)
{
    if (keyPress_ == nullptr || event.key() != keyPressKey_) return false;
    if (event.isAutoRepeat()) return true;
    SvgSkinElement* e = keyPress_;
    keyPress_ = nullptr;
    redraw(e->area());
    SkinAccessible::pressedChanged(*e);
    pressElement(*e);
    return true;
}

bool SvgSkinnedWindow::moveFocus(bool forward)
{
    // Past the last element the window's own children take their turn, if it has any.
    const auto childrenTakeFocus = [this] {
        int guard = 0;
        for (QWidget* w = window_.nextInFocusChain(); w != nullptr && w != &window_ && ++guard < 10000;
             w = w->nextInFocusChain()) {
            if (w->window() == &window_ && w->isVisibleTo(&window_) && w->isEnabled()
                && (w->focusPolicy() & Qt::TabFocus))
                return true;
        }
        return false;
    };
    const auto step = [&](auto begin, auto end) {
        const auto enabled = [](SvgSkinElement* e) { return e->ElementEnabled(); };
        const auto at = std::find(begin, end, focus_);
        auto to = std::find_if(at == end ? begin : std::next(at), end, enabled);
        if (to == end) {
            if (childrenTakeFocus()) return false;
            to = std::find_if(begin, end, enabled);
            if (to == end) return false;
        }
        setFocusElement(*to);
        return true;
    };
    return forward ? step(focusChain_.begin(), focusChain_.end()) : step(focusChain_.rbegin(), focusChain_.rend());
}

void SvgSkinnedWindow::focusIn(QFocusEvent& event)
{
    SvgSkinElement* to = focus_;
    const auto firstEnabled = [](auto begin, auto end) -> SvgSkinElement* {
        const auto at = std::find_if(begin, end, [](SvgSkinElement* e) { return e->ElementEnabled(); });
        return at == end ? nullptr : *at;
    };
    if (event.reason() == Qt::TabFocusReason) {
        to = firstEnabled(focusChain_.begin(), focusChain_.end());
        focusVisible_ = true;
    } else if (event.reason() == Qt::BacktabFocusReason) {
        to = firstEnabled(focusChain_.rbegin(), focusChain_.rend());
        focusVisible_ = true;
    } else if (to == nullptr) {
        to = firstEnabled(focusChain_.begin(), focusChain_.end());
    }
    setFocusElement(to);
    if (focus_ != nullptr) redraw(markArea(*focus_));
    announceFocus();
}

void SvgSkinnedWindow::takeFocusIfNoneHasIt()
{
    // Once Qt has placed the focus of the activated window, if anywhere.
    QTimer::singleShot(0, this, [this] {
        if (!focusChain_.empty() && window_.isActiveWindow() && window_.focusWidget() == nullptr)
            window_.setFocus(Qt::ActiveWindowFocusReason);
    });
}

void SvgSkinnedWindow::focusOut()
{
    if (SvgSkinElement* e = keyPress_) {
        // A key held when the focus left presses nothing.
        keyPress_ = nullptr;
        redraw(e->area());
        SkinAccessible::pressedChanged(*e);
    }
    if (focus_ != nullptr) redraw(markArea(*focus_));
}

void SvgSkinnedWindow::setFocusElement(SvgSkinElement* element)
{
    if (element == focus_) return;
    if (focus_ != nullptr) redraw(markArea(*focus_));
    focus_ = element;
    if (focus_ == nullptr) return;
    redraw(markArea(*focus_));
    if (window_.hasFocus()) announceFocus();
}

// After the window's own focus news, which Qt sends once its focus-in is handled.
void SvgSkinnedWindow::announceFocus()
{
    QTimer::singleShot(0, this, [this] {
        if (focus_ != nullptr && window_.hasFocus()) SkinAccessible::focused(*focus_);
    });
}

void SvgSkinnedWindow::paintFocus(QPainter& painter) const
{
    if (!focusVisible_ || focus_ == nullptr || !window_.hasFocus()) return;
    painter.save();
    painter.setPen(QPen(form_->focusColor, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(focus_->area().adjusted(-2, -2, 2, 2), 5, 5);
    painter.restore();
}

void SvgSkinnedWindow::makeShortcuts()
{
    for (const QPointer<QShortcut>& s : shortcuts_) delete s.data();
    shortcuts_.clear();
    bool nextWindowTaken = false;
    const auto add = [&](const QKeySequence& key, auto slot) {
        auto* s = new QShortcut(key, &window_);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, ErrorBoundary::guarded(slot));
        shortcuts_.push_back(s);
        nextWindowTaken = nextWindowTaken || key == kNextWindow;
    };
    for (const SkinFormSpec& f : doc_->forms())
        for (const SkinElementSpec& e : f.elements)
            for (const QKeySequence& key : e.keys) add(key, [this, name = e.name] { shortcut(name); });
    for (const SkinFormSpec::Key& k : form_->keys) add(k.key, [this, name = k.element] { shortcut(name); });
    if (!nextWindowTaken) add(kNextWindow, [this] { nextWindow(); });
}

// A shortcut presses its element in whichever shown window of the engine has it.
void SvgSkinnedWindow::shortcut(const QString& elementName)
{
    SvgSkinnedWindow* target = element(elementName) != nullptr ? this : nullptr;
    if (target == nullptr && engine_) {
        for (SvgSkinnedWindow* w : engine_->skinnedWindows())
            if (w->element(elementName) != nullptr) target = w;
    }
    if (target == nullptr || !target->window_.isVisible()) return;
    target->pressElement(*target->element(elementName));
}

// The docked windows are one face to the eye; F6 takes the keyboard across.
void SvgSkinnedWindow::nextWindow()
{
    if (!engine_) return;
    const std::vector<SvgSkinnedWindow*> windows = engine_->skinnedWindows();
    const auto at = std::find(windows.begin(), windows.end(), this);
    if (at == windows.end() || windows.size() < 2) return;
    SvgSkinnedWindow* next = std::next(at) == windows.end() ? windows.front() : *std::next(at);
    next->window_.raise();
    next->window_.activateWindow();
}

QList<QKeySequence> SvgSkinnedWindow::keysOf(const SvgSkinElement& element) const
{
    QList<QKeySequence> keys = element.spec().keys;
    if (form_ == nullptr) return keys;
    for (const SkinFormSpec::Key& k : form_->keys)
        if (k.element == element.ElementName()) keys << k.key;
    return keys;
}

QString SvgSkinnedWindow::toolTipOf(const SvgSkinElement& element) const
{
    const QString& tip = element.spec().tip;
    const QList<QKeySequence> keys = keysOf(element);
    if (tip.isEmpty() || keys.isEmpty()) return tip;
    return QStringLiteral("%1 (%2)").arg(tip, keys.first().toString(QKeySequence::NativeText));
}
