#include "views/View_TextEntry.h"

#include <utility>

namespace {

// Escape, Tab, control letters and delete are keys, never part of a name or number.
bool HasControlCharacter(const std::string& characters) {
  for (unsigned char c : characters)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

bool ViewIsEntryEditingKey(const ViewKeyEvent& key) {
  switch (key.keyCode) {
    case kViewKeyBackspace:
    case kViewKeyForwardDelete:
    case kViewKeyLeft:
    case kViewKeyRight:
    case kViewKeyUp:
    case kViewKeyDown:
    case kViewKeyHome:
    case kViewKeyEnd: return true;
    default: return false;
  }
}

bool ViewIsSelectAllKey(const ViewKeyEvent& key) {
  if (!key.mods.control && !key.mods.command) return false;
  return key.characters == "\x01" || key.characters == "a" || key.characters == "A";
}

ViewEntryVerdict ViewDefaultEntryVerdict(const ViewKeyEvent& key) {
  if (key.keyCode == kViewKeyReturn || key.keyCode == kViewKeyEnter) return ViewEntryVerdict::Commit;
  if (ViewIsEntryEditingKey(key)) return ViewEntryVerdict::Edit;
  return key.characters.empty() ? ViewEntryVerdict::Refuse : ViewEntryVerdict::Insert;
}

ViewTextEntry::ViewTextEntry(ViewTextEntrySpec request)
    : spec_(std::move(request)), text_(spec_.text), caret_(text_.size()), allSelected_(spec_.selectAll) {}

bool ViewTextEntry::HandleKey(const ViewKeyEvent& key) {
  // A command, not a character: no filter sees it.
  if (ViewIsSelectAllKey(key)) {
    allSelected_ = true;
    return false;
  }
  const bool control = key.keyCode == kViewKeyReturn || key.keyCode == kViewKeyEnter || ViewIsEntryEditingKey(key);
  if (!control && HasControlCharacter(key.characters)) return false;
  const bool replacing = AllSelected();
  const std::string proposed = control     ? text_
                               : replacing ? key.characters
                                           : text_.substr(0, caret_) + key.characters + text_.substr(caret_);
  const ViewEntryVerdict verdict = spec_.filter ? spec_.filter(key, text_, proposed) : ViewDefaultEntryVerdict(key);
  switch (verdict) {
    case ViewEntryVerdict::Commit: return true;
    case ViewEntryVerdict::Edit:
      if (control) Edit(key.keyCode);
      return false;
    case ViewEntryVerdict::Insert:
      if (!control) {
        caret_ = (replacing ? 0 : caret_) + key.characters.size();
        text_ = proposed;
        allSelected_ = false;
      }
      return false;
    case ViewEntryVerdict::Refuse: return false;
  }
  return false;
}

// A selection goes as a whole with Backspace or Delete; a caret key drops it,
// leaving the caret at the end it moved towards.
void ViewTextEntry::Edit(int keyCode) {
  const bool selected = AllSelected();
  allSelected_ = false;
  switch (keyCode) {
    case kViewKeyBackspace:
    case kViewKeyForwardDelete:
      if (selected) {
        text_.clear();
        caret_ = 0;
      } else if (keyCode == kViewKeyBackspace && caret_ > 0) {
        const size_t from = PreviousCharacter(caret_);
        text_.erase(from, caret_ - from);
        caret_ = from;
      } else if (keyCode == kViewKeyForwardDelete && caret_ < text_.size()) {
        text_.erase(caret_, NextCharacter(caret_) - caret_);
      }
      return;
    case kViewKeyLeft: caret_ = selected ? 0 : PreviousCharacter(caret_); return;
    case kViewKeyRight: caret_ = selected ? text_.size() : NextCharacter(caret_); return;
    case kViewKeyUp:
    case kViewKeyHome: caret_ = 0; return;
    default: caret_ = text_.size(); return;  // Down, End
  }
}

// Steps over at most three continuation bytes, so a malformed text still moves.
size_t ViewTextEntry::PreviousCharacter(size_t at) const {
  if (at == 0) return 0;
  size_t start = at - 1;
  while (start > 0 && at - start < 4 && IsContinuationByte(text_[start])) --start;
  return start;
}

size_t ViewTextEntry::NextCharacter(size_t at) const {
  if (at >= text_.size()) return text_.size();
  size_t end = at + 1;
  while (end < text_.size() && end - at < 4 && IsContinuationByte(text_[end])) ++end;
  return end;
}
