#pragma once
// Draws the panel images from images.tsv with the rasteriser and writes them as PNG
// files named by the program's image table. The same description always gives the
// same bytes.

#include <string>

// Writes every image of the image table into outDir (one file per distinct path);
// returns the number of files written. Throws SourceError for a missing or
// contradictory description.
int PaintImages(const std::string& sourceDir, const std::string& outDir);
