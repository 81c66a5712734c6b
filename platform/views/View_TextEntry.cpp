#include "views/View_TextEntry.h"

#include <utility>

namespace {

bool IsEditingKey(const ViewKeyEvent& key) {
  switch (key.keyCode) {
    case kViewKeyBackspace:
    case kViewKeyForwardDelete:
    case kViewKeyLeft:
    case kViewKeyRight:
    case kViewKeyUp:
    case kViewKeyDown: return true;
    default: return false;
  }
}

// Escape, Tab, control letters and delete are keys, never part of a name or number.
bool HasControlCharacter(const std::string& characters) {
  for (unsigned char c : characters)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

}  // namespace

ViewEntryVerdict ViewDefaultEntryVerdict(const ViewKeyEvent& key) {
  if (key.keyCode == kViewKeyReturn || key.keyCode == kViewKeyEnter) return ViewEntryVerdict::Commit;
  if (IsEditingKey(key)) return ViewEntryVerdict::Edit;
  return key.characters.empty() ? ViewEntryVerdict::Refuse : ViewEntryVerdict::Insert;
}

ViewTextEntry::ViewTextEntry(ViewTextEntrySpec request)
    : spec_(std::move(request)), text_(spec_.text), allSelected_(spec_.selectAll && !spec_.text.empty()) {}

bool ViewTextEntry::HandleKey(const ViewKeyEvent& key) {
  const bool control = key.keyCode == kViewKeyReturn || key.keyCode == kViewKeyEnter || IsEditingKey(key);
  if (!control && HasControlCharacter(key.characters)) return false;
  const std::string proposed = control ? text_ : (allSelected_ ? std::string() : text_) + key.characters;
  const ViewEntryVerdict verdict = spec_.filter ? spec_.filter(key, text_, proposed) : ViewDefaultEntryVerdict(key);
  switch (verdict) {
    case ViewEntryVerdict::Commit: return true;
    case ViewEntryVerdict::Edit:
      if (key.keyCode == kViewKeyBackspace || key.keyCode == kViewKeyForwardDelete) {
        if (allSelected_)
          text_.clear();
        else
          RemoveLastCharacter();
      }
      allSelected_ = false;
      return false;
    case ViewEntryVerdict::Insert:
      if (!control) {
        text_ = proposed;
        allSelected_ = false;
      }
      return false;
    case ViewEntryVerdict::Refuse: return false;
  }
  return false;
}

void ViewTextEntry::RemoveLastCharacter() {
  if (text_.empty()) return;
  // Step back over at most three continuation bytes to the start of the last character.
  size_t start = text_.size() - 1;
  while (start > 0 && text_.size() - start < 4 && (static_cast<unsigned char>(text_[start]) & 0xC0) == 0x80) --start;
  text_.erase(start);
}
