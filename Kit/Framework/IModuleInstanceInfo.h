#pragma once
// What the Audio Unit wrapper hands to the plug-in's constructor when the host
// opens an instance.

#include "Kit_String.h"

struct IModuleInstanceInfo {
  Kit_String mBundleID;                   // "com.Orvane.audiounit.Tavro Editor"
  Kit_String mCocoaViewFactoryClassName;  // "Tavro_View"
};
