#pragma once
// What the checks share: the built panel's controls with the layer each sits in,
// the parameter names by index, and the findings so far with their layout lines.

#include <map>
#include <string>
#include <vector>

#include "Framework/IGraphicsStructs.h"
#include "LayoutLint.h"

class ControlLayer;
class IControl;
class IParam;
class ControlAction;

struct PlacedControl {
  IControl* control;
  ControlLayer* layer;  // null on the panel itself
  ControlLayer* top;    // the top-level layer it sits under, null on the panel
};

class LintContext {
public:
  LintContext(LintPanel& panel, const LintSources& sources);

  LintPanel& panel;
  const LintSources& sources;
  std::vector<LintFinding> findings;
  std::vector<PlacedControl> controls;
  std::vector<ControlLayer*> layers;  // every layer, depth first

  // Index of a registered name, -1 when none.
  int index(const std::string& name) const;
  // Slots of a name: 4 for a per-part name, else 1.
  int slots(const std::string& name) const;
  // The registered name an index belongs to (its part A name), or "".
  std::string nameOf(int index) const;
  IParam* param(int index) const;
  ControlAction* action(int index) const;
  // The imageId of the first element of a parameter name, "" when it has none.
  std::string imageOf(const std::string& name) const;
  // Controls bound to the index, in panel order.
  std::vector<const PlacedControl*> controlsOf(int index) const;

  // A finding about a parameter name (the line of its first element).
  void aboutParam(const std::string& rule, const std::string& name, const std::string& message);
  // A finding about the element whose line holds needle.
  void aboutText(const std::string& rule, const std::string& needle, const std::string& message);
  void add(const std::string& rule, int line, const std::string& element, const std::string& message);

private:
  void collect(ControlLayer* layer, ControlLayer* top);
  std::map<std::string, int> names_;
  std::map<int, int> nextIndex_;
};

void LintReader(LintContext& c);
void LintLayers(LintContext& c);
void LintGeometry(LintContext& c);
void LintImages(LintContext& c);
void LintLibrarianList(LintContext& c);
void LintBound(LintContext& c);
void LintValueLists(LintContext& c);
void LintControlChanges(LintContext& c);
void LintRanges(LintContext& c);
void LintSysEx(LintContext& c);
void LintDefaults(LintContext& c);
// Each page as the editor shows it: what lies over what, what leaves its page's
// background, and the names drawn for the controls.
void LintPages(LintContext& c);
// Every text at a readable size inside its field, on each page; the notices say something.
void LintTexts(LintContext& c);
// The control-change map of SOURCE_DIR alone.
LintSources LoadControllers(const std::string& sourceDir);

// Whether two rectangles share a pixel; sides that only touch do not.
bool LintRectsOverlap(const IRECT& a, const IRECT& b);
// "(L,T,R,B)", for findings.
std::string LintRectText(const IRECT& r);
