#include "Framework/IGraphicsCaches.h"

#include <algorithm>
#include <cstring>

#include "Framework/IGraphics.h"
#include "rasteriser/Raster.h"

namespace {
constexpr int kBoldWeight = 700;
constexpr int kNormalWeight = 400;
constexpr int kMinFontHeight = 2;

int QualityCode(int quality) {
  switch (quality) {
    case 0: return DEFAULT_QUALITY;
    case 1: return NONANTIALIASED_QUALITY;
    case 2:
    case 3: return ANTIALIASED_QUALITY;
    default: return NONANTIALIASED_QUALITY;
  }
}

// A new w x h bitmap, or null when it cannot be allocated.
std::unique_ptr<Raster_MemBitmap> NewBitmap(int w, int h) {
  auto made = std::make_unique<Raster_MemBitmap>(w, h, IGraphics::kLineAlign);
  if (made->getWidth() != w || made->getHeight() != h) return nullptr;
  return made;
}

// Binds a new handle of the given height to the font; false when none can be made.
bool BindFontHandle(Raster_CachedFont* font, const IText& text, int height) {
  const int escapement = text.orientation * 10;
  HGDIOBJ handle =
      CreateFont(std::max(height, kMinFontHeight), 0, escapement, escapement,
                 text.style == IText::kStyleBold ? kBoldWeight : kNormalWeight, text.style == IText::kStyleItalic, 0, 0,
                 0, 0, 0, char(QualityCode(text.quality)), 0, text.font);
  if (!handle) return false;
  font->SetFromHFont(handle, RASTER_FONT_OWNS_HANDLE | RASTER_FONT_NATIVE);
  return true;
}
}  // namespace

BitmapStorage::~BitmapStorage() {
  for (Record& r : mRecords) delete r.bitmap;
}

Raster_IBitmap* BitmapStorage::Find(int id, double scale) {
  Kit_MutexLock lock(mLock);
  for (const Record& r : mRecords)
    if (r.id == id && r.scale == scale) return r.bitmap;
  return nullptr;
}

void BitmapStorage::Add(Raster_IBitmap* bitmap, int id, double scale) {
  if (!bitmap) return;
  Kit_MutexLock lock(mLock);
  // A bitmap is owned once: a second record would delete it twice.
  for (const Record& r : mRecords)
    if (r.bitmap == bitmap) return;
  mRecords.push_back({id, scale, bitmap});
}

bool BitmapStorage::Remove(Raster_IBitmap* bitmap, bool unnamedOnly) {
  Kit_MutexLock lock(mLock);
  auto it = std::find_if(mRecords.begin(), mRecords.end(), [bitmap](const Record& r) { return r.bitmap == bitmap; });
  if (!bitmap || it == mRecords.end() || (unnamedOnly && it->id != kNoID)) return false;
  mRecords.erase(it);
  delete bitmap;
  return true;
}

int BitmapStorage::Size() {
  Kit_MutexLock lock(mLock);
  return int(mRecords.size());
}

FontStorage::~FontStorage() {
  for (Record& r : mRecords) delete r.font;
}

Raster_IFont* FontStorage::Find(const IText* text) {
  Kit_MutexLock lock(mLock);
  for (const Record& r : mRecords)
    if (r.size == text->size && r.orientation == text->orientation && r.style == text->style &&
        std::strncmp(r.face, text->font, sizeof r.face) == 0)
      return r.font;
  return nullptr;
}

void FontStorage::Add(Raster_IFont* font, const IText* text) {
  if (!font) return;
  Record r{text->size, text->orientation, text->style, {}, font};
  std::memcpy(r.face, text->font, sizeof r.face);
  r.face[sizeof r.face - 1] = '\0';
  Kit_MutexLock lock(mLock);
  mRecords.push_back(r);
}

int FontStorage::Size() {
  Kit_MutexLock lock(mLock);
  return int(mRecords.size());
}

// Built on first use, so that no plug-in reaches a cache before it exists.
BitmapStorage& BitmapCache() {
  static BitmapStorage s_bitmapCache;
  return s_bitmapCache;
}

FontStorage& FontCache() {
  static FontStorage s_fontCache;
  return s_fontCache;
}

