// Where incoming SysEx goes: the librarian's receivers, the panel's parsers, the
// device-id enquiry or nowhere. Messages are exact-size copies, so a read past the
// end shows under ASan.

#include <gtest/gtest.h>

#include "BaseTestPlug.h"
#include "FakeMessagingEditor.h"
#include "Framework/IControl.h"
#include "Framework/IMidiMsg.h"
#include "Framework/IParam.h"
#include "librarian/PatchLibrarian.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {
using Bytes = std::vector<uint8_t>;

constexpr int kSelectedSlot = 17;
constexpr int kInitialDeviceId = 9;
constexpr int kQuickTab = 794;
const int kMultiName = ParamIndex("kMultiName");
const int kPatchNameC = ParamIndex("kPatchName") + 2;

Bytes Program(int slot, int device = 0) {
  Bytes b(std::begin(kInitProgram), std::end(kInitProgram));
  b[2] = uint8_t(device);
  b[5] = uint8_t(slot);
  return b;
}
Bytes NamedProgram(const std::string& name) { return ProgramDumpCoder::WithName(Program(2), name); }
// A performance of `size` bytes: the named form cut there, closed by F7.
Bytes Performance(size_t size, int device = 0) {
  const auto init = InitPerformance();
  Bytes b = PerformanceDumpCoder::WithNames(Bytes(init.begin(), init.end()), "Big Stack!",
                                            {"Part A", "Part B", "Part C", "Part D"});
  b[2] = uint8_t(device);
  b.resize(size);
  b.back() = 0xF7;
  return b;
}
Bytes Cut(Bytes b, size_t size) {
  b.resize(size);
  return b;
}
Bytes WithByte(Bytes b, size_t at, uint8_t value) {
  b[at] = value;
  return b;
}

enum Setup {
  kArmPerformance = 1,
  kArmProgram = 2,
  kTransfer = 4,
  kEnquiry = 8,
  kTabRefresh = 16,
  kFromHost = 32,
};

struct Outcome {
  bool processed, busy;
  size_t storedLength;     // of the selected librarian slot; 0 for nothing stored
  const char* storedName;  // ten characters
  bool performanceArmed, programArmed;
  int deviceId;
  bool enquiryPending;
  int tabChanges;
  bool tabRefreshPending;
  int nameParam;  // the one name display set, -1 for none
  const char* name;
};

struct Row {
  const char* what;
  Bytes message;
  int setup;
  Outcome expect;
};

const std::string kRequested = "Requested ";

struct Dispatch {
  explicit Dispatch(int setup) {
    editor.deviceId = kInitialDeviceId;
    editor.enquiryPending = (setup & kEnquiry) != 0;
    librarian.modify([](PatchLibrary& library) {
      for (int type : {0, 1}) {
        auto bank = std::make_unique<PatchFile>();
        bank->type = type;
        bank->patches.resize(type == 0 ? 99 : 100);
        library.filesOfType(type).push_back(std::move(bank));
      }
    });
    librarian.selectedSlot = kSelectedSlot;
    if (setup & kArmPerformance) manager.performanceRequest.arm();
    if (setup & kArmProgram) manager.patchRequest.arm();
    manager.transferInProgress = (setup & kTransfer) != 0;
    manager.tabRefreshPending = (setup & kTabRefresh) != 0;
  }
  void send(const Bytes& message, bool fromDevice = true) {
    librarian.patchType = message.size() >= 711 ? 1 : 0;
    ISysEx sysex(0, message.data(), int32_t(message.size()));
    manager.ProcessSysEx(&sysex, fromDevice);
  }
  LibrarianPatch stored() const {
    LibrarianPatch patch;
    librarian.copyPatch(librarian.patchType, 0, kSelectedSlot, &patch);
    return patch;
  }

  FakeMessagingEditor editor;
  PatchLibrarian librarian{nullptr};
  MIDIMessageManager manager{&editor, nullptr, &librarian, nullptr};
};

