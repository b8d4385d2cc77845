#pragma once
// The whole program as the tests build it: the main window over fake
// components, the six other windows, and a settings file in a temp dir.
// A test writes settings and replaces parts first, then calls build().

#include "app/MainComponents.h"
#include "fakes/FakeComponents.h"

#include <QTemporaryDir>
#include <memory>

class Tfm_dev;
class Tfm_dir;
class Tfm_id3;
class Tfm_list;
class Tfm_main;
class Tfm_sche;
class Tfm_set;

struct FakeProgram {
    struct Options {
        bool svgSkin = false;      // the real skin engine instead of one that draws nothing
        QString programDirectory;  // where the skin file and the help folder are
        bool wire = true;          // connect the windows' operations to the main window
    };

    FakeProgram();
    ~FakeProgram();
    FakeProgram(const FakeProgram&) = delete;
    FakeProgram& operator=(const FakeProgram&) = delete;

    QTemporaryDir tmp;
    FakeDialogs dialogs;
    FakeShell shell;
    // What the main window gets: fakes throughout, any of which a test may replace.
    MainComponents parts;
    MainServices services;

    QString settingsPath() const { return services.settingsPath; }
    void build(const Options& options);
    void build() { build(Options{}); }

    std::unique_ptr<Tfm_main> main;
    std::unique_ptr<Tfm_sche> sche;
    std::unique_ptr<Tfm_dev> dev;
    std::unique_ptr<Tfm_id3> id3;
    std::unique_ptr<Tfm_set> set;
    std::unique_ptr<Tfm_dir> dir;
    std::unique_ptr<Tfm_list> list;

    // The fakes in the built main window; null where a test put in another part.
    FakeRecorder* recorder() const;
    FakeAudioFile* writer() const;
    FakeAudioFile* reader() const;
    FakeInformation* information() const;
    FakeVisualization* visualization() const;
};
