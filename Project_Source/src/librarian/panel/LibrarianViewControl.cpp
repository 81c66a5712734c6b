#include "librarian/panel/LibrarianViewControl.h"

#include <algorithm>

#include "Framework/IGraphics.h"
#include "Framework/IMidiMsg.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"
#include "librarian/PatchLibrarian.h"
#include "librarian/PatchTemplates.h"
#include "librarian/TavroParams.h"
#include "librarian/UnitNames.h"
#include "librarian/panel/LibrarianPanelEditor.h"
#include "librarian/panel/PanelFont.h"

namespace {

constexpr int kRowsPerColumn = 16;
const IColor kHighlight(200, 225, 225, 225);
const IColor kRowText(255, 255, 255, 255);
const IColor kSelectedRowText(255, 0, 0, 0);

bool Inside(const IRECT& r, int x, int y) { return !r.Empty() && r.L <= x && x < r.R && r.T <= y && y < r.B; }

int PaneTop(int y, double scale, bool lower) {
  if (!lower) return scale < 1.0 ? y + int(scale) + 1 : int(y + scale);
  if (scale < 1.0) return y + int(303 * scale) + 2;
  if (scale == 1.0) return y + 303;
  return y + int(303 * scale) + 1;
}

}  // namespace

LibrarianViewControl::LibrarianViewControl(IModuleBase* plug, LibrarianPanelEditor* editor, int x, int y, int paramIdx,
                                           IBitmap* bitmap, IRECT /*bounds*/, PatchLibrarian* librarian, double scale)
    : IBitmapControl(plug, x, y, paramIdx, bitmap),
      editor_(editor),
      librarian_(librarian),
      columnWidth_(int(100 * scale)),
      rowHeight_(int(16 * scale)) {
  const int rowWidth = scale == 1.0 ? int(100 * scale) : int(101 * scale);
  const int columnStep = rowWidth + int(27 * scale);
  IText style(int(13 * scale), kRowText, kPanelFont, IText::kStyleNormal, IText::kAlignNear, IText::kVAlignCenter, 0,
              0);
  for (int side = 0; side < 2; ++side) {
    const int top = PaneTop(y, scale, side == 1);
    for (int i = 0; i < kRows; ++i) {
      const int left = x + (i / kRowsPerColumn) * columnStep;
      const int t = top + (i % kRowsPerColumn) * rowHeight_;
      rows_[side][i] =
          std::make_unique<ITextControl>(plug, IRECT(left, t, left + rowWidth, t + rowHeight_), &style, "");
      rows_[side][i]->SetTextFromPlug("");
    }
  }
  // After both panes' rows: the upper pane's reload fills the lower too when they share a bank.
  for (int side = 0; side < 2; ++side) reloadRows(side);
}

LibrarianViewControl::~LibrarianViewControl() = default;

void LibrarianViewControl::patchSelectionUpperChanged() { reloadRows(0); }
void LibrarianViewControl::patchSelectionLowerChanged() { reloadRows(1); }

PatchFile* LibrarianViewControl::paneFile(PatchLibrary& library, int side) const {
  const int type = librarian_->patchType.load();
  const bool search = side == 1 && editor_->isSearchMode();
  if (!search && type != 0 && type != 1) return nullptr;
  PatchFileList& files = search ? library.searchFiles : library.filesOfType(type);
  const int index = side == 0 ? librarian_->upperFileIndex.load() : librarian_->lowerFileIndex.load();
  return index >= 0 && index < int(files.size()) ? files[index].get() : nullptr;
}

const PatchFile* LibrarianViewControl::paneFile(const PatchLibrary& library, int side) const {
  return paneFile(const_cast<PatchLibrary&>(library), side);
}

void LibrarianViewControl::reloadRows(int side) {
  // Reloads also come from the receiving thread: mark for redraw without reporting
  // the (meaningless) list value to the editor from there.
  SetDirty(false);
  std::vector<std::string> names;
  bool lowerSame = false;
  librarian_->inspect([&](const PatchLibrary& library) {
    if (const PatchFile* file = paneFile(library, side)) {
      lowerSame = side == 0 && paneFile(library, 1) == file;
      for (const LibrarianPatch& patch : file->patches) names.push_back(patch.standsIn ? kStandInRowName : patch.name);
    }
  });
  // A pane without a bank (a search without a match, a kind of which none is open) lists
  // nothing: rows of another bank or kind would read as its own.
  showNames(side, names);
  if (lowerSame) showNames(1, names);
}

void LibrarianViewControl::showNames(int side, const std::vector<std::string>& names) {
  for (int i = 0; i < kRows; ++i) rows_[side][i]->SetTextFromPlug(i < int(names.size()) ? names[i].c_str() : "");
}

int LibrarianViewControl::hitRow(int side, int x, int y) const {
  int hit = -1;
  for (int i = 0; i < kRows; ++i)
    if (Inside(rows_[side][i]->GetRECT(), x, y)) hit = i;
  return hit;
}

