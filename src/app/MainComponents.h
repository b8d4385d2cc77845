#pragma once
// What the main window is built from: its component instances and the
// platform services. The program passes the real ones; tests pass fakes.

#include "components/TAudioFile2.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioPlayer2.h"
#include "components/TAudioRecord2.h"
#include "components/TAudioVisualizationEx2.h"
#include "components/TSkin.h"
#include "platform/DesktopNotifier.h"

#include <QString>
#include <memory>

class Dialogs;
class PowerOff;
class Shell;
class SleepInhibitor;

struct MainComponents {
    std::unique_ptr<TSkin> Skin1;
    std::unique_ptr<TAudioRecord2> AudioRecord1;
    std::unique_ptr<TAudioFile2> AudioFileWrite;
    std::unique_ptr<TAudioFile2> AudioFilepaly;
    std::unique_ptr<TAudioPlayer2> AudioPlayer21;
    std::unique_ptr<TAudioInformation2> AudioInformation21;
    // Becomes a child control of the main window.
    TAudioVisualizationEx2* AudioVisualization21 = nullptr;
    // Notices for the desktop while a recording runs unattended; none: not sent.
    std::unique_ptr<DesktopNotifier> notifier;
};

struct MainServices {
    Dialogs* dialogs = nullptr;
    Shell* shell = nullptr;
    PowerOff* powerOff = nullptr;
    SleepInhibitor* sleepInhibitor = nullptr;
    // The settings file; empty selects the user's own.
    QString settingsPath;
    // Where the skin file and the help folder are.
    QString programDirectory;
};
