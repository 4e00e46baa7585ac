#include "themes/skin_items.h"

#include <algorithm>

#include "runtime/text.h"
#include "toolbars/bar_common.h"

namespace movra::skin {

using bars::HasOption;
using bars::TBarItemOptions;
using bars::TBarItemStyle;
using ui::TCanvas;

namespace {

TEXTMETRICW CanvasMetrics(TCanvas& canvas) {
  canvas.TextExtent(std::string());  // selects the canvas's font
  TEXTMETRICW tm{};
  GetTextMetricsW(canvas.Handle(), &tm);
  return tm;
}

TEXTMETRICW FontMetrics(ui::TFont& font) {
  TEXTMETRICW tm{};
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font.Handle());
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return tm;
}

// A rectangle of `size` centred in `area` (halves truncated).
RECT Centred(const RECT& area, SIZE size) {
  const LONG left = area.left + (area.right - area.left - size.cx) / 2;
  const LONG top = area.top + (area.bottom - area.top - size.cy) / 2;
  return {left, top, left + size.cx, top + size.cy};
}

TSkinCustomItem* SkinItemOf(TBarItemViewer* viewer) { return dynamic_cast<TSkinCustomItem*>(viewer->Item()); }

}  // namespace

// --- Font settings --------------------------------------------------------------------------

void TFontSettings::Assign(const ui::TPersistent& source) {
  auto* other = dynamic_cast<const TFontSettings*>(&source);
  if (!other) return ui::TPersistent::Assign(source);
  if (bold_ == other->bold_ && italic_ == other->italic_ && underline_ == other->underline_ &&
      strikeOut_ == other->strikeOut_ && size_ == other->size_ && color_ == other->color_ && name_ == other->name_)
    return;
  bold_ = other->bold_;
  italic_ = other->italic_;
  underline_ = other->underline_;
  strikeOut_ = other->strikeOut_;
  size_ = other->size_;
  color_ = other->color_;
  name_ = other->name_;
  Changed();
}

void ApplyFontSettings(const TFontSettings& settings, ui::TFont& font) {
  if (settings.Size() != 100) font.SetSize((font.Size() * settings.Size() + 50) / 100);
  if (settings.Color() != ui::clNone) font.SetColor(settings.Color());
  if (!settings.Name().empty()) font.SetName(settings.Name());
  unsigned style = font.Style();
  auto apply = [&style](TTriState state, unsigned bit) {
    if (state == tsTrue) style |= bit;
    if (state == tsFalse) style &= ~bit;
  };
  apply(settings.Bold(), ui::fsBold);
  apply(settings.Italic(), ui::fsItalic);
  apply(settings.Underline(), ui::fsUnderline);
  apply(settings.StrikeOut(), ui::fsStrikeOut);
  font.SetStyle(style);
}

// --- Items ----------------------------------------------------------------------------------

TSkinCustomItem::TSkinCustomItem(ui::TComponent* owner)
    : TBarCustomItem(owner), fontSettings_(std::make_unique<TFontSettings>()) {
  fontSettings_->OnChange = ui::TNotifyEvent(this, &TSkinCustomItem::FontSettingsChanged);
}

TSkinCustomItem::~TSkinCustomItem() = default;

void TSkinCustomItem::FontSettingsChanged(ui::TObject*) { TBarCustomItem::ReportChange(true); }

bars::TBarPopupWindow* TSkinCustomItem::OpenSubmenuPopup(IBarView* parentView, TBarItemViewer* parentViewer,
                                                         bool asSubmenu, bool selectFirst, bool customizing,
                                                         POINT point, int alignment) {
  return TBarCustomItem::OpenSubmenuPopup(parentView, parentViewer, asSubmenu, selectFirst || alwaysSelectFirst_,
                                          customizing, point, alignment);
}

bars::TBarItemViewerClass TSkinCustomItem::ViewerClass() { return bars::ViewerClassOf<TSkinItemViewer>(); }

void TSkinCustomItem::PlacePopup(IBarView* parentView, bars::TBarPopupWindow* window,
                                 bars::TBarPopupPlacement& placement) {
  PlaceThemedPopup(*this, parentView, window, placement);
}

