#include "components/skin/SkinAccessible.h"

#include "components/skin/SvgSkinElement.h"
#include "components/skin/SvgSkinnedWindow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

SvgSkinnedWindow* skinOf(const QWidget* window)
{
    return window->findChild<SvgSkinnedWindow*>(QString(), Qt::FindDirectChildrenOnly);
}

// Faces are artwork and panels grips: neither is anything to a listener.
bool shown(const SvgSkinElement& e)
{
    return e.spec().kind != SkinKind::Face && e.spec().kind != SkinKind::Panel;
}

// One per element, kept by Qt's cache under its id until the element goes.
class ElementAccessible final : public QAccessibleInterface,
                                public QAccessibleActionInterface,
                                public QAccessibleValueInterface {
public:
    explicit ElementAccessible(SvgSkinElement& e) : window_(&e.skinnedWindow()), element_(&e) {}

    bool isValid() const override { return !window_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_ ? window_->window().windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return window_ ? QAccessible::queryAccessibleInterface(&window_->window()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid()) return {};
        switch (t) {
        case QAccessible::Name:
            return element_->accessibleName();
        case QAccessible::Description:
            return element_->spec().tip != element_->spec().label ? element_->spec().tip : QString();
        case QAccessible::Accelerator: {
            const QList<QKeySequence> keys = window_->keysOf(*element_);
            return keys.isEmpty() ? QString() : keys.first().toString(QKeySequence::NativeText);
        }
        case QAccessible::Value:
            return bar() ? QString::number(element_->BarPosition()) : QString();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid()) return {};
        const QRect area = element_->area().toAlignedRect();
        return QRect(window_->window().mapToGlobal(area.topLeft()), area.size());
    }

    QAccessible::Role role() const override
    {
        switch (element_->spec().kind) {
        case SkinKind::Button:
            return QAccessible::Button;
        case SkinKind::Text:
            return QAccessible::StaticText;
        case SkinKind::ScrollBar:
            return QAccessible::Slider;
        case SkinKind::Progress:
            return QAccessible::ProgressBar;
        default:
            return QAccessible::Pane;
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const QWidget& w = window_->window();
        s.invisible = !w.isVisible();
        s.disabled = !element_->ElementEnabled();
        s.focusable = window_->focusable(*element_);
        s.focused = window_->hasFocus(*element_);
        s.pressed = window_->pressed(*element_);
        s.readOnly = element_->spec().kind == SkinKind::Text || element_->spec().kind == SkinKind::Progress;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        const SkinKind kind = element_->spec().kind;
        if (type == QAccessible::ActionInterface && (kind == SkinKind::Button || kind == SkinKind::ScrollBar))
            return static_cast<QAccessibleActionInterface*>(this);
        if (type == QAccessible::ValueInterface && element_->ScrollBarFacet() != nullptr)
            return static_cast<QAccessibleValueInterface*>(this);
        return nullptr;
    }

    QStringList actionNames() const override
    {
        if (!isValid() || !element_->ElementEnabled()) return {};
        if (element_->spec().kind == SkinKind::Button) return {pressAction()};
        if (element_->draggable()) return {increaseAction(), decreaseAction()};
        return {};
    }

    QStringList keyBindingsForAction(const QString& action) const override
    {
        QStringList keys;
        if (isValid() && action == pressAction())
            for (const QKeySequence& k : window_->keysOf(*element_)) keys << k.toString(QKeySequence::NativeText);
        return keys;
    }

    // Later, from the event loop: a press may open a modal window, and the
    // screen reader waits for the answer to its call.
    void doAction(const QString& action) override
    {
        if (!actionNames().contains(action)) return;
        const int step = action == increaseAction() ? 20 : action == decreaseAction() ? -20 : 0;
        later([step](SvgSkinnedWindow& w, SvgSkinElement& e) {
            if (step == 0) w.pressElement(e);
            else w.moveBar(e, e.BarPosition() + step);
        });
    }

    QVariant currentValue() const override { return isValid() ? element_->BarPosition() : 0; }
    void setCurrentValue(const QVariant& value) override
    {
        if (!isValid() || !element_->draggable()) return;
        const int position = value.toInt();
        later([position](SvgSkinnedWindow& w, SvgSkinElement& e) { w.moveBar(e, position); });
    }
    QVariant maximumValue() const override { return ISkinScrollBar::kMaxPosition; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 20; }

private:
    bool bar() const { return element_->ScrollBarFacet() != nullptr; }

    // Found again by name: the element may be gone by then.
    template <typename Act> void later(Act act) const
    {
        QTimer::singleShot(0, window_, [window = window_, name = element_->ElementName(), act] {
            if (!window) return;
            if (SvgSkinElement* e = window->element(name)) act(*window, *e);
        });
    }

    QPointer<SvgSkinnedWindow> window_;
    SvgSkinElement* element_;
};

QHash<const SvgSkinElement*, QAccessible::Id>& ids()
{
    static QHash<const SvgSkinElement*, QAccessible::Id> map;
    return map;
}

QAccessibleInterface* interfaceOf(SvgSkinElement& e)
{
    QAccessible::Id& id = ids()[&e];
    if (QAccessibleInterface* known = id != 0 ? QAccessible::accessibleInterface(id) : nullptr) return known;
    auto* made = new ElementAccessible(e);
    id = QAccessible::registerAccessibleInterface(made);
    return made;
}

// The window, its elements first in drawing order, then its child widgets.
class WindowAccessible final : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Window) {}

    int childCount() const override { return int(elements().size()) + QAccessibleWidget::childCount(); }

    QAccessibleInterface* child(int index) const override
    {
        const std::vector<SvgSkinElement*> own = elements();
        if (index >= 0 && index < int(own.size())) return interfaceOf(*own[size_t(index)]);
        return QAccessibleWidget::child(index - int(own.size()));
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const std::vector<SvgSkinElement*> own = elements();
        for (size_t i = 0; i < own.size(); ++i)
            if (ids().value(own[i]) != 0 && QAccessible::accessibleInterface(ids().value(own[i])) == child)
                return int(i);
        const int widget = QAccessibleWidget::indexOfChild(child);
        return widget < 0 ? -1 : widget + int(own.size());
    }

    // Child widgets lie on top of the skin.
    QAccessibleInterface* childAt(int x, int y) const override
    {
        if (QAccessibleInterface* widget = QAccessibleWidget::childAt(x, y)) return widget;
        const QPointF at = widget()->mapFromGlobal(QPoint(x, y));
        const std::vector<SvgSkinElement*> own = elements();
        for (auto it = own.rbegin(); it != own.rend(); ++it)
            if ((*it)->area().contains(at)) return interfaceOf(**it);
        return nullptr;
    }

    QAccessibleInterface* focusChild() const override
    {
        SvgSkinnedWindow* skin = skinOf(widget());
        if (skin != nullptr && widget()->hasFocus() && skin->focusElement() != nullptr)
            return interfaceOf(*skin->focusElement());
        return QAccessibleWidget::focusChild();
    }

