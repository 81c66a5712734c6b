#include "HostSession.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <numeric>
#include <thread>

#include "HostClock.h"
#include "HostSignals.h"
#include "RenderThread.h"
#include "StateFile.h"
#include "StateMeaning.h"

namespace {

// Time for the editor to hand the Stop to the port once a block has told it: a tick
// action and a job, milliseconds even under a sanitizer.
constexpr auto kStopGoesOut = std::chrono::milliseconds(250);
// How often a wait for the render thread looks for a signal, at most.
constexpr int kSignalPoll = 20;

std::string FormatCode(OSType code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text += char((code >> shift) & 0xFF);
  return text;
}

// The "data" value of a state dictionary, or null.
CFDataRef StateData(CFDictionaryRef state) {
  CFTypeRef data = CFDictionaryGetValue(state, CFSTR("data"));
  return (data && CFGetTypeID(data) == CFDataGetTypeID()) ? static_cast<CFDataRef>(data) : nullptr;
}

void OnParameterEvent(void* counter, void*, const AudioUnitEvent*, UInt64, AudioUnitParameterValue) {
  ++*static_cast<int*>(counter);
}

}  // namespace

HostSession::HostSession(const HostOptions& options, const PluginBundle& bundle) : options_(options), bundle_(bundle) {}

void HostSession::Say(bool say, const std::string& line) const {
  if (say) std::printf("%s\n", line.c_str());
}

bool HostSession::Check(OSStatus status, const std::string& what) {
  if (status == noErr) return true;
  std::fprintf(stderr, "tavro-host: %s failed: %d\n", what.c_str(), int(status));
  return false;
}

void HostSession::OnProperty(void* self, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {
  ++static_cast<HostSession*>(self)->listened_.propertyCalls;
}

OSStatus HostSession::OnRender(void* self, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                               AudioBufferList*) {
  auto& listened = static_cast<HostSession*>(self)->listened_;
  if (*flags & kAudioUnitRenderAction_PreRender) ++listened.preRender;
  if (*flags & kAudioUnitRenderAction_PostRender) ++listened.postRender;
  return noErr;
}

bool HostSession::Open(AudioUnit& unit) {
  if (!Check(OpenAComponent(&bundle_.component, &unit), "open")) return false;
  for (AudioUnitPropertyID id :
       {kAudioUnitProperty_SampleRate, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitProperty_StreamFormat})
    if (!Check(AudioUnitAddPropertyListener(unit, id, &HostSession::OnProperty, this), "add property listener"))
      return false;
  return true;
}

bool HostSession::Configure(AudioUnit unit, const HostCallbackInfo& callbacks) {
  AUHostIdentifier host{CFSTR("tavro-host"), {1, 0x00, 0, 0}};
  const Float64 rate = options_.sampleRate;
  const UInt32 frames = UInt32(options_.blockSize);
  AudioStreamBasicDescription format = {};
  format.mSampleRate = rate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = format.mBytesPerFrame = sizeof(Float32);
  format.mFramesPerPacket = 1;
  format.mChannelsPerFrame = 2;
  format.mBitsPerChannel = 32;
  return Check(AudioUnitSetProperty(unit, kAudioUnitProperty_AUHostIdentifier, kAudioUnitScope_Global, 0, &host,
                                    sizeof host),
               "set host identity") &&
         Check(AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof rate),
               "set sample rate") &&
         Check(AudioUnitSetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &frames,
                                    sizeof frames),
               "set maximum frames") &&
         Check(AudioUnitSetProperty(unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &callbacks,
                                    sizeof callbacks),
               "set host callbacks") &&
         Check(AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                                    sizeof format),
               "set output stream format");
}

