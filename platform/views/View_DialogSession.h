#pragma once
// A dialog of the Windows-API emulation shown inside the panel while its modal run
// lasts: a title bar over the dialog's own rect, its labels, edit fields and
// buttons. A click on a button sends the dialog WM_COMMAND with the button's id; a
// click on an edit field gives it the keys. Typing edits the field's text, Tab
// moves to the next field, Return sends IDOK and Escape IDCANCEL; the dialog's
// procedure decides what ends it. Positions are window pixels: the back end makes
// the emulation's screen the panel, so dialog rects are already window pixels.

#include <optional>
#include <vector>

#include "views/View_ModalSession.h"
#include "views/View_TextEntry.h"
#include "winemu/WinEmu_Types.h"

class ViewDialogSession : public ViewModalSession {
public:
  ViewDialogSession(HWND dialog, ViewOverlayPainter& painter);

  void Mouse(const ViewMouseEvent& event) override;
  void Key(const ViewKeyEvent& event) override;
  // The dialog has ended (or is gone).
  bool Done() const override;
  ViewRect Bounds() const override;
  void Draw(Raster_IBitmap* dest, ViewOverlayPainter& painter) override;

  // The edit field taking the keys; null when the dialog has none.
  HWND FocusedField() const { return focus_; }

private:
  ViewRect DialogRect() const;
  std::vector<HWND> Fields() const;
  void Focus(HWND field);
  void Command(int id);

  HWND dialog_;
  int titleHeight_;
  HWND focus_ = nullptr;
  std::optional<ViewTextEntry> entry_;  // the focused field's text being edited
};

// A button caption as shown: "&" mnemonic marks dropped ("&&" stays one "&"),
// trailing blanks removed.
std::string ViewDialogButtonLabel(const std::string& text);
