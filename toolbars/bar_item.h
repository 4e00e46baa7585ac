#pragma once
// The command tree behind toolbars, menu bars and popup menus: items with their display
// properties, ordered children and listeners, option inheritance, the link to an action, the
// keyboard-shortcut search, deferred clicks and the entry points that open an item's children as
// a popup menu.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/exception.h"
#include "runtime/ui/actions.h"
#include "runtime/ui/classes.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/graphics.h"
#include "runtime/ui/resstrings.h"

namespace movra::bars {

using ui::TShortCut;

class TBarCustomItem;
class TBarItemViewer;
class TBarPopupWindow;
class IBarView;

enum TBarItemDisplayMode { bdmDefault, bdmTextOnly, bdmTextOnlyInMenus, bdmImageAndText };

enum TBarItemOption {
  tboDefault,
  tboDropdownArrow,
  tboImageAboveCaption,
  tboLongHintInMenuOnly,
  tboNoAutoHint,
  tboNoRotation,
  tboSameWidth,
  tboShowHint,
  tboToolbarStyle,
  tboToolbarSize,
};
// A set of TBarItemOption, bit n for option n.
using TBarItemOptions = uint16_t;
constexpr TBarItemOptions BarOption(TBarItemOption option) { return static_cast<TBarItemOptions>(1u << option); }
constexpr bool HasOption(TBarItemOptions set, TBarItemOption option) { return (set & BarOption(option)) != 0; }
// Options that change how an item is laid out; a change of any other option only repaints.
inline constexpr TBarItemOptions LayoutOptions = 0x0367;

// Item style bits, fixed by the item's class.
using TBarItemStyle = uint16_t;
inline constexpr TBarItemStyle isSubmenu = 0x0001;
inline constexpr TBarItemStyle isSelectable = 0x0002;
inline constexpr TBarItemStyle isSeparator = 0x0004;
inline constexpr TBarItemStyle isEmbeddedGroup = 0x0008;
inline constexpr TBarItemStyle isNotClickable = 0x0010;
inline constexpr TBarItemStyle isSplitButton = 0x0020;
inline constexpr TBarItemStyle isNoAutoOpen = 0x0040;
inline constexpr TBarItemStyle isNoLineBreak = 0x0100;
inline constexpr TBarItemStyle isRightAligned = 0x0200;
inline constexpr TBarItemStyle isSkipFirstSelect = 0x0400;
inline constexpr TBarItemStyle isRedrawOnSelChange = 0x0800;
inline constexpr TBarItemStyle isRedrawOnMouseOverChange = 0x1000;
inline constexpr TBarItemStyle isStretch = 0x2000;

enum TBarItemChangeKind {
  ickInserted,
  ickDeleting,
  ickSubitemsChanged,
  ickBeginUpdate,
  ickEndUpdate,
  ickInvalidate,
  ickInvalidateAndResize,
  ickRecreateViewers,
  ickNameChanged,
  ickSubMenuImagesChanged,
};

// A listener: (ancestor whose children changed, relayed, kind, index or -1, item concerned).
// `relayed` is true when the ancestor is not the item the listener is registered with.
using TBarItemChangeEvent = ui::TDelegate<TBarCustomItem*, bool, TBarItemChangeKind, int, TBarCustomItem*>;
using TBarPopupEvent = ui::TDelegate<TBarCustomItem*, bool>;
using TBarSelectEvent = ui::TDelegate<TBarCustomItem*, TBarItemViewer*, bool>;

class EBarItemError : public movra::Exception {
 public:
  using Exception::Exception;
};


// An image list's change link that remembers the image size it last saw, so that a change of
// the list that keeps the size repaints instead of laying out again.
class TBarImageChangeLink : public ui::TChangeLink {
 public:
  int LastWidth = 0;
  int LastHeight = 0;
};

// The link between an item and its action: the item shows the action's state and runs it. A
// property follows the action while the item still shows the action's value.
class TBarCustomItemActionLink : public ui::TActionLink {
 public:
  using ui::TActionLink::TActionLink;
  TBarCustomItem* Client() const { return client_; }

