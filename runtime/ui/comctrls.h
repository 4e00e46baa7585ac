#pragma once
// Controls over the common controls library: list view, status bar, page control with tab
// sheets, date-time picker, spin edit and animation.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/date_time.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/graphics.h"
#include "runtime/ui/stdctrls.h"

namespace movra::ui {

// --- List view -------------------------------------------------------------------------------

class TListView;

class TListColumn : public TCollectionItem {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TListColumn", &TCollectionItem::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // The width shown; an auto-size column takes the room the others leave.
  int Width() const;
  void SetWidth(int width);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool on);
  // Limits the user and the code stay within (0: none).
  int MinWidth() const { return minWidth_; }
  void SetMinWidth(int width);
  int MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int width);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  std::string DisplayName() const override { return caption_.empty() ? ClassName() : caption_; }
  void GetProperties(TPropertyList& properties) override;

 private:
  friend class TListView;
  int Clamp(int width) const;
  std::string caption_;
  int width_ = 50, minWidth_ = 0, maxWidth_ = 0;
  bool autoSize_ = false;
  TAlignment alignment_ = TAlignment::taLeftJustify;
};

class TListColumns : public TTypedCollection<TListColumn> {
 public:
  explicit TListColumns(TListView* owner);
  TListView* Owner() const { return view_; }

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TListView* view_;
};

class TListItems;

// One row: a caption, the texts of the further columns and a pointer the list does not own.
class TListItem : public TPersistent {
 public:
  explicit TListItem(TListItems* owner) : owner_(owner) {}

  TListItems* Owner() const { return owner_; }
  TListView* ListView() const;
  int Index() const;
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  TStringList& SubItems() { return subItems_; }
  const TStringList& SubItems() const { return subItems_; }
  void* Data = nullptr;
  // Image of the state image list, -1 for none.
  int StateIndex() const { return stateIndex_; }
  void SetStateIndex(int index);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);
  bool Selected() const;
  void SetSelected(bool on);
  bool Focused() const;
  void SetFocused(bool on);
  void Delete();
  // Redraws the row.
  void Update();

 private:
  friend class TListItems;
  friend class TListView;
  void SubItemsChanged(TObject*) { Update(); }
  TListItems* owner_;
  std::string caption_;
  TStringList subItems_;
  int stateIndex_ = -1, imageIndex_ = -1;
  // Without a window, whether the row is selected; with one, what OnSelectItem last heard.
  bool selected_ = false;
  // Where the row was last seen in its list: asking a row for its index is then constant
  // time, and a list of thousands of rows does not search itself once per row.
  mutable int indexHint_ = -1;
};

// The rows of a list view. In owner-data mode the list keeps only a count, and indexing fills
// one scratch row through the view's OnData.
class TListItems : public TPersistent {
 public:
  explicit TListItems(TListView* owner);
  ~TListItems() override;
  TListView* Owner() const { return view_; }

  int Count() const;
  // Owner-data mode only: the number of rows the view shows.
  void SetCount(int count);
  TListItem* Item(int index);
  TListItem* operator[](int index) { return Item(index); }
  TListItem* Add() { return Insert(Count()); }
  TListItem* Insert(int index);
  void Delete(int index);
  void Clear();
  int IndexOf(const TListItem* item) const;
  void BeginUpdate();
  void EndUpdate();

 private:
  friend class TListView;
  friend class TListItem;
  TListView* view_;
  std::vector<std::unique_ptr<TListItem>> items_;
  std::unique_ptr<TListItem> scratch_;
  int scratchIndex_ = -1;
  bool filling_ = false;  // OnData is filling the scratch row
  int virtualCount_ = 0;
  int updateCount_ = 0;
};

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

using TLVColumnClickEvent = TDelegate<TObject*, TListColumn*>;
using TLVOwnerDataEvent = TDelegate<TObject*, TListItem*>;
// Sets `compare` below zero when item1 goes first, above zero when item2 does.
using TLVCompareEvent = TDelegate<TObject*, TListItem*, TListItem*, intptr_t, int&>;
using TLVSelectItemEvent = TDelegate<TObject*, TListItem*, bool>;

