#pragma once
// The read-out: on every parameter change the name line shows which parameter it was
// and the value line its value in the synthesizer's own terms (a percentage, a signed
// offset, a centre mark, or an entry of the layout's value lists). The two lines are
// also the panel's message lines, so the next change overwrites any status text.
// Keeps no state: each call writes the lines from the current parameter alone.
//
// threads: main (panel edits), midi-in (values from the synthesizer); always inside
// the caller's hold of the plug-in mutex. Takes no lock of its own.

#include <string>

class Tavro;

class ControlDisplay {
public:
  // `value` is the new value; with activeSlotOnly (the transport runs) only the active
  // slot's parameters reach the lines. Does nothing until start-up has completed.
  void controlDisplay(Tavro* plug, int paramIdx, double value, bool activeSlotOnly) const;
  // `value` as "%.0f": the nearest whole number, a tie to the even one.
  // threads: any
  static std::string getValueString(double value);
};
