#include "views/View_PathPromptSession.h"

#include <algorithm>

#include "views/View_FilePromptRules.h"

namespace {

constexpr int kPromptMargin = 12;

}  // namespace

std::string ViewPathPromptStartText(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

ViewPathPromptSession::ViewPathPromptSession(const ViewFilePrompt& prompt, int viewWidth, int viewHeight,
                                             ViewOverlayPainter& painter)
    : prompt_(prompt),
      entry_([&] {
        ViewTextEntrySpec request;
        request.text = ViewPathPromptStartText(prompt.folder, prompt.name);
        return request;
      }()),
      lineHeight_(painter.LineHeight()) {
  const int width = std::max(std::min(viewWidth - 2 * kPromptMargin, 520), 160);
  const int height = 2 * kPromptMargin + 4 * (lineHeight_ + 6);
  box_ = {std::max(0, (viewWidth - width) / 2), std::max(0, (viewHeight - height) / 2), width, height};
}

void ViewPathPromptSession::Key(const ViewKeyEvent& key) {
  if (done_) return;
  if (key.keyCode == kViewKeyEscape) {
    done_ = true;
    return;
  }
  if (!entry_.HandleKey(key)) return;
  const ViewPromptPath checked = ViewCheckPromptPath(prompt_, entry_.Text());
  problem_ = checked.problem;
  if (!problem_.empty()) return;
  path_ = checked.path;
  done_ = true;
}

void ViewPathPromptSession::Draw(Raster_IBitmap* dest, ViewOverlayPainter& painter) {
  painter.Fill(dest, box_, ViewOverlayColours::kFace);
  painter.Frame(dest, box_, ViewOverlayColours::kFrame);
  const int row = lineHeight_ + 6, inner = box_.w - 2 * kPromptMargin, left = box_.x + kPromptMargin;
  int y = box_.y + kPromptMargin;
  painter.Text(dest, {left, y, inner, row}, ViewPromptTitle(prompt_), ViewOverlayColours::kText, ViewTextAlign::Left);
  y += row;
  painter.Frame(dest, {left - 1, y - 1, inner + 2, row + 2}, ViewOverlayColours::kFrame);
  entry_.SetRect({left, y, inner, row});
  painter.Entry(dest, entry_);
  y += row;
  painter.Text(dest, {left, y, inner, row}, problem_, 0xB00000, ViewTextAlign::Left);
  y += row;
  painter.Text(dest, {left, y, inner, row}, "Return: OK    Escape: Cancel", ViewOverlayColours::kDisabledText,
               ViewTextAlign::Left);
}
