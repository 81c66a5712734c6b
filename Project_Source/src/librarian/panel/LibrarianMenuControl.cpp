#include "librarian/panel/LibrarianMenuControl.h"

#include "Framework/IGraphics.h"
#include "Framework/IModuleBase.h"
#include "Framework/IParam.h"

LibrarianMenuControl::LibrarianMenuControl(IModuleBase* plug, PatchLibrarian* librarian, IRECT rect,
                                           LibrarianPanelEditor* editor)
    : IControl(plug, rect, -1), librarian_(librarian), editor_(editor) {}

bool LibrarianMenuControl::Draw(IGraphics* graphics) {
  IRECT r = mRECT;
  return graphics->FillIRect(&COLOR_TRANSPARENT, &r);
}

IPopupMenu* LibrarianMenuControl::popUp(IPopupMenu& menu, IRECT rect) {
  IGraphics* graphics = GetGUI();
  return graphics ? graphics->CreateIPopupMenu(&menu, &rect) : nullptr;
}

void LibrarianMenuControl::writeParameter(int param, int value) {
  IParam* record = mPlug ? mPlug->GetParam(param) : nullptr;
  if (!record) return;
  const double clamped = value < record->GetMin()   ? record->GetMin()
                         : value > record->GetMax() ? record->GetMax()
                                                    : value;
  if (IGraphics* graphics = GetGUI())
    graphics->SetParameterFromPlug(param, clamped, false);
  else
    record->Set(clamped);
}

int LibrarianMenuControl::parameterInt(int param) const {
  const IParam* record = mPlug ? mPlug->GetParam(param) : nullptr;
  return record ? record->Int() : 0;
}

void LibrarianMenuControl::redrawSelf() {
  SetRedrawRequested(true);
  SetDirty(true);
}
