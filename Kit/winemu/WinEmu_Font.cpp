#include "winemu/WinEmu_Font.h"

#include "winemu/WinEmu_FontObject.h"

HGDIOBJ CreateFont(int height, int width, int escapement, int orientation, int weight, char italic, char underline,
                   char strikeOut, char charSet, char outPrecision, char clipPrecision, char quality,
                   char pitchAndFamily, const char* face) {
  WinEmu_FontRequest request;
  request.height = height;
  request.escapement = escapement;
  request.bold = weight >= 700;
  request.italic = italic != 0;
  request.antialias = quality != NONANTIALIASED_QUALITY;
  request.face = face ? face : "";
  return WinEmu_FontObject::Create(request).release();
}

BOOL DeleteObject(HGDIOBJ object) {
  if (!object) return 0;
  delete object;
  return 1;
}

int WinEmu_GetFontLineHeight(HGDIOBJ font) {
  auto* object = dynamic_cast<WinEmu_FontObject*>(font);
  return object ? object->lineHeight() : 0;
}
