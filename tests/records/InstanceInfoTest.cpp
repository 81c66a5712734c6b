#include "IModuleInstanceInfo.h"

#include <gtest/gtest.h>

TEST(ModuleInstanceInfo, CopiesCarryBothTextsIndependently) {
  IModuleInstanceInfo info;
  info.mBundleID.Set("com.Orvane.audiounit.Tavro Editor");
  info.mCocoaViewFactoryClassName.Set("Tavro_View");
  IModuleInstanceInfo copy(info);
  info.mBundleID.Set("changed");
  info.mCocoaViewFactoryClassName.Set("changed too");
  EXPECT_STREQ(copy.mBundleID.Get(), "com.Orvane.audiounit.Tavro Editor");
  EXPECT_STREQ(copy.mCocoaViewFactoryClassName.Get(), "Tavro_View");
}
