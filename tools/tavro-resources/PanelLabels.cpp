#include "PanelLabels.h"

#include <sstream>

#include "ImagePainter.h"
#include "Tsv.h"

namespace {

const char kPanelBackground[] = "BG_ID_PLAIN";

// The value of attribute name on the line, "" when absent; *where gets the span of
// ' name="value"' so it can be cut out.
std::string Attribute(const std::string& line, const std::string& name, size_t* where = nullptr,
                      size_t* length = nullptr) {
  const std::string key = " " + name + "=\"";
  size_t at = line.find(key);
  if (at == std::string::npos) return "";
  size_t end = line.find('"', at + key.size());
  if (end == std::string::npos) return "";
  if (where) *where = at;
  if (length) *length = end + 1 - at;
  std::string value = line.substr(at + key.size(), end - at - key.size());
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '&') {
      out += value[i];
      continue;
    }
    for (const auto& [entity, c] : {std::pair<const char*, char>{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}}) {
      if (value.compare(i, std::string(entity).size(), entity) == 0) {
        out += c;
        i += std::string(entity).size() - 1;
        break;
      }
    }
  }
  return out;
}

// The value of a builder-only attribute, cut out of the line.
std::string Take(std::string* line, const std::string& name) {
  size_t at = 0, length = 0;
  std::string value = Attribute(*line, name, &at, &length);
  if (length > 0) line->erase(at, length);
  return value;
}

std::vector<int> Numbers(const std::string& text) {
  std::vector<int> out;
  for (const std::string& n : SplitOn(text, ',')) out.push_back(std::stoi(n));
  return out;
}

struct Placed {
  int depth;
  std::string image;
  int x, y, w, h;
};

bool Inside(const PanelLabel& l, const Placed& bg) {
  return l.x >= bg.x && l.y >= bg.y && l.x + l.w <= bg.x + bg.w && l.y + l.h <= bg.y + bg.h;
}

// The control's box from its bounds or its position and its image's frame.
bool ControlBox(const std::string& line, const std::map<std::string, FrameSize>& frames, int box[4]) {
  std::vector<int> bounds = Numbers(Attribute(line, "bounds").empty() ? "0" : Attribute(line, "bounds"));
  if (bounds.size() == 4) {
    for (int i = 0; i < 4; ++i) box[i] = bounds[i];
    return true;
  }
  std::vector<int> position = Numbers(Attribute(line, "position").empty() ? "0" : Attribute(line, "position"));
  if (position.size() == 4) {
    for (int i = 0; i < 4; ++i) box[i] = position[i];
    return true;
  }
  auto frame = frames.find(Attribute(line, "imageId"));
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

}  // namespace

std::vector<PanelLabel> TakeLabels(std::string* layout, const std::map<std::string, FrameSize>& frames) {
  std::istringstream in(*layout);
  std::string out;
  std::string line;
  std::vector<Placed> backgrounds;  // of the layers open at this line
  std::vector<Placed> pages;        // every background of a page of "root"
  std::vector<PanelLabel> labels;
  int number = 0;
  bool inRoot = false;
  while (std::getline(in, line)) {
    ++number;
    const size_t indent = line.find_first_not_of(' ');
    const int depth = indent == std::string::npos ? 0 : static_cast<int>(indent / 2);
    while (!backgrounds.empty() && backgrounds.back().depth > depth) backgrounds.pop_back();
    if (line.find("<layer name=\"root\"") != std::string::npos) inRoot = true;
    if (inRoot && depth == 1 && line.find("</layer>") != std::string::npos) inRoot = false;
    if (line.find("<background ") != std::string::npos) {
      const std::string image = Attribute(line, "imageId");
      std::vector<int> at = Numbers(Attribute(line, "position"));
      auto frame = frames.find(image);
      if (frame != frames.end() && at.size() == 2) {
        backgrounds.push_back({depth, image, at[0], at[1], frame->second.w, frame->second.h});
        if (inRoot) pages.push_back(backgrounds.back());
      }
    }
    PanelLabel label;
    label.line = number;
    const bool caption = line.find("<caption ") != std::string::npos;
    label.text = caption ? Attribute(line, "text") : Take(&line, "label");
    const std::string side = Take(&line, "labelSide");
    const bool onPages = Take(&line, "labelPages") == "yes";
    if (!caption) out += line + "\n";
    if (label.text.empty()) continue;
    if (caption) {
      label.param = Attribute(line, "for");
      label.size = Attribute(line, "size").empty() ? kReadableTextSize : std::stoi(Attribute(line, "size"));
      label.bold = Attribute(line, "weight") == "bold";
    } else {
      label.param = Attribute(line, "paramId");
    }
    FrameSize extent = MeasureText(label.text, label.size, label.bold);
    label.w = extent.w;
    label.h = extent.h;
    if (caption) {
      std::vector<int> at = Numbers(Attribute(line, "at"));
      if (at.size() != 2) throw SourceError("layout line " + std::to_string(number) + ": caption without at=\"x,y\"");
      label.x = at[0];
      label.y = at[1];
      // A boxed caption is drawn as a button face of that size, its text in the middle.
      std::vector<int> box = Numbers(Attribute(line, "box").empty() ? "0" : Attribute(line, "box"));
      if (box.size() == 2) {
        label.boxed = true;
        label.w = box[0];
        label.h = box[1];
      }
    } else {
      int box[4];
      if (!ControlBox(line, frames, box)) {
        throw SourceError("layout line " + std::to_string(number) + ": a label on a control without a size");
      }
      PlaceBeside(&label, box, side);
    }
    // The innermost background of its layers that holds it, else the panel's and
    // every page background it falls on.
    const Placed* owner = nullptr;
    for (auto bg = backgrounds.rbegin(); bg != backgrounds.rend() && !owner; ++bg) {
      if (Inside(label, *bg)) owner = &*bg;
    }
    if (owner) {
      label.image = owner->image;
      label.imageX = owner->x;
      label.imageY = owner->y;
      labels.push_back(label);
      continue;
    }
    label.image = kPanelBackground;
    labels.push_back(label);
    for (const Placed& page : onPages ? pages : std::vector<Placed>()) {
      if (!Inside(label, page)) continue;
      PanelLabel copy = label;
      copy.image = page.image;
      copy.imageX = page.x;
      copy.imageY = page.y;
      labels.push_back(copy);
    }
  }
  *layout = out;
  return labels;
}

std::string LabelTable(const std::vector<PanelLabel>& labels) {
  std::string out = "# Where each name the builder drew lands: the background it is drawn into and where\n"
                    "# that lies, the name's box in panel units at size normal, the paramId of the\n"
                    "# control it names (\"-\" for a title) and the text.\n"
                    "# image\timageX\timageY\tx\ty\tw\th\tparam\ttext\n";
  for (const PanelLabel& l : labels) {
    out += l.image + "\t" + std::to_string(l.imageX) + "\t" + std::to_string(l.imageY) + "\t" + std::to_string(l.x) + "\t" + std::to_string(l.y) + "\t" + std::to_string(l.w) + "\t" +
           std::to_string(l.h) + "\t" + (l.param.empty() ? "-" : l.param) + "\t" + l.text + "\n";
  }
  return out;
}
