#pragma once
// The file prompt drawn inside the panel: a one-line path entry that starts with
// the start folder and name. Return accepts the path as the prompt rules take it
// (View_FilePromptRules.h); Escape cancels. A refused path says why on the box.

#include <optional>
#include <string>

#include "views/View_Backend.h"
#include "views/View_ModalSession.h"
#include "views/View_TextEntry.h"

class ViewPathPromptSession : public ViewModalSession {
public:
  ViewPathPromptSession(const ViewFilePrompt& prompt, int viewWidth, int viewHeight, ViewOverlayPainter& painter);

  void Mouse(const ViewMouseEvent&) override {}
  void Key(const ViewKeyEvent& event) override;
  bool Done() const override { return done_; }
  ViewRect Bounds() const override { return box_; }
  void Draw(Raster_IBitmap* dest, ViewOverlayPainter& painter) override;

  std::optional<std::string> Path() const { return path_; }
  const std::string& Text() const { return entry_.Text(); }
  const std::string& Problem() const { return problem_; }

private:
  ViewFilePrompt prompt_;
  ViewTextEntry entry_;
  ViewRect box_;
  int lineHeight_;
  std::string problem_;
  bool done_ = false;
  std::optional<std::string> path_;
};

// The start text of the entry: the folder with one trailing "/", then the name.
std::string ViewPathPromptStartText(const std::string& folder, const std::string& name);
