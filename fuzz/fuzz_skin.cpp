// The skin loader over any file: load, place and draw every part of every
// form, and skin a window with each form.
//
//   fuzz_skin [libFuzzer options] [corpus folders]

#include "FuzzSupport.h"

#include "components/skin/SkinDocument.h"
#include "components/skin/SvgSkin.h"
#include "platform/Error.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QWidget>
#include <cmath>
#include <cstdlib>

namespace {

const char* const kParts[] = {"", ".normal", ".hover", ".pressed", ".disabled", ".track", ".fill", ".thumb", ".box"};

void draw(const QString& name, const QByteArray& bytes)
{
    const auto doc = SkinDocument::load(name);
    static const QRegularExpression idRe(QStringLiteral(R"(\bid\s*=\s*"([^"]{1,100})\")"));
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    int forms = 0;
    for (auto it = idRe.globalMatch(QString::fromUtf8(bytes)); it.hasNext() && forms < 8;) {
        const QString id = it.next().captured(1);
        const SkinFormSpec* form = doc->form(id);
        if (form == nullptr) continue;
        ++forms;
        for (const SkinElementSpec& e : form->elements) {
            for (const char* suffix : kParts) {
                const QString part = e.name + QLatin1String(suffix);
                const QRectF at = doc->place(*form, part);
                if (!at.isEmpty() && (std::abs(at.left()) > 1e6 || std::abs(at.bottom()) > 1e6)) std::abort();
                QPainter p(&image);
                doc->render(p, *form, part, -at.topLeft());
            }
        }
        SvgSkin skin;
        skin.OpenSkinFile(name);
        QWidget window;
        skin.ApplyFormToWindow(&window, id);
        QPainter p(&image);
        window.render(&p);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Every damaged file draws warnings; the fuzzer's own output is what counts.
    qputenv("QT_LOGGING_RULES", "qt.svg.warning=false");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString name = fuzz::asFile(data, size, ".dll");
    try {
        draw(name, QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const TamselError&) {
    }
    return 0;
}
