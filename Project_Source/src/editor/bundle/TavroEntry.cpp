// The bundle's two exported entries; everything else of the library stays hidden.

#include "Framework/IModuleAU.h"

extern "C" __attribute__((visibility("default"))) ComponentResult Tavro_Entry(ComponentParameters* params,
                                                                              void* storage) {
  return IModuleAU::IModuleAUEntry(params, storage);
}

extern "C" __attribute__((visibility("default"))) ComponentResult Tavro_ViewEntry(ComponentParameters* params,
                                                                                  void* storage) {
  return IModuleAU::IModuleAUCarbonViewEntry(params, storage);
}
