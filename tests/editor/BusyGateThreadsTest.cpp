// The busy overlay's gate: during a store and a fetch each click on the librarian
// page either acts on what the page shows or is refused and said.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "Framework/IControl.h"
#include "Framework/IParam.h"
#include "Kit_TimeSource.h"
#include "LibrarianPageSupport.h"
#include "PanelPoints.h"
#include "editor/librarian/TavroLibrarianPanel.h"
#include "messaging/MIDIMessageManager.h"

namespace {

void Click(Tavro& t, int x, int y) {
  IMouseMod left(true);
  t.graphics->OnMouseDown(x, y, &left);
  t.graphics->OnMouseUp(x, y, &left);
}

TEST(BusyGate, EachClickDuringAStoreOrAFetchActsOnThePageOrIsSaid) {
  struct Road {
    const char* name;
    int param;  // what a refused click would have changed; -1 for a selector
    int x, y;   // on the librarian page; a selector's are its own
    int menu;
  };
  const Road roads[] = {
      {"slot tab B", kQuickTab, 69, 250, -1},    {"Perfs", kDatatype, 50, 82, -1},
      {"model", kNordModel, 280, 18, -1},        {"knob", -1, 1167, 550, -1},
      {"program", -1, 0, 0, kProgramNumberMenu}, {"bank", -1, 0, 0, kBankNumberMenu},
  };
  for (int job : {kJobStoreAllPatches, kJobRequestAllPatches}) {
    for (bool betweenSteps : {false, true}) {
      LibrarianPage page;  // a bank open above: the fetch has where to go
      Tavro& t = *page.plug;
      const std::string transfer =
          std::string(job == kJobStoreAllPatches ? "store" : "fetch") + (betweenSteps ? ", between steps" : "");
      std::string named;  // what the line says was refused, after the last refusal
      {
        // The page's thread holds time still: the job waits at its first pause.
        page.connect();  // the store's dumps go out, one progress line each
        JobArgs args;
        args.jobCode = job;
        ASSERT_TRUE(t.midiManager->startJob(args));
        // The job shows the overlay, then waits on the still clock.
        for (int i = 0; i < 5000 && !t.transferState().transferBusy; ++i)
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(t.transferState().transferBusy && t.IsTransferring()) << job;
        if (betweenSteps) t.DisplayProcessingIndicator(false);
        for (const Road& road : roads) {
          const std::string where = std::string(road.name) + ", " + transfer;
          auto at = std::make_pair(road.x, road.y);
          if (road.menu >= 0) at = Centre(t.keptControls().librarianMenus[size_t(road.menu)]);
          const std::vector<double> before = [&] {
            std::vector<double> v;
            for (int i = 0; i < t.NParams(); ++i) v.push_back(t.GetParam(i)->Value());
            return v;
          }();
          const std::string lineBefore = t.statusShown();
          Click(t, at.first, at.second);
          const std::string line = t.statusShown();
          if (road.menu >= 0) {
            EXPECT_EQ(line, lineBefore) << where << ": the selector takes it, for the slot shown";
            continue;
          }
          EXPECT_NE(line, lineBefore) << where << ": refused without a word";
          if (road.param >= 0) {
            EXPECT_NE(line.find(t.GetParam(road.param)->GetNameForHost()), std::string::npos) << where << ": " << line;
          }
          for (int i = 0; i < t.NParams(); ++i)
            EXPECT_EQ(t.GetParam(i)->Value(), before[size_t(i)]) << where << ": half taken, parameter " << i;
          named = line.substr(std::min(line.find(" / "), line.size()));
        }
      }
      // Time runs on: the job's next progress lines and its outcome keep the refusals.
      // The real-time bound only guards against a hang.
      const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(120);
      while (t.IsTransferring() && std::chrono::steady_clock::now() < giveUp) {
        page.clock.Advance(100 * 1000);
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
      const std::string outcome = t.statusShown();
      EXPECT_FALSE(t.IsTransferring()) << transfer;
      EXPECT_FALSE(named.empty()) << transfer;
      EXPECT_TRUE(outcome.size() > named.size() &&
                  outcome.compare(outcome.size() - named.size(), named.size(), named) == 0)
          << transfer << ": the outcome reads \"" << outcome << "\"";
      EXPECT_EQ(outcome.rfind(job == kJobStoreAllPatches ? "Storing " : "Receiving ", 0), std::string::npos) << outcome;
      t.showStatus("Ready");
      EXPECT_EQ(t.statusShown(), "Ready") << transfer << ": a line after the transfer is its own";
    }
  }
}

}  // namespace