private:
    std::vector<SvgSkinElement*> elements() const
    {
        std::vector<SvgSkinElement*> own;
        if (SvgSkinnedWindow* skin = skinOf(widget()))
            for (const auto& e : skin->elements())
                if (shown(*e)) own.push_back(e.get());
        return own;
    }
};

QAccessibleInterface* factory(const QString&, QObject* object)
{
    auto* w = qobject_cast<QWidget*>(object);
    if (w == nullptr || !w->isWindow() || skinOf(w) == nullptr) return nullptr;
    return new WindowAccessible(w);
}

void send(SvgSkinElement& e, QAccessible::Event type)
{
    if (!QAccessible::isActive() || !shown(e)) return;
    QAccessibleEvent event(interfaceOf(e), type);
    QAccessible::updateAccessibility(&event);
}

void sendState(SvgSkinElement& e, void (*mark)(QAccessible::State&))
{
    if (!QAccessible::isActive() || !shown(e)) return;
    QAccessible::State changed;
    mark(changed);
    QAccessibleStateChangeEvent event(interfaceOf(e), changed);
    QAccessible::updateAccessibility(&event);
}

}  // namespace

namespace SkinAccessible {

void adopt(QWidget& window)
{
    static const bool installed = (QAccessible::installFactory(factory), true);
    (void)installed;
    // An interface made for the window before it wore the skin knows no elements.
    QAccessibleInterface* known = QAccessible::queryAccessibleInterface(&window);
    if (known != nullptr && dynamic_cast<WindowAccessible*>(known) == nullptr)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(known));
}

void forget(const SvgSkinElement& element)
{
    const QAccessible::Id id = ids().take(&element);
    if (id != 0 && QAccessible::accessibleInterface(id) != nullptr) QAccessible::deleteAccessibleInterface(id);
}

void focused(SvgSkinElement& element) { send(element, QAccessible::Focus); }

void nameChanged(SvgSkinElement& element) { send(element, QAccessible::NameChanged); }

void valueChanged(SvgSkinElement& element)
{
    if (!QAccessible::isActive() || !shown(element)) return;
    QAccessibleValueChangeEvent event(interfaceOf(element), element.BarPosition());
    QAccessible::updateAccessibility(&event);
}

void enabledChanged(SvgSkinElement& element)
{
    sendState(element, [](QAccessible::State& s) { s.disabled = true; });
}

void pressedChanged(SvgSkinElement& element)
{
    sendState(element, [](QAccessible::State& s) { s.pressed = true; });
}

}  // namespace SkinAccessible
