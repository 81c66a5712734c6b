#include "librarian/InitBanks.h"

#include "Framework/ByteChunk.h"
#include "Kit_AtomicFile.h"
#include "librarian/BankImage.h"
#include "librarian/LibrarianRecords.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"

namespace {

const struct {
  PatchKind kind;
  const char* name;
} kInitBanks[] = {{kProgramKind, "INIT Programs.nl2"}, {kPerformanceKind, "INIT Performances.nl2"}};

}  // namespace

bool writeInitBanks(const std::string& patchesFolder, std::string* error) {
  for (const auto& bank : kInitBanks) {
    // An empty bank of the kind, padded as a short bank is when read.
    PatchFile file;
    file.type = bank.kind;
    PatchLibrarian::checkBankSizeAndAddData(&file);
    ByteChunk image(4096);
    if (!bankImage(file, false, MidiHead::Keep, &image)) {
      *error = std::string("no memory for ") + bank.name;
      return false;
    }
    if (!Kit_WriteFileAtomically(patchesFolder + bank.name, image.GetBytes(), size_t(image.Size()), error))
      return false;
  }
  return true;
}
