#pragma once
// One run of the test host over a loaded bundle: each cycle opens an instance,
// configures and initialises it, renders on a render thread while sending host
// MIDI, saves its state, restores the state into a second instance, compares,
// and closes both. With a window the instance renders while it is open, takes
// --state-in and is the only one. Every failed call is reported on stderr and
// ends the run.
// threads: main

#include <functional>
#include <string>
#include <vector>

#include "AudioUnitAPI.h"
#include "HostClock.h"
#include "HostMidiIn.h"
#include "HostOptions.h"
#include "PluginBundle.h"
#include "RenderThread.h"

class HostSession {
public:
  HostSession(const HostOptions& options, const PluginBundle& bundle);
  // Runs every cycle; false after the first failure.
  bool Run();

private:
  struct Listened {
    int propertyCalls = 0;
    int parameterEvents = 0;
    int preRender = 0;
    int postRender = 0;
  };

  bool RunCycle(bool report);
  bool Check(OSStatus status, const std::string& what);
  bool Open(AudioUnit& unit);
  bool Configure(AudioUnit unit, const HostCallbackInfo& callbacks);
  bool SendHostMidi(AudioUnit unit);
  bool ExerciseParameters(AudioUnit unit, bool report);
  bool SaveState(AudioUnit unit, CFDictionaryRef& state);
  bool RestoreInSecondInstance(CFDictionaryRef saved, bool report);
  bool RestoreStateIn(AudioUnit unit);
  bool Restore(AudioUnit unit, CFDictionaryRef state, const std::string& what);
  // Writes --state-out (whole or not at all).
  bool WriteState(CFDictionaryRef state);
  // Starts the render thread for the time the window is open, with the live MIDI of
  // `live` (may be null) before each block; the result ends it.
  std::function<std::function<void()>()> RenderWhileOpen(AudioUnit unit, HostClock& clock, HostMidiIn* live) const;
  // After the X server went away: stops the transport, saves the state, closes the
  // plug-in; false.
  bool CloseAfterLostDisplay(AudioUnit unit, HostClock& clock);
  // Every way out of an instance stops a playing transport first, so the unit hears
  // Stop: a block carries the stop to the plug-in, whose editor sends it on its own
  // threads in the time given to it before the instance closes.
  void StopTransport(AudioUnit unit, HostClock& clock) const;
  void Say(bool report, const std::string& line) const;
  // Renders that many blocks of the unit on a render thread, for panel scripts,
  // with the live MIDI of `live` (may be null) before each block.
  std::function<bool(long blocks)> RenderBlocks(AudioUnit unit, HostClock& clock, HostMidiIn* live = nullptr) const;
  // Before each block of `render`, what `live` (may be null) received.
  static void PassLiveMidi(RenderThread& render, AudioUnit unit, HostMidiIn* live);

  static void OnProperty(void* self, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                         AudioUnitElement element);
  static OSStatus OnRender(void* self, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* stamp, UInt32 bus,
                           UInt32 frames, AudioBufferList* data);

  const HostOptions& options_;
  const PluginBundle& bundle_;
  Listened listened_;
  std::vector<double> openToReadyMs_;
};
