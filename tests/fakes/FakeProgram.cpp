#include "fakes/FakeProgram.h"

#include "app/CommandWiring.h"
#include "app/Tfm_main.h"
#include "components/skin/SvgSkin.h"
#include "config/Tfm_dev.h"
#include "config/Tfm_dir.h"
#include "config/Tfm_set.h"
#include "fakes/FakeSkin.h"
#include "join/Tfm_list.h"
#include "platform/ErrorBoundary.h"
#include "schedule/Tfm_sche.h"
#include "tags/Tfm_id3.h"

FakeProgram::FakeProgram()
{
    parts.AudioRecord1 = std::make_unique<FakeRecorder>();
    parts.AudioFileWrite = std::make_unique<FakeAudioFile>();
    parts.AudioFilepaly = std::make_unique<FakeAudioFile>();
    parts.AudioPlayer21 = std::make_unique<FakePlayer>();
    parts.AudioInformation21 = std::make_unique<FakeInformation>();
    parts.AudioVisualization21 = new FakeVisualization;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.settingsPath = tmp.filePath("tamsel.ini");
}

FakeProgram::~FakeProgram()
{
    // The list window is the main window's child; the others go before the
    // main window, which owns what they point at.
    ErrorBoundary::setHandler({});
    list.reset();
    dir.reset();
    set.reset();
    id3.reset();
    dev.reset();
    sche.reset();
    main.reset();
    // Never handed to a main window.
    delete parts.AudioVisualization21;
}

void FakeProgram::build(const Options& options)
{
    if (!parts.Skin1) {
        if (options.svgSkin)
            parts.Skin1 = std::make_unique<SvgSkin>();
        else
            parts.Skin1 = std::make_unique<NoSkin>();
    }
    services.programDirectory = options.programDirectory;
    main = std::make_unique<Tfm_main>(std::move(parts), services);
    parts = MainComponents{};
    sche = std::make_unique<Tfm_sche>();
    dev = std::make_unique<Tfm_dev>(main->components().AudioRecord1.get());
    id3 = std::make_unique<Tfm_id3>();
    set = std::make_unique<Tfm_set>();
    dir = std::make_unique<Tfm_dir>();
    list = std::make_unique<Tfm_list>(main->activity(), main->drag(), *main->components().Skin1, main.get());
    main->setWindows({sche.get(), dev.get(), id3.get(), set.get(), dir.get(), list.get()});
    if (options.wire) wireCommands(*main, *list, *set);
    ErrorBoundary::setHandler([m = main.get()](const QString& message) {
        m->ApplicationEvents1Exception(message);
    });
}

FakeRecorder* FakeProgram::recorder() const
{
    return main ? dynamic_cast<FakeRecorder*>(main->components().AudioRecord1.get()) : nullptr;
}

FakeAudioFile* FakeProgram::writer() const
{
    return main ? dynamic_cast<FakeAudioFile*>(main->components().AudioFileWrite.get()) : nullptr;
}

FakeAudioFile* FakeProgram::reader() const
{
    return main ? dynamic_cast<FakeAudioFile*>(main->components().AudioFilepaly.get()) : nullptr;
}

FakeInformation* FakeProgram::information() const
{
    return main ? dynamic_cast<FakeInformation*>(main->components().AudioInformation21.get())
                : nullptr;
}

FakeVisualization* FakeProgram::visualization() const
{
    return main ? dynamic_cast<FakeVisualization*>(main->components().AudioVisualization21)
                : nullptr;
}