bool HostSession::SendHostMidi(AudioUnit unit) {
  const UInt32 messages[][3] = {{0xC0, 5, 0}, {0xB0, 7, 100}, {0x90, 60, 100}, {0x80, 60, 0}};
  for (const auto& m : messages)
    if (!Check(MusicDeviceMIDIEvent(unit, m[0], m[1], m[2], 0), "host MIDI event")) return false;
  const UInt8 identityRequest[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
  return Check(MusicDeviceSysEx(unit, identityRequest, sizeof identityRequest), "host SysEx");
}

bool HostSession::ExerciseParameters(AudioUnit unit, bool firstCycle) {
  UInt32 size = 0;
  Boolean writable = false;
  if (!Check(
          AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, &writable),
          "parameter list info"))
    return false;
  const UInt32 count = size / sizeof(AudioUnitParameterID);
  Say(firstCycle, "parameters the host sees: " + std::to_string(count));
  if (count == 0) return true;
  AudioUnitParameterValue value = 0;
  if (!Check(AudioUnitGetParameter(unit, 0, kAudioUnitScope_Global, 0, &value), "get parameter 0") ||
      !Check(AudioUnitSetParameter(unit, 0, kAudioUnitScope_Global, 0, value, 0), "set parameter 0"))
    return false;
  return true;
}

bool HostSession::SaveState(AudioUnit unit, CFDictionaryRef& state) {
  CFPropertyListRef list = nullptr;
  UInt32 size = sizeof list;
  if (!Check(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &list, &size),
             "save state"))
    return false;
  if (!list || CFGetTypeID(list) != CFDictionaryGetTypeID()) {
    CFRelease(list);
    std::fprintf(stderr, "tavro-host: saved state is not a dictionary\n");
    return false;
  }
  state = static_cast<CFDictionaryRef>(list);
  return true;
}

void HostSession::PassLiveMidi(RenderThread& render, AudioUnit unit, HostMidiIn* live) {
  if (live) render.SetBeforeBlock([unit, live] { live->DeliverTo(unit); });
}

std::function<bool(long blocks)> HostSession::RenderBlocks(AudioUnit unit, HostClock& clock, HostMidiIn* live) const {
  return [this, unit, &clock, live](long blocks) {
    RenderThread render(unit, clock, options_.blockSize, options_.sampleRate);
    PassLiveMidi(render, unit, live);
    render.Start(blocks * options_.blockSize, false);
    return render.Join().error == noErr;
  };
}

bool HostSession::Restore(AudioUnit unit, CFDictionaryRef state, const std::string& what) {
  return Check(
      AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof state), what);
}

bool HostSession::RestoreStateIn(AudioUnit unit) {
  std::string error;
  CFDictionaryRef state = ReadStateFile(options_.stateIn, error);
  if (!state) {
    std::fprintf(stderr, "tavro-host: %s\n", error.c_str());
    return false;
  }
  const bool ok = Restore(unit, state, "restore " + options_.stateIn + " into the panel's instance");
  CFRelease(state);
  if (ok) std::printf("state restored from %s into the panel's instance\n", options_.stateIn.c_str());
  return ok;
}

bool HostSession::WriteState(CFDictionaryRef state) {
  std::string error;
  if (!WriteStateFile(options_.stateOut, state, error)) {
    std::fprintf(stderr, "tavro-host: %s\n", error.c_str());
    return false;
  }
  std::printf("state written to %s\n", options_.stateOut.c_str());
  return true;
}

