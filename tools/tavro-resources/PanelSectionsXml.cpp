#include "ImagePainter.h"
#include "LayoutGenerators.h"
#include "PanelLabels.h"
#include "XmlLine.h"

namespace {

const char kSlotLetters[] = "ABCD";
// The controllers' rows: below the NL1 and velocity backgrounds, right of the
// librarian's list.
constexpr int kControllersLeft = 1144;
constexpr int kControllersTop = 527;
constexpr int kControllersPitch = 49;
// The program selectors, under the slot panel's last row of controls.
constexpr int kSelectorTop = 545;
constexpr int kSelectorLeft = 185;
const char* const kSlotWords[] = {"One", "Two", "Three", "Four"};

// Per-part names among the given index range, in index order: a name whose next
// registered index lies four further on.
std::vector<std::string> NamesIn(const PanelSources& sources, int first, int last) {
  std::vector<std::string> names;
  for (const auto& [index, name] : sources.paramsByIndex()) {
    if (index >= first && index <= last) names.push_back(name);
  }
  return names;
}

// A plain menu of numbers first..last, holding value 0 .. last - first.
XmlLine NumberMenu(const std::string& name, const std::string& paramId, int x, int y, int w, int h, int def, int first,
                   int last, int visible) {
  return XmlLine("multiFx")
      .attr("type", "Menu")
      .attr("name", name)
      .attr("paramId", paramId)
      .attr("position", Joined({x, y, w, h}))
      .attr("valueBounds", Joined({def, 0, last - first + 1}))
      .attr("visible", visible)
      .attr("valueDisplay", std::to_string(first) + ":" + std::to_string(last));
}

int DefaultFor(const std::string& text, int slot) {
  std::vector<std::string> defaults = SplitOn(text, ',');
  return std::stoi(defaults.size() == 4 ? defaults[slot] : defaults[0]);
}

std::string PerformanceControl(const PanelSources& sources, const std::string& file, const TsvRow& row,
                               const std::string& name, const std::string& paramId, int slot, int x, int y, int width,
                               int depth) {
  std::vector<std::string> control = SplitOn(row.at(2), ' ');
  int def = DefaultFor(row.at(3), slot < 0 ? 0 : slot);
  if (control.size() == 2 && control[0] == "list") {
    int entries = static_cast<int>(sources.list(control[1]).size());
    return XmlLine("dropMenu")
        .attr("type", "dropSelection")
        .attr("name", name)
        .attr("paramId", paramId)
        .attr("paramGroup", "Performance")
        .attr("bounds", Joined({x, y, width, 20}))
        .attr("valueBounds", Joined({def, 0, entries}))
        .attr("valueList", control[1])
        .empty(depth);
  }
  if (control.size() == 2 && control[0] == "numbers") {
    std::vector<std::string> range = SplitOn(control[1], ':');
    if (range.size() != 2) FailAt(file, row, "numbers FIRST:LAST expected");
    return NumberMenu(name, paramId, x, y, width, 20, def, std::stoi(range[0]), std::stoi(range[1]), 1)
        .attr("paramGroup", "Performance")
        .empty(depth);
  }
  if (control.size() == 2 && control[0] == "switch") {
    int index = std::stoi(control[1]) + (slot < 0 ? 0 : slot);
    return XmlLine("buttoncontrol")
        .attr("type", "seButton")
        .attr("name", name)
        .attr("paramId", paramId)
        .attr("paramGroup", "Performance")
        .attr("position", Joined({x, y}))
        .attr("imageId", "BTN_CHECKBOX_ID")
        .attr("valueBounds", std::to_string(def))
        .attr("sysexIndex", index)
        .attr("changingByte", 8)
        .empty(depth);
  }
  FailAt(file, row, "unknown control \"" + row.at(2) + "\"");
}

}  // namespace

std::string VeloKnobsXml(const PanelSources& sources, int depth) {
  std::string out;
  std::vector<std::string> names = NamesIn(sources, 208, 307);
  const std::map<std::string, SlotPanelName> panelNames = SlotPanelNames(sources);
  std::string section;
  int x = 0, titleEnd = 0;  // where the last section's title ends
  for (size_t i = 0; i < names.size(); ++i) {
    x = i % 13 == 0 ? 130 : x + 84;
    int y = 170 + 160 * static_cast<int>(i / 13);
    // "kVFilterCutoff" morphs "kFilterCutoff".
    auto morphed = panelNames.find("k" + names[i].substr(2));
    if (morphed == panelNames.end()) throw SourceError(names[i] + ": its parameter has no name on the slot panel");
    if (morphed->second.section != section || i % 13 == 0) {
      section = morphed->second.section;
      // A section of one knob may have a title wider than its knob: the next waits.
      if (i % 13 != 0 && x < titleEnd) x = titleEnd;
      titleEnd = x + MeasureText(section, kReadableTextSize, true).w + 8;
      out += XmlLine("caption")
                 .attr("text", section)
                 .attr("at", Joined({x, y - 17}))
                 .attr("size", kReadableTextSize)
                 .attr("weight", "bold")
                 .empty(depth);
    }
    out += XmlLine("knobcontrol")
               .attr("type", "noValKnob")
               // "kVFilterCutoff" reads "Velo Filter Cutoff"; the reader puts the slot before it.
               .attr("name", "Velo " + LabelOf(names[i]).substr(1))
               .attr("paramId", names[i])
               .attr("paramGroup", "Velocity Morph")
               .attr("position", Joined({x, y}))
               .attr("imageId", "KNOB_ID_257")
               .attr("valueBounds", Joined({128, 0, 255, 1}))
               .attr("label", morphed->second.label)
               .empty(depth);
  }
  if (names.size() != 25) throw SourceError("expected 25 velocity-morph families");
  return out;
}

