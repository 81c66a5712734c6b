#include "librarian/panel/PatchSearch.h"

#include <memory>

#include "librarian/PatchLibrarian.h"

namespace {

constexpr size_t kBankSize = 99;
// The named program form holds its name at bytes 138..147.
constexpr size_t kNameOffset = 138;
constexpr size_t kNameLength = 10;

// The result slot: the first two messages, named from the dump's own name bytes.
LibrarianPatch ResultPatch(const LibrarianPatch& source) {
  LibrarianPatch out;
  for (size_t m = 0; m < source.messages.size() && m < 2; ++m) out.messages.push_back(source.messages[m]);
  if (!out.messages.empty()) {
    const std::vector<uint8_t>& first = out.messages[0].bytes;
    if (first.size() >= kNameOffset + kNameLength)
      out.name.assign(first.begin() + kNameOffset, first.begin() + kNameOffset + kNameLength);
  }
  return out;
}

}  // namespace

PatchFileList collectSearchBanks(const PatchFileList& programs, const std::string& text) {
  PatchFileList banks;
  // The next result bank; one of matches is generated, the empty one after a full last bank is not.
  auto addBank = [&banks](int generated) {
    auto bank = std::make_unique<PatchFile>();
    bank->type = 0;
    bank->generated = generated;
    bank->bankIndex = int(banks.size());
    bank->fileName = "Search Results " + std::to_string(banks.size() + 1);
    bank->folderName = "Patches";
    banks.push_back(std::move(bank));
  };
  for (const auto& file : programs) {
    if (file->generated > 1) continue;
    for (const LibrarianPatch& patch : file->patches) {
      if (patch.name.find(text) == std::string::npos) continue;
      if (banks.empty() || banks.back()->patches.size() == kBankSize) {
        addBank(1);
        banks.back()->patches.reserve(kBankSize);
      }
      banks.back()->patches.push_back(ResultPatch(patch));
    }
  }
  // A whole number of full banks is followed by an empty one, as every bank count
  // n / 99 + 1 gives.
  if (!banks.empty() && banks.back()->patches.size() == kBankSize) addBank(0);
  return banks;
}

int createNewSearchPatchFiles(PatchLibrarian& librarian, const std::string& text) {
  int count = 0;
  librarian.modify([&](PatchLibrary& library) {
    PatchFileList banks = collectSearchBanks(library.programFiles, text);
    library.searchTree.clear();
    if (!banks.empty()) {
      auto root = std::make_unique<FolderFiles>();
      root->name = "Patches";
      for (const auto& bank : banks) root->files.push_back(bank.get());
      library.searchTree.push_back(std::move(root));
    }
    count = int(banks.size());
    library.searchFiles = std::move(banks);
  });
  return count;
}
