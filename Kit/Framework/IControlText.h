#pragma once
// Text controls: plain read-outs and status lines (ITextControl), captions
// that show their parameter's display text and open its prompt
// (ICaptionControl), and text drawn from a bitmap font strip
// (IBitmapTextControl).
//
// Threads: every subsystem reports status through SetTextFromPlug, from any
// thread, while the main thread draws. The string and the text style are
// guarded by one lock, held by Draw, so a draw never reads a string being
// replaced.

#include <mutex>
#include <string>

#include "Framework/IControl.h"
#include "Kit_HeapBuf.h"

class ITextControl : public IControl {
public:
  ITextControl(IModuleBase* plug, const IRECT& rect, const IText* text, const char* str = "");

  // Draws the string in the control's style and rect; nothing when empty.
  bool Draw(IGraphics* graphics) override;

  // Replaces the string, marks the control dirty and requests a redraw when
  // the text differs.
  // threads: any
  void SetTextFromPlug(const char* text);
  // A copy of the current string.
  // threads: any
  std::string GetTextString() const;
  // Changes the colour the text is drawn in.
  // threads: any
  void SetTextColor(const IColor& color);
  // With fit on, a text wider than the rect is drawn cut at its end with "..." so
  // that nothing of it lands on the neighbours (the string itself is kept whole).
  // keepEnd cuts in the middle instead: names that share their start (a device's
  // ports) still differ where they end.
  // threads: main
  void SetFitToRect(bool fit, bool keepEnd = false) {
    mCut = !fit ? Cut::kNone : keepEnd ? Cut::kInMiddle : Cut::kAtEnd;
  }

protected:
  // Draws `str` with the style; the caller holds mTextLock.
  bool DrawString(IGraphics* graphics, const std::string& str);

  mutable std::mutex mTextLock;
  std::string mStr;
  enum class Cut { kNone, kAtEnd, kInMiddle };
  Cut mCut = Cut::kNone;
};

// The style with its size lowered, down to two thirds, until str fits the width of
// field: a port's or a program's name stays in its own field rather than running
// into its neighbour's.
IText FittedText(IGraphics* graphics, const IText& style, const char* str, const IRECT& field);

class ICaptionControl : public ITextControl {
public:
  // showLabel appends a blank and the parameter's label to the display text.
  ICaptionControl(IModuleBase* plug, const IRECT& rect, int paramIdx, const IText* text, bool showLabel);

  // Left or right button (not greyed): opens the prompt.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

private:
  bool mShowLabel;
};

// Text drawn character by character from a font strip whose frame c - 31 holds
// character c (frame 1 is the blank).
class IBitmapTextControl : public ITextControl {
public:
  IBitmapTextControl(IModuleBase* plug, const IRECT& rect, const IBitmap* font, const IText* text, const char* str,
                     int charWidth, int charHeight);

  bool Draw(IGraphics* graphics) override;

private:
  IBitmap mFontBitmap;
  int mCharWidth;
  int mCharHeight;
};

// Draws `str` with the font strip into rect. Nothing is drawn for an empty
// string or a character cell of zero size. Returns the last draw's result.
bool DrawBitmapedText(IGraphics* graphics, IBitmap* font, const IRECT& rect, const IText& text,
                      const IChannelBlend* blend, const char* str, bool centreVertically, bool multiLine, int charWidth,
                      int charHeight);

// The last text control of `controls` that is not hidden and whose rect holds the
// point; null when none.
ITextControl* TopmostTextControlAt(const Kit_PtrList<IControl>& controls, int x, int y);
