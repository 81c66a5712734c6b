#include "PanelLabels.h"

#include <cctype>
#include <sstream>

#include <tinyxml2.h>

#include "ImagePainter.h"
#include "Tsv.h"

namespace {

using tinyxml2::XMLElement;

const char kPanelBackground[] = "BG_ID_PLAIN";

std::string AtLine(const XMLElement& e, const std::string& what) {
  return "layout line " + std::to_string(e.GetLineNum()) + ": " + what;
}

// The attribute as the panel's reader sees it (entities replaced), "" when absent.
std::string Attribute(const XMLElement& e, const char* name) {
  const char* value = e.Attribute(name);
  return value ? value : "";
}

// The comma-separated numbers of an attribute; none when it is absent or empty.
std::vector<int> Numbers(const XMLElement& e, const char* name) {
  std::vector<int> out;
  const std::string text = Attribute(e, name);
  if (text.empty()) return out;
  for (const std::string& n : SplitOn(text, ',')) {
    try {
      out.push_back(std::stoi(n));
    } catch (const std::exception&) {
      throw SourceError(AtLine(e, std::string(name) + "=\"" + text + "\" is not a list of numbers"));
    }
  }
  return out;
}

bool Is(const XMLElement& e, const char* name) { return std::string(e.Name()) == name; }

bool IsRootLayer(const XMLElement& e) { return Is(e, "layer") && Attribute(e, "name") == "root"; }

// The assembled layout a line at a time, less the builder-only text taken out of it.
// An element's builder-only text stands on the line its element starts on.
class LayoutLines {
public:
  explicit LayoutLines(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines_.push_back(line);
    dropped_.assign(lines_.size(), false);
  }

  // Cuts ' name="value"' out of the element's line, when the element has it.
  void Cut(const XMLElement& e, const char* name) {
    if (!e.Attribute(name)) return;
    std::string& line = LineOf(e);
    const std::string key = std::string(name) + "=\"";
    for (size_t at = line.find(key); at != std::string::npos; at = line.find(key, at + 1)) {
      const size_t end = line.find('"', at + key.size());
      if (at == 0 || !std::isspace(static_cast<unsigned char>(line[at - 1])) || end == std::string::npos) continue;
      line.erase(at - 1, end + 2 - at);
      return;
    }
    throw SourceError(AtLine(e, std::string(name) + "=\"...\" must stand on the line its element starts on"));
  }

  // Leaves out the line of an element that stands alone on it.
  void Drop(const XMLElement& e) {
    const std::string& line = LineOf(e);
    const size_t start = line.find_first_not_of(" \t");
    const size_t last = line.find_last_not_of(" \t\r");
    const std::string open = std::string("<") + e.Name();
    if (line.compare(start, open.size(), open) != 0 || line.find('<', start + 1) != std::string::npos || last < 1 ||
        line.compare(last - 1, 2, "/>") != 0) {
      throw SourceError(AtLine(e, open + "/> must stand alone on its line"));
    }
    dropped_[static_cast<size_t>(e.GetLineNum() - 1)] = true;
  }

  std::string Text() const {
    std::string out;
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (!dropped_[i]) out += lines_[i] + "\n";
    }
    return out;
  }

private:
  std::string& LineOf(const XMLElement& e) { return lines_.at(static_cast<size_t>(e.GetLineNum() - 1)); }

  std::vector<std::string> lines_;
  std::vector<bool> dropped_;
};

struct Placed {
  std::string image;
  int x, y, w, h;
};

bool Inside(const PanelLabel& l, const Placed& bg) {
  return l.x >= bg.x && l.y >= bg.y && l.x + l.w <= bg.x + bg.w && l.y + l.h <= bg.y + bg.h;
}

// The control's box from its bounds or its position and its image's frame.
bool ControlBox(const XMLElement& e, const std::map<std::string, FrameSize>& frames, int box[4]) {
  const std::vector<int> bounds = Numbers(e, "bounds");
  if (bounds.size() == 4) {
    for (int i = 0; i < 4; ++i) box[i] = bounds[i];
    return true;
  }
  const std::vector<int> position = Numbers(e, "position");
  if (position.size() == 4) {
    for (int i = 0; i < 4; ++i) box[i] = position[i];
    return true;
  }
  auto frame = frames.find(Attribute(e, "imageId"));
  if (position.size() != 2 || frame == frames.end()) return false;
  box[0] = position[0];
  box[1] = position[1];
  box[2] = frame->second.w;
  box[3] = frame->second.h;
  return true;
}

void PlaceBeside(PanelLabel* l, const int box[4], const std::string& side) {
  if (side == "right") {
    l->x = box[0] + box[2] + 3;
    l->y = box[1] + (box[3] - l->h) / 2;
  } else if (side == "left") {
    l->x = box[0] - 3 - l->w;
    l->y = box[1] + (box[3] - l->h) / 2;
  } else if (side == "above") {
    l->x = box[0] + (box[2] - l->w) / 2;
    l->y = box[1] - 1 - l->h;
  } else {
    l->x = box[0] + (box[2] - l->w) / 2;
    l->y = box[1] + box[3] + 1;
  }
}

// A name of that text and look, its box the size of the text.
PanelLabel Measured(const XMLElement& e, const std::string& text, const std::string& param, int size, bool bold) {
  PanelLabel label;
  label.line = e.GetLineNum();
  label.text = text;
  label.param = param;
  label.size = size;
  label.bold = bold;
  const FrameSize extent = MeasureText(text, size, bold);
  label.w = extent.w;
  label.h = extent.h;
  return label;
}

