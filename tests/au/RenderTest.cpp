// Rendering through the entry and fast dispatch: refusals, input pulls,
// notifications, and the host's clock as the plug-in reads it.

#include <vector>

#include "AUTestUnit.h"

namespace {

struct Pulls {
  int count = 0;
  float value = 0.25f;
};

OSStatus PullInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32 bus, UInt32 frames,
                   AudioBufferList* data) {
  auto* pulls = static_cast<Pulls*>(refCon);
  ++pulls->count;
  EXPECT_EQ(bus, 0u);
  for (UInt32 c = 0; c < data->mNumberBuffers; ++c) {
    AudioBuffer& buffer = AudioBufferAt(data, c);
    EXPECT_NE(buffer.mData, nullptr);
    EXPECT_EQ(buffer.mDataByteSize, frames * sizeof(float));
    auto* samples = static_cast<float*>(buffer.mData);
    for (UInt32 i = 0; i < frames; ++i) samples[i] = pulls->value;
  }
  return noErr;
}

struct Notes {
  std::vector<AudioUnitRenderActionFlags> flags;
};

OSStatus Note(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
              AudioBufferList*) {
  static_cast<Notes*>(refCon)->flags.push_back(*flags);
  return noErr;
}

OSStatus OtherNote(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*) {
  return noErr;
}

class Renderer {
public:
  explicit Renderer(UInt32 frames) : frames_(frames), samples_(2 * frames, 1.0f) {
    list_.mNumberBuffers = 2;
    for (UInt32 c = 0; c < 2; ++c) list_.mBuffers[c] = {1, UInt32(frames * sizeof(float)), &samples_[c * frames]};
  }
  OSStatus Render(AudioUnit unit, Float64 sampleTime, UInt32 flags = kAudioTimeStampSampleTimeValid) {
    AudioTimeStamp stamp = {};
    stamp.mSampleTime = sampleTime;
    stamp.mFlags = flags;
    AudioUnitRenderActionFlags action = 0;
    return AudioUnitRender(unit, &action, &stamp, 0, frames_, list_.List());
  }
  AudioBufferListStorage<3> list_;
  UInt32 frames_;
  std::vector<float> samples_;
};

TEST(Render, RefusesWhatItCannotRender) {
  AUTestUnit u;
  ASSERT_EQ(u.SetStereoOutput(), noErr);
  Notes notes;
  ASSERT_EQ(AudioUnitAddRenderNotify(u.unit, Note, &notes), noErr);
  Renderer r(256);
  EXPECT_EQ(r.Render(u.unit, 0, kAudioTimeStampHostTimeValid), kAudioUnitErr_InvalidPropertyValue);
  Renderer tooLong(1025);  // the block size is 1024
  EXPECT_EQ(tooLong.Render(u.unit, 0), kAudioUnitErr_InvalidPropertyValue);
  AudioTimeStamp stamp = {};
  stamp.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags action = 0;
  EXPECT_EQ(AudioUnitRender(u.unit, &action, &stamp, 1, 256, r.list_.List()), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(AudioUnitRender(u.unit, &action, nullptr, 0, 256, r.list_.List()), kAudioUnitErr_InvalidPropertyValue);
  r.list_.mNumberBuffers = 3;  // the bus has two channels
  r.list_.mBuffers[2] = {1, 256 * sizeof(float), nullptr};
  EXPECT_EQ(r.Render(u.unit, 0), kAudioUnitErr_InvalidPropertyValue);
  r.list_.mNumberBuffers = 2;
  r.list_.mBuffers[1].mDataByteSize = 100;  // less than 256 frames
  EXPECT_EQ(r.Render(u.unit, 0), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_TRUE(notes.flags.empty());
  EXPECT_EQ(u.Plug()->RenderTicks(), 0);
}

TEST(Render, RunsThePlugInOncePerCallWithNotificationsAroundIt) {
  AUTestUnit u;
  ASSERT_EQ(u.SetStereoOutput(), noErr);
  Notes notes;
  ASSERT_EQ(AudioUnitAddRenderNotify(u.unit, Note, &notes), noErr);
  Renderer r(512);
  EXPECT_EQ(r.Render(u.unit, 0), noErr);
  EXPECT_EQ(u.Plug()->RenderTicks(), 1);
  ASSERT_EQ(notes.flags.size(), 2u);
  EXPECT_EQ(notes.flags[0], kAudioUnitRenderAction_PreRender);
  EXPECT_EQ(notes.flags[1], kAudioUnitRenderAction_PostRender);
  for (float s : r.samples_) EXPECT_EQ(s, 0.0f);  // the plug-in writes silence
}

TEST(Render, RenderNotificationsKeepDuplicatesAndRemoveTheFirstByProcedure) {
  AUTestUnit u;
  ASSERT_EQ(u.SetStereoOutput(), noErr);
  Notes a, b;
  ASSERT_EQ(AudioUnitAddRenderNotify(u.unit, Note, &a), noErr);
  ASSERT_EQ(AudioUnitAddRenderNotify(u.unit, Note, &b), noErr);
  Renderer r(64);
  ASSERT_EQ(r.Render(u.unit, 0), noErr);
  EXPECT_EQ(a.flags.size(), 2u);
  EXPECT_EQ(b.flags.size(), 2u);
  // Removal compares the procedure only: the first entry (a) goes.
  ASSERT_EQ(AudioUnitRemoveRenderNotify(u.unit, Note, &b), noErr);
  ASSERT_EQ(AudioUnitRemoveRenderNotify(u.unit, OtherNote, nullptr), noErr);
  ASSERT_EQ(r.Render(u.unit, 64), noErr);
  EXPECT_EQ(a.flags.size(), 2u);
  EXPECT_EQ(b.flags.size(), 4u);
}

TEST(Render, TheSameTimeStampPullsInputsOnce) {
  AUTestUnit u;
  ASSERT_EQ(u.SetStereoOutput(), noErr);
  Pulls pulls;
  AURenderCallbackStruct callback{PullInput, &pulls};
  ASSERT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                                 sizeof callback),
            noErr);
  EXPECT_TRUE(u.Plug()->IsInChannelConnected(0));
  EXPECT_TRUE(u.Plug()->IsInChannelConnected(1));
  Renderer r(128);
  ASSERT_EQ(r.Render(u.unit, 0), noErr);
  ASSERT_EQ(r.Render(u.unit, 0), noErr);
  EXPECT_EQ(pulls.count, 1);
  ASSERT_EQ(r.Render(u.unit, 128), noErr);
  EXPECT_EQ(pulls.count, 2);
  EXPECT_EQ(u.Plug()->RenderTicks(), 3);
  // The global scope is no place for a render callback.
  EXPECT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Global, 0, &callback,
                                 sizeof callback),
            kAudioUnitErr_InvalidProperty);
}

