#include "themes/skin_status.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "runtime/ui/forms.h"
#include "toolbars/bar_view.h"

namespace movra::skin {

using ui::TControl;
using ui::TMessage;
using ui::TWinControl;

namespace {

constexpr int kPanelTopGap = 2;
constexpr int kGripTopGap = 3;
constexpr int kSimpleTextInset = 4;
constexpr int kImageTextGap = 4;
constexpr int kStatusBarKindFlags = 0x200;

int Percent(int value) { return std::clamp(value, 0, 100); }

bool IsParentOrSelf(const TControl* candidate, const TControl* control) {
  for (const TControl* c = control; c; c = c->Parent())
    if (c == candidate) return true;
  return false;
}

}  // namespace

RECT ShrinkByMargins(const RECT& rect, const TSkinMargins& margins) {
  RECT r{rect.left + margins.Left, rect.top + margins.Top, rect.right - margins.Right, rect.bottom - margins.Bottom};
  r.right = std::max(r.right, r.left);
  r.bottom = std::max(r.bottom, r.top);
  return r;
}

// --- Panel ----------------------------------------------------------------------------------

TSkinStatusPanel::TSkinStatusPanel() : fontSettings_(std::make_unique<TFontSettings>()) {
  fontSettings_->OnChange = ui::TNotifyEvent(this, &TSkinStatusPanel::FontSettingsChanged);
}

TSkinStatusPanel::~TSkinStatusPanel() {
  fontSettings_.reset();
  TSkinCustomStatusBar* bar = Bar();
  if (!control_) return;
  if (bar) control_->RemoveFreeNotification(bar);
  // The control stays on the bar without a panel to place it: it comes forward as it is.
  if (auto* win = dynamic_cast<TWinControl*>(control_); win && win->HandleAllocated() && !win->IsDestroying()) {
    win->BringToFront();
    win->Perform(ui::CM_SHOWINGCHANGED);
  }
}

TSkinCustomStatusBar* TSkinStatusPanel::Bar() const {
  auto* panels = dynamic_cast<TSkinStatusPanels*>(Collection());
  return panels ? panels->Bar() : nullptr;
}

void TSkinStatusPanel::SetControl(TControl* control) {
  if (control == control_) return;
  TSkinCustomStatusBar* bar = Bar();
  if (control && bar && IsParentOrSelf(control, bar)) throw ui::EInvalidOperation("Can't insert own parent");
  if (bar && control)
    if (TSkinStatusPanel* holder = bar->PanelOf(control); holder && holder != this) holder->control_ = nullptr;
  TControl* previous = control_;
  if (previous && bar) previous->RemoveFreeNotification(bar);
  // Held before it moves in, so the bar knows the control already has its panel.
  control_ = control;
  if (control && bar) {
    control->FreeNotification(bar);
    control->SetParent(bar);
  }
  Changed(false);
  if (previous) previous->Perform(ui::CM_SHOWINGCHANGED);
}

void TSkinStatusPanel::SetImageIndex(int value) {
  if (value == imageIndex_) return;
  imageIndex_ = value;
  if (TSkinCustomStatusBar* bar = Bar(); bar && bar->Images()) Changed(false);
}

void TSkinStatusPanel::SetViewPriority(int value) { Store(viewPriority_, Percent(value)); }

void TSkinStatusPanel::SetStretchPriority(int value) { Store(stretchPriority_, Percent(value)); }

void TSkinStatusPanel::Assign(const ui::TPersistent& source) {
  auto* other = dynamic_cast<const TSkinStatusPanel*>(&source);
  if (!other) return ui::TCollectionItem::Assign(source);
  // The control is looked up by name on this bar's form, so a panel copied from another
  // form's bar takes this form's control of the same name.
  TControl* control = nullptr;
  if (other->control_ && !other->control_->Name().empty())
    if (TSkinCustomStatusBar* bar = Bar())
      if (ui::TComponent* form = bar->Owner())
        control = dynamic_cast<TControl*>(form->FindComponent(other->control_->Name()));
  ui::TUpdateGuard update(Collection());
  alignment_ = other->alignment_;
  caption_ = other->caption_;
  enabled_ = other->enabled_;
  framed_ = other->framed_;
  fontSettings_->Assign(*other->fontSettings_);
  hint_ = other->hint_;
  imageIndex_ = other->imageIndex_;
  maxSize_ = other->maxSize_;
  viewPriority_ = other->viewPriority_;
  size_ = other->size_;
  stretchPriority_ = other->stretchPriority_;
  tag_ = other->tag_;
  textTruncation_ = other->textTruncation_;
  SetControl(control);
}

std::string TSkinStatusPanel::DisplayName() const {
  if (!caption_.empty()) return caption_;
  if (control_) return "[ " + control_->Name() + " ]";
  return ui::TCollectionItem::DisplayName();
}

void TSkinStatusPanel::GetProperties(ui::TPropertyList& properties) {
  ui::TCollectionItem::GetProperties(properties);
  properties.AddText(
      "Caption", [this] { return caption_; }, [this](const std::string& s) { SetCaption(s); });
  properties.AddText(
      "Hint", [this] { return hint_; }, [this](const std::string& s) { SetHint(s); });
}

// --- Panels ---------------------------------------------------------------------------------

TSkinStatusPanels::TSkinStatusPanels(TSkinCustomStatusBar* bar) : TTypedCollection<TSkinStatusPanel>(bar), bar_(bar) {}

void TSkinStatusPanels::Update(ui::TCollectionItem*) {
  if (bar_ && !bar_->IsDestroying()) bar_->UpdatePanels();
}

// --- Bar ------------------------------------------------------------------------------------

TSkinCustomStatusBar::TSkinCustomStatusBar(ui::TComponent* owner)
    : ui::TCustomControl(owner), panels_(std::make_unique<TSkinStatusPanels>(this)) {
  width_ = 150;
  height_ = 22;
  align_ = ui::TAlign::alBottom;
  SetDoubleBuffered(true);
  controlStyle_ |= ui::csAcceptsControls | ui::csCaptureMouse | ui::csClickEvents | ui::csDoubleClicks;
  imageLink_.OnChange = ui::TNotifyEvent(this, &TSkinCustomStatusBar::ImagesChanged);
  NexusListen(this);
}

TSkinCustomStatusBar::~TSkinCustomStatusBar() { TSkinCustomStatusBar::BeforeDestruction(); }

void TSkinCustomStatusBar::BeforeDestruction() {
  if (!IsDestroying()) Destroying();
  NexusUnlisten(this);
  if (images_) {
    images_->UnRegisterChanges(&imageLink_);
    images_->RemoveFreeNotification(this);
    images_ = nullptr;
  }
  panels_->Clear();
  ui::TCustomControl::BeforeDestruction();
}

void TSkinCustomStatusBar::SetImages(ui::TCustomImageList* images) {
  if (images == images_) return;
  if (images_) {
    images_->UnRegisterChanges(&imageLink_);
    images_->RemoveFreeNotification(this);
  }
  images_ = images;
  if (images_) {
    images_->RegisterChanges(&imageLink_);
    images_->FreeNotification(this);
  }
  UpdatePanels();
}

void TSkinCustomStatusBar::SetSimplePanel(bool on) {
  if (on == simplePanel_) return;
  simplePanel_ = on;
  Invalidate();
}

void TSkinCustomStatusBar::SetSimpleText(const std::string& text) {
  if (text == simpleText_) return;
  simpleText_ = text;
  if (simplePanel_) Invalidate();
}

void TSkinCustomStatusBar::SetSizeGrip(bool on) {
  if (on == sizeGrip_) return;
  sizeGrip_ = on;
  Invalidate();
}

void TSkinCustomStatusBar::SetUseSystemFont(bool on) {
  if (on == useSystemFont_) return;
  useSystemFont_ = on;
  UpdatePanels();
}

void TSkinCustomStatusBar::SetVisible(bool visible) {
  if (fixAlign_ && visible != visible_ && parent_) SetTop(parent_->ClientHeight());
  ui::TCustomControl::SetVisible(visible);
}

void TSkinCustomStatusBar::CreateParams(ui::TCreateParams& params) {
  ui::TCustomControl::CreateParams(params);
  // Painting covers every pixel, so a change of size repaints only what it uncovers.
  params.ClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TSkinCustomStatusBar::CreateWnd() {
  ui::TCustomControl::CreateWnd();
  if (!IsLoading()) UpdatePanels();
}

void TSkinCustomStatusBar::Loaded() {
  ui::TCustomControl::Loaded();
  UpdatePanels();
}

void TSkinCustomStatusBar::Notification(ui::TComponent* component, ui::TOperation operation) {
  ui::TCustomControl::Notification(component, operation);
  if (operation != ui::TOperation::opRemove) return;
  for (int i = 0; i < panels_->Count(); ++i)
    if (panels_->Items(i)->control_ == component) panels_->Items(i)->control_ = nullptr;
  if (component == images_) {
    images_->UnRegisterChanges(&imageLink_);
    images_ = nullptr;
    if (!IsDestroying()) Invalidate();
  }
}

void TSkinCustomStatusBar::Resize() {
  ui::TCustomControl::Resize();
  UpdatePanels();
}

void TSkinCustomStatusBar::FontChanged() {
  ui::TCustomControl::FontChanged();
  UpdatePanels();
}

void TSkinCustomStatusBar::AlignControls(RECT rect) {
  ui::TCustomControl::AlignControls(rect);
  if (!IsDestroying() && panels_->Count() > 0) UpdatePanels();
}

TSkinStatusPanel* TSkinCustomStatusBar::PanelOf(const TControl* control) const {
  for (int i = 0; i < panels_->Count(); ++i)
    if (panels_->Items(i)->control_ == control) return panels_->Items(i);
  return nullptr;
}

void TSkinCustomStatusBar::ControlListChanged(TControl* control, bool inserted) {
  if (IsDestroying() || !control) return;
  if (inserted) {
    // A control that a panel is taking already has its panel.
    if (IsLoading() || !dynamic_cast<TWinControl*>(control) || PanelOf(control)) return;
    panels_->Add()->SetControl(control);
    return;
  }
  if (TSkinStatusPanel* panel = PanelOf(control)) {
    control->RemoveFreeNotification(this);
    panel->control_ = nullptr;
    panels_->Delete(panel->Index());
  }
}

void TSkinCustomStatusBar::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: {
      // The click belongs to the panel where the button was, wherever the cursor is by now.
      clickPoint_ = {GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
      clickPointValid_ = true;
      struct TForget {
        bool& valid;
        ~TForget() { valid = false; }
      } forget{clickPointValid_};
      ui::TCustomControl::WndProc(message);
      return;
    }
    case WM_ERASEBKGND:
      // Painting covers the whole client area.
      message.Result = 1;
      return;
    case WM_NCHITTEST:
      ui::TCustomControl::WndProc(message);
      if (message.Result == HTCLIENT && GripShown()) {
        POINT p = ScreenToClient({GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)});
        RECT grip = GripRect();
        if (PtInRect(&grip, p)) message.Result = HTBOTTOMRIGHT;
      }
      return;
    case WM_NCLBUTTONDOWN:
      // The grip sizes the form, not the bar: the form gets the press on its own corner.
      if (message.WParam == HTBOTTOMRIGHT && GripShown())
        if (ui::TCustomForm* form = ParentForm(); form && form->HandleAllocated()) {
          PostMessageW(form->Handle(), WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, message.LParam);
          message.Result = 0;
          return;
        }
      break;
    case ui::CM_HINTSHOW:
      // Each panel has a hint of its own over its own rectangle; elsewhere the bar's applies.
      if (auto* info = reinterpret_cast<ui::THintInfo*>(message.LParam))
        if (TSkinStatusPanel* panel = PanelAt(info->CursorPos)) {
          info->HintStr = ui::GetShortHint(panel->hint_);
          info->CursorRect = panel->panelRect_;
        }
      message.Result = 0;
      return;
    case ui::CM_CONTROLLISTCHANGE:
      ui::TCustomControl::WndProc(message);
      ControlListChanged(reinterpret_cast<TControl*>(message.WParam), message.LParam != 0);
      return;
    default:
      break;
  }
  ui::TCustomControl::WndProc(message);
}