  bool IsOnExecuteLinked() override;
  void SetOnExecute(const ui::TNotifyEvent& handler) override;
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  void SetAutoCheck(bool on) override;
  void SetCaption(const std::string& caption) override;
  void SetChecked(bool checked) override;
  void SetEnabled(bool enabled) override;
  void SetHelpContext(int context) override;
  void SetHint(const std::string& hint) override;
  void SetImageIndex(int index) override;
  void SetShortCut(TShortCut shortcut) override;
  void SetVisible(bool visible) override;
  // Whether the item's AutoCheck follows the action's.
  virtual bool AutoCheckLinked();

 protected:
  void AssignClient(ui::TObject* client) override;

 private:
  TBarCustomItem* client_ = nullptr;
};

// Implemented by components that own a root item (a toolbar, a popup menu), so that items
// handed to them as parent go to that root item.
class IItemContainer {
 public:
  virtual TBarCustomItem* GetRootItem() = 0;

 protected:
  ~IItemContainer() = default;
};

// A class reference for viewers: the class and its virtual constructor.
struct TBarItemViewerClass {
  const ui::TClassInfo* Info = nullptr;
  std::unique_ptr<TBarItemViewer> (*Create)(IBarView* view, TBarCustomItem* item, int groupLevel) = nullptr;
  bool operator==(const TBarItemViewerClass& other) const { return Info == other.Info && Create == other.Create; }
};
template <class T>
TBarItemViewerClass ViewerClassOf() {
  return {&T::Class(), [](IBarView* view, TBarCustomItem* item, int level) -> std::unique_ptr<TBarItemViewer> {
            return std::make_unique<T>(view, item, level);
          }};
}

// A class reference for popup windows (the popup unit supplies the default one).
struct TBarPopupWindowClass {
  const ui::TClassInfo* Info = nullptr;
  TBarPopupWindow* (*Create)(ui::TComponent* owner, IBarView* parentView, TBarCustomItem* item,
                             bool customizing) = nullptr;
};

// Popup alignment to the point: left edge, right edge, centre.
enum TBarPopupAlignment { bpaLeft = 0, bpaRight = 1, bpaCentre = 2 };

// Slide directions of a popup's animation.
inline constexpr unsigned bpdLeft = 1;
inline constexpr unsigned bpdRight = 2;
inline constexpr unsigned bpdDown = 4;
inline constexpr unsigned bpdUp = 8;

// Where a popup window goes, filled by the opener and refined by the item's PlacePopup. All in
// screen pixels.
struct TBarPopupPlacement {
  bool AsSubmenu = false;
  int Alignment = bpaLeft;
  bool Opposite = false;        // the parent view opens its submenus to the left
  RECT MonitorRect{};
  RECT ParentItemRect{};
  POINT FrameSize{};            // width and height of the window's frame
  int X = 0, Y = 0, W = 0, H = 0;
  unsigned AnimateDirections = 0;
  bool PlaySound = true;
  // Out: the new popup's view opens its own submenus to the left.
  bool OpensSubmenusLeft = false;
};

// What the opener knows before placing: the kind of parent the popup opens from.
struct TBarPopupOrigin {
  bool HasParentView = false;
  bool ParentVertical = false;
  bool FromChevron = false;     // opened from a chevron (the item has a chevron source view)
  bool ChevronVertical = false; // the chevron's toolbar view is vertical
  POINT Point{};                // the point asked for when there is no parent view
  bool MenuDropRight = false;   // SM_MENUDROPALIGNMENT: drop-downs align to the right edge
};

// The start position of a popup before PlacePopup fits it on the monitor: writes X and Y of
// `placement` from its W, H, ParentItemRect, FrameSize, AsSubmenu and Alignment.
void PopupStartPosition(const TBarPopupOrigin& origin, TBarPopupPlacement& placement);

// The action recorded by menu tracking, run after every popup window has gone.
enum TBarDoneActionKind : uint8_t {
  bdaNone = 0,
  bdaEndTracking = 1,
  bdaClickItem = 2,
  bdaSysMenuKey = 3,
  bdaHelp = 4,
};
struct TBarDoneAction {
  uint8_t Kind = bdaNone;
  TBarCustomItem* ClickItem = nullptr;  // bdaClickItem
  HWND Window = nullptr;                // bdaSysMenuKey
  int32_t Extra = 0;  // click: the choosing view was a popup; key: the character; help: context
};
void ExecuteDoneAction(const TBarDoneAction& action);
// Shows help for a context (`command` HELP_CONTEXT, or HELP_CONTEXTPOPUP when the active form
// has the help border icon); the application installs it, and without it help does nothing.
using TBarHelpHandler = void (*)(int context, UINT command);
void SetBarHelpHandler(TBarHelpHandler handler);

// What opening and tracking a popup asks for.
struct TBarPopupRequest {
  IBarView* ParentView = nullptr;
  TBarItemViewer* ParentViewer = nullptr;
  bool AsSubmenu = false;
  bool SelectFirst = false;
  bool Customizing = false;
  POINT Point{};
  int Alignment = bpaLeft;
};

// The popup windows and their tracking loop live in the popup unit, which installs itself here;
// until one is installed, items open no popups.
class IBarPopupHost {
 public:
  // The popup window class of items that do not choose their own.
  virtual TBarPopupWindowClass DefaultPopupWindowClass() = 0;
  // Opens `item`'s children in a popup window once its popup events have fired: creates the
  // window through item.PopupWindowClass(), places it through item.PlacePopup and shows it.
  virtual TBarPopupWindow* OpenPopupWindow(TBarCustomItem& item, const TBarPopupRequest& request) = 0;
  // Runs a modal popup menu of `item` (opened through item.OpenSubmenuPopup) until tracking
  // ends, frees its windows and returns the root view's done action.
  virtual TBarDoneAction TrackPopup(TBarCustomItem& item, const TBarPopupRequest& request,
                                    bool trackRightButton) = 0;

