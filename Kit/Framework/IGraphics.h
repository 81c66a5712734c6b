#pragma once
// The platform-independent panel surface. It owns the panel's controls and
// top-level control layers, keeps the frame buffer everything is drawn into,
// decides what to redraw and draws it, routes mouse and key events to the
// control under the pointer, pushes parameter values from the plug-in into
// every bound control (also inside layers) and opens the value prompt.
//
// The platform host (IGraphicsMac) derives from it and supplies the pure
// virtual operations; the views call IsDirty, Draw and the event operations
// from their timer and event handlers.
//
// Threads: everything runs on the host's main thread except where a function
// says otherwise. Controls and layers are attached while the plug-in is built,
// before any other thread reaches the panel; the lists are fixed after that.

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "Framework/IGraphicsStructs.h"
#include "Framework/IModulePanel.h"
#include "Kit_HeapBuf.h"

class IModuleBase;
class IParam;
class IControl;
class IPopupMenu;
class ControlLayer;
class IClipWindow;
class ComposedBackdrop;
class Kit_String;
class Raster_IBitmap;
class Raster_IFont;
class Raster_SysBitmap;
class Raster_MemBitmap;

class IGraphics : public IModulePanel {
public:
  static constexpr int kDefaultFPS = 25;
  // The rows of the panel's bitmaps start at multiples of this many bytes.
  static constexpr int kLineAlign = 4;

