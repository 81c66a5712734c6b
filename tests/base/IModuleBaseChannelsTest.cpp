#include <gtest/gtest.h>

#include <vector>

#include "BaseTestPlug.h"

TEST(IModuleBaseChannels, ConnectionsAreLimitedToTheChannels) {
  BaseTestPlug plug(1, 1, "2-2");
  plug.SetInputChannelConnections(1, 5, true);
  EXPECT_FALSE(plug.IsInChannelConnected(0));
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_FALSE(plug.IsOutChannelConnected(7));
  EXPECT_FALSE(plug.IsOutChannelConnected(-1));
}

TEST(IModuleBaseChannels, DoublePassThroughCopiesAndSilences) {
  BaseTestPlug plug(1, 1, "1-2");
  plug.SetBlockSize(4);
  plug.SetInputChannelConnections(0, 1, true);
  plug.SetOutputChannelConnections(0, 2, true);
  std::vector<double> in = {1, 2, 3, 4};
  std::vector<double> out0(4, 9), out1(4, 9);
  double* ins[] = {in.data()};
  double* outs[] = {out0.data(), out1.data()};
  plug.AttachInputBuffers(0, 1, ins, 4);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.PassThroughBuffers(0.0, 4);
  EXPECT_EQ(out0, in);
  EXPECT_EQ(out1, std::vector<double>(4, 0.0));
}

TEST(IModuleBaseChannels, BuffersGoToConnectedChannelsOnly) {
  BaseTestPlug plug(1, 1, "2-2");
  plug.SetBlockSize(3);
  plug.SetInputChannelConnections(0, 1, false);
  plug.SetInputChannelConnections(1, 1, true);
  plug.SetOutputChannelConnections(0, 2, true);
  std::vector<double> in = {5, 6, 7};
  std::vector<double> out0(3, 9), out1(3, 9);
  double* ins[] = {in.data()};
  double* outs[] = {out0.data(), out1.data()};
  plug.AttachInputBuffers(0, 2, ins, 3);  // the one buffer goes to channel 1
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0, 3);
  EXPECT_EQ(out0, std::vector<double>(3, 0.0));  // channel 0 reads its zeroed scratch
  EXPECT_EQ(out1, in);
}

TEST(IModuleBaseChannels, FloatBuffersGoThroughTheScratch) {
  BaseTestPlug plug(1, 1, "2-2");
  plug.SetBlockSize(4);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  std::vector<float> in0 = {1, 2, 3, 4}, in1 = {-1, -2, -3, -4};
  std::vector<float> out0(4, 0), out1(4, 10);
  float* ins[] = {in0.data(), in1.data()};
  float* outs[] = {out0.data(), out1.data()};
  plug.AttachInputBuffers(0, 2, ins, 4);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(out0, in0);
  EXPECT_EQ(out1, in1);
  plug.ProcessBuffersAccumulating(0.0f, 4);
  EXPECT_EQ(out0, (std::vector<float>{2, 4, 6, 8}));
}

TEST(IModuleBaseChannels, LongerBlockThanAnnouncedStaysInBounds) {
  BaseTestPlug plug(1, 1, "2-2");
  plug.SetBlockSize(2);
  plug.SetOutputChannelConnections(0, 2, true);
  std::vector<float> out0(64, 5), out1(64, 5);
  float* outs[] = {out0.data(), out1.data()};
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0f, 64);  // inputs unconnected: silence
  EXPECT_EQ(out0, std::vector<float>(64, 0.0f));
  EXPECT_EQ(out1, std::vector<float>(64, 0.0f));
}

TEST(IModuleBaseChannels, SingleReplacingCopies) {
  BaseTestPlug plug(1, 1, "1-2");
  std::vector<float> in = {1, 2}, out0(2, 7), out1(2, 7);
  float* ins[] = {in.data()};
  float* outs[] = {out0.data(), out1.data()};
  plug.ProcessSingleReplacing(ins, outs, 2);
  EXPECT_EQ(out0, in);
  EXPECT_EQ(out1, std::vector<float>(2, 0.0f));
}

TEST(IModuleBaseChannels, BlockSizeZeroesScratch) {
  BaseTestPlug plug(1, 1, "2-2");
  plug.SetBlockSize(8);
  EXPECT_EQ(plug.GetBlockSize(), 8);
  plug.SetBlockSize(8);
  EXPECT_EQ(plug.GetBlockSize(), 8);
  plug.SetBlockSize(-1);
  EXPECT_EQ(plug.GetBlockSize(), 8);
}

TEST(IModuleBaseChannels, ChannelLabels) {
  BaseTestPlug plug(1, 1, "2-2");
  plug.SetInputLabel(1, "Right");
  plug.SetInputLabel(2, "ignored");
  plug.SetOutputLabel(-1, "ignored");
  plug.SetOutputLabel(0, "Left out");
  EXPECT_STREQ(plug.GetInputLabel(1), "Right");
  EXPECT_STREQ(plug.GetInputLabel(2), "");
  EXPECT_STREQ(plug.GetOutputLabel(0), "Left out");
}

TEST(IModuleBaseChannels, BusLabels) {
  BaseTestPlug plug(1, 1, "2-2");
  plug.SetInputBusLabel(2, "ignored");
  EXPECT_EQ(plug.GetInputBusLabel(2), nullptr);
  plug.SetInputBusLabel(0, "main");
  plug.SetInputBusLabel(0, "main input");
  EXPECT_STREQ(plug.GetInputBusLabel(0), "main input");
  plug.SetOutputBusLabel(5, "far");  // past the end: appended
  EXPECT_STREQ(plug.GetOutputBusLabel(0), "far");
  plug.SetOutputBusLabel(-1, "ignored");
  EXPECT_EQ(plug.GetOutputBusLabel(1), nullptr);
}

TEST(IModuleBaseChannels, LimitToStereo) {
  BaseTestPlug plug(1, 1, "4-4");
  plug.SetInputChannelConnections(0, 4, true);
  plug.LimitToStereoIO();
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_FALSE(plug.IsOutChannelConnected(1));
  EXPECT_TRUE(plug.IsOutChannelConnected(3));
}
