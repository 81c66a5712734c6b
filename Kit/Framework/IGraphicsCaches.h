#pragma once
// The process-wide image and font caches shared by every panel and control.
//
// Images are keyed by id and scale, so panels opened at different sizes each
// get images at their own scale; bitmaps made by RetainBitmap, ScaleBitmap and
// CropBitmap carry id -1. Fonts are keyed by size, orientation, style and
// face: text styles that differ only in colour or quality share one font.
//
// threads: any. Each operation holds the cache's recursive lock; Lock()
// lets a caller keep it across a look-up and an add.

#include <memory>
#include <vector>

#include "Framework/IGraphicsStructs.h"
#include "Kit_Mutex.h"

class Raster_IBitmap;
class Raster_IFont;

class BitmapStorage {
public:
  static constexpr int kNoID = -1;

  BitmapStorage() = default;
  // Deletes every cached bitmap.
  ~BitmapStorage();
  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  // The first bitmap cached under (id, scale), or null.
  Raster_IBitmap* Find(int id, double scale);
  // The cache takes ownership; a bitmap it already holds is not added again.
  void Add(Raster_IBitmap* bitmap, int id, double scale);
  // Removes and deletes the first record holding the bitmap; false (nothing
  // deleted) when the bitmap is not cached, or, with `unnamedOnly`, when it is
  // cached under an image id.
  bool Remove(Raster_IBitmap* bitmap, bool unnamedOnly = false);
  int Size();
  Kit_Mutex& Lock() { return mLock; }

private:
  struct Record {
    int id;
    double scale;
    Raster_IBitmap* bitmap;
  };
  std::vector<Record> mRecords;
  Kit_Mutex mLock;
};

class FontStorage {
public:
  FontStorage() = default;
  // Deletes every cached font.
  ~FontStorage();
  FontStorage(const FontStorage&) = delete;
  FontStorage& operator=(const FontStorage&) = delete;

  // The font of the first record matching the style's key (face compared
  // exactly), or null.
  Raster_IFont* Find(const IText* text);
  // The cache takes ownership.
  void Add(Raster_IFont* font, const IText* text);
  int Size();
  Kit_Mutex& Lock() { return mLock; }

private:
  struct Record {
    int size;
    int orientation;
    int style;
    char face[IText::kFontNameSize];
    Raster_IFont* font;
  };
  std::vector<Record> mRecords;
  Kit_Mutex mLock;
};

// The two caches; built on first use, destroyed at process exit.
BitmapStorage& BitmapCache();
FontStorage& FontCache();
