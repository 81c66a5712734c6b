#include <gtest/gtest.h>

#include "MidiTransport/MidiPortSysExAssembler.h"

namespace {
using Bytes = std::vector<unsigned char>;

class SysExAssembler : public ::testing::Test {
protected:
  void Feed(Bytes event) {
    assembler_.Feed(&event, [this](Bytes* message) { out_.push_back(*message); });
  }
  MidiPortSysExAssembler assembler_;
  std::vector<Bytes> out_;
};
}  // namespace

TEST_F(SysExAssembler, WholeMessagesPassUnchanged) {
  Feed({0xB0, 1, 2});
  Feed({0xF0, 0x33, 0x00, 0x04, 0x28, 0x00, 0xF7});
  Feed({0xC1, 5});
  EXPECT_EQ(out_, std::vector<Bytes>({{0xB0, 1, 2}, {0xF0, 0x33, 0x00, 0x04, 0x28, 0x00, 0xF7}, {0xC1, 5}}));
}

TEST_F(SysExAssembler, PiecesOfOneSysExArriveAsOne) {
  Bytes dump(715, 0x05);
  dump.front() = 0xF0;
  dump.back() = 0xF7;
  Feed(Bytes(dump.begin(), dump.begin() + 256));
  Feed(Bytes(dump.begin() + 256, dump.begin() + 512));
  EXPECT_TRUE(out_.empty());
  Feed(Bytes(dump.begin() + 512, dump.end()));
  EXPECT_EQ(out_, std::vector<Bytes>({dump}));
}

TEST_F(SysExAssembler, RealTimeBytesBetweenPiecesGoOnFirst) {
  Feed({0xF0, 0x33});
  Feed({0xF8});
  Feed({0x00, 0x04});
  Feed({0xF7});
  EXPECT_EQ(out_, std::vector<Bytes>({{0xF8}, {0xF0, 0x33, 0x00, 0x04, 0xF7}}));
}

TEST_F(SysExAssembler, SysExCutShortIsDroppedAndTheNewMessageKept) {
  Feed({0xF0, 0x33, 0x00});
  Feed({0xB0, 7, 100});
  Feed({0x04, 0xF7});  // a stray tail without its start
  EXPECT_EQ(out_, std::vector<Bytes>({{0xB0, 7, 100}, {0x04, 0xF7}}));
}

TEST_F(SysExAssembler, OverlongSysExIsDroppedAndTheNextComesWhole) {
  Bytes start = {0xF0};
  Feed(start);
  Feed(Bytes(MidiPortSysExAssembler::kLongestSysEx, 0x01));
  Feed({0x02, 0xF7});
  Feed({0xF0, 0x01, 0xF7});
  EXPECT_EQ(out_, std::vector<Bytes>({{0x02, 0xF7}, {0xF0, 0x01, 0xF7}}));
}

TEST_F(SysExAssembler, ASysExMissingAPieceIsNotJoinedAcrossTheGap) {
  Feed({0xF0, 0x33, 0x00});
  assembler_.Interrupt();  // the middle piece was lost
  Feed({0x04, 0xF7});
  Feed({0xF0, 0x33, 0x01, 0xF7});
  EXPECT_EQ(out_, std::vector<Bytes>({{0x04, 0xF7}, {0xF0, 0x33, 0x01, 0xF7}}));
}
