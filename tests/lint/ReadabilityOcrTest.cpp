// The panel read as a person reads it: Debian's tesseract on pictures of the built
// panel, at 1:1. The selector lights' value names are read on the synthesizer page,
// and the notices' words at every panel size.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

#include "LintTestSupport.h"
#include "PanelSnapshots.h"
#include "RunProgram.h"

namespace {

// The words tesseract reads in a picture, stripped of what clings to them.
std::set<std::string> WordsIn(const std::string& png) {
  // One thread: the OCR library's thread pool spins on a busy machine.
  std::string text, errors;
  EXPECT_EQ(RunProgram({"env", "OMP_THREAD_LIMIT=1", "tesseract", png, "stdout", "--psm", "11"}, &text, &errors), 0)
      << png << ": " << errors;
  std::set<std::string> words;
  std::istringstream in(text);
  std::string word;
  while (in >> word) {
    const size_t first = word.find_first_not_of("([{'\"‘“,.:;");
    const size_t last = word.find_last_not_of(")]}'\"’”,.:;");
    if (first != std::string::npos && last >= first) words.insert(word.substr(first, last - first + 1));
  }
  return words;
}

// Read as the word, or with its light before it read as one more letter.
bool Read(const std::set<std::string>& words, const std::string& name) {
  for (const std::string& w : words) {
    if (w == name || (w.size() == name.size() + 1 && w.compare(1, name.size(), name) == 0)) return true;
  }
  return false;
}

std::string Picture(const PanelView& view, double scale) {
  const std::string path =
      "/tmp/tavro_ocr_" + std::to_string(getpid()) + "_" + view.name + "_" + std::to_string(int(scale * 100)) + ".png";
  LintPanel panel(BuiltBundle(), scale);
  EXPECT_TRUE(SnapshotPanel(panel, view, path)) << path;
  return path;
}

PanelView ViewNamed(const std::string& name) {
  for (const PanelView& view : PanelViews()) {
    if (view.name == name) return view;
  }
  ADD_FAILURE() << "no view " << name;
  return {};
}

struct Strip {
  const char* selector;
  std::vector<std::string> names;  // value names no other text on the page has
};

TEST(ReadabilityOcr, TheSynthesizerPageShowsTheValueNamesOfItsSelectorsReadably) {
  const Strip strips[] = {
      {"oscillator 1 wave", {"Sine"}},
      {"oscillator 2 wave", {"Noise"}},
      {"sync", {"Ring", "Both"}},
      {"voice mode", {"Poly", "Legato", "Mono"}},
      {"filter type", {"LP12", "LP24", "HP", "BP", "BR", "Clsc"}},
      {"filter keyboard track", {"1/3", "2/3", "Full"}},
      {"LFO 1 wave", {"Sqr", "S&H"}},
      {"LFO 2 destination", {"Dn", "U/D", "O2", "Echo", "Filt"}},
      {"mod wheel destination", {"Morph"}},
      {"LFO 1 destination", {"1+2"}},
      {"octave", {"-2", "+2"}},
  };
  const std::string png = Picture(ViewNamed("nl2-synth"), 1.0);
  const std::set<std::string> words = WordsIn(png);
  int read = 0;
  std::string missed;
  for (const Strip& strip : strips) {
    bool any = false;
    for (const std::string& name : strip.names) any = any || Read(words, name);
    read += any ? 1 : 0;
    if (!any) missed += std::string(" ") + strip.selector + ";";
  }
  EXPECT_GE(read, 8) << "unread:" << missed;
  // The controls' own names beside them are read too: the value names are not
  // merely large, they read like the rest of the page.
  for (const char* name : {"Cutoff", "Resonance", "Attack", "Release", "Rate"}) EXPECT_TRUE(Read(words, name)) << name;
  std::remove(png.c_str());
}

void ExpectWords(const std::string& view, const std::vector<std::string>& expected) {
  for (double scale : {0.75, 1.0, 1.25}) {
    const std::string png = Picture(ViewNamed(view), scale);
    const std::set<std::string> words = WordsIn(png);
    for (const std::string& word : expected) EXPECT_TRUE(Read(words, word)) << view << " at " << scale << ": " << word;
    std::remove(png.c_str());
  }
}

TEST(ReadabilityOcr, TheWelcomeNoticeSaysWhereThePortsAreChosen) {
  ExpectWords("window-firstRunNotification", {"choose", "MIDI", "In", "Out", "OFF", "first", "OK", "good"});
}

TEST(ReadabilityOcr, TheAboutWindowSaysWhatTheEditorIsAndItsVersion) {
  ExpectWords("window-aboutWindow", {"Tavro", "Editor", "version", "2.2", "librarian", "Escape", "Close"});
}

}  // namespace
