#pragma once
// Pictures of the panel the layout builds: each page of the panel for each
// synthesizer model, and each window over its page, drawn headless through the
// layout reader, with the layers shown as the editor's tab switch shows them.
//
// threads: main.

#include <string>
#include <vector>

#include "LintPanel.h"

struct PanelView {
  std::string name;    // file name without extension
  int page;            // child of "root" shown
  int model;           // 0 NL1, 1 NL2, 2 NL2x
  std::string window;  // a layer shown over the page, or ""
};

// The views worth a picture: pages 0-5 as the models reach them, and the windows.
std::vector<PanelView> PanelViews();
// Shows view on panel's layers as the editor's tab switch does and draws the whole
// panel into the panel's drawing bitmap.
void ShowView(LintPanel& panel, const PanelView& view);
// ShowView, then the picture written to pngPath; false when it cannot be written.
bool SnapshotPanel(LintPanel& panel, const PanelView& view, const std::string& pngPath);