void TSkinCustomStatusBar::Dispatch(TMessage& message) {
  // Nothing here but layout and paint, so the settled theme of the last phase is enough.
  if (message.Msg != SKM_THEMECHANGE || message.WParam != scpAfter || IsDestroying()) return;
  UpdatePanels();
  Repaint();
}

void TSkinCustomStatusBar::GetProperties(ui::TPropertyList& properties) {
  ui::TCustomControl::GetProperties(properties);
  properties.AddText(
      "SimpleText", [this] { return simpleText_; }, [this](const std::string& s) { SetSimpleText(s); });
  properties.AddObject("Panels", panels_.get());
}

// --- Layout ---------------------------------------------------------------------------------

void TSkinCustomStatusBar::ArrangePanels() {
  if (panels_->Count() == 0) return;
  contentMargins_ = {};
  if (TSkinTheme* theme = ActiveTheme()) theme->GetItemMargins(smkStatusPanel, contentMargins_);
  RECT r = ClientRect();
  r.top += kPanelTopGap;
  const int width = r.right - r.left;

  std::vector<TSkinStatusPanel*> list;
  int sum = 0;
  for (int i = 0; i < panels_->Count(); ++i) {
    TSkinStatusPanel* p = panels_->Items(i);
    p->atRightEdge_ = false;
    p->shown_ = p->viewPriority_ > 0;
    // A size below zero (a width computed from a narrow window) takes no room.
    p->actualWidth_ = p->shown_ ? std::max(p->size_, 0) : 0;
    if (!p->shown_) continue;
    sum += p->actualWidth_;
    list.push_back(p);
  }
  std::stable_sort(list.begin(), list.end(),
                   [](auto* a, auto* b) { return a->viewPriority_ > b->viewPriority_; });
  // What does not fit goes, lowest priority first; priority 100 and the last panel stay.
  while (sum > width && list.size() > 1 && list.back()->viewPriority_ < 100) {
    list.back()->shown_ = false;
    sum -= list.back()->actualWidth_;
    list.pop_back();
  }

  int extra = width - sum;
  if (extra > 0) {
    std::erase_if(list, [](auto* p) { return p->stretchPriority_ == 0; });
    while (!list.empty() && extra > 0) {
      std::stable_sort(list.begin(), list.end(),
                       [](auto* a, auto* b) { return a->stretchPriority_ < b->stretchPriority_; });
      TSkinStatusPanel* p = list.back();
      list.pop_back();
      if (p->maxSize_ <= 0) {
        p->actualWidth_ += extra;
        extra = 0;
      } else if (p->actualWidth_ < p->maxSize_) {
        const int grow = std::min(extra, p->maxSize_ - p->actualWidth_);
        p->actualWidth_ += grow;
        extra -= grow;
      }
      // A panel already at its maximum takes nothing and leaves the room to the others.
    }
  }

  int x = r.left;
  for (int i = 0; i < panels_->Count(); ++i) {
    TSkinStatusPanel* p = panels_->Items(i);
    if (p->shown_ && x >= r.right) p->shown_ = false;
    if (!p->shown_) {
      p->panelRect_ = {0, 0, 0, 0};
      p->actualWidth_ = 0;
      continue;
    }
    p->panelRect_ = {x, r.top, x + p->actualWidth_, r.bottom};
    x += p->actualWidth_;
    p->atRightEdge_ = x == r.right;
  }
}

