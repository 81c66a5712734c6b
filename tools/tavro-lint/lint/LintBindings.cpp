// Parameters and their bindings: every name bound, the controls the editor keeps,
// value lists long enough, each dump field with its range and its kind, the
// control-change map, cycle targets, randomised parameters and SysEx templates.

#include <cctype>
#include <set>

#include "Framework/ControlLayer.h"
#include "Framework/IControlText.h"
#include "Framework/IParam.h"
#include "LintContext.h"
#include "editor/tables/PanelLookups.h"
#include "layout/SysExValues.h"
#include "layout/tables/ParamNameTable.h"
#include "messaging/tables/DumpFieldTable.h"
#include "messaging/tables/RandomisedParams.h"

namespace {

int IntMax(const IParam* p) { return static_cast<int>(p->GetMax()); }
int IntMin(const IParam* p) { return static_cast<int>(p->GetMin()); }

const LintControllerRow* MapRow(const LintContext& c, const std::string& name) {
  for (const LintControllerRow& row : c.sources.controllers) {
    if (row.name == name || row.nl1Twin == name) return &row;
  }
  return nullptr;
}

const CycleButton* CycleOf(const std::string& name, bool nl1) {
  for (int i = 0; i < kCycleButtonCount; ++i) {
    if ((nl1 ? kCycleButtons[i].nl1Target : kCycleButtons[i].target) == name) return &kCycleButtons[i];
  }
  return nullptr;
}

bool SendsNothing(int kind) { return kind == 0 || kind == 5 || kind == 6; }

// Expected maximum of a part-block byte field from the map and the cycle table.
int ByteFieldMax(const LintContext& c, const std::string& name, bool nl1) {
  if (const CycleButton* cycle = CycleOf(name, nl1)) return (nl1 ? cycle->nl1States : cycle->states) - 1;
  const LintControllerRow* row = MapRow(c, name);
  if (row && row->range == "sw") return 1;
  if (row && row->range.size() > 4) return std::stoi(row->range.substr(4)) - 1;
  return 127;
}

// Range every performance-block field must hold, by field.
int PerformanceMax(const PerformanceField& f) {
  static const std::map<std::string, int> kFixed = {
      {"kDeviceID", 15},
      {"kQuickTab", 3},
      {"kCurrentProgram", 98},
      {"kCurrentBank", 3},
      {"kCurrentBank2x", 9},
      {"kFilterEnvTrigger", 1},
      {"kAmpEnvTrigger", 1},
      {"kExtVeloMorph", 1},
      {"kGlobalProgChange", 1},
      {"kGlobalCtrlChange", 1},
      {"kGlobalArpMidiSend", 1},
      {"kLocalControl", 1},
      {"kSlotAEnable", 1},
      {"kSlotBEnable", 1},
      {"kSlotCEnable", 1},
      {"kSlotDEnable", 1},
      {"kKeyboardSplit", 1},
      // MIDI channels, 0 for none
      {"kFilterEnvChannel", 16},
      {"kAmpEnvChannel", 16},
      {"kExtVeloMorphCha", 16},
  };
  auto it = kFixed.find(f.param);
  if (it != kFixed.end()) return it->second;
  if (f.coding == DumpCoding::kChannelPair || f.coding == DumpCoding::kTunePair) return FieldMaximum(f.coding);
  return 127;
}

}  // namespace

void LintBound(LintContext& c) {
  std::set<std::string> editorBound(kEditorBoundParams, kEditorBoundParams + kEditorBoundParamCount);
  for (int i = 0; i < kParamNameTableSize; ++i) {
    const std::string name = kParamNameTable[i].name;
    if (editorBound.count(name) || name == "kNumAutomatedParams") continue;
    for (int s = 0; s < c.slots(name); ++s) {
      const ControlAction* a = c.action(kParamNameTable[i].index + s);
      const bool bound = a && !a->boundControls.empty();
      if (!bound && c.controlsOf(kParamNameTable[i].index + s).empty()) {
        c.aboutParam("bound", name, "slot " + std::to_string(s) + " has no control");
      }
    }
  }
  for (int i = 0; i < kKeptControlCount; ++i) {
    const KeptControl& kept = kKeptControls[i];
    for (int s = 0; s < (kept.perPart ? 4 : 1); ++s) {
      ControlAction* a = c.action(c.index(kept.param) + s);
      if (!a || a->boundControls.empty()) {
        c.aboutParam("kept", kept.param, "the editor keeps its first control, and there is none");
      } else if (kept.text && !dynamic_cast<ITextControl*>(a->boundControls.front())) {
        c.aboutParam("kept", kept.param, "its first control must be a text read-out");
      }
    }
  }
  for (int i = 0; i < kKeptActionCount; ++i) {
    if (!c.action(c.index(kKeptActions[i]))) c.aboutParam("kept", kKeptActions[i], "has no binding record");
  }
}

