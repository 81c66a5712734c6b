// The host state chunk: what a song saves of the editor and what a recall brings back.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "EditorTestSupport.h"
#include "FailingAllocator.h"
#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "editor/PatchManager.h"
#include "messaging/MIDIMessageManager.h"

namespace {

const std::string kLongIn = "Vudidi Nord USB MIDI Interface Port In 1";   // 40 characters
const std::string kLongOut = "Vudidi Nord USB MIDI Interface Port Out1";  // 40 characters

// An editor on fake ports; the synthesizer's two ports are there unless `absent`, and
// `outputs` are the output ports listed when they are there.
struct StateFixture {
  explicit StateFixture(bool absent = false, const std::vector<std::string>& outputs = {kLongOut})
      : f("", false, absent ? std::vector<std::string>{} : std::vector<std::string>{kLongIn},
          absent ? std::vector<std::string>{} : outputs),
        ports(f.ports),
        plug(f.plug) {
    // The performance a recall resends would run on while the test reads the names;
    // here only its start counts.
    for (int code = 0; code < kJobNothing; ++code) plug->midiManager->sender()->setJob(code, nullptr);
  }
  ByteChunk save() {
    ByteChunk chunk;
    EXPECT_TRUE(plug->SerializeState(&chunk));
    return chunk;
  }
  std::vector<unsigned char> saved() {
    const ByteChunk chunk = save();
    return std::vector<unsigned char>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
  }
  int transfersStarted() const { return plug->midiManager->jobsStarted(MIDIMessageManager::kTransferThread); }

  EditorFixture f;
  std::shared_ptr<MidiPortFake>& ports;
  std::unique_ptr<Tavro>& plug;
};

// A saved editor with both ports chosen, names, and switches away from their defaults.
ByteChunk EditedChunk() {
  StateFixture f;
  Tavro& t = *f.plug;
  int in = 1, out = 1;
  t.setExternalMIDIIn(in, kLongIn.c_str());
  t.setExternalMIDIOut(out, kLongOut.c_str());
  t.GetParam(kDeviceInSelection)->Set(in);
  t.GetParam(kDeviceOutSelection)->Set(out);
  t.patchManager->names = {"Evening", "Bass Lead 12", "Pad", "Keys", "Solo", "", ""};
  const std::vector<std::pair<int, double>> edits = {
      {0, 93.0},                     // a sound parameter of slot A
      {kPartMidiChannel + 1, 10.0},  // slot B on channel 10
      {kDeviceID, 5.0},
      {kMIDIFilterDAWCCPassThrough, 0.0},
      {kMIDIFilterHWCCPassThrough + 1, 1.0},
      {kMIDIFilterTrackIncomingMIDI, 0.0},
      {608, 1.0},  // messages wait for the render tick
      {kSendMIDIClockPointer, 1.0},
      {kSendMIDIClockInfo, 1.0},
      {kSlotSolo + 2, 1.0},
      {kGlobalLink + 1, 1.0},
      {346, 1.0},  // local control
      {619, 1.0},  // master keyboard
      {kQuickTab, 2.0},
  };
  for (const auto& [paramIdx, value] : edits) t.GetParam(paramIdx)->Set(value);
  return f.save();
}

TEST(HostState, AFreshEditorSavesTheKnownLayout) {
  StateFixture f(true);
  const ByteChunk chunk = f.save();
  // Tag, slot tab and model, then the patch manager's block with its 4988-byte snapshot.
  const unsigned char block[] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0x13, 0x7C};
  ASSERT_GT(chunk.Size(), 32);
  EXPECT_EQ(std::vector<unsigned char>(chunk.GetBytes() + 20, chunk.GetBytes() + 32),
            std::vector<unsigned char>(std::begin(block), std::end(block)));
  const int offName = int(std::string(IMidiPorts::kOffName).size());
  EXPECT_EQ(chunk.Size(), 20 + 12 + 4988 + 5 * (4 + 10) + 2 * (4 + offName) + 4 * 8 + 621 * 8);
}

