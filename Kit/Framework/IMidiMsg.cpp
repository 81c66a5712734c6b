#include "Framework/IMidiMsg.h"

#include <algorithm>
#include <cstdio>

namespace {

// A normalized 0..1 value as 0..127, truncated. Values outside (and NaN) are held
// to the range first: converting them unchecked is undefined.
uint8_t ScaleTo7Bit(double normalized) {
  if (!(normalized > 0.0)) return 0;
  return uint8_t(int(std::min(normalized, 1.0) * 127.0));
}

}  // namespace

bool IMidiMsg::Make(EStatusMsg kind, int channel, int offset, int data1, int data2) {
  // Or-ed in unchecked, a channel past 15 changes the kind (16 makes a Note Off a
  // Note On) and -1 gives 0xFF, System Reset.
  if (channel < 0 || channel > 15) {
    std::fprintf(stderr, "MIDI: %s on channel %d refused; channels are 0-15\n", StatusMsgStr(kind), channel);
    Clear();
    return false;
  }
  mOffset = offset;
  mStatus = uint8_t(kind << 4 | channel);
  mData1 = uint8_t(data1);
  mData2 = uint8_t(data2);
  return true;
}

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel) {
  Make(kNoteOn, channel, offset, noteNumber, velocity);
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel, int velocity) {
  Make(kNoteOff, channel, offset, noteNumber, velocity);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel) {
  Make(kControlChange, channel, 0, idx, ScaleTo7Bit(value));
}

void IMidiMsg::MakeProgramChangeMsg(double program, int channel) {
  Make(kProgramChange, channel, 0, ScaleTo7Bit(program), 0xFF);
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel) {
  // Limit before converting: a huge value (or NaN) must not reach the int conversion.
  const double clamped = value == value ? std::clamp(value, -2.0, 2.0) : 0.0;
  const int p = std::clamp(int(clamped * 8192.0) + 8192, 0, 16383);
  Make(kPitchWheel, channel, 0, p & 0x7F, (p >> 7) & 0x7F);
}

void IMidiMsg::Clear() {
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const {
  if (mStatus < 0x80 || mStatus >= 0xF0) return kNone;
  return EStatusMsg(mStatus >> 4);
}

int IMidiMsg::NoteNumber() const {
  switch (StatusMsg()) {
    case kNoteOff:
    case kNoteOn:
    case kPolyAftertouch: return mData1;
    default: return -1;
  }
}

int IMidiMsg::Velocity() const {
  const EStatusMsg kind = StatusMsg();
  return (kind == kNoteOff || kind == kNoteOn) ? mData2 : -1;
}

int IMidiMsg::Program() const { return StatusMsg() == kProgramChange ? mData1 : -1; }

double IMidiMsg::PitchWheel() const {
  if (StatusMsg() != kPitchWheel) return 0.0;
  return double(mData2 * 128 + mData1 - 8192) / 8192.0;
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const {
  if (StatusMsg() == kControlChange && mData1 == idx) return mData2 / 127.0;
  return -1.0;
}

const char* StatusMsgStr(IMidiMsg::EStatusMsg status) {
  switch (status) {
    case IMidiMsg::kNone: return "none";
    case IMidiMsg::kNoteOff: return "noteoff";
    case IMidiMsg::kNoteOn: return "noteon ";
    case IMidiMsg::kPolyAftertouch: return "aftertouch";
    case IMidiMsg::kControlChange: return "controlchange";
    case IMidiMsg::kProgramChange: return "programchange";
    case IMidiMsg::kChannelAftertouch: return "channelaftertouch";
    case IMidiMsg::kPitchWheel: return "pitchwheel";
  }
  return "unknown";
}

char* SysExStr(char* buf, int bufSize, const unsigned char* data, int size) {
  if (!buf || bufSize <= 0) return buf;
  buf[0] = 0;
  if (!data || size <= 0) return buf;
  // Each byte takes "XX " and the last one's blank becomes the terminator.
  const int count = std::min(bufSize / 3, size);
  char* out = buf;
  for (int i = 0; i < count; ++i) {
    out += std::snprintf(out, 4, i + 1 < count ? "%02X " : "%02X", data[i]);
  }
  return buf;
}