void TSkinCustomItem::SetLayout(TSkinItemLayout layout) { StoreAndResize(layout_, layout); }
void TSkinCustomItem::SetMinHeight(int height) { StoreAndResize(minHeight_, height); }
void TSkinCustomItem::SetMinWidth(int width) { StoreAndResize(minWidth_, width); }

void TSkinCustomItem::SetStyleBit(TBarItemStyle bit, bool on) {
  const TBarItemStyle style = static_cast<TBarItemStyle>(on ? ItemStyle() | bit : ItemStyle() & ~bit);
  if (style == ItemStyle()) return;
  SetItemStyle(style);
  TBarCustomItem::ReportChange(true);
}

TSkinSubmenuItem::TSkinSubmenuItem(ui::TComponent* owner) : TSkinCustomItem(owner) {
  SetItemStyle(ItemStyle() | bars::isSubmenu | isSubitemsEditable);
}

bars::TBarItemViewerClass TSkinSeparatorItem::ViewerClass() { return bars::ViewerClassOf<TSkinSeparatorItemViewer>(); }

void TSkinSeparatorItem::SetSize(int size) {
  size = std::max(size, -1);
  if (size == size_) return;
  size_ = size;
  TBarCustomItem::ReportChange(true);
}

void PlaceThemedPopup(TBarCustomItem& item, IBarView* parentView, bars::TBarPopupWindow* window,
                      bars::TBarPopupPlacement& placement) {
  TSkinTheme* theme = ActiveTheme();
  if (!theme || !theme->GetFlag(sfPopupTouchesItem)) {
    item.TBarCustomItem::PlacePopup(parentView, window, placement);
    return;
  }
  // The framework places a popup beside its item; drawn in by one pixel, the two overlap by the
  // width of a frame line and look joined.
  bars::TBarPopupPlacement& p = placement;
  RECT& opener = p.ParentItemRect;
  const LONG oldRight = opener.right;
  const LONG oldBottom = opener.bottom;
  opener.right -= 1;
  opener.bottom -= 1;
  if (p.X == oldRight) p.X -= 1;
  if (p.Y == oldBottom) p.Y -= 1;
  if (p.X + p.W <= opener.left) p.X += 1;
  if (p.Y + p.H <= opener.top) p.Y += 1;
  p.W -= 1;
  p.H -= 1;
  item.TBarCustomItem::PlacePopup(parentView, window, p);
  p.W += 1;
  p.H += 1;
}

// --- Item viewer ----------------------------------------------------------------------------

int ViewKindOf(IBarView* view) { return view ? QueryViewKind(view->Window()) : 0; }

TSkinItemViewer::TSkinItemViewer(IBarView* view, TBarCustomItem* item, int groupLevel)
    : TBarItemViewer(view, item, groupLevel) {
  Wide = true;
}

bool TSkinItemViewer::UsesToolbarSize() {
  return TBarItemViewer::UsesToolbarSize() || IsToolboxPopupView(ViewKindOf(View()));
}

bool TSkinItemViewer::UsesToolbarStyle() {
  return TBarItemViewer::UsesToolbarStyle() || IsToolboxPopupView(ViewKindOf(View()));
}

int TSkinItemViewer::AccessibleRole() {
  TSkinCustomItem* item = SkinItemOf(this);
  if (item && item->ToolBoxPopup() && (item->ItemStyle() & bars::isSubmenu)) return 58;  // drop-down grid button
  return TBarItemViewer::AccessibleRole();
}

bool TSkinItemViewer::HitsButtonPart(int x, int) {
  const TBarItemStyle style = Item()->ItemStyle();
  if (!(style & bars::isSplitButton)) return !(style & bars::isSubmenu);
  int arrow = GetSystemMetrics(SM_CXMENUCHECK);
  if (UsesToolbarStyle()) {
    TSkinTheme* theme = ActiveTheme();
    arrow = theme ? theme->GetMetric(smSplitDropDownWidth) : 11;
  }
  return x < (BoundsRect.right - BoundsRect.left) - arrow;
}

void TSkinItemViewer::HandleMouseUp(int x, int y, bool mouseDownOnMenu) {
  TBarItemViewer::HandleMouseUp(x, y, mouseDownOnMenu);
  if (Item()->Enabled() && (!(Item()->ItemStyle() & bars::isSubmenu) || HitsButtonPart(x, y)) &&
      View()->MouseOverSelected())
    TriggerExecute(true);
}