// A save whose chunk cannot grow is reported rather than handed to the host as a state
// that a recall would refuse: refused outright, refused past 4 KB (the patch manager's
// block is then short), and refused past 8 KB (the chunk then ends inside the
// parameters at its end).
TEST(HostState, ASaveThatCouldNotGrowIsReported) {
  StateFixture f(true);
  const int whole = f.save().Size();
  struct Case {
    const char* what;
    bool allocate, reallocate;
    size_t refuseAbove;
    int atLeast;  // what the short chunk still holds
  };
  const Case cases[] = {
      {"no room at all", true, true, 0, 0},
      {"no growth beyond 4 KB", false, false, 4096, 0},
      {"no growth beyond 8 KB", false, false, 8192, whole - 621 * 8},
  };
  for (const Case& c : cases) {
    ByteChunk chunk;
    {
      FailingAllocator failing;
      FailingAllocator::failAllocate = c.allocate;
      FailingAllocator::failReallocate = c.reallocate;
      FailingAllocator::refuseAbove = c.refuseAbove;
      EXPECT_FALSE(f.plug->SerializeState(&chunk)) << c.what;
    }
    EXPECT_LT(chunk.Size(), whole) << c.what;
    EXPECT_GE(chunk.Size(), c.atLeast) << c.what;
  }
  EXPECT_EQ(f.save().Size(), whole) << "a save with room is whole again";
}

TEST(HostState, ARecallSavesAgainByteForByte) {
  const ByteChunk edited = EditedChunk();
  StateFixture second;
  ByteChunk input = edited;
  EXPECT_EQ(second.plug->UnserializeState(&input, 0), edited.Size());
  const ByteChunk again = second.save();
  EXPECT_EQ(std::vector<unsigned char>(again.GetBytes(), again.GetBytes() + again.Size()),
            std::vector<unsigned char>(edited.GetBytes(), edited.GetBytes() + edited.Size()));
  // Port names travel whole, part names as ten characters.
  EXPECT_EQ(second.plug->patchManager->names[5], kLongIn);
  EXPECT_EQ(second.plug->patchManager->names[6], kLongOut);
  EXPECT_EQ(second.plug->patchManager->names[1], "Bass Lead ");
  EXPECT_EQ(second.plug->patchManager->names[3], std::string("Keys") + std::string(6, '\0'));
}

TEST(HostState, MissingPortsAreNamedSoThatBothRead) {
  // A line that takes forty characters.
  const auto fits = [](const std::string& text) { return text.size() <= 40; };
  EXPECT_EQ(MissingPortsText("", "", fits), "");
  EXPECT_EQ(MissingPortsText("Nord-out:midi", "", fits), "MIDI In not found: Nord-out:midi");
  EXPECT_EQ(MissingPortsText("", "Nord-in:midi", fits), "MIDI Out not found: Nord-in:midi");
  EXPECT_EQ(MissingPortsText("N-out:midi", "N-in:midi", fits), "Not found: In N-out:midi, Out N-in:midi");
  // One long name is cut in its middle too: its end, which names the port, reads.
  EXPECT_EQ(MissingPortsText("", "Vudidi-Nord-NL2x-USB-MIDI-Interface-Port-in:midi", fits),
            "MIDI Out not found: Vudidi..Port-in:midi");
  // A short name leaves its room to the long one.
  const std::string text = MissingPortsText("a", std::string(80, 'x') + "END", fits);
  EXPECT_EQ(text.size(), 40u);
  EXPECT_EQ(text.substr(text.size() - 3), "END");
  EXPECT_EQ(text.rfind("Not found: In a, Out ", 0), 0u);
}

TEST(HostState, WithThePortsPresentTheyReopenByNameAndThePerformanceIsSentOnce) {
  ByteChunk chunk = EditedChunk();
  StateFixture f;
  ASSERT_GT(f.plug->UnserializeState(&chunk, 0), 0);
  Tavro& t = *f.plug;
  EXPECT_TRUE(t.isMidiIOSet());
  EXPECT_EQ(f.ports->InputsOpenOn(kLongIn), 1u);
  EXPECT_EQ(f.ports->OutputsOpenOn(kLongOut), 1u);
  EXPECT_EQ(t.unitLink().deviceId.load(), 5);
  EXPECT_EQ(t.panelMode().activeSlot.load(), 2);
  EXPECT_EQ(f.transfersStarted(), 1);
  EXPECT_EQ(t.GetParam(354)->GetDisplayText(0), "Bass Lead ");
  // The line says what the restore did, not the recalled mode's read-out text.
  EXPECT_EQ(t.keptControls().statusText->GetTextString(), "Restored: ports open, performance sent");
}

