#include <map>
#include <mutex>

#include "Framework/IGraphics.h"
#include "Framework/IGraphicsCaches.h"
#include "layout/UIConfigManager.h"
#include "layout/tables/ImageTable.h"

namespace {

using ImageKey = std::pair<int, double>;

// How many live managers hold each cached (id, scale): the cache is shared by every
// instance of the process, so one panel must not free what another still draws.
class ImageClaims {
public:
  void claim(const ImageKey& key) {
    std::lock_guard<std::mutex> lock(mLock);
    ++mCounts[key];
  }
  // Drops one claim; true when nobody holds the key any more.
  bool drop(const ImageKey& key) {
    std::lock_guard<std::mutex> lock(mLock);
    auto it = mCounts.find(key);
    if (it == mCounts.end()) return true;
    if (--it->second > 0) return false;
    mCounts.erase(it);
    return true;
  }
  bool unclaimed(const ImageKey& key) {
    std::lock_guard<std::mutex> lock(mLock);
    return mCounts.find(key) == mCounts.end();
  }

private:
  std::mutex mLock;
  std::map<ImageKey, int> mCounts;
};

ImageClaims& Claims() {
  static ImageClaims claims;
  return claims;
}

void RemoveFromCache(const ImageKey& key) {
  BitmapStorage& cache = BitmapCache();
  Kit_MutexLock lock(cache.Lock());
  if (Raster_IBitmap* bitmap = cache.Find(key.first, key.second)) cache.Remove(bitmap);
}

}  // namespace

UIConfigManager::~UIConfigManager() {
  for (const ImageKey& key : mHeldImages) Claims().drop(key);
}

void UIConfigManager::initImages(IGraphics* graphics) {
  mLog.line("Started to read image resources...");
  for (int i = 0; i < kImageTableSize; ++i) {
    const ImageTableEntry& row = kImageTable[i];
    preloadImage(graphics, row.id, row.name, row.path, row.frames, row.horizontal);
  }
  mLog.line("Completed!");
}

void UIConfigManager::preloadImage(IGraphics* graphics, int id, const char* name, const char* path, int frames,
                                   bool horizontal) {
  const ImageKey key(id, mScale);
  if (mReleaseImages) {
    const bool mine = mHeldImages.erase(key) != 0;
    const bool free = mine ? Claims().drop(key) : Claims().unclaimed(key);
    if (free) RemoveFromCache(key);
    return;
  }
  const IBitmap bitmap = graphics ? graphics->LoadIBitmap(id, path, mScale, frames, false) : IBitmap();
  if (bitmap.data && mHeldImages.insert(key).second) Claims().claim(key);
  mImages[name] = ImageInfo{id, frames, horizontal};
}

void UIConfigManager::ClearImageCache() {
  if (mGraphics) {
    mLog.line("image cache kept: the panel's controls still draw from it");
    return;
  }
  mReleaseImages = true;
  initImages(nullptr);
  mReleaseImages = false;
}

IBitmap UIConfigManager::getImageByName(IGraphics* graphics, const std::string& name) {
  auto it = mImages.find(name);
  if (it == mImages.end()) {
    mLog.line("Image " + name + " MISSING!");
    return IBitmap();
  }
  return graphics ? graphics->getImageById(it->second.id, it->second.frames, it->second.horizontal) : IBitmap();
}