void TSkinItemViewer::BeforeDrawCaption(TCanvas&, const RECT&, bool&, bool, const RECT&) {}

int TSkinItemViewer::ItemMarginKind() { return UsesToolbarStyle() ? smkToolbarItem : smkMenuItem; }

bool TSkinItemViewer::HasImageToShow() { return ImageShown(); }

void TSkinItemViewer::ImageSize(int& width, int& height) {
  ui::TCustomImageList* images = EffectiveImages();
  width = images ? images->Width() : 0;
  height = images ? images->Height() : 0;
}

void TSkinItemViewer::Dispatch(ui::TMessage&) {}

UINT TSkinItemViewer::CaptionFormat() {
  IBarView* view = View();
  if (!bars::KeyboardCuesShown() && view->HidesAcceleratorsUntilCues() && !view->AcceleratorsShown())
    return DT_HIDEPREFIX;
  return 0;
}

void TSkinItemViewer::ApplyItemFont(ui::TFont& font, int stateFlags) {
  if (HasOption(Item()->EffectiveOptions(), bars::tboDefault)) font.SetStyle(font.Style() | ui::fsBold);
  if (TSkinCustomItem* item = SkinItemOf(this)) {
    ApplyFontSettings(item->FontSettings(), font);
    if (item->OnAdjustFont) item->OnAdjustFont(item, this, font, stateFlags);
  }
}

void TSkinItemViewer::UseItemFont(TCanvas& canvas, int stateFlags) {
  canvas.Font().Assign(View()->FontForDrawing());
  ApplyItemFont(canvas.Font(), stateFlags);
}

void TSkinItemViewer::MeasureCaption(TCanvas& canvas, const std::string& text, SIZE& size, int stateFlags,
                                     bool rotated, UINT format) {
  size = {0, 0};
  if (text.empty()) return;
  UseItemFont(canvas, stateFlags);
  canvas.TextExtent(std::string());
  HDC dc = canvas.Handle();
  if (rotated) {
    size.cy = bars::CaptionTextWidth(dc, text, true);
    HFONT font = bars::MakeRotatedFont(dc);
    HGDIOBJ old = SelectObject(dc, font);
    size.cx = bars::DCFontHeight(dc);
    SelectObject(dc, old);
    DeleteObject(font);
    return;
  }
  RECT r{0, 0, 1, 0};
  const std::wstring wide = Utf8ToWide(text);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, DT_CALCRECT | format);
  size = {r.right - r.left, r.bottom - r.top};
}

TSkinItemLayout TSkinItemViewer::EffectiveLayout() {
  TSkinCustomItem* item = SkinItemOf(this);
  if (item && item->Layout() != sklAuto) return item->Layout();
  if (HasOption(Item()->EffectiveOptions(), bars::tboImageAboveCaption) || View()->IsVertical()) return sklGlyphTop;
  return sklGlyphLeft;
}

int TSkinItemViewer::StateFlags(const TItemDrawState& state) {
  return (state.Enabled ? 0 : sfDisabled) | (state.Hover == 2 ? sfHot : 0) | (state.Pushed ? sfPushed : 0) |
         (state.Checked ? sfChecked : 0);
}

int TSkinItemViewer::RestingStateFlags() {
  TItemDrawState state{};
  state.Enabled = Item()->Enabled() || View()->Customizing();
  state.Checked = Item()->Checked();
  return StateFlags(state);
}

TItemDrawState TSkinItemViewer::DrawState(bool selected, bool pushed, bool dropDownPushed) {
  TBarCustomItem* item = Item();
  IBarView* view = View();
  const TBarItemStyle style = item->ItemStyle();
  const bool toolbar = UsesToolbarStyle();
  const bool submenu = (style & bars::isSubmenu) != 0;
  const bool split = (style & bars::isSplitButton) != 0;
  TItemDrawState state{};
  state.ViewKind = ViewKindOf(view);
  if (toolbar) state.Options |= idoToolbarStyle;
  if (submenu) state.Options |= idoSubmenu;
  if (split) state.Options |= idoSplit;
  if (bars::ThreadHasActiveWindow()) state.Options |= idoAppActive;
  state.Enabled = item->Enabled() || view->Customizing();
  state.Pushed = pushed;
  if (selected) state.Hover = state.Enabled ? 2 : view->MouseOverSelected() ? 0 : 1;
  state.Checked = item->Checked();
  if (HasImageToShow()) {
    int width = 0, height = 0;
    ImageSize(width, height);
    if (width > 0 && height > 0) {
      state.ImageShown = 1;
      state.ImageWidth = width;
      state.ImageHeight = height;
    }
  }
  state.Vertical = view->IsVertical() && !split;
  if (toolbar)
    state.PopupOpen = ((view->Tracking() && view->OpenViewer()) || submenu) && (split ? dropDownPushed : pushed);
  state.ImageColumnWidth = PopupImageColumnWidth(this);
  return state;
}

