#pragma once
// The regular parts of the layout, written from the compact tables of the resource
// sources. Each returns XML elements indented at depth (two blanks a level).

#include <map>
#include <string>

#include "PanelSources.h"

std::string ValueListsXml(const PanelSources& sources, int depth);
// One part slot of a synthesizer page ("nl2" or "nl1"), from slot-panel.tsv and the
// control-change map; the page's multilayer builds it four times.
std::string SlotPanelXml(const PanelSources& sources, const std::string& page, int depth);
// The name a slot-panel row gives its control, and the title of its section.
struct SlotPanelName {
  std::string label;
  std::string section;
};
std::map<std::string, SlotPanelName> SlotPanelNames(const PanelSources& sources);
// The 25 velocity-morph knobs of one part slot, named as the slot panel names the
// parameter each morphs, under the titles of its sections.
std::string VeloKnobsXml(const PanelSources& sources, int depth);
// Holders of the kept dump bytes: the per-part ones in a four-slot multilayer.
std::string KeptBytesXml(const PanelSources& sources, int depth);
// The performance settings page, from performance-fields.tsv.
std::string PerformanceFieldsXml(const PanelSources& sources, int depth);
// Per-slot top-level layers: slot enables, active-slot marks and mod-wheel layers.
std::string SlotLayersXml(const PanelSources& sources, int depth);
// Program and bank selectors of the program-control layers.
std::string ProgramSelectorsXml(const PanelSources& sources, int depth);
// The MIDI filter and clock switches.
std::string MidiFiltersXml(const PanelSources& sources, int depth);

// "kFilterEnvAttack" -> "Filter Env Attack".
std::string LabelOf(const std::string& paramName);
// The slot prefix the factories give per-part names: "[2] " for slot 1.
std::string SlotPrefix(int slot);
// paramId text of a name for slot s: the name, then "+s" for s > 0.
std::string SlotParam(const std::string& name, int slot);