TEST(Render, AFailingPullEndsTheCallWithItsCode) {
  AUTestUnit u;
  ASSERT_EQ(u.SetStereoOutput(), noErr);
  AURenderCallbackStruct callback{[](void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32,
                                     AudioBufferList*) -> OSStatus { return -1234; },
                                  nullptr};
  ASSERT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &callback,
                                 sizeof callback),
            noErr);
  Notes notes;
  ASSERT_EQ(AudioUnitAddRenderNotify(u.unit, Note, &notes), noErr);
  Renderer r(128);
  EXPECT_EQ(r.Render(u.unit, 0), -1234);
  EXPECT_EQ(u.Plug()->RenderTicks(), 0);
  ASSERT_EQ(notes.flags.size(), 1u);  // pre-render only
}

TEST(Render, AnUpstreamUnitOfThisFrameworkIsPulledThroughItsRenderProcedure) {
  AUTestUnit upstream, downstream;
  ASSERT_EQ(upstream.SetStereoOutput(), noErr);
  ASSERT_EQ(downstream.SetStereoOutput(), noErr);
  AudioUnitConnection connection{upstream.unit, 0, 0};
  ASSERT_EQ(AudioUnitSetProperty(downstream.unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0,
                                 &connection, sizeof connection),
            noErr);
  EXPECT_EQ(downstream.Plug()->GetBus(kAudioUnitScope_Input, 0)->mNHostChannels, 2);
  Renderer r(256);
  ASSERT_EQ(r.Render(downstream.unit, 0), noErr);
  EXPECT_EQ(upstream.Plug()->RenderTicks(), 1);
  EXPECT_EQ(downstream.Plug()->RenderTicks(), 1);
  connection.destInputNumber = 1;  // one input bus only
  EXPECT_EQ(AudioUnitSetProperty(downstream.unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0,
                                 &connection, sizeof connection),
            kAudioUnitErr_InvalidProperty);
}

