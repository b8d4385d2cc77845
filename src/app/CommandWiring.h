#pragma once
// Connects the windows' operations to the main window's command hooks.

class Tfm_list;
class Tfm_main;

void wireCommands(Tfm_main& main, Tfm_list& list);