 protected:
  ~IBarPopupHost() = default;
};
void SetBarPopupHost(IBarPopupHost* host);
IBarPopupHost* BarPopupHost();

class TBarCustomItem : public ui::TComponent {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarCustomItem", &ui::TComponent::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TBarCustomItem(ui::TComponent* owner);
  ~TBarCustomItem() override;
  void BeforeDestruction() override;

  // --- Child list
  int Count() const { return static_cast<int>(items_.size()); }
  TBarCustomItem* ChildAt(int index) const;
  TBarCustomItem* operator[](int index) const { return ChildAt(index); }
  int IndexOf(const TBarCustomItem* item) const;
  void Insert(int index, TBarCustomItem* item);
  void Add(TBarCustomItem* item) { Insert(Count(), item); }
  void Delete(int index);
  void Remove(TBarCustomItem* item);
  void Move(int currentIndex, int newIndex);
  void SetChildOrder(TBarCustomItem* child, int order);
  TBarCustomItem* Parent() const { return parent_; }

  // --- Listeners
  void RegisterNotification(const TBarItemChangeEvent& listener);
  void UnregisterNotification(const TBarItemChangeEvent& listener);
  // Tells this item's listeners (and those its changes are relayed to).
  void NotifyChange(TBarItemChangeKind kind, int index, TBarCustomItem* item);

  // --- Virtual operations
  // Tells the parent's listeners that this item needs repainting or a new layout.
  virtual void ReportChange(bool needsResize);
  // Fires the popup events, then opens the children as a popup window (nullptr when no popup
  // host is installed).
  virtual TBarPopupWindow* OpenSubmenuPopup(IBarView* parentView, TBarItemViewer* parentViewer, bool asSubmenu,
                                            bool selectFirst, bool customizing, POINT point, int alignment);
  virtual void FirePopup(TBarCustomItem* sender, bool fromLink);
  virtual void RequestRepaint() { ReportChange(false); }
  virtual IBarView* ChevronSourceView() { return nullptr; }
  virtual TBarItemViewerClass ViewerClass();
  virtual void PlacePopup(IBarView* parentView, TBarPopupWindow* window, TBarPopupPlacement& placement);
  virtual TBarPopupWindowClass PopupWindowClass();
  virtual bool ViewerNeedsRecreate(TBarItemViewer*) { return false; }
  virtual void Click();
  virtual void RefreshFromAction();

  // --- Popup menus
  void Popup(int x, int y, bool trackRightButton, int alignment = bpaLeft);
  void PopupAtPoint(POINT point, bool selectFirst, bool trackRightButton, int alignment = bpaLeft);

