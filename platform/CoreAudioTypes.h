#pragma once
// Stand-in for the CoreAudio records that cross the Audio Unit interface:
// stream formats, time stamps and buffer lists.

#include "MacTypes.h"

constexpr OSType kAudioFormatLinearPCM = FourCC("lpcm");

enum : UInt32 {
  kAudioFormatFlagIsFloat = 1u << 0,
  kAudioFormatFlagIsBigEndian = 1u << 1,
  kAudioFormatFlagIsSignedInteger = 1u << 2,
  kAudioFormatFlagIsPacked = 1u << 3,
  kAudioFormatFlagIsAlignedHigh = 1u << 4,
  kAudioFormatFlagIsNonInterleaved = 1u << 5,
};

struct AudioStreamBasicDescription {
  Float64 mSampleRate;
  UInt32 mFormatID;
  UInt32 mFormatFlags;
  UInt32 mBytesPerPacket;
  UInt32 mFramesPerPacket;
  UInt32 mBytesPerFrame;
  UInt32 mChannelsPerFrame;
  UInt32 mBitsPerChannel;
  UInt32 mReserved;
};

struct SMPTETime {
  SInt16 mSubframes;
  SInt16 mSubframeDivisor;
  UInt32 mCounter;
  UInt32 mType;
  UInt32 mFlags;
  SInt16 mHours;
  SInt16 mMinutes;
  SInt16 mSeconds;
  SInt16 mFrames;
};

enum : UInt32 {
  kAudioTimeStampSampleTimeValid = 1u << 0,
  kAudioTimeStampHostTimeValid = 1u << 1,
  kAudioTimeStampRateScalarValid = 1u << 2,
  kAudioTimeStampWordClockTimeValid = 1u << 3,
  kAudioTimeStampSMPTETimeValid = 1u << 4,
};

struct AudioTimeStamp {
  Float64 mSampleTime;
  UInt64 mHostTime;
  Float64 mRateScalar;
  UInt64 mWordClockTime;
  SMPTETime mSMPTETime;
  UInt32 mFlags;
  UInt32 mReserved;
};

struct AudioBuffer {
  UInt32 mNumberChannels;
  UInt32 mDataByteSize;
  void* mData;
};

// mNumberBuffers buffers follow each other; reach them with AudioBufferAt.
struct AudioBufferList {
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[1];
};

inline AudioBuffer& AudioBufferAt(AudioBufferList* list, UInt32 index) { return (&list->mBuffers[0])[index]; }

// A buffer list with room for N buffers, laid out like AudioBufferList.
template <UInt32 N>
struct AudioBufferListStorage {
  UInt32 mNumberBuffers = 0;
  AudioBuffer mBuffers[N] = {};
  AudioBufferList* List() { return reinterpret_cast<AudioBufferList*>(this); }
  static constexpr UInt32 kCapacity = N;
};