void LintValueLists(LintContext& c) {
  for (int i = 0; i < kValueListUseCount; ++i) {
    const ValueListUse& use = kValueListUses[i];
    const std::vector<std::string>& list = c.panel.manager().getValueList(use.list);
    if (list.empty()) {
      c.add("value-list", 0, use.list, std::string("no value list ") + use.list);
      continue;
    }
    for (const char* const* name = use.params; name < use.params + 20 && *name; ++name) {
      for (int s = 0; s < (use.perPart ? 4 : use.singleCount); ++s) {
        const IParam* p = c.param(c.index(*name) + s);
        if (p && IntMax(p) >= static_cast<int>(list.size())) {
          c.aboutParam("value-list", *name,
                       std::string("list ") + use.list + " has " + std::to_string(list.size()) +
                           " entries for values up to " + std::to_string(IntMax(p)));
        }
      }
    }
  }
  // Every list a control or the read-out names: entries fit a display text.
  std::set<std::string> names;
  for (int i = 0; i < kValueListUseCount; ++i) names.insert(kValueListUses[i].list);
  const std::string& text = c.panel.layoutText();
  const std::string key = "valueList=\"";
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
    names.insert(text.substr(at + key.size(), text.find('"', at + key.size()) - at - key.size()));
  }
  for (const std::string& name : names) {
    for (const std::string& entry : c.panel.manager().getValueList(name)) {
      if (entry.empty() || std::isspace(static_cast<unsigned char>(entry.front())) ||
          std::isspace(static_cast<unsigned char>(entry.back()))) {
        c.aboutText("value-list", "<list name=\"" + name + "\"", "an entry of " + name + " is padded or empty");
      }
      if (entry.size() > 55)
        c.aboutText("value-list", "<list name=\"" + name + "\"", "an entry of " + name + " is over 55 bytes");
    }
  }
  for (int i = 0; i < kLayoutParamCount; ++i) {
    const IParam* p = c.param(i);
    for (int t = 0; p && t < p->GetNDisplayTexts(); ++t) {
      if (p->GetDisplayTextAtIdx(t).size() > 55) c.aboutParam("value-list", c.nameOf(i), "display text over 55 bytes");
    }
  }
}

void LintControlChanges(LintContext& c) {
  UIConfigManager& m = c.panel.manager();
  for (const LintControllerRow& row : c.sources.controllers) {
    for (int s = 0; s < 4; ++s) {
      for (int model = 0; model <= 2; ++model) {
        const std::string expected = model == 0 && !row.nl1Twin.empty() ? row.nl1Twin : row.name;
        const int first = model > 0 ? 0 : 1;
        IControl* found = m.getCCControls(s + 1, row.cc, first);
        const bool fromFirst = found != nullptr;
        if (!found) found = m.getCCControls(s + 1, row.cc, 1 - first);
        const std::string where = "CC " + std::to_string(row.cc) + " on channel " + std::to_string(s + 1) +
                                  " for model " + std::to_string(model);
        if (!found || found->ParamIdx() != c.index(expected) + s) {
          c.aboutParam("cc-map", expected, where + " does not find its control");
          continue;
        }
        if (model == 0 && !fromFirst && row.name != "kFilterDistortion") {
          c.aboutParam("cc-map", expected, where + " finds no control on the first-generation page");
        }
      }
      // What the final binding sends.
      for (const std::string& name : {row.name, row.nl1Twin}) {
        if (name.empty()) continue;
        const ControlAction* a = c.action(c.index(name) + s);
        if (!a) continue;
        const bool resend = name == "kOscSync";
        const bool twoState = row.range == "sw";
        const int kind = resend ? 7 : (twoState ? 2 : 1);
        if (a->kind != kind) {
          c.aboutParam("kind", name, "sends kind " + std::to_string(a->kind) + ", not " + std::to_string(kind));
        } else if (!resend && (a->ccNumber != row.cc || a->channel != s + 1)) {
          c.aboutParam("cc-map", name,
                       "sends CC " + std::to_string(a->ccNumber) + " on channel " + std::to_string(a->channel) +
                           ", not CC " + std::to_string(row.cc));
        } else if (twoState && (a->offValue != 0 || a->onValue != 1)) {
          c.aboutParam("cc-map", name, "a switch must send 0 and 1");
        }
      }
    }
  }
}

