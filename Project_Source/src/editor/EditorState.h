#pragma once
// The state the whole editor shares, in records by concern. `Tavro` holds one of each,
// reads them out through const accessors and writes each field through one named setter,
// so a search for the setter finds every writer. Each field says which threads write it
// and which read it, in the README's thread names.

#include <array>
#include <atomic>

#include "librarian/TavroParams.h"

class ControlAction;
class ControlLayer;
class IControl;
class ITextControl;

// The librarian's menus, each with its layer.
constexpr int kLibrarianMenuCount = 10;

// Each field: who writes it (through its setter, the one writer) / who reads it.
struct UnitLink {
  // No enquiry answered yet.
  static constexpr int kNoAnswer = -1;
  // Both MIDI ports are chosen and open: writes main (the port selectors, recall, a
  // MIDI system gone, tear-down) / reads any
  std::atomic<bool> midiIOSet{false};
  // The unit's model, 0 NL1, 1 NL2, 2 NL2x: writes main (start-up, recall), main,
  // midi-in (the model selector) / reads main, midi-in, worker (the dump coders)
  std::atomic<int> nordModel{0};
  // The device id the messages carry: writes main (start-up, recall), main, midi-in
  // (the id selector, a model change; setPanelDeviceId), midi-in, main (the unit's
  // answer; setDeviceId) / reads main, midi-in, worker
  std::atomic<int> deviceId{0};
  // The id the unit answered the last enquiry on, kNoAnswer before or without one:
  // writes as deviceId's answer, worker (an enquiry going out) / reads any
  std::atomic<int> answeredDeviceId{kNoAnswer};
  // An enquiry is out, unanswered: writes main (sendSysExInitialization, before the
  // job), worker (the enquiry job), midi-in, main (the answer) / reads midi-in, main
  std::atomic<bool> deviceEnquiryPending{false};
};

// Each field: who writes it (a setter where it is written outside this class) / who
// reads it. The render tick follows the transport and the tempo
// (src-dsp/TavroAudioDSP.cpp).
struct ClockState {
  // The transport ran at the last tick: writes render / reads render, main, midi-in
  // (the read-out)
  std::atomic<bool> transportWasRunning{false};
  // The clock's Start went out for this run of the transport: writes render / reads
  // render
  std::atomic<bool> clockStarted{false};
  // A unit newly reached (its output port chosen) is told the transport's state: the
  // next tick starts the job of the state it followed, which tells the unit only
  // what it has not heard. Writes main, midi-in (the port choice) / reads render
  // (takes it)
  std::atomic<bool> transportToResend{false};
  // The continuous clock job is started: writes render (starts it), main, midi-in
  // (the port and clock switches, so the next tick starts it again) / reads render
  std::atomic<bool> clockLoopStarted{false};
  // Song position pointer before a Start: writes main (start-up, recall), main,
  // midi-in (its switch) / reads worker (clock-control)
  std::atomic<bool> sendClockPointer{true};
  // The clock is sent: writes main (recall), main, midi-in (its switch), worker
  // (clock) (off when the host gives no tempo) / reads worker (clock), main
  std::atomic<bool> sendMidiClock{false};
  // The host tempo in whole beats per minute, 0 while the host gives none: writes
  // render (readHostTime), main (takeHostTempo) / reads any
  std::atomic<int> hostTempo{0};
  // The tempo override's last value and whether the panel shows it: writes render /
  // reads render
  std::atomic<bool> tempoSyncApplied{false};
  std::atomic<int> tempoSyncValue{0};
};

// Each field: who writes it (through its setter, the one writer) / who reads it.
struct TransferState {
  // A transfer shows its overlay: writes main, worker (DisplayProcessingIndicator) /
  // reads main, midi-in, worker
  std::atomic<bool> transferBusy{false};
  // The panel's own messages are dropped while a transfer is busy: writes main,
  // worker (notes off, a bank change, a transfer's end) / reads main, midi-in, worker
  std::atomic<bool> holdOutputWhileBusy{false};
  // The SysEx input and the enquiry wait for the first transfer after a recall:
  // writes main (recall), main, worker (a transfer's end), main, midi-in (the
  // librarian's selectors) / reads main, midi-in
  std::atomic<bool> sysexInputSuspended{false};
  // A dump was taken over since the librarian's send cleared it: writes midi-in, main
  // (the SysEx input), worker (the send; clearDataProcessed) / reads worker
  std::atomic<bool> dataProcessed{false};
};

// Each field: who writes it (through its setter, the one writer) / who reads it.
struct OutputQueue {
  // The panel's messages wait for the render tick: writes main (recall), main,
  // midi-in (its switch) / reads main, midi-in, worker, render
  std::atomic<bool> queueMidiOutput{false};
  // The DAW offset in samples: writes main, midi-in (its command) / reads main,
  // midi-in
  std::atomic<int> dawOffset{0};
  // The queue's delay in samples: writes main (Reset, setQueueDelay) / reads render,
  // main
  std::atomic<int> midiOutDelay{0};
  // Notes off at the next stopped tick: writes main (Reset), render / reads render
  std::atomic<bool> resetPending{false};
};