  // fps below 1 becomes 25.
  IGraphics(IModuleBase* plug, int width, int height, int fps);
  // Deletes the key catcher, the top-level controls last to first, the
  // layers, then both bitmaps.
  ~IGraphics() override;
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Platform operations (the Mac host supplies the pure ones) ----
  virtual bool DrawScreen(IRECT* rect) = 0;
  // Text size placed by the style's alignment; see DrawIText.
  virtual bool MeasureIText(IText* text, const char* str, IRECT* rect);
  virtual void ForceEndUserEdit() = 0;
  virtual void Resize(int width, int height);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // Shows the menu and blocks; returns the menu (or submenu) holding the chosen
  // item with its chosen index set, or null when nothing was chosen.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) = 0;
  // Opens a text entry; the view later calls SetFromStringAfterPrompt (or the
  // control's TextFromTextEntry when param is null).
  virtual void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str, IParam* param) = 0;
  virtual void HostPath(Kit_String* path) = 0;
  virtual void PluginPath(Kit_String* path) = 0;
  virtual void DesktopPath(Kit_String* path) = 0;
  // On return fileName holds the chosen full path, or is empty when cancelled.
  virtual void PromptForFile(Kit_String* fileName, EFileAction action, Kit_String* folder, const char* extensions) = 0;
  virtual bool PromptForColor(IColor* color, const char* prompt) = 0;
  virtual bool OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
                       const char* errMsgOnFailure) = 0;
  virtual void* OpenWindow(void* parent) = 0;
  virtual void* OpenWindow(void* window, void* control, short left, short top) { return nullptr; }
  virtual void AttachSubWindow(void* window) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  // A newly allocated buffer (the caller owns it) or null; the host stores
  // the number of bytes read with SetLastFileSize.
  virtual std::unique_ptr<unsigned char[]> OSLoadFile(int id, const char* name) = 0;
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  // The decoded image of that name, or null when there is none.
  virtual std::unique_ptr<Raster_IBitmap> OSLoadBitmap(int id, const char* name) = 0;

  // ---- Attaching (the panel owns what is attached) ----
  int AttachControl(IControl* control);
  int AttachLayer(ControlLayer* layer);
  void AttachKeyCatcher(IControl* control);
  // Inserts an image (or colour) control at kBackgroundIdx; the others move up.
  void AttachBackground(int id, const char* name, double scale);
  void AttachPanelBackground(const IColor* color);

  // ---- Values from the plug-in ----
  // Writes the parameter record (when not normalized) and the value of every
  // bound control, top-level and in every layer, shown or not. The host is not
  // told. An index outside the plug-in's parameters is ignored.
  // threads: main, midi-in, worker
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override;
  // Every parameter at once, in one walk over the controls.
  // threads: main
  void SetParametersFromPlug(const std::vector<double>& normalized) override;
  // threads: main, midi-in, worker
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // An index outside the plug-in's parameters is ignored.
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  // threads: main, midi-in, worker
  void HideControl(int paramIdx, bool hide);
  // threads: main, midi-in, worker
  void GrayOutControl(int paramIdx, bool grey);
  // Marks every top-level control for the next redraw; no value goes to the plug-in
  // (SetDirty(false)).
  void SetAllControlsDirty();
  void SetStrictDrawing(bool strict);
  bool GetStrictDrawing() const { return mStrict; }

  // ---- Redraw ----
  // Unions the dirty controls' rects into rect; true when something is dirty.
  // A control or layer hidden since the last redraw adds its area once, so that
  // a page switch leaves nothing of the old page on screen.
  bool IsDirty(IRECT* rect);
  // Redraws into the frame buffer and hands the draw rect to DrawScreen.
  bool Draw(IRECT* rect);
  // The rect of the last (or current) redraw.
  const IRECT& GetDrawRECT() const { return mDrawRECT; }
  // With strict drawing, the fixed drawings (the background, a page's picture) are
  // composed once and copied on each redraw (see ComposedBackdrop); off, every
  // control is blended in order on every redraw. Both give the same pixels.
  void SetComposedBackdrop(bool on);
  // Draws the control in the redraw in progress, but for what the composed
  // backdrop holds of it.
  void DrawControl(IControl* control);
  // Creates the frame buffer and the scratch bitmap.
  void PrepDraw() override;

  // ---- Events (panel pixels, y downwards) ----
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  // A panel key (View_PanelKeys.h) goes to the control under the mouse; one that
  // control leaves, to the key catcher.
  bool OnKeyDown(int x, int y, int key);
  // The view's timer: each control's idle, then the plug-in's.
  // threads: main
  void OnGUIIdle();
  // The captured control, else the control under the point, else null.
  IControl* GetMouseControlIdx(int x, int y, bool mouseOver = false);
  void ReleaseMouseCapture();
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }

  // ---- Prompting ----
  // A popup of display texts (bool/enum with texts) or a text entry.
  void PromptUserInput(IControl* control, IParam* param, IRECT* rect);
  void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text);

  // ---- Bitmaps and fonts (process-wide caches, keyed by id and scale) ----
  // The cached image of (id, scale), loaded and scaled on first use (the
  // unscaled source is freed). The empty bitmap when the image is missing.
  // threads: any
  IBitmap LoadIBitmap(int id, const char* name, double scale, int frames = 1, bool framesHorizontal = false);
  // The cached image of (id, this panel's image scale); the empty bitmap when it
  // is not cached. Nothing is loaded.
  // threads: any
  IBitmap getImageById(int id, int frames = 1, bool framesHorizontal = false);
  // The scale the panel's images are loaded at (1.0 until set). Set once, before the
  // images are loaded; a LoadIBitmap at another scale does not change it.
  // threads: any
  void SetImageScale(double scale) { mImageScale.store(scale); }
  double GetImageScale() const { return mImageScale.load(); }
  // threads: any
  void RetainBitmap(IBitmap* bitmap);
  // Removes an image of RetainBitmap, ScaleBitmap or CropBitmap from the cache and
  // frees it; loaded images (shared by every panel) and unknown ones are left alone.
  // threads: any
  void ReleaseBitmap(IBitmap* bitmap);
  IBitmap ScaleBitmap(IBitmap* source, int width, int height);
  IBitmap CropBitmap(IBitmap* source, IRECT* rect);
  // The cached font of the style (made on first use), or null.
  Raster_IFont* CacheFont(IText* text);

  // ---- Drawing primitives ----
  // Every primitive is clipped to the draw rect while Draw runs (so a strict
  // redraw changes no pixel outside it) and to the panel otherwise.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend);
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend);
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, int srcX, int srcY, const IChannelBlend* blend);
  bool DrawRotatedBitmap(IBitmap* bitmap, int centreX, int centreY, double angleRad, int yOffsetZeroDeg,
                         const IChannelBlend* blend);
  bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angleDeg,
                       const IChannelBlend* blend);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // Stores the pixel unblended; a point outside the panel is ignored.
  bool ForcePixel(const IColor* color, int x, int y);
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2, const IChannelBlend* blend = nullptr,
                bool antiAlias = false);
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend = nullptr,
                  bool antiAlias = false);
  bool RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerRadius, bool antiAlias);
  bool FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerRadius, bool antiAlias);
  bool FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend = nullptr);
  bool FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend = nullptr,
                  bool antiAlias = false);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3, const IChannelBlend* blend);
  bool FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints, const IChannelBlend* blend);
  // The pixel at (x, y); all zero outside the panel.
  IColor GetPoint(int x, int y);
  bool DrawVerticalLine(const IColor* color, int x, int yLo, int yHi);
  bool DrawHorizontalLine(const IColor* color, int y, int xLo, int xHi);
  // x (y) in 0..1 across the rect; y = 1 is the top.
  bool DrawVerticalLine(const IColor* color, IRECT* rect, float x);
  bool DrawHorizontalLine(const IColor* color, IRECT* rect, float y);
  bool DrawRect(const IColor* color, IRECT* rect);
  // Angle in radians, 0 pointing up, growing clockwise.
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // Draws (or with measure, measures into rect) the text; false when no font
  // can be made for the style.
  bool DrawIText(IText* text, const char* str, IRECT* rect, bool measure = false);
  // The frame buffer's first pixel, or null before PrepDraw.
  uint32_t* GetBits();
  Raster_SysBitmap* GetDrawBitmap() const { return mDrawBitmap; }

  // ---- Other ----
  std::unique_ptr<unsigned char[]> LoadFile(int id, const char* name) { return OSLoadFile(id, name); }
  int GetLastFileSize() const { return mLastFileSize; }
  IModuleBase* GetPlug() const { return mPlug; }
  // Whether the plug-in lets its window close now (it may ask the user first).
  // threads: main
  bool PlugAllowsClose();
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  int NControls() const { return mControls.GetSize(); }
  // Null when idx is outside the top-level list.
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  // The background, once attached, is the first top-level control: drawn first and
  // always (hidden or not), and redrawn whole when dirty.
  static constexpr int kBackgroundIdx = 0;
  // Null before a background is attached to a panel without controls.
  IControl* GetBackground() const { return GetControl(kBackgroundIdx); }
  int NLayers() const { return mLayers.GetSize(); }
  ControlLayer* GetLayer(int idx) const { return mLayers.Get(idx); }
  IControl* GetKeyCatcher() const { return mKeyCatcher; }
  // The string of the topmost shown text control holding the point (layers last
  // to first, then top-level controls last to first); none where there is none.
  std::optional<std::string> TextAt(int x, int y) const;

