// The panel surface's drawing primitives: each converts the colour and blend
// and makes one rasteriser call through the clip window.

#include "Framework/IGraphicsDraw.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Framework/ComposedBackdrop.h"
#include "Framework/IGraphics.h"

namespace {
constexpr int kMeasureOnly = RASTER_DT_MEASURE;

// Offset of frame `frame` (from 1) along a strip of `length` pixels.
int FrameOffset(int frame, int frames, int length) {
  if (frame < 2 || frames < 2) return 0;
  return int(double(frame - 1) * length / frames + 0.5);
}

unsigned int TextFormat(const IText& text) {
  unsigned int format = RASTER_DT_NOCLIP;
  if (text.color.A != 255) format |= RASTER_DT_USE_TEXT_ALPHA;
  if (text.align == IText::kAlignCenter)
    format |= RASTER_DT_CENTER;
  else if (text.align != IText::kAlignNear)
    format |= RASTER_DT_RIGHT;
  if (text.valign == IText::kVAlignBottom)
    format |= RASTER_DT_BOTTOM;
  else if (text.valign != IText::kVAlignTop)
    format |= RASTER_DT_VCENTER;
  return format;
}
}  // namespace

RasterBlend ToRasterBlend(const IChannelBlend* blend) {
  if (!blend) return {RASTER_MODE_SOURCE_ALPHA, 1.0f};
  switch (blend->method) {
    case IChannelBlend::kBlendClobber: return {RASTER_MODE_COPY, blend->weight};
    case IChannelBlend::kBlendAdd: return {RASTER_MODE_SOURCE_ALPHA | RASTER_MODE_ADD, blend->weight};
    case IChannelBlend::kBlendColorDodge: return {RASTER_MODE_SOURCE_ALPHA | RASTER_MODE_DODGE, blend->weight};
    default: return {RASTER_MODE_SOURCE_ALPHA, blend->weight};
  }
}

RasterBlend ToRotatedRasterBlend(const IChannelBlend* blend) {
  RasterBlend b = ToRasterBlend(blend);
  const bool known =
      blend && blend->method >= IChannelBlend::kBlendClobber && blend->method <= IChannelBlend::kBlendColorDodge;
  b.mode = known ? b.mode | RASTER_MODE_FILTERED : RASTER_MODE_SOURCE_ALPHA | RASTER_MODE_FILTERED;
  return b;
}

IClipWindow::IClipWindow(Raster_IBitmap* parent, const IRECT& rect) : mParent(parent) { SetRect(rect); }

void IClipWindow::SetRect(const IRECT& rect) {
  const IRECT bounds(0, 0, mParent ? mParent->getWidth() : 0, mParent ? mParent->getHeight() : 0);
  const IRECT r(std::max(rect.L, bounds.L), std::max(rect.T, bounds.T), std::min(rect.R, bounds.R),
                std::min(rect.B, bounds.B));
  mRect = r.W() > 0 && r.H() > 0 ? r : IRECT(0, 0, 0, 0);
}

unsigned int* IClipWindow::getBits() {
  unsigned int* bits = mParent ? mParent->getBits() : nullptr;
  if (!bits || mRect.W() <= 0) return nullptr;
  return bits + size_t(mRect.T) * size_t(mParent->getRowSpan()) + size_t(mRect.L);
}

IClipWindow* IGraphics::Clip() {
  // Drawing outside a redraw changes the frame where the backdrop cannot see it.
  if (!mDrawing) mBackdrop->ForgetFrame();
  return mClip.get();
}

