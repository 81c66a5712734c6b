// The bundle's exported entries and the factory the wrapper calls.

#include "AUTestPlug.h"
#include "Framework/IModuleAU.h"
#include "Kit_Mutex.h"

IModuleAU* MakePlug() {
  // One instance is built at a time.
  static Kit_Mutex makeLock;
  Kit_MutexLock lock(makeLock);
  IModuleInstanceInfo info;
  info.mBundleID.Set("com.Orvane.audiounit.Tavro Editor");
  info.mCocoaViewFactoryClassName.Set("Tavro_View");
  return new AUTestPlug(info);
}

extern "C" __attribute__((visibility("default"))) ComponentResult Tavro_Entry(ComponentParameters* params,
                                                                              void* storage) {
  return IModuleAU::IModuleAUEntry(params, storage);
}

extern "C" __attribute__((visibility("default"))) ComponentResult Tavro_ViewEntry(ComponentParameters* params,
                                                                                  void* storage) {
  return IModuleAU::IModuleAUCarbonViewEntry(params, storage);
}
