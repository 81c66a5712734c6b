// The bank menu's roads on the librarian page, with the simulated synthesizer on the
// editor's ports and the virtual clock: whole-bank requests and stores run on the
// editor's worker (transfer); saves and imports leave files other programs read.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "DataFolderInstall.h"
#include "Framework/IParam.h"
#include "LibrarianPageSupport.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "librarian/PatchTemplates.h"
#include "librarian/TavroParams.h"
#include "messaging/MIDIMessageManager.h"
#include "messaging/SendOutcome.h"
#include "messaging/TransferJobSteps.h"

namespace {

// A program dump's data bytes: after the six header bytes, before the name.
constexpr size_t kDataStart = 6, kDataSize = 132;

SynthSimSettings WireTimedUnit(int model) {
  SynthSimSettings settings;
  settings.deviceId = kUnitId;
  settings.model = model;
  settings.wireTime = true;
  settings.replyLength = 149;  // named replies
  return settings;
}

SynthSimSettings WithModel(SynthSimSettings settings, int model) {
  settings.model = model;
  return settings;
}

std::vector<uint8_t> DataOf(const std::vector<uint8_t>& dump) {
  if (dump.size() < kDataStart + kDataSize) return {};
  return {dump.begin() + kDataStart, dump.begin() + kDataStart + kDataSize};
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string text;
  char pair[3];
  for (uint8_t b : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", b);
    text += pair;
  }
  return text;
}

struct RoadPage : LibrarianPage {
  explicit RoadPage(int model = 1, const Banks& banks = Banks{{"Bank A.syx", "A"}},
                    SynthSimSettings unit = WireTimedUnit(1))
      : LibrarianPage(banks, WithModel(unit, model)) {
    // As the panel's model switch does: the bank menu offers the model's banks.
    plug->GetParam(kNordModel)->Set(model);
    plug->OnParamChange(kNordModel);
    plugIn();
  }
  // Chooses `item` ("parent/child" for a submenu's) of the bank menu, then lets the
  // transfer job it started run to its end on virtual time.
  void choose(const std::string& item) {
    backend.ScriptPopupChoiceText(item);
    clickMenu("BANKEDITMENU", kBankEditMenu);
    while (plug->midiManager->isRunning(MIDIMessageManager::kTransferThread)) Kit_Time().SleepMicros(1000);
  }
  std::vector<uint8_t> upperDump(int slot) {
    LibrarianPatch patch;
    if (!plug->librarian->copyPatch(0, plug->librarian->upperFileIndex, slot, &patch) || patch.messages.empty())
      return {};
    return patch.messages[0].bytes;
  }
  bool unsaved() { return plug->GetParam(kBankEditUnsaved)->Value() == 1.0; }
  std::vector<std::string> upperFiles() {
    std::vector<std::string> names;
    const IParam* list = plug->GetParam(kPatchSelectionListUpper);
    for (int i = 0; i < list->GetNDisplayTexts(); ++i) names.push_back(list->GetDisplayTextAtIdx(i));
    return names;
  }
};

TEST(LibrarianRoads, AllProgramsFromBank0FillEverySlotAndLeaveTheBankUnsaved) {
  RoadPage page;
  // The unit's bank 0 holds programs of its own.
  for (int n = 0; n < kProgramBankSize; ++n) {
    std::vector<uint8_t> store = NamedProgramDump("Unit" + std::to_string(n), n + 500);
    store[2] = kUnitId;
    store[4] = 1;
    store[5] = uint8_t(n);
    page.synth->Sim().Receive(store.data(), store.size());
  }
  page.list().selectedUpper = 40;
  page.choose("Request Patch Data/All Programs from BANK 0 (RAM)");
  for (int n = 0; n < kProgramBankSize; ++n) {
    EXPECT_EQ(DataOf(page.upperDump(n)), page.synth->Sim().StoredProgram(0, n)) << n;
    EXPECT_NE(page.rowText(0, n), "A" + std::to_string(n)) << n;
  }
  EXPECT_EQ(page.plug->librarian->selectedSlot, 0);
  EXPECT_TRUE(page.unsaved());
  EXPECT_NE(page.status(), "CONNECTION TIMED OUT!");
}

TEST(LibrarianRoads, AllCurrentProgramsToRam1OnModel2LeaveTheUnitsBank1EqualToTheLibrarians) {
  RoadPage page(2);
  page.choose("Store Patch Data/All Current Programs to RAM 1 (B)");
  for (int n = 0; n < kProgramBankSize; ++n) {
    EXPECT_EQ(page.synth->Sim().StoredProgram(1, n), DataOf(NamedProgramDump("A" + std::to_string(n), n))) << n;
    EXPECT_EQ(page.synth->Sim().StoredProgram(1, n), DataOf(page.upperDump(n))) << n;
  }
  EXPECT_NE(page.synth->Sim().StoredProgram(0, 1), page.synth->Sim().StoredProgram(1, 1));
  EXPECT_EQ(page.synth->Sim().LostStores(), 0);
  EXPECT_EQ(page.plug->librarian->selectedSlot, 0);
  EXPECT_NE(page.status(), kMidiSendFailed);
}

// The unit's port goes away (unplugged) while a bank is being stored: the store
// stops and the page says it failed.
TEST(LibrarianRoads, AStoreIntoAPortThatVanishesMidStoreEndsWithAFailureOnThePage) {
  RoadPage page(2);
  const auto running = [&] { return page.plug->midiManager->isRunning(MIDIMessageManager::kTransferThread); };
  page.backend.ScriptPopupChoiceText("Store Patch Data/All Current Programs to RAM 1 (B)");
  page.clickMenu("BANKEDITMENU", kBankEditMenu);
  while (page.synth->Sim().ReceivedCount() < 10 && running()) Kit_Time().SleepMicros(1000);
  ASSERT_TRUE(running());
  page.ports->RemovePort(page.synth->MidiInName());
  const size_t arrived = page.synth->Sim().ReceivedCount();
  while (running()) Kit_Time().SleepMicros(1000);
  // With how much of the bank the unit holds now.
  int stored = 0;
  for (const auto& m : page.synth->Sim().Received()) stored += m.size() == 139 ? 1 : 0;
  EXPECT_EQ(page.status(), std::string(kMidiSendFailed) + " / " + std::to_string(stored) + " of 99 sent");
  EXPECT_EQ(page.synth->Sim().ReceivedCount(), arrived);
  EXPECT_LT(arrived, size_t(kProgramBankSize));
}

TEST(LibrarianRoads, SaveAsMidAndNl2WriteFilesMidoReads) {
  struct Case {
    const char* item;
    const char* name;
    bool midiFile;
  };
  const Case cases[] = {{"Save As.../Standard MIDI (*.mid) (no names)", "Saved.mid", true},
                        {"Save As.../Tavro Format (*.nl2) (with names)", "Saved.nl2", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RoadPage page;
    page.plug->librarianPanel().SetLibrarianStatusUnsaved(true);
    const std::string path = page.data.folder() + "Patches/" + c.name;
    page.backend.ScriptFilePromptAnswer(path);
    page.choose(c.item);
    ASSERT_EQ(page.backend.ShownPrompts().size(), 1u);
    EXPECT_TRUE(page.backend.ShownPrompts()[0].save);
    EXPECT_FALSE(page.unsaved());
    const auto messages = MidoMessages(path, c.midiFile);
    if (!messages) GTEST_SKIP() << "python3's mido is not installed: the files are not read back";
    ASSERT_EQ(messages->size(), size_t(kProgramBankSize)) << (messages->empty() ? "" : messages->front());
    for (int n = 0; n < kProgramBankSize; n += 7) {
      EXPECT_NE((*messages)[size_t(n)].find(Hex(DataOf(NamedProgramDump("", n)))), std::string::npos) << n;
    }
    if (!c.midiFile) {
      EXPECT_NE((*messages)[3].find(Hex({'A', '3', ' ', ' '})), std::string::npos);
    }
  }
}

// Row 3 of the shown bank `source` renamed `name`, then Save (Overwrite): the source
// stays byte-equal, `written` beside it holds the name, the line says `said`.
void ExpectSavedBesideWithTheName(RoadPage& page, const std::string& source, const std::string& name,
                                  const std::string& written, const std::string& said) {
  const std::string before = page.data.read("Patches/" + source);
  page.renameRow(3, name);
  ASSERT_TRUE(page.unsaved());
  page.choose("Save (Overwrite current bank)");
  EXPECT_FALSE(page.unsaved());
  EXPECT_EQ(page.data.read("Patches/" + source), before);
  ASSERT_TRUE(Exists(page.data.folder() + "Patches/" + written));
  EXPECT_EQ(page.plug->getLeftCurrentFile(false).fileName, written);
  EXPECT_EQ(page.rowText(0, 3), name);
  EXPECT_EQ(page.librarianStatus(), said);
  const auto messages = MidoMessages(page.data.folder() + "Patches/" + written, false);
  if (!messages) GTEST_SKIP() << "python3's mido is not installed: the file is not read back";
  ASSERT_EQ(messages->size(), size_t(kProgramBankSize));
  EXPECT_NE((*messages)[3].find(Hex({name.begin(), name.end()})), std::string::npos);
}

TEST(LibrarianRoads, SaveOfASyxBankAddsAnNl2BesideItAndClearsUnsaved) {
  RoadPage page;
  ASSERT_EQ(page.data.read("Patches/Bank A.syx"), ProgramBank("A"));
  ExpectSavedBesideWithTheName(page, "Bank A.syx", "Renamed", "Bank A.nl2", "Saved as new file Bank A.nl2");
}

TEST(LibrarianRoads, ImportAndRefreshFoldersListANewFile) {
  RoadPage page;
  const std::string outside = page.data.root() + "/Picked.syx";
  std::ofstream(outside, std::ios::binary) << ProgramBank("Imp");
  page.backend.ScriptFilePromptAnswer(outside);
  page.choose("Import Bank.../SysEx (*.syx / *.nl2)");
  EXPECT_EQ(page.data.read("Patches/Picked.syx"), ProgramBank("Imp"));
  auto files = page.upperFiles();
  EXPECT_NE(std::find(files.begin(), files.end(), "Picked.syx"), files.end());

  page.write("Patches/Later.syx", ProgramBank("L"));
  files = page.upperFiles();
  EXPECT_EQ(std::find(files.begin(), files.end(), "Later.syx"), files.end());
  page.choose("Refresh Folders");
  files = page.upperFiles();
  EXPECT_NE(std::find(files.begin(), files.end(), "Later.syx"), files.end());
  EXPECT_NE(std::find(files.begin(), files.end(), "Bank A.syx"), files.end());
}

// ---- what the page says

// The read-out is hidden on the librarian page: its own status line shows every job
// outcome and command result there, and a refused request marks nothing.
TEST(LibrarianOutcomes, RefusedRequestsSayWhyOnThePageAndMarkNothing) {
  RoadPage page;
  ASSERT_NE(page.plug->keptControls().librarianStatusText, nullptr);
  EXPECT_FALSE(page.plug->keptControls().librarianStatusText->IsHidden());
  EXPECT_FALSE(page.plug->layer("controlDisplayLayer")->IsShown());
  const size_t sentBefore = page.synth->Sim().ReceivedCount();

  page.list().selectedUpper = 99;
  page.plug->librarian->selectedSlot = 99;
  page.choose("Request Patch Data/from HW by Selected Slot Number");
  EXPECT_EQ(page.librarianStatus(), "Not requested: selected row is outside the bank");
  page.choose("Request Patch Data/from Active Slot to Librarian");
  EXPECT_EQ(page.librarianStatus(), "Not requested: selected row is outside the bank");

  // Performances shown, only a program bank in the folder.
  page.command(kDatatype, 1.0, false);
  page.plug->librarian->selectedSlot = 4;
  page.choose("Request Performance Data/from HW by Selected Slot Number");
  EXPECT_EQ(page.librarianStatus(), "Not requested: no performance bank yet; Import Bank... adds one");
  page.choose("Request Performance Data/All Performances from CARD 1 (RAM)");
  EXPECT_EQ(page.librarianStatus(), "Not requested: no performance bank yet; Import Bank... adds one");

  EXPECT_FALSE(page.unsaved());
  EXPECT_EQ(page.synth->Sim().ReceivedCount(), sentBefore);
}

TEST(LibrarianOutcomes, WithNoBankAtAllARequestSaysSo) {
  RoadPage page(1, Banks{});
  page.choose("Request Patch Data/from Active Slot to Librarian");
  EXPECT_EQ(page.librarianStatus(), "Not requested: no program bank yet; Import Bank... adds one");
  EXPECT_FALSE(page.unsaved());
}

// A new owner with only the unit: the data folder as the host installs it takes the
// first fetch.
TEST(LibrarianRoads, OnAFreshlyInstalledDataFolderTheFirstFetchFillsABank) {
  RoadPage page(1, Banks{});
  bool installed = false;
  std::string error;
  ASSERT_TRUE(InstallEditorDataFolder(page.data.root(), installed, error)) << error;
  ASSERT_TRUE(installed);
  page.restart();
  page.plugIn();
  page.choose("Request Patch Data/All Programs from BANK 0 (RAM)");
  EXPECT_NE(page.librarianStatus(), "Not requested: no program bank yet; Import Bank... adds one");
  for (int n = 0; n < kProgramBankSize; ++n)
    EXPECT_EQ(DataOf(page.upperDump(n)), page.synth->Sim().StoredProgram(0, n)) << n;
  EXPECT_TRUE(page.unsaved());
}

TEST(LibrarianOutcomes, ABankCutAfterEightProgramsIsUnsavedWithTheCount) {
  SynthSimSettings unit = WireTimedUnit(1);
  unit.silentAfterRequests = 8;
  RoadPage page(1, Banks{{"Bank A.syx", "A"}}, unit);
  page.choose("Request Patch Data/All Programs from BANK 0 (RAM)");
  EXPECT_TRUE(page.unsaved());
  EXPECT_EQ(page.librarianStatus(), "CONNECTION TIMED OUT! / Only 8 of 99 programs received");
  EXPECT_NE(page.rowText(0, 7), "A7");
  EXPECT_EQ(page.rowText(0, 8), "A8");
}

TEST(LibrarianOutcomes, ATimeOutShowsOnThePage) {
  SynthSimSettings unit = WireTimedUnit(1);
  unit.silent = true;
  RoadPage page(1, Banks{{"Bank A.syx", "A"}}, unit);
  page.plug->librarian->selectedSlot = 5;
  page.choose("Request Patch Data/from HW by Selected Slot Number");
  EXPECT_EQ(page.librarianStatus(), "No response from Hardware!");
  EXPECT_FALSE(page.unsaved());
}

// An answer doubled after a bank fetch ended (a port that delivers a message twice):
// the fetch's outcome stays on the line.
TEST(LibrarianOutcomes, AnAnswerDoubledAfterAFetchLeavesItsOutcome) {
  struct Row {
    int silentAfter;  // the unit's requests answered in the fetch; -1 all
    const char* outcome;
  };
  for (const Row& row :
       {Row{-1, "Data received to slot(s)"}, Row{8, "CONNECTION TIMED OUT! / Only 8 of 99 programs received"}}) {
    SynthSimSettings unit = WireTimedUnit(1);
    unit.silentAfterRequests = row.silentAfter;
    RoadPage page(1, Banks{{"Bank A.syx", "A"}}, unit);
    page.choose("Request Patch Data/All Programs from BANK 0 (RAM)");
    ASSERT_EQ(page.status(), row.outcome);
    // The last program answered comes once more, 700 ms on.
    unit.silentAfterRequests = -1;
    page.synth->Sim().SetSettings(unit);
    const int last = row.silentAfter < 0 ? kProgramBankSize - 1 : row.silentAfter - 1;
    const uint8_t again[] = {0xF0, 0x33, kUnitId, 0x04, 0x0B, uint8_t(last), 0xF7};
    Kit_Time().SleepMicros(700 * 1000);
    page.synth->Sim().Receive(again, sizeof again);
    Kit_Time().SleepMicros(2 * 1000 * 1000);
    EXPECT_EQ(page.status(), row.outcome) << row.silentAfter;
  }
}

// ---- saves keep the pane

TEST(LibrarianOutcomes, SaveKeepsTheSecondBankInThePane) {
  RoadPage page(1, Banks{{"Bank A.nl2", "A"}, {"Bank B.nl2", "B"}});
  page.command(TavroParam::kLibUpperNextBank, 1.0, true);
  ASSERT_EQ(page.plug->getLeftCurrentFile(false).fileName, "Bank B.nl2");
  page.choose("Save (Overwrite current bank)");
  EXPECT_EQ(page.plug->getLeftCurrentFile(false).fileName, "Bank B.nl2");
  EXPECT_EQ(page.plug->librarian->upperFileIndex, 1);
  EXPECT_EQ(page.rowText(0, 4), "B4");
}

TEST(LibrarianOutcomes, SaveAsIntoASecondLevelFolderShowsTheSavedBank) {
  RoadPage page(1, Banks{{"Bank A.nl2", "A"}, {"Pads/Warm/Deep.nl2", "D"}});
  const std::string row = page.rowText(0, 4);
  page.backend.ScriptFilePromptAnswer(page.data.folder() + "Patches/Pads/Warm/Copy.nl2");
  page.choose("Save As.../Tavro Format (*.nl2) (with names)");
  const CurrentFilePair shown = page.plug->getLeftCurrentFile(false);
  EXPECT_EQ(shown.fileName, "Copy.nl2");
  EXPECT_EQ(shown.folderName, "Patches/Pads/Warm");
  // The pane shows the copy, which the rescan lists under that key.
  EXPECT_EQ(page.rowText(0, 4), row);
  const std::vector<std::string> files = page.upperFiles();
  const int index = page.plug->librarian->upperFileIndex;
  ASSERT_LT(size_t(index), files.size());
  EXPECT_EQ(files[size_t(index)], "Copy.nl2");
}

// The window's close button with a bank fetched from the unit and not saved: the
// editor asks; Cancel keeps the window and the bank, Yes saves, No discards.
struct FetchedPage : RoadPage {
  FetchedPage() {
    choose("Request Patch Data/All Programs from BANK 0 (RAM)");
    fetched = upperDump(7);
  }
  // The user's answer to the question, then the close button.
  bool closeAnswering(ViewAlertResponse answer) {
    backend.ScriptMessageBoxAnswer(answer);
    const size_t asked = backend.ShownAlerts().size();
    const bool closed = backend.InjectClose();
    questions += backend.ShownAlerts().size() - asked;
    return closed;
  }
  // The answer closes the window after one question, the bank no longer unsaved.
  void expectClosedAnswering(ViewAlertResponse answer) {
    EXPECT_TRUE(closeAnswering(answer));
    EXPECT_EQ(questions, 1u);
    EXPECT_FALSE(backend.IsAttached());
    EXPECT_FALSE(unsaved());
  }
  std::vector<uint8_t> fetched;
  size_t questions = 0;
};

TEST(LibrarianRoads, ClosingWithAFetchedUnsavedBankAsksAndCancelKeepsWindowAndBank) {
  FetchedPage page;
  ASSERT_TRUE(page.unsaved());
  ASSERT_NE(page.fetched, NamedProgramDump("A7", 7));
  EXPECT_FALSE(page.closeAnswering(ViewAlertResponse::Other));
  EXPECT_EQ(page.questions, 1u);
  ASSERT_FALSE(page.backend.ShownAlerts().empty());
  EXPECT_EQ(page.backend.ShownAlerts().back().text, Tavro::kUnsavedOnCloseText);
  EXPECT_EQ(page.backend.ShownAlerts().back().buttons.size(), 3u) << "save, discard, cancel";
  EXPECT_TRUE(page.backend.IsAttached());
  EXPECT_TRUE(page.unsaved());
  EXPECT_EQ(page.upperDump(7), page.fetched);
  EXPECT_EQ(page.data.read("Patches/Bank A.syx"), ProgramBank("A"));
  EXPECT_FALSE(Exists(page.data.folder() + "Patches/Bank A.nl2"));
}

TEST(LibrarianRoads, ClosingWithAFetchedUnsavedBankAndSaveWritesItThenCloses) {
  FetchedPage page;
  page.expectClosedAnswering(ViewAlertResponse::Default);
  // A .syx bank is saved as the .nl2 beside it, with the unit's programs.
  ASSERT_TRUE(Exists(page.data.folder() + "Patches/Bank A.nl2"));
  EXPECT_EQ(page.plug->getLeftCurrentFile(false).fileName, "Bank A.nl2");
  EXPECT_EQ(DataOf(page.upperDump(7)), DataOf(page.fetched));
}

TEST(LibrarianRoads, ClosingWithAFetchedUnsavedBankAndDiscardClosesWithoutWriting) {
  FetchedPage page;
  page.expectClosedAnswering(ViewAlertResponse::Alternate);
  EXPECT_FALSE(Exists(page.data.folder() + "Patches/Bank A.nl2"));
  EXPECT_EQ(page.upperDump(7), NamedProgramDump("A7", 7)) << "the bank as the file holds it";
}

TEST(LibrarianRoads, ClosingWithNothingUnsavedClosesAtOnce) {
  RoadPage page;
  ASSERT_FALSE(page.unsaved());
  EXPECT_TRUE(page.backend.InjectClose());
  EXPECT_TRUE(page.backend.ShownAlerts().empty());
  EXPECT_FALSE(page.backend.IsAttached());
}

// Refresh Folders and Import Bank... with a fetched bank not saved: the editor asks as
// the close button does; Cancel keeps every fetched program and copies nothing in.
TEST(LibrarianRoads, RefreshAndImportWithAFetchedUnsavedBankAskAndCancelKeepsIt) {
  FetchedPage page;
  page.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Other);
  page.choose("Refresh Folders");
  page.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Other);
  page.choose("Import Bank.../SysEx (*.syx / *.nl2)");
  ASSERT_EQ(page.backend.ShownAlerts().size(), 2u);
  for (const ViewAlert& alert : page.backend.ShownAlerts()) {
    EXPECT_EQ(alert.text, Tavro::kUnsavedOnRefreshText);
    EXPECT_EQ(alert.buttons.size(), 3u);
  }
  EXPECT_TRUE(page.backend.ShownPrompts().empty()) << "no file is chosen while the question is open";
  EXPECT_TRUE(page.unsaved());
  EXPECT_EQ(page.upperDump(7), page.fetched);
  EXPECT_NE(page.rowText(0, 7), "A7");
}

