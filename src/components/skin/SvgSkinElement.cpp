#include "components/skin/SvgSkinElement.h"

#include "components/skin/SkinAccessible.h"
#include "components/skin/SvgSkinnedWindow.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kDisabledOpacity = 0.38;
}

SvgSkinElement::SvgSkinElement(SvgSkinnedWindow& window, const SkinDocument& doc,
                               const SkinFormSpec& form, const SkinElementSpec& spec)
    : window_(window), doc_(doc), form_(form), spec_(spec)
{
    place_ = doc.place(form, spec.name);
    area_ = place_;
    const QString box = part(".box");
    textBox_ = doc.has(box) ? doc.place(form, box) : place_;
    font_.setFamilies(spec.fontFamilies);
    font_.setPixelSize(spec.fontPixels);
    font_.setWeight(QFont::Weight(spec.fontWeight));
    if (ScrollBarFacet() == nullptr) return;

    const QString track = part(".track"), thumb = part(".thumb");
    track_ = doc.has(track) ? doc.place(form, track) : place_;
    if (doc.has(thumb)) {
        thumbRest_ = doc.place(form, thumb);
    } else if (spec.kind == SkinKind::ScrollBar) {
        const double d = std::max(12.0, track_.height() + 6);
        thumbRest_ = QRectF(track_.left() - d / 2, track_.center().y() - d / 2, d, d);
    }
    area_ = area_.united(track_);
    if (thumbRest_.isEmpty()) return;
    // The thumb's centre runs the whole track, so it overhangs both ends.
    const double w = thumbRest_.width();
    area_ = area_.united(
        QRectF(track_.left() - w / 2, thumbRest_.top(), track_.width() + w, thumbRest_.height()));
}

SvgSkinElement::~SvgSkinElement()
{
    SkinAccessible::forget(*this);
}

QString SvgSkinElement::accessibleName() const
{
    if (spec_.kind != SkinKind::Text) return spec_.label;
    // A caption is a few words and a colon, never a number such as a time.
    static const QRegularExpression caption(QStringLiteral(R"(^[^\d:]{1,24}:\s*)"));
    const QString value = QString(text_).remove(caption).trimmed();
    return value.isEmpty() ? spec_.label : spec_.label + QLatin1Char(' ') + value;
}

ISkinText* SvgSkinElement::TextFacet()
{
    return spec_.kind == SkinKind::Text ? this : nullptr;
}

ISkinScrollBar* SvgSkinElement::ScrollBarFacet()
{
    const bool bar = spec_.kind == SkinKind::ScrollBar || spec_.kind == SkinKind::Progress;
    return bar ? this : nullptr;
}

void SvgSkinElement::SetElementEnabled(bool enabled)
{
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    window_.enabledChanged(*this);
}

void SvgSkinElement::SetElementText(const QString& text)
{
    if (text == text_) return;
    text_ = text;
    stale_ = true;
}

// The program redraws its texts and bar at every timer tick; only a change
// since the last redraw is worth rendering the artwork again.
void SvgSkinElement::RedrawElement()
{
    if (!stale_) return;
    stale_ = false;
    window_.redraw(area_);
    if (spec_.kind == SkinKind::Text)
        SkinAccessible::nameChanged(*this);
    else if (ScrollBarFacet() != nullptr)
        SkinAccessible::valueChanged(*this);
}

void SvgSkinElement::SetBarPosition(int position)
{
    position = std::clamp(position, 0, kMaxPosition);
    if (position == position_) return;
    position_ = position;
    stale_ = true;
}

double SvgSkinElement::thumbCentre() const
{
    return track_.left() + track_.width() * position_ / kMaxPosition;
}

QRectF SvgSkinElement::thumbRect() const
{
    return thumbRest_.translated(thumbCentre() - thumbRest_.center().x(), 0);
}

void SvgSkinElement::beginDrag(QPointF at)
{
    grip_ = thumbRect().contains(at) ? at.x() - thumbCentre() : 0.0;
    dragTo(at);
}

void SvgSkinElement::dragTo(QPointF at)
{
    const double share = (at.x() - grip_ - track_.left()) / track_.width();
    position_ = std::clamp(int(std::lround(share * kMaxPosition)), 0, kMaxPosition);
}

void SvgSkinElement::paint(QPainter& painter, Look look) const
{
    switch (spec_.kind) {
    case SkinKind::Face:
    case SkinKind::Panel:
        doc_.render(painter, form_, spec_.name);
        break;
    case SkinKind::Button:
        paintButton(painter, look);
        break;
    case SkinKind::Text:
        doc_.render(painter, form_, spec_.name);
        paintText(painter);
        break;
    case SkinKind::ScrollBar:
    case SkinKind::Progress:
        paintBar(painter);
        break;
    }
}

void SvgSkinElement::paintButton(QPainter& painter, Look look) const
{
    // A look the file does not draw falls back: pressed to hover to normal,
    // disabled to a faded normal.
    QString id = part(".normal");
    double opacity = 1.0;
    if (!enabled_) {
        if (doc_.has(part(".disabled")))
            id = part(".disabled");
        else
            opacity = kDisabledOpacity;
    } else if (look == Look::Pressed && doc_.has(part(".pressed"))) {
        id = part(".pressed");
    } else if (look != Look::Normal && doc_.has(part(".hover"))) {
        id = part(".hover");
    }
    painter.save();
    painter.setOpacity(opacity);
    doc_.render(painter, form_, id);
    painter.restore();
}

void SvgSkinElement::paintText(QPainter& painter) const
{
    if (text_.isEmpty()) return;
    painter.save();
    painter.setFont(font_);
    painter.setPen(enabled_ ? spec_.color : spec_.disabledColor);
    const QFontMetricsF metrics(font_, painter.device());
    const QString shown = metrics.elidedText(text_, spec_.elide, textBox_.width());
    painter.drawText(textBox_, int(spec_.align) | Qt::TextSingleLine, shown);
    painter.restore();
}

void SvgSkinElement::paintBar(QPainter& painter) const
{
    painter.save();
    if (!enabled_) painter.setOpacity(kDisabledOpacity);
    const double radius = track_.height() / 2;
    if (doc_.has(part(".track"))) {
        doc_.render(painter, form_, part(".track"));
    } else {
        QColor groove = spec_.fillColor;
        groove.setAlphaF(0.25f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(groove);
        painter.drawRoundedRect(track_, radius, radius);
    }
    const double centre = thumbCentre();
    if (position_ > 0) {
        painter.save();
        painter.setClipRect(QRectF(area_.left(), area_.top(), centre - area_.left(), area_.height()),
                            Qt::IntersectClip);
        if (doc_.has(part(".fill"))) {
            doc_.render(painter, form_, part(".fill"));
        } else {
            painter.setPen(Qt::NoPen);
            painter.setBrush(spec_.fillColor);
            painter.drawRoundedRect(track_, radius, radius);
        }
        painter.restore();
    }
    if (doc_.has(part(".thumb"))) {
        doc_.render(painter, form_, part(".thumb"), QPointF(centre - thumbRest_.center().x(), 0));
    } else if (!thumbRest_.isEmpty()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(spec_.thumbColor);
        painter.drawEllipse(thumbRect());
    }
    painter.restore();
}
