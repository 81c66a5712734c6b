#pragma once
// The per-parameter MIDI binding record the layout's factories fill and the editor
// core reads on every change, and the lookup tables that lead incoming MIDI back to
// the control that shows it.
//
// threads: main, midi-in, worker. Records and tables are built on main while the plug-in is
// constructed and do not change afterwards, except lastValue, which the editor
// writes and reads on main, midi-in and worker. The tables are read
// on midi-in without a lock, which is safe only because they are fixed.

#include <atomic>
#include <map>
#include <vector>

class ControlLayer;
class IControl;

// What a change of the parameter sends.
enum ControlActionKind {
  kActionNone = 0,      // menus, read-outs, plain switches, radio groups
  kActionCC = 1,        // CC knob, fader or menu
  kActionCCSwitch = 2,  // two-state CC switch: offValue or onValue
  kActionMsbLsb = 3,    // MSB/LSB pair
  kActionSysExSwitch = 5,
  kActionSysEx = 6,  // SysEx knob, fader or menu; also the far end of a link
  kActionProgramResend = 7,
};

// A parameter link: the linked parameter, a second parameter, and a number carried along.
struct LinkInfo {
  int target = -1;
  int value = -1;
  int extra = -1;
};

class ControlAction {
public:
  explicit ControlAction(int kindOfAction) : kind(kindOfAction) {}

  // threads: main, midi-in, worker
  std::atomic<double> lastValue{-1.0};
  int slot = -1;  // 0..3, or -1
  int kind;
  int ccNumber = -1;
  int nrpnKey1 = -1;
  int nrpnKey2 = -1;
  int nrpnKey3 = -1;
  int channel = -1;                      // 1-based
  int firstGen = -1;                     // 0 or 1
  std::vector<IControl*> boundControls;  // creation order; the panel owns them
  LinkInfo link;
  std::vector<std::vector<int>> sysexMessages;  // one message per value
  int offValue = -1;
  int onValue = -1;
  // The layer that selects between this parameter's pages, set by a layer's "selector".
  ControlLayer* selectorLayer = nullptr;
};

// The message set calculateSysexWithChangingByte fills.
struct ControlActionSysExMessage {
  unsigned char flag = 0;
  std::vector<std::vector<int>> messages;
  std::vector<std::vector<std::vector<int>>> multiMessages;
};

// Levels of the lookup tables: int keys down to a control.
using ccControlMap = std::map<int, IControl*>;
using controlID3 = std::map<int, ccControlMap>;
using controlID2 = std::map<int, controlID3>;
using controlID1 = std::map<int, controlID2>;

// Five keys to a control; a later entry under the same keys replaces the earlier.
class FiveKeyControlTable {
public:
  void add(int k1, int k2, int k3, int k4, int k5, IControl* control);
  // Null as soon as one level lacks its key; creates nothing.
  // threads: main, midi-in
  IControl* findControl(int k1, int k2, int k3, int k4, int k5) const;

private:
  std::map<int, controlID1> mTable;
};

// Keyed channel, nrpnKey1, nrpnKey2, nrpnKey3, firstGen.
class NRPNControlContainer : public FiveKeyControlTable {
public:
  void addToControlMap(const ControlAction* action, IControl* control);
};

// Keyed by four message bytes and a fifth key (0 from every caller).
class SysExControlContainer : public FiveKeyControlTable {
public:
  void addToControlMap(const unsigned char* keyBytes, unsigned char fifthKey, IControl* control);
};

// Keyed channel, ccNumber, firstGen.
class CCControlTable {
public:
  void add(int channel, int ccNumber, int firstGen, IControl* control);
  // threads: main, midi-in
  IControl* find(int channel, int ccNumber, int firstGen) const;

private:
  std::map<int, controlID3> mTable;
};
