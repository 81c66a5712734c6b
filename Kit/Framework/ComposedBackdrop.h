#pragma once
// The panel's fixed drawings (the background, a page's picture: controls whose
// drawing never follows a value) composed once into one bitmap, so that a redraw
// copies them instead of blending each again.
//
// Which controls go in is worked out from what is shown, on every redraw: the
// controls that would be drawn are visited in drawing order, and every fixed
// drawing goes in, but for its hole: the part of it that lies over controls drawn
// before it and left out. Drawing the composed bitmap first, then the controls
// left out and the holes, in their order, gives the pixels that drawing every
// control in order gives. The bitmap is composed again when that list changes (a
// page switched, a control shown or hidden), when what one of them draws changes
// (its image, frame, blend or place) and when the panel's size changes.
//
// threads: main only (the panel's redraw).

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "Framework/IControl.h"
#include "Framework/IGraphicsStructs.h"

class Raster_IBitmap;
class Raster_MemBitmap;

class ComposedBackdrop {
public:
  ComposedBackdrop();
  ~ComposedBackdrop();
  ComposedBackdrop(const ComposedBackdrop&) = delete;
  ComposedBackdrop& operator=(const ComposedBackdrop&) = delete;

  // A new walk: Visit every control the redraw would draw, in drawing order.
  void BeginWalk();
  void Visit(IControl* control);
  // True when the walk's list differs from the composed one, or the size does.
  bool WalkChanged(int width, int height) const;
  // Takes the walk's list and composes a width x height bitmap, cleared, from it:
  // draw(control, bitmap) draws each control into the bitmap, in order, and its
  // hole is put back as it was before.
  void Compose(int width, int height, const std::function<void(IControl*, Raster_IBitmap*)>& draw);

  // Null when the control's drawing is not in the composed bitmap; else its hole,
  // the part still to be drawn in order (empty when none).
  const IRECT* Find(const IControl* control) const;
  // Puts the composed pixels back into rect of the frame wherever the frame may hold
  // something else: all of rect while the frame is not known to match the backdrop
  // outside what was drawn over it (just composed, drawn on otherwise), else only
  // what was drawn over since.
  void Restore(Raster_IBitmap* frame, const IRECT& rect);
  // Something was drawn over the backdrop in the frame, within area.
  void DrawnOver(const IRECT& area);
  // The frame was drawn on otherwise: the next restore puts back all of its rect.
  void ForgetFrame() { mFrameKnown = false; }
  // Forgets the bitmap and the list; the next redraw composes again.
  void Reset();

private:
  struct Entry {
    IControl* control;
    FixedDrawing drawing;
    IRECT hole;
    bool operator==(const Entry& o) const { return control == o.control && drawing == o.drawing && hole == o.hole; }
  };

  std::vector<Entry> mWalk;
  std::vector<IRECT> mLeftOut;                            // what the walk's controls drawn in order cover, so far
  std::vector<Entry> mEntries;                            // what the bitmap holds
  std::vector<std::pair<const IControl*, IRECT>> mHoles;  // the same, sorted for Find
  std::unique_ptr<Raster_MemBitmap> mBitmap;
  // The frame matches the bitmap but for mDrawnOver.
  bool mFrameKnown = false;
  std::vector<IRECT> mDrawnOver;
};
