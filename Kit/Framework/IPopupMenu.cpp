#include "Framework/IPopupMenu.h"
#include <algorithm>

IPopupMenuItem::IPopupMenuItem(const char* text, int flags, IPopupMenu* submenu)
    : mText(text ? text : ""), mSubmenu(submenu), mFlags(flags) {}

void IPopupMenuItem::SetChecked(bool checked) {
  if (checked)
    mFlags |= kChecked;
  else
    mFlags &= ~kChecked;
}

IPopupMenu::~IPopupMenu() {
  while (!mItems.empty()) mItems.pop_back();
}

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* item, int index) {
  if (!item) return nullptr;
  std::unique_ptr<IPopupMenuItem> owned(item);
  const int n = GetNItems();
  if (index == -1 || index >= n)
    mItems.push_back(std::move(owned));
  else
    mItems.insert(mItems.begin() + std::max(index, 0), std::move(owned));
  return item;
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int flags) {
  return AddItem(new IPopupMenuItem(text, flags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* submenu) {
  return AddItem(new IPopupMenuItem(text, IPopupMenuItem::kNoFlags, submenu), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* submenu) { return AddItem(text, -1, submenu); }

IPopupMenuItem* IPopupMenu::AddSeparator(int index) { return AddItem("", index, IPopupMenuItem::kSeparator); }

IPopupMenuItem* IPopupMenu::GetItem(int i) const { return i >= 0 && i < GetNItems() ? mItems[i].get() : nullptr; }

const char* IPopupMenu::GetItemText(int i) const {
  const IPopupMenuItem* item = GetItem(i);
  return item ? item->GetText() : "";
}

void IPopupMenu::SetPrefix(int prefix) {
  if (prefix >= kNoPrefix && prefix <= kThreeDigits) mPrefix = prefix;
}

bool IPopupMenu::CheckItem(int i, bool checked) {
  IPopupMenuItem* item = GetItem(i);
  if (!item) return false;
  item->SetChecked(checked);
  return true;
}

void IPopupMenu::CheckItemAlone(int i) {
  for (int k = 0; k < GetNItems(); ++k) mItems[k]->SetChecked(k == i);
}

bool IPopupMenu::IsItemChecked(int i) const {
  const IPopupMenuItem* item = GetItem(i);
  return item && item->GetChecked();
}