class TListView : public TWinControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TListView", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TListView(TComponent* owner);
  ~TListView() override;
  void BeforeDestruction() override;

  TListColumns& Columns() { return columns_; }
  TListColumn* Column(int index) { return columns_[index]; }
  TListItems& Items() { return items_; }

  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle style);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool on);
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool on);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on);
  bool GridLines() const { return gridLines_; }
  void SetGridLines(bool on);
  // Whether the selection disappears while the list has no focus.
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool on);
  // Rows come from OnData on demand; Items().SetCount sets how many there are.
  bool OwnerData() const { return ownerData_; }
  void SetOwnerData(bool on);
  TCustomImageList* StateImages() const { return stateImages_; }
  void SetStateImages(TCustomImageList* images);
  TCustomImageList* SmallImages() const { return smallImages_; }
  void SetSmallImages(TCustomImageList* images);

  int SelCount() const;
  // The first selected row, or nullptr.
  TListItem* Selected();
  void SetSelected(TListItem* item);
  // Whether row `index` is selected (also in owner-data mode).
  bool IsSelected(int index) const;
  void SetIndexSelected(int index, bool on);
  // The indexes of the selected rows, in row order.
  std::vector<int> SelectedIndexes() const;
  void SelectAll();
  void ClearSelection();
  TListItem* ItemFocused();
  int FocusedIndex() const;
  // The row under a client point, or -1.
  int IndexAt(int x, int y) const;
  TListItem* GetItemAt(int x, int y);
  // Sorts the rows with `compare` (or OnCompare, else by caption); not in owner-data mode.
  void CustomSort(const std::function<int(TListItem*, TListItem*)>& compare);
  void AlphaSort();
  // Redraws rows `first` to `last`.
  void UpdateItems(int first, int last);

  TLVColumnClickEvent OnColumnClick;
  TLVOwnerDataEvent OnData;
  TLVCompareEvent OnCompare;
  TLVSelectItemEvent OnSelectItem;
  TNotifyEvent OnChange;

  void WndProc(TMessage& message) override;
  void GetProperties(TPropertyList& properties) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Resize() override;
  bool HasCaption() const override { return false; }
  // The focused row, where it shows; else the origin of the rows below the header.
  POINT KeyboardPopupPoint() override;

 private:
  friend class TListColumns;
  friend class TListColumn;
  friend class TListItems;
  friend class TListItem;
  // Stops the window redrawing until the messages already queued are handled: rows added or
  // deleted one by one then lay the scroll bars out and draw once, not once a row.
  void DeferRedraw();
  bool Redrawing() const { return !redrawDeferred_ && items_.updateCount_ == 0; }
  // A message straight to the system control's procedure: one sent passes every hook of the
  // thread on its way (the toolbars keep some), which costs more than the message itself.
  LRESULT Call(UINT msg, WPARAM wParam, LPARAM lParam) const;
  void ColumnsChanged();
  void ApplyColumns();
  void LayoutAutoSizeColumns();
  void UpdateStyles();
  void ApplyImages();
  // Gives the window the new count; the rows below `index` keep their selection and focus.
  void RowInserted(int index);
  // The selection into the rows and back, for a window that is made anew or rows that move.
  void KeepSelection();
  void RestoreSelection();
  void SetIndexState(int index, UINT mask, UINT state);
  void FillDisplayInfo(NMLVDISPINFOW& info);
  // The window tells of a change in rows `first` to `last` (-1: every row). Each row whose
  // selection then differs from what OnSelectItem last heard of it is told of, once: at once,
  // or when the window is done with the message it is handling.
  void StatesChanged(int first, int last);
  void ReportStates();
  // The row the window asks for when letters are typed, or -1 to leave the selection alone.
  int FindRow(const NMLVFINDITEMW& find);
  bool KnownSelected(int row) const;
  void SetKnownSelected(int row, bool on);
  void ColumnResized(int index);
  int ColumnWidth(int index) const;
  void SetColumnWidth(int index, int width);
  HWND HeaderHandle() const;

  TListColumns columns_{this};
  TListItems items_{this};
  TViewStyle viewStyle_ = TViewStyle::vsReport;
  bool multiSelect_ = false, rowSelect_ = false, readOnly_ = false, gridLines_ = false;
  bool hideSelection_ = true, ownerData_ = false;
  TCustomImageList* stateImages_ = nullptr;
  TCustomImageList* smallImages_ = nullptr;
  std::wstring displayText_;  // kept alive for the control after a display-info answer
  bool applyingColumns_ = false;
  bool redrawDeferred_ = false;
  // Set while the code moves the window's marks along with rows that move: no row changes.
  bool movingMarks_ = false;
  int handling_ = 0;  // messages of the window's own in progress
  int changedFirst_ = INT_MAX, changedLast_ = -1;
  // Owner-data rows are not kept: what OnSelectItem last heard of each, by row number.
  std::vector<bool> dataSelected_;
};

// --- Status bar ------------------------------------------------------------------------------

class TStatusBar;

class TStatusPanel : public TCollectionItem {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TStatusPanel", &TCollectionItem::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);
  int Width() const { return width_; }
  void SetWidth(int width);
  void GetProperties(TPropertyList& properties) override;

 private:
  std::string text_;
  int width_ = 50;
};

class TStatusPanels : public TTypedCollection<TStatusPanel> {
 public:
  explicit TStatusPanels(TStatusBar* owner);

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TStatusBar* bar_;
};

