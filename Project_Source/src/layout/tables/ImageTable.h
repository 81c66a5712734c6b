#pragma once
// The panel images: resource id (also the bitmap cache key), symbolic name, bundle
// path, frame count and whether the frames lie side by side. Data only, shared by
// the image registry, the resource builder and the layout lint.

struct ImageTableEntry {
  int id;
  const char* name;
  const char* path;
  int frames;
  bool horizontal;
};

extern const ImageTableEntry kImageTable[];
extern const int kImageTableSize;
