#pragma once
// Platform-independent popup menu: ordered items with text, flags and an
// optional submenu, a numbering prefix and the item the user chose.
// The platform host turns it into a native menu and writes the chosen item
// back (into the menu, or submenu, that holds it).
//
// threads: main only.

#include <memory>
#include <string>
#include <vector>

class IPopupMenu;

class IPopupMenuItem {
public:
  enum EFlags { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };

  // The submenu is not owned by the item.
  explicit IPopupMenuItem(const char* text, int flags = kNoFlags, IPopupMenu* submenu = nullptr);

  const char* GetText() const { return mText.c_str(); }
  void SetText(const char* text) { mText = text ? text : ""; }
  int GetFlags() const { return mFlags; }
  void SetFlags(int flags) { mFlags = flags; }
  IPopupMenu* GetSubmenu() const { return mSubmenu; }
  void SetSubmenu(IPopupMenu* submenu) { mSubmenu = submenu; }

  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetChecked() const { return mFlags & kChecked; }
  bool GetIsTitle() const { return mFlags & kTitle; }
  bool GetIsSeparator() const { return mFlags & kSeparator; }
  void SetChecked(bool checked);

private:
  std::string mText;
  IPopupMenu* mSubmenu;
  int mFlags;
};

class IPopupMenu {
public:
  enum EPrefix { kNoPrefix = 0, kOneDigit = 1, kTwoDigits = 2, kThreeDigits = 3 };

  IPopupMenu() = default;
  // Deletes the items; submenus belong to whoever created them.
  ~IPopupMenu();
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // Placement by index: -1 or past the end appends, any other negative index
  // inserts at the front, otherwise inserts before the item at that position.
  // The menu takes ownership of the item; returns it.
  IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1, int flags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu);
  IPopupMenuItem* AddSeparator(int index = -1);

  int GetNItems() const { return int(mItems.size()); }
  // Null when i is outside the list.
  IPopupMenuItem* GetItem(int i) const;
  // "" when i is outside the list or the item has no text.
  const char* GetItemText(int i) const;

  // Accepts only the four EPrefix values; others leave the prefix unchanged.
  void SetPrefix(int prefix);
  int GetPrefix() const { return mPrefix; }

  // False (nothing changed) when i is outside the list.
  bool CheckItem(int i, bool checked);
  // Checks item i alone; an i outside the list unchecks all.
  void CheckItemAlone(int i);
  bool IsItemChecked(int i) const;

  // -1 when nothing was chosen; written by the platform host.
  int GetChosenItemIdx() const { return mChosenItem; }
  void SetChosenItemIdx(int i) { mChosenItem = i; }

private:
  std::vector<std::unique_ptr<IPopupMenuItem>> mItems;
  int mPrefix = kNoPrefix;
  int mChosenItem = -1;
};
