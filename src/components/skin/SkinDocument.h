#pragma once
// A loaded skin file: the forms and elements read from our own attributes,
// and the SVG renderer that draws them.

#include <QColor>
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
};

class SkinDocument {
public:
    // Raises TamselError naming the file when it is missing or malformed.
    static std::shared_ptr<const SkinDocument> load(const QString& path);
    ~SkinDocument();

    const QString& path() const { return path_; }
    const SkinFormSpec* form(const QString& name) const;
    bool has(const QString& id) const;
    // Where a part is drawn, in the coordinates of its form's window.
    QRectF place(const SkinFormSpec& form, const QString& id) const;
    // Draws a part where place() says, moved by offset.
    void render(QPainter& painter, const SkinFormSpec& form, const QString& id,
                QPointF offset = {}) const;

private:
    explicit SkinDocument(QString path);
    void parse(const QByteArray& data);

    QString path_;
    std::vector<SkinFormSpec> forms_;
    std::unique_ptr<QSvgRenderer> renderer_;
};
