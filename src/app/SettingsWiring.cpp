#include "app/SettingsWiring.h"

#include "app/Tfm_main.h"
#include "config/Tfm_dev.h"
#include "config/Tfm_dir.h"
#include "config/Tfm_set.h"
#include "schedule/Tfm_sche.h"

void wireSettingsWindow(Tfm_main& main, Tfm_set& set)
{
    const Tfm_main::Windows& w = main.windows();
    set.setRecordingSourceWindow(w.dev);
    set.setOutputDirectoryWindow(w.dir);
    set.setScheduleWindow(w.sche);
}
