#pragma once
// The one-line text entry the back ends draw inside the panel (there are no native
// widgets below the views). The view decides per key what happens through a filter;
// the entry keeps the text and edits it at its caret, as the platform's fields do:
// Left/Right step one character, Home/Up and End/Down go to either end, Backspace
// removes the character before the caret and Delete the one after it, select-all
// (Control-A or Command-A) selects the whole text, and typing replaces a selection.
//
// threads: main.

#include <cstdint>
#include <functional>
#include <string>

#include "views/View_Events.h"
#include "views/View_Geometry.h"

enum class ViewEntryVerdict {
  Commit,  // end the entry; the view reads the text
  Edit,    // an editing key: backspace/delete remove, arrows move the caret
  Insert,  // take the typed characters
  Refuse,  // ignore the key
};

// `current` is the text before the key, `proposed` the text the key would make.
using ViewEntryFilter =
    std::function<ViewEntryVerdict(const ViewKeyEvent& key, const std::string& current, const std::string& proposed)>;

enum class ViewTextAlign { Left, Center, Right };

struct ViewTextEntrySpec {
  ViewRect rect;  // window pixels
  std::string text;
  bool selectAll = false;  // the first typed character replaces the initial text
  std::string fontFace;
  int fontSize = 12;
  ViewTextAlign align = ViewTextAlign::Left;
  uint32_t foreground = 0x000000;  // 0xRRGGBB
  uint32_t background = 0xFFFFFF;
  ViewEntryFilter filter;  // none: Return and Enter commit, other characters are taken
};

// The standard verdict without a view's rules: Return/Enter commit, editing keys
// edit, anything with characters is inserted.
ViewEntryVerdict ViewDefaultEntryVerdict(const ViewKeyEvent& key);

// Whether the key is one that edits or moves in the text rather than types into it:
// Backspace, Delete, the arrows, Home and End.
bool ViewIsEntryEditingKey(const ViewKeyEvent& key);

// Control-A (as the X server gives it, "\x01", or as "a") or Command-A.
bool ViewIsSelectAllKey(const ViewKeyEvent& key);

class ViewTextEntry {
public:
  explicit ViewTextEntry(ViewTextEntrySpec request);

  // True when the key ended the entry. Characters below 0x20 and 0x7F are never
  // taken: whoever owns the entry handles Escape and Tab before it.
  bool HandleKey(const ViewKeyEvent& key);

  const std::string& Text() const { return text_; }
  // Byte offset of the caret in Text(), always at the start of a character.
  size_t Caret() const { return caret_; }
  bool AllSelected() const { return allSelected_ && !text_.empty(); }
  const ViewTextEntrySpec& Request() const { return spec_; }
  // Where the entry is drawn (a session lays its box out as it draws).
  void SetRect(const ViewRect& rect) { spec_.rect = rect; }

private:
  void Edit(int keyCode);
  size_t PreviousCharacter(size_t at) const;
  size_t NextCharacter(size_t at) const;

  ViewTextEntrySpec spec_;
  std::string text_;
  size_t caret_;
  bool allSelected_;
};