IBitmap IGraphics::LoadIBitmap(int id, const char* name, double scale, int frames, bool framesHorizontal) {
  BitmapStorage& cache = BitmapCache();
  // One lock over look-up, load and add: two threads loading one name cache it once.
  Kit_MutexLock lock(cache.Lock());
  Raster_IBitmap* scaled = cache.Find(id, scale);
  if (!scaled) {
    std::unique_ptr<Raster_IBitmap> source = OSLoadBitmap(id, name);
    if (!source) return IBitmap();
    const int w = int(source->getWidth() * scale), h = int(source->getHeight() * scale);
    if (w <= 0 || h <= 0) return IBitmap();
    // At 1:1 the filtered scale only clears the colour of transparent pixels: done in
    // place, without a second bitmap.
    const bool inPlace = w == source->getWidth() && h == source->getHeight();
    std::unique_ptr<Raster_IBitmap> made = inPlace ? std::move(source) : NewBitmap(w, h);
    if (!made) return IBitmap();
    Raster_IBitmap* from = inPlace ? made.get() : source.get();
    Raster_ScaledBlit(made.get(), from, 0, 0, w, h, 0.0f, 0.0f, float(from->getWidth()), float(from->getHeight()), 1.0f,
                      RASTER_MODE_FILTERED);
    scaled = made.release();
    cache.Add(scaled, id, scale);
  }
  return IBitmap(scaled, scaled->getWidth(), scaled->getHeight(), frames, framesHorizontal);
}

IBitmap IGraphics::getImageById(int id, int frames, bool framesHorizontal) {
  BitmapStorage& cache = BitmapCache();
  Kit_MutexLock lock(cache.Lock());
  Raster_IBitmap* cached = cache.Find(id, GetImageScale());
  if (!cached) return IBitmap();
  return IBitmap(cached, cached->getWidth(), cached->getHeight(), frames, framesHorizontal);
}

void IGraphics::RetainBitmap(IBitmap* bitmap) {
  if (bitmap) BitmapCache().Add(bitmap->data, BitmapStorage::kNoID, 0.0);
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap) {
  // A loaded image is shared by every control that draws it: releasing what
  // LoadIBitmap or getImageById gave changes nothing.
  if (bitmap) BitmapCache().Remove(bitmap->data, true);
}

IBitmap IGraphics::ScaleBitmap(IBitmap* source, int width, int height) {
  if (!source || !source->data || width <= 0 || height <= 0) return IBitmap();
  std::unique_ptr<Raster_MemBitmap> made = NewBitmap(width, height);
  if (!made) return IBitmap();
  Raster_ScaledBlit(made.get(), source->data, 0, 0, width, height, 0.0f, 0.0f, float(source->W), float(source->H), 1.0f,
                    RASTER_MODE_FILTERED);
  Raster_IBitmap* result = made.release();
  BitmapCache().Add(result, BitmapStorage::kNoID, 0.0);
  return IBitmap(result, width, height, source->N, false);
}

IBitmap IGraphics::CropBitmap(IBitmap* source, IRECT* rect) {
  if (!source || !source->data || !rect || rect->W() <= 0 || rect->H() <= 0) return IBitmap();
  std::unique_ptr<Raster_MemBitmap> made = NewBitmap(rect->W(), rect->H());
  if (!made) return IBitmap();
  Raster_Blit(made.get(), source->data, 0, 0, rect->L, rect->T, rect->W(), rect->H(), 1.0f, RASTER_MODE_COPY);
  Raster_IBitmap* result = made.release();
  BitmapCache().Add(result, BitmapStorage::kNoID, 0.0);
  return IBitmap(result, rect->W(), rect->H(), source->N, false);
}

Raster_IFont* IGraphics::CacheFont(IText* text) {
  if (!text) return nullptr;
  FontStorage& cache = FontCache();
  Kit_MutexLock lock(cache.Lock());
  if (Raster_IFont* found = cache.Find(text)) {
    text->cachedFont = found;
    return found;
  }
  auto font = std::make_unique<Raster_CachedFont>();
  if (!BindFontHandle(font.get(), *text, text->size)) return nullptr;
  const int asked = std::max(text->size, kMinFontHeight);
  const int lineHeight = font->GetLineHeight();
  // Second pass: bring the line height close to the requested pixel size.
  if (lineHeight > 0 && lineHeight != asked) {
    const double s = text->size < kMinFontHeight ? 4.0 : double(text->size) * text->size;
    if (!BindFontHandle(font.get(), *text, int(s / lineHeight + 0.5))) return nullptr;
  }
  Raster_IFont* made = font.release();
  cache.Add(made, text);
  text->cachedFont = made;
  return made;
}