void TSkinItemViewer::MeasureSize(TCanvas& canvas, int& width, int& height) {
  TSkinTheme* theme = ActiveTheme();
  if (!theme) return TBarItemViewer::MeasureSize(canvas, width, height);
  TBarCustomItem* item = Item();
  TSkinCustomItem* skinItem = SkinItemOf(this);
  const TBarItemOptions options = item->EffectiveOptions();
  const TBarItemStyle style = item->ItemStyle();
  const bool vertical = View()->IsVertical();
  const int flags = RestingStateFlags();
  int imageWidth = 0, imageHeight = 0;
  ImageSize(imageWidth, imageHeight);
  if (imageWidth <= 0 || imageHeight <= 0) imageWidth = imageHeight = 0;
  const TSkinItemLayout layout = EffectiveLayout();

  if (UsesToolbarStyle()) {
    width = height = 6;
    bool rotated = vertical;
    if (CaptionShown()) {
      if ((skinItem && skinItem->Layout() != sklAuto) || HasOption(options, bars::tboImageAboveCaption))
        rotated = false;
      SIZE caption{};
      MeasureCaption(canvas, GetCaptionText(), caption, flags, rotated, rotated ? DT_SINGLELINE : 0);
      width += caption.cx;
      height += caption.cy;
      (rotated ? height : width) += 4;
    }
    const bool image = HasImageToShow() && imageWidth > 0;
    if (image) {
      if (layout == sklGlyphLeft) {
        width += imageWidth + (Wide ? 1 : 0);
        height = std::max(height, imageHeight + 6);
      } else {
        height += imageHeight;
        width = std::max(width, imageWidth + 7);
      }
    }
    if (style & bars::isSubmenu) {
      if (style & bars::isSplitButton) {
        width += theme->GetMetric(smSplitDropDownWidth);
      } else if (HasOption(options, bars::tboDropdownArrow)) {
        const int arrow = theme->GetMetric(smArrowWidth);
        if (layout == sklGlyphTop && image && !rotated) {
          if (vertical)
            height = std::max(height, arrow + imageHeight + 9);
          else
            width = std::max(width, arrow + imageWidth + 9);
        } else if (vertical) {
          height += arrow;
        } else {
          width += arrow;
        }
      }
    }
  } else {
    SIZE caption{};
    MeasureCaption(canvas, GetCaptionText(), caption, flags, false, DT_SINGLELINE);
    UseItemFont(canvas, flags);
    const TEXTMETRICW tm = CanvasMetrics(canvas);
    width = caption.cx;
    height = std::max(static_cast<int>(caption.cy + tm.tmExternalLeading), imageHeight > 0 ? imageHeight : 16);
    TSkinMargins margins{};
    theme->GetItemMargins(ItemMarginKind(), margins);
    width += margins.Left + margins.Right;
    height += margins.Top + margins.Bottom;
    width += theme->GetMetric(smMenuItemGap1) + PopupImageColumnWidth(this) + theme->GetMetric(smMenuItemGap2) +
             theme->GetMetric(smMenuItemGap3);
    const std::string shortcut = item->ShortCutDisplayText();
    if (!shortcut.empty()) width += bars::CaptionTextWidth(canvas.Handle(), shortcut, true) + height - 6;
    width += height;  // the arrow column
  }
  if (skinItem) {
    width = std::max(width, skinItem->MinWidth());
    height = std::max(height, skinItem->MinHeight());
  }
}