namespace {

// Reports the parameter of slot s unless it holds 0..max.
void ExpectRange(LintContext& c, const std::string& name, int s, int max, const std::string& what) {
  const IParam* p = c.param(c.index(name) + s);
  if (!p) return;
  if (IntMin(p) != 0 || IntMax(p) != max) {
    c.aboutParam("range", name,
                 what + " must hold 0.." + std::to_string(max) + ", holds " + std::to_string(IntMin(p)) + ".." +
                     std::to_string(IntMax(p)));
  }
}

// The kind the final binding of slot s sends; -1 without one.
int KindOf(LintContext& c, const std::string& name, int s) {
  const ControlAction* a = c.action(c.index(name) + s);
  return a ? a->kind : -1;
}

void LintPartBlockField(LintContext& c, const PartBlockField& f, int s) {
  const LintControllerRow* row = MapRow(c, f.param);
  switch (f.coding) {
    case DumpCoding::kUnsignedPair:
      ExpectRange(c, f.param, s, row && row->range == "0-120" ? 120 : 127, "the program field");
      break;
    case DumpCoding::kSignedPair:
      ExpectRange(c, f.param, s, 255, "the velocity-morph field");
      if (KindOf(c, f.param, s) != 7) c.aboutParam("kind", f.param, "a change must resend the program");
      if (const IParam* p = c.param(c.index(f.param) + s); p && p->GetDefault() != 128) {
        c.aboutParam("range", f.param, "must default to 128");
      }
      break;
    case DumpCoding::kKeptByte: ExpectRange(c, f.param, s, 127, "the kept byte"); break;
    default:
      ExpectRange(c, f.param, s, ByteFieldMax(c, f.param, false), "the program field");
      if (f.nl1Param) ExpectRange(c, f.nl1Param, s, ByteFieldMax(c, f.nl1Param, true), "the first-generation field");
  }
}

void LintPartBlockRanges(LintContext& c) {
  for (int s = 0; s < 4; ++s) {
    for (int i = 0; i < kPartBlockFieldCount; ++i) LintPartBlockField(c, kPartBlockFields[i], s);
    for (int i = 0; i < kPartBlockSideParamCount; ++i) ExpectRange(c, kPartBlockSideParams[i], s, 1, "the hold");
  }
}

void LintPerformanceRanges(LintContext& c) {
  for (int i = 0; i < kPerformanceFieldCount; ++i) {
    const PerformanceField& f = kPerformanceFields[i];
    ExpectRange(c, f.param, f.slot, PerformanceMax(f), "the performance field");
    if (!SendsNothing(KindOf(c, f.param, f.slot))) {
      c.aboutParam("kind", f.param, "a performance setting must send nothing itself");
    }
  }
}

// Kept bytes travel unchanged: held in layers nobody shows, sending nothing.
void LintKeptBytes(LintContext& c) {
  std::set<std::string> shown(kStartupLayerNames, kStartupLayerNames + kStartupLayerNameCount);
  for (int i = 0; i < kParamNameTableSize; ++i) {
    const std::string name = kParamNameTable[i].name;
    if (name.compare(0, 4, "kMDB") != 0) continue;
    for (int s = 0; s < c.slots(name); ++s) {
      if (!SendsNothing(KindOf(c, name, s))) c.aboutParam("kind", name, "a kept byte must send nothing");
      for (const PlacedControl* placed : c.controlsOf(kParamNameTable[i].index + s)) {
        if (!placed->top || shown.count(placed->top->GetName())) {
          c.aboutParam("kept-bytes", name, "its holder sits in a layer the editor shows");
        }
      }
    }
  }
}

void LintSelectorAndCycleRanges(LintContext& c) {
  const std::pair<const char*, int> selectors[] = {{"kCurrentProgram2x", 98},
                                                   {"kCurrentPerfProgram", 99},
                                                   {"kCurrentPerfProgram2x", 99},
                                                   {"kCurrentPerfBank", 1},
                                                   {"kCurrentPerfBank2x", 3}};
  for (const auto& [name, max] : selectors) {
    for (int s = 0; s < 4; ++s) ExpectRange(c, name, s, max, "the selector");
  }
  for (int i = 0; i < kCycleButtonCount; ++i) {
    const CycleButton& b = kCycleButtons[i];
    for (int s = 0; s < 4; ++s) {
      ExpectRange(c, b.target, s, b.states - 1, std::string("the target of ") + b.button);
      ExpectRange(c, b.nl1Target, s, b.nl1States - 1, std::string("the first-generation target of ") + b.button);
    }
  }
}

void LintRandomisedRanges(LintContext& c) {
  for (int i = 0; i < kRandomisedParamCount; ++i) {
    for (int s = 0; s < 4; ++s) {
      const IParam* p = c.param(c.index(kRandomisedParams[i]) + s);
      if (p && IntMax(p) < 1) c.aboutParam("randomiser", kRandomisedParams[i], "needs a maximum of 1 or more");
    }
  }
}

}  // namespace

