#include "Framework/IMidiMsg.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

std::string Bytes(const IMidiMsg& msg) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X", msg.mStatus, msg.mData1, msg.mData2);
  return text;
}

IMidiMsg Msg(uint8_t status, uint8_t data1, uint8_t data2) { return IMidiMsg(0, status, data1, data2); }

}  // namespace

TEST(MidiMsg, ControlChangeScalesAndTruncates) {
  IMidiMsg msg(99, 1, 2, 3);
  msg.MakeControlChangeMsg(7, 1.0, 0);
  EXPECT_EQ(Bytes(msg), "B0 07 7F");
  EXPECT_EQ(msg.mOffset, 0);
  msg.MakeControlChangeMsg(7, 0.999, 0);
  EXPECT_EQ(Bytes(msg), "B0 07 7E");
  msg.MakeControlChangeMsg(74, 0.5, 15);
  EXPECT_EQ(Bytes(msg), "BF 4A 3F");
}

TEST(MidiMsg, NormalizedValuesOutsideTheRangeAreHeldToIt) {
  IMidiMsg msg;
  msg.MakeControlChangeMsg(7, 2.5, 0);
  EXPECT_EQ(Bytes(msg), "B0 07 7F");
  msg.MakeControlChangeMsg(7, -0.5, 0);
  EXPECT_EQ(Bytes(msg), "B0 07 00");
  msg.MakeControlChangeMsg(7, std::nan(""), 0);
  EXPECT_EQ(Bytes(msg), "B0 07 00");
  msg.MakeProgramChangeMsg(1e300, 0);
  EXPECT_EQ(Bytes(msg), "C0 7F FF");
  msg.MakePitchWheelMsg(std::nan(""), 0);
  EXPECT_EQ(Bytes(msg), "E0 00 40");
}

TEST(MidiMsg, NoteOnAndOffCarryOffsetChannelAndVelocity) {
  IMidiMsg msg;
  msg.MakeNoteOnMsg(60, 100, 17, 2);
  EXPECT_EQ(Bytes(msg), "92 3C 64");
  EXPECT_EQ(msg.mOffset, 17);
  EXPECT_EQ(msg.NoteNumber(), 60);
  EXPECT_EQ(msg.Velocity(), 100);
  msg.MakeNoteOffMsg(61, 5, 3, 64);
  EXPECT_EQ(Bytes(msg), "83 3D 40");
  EXPECT_EQ(msg.mOffset, 5);
  EXPECT_EQ(msg.StatusMsg(), IMidiMsg::kNoteOff);
}

TEST(MidiMsg, AChannelOutsideZeroToFifteenGivesNoMessage) {
  // Unchecked, 16 turned a Note Off into a Note On and -1 made 0xFF (System Reset).
  const std::function<void(IMidiMsg&, int)> makers[] = {
      [](IMidiMsg& m, int ch) { m.MakeNoteOnMsg(60, 100, 3, ch); },
      [](IMidiMsg& m, int ch) { m.MakeNoteOffMsg(60, 3, ch); },
      [](IMidiMsg& m, int ch) { m.MakeControlChangeMsg(7, 0.5, ch); },
      [](IMidiMsg& m, int ch) { m.MakeProgramChangeMsg(0.5, ch); },
      [](IMidiMsg& m, int ch) { m.MakePitchWheelMsg(0.5, ch); },
  };
  for (const auto& make : makers) {
    for (int channel : {-1, 16, 17, 255, INT_MIN, INT_MAX}) {
      IMidiMsg msg(9, 0x93, 1, 2);
      make(msg, channel);
      EXPECT_EQ(Bytes(msg), "00 00 00") << channel;
      EXPECT_EQ(msg.StatusMsg(), IMidiMsg::kNone) << channel;
    }
    IMidiMsg msg;
    make(msg, 15);
    EXPECT_EQ(msg.Channel(), 15);
    EXPECT_NE(msg.StatusMsg(), IMidiMsg::kNone);
  }
}

TEST(MidiMsg, ProgramChangeScalesAndMarksTheUnsentByte) {
  IMidiMsg msg;
  msg.MakeProgramChangeMsg(0.5, 4);
  EXPECT_EQ(Bytes(msg), "C4 3F FF");
  EXPECT_EQ(msg.Program(), 63);
  EXPECT_EQ(msg.Channel(), 4);
}

TEST(MidiMsg, PitchWheelCentreAndLimits) {
  IMidiMsg msg;
  msg.MakePitchWheelMsg(-1.0, 0);
  EXPECT_EQ(Bytes(msg), "E0 00 00");
  msg.MakePitchWheelMsg(0.0, 1);
  EXPECT_EQ(Bytes(msg), "E1 00 40");
  msg.MakePitchWheelMsg(1.0, 0);
  EXPECT_EQ(Bytes(msg), "E0 7F 7F");
  msg.MakePitchWheelMsg(1e30, 0);
  EXPECT_EQ(Bytes(msg), "E0 7F 7F");
  msg.MakePitchWheelMsg(-1e30, 0);
  EXPECT_EQ(Bytes(msg), "E0 00 00");
}

