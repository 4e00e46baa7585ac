#pragma once
// Themed items and their viewers: the framework's items with per-item font settings, a layout,
// minimum sizes and two events, shown by viewers that measure and paint entirely through the
// current theme. Also the small routines that let the status bar draw a caption, an image or
// a caption colour the way an item would.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/ui/classes.h"
#include "runtime/ui/graphics.h"
#include "themes/skin_themes.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_viewer.h"

namespace movra::skin {

using bars::IBarView;
using bars::TBarCustomItem;
using bars::TBarItemViewer;

// --- Font settings --------------------------------------------------------------------------

enum TTriState { tsDefault, tsFalse, tsTrue };

// How an item's font differs from its view's: style bits that are added, removed or kept, a
// size in percent of the view font's, a colour and a face (clNone and empty keep the view's).
class TFontSettings : public ui::TPersistent {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TFontSettings", &ui::TPersistent::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  TTriState Bold() const { return bold_; }
  void SetBold(TTriState value) { Store(bold_, value); }
  TTriState Italic() const { return italic_; }
  void SetItalic(TTriState value) { Store(italic_, value); }
  TTriState Underline() const { return underline_; }
  void SetUnderline(TTriState value) { Store(underline_, value); }
  TTriState StrikeOut() const { return strikeOut_; }
  void SetStrikeOut(TTriState value) { Store(strikeOut_, value); }
  int16_t Size() const { return size_; }
  void SetSize(int16_t value) { Store(size_, value); }
  TColor Color() const { return color_; }
  void SetColor(TColor value) { Store(color_, value); }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { Store(name_, value); }

  // Copies all seven values from another TFontSettings and notifies once when any differed.
  void Assign(const ui::TPersistent& source) override;

  // Called after every change of a value.
  ui::TNotifyEvent OnChange;

 private:
  template <class T>
  void Store(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void Changed() {
    if (OnChange) OnChange(this);
  }

  TTriState bold_ = tsDefault;
  TTriState italic_ = tsDefault;
  TTriState underline_ = tsDefault;
  TTriState strikeOut_ = tsDefault;
  int16_t size_ = 100;
  TColor color_ = ui::clNone;
  std::string name_;
};

// Size in percent (rounded), colour, face, then each style bit as its tri-state says.
void ApplyFontSettings(const TFontSettings& settings, ui::TFont& font);

// --- Items ----------------------------------------------------------------------------------

enum TSkinItemLayout { sklAuto = 0, sklGlyphLeft = 1, sklGlyphTop = 2 };

// Item style bit of submenu items whose children may be edited.
inline constexpr bars::TBarItemStyle isSubitemsEditable = 0x0080;

// State flags handed to the item events: or-ed.
inline constexpr int sfDisabled = 1;
inline constexpr int sfHot = 2;
inline constexpr int sfPushed = 4;
inline constexpr int sfChecked = 8;

// (item, viewer, font, state flags): the last word on the font an item is drawn in.
using TAdjustFontEvent = ui::TDelegate<TBarCustomItem*, TBarItemViewer*, ui::TFont&, int>;
// (item, viewer, canvas, image rectangle, image offset, state flags): drawn after the image.
using TDrawImageEvent = ui::TDelegate<TBarCustomItem*, TBarItemViewer*, ui::TCanvas&, const RECT&, POINT, int>;

class TSkinCustomItem : public TBarCustomItem {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinCustomItem", &TBarCustomItem::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TSkinCustomItem(ui::TComponent* owner);
  ~TSkinCustomItem() override;

  bars::TBarPopupWindow* OpenSubmenuPopup(IBarView* parentView, TBarItemViewer* parentViewer, bool asSubmenu,
                                          bool selectFirst, bool customizing, POINT point, int alignment) override;
  bars::TBarItemViewerClass ViewerClass() override;
  void PlacePopup(IBarView* parentView, bars::TBarPopupWindow* window, bars::TBarPopupPlacement& placement) override;
  // Themed popup windows.
  bars::TBarPopupWindowClass PopupWindowClass() override;

  bool AlwaysSelectFirst() const { return alwaysSelectFirst_; }
  void SetAlwaysSelectFirst(bool on) { alwaysSelectFirst_ = on; }
  TFontSettings& FontSettings() { return *fontSettings_; }
  const TFontSettings& FontSettings() const { return *fontSettings_; }
  void SetFontSettings(const TFontSettings& settings) { fontSettings_->Assign(settings); }
  TSkinItemLayout Layout() const { return layout_; }
  void SetLayout(TSkinItemLayout layout);
  int MinHeight() const { return minHeight_; }
  void SetMinHeight(int height);
  int MinWidth() const { return minWidth_; }
  void SetMinWidth(int width);
  bool ToolBoxPopup() const { return toolBoxPopup_; }
  void SetToolBoxPopup(bool on) { toolBoxPopup_ = on; }
  bool Stretch() const { return (ItemStyle() & bars::isStretch) != 0; }
  void SetStretch(bool on) { SetStyleBit(bars::isStretch, on); }
  // A split item: a button part and a drop-down part.
  bool DropdownCombo() const { return (ItemStyle() & bars::isSplitButton) != 0; }
  void SetDropdownCombo(bool on) { SetStyleBit(bars::isSplitButton, on); }

  TAdjustFontEvent OnAdjustFont;
  TDrawImageEvent OnDrawImage;