void TSkinItemViewer::Paint(TCanvas& canvas, const RECT& clientRect, bool disabledShadow, bool pushed, bool selected) {
  TSkinTheme* theme = ActiveTheme();
  if (!theme) return TBarItemViewer::Paint(canvas, clientRect, disabledShadow, pushed, selected);
  TBarCustomItem* item = Item();
  TSkinCustomItem* skinItem = SkinItemOf(this);
  IBarView* view = View();
  const TBarItemOptions options = item->EffectiveOptions();
  const bool toolbar = UsesToolbarStyle();
  const bool submenu = (item->ItemStyle() & bars::isSubmenu) != 0;
  const bool split = (item->ItemStyle() & bars::isSplitButton) != 0;
  // Pushed without the mouse held, a split item's popup is open: its drop-down part is down.
  const bool dropDownPushed = split && pushed && !view->Capture();
  if (dropDownPushed) pushed = false;
  TItemDrawState state = DrawState(selected, pushed, dropDownPushed);
  const int imageWidth = state.ImageWidth;
  const int imageHeight = state.ImageHeight;
  const TSkinItemLayout layout = EffectiveLayout();
  const bool hasArrow = submenu && (split || HasOption(options, bars::tboDropdownArrow));
  const int flags = StateFlags(state);

  canvas.Font().Assign(view->FontForDrawing());
  canvas.Font().SetColor(theme->GetItemCaptionColor(state));
  ApplyItemFont(canvas.Font(), flags);
  // Measuring the caption resets the font; each text gets this colour back.
  const TColor captionColor = canvas.Font().Color();

  const bool captionShown = CaptionShown();
  std::string caption;
  UINT format = CaptionFormat();
  bool rotated = false;
  SIZE captionSize{};
  if (captionShown) {
    caption = GetCaptionText();
    rotated = view->IsVertical() && toolbar;
    if ((skinItem && skinItem->Layout() != sklAuto) || HasOption(options, bars::tboImageAboveCaption)) rotated = false;
    if (rotated || !toolbar) format |= DT_SINGLELINE;
    MeasureCaption(canvas, caption, captionSize, flags, rotated, format);
  }
  const bool arrowBeside = hasArrow && !split && toolbar && layout == sklGlyphTop && imageWidth > 0 && !rotated &&
                           captionSize.cx > 0;

  RECT itemRect = clientRect;
  TSkinMargins margins{};
  const int arrowWidth = theme->GetMetric(smArrowWidth);
  if (toolbar) {
    RECT arrowRect{};
    if (hasArrow) {
      state.Part = 1;
      if (split) {
        state.Part = 2;
        arrowRect = {itemRect.right - theme->GetMetric(smSplitDropDownWidth), itemRect.top, itemRect.right,
                     itemRect.bottom};
      } else if (arrowBeside) {
        arrowRect.right = (itemRect.left + itemRect.right + imageWidth + arrowWidth + 4) / 2;
        arrowRect.left = arrowRect.right - arrowWidth;
        arrowRect.top = (itemRect.top + itemRect.bottom - imageHeight - 2 - captionSize.cy) / 2;
        arrowRect.bottom = arrowRect.top + imageHeight;
      } else {
        const int gap = theme->GetMetric(smCaptionArrowGap);
        if (view->IsVertical())
          arrowRect = {itemRect.left, itemRect.bottom - arrowWidth - gap, itemRect.right, itemRect.bottom - gap};
        else
          arrowRect = {itemRect.right - arrowWidth - gap, itemRect.top, itemRect.right - gap, itemRect.bottom};
      }
    }
    if (!split) {
      theme->DrawButtonFace(canvas, itemRect, state);
      if (hasArrow) {
        theme->DrawDropArrow(canvas, arrowRect, state);
        if (!arrowBeside) (view->IsVertical() ? itemRect.bottom : itemRect.right) -= arrowWidth;
      }
    } else {
      // The button part is what the drop-down part leaves of the item.
      if (hasArrow) itemRect.right = arrowRect.left;
      theme->DrawButtonFace(canvas, itemRect, state);
      if (hasArrow) {
        const TItemDrawState button = state;
        state.Pushed = dropDownPushed;
        state.Checked = 0;
        state.Part = 3;
        theme->DrawButtonFace(canvas, arrowRect, state);
        state = button;
      }
    }
    InflateRect(&itemRect, -2, -2);
  } else {
    theme->GetItemMargins(ItemMarginKind(), margins);
    theme->DrawMenuItemFace(canvas, itemRect, state);
    itemRect.left += margins.Left;
    itemRect.right -= margins.Right;
    itemRect.top += margins.Top;
    itemRect.bottom -= margins.Bottom;
  }

  const TEXTMETRICW tm = CanvasMetrics(canvas);
  // A menu row exactly one line plus the bottom margin high shows its text a pixel higher.
  auto adjustForLeading = [&](RECT& r) {
    if (r.bottom - r.top - (tm.tmHeight + tm.tmExternalLeading) == margins.Bottom) {
      r.bottom -= 1;
      r.top += tm.tmExternalLeading;
    }
  };
  auto drawText = [&](const RECT& r, const std::string& text, UINT textFormat, bool textRotated) {
    canvas.Font().SetColor(captionColor);
    bool draw = true;
    BeforeDrawCaption(canvas, clientRect, draw, textRotated, r);
    if (draw) theme->DrawItemCaption(canvas, r, state, text, textFormat, textRotated);
  };

  if (captionShown) {
    RECT textRect = itemRect;
    if (toolbar) {
      format |= DT_CENTER | DT_VCENTER;
      if (state.ImageShown) {
        if (layout == sklGlyphLeft) {
          textRect.left += imageWidth + 3;
          format &= ~static_cast<UINT>(DT_CENTER);
        } else {
          textRect.top += imageHeight + 1 + (rotated ? 3 : 0);
          format &= ~static_cast<UINT>(DT_VCENTER);
        }
      }
      textRect = Centred(textRect, captionSize);
    } else {
      format |= DT_VCENTER;
      MeasureCaption(canvas, caption, captionSize, flags, false, format);
      textRect.left = itemRect.left + theme->GetMetric(smMenuItemGap1) + state.ImageColumnWidth +
                      theme->GetMetric(smMenuItemGap2);
      textRect.right = textRect.left + captionSize.cx;
      adjustForLeading(textRect);
    }
    drawText(textRect, caption, format, rotated);
  }

  if (!toolbar) {
    const std::string shortcut = item->ShortCutDisplayText();
    if (!shortcut.empty()) {
      canvas.TextExtent(std::string());
      RECT textRect = itemRect;
      textRect.left = textRect.right - (textRect.bottom - textRect.top) -
                      bars::CaptionTextWidth(canvas.Handle(), shortcut, true);
      adjustForLeading(textRect);
      drawText(textRect, shortcut, CaptionFormat() | DT_SINGLELINE | DT_VCENTER, false);
    }
  }

  if (state.ImageShown || (!toolbar && state.Checked)) {
    RECT imageRect = itemRect;
    if (toolbar) {
      if (arrowBeside) OffsetRect(&imageRect, (1 - arrowWidth) / 2, 0);
      if (layout == sklGlyphLeft) {
        imageRect.right = imageRect.left + imageWidth + 2;
      } else {
        imageRect.top = (imageRect.top + imageRect.bottom - imageHeight - 2 - captionSize.cy) / 2;
        imageRect.bottom = imageRect.top + imageHeight + 2;
      }
    } else {
      const LONG side = clientRect.bottom - clientRect.top;
      imageRect = {clientRect.left, clientRect.top, clientRect.left + side, clientRect.bottom};
    }
    if (state.ImageShown)
      DrawImage(canvas, Centred(imageRect, {imageWidth, imageHeight}), state);
    else
      theme->DrawCheckGlyph(canvas, imageRect, state);
  }
}