protected:
  void SetLastFileSize(int size) { mLastFileSize = size; }

  bool mCursorHidden = false;
  int mCursorX = -1;
  int mCursorY = -1;

private:
  // Hit test: layers last to first, then top-level controls last to first
  // (hidden and greyed skipped; greyed kept when mouseOver and allowed).
  IControl* HitTest(int x, int y, bool mouseOver);
  // The topmost shown top-level control at (x, y) when it is greyed and no layer lies
  // over (x, y); else null.
  IControl* GrayedControlAt(int x, int y);
  // The plug-in lets input at (x, y), or at the middle of `at`, reach `control` (null
  // passes).
  bool Allows(IControl* control, int x, int y);
  bool Allows(IControl* control, const IRECT& at);
  void InsertBackground(IControl* background);
  void DrawStrict(const IRECT& rect);
  // Composes the backdrop again when what it must hold changed; false when the
  // redraw does without it.
  bool UpdateBackdrop();
  void DrawDirtyOnly();
  void FreeBitmaps();
  // Primitives draw through this window onto the frame buffer: the draw
  // rect while Draw runs, the whole panel otherwise.
  IClipWindow* Clip();
  void SetClip(const IRECT& rect);

  Kit_PtrList<IControl> mControls;
  Kit_PtrList<ControlLayer> mLayers;
  IModuleBase* mPlug;
  IRECT mDrawRECT;
  Raster_SysBitmap* mDrawBitmap = nullptr;
  Raster_MemBitmap* mTmpBitmap = nullptr;
  std::unique_ptr<IClipWindow> mClip;
  std::unique_ptr<ComposedBackdrop> mBackdrop;
  bool mComposing = true;
  bool mBackdropInUse = false;  // while a strict redraw runs with it
  bool mDrawing = false;        // while Draw runs
  int mWidth;
  int mHeight;
  int mFPS;
  int mLastFileSize = 0;
  IControl* mMouseOver = nullptr;
  IControl* mMouseCapture = nullptr;
  // The last press (or double click) was refused by the plug-in: its release reaches
  // nobody either.
  bool mPressRefused = false;
  int mMouseX = 0;
  int mMouseY = 0;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  IControl* mKeyCatcher = nullptr;
  std::atomic<double> mImageScale{1.0};
};
