#include "LintPanel.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "CipherBlocks.h"
#include "CoreFoundation.h"
#include "Framework/IGraphicsMac.h"
#include "ResourceKey.h"
#include "layout/tables/ParamNameTable.h"

namespace {

std::string DecipheredText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<unsigned char> plain = DecipherBlocks(bytes, kResourceKey);
  std::string text(plain.begin(), plain.end());
  return text.substr(0, text.find('\0'));
}

// Registers the bundle folder and gives back its identifier.
std::string OpenBundle(const std::string& bundleDir) {
  CFStringRef path = CFStringCreateWithCString(nullptr, bundleDir.c_str(), kCFStringEncodingUTF8);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, true);
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  CFRelease(path);
  if (!bundle) throw std::runtime_error(bundleDir + " is not a bundle");
  std::string id;
  if (CFStringRef cfId = CFBundleGetIdentifier(bundle)) {
    char buffer[512];
    if (CFStringGetCString(cfId, buffer, sizeof buffer, kCFStringEncodingUTF8)) id = buffer;
  }
  CFRelease(bundle);
  if (id.empty()) throw std::runtime_error(bundleDir + " has no bundle identifier");
  return id;
}

}  // namespace

LintPlug::LintPlug(int nParams)
    : IModuleBase(nParams, "2-2", 0, "Lint", "Lint", "Orvane", 0x20200, 1, 2, 0, true, true, false, kAPIAU) {
  initialize(0, nParams, "2-2", 0, "Lint", "Lint", "Orvane", 0x20200, 1, 2, 0, true, true, false);
}

LintPanel::LintPanel(const std::string& bundleDir, double scale)
    : scale_(scale), resourcesDir_(bundleDir + "/Resources") {
  const std::string id = OpenBundle(bundleDir);
  layoutText_ = DecipheredText(resourcesDir_ + "/uiconfig.tea");
  sysexText_ = DecipheredText(resourcesDir_ + "/sysex.tea");
  plug_ = std::make_unique<LintPlug>(kLayoutParamCount);
  graphics_ = new IGraphicsMac(plug_.get(), static_cast<int>(1500 * scale), static_cast<int>(667 * scale), 25);
  graphics_->SetBundleID(id.c_str());
  plug_->AttachGraphics(graphics_);
  manager_ = std::make_unique<UIConfigManager>();
  // The lint hears the layout notes as part of the reader's log.
  const ConfigLogSink toLog = [this](const std::string& line) { log_.push_back(line); };
  manager_->readUIConfig(graphics_, plug_.get(), nullptr, 0, scale, toLog, toLog);
  // The editor's panel background, under everything.
  graphics_->AttachBackground(104, "resources/img-retina-quality/tavro_GUI-v2.png", scale);
}

LintPanel::~LintPanel() {
  plug_.reset();  // the panel first: the manager owns the binding records
  manager_->panelDestroyed();
  // Nothing of this panel stays cached: the next panel loads its images afresh.
  manager_->ClearImageCache();
  manager_.reset();
}
