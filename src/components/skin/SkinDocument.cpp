#include "components/skin/SkinDocument.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QSvgRenderer>
#include <QXmlStreamReader>

namespace {

// Our attributes live in their own namespace, which the SVG renderer ignores.
const QString kNamespace = QStringLiteral("urn:tamsel:skin");

[[noreturn]] void fail(const QString& path, const QString& why)
{
    throw TamselError(QStringLiteral("Cannot open the skin file %1: %2")
                          .arg(QDir::toNativeSeparators(path), why));
}

struct KindName {
    const char* name;
    SkinKind kind;
};
constexpr KindName kKinds[] = {
    {"face", SkinKind::Face},           {"panel", SkinKind::Panel},
    {"button", SkinKind::Button},       {"text", SkinKind::Text},
    {"scrollbar", SkinKind::ScrollBar}, {"progress", SkinKind::Progress},
};

class Reader {
public:
    Reader(const QString& path, const QByteArray& data) : path_(path), xml_(data) {}

    std::vector<SkinFormSpec> forms()
    {
        if (!xml_.readNextStartElement()) failXml();
        if (xml_.name() != QLatin1String("svg")) fail(path_, QStringLiteral("it is not an SVG document."));
        std::vector<SkinFormSpec> result;
        while (xml_.readNextStartElement()) {
            if (xml_.name() == QLatin1String("g") && !ours(QStringLiteral("width")).isEmpty())
                result.push_back(form());
            else
                xml_.skipCurrentElement();
        }
        if (xml_.hasError()) failXml();
        if (result.empty()) fail(path_, QStringLiteral("it holds no skin form."));
        return result;
    }

private:
    QString ours(const QString& name) const
    {
        return xml_.attributes().value(kNamespace, name).toString().trimmed();
    }

    [[noreturn]] void failXml()
    {
        if (!xml_.hasError()) fail(path_, QStringLiteral("it is empty."));
        fail(path_, QStringLiteral("it is not well-formed XML (line %1: %2).")
                        .arg(xml_.lineNumber())
                        .arg(xml_.errorString()));
    }

    [[noreturn]] void failElement(const QString& element, const QString& why)
    {
        fail(path_, QStringLiteral("element \"%1\" %2").arg(element, why));
    }

    SkinFormSpec form()
    {
        SkinFormSpec f;
        f.name = xml_.attributes().value(QLatin1String("id")).toString();
        if (f.name.isEmpty()) fail(path_, QStringLiteral("a skin form has no id."));
        bool okW = false, okH = false;
        f.size = QSize(ours(QStringLiteral("width")).toInt(&okW), ours(QStringLiteral("height")).toInt(&okH));
        if (!okW || !okH || f.size.isEmpty())
            failElement(f.name, QStringLiteral("needs a positive whole tamsel:width and tamsel:height."));
        f.origin = translation(f.name, xml_.attributes().value(QLatin1String("transform")).toString());
        QSet<QString> names;
        elements(f, names);
        return f;
    }

    // A form sits on the sheet by a plain move, so its window's corner is known.
    QPointF translation(const QString& form, const QString& transform)
    {
        if (transform.trimmed().isEmpty()) return {};
        static const QRegularExpression re(
            QStringLiteral(R"(^\s*translate\(\s*([-+0-9.eE]+)(?:[\s,]+([-+0-9.eE]+))?\s*\)\s*$)"));
        const auto m = re.match(transform);
        bool okX = false, okY = true;
        const double x = m.hasMatch() ? m.captured(1).toDouble(&okX) : 0;
        const double y = m.capturedLength(2) > 0 ? m.captured(2).toDouble(&okY) : 0;
        if (!okX || !okY) failElement(form, QStringLiteral("may only be moved with translate()."));
        return {x, y};
    }

    void elements(SkinFormSpec& f, QSet<QString>& names)
    {
        while (xml_.readNextStartElement()) {
            const bool group = xml_.name() == QLatin1String("g");
            if (group && !ours(QStringLiteral("kind")).isEmpty()) {
                SkinElementSpec e = element();
                if (names.contains(e.name)) failElement(e.name, QStringLiteral("appears twice."));
                names.insert(e.name);
                f.elements.push_back(std::move(e));
                xml_.skipCurrentElement();
            } else if (group) {
                elements(f, names);
            } else {
                xml_.skipCurrentElement();
            }
        }
    }

