#include <cstring>

#include "ImagePainter.h"
#include "LayoutGenerators.h"
#include "XmlLine.h"
#include "editor/tables/PanelLookups.h"

namespace {

const char* const kGroups[] = {"Oscillators", "Filter and Amp", "LFO and Mod Env"};

struct Cell {
  int x;
  int y;
};

// The cells of a page. A row is tall enough for a selector's five value names of the
// readable size beside its lights, with the step button and its name under them.
struct Grid {
  Cell at(int col, int row) const { return {130 + 64 * col, 130 + 140 * row}; }
};

// Where a selector's step button stands: under the strip of lights.
constexpr int kStepButtonDrop = 80;

Cell CellOf(const TsvRow& row, const Grid& grid) { return grid.at(row.number(3), row.number(4)); }

// The value list the read-out shows for a parameter, "" for none.
std::string ValueListOf(const std::string& param) {
  for (int i = 0; i < kValueListUseCount; ++i) {
    for (const char* const* p = kValueListUses[i].params; *p; ++p) {
      if (param == *p) return kValueListUses[i].list;
    }
  }
  return "";
}

// The short name of each value beside its light of a selector strip.
std::string ValueNames(const PanelSources& sources, const std::string& param, const std::string& image, Cell at,
                       int depth) {
  const std::string list = ValueListOf(param);
  if (list.empty() || list == "onOff") return "";
  const std::vector<std::string>& names = sources.shortNames(list);
  const FrameSize frame = ReadImageSizes(sources.dir()).at(image);
  const int n = static_cast<int>(names.size());
  std::string out;
  for (int i = 0; i < n; ++i) {
    // A single light shows its lit value only.
    if (frame.w < 16 && i == 0) continue;
    const LedSpot spot = LedSpotOf(frame.w < 16 ? 0 : i, frame.w < 16 ? 1 : n, frame.w, frame.h);
    out += XmlLine("caption")
               .attr("text", names[i])
               .attr("at", Joined({at.x + static_cast<int>(spot.cx + spot.r) + 2,
                                   at.y + static_cast<int>(spot.cy) - kReadableTextSize / 2 - 1}))
               .attr("for", param)
               .empty(depth);
  }
  return out;
}

// Number of positions of a selector row: "sel N", or the frames of its strip.
int SelectorStates(const PanelSources& sources, const ControllerRow& cc, const std::string& image) {
  int frames = sources.frames(image);
  if (cc.range.size() > 4) {
    int stated = std::stoi(cc.range.substr(4));
    if (stated != frames) {
      throw SourceError(cc.name + ": \"" + cc.range + "\" on the " + std::to_string(frames) + "-frame strip " + image);
    }
  }
  return frames;
}

XmlLine Control(const char* element, const char* type, const std::string& param, Cell at, const std::string& image,
                const std::string& group) {
  return XmlLine(element)
      .attr("type", type)
      .attr("name", LabelOf(param))
      .attr("paramId", param)
      .attr("paramGroup", group)
      .attr("position", Joined({at.x, at.y}))
      .attr("imageId", image);
}

std::string CcButton(const std::string& param, int cc, Cell at, const std::string& image, int def,
                     const std::string& group, int depth) {
  return Control("buttoncontrol", "ccButton", param, {at.x, at.y + 14}, image, group)
      .attr("valueBounds", Joined({def, 0, 1}))
      .attr("ccNumber", cc)
      .empty(depth);
}

std::string CcKnob(const std::string& param, int cc, Cell at, const std::string& image, int def, int max,
                   const std::string& group, int depth) {
  return Control("knobcontrol", "ccKnob", param, at, image, group)
      .attr("valueBounds", Joined({def, 0, max, 1}))
      .attr("ccNumber", cc)
      .empty(depth);
}

// The map's control of a row: a button for "sw", a knob over the range otherwise.
std::string MapControl(const PanelSources& sources, const ControllerRow& cc, const std::string& param, Cell at,
                       const std::string& image, int def, const std::string& group, int depth) {
  if (cc.range == "sw") return CcButton(param, cc.cc, at, image, def, group, depth);
  int max = 0;
  if (cc.range == "0-127") {
    max = 127;
  } else if (cc.range == "0-120") {
    max = 120;
  } else if (cc.range.compare(0, 3, "sel") == 0) {
    max = SelectorStates(sources, cc, image) - 1;
  } else {
    throw SourceError(cc.name + ": unknown range \"" + cc.range + "\"");
  }
  return CcKnob(param, cc.cc, at, image, def, max, group, depth);
}

std::string PlainSwitch(const char* element, const std::string& param, Cell at, const std::string& image,
                        const std::string& group, int def, int depth) {
  XmlLine line(element);
  line.attr("name", LabelOf(param)).attr("paramId", param).attr("paramGroup", group);
  line.attr("position", Joined({at.x, at.y})).attr("imageId", image);
  if (std::string(element) == "switch") line.attr("valueBounds", Joined({def, 0, 1}));
  return line.empty(depth);
}

std::string ControlXml(const PanelSources& sources, const std::string& file, const TsvRow& row, Cell at,
                       const std::string& group, int depth);

// The row's name as the builder-only label attribute of the line's control: on/off
// states name themselves at their right, the octave light above, the rest below.
std::string Labelled(const std::string& xml, const TsvRow& row) {
  const std::string& label = row.at(9);
  if (label.empty()) return xml;
  const std::string& kind = row.at(1);
  const bool onOff = row.at(5) == "BTN_CHECKBOX_ID";
  std::string attrs = " label=\"" + XmlEscape(label) + "\"";
  if (onOff) attrs += " labelSide=\"right\"";
  if (kind == "led") attrs += " labelSide=\"above\"";
  // The last line holds the control that shows (a sync row's hidden CC control comes first).
  const size_t end = xml.rfind("/>");
  return xml.substr(0, end) + attrs + xml.substr(end);
}

std::string RowXml(const PanelSources& sources, const std::string& file, const TsvRow& row, const Grid& grid,
                   int depth) {
  const std::string& kind = row.at(1);
  const std::string& param = row.at(2);
  const std::string& image = row.at(5);
  const std::string group = kGroups[row.number(4)];
  sources.param(param);
  sources.frames(image);
  Cell at = CellOf(row, grid);
  if ((kind == "knob" || kind == "twin" || kind == "sync") && image != "BTN_CHECKBOX_ID") {
    return Labelled(ControlXml(sources, file, row, at, group, depth), row) +
           ValueNames(sources, param, image, at, depth);
  }
  return Labelled(ControlXml(sources, file, row, at, group, depth), row);
}

std::string ControlXml(const PanelSources& sources, const std::string& file, const TsvRow& row, Cell at,
                       const std::string& group, int depth) {
  const std::string& kind = row.at(1);
  const std::string& param = row.at(2);
  const std::string& image = row.at(5);
  int def = row.at(6).empty() ? 0 : row.number(6);
  if (kind == "knob" || kind == "button") {
    const ControllerRow& cc = sources.controller(param);
    if ((kind == "button") != (cc.range == "sw")) FailAt(file, row, kind + " for " + cc.range);
    // An on/off state sits in the middle of its cell, its name beside it.
    return MapControl(sources, cc, param, kind == "button" ? Cell{at.x + 14, at.y} : at, image, def, group, depth);
  }
  if (kind == "twin") {
    const ControllerRow& shared = sources.controller(row.at(8));
    int states = row.number(7);
    if (shared.range == "sw") return CcButton(param, shared.cc, {at.x + 14, at.y}, image, def, group, depth);
    if (sources.frames(image) != states) FailAt(file, row, "strip frames differ from states");
    return CcKnob(param, shared.cc, at, image, def, states - 1, group, depth);
  }
  if (kind == "sync") {
    // The hidden CC control comes first so that incoming CCs find it; the knob made
    // after it gives the parameter its range and makes a change resend the program.
    const ControllerRow& cc = sources.controller(param);
    std::string out = XmlLine("sublayer").attr("name", "syncControlChange").attr("id", 99).open(depth);
    out += CcButton(param, cc.cc, at, "BUTTON_VAAKA_YKS_ID", def, group, depth + 1);
    out += XmlLine::Close("sublayer", depth);
    return out + Control("knobcontrol", "noValKnob", param, at, image, group)
                     .attr("valueBounds", Joined({def, 0, sources.frames(image) - 1, 1}))
                     .empty(depth);
  }
  if (kind == "switch") return PlainSwitch("switch", param, {at.x + 14, at.y + 14}, image, group, def, depth);
  if (kind == "lock") return PlainSwitch("switch", param, {at.x + 14, at.y + 14}, image, group, def, depth);
  if (kind == "led") return PlainSwitch("switch", param, {at.x + 48, at.y}, image, group, def, depth);
  if (kind == "trig") return PlainSwitch("switch2", param, {at.x, at.y + kStepButtonDrop}, image, group, 0, depth);
  if (kind == "trigup") return PlainSwitch("switch2", param, at, image, group, 0, depth);
  if (kind == "trigdown") return PlainSwitch("switch2", param, {at.x + 24, at.y}, image, group, 0, depth);
  FailAt(file, row, "unknown kind " + kind);
}

}  // namespace

