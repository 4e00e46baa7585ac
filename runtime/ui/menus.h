#pragma once
// Plain menus: menu items in a tree, a window's main menu and popup menus.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/ui/actions.h"
#include "runtime/ui/classes.h"

namespace movra::ui {

class TMenu;
class TCustomImageList;

// A menu entry; "-" as caption makes a separator. Sub-items belong to their parent item.
class TMenuItem : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TMenuItem", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;
  void BeforeDestruction() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // Shows `text` just as it stands, as a name the user gave: an ampersand is shown instead of
  // marking the next letter as the key, and a lone "-" is an entry, not a line.
  void SetPlainCaption(const std::string& text);
  bool PlainCaption() const { return plain_; }
  bool IsLine() const { return caption_ == "-" && !plain_; }
  bool Checked() const { return checked_; }
  // Checking a radio item unchecks the other radio items of its group under the same parent.
  void SetChecked(bool checked);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool on);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index);
  bool AutoCheck = false;
  bool Default() const { return default_; }
  void SetDefault(bool on);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  TShortCut ShortCut() const { return shortcut_; }
  void SetShortCut(TShortCut shortcut);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  TBasicAction* Action() const;
  void SetAction(TBasicAction* action);

  TMenuItem* Parent() const { return parent_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  TMenuItem* operator[](int index) const { return Items(index); }
  int IndexOf(const TMenuItem* item) const;
  int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
  void Add(TMenuItem* item) { Insert(Count(), item); }
  void Insert(int index, TMenuItem* item);
  // Takes the item out; the caller then frees it (or adds it elsewhere).
  void Remove(TMenuItem* item);
  // Frees the sub-item at `index`.
  void Delete(int index);
  // Frees every sub-item.
  void Clear();
  TMenuItem* Find(std::string_view caption) const;

  // The command identifier this item reports in WM_COMMAND.
  UINT Command() const { return command_; }
  // The menu this item tree belongs to, or nullptr.
  TMenu* GetParentMenu() const;

  virtual void Click();
  TNotifyEvent OnClick;

  void GetProperties(TPropertyList& properties) override;

 private:
  friend class TMenu;
  friend class TMenuActionLink;
  void Changed();
  void ActionChanged(TObject* sender);
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // for the root item only
  std::vector<TMenuItem*> items_;
  std::string caption_, hint_;
  bool plain_ = false;
  bool checked_ = false, radioItem_ = false, default_ = false, enabled_ = true, visible_ = true;
  int groupIndex_ = 0;
  int imageIndex_ = -1;
  TShortCut shortcut_ = 0;
  UINT command_;
  std::unique_ptr<TActionLink> actionLink_;
};

// The menu item that reports `command`, or nullptr.
TMenuItem* FindMenuItemByCommand(UINT command);

class TMenu : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TMenu", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  void BeforeDestruction() override;

  TMenuItem* Items() const { return items_.get(); }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* images) { images_ = images; }
  // The system menu built from the items (rebuilt after changes).
  HMENU Handle();
  // Clicks the enabled item whose shortcut this is; true when one ran.
  virtual bool IsShortCut(TShortCut shortcut);
  // Clicks the item of `command` in this menu; true when it is one of ours.
  bool DispatchCommand(UINT command);

 protected:
  friend class TMenuItem;
  void Notification(TComponent* component, TOperation operation) override;
  virtual bool IsMenuBar() const { return false; }
  virtual void MenuChanged();
  void Build(HMENU menu, TMenuItem* parent);
  TOwned<TMenuItem> items_;
  HMENU handle_ = nullptr;
  bool dirty_ = true;
  TCustomImageList* images_ = nullptr;
};

class TMainMenu : public TMenu {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TMainMenu", &TMenu::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TMainMenu(TComponent* owner) : TMenu(owner) {}

 protected:
  bool IsMenuBar() const override { return true; }
  void MenuChanged() override;
};

// Where a popup menu stands against its point: its left edge, its right edge or its centre.
enum TPopupAlignment { paLeft = 0, paRight = 1, paCenter = 2 };
// The mouse button that chooses items of a popup menu besides the left one.
enum TTrackButton { tbRightButton, tbLeftButton };

class TPopupMenu : public TMenu {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TPopupMenu", &TMenu::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TPopupMenu(TComponent* owner) : TMenu(owner) {}

  // Shows the menu at screen point (x, y) and runs the chosen item after it has closed.
  virtual void Popup(int x, int y);
  // What Popup does before the menu shows: OnPopup, which may bring the items up to date, the
  // actions of the items updated, and the system menu built from the items as they now stand.
  HMENU PrepareToShow();
  bool AutoPopup = true;
  TPopupAlignment Alignment = paLeft;
  TTrackButton TrackButton = tbRightButton;
  // The point the menu was last shown at.
  POINT PopupPoint{};
  TComponent* PopupComponent = nullptr;
  TNotifyEvent OnPopup;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
};

}  // namespace movra::ui
