// Program entry: the single-instance guard, the seven windows in their order,
// the message loop.

#include "app/ApplicationTitle.h"
#include "app/CommandWiring.h"
#include "app/RealComponents.h"
#include "app/TamselApplication.h"
#include "app/Tfm_main.h"
#include "config/Tfm_dev.h"
#include "config/Tfm_dir.h"
#include "config/Tfm_set.h"
#include "join/Tfm_list.h"
#include "platform/Dialogs.h"
#include "platform/ErrorBoundary.h"
#include "platform/LogindPowerOff.h"
#include "platform/LogindSleepInhibitor.h"
#include "platform/QuitOnSignal.h"
#include "platform/ScreenFit.h"
#include "platform/Shell.h"
#include "platform/SingleInstance.h"
#include "schedule/Tfm_sche.h"
#include "tags/Tfm_id3.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>

namespace {

// Where the main window opens when it and the list window below it fit there.
constexpr QPoint kMainWindowPosition(326, 227);

// The skin and the help live beside the executable, or in share/tamsel
// when installed.
QString programDirectory()
{
    const QString dir = QCoreApplication::applicationDirPath();
    if (QFile::exists(QDir(dir).filePath("mp3enc.dll"))) return dir;
    const QString installed = QDir(dir).filePath("../share/tamsel");
    if (QFile::exists(QDir(installed).filePath("mp3enc.dll"))) return QDir::cleanPath(installed);
    return dir;
}

}  // namespace

int main(int argc, char* argv[])
{
    // A running copy keeps this one from starting; nothing is shown.
    SingleInstance guard(kApplicationTitle);
    if (!guard.acquire()) return 0;

    TamselApplication app(argc, argv);
    app.setApplicationName("Tamsel");
    // Lets the desktop match the windows to the installed entry and its icon.
    app.setDesktopFileName("org.tamsel.Tamsel");
    app.setQuitOnLastWindowClosed(false);
    QuitOnSignal quitOnSignal;

    QtDialogs dialogs(kApplicationTitle);
    DesktopShell shell;
    LogindPowerOff powerOff;
    LogindSleepInhibitor sleepInhibitor;
    MainServices services;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.powerOff = &powerOff;
    services.sleepInhibitor = &sleepInhibitor;
    services.programDirectory = programDirectory();

    Tfm_main fm_main(makeRealComponents(), services);
    ErrorBoundary::setHandler([&fm_main](const QString& message) {
        fm_main.ApplicationEvents1Exception(message);
    });
    // A signal ends the program as closing its main window does.
    quitOnSignal.setQuit([&fm_main] { fm_main.close(); });
    Tfm_sche fm_sche;
    Tfm_dev fm_dev(fm_main.components().AudioRecord1.get());
    Tfm_id3 fm_id3;
    Tfm_set fm_set;
    Tfm_dir fm_dir;
    Tfm_list fm_list(fm_main.activity(), fm_main.drag(), *fm_main.components().Skin1, &fm_main);
    fm_main.setWindows({&fm_sche, &fm_dev, &fm_id3, &fm_set, &fm_dir, &fm_list});
    wireCommands(fm_main, fm_list, fm_set);

    // The first show runs inside the event loop: a box it opens (a damaged
    // skin) then runs in a nested loop that a signal's quit ends together
    // with the main one; before exec() a quit would be forgotten.
    QTimer::singleShot(0, &fm_main, ErrorBoundary::guarded([&fm_main, &fm_list] {
                           fm_main.move(kMainWindowPosition);
                           fm_main.show();
                           // Both windows are shown but not yet mapped: moving
                           // them now shows them in place at once.
                           screenfit::fitOnScreen(fm_main, &fm_list);
                       }));
    const int rc = app.exec();
    ErrorBoundary::setHandler({});
    quitOnSignal.setQuit({});
    return rc;
}