std::string KeptBytesXml(const PanelSources& sources, int depth) {
  auto holder = [](const std::string& name, int i) {
    return NumberMenu("Kept " + LabelOf(name), name, 10 + 60 * (i % 24), 120 + 20 * (i / 24), 56, 16, 0, 0, 127, 0);
  };
  std::string out;
  std::vector<std::string> perPart = NamesIn(sources, 462, 521);
  std::vector<std::string> single = NamesIn(sources, 522, 588);
  for (size_t i = 0; i < single.size(); ++i) out += holder(single[i], static_cast<int>(i)).empty(depth);
  out += XmlLine("multilayer").attr("name", "keptBytesSlot").attr("create", 4).open(depth);
  for (size_t i = 0; i < perPart.size(); ++i) out += holder(perPart[i], static_cast<int>(i)).empty(depth + 1);
  return out + XmlLine::Close("multilayer", depth);
}

std::string PerformanceFieldsXml(const PanelSources& sources, int depth) {
  const std::string file = sources.path("layout/performance-fields.tsv");
  std::string out;
  for (const TsvRow& row : ReadTsv(file)) {
    const std::string& param = row.at(1);
    sources.param(param);
    int y = 150 + 26 * row.number(4);
    if (row.at(0) == "slot") {
      for (int s = 0; s < 4; ++s) {
        out += PerformanceControl(sources, file, row, SlotPrefix(s) + LabelOf(param), SlotParam(param, s), s,
                                  300 + 220 * s, y, 160, depth);
      }
    } else if (row.at(0) == "single") {
      out += PerformanceControl(sources, file, row, LabelOf(param), param, -1, 1200, y, 140, depth);
    } else {
      FailAt(file, row, "scope must be slot or single");
    }
  }
  return out;
}

namespace {

// Slot s's enable button, and the lit button with its LED shown while it is active.
std::string SlotButtonLayersXml(int s, int depth) {
  const std::string letter(1, kSlotLetters[s]);
  const int y = 420 + 40 * s;
  std::string out = XmlLine("layer").attr("name", "slot" + letter + "Enable").attr("id", s).open(depth);
  out += XmlLine("buttoncontrol")
             .attr("type", "seButton")
             .attr("name", "Slot " + letter + " Enable")
             .attr("paramId", "kSlot" + letter + "Enable")
             .attr("paramGroup", "Performance")
             .attr("position", Joined({10, y}))
             .attr("imageId", "ID_SLOT_" + letter)
             .attr("valueBounds", "1")
             .attr("sysexIndex", 17 + s)
             .attr("changingByte", 8)
             .attr("label", "Slot " + letter)
             .attr("labelSide", "right")
             .empty(depth + 1);
  out += XmlLine::Close("layer", depth);
  out += XmlLine("layer").attr("name", "layer" + letter + "Layer").attr("id", s).open(depth);
  // The active slot's button, which cannot be switched off, shown lit with its letter.
  out += XmlLine("background")
             .attr("imageId", "ID_SLOT_ACTIVE_" + letter)
             .attr("position", Joined({10, y}))
             .empty(depth + 1);
  out += XmlLine("background").attr("imageId", "ID_SINGLE_LED3").attr("position", Joined({94, y + 6})).empty(depth + 1);
  out += XmlLine::Close("layer", depth);
  return out;
}

// Slot s's controller knobs, their lock and the section's caption.
std::string SlotControllersXml(const PanelSources& sources, const std::vector<TsvRow>& controllers, int s, int depth) {
  std::string out = XmlLine("layer").attr("name", std::string("modWheeler") + kSlotWords[s]).attr("id", s).open(depth);
  int i = 0;
  for (const TsvRow& row : controllers) {
    sources.param(row.at(0));
    out +=
        XmlLine("knobcontrol")
            .attr("type", "ccKnob")
            .attr("name", SlotPrefix(s) + row.at(2))
            .attr("paramId", SlotParam(row.at(0), s))
            .attr("paramGroup", "Controllers")
            .attr("position", Joined({kControllersLeft + kControllersPitch * (i % 5), kControllersTop + 66 * (i / 5)}))
            .attr("imageId", "KNOB_ID_127")
            .attr("valueBounds", Joined({0, 0, 127, 1}))
            .attr("ccNumber", row.number(1))
            .attr("channel", s + 1)
            .attr("label", row.at(3))
            .attr("labelPages", "yes")
            .empty(depth + 1);
    ++i;
  }
  out += XmlLine("switch")
             .attr("name", SlotPrefix(s) + "Mod Wheel Lock")
             .attr("paramId", SlotParam("kModWheelLock", s))
             .attr("paramGroup", "Controllers")
             .attr("position", Joined({kControllersLeft - 24, kControllersTop}))
             .attr("imageId", "ID_SECTION_LOCK")
             .attr("valueBounds", Joined({0, 0, 1}))
             .attr("label", "Lock")
             .attr("labelPages", "yes")
             .empty(depth + 1);
  out += XmlLine("caption")
             .attr("text", "Controllers")
             .attr("at", Joined({1212, kControllersTop - 17}))
             .attr("size", kReadableTextSize)
             .attr("weight", "bold")
             .attr("labelPages", "yes")
             .empty(depth + 1);
  out += XmlLine::Close("layer", depth);
  return out;
}

}  // namespace

