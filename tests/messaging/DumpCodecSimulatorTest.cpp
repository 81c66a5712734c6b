// The dump coders against the simulated synthesizer, whose map of the dumps is its
// own: every field at distinct values travels panel -> dump -> unit memory -> reply
// -> panel on every model, and dumps the unit makes resend as they came.

#include <gtest/gtest.h>

#include <random>

#include "Kit_TimeSource.h"
#include "PanelValues.h"
#include "SpacedPerformance.h"
#include "SynthSim.h"
#include "messaging/PerformanceDumpCoder.h"
#include "messaging/ProgramDumpCoder.h"
#include "messaging/tables/DumpFieldTable.h"

namespace {
using Message = SynthSim::Message;
constexpr int kDeviceId = 5;

// The parameter a part field uses on `model`.
class DumpCodecSimulator : public ::testing::TestWithParam<int> {
protected:
  void SetUp() override {
    Kit_SetTimeSource(&clock_);
    SynthSimSettings settings;
    settings.deviceId = kDeviceId;
    settings.model = model_;
    sim_.SetSettings(settings);
  }
  void TearDown() override { Kit_SetTimeSource(nullptr); }

  Message Ask(uint8_t type, uint8_t number) {
    const Message request = {0xF0, 0x33, kDeviceId, 0x04, type, number, 0xF7};
    sim_.Receive(request.data(), request.size());
    clock_.Advance(1000000);
    if (replies_.size() != 1) return {};
    Message reply = replies_.back();
    replies_.clear();
    return reply;
  }
  void Send(const Message& dump) { sim_.Receive(dump.data(), dump.size()); }
  uint8_t SlotRequestType() const { return model_ == 2 ? 0x0E : 0x0A; }

  // Distinct values for the slot's part fields: 7 is prime to each field's range.
  void FillPart(PanelValues& panel, int slot) {
    for (int k = 0; k < kPartBlockFieldCount; ++k) {
      const PartBlockField& f = kPartBlockFields[k];
      panel.At(PartParam(f, model_), slot) = (7 * k + 3 * slot + model_ + 1) % (FieldMaximum(f.coding) + 1);
    }
  }
  // What the parser gives back of a part field the panel sent.
  void ExpectPartBack(PanelValues& sent, PanelValues& back, int slot, int lastOffset = 131) {
    for (int k = 0; k < kPartBlockFieldCount; ++k) {
      const PartBlockField& f = kPartBlockFields[k];
      const std::string param = PartParam(f, model_);
      const bool ignored = model_ == 0 && std::string(f.param) == "kFilterDistortion";
      const double want = ignored || f.offset > lastOffset ? 0 : sent.At(param, slot);
      EXPECT_EQ(back.At(param, slot), want) << param << " slot " << slot << " model " << model_;
    }
  }