// Each field: who writes it (through its setter, the one writer) / who reads it. The
// switches are set at start-up and recall (main) and by their commands (main, midi-in).
struct MidiFilters {
  // Per filter class, the host's and the synthesizer's messages held back: writes
  // main, midi-in / reads main, midi-in (the input, the SysEx input), worker (the
  // read-out)
  std::array<std::atomic<bool>, kFilterClassCount> hostFilterBlocked{};
  std::array<std::atomic<bool>, kFilterClassCount> deviceFilterBlocked{};
  // The soloed slot and the three links A-B, B-C, C-D of the host's keyboard zones:
  // writes main, midi-in / reads main, midi-in
  std::array<std::atomic<bool>, kSlotCount> slotSolo{};
  std::array<std::atomic<bool>, 3> globalLink{};
  // The synthesizer as master keyboard, its channel messages ignored: writes main,
  // midi-in / reads midi-in
  std::atomic<bool> ignoreDeviceMidi{false};
  // The activity lights follow the input (else the output): writes main, midi-in /
  // reads main, midi-in, worker, tick-performer
  std::atomic<bool> trackIncomingMidi{true};
  // The synthesizer's local control: writes main, midi-in (recall, the parameter
  // road, a CC from the unit), worker (a dump taken over) / reads main, midi-in
  std::atomic<bool> localControl{false};
};

struct SlotTables {
  static constexpr int kSize = 16;  // entries 0-3 are used
  // A slot's activity light is on (1) and since when (GetTickCount): writes main,
  // midi-in, worker, tick-performer (a message in or out lights it), render, main
  // (the tick and the SysEx input darken it) / reads the same
  std::array<std::atomic<int>, kSize> ledLit{};
  std::array<std::atomic<int>, kSize> ledOnTimes{};
  // A slot's part channel 1-16, 0 unset: writes main (start-up, recall), main, midi-in
  // (the parameter road), main, midi-in, worker (a dump taken over) / reads any
  std::array<std::atomic<int>, kSize> slotChannels{};
};

// Each field: who writes it (through its setter, the one writer) / who reads it. The
// road runs on main or midi-in under the plug-in mutex.
struct RoadState {
  // The panel is built and its start values set: writes main (start-up, tear-down) /
  // reads main, midi-in, worker
  std::atomic<bool> startupComplete{false};
  // A value from the synthesizer is on the road, nothing goes back: writes main,
  // midi-in (a HardwareChangeScope) / reads main, midi-in
  std::atomic<bool> hardwareChangeActive{false};
  // A linked slot follows: its controls move, nothing is sent: writes main, midi-in
  // (LinkManager) / reads main, midi-in
  std::atomic<bool> linkInProgress{false};
  // LFO 2's hold was released, its destination goes to the after-release value once:
  // writes main, midi-in (the hold's cycle) / reads main, midi-in
  std::atomic<bool> lfo2HoldReleased{false};
};

// The first bound controls, the menus and their layers, kept by the start-up stages
// (null when the layout has none). writes main (start-up, this class only) / reads
// main, midi-in, worker, tick-performer, render (what the layout built, unchanged
// afterwards)
struct KeptControls {
  IControl *velomapControl = nullptr, *ccDisplay = nullptr, *midiInSelector = nullptr, *midiOutSelector = nullptr,
           *buildDisplay = nullptr, *midiOutDelayDisplay = nullptr;
  IControl *datatypeControl = nullptr, *datamodeControl = nullptr, *patchRenameControl = nullptr;
  IControl *randomizeControl = nullptr, *patchSearchControl = nullptr;
  IControl *libraryControl = nullptr, *multiSettingsControl = nullptr, *showLibrarianControl = nullptr;
  IControl *upperListControl = nullptr, *lowerListControl = nullptr;
  IControl* librarianView = nullptr;
  ITextControl *statusText = nullptr, *valueText = nullptr;
  // The librarian page's own status line: the read-out is hidden there, so every
  // status text goes to both lines (the read-out's names and values do not).
  ITextControl* librarianStatusText = nullptr;
  ControlAction *overrideTempoAction = nullptr, *quickTabAction = nullptr;
  std::array<IControl*, kSlotCount> slotEnableControls{};
  std::array<IControl*, kSlotCount> partChannelControls{};
  std::array<IControl*, kSlotCount> activityLights{};
  std::array<IControl*, 2> cancelButtons{};
  std::array<IControl*, kFilterCount> filterControls{};
  std::array<IControl*, kLibrarianMenuCount> librarianMenus{};
  std::array<ControlLayer*, kLibrarianMenuCount> menuLayers{};
};

// What the panel shows and edits; the parameter road's commands and the recall set it.
// Each field: who writes it (through its setter below, the one writer) / who reads it.
// The parameter road is main or midi-in, under the plug-in mutex.
struct PanelMode {
  // Programs (false) or performances: writes main, midi-in (the librarian's data-type
  // command) / reads main, midi-in, worker (the librarian's jobs)
  std::atomic<bool> perfMode{false};
  // The slot 0-3 the panel edits: writes main (start-up, recall), main, midi-in (the
  // slot tabs, kQuickTab from a dump), worker (kQuickTab from a dump) / reads main,
  // midi-in, worker (the part jobs)
  std::atomic<int> activeSlot{0};
  // The librarian's program list selects on the synthesizer: writes main, midi-in
  // (its command) / reads main, midi-in
  std::atomic<bool> libraryControlOn{false};
  // The program the librarian's selectors chose last: writes main, midi-in / reads
  // main, midi-in
  std::atomic<int> selectedProgram{0};
  // The lower list shows search results: writes main, midi-in / reads main, midi-in,
  // worker (the librarian's sends)
  std::atomic<bool> searchResultsShown{false};
  // The rename box takes no text: writes main, midi-in (commands, tab switch, the
  // list's clicks) / reads main, midi-in, worker
  std::atomic<bool> renameInactive{true};
  // A slot change keeps the bank menus: writes main, midi-in / reads main, midi-in
  std::atomic<bool> keepCurrentBank{true};
};
