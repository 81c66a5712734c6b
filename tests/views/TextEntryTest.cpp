#include <gtest/gtest.h>

#include "views/View_CarbonRules.h"
#include "views/View_TextEntry.h"

namespace {

ViewKeyEvent Char(const char* s) {
  ViewKeyEvent k;
  k.characters = s;
  return k;
}

ViewKeyEvent Code(int code, const char* s = "") {
  ViewKeyEvent k;
  k.keyCode = code;
  k.characters = s;
  return k;
}

TEST(ViewTextEntry, TypingAppendsAndReturnEnds) {
  ViewTextEntry e({});
  EXPECT_FALSE(e.HandleKey(Char("a")));
  EXPECT_FALSE(e.HandleKey(Char("\xC3\xA9")));
  EXPECT_EQ(e.Text(), "a\xC3\xA9");
  EXPECT_TRUE(e.HandleKey(Code(kViewKeyReturn, "\r")));
  EXPECT_EQ(e.Text(), "a\xC3\xA9");
}

TEST(ViewTextEntry, BackspaceRemovesWholeCharacters) {
  ViewTextEntrySpec request;
  request.text = "x\xE2\x82\xAC";
  ViewTextEntry e(request);
  e.HandleKey(Code(kViewKeyBackspace, "\x08"));
  EXPECT_EQ(e.Text(), "x");
  e.HandleKey(Code(kViewKeyBackspace, "\x08"));
  e.HandleKey(Code(kViewKeyBackspace, "\x08"));
  EXPECT_EQ(e.Text(), "");
}

TEST(ViewTextEntry, SelectedInitialTextIsReplacedByTyping) {
  ViewTextEntrySpec request;
  request.text = "Init";
  request.selectAll = true;
  ViewTextEntry e(request);
  EXPECT_TRUE(e.AllSelected());
  e.HandleKey(Char("B"));
  EXPECT_EQ(e.Text(), "B");
  EXPECT_FALSE(e.AllSelected());
}

TEST(ViewTextEntry, ArrowKeepsTheTextAndDropsTheSelection) {
  ViewTextEntrySpec request;
  request.text = "Init";
  request.selectAll = true;
  ViewTextEntry e(request);
  e.HandleKey(Code(kViewKeyLeft));
  e.HandleKey(Char("s"));
  EXPECT_EQ(e.Text(), "Inits");
}

TEST(ViewTextEntry, FilterSeesTheProposedTextAndCanRefuse) {
  std::string seenCurrent, seenProposed;
  ViewTextEntrySpec request;
  request.text = "12";
  request.filter = [&](const ViewKeyEvent& key, const std::string& current, const std::string& proposed) {
    seenCurrent = current;
    seenProposed = proposed;
    if (key.keyCode == kViewKeyReturn) return ViewEntryVerdict::Commit;
    return proposed.size() <= 3 ? ViewEntryVerdict::Insert : ViewEntryVerdict::Refuse;
  };
  ViewTextEntry e(request);
  e.HandleKey(Char("3"));
  EXPECT_EQ(seenCurrent, "12");
  EXPECT_EQ(seenProposed, "123");
  e.HandleKey(Char("4"));
  EXPECT_EQ(e.Text(), "123");
  EXPECT_TRUE(e.HandleKey(Code(kViewKeyReturn, "\r")));
}

TEST(ViewTextEntry, InsertVerdictOnAControlKeyAddsNothing) {
  ViewTextEntrySpec request;
  request.text = "ab";
  request.filter = [](const ViewKeyEvent&, const std::string&, const std::string&) { return ViewEntryVerdict::Insert; };
  ViewTextEntry e(request);
  EXPECT_FALSE(e.HandleKey(Code(kViewKeyReturn, "\r")));
  EXPECT_EQ(e.Text(), "ab");
}

// Escape, Tab, control letters and delete typed as characters: no entry takes them,
// whatever its own rules would let in.
TEST(ViewTextEntry, ControlCharactersNeverGoIntoAnyEntry) {
  struct Entry {
    const char* what;
    ViewEntryFilter filter;
  };
  const Entry entries[] = {{"plain", nullptr},
                           {"name", CarbonEntryFilter(5, 10)},
                           {"number", CarbonEntryFilter(2, 16)},
                           {"parameterless", CarbonEntryFilter(-1, 16)}};
  const ViewKeyEvent keys[] = {Code(kViewKeyEscape, "\x1b"), Code(kViewKeyTab, "\t"), Char("\x01"), Char("\x7f"),
                               Char("a\x1f")};
  for (const Entry& entry : entries)
    for (const ViewKeyEvent& key : keys) {
      SCOPED_TRACE(testing::Message() << entry.what << " key " << key.keyCode << " char " << int(key.characters[0]));
      ViewTextEntrySpec request;
      request.text = "12";
      request.filter = entry.filter;
      ViewTextEntry e(request);
      EXPECT_FALSE(e.HandleKey(key));
      EXPECT_EQ(e.Text(), "12");
    }
}

// A name at its full length, all selected as the entry opens it: typing replaces it.
TEST(ViewTextEntry, AFullLengthNameCanBeTypedOverButNotLengthened) {
  ViewTextEntrySpec request;
  request.text = "Slot Patch";
  request.selectAll = true;
  request.filter = CarbonEntryFilter(5, 10);
  ViewTextEntry e(request);
  e.HandleKey(Char("P"));
  e.HandleKey(Char("a"));
  EXPECT_EQ(e.Text(), "Pa");

  request.text = "Slot Patch";
  ViewTextEntry full(request);
  full.HandleKey(Code(kViewKeyRight));  // the selection goes: the name stays whole
  full.HandleKey(Char("x"));
  EXPECT_EQ(full.Text(), "Slot Patch");
}

TEST(ViewTextEntry, DefaultVerdicts) {
  EXPECT_EQ(ViewDefaultEntryVerdict(Code(kViewKeyEnter, "\x03")), ViewEntryVerdict::Commit);
  EXPECT_EQ(ViewDefaultEntryVerdict(Code(kViewKeyForwardDelete, "\x7f")), ViewEntryVerdict::Edit);
  EXPECT_EQ(ViewDefaultEntryVerdict(Code(kViewKeyNone, "")), ViewEntryVerdict::Refuse);
  EXPECT_EQ(ViewDefaultEntryVerdict(Char("q")), ViewEntryVerdict::Insert);
}

}  // namespace
