#pragma once
// The search done the plain way, as the outside reference: every program of every
// bank of flag 0 or 1 whose name holds the text, byte by byte, listed by the name
// in its dump bytes, in banks of 99.

#include <string>
#include <vector>

#include "librarian/LibrarianRecords.h"

inline bool PlainContains(const std::string& name, const std::string& text) {
  for (size_t start = 0; start + text.size() <= name.size(); ++start) {
    size_t i = 0;
    while (i < text.size() && name[start + i] == text[i]) ++i;
    if (i == text.size()) return true;
  }
  return false;
}

inline std::vector<std::vector<std::string>> ReferenceSearch(const PatchFileList& programs, const std::string& text) {
  std::vector<std::vector<std::string>> banks;
  for (const auto& file : programs) {
    if (file->generated > 1) continue;
    for (const LibrarianPatch& patch : file->patches) {
      if (!PlainContains(patch.name, text)) continue;
      if (banks.empty() || banks.back().size() == 99) banks.emplace_back();
      const std::vector<uint8_t>* first = patch.messages.empty() ? nullptr : &patch.messages[0].bytes;
      banks.back().push_back(first && first->size() >= 148 ? std::string(first->begin() + 138, first->begin() + 148)
                                                           : std::string());
    }
  }
  if (!banks.empty() && banks.back().size() == 99) banks.emplace_back();  // n / 99 + 1 banks
  return banks;
}

inline std::vector<std::vector<std::string>> ResultNames(const PatchFileList& banks) {
  std::vector<std::vector<std::string>> out;
  for (const auto& bank : banks) {
    out.emplace_back();
    for (const LibrarianPatch& patch : bank->patches) out.back().push_back(patch.name);
  }
  return out;
}
