#include "toolbars/bar_viewer.h"

#include <algorithm>

#include "runtime/ui/forms.h"
#include "toolbars/bar_common.h"

namespace movra::bars {

using ui::TCanvas;
using ui::TColor;

namespace {

TBarViewerAccFactory accFactory = nullptr;

// The canvas's device context with the canvas's font selected, for measuring.
HDC MeasuringDC(TCanvas& canvas) {
  canvas.TextExtent(std::string());
  return canvas.Handle();
}

TEXTMETRICW TextMetrics(HDC dc) {
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  return tm;
}

// Runs `draw` with the canvas's font colour set to `color`, then restores it.
template <class F>
void WithFontColor(TCanvas& canvas, TColor color, F draw) {
  TColor old = canvas.Font().Color();
  canvas.Font().SetColor(color);
  draw();
  canvas.Font().SetColor(old);
}

// Fills `rect` with the halftone of the button face and the button highlight.
void DitherFill(HDC dc, const RECT& rect) {
  HBRUSH brush = MakeCheckerBrush();
  COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
  COLORREF oldBk = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  FillRect(dc, &rect, brush);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  DeleteObject(brush);
}

// A filled polygon in one colour.
void FillPolygon(HDC dc, const POINT* points, int count, COLORREF color) {
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  Polygon(dc, points, count);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}

void DrawPolyline(HDC dc, const POINT* points, int count, COLORREF color) {
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Polyline(dc, points, count);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

// A glyph whose corners are given relative to (x, y): in `color`, or embossed when disabled
// (the button highlight one pixel right and down, then the button shadow in place).
template <size_t N>
void DrawGlyph(HDC dc, const POINT (&shape)[N], int x, int y, bool enabled, COLORREF color) {
  auto at = [&](int dx, int dy) {
    POINT points[N];
    for (size_t i = 0; i < N; ++i) points[i] = {shape[i].x + x + dx, shape[i].y + y + dy};
    return std::to_array(points);
  };
  if (enabled) {
    auto p = at(0, 0);
    FillPolygon(dc, p.data(), static_cast<int>(N), color);
  } else {
    auto light = at(1, 1);
    FillPolygon(dc, light.data(), static_cast<int>(N), GetSysColor(COLOR_BTNHIGHLIGHT));
    auto dark = at(0, 0);
    FillPolygon(dc, dark.data(), static_cast<int>(N), GetSysColor(COLOR_BTNSHADOW));
  }
}

// The system's menu arrow, drawn in `color` with its top-left corner at (x, y).
void DrawMenuArrow(HDC dc, int x, int y, int width, int height, COLORREF color) {
  HDC mono = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateBitmap(width, height, 1, 1, nullptr);
  HGDIOBJ oldBitmap = SelectObject(mono, bitmap);
  RECT r{0, 0, width, height};
  DrawFrameControl(mono, &r, DFC_MENU, DFCS_MENUARROW);
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
  // Where the glyph is black the brush paints; where it is white the picture stays.
  BitBlt(dc, x, y, width, height, mono, 0, 0, 0x00B8074A);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  SelectObject(mono, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(mono);
}

}  // namespace

void SetBarViewerAccFactory(TBarViewerAccFactory factory) { accFactory = factory; }

TBarItemViewer::TBarItemViewer(IBarView* view, TBarCustomItem* item, int groupLevel)
    : view_(view), item_(item), groupLevel_(groupLevel) {
  BarObjectCreated();
}

TBarItemViewer::~TBarItemViewer() {
  if (accObject_) accObject_->DetachClient();
  BarObjectDestroyed(this);
}

IBarAccClient* TBarItemViewer::AccObject() {
  if (!accObject_ && accFactory) accObject_ = accFactory(this);
  return accObject_;
}

// --- Queries ---------------------------------------------------------------------------------

std::string TBarItemViewer::GetCaptionText() {
  const std::string& caption = item_->Caption();
  return caption.substr(0, caption.find('\t'));
}

bool TBarItemViewer::UsesToolbarSize() {
  return view_->ToolbarLayout() || HasOption(item_->EffectiveOptions(), tboToolbarSize);
}

bool TBarItemViewer::UsesToolbarStyle() {
  return view_->ToolbarLayout() || HasOption(item_->EffectiveOptions(), tboToolbarStyle);
}

bool TBarItemViewer::UsesSameWidth() {
  TBarItemOptions options = item_->EffectiveOptions();
  return HasOption(options, tboImageAboveCaption) && HasOption(options, tboSameWidth) && UsesToolbarSize();
}

bool TBarItemViewer::CaptionShown() {
  if (HasOption(item_->EffectiveOptions(), tboImageAboveCaption)) return true;
  if (GetCaptionText().empty()) return false;
  TBarItemDisplayMode mode = item_->DisplayMode();
  return !UsesToolbarSize() || item_->ImageIndex() < 0 || mode == bdmTextOnly || mode == bdmImageAndText;
}

bool TBarItemViewer::IsRotated() const {
  TBarItemOptions options = item_->EffectiveOptions();
  return view_->IsVertical() && !HasOption(options, tboNoRotation) && !HasOption(options, tboImageAboveCaption);
}

bool TBarItemViewer::ImageShown() {
  if (item_->ImageIndex() < 0) return false;
  TBarItemDisplayMode mode = item_->DisplayMode();
  return mode == bdmDefault || mode == bdmImageAndText || (mode == bdmTextOnlyInMenus && UsesToolbarStyle());
}

ui::TCustomImageList* TBarItemViewer::EffectiveImages() const {
  if (item_->Images()) return item_->Images();
  for (IBarView* view = view_; view; view = view->ParentView()) {
    if (TBarCustomItem* linked = view->CurParentItem(); linked && linked->SubMenuImages()) return linked->SubMenuImages();
    if (TBarCustomItem* parent = view->ParentItem(); parent && parent->SubMenuImages()) return parent->SubMenuImages();
  }
  return nullptr;
}

int TBarItemViewer::MenuImageColumn(int rowHeight) const {
  ui::TCustomImageList* images = EffectiveImages();
  return images ? MulDiv(images->Width() + 3, rowHeight, images->Height() + 3) : rowHeight;
}

std::string TBarItemViewer::HintText() {
  std::string hint = item_->Hint().substr(0, item_->Hint().find('|'));
  TBarItemStyle style = item_->ItemStyle();
  if (hint.empty() && !HasOption(item_->EffectiveOptions(), tboNoAutoHint) &&
      (!(style & isSubmenu) || (style & isSplitButton) || !CaptionShown())) {
    hint = TrimLabelSuffix(GetCaptionText());
    std::erase(hint, '&');
  }
  if (auto* action = dynamic_cast<ui::TCustomAction*>(item_->Action()))
    if (!action->DoHint(hint)) hint.clear();
  if (!hint.empty() && ui::Application().HintShortCuts && item_->ShortCut() != 0)
    hint = ui::Format("%s (%s)", {hint, ui::ShortCutToText(item_->ShortCut())});
  return hint;
}

POINT TBarItemViewer::ScreenToViewer(POINT screenPoint) const {
  POINT p = view_->ScreenToClient(screenPoint);
  return {p.x - BoundsRect.left, p.y - BoundsRect.top};
}

int TBarItemViewer::AccessibleRole() {
  if (item_->InheritsFrom(TBarControlItem::Class())) return barRoleClient;
  if (item_->ItemStyle() & isSeparator) return barRoleSeparator;
  if (!view_->IsToolbar() || view_->IsMenuBar()) return barRoleMenuItem;
  if (item_->ItemStyle() & isSubmenu) return barRoleButtonMenu;
  return barRolePushButton;
}

bool TBarItemViewer::AccessibleValue(std::string&) { return false; }
void TBarItemViewer::QueryCursor(POINT, HCURSOR&) {}
void TBarItemViewer::KeyDown(WORD&, ui::TShiftState) {}
void TBarItemViewer::HandleMouseMove(int, int) {}
void TBarItemViewer::HandleMouseWheel(int, int, int) {}

bool TBarItemViewer::HitsButtonPart(int x, int) {
  TBarItemStyle style = item_->ItemStyle();
  if (style & isSplitButton) {
    int arrow = UsesToolbarStyle() ? 11 : GetSystemMetrics(SM_CXMENUCHECK);
    return x < (BoundsRect.right - BoundsRect.left) - arrow;
  }
  return !(style & isSubmenu);
}

// --- Selection and execution -----------------------------------------------------------------

void TBarItemViewer::SelectionGained(TBarItemViewer*) {
  if (item_->OnSelect) item_->OnSelect(item_, this, true);
}

void TBarItemViewer::SelectionLost() {
  if (item_->OnSelect) item_->OnSelect(item_, this, false);
}

void TBarItemViewer::Invalidate() { view_->InvalidateViewer(this); }

bool TBarItemViewer::QueueExecute() {
  view_->SetDoneActionClick(this);
  return true;
}

void TBarItemViewer::TriggerExecute(bool promote) {
  // The click is recorded whether or not the viewer is promoted.
  if (QueueExecute() && promote) view_->PromoteViewer(this);
}

// --- Mouse -----------------------------------------------------------------------------------

namespace {
bool IsRootToolbarView(IBarView* view) { return !view->ParentView() && view->IsToolbar(); }
}  // namespace

void TBarItemViewer::HandleMouseDown(ui::TShiftState shift, int x, int y, bool& mouseDownOnMenu) {
  if (!item_->Enabled()) {
    if (IsRootToolbarView(view_)) view_->EndTracking();
    return;
  }
  if (!HitsButtonPart(x, y)) {
    bool wasOpen = view_->OpenViewer() == this;
    view_->OpenChildPopup(false);
    if (wasOpen && IsRootToolbarView(view_)) mouseDownOnMenu = true;
    if ((shift & ui::ssDouble) && !(item_->ItemStyle() & isSplitButton)) {
      // A double click runs the default item of the popup it opened.
      if (IBarView* popup = view_->OpenViewerView()) {
        for (int i = 0; i < popup->ViewerCount(); ++i) {
          TBarItemViewer* viewer = popup->ViewerAt(i);
          TBarCustomItem* item = viewer ? viewer->Item() : nullptr;
          if (item && viewer->Show && (item->ItemStyle() & isSelectable) && item->Enabled() && item->Visible() &&
              HasOption(item->EffectiveOptions(), tboDefault)) {
            viewer->TriggerExecute(false);
            break;
          }
        }
      }
    }
    return;
  }
  if (UsesToolbarStyle()) {
    view_->CancelChildPopups();
    view_->SetCapture();
    Invalidate();
  }
}

void TBarItemViewer::HandleMouseUp(int x, int y, bool mouseDownOnMenu) {
  bool wasDown = view_->Capture();
  view_->CancelCapture();
  bool root = IsRootToolbarView(view_);
  if (view_->Selected() == this && view_->MouseOverSelected() && item_->Enabled() &&
      !(item_->ItemStyle() & isNotClickable)) {
    if ((item_->ItemStyle() & isSubmenu) && !HitsButtonPart(x, y)) {
      if (mouseDownOnMenu && root) view_->EndTracking();
      return;
    }
    if (wasDown || !UsesToolbarStyle()) {
      TriggerExecute(true);
      return;
    }
  }
  if (root) view_->EndTracking();
}

// --- Measuring -------------------------------------------------------------------------------

void TBarItemViewer::MeasureSize(TCanvas& canvas, int& width, int& height) {
  const bool toolbar = UsesToolbarStyle();
  width = height = toolbar ? 6 : 0;
  HDC dc = MeasuringDC(canvas);
  ui::TCustomImageList* images = EffectiveImages();
  if (!toolbar || CaptionShown()) {
    std::string caption = GetCaptionText();
    if (IsRotated()) {
      HFONT rotated = MakeRotatedFont(dc);
      HGDIOBJ old = SelectObject(dc, rotated);
      width += DCFontHeight(dc);
      height += CaptionTextWidth(dc, caption, true) + (toolbar ? 6 : 0);
      SelectObject(dc, old);
      DeleteObject(rotated);
    } else {
      height += DCFontHeight(dc);
      width += CaptionTextWidth(dc, caption, true) + (toolbar ? 6 : 0);
    }
  }
  if (toolbar) {
    if (ImageShown() && images) {
      if (IsRotated() || HasOption(item_->EffectiveOptions(), tboImageAboveCaption)) {
        height += images->Height();
        width = std::max(width, images->Width() + 7);
      } else {
        width += images->Width() + 1;
        height = std::max(height, images->Height() + 6);
      }
    }
    if (item_->ItemStyle() & isSubmenu) {
      if (item_->ItemStyle() & isSplitButton)
        width += 11;
      else if (HasOption(item_->EffectiveOptions(), tboDropdownArrow))
        (view_->IsVertical() ? height : width) += 8;
    }
    return;
  }
  height += static_cast<int>(TextMetrics(dc).tmExternalLeading) + 4;
  int column = height;
  if (images) {
    height = std::max(height, images->Height() + 3);
    column = MulDiv(images->Width() + 3, height, images->Height() + 3);
  }
  width += column + 6;
  std::string shortcut = item_->ShortCutDisplayText();
  if (!shortcut.empty()) width += CaptionTextWidth(dc, shortcut, false) + height - 6;
  width += height;
}

void TBarSeparatorItemViewer::MeasureSize(TCanvas& canvas, int& width, int& height) {
  if (UsesToolbarStyle()) {
    width = height = 6;
    return;
  }
  width = height = 0;
  height += DivideRoundingOut(DCFontHeight(MeasuringDC(canvas)) * 2, 3);
}

// --- Painting --------------------------------------------------------------------------------

void TBarItemViewer::DrawItemCaption(TCanvas& canvas, RECT rect, UINT flags, bool disabledShadow,
                                     const std::string& text) {
  ui::TBrushStyle oldBrush = canvas.Brush().Style();
  canvas.Brush().SetStyle(ui::TBrushStyle::bsClear);
  auto draw = [&](const RECT& r) {
    if (IsRotated()) {
      canvas.TextExtent(std::string());  // selects the font and its colour
      SetTextColor(canvas.Handle(), ui::ColorToRGB(canvas.Font().Color()));
      SetBkMode(canvas.Handle(), TRANSPARENT);
      DrawVerticalCaption(canvas.Handle(), text, r, flags);
    } else {
      canvas.TextRect(r, text, flags);
    }
  };
  if (disabledShadow) {
    RECT shifted = rect;
    OffsetRect(&shifted, 1, 1);
    WithFontColor(canvas, ui::clBtnHighlight, [&] { draw(shifted); });
    WithFontColor(canvas, ui::clBtnShadow, [&] { draw(rect); });
  } else {
    draw(rect);
  }
  canvas.Brush().SetStyle(oldBrush);
}

void TBarItemViewer::Paint(TCanvas& canvas, const RECT& r, bool disabledShadow, bool pushed, bool selected) {
  const TBarItemStyle style = item_->ItemStyle();
  const TBarItemOptions options = item_->EffectiveOptions();
  const bool toolbar = UsesToolbarStyle();
  const bool enabled = item_->Enabled() || view_->Customizing();
  const bool checked = item_->Checked();
  const bool submenu = (style & isSubmenu) != 0;
  const bool split = submenu && (style & isSplitButton);
  const bool arrow = submenu && (split || HasOption(options, tboDropdownArrow));
  const bool vertical = view_->IsVertical();
  ui::TCustomImageList* images = EffectiveImages();
  const bool image = ImageShown() && images;
  const int rowHeight = r.bottom - r.top;
  const unsigned oldFontStyle = canvas.Font().Style();
  if (HasOption(options, tboDefault)) canvas.Font().SetStyle(oldFontStyle | ui::fsBold);
  HDC dc = MeasuringDC(canvas);
  const COLORREF fontColor = ui::ColorToRGB(canvas.Font().Color());

  RECT button = r;
  RECT arrowArea{};
  int offset = 0;
  int column = 0;
  if (toolbar) {
    if (split) {
      button.right = r.right - 11;
      arrowArea = {r.right - 11, r.top, r.right - 2, r.bottom};
    } else if (arrow) {
      if (vertical) {
        button.bottom = r.bottom - 8;
        arrowArea = {r.left, r.bottom - 8, r.right, r.bottom};
      } else {
        button.right = r.right - 8;
        arrowArea = {r.right - 8, r.top, r.right, r.bottom};
      }
    }
    // A split button's part counts as pushed only while the mouse holds it; pushed without the
    // mouse, it is its popup that is open.
    const bool buttonPushed = split ? pushed && view_->Capture() : pushed;
    // A plain drop-down arrow belongs to the button; a split button's arrow has its own edge.
    RECT face = arrow && !split ? r : button;
    if ((selected && enabled) || checked)
      DrawEdge(dc, &face, (buttonPushed || checked) ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    if (split && selected && enabled) {
      RECT edge{button.right, r.top, r.right, r.bottom};
      DrawEdge(dc, &edge, (pushed && !view_->Capture()) ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    if (checked && !selected) {
      RECT inner = face;
      InflateRect(&inner, -1, -1);
      DitherFill(dc, inner);
    }
    if (checked || buttonPushed) offset = 1;
  } else {
    column = MenuImageColumn(rowHeight);
    if (selected) {
      RECT row = r;
      if (image || checked) row.left = r.left + column + 1;
      if (split && enabled) row.right = r.right - GetSystemMetrics(SM_CXMENUCHECK);
      canvas.FillRect(row);
    }
  }

  // Where the image and the caption go.
  RECT imageArea{};
  RECT captionArea = button;
  if (toolbar && image) {
    const bool above = IsRotated() || HasOption(options, tboImageAboveCaption);
    if (!CaptionShown()) {
      imageArea = button;
    } else if (above) {
      imageArea = {button.left, button.top, button.right, button.top + images->Height() + 4};
      captionArea.top = imageArea.bottom;
    } else {
      imageArea = {button.left, button.top, button.left + images->Width() + 7, button.bottom};
      captionArea.left = imageArea.right - 1;
    }
    OffsetRect(&imageArea, offset, offset);
  }
  OffsetRect(&captionArea, offset, offset);

  if (CaptionShown()) {
    UINT prefix = 0;
    if (!KeyboardCuesShown() && view_->HidesAcceleratorsUntilCues() && !view_->AcceleratorsShown())
      prefix = DT_HIDEPREFIX;
    const std::string caption = GetCaptionText();
    if (toolbar) {
      DrawItemCaption(canvas, captionArea, DT_SINGLELINE | DT_CENTER | DT_VCENTER | prefix, disabledShadow, caption);
    } else {
      RECT text{r.left + column + 3, r.top, r.right, r.bottom};
      if (rowHeight - DCFontHeight(dc) == 4) text.bottom -= 1;
      DrawItemCaption(canvas, text, DT_SINGLELINE | DT_VCENTER | prefix, disabledShadow, caption);
      std::string shortcut = item_->ShortCutDisplayText();
      if (!shortcut.empty()) {
        int width = CaptionTextWidth(dc, shortcut, false);
        RECT keys{r.right - rowHeight - width, text.top, r.right - rowHeight, text.bottom};
        DrawItemCaption(canvas, keys, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, disabledShadow, shortcut);
      }
    }
  }
  dc = MeasuringDC(canvas);

  if (!toolbar && submenu) {
    const int cx = GetSystemMetrics(SM_CXMENUCHECK);
    const int cy = GetSystemMetrics(SM_CYMENUCHECK);
    const bool pressedArrow = split && pushed && !view_->Capture();
    if (split) {
      RECT edge{r.right - cx, r.top, r.right, r.bottom};
      DrawEdge(dc, &edge, pressedArrow ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    const int x = r.right - cx;
    const int y = r.top + (rowHeight - cy) / 2;
    if (!enabled) {
      DrawMenuArrow(dc, x + 1, y + 1, cx, cy, GetSysColor(COLOR_BTNHIGHLIGHT));
      DrawMenuArrow(dc, x, y, cx, cy, GetSysColor(COLOR_BTNSHADOW));
    } else if (pressedArrow) {
      DrawMenuArrow(dc, x + 1, y + 1, cx, cy, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
      DrawMenuArrow(dc, x, y, cx, cy, fontColor);
    }
  }

  if (toolbar) {
    if (image) {
      int x = imageArea.left + (imageArea.right - imageArea.left - images->Width()) / 2;
      int y = imageArea.top + (imageArea.bottom - imageArea.top - images->Height()) / 2;
      images->Draw(canvas, x, y, item_->ImageIndex(), enabled);
    }
    if (arrow) {
      const int cx = (arrowArea.left + arrowArea.right) / 2;
      const int cy = (arrowArea.top + arrowArea.bottom) / 2;
      const int shift = (!split && pushed) ? 1 : 0;
      if (!split && vertical) {
        static constexpr POINT left[] = {{-1, 2}, {-1, -2}, {-3, 0}};
        DrawGlyph(dc, left, cx + shift, cy + shift, enabled, fontColor);
      } else {
        static constexpr POINT down[] = {{-2, -1}, {2, -1}, {0, 1}};
        DrawGlyph(dc, down, cx + shift, cy + shift, enabled, fontColor);
      }
    }
  } else if (image || checked) {
    RECT area{r.left, r.top, r.left + column, r.bottom};
    if (checked || (selected && enabled))
      DrawEdge(dc, &area, checked ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
    if (checked && !selected) {
      RECT inner = area;
      InflateRect(&inner, -1, -1);
      DitherFill(dc, inner);
    }
    const int shift = checked ? 1 : 0;
    if (image) {
      int x = area.left + (column - images->Width()) / 2 + shift;
      int y = area.top + (rowHeight - images->Height()) / 2 + shift;
      images->Draw(canvas, x, y, item_->ImageIndex(), enabled);
    } else {
      const int x = area.left + column / 2 - 2;
      const int y = area.top + rowHeight / 2 + 1;
      POINT dark[] = {{-2, -2}, {0, 0}, {4, -4}, {4, -3}, {0, 1}, {-2, -1}, {-2, -2}};
      POINT light[] = {{-3, -2}, {-3, -1}, {0, 2}, {5, -3}, {5, -5}};
      for (POINT& p : dark) p = {p.x + x, p.y + y};
      for (POINT& p : light) p = {p.x + x, p.y + y};
      DrawPolyline(dc, dark, 7, GetSysColor(COLOR_BTNTEXT));
      DrawPolyline(dc, light, 5, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
  }
  canvas.Font().SetStyle(oldFontStyle);
}

void TBarSeparatorItemViewer::Paint(TCanvas& canvas, const RECT& r, bool, bool, bool) {
  if (auto* separator = dynamic_cast<TBarSeparatorItem*>(Item()); separator && separator->Blank()) return;
  const bool toolbar = UsesToolbarStyle();
  const bool lineBreak = (Flags & bvfLineBreak) != 0;
  bool horizontal = !toolbar || View()->IsVertical();
  if (lineBreak) horizontal = !horizontal;
  HDC dc = MeasuringDC(canvas);
  RECT edge = r;
  if (horizontal) {
    edge.top = (r.top + r.bottom) / 2 - 1;
    int inset = 0;
    if (!toolbar)
      inset = 12;
    else if (lineBreak)
      inset = View()->IsFloating() ? 1 : 4;
    edge.left += inset;
    edge.right -= inset;
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_TOP);
  } else {
    edge.left = (r.left + r.right) / 2 - 1;
    if (lineBreak) {
      edge.top += 4;
      edge.bottom -= 4;
    }
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_LEFT);
  }
}

}  // namespace movra::bars