void TSkinItemViewer::DrawImage(TCanvas& canvas, const RECT& imageRect, const TItemDrawState& state) {
  ui::TCustomImageList* images = EffectiveImages();
  const int index = Item()->ImageIndex();
  TSkinTheme* theme = ActiveTheme();
  if (!images || !theme || index < 0 || index >= images->Count()) return;
  theme->DrawGlyph(canvas, imageRect, state, images, index);
  TSkinCustomItem* item = SkinItemOf(this);
  if (item && item->OnDrawImage) {
    POINT offset{};
    theme->GetGlyphShift(canvas, state, offset);
    item->OnDrawImage(item, this, canvas, imageRect, offset, StateFlags(state));
  }
}

// --- Separator viewer -----------------------------------------------------------------------

void TSkinSeparatorItemViewer::MeasureSize(TCanvas& canvas, int& width, int& height) {
  auto* separator = dynamic_cast<TSkinSeparatorItem*>(Item());
  const int size = separator ? separator->Size() : -1;
  const bool toolbar = UsesToolbarStyle();
  int thickness = size;
  if (thickness < 0) {
    TSkinTheme* theme = ActiveTheme();
    thickness = theme ? theme->GetMetric(toolbar ? smToolbarSeparatorSize : smMenuSeparatorSize) : -1;
  }
  if (thickness < 0) return TBarSeparatorItemViewer::MeasureSize(canvas, width, height);
  width = toolbar || size < 0 ? thickness : 0;
  height = thickness;
}

