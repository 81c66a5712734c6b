// SysEx value resource and message templates.
#include <gtest/gtest.h>

#include "layout/ControlAction.h"
#include "layout/LayoutResource.h"
#include "layout/SysExValues.h"
#include "layout/UIConfigManager.h"

namespace {

using Messages = std::vector<std::vector<int>>;

Messages Calculate(const std::string& tmpl, int position, int count, int start, int part) {
  ControlActionSysExMessage record;
  record.messages = {{99}};
  UIConfigManager::calculateSysexWithChangingByte(tmpl, position, count, &record, start, part);
  return record.messages;
}

// The changing byte's value of each message.
std::vector<int> ValuesAt(const Messages& messages, int position) {
  std::vector<int> values;
  for (const auto& m : messages) values.push_back(m[size_t(position - 1)]);
  return values;
}

const std::string kNine = "F0 33 10 04 20 30 40 05 F7";

TEST(SysEx, ValueRunsWrapAt128AndStartMinusOneRepeatsTheTemplate) {
  const struct {
    int count, start;
    std::vector<int> values;
  } cases[] = {
      {3, 0, {0, 1, 2}},
      {4, 126, {126, 127, 0, 1}},
      {3, -1, {5, 5, 6}},
      {0, 4, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ValuesAt(Calculate(kNine, 8, c.count, c.start, -1), 8), c.values);
  const Messages wrapped = Calculate(kNine, 8, 130, 0, -1);
  EXPECT_EQ(wrapped[128][7], 0);
  EXPECT_EQ(wrapped[129][7], 1);
  // Only the changing byte differs from the template.
  const Messages three = Calculate(kNine, 8, 3, 0, -1);
  for (const auto& m : three)
    EXPECT_EQ(std::vector<int>(m.begin(), m.begin() + 7), (std::vector<int>{0xF0, 0x33, 0x10, 4, 0x20, 0x30, 0x40}));
}

TEST(SysEx, ThePartGoesIntoElementSixUnlessTheValueTakesIt) {
  for (const auto& m : Calculate(kNine, 8, 3, 0, 2)) EXPECT_EQ(m[6], 2);
  EXPECT_EQ(ValuesAt(Calculate(kNine, 7, 3, 10, 2), 7), (std::vector<int>{10, 11, 12}));
  // start -1 leaves the first message as the template, part and all.
  EXPECT_EQ(Calculate(kNine, 8, 2, -1, 3)[0][6], 0x40);
}

TEST(SysEx, TemplatesThatCannotCarryTheValueMakeNoMessages) {
  const struct {
    std::string tmpl;
    int position, part;
  } bad[] = {{kNine, 0, -1}, {kNine, 10, -1}, {"", 1, -1}, {"F0 01 02 03 F7", 3, 0}, {"F0 01 02 03 04 05", 2, 1}};
  for (const auto& b : bad) {
    EXPECT_NE(SysExTemplateProblem(convertStringSysextoVector(b.tmpl), b.position, b.part), "") << b.tmpl;
    EXPECT_TRUE(Calculate(b.tmpl, b.position, 3, 0, b.part).empty()) << b.tmpl;
  }
  EXPECT_EQ(SysExTemplateProblem(convertStringSysextoVector("F0 01 02 03 04 05 06"), 7, 0), "");
}

TEST(SysEx, TokensAndHexBytes) {
  std::vector<std::string> tokens{"kept"};
  UIConfigManager::Tokenize("  one  two  ", tokens, " ");
  EXPECT_EQ(tokens, (std::vector<std::string>{"kept", "one", "two"}));
  tokens.clear();
  UIConfigManager::Tokenize(",,,", tokens, ",");
  EXPECT_TRUE(tokens.empty());
  EXPECT_EQ(UIConfigManager::convertStringSysextoVector("1F 7F1 zz 0a G1 FFFFFFFFFFFF"),
            (std::vector<int>{31, 2033, 0, 10, 0, 0xFFFFFFF}));
}

TEST(SysEx, ContainersReadEveryFollowingSiblingAndSkipComments) {
  const std::string text =
      "<sysexlist><!-- c -->"
      "<sysex><values><value>A</value><!-- c --><value/><other>B</other></values>"
      "<values><multivalue><value>m1</value><value/></multivalue><multivalue/></values></sysex>"
      "<anything><values><value>C</value></values></anything>"
      "<sysex/></sysexlist>";
  auto document = ParseLayoutText(text);
  const std::vector<SysExContainer> c = ReadSysExContainers(document->FirstChildElement("sysexlist"));
  ASSERT_EQ(c.size(), 3u);
  ASSERT_EQ(c[0].singleValues.size(), 1u);
  EXPECT_EQ(c[0].singleValues[0], (Values{"A", " ", "B"}));
  ASSERT_EQ(c[0].multiValues.size(), 1u);
  EXPECT_EQ(c[0].multiValues[0], (std::vector<Values>{{"m1"}, {}}));
  EXPECT_TRUE(c[0].hasMulti);
  EXPECT_EQ(c[1].singleValues[0], (Values{"C"}));
  EXPECT_TRUE(c[2].singleValues.empty());
  std::string tmpl;
  EXPECT_TRUE(SysExTemplateOf(c, 1, &tmpl));
  EXPECT_EQ(tmpl, "C");
  EXPECT_FALSE(SysExTemplateOf(c, 2, &tmpl));
  EXPECT_FALSE(SysExTemplateOf(c, 3, &tmpl));
  EXPECT_TRUE(ReadSysExContainers(nullptr).empty());
}

TEST(SysEx, CopyIntVectorAppends) {
  std::vector<int> to{1};
  const std::vector<int> from{2, 3};
  UIConfigManager::copyIntVector(&from, &to);
  EXPECT_EQ(to, (std::vector<int>{1, 2, 3}));
}

}  // namespace
