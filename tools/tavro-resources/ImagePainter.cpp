#include "ImagePainter.h"

#include <cmath>
#include <map>
#include <memory>

#include "Tsv.h"
#include "layout/tables/ImageTable.h"
#include "rasteriser/Raster.h"

namespace {

struct ImageLook {
  std::string style;
  int width = 0;
  int height = 0;
  unsigned int rgb = 0;
  std::string label;
  int line = 0;

  bool operator==(const ImageLook& o) const {
    return style == o.style && width == o.width && height == o.height && rgb == o.rgb && label == o.label;
  }
};

constexpr double kPi = 3.14159265358979323846;

// A text image-labels.tsv writes onto an image, from the top left.
struct ImageLabel {
  int x, y;
  std::string text;
  int size;
};

void SetFont(Raster_CachedFont* font, int size, bool bold) {
  font->SetFromHFont(CreateFont(size, 0, 0, 0, bold ? 700 : 400, 0, 0, 0, 0, 0, 0, 4, 0, "DejaVu Sans"),
                     RASTER_FONT_OWNS_HANDLE);
}

// The rasteriser's pixel word of an RRGGBB colour at the given alpha.
unsigned int Pixel(unsigned int rgb, unsigned int alpha = 255) {
  unsigned int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return alpha | r << 8 | g << 16 | b << 24;
}

unsigned int Scaled(unsigned int rgb, double factor) {
  auto channel = [&](int shift) {
    double v = ((rgb >> shift) & 0xFF) * factor;
    return static_cast<unsigned int>(v > 255 ? 255 : v) << shift;
  };
  return channel(16) | channel(8) | channel(0);
}

class Painter {
public:
  Painter(Raster_IBitmap* bitmap, int x, int y, const ImageLook& look) : bm_(bitmap), x_(x), y_(y), look_(look) {}

