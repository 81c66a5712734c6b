#pragma once
// Base of every panel control: its rectangle, bound parameter, normalised
// value, hidden/greyed/dirty flags and the virtual operations the panel
// surface calls for drawing, mouse, keys and values.
//
// Threads. The panel surface drives controls from the host's main thread
// (timer, mouse, keys). The plug-in also pushes values from midi-in
// and worker (transfer) (SetValueFromPlug, SetValueFromHardware,
// SetAuxParamValueFromPlug, and Hide/GrayOut through layer switching), so the
// value, clamp range, default and every flag are atomics: a draw may see a
// value one change old and the next timer tick draws the newer one. Such
// changes request a redraw as well as marking dirty, so one that lands while a
// tick is drawing is still drawn by the next tick (see SetClean).
// Functions without a threads note are main-thread only.

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "Framework/IGraphicsStructs.h"

class IModuleBase;
class IGraphics;
class IParam;
class ITextControl;

// v limited to 0..1, and 0 when it is not a number. Values pushed in from
// outside are not checked on the way in; whatever turns a value into a frame,
// a position or an angle goes through this first.
inline double ClampToUnit(double v) { return v > 0.0 ? (v < 1.0 ? v : 1.0) : 0.0; }

// A further parameter a control shows beside its own.
struct AuxParam {
  std::atomic<double> mValue{0.0};
  int mParamIdx;
  explicit AuxParam(int paramIdx) : mParamIdx(paramIdx) {}
};

// What a control draws when it draws one image the same way whatever is done to it
// but moving, hiding or swapping that image: the panel composes such drawings once
// instead of blending them on every redraw (see ComposedBackdrop).
struct FixedDrawing {
  IBitmap image;
  int frame = 1;
  IChannelBlend blend;
  IRECT rect;
};
bool operator==(const FixedDrawing& a, const FixedDrawing& b);

