#include "LayoutAssembler.h"

#include <sstream>

#include "LayoutGenerators.h"

namespace {

// Levels of the line's indentation: a tab or two blanks each.
int IndentDepth(const std::string& line, size_t indent) {
  int blanks = 0;
  for (size_t i = 0; i < indent; ++i) blanks += line[i] == '\t' ? 2 : 1;
  return blanks / 2;
}

std::string Generate(const PanelSources& sources, const std::string& name, const std::string& arg, int depth) {
  if (name == "valueLists") return ValueListsXml(sources, depth);
  if (name == "slotPanel") return SlotPanelXml(sources, arg, depth);
  if (name == "veloKnobs") return VeloKnobsXml(sources, depth);
  if (name == "keptBytes") return KeptBytesXml(sources, depth);
  if (name == "performanceFields") return PerformanceFieldsXml(sources, depth);
  if (name == "slotLayers") return SlotLayersXml(sources, depth);
  if (name == "programSelectors") return ProgramSelectorsXml(sources, depth);
  if (name == "midiFilters") return MidiFiltersXml(sources, depth);
  throw SourceError("unknown generator " + name);
}

}  // namespace

std::string AssembleLayout(const PanelSources& sources) {
  const std::string file = sources.path("uiconfig.xml");
  std::istringstream in(ReadTextFile(file));
  const std::string marker = "<!-- @generate ";
  std::string out;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    size_t indent = line.find_first_not_of(" \t");
    if (indent == std::string::npos || line.compare(indent, marker.size(), marker) != 0) {
      out += line + "\n";
      continue;
    }
    size_t end = line.find(" -->", indent);
    if (end == std::string::npos) {
      throw SourceError(file + ":" + std::to_string(number) + ": unterminated marker");
    }
    std::string words = line.substr(indent + marker.size(), end - indent - marker.size());
    size_t blank = words.find(' ');
    std::string name = words.substr(0, blank);
    std::string arg = blank == std::string::npos ? "" : words.substr(blank + 1);
    try {
      out += Generate(sources, name, arg, IndentDepth(line, indent));
    } catch (const std::exception& e) {
      throw SourceError(file + ":" + std::to_string(number) + ": " + e.what());
    }
  }
  return out;
}
