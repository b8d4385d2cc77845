#pragma once
// Gives the output directory window the settings file and the settings
// window whose directory box it fills.

class Tfm_main;
class Tfm_set;

void wireOutputDirectory(Tfm_main& main, Tfm_set& set);