void TSkinSeparatorItemViewer::Paint(TCanvas& canvas, const RECT& clientRect, bool disabledShadow, bool pushed,
                                     bool selected) {
  TSkinTheme* theme = ActiveTheme();
  if (!theme) return TBarSeparatorItemViewer::Paint(canvas, clientRect, disabledShadow, pushed, selected);
  auto* separator = dynamic_cast<TSkinSeparatorItem*>(Item());
  if (separator && separator->Size() == 0) return;
  IBarView* view = View();
  const bool toolbar = UsesToolbarStyle();
  TItemDrawState state{};
  state.ViewKind = ViewKindOf(view);
  if (toolbar) state.Options |= idoToolbarStyle;
  auto* plain = dynamic_cast<bars::TBarSeparatorItem*>(Item());
  state.Enabled = !(plain && plain->Blank());
  state.Vertical = view->IsVertical();
  if (!toolbar) state.ImageColumnWidth = PopupImageColumnWidth(this);
  const bool lineBreak = (Flags & bars::bvfLineBreak) != 0;
  bool horizontal = lineBreak != view->IsVertical() || !view->IsToolbar();
  if ((state.ViewKind & vkChevronPopup) == vkChevronPopup) horizontal = horizontal && lineBreak;
  theme->DrawSeparatorLine(canvas, clientRect, state, horizontal, lineBreak);
}

// --- Shared measures and drawing ------------------------------------------------------------

int PopupImageColumnWidth(TBarItemViewer* viewer) {
  int width = 0, height = 0;
  if (auto* themed = dynamic_cast<TSkinItemViewer*>(viewer)) themed->ImageSize(width, height);
  if (width <= 0 || height <= 0) {
    ui::TCustomImageList* images = viewer->EffectiveImages();
    width = images ? images->Width() : 0;
    height = images ? images->Height() : 0;
  }
  if (width <= 0 || height <= 0) width = height = 16;
  TSkinMargins margins{};
  if (TSkinTheme* theme = ActiveTheme()) theme->GetItemMargins(smkMenuItem, margins);
  const TEXTMETRICW tm = FontMetrics(viewer->View()->FontForDrawing());
  const int v = margins.Top + margins.Bottom;
  const int a = tm.tmHeight + tm.tmExternalLeading + v;
  const int b = v + height;
  if (b <= 0) return 0;
  return std::max(a, b) * (v + width) / b;
}

TItemDrawState ThemedDrawState(int flags) {
  TItemDrawState state{};
  switch ((flags >> 8) & 0xF) {
    case 0:
      state.ViewKind = vkToolbarFamily;
      state.Options = idoToolbarStyle;
      break;
    case 1: state.ViewKind = 0x4000; break;
    case 2: state.ViewKind = vkStatusBar; break;
    default: break;
  }
  state.Enabled = (flags & 1) == 0;
  state.Hover = (flags & 2) ? 2 : 0;
  state.Pushed = (flags & 4) != 0;
  state.Checked = (flags & 8) != 0;
  return state;
}

void DrawThemedCaption(TCanvas& canvas, const RECT& rect, const std::string& caption, int flags, UINT format) {
  if (TSkinTheme* theme = ActiveTheme()) theme->DrawItemCaption(canvas, rect, ThemedDrawState(flags), caption, format, false);
}

void DrawThemedGlyph(TCanvas& canvas, const RECT& rect, ui::TCustomImageList* images, int flags, int index) {
  if (TSkinTheme* theme = ActiveTheme()) theme->DrawGlyph(canvas, rect, ThemedDrawState(flags), images, index);
}

TColor ThemedCaptionColor(int flags) {
  TSkinTheme* theme = ActiveTheme();
  return theme ? theme->GetItemCaptionColor(ThemedDrawState(flags)) : ui::clBtnText;
}

}  // namespace movra::skin
