#pragma once
// The two layer switches that decide what the musician sees: the main tab (page,
// model, slot and librarian mode) and the part slot within the page. No state of
// its own; everything lives in the plug-in's layers and parameters.
//
// threads: main (construction, parameter changes under the plug-in mutex, recall)

class Tavro;

class TabSwitchFunctions {
public:
  // The page a main tab shows for a model: tabs 2/4 and 3/5 share pages 2 and 3,
  // except on model 0, which has pages 4 and 5 of its own.
  static int pageFor(int tab, int model);

  void mainTabSwitch(Tavro* plug, int tab, int model, int slot);
  // Puts the current page onto `slot`; the model is read from the plug-in.
  void quickTabSwitch(Tavro* plug, int paramIdx, int slot, int model);
  // The Bank/Prog read-out of the current model, slot and mode, the others hidden: a
  // mode switch shows the performance, or the slot's program, it then steps from.
  static void showProgramControls(Tavro* plug);

private:
  // The program-controls layer for the model, slot and librarian mode; null for a
  // slot outside 0-3 where the choice depends on the slot.
  static const char* programControlsLayer(int model, int slot, bool perfMode);
  // Shows the page's child `slot` (by id) and hides its other children.
  static void showSlotOfPage(Tavro* plug, int pagePosition, int slot);
  // The slot's mod-wheel layer shown, all other slot-dependent layers hidden.
  static void hideSlotLayers(Tavro* plug, int slot);
  static void hideProgramControls(Tavro* plug);
  // Switches the slot on, shows its layer and program controls and sets its octave light.
  static void showSynthSlot(Tavro* plug, int slot, int model);
  static void updateOctaveLight(Tavro* plug, int slot);
};
