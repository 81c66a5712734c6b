#pragma once
// The walk's branches by element name: the structural elements (layers, images,
// the librarian list, the read-out) and the control elements, each reading its
// attributes and calling its factory.
//
// threads: main.

#include <string>

class ControlLayer;
class LayoutElement;
class UIConfigManager;

// What the walk knows of an element before its branch runs.
struct ElementContext {
  int param;            // the "paramId" index, -1 without one
  std::string image;    // "imageId"
  std::string group;    // "paramGroup"
  int part;             // -1 at the top, i in the i-th layer of a "multilayer"
  ControlLayer* layer;  // null at the top
};

class LayoutDispatch {
public:
  // Builds the element; false when it built nothing.
  using Builder = bool (*)(UIConfigManager& manager, LayoutElement& element, const ElementContext& context);
  struct Branch {
    Builder build;
    bool bindsParam;  // an element naming no valid parameter is skipped
  };

  // The branch of an element name, or null when the walk does not handle it.
  static const Branch* branchFor(const std::string& elementName);

private:
  // Structural branches (UIConfigWalk.cpp).
  static bool layer(UIConfigManager& m, LayoutElement& e, const ElementContext& c);
  static bool multilayer(UIConfigManager& m, LayoutElement& e, const ElementContext& c);
  static bool background(UIConfigManager& m, LayoutElement& e, const ElementContext& c);
  static bool patchBrowser(UIConfigManager& m, LayoutElement& e, const ElementContext& c);
  static bool display(UIConfigManager& m, LayoutElement& e, const ElementContext& c);
  // Control branches (LayoutDispatch.cpp).
  static bool switchElement(UIConfigManager& m, LayoutElement& e, const ElementContext& c);
  static bool switch2(UIConfigManager& m, LayoutElement& e, const ElementContext& c);
  static bool autooff(UIConfigManager& m, LayoutElement& e, const ElementContext& c);
  static bool dropMenu(UIConfigManager& m, LayoutElement& e, const ElementContext& c);
  static bool multiFx(UIConfigManager& m, LayoutElement& e, const ElementContext& c);
  static bool radio(UIConfigManager& m, LayoutElement& e, const ElementContext& c);
  static bool control(UIConfigManager& m, LayoutElement& e, const ElementContext& c);
};
