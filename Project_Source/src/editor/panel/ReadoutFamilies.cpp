#include "editor/panel/ReadoutFamilies.h"

#include <array>
#include <cstring>
#include <initializer_list>

#include "editor/tables/PanelLookups.h"
#include "layout/tables/ParamNameTable.h"
#include "librarian/TavroParams.h"

namespace {

// The read-out never shows these: the panel's own lines, menus, tabs and actions.
const char* const kIgnoredSingles[] = {
    "kMultiSettings",
    "kControlDisplayName",
    "kControlDisplayValue",
    "kControlDisplayCC",
    "kBankSelection",
    "kPatchSelection",
    "kMultiName",
    "kPatchRename",
    "kViewMIDIFilterSettings",
    "kDeviceOutSelection",
    "kDeviceInSelection",
    "kFirstRunExit",
    "kDisplayAboutWindow",
    "kExitAboutWindow",
    "kLibUpperPreviousBank",
    "kLibLowerPreviousBank",
    "kLibUpperNextBank",
    "kLibLowerNextBank",
    "kLibSyncFromHw",
    "kLibSyncToHw",
    "kShowLibrarian",
    "kAllowPartChange",
    "kPatchUp",
    "kPatchDown",
    "kDiscardBankData",
    "kRefreshFolders",
    "kPatchSelectionListUpper",
    "kPatchSelectionListLower",
    "kQuickTab",
    "kLibrarianArea",
    "kNordModel",
    "kRandomize",
};
const char* const kIgnoredFamilies[] = {"kPatchName", "kCurrentProgram", "kCurrentBank"};

// The 19 cycle-button families, four slots each, from the first.
constexpr const char* kFirstTrigger = "kLFO1WaveTrig";
constexpr int kTriggerFamilies = 19;

struct NumericFamily {
  const char* first;  // the first family of a run
  const char* last;   // the last family of the run
  ReadoutFormat format;
};
const NumericFamily kNumericFamilies[] = {
    {"kVFilterCutoff", "kVOscillatorMix", ReadoutFormat::kCentrePercent},
    {"kModEnvAmount", "kModEnvAmount", ReadoutFormat::kModEnvAmount},
    {"kOsc2Semitones", "kOsc2Semitones", ReadoutFormat::kSemitones},
    {"kOsc2Finetune", "kOsc2Finetune", ReadoutFormat::kFinetune},
    {"kPulseWidth", "kPulseWidth", ReadoutFormat::kPulseWidth},
    {"kOscillatorMix", "kOscillatorMix", ReadoutFormat::kOscillatorMix},
};

struct NameLineFamily {
  const char* family;
  ReadoutNameLine nameLine;
};
const NameLineFamily kNameLineFamilies[] = {
    {"kLFO2Hold", ReadoutNameLine::kArpeggiator},
    {"kLFO2Destination", ReadoutNameLine::kLfo2Mode},
    {"kLFO2DestinationNL1", ReadoutNameLine::kLfo2ModeNL1},
};

int registryIndex(const char* name) {
  for (int i = 0; i < kParamNameTableSize; ++i)
    if (std::strcmp(kParamNameTable[i].name, name) == 0) return kParamNameTable[i].index;
  return -1;
}

struct Tables {
  std::array<ReadoutFamily, kTavroParamCount> families{};
  std::array<bool, kTavroParamCount> ignored{};
  int firstTrigger = -1;
};

// Every index from `first` on for `count` parameters, skipped where the registry lacks the name.
template <class Apply>
void forMembers(const char* name, int count, Apply apply) {
  const int first = registryIndex(name);
  if (first < 0) return;
  for (int i = first; i < first + count && i < kTavroParamCount; ++i) apply(i);
}

Tables buildTables() {
  Tables t;
  for (const char* name : kIgnoredSingles) forMembers(name, 1, [&](int i) { t.ignored[size_t(i)] = true; });
  for (const char* name : kIgnoredFamilies) forMembers(name, kSlotCount, [&](int i) { t.ignored[size_t(i)] = true; });
  t.firstTrigger = registryIndex(kFirstTrigger);
  for (const NumericFamily& f : kNumericFamilies) {
    const int first = registryIndex(f.first), last = registryIndex(f.last);
    if (first < 0 || last < first) continue;
    forMembers(f.first, last - first + kSlotCount, [&](int i) { t.families[size_t(i)].format = f.format; });
  }
  for (int u = 0; u < kValueListUseCount; ++u) {
    const ValueListUse& use = kValueListUses[u];
    for (const char* const* name = use.params; name < use.params + 20 && *name; ++name) {
      forMembers(*name, use.perPart ? kSlotCount : use.singleCount, [&](int i) {
        ReadoutFamily& family = t.families[size_t(i)];
        family.format = ReadoutFormat::kValueList;
        family.list = use.list;
        family.nl1Only = use.nl1Only;
      });
    }
  }
  for (const NameLineFamily& f : kNameLineFamilies)
    forMembers(f.family, kSlotCount, [&](int i) { t.families[size_t(i)].nameLine = f.nameLine; });
  return t;
}

const Tables& tables() {
  static const Tables built = buildTables();
  return built;
}

bool inSet(int pv, std::initializer_list<int> set) {
  for (int v : set)
    if (v == pv) return true;
  return false;
}

}  // namespace

const ReadoutFamily& readoutFamily(int paramIdx) {
  static const ReadoutFamily kPlain;
  if (paramIdx < 0 || paramIdx >= kTavroParamCount) return kPlain;
  return tables().families[size_t(paramIdx)];
}

bool readoutIgnores(int paramIdx, int activeSlot, bool hostProgramChangesBlocked) {
  if (paramIdx < 0 || paramIdx >= kTavroParamCount) return true;
  const Tables& t = tables();
  if (t.ignored[size_t(paramIdx)]) return true;
  // Only the active slot's cycle button: the others show as a number.
  const int trigger = paramIdx - t.firstTrigger;
  if (t.firstTrigger >= 0 && trigger >= 0 && trigger < kTriggerFamilies * kSlotCount &&
      trigger % kSlotCount == activeSlot)
    return true;
  return paramIdx == kControlLibrary && !hostProgramChangesBlocked;
}

std::string readoutNameLine(ReadoutNameLine nameLine, int pv) {
  switch (nameLine) {
    case ReadoutNameLine::kParamName: return "";
    case ReadoutNameLine::kArpeggiator: return "Arpeggiator";
    case ReadoutNameLine::kLfo2Mode: return inSet(pv, {0, 1, 2, 5, 6, 8}) ? "Arpeggiator Mode" : "LFO2 Destination";
    case ReadoutNameLine::kLfo2ModeNL1: return inSet(pv, {0, 1, 2, 5, 6}) ? "Arpeggiator Mode" : "LFO2 Destination";
  }
  return "";
}
