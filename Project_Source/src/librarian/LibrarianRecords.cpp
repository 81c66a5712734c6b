#include "LibrarianRecords.h"

#include "ByteChunk.h"
#include "PatchTemplates.h"

void PatchSysexMessage::save(ByteChunk* target, bool midiForm, int index, bool performance) const {
  if (bytes.empty()) return;
  if (midiForm && index != 0) {
    const auto& prefix = performance ? midiSingleInBetweenHeader_NL100 : midiSingleInBetweenHeader_NL99;
    target->PutBytes(prefix.data(), int(prefix.size()));
  }
  const int from = midiForm ? 1 : 0;
  target->PutBytes(bytes.data() + from, int(bytes.size()) - from);
}

std::unique_ptr<PatchFile> PatchFile::clone() const {
  auto copy = std::make_unique<PatchFile>();
  copy->type = type != 0 ? 1 : 0;
  copy->generated = generated != 0 ? 1 : 0;
  copy->patches = patches;
  copy->fileName = fileName;
  return copy;
}

std::string folderKeyOfChain(const std::vector<std::string>& chain) {
  if (chain.size() <= 1) return chain.empty() ? std::string() : chain.front();
  std::string key;
  for (size_t i = 1; i < chain.size(); ++i) key += (i > 1 ? "/" : "") + chain[i];
  return key;
}