TEST(LibrarianRoads, RefreshWithAFetchedUnsavedBankAndSaveWritesItThenReadsTheFolders) {
  FetchedPage page;
  const std::string shown = page.rowText(0, 7);
  page.write("Patches/Later.syx", ProgramBank("L"));
  page.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Default);
  page.choose("Refresh Folders");
  EXPECT_FALSE(page.unsaved());
  const auto files = page.upperFiles();
  EXPECT_NE(std::find(files.begin(), files.end(), "Later.syx"), files.end());
  EXPECT_NE(std::find(files.begin(), files.end(), "Bank A.nl2"), files.end());
  // The fetched programs are on disk, in the saved bank the pane shows.
  EXPECT_EQ(page.plug->getLeftCurrentFile(false).fileName, "Bank A.nl2");
  EXPECT_EQ(DataOf(page.upperDump(7)), DataOf(page.fetched));
  EXPECT_EQ(page.rowText(0, 7), shown);
}

TEST(LibrarianRoads, ImportWithAFetchedUnsavedBankAndDiscardImportsFromTheFilesAsTheyAre) {
  FetchedPage page;
  page.backend.ScriptMessageBoxAnswer(ViewAlertResponse::Alternate);
  page.offer("Picked.syx", ProgramBank("Imp"));
  page.choose("Import Bank.../SysEx (*.syx / *.nl2)");
  EXPECT_EQ(page.backend.ShownAlerts().size(), 1u);
  EXPECT_EQ(page.data.read("Patches/Picked.syx"), ProgramBank("Imp"));
  EXPECT_FALSE(page.unsaved());
  EXPECT_EQ(page.librarianStatus(), "Imported as Picked.syx");
}