void IGraphics::SetClip(const IRECT& rect) {
  if (mClip)
    mClip->SetRect(rect);
  else if (mDrawBitmap)
    mClip = std::make_unique<IClipWindow>(mDrawBitmap, rect);
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend) {
  if (!bitmap || !dest || !Clip()) return true;
  const RasterBlend b = ToRasterBlend(blend);
  IClipWindow* c = Clip();
  Raster_Blit(c, bitmap->data, dest->L - c->OffsetX(), dest->T - c->OffsetY(), srcX, srcY, dest->W(), dest->H(),
              b.opacity, b.mode);
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend) {
  return DrawBitmap(bitmap, dest, frame, 0, 0, blend);
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, int srcX, int srcY, const IChannelBlend* blend) {
  if (!bitmap) return true;
  if (frame >= 2 && bitmap->N >= 2) {
    if (bitmap->framesHorizontal)
      srcX = FrameOffset(frame, bitmap->N, bitmap->W);
    else
      srcY = FrameOffset(frame, bitmap->N, bitmap->H);
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int centreX, int centreY, double angleRad, int yOffsetZeroDeg,
                                  const IChannelBlend* blend) {
  if (!bitmap || !Clip()) return true;
  const RasterBlend b = ToRotatedRasterBlend(blend);
  IClipWindow* c = Clip();
  const int w = bitmap->W, h = bitmap->H;
  Raster_RotatedBlit(c, bitmap->data, centreX - w / 2 - c->OffsetX(), centreY - h / 2 - c->OffsetY(), w, h, 0.0f, 0.0f,
                     float(w), float(h), float(angleRad), false, b.opacity, b.mode, 0.0f, float(yOffsetZeroDeg));
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angleDeg,
                                const IChannelBlend* blend) {
  if (!base || !mask || !top || !Clip()) return true;
  if (!mTmpBitmap) mTmpBitmap = new Raster_MemBitmap(0, 0, 4);
  const int w = base->W, h = base->H;
  Raster_Copy(mTmpBitmap, base->data);
  Raster_ClearRect(mTmpBitmap, 0, 0, w, h, 0xFFFFFF00u, 0u);
  const float angle = float(angleDeg * kIGraphicsPi / 180.0);
  const float xOffset = (w % 2) ? -0.5f : 0.0f;
  Raster_RotatedBlit(mTmpBitmap, mask->data, 0, 0, w, h, 0.0f, 0.0f, float(w), float(h), angle, true, 1.0f,
                     RASTER_MODE_SOURCE_ALPHA | RASTER_MODE_FILTERED | RASTER_MODE_ADD, xOffset, 0.0f);
  Raster_RotatedBlit(mTmpBitmap, top->data, 0, 0, w, h, 0.0f, 0.0f, float(w), float(h), angle, true, 1.0f,
                     RASTER_MODE_SOURCE_ALPHA | RASTER_MODE_FILTERED, xOffset, 0.0f);
  const RasterBlend b = ToRasterBlend(blend);
  IClipWindow* c = Clip();
  Raster_Blit(c, mTmpBitmap, x - c->OffsetX(), y - c->OffsetY(), 0, 0, w, h, b.opacity, b.mode);
  return true;
}

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool antiAlias) {
  if (!color || !Clip()) return true;
  const RasterBlend b = ToRasterBlend(blend);
  IClipWindow* c = Clip();
  Raster_PutPixel(c, int(x + 0.5f) - c->OffsetX(), int(y + 0.5f) - c->OffsetY(), color->ToPixel(), b.opacity, b.mode);
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y) {
  IClipWindow* c = Clip();
  if (!color || !c) return true;
  const int wx = x - c->OffsetX(), wy = y - c->OffsetY();
  unsigned int* bits = c->getBits();
  if (!bits || wx < 0 || wy < 0 || wx >= c->getWidth() || wy >= c->getHeight()) return true;
  bits[size_t(wy) * size_t(c->getRowSpan()) + size_t(wx)] = color->ToPixel();
  return true;
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2, const IChannelBlend* blend,
                         bool antiAlias) {
  if (!color || !Clip()) return true;
  const RasterBlend b = ToRasterBlend(blend);
  IClipWindow* c = Clip();
  const int ox = c->OffsetX(), oy = c->OffsetY();
  Raster_Line(c, int(x1) - ox, int(y1) - oy, int(x2) - ox, int(y2) - oy, color->ToPixel(), b.opacity, b.mode,
              antiAlias);
  return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* blend, bool antiAlias) {
  if (!color || !Clip()) return true;
  const RasterBlend b = ToRasterBlend(blend);
  IClipWindow* c = Clip();
  Raster_Arc(c, cx - c->OffsetX(), cy - c->OffsetY(), r, minAngle, maxAngle, color->ToPixel(), b.opacity, b.mode,
             antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend,
                           bool antiAlias) {
  if (!color || !Clip()) return true;
  const RasterBlend b = ToRasterBlend(blend);
  IClipWindow* c = Clip();
  Raster_Circle(c, cx - c->OffsetX(), cy - c->OffsetY(), r, color->ToPixel(), b.opacity, b.mode, antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerRadius,
                          bool antiAlias) {
  if (!color || !rect || !Clip()) return true;
  const RasterBlend b = ToRasterBlend(blend);
  IClipWindow* c = Clip();
  Raster_RoundRect(c, float(rect->L - c->OffsetX()), float(rect->T - c->OffsetY()), float(rect->W()), float(rect->H()),
                   cornerRadius, color->ToPixel(), b.opacity, b.mode, antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cr, bool antiAlias) {
  if (!color || !rect || !Clip()) return true;
  const RasterBlend b = ToRasterBlend(blend);
  IClipWindow* c = Clip();
  const unsigned int pixel = color->ToPixel();
  const int l = rect->L - c->OffsetX(), t = rect->T - c->OffsetY(), w = rect->W(), h = rect->H();
  const int r = l + w;
  Raster_FillRect(c, l + cr, t, w - 2 * cr, h, pixel, b.opacity, b.mode);
  Raster_FillRect(c, l, t + cr, cr, h - 2 * cr, pixel, b.opacity, b.mode);
  Raster_FillRect(c, r - cr, t + cr, cr, h - 2 * cr, pixel, b.opacity, b.mode);
  const float radius = float(cr);
  Raster_FillCircle(c, float(l + cr), float(t + cr), radius, pixel, b.opacity, b.mode, antiAlias);
  Raster_FillCircle(c, float(l + w - cr - 1), float(t + h - cr - 1), radius, pixel, b.opacity, b.mode, antiAlias);
  Raster_FillCircle(c, float(l + w - cr - 1), float(t + cr), radius, pixel, b.opacity, b.mode, antiAlias);
  Raster_FillCircle(c, float(l + cr), float(t + h - cr - 1), radius, pixel, b.opacity, b.mode, antiAlias);
  return true;
}

bool IGraphics::FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend) {
  if (!color || !rect || !Clip()) return true;
  const RasterBlend b = ToRasterBlend(blend);
  IClipWindow* c = Clip();
  Raster_FillRect(c, rect->L - c->OffsetX(), rect->T - c->OffsetY(), rect->W(), rect->H(), color->ToPixel(), b.opacity,
                  b.mode);
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend, bool antiAlias) {
  if (!color || !Clip()) return true;
  const RasterBlend b = ToRasterBlend(blend);
  IClipWindow* c = Clip();
  Raster_FillCircle(c, float(cx - c->OffsetX()), float(cy - c->OffsetY()), r, color->ToPixel(), b.opacity, b.mode,
                    antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend) {
  if (!color || !Clip()) return true;
  const RasterBlend b = ToRasterBlend(blend);
  IClipWindow* c = Clip();
  const int ox = c->OffsetX(), oy = c->OffsetY();
  Raster_FillTriangle(c, x1 - ox, y1 - oy, x2 - ox, y2 - oy, x3 - ox, y3 - oy, color->ToPixel(), b.opacity, b.mode);
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints, const IChannelBlend* blend) {
  if (!color || !x || !y || npoints <= 0 || !Clip()) return true;
  const RasterBlend b = ToRasterBlend(blend);
  IClipWindow* c = Clip();
  std::vector<int> wx(x, x + npoints), wy(y, y + npoints);
  for (int i = 0; i < npoints; ++i) {
    wx[i] -= c->OffsetX();
    wy[i] -= c->OffsetY();
  }
  Raster_FillConvexPolygon(c, wx.data(), wy.data(), npoints, color->ToPixel(), b.opacity, b.mode);
  return true;
}

IColor IGraphics::GetPoint(int x, int y) { return IColor::FromPixel(Raster_GetPixel(mDrawBitmap, x, y)); }

bool IGraphics::DrawVerticalLine(const IColor* color, int x, int yLo, int yHi) {
  if (!color || !Clip()) return true;
  IClipWindow* c = Clip();
  const int wx = x - c->OffsetX();
  Raster_Line(c, wx, yLo - c->OffsetY(), wx, yHi - c->OffsetY(), color->ToPixel(), 1.0f, RASTER_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int y, int xLo, int xHi) {
  if (!color || !Clip()) return true;
  IClipWindow* c = Clip();
  const int wy = y - c->OffsetY();
  Raster_Line(c, xLo - c->OffsetX(), wy, xHi - c->OffsetX(), wy, color->ToPixel(), 1.0f, RASTER_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* rect, float x) {
  if (!rect) return true;
  x = std::clamp(x, 0.0f, 1.0f);
  return DrawVerticalLine(color, rect->L + int(rect->W() * x), rect->T, rect->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* rect, float y) {
  if (!rect) return true;
  y = std::clamp(y, 0.0f, 1.0f);
  return DrawHorizontalLine(color, rect->B - int(rect->H() * y), rect->L, rect->R);
}

bool IGraphics::DrawRect(const IColor* color, IRECT* rect) {
  if (!rect) return true;
  DrawHorizontalLine(color, rect->T, rect->L, rect->R);
  DrawHorizontalLine(color, rect->B, rect->L, rect->R);
  DrawVerticalLine(color, rect->L, rect->T, rect->B);
  return DrawVerticalLine(color, rect->R, rect->T, rect->B);
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                               const IChannelBlend* blend, bool antiAlias) {
  const float s = std::sin(angle), co = std::cos(angle);
  return DrawLine(color, cx + rMin * s, cy - rMin * co, cx + rMax * s, cy - rMax * co, blend, antiAlias);
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* rect, bool measure) {
  if (!str || !str[0]) return true;
  if (!text || !rect) return false;
  Raster_IFont* font = text->cachedFont ? text->cachedFont : CacheFont(text);
  if (!font) return false;
  font->SetTextColor(text->color.ToPixel());
  unsigned int format = TextFormat(*text);
  if (!measure) {
    IClipWindow* c = Clip();
    if (!c) return true;
    RECT r{rect->L - c->OffsetX(), rect->T - c->OffsetY(), rect->R - c->OffsetX(), rect->B - c->OffsetY()};
    font->DrawText(c, str, -1, &r, format);
    return true;
  }
  RECT measured{0, 0, 0, 0};
  font->DrawText(mDrawBitmap, str, -1, &measured, format | kMeasureOnly);
  const int width = measured.right, height = measured.bottom;
  if (text->align == IText::kAlignNear) {
    rect->R = rect->L + width;
  } else if (text->align == IText::kAlignCenter) {
    rect->L = int((rect->L + rect->R) * 0.5) - width / 2;
    rect->R = rect->L + width;
  } else {
    rect->L = rect->R - width;
  }
  rect->B = rect->T + height;
  return true;
}

bool IGraphics::MeasureIText(IText* text, const char* str, IRECT* rect) { return DrawIText(text, str, rect, true); }

uint32_t* IGraphics::GetBits() { return mDrawBitmap ? mDrawBitmap->getBits() : nullptr; }
