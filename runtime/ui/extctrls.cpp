#include "runtime/ui/extctrls.h"

#include <algorithm>

namespace movra::ui {

// --- TPanel ----------------------------------------------------------------------------------

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
  width_ = 185;
  height_ = 41;
  controlStyle_ |= csAcceptsControls;
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
  bevelOuter_ = bevel;
  Realign();
  Invalidate();
}

void TPanel::SetBorderWidth(int width) {
  borderWidth_ = std::max(width, 0);
  Realign();
  Invalidate();
}

void TPanel::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Invalidate();
}

void TPanel::AdjustClientRect(RECT& rect) const {
  int inset = borderWidth_ + (bevelOuter_ == TBevelCut::bvNone ? 0 : 1);
  InflateRect(&rect, -inset, -inset);
}

void TPanel::Paint() {
  RECT r = ClientRect();
  Canvas().FillRect(r);
  if (bevelOuter_ != TBevelCut::bvNone)
    DrawEdge(Canvas().Handle(), &r, bevelOuter_ == TBevelCut::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
  if (text_.empty()) return;
  UINT format = DT_SINGLELINE | DT_VCENTER |
                (alignment_ == TAlignment::taCenter         ? DT_CENTER
                 : alignment_ == TAlignment::taRightJustify ? DT_RIGHT
                                                            : DT_LEFT);
  InflateRect(&r, -2, -2);
  Canvas().Brush().SetStyle(TBrushStyle::bsClear);
  Canvas().TextRect(r, text_, format);
  Canvas().Brush().SetStyle(TBrushStyle::bsSolid);
}

// --- TShape ----------------------------------------------------------------------------------

TShape::TShape(TComponent* owner) : TCustomControl(owner) {
  width_ = 65;
  height_ = 65;
  pen_.OnChange = TNotifyEvent(this, &TShape::StyleChanged);
  brush_.OnChange = TNotifyEvent(this, &TShape::StyleChanged);
}

void TShape::SetShape(TShapeType shape) {
  shape_ = shape;
  Invalidate();
}

void TShape::Paint() {
  RECT r = ClientRect();
  Canvas().FillRect(r);
  Canvas().Pen().Assign(pen_);
  Canvas().Brush().Assign(brush_);
  int penHalf = pen_.Width() / 2;
  RECT s{r.left + penHalf, r.top + penHalf, r.right - penHalf, r.bottom - penHalf};
  if (shape_ == TShapeType::stSquare || shape_ == TShapeType::stRoundSquare || shape_ == TShapeType::stCircle) {
    int side = std::min(s.right - s.left, s.bottom - s.top);
    s.left += (s.right - s.left - side) / 2;
    s.top += (s.bottom - s.top - side) / 2;
    s.right = s.left + side;
    s.bottom = s.top + side;
  }
  switch (shape_) {
    case TShapeType::stRectangle:
    case TShapeType::stSquare:
      Canvas().Rectangle(s);
      break;
    case TShapeType::stRoundRect:
    case TShapeType::stRoundSquare: {
      int corner = std::min(s.right - s.left, s.bottom - s.top) / 4;
      Canvas().RoundRect(s, corner, corner);
      break;
    }
    case TShapeType::stEllipse:
    case TShapeType::stCircle:
      Canvas().Ellipse(s);
      break;
  }
}

// --- TImage ----------------------------------------------------------------------------------

TImage::TImage(TComponent* owner) : TCustomControl(owner) {
  width_ = 105;
  height_ = 105;
}

void TImage::Paint() {
  RECT r = ClientRect();
  Canvas().FillRect(r);
  if (picture_.Empty()) return;
  if (Stretch) {
    Canvas().StretchDraw(r, picture_);
    return;
  }
  int x = Center ? (r.right - picture_.Width()) / 2 : 0;
  int y = Center ? (r.bottom - picture_.Height()) / 2 : 0;
  Canvas().Draw(x, y, picture_);
}

// --- TTimer ----------------------------------------------------------------------------------

TTimer::TTimer(TComponent* owner) : TComponent(owner), timer_(1000, TSimpleTimerEvent(this, &TTimer::Tick)) {
  Apply();
}

void TTimer::SetEnabled(bool on) {
  enabled_ = on;
  Apply();
}

void TTimer::SetInterval(unsigned milliseconds) {
  timer_.SetInterval(milliseconds);
  Apply();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  Apply();
}

void TTimer::Apply() { timer_.SetEnabled(enabled_ && !IsLoading() && timer_.Interval() != 0); }

void TTimer::Tick(TSimpleTimer*) {
  if (OnTimer) OnTimer(this);
}

}  // namespace movra::ui