// Both lists on the same file: a fetch into the upper list redraws the lower one, and
// Copy there takes the program the row shows.
TEST(LibrarianRoads, AfterAFetchTheLowerListOfTheSameFileShowsAndCopiesTheFetchedPrograms) {
  FetchedPage page;
  ASSERT_EQ(page.plug->librarian->lowerFileIndex, page.plug->librarian->upperFileIndex);
  for (int row = 0; row < kProgramBankSize; ++row) ASSERT_EQ(page.rowText(1, row), page.rowText(0, row)) << row;
  const std::string shown = page.rowText(1, 7);
  ASSERT_NE(shown, "A7");
  page.backend.ScriptPopupChoiceText("Copy");
  page.click(1, 7, IMouseMod(false, true));
  EXPECT_EQ(page.librarianStatus(), "Copied \"" + shown + "\" from slot 8");
  page.backend.ScriptPopupChoiceText("Paste");
  page.click(0, 20, IMouseMod(false, true));
  EXPECT_EQ(page.upperDump(20), page.fetched);
  EXPECT_EQ(page.rowText(0, 20), shown);
  EXPECT_EQ(page.librarianStatus(), "Pasted \"" + shown + "\" into slot 21");
}

// A .mid bank holds no names: its Save (Overwrite) once a program carries one writes
// the named form beside it and says so; the .mid file stays as it was.
TEST(LibrarianRoads, SaveOfAMidBankWithANamedProgramKeepsTheNamesBesideIt) {
  RoadPage page;
  const std::string mid = page.data.folder() + "Patches/Plain.mid";
  page.backend.ScriptFilePromptAnswer(mid);
  page.choose("Save As.../Standard MIDI (*.mid) (no names)");
  ASSERT_EQ(page.plug->getLeftCurrentFile(false).fileName, "Plain.mid");
  ExpectSavedBesideWithTheName(page, "Plain.mid", "Evening", "Plain.nl2",
                               "Saved as new file Plain.nl2 to keep the names (a .mid file holds none)");
}

