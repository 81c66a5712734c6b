#include "Framework/IControlFileAndURL.h"

#include "Framework/IGraphics.h"

namespace {
void CopyCut(char* dest, const char* src, int maxLength) {
  int i = 0;
  for (; src && src[i] && i < maxLength; ++i) dest[i] = src[i];
  dest[i] = '\0';
}
}  // namespace

IURLControl::IURLControl(IModuleBase* plug, const IRECT& rect, const char* url, const char* backupURL,
                         const char* errMsgOnFailure)
    : IControl(plug, rect, -1) {
  CopyCut(mURL, url, kMaxTextLength);
  CopyCut(mBackupURL, backupURL, kMaxTextLength);
  CopyCut(mErrMsg, errMsgOnFailure, kMaxTextLength);
}

void IURLControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  IGraphics* graphics = GetGUI();
  if (IsGrayed() || !graphics) return;
  bool opened = false;
  if (mURL[0]) opened = graphics->OpenURL(mURL, mErrMsg, nullptr, nullptr);
  if (!opened && mBackupURL[0]) graphics->OpenURL(mBackupURL, mErrMsg, nullptr, nullptr);
}

IFileSelectorControl::IFileSelectorControl(IModuleBase* plug, const IRECT& rect, int paramIdx, const IBitmap* bitmap,
                                           EFileAction action, const char* folder, const char* extensions)
    : IControl(plug, rect, paramIdx),
      mBitmap(bitmap ? *bitmap : IBitmap()),
      mFolder(folder),
      mExtensions(extensions),
      mFileAction(action) {}

void IFileSelectorControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  IGraphics* graphics = GetGUI();
  if (IsGrayed() || !graphics) return;
  mState = kFSSelecting;
  SetDirty(false);
  graphics->PromptForFile(&mFile, mFileAction, &mFolder, mExtensions.Get());
  const double next = GetValue() + 1.0;
  mValue.store(next > 1.0 ? 0.0 : next);
  mState = kFSDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics) {
  if (!mBitmap.data) return true;
  IRECT rect = mRECT;
  const IChannelBlend blend = GetBlend();
  return graphics->DrawBitmap(&mBitmap, &rect, 1, &blend);
}

bool IFileSelectorControl::IsDirty() {
  if (mState == kFSDone) {
    mState = kFSNone;
    return true;
  }
  return IControl::IsDirty();
}

void IFileSelectorControl::GetLastSelectedFileForPlug(Kit_String* out) const {
  if (out) out->Set(mFile.Get());
}

void IFileSelectorControl::SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }
