#include <gtest/gtest.h>

#include "editor/librarian/BankListTexts.h"

namespace {

const std::string k40(40, 'a');

TEST(BankListTexts, ShortNamesStayLongOnesAreNumberedByTheirFirst40) {
  struct Case {
    const char* name;
    std::vector<std::string> in;
    std::vector<std::string> out;
  };
  const Case cases[] = {
      {"40 stays, 41 without a dot: the whole name", {k40, k40 + "B"}, {k40, (k40 + "~1." + k40 + "b").substr(0, 55)}},
      {"running numbers",
       {k40 + "x.NL2", k40 + "y.nl2", std::string(40, 'c') + ".syx", k40 + "z.Mid"},
       {k40 + "~1.nl2", k40 + "~2.nl2", std::string(40, 'c') + "~1.syx", k40 + "~1.mid"}},
      {"extension after the last dot in lower case", {k40 + ".b.C.SYX"}, {k40 + "~1.syx"}},
      {"a letter the cut would split is left out whole",
       {std::string(39, 'p') + "\xC3\x9C" + "ber.NL2", std::string(39, 'p') + "\xC3\x9C" + "x.nl2",
        std::string(40, 'e') + "." + std::string(11, 'x') + "\xC3\x9C"},
       {std::string(39, 'p') + "~1.nl2", std::string(39, 'p') + "~2.nl2",
        std::string(40, 'e') + "~1." + std::string(11, 'x')}},
      {"short names between keep the count",
       {k40 + "1.x", "short.nl2", k40 + "2.x"},
       {k40 + "~1.x", "short.nl2", k40 + "~2.x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(BankListTexts(c.in), c.out);
  }
}

TEST(BankListTexts, TextsNeverPassTheDisplayEntryAndShorteningIsReported) {
  std::vector<std::pair<std::string, std::string>> reported;
  const std::vector<std::string> texts =
      BankListTexts({k40 + std::string(30, 'Q'), k40 + "." + std::string(30, 'E'), "x.nl2"},
                    [&](const std::string& full, const std::string& text) {
                      reported.push_back({full, text});
                    });
  ASSERT_EQ(texts.size(), 3u);
  for (const std::string& text : texts) EXPECT_LE(text.size(), kBankListTextLength);
  EXPECT_EQ(texts[0], (k40 + "~1." + k40 + std::string(30, 'q')).substr(0, 55));
  EXPECT_EQ(texts[1], (k40 + "~2." + std::string(30, 'e')).substr(0, 55));
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_EQ(reported[1].second, texts[1]);
}

}  // namespace