void LibrarianViewControl::select(int side, int row) {
  (side == 0 ? selectedUpper : selectedLower) = row;
  librarian_->selectedSlotOf(side) = row;
  if (row < 0) return;
  activeSide = side;
  currentRow = row;
}

int LibrarianViewControl::selectUnder(int x, int y, Greying greying) {
  const int upper = hitRow(0, x, y), lower = hitRow(1, x, y);
  select(0, upper);
  select(1, lower);
  if (greying == Greying::Layers && upper >= 0) editor_->grayLayer("saveChangesLayer", false);
  if (greying == Greying::Layers && lower >= 0) editor_->grayLayer("saveChangesLayer", true);
  return lower >= 0 ? lower : upper;
}

void LibrarianViewControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  pressedLower_ = -1;
  if (mod->R) {
    SetDirty(true);
    selectUnder(x, y, Greying::Layers);
    if (selectedUpper >= 0)
      editor_->showFileEditMenu(x, y);
    else
      editor_->showFileCopyMenu(x, y);
    return;
  }
  if (!mod->L) return;
  editor_->setRenameInactive(true);
  editor_->hideLayer("patchRename", true);
  SetDirty(true);
  const int hit = selectUnder(x, y, Greying::Layers);
  currentRow = hit;
  pressedLower_ = hitRow(1, x, y);
}

void LibrarianViewControl::OnMouseDblClick(int x, int y, IMouseMod*) {
  editor_->setRenameInactive(true);
  SetDirty(true);
  // A row of a pane with no bank of the kind sends nothing: say why.
  const int lower = hitRow(1, x, y), side = lower >= 0 ? 1 : 0;
  const bool onRow = lower >= 0 || hitRow(0, x, y) >= 0;
  if (onRow && !paneHasBank(side) && !(side == 1 && editor_->isSearchMode())) {
    editor_->setStatusText(librarian_->noBankText("Not sent"));
    return;
  }
  const IParam* output = mPlug ? mPlug->GetParam(TavroParam::kDeviceOutSelection) : nullptr;
  if (!output || output->Int() == 0) return;
  const int hit = selectUnder(x, y, Greying::Layers);
  currentRow = hit;
  if (hit < 0) return;
  editor_->sendPatchToDeviceFromLibrarian(hit, activeSide);
}

bool LibrarianViewControl::OnKeyDown(int, int, int key) {
  editor_->setRenameInactive(true);
  const int c = currentRow;
  int r;
  switch (key) {
    case 1: r = c > 0 ? c - 1 : 99; break;
    case 2: r = c < 99 ? c + 1 : 0; break;
    case 3: r = c < 16 ? c + 83 : c - 16; break;
    case 4: r = c + 16 <= 99 ? c + 16 : c - 83; break;
    default: return false;
  }
  select(activeSide == 1 ? 1 : 0, r);
  SetDirty(true);
  if (selectedUpper < 0 && selectedLower < 0) return false;
  editor_->sendPatchToDeviceFromLibrarian(r, activeSide);
  return true;
}

void LibrarianViewControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) {
  SetDirty(true);
  if (!dragEnabled) return;
  dragRect = IRECT(x - columnWidth_ / 2, y - rowHeight_ / 2, x - columnWidth_ / 2 + columnWidth_,
                   y - rowHeight_ / 2 + rowHeight_);
  if (dragging || pressedLower_ < 0) return;
  select(0, -1);
  select(1, pressedLower_);
  dragging = true;
  // The patch is taken now: a rescan or a change of bank before the drop drops what was picked up.
  dragged_ = lowerPatch(pressedLower_);
}

void LibrarianViewControl::OnMouseUp(int x, int y, IMouseMod*) {
  SetDirty(true);
  pressedLower_ = -1;
  if (!dragging) return;
  dragging = false;
  selectUnder(x, y, Greying::None);
  const int target = hitRow(0, x, y);
  librarian_->targetSlot = target;
  if (target >= 0) deliver(dragged_, "Dropped");
  dragged_.reset();
}

std::optional<LibrarianPatch> LibrarianViewControl::lowerPatch(int slot) const {
  std::optional<LibrarianPatch> out;
  librarian_->inspect([&](const PatchLibrary& library) {
    const PatchFile* file = paneFile(library, 1);
    if (file && slot >= 0 && slot < int(file->patches.size())) out = file->patches[slot];
  });
  return out;
}