std::string SlotPanelXml(const PanelSources& sources, const std::string& page, int depth) {
  const std::string file = sources.path("layout/slot-panel.tsv");
  const Grid grid;
  std::string out;
  const std::string sections = sources.path("layout/slot-sections.tsv");
  for (const TsvRow& row : ReadTsv(sections)) {
    Cell at = grid.at(row.number(1), row.number(0));
    out += XmlLine("caption")
               .attr("text", row.at(2))
               .attr("at", Joined({at.x, at.y - 18}))
               .attr("size", kReadableTextSize)
               .attr("weight", "bold")
               .empty(depth);
  }
  for (const TsvRow& row : ReadTsv(file)) {
    if (row.at(0) != "both" && row.at(0) != page) continue;
    try {
      out += RowXml(sources, file, row, grid, depth);
    } catch (const SourceError& e) {
      if (std::string(e.what()).compare(0, file.size(), file) == 0) throw;
      FailAt(file, row, e.what());
    }
  }
  if (page == "nl2") {
    // Every row of the control-change map has its control on this page.
    for (const ControllerRow& cc : sources.controllers()) {
      if (out.find("paramId=\"" + cc.name + "\"") == std::string::npos) {
        throw SourceError(file + ": no control for the map row " + cc.name);
      }
    }
  }
  return out;
}

std::map<std::string, SlotPanelName> SlotPanelNames(const PanelSources& sources) {
  std::vector<TsvRow> sections = ReadTsv(sources.path("layout/slot-sections.tsv"));
  std::map<std::string, SlotPanelName> names;
  for (const TsvRow& row : ReadTsv(sources.path("layout/slot-panel.tsv"))) {
    if (row.at(9).empty()) continue;
    std::string section;
    int from = -1;
    for (const TsvRow& title : sections) {
      if (title.number(0) == row.number(4) && title.number(1) <= row.number(3) && title.number(1) > from) {
        from = title.number(1);
        section = title.at(2);
      }
    }
    names[row.at(2)] = {row.at(9), section};
  }
  return names;
}