  void fill(int x, int y, int w, int h, unsigned int pixel) {
    Raster_FillRect(bm_, x_ + x, y_ + y, w, h, pixel, 1.0f, RASTER_MODE_COPY);
  }
  void frameRect(unsigned int pixel) {
    Raster_RoundRect(bm_, static_cast<float>(x_), static_cast<float>(y_), static_cast<float>(look_.width - 1),
                     static_cast<float>(look_.height - 1), look_.height >= 16 ? 3 : 0, pixel, 1.0f, RASTER_MODE_COPY,
                     false);
  }
  void disc(float cx, float cy, float r, unsigned int pixel) {
    Raster_FillCircle(bm_, x_ + cx, y_ + cy, r, pixel, 1.0f, RASTER_MODE_SOURCE_ALPHA, true);
  }
  void line(float x1, float y1, float x2, float y2, unsigned int pixel) {
    for (int d = -1; d <= 1; ++d) {
      Raster_Line(bm_, x_ + static_cast<int>(x1) + d, y_ + static_cast<int>(y1), x_ + static_cast<int>(x2) + d,
                  y_ + static_cast<int>(y2), pixel, 1.0f, RASTER_MODE_SOURCE_ALPHA, true);
    }
  }
  // Text in DejaVu Sans of the given line height, centred or from the top left
  // (the title's margin, or at: x, y inside the frame).
  void text(const std::string& words, int size, bool centred, unsigned int pixel, const int* at = nullptr,
            bool bold = false) {
    if (words.empty()) return;
    Raster_CachedFont font;
    SetFont(&font, size, bold || !at);
    font.SetTextColor(pixel);
    const int left = at ? at[0] : (centred ? 0 : 8), top = at ? at[1] : (centred ? 0 : 4);
    RECT rect{x_ + left, y_ + top, x_ + look_.width, y_ + look_.height};
    font.DrawText(bm_, words.c_str(), -1, &rect, centred ? RASTER_DT_CENTER | RASTER_DT_VCENTER : 0u);
  }

private:
  Raster_IBitmap* bm_;
  int x_;
  int y_;
  const ImageLook& look_;
};

// A button face lit on frame 1, or with "button0" on frame 0: a switch whose 0 shows
// what it names (the performance window opens at 0).
bool IsButton(const std::string& style) { return style == "button" || style == "button0"; }

// A panel's title: large on a window or page, the readable size on a badge.
int TitleSize(int height) { return height >= 100 ? 18 : kReadableTextSize; }

// The texts an image's own description draws: a panel's title, a button's face.
void AddOwnTexts(const std::string& name, const ImageLook& look, std::vector<DrawnText>* drawn) {
  if (look.label.empty()) return;
  if (look.style == "panel") {
    const bool centred = look.height < 100;
    drawn->push_back({name, centred ? 0 : 8, centred ? 0 : 4, look.width - (centred ? 0 : 16),
                      look.height - (centred ? 0 : 4), TitleSize(look.height), true, "title", look.label});
  } else if (IsButton(look.style) || look.style == "radio") {
    drawn->push_back({name, 0, 0, look.width, look.height, kReadableTextSize, true, "face", look.label});
  } else if (look.style == "overlay") {
    drawn->push_back({name, 0, 0, look.width, look.height, 28, true, "title", look.label});
  }
}

// The field of a text written onto an image: up to the next text on its line, or the
// image's right edge.
int FieldWidth(const ImageLabel& label, const std::vector<ImageLabel>& all, int imageWidth) {
  int right = imageWidth;
  for (const ImageLabel& other : all) {
    if (other.y == label.y && other.x > label.x && other.x < right) right = other.x;
  }
  return right - label.x;
}

void PaintFrame(Painter& p, const ImageLook& look, int frame, int frames) {
  const int w = look.width, h = look.height;
  const unsigned int body = look.rgb;
  const std::string& style = look.style;
  const bool lit = frames == 1 || (style == "button0" ? frame == 0 : frame > 0);
  if (style == "panel" || style == "overlay") {
    p.fill(0, 0, w, h, Pixel(body, style == "overlay" ? 160 : 255));
    if (style == "panel") {
      p.frameRect(Pixel(Scaled(body, 1.8) | 0x202020));
      p.text(look.label, TitleSize(h), h < 100, Pixel(0xE8E8E8));
    } else {
      p.text(look.label, 28, true, Pixel(0xFFFFFF));
    }
  } else if (style == "knob") {
    float c = w / 2.0f, r = w / 2.0f - 4;
    p.disc(c, c, r + 2, Pixel(0x101214));
    p.disc(c, c, r, Pixel(body));
    double angle = (-135.0 + 270.0 * frame / (frames - 1)) * kPi / 180.0;
    p.line(c, c, c + static_cast<float>(std::sin(angle) * (r - 3)), c - static_cast<float>(std::cos(angle) * (r - 3)),
           Pixel(0x202428));
  } else if (style == "leds") {
    for (int i = 0; i < frames; ++i) {
      LedSpot spot = LedSpotOf(i, frames, w, h);
      p.disc(spot.cx, spot.cy, spot.r, Pixel(i == frame ? body : Scaled(body, 0.25)));
    }
  } else if (IsButton(style) || style == "radio") {
    p.fill(0, 0, w, h, Pixel(lit && frames > 1 ? Scaled(body, 1.6) : body));
    p.frameRect(Pixel(0x101214));
    if (style == "radio") {
      for (int i = 1; i < 4; ++i) p.fill(i * w / 4, 0, 1, h, Pixel(0x101214));
    }
    p.text(look.label, kReadableTextSize, true, Pixel(lit ? 0xFFFFFF : 0xB0B0B0));
  } else if (style == "led") {
    p.disc(w / 2.0f, h / 2.0f, w / 2.0f - 1, Pixel(lit ? body : Scaled(body, 0.25)));
  } else if (style == "check") {
    p.fill(0, 0, w, h, Pixel(0x181A1C));
    p.frameRect(Pixel(body));
    if (lit && frames > 1) p.fill(5, 5, w - 10, h - 10, Pixel(body));
  } else if (style != "clear") {
    throw SourceError("unknown image style " + style);
  }
}

// The letters of the part selector's four cells.
void PaintRadioLetters(Raster_IBitmap* bitmap, const ImageLook& look, int frames) {
  for (int frame = 0; frame < frames; ++frame) {
    for (int i = 0; i < 4; ++i) {
      ImageLook cell = look;
      cell.width = look.width / 4;
      Painter p(bitmap, i * cell.width, frame * look.height, cell);
      p.text(std::string(1, static_cast<char>('A' + i)), kReadableTextSize, true,
             Pixel(frame > 0 ? 0xFFFFFF : 0xB0B0B0));
    }
  }
}

std::map<std::string, ImageLook> ReadLooks(const std::string& file) {
  std::map<std::string, ImageLook> looks;
  for (const TsvRow& row : ReadTsv(file)) {
    ImageLook look{row.at(1),     row.number(2),
                   row.number(3), static_cast<unsigned int>(std::stoul(row.at(4), nullptr, 16)),
                   row.at(5),     row.line};
    if (!looks.emplace(row.at(0), look).second) FailAt(file, row, "image given twice");
  }
  return looks;
}

std::map<std::string, std::vector<ImageLabel>> ReadLabels(const std::string& file) {
  std::map<std::string, std::vector<ImageLabel>> labels;
  for (const TsvRow& row : ReadTsv(file)) {
    if (row.cells.size() != 4 && row.cells.size() != 5) FailAt(file, row, "expected image, x, y, text and size");
    labels[row.at(0)].push_back(
        {row.number(1), row.number(2), row.at(3), row.cells.size() == 5 ? row.number(4) : kReadableTextSize});
  }
  return labels;
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

}  // namespace

std::map<std::string, FrameSize> ReadImageSizes(const std::string& sourceDir) {
  std::map<std::string, FrameSize> sizes;
  for (const auto& [name, look] : ReadLooks(sourceDir + "/images.tsv")) sizes[name] = {look.width, look.height};
  return sizes;
}

FrameSize MeasureText(const std::string& text, int size, bool bold) {
  Raster_CachedFont font;
  SetFont(&font, size, bold);
  RECT rect{0, 0, 0, 0};
  font.DrawText(nullptr, text.c_str(), -1, &rect, RASTER_DT_MEASURE);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

LedSpot LedSpotOf(int i, int n, int w, int h) {
  const int rows = n < 5 ? n : 5;
  const int columns = (n + 4) / 5;
  const float stepY = static_cast<float>(h) / rows;
  const int columnWidth = w / columns;
  float r = std::fmin(static_cast<float>(columnWidth), stepY) / 2 - 1.5f;
  if (r > 4) r = 4;
  return {static_cast<float>(columnWidth * (i / 5)) + r + 1, stepY * (i % 5 + 0.5f), r, columnWidth};
}

int PaintImages(const std::string& sourceDir, const std::string& outDir, const std::vector<PanelLabel>& placed,
                std::vector<DrawnText>* drawn) {
  const std::string file = sourceDir + "/images.tsv";
  std::map<std::string, ImageLook> looks = ReadLooks(file);
  std::map<std::string, std::vector<ImageLabel>> labels = ReadLabels(sourceDir + "/image-labels.tsv");
  std::map<std::string, ImageLook> written;  // by file name
  for (int i = 0; i < kImageTableSize; ++i) {
    const ImageTableEntry& entry = kImageTable[i];
    auto found = looks.find(entry.name);
    if (found == looks.end()) throw SourceError(file + ": no description of " + entry.name);
    const ImageLook& look = found->second;
    const std::string name = BaseName(entry.path);
    auto earlier = written.find(name);
    if (earlier != written.end()) {
      if (!(earlier->second == look)) {
        throw SourceError(file + ":" + std::to_string(look.line) + ": " + entry.name + " shares " + name +
                          " but is described otherwise");
      }
      continue;
    }
    const int frames = entry.frames;
    const bool sideBySide = entry.horizontal && frames > 1;
    Raster_MemBitmap bitmap(sideBySide ? look.width * frames : look.width,
                            sideBySide ? look.height : look.height * frames);
    Raster_FillRect(&bitmap, 0, 0, bitmap.getWidth(), bitmap.getHeight(), 0u, 1.0f, RASTER_MODE_COPY);
    for (int frame = 0; frame < frames; ++frame) {
      Painter painter(&bitmap, sideBySide ? frame * look.width : 0, sideBySide ? 0 : frame * look.height, look);
      PaintFrame(painter, look, frame, frames);
    }
    if (look.style == "radio") PaintRadioLetters(&bitmap, look, frames);
    Painter first(&bitmap, 0, 0, look);
    AddOwnTexts(entry.name, look, drawn);
    const std::vector<ImageLabel>& body = labels[entry.name];
    for (const ImageLabel& label : body) {
      const int at[2] = {label.x, label.y};
      first.text(label.text, label.size, false, Pixel(0xC8C8C8), at);
      drawn->push_back({entry.name, label.x, label.y, FieldWidth(label, body, look.width), look.height - label.y,
                        label.size, false, "body", label.text});
    }
    for (const PanelLabel& label : placed) {
      if (label.image != entry.name) continue;
      const int at[2] = {label.x - label.imageX, label.y - label.imageY};
      drawn->push_back({entry.name, at[0], at[1], label.w, label.h, label.boxed ? kReadableTextSize : label.size,
                        label.bold || label.boxed, label.boxed ? "face" : "name", label.text});
      if (label.boxed) {
        ImageLook face{"button", label.w, label.h, 0x4A5058, label.text, 0};
        Painter strip(&bitmap, at[0], at[1], face);
        PaintFrame(strip, face, 0, 1);
        continue;
      }
      first.text(label.text, label.size, false, Pixel(label.bold ? 0xE8C070 : 0xD0D4D8), at, label.bold);
    }
    if (!Raster_SavePNG((outDir + "/" + name).c_str(), &bitmap)) {
      throw SourceError(outDir + "/" + name + ": cannot be written");
    }
    written.emplace(name, look);
  }
  return static_cast<int>(written.size());
}

std::string DrawnTextTable(const std::vector<DrawnText>& texts) {
  std::string out =
      "# Every text the builder drew into an image: the image, the field the text has there\n"
      "# (pixels of its first frame), its line height, bold (1) or not, its role (title,\n"
      "# face, body, name) and the text.\n"
      "# image\tx\ty\tw\th\tsize\tbold\trole\ttext\n";
  for (const DrawnText& t : texts) {
    out += t.image + "\t" + std::to_string(t.x) + "\t" + std::to_string(t.y) + "\t" + std::to_string(t.w) + "\t" +
           std::to_string(t.h) + "\t" + std::to_string(t.size) + "\t" + (t.bold ? "1" : "0") + "\t" + t.role + "\t" +
           t.text + "\n";
  }
  return out;
}