class TStatusBar : public TWinControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TStatusBar", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TStatusBar(TComponent* owner);
  TStatusPanels& Panels() { return panels_; }
  bool SizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool on);
  void GetProperties(TPropertyList& properties) override;
  // The text a panel shows in the window (what the user sees).
  std::string PanelWindowText(int index) const;

 protected:
  friend class TStatusPanels;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  bool HasCaption() const override { return false; }
  void ApplyPanels();
  void ApplyPanel(int index);

 private:
  TStatusPanels panels_{this};
  bool sizeGrip_ = true;
};

// --- Page control ----------------------------------------------------------------------------

class TPageControl;

class TTabSheet : public TWinControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TTabSheet", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* control);
  int PageIndex() const;
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool on);
  // Position among the visible tabs, -1 when the tab is hidden.
  int TabIndex() const;

 protected:
  void TextChanged() override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
};

class TPageControl : public TWinControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TPageControl", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  void BeforeDestruction() override;

  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int index) const { return pages_.at(static_cast<size_t>(index)); }
  TTabSheet* ActivePage() const { return activePage_; }
  // Shows `page` (which must be one of ours, with a visible tab) and hides the others.
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);
  // Turns to the next page with a visible tab (the previous one when not `forward`), round,
  // as the user does: the focus follows onto the new page and OnChange runs. Ctrl+Tab and
  // Ctrl+PgDn do it (with Shift, and Ctrl+PgUp, backwards) wherever the form's focus is.
  void SelectNextPage(bool forward);
  // Runs after the user changed the page.
  TNotifyEvent OnChange;
  void WndProc(TMessage& message) override;

 protected:
  friend class TTabSheet;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void AdjustClientRect(RECT& rect) const override;
  void AlignControls(RECT rect) override;
  bool HasCaption() const override { return false; }
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void UpdateTabs();

 private:
  void ShowActive();
  // The user turned to `page`: a focus left on the page that goes moves to the new page's
  // first control (or to the tabs), and OnChange runs.
  void ChangeActivePage(TTabSheet* page);
  std::vector<TTabSheet*> pages_;
  TTabSheet* activePage_ = nullptr;
};

// --- Date-time picker ------------------------------------------------------------------------

enum class TDateTimeKind { dtkDate, dtkTime };

class TDateTimePicker : public TWinControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TDateTimePicker", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TDateTimePicker(TComponent* owner);
  TDateTimeKind Kind() const { return kind_; }
  void SetKind(TDateTimeKind kind);
  // A picture in the control's own letters ("H:mm", "h:mm tt"); empty: the locale's format.
  const std::string& Format() const { return format_; }
  void SetFormat(const std::string& format);
  TDateTime DateTime() const;
  void SetDateTime(TDateTime value);
  TNotifyEvent OnChange;
  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  bool HasCaption() const override { return false; }

 private:
  TDateTimeKind kind_ = TDateTimeKind::dtkDate;
  std::string format_;
  TDateTime value_ = 0;
};

// --- Spin edit -------------------------------------------------------------------------------

// An edit holding a whole number, with up and down arrows that step it by Increment. The value
// stays within MinValue and MaxValue (no limit when both are 0).
class TSpinEdit : public TCustomEdit {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TSpinEdit", &TCustomEdit::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TSpinEdit(TComponent* owner);
  int MinValue() const { return minValue_; }
  void SetMinValue(int value);
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int value);
  int Increment = 1;
  // The number typed, held within the limits (the minimum when nothing usable is typed).
  int Value() const;
  void SetValue(int value);
  // One step up (positive) or down (negative).
  void Step(int steps);
  void WndProc(TMessage& message) override;
  // The number is no text to translate.
  void GetProperties(TPropertyList& properties) override;

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  bool DoKeyDown(WORD& key, TShiftState shift) override;
  void DoExit() override;

 private:
  int Limit(int value) const;
  void PlaceArrows();
  int minValue_ = 0, maxValue_ = 0;
  HWND arrows_ = nullptr;
};

// --- Animation -------------------------------------------------------------------------------

enum class TCommonAVI { aviNone, aviFindFolder, aviFindFile, aviFindComputer, aviCopyFiles, aviCopyFile,
                        aviRecycleFile, aviEmptyRecycle, aviDeleteFile };

// Plays a silent clip; the common clips come from the shell's resources.
class TAnimate : public TWinControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TAnimate", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TAnimate(TComponent* owner);
  ~TAnimate() override;
  TCommonAVI CommonAVI() const { return commonAvi_; }
  void SetCommonAVI(TCommonAVI clip);
  // Whether a clip could be opened in the control.
  bool Open();
  // Plays frames `fromFrame` to `toFrame` (counted from 1; 0: the last) `repeat` times (-1:
  // until stopped).
  void Play(int fromFrame, int toFrame, int repeat);
  void Stop();
  bool Active() const { return active_; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  bool HasCaption() const override { return false; }

 private:
  TCommonAVI commonAvi_ = TCommonAVI::aviNone;
  HMODULE shell_ = nullptr;
  bool opened_ = false, active_ = false;
};

}  // namespace movra::ui
