#pragma once
// One run of the test host over a loaded bundle: each cycle opens an instance,
// configures and initialises it, renders on a render thread while sending host
// MIDI, saves its state, restores the state into a second instance, compares,
// and closes both. With --panel the instance renders while its window is open,
// takes --state-in and is the only one, scripted or not. Every failed call is reported on stderr and
// ends the run.
// threads: main

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AUEventListener.h"
#include "AudioUnitAPI.h"
#include "HostClock.h"
#include "HostMidiIn.h"
#include "HostOptions.h"
#include "HostPanel.h"
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

  // The listener of the first instance's parameter events and what it heard.
  struct EventListening {
    AUEventListenerRef listener = nullptr;
    int parameterEvents = 0;
  };

  // One cycle; only the first speaks, shows the panel, runs the scripts and writes
  // the state files.
  bool RunCycle(bool firstCycle);
  // Configures and initialises the opened unit, restoring --state-in into it when
  // the panel's instance is the project.
  bool MakeReady(AudioUnit unit, HostClock& clock, bool firstCycle);
  // Notes the time from open to ready and says how the unit was opened.
  void SayReady(std::chrono::steady_clock::time_point openedAt, bool firstCycle);
  bool OpenLiveMidi(std::unique_ptr<HostMidiIn>& live, bool firstCycle);
  bool ShowPanel(AudioUnit unit, HostClock& clock, HostMidiIn* live, HostWindow& window);
  bool ListenForEvents(AudioUnit unit, EventListening& events);
  // Renders --render-seconds on a render thread while sending the host's MIDI and
  // exercising a parameter (not when the panel is the project).
  bool RenderWithHostTraffic(AudioUnit unit, HostClock& clock, HostMidiIn* live, bool firstCycle);
  // Disposes of the listener, uninitialises (when ok) and closes; ok and what closing gave.
  bool CloseFirstInstance(AudioUnit unit, const EventListening& events, bool ok);
  bool Check(OSStatus status, const std::string& what);
  bool Open(AudioUnit& unit);
  bool Configure(AudioUnit unit, const HostCallbackInfo& callbacks);
  bool SendHostMidi(AudioUnit unit);
  bool ExerciseParameters(AudioUnit unit, bool firstCycle);
  bool SaveState(AudioUnit unit, CFDictionaryRef& state);
  bool RestoreInSecondInstance(CFDictionaryRef saved, bool firstCycle);
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
  // Prints the line when say.
  void Say(bool say, const std::string& line) const;
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
