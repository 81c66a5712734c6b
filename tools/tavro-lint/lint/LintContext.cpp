#include "LintContext.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "Framework/ControlLayer.h"
#include "Framework/IControl.h"
#include "Framework/IGraphicsMac.h"
#include "Framework/IParam.h"
#include "layout/tables/ParamNameTable.h"

LintContext::LintContext(LintPanel& lintPanel, const LintSources& lintSources)
    : panel(lintPanel), sources(lintSources) {
  for (int i = 0; i < kParamNameTableSize; ++i) names_[kParamNameTable[i].name] = kParamNameTable[i].index;
  std::vector<int> indices;
  for (const auto& entry : names_) indices.push_back(entry.second);
  indices.push_back(kLayoutParamCount);
  std::sort(indices.begin(), indices.end());
  for (size_t i = 0; i + 1 < indices.size(); ++i) {
    if (indices[i + 1] != indices[i]) nextIndex_[indices[i]] = indices[i + 1];
  }
  IGraphics& g = panel.graphics();
  for (int i = 0; i < g.NControls(); ++i) controls.push_back({g.GetControl(i), nullptr, nullptr});
  for (int i = 0; i < g.NLayers(); ++i) collect(g.GetLayer(i), g.GetLayer(i));
}

void LintContext::collect(ControlLayer* layer, ControlLayer* top) {
  layers.push_back(layer);
  for (int i = 0; i < layer->NControls(); ++i) controls.push_back({layer->GetControl(i), layer, top});
  for (int i = 0; i < layer->NChildLayers(); ++i) collect(layer->GetChildLayer(i), top);
}

int LintContext::index(const std::string& name) const {
  auto it = names_.find(name);
  return it == names_.end() ? -1 : it->second;
}

int LintContext::slots(const std::string& name) const {
  auto it = nextIndex_.find(index(name));
  return it != nextIndex_.end() && it->second - it->first == 4 ? 4 : 1;
}

std::string LintContext::nameOf(int i) const {
  std::string best;
  int bestIndex = -1;
  for (const auto& [name, index] : names_) {
    if (index <= i && index > bestIndex && i < index + slots(name)) {
      best = name;
      bestIndex = index;
    }
  }
  return best;
}

IParam* LintContext::param(int i) const { return panel.plug().GetParam(i); }

ControlAction* LintContext::action(int i) const {
  IParam* p = param(i);
  return p ? p->GetControlAction() : nullptr;
}

std::vector<const PlacedControl*> LintContext::controlsOf(int i) const {
  std::vector<const PlacedControl*> found;
  for (const PlacedControl& placed : controls) {
    if (placed.control->ParamIdx() == i) found.push_back(&placed);
  }
  return found;
}

void LintContext::add(const std::string& rule, int line, const std::string& element, const std::string& message) {
  findings.push_back({rule, line, element, message});
}

void LintContext::aboutText(const std::string& rule, const std::string& needle, const std::string& message) {
  std::istringstream text(panel.layoutText());
  std::string line;
  int number = 0;
  while (std::getline(text, line)) {
    ++number;
    if (line.find(needle) == std::string::npos) continue;
    size_t open = line.find('<');
    size_t end = line.find_first_of(" />", open + 1);
    std::string element = open == std::string::npos ? "" : line.substr(open + 1, end - open - 1);
    add(rule, number, element, message);
    return;
  }
  add(rule, 0, needle, message);
}

std::string LintContext::imageOf(const std::string& name) const {
  const std::string& text = panel.layoutText();
  size_t at = text.find("paramId=\"" + name + "\"");
  if (at == std::string::npos) return "";
  const size_t end = text.find('\n', at), begin = text.rfind('\n', at);
  const std::string key = "imageId=\"";
  size_t image = text.find(key, begin);
  if (image == std::string::npos || image > end) return "";
  return text.substr(image + key.size(), text.find('"', image + key.size()) - image - key.size());
}