bool HostSession::RestoreInSecondInstance(CFDictionaryRef saved, bool firstCycle) {
  CFDictionaryRef restored = saved;
  std::string error;
  if (!options_.stateIn.empty()) {
    restored = ReadStateFile(options_.stateIn, error);
    if (!restored) {
      std::fprintf(stderr, "tavro-host: %s\n", error.c_str());
      return false;
    }
  }
  AudioUnit second = nullptr;
  CFDictionaryRef again = nullptr;
  // The restored instance follows a transport of its own, as a project reopened in a
  // host does: its script plays and stops it.
  HostClock clock(options_.sampleRate, options_.tempo, options_.playing, options_.timeSigNumerator,
                  options_.timeSigDenominator);
  bool ok = Open(second) && Configure(second, clock.Callbacks()) &&
            Restore(second, restored, "restore state into a second instance") && SaveState(second, again);
  if (ok) {
    CFDataRef before = StateData(restored);
    CFDataRef after = StateData(again);
    const bool same = before && after &&
                      SameStateMeaning(CFDataGetBytePtr(before), size_t(CFDataGetLength(before)),
                                       CFDataGetBytePtr(after), size_t(CFDataGetLength(after)));
    Say(firstCycle, std::string("state restored into a second instance") +
                        (restored == saved ? "" : " from " + options_.stateIn) + "; saved again: " +
                        (!same                    ? "data differs"
                         : CFEqual(before, after) ? "identical data"
                                                  : "the same state, its ports at other places in the lists"));
    if (!same && restored == saved) {
      std::fprintf(stderr, "tavro-host: the restored instance saves different data\n");
      ok = false;
    }
  }
  if (ok && firstCycle && !options_.restoredStateOut.empty()) {
    ok = WriteStateFile(options_.restoredStateOut, again, error);
    if (ok)
      Say(firstCycle, "restored state written to " + options_.restoredStateOut);
    else
      std::fprintf(stderr, "tavro-host: %s\n", error.c_str());
  }
  bool initialized = false;
  if (ok && firstCycle && !options_.restoreScript.empty()) {
    HostOptions scripted = options_;
    scripted.snapshotPath.clear();
    scripted.panel = false;
    initialized = Check(AudioUnitInitialize(second), "initialize the restored instance");
    ok = initialized && ShowHostPanel(bundle_, second, scripted, options_.restoreScript, RenderBlocks(second, clock),
                                      clock, nullptr, error);
    if (!ok && !error.empty()) std::fprintf(stderr, "tavro-host: restored panel: %s\n", error.c_str());
  }
  if (again) CFRelease(again);
  if (initialized) StopTransport(second, clock);
  if (second) ok = Check(CloseComponent(second), "close second instance") && ok;
  if (restored != saved) CFRelease(restored);
  return ok;
}

bool HostSession::RunCycle(bool firstCycle) {
  HostClock clock(options_.sampleRate, options_.tempo, options_.playing, options_.timeSigNumerator,
                  options_.timeSigDenominator);
  AudioUnit unit = nullptr;
  const auto openedAt = std::chrono::steady_clock::now();
  if (!Open(unit)) return false;
  bool ok = MakeReady(unit, clock, firstCycle);
  if (ok) SayReady(openedAt, firstCycle);
  std::unique_ptr<HostMidiIn> live;
  if (ok && !options_.midiIn.empty()) ok = OpenLiveMidi(live, firstCycle);
  HostWindow window;
  if (ok && firstCycle && options_.WantsWindow()) ok = ShowPanel(unit, clock, live.get(), window);
  if (window.displayLost) return CloseAfterLostDisplay(unit, clock);
  // Closing the window ends the evening's playing: the transport stops, and a block
  // carries the stop to the plug-in (a signal may leave no time for more below).
  if (window.shown) StopTransport(unit, clock);
  EventListening events;
  if (ok) ok = ListenForEvents(unit, events);
  if (ok) ok = RenderWithHostTraffic(unit, clock, live.get(), firstCycle);
  // A script or --transport play may have left it playing.
  StopTransport(unit, clock);
  CFDictionaryRef state = nullptr;
  if (ok) ok = SaveState(unit, state);
  if (ok && firstCycle && !options_.stateOut.empty()) ok = WriteState(state);
  ok = CloseFirstInstance(unit, events, ok);
  // The panel's instance is the project: reopening it is the next run's, so the unit
  // hears the performance once an evening.
  // A host asked to end goes no further than the state written.
  if (ok && !options_.PanelIsTheProject() && !HostSignalReceived()) ok = RestoreInSecondInstance(state, firstCycle);
  if (state) CFRelease(state);
  return ok;
}

