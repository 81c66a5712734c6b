#include "editor/panel/ProgressIndicator.h"

#include "Framework/ControlLayer.h"
#include "Framework/IGraphics.h"

ProgressIndicator::ProgressIndicator(ControlLayer* layer, IModuleBase* plug, int x, int y, int width, int height,
                                     int paramIdx, IBitmap* image, IRECT rect)
    : IBitmapControl(plug, x, y, paramIdx, image), mLayer(layer), mDrawRect(x, y, x + width, y + height) {
  layer->AddControl(this);
  layer->setIgnoreHiddenWhenUpdatingScreen(true);
}

bool ProgressIndicator::IsHit(int x, int y) {
  for (ControlLayer* below : mPassThrough)
    if (below->isHit(x, y)) return false;
  for (const WhileItHolds& pass : mPassThroughWhile)
    if (!pass.control->IsHidden() && pass.control->IsHit(x, y) && pass.when()) return false;
  return IBitmapControl::IsHit(x, y);
}

bool ProgressIndicator::letsThrough(const IControl* control) const {
  for (const ControlLayer* below : mPassThrough)
    for (int i = 0; i < below->NControls(); ++i)
      if (below->GetControl(i) == control) return true;
  for (const WhileItHolds& pass : mPassThroughWhile)
    if (pass.control == control && pass.when()) return true;
  return false;
}

bool ProgressIndicator::Draw(IGraphics* graphics) {
  const IChannelBlend blend = GetBlend();
  return graphics->DrawBitmap(&mBitmap, &mDrawRect, 1, &blend);
}
