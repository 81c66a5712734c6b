// The row highlighted in the librarian's upper pane is the row a request by selected
// slot fills, whichever road highlighted it: the simulated synthesizer answers on the
// editor's ports, the request runs on the worker (transfer) on the virtual clock.
#include <gtest/gtest.h>

#include <functional>

#include "LibrarianPageSupport.h"
#include "librarian/TavroParams.h"
#include "messaging/MIDIMessageManager.h"

namespace {

using P = TavroParam;

SynthSimSettings SelectionUnit() {
  SynthSimSettings settings;
  settings.deviceId = kUnitId;
  settings.model = 1;
  settings.wireTime = true;
  settings.replyLength = 149;
  return settings;
}

struct SelectionPage : LibrarianPage {
  SelectionPage() : LibrarianPage(Banks{{"Abank.nl2", "A"}, {"Bbank.nl2", "B"}}, SelectionUnit()) {
    change(kNordModel, 1.0);
    plugIn();
  }
  void change(int paramIdx, double value) {
    plug->GetParam(paramIdx)->Set(value);
    plug->OnParamChange(paramIdx);
  }
  void settle() {
    while (plug->midiManager->isRunning(MIDIMessageManager::kTransferThread)) Kit_Time().SleepMicros(1000);
  }
  void key(int row, int code, bool waitForTheSend = true) {
    const auto [x, y] = rowCentre(0, row);
    plug->graphics->OnKeyDown(x, y, code);
    if (waitForTheSend) settle();
  }
};

struct Road {
  const char* name;
  int highlighted;
  std::function<void(SelectionPage&)> take;
};

TEST(LibrarianSelection, TheRowHighlightedIsTheRowARequestBySelectedSlotFills) {
  constexpr int kDown = 2;
  const Road roads[] = {
      {"click", 11, [](SelectionPage& p) { p.click(0, 11); }},
      {"click, then Down twice", 13,
       [](SelectionPage& p) {
         p.click(0, 11);
         p.key(11, kDown);
         p.key(11, kDown);
       }},
      {"double click", 20,
       [](SelectionPage& p) {
         p.click(0, 11);
         const auto [x, y] = p.rowCentre(0, 20);
         IMouseMod mod(true);
         p.plug->graphics->OnMouseDblClick(x, y, &mod);
         p.settle();
       }},
      {"right click", 7,
       [](SelectionPage& p) {
         p.backend.ScriptPopupDismiss();
         p.click(0, 7, IMouseMod(false, true));
       }},
      {"program selector with library control", 30,
       [](SelectionPage& p) {
         p.click(0, 11);
         p.plug->setLibraryControlOn(true);
         p.change(P::kCurrentProgram, 30.0);
         p.settle();
       }},
      {"store all to the unit", 0,
       [](SelectionPage& p) {
         p.click(0, 11);
         p.backend.ScriptPopupChoiceText("Store Patch Data/All Current Programs to RAM 0 (A)");
         p.clickMenu("BANKEDITMENU", kBankEditMenu);
         p.settle();
       }},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    SelectionPage page;
    road.take(page);
    ASSERT_EQ(page.list().selectedUpper, road.highlighted);
    std::vector<std::string> before;
    for (int row = 0; row < 99; ++row) before.push_back(page.rowText(0, row));
    page.chooseInBankMenu("Request Patch Data/from HW by Selected Slot Number");
    page.settle();
    for (int row = 0; row < 99; ++row)
      EXPECT_EQ(page.rowText(0, row) != before[size_t(row)], row == road.highlighted) << "row " << row;
    // A rename names the same row.
    page.plug->setRenameInactive(false);
    page.plug->GetParam(kPatchRename)->SetDisplayText(0, "Renamed");
    page.plug->OnParamChange(kPatchRename);
    EXPECT_EQ(page.rowText(0, road.highlighted), "Renamed");
  }
}

// Keys pressed faster than the rows go out: each press moves the highlight, and the
// unit ends on the row highlighted last, as one press onto that row leaves it.
TEST(LibrarianSelection, KeysFasterThanTheSendsEndOnTheRowHighlighted) {
  constexpr int kDown = 2;
  const auto lastDumpHeard = [](SelectionPage& page) {
    std::vector<unsigned char> heard;
    for (const std::vector<unsigned char>& message : page.synth->Sim().Received())
      if (message.size() >= 139 && message[0] == 0xF0) heard = message;
    return heard;
  };
  SelectionPage fast;
  fast.click(0, 11);
  for (int press = 0; press < 3; ++press) fast.key(11, kDown, false);
  fast.settle();
  EXPECT_EQ(fast.list().selectedUpper, 14);
  SelectionPage one;
  one.click(0, 13);
  one.key(13, kDown);
  ASSERT_EQ(one.list().selectedUpper, 14);
  EXPECT_EQ(lastDumpHeard(fast), lastDumpHeard(one));
}

}  // namespace
