#pragma once
// The editor as a host opens it, for the benchmarks: a data folder of the chosen panel
// size and bank count, the plug-in built (up to "Plug-in is ready to load!") on fake
// ports, its view attached to a headless window and the full panel drawn once; and
// the open's peer, the layout alone.

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "CipherBlocks.h"
#include "EditorTestSupport.h"
#include "Framework/IGraphicsMac.h"
#include "ResourceKey.h"
#include "layout/LayoutResource.h"
#include "views/View_Backend.h"
#include "views/View_Headless.h"

// A data folder whose UI settings ask for `size` ("normal" 1.0, "large" 1.25) with no
// first-run notice, and whose "Patches" folder holds `banks` raw banks of 99 programs.
inline void WriteBenchDataFolder(const TempDataRoot& data, const std::string& size, int banks) {
  data.write("Tavro Editor UI.txt", "\n" + size + "\nyes\n");
  std::filesystem::create_directories(data.folder() + "Patches");
  for (int b = 0; b < banks; ++b) {
    std::string bank;
    for (int p = 0; p < 99; ++p) {
      bank += std::string{char(0xF0), 0x33, 0x00, 0x04, 0x00, char(p)};
      for (int i = 6; i < 138; ++i) bank += char(((b * 99 + p) * 7 + i * 13) % 128);
      bank += char(0xF7);
    }
    data.write("Patches/Bench Bank " + std::to_string(b) + ".syx", bank);
  }
}

struct OpenedEditor {
  OpenedEditor() {
    RegisterBuiltBundle();
    IModuleInstanceInfo info;
    info.mBundleID.Set(Tavro::kBundleID);
    plug = std::make_unique<Tavro>(info, std::make_shared<MidiPortFake>());
    static_cast<ViewHostable*>(plug->graphics->OpenWindow(nullptr))->AttachToBackend(&window);
    window.Tick();  // the whole panel: the window is invalid when attached
  }
  ~OpenedEditor() {
    plug->graphics->CloseWindow();
    plug.reset();
  }
  // Every pixel of the window drawn again by the panel and presented.
  void RedrawAll() {
    window.Invalidate({0, 0, window.Width(), window.Height()});
    window.FlushDraws();
  }

  HeadlessViewBackend window;
  std::unique_ptr<Tavro> plug;
};

// The peer of an open: the built bundle's layout deciphered and parsed, nothing else.
class AuthoredLayout {
public:
  AuthoredLayout() {
    std::ifstream in(std::string(TAVRO_BINARY_DIR) + "/Tavro.component/Resources/uiconfig.tea", std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    bytes_.resize(bytes_.size() + 8, 0);
  }
  std::unique_ptr<tinyxml2::XMLDocument> Parse() const {
    return ParseLayoutText(DecipherResourceText(bytes_.data(), int(bytes_.size() - 8), kResourceKey));
  }

private:
  std::vector<unsigned char> bytes_;
};
