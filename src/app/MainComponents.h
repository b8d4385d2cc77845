#pragma once
// What the main window is built from: its component instances and the
// platform services. The program passes the real ones; tests pass fakes.

#include <QString>
#include <memory>

class Dialogs;
class PowerOff;
class Shell;
class TAudioFile2;
class TAudioInformation2;
class TAudioPlayer2;
class TAudioRecord2;
class TAudioVisualizationEx2;
class TSkin;

struct MainComponents {
    std::unique_ptr<TSkin> Skin1;
    std::unique_ptr<TAudioRecord2> AudioRecord1;
    std::unique_ptr<TAudioFile2> AudioFileWrite;
    std::unique_ptr<TAudioFile2> AudioFilepaly;
    std::unique_ptr<TAudioPlayer2> AudioPlayer21;
    std::unique_ptr<TAudioInformation2> AudioInformation21;
    // Becomes a child control of the main window.
    TAudioVisualizationEx2* AudioVisualization21 = nullptr;
};

struct MainServices {
    Dialogs* dialogs = nullptr;
    Shell* shell = nullptr;
    PowerOff* powerOff = nullptr;
    // The settings file; empty selects the user's own.
    QString settingsPath;
    // Where the skin file and the help folder are.
    QString programDirectory;
};
