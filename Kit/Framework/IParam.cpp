#include "Framework/IParam.h"

#include "Kit_Utf8.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Copies what fits whole of size - 1 bytes and always terminates; null reads as "".
void CopyText(char* dst, int size, const char* src) { Kit_CopyCut(dst, size_t(size), src); }

bool IsWhole(double x) { return std::fabs(x - std::round(x)) <= 1e-9 * std::fmax(1.0, std::fabs(x)); }

// Decimals needed to show a step: 0 for a whole step, 1 to 5 by how many times ten it
// takes to make it whole, else 6.
int PrecisionOfStep(double step) {
  if (IsWhole(step)) return 0;
  double scaled = step;
  for (int decimals = 1; decimals <= 5; ++decimals) {
    scaled *= 10.0;
    if (IsWhole(scaled)) return decimals;
  }
  return 6;
}

}  // namespace

int TruncToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= double(INT_MAX)) return INT_MAX;
  if (value <= double(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

IParam::IParam() = default;

IParam::~IParam() = default;

void IParam::SetStrings(const char* name, const char* label, const char* group) {
  CopyText(mName, sizeof mName, name);
  CopyText(mLabel, sizeof mLabel, label);
  CopyText(mGroup, sizeof mGroup, group);
}

void IParam::SetTypeOnce(EParamType type) {
  if (mType == kTypeNone) mType = type;
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group, int tagA, int tagB) {
  SetTypeOnce(kTypeBool);
  SetStrings(name, label, group);
  mDefault = defaultVal ? 1.0 : 0.0;
  Set(mDefault);
  mMin = 0.0;
  mMax = 1.0;
  mStep = 1.0;
  mDisplayPrecision = 0;
  mTagA = tagA;
  mTagB = tagB;
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label, const char* group, int tagA,
                      int tagB) {
  SetTypeOnce(kTypeEnum);
  SetStrings(name, label, group);
  mDefault = defaultVal;
  Set(mDefault);
  mMin = 0.0;
  mMax = std::fmax(1.0, double(nEnums) - 1.0);
  mStep = 1.0;
  mDisplayPrecision = 0;
  mTagA = tagA;
  mTagB = tagB;
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label, const char* group,
                     int tagA, int tagB) {
  SetTypeOnce(kTypeInt);
  SetStrings(name, label, group);
  mDefault = defaultVal;
  Set(mDefault);
  mMin = minVal;
  mMax = std::fmax(double(maxVal), double(minVal) + 1.0);
  mStep = 1.0;
  mDisplayPrecision = 0;
  mTagA = tagA;
  mTagB = tagB;
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        const char* label, const char* group, int tagA, int tagB) {
  SetTypeOnce(kTypeDouble);
  SetStrings(name, label, group);
  mDefault = defaultVal;
  Set(mDefault);
  mMin = minVal;
  mMax = std::fmax(maxVal, minVal + step);
  mStep = step;
  mDisplayPrecision = PrecisionOfStep(step);
  mTagA = tagA;
  mTagB = tagB;
}

void IParam::SetShape(double shape) {
  if (shape != 0.0) mShape = shape;
}

std::string IParam::SetDisplayText(int value, const char* text) {
  std::lock_guard<std::mutex> lock(mTextLock);
  const int count = mDisplayTexts.GetSize();
  if (value < 0 || value > count) return "";
  if (value == count) {
    if (!mDisplayTexts.Resize(count + 1)) return "";
    mMax = double(value);
  }
  DisplayText& entry = mDisplayTexts.Get()[value];
  entry.mValue = value;
  CopyText(entry.mText, sizeof entry.mText, text);
  return entry.mText;
}

void IParam::ResetDisplayTexts() {
  std::lock_guard<std::mutex> lock(mTextLock);
  mDisplayTexts.Resize(0);
}

int IParam::GetNDisplayTexts() const {
  std::lock_guard<std::mutex> lock(mTextLock);
  return mDisplayTexts.GetSize();
}

const IParam::DisplayText* IParam::FindDisplayText(int value) const {
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0, n = mDisplayTexts.GetSize(); i < n; ++i) {
    if (entries[i].mValue == value) return &entries[i];
  }
  return nullptr;
}

std::string IParam::GetDisplayText(int value) const {
  std::lock_guard<std::mutex> lock(mTextLock);
  const DisplayText* entry = FindDisplayText(value);
  return entry ? entry->mText : "";
}

std::string IParam::GetDisplayTextAtIdx(int idx, int* value) const {
  std::lock_guard<std::mutex> lock(mTextLock);
  if (idx < 0 || idx >= mDisplayTexts.GetSize()) return "";
  const DisplayText& entry = mDisplayTexts.Get()[idx];
  if (value) *value = entry.mValue;
  return entry.mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const {
  if (!text) return false;
  std::lock_guard<std::mutex> lock(mTextLock);
  const DisplayText* entries = mDisplayTexts.Get();
  for (int i = 0, n = mDisplayTexts.GetSize(); i < n; ++i) {
    if (std::strcmp(entries[i].mText, text) == 0) {
      if (value) *value = entries[i].mValue;
      return true;
    }
  }
  return false;
}

void IParam::SetNormalized(double normalized) {
  // Written so that NaN falls to 0 like any input below the range.
  normalized = !(normalized >= 0.0) ? 0.0 : std::fmin(normalized, 1.0);
  double v = mMin + std::pow(normalized, mShape) * (mMax - mMin);
  if (mType != kTypeDouble && mStep > 0.0) v = mStep * std::floor(v / mStep + 0.5);
  Set(std::fmin(v, mMax));
}

double IParam::GetNormalized() const { return GetNormalized(Value()); }

double IParam::GetNormalized(double plainValue) const {
  // A single-entry menu or a name field has no range: call it 0 rather than 0/0.
  if (mMax == mMin) return 0.0;
  // Written so that NaN (a host may send one) falls to min like any value below it.
  const double v = !(plainValue >= mMin) ? mMin : (plainValue > mMax ? mMax : plainValue);
  return std::pow((v - mMin) / (mMax - mMin), 1.0 / mShape);
}

void IParam::SetClamped(double value) { Set(value < mMin ? mMin : std::fmin(value, mMax)); }

void IParam::GetDisplayForHost(double value, bool normalized, char* out, int outSize, bool withDisplayText) const {
  if (!out || outSize < 1) return;
  if (normalized) value = mMin + std::pow(value, mShape) * (mMax - mMin);
  if (withDisplayText) {
    std::lock_guard<std::mutex> lock(mTextLock);
    const DisplayText* entry = FindDisplayText(TruncToInt(value));
    if (entry && entry->mText[0]) {
      CopyText(out, outSize, entry->mText);
      return;
    }
  }
  if (mNegateDisplay) value = -value;
  if (mDisplayPrecision == 0) {
    std::snprintf(out, size_t(outSize), "%d", TruncToInt(value));
  } else {
    std::snprintf(out, size_t(outSize), "%.*f", mDisplayPrecision, value);
  }
}

const char* IParam::GetLabelForHost() const {
  std::lock_guard<std::mutex> lock(mTextLock);
  const DisplayText* entry = FindDisplayText(TruncToInt(Value()));
  return entry && entry->mText[0] ? "" : mLabel;
}

void IParam::GetBounds(double* minVal, double* maxVal) const {
  if (minVal) *minVal = mMin;
  if (maxVal) *maxVal = mMax;
}

double IParam::DBToAmp() const { return std::exp(Value() * 0.1151292546497); }

int IParam::Int() const { return TruncToInt(Value()); }
