#pragma once
// Connects the windows' operations to the main window's command hooks.

class RecordingControl;
class Tfm_list;
class Tfm_main;
class Tfm_set;

// The recording control it makes is a child of the main window.
RecordingControl* wireCommands(Tfm_main& main, Tfm_list& list, Tfm_set& set);
