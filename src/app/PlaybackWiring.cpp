#include "app/PlaybackWiring.h"

#include "app/Tfm_main.h"
#include "components/TSkin.h"
#include "join/Tfm_list.h"
#include "playback/PlaybackControl.h"


PlaybackControl* wirePlayback(Tfm_main& main, Tfm_list& list)
{
    PlaybackControl::Parts parts;
    parts.activity = &main.activity();
    parts.reader = main.components().AudioFilepaly.get();
    parts.player = main.components().AudioPlayer21.get();
    parts.levels = main.components().AudioVisualization21;
    parts.dialogs = main.services().dialogs;
    parts.dialogParent = &main;
    parts.showText = [&main](DisplayText which, const QString& text) { main.showText(which, text); };
    parts.textsFollow = [&main] { return main.drag().textsFollow(); };
    parts.bar.follows = [&main] { return main.barFollows(); };
    // The display elements are bound at the first show, after this runs.
    parts.bar.setPosition = [&main](int position) {
        if (main.play_bar.bar) main.play_bar.bar->SetBarPosition(position);
        if (main.play_bar.common) main.play_bar.common->RedrawElement();
    };
    parts.bar.position = [&main] { return main.play_bar.bar ? main.play_bar.bar->BarPosition() : 0; };
    parts.bar.setEnabled = [&main](bool enabled) {
        if (main.play_bar.common) main.play_bar.common->SetElementEnabled(enabled);
    };
    parts.entries.count = [&list] { return list.count(); };
    parts.entries.selected = [&list] { return list.selectedIndex(); };
    parts.entries.select = [&list](int row) { list.selectOnly(row); };
    parts.entries.path = [&list](int row) { return list.entryPath(row); };
    parts.sleepInhibitor = main.services().sleepInhibitor;

    auto* player = new PlaybackControl(std::move(parts), &main);
    auto& c = main.commands();
    c.PlayCommand = [player] { player->PlayCommand(); };
    c.TogglePlaybackPause = [player] { player->TogglePlaybackPause(); };
    c.StopPlayback = [player] { player->StopPlayback(); };
    c.SeekFromBar = [player] { player->SeekFromBar(); };
    return player;
}
