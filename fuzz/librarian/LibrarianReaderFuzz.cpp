// Outside bytes as a bank file: what the reader keeps must be well-formed, and
// writing it in both forms and reading it back must give the same data; the test for a
// MIDI file holding only a bank reads any bytes and passes the writer's own.

#include "Framework/ByteChunk.h"
#include "librarian/BankImage.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

PatchFile ReadImage(const ByteChunk& image) {
  PatchFile file;
  PatchLibrarian::loadFromChunk(&image, image.Size(), &file, 0);
  return file;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckWellFormed(const PatchFile& file) {
  if (file.patches.empty()) return;
  const bool performance = file.type == kPerformanceKind;
  Check(file.type == kProgramKind || performance);
  Check(file.patches.size() >= size_t(bankSizeOfKind(file.type)));
  Check(!performance || file.patches.size() == size_t(kPerformanceBankSize));
  for (const LibrarianPatch& patch : file.patches) {
    Check(patch.messages.size() == 1);
    const std::vector<uint8_t>& m = patch.messages[0].bytes;
    const size_t low = performance ? 711 : 139, high = performance ? 765 : 149;
    Check(m.size() >= low && m.size() <= high && m[0] == 0xF0 && m[1] == 0x33 && m.back() == 0xF7);
    Check(patchKindOfMessage(m.data(), m.size()) == file.type);
    // The data part holds no byte of 80 hex or above; the name may (latin-1), and shows '?' for each.
    const size_t at = performance ? 714 : 138;
    const size_t end = std::min(at + 10, m.size() - 1);
    Check(std::all_of(m.begin() + 1, m.begin() + long(std::min(at, m.size() - 1)), [](uint8_t b) { return b < 0x80; }));
    std::string name = end > at ? std::string(m.begin() + long(at), m.begin() + long(end)) : std::string();
    for (char& c : name) c = static_cast<uint8_t>(c) >= 0x80 ? '?' : c;
    Check(patch.name == name);
  }
}

// Slot k of `back` holds slot k of `file` from byte 6 up to `upTo` (exclusive).
void CheckSameData(const PatchFile& file, const PatchFile& back, bool midiForm) {
  const size_t slots = size_t(bankSizeOfKind(file.type));
  Check(back.type == file.type && back.patches.size() == slots);
  for (size_t k = 0; k < slots; ++k) {
    const std::vector<uint8_t>& a = file.patches[k].messages[0].bytes;
    const std::vector<uint8_t>& b = back.patches[k].messages[0].bytes;
    const size_t eventEnd = size_t(file.type ? kPerformanceLength : kProgramLength) - 1;
    const size_t upTo = midiForm ? std::min(a.size() - 1, eventEnd) : a.size();
    Check(b.size() >= upTo && std::equal(a.begin() + 6, a.begin() + long(upTo), b.begin() + 6));
    if (!midiForm) Check(a.size() == b.size() && a[2] == b[2] && file.patches[k].name == back.patches[k].name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ByteChunk image;
  image.PutBytes(data, int(size));
  const PatchFile file = ReadImage(image);
  CheckWellFormed(file);
  // The save's test of a MIDI file it would write over reads outside bytes too.
  for (const int kind : {kProgramKind, kPerformanceKind}) isPlainMidiBank(data, size, kind);
  if (file.patches.empty()) return 0;
  for (const bool midiForm : {false, true}) {
    ByteChunk written;
    Check(bankImage(file, midiForm, MidiHead::Rewrite, &written));
    // What the writer lays out is saved over in place again.
    Check(!midiForm || isPlainMidiBank(written.GetBytes(), size_t(written.Size()), file.type));
    const PatchFile back = ReadImage(written);
    CheckWellFormed(back);
    CheckSameData(file, back, midiForm);
  }
  return 0;
}
