#pragma once
// A message box drawn inside the panel: caption, wrapped text and a row of buttons
// (default rightmost). A click on a button answers; Return answers with the default,
// Escape with the button that cancels.

#include <string>
#include <vector>

#include "views/View_Backend.h"
#include "views/View_ModalSession.h"

class ViewAlertSession : public ViewModalSession {
public:
  ViewAlertSession(const ViewAlert& alert, int viewWidth, int viewHeight, ViewOverlayPainter& painter);

  void Mouse(const ViewMouseEvent& event) override;
  void Key(const ViewKeyEvent& event) override;
  bool Done() const override { return done_; }
  ViewRect Bounds() const override { return box_; }
  void Draw(Raster_IBitmap* dest, ViewOverlayPainter& painter) override;

  ViewAlertResponse Response() const { return response_; }
  ViewRect ButtonRect(size_t index) const { return buttonRects_[index]; }
  const std::vector<std::string>& Lines() const { return lines_; }

private:
  void Answer(ViewAlertButton::Role role);

  ViewAlert alert_;
  std::vector<std::string> lines_;
  std::vector<ViewRect> buttonRects_;
  ViewRect box_;
  int lineHeight_;
  bool done_ = false;
  ViewAlertResponse response_ = ViewAlertResponse::Dismissed;
};

// Splits text at newlines and wraps it at blanks to lines no wider than `width`
// (a word wider than that stands on its own line).
std::vector<std::string> ViewWrapText(const std::string& text, int width, ViewOverlayPainter& painter);
