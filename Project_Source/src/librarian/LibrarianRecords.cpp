#include "librarian/LibrarianRecords.h"

#include "Framework/ByteChunk.h"
#include "librarian/PatchTemplates.h"

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
  copy->losses = losses;
  return copy;
}

namespace {

std::string Count(int n, const std::string& what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

}  // namespace

std::string PatchFile::incompleteReason() const {
  const std::string kind = type == 1 ? "performance" : "program";
  std::string reason;
  const auto add = [&reason](const std::string& part) { reason += (reason.empty() ? "" : ", ") + part; };
  if (losses.unreadable) add(Count(losses.unreadable, kind) + " unreadable, shown as init");
  if (losses.repaired) add(Count(losses.repaired, kind) + " completed (end missing)");
  if (losses.oddLength) add(Count(losses.oddLength, kind) + " of an unusual length");
  if (losses.unknownType) add(Count(losses.unknownType, kind) + " with an unknown type byte");
  if (losses.leftOut) add(Count(losses.leftOut, "message") + " left out");
  if (losses.strayBytes) add(Count(losses.strayBytes, "byte") + " outside the dumps");
  if (losses.damagedMidiFile) add("damaged MIDI file");
  if (losses.unconverted) add("over 99 programs, not split");
  return reason;
}

std::string folderKeyOfChain(const std::vector<std::string>& chain) {
  std::string key;
  for (size_t i = 0; i < chain.size(); ++i) key += (i > 0 ? "/" : "") + chain[i];
  return key;
}
