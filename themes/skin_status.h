#pragma once
// The themed status bar: a row of panels, each with a caption, an optional image and an
// optional child control, laid out by their sizes and priorities and painted through the
// current theme, with a size grip that resizes the window. It can also show one plain text
// over its whole width instead of the panels.
#include <windows.h>

#include <memory>
#include <string>

#include "runtime/ui/classes.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/graphics.h"
#include "runtime/ui/stdctrls.h"
#include "themes/skin_items.h"
#include "themes/skin_themes.h"

namespace movra::skin {

using ui::TAlignment;

enum class TTextTruncation { twNone, twEndEllipsis, twPathEllipsis };

class TSkinCustomStatusBar;

class TSkinStatusPanel : public ui::TCollectionItem {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinStatusPanel", &ui::TCollectionItem::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  TSkinStatusPanel();
  ~TSkinStatusPanel() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value) { Store(alignment_, value); }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value) { Store(caption_, value); }
  ui::TControl* Control() const { return control_; }
  // Raises EInvalidOperation "Can't insert own parent" for the bar or one of its parents.
  void SetControl(ui::TControl* control);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { Store(enabled_, value); }
  bool Framed() const { return framed_; }
  void SetFramed(bool value) { Store(framed_, value); }
  TFontSettings& FontSettings() { return *fontSettings_; }
  const TFontSettings& FontSettings() const { return *fontSettings_; }
  void SetFontSettings(const TFontSettings& settings) { fontSettings_->Assign(settings); }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& value) { hint_ = value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  // 0: no maximum.
  int MaxSize() const { return maxSize_; }
  void SetMaxSize(int value) { Store(maxSize_, value); }
  // 0 to 100; a panel of 0 is never shown, one of 100 is never hidden for lack of room.
  int ViewPriority() const { return viewPriority_; }
  void SetViewPriority(int value);
  int Size() const { return size_; }
  void SetSize(int value) { Store(size_, value); }
  // 0 to 100; the higher the earlier a panel takes the room left over.
  int StretchPriority() const { return stretchPriority_; }
  void SetStretchPriority(int value);
  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t value) { tag_ = value; }
  TTextTruncation TextTruncation() const { return textTruncation_; }
  void SetTextTruncation(TTextTruncation value) { Store(textTruncation_, value); }

  // Written by the layout: the panel's rectangle in the bar's client area, its width, whether
  // it is shown and whether it ends exactly at the bar's right edge.
  const RECT& PanelRect() const { return panelRect_; }
  int ActualWidth() const { return actualWidth_; }
  bool Shown() const { return shown_; }
  bool AtRightEdge() const { return atRightEdge_; }

  // Copies every published value from another panel; the control is the one of the same
  // name on the form that owns this panel's bar (none when it has none).
  void Assign(const ui::TPersistent& source) override;
  std::string DisplayName() const override;
  void GetProperties(ui::TPropertyList& properties) override;

  // The bar whose collection holds the panel, or nullptr.
  TSkinCustomStatusBar* Bar() const;

 private:
  friend class TSkinCustomStatusBar;
  template <class T>
  void Store(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed(false);
  }
  void FontSettingsChanged(ui::TObject*) { Changed(false); }

  TAlignment alignment_ = TAlignment::taLeftJustify;
  std::string caption_;
  ui::TControl* control_ = nullptr;
  bool enabled_ = true;
  bool framed_ = true;
  std::unique_ptr<TFontSettings> fontSettings_;
  std::string hint_;
  int imageIndex_ = -1;
  int maxSize_ = 0;
  int viewPriority_ = 100;
  int size_ = 50;
  int stretchPriority_ = 0;
  intptr_t tag_ = 0;
  TTextTruncation textTruncation_ = TTextTruncation::twNone;

  RECT panelRect_{};
  int actualWidth_ = 0;
  bool shown_ = false;
  bool atRightEdge_ = false;
};

class TSkinStatusPanels : public ui::TTypedCollection<TSkinStatusPanel> {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinStatusPanels", &ui::TCollection::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TSkinStatusPanels(TSkinCustomStatusBar* bar);
  TSkinCustomStatusBar* Bar() const { return bar_; }
  TSkinStatusPanel* Items(int index) const { return (*this)[index]; }

 protected:
  void Update(ui::TCollectionItem* item) override;

 private:
  TSkinCustomStatusBar* bar_;
};