TEST(MidiMsg, PitchWheelReadsBack) {
  EXPECT_DOUBLE_EQ(Msg(0xE0, 0x00, 0x40).PitchWheel(), 0.0);
  EXPECT_DOUBLE_EQ(Msg(0xE0, 0x00, 0x00).PitchWheel(), -1.0);
  EXPECT_DOUBLE_EQ(Msg(0xE0, 0x7F, 0x7F).PitchWheel(), 8191.0 / 8192.0);
  EXPECT_DOUBLE_EQ(Msg(0xB0, 0x00, 0x00).PitchWheel(), 0.0);
  IMidiMsg msg;
  msg.MakePitchWheelMsg(0.25, 0);
  EXPECT_DOUBLE_EQ(msg.PitchWheel(), 0.25);
}

TEST(MidiMsg, StatusOfSystemAndDataBytesIsNone) {
  EXPECT_EQ(Msg(0xF8, 0, 0).StatusMsg(), IMidiMsg::kNone);
  EXPECT_EQ(Msg(0xF0, 0, 0).StatusMsg(), IMidiMsg::kNone);
  EXPECT_EQ(Msg(0x45, 0, 0).StatusMsg(), IMidiMsg::kNone);
  EXPECT_EQ(Msg(0xEF, 0, 0).StatusMsg(), IMidiMsg::kPitchWheel);
  EXPECT_EQ(Msg(0x80, 0, 0).StatusMsg(), IMidiMsg::kNoteOff);
}

TEST(MidiMsg, QueriesAnswerOnlyForTheirKinds) {
  const IMidiMsg aftertouch = Msg(0xA0, 0x3C, 0x10);
  EXPECT_EQ(aftertouch.NoteNumber(), 60);
  EXPECT_EQ(aftertouch.Velocity(), -1);
  EXPECT_EQ(aftertouch.Program(), -1);
  const IMidiMsg cc = Msg(0xB2, 0x07, 0x7F);
  EXPECT_EQ(cc.NoteNumber(), -1);
  EXPECT_EQ(cc.ControlChangeIdx(), 7);
  EXPECT_DOUBLE_EQ(cc.ControlChange(7), 1.0);
  EXPECT_DOUBLE_EQ(cc.ControlChange(8), -1.0);
  EXPECT_DOUBLE_EQ(Msg(0x92, 0x07, 0x7F).ControlChange(7), -1.0);
  EXPECT_EQ(cc.MidiChannelIdx(), 0xB2);
  EXPECT_EQ(Msg(0xF8, 0, 0).NoteNumber(), -1);
}

TEST(MidiMsg, ClearZeroesEveryField) {
  IMidiMsg msg(5, 0x90, 1, 2);
  msg.Clear();
  EXPECT_EQ(msg.mOffset, 0);
  EXPECT_EQ(Bytes(msg), "00 00 00");
}

TEST(SysEx, ClearZeroesEveryField) {
  const uint8_t bytes[] = {0xF0, 0xF7};
  ISysEx sysex(3, bytes, 2);
  EXPECT_EQ(sysex.mData, bytes);
  sysex.Clear();
  EXPECT_EQ(sysex.mOffset, 0);
  EXPECT_EQ(sysex.mSize, 0);
  EXPECT_EQ(sysex.mData, nullptr);
}

TEST(StatusMsgStr, NamesEveryKind) {
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kNone), "none");
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kNoteOff), "noteoff");
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kNoteOn), "noteon ");
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kPolyAftertouch), "aftertouch");
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kControlChange), "controlchange");
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kProgramChange), "programchange");
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kChannelAftertouch), "channelaftertouch");
  EXPECT_STREQ(StatusMsgStr(IMidiMsg::kPitchWheel), "pitchwheel");
  for (int odd : {1, 7, 15, 16, -1, 1000}) {
    EXPECT_STREQ(StatusMsgStr(IMidiMsg::EStatusMsg(odd)), "unknown") << odd;
  }
}

TEST(SysExStr, WritesAsManyBytesAsFit) {
  const unsigned char bytes[] = {0xF0, 0x33, 0x00, 0x04, 0xF7};
  char buf[10];
  EXPECT_EQ(SysExStr(buf, sizeof buf, bytes, 5), buf);
  EXPECT_STREQ(buf, "F0 33 00");
  char wide[64];
  EXPECT_STREQ(SysExStr(wide, sizeof wide, bytes, 5), "F0 33 00 04 F7");
  EXPECT_STREQ(SysExStr(wide, sizeof wide, bytes, 1), "F0");
}

TEST(SysExStr, NothingToWriteGivesAnEmptyText) {
  const unsigned char bytes[] = {0xAB};
  char buf[8] = "junk";
  EXPECT_STREQ(SysExStr(buf, sizeof buf, nullptr, 4), "");
  std::snprintf(buf, sizeof buf, "junk");
  EXPECT_STREQ(SysExStr(buf, sizeof buf, bytes, 0), "");
  std::snprintf(buf, sizeof buf, "junk");
  EXPECT_STREQ(SysExStr(buf, 2, bytes, 1), "");
}

TEST(SysExStr, NeverWritesPastTheBuffer) {
  unsigned char bytes[200];
  for (int i = 0; i < 200; ++i) bytes[i] = static_cast<unsigned char>(i);
  for (int size = 1; size <= 40; ++size) {
    std::string guarded(size + 8, '#');
    SysExStr(&guarded[0], size, bytes, 200);
    EXPECT_EQ(guarded.substr(size_t(size)), std::string(8, '#')) << size;
    EXPECT_EQ(std::string(guarded.c_str()).size(), size_t(size / 3 * 3 - (size >= 3 ? 1 : 0))) << size;
  }
}