// A song saved with the ports OFF: the restore says nothing went to the unit, also to
// a window opened after it.
TEST(HostState, ARestoreWithThePortsOffSaysNothingWasSent) {
  StateFixture saving;
  ByteChunk chunk = saving.save();
  StateFixture f;
  ASSERT_GT(f.plug->UnserializeState(&chunk, 0), 0);
  const std::string said = "Restored: MIDI ports OFF, nothing sent";
  EXPECT_EQ(f.plug->keptControls().statusText->GetTextString(), said);
  EXPECT_EQ(f.transfersStarted(), 0);
  f.plug->showStatus("");
  f.plug->OnGUIOpen();
  EXPECT_EQ(f.plug->keptControls().statusText->GetTextString(), said);
}

TEST(HostState, WithoutTheSynthesizerNothingOfTheSongIsLost) {
  const ByteChunk edited = EditedChunk();
  StateFixture f(true);
  ByteChunk chunk = edited;
  ASSERT_GT(f.plug->UnserializeState(&chunk, 0), 0);
  Tavro& t = *f.plug;
  EXPECT_FALSE(t.isMidiIOSet());
  EXPECT_EQ(f.transfersStarted(), 0);
  EXPECT_EQ(t.paramValue(0), 93.0);
  EXPECT_EQ(t.unitLink().deviceId.load(), 5);
  EXPECT_EQ(t.GetParam(353)->GetDisplayText(0), "Evening");
  // Both names read on the one line: each cut alike in its middle, to the room the
  // line has at the panel's size (42 characters at the normal size).
  EXPECT_EQ(t.keptControls().statusText->GetTextString(), "Not found: In Vud..t In 1, Out Vud..t Out1");
  // The next save still names the ports the song was made with.
  ByteChunk again = f.save();
  PatchManager read(nullptr);
  const int block = 20 + 8 * t.NAutomatedParams();
  ASSERT_GT(read.loadAllFromChunk(&again, block), 0);
  EXPECT_EQ(read.names[5], kLongIn);
  EXPECT_EQ(read.names[6], kLongOut);
}

// Two outputs of one maker whose names differ only past their 32nd character: the song
// reopens the one it was saved with.
TEST(HostState, OfTwoPortsAlikeInTheirFirst32CharactersTheRecallReopensTheOneSaved) {
  const std::string kOtherOut = "Vudidi Nord USB MIDI Interface Port Out2";
  ASSERT_EQ(kOtherOut.compare(0, 32, kLongOut, 0, 32), 0);
  const std::vector<std::string> outputs = {kLongOut, kOtherOut};
  StateFixture saving(false, outputs);
  int out = 2;
  ASSERT_EQ(saving.plug->setExternalMIDIOut(out, kOtherOut.c_str()), 2);
  saving.plug->GetParam(kDeviceOutSelection)->Set(out);
  ByteChunk chunk = saving.save();

  StateFixture recalling(false, outputs);
  ASSERT_GT(recalling.plug->UnserializeState(&chunk, 0), 0);
  EXPECT_EQ(recalling.ports->OutputsOpenOn(kOtherOut), 1u);
  EXPECT_EQ(recalling.ports->OutputsOpenOn(kLongOut), 0u);
  EXPECT_EQ(recalling.plug->GetParam(kDeviceOutSelection)->Int(), 2);
  EXPECT_TRUE(recalling.plug->isMidiIOSet());
}

