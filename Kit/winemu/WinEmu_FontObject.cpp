#include "winemu/WinEmu_FontObject.h"

#include <fontconfig/fontconfig.h>
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <tuple>

namespace {

// FreeType's library and fontconfig's configuration are shared by every font;
// opening and closing faces and matching patterns happen under this lock.
std::mutex& LibraryLock() {
  static std::mutex lock;
  return lock;
}

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
    return lib;
  }();
  return library;
}

struct MatchedFile {
  std::string path;
  int index = 0;
  bool embolden = false;  // the family lacks a bold face: strengthen outlines
  bool oblique = false;   // the family lacks an italic face: slant outlines
  std::string family;
};

// Faces the system names that Debian does not carry.
const char* SubstituteFace(const std::string& face) {
  static const char* const kMonospaced[] = {"NK57 Monospace", "Consolas", "Monaco"};
  for (const char* name : kMonospaced) {
    if (strcasecmp(face.c_str(), name) == 0) return "DejaVu Sans Mono";
  }
  return nullptr;
}

bool Match(const char* family, bool bold, bool italic, MatchedFile* out) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* file = nullptr;
  FcChar8* matchedFamily = nullptr;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
  if (ok) {
    out->path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &out->index);
    if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch) {
      out->family = reinterpret_cast<const char*>(matchedFamily);
    }
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    out->embolden = bold && weight < FC_WEIGHT_DEMIBOLD;
    out->oblique = italic && slant == FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  return ok;
}

bool FindFontFileUncached(const WinEmu_FontRequest& request, MatchedFile* out) {
  static const bool initialised = [] {
    if (FcInit() != FcTrue) return false;
    // Fontconfig keeps its configuration for the whole process; hand it back at exit.
    std::atexit(FcFini);
    return true;
  }();
  if (!initialised) return false;
  const std::string face = request.face.empty() ? std::string("sans-serif") : request.face;
  if (const char* substitute = SubstituteFace(face)) {
    if (Match(substitute, request.bold, request.italic, out) && strcasecmp(out->family.c_str(), substitute) == 0) {
      return true;
    }
    return Match("monospace", request.bold, request.italic, out);
  }
  return Match(face.c_str(), request.bold, request.italic, out);
}

// Fontconfig's answer for a face and style, kept for the process: its configuration
// is read once, so the same question has the same answer, and asking costs far more
// than opening the face. Called under the library lock.
bool FindFontFile(const WinEmu_FontRequest& request, MatchedFile* out) {
  static std::map<std::tuple<std::string, bool, bool>, std::optional<MatchedFile>> answers;
  auto [at, isNew] = answers.try_emplace({request.face, request.bold, request.italic});
  if (isNew) {
    MatchedFile found;
    if (FindFontFileUncached(request, &found)) at->second = found;
  }
  if (at->second) *out = *at->second;
  return at->second.has_value();
}

}  // namespace

