// The Component Manager stand-in: argument words and instance records.

#include <gtest/gtest.h>

#include "AudioUnitAPI.h"

namespace {

ComponentParameters lastCall;
void* lastStorage = nullptr;

ComponentResult Recorder(ComponentParameters* params, void* storage) {
  lastCall = *params;
  lastStorage = storage;
  if (params->what == kComponentOpenSelect) {
    SetComponentInstanceStorage(ComponentArgument<ComponentInstance>(*params, 0), &lastCall);
    return noErr;
  }
  return params->what == 99 ? -99 : noErr;
}

TEST(ComponentManager, FourCharacterCodesPackTheFirstCharacterHighest) {
  EXPECT_EQ(FourCC("tvrq"), 0x74767271u);
  EXPECT_EQ(FourCC("aumu"), 0x61756D75u);
  static_assert(FourCC("Orv1") == 0x4F727631u, "compile-time code");
}

TEST(ComponentManager, ArgumentsTravelLastFirstAndReadBackTyped) {
  const ComponentRecord record{{1, 2, 3, 0, 0}, &Recorder};
  ComponentInstance instance = nullptr;
  ASSERT_EQ(OpenAComponent(&record, &instance), noErr);
  EXPECT_EQ(GetComponentInstanceStorage(instance), &lastCall);
  int marker = 0;
  EXPECT_EQ(CallComponent(instance, 42, SInt16(-3), 2.5f, &marker, UInt32(0xFFFFFFFFu)), noErr);
  EXPECT_EQ(lastStorage, &lastCall);
  EXPECT_EQ(lastCall.what, 42);
  EXPECT_EQ(ComponentArgumentCount(lastCall), 4);
  EXPECT_EQ(lastCall.params[3], uintptr_t(intptr_t(-3)));  // the first argument is stored last
  EXPECT_EQ(ComponentArgument<SInt16>(lastCall, 0), -3);
  EXPECT_EQ(ComponentArgument<Float32>(lastCall, 1), 2.5f);
  EXPECT_EQ(ComponentArgument<int*>(lastCall, 2), &marker);
  EXPECT_EQ(ComponentArgument<UInt32>(lastCall, 3), 0xFFFFFFFFu);
  EXPECT_EQ(ComponentArgument<UInt32>(lastCall, 4), 0u);  // beyond what was passed
  EXPECT_EQ(CallComponent(instance, 99), -99);
  ComponentDescription d{};
  EXPECT_EQ(GetComponentInfo(instance, &d), noErr);
  EXPECT_EQ(d.componentSubType, 2u);
  EXPECT_EQ(CloseComponent(instance), noErr);
  EXPECT_EQ(lastCall.what, kComponentCloseSelect);
}

TEST(ComponentManager, NullInstancesAreRefused) {
  ComponentDescription d{};
  EXPECT_EQ(GetComponentInfo(nullptr, &d), invalidComponentID);
  EXPECT_EQ(CloseComponent(nullptr), badComponentInstance);
  EXPECT_EQ(CallComponent(nullptr, 1), badComponentInstance);
  ComponentInstance out = reinterpret_cast<ComponentInstance>(0x1);
  EXPECT_EQ(OpenAComponent(nullptr, &out), invalidComponentID);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(GetComponentInstanceStorage(nullptr), nullptr);
}

}  // namespace
