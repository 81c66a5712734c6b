#pragma once
// A bundle holding the layout resources (enciphered under the resource key) and
// every panel image, a plug-in with the panel's 798 parameters on a headless
// IGraphicsMac, and a manager that reads it all, its log lines kept.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "CipherBlocks.h"
#include "CoreFoundation.h"
#include "Framework/IGraphicsMac.h"
#include "PanelTestSupport.h"
#include "RemoveTree.h"
#include "ResourceKey.h"
#include "layout/UIConfigManager.h"
#include "layout/tables/ImageTable.h"
#include "layout/tables/ParamNameTable.h"
#include "rasteriser/Raster_PNG.h"

// Frame size of every fixture image at scale 1: strips of 8 x 4 frames.
constexpr int kFixtureFrameW = 8;
constexpr int kFixtureFrameH = 4;

inline int FixtureImageW(const ImageTableEntry& row) { return kFixtureFrameW * (row.horizontal ? row.frames : 1); }
inline int FixtureImageH(const ImageTableEntry& row) { return kFixtureFrameH * (row.horizontal ? 1 : row.frames); }

class LayoutBundle {
public:
  LayoutBundle() {
    static std::atomic<int> serial{0};
    const std::string tag = std::to_string(getpid()) + "_" + std::to_string(serial++);
    root_ = "/tmp/layout_bundle_" + tag + ".component";
    id_ = "com.Orvane.layouttest." + tag;
    mkdir(root_.c_str(), 0755);
    mkdir((root_ + "/Resources").c_str(), 0755);
    std::ofstream(root_ + "/Info.plist") << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                         << "<key>CFBundleIdentifier</key><string>" << id_ << "</string>"
                                         << "<key>CFBundleExecutable</key><string>Tavro.so</string></dict></plist>\n";
    CFStringRef path = CFStringCreateWithCString(nullptr, root_.c_str(), kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
    if (CFBundleRef bundle = CFBundleCreate(nullptr, url)) CFRelease(bundle);
    CFRelease(url);
    CFRelease(path);
  }
  ~LayoutBundle() { RemoveTree(root_); }

  void WriteRaw(const std::string& name, const std::vector<unsigned char>& bytes) const {
    std::ofstream out(root_ + "/Resources/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  // Enciphered as the resource builder does.
  void WriteResource(const std::string& name, const std::string& text) const {
    WriteRaw(name, EncipherPadded(std::vector<unsigned char>(text.begin(), text.end()), kResourceKey));
  }
  // Every image of the table but `except`, frame k of each filled with FrameColor(k).
  void WriteImages(const std::string& except = "") const {
    mkdir((root_ + "/Resources/img").c_str(), 0755);
    for (int i = 0; i < kImageTableSize; ++i) {
      const ImageTableEntry& row = kImageTable[i];
      if (row.name == except) continue;
      std::string file = row.path;
      file = file.substr(file.rfind('/') + 1);
      // Two ids share a picture; the file is written once.
      const std::string path = root_ + "/Resources/img/" + file;
      if (access(path.c_str(), F_OK) == 0) continue;
      std::unique_ptr<Raster_IBitmap> strip = MakeStrip(kFixtureFrameW, kFixtureFrameH, row.frames, row.horizontal);
      Raster_SavePNG(path.c_str(), strip.get());
    }
  }
  const char* ID() const { return id_.c_str(); }

private:
  std::string root_, id_;
};

// A layout text with the given elements inside "uiconfig".
inline std::string Layout(const std::string& body) { return "<uiconfig>\n" + body + "\n</uiconfig>\n"; }

// Containers: 0 a 9-byte template, 1 a 5-byte one (too short for a part), 2 empty.
inline std::string DefaultSysEx() {
  return "<sysexlist>"
         "<sysex><values><value>F0 33 10 04 20 30 40 00 F7</value></values></sysex>"
         "<sysex><values><value>F0 01 02 03 F7</value></values></sysex>"
         "<sysex></sysex>"
         "</sysexlist>";
}

struct LayoutFixture {
  explicit LayoutFixture(bool withImages = true, const std::string& missingImage = "") {
    if (withImages) bundle.WriteImages(missingImage);
    plug = std::make_unique<PanelPlug>(kLayoutParamCount);
    graphics = new IGraphicsMac(plug.get(), 1200, 800, 25);
    graphics->SetBundleID(bundle.ID());
    plug->AttachGraphics(graphics);
  }
  ~LayoutFixture() {
    plug.reset();  // the panel first: the manager owns the binding records
    manager.reset();
  }

  // Writes the resources (an empty text writes none) and reads them.
  void Read(const std::string& layout, const std::string& sysex = DefaultSysEx(), double scale = 1.0) {
    if (!layout.empty()) bundle.WriteResource("uiconfig.tea", layout);
    if (!sysex.empty()) bundle.WriteResource("sysex.tea", sysex);
    manager->readUIConfig(
        graphics, plug.get(), nullptr, 0, scale, [this](const std::string& line) { log.push_back(line); },
        [this](const std::string& line) { notes.push_back(line); });
  }
  bool Logged(const std::string& part) const { return Holds(log, part); }
  bool Noted(const std::string& part) const { return Holds(notes, part); }
  static bool Holds(const std::vector<std::string>& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
  }
  ControlAction* Action(int paramIdx) const { return plug->GetParam(paramIdx)->GetControlAction(); }
  IControl* First(int paramIdx) const {
    ControlAction* a = Action(paramIdx);
    return a && !a->boundControls.empty() ? a->boundControls.front() : nullptr;
  }

  LayoutBundle bundle;
  std::unique_ptr<PanelPlug> plug;
  IGraphicsMac* graphics;
  std::unique_ptr<UIConfigManager> manager = std::make_unique<UIConfigManager>();
  std::vector<std::string> log;
  std::vector<std::string> notes;  // what the walk passed over
};