std::string SlotLayersXml(const PanelSources& sources, int depth) {
  const std::vector<TsvRow> controllers = ReadTsv(sources.path("layout/controllers.tsv"));
  std::string out;
  for (int s = 0; s < 4; ++s) out += SlotButtonLayersXml(s, depth) + SlotControllersXml(sources, controllers, s, depth);
  return out;
}

std::string ProgramSelectorsXml(const PanelSources& sources, int depth) {
  struct Selectors {
    std::string layer, bank, program;
    int banks, programs;
  };
  // One pair, under the slot names, in every layer shown: a program layer serves one
  // slot, and a performance is chosen by one bank and number for all four slots.
  auto pair = [&](const Selectors& sel, int s, int x, int y, int visible, int d) {
    XmlLine bank =
        NumberMenu(SlotPrefix(s) + "Bank", SlotParam(sel.bank, s), x, y, 33, 18, 0, 0, sel.banks - 1, visible);
    XmlLine program = NumberMenu(SlotPrefix(s) + "Program", SlotParam(sel.program, s), x + 33, y, 35, 18, 0, 1,
                                 sel.programs, visible);
    if (visible) {
      bank.attr("label", "Bank").attr("labelPages", "yes");
      program.attr("label", "Prog").attr("labelPages", "yes");
    }
    return bank.empty(d) + program.empty(d);
  };
  const Selectors programs[] = {{"nl2", "kCurrentBank", "kCurrentProgram", 4, 99},
                                {"nl2x", "kCurrentBank2x", "kCurrentProgram2x", 10, 99}};
  const Selectors performances[] = {{"NL2", "kCurrentPerfBank", "kCurrentPerfProgram", 2, 100},
                                    {"NL2x", "kCurrentPerfBank2x", "kCurrentPerfProgram2x", 4, 100}};
  std::string out;
  for (const Selectors& sel : programs) {
    for (int s = 0; s < 4; ++s) {
      out += XmlLine("layer").attr("name", "patchProgramControls" + std::to_string(s + 1) + sel.layer).open(depth);
      out += pair(sel, s, kSelectorLeft, kSelectorTop, 1, depth + 1);
      out += XmlLine::Close("layer", depth);
    }
  }
  for (const Selectors& sel : performances) {
    out += XmlLine("layer").attr("name", "performanceProgramControls" + sel.layer).open(depth);
    out += pair(sel, 0, kSelectorLeft, kSelectorTop, 1, depth + 1);
    out += XmlLine::Close("layer", depth);
  }
  // Slots B to D follow slot A's performance (the global channel moves all four): their
  // selectors hold the values in a layer the editor never shows.
  out += XmlLine("layer").attr("name", "performanceSelectorsKept").open(depth);
  for (int m = 0; m < 2; ++m)
    for (int s = 1; s < 4; ++s)
      out += pair(performances[m], s, kSelectorLeft + 70 * s, kSelectorTop + 20 * m, 0, depth + 1);
  out += XmlLine::Close("layer", depth);
  return out;
}

std::string MidiFiltersXml(const PanelSources& sources, int depth) {
  // Start states as the editor sets them at start-up: program changes and host SysEx
  // held back, clock off.
  const int kOn[] = {1, 0, 1, 1, 1, 1, 0, 1, 0, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0};
  std::string out;
  std::vector<std::string> names = NamesIn(sources, 592, 610);
  for (size_t i = 0; i < names.size(); ++i) {
    int x = 340 + 420 * static_cast<int>(i / 10);
    int y = 180 + 36 * static_cast<int>(i % 10);
    out += XmlLine("switch")
               .attr("name", LabelOf(names[i]))
               .attr("paramId", names[i])
               .attr("paramGroup", "MIDI Filters")
               .attr("position", Joined({x, y}))
               .attr("imageId", "BTN_CHECKBOX_ID")
               .attr("valueBounds", Joined({kOn[i], 0, 1}))
               .empty(depth);
  }
  if (names.size() != 19) throw SourceError("expected 19 MIDI filter and clock switches");
  return out;
}