// A song recalled into an editor connected to another output: the song's port is not
// there, so the editor is unconnected and sends the performance nowhere.
TEST(HostState, ARecallWhoseOutputIsGoneLeavesAnEditorConnectedBeforeUnconnected) {
  ByteChunk chunk = EditedChunk();
  const std::string kOtherOut = "Another Interface Out";
  StateFixture f(false, {kOtherOut});
  int out = 1;
  ASSERT_GT(f.plug->setExternalMIDIOut(out, kOtherOut.c_str()), 0);
  f.plug->GetParam(kDeviceOutSelection)->Set(out);
  f.plug->setMidiIOSet(true);
  ASSERT_GT(f.plug->UnserializeState(&chunk, 0), 0);
  EXPECT_FALSE(f.plug->isMidiIOSet());
  EXPECT_EQ(f.plug->GetParam(kDeviceOutSelection)->Int(), 0);
  EXPECT_EQ(f.transfersStarted(), 0);
  EXPECT_EQ(f.ports->OutputsOpenOn(kOtherOut), 0u);
}

TEST(HostState, FlagsFollowTheRestoredSwitches) {
  ByteChunk chunk = EditedChunk();
  StateFixture f(true);
  // The host's blocks have shrunk since the queue's delay was last shown.
  f.plug->SetBlockSize(512);
  ASSERT_GT(f.plug->UnserializeState(&chunk, 0), 0);
  const Tavro& t = *f.plug;
  EXPECT_EQ(t.slotTables().slotChannels[1].load(), 10);
  EXPECT_TRUE(t.midiFilters().hostFilterBlocked[0].load());
  EXPECT_FALSE(t.midiFilters().deviceFilterBlocked[1].load());
  EXPECT_FALSE(t.midiFilters().trackIncomingMidi.load());
  EXPECT_TRUE(t.outputQueue().queueMidiOutput.load());
  EXPECT_TRUE(t.clockState().sendClockPointer.load());
  EXPECT_TRUE(t.clockState().sendMidiClock.load());
  EXPECT_TRUE(t.midiFilters().slotSolo[2].load());
  EXPECT_FALSE(t.midiFilters().slotSolo[0].load());
  EXPECT_TRUE(t.midiFilters().globalLink[1].load());
  EXPECT_TRUE(t.midiFilters().localControl.load());
  EXPECT_TRUE(t.midiFilters().ignoreDeviceMidi.load());
  EXPECT_TRUE(f.ports->Sent(kLongOut).empty());
  // The queue waits one block, and its read-out says so (512 samples at 44100 Hz).
  EXPECT_EQ(t.outputQueue().midiOutDelay, 512);
  auto* delay = dynamic_cast<ITextControl*>(t.keptControls().midiOutDelayDisplay);
  ASSERT_NE(delay, nullptr);
  EXPECT_EQ(delay->GetTextString(), "11ms|512bfr");
}

TEST(HostState, TheRecallLogNamesModelPortsAndNamesInOrder) {
  ByteChunk chunk = EditedChunk();
  const double model = 2.0;
  std::memcpy(chunk.GetBytes() + 12, &model, sizeof model);
  StateFixture f;
  Tavro& t = *f.plug;
  // Logging on, as a log file present at start-up turns it on.
  f.f.data.write("Tavro Editor LOG.txt", "");
  t.debugEnabled = true;
  ASSERT_GT(t.UnserializeState(&chunk, 0), 0);
  t.debugEnabled = false;
  std::vector<std::string> recall;
  std::istringstream log(f.f.data.read("Tavro Editor LOG.txt"));
  for (std::string line; std::getline(log, line);) {
    const size_t text = line.find("\t ");
    if (text != std::string::npos && line.compare(text + 2, 16, "PROJECT RECALL: ") == 0)
      recall.push_back(line.substr(text + 2 + 16));
  }
  const auto shown = [&](int selector) { return t.GetParam(selector)->GetDisplayText(t.GetParam(selector)->Int()); };
  const std::string in = shown(kDeviceInSelection), out = shown(kDeviceOutSelection);
  EXPECT_FALSE(in.empty());
  EXPECT_FALSE(out.empty());
  const std::vector<std::string> expected = {
      "hardware model NL2x",
      "MIDI In device stored " + kLongIn,
      "MIDI Out device stored " + kLongOut,
      "MIDI In device after checking devices " + in,
      "MIDI Out device after checking devices " + out,
      "hardware DeviceID 5",
      "Multi name Evening",
      "Part 0 name Bass Lead ",
      "Part 1 name Pad",
      "Part 2 name Keys",
      "Part 3 name Solo",
      "MIDI In device after nonautomated params " + in,
      "MIDI Out device after nonautomated params " + out,
  };
  EXPECT_EQ(recall, expected);
}

