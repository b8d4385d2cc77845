#include "app/CommandWiring.h"

#include "app/Tfm_main.h"
#include "join/Tfm_list.h"

void wireCommands(Tfm_main& main, Tfm_list& list)
{
    list.setAudio(main.components().AudioFilepaly.get(), main.services().dialogs);
    auto& c = main.commands();
    c.AddFiles = [&list] { list.AddFiles(); };
    c.RemoveSelected = [&list] { list.RemoveSelected(); };
    c.MoveUp = [&list] { list.MoveUp(); };
    c.MoveDown = [&list] { list.MoveDown(); };
}
