// A hardware MIDI message is being handled while the host closes the plug-in:
// nothing of the plug-in may be destroyed until the handler has returned.

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "AUTestUnit.h"
#include "BaseTestPlug.h"
#include "MidiPortFake.h"

namespace {
const std::string kSynthOut = "Vudidi Nord:MIDI Out";

// Outlives the plug-in, so the handler can report what it saw after the fact.
struct Witness {
  std::shared_ptr<MidiPortFake> fake = std::make_shared<MidiPortFake>();
  std::atomic<bool> entered{false};
  std::atomic<bool> destroyed{false};
  std::atomic<bool> sawDestroyed{false};
};

// Its handler holds a message until the plug-in is either being destroyed (the
// fault) or a close waits for the handler (the mend), then uses a member the
// destructor frees.
class DyingPlug : public AUTestPlug {
public:
  DyingPlug(Witness* witness, bool shutDownFirst)
      : AUTestPlug(IModuleInstanceInfo()), mWitness(witness), mShutDownFirst(shutDownFirst) {
    witness->fake->AddReadablePort(kSynthOut);
    UseMidiTransports(witness->fake);
    getExternalMIDIInNames();
    int index = 1;
    EXPECT_EQ(setExternalMIDIIn(index, kSynthOut.c_str()), 1);
  }
  ~DyingPlug() override {
    if (mShutDownFirst) ShutDownMidiInput();
    mWitness->destroyed = true;
    mScratch.reset();
  }

  void ProcessMidiMsg(IMidiMsg*, bool fromHardware) override {
    Witness* witness = mWitness;  // `this` may be gone when the fault shows
    witness->entered = true;
    while (!witness->destroyed && witness->fake->ClosesWaiting() == 0) std::this_thread::yield();
    witness->sawDestroyed = witness->destroyed.load();
    if (!witness->sawDestroyed) mScratch->push_back(1);
  }

private:
  Witness* mWitness;
  bool mShutDownFirst;
  std::unique_ptr<std::vector<int>> mScratch = std::make_unique<std::vector<int>>();
};

// Stops nothing itself: deleted directly, it leaves the stop to the base, which must
// come before the base deletes the panel that a handler in flight may still use.
class PanelUsingPlug : public AUTestPlug {
public:
  PanelUsingPlug(Witness* witness, std::atomic<int>* panelsDeleted)
      : AUTestPlug(IModuleInstanceInfo()), mWitness(witness), mPanelsDeleted(panelsDeleted) {
    witness->fake->AddReadablePort(kSynthOut);
    UseMidiTransports(witness->fake);
    getExternalMIDIInNames();
    int index = 1;
    EXPECT_EQ(setExternalMIDIIn(index, kSynthOut.c_str()), 1);
    AttachGraphics(new RecordingPanel(panelsDeleted));
  }

  void ProcessMidiMsg(IMidiMsg*, bool fromHardware) override {
    Witness* witness = mWitness;  // `this` may be gone when the fault shows
    std::atomic<int>* panelsDeleted = mPanelsDeleted;
    witness->entered = true;
    while (panelsDeleted->load() == 0 && witness->fake->ClosesWaiting() == 0) std::this_thread::yield();
    witness->sawDestroyed = panelsDeleted->load() > 0;
  }

private:
  Witness* mWitness;
  std::atomic<int>* mPanelsDeleted;
};

ComponentResult CloseThroughTheEntry(IModuleAU* plug) {
  ComponentParameters close{};
  close.what = kComponentCloseSelect;
  return IModuleAU::IModuleAUEntry(&close, plug);
}
}  // namespace

TEST(CloseWhileMidiArrives, TheHandlerInFlightFinishesBeforeAnythingIsDestroyed) {
  for (bool closeSelector : {true, false}) {
    Witness witness;
    auto* plug = new DyingPlug(&witness, !closeSelector);
    std::thread device([&] { witness.fake->Deliver(kSynthOut, {0x90, 60, 100}); });
    while (!witness.entered) std::this_thread::yield();
    if (closeSelector) {
      EXPECT_EQ(CloseThroughTheEntry(plug), noErr);
    } else {
      delete plug;  // the derived destructor stops the input first
    }
    device.join();
    EXPECT_FALSE(witness.sawDestroyed) << (closeSelector ? "close selector" : "derived destructor");
    EXPECT_TRUE(witness.destroyed);
    // Nothing arrives after the close.
    EXPECT_EQ(witness.fake->Deliver(kSynthOut, {0x90, 61, 100}), 0u);
  }
}

TEST(CloseWhileMidiArrives, TheBaseStopsTheInputBeforeItDeletesThePanel) {
  Witness witness;
  std::atomic<int> panelsDeleted{0};
  auto* plug = new PanelUsingPlug(&witness, &panelsDeleted);
  std::thread device([&] { witness.fake->Deliver(kSynthOut, {0x90, 60, 100}); });
  while (!witness.entered) std::this_thread::yield();
  delete plug;
  device.join();
  EXPECT_FALSE(witness.sawDestroyed);
  EXPECT_EQ(panelsDeleted.load(), 1);
}
