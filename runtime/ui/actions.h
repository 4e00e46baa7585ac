#pragma once
// Actions: commands with a caption, state and shortcut that menu items and buttons show and run,
// updated when the application is idle.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/ui/classes.h"

namespace movra::ui {

// Key code with modifier bits.
using TShortCut = uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut scNone = 0;

TShortCut ShortCut(uint16_t key, unsigned shift);
// Key code and shift state (ssShift, ssCtrl, ssAlt bits) of a shortcut.
void ShortCutToKey(TShortCut shortcut, uint16_t& key, unsigned& shift);
// "Ctrl+A", "Alt+Enter", "F9", "Del": key names are resource strings, so they translate.
std::string ShortCutToText(TShortCut shortcut);
// The shortcut that `text` names, or 0.
TShortCut TextToShortCut(std::string_view text);

class TBasicAction;
class TCustomAction;
class TCustomActionList;
class TCustomImageList;

// Connects a client (menu item, button, toolbar item) to an action: the client shows the
// action's state and runs it when clicked. When a property of the action changes, the action
// hands the new value to SetX of every link before it stores it; a link passes it on only
// while IsXLinked, that is while the client still shows the action's old value, so a value
// the client set itself survives. Afterwards every link's OnChange runs.
class TBasicActionLink : public TObject {
 public:
  explicit TBasicActionLink(TObject* client) : client_(client) {}
  ~TBasicActionLink() override;
  TBasicActionLink(const TBasicActionLink&) = delete;
  TBasicActionLink& operator=(const TBasicActionLink&) = delete;

  TBasicAction* Action() const { return action_; }
  void SetAction(TBasicAction* action);
  TObject* Client() const { return client_; }
  // Runs the action with `component` (the client when null) as its ActionComponent.
  virtual bool Execute(TObject* component = nullptr);
  // Runs the action's update handler; true when one ran.
  virtual bool Update();
  // The client's handler is the action's OnExecute.
  virtual bool IsOnExecuteLinked() { return true; }
  virtual void SetOnExecute(const TNotifyEvent&) {}
  // Runs after every change of the action (set by the client).
  TNotifyEvent OnChange;

 protected:
  // Takes the client; a derived link keeps its typed pointer here. Links made by
  // CreateActionLink get it called once after construction.
  virtual void AssignClient(TObject* client) { client_ = client; }
  virtual void Change();

 private:
  friend class TBasicAction;
  template <class L>
  friend std::unique_ptr<L> CreateActionLink(TObject* client);
  TObject* client_;
  TBasicAction* action_ = nullptr;
};

// The link of clients that show a caption, state, image and shortcut. Each IsXLinked here is
// the common test (the action is a TCustomAction); links of concrete clients add that the
// client's value equals the action's. The SetX do nothing here.
class TActionLink : public TBasicActionLink {
 public:
  using TBasicActionLink::TBasicActionLink;

  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsHelpContextLinked();
  virtual bool IsHintLinked();
  virtual bool IsImageIndexLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();
  virtual void SetAutoCheck(bool) {}
  virtual void SetCaption(const std::string&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHelpContext(int) {}
  virtual void SetHint(const std::string&) {}
  virtual void SetImageIndex(int) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}

  // The bound action as a TCustomAction, or nullptr.
  TCustomAction* CustomAction() const;
};

// Makes a link of class L for `client` and lets it take the client (AssignClient).
template <class L>
std::unique_ptr<L> CreateActionLink(TObject* client) {
  auto link = std::make_unique<L>(client);
  static_cast<TBasicActionLink*>(link.get())->AssignClient(client);
  return link;
}

class TBasicAction : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TBasicAction", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
  ~TBasicAction() override;

  // Runs the action; true when some handler ran.
  virtual bool Execute();
  // Runs the update handler; true when one ran.
  virtual bool Update();
  TObject* ActionComponent = nullptr;
  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

  int ClientCount() const { return static_cast<int>(clients_.size()); }
  TBasicActionLink* Clients(int index) const { return clients_.at(static_cast<size_t>(index)); }
  // Runs after every change, before the clients' OnChange.
  TNotifyEvent OnChange;

 protected:
  friend class TBasicActionLink;
  // Tells every client link that the action changed.
  void Change();
  // Calls `set` for every client link that is a TActionLink (the property protocol).
  template <class F>
  void ForEachLink(F set) {
    for (TBasicActionLink* client : std::vector<TBasicActionLink*>(clients_))
      if (auto* link = dynamic_cast<TActionLink*>(client)) set(*link);
  }
  std::vector<TBasicActionLink*> clients_;
};

class TContainedAction : public TBasicAction {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TContainedAction", &TBasicAction::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TContainedAction(TComponent* owner) : TBasicAction(owner) {}
  ~TContainedAction() override;
  TCustomActionList* ActionList() const { return actionList_; }
  void SetActionList(TCustomActionList* list);
  std::string Category;
  bool Execute() override;
  bool Update() override;

 private:
  TCustomActionList* actionList_ = nullptr;
};

class TCustomAction : public TContainedAction {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TCustomAction", &TContainedAction::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TCustomAction(TComponent* owner) : TContainedAction(owner) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Checked() const { return checked_; }
  // Checking an action of a group unchecks the others of its list.
  void SetChecked(bool checked);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  TShortCut ShortCut() const { return shortcut_; }
  void SetShortCut(TShortCut shortcut);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index);
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool on);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context);

  // The hint a client is about to show, which OnHint may rewrite; false: show no hint.
  virtual bool DoHint(std::string& hint);
  TDelegate<std::string&, bool&> OnHint;

  bool Execute() override;
  void GetProperties(TPropertyList& properties) override;

 private:
  std::string caption_, hint_;
  bool enabled_ = true, checked_ = false, visible_ = true, autoCheck_ = false;
  int imageIndex_ = -1;
  int helpContext_ = 0;
  TShortCut shortcut_ = 0;
  int groupIndex_ = 0;
};

class TAction : public TCustomAction {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TAction", &TCustomAction::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TAction(TComponent* owner) : TCustomAction(owner) {}
};

using TActionEvent = TDelegate<TBasicAction*, bool&>;

class TCustomActionList : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TCustomActionList", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TCustomActionList(TComponent* owner) : TComponent(owner) {}
  ~TCustomActionList() override;

  int ActionCount() const { return static_cast<int>(actions_.size()); }
  TContainedAction* Actions(int index) const { return actions_.at(static_cast<size_t>(index)); }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* images);

  // The list's OnExecute, which may take the action over; true when handled.
  virtual bool ExecuteAction(TBasicAction* action);
  virtual bool UpdateAction(TBasicAction* action);
  // Runs the enabled action whose shortcut this is; true when one ran.
  bool IsShortCut(TShortCut shortcut);
  void UpdateAll();

  TActionEvent OnExecute;
  TActionEvent OnUpdate;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TContainedAction;
  std::vector<TContainedAction*> actions_;
  TCustomImageList* images_ = nullptr;
};

class TActionList : public TCustomActionList {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TActionList", &TCustomActionList::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TActionList(TComponent* owner) : TCustomActionList(owner) {}
};

}  // namespace movra::ui
