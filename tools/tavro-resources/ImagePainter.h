#pragma once
// Draws the panel images from images.tsv with the rasteriser and writes them as PNG
// files named by the program's image table. The same description always gives the
// same bytes.
//
// threads: main.

#include <map>
#include <string>
#include <vector>

#include "PanelLabels.h"

// One frame's size of each image of images.tsv, by name.
std::map<std::string, FrameSize> ReadImageSizes(const std::string& sourceDir);
// The box text takes in DejaVu Sans of the given line height.
FrameSize MeasureText(const std::string& text, int size, bool bold);

// Where light i of an n-light selector strip of w x h lies: up to five lights a
// column, each column's lights at its left edge so their names fit beside them.
struct LedSpot {
  float cx, cy, r;
  int columnWidth;
};
LedSpot LedSpotOf(int i, int n, int w, int h);

// A text drawn into an image, with the field it has there (image pixels, first frame).
struct DrawnText {
  std::string image;
  int x = 0, y = 0, w = 0, h = 0;  // the field
  int size = 0;
  bool bold = false;
  std::string role;  // "title", "face" (a button's), "body" (image-labels.tsv) or "name"
  std::string text;
};

// Writes every image of the image table into outDir (one file per distinct path),
// with the labels drawn into their backgrounds; returns the number of files
// written, and every text drawn in *drawn. Throws SourceError for a missing or
// contradictory description.
int PaintImages(const std::string& sourceDir, const std::string& outDir, const std::vector<PanelLabel>& labels,
                std::vector<DrawnText>* drawn);
// "image x y w h size bold role text" a line, after a header naming the columns.
std::string DrawnTextTable(const std::vector<DrawnText>& texts);
