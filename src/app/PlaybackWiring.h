#pragma once
// Connects the player to the main window's play, pause, stop and seek-bar
// commands, its display elements and the join list.

class PlaybackControl;
class Tfm_list;
class Tfm_main;

// The control it makes is a child of the main window.
PlaybackControl* wirePlayback(Tfm_main& main, Tfm_list& list);
