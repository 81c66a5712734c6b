#include "Framework/ComposedBackdrop.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "rasteriser/Raster.h"

namespace {

void CopyRows(const unsigned int* from, int fromSpan, unsigned int* to, int toSpan, int width, int height) {
  for (int y = 0; y < height; ++y)
    std::memcpy(to + size_t(y) * size_t(toSpan), from + size_t(y) * size_t(fromSpan),
                size_t(width) * sizeof(unsigned int));
}

// rect cut to both bitmaps; empty when nothing is left.
IRECT CutTo(const IRECT& rect, Raster_IBitmap* a, Raster_IBitmap* b) {
  const IRECT r(std::max(rect.L, 0), std::max(rect.T, 0), std::min({rect.R, a->getWidth(), b->getWidth()}),
                std::min({rect.B, a->getHeight(), b->getHeight()}));
  return r.W() > 0 && r.H() > 0 ? r : IRECT();
}

unsigned int* At(Raster_IBitmap* bitmap, int x, int y) {
  return bitmap->getBits() + size_t(y) * size_t(bitmap->getRowSpan()) + size_t(x);
}

// The pixels of rect (cut to both bitmaps) from one bitmap to the same place in another.
void CopyBetween(Raster_IBitmap* from, Raster_IBitmap* to, const IRECT& rect) {
  if (!from || !to || !from->getBits() || !to->getBits()) return;
  const IRECT r = CutTo(rect, from, to);
  if (r.Empty()) return;
  CopyRows(At(from, r.L, r.T), from->getRowSpan(), At(to, r.L, r.T), to->getRowSpan(), r.W(), r.H());
}

bool Covers(const IRECT& outer, const IRECT& inner) {
  return outer.L <= inner.L && outer.T <= inner.T && outer.R >= inner.R && outer.B >= inner.B;
}

}  // namespace

ComposedBackdrop::ComposedBackdrop() = default;
ComposedBackdrop::~ComposedBackdrop() = default;

void ComposedBackdrop::BeginWalk() {
  mWalk.clear();
  mLeftOut.clear();
}

void ComposedBackdrop::Visit(IControl* control) {
  std::optional<FixedDrawing> fixed = control->GetFixedDrawing();
  if (!fixed) {
    mLeftOut.push_back(control->GetRECT());
    return;
  }
  IRECT hole;
  for (const IRECT& under : mLeftOut) {
    const IRECT overlap = under.Intersect(fixed->rect);
    if (overlap.W() > 0 && overlap.H() > 0) hole = hole.Union(overlap);
  }
  mWalk.push_back({control, *fixed, hole});
  // What comes later over the hole must be drawn after it.
  if (!hole.Empty()) mLeftOut.push_back(hole);
}

bool ComposedBackdrop::WalkChanged(int width, int height) const {
  return !mBitmap || mBitmap->getWidth() != width || mBitmap->getHeight() != height || mWalk != mEntries;
}

void ComposedBackdrop::Compose(int width, int height, const std::function<void(IControl*, Raster_IBitmap*)>& draw) {
  mEntries = mWalk;
  mFrameKnown = false;
  mHoles.clear();
  for (const Entry& e : mEntries) mHoles.emplace_back(e.control, e.hole);
  std::sort(mHoles.begin(), mHoles.end(),
            [](const auto& a, const auto& b) { return std::less<const IControl*>()(a.first, b.first); });
  if (!mBitmap) mBitmap = std::make_unique<Raster_MemBitmap>(0, 0, 1);
  if (mBitmap->getWidth() != width || mBitmap->getHeight() != height) mBitmap->resize(width, height);
  if (!mBitmap->getBits()) return;
  // As the panel's frame buffer starts: every pixel 0.
  std::memset(mBitmap->getBits(), 0, size_t(mBitmap->getRowSpan()) * size_t(height) * sizeof(unsigned int));
  std::vector<unsigned int> kept;
  for (const Entry& e : mEntries) {
    const IRECT hole = CutTo(e.hole, mBitmap.get(), mBitmap.get());
    kept.resize(size_t(hole.W()) * size_t(hole.H()));
    const int span = mBitmap->getRowSpan();
    if (!hole.Empty()) CopyRows(At(mBitmap.get(), hole.L, hole.T), span, kept.data(), hole.W(), hole.W(), hole.H());
    draw(e.control, mBitmap.get());
    if (!hole.Empty()) CopyRows(kept.data(), hole.W(), At(mBitmap.get(), hole.L, hole.T), span, hole.W(), hole.H());
  }
}

const IRECT* ComposedBackdrop::Find(const IControl* control) const {
  const auto found = std::lower_bound(mHoles.begin(), mHoles.end(), control, [](const auto& entry, const IControl* c) {
    return std::less<const IControl*>()(entry.first, c);
  });
  return found != mHoles.end() && found->first == control ? &found->second : nullptr;
}

void ComposedBackdrop::Restore(Raster_IBitmap* frame, const IRECT& rect) {
  if (!mBitmap) return;
  if (!mFrameKnown) {
    CopyBetween(mBitmap.get(), frame, rect);
    if (Covers(rect, IRECT(0, 0, mBitmap->getWidth(), mBitmap->getHeight()))) {
      mFrameKnown = true;
      mDrawnOver.clear();
    }
    return;
  }
  std::sort(mDrawnOver.begin(), mDrawnOver.end(),
            [](const IRECT& a, const IRECT& b) { return std::tie(a.L, a.T, a.R, a.B) < std::tie(b.L, b.T, b.R, b.B); });
  mDrawnOver.erase(std::unique(mDrawnOver.begin(), mDrawnOver.end()), mDrawnOver.end());
  std::vector<IRECT> outside;
  for (const IRECT& over : mDrawnOver) {
    CopyBetween(mBitmap.get(), frame, over.Intersect(rect));
    if (!Covers(rect, over)) outside.push_back(over);
  }
  mDrawnOver.swap(outside);
}

void ComposedBackdrop::DrawnOver(const IRECT& area) {
  if (area.W() <= 0 || area.H() <= 0) return;
  // Past this many, putting the whole rect back costs less than the bookkeeping.
  constexpr size_t kMostKept = 4096;
  if (mDrawnOver.size() >= kMostKept) {
    mFrameKnown = false;
    mDrawnOver.clear();
  }
  if (mFrameKnown) mDrawnOver.push_back(area);
}

void ComposedBackdrop::Reset() {
  mFrameKnown = false;
  mDrawnOver.clear();
  mEntries.clear();
  mHoles.clear();
  mBitmap.reset();
}
