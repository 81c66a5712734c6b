#pragma once
// The checks the authored panel resources must pass once the layout reader has
// built them: everything the editor looks up exists, every value the synthesizer
// sends has a control holding its range, every control sends what the instrument
// expects, and the panel fits together at each size, every text readable and
// inside its field.
//
// threads: main.

#include <string>
#include <vector>

#include "LintPanel.h"

// One row of the control-change map (synth-controllers.tsv).
struct LintControllerRow {
  std::string name;
  int cc = 0;
  std::string range;
  std::string nl1Twin;  // the first-generation twin on the same CC, or ""
};

// A name the resource builder drew onto a background (its labels.tsv), in layout units.
struct LintLabel {
  std::string image;
  int imageX = 0, imageY = 0;  // where that background lies
  int x = 0, y = 0, w = 0, h = 0;
  std::string param;  // the paramId of the control it names, "-" for a title
  std::string text;
};

// A text the builder drew into an image (its texts.tsv), in the image's pixels.
struct LintText {
  std::string image;
  int x = 0, y = 0, w = 0, h = 0;  // the field it has
  int size = 0;                    // line height
  bool bold = false;
  std::string role;  // "title", "face", "body" or "name"
  std::string text;
};

struct LintSources {
  std::vector<LintControllerRow> controllers;
  std::vector<LintLabel> labels;            // empty: the checks of names are skipped
  std::vector<std::string> imagesWithText;  // images that carry their own name
  std::vector<LintText> texts;              // read beside labels; empty without them
};

struct LintFinding {
  std::string rule;     // short rule name, e.g. "cc-map"
  int line = 0;         // line of the deciphered layout text, 0 when none applies
  std::string element;  // the element on that line, or what the finding is about
  std::string message;
};

// Reads SOURCE_DIR/synth-controllers.tsv and images.tsv, and the builder's
// labels.tsv and the texts.tsv beside it when labelsPath is given; throws std::runtime_error when unreadable.
LintSources LoadLintSources(const std::string& sourceDir, const std::string& labelsPath = "");
// All findings for a panel read at one scale.
std::vector<LintFinding> LintLayout(LintPanel& panel, const LintSources& sources);
// "uiconfig:LINE <element> [rule] message (scale S)".
std::string FormatFinding(const LintFinding& finding, double scale);
