#pragma once
// Test doubles for the panel: a plug-in on the bare base that records what the
// panel tells it, a headless surface that records the platform calls and
// answers prompts by script, and images made in memory.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Framework/IGraphics.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"
#include "Framework/IPopupMenu.h"
#include "Kit_String.h"
#include "rasteriser/Raster.h"

class PanelPlug : public IModuleBase {
public:
  explicit PanelPlug(int nParams = 16)
      : IModuleBase(nParams, "2-2", 0, "Panel", "Panel", "Orvane", 0x20200, 1, 2, 0, true, true, false, kAPIAU) {
    initialize(0, nParams, "2-2", 0, "Panel", "Panel", "Orvane", 0x20200, 1, 2, 0, true, true, false);
  }

  void SetParameterFromGUI(int paramIdx, double normalizedValue) override {
    fromGUI.push_back({paramIdx, normalizedValue});
    IModuleBase::SetParameterFromGUI(paramIdx, normalizedValue);
  }
  void SetParameterFromGUI2(int paramIdx, double normalizedValue) override {
    fromGUI2.push_back({paramIdx, normalizedValue});
    IModuleBase::SetParameterFromGUI2(paramIdx, normalizedValue);
  }
  void BeginInformHostOfParamChange(int paramIdx) override { begun.push_back(paramIdx); }
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int paramIdx) override { ended.push_back(paramIdx); }
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int* n, int* d) override { *n = *d = 4; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int w, int h) override { resized.push_back({w, h}); }
  bool SendMidiVST(IMidiMsg*) override { return false; }
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  void OnTextEntryCancelled(int paramIdx) override { cancelledEntries.push_back(paramIdx); }
  bool PanelInputAllowed(IControl*, int, int) override { return allowsInput; }

  bool allowsInput = true;  // false: every input is refused, as a busy plug-in does

  std::vector<std::pair<int, double>> fromGUI;
  std::vector<int> cancelledEntries;
  std::vector<std::pair<int, double>> fromGUI2;
  std::vector<int> begun;
  std::vector<int> ended;
  std::vector<std::pair<int, int>> resized;
};

// An opaque image of `frames` stacked frames, frame k (from 1) filled with
// FrameColor(k). With `horizontal` the frames lie side by side.
inline IColor FrameColor(int frame) {
  return IColor(255, (37 * frame) & 0xFF, (255 - 11 * frame) & 0xFF, (90 + 53 * frame) & 0xFF);
}

inline std::unique_ptr<Raster_IBitmap> MakeStrip(int frameW, int frameH, int frames, bool horizontal = false) {
  const int w = horizontal ? frameW * frames : frameW, h = horizontal ? frameH : frameH * frames;
  auto bm = std::make_unique<Raster_MemBitmap>(w, h, 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int frame = 1 + (horizontal ? x / frameW : y / frameH);
      bm->getBits()[y * bm->getRowSpan() + x] = FrameColor(frame).ToPixel();
    }
  return bm;
}

