#pragma once
// The resource sources the layout generators read, loaded once: the value lists,
// the control-change map and the program's own parameter-name and image tables.

#include <map>
#include <string>
#include <vector>

#include "Tsv.h"

// One row of synth-controllers.tsv.
struct ControllerRow {
  std::string name;
  int cc = 0;
  std::string range;  // "0-127", "0-120", "sw", "sel" or "sel N"
};

class PanelSources {
public:
  explicit PanelSources(std::string sourceDir);

  const std::string& dir() const { return dir_; }
  std::string path(const std::string& relative) const { return dir_ + "/" + relative; }

  // Index of a registered name; throws SourceError for an unknown one.
  int param(const std::string& name) const;
  bool hasParam(const std::string& name) const { return params_.count(name) != 0; }
  // Names in index order (the second name of a shared index too).
  const std::vector<std::pair<int, std::string>>& paramsByIndex() const { return byIndex_; }

  // Frame count of a registered image; throws for an unknown one.
  int frames(const std::string& image) const;

  const std::map<std::string, std::vector<std::string>>& lists() const { return lists_; }
  // Entries of a list; throws for an unknown one.
  const std::vector<std::string>& list(const std::string& name) const;
  // The short names of a list's entries; throws for a list without them.
  const std::vector<std::string>& shortNames(const std::string& list) const;
  const std::vector<std::string>& listOrder() const { return listOrder_; }

  const std::vector<ControllerRow>& controllers() const { return controllers_; }
  const ControllerRow& controller(const std::string& name) const;

private:
  void loadLists();
  void loadControllers();

  std::string dir_;
  std::map<std::string, int> params_;
  std::vector<std::pair<int, std::string>> byIndex_;
  std::map<std::string, int> frames_;
  std::map<std::string, std::vector<std::string>> lists_;
  std::map<std::string, std::vector<std::string>> shortNames_;
  std::vector<std::string> listOrder_;
  std::vector<ControllerRow> controllers_;
};

// Note name of MIDI note n ("C-1" for 0, "C4" for 60).
std::string NoteName(int n);
