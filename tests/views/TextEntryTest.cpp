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

// Left drops the selection to its start, Right to its end, as the platform's fields do.
TEST(ViewTextEntry, ArrowKeepsTheTextAndDropsTheSelection) {
  ViewTextEntrySpec request;
  request.text = "Init";
  request.selectAll = true;
  ViewTextEntry e(request);
  e.HandleKey(Code(kViewKeyLeft));
  e.HandleKey(Char("s"));
  EXPECT_EQ(e.Text(), "sInit");
  ViewTextEntry f(request);
  f.HandleKey(Code(kViewKeyRight));
  f.HandleKey(Char("s"));
  EXPECT_EQ(f.Text(), "Inits");
}

ViewKeyEvent Control(const char* s) {
  ViewKeyEvent k = Char(s);
  k.mods.control = true;
  return k;
}

// The caret keys move through whole characters; typing goes in at the caret.
TEST(ViewTextEntry, CaretKeysMoveAndTypingGoesInAtTheCaret) {
  ViewTextEntrySpec request;
  request.text = "B\xC3\xA9nk";  // "Bénk": é is two bytes
  ViewTextEntry e(request);
  EXPECT_EQ(e.Caret(), 5u);
  e.HandleKey(Code(kViewKeyLeft));
  e.HandleKey(Code(kViewKeyLeft));
  EXPECT_EQ(e.Caret(), 3u);
  e.HandleKey(Code(kViewKeyLeft));
  EXPECT_EQ(e.Caret(), 1u) << "over the whole of \"é\"";
  e.HandleKey(Char("a"));
  EXPECT_EQ(e.Text(), "Ba\xC3\xA9nk");
  e.HandleKey(Code(kViewKeyHome));
  e.HandleKey(Char("-"));
  e.HandleKey(Code(kViewKeyEnd));
  e.HandleKey(Char("s"));
  EXPECT_EQ(e.Text(), "-Ba\xC3\xA9nks");
  e.HandleKey(Code(kViewKeyUp));
  EXPECT_EQ(e.Caret(), 0u);
  e.HandleKey(Code(kViewKeyLeft));
  EXPECT_EQ(e.Caret(), 0u) << "nothing before the start";
  e.HandleKey(Code(kViewKeyDown));
  e.HandleKey(Code(kViewKeyRight));
  EXPECT_EQ(e.Caret(), e.Text().size()) << "nothing after the end";
}

// Backspace takes the character before the caret, Delete the one after it.
TEST(ViewTextEntry, BackspaceAndDeleteWorkAtTheCaret) {
  ViewTextEntrySpec request;
  request.text =
      "ab\xE2\x82\xAC"
      "cd";
  ViewTextEntry e(request);
  for (int i = 0; i < 3; ++i) e.HandleKey(Code(kViewKeyLeft));
  e.HandleKey(Code(kViewKeyForwardDelete, "\x7f"));
  EXPECT_EQ(e.Text(), "abcd") << "the euro sign after the caret, whole";
  e.HandleKey(Code(kViewKeyBackspace, "\x08"));
  EXPECT_EQ(e.Text(), "acd");
  EXPECT_EQ(e.Caret(), 1u);
  e.HandleKey(Code(kViewKeyEnd));
  e.HandleKey(Code(kViewKeyForwardDelete, "\x7f"));
  EXPECT_EQ(e.Text(), "acd") << "nothing after the end";
  e.HandleKey(Code(kViewKeyHome));
  e.HandleKey(Code(kViewKeyBackspace, "\x08"));
  EXPECT_EQ(e.Text(), "acd") << "nothing before the start";
}

// Select-all selects the whole text; typing replaces it, Delete removes it, and
// the filter judges the text that would stay.
TEST(ViewTextEntry, SelectAllThenTypingOrDeleteReplacesTheText) {
  ViewTextEntrySpec request;
  request.text = "/home/someone/Old.syx";
  ViewTextEntry e(request);
  EXPECT_FALSE(e.HandleKey(Control("\x01")));  // Control-A as the X server gives it
  EXPECT_TRUE(e.AllSelected());
  EXPECT_EQ(e.Text(), "/home/someone/Old.syx");
  e.HandleKey(Char("/"));
  e.HandleKey(Char("x"));
  EXPECT_EQ(e.Text(), "/x");
  ViewKeyEvent commandA = Char("a");
  commandA.mods.command = true;
  e.HandleKey(commandA);
  EXPECT_TRUE(e.AllSelected());
  e.HandleKey(Code(kViewKeyForwardDelete, "\x7f"));
  EXPECT_EQ(e.Text(), "");

  request.text = "Slot Patch";
  request.filter = CarbonEntryFilter(5, 10);
  ViewTextEntry full(request);
  full.HandleKey(Control("a"));
  full.HandleKey(Char("P"));
  EXPECT_EQ(full.Text(), "P") << "a full-length name typed over";
  EXPECT_FALSE(full.AllSelected());
}

// The length limit counts the whole text with the typed character in the middle.
TEST(ViewTextEntry, TypingInTheMiddleKeepsTheLengthLimit) {
  ViewTextEntrySpec request;
  request.text = "Slot Patc";
  request.filter = CarbonEntryFilter(5, 10);
  ViewTextEntry e(request);
  e.HandleKey(Code(kViewKeyHome));
  e.HandleKey(Char("X"));
  EXPECT_EQ(e.Text(), "XSlot Patc");
  e.HandleKey(Char("Y"));
  EXPECT_EQ(e.Text(), "XSlot Patc");
  e.HandleKey(Char("\xC3\xA9"));  // 7-bit names only
  EXPECT_EQ(e.Text(), "XSlot Patc");
  e.HandleKey(Code(kViewKeyHome, "\xEF\x9C\xA9"));
  e.HandleKey(Code(kViewKeyForwardDelete, "\x7f"));
  e.HandleKey(Code(kViewKeyEnd, "\xEF\x9C\xAB"));
  e.HandleKey(Char("h"));
  EXPECT_EQ(e.Text(), "Slot Patch") << "Home and End are the field's own keys";
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
