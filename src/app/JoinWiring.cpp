#include "app/JoinWiring.h"

#include "app/Tfm_main.h"
#include "join/JoinEngine.h"

JoinEngine* wireJoin(Tfm_main& main, Tfm_list& list)
{
    JoinEngine::Parts parts;
    parts.activity = &main.activity();
    parts.quitting = [&main] { return main.quitting(); };
    parts.list = &list;
    parts.writer = main.components().AudioFileWrite.get();
    parts.reader = main.components().AudioFilepaly.get();
    parts.dialogs = main.services().dialogs;
    parts.shell = main.services().shell;
    parts.settings = [&main] { return main.settings(); };
    parts.skin = main.components().Skin1.get();
    parts.sleepInhibitor = main.services().sleepInhibitor;
    auto* engine = new JoinEngine(std::move(parts), &main);
    main.commands().JoinFiles = [engine] { engine->JoinFiles(); };
    main.commands().StopJoin = [engine] { engine->RequestStop(); };
    return engine;
}
