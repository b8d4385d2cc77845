#include "app/DirectoryWiring.h"

#include "app/Tfm_main.h"
#include "config/Tfm_dir.h"

void wireOutputDirectory(Tfm_main& main, Tfm_set& set)
{
    Tfm_dir* dir = main.windows().dir;
    if (!dir) return;
    dir->setSettings([&main] { return main.settings(); });
    dir->setSettingsWindow(&set);
}