const Row kRows[] = {
    // The panel's parsers during a transfer.
    {"program dump", Program(2), kTransfer, {1, 0, 0, "", 0, 0, 9, 0, 0, 0, kPatchNameC, "Requested"}},
    {"named program dump",
     NamedProgram("Bright Pad"),
     kTransfer,
     {1, 0, 0, "", 0, 0, 9, 0, 0, 0, kPatchNameC, "Bright Pad"}},
    {"program for a fifth slot", Program(4), kTransfer, {0, 0, 0, "", 0, 0, 9, 0, 0, 0, -1, ""}},
    {"performance dump", Performance(715), kTransfer, {1, 0, 0, "", 0, 0, 9, 0, 0, 0, kMultiName, "Perf Req."}},
    {"tab to refresh", Program(2), kTransfer | kTabRefresh, {1, 0, 0, "", 0, 0, 9, 0, 1, 1, kPatchNameC, "Requested"}},
    {"unasked dump", Program(2), kTabRefresh, {0, 0, 0, "", 0, 0, 9, 0, 0, 0, -1, ""}},
    // The device-id enquiry.
    {"performance answers the enquiry", Performance(715, 5), kEnquiry, {1, 0, 0, "", 0, 0, 5, 0, 1, 1, -1, ""}},
    {"enquiry answered during a transfer",
     Performance(725, 5),
     kEnquiry | kTransfer,
     {1, 0, 0, "", 0, 0, 5, 0, 0, 0, -1, ""}},
    {"short message tells the id only",
     {0xF0, 0x33, 0x05, 0x04, 0x00, 0xF7},
     kEnquiry,
     {0, 0, 0, "", 0, 0, 5, 1, 1, 1, -1, ""}},
    {"under four bytes", {0xF0, 0x33, 0x05}, kEnquiry, {0, 0, 0, "", 0, 0, 9, 1, 0, 0, -1, ""}},
    {"another maker", {0xF0, 0x41, 0x05, 0x04, 0x00, 0xF7}, kEnquiry, {0, 0, 0, "", 0, 0, 9, 1, 0, 0, -1, ""}},
    {"device id 16", {0xF0, 0x33, 0x10, 0x04, 0x00, 0xF7}, kEnquiry, {0, 0, 0, "", 0, 0, 9, 1, 0, 0, -1, ""}},
    // The librarian's receivers.
    {"program 139 gains a name", Program(1), kArmProgram, {1, 0, 149, "Requested ", 0, 0, 9, 0, 0, 0, -1, ""}},
    {"program 149 kept", NamedProgram("Bright Pad"), kArmProgram, {1, 0, 149, "Bright Pad", 0, 0, 9, 0, 0, 0, -1, ""}},
    {"program 140 refused", Cut(NamedProgram("Bright Pad"), 140), kArmProgram, {0, 1, 0, "", 0, 1, 9, 0, 0, 0, -1, ""}},
    {"performance 715 gains a name",
     Performance(715),
     kArmPerformance,
     {1, 0, 725, "Requested ", 0, 0, 9, 0, 0, 0, -1, ""}},
    {"performance 711", Performance(711), kArmPerformance, {1, 0, 725, "Requested ", 0, 0, 9, 0, 0, 0, -1, ""}},
    {"performance 725 kept", Performance(725), kArmPerformance, {1, 0, 725, "Big Stack!", 0, 0, 9, 0, 0, 0, -1, ""}},
    {"performance 765 kept", Performance(765), kArmPerformance, {1, 0, 765, "Big Stack!", 0, 0, 9, 0, 0, 0, -1, ""}},
    {"program without its end byte refused",
     WithByte(NamedProgram("Bright Pad"), 148, 0x3B),
     kArmProgram,
     {0, 1, 0, "", 0, 1, 9, 0, 0, 0, -1, ""}},
    {"status byte inside refused",
     WithByte(Performance(725), 300, 0xF7),
     kArmPerformance,
     {0, 1, 0, "", 1, 0, 9, 0, 0, 0, -1, ""}},
    {"performance 720 refused", Performance(720), kArmPerformance, {0, 1, 0, "", 1, 0, 9, 0, 0, 0, -1, ""}},
    {"performance 710 refused", Performance(710), kArmPerformance, {0, 1, 0, "", 1, 0, 9, 0, 0, 0, -1, ""}},
    {"both armed: the performance receiver first",
     Performance(715),
     kArmPerformance | kArmProgram,
     {1, 0, 725, "Requested ", 0, 1, 9, 0, 0, 0, -1, ""}},
    {"a program refused by the performance receiver",
     Program(1),
     kArmPerformance | kArmProgram,
     {0, 1, 0, "", 1, 1, 9, 0, 0, 0, -1, ""}},
    {"model byte 5 even when armed", WithByte(Program(1), 3, 5), kArmProgram, {0, 0, 0, "", 0, 1, 9, 0, 0, 0, -1, ""}},
    {"from the host even when armed", Program(1), kArmProgram | kFromHost, {0, 0, 0, "", 0, 1, 9, 0, 0, 0, -1, ""}},
    {"armed receiver before a transfer",
     Program(1),
     kArmProgram | kTransfer,
     {1, 0, 149, "Requested ", 0, 0, 9, 0, 0, 0, -1, ""}},
};