void LintRanges(LintContext& c) {
  LintPartBlockRanges(c);
  LintPerformanceRanges(c);
  LintKeptBytes(c);
  LintSelectorAndCycleRanges(c);
  LintRandomisedRanges(c);
}

void LintSysEx(LintContext& c) {
  std::set<std::string> templates;
  const std::vector<SysExContainer>& containers = c.panel.manager().getSysExContainers();
  for (size_t i = 0; i < containers.size(); ++i) {
    std::string text;
    if (!SysExTemplateOf(containers, static_cast<int>(i), &text)) {
      c.add("sysex", 0, "sysex", "container " + std::to_string(i) + " holds no template");
      continue;
    }
    std::vector<int> bytes = convertStringSysextoVector(text);
    bool wellFormed = bytes.size() >= 7 && bytes.front() == 0xF0 && bytes.back() == 0xF7;
    for (size_t b = 1; wellFormed && b + 1 < bytes.size(); ++b) wellFormed = bytes[b] <= 0x7F;
    const std::string where = "template " + std::to_string(i) + " \"" + text + "\"";
    // The reader keeps whitespace: bytes split by single blanks, nothing around them.
    if (text.empty() || text.front() == ' ' || text.back() == ' ' || text.find("  ") != std::string::npos) {
      c.add("sysex", 0, "sysex", where + " is not bytes split by single blanks");
    }
    if (!wellFormed) c.add("sysex", 0, "sysex", where + " is not a well-formed message");
    if (!templates.insert(text).second) c.add("sysex", 0, "sysex", where + " is given twice");
  }
  UIConfigManager& m = c.panel.manager();
  for (int i = 0; i < kLayoutParamCount; ++i) {
    const ControlAction* a = c.action(i);
    if (!a || (a->kind != 5 && a->kind != 6)) continue;
    const std::string name = c.nameOf(i);
    const IParam* p = c.param(i);
    if (IntMin(p) < 0 || IntMax(p) > 127) c.aboutParam("sysex", name, "SysEx values must lie in 0..127");
    if (a->sysexMessages.empty()) {
      c.aboutParam("sysex", name, "has no SysEx messages");
      continue;
    }
    const std::vector<int>& msg = a->sysexMessages.front();
    if (msg.size() < 7) continue;
    IControl* byFour = m.getSysexControl(msg[3], msg[4], msg[5], msg[6], 0);
    IControl* bySeven = m.getSysexControl(msg[2], msg[3], msg[4], msg[5], 0);
    bool mine = (byFour && byFour->ParamIdx() == i) || (bySeven && bySeven->ParamIdx() == i);
    if (!mine) c.aboutParam("sysex", name, "its incoming key leads to another control");
  }
}
