#pragma once
// A named group of panel controls with child layers, used like a stack of tab
// pages: shown, hidden, greyed, redrawn and hit-tested as one unit. Of its
// child layers only the one whose id equals the active child id is shown with
// it. A layer owns its controls and child layers; the panel surface owns the
// top-level layers.
//
// Threads: the tree is built on the main thread while the plug-in is made.
// Drawing, dirty tracking and hit testing run on the main thread; layer
// switching (Hide, GrayOut, the active child id) and SetParameterFromPlug also
// arrive from midi-in and worker, so the shown flag, the
// active child id and the ignore-hidden flag are atomics.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "Framework/IGraphicsStructs.h"
#include "Kit_HeapBuf.h"

class IControl;
class IGraphics;
class ITextControl;

class ControlLayer {
public:
  // A new layer is hidden.
  ControlLayer(int id, std::string name);
  // Deletes the controls last to first, then the child layers.
  ~ControlLayer();
  ControlLayer(const ControlLayer&) = delete;
  ControlLayer& operator=(const ControlLayer&) = delete;

  // Appends; the layer takes ownership. Main thread, while building.
  IControl* AddControl(IControl* control) { return mControls.Add(control); }
  ControlLayer* AddChildLayer(ControlLayer* layer) { return mChildLayers.Add(layer); }

  int GetID() const { return mID; }
  const std::string& GetName() const { return mName; }
  bool IsShown() const { return mShown.load(); }
  // threads: main, midi-in, worker
  int GetActiveChildID() const { return mActiveChildID.load(); }
  // threads: main, midi-in, worker
  void SetActiveChildID(int id) { mActiveChildID.store(id); }
  // Makes `id` the active child, then shows each child exactly when its id is `id`,
  // in list order (a selector's layer per value).
  void ShowOnlyChild(int id);
  bool GetIgnoreHidden() const { return mIgnoreHidden.load(); }
  int NControls() const { return mControls.GetSize(); }
  // Null outside the list.
  IControl* GetControl(int i) const { return mControls.Get(i); }
  int NChildLayers() const { return mChildLayers.GetSize(); }
  ControlLayer* GetChildLayer(int i) const { return mChildLayers.Get(i); }

  // Showing shows the controls and, down the tree, each level's active child;
  // hiding hides everything below.
  // threads: main, midi-in, worker
  void Hide(bool hide);
  // threads: main, midi-in, worker
  void setControlsDirty();
  // threads: main, midi-in, worker
  void GrayOut(bool grey);
  // Active child := id; greys the child with that id when id lies in 10..252.
  // threads: main, midi-in, worker
  void GrayOutCustomZone(bool grey, int id);
  // Active child := id; for id in 200..252 greys the children above limit.
  // threads: main, midi-in, worker
  void GrayOutUserArp(bool unused, int id, int limit);
  // Lets the layer (and its children, and each one's first control) report
  // dirty controls while hidden.
  void setIgnoreHiddenWhenUpdatingScreen(bool ignore);

  // Unions dirty controls into rect; a hidden layer reports nothing unless it
  // ignores hidden, but the area of a control hidden since the last redraw is
  // reported once wherever it lies in the tree.
  bool isDirty(IRECT* rect);
  // Calls visit with every control Draw would draw if rect were the whole panel, in
  // the order Draw draws them.
  void VisitDrawn(const std::function<void(IControl*)>& visit) const;
  // Draws shown controls meeting rect (but what the panel's composed backdrop
  // holds of them), then marks every control clean.
  void Draw(IGraphics* graphics, const IRECT* rect);
  // The control under the point: children first, then own controls, last to
  // first; greyed controls count, hidden ones do not. Null when not shown.
  IControl* isHit(int x, int y);
  // Null when not shown; children last to first, then own controls.
  IControl* getControlFromParam(int paramIdx);
  // The topmost shown text control holding the point, in the order of isHit; null
  // when none.
  ITextControl* textControlAt(int x, int y);
  // Pushes an already normalised value into every bound control of the tree,
  // shown or not.
  // threads: main, midi-in, worker
  void SetParameterFromPlug(int paramIdx, double value, bool normalized);
  // Every parameter at once: normalized[i] is parameter i's value.
  // threads: main
  void SetParametersFromPlug(const std::vector<double>& normalized);

private:
  // parentReports: no layer above is hidden (or each ignores hidden).
  bool collectDirty(IRECT* rect, bool parentReports);

  int mID;
  std::atomic<bool> mShown{false};
  Kit_PtrList<IControl> mControls;
  Kit_PtrList<ControlLayer> mChildLayers;
  std::string mName;
  std::atomic<int> mActiveChildID{0};
  std::atomic<bool> mIgnoreHidden{false};
};