  // --- Shortcuts
  // Runs the item of this subtree whose shortcut the key message (key code, key data) gives.
  bool HandleShortCut(WPARAM keyCode, LPARAM keyData);
  bool HandleShortCut(TShortCut shortcut);
  // The shortcut a key message gives: its key with the Shift and Ctrl keys now down and the
  // message's own Alt bit.
  static TShortCut ShortCutOfKey(WPARAM keyCode, LPARAM keyData);
  // The first item of the subtree with the shortcut; `topLevel` gets the direct child of this
  // item on the path to it (nullptr when the match is a direct child).
  TBarCustomItem* FindItemByShortCut(TShortCut shortcut, TBarCustomItem*& topLevel);
  // The shortcut text shown in menus: the caption after its first tab, else ShortCut's text.
  std::string ShortCutDisplayText() const;

  // --- Properties
  ui::TBasicAction* Action() const;
  void SetAction(ui::TBasicAction* action);
  TBarCustomItemActionLink* ActionLink() const { return actionLink_.get(); }
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool on) { autoCheck_ = on; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  TBarItemDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TBarItemDisplayMode mode);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  TBarItemOptions EffectiveOptions() const { return effectiveOptions_; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  // Caption and Hint are published, so that a window's translation reaches its items.
  void GetProperties(ui::TPropertyList& properties) override;
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  ui::TCustomImageList* Images() const { return images_; }
  void SetImages(ui::TCustomImageList* images);
  ui::TCustomImageList* SubMenuImages() const { return subMenuImages_; }
  void SetSubMenuImages(ui::TCustomImageList* images);
  TBarItemStyle ItemStyle() const { return itemStyle_; }
  TBarItemOptions MaskOptions() const { return maskOptions_; }
  void SetMaskOptions(TBarItemOptions options);
  TBarItemOptions Options() const { return options_; }
  void SetOptions(TBarItemOptions options);
  bool InheritOptions() const { return inheritOptions_; }
  void SetInheritOptions(bool on);
  TShortCut ShortCut() const { return shortcut_; }
  void SetShortCut(TShortCut shortcut) { shortcut_ = shortcut; }
  TBarCustomItem* LinkSubitems() const { return linkSubitems_; }
  void SetLinkSubitems(TBarCustomItem* target);
  // The items whose LinkSubitems point here.
  const std::vector<TBarCustomItem*>& LinkParents() const { return linkParents_; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // The component that owns a root item (its toolbar or popup menu).
  ui::TComponent* ParentComponent() const { return parentComponent_; }
  void SetParentComponent(ui::TComponent* component) { parentComponent_ = component; }
  // The parent's owning component when it has one, else the parent.
  ui::TComponent* GetParentComponent() const;
  // The children shown for this item: LinkSubitems' when set, else its own.
  TBarCustomItem* ShownChildList() { return linkSubitems_ ? linkSubitems_ : this; }
  void SetName(const std::string& name);

  ui::TNotifyEvent OnClick;
  TBarPopupEvent OnPopup;
  TBarSelectEvent OnSelect;

 protected:
  void Loaded() override;
  void Notification(ui::TComponent* component, ui::TOperation operation) override;
  // Copies the action's properties; with `checkDefaults` only those the item still has at
  // their default values.
  virtual void TakeActionProperties(ui::TBasicAction* action, bool checkDefaults);
  virtual std::unique_ptr<TBarCustomItemActionLink> CreateActionLink();
  void SetItemStyle(TBarItemStyle style) { itemStyle_ = style; }

 private:
  friend class TBarCustomItemActionLink;
  struct Listener {
    TBarItemChangeEvent Call;
    int Count = 0;
  };
  void Teardown();
  void ActionChanged(ui::TObject* sender);
  void NotifyRelay(TBarCustomItem* origin, TBarCustomItem* ancestor, int depth, TBarItemChangeKind kind, int index,
                   TBarCustomItem* item);
  static void RelayThrough(TBarCustomItem* via, TBarCustomItem* origin, TBarCustomItem* ancestor, int depth,
                           TBarItemChangeKind kind, int index, TBarCustomItem* item);
  void RecalcEffectiveOptions();
  void UncheckGroupSiblings();
  void CheckIndex(int index, bool allowEnd) const;
  void SetImageList(ui::TCustomImageList*& field, std::unique_ptr<TBarImageChangeLink>& link,
                    ui::TCustomImageList* images, bool subMenu);
  void ImagesChanged(ui::TObject* sender);
  void SubMenuImagesChanged(ui::TObject* sender);
  struct TShortCutSearch;
  static TBarCustomItem* FindShortCutIn(TShortCutSearch& search, TBarCustomItem* list, TShortCut shortcut,
                                        int linkDepth, TBarCustomItem*& topLevel);

  std::unique_ptr<TBarCustomItemActionLink> actionLink_;
  bool autoCheck_ = false;
  std::string caption_;
  bool checked_ = false;
  TBarItemDisplayMode displayMode_ = bdmDefault;
  bool enabled_ = true;
  TBarItemOptions effectiveOptions_ = 0;
  int groupIndex_ = 0;
  int helpContext_ = 0;
  std::string hint_;
  int imageIndex_ = -1;
  ui::TCustomImageList* images_ = nullptr;
  std::unique_ptr<TBarImageChangeLink> imagesLink_;
  std::vector<TBarCustomItem*> items_;
  TBarItemStyle itemStyle_ = isSelectable | isRedrawOnSelChange | isRedrawOnMouseOverChange;
  std::vector<TBarCustomItem*> linkParents_;
  TBarItemOptions maskOptions_ = 0;
  TBarItemOptions options_ = 0;
  bool inheritOptions_ = true;
  std::unique_ptr<std::vector<Listener>> listeners_;
  int notifyDepth_ = 0;  // listener walks in progress: the list is not freed under them
  TBarCustomItem* parent_ = nullptr;
  ui::TComponent* parentComponent_ = nullptr;
  TShortCut shortcut_ = 0;
  ui::TCustomImageList* subMenuImages_ = nullptr;
  std::unique_ptr<TBarImageChangeLink> subMenuImagesLink_;
  TBarCustomItem* linkSubitems_ = nullptr;
  bool visible_ = true;
  bool tornDown_ = false;
};

// The invisible root of a toolbar or popup menu.
class TBarRootItem : public TBarCustomItem {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarRootItem", &TBarCustomItem::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using TBarCustomItem::TBarCustomItem;
};

class TBarItem : public TBarCustomItem {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarItem", &TBarCustomItem::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using TBarCustomItem::TBarCustomItem;
};

class TBarSeparatorItem : public TBarCustomItem {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarSeparatorItem", &TBarCustomItem::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TBarSeparatorItem(ui::TComponent* owner);
  bool Blank() const { return blank_; }
  void SetBlank(bool blank);
  TBarItemViewerClass ViewerClass() override;

 private:
  bool blank_ = false;
};

// An item that shows a control of the window in place of a button.
class TBarControlItem : public TBarCustomItem {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarControlItem", &TBarCustomItem::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TBarControlItem(ui::TComponent* owner);
  TBarControlItem(ui::TComponent* owner, ui::TControl* control);
  ~TBarControlItem() override;
  void BeforeDestruction() override;

  ui::TControl* Control() const { return control_; }
  void SetControl(ui::TControl* control);
  // Leaves the control alive when the item goes.
  bool DontFreeControl = false;

 protected:
  void Notification(ui::TComponent* component, ui::TOperation operation) override;

 private:
  void ReleaseControl();
  ui::TControl* control_ = nullptr;
};

// --- Deferred calls: run after the current message has been handled, on this thread.
void QueueClick(TBarCustomItem* item);
void QueueViewerNotice(TBarItemViewer* viewer, bool flag);
// Items and viewers count themselves live on their thread; the deferred-call window lives
// while any does. A target that goes has its pending calls marked dead first.
void BarObjectCreated();
void MarkDeferredCallsDead(const void* target);
void BarObjectDestroyed(const void* target);
// What a deferred notice of a viewer runs (installed by the accessibility unit).
using TBarViewerNoticeHandler = void (*)(TBarItemViewer* viewer, bool flag);
void SetBarViewerNoticeHandler(TBarViewerNoticeHandler handler);
// The thread's count of live items and viewers.
int BarLiveObjectCount();

}  // namespace movra::bars
