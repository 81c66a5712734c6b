#include "PanelSources.h"

#include <algorithm>

#include "layout/tables/ImageTable.h"
#include "layout/tables/ParamNameTable.h"

namespace {

// "...N" fills with numbers, "notes...N" with note names, up to entry N.
void AppendEntry(const std::string& entry, std::vector<std::string>* out) {
  const std::string notes = "notes...";
  const std::string numbers = "...";
  bool asNotes = entry.compare(0, notes.size(), notes) == 0;
  bool asNumbers = !asNotes && entry.compare(0, numbers.size(), numbers) == 0;
  if (!asNotes && !asNumbers) {
    out->push_back(entry);
    return;
  }
  int last = std::stoi(entry.substr(asNotes ? notes.size() : numbers.size()));
  for (int n = static_cast<int>(out->size()); n <= last; ++n) {
    out->push_back(asNotes ? NoteName(n) : std::to_string(n));
  }
}

}  // namespace

std::string NoteName(int n) {
  static const char* const kNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  return std::string(kNames[n % 12]) + std::to_string(n / 12 - 1);
}

PanelSources::PanelSources(std::string sourceDir) : dir_(std::move(sourceDir)) {
  for (int i = 0; i < kParamNameTableSize; ++i) {
    params_.emplace(kParamNameTable[i].name, kParamNameTable[i].index);
    byIndex_.emplace_back(kParamNameTable[i].index, kParamNameTable[i].name);
  }
  std::stable_sort(byIndex_.begin(), byIndex_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (int i = 0; i < kImageTableSize; ++i) frames_[kImageTable[i].name] = kImageTable[i].frames;
  loadLists();
  loadControllers();
}

int PanelSources::param(const std::string& name) const {
  auto it = params_.find(name);
  if (it == params_.end()) throw SourceError("unknown parameter name " + name);
  return it->second;
}

int PanelSources::frames(const std::string& image) const {
  auto it = frames_.find(image);
  if (it == frames_.end()) throw SourceError("unknown image name " + image);
  return it->second;
}

const std::vector<std::string>& PanelSources::list(const std::string& name) const {
  auto it = lists_.find(name);
  if (it == lists_.end()) throw SourceError("unknown value list " + name);
  return it->second;
}

const std::vector<std::string>& PanelSources::shortNames(const std::string& list) const {
  auto it = shortNames_.find(list);
  if (it == shortNames_.end()) throw SourceError("value list " + list + " has no short names");
  return it->second;
}

const ControllerRow& PanelSources::controller(const std::string& name) const {
  for (const ControllerRow& row : controllers_) {
    if (row.name == name) return row;
  }
  throw SourceError("synth-controllers.tsv has no row " + name);
}

void PanelSources::loadLists() {
  const std::string file = path("value-lists.tsv");
  for (const TsvRow& row : ReadTsv(file)) {
    if (row.cells.size() != 2 && row.cells.size() != 3) {
      FailAt(file, row, "expected a name, its entries and perhaps their short names");
    }
    std::vector<std::string> entries;
    for (const std::string& entry : SplitOn(row.at(1), '|')) AppendEntry(entry, &entries);
    for (const std::string& entry : entries) {
      if (entry.empty() || entry.size() > 55) FailAt(file, row, "entry empty or over 55 bytes");
    }
    if (lists_.count(row.at(0))) FailAt(file, row, "list " + row.at(0) + " given twice");
    if (row.cells.size() == 3) {
      std::vector<std::string> names = SplitOn(row.at(2), '|');
      if (names.size() != entries.size()) FailAt(file, row, "one short name for each entry expected");
      shortNames_[row.at(0)] = names;
    }
    lists_[row.at(0)] = entries;
    listOrder_.push_back(row.at(0));
  }
}

void PanelSources::loadControllers() {
  const std::string file = path("synth-controllers.tsv");
  for (const TsvRow& row : ReadTsv(file)) {
    ControllerRow controller{row.at(0), row.number(1), row.at(2)};
    if (!hasParam(controller.name)) FailAt(file, row, "unknown parameter " + controller.name);
    controllers_.push_back(controller);
  }
}