TEST(SysExDispatch, EveryMessageGoesWhereTheFlagsPoint) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.what);
    Dispatch d(row.setup);
    d.send(row.message, (row.setup & kFromHost) == 0);
    const Outcome& e = row.expect;
    EXPECT_EQ(d.manager.dumpProcessed, e.processed);
    EXPECT_EQ(d.manager.sysexBusy, e.busy);
    const LibrarianPatch stored = d.stored();
    EXPECT_EQ(stored.messages.empty() ? 0 : stored.messages[0].bytes.size(), e.storedLength);
    if (e.storedLength) {
      EXPECT_EQ(stored.name, std::string(e.storedName, 10));
    }
    EXPECT_EQ(d.editor.viewReloads, e.storedLength ? std::vector<int>{0} : std::vector<int>{});
    EXPECT_EQ(d.manager.performanceRequest.isArmed(), e.performanceArmed);
    EXPECT_EQ(d.manager.patchRequest.isArmed(), e.programArmed);
    EXPECT_EQ(d.editor.deviceId, e.deviceId);
    EXPECT_EQ(d.editor.enquiryPending, e.enquiryPending);
    EXPECT_EQ(d.editor.hardwareChanges, std::vector<int>(size_t(e.tabChanges), kQuickTab));
    EXPECT_EQ(d.manager.tabRefreshPending, e.tabRefreshPending);
    if (e.nameParam < 0) {
      EXPECT_TRUE(d.editor.panel.names.empty());
    } else {
      EXPECT_EQ(d.editor.panel.names[e.nameParam].c_str(), std::string(e.name));
    }
  }
}

TEST(SysExDispatch, ARefusedMessageIsNotKeptAndTheNextOneIsTheWholePatch) {
  Dispatch d(kArmPerformance);
  d.send(Performance(720));
  d.send(Performance(713));
  const LibrarianPatch stored = d.stored();
  ASSERT_EQ(stored.messages.size(), 1u);
  const Bytes& kept = stored.messages[0].bytes;
  ASSERT_EQ(kept.size(), 725u);
  // The message ended at 712: its end byte and what it lacked are zeros, then the name.
  const Bytes source = Performance(713);
  EXPECT_TRUE(std::equal(source.begin(), source.begin() + 712, kept.begin()));
  EXPECT_EQ(Bytes(kept.begin() + 712, kept.begin() + 714), Bytes(2, 0));
  EXPECT_EQ(std::string(kept.begin() + 714, kept.begin() + 724), kRequested);
  EXPECT_EQ(kept.back(), 0xF7);
  EXPECT_EQ(stored.name, kRequested);
}

TEST(SysExDispatch, TheArmingRequestsAndTheLibrarianModeChooseTheReceiver) {
  Dispatch d(0);
  d.manager.armLibrarianReceiver(true);
  EXPECT_TRUE(d.manager.performanceRequest.isArmed());
  d.manager.armLibrarianReceiver(false);
  EXPECT_FALSE(d.manager.performanceRequest.isArmed());
  EXPECT_TRUE(d.manager.patchRequest.isArmed());
  d.manager.disarmLibrarianReceivers();
  EXPECT_FALSE(d.manager.patchRequest.isArmed());

  // No job installed: the request starts nothing visible, the receiver stays armed.
  d.manager.dumpProcessed = true;
  d.manager.sendSinglePatchRequestSysexFromLibrarian(true, 0);
  EXPECT_TRUE(d.manager.patchRequest.isArmed());
  EXPECT_FALSE(d.manager.dumpProcessed);
  d.send(Program(3));
  EXPECT_EQ(d.stored().name, kRequested);
}

}  // namespace

namespace {

class Knob : public IControl {
public:
  Knob(IModuleBase* plug, int paramIdx) : IControl(plug, IRECT(0, 0, 10, 10), paramIdx) {}
  bool Draw(IGraphics*) override { return true; }
  double value() const { return mValue; }
};

TEST(SysExDispatch, ARawValueReachesItsControlScaledByItsParameter) {
  struct Case {
    const char* what;
    int min, max, raw;
    bool notify, fromHardware;
    double shown;
  };
  const Case kCases[] = {
      {"mid range from the synthesizer", 0, 100, 50, false, true, 0.5},
      {"offset range, with the velocity map told", 10, 20, 15, true, false, 0.5},
      {"a parameter of one value", 5, 5, 5, false, true, 0.0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    BaseTestPlug plug(1, 1);
    plug.GetParam(0)->InitInt("p", c.min, c.min, c.max);
    Knob knob(&plug, 0);
    knob.SetValueFromPlug(1.0);  // the first value is the default and changes nothing
    Dispatch d(kTransfer);
    d.manager.processSysExToUI(&knob, c.raw, c.notify, c.fromHardware);
    EXPECT_EQ(knob.value(), c.shown);
    EXPECT_FALSE(d.manager.transferInProgress);
    EXPECT_EQ(d.manager.applyingHardwareValue, c.fromHardware);
    EXPECT_EQ(d.editor.panelChanges, c.notify ? std::vector<int>{772} : std::vector<int>{});
  }
  // No control bound to the keys: nothing changes.
  Dispatch d(kTransfer);
  d.manager.getNormalControl(0x33, 0, 4, 1, 2, 64, true);
  EXPECT_TRUE(d.manager.transferInProgress);
}

}  // namespace