 private:
  void FontSettingsChanged(ui::TObject* sender);
  void SetStyleBit(bars::TBarItemStyle bit, bool on);
  template <class T>
  void StoreAndResize(T& field, T value) {
    if (field == value) return;
    field = value;
    ReportChange(true);
  }

  bool alwaysSelectFirst_ = false;
  std::unique_ptr<TFontSettings> fontSettings_;
  TSkinItemLayout layout_ = sklAuto;
  int minHeight_ = 0;
  int minWidth_ = 0;
  bool toolBoxPopup_ = false;
};

class TSkinItem : public TSkinCustomItem {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinItem", &TSkinCustomItem::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using TSkinCustomItem::TSkinCustomItem;
};

class TSkinSubmenuItem : public TSkinCustomItem {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinSubmenuItem", &TSkinCustomItem::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  explicit TSkinSubmenuItem(ui::TComponent* owner);
};

class TSkinSeparatorItem : public bars::TBarSeparatorItem {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinSeparatorItem", &bars::TBarSeparatorItem::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  using bars::TBarSeparatorItem::TBarSeparatorItem;
  bars::TBarItemViewerClass ViewerClass() override;
  // Thickness in pixels; −1 takes the theme's.
  int Size() const { return size_; }
  void SetSize(int size);

 private:
  int size_ = -1;
};

// --- Viewers --------------------------------------------------------------------------------

// Measures and paints its item through the current theme.
class TSkinItemViewer : public TBarItemViewer {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinItemViewer", &TBarItemViewer::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  TSkinItemViewer(IBarView* view, TBarCustomItem* item, int groupLevel);

  void MeasureSize(ui::TCanvas& canvas, int& width, int& height) override;
  int AccessibleRole() override;
  bool UsesToolbarSize() override;
  bool HitsButtonPart(int x, int y) override;
  void HandleMouseUp(int x, int y, bool mouseDownOnMenu) override;
  // The framework's disabled-shadow flag is not used: the theme draws disabled text.
  void Paint(ui::TCanvas& canvas, const RECT& clientRect, bool disabledShadow, bool pushed, bool selected) override;
  bool UsesToolbarStyle() override;

  // Called before each caption text; clearing `draw` leaves the text out.
  virtual void BeforeDrawCaption(ui::TCanvas& canvas, const RECT& clientRect, bool& draw, bool rotated,
                                 const RECT& textRect);
  // 1 in toolbar style, else 2.
  virtual int ItemMarginKind();
  virtual void DrawImage(ui::TCanvas& canvas, const RECT& imageRect, const TItemDrawState& state);
  virtual void ApplyItemFont(ui::TFont& font, int stateFlags);
  virtual bool HasImageToShow();
  // The image list's size, or 0 x 0.
  virtual void ImageSize(int& width, int& height);
  // Extra DrawText flags for the caption.
  virtual UINT CaptionFormat();
  virtual void MeasureCaption(ui::TCanvas& canvas, const std::string& text, SIZE& size, int stateFlags, bool rotated,
                              UINT format);
  // Messages its window passes on, the hint request among them (its info already filled from
  // this viewer); none is handled here.
  virtual void Dispatch(ui::TMessage& message);

  // Glyph-left images take one more pixel of width.
  bool Wide = false;

  // What the item looks like, as the theme is told: `pushed` for the button, `dropDownPushed`
  // for the drop-down part of a split item.
  TItemDrawState DrawState(bool selected, bool pushed, bool dropDownPushed);
  // The item's own layout, or by its options and the view's orientation.
  TSkinItemLayout EffectiveLayout();
  // The flags of the item events for a state.
  static int StateFlags(const TItemDrawState& state);

 private:
  // The flags of an item at rest (disabled, checked), for measuring.
  int RestingStateFlags();
  // The canvas takes the view's drawing font and the item's changes to it.
  void UseItemFont(ui::TCanvas& canvas, int stateFlags);
};

class TSkinSeparatorItemViewer : public bars::TBarSeparatorItemViewer {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinSeparatorItemViewer", &bars::TBarSeparatorItemViewer::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using bars::TBarSeparatorItemViewer::TBarSeparatorItemViewer;

  void MeasureSize(ui::TCanvas& canvas, int& width, int& height) override;
  void Paint(ui::TCanvas& canvas, const RECT& clientRect, bool disabledShadow, bool pushed, bool selected) override;
};

// The view kind of the view a viewer sits in (0 when its window does not say).
int ViewKindOf(IBarView* view);

// The framework's placement of `item`'s popup; when the theme asks popups to touch their item,
// the popup and the item's rectangle are first drawn in by a pixel so that they share an edge.
void PlaceThemedPopup(TBarCustomItem& item, IBarView* parentView, bars::TBarPopupWindow* window,
                      bars::TBarPopupPlacement& placement);

// Width of a popup menu's image column for rows of this viewer's font and image size.
int PopupImageColumnWidth(TBarItemViewer* viewer);

// --- Drawing like an item, for the status bar -----------------------------------------------
// `flags`: bits 8 to 11 choose the view kind (0 a toolbar in toolbar style, 1 a dockable
// panel, 2 the status bar); bit 0 disabled, bit 1 hot, bit 2 pushed, bit 3 checked.
TItemDrawState ThemedDrawState(int flags);
void DrawThemedCaption(ui::TCanvas& canvas, const RECT& rect, const std::string& caption, int flags, UINT format);
void DrawThemedGlyph(ui::TCanvas& canvas, const RECT& rect, ui::TCustomImageList* images, int flags, int index);
TColor ThemedCaptionColor(int flags);

}  // namespace movra::skin