// With no MIDI ports a request from the unit says so and sends nothing; no probe runs.
TEST(LibrarianOutcomes, RequestsWithoutPortsSaySetMidiFirstAndSendNothing) {
  LibrarianPage page;
  for (const char* item :
       {"Request Patch Data/from HW by Selected Slot Number", "Request Patch Data/from Active Slot to Librarian",
        "Request Patch Data/All Programs from BANK 0 (RAM)", "Sync Current Data from HW"}) {
    SCOPED_TRACE(item);
    page.plug->showStatus("");
    page.backend.ScriptPopupChoiceText(item);
    page.clickMenu("BANKEDITMENU", kBankEditMenu);
    EXPECT_FALSE(page.plug->midiManager->isRunning(MIDIMessageManager::kTransferThread));
    EXPECT_EQ(page.librarianStatus(), "Set MIDI I/O First!");
  }
  EXPECT_TRUE(page.sent().empty());
}

// The push sends the panel's performance and says so once it has gone out.
TEST(LibrarianOutcomes, APushOfTheCurrentPerformanceSaysItWent) {
  RoadPage page;
  page.plug->showStatus(kDataProcessedReady);
  const size_t sentBefore = page.synth->Sim().ReceivedCount();
  page.choose("Push Current Performance to HW");
  EXPECT_EQ(page.librarianStatus(), "Current Performance Sent!");
  EXPECT_GT(page.synth->Sim().ReceivedCount(), sentBefore);
}

// A finished store of a whole bank says how many it stored, over what the line said before.
TEST(LibrarianOutcomes, AStoreOfAllProgramsSaysHowManyItStored) {
  RoadPage page(2);
  page.plug->showStatus("Not stored: no bank of this kind open");
  page.choose("Store Patch Data/All Current Programs to RAM 1 (B)");
  EXPECT_EQ(page.librarianStatus(), "Stored 99 programs");
  EXPECT_EQ(page.synth->Sim().StoredProgram(1, 98), DataOf(page.upperDump(98)));
  // The first models take forty programs into RAM 0.
  RoadPage first(1);
  first.choose("Store Patch Data/All Current Programs to RAM 0 (A)");
  EXPECT_EQ(first.librarianStatus(), "Stored 40 programs");
}

}  // namespace
