#pragma once
// The two value records that carry MIDI through the system: one short message
// (IMidiMsg) and a reference to one System Exclusive message (ISysEx).

#include <cstdint>

struct IMidiMsg {
  // The kind of a message: the high nibble of its status byte.
  enum EStatusMsg : int {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14,
  };
  // A controller number 0-127.
  using EControlChangeMsg = int;
  static constexpr EControlChangeMsg kSustainPedal = 64;
  static constexpr int kPedalDownFrom = 64;  // a pedal's value from here up: held down
  static constexpr EControlChangeMsg kAllNotesOff = 123;
  static constexpr int kChannels = 16;

  int32_t mOffset;  // sample offset within the current block; 0 when not tied to one
  uint8_t mStatus;  // kind in the high nibble, channel 0-15 in the low nibble
  uint8_t mData1;
  uint8_t mData2;

  explicit IMidiMsg(int32_t offset = 0, uint8_t status = 0, uint8_t data1 = 0, uint8_t data2 = 0)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2) {}

  // A channel outside 0-15 gives no message (cleared, kNone) and a log line. Data
  // bytes are not checked: callers pass 0-127.
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0, int velocity = 64);
  // value is normalized 0..1 (held to it), scaled by 127 and truncated toward zero.
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);
  // program is normalized 0..1 (held to it), scaled by 127 and truncated; data2 is
  // 0xFF and never sent.
  void MakeProgramChangeMsg(double program, int channel = 0);
  // value -1..1 (held to it); 0 is the centre (data2 64).
  void MakePitchWheelMsg(double value, int channel = 0);
  void Clear();

  int Channel() const { return mStatus & 0x0F; }
  // The kind for channel messages (status 0x80-0xEF); kNone for anything else.
  EStatusMsg StatusMsg() const;
  int NoteNumber() const;     // note off/on and poly aftertouch, else -1
  int Velocity() const;       // note off/on, else -1
  int Program() const;        // program change, else -1
  double PitchWheel() const;  // pitch wheel -1.0 .. just under 1.0, else 0.0
  EControlChangeMsg ControlChangeIdx() const { return mData1; }
  // data2 / 127 for a control change of controller idx, else -1.0.
  double ControlChange(EControlChangeMsg idx) const;
  int MidiChannelIdx() const { return mStatus; }
  void LogMsg() const {}

private:
  // Fills the message, or clears it and logs when channel is outside 0-15.
  bool Make(EStatusMsg kind, int channel, int offset, int data1, int data2);
};

struct ISysEx {
  int32_t mOffset;       // sample offset, 0 when not tied to a block
  int32_t mSize;         // bytes, F0 and F7 included when present
  const uint8_t* mData;  // not owned; valid for the call that receives the record

  explicit ISysEx(int32_t offset = 0, const uint8_t* data = nullptr, int32_t size = 0)
      : mOffset(offset), mSize(size), mData(data) {}

  void Clear() {
    mOffset = 0;
    mSize = 0;
    mData = nullptr;
  }
  void LogMsg() const {}
};

// The kind's name for logs ("noteon ", "controlchange", "unknown" ...).
const char* StatusMsgStr(IMidiMsg::EStatusMsg status);

// Writes the first min(bufSize / 3, size) bytes of data as "%02X" separated by
// blanks into buf (always terminated when bufSize > 0) and returns buf. Null data
// or size <= 0 write an empty text.
char* SysExStr(char* buf, int bufSize, const unsigned char* data, int size);
