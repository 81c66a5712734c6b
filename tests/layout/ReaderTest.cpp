// Reading the enciphered resources: start-up order, deciphering, value lists, and
// resources that are missing, enciphered under another key or broken.
#include <gtest/gtest.h>

#include "LayoutTestSupport.h"
#include "layout/LayoutResource.h"
#include "tea.h"

namespace {

const char* kKnob =
    "<knobcontrol type=\"ccKnob\" name=\"Cutoff\" paramId=\"kFilterCutoff\" position=\"10,20\" "
    "imageId=\"KNOB_ID_127\" valueBounds=\"64,0,127,1\" ccNumber=\"74\" channel=\"1\"/>";

TEST(Reader, CleanStartUpWritesTheSixLinesInOrderAndBuilds) {
  LayoutFixture f;
  f.Read(Layout(kKnob));
  EXPECT_EQ(f.log, (std::vector<std::string>{
                       "CONFIG READER: Started to read SysEx Data...",
                       "CONFIG READER: Completed reading SysEx data!",
                       "CONFIG READER: Started to read image resources...",
                       "CONFIG READER: Completed!",
                       "CONFIG READER: Started to initialize parameters...",
                       "CONFIG READER: Completed!",
                   }));
  EXPECT_NE(f.First(0), nullptr);
  EXPECT_EQ(f.manager->getSysExContainers().size(), 3u);
}

TEST(Reader, DecipheringRoundsUpToWholeBlocksWithTheBuffersZeroFill) {
  for (int length : {1, 7, 8, 9, 15, 16}) {
    SCOPED_TRACE(length);
    std::vector<unsigned char> plain(size_t(length), 'a');
    std::vector<unsigned char> cipher = EncipherPadded(plain, kResourceKey);
    // The loader's buffer: the file's bytes, then zeros.
    std::vector<unsigned char> buffer(cipher.begin(), cipher.begin() + length);
    buffer.resize(cipher.size() + 8, 0);
    const std::string text = DecipherResourceText(buffer.data(), length, kResourceKey);
    EXPECT_EQ(text.size(), size_t((length + 7) / 8 * 8));
    EXPECT_EQ(text.substr(0, size_t(length / 8 * 8)), std::string(size_t(length / 8 * 8), 'a'));
  }
  EXPECT_EQ(DecipherResourceText(nullptr, 8, kResourceKey), "");
  unsigned char one[8] = {};
  EXPECT_EQ(DecipherResourceText(one, 0, kResourceKey), "");
}

TEST(Reader, AZeroByteEndsTheTextForTheParser) {
  LayoutFixture f;
  std::string text = Layout(kKnob);
  text += std::string(1, '\0') + "<uiconfig><broken";
  f.Read(text);
  EXPECT_NE(f.First(0), nullptr);
  EXPECT_FALSE(f.Logged("uiconfig.tea:"));
}

TEST(Reader, AResourceIsCutAtTheLoadersCapacity) {
  LayoutBundle bundle;
  bundle.WriteRaw("big.tea", std::vector<unsigned char>(IGraphicsMac::kMaxFileSize + 100, 0x41));
  PanelPlug plug(4);
  IGraphicsMac graphics(&plug, 10, 10, 25);
  graphics.SetBundleID(bundle.ID());
  std::string text;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(LoadResourceText(&graphics, 0, "resources/big.tea", ConfigLog(), &text));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(text.size(), size_t(IGraphicsMac::kMaxFileSize));
}

TEST(Reader, ValueListsSkipCommentsAndStrangersAndALaterListWins) {
  LayoutFixture f;
  f.Read(
      Layout("<valueLists>"
             "<!-- note --><list name=\"w\"><value>old</value></list>"
             "<list name=\"w\"><value>Saw</value><!-- c --><other>x</other><value> Sq </value><value/></list>"
             "<list><value>anon</value></list><stranger/>"
             "</valueLists>"));
  EXPECT_EQ(f.manager->getValueList("w"), (std::vector<std::string>{"Saw", " Sq ", ""}));
  EXPECT_EQ(f.manager->getValueList(""), (std::vector<std::string>{"anon"}));
  EXPECT_TRUE(f.manager->getValueList("never").empty());
  // Strangers are passed over without a word; only the nameless list is told.
  EXPECT_FALSE(f.Logged("is not a value"));
  EXPECT_FALSE(f.Logged("is not a list"));
  EXPECT_TRUE(f.Logged("a list without \"name\" is read as the list \"\""));
}

// Each fault leaves the panel without the resource's controls and says so once.
TEST(Reader, MissingForeignKeyBrokenOrRootlessResourcesBuildNothingAndSaySo) {
  struct Case {
    const char* what;
    std::function<void(LayoutBundle&)> write;
    const char* logged;
  };
  const std::string good = Layout(kKnob);
  const std::vector<Case> cases = {
      {"missing", [](LayoutBundle&) {}, "resource resources/uiconfig.tea could not be loaded"},
      {"foreign key",
       [&](LayoutBundle& b) {
         const uint32_t other[4] = {1, 2, 3, 4};
         b.WriteRaw("uiconfig.tea", EncipherPadded(std::vector<unsigned char>(good.begin(), good.end()), other));
       },
       "resources/uiconfig.tea: Error=XML_ERROR"},
      {"parse error", [](LayoutBundle& b) { b.WriteResource("uiconfig.tea", "<uiconfig>\n<knobcontrol"); },
       "Line number=2"},
      {"no root", [](LayoutBundle& b) { b.WriteResource("uiconfig.tea", "<other/>"); }, "has no \"uiconfig\" element"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LayoutFixture f;
    c.write(f.bundle);
    f.Read("", "");
    EXPECT_TRUE(f.Logged(c.logged)) << ::testing::PrintToString(f.log);
    EXPECT_EQ(f.graphics->NControls(), 0);
    EXPECT_TRUE(f.Logged("resource resources/sysex.tea could not be loaded"));
  }
}

TEST(Reader, AMissingSysExResourceStillBuildsTheLayout) {
  LayoutFixture f;
  f.Read(Layout(kKnob), "");
  EXPECT_TRUE(f.Logged("sysex.tea could not be loaded"));
  EXPECT_NE(f.First(0), nullptr);
  EXPECT_TRUE(f.manager->getSysExContainers().empty());
}

}  // namespace