void TSkinCustomStatusBar::UpdatePanels() {
  // Placing a control may realign the bar, which would come back here.
  if (updating_ || IsDestroying()) return;
  updating_ = true;
  try {
    Invalidate();
    ArrangePanels();
    for (int i = 0; i < panels_->Count(); ++i) {
      TSkinStatusPanel* p = panels_->Items(i);
      if (!p->control_) continue;
      RECT r = p->shown_ ? p->panelRect_ : RECT{0, 0, 0, 0};
      if (p->shown_ && p->framed_) r = ShrinkByMargins(r, contentMargins_);
      p->control_->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
}

TSkinStatusPanel* TSkinCustomStatusBar::PanelAt(POINT point) const {
  for (int i = 0; i < panels_->Count(); ++i) {
    TSkinStatusPanel* p = panels_->Items(i);
    if (p->shown_ && PtInRect(&p->panelRect_, point)) return p;
  }
  return nullptr;
}

bool TSkinCustomStatusBar::GripShown() const {
  if (!sizeGrip_) return false;
  ui::TCustomForm* form = ParentForm();
  if (!form || static_cast<const ui::TControl*>(form) == this || form->WindowState() != ui::TWindowState::wsNormal) return false;
  const POINT mine = ClientToScreen({ClientWidth(), ClientHeight()});
  const POINT its = form->ClientToScreen({form->ClientWidth(), form->ClientHeight()});
  return mine.x == its.x && mine.y == its.y;
}

RECT TSkinCustomStatusBar::GripRect() const {
  RECT r = ClientRect();
  r.top += kGripTopGap;
  r.left = r.right - GetSystemMetrics(SM_CXVSCROLL);
  return r;
}

// --- Clicks ---------------------------------------------------------------------------------

POINT TSkinCustomStatusBar::CursorPoint() const {
  if (clickPointValid_) return clickPoint_;
  POINT p{};
  GetCursorPos(&p);
  return ScreenToClient(p);
}

void TSkinCustomStatusBar::Click() {
  ui::TCustomControl::Click();
  if (TSkinStatusPanel* panel = PanelAt(CursorPoint())) PanelClick(panel);
}

void TSkinCustomStatusBar::DblClick() {
  ui::TCustomControl::DblClick();
  if (TSkinStatusPanel* panel = PanelAt(CursorPoint())) PanelDblClick(panel);
}

void TSkinCustomStatusBar::AdjustContentRect(TSkinStatusPanel* panel, RECT& rect) {
  if (panel->framed_) rect = ShrinkByMargins(rect, contentMargins_);
  if (OnAdjustContentRect) OnAdjustContentRect(this, panel, rect);
}

void TSkinCustomStatusBar::AdjustFont(TSkinStatusPanel* panel, ui::TFont& font) {
  if (OnAdjustFont) OnAdjustFont(this, panel, font);
}

void TSkinCustomStatusBar::PanelClick(TSkinStatusPanel* panel) {
  if (OnPanelClick) OnPanelClick(this, panel);
}

void TSkinCustomStatusBar::PanelDblClick(TSkinStatusPanel* panel) {
  if (OnPanelDblClick) OnPanelDblClick(this, panel);
}

// --- Painting -------------------------------------------------------------------------------

void TSkinCustomStatusBar::UseCaptionFont(int flags) {
  ui::TCanvas& canvas = Canvas();
  canvas.Font().Assign(useSystemFont_ ? bars::BarMenuFont() : Font());
  canvas.Font().SetColor(ThemedCaptionColor(flags));
}

void TSkinCustomStatusBar::Paint() {
  TSkinTheme* theme = ActiveTheme();
  if (!theme) return;
  ui::TCanvas& canvas = Canvas();
  RECT r = ClientRect();
  theme->DrawStatusBarPart(canvas, r, 0);
  r.top += kPanelTopGap;
  if (simplePanel_) {
    if (!simpleText_.empty()) {
      const int flags = Enabled() ? 0 : 1;
      UseCaptionFont(flags);
      r.left += kSimpleTextInset;
      r.right -= kSimpleTextInset;
      canvas.Brush().SetStyle(ui::TBrushStyle::bsClear);
      DrawThemedCaption(canvas, r, simpleText_, flags | kStatusBarKindFlags, DT_SINGLELINE | DT_VCENTER);
    }
  } else {
    RECT area{};
    GetClipBox(canvas.Handle(), &area);
    for (int i = 0; i < panels_->Count(); ++i) {
      TSkinStatusPanel* p = panels_->Items(i);
      RECT common;
      if (!p->shown_ || !IntersectRect(&common, &p->panelRect_, &area)) continue;
      if (p->framed_) theme->DrawStatusBarPart(canvas, p->panelRect_, p->atRightEdge_ ? 2 : 1);
      UseCaptionFont(p->enabled_ ? 0 : 1);
      ApplyFontSettings(*p->fontSettings_, canvas.Font());
      AdjustFont(p, canvas.Font());
      RECT content = p->panelRect_;
      AdjustContentRect(p, content);
      DrawPanel(content, p, i == panels_->Count() - 1);
    }
  }
  if (GripShown()) theme->DrawStatusBarPart(canvas, GripRect(), 3);
}

void TSkinCustomStatusBar::DrawPanel(const RECT& rect, TSkinStatusPanel* panel, bool) {
  ui::TCanvas& canvas = Canvas();
  RECT text{rect.left + 1, rect.top, std::max(rect.right - 1, rect.left + 1), rect.bottom};
  const int disabled = panel->enabled_ ? 0 : 1;
  if (panel->imageIndex_ >= 0 && images_) {
    const int w = images_->Width(), h = images_->Height();
    const int y = (rect.top + rect.bottom - h) / 2;
    int x = text.left;
    switch (panel->alignment_) {
      case TAlignment::taLeftJustify:
        text.left += w + kImageTextGap;
        break;
      case TAlignment::taRightJustify:
        x = text.right - w;
        text.right -= w + kImageTextGap;
        break;
      case TAlignment::taCenter:
        x = (text.left + text.right - w) / 2;
        break;
    }
    if (panel->enabled_)
      images_->Draw(canvas, x, y, panel->imageIndex_);
    else
      DrawThemedGlyph(canvas, {x, y, x + w, y + h}, images_, 1, panel->imageIndex_);
  }
  UINT format = DT_SINGLELINE | DT_VCENTER;
  if (panel->alignment_ == TAlignment::taRightJustify) format |= DT_RIGHT;
  if (panel->alignment_ == TAlignment::taCenter) format |= DT_CENTER;
  if (panel->textTruncation_ == TTextTruncation::twEndEllipsis) format |= DT_END_ELLIPSIS;
  if (panel->textTruncation_ == TTextTruncation::twPathEllipsis) format |= DT_PATH_ELLIPSIS;
  canvas.Brush().SetStyle(ui::TBrushStyle::bsClear);
  DrawThemedCaption(canvas, text, panel->caption_, disabled | kStatusBarKindFlags, format);
}

}  // namespace movra::skin
