#include "Framework/IModuleAUView.h"

#include "Framework/IGraphics.h"
#include "Framework/IModuleAU.h"

namespace {

std::unique_ptr<AUCocoaUIBase> MakeView() { return std::make_unique<Tavro_View>(); }

}  // namespace

void Tavro_View::RegisterClass() { AUCocoaUIRegisterClass(kClassName, MakeView); }

void* Tavro_View::uiViewForAudioUnit(AudioUnit unit, Float32, Float32) {
  auto* plug = static_cast<IModuleAU*>(GetComponentInstanceStorage(unit));
  mPlug = plug;
  IGraphics* graphics = plug ? plug->GetGraphics() : nullptr;
  return graphics ? graphics->OpenWindow(nullptr) : nullptr;
}

CFStringRef Tavro_View::description() {
  return CFStringCreateWithCString(kCFAllocatorDefault, "Tavro Editor View", kCFStringEncodingUTF8);
}
