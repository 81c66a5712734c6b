#pragma once
// The names drawn onto the page backgrounds, taken from the assembled layout: a
// control line may carry label="..." (and labelSide="right", "above" or "left"; the
// default is below), and a <caption text="..." at="x,y" .../> line places a title
// or a value's name (box="w,h" draws it as a button face of that size). Both are
// builder-only: they are removed from the text the bundle holds. Each name is drawn
// into the innermost background of its layers it lies on, else onto the panel
// background; with labelPages="yes" (a control shown on every page) also onto each
// page background it falls inside. The layers are the elements' nesting, however the
// text is indented; the builder-only text stands on the line its element starts on,
// a caption alone on its line.
//
// threads: main.

#include <map>
#include <string>
#include <vector>

// The line height of the smallest text the builder draws: its capitals stay 6 pixels
// tall at the small panel size (three quarters of normal) in DejaVu Sans.
constexpr int kReadableTextSize = 13;

struct FrameSize {
  int w = 0;
  int h = 0;
};

struct PanelLabel {
  std::string image;  // the background it is drawn into
  int imageX = 0;     // where that background lies on the panel
  int imageY = 0;
  int x = 0, y = 0, w = 0, h = 0;  // the text's box, panel units
  std::string text;
  std::string param;             // paramId of the control it names, "" for a title
  int size = kReadableTextSize;  // line height
  bool bold = false;
  bool boxed = false;  // drawn as a button face filling the box
  int line = 0;        // line of the assembled layout it came from
};

// Removes the label attributes and caption lines from layout and gives back where
// each name lands. Throws SourceError for a layout the panel's reader cannot parse,
// a name that lies on no background and builder-only text it cannot take out.
std::vector<PanelLabel> TakeLabels(std::string* layout, const std::map<std::string, FrameSize>& frames);
// "image imageX imageY x y w h param text" a line, after a header naming the columns.
std::string LabelTable(const std::vector<PanelLabel>& labels);
