#include "ComposedBackdrop.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "Raster.h"

namespace {

// The pixels of rect (cut to both bitmaps) from one bitmap to the same place in another.
void CopyBetween(Raster_IBitmap* from, Raster_IBitmap* to, const IRECT& rect) {
  if (!from || !to || !from->getBits() || !to->getBits()) return;
  const int l = std::max(rect.L, 0), t = std::max(rect.T, 0);
  const int r = std::min({rect.R, from->getWidth(), to->getWidth()});
  const int b = std::min({rect.B, from->getHeight(), to->getHeight()});
  if (l >= r || t >= b) return;
  for (int y = t; y < b; ++y)
    std::memcpy(to->getBits() + size_t(y) * size_t(to->getRowSpan()) + size_t(l),
                from->getBits() + size_t(y) * size_t(from->getRowSpan()) + size_t(l),
                size_t(r - l) * sizeof(unsigned int));
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
  Raster_MemBitmap kept(0, 0, 1);
  for (const Entry& e : mEntries) {
    if (!e.hole.Empty()) {
      kept.resize(width, height);
      CopyBetween(mBitmap.get(), &kept, e.hole);
    }
    draw(e.control, mBitmap.get());
    if (!e.hole.Empty()) CopyBetween(&kept, mBitmap.get(), e.hole);
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