void LintContext::aboutParam(const std::string& rule, const std::string& name, const std::string& message) {
  const std::string exact = "paramId=\"" + name + "\"";
  if (panel.layoutText().find(exact) != std::string::npos) {
    aboutText(rule, exact, name + ": " + message);
  } else {
    aboutText(rule, "paramId=\"" + name + "+", name + ": " + message);
  }
}

namespace {

// The rows of a tab-separated table, "#" lines and blank lines left out.
std::vector<std::vector<std::string>> TableRows(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error(path + " cannot be read");
  std::vector<std::vector<std::string>> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells;
    std::istringstream row(line);
    std::string cell;
    while (std::getline(row, cell, '\t')) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

}  // namespace

LintSources LoadLintSources(const std::string& sourceDir, const std::string& labelsPath) {
  LintSources sources = LoadControllers(sourceDir);
  for (const std::vector<std::string>& row : TableRows(sourceDir + "/images.tsv")) {
    // A label column, or the part selector's letters.
    if ((row.size() > 5 && !row[5].empty()) || (row.size() > 1 && row[1] == "radio")) {
      sources.imagesWithText.push_back(row[0]);
    }
  }
  if (labelsPath.empty()) return sources;
  for (const std::vector<std::string>& row : TableRows(labelsPath)) {
    if (row.size() != 9) throw std::runtime_error(labelsPath + ": a row without its nine columns");
    sources.labels.push_back({row[0], std::stoi(row[1]), std::stoi(row[2]), std::stoi(row[3]), std::stoi(row[4]),
                              std::stoi(row[5]), std::stoi(row[6]), row[7], row[8]});
  }
  const std::string textsPath = labelsPath.substr(0, labelsPath.rfind('/') + 1) + "texts.tsv";
  for (const std::vector<std::string>& row : TableRows(textsPath)) {
    if (row.size() != 9) throw std::runtime_error(textsPath + ": a row without its nine columns");
    sources.texts.push_back({row[0], std::stoi(row[1]), std::stoi(row[2]), std::stoi(row[3]), std::stoi(row[4]),
                             std::stoi(row[5]), row[6] == "1", row[7], row[8]});
  }
  return sources;
}

LintSources LoadControllers(const std::string& sourceDir) {
  std::ifstream in(sourceDir + "/synth-controllers.tsv");
  if (!in) throw std::runtime_error(sourceDir + "/synth-controllers.tsv cannot be read");
  LintSources sources;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream cells(line);
    LintControllerRow row;
    std::string cc, models, note;
    std::getline(cells, row.name, '\t');
    std::getline(cells, cc, '\t');
    std::getline(cells, row.range, '\t');
    std::getline(cells, models, '\t');
    std::getline(cells, note, '\t');
    row.cc = std::stoi(cc);
    const std::string uses = "NL1 uses ";
    size_t at = note.find(uses);
    if (at != std::string::npos) {
      size_t start = at + uses.size();
      row.nl1Twin = note.substr(start, note.find_first_of(" ;", start) - start);
    }
    sources.controllers.push_back(row);
  }
  return sources;
}

std::vector<LintFinding> LintLayout(LintPanel& panel, const LintSources& sources) {
  LintContext c(panel, sources);
  LintReader(c);
  LintLayers(c);
  LintGeometry(c);
  LintImages(c);
  LintLibrarianList(c);
  LintBound(c);
  LintValueLists(c);
  LintControlChanges(c);
  LintRanges(c);
  LintSysEx(c);
  LintDefaults(c);
  LintPages(c);
  LintTexts(c);
  return c.findings;
}

std::string FormatFinding(const LintFinding& f, double scale) {
  std::ostringstream out;
  out << "uiconfig:" << f.line << " <" << f.element << "> [" << f.rule << "] " << f.message << " (scale " << scale
      << ")";
  return out.str();
}

bool LintRectsOverlap(const IRECT& a, const IRECT& b) { return a.L < b.R && b.L < a.R && a.T < b.B && b.T < a.B; }

std::string LintRectText(const IRECT& r) {
  return "(" + std::to_string(r.L) + "," + std::to_string(r.T) + "," + std::to_string(r.R) + "," + std::to_string(r.B) +
         ")";
}
