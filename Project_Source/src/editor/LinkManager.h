#pragma once
// Part linking: slots that share the active slot's MIDI channel follow its edits. When
// a parameter of a slot changes, the same parameter of every other slot on the active
// slot's channel takes the value through processControlAction, which stores it and
// moves the controls but sends nothing while linkInProgress is set. Keeps no state.
//
// threads: main (panel edits), midi-in (values from the synthesizer); always inside
// the caller's hold of the plug-in mutex, which also guards linkInProgress.

#include "layout/ControlAction.h"

class Tavro;

class LinkManager {
public:
  // Mirrors `value` of paramIdx into each other slot that shares the active slot's
  // channel. `link` is a copy of the changed parameter's link record; iv is unused.
  void controlLinker(Tavro* plug, LinkInfo link, int paramIdx, int iv, double value) const;
  // One pair slotX < slotY on one channel, one of them the active slot: the edited
  // parameter's member of the pair's other slot takes the value. Parameter 693 never links.
  void doControlLinkActions(Tavro* plug, int paramIdx, int slotX, int slotY, LinkInfo link, int activeSlot,
                            double value) const;
  // Applies `value` to link.target when link.value names a parameter and the target is
  // a parameter with a binding record; anything else mirrors nothing.
  void multiLinker(Tavro* plug, LinkInfo link, int groupBase, double value) const;
};
