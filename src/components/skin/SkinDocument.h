#pragma once
// A loaded skin file: the forms and elements read from our own attributes,
// and the SVG renderer that draws them.
//
// The file is SVG; our attributes are in the namespace "urn:tamsel:skin"
// (prefix tamsel below), which the renderer ignores. One user unit is one
// window pixel.
// - A form is a top-level <g> with tamsel:width and tamsel:height (the window
//   size); id = form name. It may be moved on the sheet by translate() only.
// - An element is a <g> inside a form with tamsel:kind; id = element name.
//   Only elements are drawn, in document order, so background artwork is a
//   "face". Optional tamsel:tip gives a tooltip, tamsel:label the name a
//   screen reader speaks (the tip, else the id, without it), and
//   tamsel:keys its shortcuts ("Ctrl+R; F1"), which work in every window the
//   engine skins and show in the tooltip.
// - A form may give tamsel:focus-order, the elements the keyboard reaches in
//   Tab order ("recorder stop ..."); tamsel:keys, shortcuts that work in its
//   window only ("Delete=del; Return=play", an element of any form); and
//   tamsel:focus-color, the colour of the focus mark.
//   face       artwork only, takes no mouse
//   panel      one look, reports the mouse
//   button     child looks "<id>.normal" (required), ".hover", ".pressed",
//              ".disabled"; a missing look falls back to hover, then normal,
//              and a missing disabled look is the normal one faded
//   text       the engine draws the text set on it inside "<id>.box" (or the
//              element's bounds): tamsel:font-family (list), font-size (px),
//              font-weight, color, disabled-color, align left|center|right,
//              elide left|middle|right|none
//   scrollbar  "<id>.track", ".fill" (shown up to the thumb) and ".thumb",
//              whose centre runs the track over 0..980; the engine draws
//              the missing ones with tamsel:fill-color and thumb-color
//   progress   a scrollbar without a thumb that the user cannot drag

#include <QColor>
#include <QKeySequence>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QPainter;
class QSvgRenderer;

enum class SkinKind { Face, Panel, Button, Text, ScrollBar, Progress };

struct SkinElementSpec {
    QString name;
    SkinKind kind = SkinKind::Face;
    QString tip;
    QString label;
    QList<QKeySequence> keys;
    // Text elements.
    QStringList fontFamilies;  // first found wins
    int fontPixels = 12;
    int fontWeight = 400;
    QColor color;
    QColor disabledColor;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    Qt::TextElideMode elide = Qt::ElideRight;
    // Bars drawn by the engine when the file has no thumb or fill of its own.
    QColor thumbColor;
    QColor fillColor;
};

struct SkinFormSpec {
    QString name;
    QSize size;
    QPointF origin;  // the window's top-left corner in document units
    std::vector<SkinElementSpec> elements;
    QStringList focusOrder;
    struct Key {
        QKeySequence key;
        QString element;
    };
    std::vector<Key> keys;  // this window's own shortcuts
    QColor focusColor;
};

class SkinDocument {
public:
    // Raises TamselError naming the file when it is missing or malformed.
    static std::shared_ptr<const SkinDocument> load(const QString& path);
    ~SkinDocument();

    const QString& path() const { return path_; }
    const SkinFormSpec* form(const QString& name) const;
    const std::vector<SkinFormSpec>& forms() const { return forms_; }
    bool has(const QString& id) const;
    // Where a part is drawn, in the coordinates of its form's window.
    QRectF place(const SkinFormSpec& form, const QString& id) const;
    // Draws a part where place() says, moved by offset.
    void render(QPainter& painter, const SkinFormSpec& form, const QString& id,
                QPointF offset = {}) const;

private:
    explicit SkinDocument(QString path);
    void parse(const QByteArray& data);
    void checkKeys() const;

    QString path_;
    std::vector<SkinFormSpec> forms_;
    std::unique_ptr<QSvgRenderer> renderer_;
};
