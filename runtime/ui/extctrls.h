#pragma once
// Panels, shapes, images and the timer component.
#include <memory>

#include "runtime/ui/controls.h"
#include "runtime/ui/simple_timer.h"
#include "runtime/ui/stdctrls.h"

namespace movra::ui {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TCustomControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TPanel", &TCustomControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TPanel(TComponent* owner);

  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut bevel);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int width);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);

 protected:
  void AdjustClientRect(RECT& rect) const override;
  void Paint() override;
  void TextChanged() override { Invalidate(); }

 private:
  TBevelCut bevelOuter_ = TBevelCut::bvRaised;
  int borderWidth_ = 0;
  TAlignment alignment_ = TAlignment::taCenter;
};

enum class TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TCustomControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TShape", &TCustomControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TShape(TComponent* owner);

  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType shape);
  TPen& Pen() { return pen_; }
  TBrush& Brush() { return brush_; }

 protected:
  void Paint() override;
  bool HasCaption() const override { return false; }

 private:
  void StyleChanged(TObject*) { Invalidate(); }
  TShapeType shape_ = TShapeType::stRectangle;
  TPen pen_;
  TBrush brush_;
};

class TImage : public TCustomControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TImage", &TCustomControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TImage(TComponent* owner);

  TBitmap& Picture() { return picture_; }
  bool Stretch = false;
  bool Center = false;

 protected:
  void Paint() override;
  bool HasCaption() const override { return false; }

 private:
  TBitmap picture_;
};

// A component that calls OnTimer every Interval milliseconds while enabled.
class TTimer : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TTimer", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TTimer(TComponent* owner);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  unsigned Interval() const { return timer_.Interval(); }
  void SetInterval(unsigned milliseconds);
  TNotifyEvent OnTimer;

 protected:
  void Loaded() override;

 private:
  void Apply();
  void Tick(TSimpleTimer*);
  TSimpleTimer timer_;
  bool enabled_ = true;
};

}  // namespace movra::ui
