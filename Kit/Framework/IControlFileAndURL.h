#pragma once
// Controls that hand over to the system: a web link (IURLControl) and a file
// chooser (IFileSelectorControl).

#include "Framework/IControl.h"
#include "Kit_String.h"

class IURLControl : public IControl {
public:
  static constexpr int kMaxTextLength = 255;

  // Each text may be null or empty; longer texts are cut to kMaxTextLength.
  IURLControl(IModuleBase* plug, const IRECT& rect, const char* url, const char* backupURL = nullptr,
              const char* errMsgOnFailure = nullptr);
  // Not greyed: opens the URL, falling back to the backup URL when the first
  // cannot be opened (or is empty).
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override { return true; }

private:
  char mURL[kMaxTextLength + 1] = {};
  char mBackupURL[kMaxTextLength + 1] = {};
  char mErrMsg[kMaxTextLength + 1] = {};
};

class IFileSelectorControl : public IControl {
public:
  enum EState { kFSNone = 0, kFSSelecting = 1, kFSDone = 2 };

  // extensions: space-separated file types the prompt offers.
  IFileSelectorControl(IModuleBase* plug, const IRECT& rect, int paramIdx, const IBitmap* bitmap, EFileAction action,
                       const char* folder = "", const char* extensions = "");
  // Not greyed: prompts for a file, then flips the value and pushes it.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  // Also true once after a selection finished.
  bool IsDirty() override;

  void GetLastSelectedFileForPlug(Kit_String* out) const;
  void SetLastSelectedFileFromPlug(const char* file);
  EState GetState() const { return mState; }

private:
  IBitmap mBitmap;
  Kit_String mFolder;
  Kit_String mFile;
  Kit_String mExtensions;
  EFileAction mFileAction;
  EState mState = kFSNone;
};
