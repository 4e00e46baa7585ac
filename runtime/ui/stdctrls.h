#pragma once
// Standard controls: buttons, check boxes, labels, group boxes, edits, memos, combo boxes and
// list boxes (with the check-list box).
#include <windows.h>

#include "runtime/ui/controls.h"

namespace movra::ui {

class TButtonControl : public TWinControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TButtonControl", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TButtonControl(TComponent* owner);
};

class TButton : public TButtonControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TButton", &TButtonControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TButton(TComponent* owner);

  bool Default() const { return default_; }
  void SetDefault(bool on);
  // Draws the button with the default frame, which Enter presses, or without it; the form
  // moves it to the button that has the focus and back to its Default button after.
  void ShowAsDefault(bool on);
  // Escape clicks the cancel button of the form.
  bool Cancel() const { return cancel_; }
  void SetCancel(bool on) { cancel_ = on; }
  // Clicking sets the form's modal result to this value (when not mrNone).
  TModalResult ModalResult = mrNone;
  void Click() override;
  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  bool default_ = false, cancel_ = false;
};

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TButtonControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TCheckBox", &TButtonControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TCheckBox(TComponent* owner);

  bool Checked() const { return State() == TCheckBoxState::cbChecked; }
  // Changing the state runs OnClick, as a click would.
  void SetChecked(bool on) { SetState(on ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked); }
  TCheckBoxState State() const;
  void SetState(TCheckBoxState state);
  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

 private:
  TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
};

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// A text painted on the parent's colour; it can wrap, size itself, and act as a link (set a
// hand cursor and use OnMouseEnter, OnMouseLeave and OnClick).
class TLabel : public TCustomControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TLabel", &TCustomControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TLabel(TComponent* owner);

  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool on);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool on);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  // Resizes the label to its text (the width stays when it wraps).
  void AdjustBounds();

 protected:
  void Paint() override;
  void TextChanged() override;
  void FontChanged() override;

 private:
  bool wordWrap_ = false, autoSize_ = true;
  TAlignment alignment_ = TAlignment::taLeftJustify;
};

class TGroupBox : public TWinControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TGroupBox", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TGroupBox(TComponent* owner);
  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void AdjustClientRect(RECT& rect) const override;
};

class TCustomEdit : public TWinControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TCustomEdit", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TCustomEdit(TComponent* owner);

  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int length);
  void SelectAll();
  TNotifyEvent OnChange;
  void WndProc(TMessage& message) override;
  void GetProperties(TPropertyList& properties) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  bool HasCaption() const override { return false; }
  virtual void Change();

 private:
  bool readOnly_ = false;
  int maxLength_ = 0;
};

class TEdit : public TCustomEdit {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TEdit", &TCustomEdit::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  using TCustomEdit::TCustomEdit;
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
class TMemo;

// The lines of a memo, read from and written to its window.
class TMemoStrings : public TStrings {
 public:
  explicit TMemoStrings(TMemo* memo) : memo_(memo) {}
  int Count() const override;
  std::string Get(int index) const override;
  void Put(int index, const std::string& text) override;
  void Insert(int index, const std::string& text) override;
  void Delete(int index) override;
  void Clear() override;
  void SetText(std::string_view text) override;
  // Appends all the lines in one change of the window.
  void AddLines(const movra::TStringList& lines);

 protected:
  void SetUpdateState(bool updating) override;

 private:
  HWND Window() const;
  void InsertLines(int index, const movra::TStringList& lines);
  TMemo* memo_;
};

class TMemo : public TCustomEdit {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TMemo", &TCustomEdit::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TMemo(TComponent* owner);

  TStrings& Lines() { return lines_; }
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle style);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool on);
  // Whether Tab types a tab into the memo (unless it is read-only) rather than move the focus
  // on; Ctrl+Tab moves it on either way.
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool on) { wantTabs_ = on; }
  // The most lines kept by AppendLines (0: no limit); the oldest go first.
  int LineLimit() const { return lineLimit_; }
  void SetLineLimit(int limit);
  // Appends lines in one update, trims to the limit and, when asked, scrolls to the end.
  void AppendLines(const movra::TStringList& lines, bool scrollToEnd);
  void ScrollToEnd();
  void GetProperties(TPropertyList& properties) override;
  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  friend class TMemoStrings;
  void TrimToLimit();
  void ReplaceOldest(const movra::TStringList& added, int excess);
  TMemoStrings lines_{this};
  TScrollStyle scrollBars_ = TScrollStyle::ssNone;
  bool wordWrap_ = true;
  bool wantTabs_ = false;
  int lineLimit_ = 0;
};

// A control showing a list of items kept in a string list; the window mirrors the list.
class TItemsControl : public TWinControl {
 public:
  explicit TItemsControl(TComponent* owner);
  TStringList& Items() { return items_; }
  int ItemIndex() const;
  void SetItemIndex(int index);
  void GetProperties(TPropertyList& properties) override;

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void FillWindow() = 0;
  virtual int WindowItemIndex() const = 0;
  virtual void SetWindowItemIndex(int index) = 0;
  void ItemsChanged(TObject*);
  bool HasCaption() const override { return false; }
  TStringList items_;
  int itemIndex_ = -1;
};

enum class TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TItemsControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TComboBox", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TComboBox(TComponent* owner);

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  int DropDownCount = 8;
  TNotifyEvent OnChange;
  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void FillWindow() override;
  int WindowItemIndex() const override;
  void SetWindowItemIndex(int index) override;

 private:
  TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
};

class TListBox : public TItemsControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TListBox", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TListBox(TComponent* owner);
  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void FillWindow() override;
  int WindowItemIndex() const override;
  void SetWindowItemIndex(int index) override;
  int ItemHeight() ;
};

// A list box whose items carry check boxes.
class TCheckListBox : public TListBox {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TCheckListBox", &TListBox::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TCheckListBox(TComponent* owner);

  bool Checked(int index) const;
  void SetChecked(int index, bool on);
  TNotifyEvent OnClickCheck;
  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  void Toggle(int index);
  std::vector<bool> checked_;
};

}  // namespace movra::ui
