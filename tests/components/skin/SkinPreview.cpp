// Renders the default skin's forms, idle and busy, to PNG files so the
// artwork can be looked at without a desktop.

#include "components/skin/SvgSkin.h"
#include "platform/Error.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>
#include <QWidget>
#include <cstdio>

namespace {

void save(QWidget& w, const QString& file)
{
    const QImage image = w.grab().toImage();
    if (!image.save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    else std::printf("%s\n", qPrintable(file));
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
        list.show();
        save(list, dir + QStringLiteral("/tamsel-skin-listwin.png"));
        ISkinnedWindow* l = engine.SkinnedWindowOf(&list);
        auto* progress = l->ElementByName(QStringLiteral("join_progress"));
        progress->ScrollBarFacet()->SetBarPosition(600);
        progress->CommonFacet()->RedrawElement();
        QTest::mouseMove(&list, QPoint(17, 47));
        save(list, dir + QStringLiteral("/tamsel-skin-listwin-busy.png"));
    } catch (const TamselError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
