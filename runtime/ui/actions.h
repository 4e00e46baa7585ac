#pragma once
// Actions: commands with a caption, state and shortcut that menu items and buttons show and run,
// updated when the application is idle.
#include <cstdint>
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

// Connects a client (menu item, button) to an action: the client shows the action's state and
// runs it when clicked.
class TActionLink {
 public:
  explicit TActionLink(TObject* client) : client_(client) {}
  virtual ~TActionLink();
  TActionLink(const TActionLink&) = delete;
  TActionLink& operator=(const TActionLink&) = delete;

  TBasicAction* Action() const { return action_; }
  void SetAction(TBasicAction* action);
  TObject* Client() const { return client_; }
  bool Execute();
  bool Update();
  // Copies every property of the action into the client.
  virtual void Refresh() = 0;

 private:
  friend class TBasicAction;
  TObject* client_;
  TBasicAction* action_ = nullptr;
};

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

 protected:
  friend class TActionLink;
  void Change();
  std::vector<TActionLink*> clients_;
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
  bool AutoCheck = false;

  bool Execute() override;
  void GetProperties(TPropertyList& properties) override;

 private:
  std::string caption_, hint_;
  bool enabled_ = true, checked_ = false, visible_ = true;
  int imageIndex_ = -1;
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
