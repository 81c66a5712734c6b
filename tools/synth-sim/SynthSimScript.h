#pragma once
// A front-panel script for the simulator: one action a line, played at its time.
//
//   <ms> cc <channel 1-16> <controller 0-127> <value 0-127>
//   <ms> pc <channel 1-16> <program 0-127>
//   <ms> note <channel 1-16> <note 0-127> <velocity 0-127>
//
// Blank lines and lines starting with '#' are skipped.

#include <string>

class SynthSim;

// Schedules every line on `sim`, times counted from now; false, scheduling nothing,
// with `error` naming the first bad line.
bool PlayFrontPanelScript(const std::string& text, SynthSim& sim, std::string* error);