inline std::unique_ptr<Raster_IBitmap> MakeFilled(int w, int h, const IColor& c) {
  auto bm = std::make_unique<Raster_MemBitmap>(w, h, 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bm->getBits()[y * bm->getRowSpan() + x] = c.ToPixel();
  return bm;
}

// The platform half done headless: every call is recorded; popups, text
// entries, file prompts and URLs are answered from scripts.
class HeadlessSurface : public IGraphics {
public:
  struct ShownMenu {
    std::vector<std::string> texts;
    std::vector<bool> checked;
    IRECT rect;
  };
  struct ShownEntry {
    std::string text;
    IRECT rect;
    IParam* param;
  };

  HeadlessSurface(IModuleBase* plug, int w, int h, int fps = 25) : IGraphics(plug, w, h, fps) {}

  bool DrawScreen(IRECT* rect) override {
    screens.push_back(*rect);
    return true;
  }
  void ForceEndUserEdit() override {}
  int ShowMessageBox(const char* text, const char*, int) override {
    messages.push_back(text);
    return 1;
  }
  // Answers with the next scripted index; -1 (or no script) dismisses.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override {
    ShownMenu shown{{}, {}, *rect};
    for (int i = 0; i < menu->GetNItems(); ++i) {
      shown.texts.push_back(menu->GetItemText(i));
      shown.checked.push_back(menu->IsItemChecked(i));
    }
    menus.push_back(shown);
    const int choice = menuAnswers.empty() ? -1 : menuAnswers.front();
    if (!menuAnswers.empty()) menuAnswers.pop_front();
    if (choice < 0) return nullptr;
    menu->SetChosenItemIdx(choice);
    return menu;
  }
  // Types the next scripted text (none: the entry is left open).
  void CreateTextEntry(IControl* control, IText*, IRECT* rect, const char* str, IParam* param) override {
    entries.push_back({str ? str : "", *rect, param});
    if (entryAnswers.empty()) return;
    const std::string typed = entryAnswers.front();
    entryAnswers.pop_front();
    SetFromStringAfterPrompt(control, param, typed.c_str());
  }
  void HostPath(Kit_String* path) override { path->Set("/host"); }
  void PluginPath(Kit_String* path) override { path->Set("/plugin"); }
  void DesktopPath(Kit_String* path) override { path->Set("/desktop"); }
  void PromptForFile(Kit_String* fileName, EFileAction, Kit_String*, const char*) override {
    fileName->Set(fileAnswer.c_str());
  }
  bool PromptForColor(IColor*, const char*) override { return false; }
  bool OpenURL(const char* url, const char*, const char*, const char*) override {
    urls.push_back(url);
    return urlOpens;
  }
  void* OpenWindow(void* parent) override { return window = parent; }
  void CloseWindow() override { window = nullptr; }
  void* GetWindow() override { return window; }
  std::unique_ptr<unsigned char[]> OSLoadFile(int, const char*) override { return nullptr; }
  std::unique_ptr<Raster_IBitmap> OSLoadBitmap(int, const char* name) override {
    ++bitmapLoads;
    auto it = images.find(name ? name : "");
    return it == images.end() ? nullptr : it->second();
  }

  // The colour of the frame buffer at (x, y).
  IColor At(int x, int y) { return GetPoint(x, y); }
  // A copy of every pixel of the frame buffer.
  std::vector<uint32_t> Pixels() {
    Raster_IBitmap* fb = GetDrawBitmap();
    std::vector<uint32_t> out;
    for (int y = 0; y < fb->getHeight(); ++y)
      for (int x = 0; x < fb->getWidth(); ++x) out.push_back(fb->getBits()[y * fb->getRowSpan() + x]);
    return out;
  }
  // Redraws the whole panel in strict mode.
  void DrawAll() {
    IRECT all(0, 0, Width(), Height());
    Draw(&all);
  }

  std::vector<IRECT> screens;
  std::vector<std::string> messages;
  std::vector<ShownMenu> menus;
  std::deque<int> menuAnswers;
  std::vector<ShownEntry> entries;
  std::deque<std::string> entryAnswers;
  std::string fileAnswer;
  std::vector<std::string> urls;
  bool urlOpens = true;
  void* window = nullptr;
  int bitmapLoads = 0;
  std::map<std::string, std::function<std::unique_ptr<Raster_IBitmap>()>> images;
};

// A plug-in with a headless panel attached (the plug-in owns it).
struct PanelFixture {
  explicit PanelFixture(int w = 200, int h = 100, int nParams = 16) {
    plug = std::make_unique<PanelPlug>(nParams);
    surface = new HeadlessSurface(plug.get(), w, h);
    plug->AttachGraphics(surface);
  }
  std::unique_ptr<PanelPlug> plug;
  HeadlessSurface* surface;
};