bool HostSession::MakeReady(AudioUnit unit, HostClock& clock, bool firstCycle) {
  const bool panelTakesState = firstCycle && options_.PanelIsTheProject() && !options_.stateIn.empty();
  return Configure(unit, clock.Callbacks()) && (!panelTakesState || RestoreStateIn(unit)) &&
         Check(AudioUnitInitialize(unit), "initialize");
}

void HostSession::SayReady(std::chrono::steady_clock::time_point openedAt, bool firstCycle) {
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - openedAt).count();
  openToReadyMs_.push_back(ms);
  char line[200];
  std::snprintf(line, sizeof line, "opened %s '%s' %s/%s/%s, initialised; open-to-ready %.3f ms",
                bundle_.identifier.c_str(), bundle_.name.c_str(),
                FormatCode(bundle_.component.description.componentType).c_str(),
                FormatCode(bundle_.component.description.componentSubType).c_str(),
                FormatCode(bundle_.component.description.componentManufacturer).c_str(), ms);
  Say(firstCycle, line);
  std::snprintf(line, sizeof line,
                "configured: host identity tavro-host 1.0, %.0f Hz, %d frames, stereo output, host clock "
                "(tempo %.2f, %d/%d, %s)",
                options_.sampleRate, options_.blockSize, options_.tempo, options_.timeSigNumerator,
                options_.timeSigDenominator, options_.playing ? "playing" : "stopped");
  Say(firstCycle, line);
}

bool HostSession::OpenLiveMidi(std::unique_ptr<HostMidiIn>& live, bool firstCycle) {
  std::string error;
  live = std::make_unique<HostMidiIn>();
  if (!live->Open(options_.midiIn, error)) {
    std::fprintf(stderr, "tavro-host: %s\n", error.c_str());
    return false;
  }
  Say(firstCycle, "live host MIDI from " + options_.midiIn);
  return true;
}

bool HostSession::ShowPanel(AudioUnit unit, HostClock& clock, HostMidiIn* live, HostWindow& window) {
  std::string error;
  window.whileOpen = RenderWhileOpen(unit, clock, live);
  const bool shown =
      ShowHostPanel(bundle_, unit, options_, options_.script, RenderBlocks(unit, clock, live), clock, &window, error);
  if (!shown) std::fprintf(stderr, "tavro-host: panel: %s\n", error.c_str());
  return shown;
}

bool HostSession::ListenForEvents(AudioUnit unit, EventListening& events) {
  AudioUnitEvent event = {};
  event.mArgument.mParameter = {unit, kAUParameterListener_AnyParameter, kAudioUnitScope_Global, 0};
  bool ok = Check(AUEventListenerCreate(&OnParameterEvent, &events.parameterEvents, &events.listener),
                  "create event listener");
  for (auto type : {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_ParameterValueChange,
                    kAudioUnitEvent_EndParameterChangeGesture}) {
    event.mEventType = type;
    ok = ok && Check(AUEventListenerAddEventType(events.listener, nullptr, &event), "add event type");
  }
  return ok && Check(AudioUnitAddRenderNotify(unit, &HostSession::OnRender, this), "add render notification");
}

