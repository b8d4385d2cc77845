#include "components/skin/SkinDocument.h"

#include "platform/Error.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QHash>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>

namespace {

// Our attributes live in their own namespace, which the SVG renderer ignores.
const QString kNamespace = QStringLiteral("urn:tamsel:skin");

// Far beyond the real skin (32 kB, 5 levels, a few hundred pixels), yet
// small enough that nothing built from the file can exhaust memory, stack or
// the window system's integer coordinates.
constexpr qint64 kMaxBytes = 16 << 20;
constexpr int kMaxDepth = 64;
constexpr double kMaxCoordinate = 32767;

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

    // One pass over the whole document with no recursion, so deep nesting
    // costs no stack; anything deeper than any real skin is refused before
    // the renderer, which does recurse, ever sees it.
    std::vector<SkinFormSpec> forms()
    {
        if (!xml_.readNextStartElement()) failXml();
        if (xml_.name() != QLatin1String("svg")) fail(path_, QStringLiteral("it is not an SVG document."));
        std::vector<SkinFormSpec> result;
        QSet<QString> names;
        int depth = 1;
        int formDepth = 0;  // of the open form, 0 outside any
        int skipDepth = 0;  // of the open element whose contents are not ours, 0 if none
        while (depth > 0 && !xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::EndElement) {
                if (depth == skipDepth) skipDepth = 0;
                if (depth == formDepth) formDepth = 0;
                --depth;
                continue;
            }
            if (token != QXmlStreamReader::StartElement) continue;
            if (++depth > kMaxDepth)
                fail(path_, QStringLiteral("its elements are nested more than %1 deep.").arg(kMaxDepth));
            if (skipDepth != 0) continue;
            const bool group = xml_.name() == QLatin1String("g");
            if (formDepth == 0) {
                // A form is a group right under the root, holding our size.
                if (depth == 2 && group && !ours(QStringLiteral("width")).isEmpty()) {
                    result.push_back(form());
                    formDepth = depth;
                    names.clear();
                } else {
                    skipDepth = depth;
                }
            } else if (group && !ours(QStringLiteral("kind")).isEmpty()) {
                SkinElementSpec e = element();
                if (names.contains(e.name)) failElement(e.name, QStringLiteral("appears twice."));
                names.insert(e.name);
                result.back().elements.push_back(std::move(e));
                skipDepth = depth;
            } else if (!group) {
                skipDepth = depth;
            }
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
        if (!okW || !okH || f.size.isEmpty() || std::max(f.size.width(), f.size.height()) > kMaxCoordinate)
            failElement(f.name, QStringLiteral("needs a positive whole tamsel:width and tamsel:height up to %1.")
                                    .arg(kMaxCoordinate));
        f.origin = translation(f.name, xml_.attributes().value(QLatin1String("transform")).toString());
        f.focusOrder = ours(QStringLiteral("focus-order")).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& entry : ours(QStringLiteral("keys")).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const qsizetype eq = entry.lastIndexOf(QLatin1Char('='));
            const QString element = entry.mid(eq + 1).trimmed();
            if (eq <= 0 || element.isEmpty())
                failElement(f.name, QStringLiteral("has a tamsel:keys entry \"%1\" that is not key=element.")
                                        .arg(entry.trimmed()));
            f.keys.push_back({key(f.name, entry.left(eq)), element});
        }
        f.focusColor = color(f.name, QStringLiteral("focus-color"), QColor(0x5f, 0xe3, 0xcd));
        return f;
    }

    QKeySequence key(const QString& owner, const QString& text)
    {
        const QKeySequence k = QKeySequence::fromString(text.trimmed(), QKeySequence::PortableText);
        if (k.count() != 1 || k[0].key() == Qt::Key_unknown)
            failElement(owner, QStringLiteral("has the bad key \"%1\".").arg(text.trimmed()));
        return k;
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
        e.label = ours(QStringLiteral("label"));
        if (e.label.isEmpty()) e.label = e.tip.isEmpty() ? e.name : e.tip;
        for (const QString& k : ours(QStringLiteral("keys")).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            e.keys << key(e.name, k);
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
    const RegularFile file = RegularFile::read(path, kMaxBytes);
    switch (file.outcome) {
    case RegularFile::Outcome::Read:
        break;
    case RegularFile::Outcome::Missing:
        fail(path, QStringLiteral("the file does not exist."));
    case RegularFile::Outcome::NotRegular:
        fail(path, QStringLiteral("it is a %1, not a file.").arg(RegularFile::kindOf(file.info)));
    case RegularFile::Outcome::TooLarge:
        fail(path, QStringLiteral("it is larger than %1 MiB, far more than any skin.").arg(kMaxBytes >> 20));
    case RegularFile::Outcome::Unreadable:
        fail(path, file.error + QLatin1Char('.'));
    }
    std::shared_ptr<SkinDocument> doc(new SkinDocument(path));
    doc->parse(file.bytes);
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
    checkKeys();
}

// What the keyboard reaches must exist, and no key may mean two things in
// one window.
void SkinDocument::checkKeys() const
{
    const auto find = [this](const QString& name) -> const SkinElementSpec* {
        for (const SkinFormSpec& f : forms_)
            for (const SkinElementSpec& e : f.elements)
                if (e.name == name) return &e;
        return nullptr;
    };
    QHash<QKeySequence, QString> global;
    for (const SkinFormSpec& f : forms_) {
        for (const SkinElementSpec& e : f.elements) {
            for (const QKeySequence& k : e.keys) {
                if (global.contains(k))
                    fail(path_, QStringLiteral("the key %1 is given to both \"%2\" and \"%3\".")
                                    .arg(k.toString(), global.value(k), e.name));
                global.insert(k, e.name);
            }
        }
    }
    for (const SkinFormSpec& f : forms_) {
        for (const QString& name : f.focusOrder) {
            const auto in = std::find_if(f.elements.begin(), f.elements.end(),
                                         [&](const SkinElementSpec& e) { return e.name == name; });
            if (in == f.elements.end() || in->kind == SkinKind::Face || in->kind == SkinKind::Progress)
                fail(path_, QStringLiteral("the form \"%1\" gives the focus to \"%2\", which is no element "
                                           "that takes the mouse.").arg(f.name, name));
        }
        QHash<QKeySequence, QString> own = global;
        for (const SkinFormSpec::Key& k : f.keys) {
            if (find(k.element) == nullptr)
                fail(path_, QStringLiteral("the form \"%1\" gives the key %2 to \"%3\", which is no element.")
                                .arg(f.name, k.key.toString(), k.element));
            if (own.contains(k.key))
                fail(path_, QStringLiteral("the key %1 is given to both \"%2\" and \"%3\".")
                                .arg(k.key.toString(), own.value(k.key), k.element));
            own.insert(k.key, k.element);
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
    const QRectF r = onSheet.translated(-form.origin);
    // Clamped edges keep every rectangle made from a part, and its integer
    // form for repaints, far inside int's range.
    const auto clamp = [](double v) { return std::clamp(v, -kMaxCoordinate, kMaxCoordinate); };
    const QPointF topLeft(clamp(r.left()), clamp(r.top())), bottomRight(clamp(r.right()), clamp(r.bottom()));
    if (std::isnan(topLeft.x() + topLeft.y() + bottomRight.x() + bottomRight.y())) return {};
    return QRectF(topLeft, bottomRight);
}

void SkinDocument::render(QPainter& painter, const SkinFormSpec& form, const QString& id,
                          QPointF offset) const
{
    const QRectF where = place(form, id);
    if (where.isEmpty()) return;
    renderer_->render(&painter, id, where.translated(offset));
}
