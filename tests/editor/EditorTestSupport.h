#pragma once
// The editor as a host opens it, headless: the built bundle's authored resources,
// a temporary data root, fake MIDI ports.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "CoreFoundation.h"
#include "DataRoot.h"
#include "Framework/ControlLayer.h"
#include "Framework/IGraphicsMac.h"
#include "Kit_TimeSource.h"
#include "MidiPortFake.h"
#include "RemoveTree.h"
#include "editor/Tavro.h"

// Slot A's filter cutoff, the panel's first parameter (+ slot for B to D), and the
// controller it sends.
constexpr int kFilterCutoff = 0;
constexpr int kCutoffCC = 74;
// The models' places on the model menu.
constexpr int kNL1 = 0, kNL2 = 1, kNL2x = 2;
// The editor's unit id for its default model, and a unit answering as another id.
constexpr int kDefaultUnitId = 4;
constexpr int kUnitId = 5;
// Port names of the fake port lists.
const std::string kSynthIn = "Synth In";
const std::string kNordMidiIn = "Nord MIDI In";

// A fresh data root for one test; removed with everything in it afterwards.
class TempDataRoot {
public:
  TempDataRoot() {
    char pattern[] = "/tmp/tavro_editor_XXXXXX";
    root_ = mkdtemp(pattern);
    PlatformSetDataRoot(root_);
  }
  ~TempDataRoot() {
    PlatformSetDataRoot("");
    RemoveTree(root_);
  }
  const std::string& root() const { return root_; }
  std::string folder() const { return root_ + "/Orvane/Vudidi Tavro Editor/"; }
  // Writes a file of the data folder, making the folders on the way.
  void write(const std::string& name, const std::string& text) const {
    std::filesystem::create_directories(folder());
    std::ofstream(folder() + name, std::ios::binary) << text;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(folder() + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Every path under the root.
  std::vector<std::string> contents() const { return List(root_); }

private:
  static std::vector<std::string> List(const std::string& dir) {
    std::vector<std::string> found;
    if (DIR* d = opendir(dir.c_str())) {
      while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        found.push_back(dir + "/" + name);
        for (const std::string& inner : List(dir + "/" + name)) found.push_back(inner);
      }
      closedir(d);
    }
    return found;
  }
  std::string root_;
};

// Registers the built bundle once, so the panel finds its resources.
inline void RegisterBuiltBundle() {
  static const bool registered = [] {
    const std::string dir = std::string(TAVRO_BINARY_DIR) + "/Tavro.component";
    CFStringRef path = CFStringCreateWithCString(nullptr, dir.c_str(), kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
    if (CFBundleRef bundle = CFBundleCreate(nullptr, url)) CFRelease(bundle);
    CFRelease(url);
    CFRelease(path);
    return true;
  }();
  (void)registered;
}

// The position (layout units) of the first control the authored layout binds to
// `paramName`; (-1, -1) when it has none.
inline std::pair<int, int> LayoutPosition(const std::string& paramName) {
  std::ifstream in(std::string(TAVRO_SOURCE_DIR) + "/resources/uiconfig.xml");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t param = text.find("paramId=\"" + paramName + "\"");
  if (param == std::string::npos) return {-1, -1};
  const size_t open = text.rfind('<', param), close = text.find('>', param);
  const size_t at = text.find("position=\"", open);
  if (at == std::string::npos || at > close) return {-1, -1};
  int x = -1, y = -1;
  std::sscanf(text.c_str() + at + 10, "%d,%d", &x, &y);
  return {x, y};
}

// An editor on fake ports in a temporary data root.
struct EditorFixture {
  // `synthPorts`: readable fake ports (the synthesizer's outputs), `synthInputs`
  // writable ones, present before the panel lists them.
  explicit EditorFixture(const std::string& uiSettings = "", bool withSettings = false,
                         const std::vector<std::string>& synthPorts = {},
                         const std::vector<std::string>& synthInputs = {}) {
    RegisterBuiltBundle();
    if (withSettings) data.write("Tavro Editor UI.txt", uiSettings);
    ports = std::make_shared<MidiPortFake>();
    for (const std::string& port : synthPorts) ports->AddReadablePort(port);
    for (const std::string& port : synthInputs) ports->AddWritablePort(port);
    IModuleInstanceInfo info;
    info.mBundleID.Set(Tavro::kBundleID);
    plug = std::make_unique<Tavro>(info, ports);
  }
  bool shown(const std::string& name) const {
    ControlLayer* layer = plug->layer(name);
    return layer && layer->IsShown();
  }

  TempDataRoot data;
  std::shared_ptr<MidiPortFake> ports;
  std::unique_ptr<Tavro> plug;
};

// An editor on a virtual clock installed for its lifetime (its pauses cost no time),
// with the synthesizer's input `synthIn` and the readable ports `synthOutputs`.
struct VirtualTimeEditor {
  explicit VirtualTimeEditor(const std::string& synthIn, const std::vector<std::string>& synthOutputs = {})
      : editor("", false, synthOutputs, {synthIn}) {}
  ~VirtualTimeEditor() {
    editor.plug.reset();
    Kit_SetTimeSource(nullptr);
  }

  Kit_VirtualClock clock;
  bool clockInstalled = (Kit_SetTimeSource(&clock), true);
  EditorFixture editor;
  std::shared_ptr<MidiPortFake>& ports = editor.ports;
  std::unique_ptr<Tavro>& plug = editor.plug;
};
