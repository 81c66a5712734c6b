#include "views/View_AlertSession.h"

#include <algorithm>
#include <sstream>

namespace {

constexpr int kAlertMargin = 12;
constexpr int kButtonGap = 8;

ViewAlertResponse ResponseOf(ViewAlertButton::Role role) {
  switch (role) {
    case ViewAlertButton::Role::Default: return ViewAlertResponse::Default;
    case ViewAlertButton::Role::Alternate: return ViewAlertResponse::Alternate;
    case ViewAlertButton::Role::Other: return ViewAlertResponse::Other;
  }
  return ViewAlertResponse::Dismissed;
}

}  // namespace

std::vector<std::string> ViewWrapText(const std::string& text, int width, ViewOverlayPainter& painter) {
  std::vector<std::string> lines;
  std::istringstream paragraphs(text);
  std::string paragraph;
  while (std::getline(paragraphs, paragraph)) {
    std::istringstream words(paragraph);
    std::string word, line;
    while (words >> word) {
      const std::string candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && painter.TextWidth(candidate) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
    }
    lines.push_back(line);
  }
  return lines;
}

ViewAlertSession::ViewAlertSession(const ViewAlert& alert, int viewWidth, int viewHeight, ViewOverlayPainter& painter)
    : alert_(alert), lineHeight_(painter.LineHeight()) {
  const int width = std::max(std::min(viewWidth - 2 * kAlertMargin, 420), 120);
  lines_ = ViewWrapText(alert.text, width - 2 * kAlertMargin, painter);
  const int buttonHeight = lineHeight_ + 8;
  const int height =
      kAlertMargin + lineHeight_ + 6 + int(lines_.size()) * lineHeight_ + kAlertMargin + buttonHeight + kAlertMargin;
  box_ = {std::max(0, (viewWidth - width) / 2), std::max(0, (viewHeight - height) / 2), width, height};
  // Buttons from the right: default, alternate, other, whatever order they came in.
  int right = box_.x + box_.w - kAlertMargin;
  const int top = box_.y + box_.h - kAlertMargin - buttonHeight;
  buttonRects_.resize(alert.buttons.size());
  for (ViewAlertButton::Role role :
       {ViewAlertButton::Role::Default, ViewAlertButton::Role::Alternate, ViewAlertButton::Role::Other})
    for (size_t i = 0; i < alert.buttons.size(); ++i) {
      if (alert.buttons[i].role != role) continue;
      const int w = std::max(painter.TextWidth(alert.buttons[i].label) + 24, 64);
      buttonRects_[i] = {right - w, top, w, buttonHeight};
      right -= w + kButtonGap;
    }
}

void ViewAlertSession::Answer(ViewAlertButton::Role role) {
  response_ = ResponseOf(role);
  done_ = true;
}

void ViewAlertSession::Mouse(const ViewMouseEvent& e) {
  if (done_ || e.action != ViewMouseAction::Down) return;
  for (size_t i = 0; i < buttonRects_.size(); ++i)
    if (buttonRects_[i].Contains(int(e.x), int(e.y))) Answer(alert_.buttons[i].role);
}

void ViewAlertSession::Key(const ViewKeyEvent& key) {
  if (done_) return;
  const bool escape = key.keyCode == kViewKeyEscape;
  if (!escape && key.keyCode != kViewKeyReturn && key.keyCode != kViewKeyEnter) return;
  for (const ViewAlertButton& b : alert_.buttons)
    if (escape ? b.cancels : b.role == ViewAlertButton::Role::Default) {
      Answer(b.role);
      return;
    }
}

void ViewAlertSession::Draw(Raster_IBitmap* dest, ViewOverlayPainter& painter) {
  painter.Fill(dest, box_, ViewOverlayColours::kFace);
  painter.Frame(dest, box_, ViewOverlayColours::kFrame);
  const int inner = box_.w - 2 * kAlertMargin;
  int y = box_.y + kAlertMargin;
  painter.Text(dest, {box_.x + kAlertMargin, y, inner, lineHeight_}, alert_.caption, ViewOverlayColours::kText,
               ViewTextAlign::Left);
  y += lineHeight_ + 6;
  for (const std::string& line : lines_) {
    painter.Text(dest, {box_.x + kAlertMargin, y, inner, lineHeight_}, line, ViewOverlayColours::kText,
                 ViewTextAlign::Left);
    y += lineHeight_;
  }
  for (size_t i = 0; i < buttonRects_.size(); ++i) {
    const bool isDefault = alert_.buttons[i].role == ViewAlertButton::Role::Default;
    painter.Fill(dest, buttonRects_[i], isDefault ? ViewOverlayColours::kHighlight : 0xFFFFFF);
    painter.Frame(dest, buttonRects_[i], ViewOverlayColours::kFrame);
    painter.Text(dest, buttonRects_[i], alert_.buttons[i].label,
                 isDefault ? ViewOverlayColours::kHighlightText : ViewOverlayColours::kText, ViewTextAlign::Center);
  }
}