// Every cut of a saved chunk, and lengths that lie, leave the editor as it was.
TEST(HostState, CutOrDamagedChunksAreRefusedAndChangeNothing) {
  const ByteChunk edited = EditedChunk();
  StateFixture f(true);
  const std::vector<unsigned char> before = f.saved();
  const auto refusedUnchanged = [&](ByteChunk chunk, const std::string& what) {
    EXPECT_EQ(f.plug->UnserializeState(&chunk, 0), -1) << what;
    EXPECT_EQ(f.saved(), before) << what;
  };
  for (int size = 0; size < edited.Size(); size += size < 6000 ? 1 : 7) {
    ByteChunk cut;
    cut.PutBytes(edited.GetBytes(), size);
    refusedUnchanged(cut, "cut at " + std::to_string(size));
  }
  const int block = 20;
  const auto withInt32At = [&](int pos, const unsigned char(&bytes)[4]) {
    ByteChunk damaged = edited;
    std::copy(bytes, bytes + 4, damaged.GetBytes() + pos);
    return damaged;
  };
  refusedUnchanged(withInt32At(block + 8, {0xFF, 0xFF, 0xFF, 0xF0}), "negative snapshot length");
  refusedUnchanged(withInt32At(block + 8, {0x7F, 0xFF, 0xFF, 0xFF}), "huge snapshot length");
  const int firstName = block + 12 + 4988;
  refusedUnchanged(withInt32At(firstName, {0xF8, 0xFF, 0xFF, 0xFF}), "negative name length");
  refusedUnchanged(withInt32At(firstName, {0xFF, 0xFF, 0xFF, 0x7F}), "huge name length");
  ByteChunk atEnd = edited;
  EXPECT_EQ(f.plug->UnserializeState2(&atEnd, -1, true), -1);
  EXPECT_EQ(f.saved(), before);
}

}  // namespace

namespace {

// A first run (the notice asks for MIDI In and MIDI Out) reopened with a song: the
// notice never asks for ports that are open, and its OK leaves the restore's outcome
// on the line. Each road either opens both ports or leaves some unset.
TEST(HostState, TheFirstRunNoticeAsksOnlyForPortsThatAreNotOpen) {
  const ByteChunk withPorts = EditedChunk(), portsOff = StateFixture().save();
  struct Road {
    const char* name;
    const ByteChunk* restored;  // null: ports chosen on the panel
    bool bothOpen;
    const char* afterOk;  // null: the line before the OK
  };
  const Road roads[] = {
      {"restore, ports there", &withPorts, true, nullptr},
      {"restore, ports OFF", &portsOff, false, "Set MIDI In and MIDI Out"},
      {"both chosen on the panel", nullptr, true, nullptr},
  };
  for (const Road& road : roads) {
    EditorFixture f("\nnormal\nno", true, {kLongIn}, {kLongOut});
    Tavro& t = *f.plug;
    for (int code = 0; code < kJobNothing; ++code) t.midiManager->sender()->setJob(code, nullptr);
    ASSERT_TRUE(f.shown("firstRunNotification"));
    const auto change = [&t](int paramIdx, double value) {
      t.GetParam(paramIdx)->Set(value);
      t.OnParamChange(paramIdx);
    };
    if (road.restored) {
      ByteChunk chunk = *road.restored;
      ASSERT_GT(t.UnserializeState(&chunk, 0), 0) << road.name;
    } else {
      change(kDeviceInSelection, 1);
      change(kDeviceOutSelection, 1);
    }
    EXPECT_EQ(f.shown("firstRunNotification"), !road.bothOpen) << road.name;
    const std::string before = t.statusShown();
    change(kFirstRunExit, 1);
    EXPECT_FALSE(f.shown("firstRunNotification")) << road.name;
    EXPECT_EQ(t.statusShown(), road.afterOk ? road.afterOk : before) << road.name;
  }
}

}  // namespace