bool HostSession::RenderWithHostTraffic(AudioUnit unit, HostClock& clock, HostMidiIn* live, bool firstCycle) {
  RenderThread render(unit, clock, options_.blockSize, options_.sampleRate);
  PassLiveMidi(render, unit, live);
  const long frames = long(options_.renderSeconds * options_.sampleRate);
  render.Start(frames, options_.paced);
  // The panel's state is the musician's: it is saved as shown, with no test traffic of
  // ours (host MIDI would reach the unit through the restored ports).
  bool ok = options_.PanelIsTheProject() || (SendHostMidi(unit) && ExerciseParameters(unit, firstCycle));
  // A signal ends the rendering early; the transport is stopped after it.
  while (!render.Finished()) {
    if (WaitForHostSignal(kSignalPoll)) render.Stop();
  }
  const RenderResult rendered = render.Join();
  ok = Check(rendered.error, "render") && ok;
  char line[200];
  std::snprintf(line, sizeof line, "rendered %ld blocks of %d frames on the render thread, transport at sample %.0f%s",
                rendered.blocks, options_.blockSize, clock.SampleTime(),
                options_.PanelIsTheProject() ? "" : "; sent 4 host MIDI messages and 1 SysEx");
  Say(firstCycle && ok, line);
  return ok;
}

bool HostSession::CloseFirstInstance(AudioUnit unit, const EventListening& events, bool ok) {
  // Closed before the state is restored, as a host closes a project before reopening
  // it: the restored instance lists the ports as the first one saw them.
  if (events.listener) AUListenerDispose(events.listener);
  if (ok) ok = Check(AudioUnitUninitialize(unit), "uninitialize");
  ok = Check(CloseComponent(unit), "close") && ok;
  listened_.parameterEvents += events.parameterEvents;
  return ok;
}

std::function<std::function<void()>()> HostSession::RenderWhileOpen(AudioUnit unit, HostClock& clock,
                                                                    HostMidiIn* live) const {
  return [this, unit, &clock, live]() -> std::function<void()> {
    // In real time whatever --fast says: the window is watched by a person.
    auto render = std::make_shared<RenderThread>(unit, clock, options_.blockSize, options_.sampleRate);
    PassLiveMidi(*render, unit, live);
    render->Start(RenderThread::kUntilStopped, true);
    return [render] {
      render->Stop();
      render->Join();
    };
  };
}

void HostSession::StopTransport(AudioUnit unit, HostClock& clock) const {
  if (!clock.Playing()) return;
  clock.SetPlaying(false);
  RenderBlocks(unit, clock)(1);
  std::this_thread::sleep_for(kStopGoesOut);
}

bool HostSession::CloseAfterLostDisplay(AudioUnit unit, HostClock& clock) {
  StopTransport(unit, clock);
  // The view is closed already; the state is what the window showed last.
  CFDictionaryRef state = nullptr;
  bool saved = SaveState(unit, state) && (options_.stateOut.empty() || WriteState(state));
  if (state) CFRelease(state);
  AudioUnitUninitialize(unit);
  saved = Check(CloseComponent(unit), "close") && saved;
  std::fprintf(stderr, "tavro-host: the X display was lost; the plug-in is closed%s\n",
               saved ? (options_.stateOut.empty() ? "" : " and its state saved") : ", its state NOT saved");
  return false;
}

bool HostSession::Run() {
  for (int cycle = 0; cycle < options_.cycles && !HostSignalReceived(); ++cycle) {
    if (!RunCycle(cycle == 0)) {
      std::fprintf(stderr, "tavro-host: cycle %d of %d failed\n", cycle + 1, options_.cycles);
      return false;
    }
  }
  std::printf("listeners heard %d property changes, %d parameter events, %d pre- and %d post-render calls\n",
              listened_.propertyCalls, listened_.parameterEvents, listened_.preRender, listened_.postRender);
  if (options_.cycles > 1) {
    const auto& t = openToReadyMs_;
    const double mean = std::accumulate(t.begin(), t.end(), 0.0) / double(t.size());
    // The first open decodes and caches what later ones reuse: the warm mean leaves it out.
    const double warm = std::accumulate(t.begin() + 1, t.end(), 0.0) / double(t.size() - 1);
    std::printf("%d cycles; open-to-ready first %.3f ms, mean %.3f ms, warm mean %.3f ms, max %.3f ms\n",
                options_.cycles, t.front(), mean, warm, *std::max_element(t.begin(), t.end()));
  }
  return true;
}
