#include "Framework/IControlText.h"

#include <cstring>
#include <string>

#include "Framework/IGraphics.h"
#include "Framework/IParam.h"

namespace {
constexpr int kFirstFontChar = 31;  // character c is frame c - 31
constexpr const char* kCutMark = "...";

int TextWidth(IGraphics* graphics, IText* style, const std::string& str, const IRECT& rect) {
  IRECT measured = rect;
  graphics->MeasureIText(style, str.c_str(), &measured);
  return measured.W();
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// `str` with all but `kept` of its bytes left out and the cut mark in their place: at
// the end, or in the middle (the start and the end kept); never inside a UTF-8 sequence.
std::string CutText(const std::string& str, size_t kept, bool inMiddle) {
  size_t head = inMiddle ? (kept + 1) / 2 : kept;
  size_t tail = str.size() - (kept - head);
  while (head > 0 && head < str.size() && IsContinuationByte(str[head])) --head;
  while (tail < str.size() && IsContinuationByte(str[tail])) ++tail;
  return str.substr(0, head) + kCutMark + (inMiddle ? str.substr(tail) : std::string());
}

// `str` when it is at most the rect's width, else the widest cut of it that is.
std::string CutToWidth(IGraphics* graphics, IText* style, const std::string& str, const IRECT& rect, bool inMiddle) {
  const int width = rect.W();
  if (TextWidth(graphics, style, str, rect) <= width) return str;
  size_t low = 0, high = str.size();
  while (low < high) {
    const size_t mid = (low + high + 1) / 2;
    if (TextWidth(graphics, style, CutText(str, mid, inMiddle), rect) <= width)
      low = mid;
    else
      high = mid - 1;
  }
  return CutText(str, low, inMiddle);
}

}  // namespace

ITextControl::ITextControl(IModuleBase* plug, const IRECT& rect, const IText* text, const char* str)
    : IControl(plug, rect, -1), mStr(str ? str : "") {
  if (text) mText = *text;
}

bool ITextControl::Draw(IGraphics* graphics) {
  std::lock_guard<std::mutex> lock(mTextLock);
  return DrawString(graphics, mStr);
}

bool ITextControl::DrawString(IGraphics* graphics, const std::string& str) {
  if (str.empty()) return true;
  IRECT rect = mRECT;
  IText fitted = FittedText(graphics, mText, str.c_str(), mRECT);
  IText* style = fitted.size == mText.size ? &mText : &fitted;
  if (mCut == Cut::kNone) return graphics->DrawIText(style, str.c_str(), &rect);
  return graphics->DrawIText(style, CutToWidth(graphics, style, str, rect, mCut == Cut::kInMiddle).c_str(), &rect);
}

IText FittedText(IGraphics* graphics, const IText& style, const char* str, const IRECT& field) {
  IText text = style;
  const int smallest = style.size * 2 / 3;
  for (;;) {
    IRECT measured = field;
    if (!graphics->MeasureIText(&text, str, &measured) || measured.W() <= field.W() || text.size <= smallest) {
      return text;
    }
    --text.size;
    text.cachedFont = nullptr;  // the style's font is of the other size
  }
}

void ITextControl::SetTextFromPlug(const char* text) {
  const char* newText = text ? text : "";
  std::lock_guard<std::mutex> lock(mTextLock);
  if (mStr == newText) return;
  mStr = newText;
  // Usually called from another thread: request the redraw too, so a tick
  // that is drawing right now cannot clean the change away (see SetClean).
  mRedraw.store(true);
  SetDirty(false);
}

std::string ITextControl::GetTextString() const {
  std::lock_guard<std::mutex> lock(mTextLock);
  return mStr;
}

void ITextControl::SetTextColor(const IColor& color) {
  std::lock_guard<std::mutex> lock(mTextLock);
  mText.color = color;
}

ITextControl* TopmostTextControlAt(const Kit_PtrList<IControl>& controls, int x, int y) {
  for (int i = controls.GetSize() - 1; i >= 0; --i) {
    IControl* control = controls.Get(i);
    if (control->IsHidden() || !control->GetRECT().Contains(x, y)) continue;
    if (auto* text = dynamic_cast<ITextControl*>(control)) return text;
  }
  return nullptr;
}

ICaptionControl::ICaptionControl(IModuleBase* plug, const IRECT& rect, int paramIdx, const IText* text, bool showLabel)
    : ITextControl(plug, rect, text), mShowLabel(showLabel) {
  mParamIdx = paramIdx;
}

void ICaptionControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (!IsGrayed() && mod && (mod->L || mod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  if (!IsGrayed()) PromptUserInput();
}

bool ICaptionControl::Draw(IGraphics* graphics) {
  std::lock_guard<std::mutex> lock(mTextLock);
  if (IParam* param = GetParam()) {
    char display[IParam::kDisplayBufferSize];
    param->GetDisplayForHost(param->Value(), false, display, sizeof display, true);
    mStr = display;
    if (mShowLabel) {
      mStr += ' ';
      mStr += param->GetLabelForHost();
    }
  }
  return DrawString(graphics, mStr);
}

IBitmapTextControl::IBitmapTextControl(IModuleBase* plug, const IRECT& rect, const IBitmap* font, const IText* text,
                                       const char* str, int charWidth, int charHeight)
    : ITextControl(plug, rect, text, str),
      mFontBitmap(font ? *font : IBitmap()),
      mCharWidth(charWidth),
      mCharHeight(charHeight) {}

bool IBitmapTextControl::Draw(IGraphics* graphics) {
  std::lock_guard<std::mutex> lock(mTextLock);
  const IChannelBlend blend = GetBlend();
  return DrawBitmapedText(graphics, &mFontBitmap, mRECT, mText, &blend, mStr.c_str(), true, false, mCharWidth,
                          mCharHeight);
}

bool DrawBitmapedText(IGraphics* graphics, IBitmap* font, const IRECT& rect, const IText& text,
                      const IChannelBlend* blend, const char* str, bool centreVertically, bool multiLine, int charWidth,
                      int charHeight) {
  const int length = str ? int(std::strlen(str)) : 0;
  if (length == 0 || charWidth <= 0 || charHeight <= 0) return true;

  const int top = centreVertically ? rect.T + (rect.B - (rect.T + charHeight)) / 2 : rect.T;
  const int firstColumn =
      text.align == IText::kAlignCenter ? rect.L + (rect.R - (rect.L + length * charWidth)) / 2 : rect.L + charWidth;
  const int available = rect.W() - 2 * charWidth;
  int charsPerRow = length;
  int rows = 1;
  if (multiLine && length * charWidth > available) {
    charsPerRow = available / charWidth;
    rows = available > 0 ? length * charWidth / available : 0;
  } else if (!multiLine) {
    charsPerRow = available / charWidth;
  }
  if (charsPerRow < 1) return true;

  bool result = true;
  int next = 0;
  for (int row = 0; row <= rows && next < length; ++row) {
    const int y = top + row * charHeight;
    for (int col = 0; col < charsPerRow && next < length; ++col, ++next) {
      const int x = firstColumn + col * charWidth;
      IRECT cell(x, y, x + charWidth, y + charHeight);
      const int frame = static_cast<unsigned char>(str[next]) - kFirstFontChar;
      result = graphics->DrawBitmap(font, &cell, frame, blend);
    }
  }
  return result;
}
