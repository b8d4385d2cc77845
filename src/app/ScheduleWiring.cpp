#include "app/ScheduleWiring.h"

#include "app/Tfm_main.h"
#include "platform/Dialogs.h"
#include "platform/ErrorBoundary.h"
#include "schedule/ScheduleRunner.h"
#include "schedule/Tfm_sche.h"

ScheduleRunner* wireSchedule(Tfm_main& main)
{
    Tfm_sche* sche = main.windows().sche;
    if (!sche) return nullptr;
    sche->setSettings([&main] { return main.settings(); });

    // Commands are looked up when used: some are registered after this runs.
    auto command = [&main](std::function<void()> Tfm_main::Commands::*which) {
        return [&main, which] {
            if (const auto& f = main.commands().*which) f();
        };
    };
    ScheduleRunner::Parts parts;
    sche->setSchedule(&main.schedule());
    parts.schedule = &main.schedule();
    parts.settings = [&main] { return main.settings(); };
    parts.recording = [&main] { return main.activity().recording(); };
    parts.playing = [&main] { return main.activity().playing(); };
    parts.RecordCommand = command(&Tfm_main::Commands::RecordCommand);
    parts.RecordOnSound = command(&Tfm_main::Commands::RecordOnSound);
    parts.planLength = [&main](int64_t seconds) {
        if (const auto& plan = main.commands().PlanLength) plan(seconds);
    };
    parts.StopRecording = command(&Tfm_main::Commands::StopRecording);
    parts.StopPlayback = command(&Tfm_main::Commands::StopPlayback);
    parts.powerOff = main.services().powerOff;
    // Shown once the check is over, so that its other due actions do not
    // wait for the box to be closed.
    parts.tell = [&main](const QString& message) {
        QMetaObject::invokeMethod(
            &main, ErrorBoundary::guarded([&main, message] { main.services().dialogs->information(&main, message); }),
            Qt::QueuedConnection);
    };
    return new ScheduleRunner(std::move(parts), &main);
}
