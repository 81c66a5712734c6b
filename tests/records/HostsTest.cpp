#include "Framework/Hosts.h"

#include <gtest/gtest.h>

#include <string>

TEST(LookUpHost, LowerCasesBeforeMatching) {
  EXPECT_EQ(LookUpHost("com.apple.logic10"), kHostLogic);
  EXPECT_EQ(LookUpHost("Steinberg CUBASE 5"), kHostCubase);
  EXPECT_EQ(LookUpHost("org.example.REAPER"), kHostReaper);
}

TEST(LookUpHost, FirstKeyInTheListWins) {
  // "live" is tested before "logic", "cubase" before "nuendo" and "reaper".
  EXPECT_EQ(LookUpHost("logic live bridge"), kHostLive);
  EXPECT_EQ(LookUpHost("nuendo with cubase inside"), kHostCubase);
  EXPECT_EQ(LookUpHost("reaper-nuendo"), kHostReaper);
  EXPECT_EQ(LookUpHost("digital protools"), kHostDigitalPerformer);
  EXPECT_EQ(LookUpHost("ardour standalone"), kHostArdour);
}

TEST(LookUpHost, NoKeyOrNoNameIsUnknown) {
  EXPECT_EQ(LookUpHost(""), kHostUnknown);
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
  EXPECT_EQ(LookUpHost("com.example.someDAW"), kHostUnknown);
}

TEST(LookUpHost, OnlyTheFirst255CharactersCount) {
  const std::string padding(250, 'x');
  EXPECT_EQ(LookUpHost((padding + "logic").c_str()), kHostLogic);
  EXPECT_EQ(LookUpHost((padding + "xlogic").c_str()), kHostUnknown);
  EXPECT_EQ(LookUpHost((std::string(100000, 'y') + "reaper").c_str()), kHostUnknown);
}

TEST(GetHostNameStr, ValuesWithoutAHostAreUnknown) {
  char buf[kHostNameBufferSize];
  for (int other : {-1, 0, 10, 11, 12, 19, 29, 1000}) {
    GetHostNameStr(EHost(other), buf);
    EXPECT_STREQ(buf, "Unknown") << other;
  }
}

TEST(GetHostNameStr, NamesRoundTripThroughLookUpWhereTheyMatchAKey) {
  char buf[kHostNameBufferSize];
  for (EHost host :
       {kHostReaper, kHostCubase, kHostNuendo, kHostSamplitude, kHostLive, kHostAULab, kHostForte, kHostChainer,
        kHostAudition, kHostOrion, kHostSAWStudio, kHostLogic, kHostGarageBand, kHostDigitalPerformer, kHostStandalone,
        kHostAudioMulch, kHostVST3PluginTestHost, kHostArdour, kHostProTools}) {
    GetHostNameStr(host, buf);
    EXPECT_EQ(LookUpHost(buf), host) << buf;
  }
}