PanelLabel CaptionLabel(const XMLElement& e) {
  const std::vector<int> size = Numbers(e, "size");
  PanelLabel label = Measured(e, Attribute(e, "text"), Attribute(e, "for"), size.empty() ? kReadableTextSize : size[0],
                              Attribute(e, "weight") == "bold");
  const std::vector<int> at = Numbers(e, "at");
  if (at.size() != 2) throw SourceError(AtLine(e, "caption without at=\"x,y\""));
  label.x = at[0];
  label.y = at[1];
  // A boxed caption is drawn as a button face of that size, its text in the middle.
  const std::vector<int> box = Numbers(e, "box");
  if (box.size() == 2) {
    label.boxed = true;
    label.w = box[0];
    label.h = box[1];
  }
  return label;
}

PanelLabel ControlLabel(const XMLElement& e, const std::map<std::string, FrameSize>& frames) {
  PanelLabel label = Measured(e, Attribute(e, "label"), Attribute(e, "paramId"), kReadableTextSize, false);
  int box[4];
  if (!ControlBox(e, frames, box)) throw SourceError(AtLine(e, "a label on a control without a size"));
  PlaceBeside(&label, box, Attribute(e, "labelSide"));
  return label;
}

// Walks the layout's elements in order, knowing at each the backgrounds of the
// layers around it.
class LabelWalk {
public:
  LabelWalk(const std::map<std::string, FrameSize>& frames, LayoutLines* lines) : frames_(frames), lines_(lines) {}

  // The children of node in order, with what each holds; inRoot when node is the
  // "root" layer or lies in it.
  void Children(const tinyxml2::XMLNode& node, bool inRoot) {
    const size_t outer = backgrounds_.size();
    for (const XMLElement* e = node.FirstChildElement(); e; e = e->NextSiblingElement()) {
      Visit(*e, inRoot);
      Children(*e, inRoot || IsRootLayer(*e));
    }
    backgrounds_.resize(outer);
  }

  std::vector<PanelLabel> labels;

private:
  void Visit(const XMLElement& e, bool inRoot) {
    if (Is(e, "background")) AddBackground(e, inRoot);
    const bool onPages = Attribute(e, "labelPages") == "yes";
    if (Is(e, "caption")) {
      lines_->Drop(e);
      if (!Attribute(e, "text").empty()) Land(CaptionLabel(e), onPages);
      return;
    }
    if (!Attribute(e, "label").empty()) Land(ControlLabel(e, frames_), onPages);
    for (const char* name : {"label", "labelSide", "labelPages"}) lines_->Cut(e, name);
  }

  void AddBackground(const XMLElement& e, bool inRoot) {
    const std::vector<int> at = Numbers(e, "position");
    if (at.size() != 2) throw SourceError(AtLine(e, "background without position=\"x,y\""));
    auto frame = frames_.find(Attribute(e, "imageId"));
    if (frame == frames_.end()) return;
    backgrounds_.push_back({frame->first, at[0], at[1], frame->second.w, frame->second.h});
    if (inRoot) pages_.push_back(backgrounds_.back());
  }

  // Into the innermost background of its layers that holds it, else onto the
  // panel's and, onPages, every page background it falls on.
  void Land(PanelLabel label, bool onPages) {
    for (auto bg = backgrounds_.rbegin(); bg != backgrounds_.rend(); ++bg) {
      if (Inside(label, *bg)) {
        labels.push_back(DrawnInto(label, *bg));
        return;
      }
    }
    label.image = kPanelBackground;
    labels.push_back(label);
    for (const Placed& page : onPages ? pages_ : std::vector<Placed>()) {
      if (Inside(label, page)) labels.push_back(DrawnInto(label, page));
    }
  }

  static PanelLabel DrawnInto(PanelLabel label, const Placed& bg) {
    label.image = bg.image;
    label.imageX = bg.x;
    label.imageY = bg.y;
    return label;
  }

  const std::map<std::string, FrameSize>& frames_;
  LayoutLines* lines_;
  std::vector<Placed> backgrounds_;  // of the layers open at this element
  std::vector<Placed> pages_;        // every background in the "root" layer
};

}  // namespace

std::vector<PanelLabel> TakeLabels(std::string* layout, const std::map<std::string, FrameSize>& frames) {
  // Parsed as the panel's reader parses it.
  tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
  document.Parse(layout->c_str());
  if (document.Error()) throw SourceError(std::string("layout: ") + document.ErrorStr());
  LayoutLines lines(*layout);
  LabelWalk walk(frames, &lines);
  walk.Children(document, false);
  *layout = lines.Text();
  return walk.labels;
}

std::string LabelTable(const std::vector<PanelLabel>& labels) {
  std::string out =
      "# Where each name the builder drew lands: the background it is drawn into and where\n"
      "# that lies, the name's box in panel units at size normal, the paramId of the\n"
      "# control it names (\"-\" for a title) and the text.\n"
      "# image\timageX\timageY\tx\ty\tw\th\tparam\ttext\n";
  for (const PanelLabel& l : labels) {
    out += l.image + "\t" + std::to_string(l.imageX) + "\t" + std::to_string(l.imageY) + "\t" + std::to_string(l.x) +
           "\t" + std::to_string(l.y) + "\t" + std::to_string(l.w) + "\t" + std::to_string(l.h) + "\t" +
           (l.param.empty() ? "-" : l.param) + "\t" + l.text + "\n";
  }
  return out;
}