std::unique_ptr<WinEmu_FontObject> WinEmu_FontObject::Create(const WinEmu_FontRequest& request) {
  if (request.height == 0) return nullptr;
  std::lock_guard<std::mutex> guard(LibraryLock());
  FT_Library library = Library();
  MatchedFile file;
  if (!library || !FindFontFile(request, &file)) return nullptr;

  std::unique_ptr<WinEmu_FontObject> font(new WinEmu_FontObject());
  if (FT_New_Face(library, file.path.c_str(), file.index, &font->face_) != 0) {
    font->face_ = nullptr;
    return nullptr;
  }
  FT_Size_RequestRec size{};
  // Win32 semantics: a positive height is the cell (ascent + descent), a negative one
  // the em size.
  size.type = request.height > 0 ? FT_SIZE_REQUEST_TYPE_CELL : FT_SIZE_REQUEST_TYPE_NOMINAL;
  size.height = static_cast<FT_Long>(std::abs(static_cast<long>(request.height))) * 64;
  if (FT_Request_Size(font->face_, &size) != 0) {
    // Closed here: the destructor would take the library lock this call holds.
    FT_Done_Face(font->face_);
    font->face_ = nullptr;
    return nullptr;
  }

  const FT_Size_Metrics& metrics = font->face_->size->metrics;
  font->ascent_ = static_cast<int>((metrics.ascender + 32) >> 6);
  font->descent_ = static_cast<int>((-metrics.descender + 32) >> 6);
  font->embolden_ = file.embolden;
  font->renderMode_ = request.antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
  font->loadFlags_ = request.antialias ? FT_LOAD_DEFAULT : FT_LOAD_TARGET_MONO;

  const double angle = request.escapement / 10.0 * M_PI / 180.0;
  font->rotated_ = request.escapement % 3600 != 0;
  if (font->rotated_ || file.oblique) {
    const double shear = file.oblique ? 0.2 : 0.0;  // about 11 degrees, like a true italic
    const double c = std::cos(angle), s = std::sin(angle);
    // Rotation (anticlockwise, FreeType's y up) after the shear.
    FT_Matrix matrix;
    matrix.xx = static_cast<FT_Fixed>(std::lround(c * 65536.0));
    matrix.xy = static_cast<FT_Fixed>(std::lround((c * shear - s) * 65536.0));
    matrix.yx = static_cast<FT_Fixed>(std::lround(s * 65536.0));
    matrix.yy = static_cast<FT_Fixed>(std::lround((s * shear + c) * 65536.0));
    FT_Set_Transform(font->face_, &matrix, nullptr);
    // Hinting fights rotation; outlines are used as they are.
    if (font->rotated_) font->loadFlags_ |= FT_LOAD_NO_HINTING;
  }
  return font;
}

WinEmu_FontObject::~WinEmu_FontObject() {
  if (face_) {
    std::lock_guard<std::mutex> guard(LibraryLock());
    FT_Done_Face(face_);
  }
}

const WinEmu_Glyph& WinEmu_FontObject::glyph(uint32_t codepoint) {
  if (codepoint < latin_.size() && latin_[codepoint]) return *latin_[codepoint];
  auto found = glyphs_.find(codepoint);
  if (found == glyphs_.end()) {
    found = glyphs_.emplace(codepoint, render(codepoint)).first;
  }
  if (codepoint < latin_.size()) latin_[codepoint] = &found->second;
  return found->second;
}

WinEmu_Glyph WinEmu_FontObject::render(uint32_t codepoint) {
  WinEmu_Glyph glyph;
  const FT_UInt index = FT_Get_Char_Index(face_, codepoint);
  if (FT_Load_Glyph(face_, index, loadFlags_ | FT_LOAD_NO_BITMAP) != 0) return glyph;
  FT_GlyphSlot slot = face_->glyph;
  if (embolden_) FT_GlyphSlot_Embolden(slot);
  glyph.advanceX = slot->advance.x;
  glyph.advanceY = -slot->advance.y;
  if (FT_Render_Glyph(slot, renderMode_) != 0) return glyph;

  const FT_Bitmap& bitmap = slot->bitmap;
  const int w = static_cast<int>(bitmap.width);
  const int h = static_cast<int>(bitmap.rows);
  auto coverageAt = [&](int x, int y) -> uint8_t {
    const unsigned char* row = bitmap.buffer + static_cast<long>(y) * bitmap.pitch;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
      return (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    }
    return row[x];
  };
  // Trim to the inked pixels so that measuring reports the ink exactly.
  int x0 = w, y0 = h, x1 = -1, y1 = -1;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (coverageAt(x, y)) {
        if (x < x0) x0 = x;
        if (x > x1) x1 = x;
        if (y < y0) y0 = y;
        if (y > y1) y1 = y;
      }
    }
  }
  if (x1 < 0) return glyph;
  glyph.left = slot->bitmap_left + x0;
  glyph.top = -slot->bitmap_top + y0;
  glyph.width = x1 - x0 + 1;
  glyph.height = y1 - y0 + 1;
  glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.height);
  for (int y = 0; y < glyph.height; ++y) {
    for (int x = 0; x < glyph.width; ++x) {
      glyph.coverage[static_cast<size_t>(y) * glyph.width + x] = coverageAt(x0 + x, y0 + y);
    }
  }
  return glyph;
}
