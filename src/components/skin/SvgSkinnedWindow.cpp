#include "components/skin/SvgSkinnedWindow.h"

#include "components/skin/SvgSkinElement.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <QWidget>

SvgSkinnedWindow::SvgSkinnedWindow(TSkin& engine, QWidget& window)
    : QObject(&window), engine_(&engine), window_(window)
{
    window.installEventFilter(this);
}

SvgSkinnedWindow::~SvgSkinnedWindow() = default;

void SvgSkinnedWindow::applyForm(std::shared_ptr<const SkinDocument> doc, const SkinFormSpec& form)
{
    hover_ = pressed_ = nullptr;
    dragging_ = false;
    pressButton_ = Qt::NoButton;
    if (doc != doc_ || &form != form_) {
        // Elements refer into the document, so they go before it does.
        elements_.clear();
        ++generation_;
        doc_ = std::move(doc);
        form_ = &form;
        for (const SkinElementSpec& spec : form.elements)
            elements_.push_back(std::make_unique<SvgSkinElement>(*this, *doc_, form, spec));
    }
    window_.setFixedSize(form.size);
    window_.setMouseTracking(true);
    window_.update();
}

ISkinObject* SvgSkinnedWindow::ElementByName(const QString& name)
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
    if (!element.ElementEnabled() && pressed_ == &element) dragging_ = false;
    redraw(element.area());
}

bool SvgSkinnedWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_ || form_ == nullptr) return false;
    switch (event->type()) {
    case QEvent::Paint:
        paint(*static_cast<QPaintEvent*>(event));
        return false;
    case QEvent::MouseButtonPress:  // a double click's press came before its own event
        return press(*static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        return release(*static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
        move(*static_cast<QMouseEvent*>(event));
        return false;
    case QEvent::Leave:
        setHover(nullptr);
        return false;
    case QEvent::ToolTip:
        return toolTip(*static_cast<QHelpEvent*>(event));
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
        const bool held = pressed_ == e.get() && pressButton_ == Qt::LeftButton;
        if (held && (hover_ == e.get() || dragging_))
            look = SvgSkinElement::Look::Pressed;
        else if (hover_ == e.get() && pressed_ == nullptr)
            look = SvgSkinElement::Look::Hover;
        e->paint(painter, look);
    }
}

template <typename Emit>
bool SvgSkinnedWindow::report(Emit&& emitSignal)
{
    QPointer<SvgSkinnedWindow> self(this);
    if (engine_) emitSignal(*engine_);
    return !self.isNull();
}

bool SvgSkinnedWindow::press(QMouseEvent& event)
{
    const QPointF at = event.position();
    SvgSkinElement* e = elementAt(at);
    if (e == nullptr) return false;
    const Qt::MouseButton button = event.button();
    // With no other button held, an earlier press lost its release (the
    // window was hidden, or a popup took it), so it no longer counts.
    if (event.buttons() == button) {
        pressed_ = nullptr;
        dragging_ = false;
    }
    if (pressed_ == nullptr) {
        pressed_ = e;
        pressButton_ = button;
        if (button == Qt::LeftButton && e->ElementEnabled()) {
            if (e->draggable()) {
                e->beginDrag(at);
                dragging_ = true;
            }
            redraw(e->area());
        }
    }
    // The window's own handlers see the press after the element's event.
    return !report([&](TSkin& s) { emit s.OnMouseDown(e, int(button), qRound(at.x()), qRound(at.y())); });
}

bool SvgSkinnedWindow::release(QMouseEvent& event)
{
    if (pressed_ == nullptr || event.button() != pressButton_) return false;
    SvgSkinElement* e = pressed_;
    const QPointF at = event.position();
    if (dragging_) e->dragTo(at);
    // A thumb drag counts wherever it ends; a button only when let go on it.
    const bool click = pressButton_ == Qt::LeftButton && e->ElementEnabled()
                       && (dragging_ || elementAt(at) == e);
    const int button = int(pressButton_);
    pressed_ = nullptr;
    pressButton_ = Qt::NoButton;
    dragging_ = false;
    redraw(e->area());
    setHover(elementAt(at));

    const int generation = generation_;
    if (!report([&](TSkin& s) { emit s.OnMouseUp(e, button, qRound(at.x()), qRound(at.y())); }))
        return true;
    if (!click || generation != generation_) return false;
    if (!report([&](TSkin& s) { emit s.OnClick(e); })) return true;
    if (generation != generation_) return false;
    QPointer<SvgSkinnedWindow> self(this);
    if (e->ElementName() == QLatin1String("min"))
        window_.showMinimized();
    else if (e->ElementName() == QLatin1String("close"))
        window_.close();
    return self.isNull();
}

void SvgSkinnedWindow::move(QMouseEvent& event)
{
    const QPointF at = event.position();
    if (dragging_ && pressed_ != nullptr) {
        pressed_->dragTo(at);
        redraw(pressed_->area());
    }
    setHover(elementAt(at));
}

bool SvgSkinnedWindow::toolTip(QHelpEvent& event)
{
    const SvgSkinElement* e = elementAt(event.pos());
    if (e == nullptr || e->spec().tip.isEmpty()) return false;
    QToolTip::showText(event.globalPos(), e->spec().tip, &window_, e->area().toAlignedRect());
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
