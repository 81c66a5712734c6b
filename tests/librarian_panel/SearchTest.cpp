#include <gtest/gtest.h>

#include <random>

#include "PanelFakes.h"
#include "SearchReference.h"
#include "librarian/panel/PatchSearch.h"

namespace {

PatchFileList Programs(const std::vector<std::vector<std::string>>& banks) {
  PatchFileList out;
  for (const auto& names : banks) out.push_back(Bank("b.syx", {"Patches"}, names));
  return out;
}

}  // namespace

TEST(Search, ResultBanksHoldTheMatchesInBanksOf99) {
  struct Case {
    int matches;
    std::vector<size_t> sizes;
  };
  // A whole number of full banks is followed by an empty, not generated, one.
  const Case table[] = {{0, {}},        {1, {1}},           {98, {98}},        {99, {99, 0}},
                        {100, {99, 1}}, {198, {99, 99, 0}}, {199, {99, 99, 1}}};
  for (const Case& c : table) {
    SCOPED_TRACE(c.matches);
    std::vector<std::string> names(c.matches, "Bass");
    names.push_back("Lead");
    const PatchFileList found = collectSearchBanks(Programs({names}), "Bass");
    std::vector<size_t> sizes;
    for (size_t b = 0; b < found.size(); ++b) {
      sizes.push_back(found[b]->patches.size());
      EXPECT_EQ(found[b]->fileName, "Search Results " + std::to_string(b + 1));
      EXPECT_EQ(found[b]->folderName, "Patches");
      EXPECT_EQ(found[b]->bankIndex, int(b));
      EXPECT_EQ(found[b]->generated, found[b]->patches.empty() ? 0 : 1);
      EXPECT_EQ(found[b]->type, 0);
    }
    EXPECT_EQ(sizes, c.sizes);
  }
}

TEST(Search, MatchesAreCaseSensitiveSubstringsNamedFromTheDump) {
  PatchFileList programs = Programs({{"Bass 1", "SlapBass", "bass 2", "Bass 1"}});
  programs[0]->patches[3].messages[0].bytes.resize(139);  // no name field: listed unnamed
  programs.push_back(Bank("skipped.syx", {"Patches"}, {"Bass 9"}));
  programs.back()->generated = 2;
  const PatchFileList found = collectSearchBanks(programs, "Bass");
  EXPECT_EQ(ResultNames(found), (std::vector<std::vector<std::string>>{{"Bass 1    ", "SlapBass  ", ""}}));
}

TEST(Search, EqualsThePlainReferenceOnRandomLibraries) {
  std::mt19937 random(20261206);
  const std::string alphabet = "aAbB ";
  for (int round = 0; round < 200; ++round) {
    std::vector<std::vector<std::string>> banks(1 + random() % 4);
    for (auto& bank : banks) {
      bank.resize(random() % 120);
      for (auto& name : bank)
        for (int i = random() % 11; i > 0; --i) name += alphabet[random() % alphabet.size()];
    }
    std::string text;
    for (int i = 1 + random() % 3; i > 0; --i) text += alphabet[random() % alphabet.size()];
    const PatchFileList programs = Programs(banks);
    ASSERT_EQ(ResultNames(collectSearchBanks(programs, text)), ReferenceSearch(programs, text)) << text;
  }
}

TEST(Search, PublishesBanksAndTreeAndNeverSearchesPerformances) {
  PanelRig rig;
  std::vector<std::unique_ptr<PatchFile>> banks;
  banks.push_back(Bank("p.syx", {"Patches"}, {"Pad one", "Pad two"}));
  banks.push_back(Bank("m.syx", {"Patches"}, {"Pad perf"}, 1));
  AddBanks(rig.librarian, std::move(banks));
  EXPECT_EQ(createNewSearchPatchFiles(rig.librarian, "Pad"), 1);
  EXPECT_EQ(createNewSearchPatchFiles(rig.librarian, "Pad t"), 1);
  rig.librarian.inspect([](const PatchLibrary& library) {
    ASSERT_EQ(library.searchFiles.size(), 1u);
    EXPECT_EQ(library.searchFiles[0]->patches.size(), 1u);
    ASSERT_EQ(library.searchTree.size(), 1u);
    EXPECT_EQ(library.searchTree[0]->name, "Patches");
    EXPECT_EQ(library.searchTree[0]->files, std::vector<PatchFile*>{library.searchFiles[0].get()});
  });
  EXPECT_EQ(createNewSearchPatchFiles(rig.librarian, "perf"), 0);
  rig.librarian.inspect([](const PatchLibrary& library) {
    EXPECT_TRUE(library.searchFiles.empty());
    EXPECT_TRUE(library.searchTree.empty());
  });
}
