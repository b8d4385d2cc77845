#include "app/CommandWiring.h"

#include "app/DirectoryWiring.h"
#include "app/JoinWiring.h"
#include "app/PlaybackWiring.h"
#include "app/ScheduleWiring.h"
#include "app/SettingsWiring.h"
#include "app/TagWiring.h"
#include "app/Tfm_main.h"
#include "components/TSkin.h"
#include "config/Tfm_set.h"
#include "join/Tfm_list.h"
#include "recording/RecordingControl.h"

RecordingControl* wireCommands(Tfm_main& main, Tfm_list& list, Tfm_set& set)
{
    set.setSettings([&main] { return main.settings(); });
    set.setRecordingSettings(&main.recordingSettings());
    list.setAudio(main.components().AudioFilepaly.get(), main.services().dialogs);
    wireTagWindow(main, list);
    auto& c = main.commands();
    c.AddFiles = [&list] { list.AddFiles(); };
    c.RemoveSelected = [&list] { list.RemoveSelected(); };
    c.MoveUp = [&list] { list.MoveUp(); };
    c.MoveDown = [&list] { list.MoveDown(); };
    wireJoin(main, list);

    RecordingControl::Parts parts;
    parts.activity = &main.activity();
    parts.recorder = main.components().AudioRecord1.get();
    parts.writer = main.components().AudioFileWrite.get();
    parts.information = main.components().AudioInformation21.get();
    parts.levels = main.components().AudioVisualization21;
    parts.dialogs = main.services().dialogs;
    parts.dialogParent = &main;
    parts.settings = [&main] { return main.settings(); };
    parts.showText = [&main](DisplayText which, const QString& text) { main.showText(which, text); };
    parts.textsFollow = [&main] { return main.drag().textsFollow(); };
    parts.disablePlayBar = [&main] {
        if (main.play_bar.common) main.play_bar.common->SetElementEnabled(false);
    };
    parts.edited = &main.recordingSettings();
    parts.closeSettingsWindow = [&set] { set.hide(); };
    parts.addRecordedFile = [&list](const QString& file) { list.AddRecordedFile(file); };
    parts.sleepInhibitor = main.services().sleepInhibitor;
    parts.notifier = main.components().notifier.get();
    auto* recording = new RecordingControl(std::move(parts), &main);
    c.RecordCommand = [recording] { recording->RecordCommand(); };
    c.RecordOnSound = [recording] { recording->RecordOnSound(); };
    c.PlanLength = [recording](int64_t seconds) { recording->PlanLength(seconds); };
    c.ToggleRecordingPause = [recording] { recording->ToggleRecordingPause(); };
    c.StopRecording = [recording] { recording->StopRecording(); };
    wirePlayback(main, list);
    wireSchedule(main);
    wireOutputDirectory(main, set);
    wireSettingsWindow(main, set);
    return recording;
}