    SkinElementSpec element()
    {
        SkinElementSpec e;
        e.name = xml_.attributes().value(QLatin1String("id")).toString();
        const QString kind = ours(QStringLiteral("kind"));
        if (e.name.isEmpty()) fail(path_, QStringLiteral("an element of kind \"%1\" has no id.").arg(kind));
        const auto* found = std::find_if(std::begin(kKinds), std::end(kKinds),
                                         [&](const KindName& k) { return kind == QLatin1String(k.name); });
        if (found == std::end(kKinds)) failElement(e.name, QStringLiteral("has the unknown kind \"%1\".").arg(kind));
        e.kind = found->kind;
        e.tip = ours(QStringLiteral("tip"));
        for (QString family : ours(QStringLiteral("font-family")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            family = family.trimmed();
            family.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
            e.fontFamilies << family;
        }
        e.fontFamilies << QStringLiteral("sans-serif");
        e.fontPixels = number(e.name, QStringLiteral("font-size"), 12);
        const QString weight = ours(QStringLiteral("font-weight"));
        e.fontWeight = weight == QLatin1String("bold") ? 700 : number(e.name, QStringLiteral("font-weight"), 400);
        e.color = color(e.name, QStringLiteral("color"), QColor(0xe6, 0xe8, 0xeb));
        QColor dim = e.color;
        dim.setAlphaF(0.4f);
        e.disabledColor = color(e.name, QStringLiteral("disabled-color"), dim);
        e.thumbColor = color(e.name, QStringLiteral("thumb-color"), QColor(Qt::white));
        e.fillColor = color(e.name, QStringLiteral("fill-color"), QColor(0x3d, 0xd6, 0xc6));
        const QString align = ours(QStringLiteral("align"));
        const Qt::Alignment h = align == QLatin1String("center") ? Qt::AlignHCenter
                                : align == QLatin1String("right") ? Qt::AlignRight
                                                                  : Qt::AlignLeft;
        e.align = h | Qt::AlignVCenter;
        const QString elide = ours(QStringLiteral("elide"));
        e.elide = elide == QLatin1String("none")     ? Qt::ElideNone
                  : elide == QLatin1String("left")   ? Qt::ElideLeft
                  : elide == QLatin1String("middle") ? Qt::ElideMiddle
                                                     : Qt::ElideRight;
        return e;
    }

    int number(const QString& element, const QString& name, int fallback)
    {
        const QString text = ours(name);
        if (text.isEmpty()) return fallback;
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!ok || value <= 0) failElement(element, QStringLiteral("has a bad tamsel:%1 \"%2\".").arg(name, text));
        return value;
    }

    QColor color(const QString& element, const QString& name, const QColor& fallback)
    {
        const QString text = ours(name);
        if (text.isEmpty()) return fallback;
        const QColor c = QColor::fromString(text);
        if (!c.isValid()) failElement(element, QStringLiteral("has a bad tamsel:%1 \"%2\".").arg(name, text));
        return c;
    }

    const QString& path_;
    QXmlStreamReader xml_;
};

}  // namespace

SkinDocument::SkinDocument(QString path) : path_(std::move(path)) {}
SkinDocument::~SkinDocument() = default;

std::shared_ptr<const SkinDocument> SkinDocument::load(const QString& path)
{
    QFile file(path);
    if (!file.exists()) fail(path, QStringLiteral("the file does not exist."));
    if (!file.open(QIODevice::ReadOnly)) fail(path, file.errorString() + QLatin1Char('.'));
    const QByteArray data = file.readAll();
    std::shared_ptr<SkinDocument> doc(new SkinDocument(path));
    doc->parse(data);
    return doc;
}

void SkinDocument::parse(const QByteArray& data)
{
    forms_ = Reader(path_, data).forms();
    renderer_ = std::make_unique<QSvgRenderer>();
    if (!renderer_->load(data) || !renderer_->isValid())
        fail(path_, QStringLiteral("its drawing cannot be read as SVG."));
    for (const SkinFormSpec& f : forms_) {
        for (const SkinElementSpec& e : f.elements) {
            const bool button = e.kind == SkinKind::Button;
            if (button && !has(e.name + QStringLiteral(".normal")))
                fail(path_, QStringLiteral("the button \"%1\" has no \"%1.normal\" look.").arg(e.name));
            const bool bar = e.kind == SkinKind::ScrollBar || e.kind == SkinKind::Progress;
            const QString track = e.name + QStringLiteral(".track");
            if (bar && place(f, has(track) ? track : e.name).width() <= 0)
                fail(path_, QStringLiteral("the bar \"%1\" has no track.").arg(e.name));
        }
    }
}

const SkinFormSpec* SkinDocument::form(const QString& name) const
{
    for (const SkinFormSpec& f : forms_)
        if (f.name == name) return &f;
    return nullptr;
}

bool SkinDocument::has(const QString& id) const
{
    return renderer_->elementExists(id);
}

QRectF SkinDocument::place(const SkinFormSpec& form, const QString& id) const
{
    if (!has(id)) return {};
    const QRectF onSheet = renderer_->transformForElement(id).mapRect(renderer_->boundsOnElement(id));
    return onSheet.translated(-form.origin);
}

void SkinDocument::render(QPainter& painter, const SkinFormSpec& form, const QString& id,
                          QPointF offset) const
{
    const QRectF where = place(form, id);
    if (where.isEmpty()) return;
    renderer_->render(&painter, id, where.translated(offset));
}