void LibrarianViewControl::deliver(const std::optional<LibrarianPatch>& patch, const char* verb) {
  const int target = librarian_->selectedSlot;
  // A paste that stores nothing says why.
  if (!patch) return editor_->setStatusText("Not stored: nothing copied yet");
  if (patch->empty()) return editor_->setStatusText("Not stored: the copied slot holds no dump");
  if (target < 0) return editor_->setStatusText("Not stored: no slot under the pointer");
  const std::vector<uint8_t>& first = patch->messages.front().bytes;
  const SlotStore fits = librarian_->canStoreInSelectedSlot(patchKindOfMessage(first.data(), first.size()));
  if (fits != SlotStore::kStored) return editor_->setStatusText(librarian_->storeRefusal(fits));
  editor_->SetLibrarianRequestActive(true);
  for (const PatchSysexMessage& message : patch->messages) {
    if (message.bytes.empty()) continue;
    const ISysEx sysex(0, message.bytes.data(), int32_t(message.bytes.size()));
    editor_->ProcessLibrarianSysEx(&sysex);
  }
  // Only a slot that now holds the patch counts as received: a refused dump marks nothing.
  LibrarianPatch stored;
  const bool replaced =
      librarian_->copyPatch(librarian_->patchType, librarian_->upperFileIndex, target, &stored) &&
      stored.messages.size() == patch->messages.size() &&
      std::equal(stored.messages.begin(), stored.messages.end(), patch->messages.begin(),
                 [](const PatchSysexMessage& a, const PatchSysexMessage& b) { return a.bytes == b.bytes; });
  if (!replaced) return editor_->setStatusText("Not stored: the copied dump was not taken");
  editor_->SetLibrarianStatusUnsaved(true);
  editor_->setStatusText(std::string(verb) + " " + quotedPatchName(stored.name) + " into slot " +
                         std::to_string(target + 1));
}

bool LibrarianViewControl::paneHasBank(int side) const {
  bool found = false;
  librarian_->inspect([&](const PatchLibrary& library) { found = paneFile(library, side) != nullptr; });
  return found;
}

std::string unpaddedPatchName(const std::string& name) {
  const size_t end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

std::string quotedPatchName(const std::string& name) { return "\"" + unpaddedPatchName(name) + "\""; }

void LibrarianViewControl::CopySlotData(int x, int y) {
  const int hit = hitRow(1, x, y);
  select(1, hit);
  clipboard_ = lowerPatch(hit);
  editor_->setStatusText(clipboard_
                             ? "Copied " + quotedPatchName(clipboard_->name) + " from slot " + std::to_string(hit + 1)
                             : std::string("Nothing copied: no slot under the pointer"));
}

void LibrarianViewControl::PasteSlotData(int x, int y) {
  SetDirty(true);
  const int hit = hitRow(0, x, y);
  select(0, hit);
  librarian_->targetSlot = hit;
  deliver(clipboard_, "Pasted");
}

void LibrarianViewControl::renameSlot(int, int) {
  editor_->setRenameInactive(false);
  const int slot = selectedUpper;
  if (slot < 0) return;
  activeSide = 0;
  const size_t size = editor_->isLibrarianPerformanceMode() ? 100 : 99;
  std::optional<std::string> name;
  bool bank = false;
  librarian_->modify([&](PatchLibrary& library) {
    PatchFile* file = paneFile(library, 0);
    if (!file) return;
    bank = true;
    file->patches.resize(size);
    if (slot < int(size) && !file->patches[slot].empty()) name = file->patches[slot].name;
  });
  if (!bank) editor_->setStatusText(librarian_->noBankText("Not renamed"));
  if (!name) return;
  // The box holds the name as the row shows it, a '?' for each byte it cannot show:
  // the rename pads it again and keeps the bytes behind each '?' left untouched.
  if (IParam* rename = mPlug ? mPlug->GetParam(TavroParam::kPatchRename) : nullptr)
    rename->SetDisplayText(0, shownName(unpaddedPatchName(*name)).c_str());
  editor_->hideLayer("patchRename", false);
  editor_->openRenameEntry();
}

bool LibrarianViewControl::Draw(IGraphics* graphics) {
  IBitmapControl::Draw(graphics);
  for (int side = 0; side < 2; ++side) {
    const int selected = side == 0 ? selectedUpper.load() : selectedLower.load();
    if (selected >= 0 && selected < kRows) {
      IRECT bar = rows_[side][selected]->GetRECT();
      graphics->FillIRect(&kHighlight, &bar);
    }
    for (int i = 0; i < kRows; ++i) {
      ITextControl* row = rows_[side][i].get();
      if (i != selected) {
        row->Draw(graphics);
        continue;
      }
      row->SetTextColor(kSelectedRowText);
      row->Draw(graphics);
      row->SetTextColor(kRowText);
    }
  }
  if (dragging) graphics->FillIRect(&kHighlight, &dragRect);
  return true;
}

IControl* CreateLibrarianViewControl(IModuleBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, IRECT bounds,
                                     PatchLibrarian* librarian, double scale) {
  auto* editor = dynamic_cast<LibrarianPanelEditor*>(plug);
  if (!editor || !librarian) return nullptr;
  return new LibrarianViewControl(plug, editor, x, y, paramIdx, bitmap, bounds, librarian, scale);
}