// (sender, panel, rectangle): the last word on a panel's content rectangle.
using TSBAdjustContentRect = ui::TDelegate<ui::TObject*, TSkinStatusPanel*, RECT&>;
using TSBPanelEvent = ui::TDelegate<ui::TObject*, TSkinStatusPanel*>;
using TSBAdjustFont = ui::TDelegate<ui::TObject*, TSkinStatusPanel*, ui::TFont&>;

class TSkinCustomStatusBar : public ui::TCustomControl, public TSkinListener {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinCustomStatusBar", &ui::TCustomControl::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TSkinCustomStatusBar(ui::TComponent* owner);
  ~TSkinCustomStatusBar() override;
  void BeforeDestruction() override;

  TSkinStatusPanels& Panels() { return *panels_; }
  void SetPanels(const TSkinStatusPanels& panels) { panels_->Assign(panels); }
  ui::TCustomImageList* Images() const { return images_; }
  void SetImages(ui::TCustomImageList* images);
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool on);
  const std::string& SimpleText() const { return simpleText_; }
  void SetSimpleText(const std::string& text);
  bool SizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool on);
  bool UseSystemFont() const { return useSystemFont_; }
  void SetUseSystemFont(bool on);
  // Before every change of visibility the bar moves to the bottom of its parent, so that
  // showing it again puts it below the other bottom-aligned controls.
  bool FixAlign() const { return fixAlign_; }
  void SetFixAlign(bool on) { fixAlign_ = on; }
  // The theme's status-panel margins as of the last layout.
  const TSkinMargins& ContentMargins() const { return contentMargins_; }

  // The first shown panel, in collection order, whose rectangle holds the point (client
  // coordinates), or nullptr.
  TSkinStatusPanel* PanelAt(POINT point) const;
  // Whether the size grip shows now, and where it is.
  bool GripShown() const;
  RECT GripRect() const;

  void SetVisible(bool visible) override;
  void Click() override;
  void DblClick() override;
  void WndProc(ui::TMessage& message) override;
  void Dispatch(TMessage& message) override;
  void GetProperties(ui::TPropertyList& properties) override;

  TSBAdjustContentRect OnAdjustContentRect;
  TSBPanelEvent OnPanelClick;
  TSBPanelEvent OnPanelDblClick;
  // No window description can set it; code may.
  TSBAdjustFont OnAdjustFont;

  // The operations the bar adds, in their order.
  virtual void AdjustContentRect(TSkinStatusPanel* panel, RECT& rect);
  virtual void AdjustFont(TSkinStatusPanel* panel, ui::TFont& font);
  virtual void PanelClick(TSkinStatusPanel* panel);
  virtual void PanelDblClick(TSkinStatusPanel* panel);
  virtual void DrawPanel(const RECT& rect, TSkinStatusPanel* panel, bool isLast);
  virtual void ArrangePanels();
  // Invalidates, lays the panels out and places their controls.
  virtual void UpdatePanels();

 protected:
  void CreateParams(ui::TCreateParams& params) override;
  void CreateWnd() override;
  void Loaded() override;
  void Notification(ui::TComponent* component, ui::TOperation operation) override;
  void Resize() override;
  void FontChanged() override;
  void AlignControls(RECT rect) override;
  void Paint() override;

 private:
  friend class TSkinStatusPanel;
  void ImagesChanged(ui::TObject*) { Invalidate(); }
  void ControlListChanged(ui::TControl* control, bool inserted);
  TSkinStatusPanel* PanelOf(const ui::TControl* control) const;
  // The point of the click being handled, else the cursor's, in client coordinates.
  POINT CursorPoint() const;
  void UseCaptionFont(int flags);

  std::unique_ptr<TSkinStatusPanels> panels_;
  ui::TCustomImageList* images_ = nullptr;
  ui::TChangeLink imageLink_;
  bool simplePanel_ = false;
  std::string simpleText_;
  bool sizeGrip_ = true;
  bool useSystemFont_ = false;
  bool fixAlign_ = false;
  TSkinMargins contentMargins_{};
  bool updating_ = false;
  POINT clickPoint_{};
  bool clickPointValid_ = false;
};

// Only publishes the properties.
class TSkinStatusBar : public TSkinCustomStatusBar {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinStatusBar", &TSkinCustomStatusBar::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using TSkinCustomStatusBar::TSkinCustomStatusBar;
};

// `rect` with each edge moved in by the margins (left, right, top, bottom), never inverted.
RECT ShrinkByMargins(const RECT& rect, const TSkinMargins& margins);

}  // namespace movra::skin
