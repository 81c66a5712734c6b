#pragma once
// One plug-in parameter: its kind, plain value and range, the mapping to and from the
// normalised 0..1 scale that controls and the host use, its display texts, and the
// parameter's MIDI binding.
//
// threads: any. The value (Value/Set/SetNormalized/GetNormalized) may be read and written from
// any thread; it is an atomic. Display texts may be read and renamed from any thread
// (main, midi-in, worker): one lock per parameter guards the table, and readers get
// copies, never pointers into it. Adding an entry also moves max, so new entries (and
// Init*, names, shape) are set up on the main thread or under the plug-in mutex.

#include <atomic>
#include <mutex>
#include <string>

#include "Kit_HeapBuf.h"

class ControlAction;

// Truncation toward zero that stays defined for NaN and values beyond int.
int TruncToInt(double value);

class IParam {
public:
  enum EParamType { kTypeNone = 0, kTypeBool, kTypeInt, kTypeEnum, kTypeDouble, kTypeText };

  // Name, label and group hold at most this many characters; longer texts are cut.
  static constexpr int kMaxFieldLength = 54;
  // A display text holds at most this many characters; longer texts are cut.
  static constexpr int kMaxDisplayTextLength = 55;
  // Room enough for any text GetDisplayForHost writes, with its terminator.
  static constexpr int kDisplayBufferSize = 128;

  IParam();
  ~IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Each Init sets the type only while it is still kTypeNone; the tags are stored unchanged.
  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "", int tagA = -1,
                int tagB = -1);
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "", const char* group = "",
                int tagA = -1, int tagB = -1);
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "", const char* group = "",
               int tagA = -1, int tagB = -1);
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", int tagA = -1, int tagB = -1);
  // Marks a read-out or name parameter: its shown text is display text 0, and every
  // change reaches the plug-in even when the value stays the same.
  void InitText() { mType = kTypeText; }

  // A shape of 0 is ignored.
  void SetShape(double shape);

  // Stores the text of `value`: replaces an existing entry, or appends one when `value`
  // equals the entry count (max then becomes `value`). Values below 0 or beyond the count
  // are ignored and give "". Returns the stored text.
  std::string SetDisplayText(int value, const char* text);
  void ResetDisplayTexts();
  // "" when no entry holds `value`.
  std::string GetDisplayText(int value) const;
  int GetNDisplayTexts() const;
  // Entry at a table position; "" (and value untouched) for a position outside the table.
  std::string GetDisplayTextAtIdx(int idx, int* value = nullptr) const;
  // First entry whose text equals `text` exactly; false (value untouched) when none.
  bool MapDisplayText(const char* text, int* value) const;

  // Input outside 0..1 is held to the nearer end; NaN counts as 0.
  void SetNormalized(double normalized);
  double GetNormalized() const;
  double GetNormalized(double plainValue) const;

  // Writes the value's text into out (at most outSize - 1 characters and a terminator).
  void GetDisplayForHost(double value, bool normalized, char* out, int outSize, bool withDisplayText = true) const;
  const char* GetNameForHost() const { return mName; }
  // "" when the current value has a non-empty display text, else the label.
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mGroup; }
  void GetBounds(double* minVal, double* maxVal) const;
  // The value read as decibels, as an amplitude factor.
  double DBToAmp() const;

  EParamType Type() const { return mType; }
  double Value() const { return mValue.load(std::memory_order_relaxed); }
  // The value truncated toward zero (limited to the int range; NaN gives 0).
  int Int() const;
  bool Bool() const { return Value() >= 0.5; }
  // Plain write, no clamp: callers clamp when they need to (see SetClamped).
  void Set(double value) {
    mPrevious.store(mValue.exchange(value, std::memory_order_relaxed), std::memory_order_relaxed);
  }
  // The value the last write replaced: what a change that could not be carried out
  // puts back.
  double Previous() const { return mPrevious.load(std::memory_order_relaxed); }
  // Stores value limited to min..max.
  void SetClamped(double value);
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  double GetDefault() const { return mDefault; }
  int GetPrecision() const { return mDisplayPrecision; }
  int GetTagA() const { return mTagA; }
  int GetTagB() const { return mTagB; }

  bool GetNegateDisplay() const { return mNegateDisplay; }
  void NegateDisplay(bool negate) { mNegateDisplay = negate; }
  bool GetCanAutomate() const { return mCanAutomate; }
  void SetCanAutomate(bool canAutomate) { mCanAutomate = canAutomate; }
  bool GetIsMeta() const { return mIsMeta; }
  void SetIsMeta(bool meta) { mIsMeta = meta; }
  // A choice of the entry already chosen is news too (a port chosen again reopens it).
  bool GetRepeatedChoiceCounts() const { return mRepeatedChoiceCounts; }
  void SetRepeatedChoiceCounts(bool counts) { mRepeatedChoiceCounts = counts; }

  ControlAction* GetControlAction() const { return mControlAction; }
  void SetControlAction(ControlAction* action) { mControlAction = action; }

private:
  struct DisplayText {
    int mValue;
    char mText[kMaxDisplayTextLength + 1];
  };

  void SetStrings(const char* name, const char* label, const char* group);
  // The entry holding `value`, or null; the caller holds mTextLock.
  const DisplayText* FindDisplayText(int value) const;
  void SetTypeOnce(EParamType type);

  EParamType mType = kTypeNone;
  std::atomic<double> mValue{0.0};
  std::atomic<double> mPrevious{0.0};
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mTagA = 0;
  int mTagB = 0;
  int mDisplayPrecision = 0;
  char mName[kMaxFieldLength + 1] = "";
  char mLabel[kMaxFieldLength + 1] = "";
  char mGroup[kMaxFieldLength + 1] = "";
  bool mNegateDisplay = false;
  bool mCanAutomate = true;
  bool mIsMeta = false;
  bool mRepeatedChoiceCounts = false;
  mutable std::mutex mTextLock;
  // Guarded by mTextLock. Grown a few entries at a time: most parameters hold two or a
  // handful of texts, and the buffer's default step (4 KB) on each of the panel's
  // hundreds of parameters kept megabytes of room that was never used.
  Kit_TypedBuf<DisplayText> mDisplayTexts{4 * int(sizeof(DisplayText))};
  ControlAction* mControlAction = nullptr;
};