// A host that wires units into a loop gets an error from the render call, not
// a render that pulls itself without end.
TEST(Render, AConnectionLoopIsRefusedAtRenderTime) {
  AUTestUnit first, second;
  ASSERT_EQ(first.SetStereoOutput(), noErr);
  ASSERT_EQ(second.SetStereoOutput(), noErr);
  AudioUnitConnection intoFirst{second.unit, 0, 0};
  AudioUnitConnection intoSecond{first.unit, 0, 0};
  ASSERT_EQ(AudioUnitSetProperty(first.unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &intoFirst,
                                 sizeof intoFirst),
            noErr);
  ASSERT_EQ(AudioUnitSetProperty(second.unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &intoSecond,
                                 sizeof intoSecond),
            noErr);
  Renderer r(64);
  EXPECT_EQ(r.Render(first.unit, 0), kAudioUnitErr_NoConnection);
  EXPECT_EQ(first.Plug()->RenderTicks(), 0);
  EXPECT_EQ(second.Plug()->RenderTicks(), 0);

  // Once the loop is undone the same units render again.
  AudioUnitConnection none{nullptr, 0, 0};
  ASSERT_EQ(AudioUnitSetProperty(second.unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &none,
                                 sizeof none),
            noErr);
  EXPECT_EQ(r.Render(first.unit, 64), noErr);
  EXPECT_EQ(first.Plug()->RenderTicks(), 1);
  EXPECT_EQ(second.Plug()->RenderTicks(), 1);
}

TEST(Render, AUnitConnectedToItselfIsRefusedAtRenderTime) {
  AUTestUnit u;
  ASSERT_EQ(u.SetStereoOutput(), noErr);
  AudioUnitConnection self{u.unit, 0, 0};
  ASSERT_EQ(
      AudioUnitSetProperty(u.unit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &self, sizeof self),
      noErr);
  Renderer r(64);
  EXPECT_EQ(r.Render(u.unit, 0), kAudioUnitErr_NoConnection);
  EXPECT_EQ(u.Plug()->RenderTicks(), 0);
}

struct Transport {
  Float64 tempo = 0;
  Float64 beat = 0;
  Float32 numerator = 0;
  UInt32 denominator = 0;
  Float64 downBeat = 0;
  Float64 sample = 0;
  Boolean playing = false;
};

HostCallbackInfo CallbacksFor(Transport& t) {
  return HostCallbackInfo{
      &t,
      [](void* self, Float64* beat, Float64* tempo) -> OSStatus {
        auto* t = static_cast<Transport*>(self);
        *beat = t->beat;
        *tempo = t->tempo;
        return noErr;
      },
      [](void* self, UInt32*, Float32* numerator, UInt32* denominator, Float64* downBeat) -> OSStatus {
        auto* t = static_cast<Transport*>(self);
        *numerator = t->numerator;
        *denominator = t->denominator;
        *downBeat = t->downBeat;
        return noErr;
      },
      [](void* self, Boolean* playing, Boolean*, Float64* sample, Boolean*, Float64*, Float64*) -> OSStatus {
        auto* t = static_cast<Transport*>(self);
        *playing = t->playing;
        *sample = t->sample;
        return noErr;
      }};
}

TEST(HostClock, CallbacksFeedTempoSignatureAndPosition) {
  AUTestUnit u;
  Transport t;
  t.tempo = 97.5;
  t.beat = 8.0;
  t.numerator = 6.0f;
  t.denominator = 8;
  t.downBeat = 6.0;
  t.sample = 1000.4;
  t.playing = true;
  const HostCallbackInfo callbacks = CallbacksFor(t);
  ASSERT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &callbacks,
                                 sizeof callbacks),
            noErr);
  EXPECT_EQ(u.Plug()->GetTempo(), 97.5);
  int numerator = 0, denominator = 0;
  u.Plug()->GetTimeSig(&numerator, &denominator);
  EXPECT_EQ(numerator, 6);
  EXPECT_EQ(denominator, 8);
  EXPECT_EQ(u.Plug()->GetSamplePos(), 1000);
  t.sample = 1000.5;
  EXPECT_EQ(u.Plug()->GetSamplePos(), 1001);

  ITimeInfo info;
  u.Plug()->GetTime(&info);
  EXPECT_EQ(info.mTempo, 97.5);
  EXPECT_EQ(info.mPPQPos, 8.0);
  EXPECT_EQ(info.mSamplePos, 1000.5);
  EXPECT_EQ(info.mLastBar, 6.0);
  EXPECT_TRUE(info.mTransportIsRunning);
  EXPECT_EQ(info.mCycleStart, -1.0);  // the host reported no cycle

  // A tempo of 0 keeps the last one the host reported.
  t.tempo = 0;
  EXPECT_EQ(u.Plug()->GetTempo(), 97.5);
  u.Plug()->GetTime(&info);
  EXPECT_EQ(info.mTempo, 97.5);  // the caller's value stays
}

}  // namespace
