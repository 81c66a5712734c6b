#pragma once
// The Cocoa view factory class a host creates by the name the unit reports
// (property 31): it asks the plug-in's panel for its view.
// threads: main

#include "CocoaViewFactory.h"

class IModuleBase;

class Tavro_View : public AUCocoaUIBase {
public:
  static constexpr const char* kClassName = "Tavro_View";
  // Makes the class known to the platform's class registry (idempotent).
  static void RegisterClass();

  Tavro_View() = default;
  unsigned interfaceVersion() override { return 0; }
  // Null when the unit has no plug-in object or the plug-in has no panel.
  void* uiViewForAudioUnit(AudioUnit unit, Float32 preferredWidth, Float32 preferredHeight) override;
  CFStringRef description() override;

  // The plug-in whose view was last asked for (not owned).
  IModuleBase* Plug() const { return mPlug; }

private:
  IModuleBase* mPlug = nullptr;
};
