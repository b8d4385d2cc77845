#pragma once
// Gives the tag window what it reads and writes through.

class Tfm_list;
class Tfm_main;

// The tag window is the one set on the main window; it edits the tag of the
// list's selected entry, or the default tag when nothing is selected.
void wireTagWindow(Tfm_main& main, Tfm_list& list);
