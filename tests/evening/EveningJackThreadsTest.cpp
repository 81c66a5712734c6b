// A musician's evening with the real bundle in the test host and the simulated unit
// on a private JACK server, stage after stage on one data folder.
#include "EveningSupport.h"

namespace {

TEST(EveningJack, AMusiciansEvening) {
  Evening evening;
  ASSERT_TRUE(evening.Start());
  // Stages, in the order of the evening; each stops the evening when it fails.
  EveningFirstRun(evening);
  if (testing::Test::HasFatalFailure()) return;
  EveningLibrarian(evening);
  if (testing::Test::HasFatalFailure()) return;
  EveningTransport(evening);
  if (testing::Test::HasFatalFailure()) return;
  EveningReopen(evening);
  if (testing::Test::HasFatalFailure()) return;
  EveningCloseMidTransfer(evening);
  if (testing::Test::HasFatalFailure()) return;
}

// Not in CI: the transport stage alone, over and over beside a busy machine
// (scripts/soak-evening-transport), where a lost Start or Stop would show.
TEST(EveningJack, DISABLED_TransportStageAlone) {
  Evening evening;
  ASSERT_TRUE(evening.Start());
  EveningTransport(evening);
}

}  // namespace
