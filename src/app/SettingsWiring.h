#pragma once
// Gives the settings window the windows its pages and buttons open.

class Tfm_main;
class Tfm_set;

void wireSettingsWindow(Tfm_main& main, Tfm_set& set);