  int model_ = GetParam();
  Kit_VirtualClock clock_{0};
  SynthSimVirtualScheduler scheduler_{clock_};
  std::vector<Message> replies_;
  SynthSim sim_{SynthSimSettings{}, scheduler_, [this](const Message& m) { replies_.push_back(m); }};
  std::unique_ptr<ProgramDumpCoder> program_ = ProgramDumpCoder::Create(ParamIndex);
  std::unique_ptr<PerformanceDumpCoder> performance_ = PerformanceDumpCoder::Create(ParamIndex);
};

TEST_P(DumpCodecSimulator, EveryProgramFieldReachesTheUnitAndComesBack) {
  for (int slot = 0; slot < 4; ++slot) {
    PanelValues sent(model_);
    FillPart(sent, slot);
    Send(program_->Build(sent, slot, kDeviceId));
    for (int k = 0; k < kPartBlockFieldCount; ++k) {
      const std::string param = PartParam(kPartBlockFields[k], model_);
      EXPECT_EQ(sim_.Value(param, slot), sent.At(param, slot)) << param << " slot " << slot;
    }
    PanelValues back(model_);
    const Message reply = Ask(SlotRequestType(), static_cast<uint8_t>(slot));
    ASSERT_EQ(program_->Parse(reply.data(), reply.size(), back), slot);
    ExpectPartBack(sent, back, slot);
  }
}

TEST_P(DumpCodecSimulator, EveryPerformanceFieldReachesTheUnitAndComesBackInEachReplyForm) {
  PanelValues sent(model_);
  for (int slot = 0; slot < 4; ++slot) FillPart(sent, slot);
  const int activeSlot = 2;
  std::map<int, int> performanceValue;  // by position
  for (int k = 0; k < kPerformanceFieldCount; ++k) {
    const PerformanceField& f = kPerformanceFields[k];
    const int value = (5 * k + 1) % (FieldMaximum(f.coding) + 1);
    sent.At(f.param, f.slot) = value;
    performanceValue[f.position] = value;
  }
  Send(performance_->Build(sent, kDeviceId, activeSlot));

  // What the unit holds, read through its own map.
  for (int slot = 0; slot < 4; ++slot) {
    for (int k = 0; k < kPartBlockFieldCount; ++k) {
      const std::string param = PartParam(kPartBlockFields[k], model_);
      EXPECT_EQ(sim_.Value(param, slot), sent.At(param, slot)) << param << " slot " << slot;
    }
  }
  const char* const kBank = model_ == 2 ? "kCurrentBank2x" : "kCurrentBank";
  for (int k = 0; k < kPerformanceFieldCount; ++k) {
    const PerformanceField& f = kPerformanceFields[k];
    const std::string name = f.param;
    int want = static_cast<int>(sent.At(name, f.slot));
    if (name == "kMasterTune") want = 99;  // never sent: the pair reads as tune 0
    if (name == "kQuickTab") want = activeSlot;
    if (name == "kCurrentBank" || name == "kCurrentBank2x") want = static_cast<int>(sent.At(kBank, f.slot));
    EXPECT_EQ(sim_.Value(name, f.slot), want) << name << " slot " << f.slot;
  }

  struct Form {
    int length;
    bool spaced;      // the unit's 715 bytes rearranged into the spaced form
    int firstAbsent;  // performance positions from here keep their values
  };
  for (const Form form : {Form{0, false, 714}, Form{725, false, 714}, Form{765, false, 714}, Form{0, true, 714},
                          Form{711, false, 710}, Form{712, false, 710}}) {
    SynthSimSettings settings = sim_.Settings();
    settings.replyLength = form.length;
    sim_.SetSettings(settings);
    const Message reply = Ask(0x28, 0);
    ASSERT_EQ(reply.size(), size_t(form.length ? form.length : 715));
    PanelValues back(model_);
    const Message spaced = form.spaced ? SpacedPerformance(reply) : Message{};
    ASSERT_TRUE(form.spaced ? performance_->ParseSpaced(spaced.data(), spaced.size(), back)
                            : performance_->Parse(reply.data(), reply.size(), back))
        << form.length;
    for (int slot = 0; slot < 4; ++slot) ExpectPartBack(sent, back, slot, form.spaced && slot == 3 ? 111 : 131);
    for (int k = 0; k < kPerformanceFieldCount; ++k) {
      const PerformanceField& f = kPerformanceFields[k];
      const std::string name = f.param;
      int want = static_cast<int>(sim_.Value(name, f.slot));
      if (name == "kCurrentBank" || name == "kCurrentBank2x") want = static_cast<int>(sent.At(kBank, f.slot));
      if (name == "kDeviceID") want = kDeviceId;  // the unit's replies carry its own
      if (f.position >= form.firstAbsent) want = 0;
      EXPECT_EQ(back.At(name, f.slot), want) << name << " slot " << f.slot << " reply " << form.length;
    }
  }
}

TEST_P(DumpCodecSimulator, DumpsTheUnitMakesResendAsTheyCame) {
  std::mt19937 random(1234 + model_);
  auto any = [&](int maximum) { return std::uniform_int_distribution<int>(0, maximum)(random); };
  for (int slot = 0; slot < 4; ++slot) {
    for (int k = 0; k < kPartBlockFieldCount; ++k) {
      const PartBlockField& f = kPartBlockFields[k];
      // The first-generation model ignores distortion on the way in.
      const bool ignored = model_ == 0 && std::string(f.param) == "kFilterDistortion";
      ASSERT_TRUE(sim_.SetValue(f.param, slot, ignored ? 0 : any(FieldMaximum(f.coding))));
    }
  }
  for (int k = 0; k < kPerformanceFieldCount; ++k) {
    const PerformanceField& f = kPerformanceFields[k];
    const std::string name = f.param;
    const int maximum = name == "kQuickTab" ? 3 : name == "kMasterTune" ? 0 : FieldMaximum(f.coding);
    ASSERT_TRUE(sim_.SetValue(name, f.slot, name == "kMasterTune" ? 99 : any(maximum)));
  }
  for (int slot = 0; slot < 4; ++slot) {
    const Message reply = Ask(SlotRequestType(), static_cast<uint8_t>(slot));
    PanelValues panel(model_);
    ASSERT_EQ(program_->Parse(reply.data(), reply.size(), panel), slot);
    EXPECT_EQ(program_->Build(panel, slot, kDeviceId), reply) << "slot " << slot;
  }
  const Message reply = Ask(0x28, 0);
  PanelValues panel(model_);
  ASSERT_TRUE(performance_->Parse(reply.data(), reply.size(), panel));
  EXPECT_EQ(performance_->Build(panel, kDeviceId, static_cast<int>(panel["kQuickTab"])), reply);
}

INSTANTIATE_TEST_SUITE_P(Models, DumpCodecSimulator, ::testing::Values(0, 1, 2));

}  // namespace
