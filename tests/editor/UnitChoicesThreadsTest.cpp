// The unit's id through a model change, and a program chosen while a transfer runs:
// the editor on fake ports with recording jobs.
#include <gtest/gtest.h>

#include <algorithm>

#include "RoadTestSupport.h"

namespace {

using Jobs = std::vector<std::pair<int, int>>;
using Message = MidiPortFake::Message;

constexpr int kGlobalProgChange = 312;

int Enquiries() {
  int count = 0;
  for (const auto& run : JobRecord::Get().Runs()) count += run.first == kJobDeviceIdEnquiry;
  return count;
}

TEST(ModelChange, TheUnitFoundKeepsItsIdWhateverTheModel) {
  for (int model : {kNL1, kNL2x}) {
    RoadFixture f;
    f.openOutput();
    // The enquiry's answer: the id, and the parameter the job writes.
    f.plug->setDeviceId(6);
    f.plug->GetParam(kDeviceID)->Set(6);
    f.edit(kNordModel, model);
    f.settle();
    EXPECT_EQ(f.plug->unitLink().deviceId, 6) << model;
    EXPECT_EQ(f.plug->GetParam(kDeviceID)->Int(), 6) << model;
    EXPECT_EQ(f.plug->unitLink().nordModel, model);
    EXPECT_EQ(Enquiries(), 0) << "nothing to ask: the unit answered on 6";
  }
}

TEST(ModelChange, WithoutAnAnswerTheModelsIdIsAskedFor) {
  RoadFixture f;
  f.openOutput();
  f.edit(kNordModel, kNL2x);
  f.settle();
  EXPECT_EQ(f.plug->unitLink().deviceId, 15);
  EXPECT_EQ(f.plug->GetParam(kDeviceID)->Int(), 15);
  EXPECT_EQ(Enquiries(), 1);

  // An answer, then the id changed by hand: the unit is no longer known to be there.
  f.plug->setDeviceId(15);
  f.edit(kDeviceID, 9);
  f.edit(kNordModel, kNL1);
  f.settle();
  EXPECT_EQ(f.plug->unitLink().deviceId, 4);
  EXPECT_EQ(Enquiries(), 2);

  // A new enquiry forgets the answer before it.
  f.plug->setDeviceId(4);
  f.plug->setDeviceEnquiryPending(true);
  f.edit(kNordModel, kNL2x);
  f.settle();
  EXPECT_EQ(f.plug->unitLink().deviceId, 15);
}

TEST(ModelChange, WithoutPortsTheModelsIdIsSetAndNothingAsked) {
  RoadFixture f;
  f.plug->setDeviceId(6);
  f.edit(kNordModel, kNL2x);
  EXPECT_EQ(f.plug->unitLink().deviceId, 15);
  f.edit(kNordModel, kNL1);
  EXPECT_EQ(f.plug->unitLink().deviceId, 4);
  // The same model again leaves the id alone.
  f.edit(kDeviceID, 9);
  f.edit(kNordModel, kNL1);
  EXPECT_EQ(f.plug->unitLink().deviceId, 9);
  EXPECT_EQ(f.started(), 0);
}

// Whether `wanted` was sent in this order, other messages between.
bool SentInOrder(const std::vector<Message>& sent, const std::vector<Message>& wanted) {
  size_t at = 0;
  for (const Message& m : sent)
    if (at < wanted.size() && m == wanted[at]) ++at;
  return at == wanted.size();
}

TEST(ProgramChoice, ChosenDuringATransferItIsSentAtOnceAndRequestedAfter) {
  RoadFixture f;
  f.openOutput();
  f.edit(kGlobalProgChange, 1);
  f.settle();
  JobRecord::Get().Clear();
  ASSERT_TRUE(f.holdTransferThread());
  // The transfer is a librarian fetch: its replies go to the librarian, not the panel.
  f.plug->SetLibrarianRequestActive(true);
  const int startedBefore = f.started();
  f.edit(kCurrentBank + 2, 1);
  f.edit(kCurrentProgram + 2, 24);
  EXPECT_FALSE(f.plug->midiManager->transferInProgress) << "the fetch's replies would be parsed into the panel";
  // Slot C plays on channel 3.
  EXPECT_TRUE(SentInOrder(f.sent(), {{0xB2, 0x00, 0x00}, {0xB2, 0x20, 0x01}, {0xC2, 0x18}}));
  EXPECT_GE(f.plug->midiManager->pendingResends(), 1);
  EXPECT_EQ(f.dropped(), 0);
  JobRecord::Get().Release();
  f.settle();
  const Jobs runs = JobRecord::Get().Runs();
  EXPECT_NE(std::find(runs.begin(), runs.end(), std::make_pair(int(kJobRequestPart), 2)), runs.end());
  EXPECT_GT(f.started(), startedBefore);
}

}  // namespace
