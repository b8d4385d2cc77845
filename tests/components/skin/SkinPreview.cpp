// Renders the default skin's forms, idle and busy, to PNG files so the
// artwork can be looked at without a desktop.

#include "components/skin/SvgSkin.h"
#include "components/skin/SvgSkinElement.h"
#include "platform/Error.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTest>
#include <QTreeWidget>
#include <QWidget>
#include <cstdio>

namespace {

void saveImage(const QImage& image, const QString& file)
{
    if (!image.save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    else std::printf("%s\n", qPrintable(file));
}

void save(QWidget& w, const QString& file)
{
    saveImage(w.grab().toImage(), file);
}

// One row per button: normal, hover, pressed and disabled looks side by side.
void saveLooks(QWidget& window, ISkinnedWindow& skinned, const QStringList& names, const QString& file)
{
    constexpr int kCell = 72, kRow = 64;
    QImage sheet(4 * kCell, kRow * int(names.size()), QImage::Format_ARGB32);
    sheet.fill(QColor(40, 44, 52));
    QPainter p(&sheet);
    for (int row = 0; row < names.size(); ++row) {
        auto* e = dynamic_cast<SvgSkinElement*>(skinned.ElementByName(names[row]));
        if (e == nullptr) continue;
        const QRect area = e->area().toAlignedRect().adjusted(-2, -2, 2, 2);
        const QPoint at = area.center();
        auto cell = [&](int column) {
            const QImage look = window.grab(area).toImage();
            p.drawImage(column * kCell + (kCell - look.width()) / 2, row * kRow + (kRow - look.height()) / 2, look);
        };
        QTest::mouseMove(&window, QPoint(1, window.height() / 2));
        cell(0);
        QTest::mouseMove(&window, at);
        cell(1);
        QTest::mousePress(&window, Qt::LeftButton, {}, at);
        cell(2);
        e->SetElementEnabled(false);
        QTest::mouseRelease(&window, Qt::LeftButton, {}, at);
        QTest::mouseMove(&window, QPoint(1, window.height() / 2));
        cell(3);
        e->SetElementEnabled(true);
    }
    p.end();
    saveImage(sheet, file);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString skin = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TAMSEL_DEFAULT_SKIN);
    const QString dir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath();
    try {
        SvgSkin engine;
        engine.OpenSkinFile(skin);

        QWidget main;
        engine.PrepareWindow(&main);
        engine.ApplyFormToWindow(&main, QStringLiteral("mp3rec"));
        main.show();
        save(main, dir + QStringLiteral("/tamsel-skin-mp3rec.png"));

        ISkinnedWindow* m = engine.SkinnedWindowOf(&main);
        auto text = [&](const char* name, const char* value) {
            ISkinObject* e = m->ElementByName(QLatin1String(name));
            e->TextFacet()->SetElementText(QString::fromUtf8(value));
            e->CommonFacet()->RedrawElement();
        };
        text("s_time", "Time:00:12:07");
        text("s_sizeson", "File Size: 125 336 KB");
        text("s_filename", "File Name:E-07-12-2026--00;10;07.wav");
        text("s_mono", "File Info: Stereo 16B 44100HZ");
        ISkinObject* bar = m->ElementByName(QStringLiteral("play_bar"));
        bar->ScrollBarFacet()->SetBarPosition(380);
        bar->CommonFacet()->RedrawElement();
        m->ElementByName(QStringLiteral("add"))->CommonFacet()->SetElementEnabled(false);
        m->ElementByName(QStringLiteral("play"))->CommonFacet()->SetElementEnabled(false);
        // hover over "pause", hold "stop" pressed
        QTest::mouseMove(&main, QPoint(404, 64));
        QTest::mousePress(&main, Qt::LeftButton, {}, QPoint(446, 64));
        QTest::mouseMove(&main, QPoint(446, 64));
        save(main, dir + QStringLiteral("/tamsel-skin-mp3rec-busy.png"));
        QTest::mouseRelease(&main, Qt::LeftButton, {}, QPoint(446, 64));

        QWidget list;
        engine.PrepareWindow(&list);
        engine.ApplyFormToWindow(&list, QStringLiteral("listwin"));
        auto* lv = new QTreeWidget(&list);
        lv->setGeometry(35, 34, 427, 122);
        lv->setHeaderLabels({QStringLiteral("File Name:"), QStringLiteral("Time:")});
        lv->setColumnWidth(0, 336);
        lv->setRootIsDecorated(false);
        lv->setFrameShape(QFrame::NoFrame);
        for (const char* n : {"E-07-12-2026--00;10;07.wav", "interview part 2.mp3", "jingle.ogg"})
            new QTreeWidgetItem(lv, {QString::fromUtf8(n), QStringLiteral("00:03:21")});
        list.move(main.x(), main.y() + main.height());
        list.show();
        save(list, dir + QStringLiteral("/tamsel-skin-listwin.png"));
        {
            // Both windows as the program docks them, the recorder busy.
            const QImage top = main.grab().toImage(), bottom = list.grab().toImage();
            QImage docked(top.width(), top.height() + bottom.height(), QImage::Format_ARGB32);
            docked.setDevicePixelRatio(top.devicePixelRatio());
            docked.fill(Qt::transparent);
            QPainter p(&docked);
            p.drawImage(QPoint(0, 0), top);
            p.drawImage(QPoint(0, main.height()), bottom);
            p.end();
            saveImage(docked, dir + QStringLiteral("/tamsel-skin-docked.png"));
        }
        ISkinnedWindow* l = engine.SkinnedWindowOf(&list);
        auto* progress = l->ElementByName(QStringLiteral("join_progress"));
        progress->ScrollBarFacet()->SetBarPosition(600);
        progress->CommonFacet()->RedrawElement();
        QTest::mouseMove(&list, QPoint(17, 47));
        save(list, dir + QStringLiteral("/tamsel-skin-listwin-busy.png"));
        m->ElementByName(QStringLiteral("add"))->CommonFacet()->SetElementEnabled(true);
        m->ElementByName(QStringLiteral("play"))->CommonFacet()->SetElementEnabled(true);
        saveLooks(main, *m, {QStringLiteral("recorder"), QStringLiteral("pause"), QStringLiteral("play"),
                             QStringLiteral("schedule"), QStringLiteral("help"), QStringLiteral("close")},
                  dir + QStringLiteral("/tamsel-skin-looks-mp3rec.png"));
        saveLooks(list, *l, {QStringLiteral("list_add"), QStringLiteral("join"), QStringLiteral("stopj"),
                             QStringLiteral("up"), QStringLiteral("del")},
                  dir + QStringLiteral("/tamsel-skin-looks-listwin.png"));
    } catch (const TamselError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
