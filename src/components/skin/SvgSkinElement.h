#pragma once
// One named element of a skinned window: its facets, its state and its look.

#include "components/TSkin.h"
#include "components/skin/SkinDocument.h"

#include <QFont>

class SvgSkinnedWindow;

class SvgSkinElement final : public ISkinObject,
                             public ISkinText,
                             public ISkinCommon,
                             public ISkinScrollBar {
public:
    enum class Look { Normal, Hover, Pressed };

    SvgSkinElement(SvgSkinnedWindow& window, const SkinDocument& doc, const SkinFormSpec& form,
                   const SkinElementSpec& spec);
    ~SvgSkinElement() override;
    SvgSkinElement(const SvgSkinElement&) = delete;
    SvgSkinElement& operator=(const SvgSkinElement&) = delete;

    QString ElementName() const override { return spec_.name; }
    ISkinText* TextFacet() override;
    ISkinCommon* CommonFacet() override { return this; }
    ISkinScrollBar* ScrollBarFacet() override;

    void SetElementText(const QString& text) override;
    void SetElementEnabled(bool enabled) override;
    bool ElementEnabled() const override { return enabled_; }
    void RedrawElement() override;

    int BarPosition() const override { return position_; }
    void SetBarPosition(int position) override;

    const SkinElementSpec& spec() const { return spec_; }
    // Faces are artwork only: they take no mouse and report nothing.
    bool interactive() const { return spec_.kind != SkinKind::Face; }
    bool draggable() const { return spec_.kind == SkinKind::ScrollBar && enabled_; }
    QRectF area() const { return area_; }
    const QString& text() const { return text_; }
    // What a screen reader says: the label, and a text's value after it in
    // place of the caption the program writes ("Time:00:01:05" under the
    // label "Elapsed time" is "Elapsed time 00:01:05").
    QString accessibleName() const;
    SvgSkinnedWindow& skinnedWindow() const { return window_; }

    // Thumb dragging: a press on the thumb keeps the grip point, a press on
    // the track brings the thumb's centre to the pointer.
    void beginDrag(QPointF at);
    void dragTo(QPointF at);

    void paint(QPainter& painter, Look look) const;

private:
    QString part(const char* suffix) const { return spec_.name + QLatin1String(suffix); }
    double thumbCentre() const;
    QRectF thumbRect() const;
    void paintButton(QPainter& painter, Look look) const;
    void paintText(QPainter& painter) const;
    void paintBar(QPainter& painter) const;

    SvgSkinnedWindow& window_;
    const SkinDocument& doc_;
    const SkinFormSpec& form_;
    const SkinElementSpec& spec_;
    QRectF place_;   // the element as drawn in the file
    QRectF area_;    // where it takes the mouse and repaints
    QRectF textBox_;
    QRectF track_;
    QRectF thumbRest_;  // the thumb as drawn in the file
    QFont font_;
    QString text_;
    bool enabled_ = true;
    int position_ = 0;
    bool stale_ = true;  // text or bar changed since the last redraw
    double grip_ = 0;
};
