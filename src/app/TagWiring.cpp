#include "app/TagWiring.h"

#include "app/Tfm_main.h"
#include "join/Tfm_list.h"
#include "tags/Tfm_id3.h"

void wireTagWindow(Tfm_main& main, Tfm_list& list)
{
    Tfm_id3* id3 = main.windows().id3;
    if (!id3) return;
    id3->setInformation(main.components().AudioInformation21.get());
    id3->setSettings([&main] { return main.settings(); });
    id3->setDialogs(main.services().dialogs);
    id3->setSelectedEntry([&list] {
        const int row = list.selectedIndex();
        return row < 0 ? QString() : list.entryPath(row);
    });
}
