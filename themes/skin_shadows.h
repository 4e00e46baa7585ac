#pragma once
// Soft shadows of popups: small borderless windows along the right and bottom edges of a popup
// (and of the item it opened from), each showing a band of black whose alpha fades outwards,
// with rounded-off ends. Where the system lacks per-pixel alpha they are half-size solid bands.
#include <windows.h>

#include <array>
#include <cstdint>

#include "runtime/ui/controls.h"
#include "themes/skin_utils.h"

namespace movra::skin {

// Soft ends of a shadow band: at its start (left or top), at its end, or both.
inline constexpr uint8_t seStartCorner = 1;
inline constexpr uint8_t seEndCorner = 2;

enum TShadowStyle : uint8_t {
  shsPlain = 0,         // a solid clBtnShadow window
  shsLayered = 1,       // a per-pixel-alpha layered window
  shsAlphaBlended = 2,  // blended onto the screen when erased
};

// One part of a popup's shadow as the geometry gives it.
struct TShadowPartSpec {
  bool Present = false;
  bool Horizontal = false;  // a band along a bottom edge; else along a right edge
  RECT Bounds{};
  uint8_t Edges = 0;
};
// The slots in order V1, H1, V2, H2, V3, H3.
using TShadowGeometry = std::array<TShadowPartSpec, 6>;
enum TShadowSlot { shV1, shH1, shV2, shH2, shV3, shH3 };

// The parts around popup rectangle `popup` and opening item rectangle `item` (either may be
// empty) for a shadow of size `size`. Parts that come out with no area are left out.
TShadowGeometry ShadowGeometry(const RECT& popup, const RECT& item, int size);

// Writes a w x h shadow band as black pixels whose alpha byte fades outwards (a shl 24), rows
// top-down; `horizontal` for a band along a bottom edge.
void FillShadowAlpha(uint32_t* bits, int width, int height, bool horizontal, uint8_t edges);

// The style shadows get on this display with these entry points.
TShadowStyle ShadowStyleFor(bool lowColor, bool haveUpdateLayeredWindow, bool haveAlphaBlend);

class TShadow : public ui::TCustomControl {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TShadow", &ui::TCustomControl::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  TShadow(const RECT& bounds, uint8_t opacity, uint8_t edges, TShadowStyle style);
  // Takes a kept window to another popup: its new place, opacity and ends.
  void Reuse(const RECT& bounds, uint8_t opacity, uint8_t edges);
  // Hides the window to be kept for a later popup.
  void Withdraw();

  uint8_t Opacity() const { return opacity_; }
  uint8_t Edges() const { return edges_; }
  TShadowStyle Style() const { return style_; }
  bool SaveBits() const { return saveBits_; }
  void SetSaveBits(bool on) { saveBits_ = on; }
  virtual bool IsHorizontal() const = 0;

  // Fills a 32-bit top-down bitmap of the shadow's size.
  virtual void FillAlpha(uint32_t* bits, int width, int height) = 0;
  // A style-1 shadow takes its picture as a layered window.
  void MakeLayered();
  // Shows the window directly behind `popup`.
  void ShowBehind(HWND popup);

  void WndProc(ui::TMessage& message) override;

 protected:
  void CreateParams(ui::TCreateParams& params) override;

 private:
  // A 32-bit DIB section of the shadow's size filled by FillAlpha, selected into a new memory
  // DC; both freed by the caller through FreeAlphaBitmap.
  HDC MakeAlphaBitmap(HBITMAP& bitmap, HGDIOBJ& old);
  static void FreeAlphaBitmap(HDC dc, HBITMAP bitmap, HGDIOBJ old);
  bool EraseBlended(HDC dc);

  uint8_t opacity_;
  uint8_t edges_;
  bool saveBits_ = false;
  TShadowStyle style_;
};

class THorzShadow : public TShadow {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"THorzShadow", &TShadow::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using TShadow::TShadow;
  bool IsHorizontal() const override { return true; }
  void FillAlpha(uint32_t* bits, int width, int height) override;
};

class TVertShadow : public TShadow {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TVertShadow", &TShadow::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using TShadow::TShadow;
  bool IsHorizontal() const override { return false; }
  void FillAlpha(uint32_t* bits, int width, int height) override;
};

// The shadow of one popup: up to six parts, created hidden and shown behind the popup. Their
// windows are kept hidden when it goes and taken by the next popup: making a top-level window
// and making it layered costs far more than moving one, and the shadow would come that much
// later than the popup it belongs to.
class TShadows {
 public:
  TShadows(const RECT& popup, const RECT& item, bool lowColor, uint8_t opacity, int size);
  ~TShadows();
  TShadows(const TShadows&) = delete;
  TShadows& operator=(const TShadows&) = delete;

  TShadow* Part(int slot) const { return parts_[static_cast<size_t>(slot)]; }
  bool SaveBits() const { return saveBits_; }
  void Show(HWND popup);

 private:
  std::array<TShadow*, 6> parts_{};
  bool saveBits_ = false;
};

// Makes the windows of a popup's shadow ahead, at the thread's first quiet moment (after the
// paints that wait), when a theme that casts them is chosen: the first popup then finds them
// made, as a later one does, instead of making them while it is already on the screen.
void MakeShadowsAhead(bool lowColor);
// Frees the shadow windows kept for later popups.
void FreeKeptShadows();

}  // namespace movra::skin
