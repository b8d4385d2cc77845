#pragma once
// Gives the schedule window the settings file and starts the schedule runner
// on the main window's commands and flags.

class ScheduleRunner;
class Tfm_main;

// The runner is a child of the main window; none without a schedule window.
ScheduleRunner* wireSchedule(Tfm_main& main);
