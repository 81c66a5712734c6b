// The factory the Audio Unit wrapper calls when a host opens an instance.

#include "Framework/IGraphicsMac.h"
#include "Framework/IModuleAU.h"
#include "Kit_Mutex.h"
#include "editor/Tavro.h"

IModuleAU* MakePlug() {
  // One instance is built at a time; the lock lives as long as the process.
  static Kit_Mutex makeLock;
  Kit_MutexLock lock(makeLock);
  IModuleInstanceInfo info;
  info.mBundleID.Set(Tavro::kBundleID);
  info.mCocoaViewFactoryClassName.Set("Tavro_View");
  return new Tavro(info);
}

IGraphicsMac* MakeGraphics(IModuleAU* plug, int width, int height, int fps) {
  auto* graphics = new IGraphicsMac(plug, width, height, fps);
  graphics->SetBundleID(Tavro::kBundleID);
  return graphics;
}