class IControl {
public:
  IControl(IModuleBase* plug, const IRECT& rect, int paramIdx = -1, int blendMethod = IChannelBlend::kBlendNone);
  virtual ~IControl();
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // Right button (not greyed): PromptUserInput().
  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int x, int y, IMouseMod* mod) {}
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) {}
  // Not greyed and a default exists: restores the default and pushes it.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  // value += d * 0.01 (0.001 with Shift or Control), then pushed.
  virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  // Returns true when the key was used.
  virtual bool OnKeyDown(int x, int y, int key) { return false; }
  virtual void OnMouseOver(int x, int y, IMouseMod* mod) {}
  virtual void OnMouseOut() {}

  // Returns the result of the last drawing operation, true when nothing drawn.
  virtual bool Draw(IGraphics* graphics) = 0;
  // What Draw would draw now, when it is a fixed drawing; none for every control
  // whose drawing follows a value, a text or anything else that changes.
  virtual std::optional<FixedDrawing> GetFixedDrawing() const { return std::nullopt; }

  // The first value ever pushed also becomes the default and marks nothing;
  // later changes mark the control dirty (no push back to the plug-in).
  // threads: main, midi-in, worker
  virtual void SetValueFromPlug(double value);
  // As SetValueFromPlug, but a change is pushed through SetParameterFromGUI2:
  // the value came from the synthesizer.
  // threads: main, midi-in, worker
  virtual void SetValueFromHardware(double value);
  // Text typed into an entry opened for a control without a parameter.
  virtual void TextFromTextEntry(const char* text) {}
  // The entry opened for this control was cancelled (Escape); tells the plug-in
  // when the control is bound to a parameter.
  void TextEntryCancelled();

  // Hiding a shown control leaves its last drawing on screen until the area
  // is repainted, so it is remembered as vacated (see TakeVacatedArea).
  // threads: main, midi-in, worker
  virtual void Hide(bool hide);
  // True once after the control went from shown to hidden: the panel adds its
  // rectangle to the next redraw, although hidden controls are otherwise skipped.
  // threads: main (Hide, which sets it, may run on any thread)
  bool TakeVacatedArea() { return mVacated.exchange(false); }
  // Also requests a redraw.
  // threads: main, midi-in, worker
  virtual void GrayOut(bool grey);
  virtual bool IsHit(int x, int y);

  // Clamps the value (one that is not a number becomes the low end), marks
  // dirty and, with push and a bound parameter, reports the value to the
  // plug-in and refreshes the read-outs.
  // threads: main, midi-in, worker
  virtual void SetDirty(bool push = true);
  // As SetDirty, but reports through SetParameterFromGUI2.
  // threads: main, midi-in, worker
  virtual void SetDirty2(bool push = true);
  // dirty := redraw requested; redraw requested := false. A redraw
  // requested by another thread while this runs leaves the control dirty.
  // threads: main (the flags it reads are written from any thread)
  virtual void SetClean();
  virtual bool IsDirty();
  virtual void OnGUIIdle() {}
  // An out-of-range index is ignored.
  // threads: main, midi-in, worker
  virtual void SetAuxParamValueFromPlug(int auxIndex, double value);

  // Takes a normalised parameter value when the control is bound to paramIdx,
  // as its own parameter or as an aux parameter.
  // threads: main, midi-in, worker
  void ReceiveParameterFromPlug(int paramIdx, double value);
  // ReceiveParameterFromPlug(i, normalized[i]) for every i, in one pass over the
  // control's own bindings.
  // threads: main
  void ReceiveParametersFromPlug(const std::vector<double>& normalized);
  // Sets the value as if the user moved the control (pushes when it changed).
  void SetValueFromUserInput(double value);
  // Asks the panel for a popup of display texts or a text entry.
  void PromptUserInput();
  void PromptUserInput(IRECT* rect);

  // Null when i is outside the list.
  AuxParam* GetAuxParam(int i);
  // Position of the first record bound to paramIdx, -1 when none.
  // threads: main, midi-in, worker (the list is fixed once attached)
  int AuxParamIdx(int paramIdx) const;
  void AddAuxParam(int paramIdx);
  int NAuxParams() const { return int(mAuxParams.size()); }
  void SetAllAuxParamsFromGUI();

  // Plain accessors: no side effects.
  IModuleBase* GetPlug() const { return mPlug; }
  int ParamIdx() const { return mParamIdx; }
  void SetParamIdx(int idx) { mParamIdx = idx; }
  const IRECT& GetRECT() const { return mRECT; }
  void SetRECT(const IRECT& r) { mRECT = r; }
  const IRECT& GetTargetRECT() const { return mTargetRECT; }
  void SetTargetRECT(const IRECT& r) { mTargetRECT = r; }
  double GetValue() const { return mValue.load(); }
  void SetValue(double v) { mValue.store(v); }
  double GetDefaultValue() const { return mDefaultValue.load(); }
  bool IsHidden() const { return mHidden.load(); }
  bool IsGrayed() const { return mGrayed.load(); }
  bool GetIgnoreHidden() const { return mIgnoreHidden.load(); }
  void SetIgnoreHidden(bool b) { mIgnoreHidden.store(b); }
  bool GetMouseDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetMouseDblAsSingleClick(bool b) { mDblAsSingleClick = b; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
  void SetMOWhenGrayed(bool b) { mMOWhenGrayed = b; }
  bool GetPromptDisabled() const { return mDisablePrompt; }
  void SetPromptDisabled(bool b) { mDisablePrompt = b; }
  void GetClamp(double* lo, double* hi) const;
  // threads: main (ClampControl), any (read by SetDirty)
  void SetClamp(double lo, double hi);
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int n) { mTextEntryLength = n; }
  // A field that keeps the typing after Return: its entry opens again, text selected,
  // so the next word replaces the last without a click.
  void SetKeepsEntryAfterReturn(bool keeps) { mKeepsEntryAfterReturn = keeps; }
  // Return committed this control's entry: opens it again when the control keeps it
  // and is still shown and not greyed.
  void ReopenEntryAfterReturn();
  bool GetRedrawRequested() const { return mRedraw.load(); }
  void SetRedrawRequested(bool b) { mRedraw.store(b); }
  ITextControl* GetValDisplayControl() const { return mValDisplayControl; }
  void SetValDisplayControl(ITextControl* c) { mValDisplayControl = c; }
  ITextControl* GetNameDisplayControl() const { return mNameDisplayControl; }
  void SetNameDisplayControl(ITextControl* c) { mNameDisplayControl = c; }
  // The text style; derived text controls guard theirs with their own lock.
  IText* GetText() { return &mText; }
  void SetText(const IText& text) { mText = text; }
  // The blend to draw with: weight 0.5 while greyed.
  // threads: main, midi-in, worker
  IChannelBlend GetBlend() const;

protected:
  // The panel surface the control is shown on (the plug-in's), or null.
  IGraphics* GetGUI() const;
  // The bound parameter record, or null.
  IParam* GetParam() const;
  // Clamps the value and marks dirty; with push, reports the value through
  // SetParameterFromGUI (SetParameterFromGUI2 when fromHardware).
  void MarkDirtyAndPush(bool push, bool fromHardware);
  void UpdateReadOuts(IParam* param);

  IModuleBase* mPlug;
  IRECT mRECT;
  IRECT mTargetRECT;
  int mParamIdx;
  IText mText;
  int mTextEntryLength = 16;
  bool mKeepsEntryAfterReturn = false;
  std::atomic<double> mValue{0.0};
  std::atomic<double> mDefaultValue{-1.0};
  std::atomic<double> mClampLo{0.0};
  std::atomic<double> mClampHi{1.0};
  std::atomic<bool> mHidden{false};
  std::atomic<bool> mIgnoreHidden{false};
  std::atomic<bool> mDirty{true};
  std::atomic<bool> mGrayed{false};
  std::atomic<bool> mRedraw{false};
  std::atomic<bool> mVacated{false};
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  int mBlendMethod;
  ITextControl* mValDisplayControl = nullptr;
  ITextControl* mNameDisplayControl = nullptr;
  std::vector<std::unique_ptr<AuxParam>> mAuxParams;

private:
  // Value change from outside: first value becomes the default.
  void TakeValueFromOutside(double value, bool fromHardware);
};

// Unions the control's rectangle into rect when the panel must repaint it: it is
// dirty and shown (or ignores hidden) and `reports` holds, or it was hidden since
// the last redraw. True when it did.
// threads: main
bool AddToRedraw(IControl* control, bool reports, IRECT* rect);
