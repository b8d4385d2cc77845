#pragma once
// Connects the join run to the list window's "join" element.

class JoinEngine;
class Tfm_list;
class Tfm_main;

// The engine it makes is a child of the main window.
JoinEngine* wireJoin(Tfm_main& main, Tfm_list& list);
