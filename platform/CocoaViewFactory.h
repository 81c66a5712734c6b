#pragma once
// Stand-in for the Cocoa object runtime as far as Audio Unit views need it: a
// host reads a view factory class name from the unit (Cocoa view info) and
// creates the factory by that name; the factory makes the view for a unit.
// Plug-in libraries register their factory classes by name.
//
// threads: main (registration may happen on any thread; the registry has a lock)

#include "AudioUnitAPI.h"

#include <memory>

// The factory protocol a Cocoa view class adopts.
class AUCocoaUIBase {
public:
  virtual ~AUCocoaUIBase() = default;
  virtual unsigned interfaceVersion() = 0;
  // The view for the unit, owned by the unit's panel; null when it has none.
  virtual void* uiViewForAudioUnit(AudioUnit unit, Float32 preferredWidth, Float32 preferredHeight) = 0;
  // A new string naming the factory.
  virtual CFStringRef description() = 0;
};

using AUCocoaUIClassMaker = std::unique_ptr<AUCocoaUIBase> (*)();

// Registers (or replaces) the class of that name; the maker must stay loaded
// for as long as the process may create the class.
void AUCocoaUIRegisterClass(const char* className, AUCocoaUIClassMaker maker);
// A new instance of the named class; null when no such class is registered.
std::unique_ptr<AUCocoaUIBase> AUCocoaUICreate(const char* className);
