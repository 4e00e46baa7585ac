// Accessibility through real clients: the system's AccessibleObjectFromWindow on a view's window,
// then IAccessible called as a screen reader would: children, names, roles, states, shortcuts,
// default actions, locations, hit tests and navigation; the deferred default action; objects
// outliving their views; the events; and a system without the library.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/text.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/stdctrls.h"
#include "tests/runtime/ui/ui_test_support.h"
#include "tests/toolbars/bar_fixed_items.h"
#include "toolbars/bar_acc.h"
#include "toolbars/bar_common.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_view.h"
#include "toolbars/bar_viewer.h"

namespace movra::bars {
namespace {

using test::ChevronView;
using test::FixedItem;
using ui::test::PumpUntil;

constexpr GUID kIidAccessible{0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// A counted COM pointer for the test's side of the calls.
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : p_(p) {}
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Ref(Ref&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  Ref& operator=(Ref&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }
  ~Ref() { Reset(); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T** Out() {
    Reset();
    return &p_;
  }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

VARIANT Self() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

VARIANT Child(LONG id) {
  VARIANT v = Self();
  v.lVal = id;
  return v;
}

// Takes a BSTR and frees it; "<none>" for a null one.
std::string Take(BSTR text) {
  if (!text) return "<none>";
  std::string result = WideToUtf8(std::wstring_view(text, SysStringLen(text)));
  SysFreeString(text);
  return result;
}

std::string Name(IAccessible* acc) {
  BSTR text = nullptr;
  acc->get_accName(Self(), &text);
  return Take(text);
}

LONG IntOf(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* acc) {
  VARIANT out;
  VariantInit(&out);
  if ((acc->*get)(Self(), &out) != S_OK || out.vt != VT_I4) return -1;
  return out.lVal;
}
LONG Role(IAccessible* acc) { return IntOf(&IAccessible::get_accRole, acc); }
LONG State(IAccessible* acc) { return IntOf(&IAccessible::get_accState, acc); }

std::string Shortcut(IAccessible* acc) {
  BSTR text = nullptr;
  acc->get_accKeyboardShortcut(Self(), &text);
  return Take(text);
}

std::string DefaultAction(IAccessible* acc) {
  BSTR text = nullptr;
  acc->get_accDefaultAction(Self(), &text);
  return Take(text);
}

// The IAccessible of a dispatch handed out by an object (the reference is taken over).
Ref<IAccessible> AccOf(IDispatch* dispatch) {
  Ref<IAccessible> acc;
  if (dispatch) {
    dispatch->QueryInterface(kIidAccessible, reinterpret_cast<void**>(acc.Out()));
    dispatch->Release();
  }
  return acc;
}

Ref<IAccessible> ChildOf(IAccessible* parent, LONG id) {
  IDispatch* dispatch = nullptr;
  if (parent->get_accChild(Child(id), &dispatch) != S_OK) return {};
  return AccOf(dispatch);
}

// The object a VARIANT result carries (VT_DISPATCH), taken over.
Ref<IAccessible> AccOf(VARIANT& v) {
  if (v.vt != VT_DISPATCH) return {};
  IDispatch* dispatch = v.pdispVal;
  v.vt = VT_EMPTY;
  return AccOf(dispatch);
}

bool SameObject(IUnknown* a, IUnknown* b) {
  IUnknown* x = nullptr;
  IUnknown* y = nullptr;
  a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&x));
  b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&y));
  const bool same = x && x == y;
  if (x) x->Release();
  if (y) y->Release();
  return same;
}

// A window that shows a view and hands its client object to the system, as toolbars and popups do.
class ViewWindow : public ui::TCustomControl {
 public:
  explicit ViewWindow(ui::TComponent* owner) : TCustomControl(owner) {}
  TBarView* View = nullptr;

 protected:
  void WndProc(ui::TMessage& message) override {
    if (message.Msg == WM_GETOBJECT && View &&
        AnswerViewObjectRequest(*View, message.WParam, message.LParam, message.Result))
      return;
    TCustomControl::WndProc(message);
  }
};

// Records the tracking loops started on a view, and chooses the selection as a user would.
struct FakeLoop : IBarModalLoop {
  static inline int runs = 0;
  static inline bool execute = false, fromAcc = false;
  static inline TBarItemViewer* selected = nullptr;
  void Loop(TBarView& root, bool, bool exec, bool acc, bool) override {
    ++runs;
    execute = exec;
    fromAcc = acc;
    selected = root.Selected();
    if (exec)
      root.ExecuteSelected(false);
    else
      root.EndTracking();
  }
  static std::unique_ptr<IBarModalLoop> Make(HWND) { return std::make_unique<FakeLoop>(); }
};

// Opens child popups in plain windows without a handle, in place of the popup unit: closing the
// popup frees the window and the view it owns.
struct FakePopupHost : IBarPopupHost {
  TBarPopupWindowClass DefaultPopupWindowClass() override { return {}; }
  TBarPopupWindow* OpenPopupWindow(TBarCustomItem& item, const TBarPopupRequest& request) override;
  TBarDoneAction TrackPopup(TBarCustomItem&, const TBarPopupRequest&, bool) override { return {}; }
};

TBarPopupWindow* FakePopupHost::OpenPopupWindow(TBarCustomItem& item, const TBarPopupRequest& request) {
  auto* parent = static_cast<TBarView*>(request.ParentView);
  auto* window = new ViewWindow(nullptr);
  auto* view = new TBarView(window, parent, &item, window, false, false, false);
  view->IncludeState(vsTracking);
  window->View = view;
  parent->SetOpenViewer(request.ParentViewer, view, window);
  return nullptr;
}

struct Accessibility : ::testing::Test {
  static void SetUpTestSuite() { StartBarAccessibility(); }
  static void TearDownTestSuite() { StopBarAccessibility(); }

  ui::TOwned<ui::TComponent> owner = ui::MakeOwned<ui::TComponent>(nullptr);
  TBarRootItem* root = new TBarRootItem(owner.get());
  ui::TForm* form = nullptr;
  ViewWindow* window = nullptr;

  Accessibility() {
    form = new ui::TForm(owner.get());
    form->SetBounds(100, 100, 400, 200);
    window = new ViewWindow(owner.get());
    window->SetParent(form);
    window->SetBounds(10, 10, 300, 40);
    form->Show();
    Activate();
  }
  // Whether an item may take the focus depends on the active window.
  void Activate() {
    SetForegroundWindow(form->Handle());
    SetActiveWindow(form->Handle());
    PumpUntil([&] { return GetActiveWindow() == form->Handle(); }, 2000);
  }
  ~Accessibility() override {
    SetBarModalLoopFactory(nullptr, nullptr);
    SetBarPopupHost(nullptr);
  }

  FixedItem* Add(const std::string& caption, int width = 40, int height = 20, TBarCustomItem* parent = nullptr) {
    auto* item = new FixedItem(owner.get(), width, height);
    item->SetCaption(caption);
    (parent ? parent : root)->Add(item);
    return item;
  }
  void Show(TBarView* view) {
    window->View = view;
    view->InvalidateLayout();
    view->ValidatePositions();
  }
  // The view's client object as a client gets it: through the system.
  Ref<IAccessible> ClientObject() {
    Ref<IAccessible> acc;
    HRESULT hr = AccessibleObjectFromWindow(window->Handle(), static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                            reinterpret_cast<void**>(acc.Out()));
    EXPECT_EQ(hr, S_OK);
    return acc;
  }
};

TEST_F(Accessibility, AToolbarWithAChevronAnswersAScreenReader) {
  FixedItem* file = Add("&File");
  FixedItem* edit = Add("&Edit");
  Add("View");
  Add("&Help");
  file->SetChecked(true);
  edit->SetEnabled(false);
  auto* chevron = new TBarItem(owner.get());
  auto* view = new ChevronView(owner.get(), root, chevron, window);
  view->SetChevronSize(12);
  view->SetChevronOffset(100);
  Show(view);
  ASSERT_TRUE(view->Find(root->ChildAt(3))->OffEdge);
  ASSERT_TRUE(view->Find(root->ChildAt(2))->OffEdge);

  Ref<IAccessible> bar = ClientObject();
  ASSERT_TRUE(bar);
  EXPECT_EQ(Role(bar.get()), ROLE_SYSTEM_TOOLBAR);
  EXPECT_EQ(State(bar.get()), 0);
  LONG count = 0;
  EXPECT_EQ(bar->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 5);  // the two items the chevron hides count
  LONG x = 0, y = 0, w = 0, h = 0;
  EXPECT_EQ(bar->accLocation(&x, &y, &w, &h, Self()), S_OK);
  RECT windowRect;
  GetWindowRect(window->Handle(), &windowRect);
  EXPECT_EQ(x, windowRect.left);
  EXPECT_EQ(y, windowRect.top);
  EXPECT_EQ(w, 300);
  EXPECT_EQ(h, 40);
  BSTR text = nullptr;
  EXPECT_EQ(bar->get_accKeyboardShortcut(Self(), &text), S_FALSE);
  EXPECT_EQ(bar->get_accDefaultAction(Self(), &text), S_FALSE);
  EXPECT_EQ(bar->accDoDefaultAction(Self()), S_FALSE);
  EXPECT_EQ(bar->accSelect(SELFLAG_TAKEFOCUS, Self()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(bar->get_accName(Child(1), &text), E_INVALIDARG);  // only the object itself
  VARIANT notAnInteger;
  VariantInit(&notAnInteger);
  notAnInteger.vt = VT_BSTR;
  notAnInteger.bstrVal = nullptr;
  IDispatch* dispatch = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(bar->get_accChild(notAnInteger, &dispatch), E_INVALIDARG);
  EXPECT_EQ(dispatch, nullptr);  // out values are cleared first
  EXPECT_EQ(bar->get_accChild(Child(6), &dispatch), E_INVALIDARG);
  // The parent is the system's object of the same window (Wine's answers little of IAccessible).
  ASSERT_EQ(bar->get_accParent(&dispatch), S_OK);
  Ref<IAccessible> windowObject = AccOf(dispatch);
  ASSERT_TRUE(windowObject);
  EXPECT_FALSE(SameObject(windowObject.get(), bar.get()));
  // Child 0 is the view itself.
  Ref<IAccessible> self = ChildOf(bar.get(), 0);
  ASSERT_TRUE(self);
  EXPECT_TRUE(SameObject(self.get(), bar.get()));

  // The children in order, as a reader walks them.
  const std::string alt = AltKeyName();
  const std::vector<std::string> names{"File", "Edit", "View", "Help"};
  std::vector<Ref<IAccessible>> items;
  for (LONG id = 1; id <= 5; ++id) {
    items.emplace_back();
    ASSERT_EQ(bar->get_accChild(Child(id), &dispatch), S_OK) << id;
    items.back() = AccOf(dispatch);
    ASSERT_TRUE(items.back()) << id;
  }
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(Name(items[i].get()), names[i]);
  EXPECT_EQ(Role(items[0].get()), barRolePushButton);
  // The third child is the third accessible viewer.
  EXPECT_TRUE(SameObject(items[2].get(), ChildOf(bar.get(), 3).get()));
  EXPECT_EQ(Shortcut(items[0].get()), alt + "+f");
  EXPECT_EQ(Shortcut(items[2].get()), "<none>");  // no accelerator
  EXPECT_EQ(DefaultAction(items[0].get()), "Press");
  EXPECT_EQ(DefaultAction(items[1].get()), "<none>");  // disabled
  EXPECT_EQ(items[1]->accDoDefaultAction(Self()), E_FAIL);

  const LONG fileState = State(items[0].get());
  EXPECT_EQ(fileState, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED);
  EXPECT_EQ(State(items[1].get()), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_UNAVAILABLE);
  for (size_t i : {2u, 3u}) {
    const LONG hidden = State(items[i].get());
    EXPECT_TRUE(hidden & STATE_SYSTEM_INVISIBLE) << i;
    EXPECT_FALSE(hidden & STATE_SYSTEM_FOCUSABLE) << i;
  }
  view->SetSelected(view->Find(file), false);
  EXPECT_EQ(State(items[0].get()), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED | STATE_SYSTEM_HOTTRACKED);
  VARIANT focus;
  EXPECT_EQ(items[0]->get_accFocus(&focus), S_FALSE);  // not tracking
  view->IncludeState(vsTracking);
  EXPECT_EQ(State(items[0].get()) & STATE_SYSTEM_FOCUSED, STATE_SYSTEM_FOCUSED);
  EXPECT_EQ(items[0]->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.vt, VT_I4);
  view->ExcludeState(vsTracking);
  view->SetSelected(nullptr, false);

  // Where the items are, and what lies under a point.
  const RECT bounds = view->Find(edit)->BoundsRect;
  POINT origin = view->ClientToScreen(POINT{bounds.left, bounds.top});
  ASSERT_EQ(items[1]->accLocation(&x, &y, &w, &h, Self()), S_OK);
  EXPECT_EQ(x, origin.x);
  EXPECT_EQ(y, origin.y);
  EXPECT_EQ(w, 40);
  EXPECT_EQ(h, 20);
  VARIANT hit;
  EXPECT_EQ(bar->accHitTest(origin.x + 5, origin.y + 5, &hit), S_OK);
  Ref<IAccessible> under = AccOf(hit);
  ASSERT_TRUE(under);
  EXPECT_TRUE(SameObject(under.get(), items[1].get()));
  EXPECT_EQ(items[1]->accHitTest(origin.x + 5, origin.y + 5, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(items[0]->accHitTest(origin.x + 5, origin.y + 5, &hit), S_FALSE);
  EXPECT_EQ(bar->accHitTest(windowRect.left + 200, windowRect.top + 30, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);  // inside, on no item: the view itself
  EXPECT_EQ(hit.lVal, CHILDID_SELF);
  EXPECT_EQ(bar->accHitTest(windowRect.right + 5, windowRect.top, &hit), S_FALSE);

  // Navigation: first and last child of the view, neighbours of an item.
  VARIANT end;
  ASSERT_EQ(bar->accNavigate(NAVDIR_FIRSTCHILD, Self(), &end), S_OK);
  EXPECT_TRUE(SameObject(AccOf(end).get(), items[0].get()));
  ASSERT_EQ(bar->accNavigate(NAVDIR_LASTCHILD, Self(), &end), S_OK);
  EXPECT_TRUE(SameObject(AccOf(end).get(), items[4].get()));
  EXPECT_EQ(bar->accNavigate(NAVDIR_NEXT, Self(), &end), S_FALSE);
  ASSERT_EQ(items[0]->accNavigate(NAVDIR_RIGHT, Self(), &end), S_OK);
  EXPECT_TRUE(SameObject(AccOf(end).get(), items[1].get()));
  ASSERT_EQ(items[2]->accNavigate(NAVDIR_UP, Self(), &end), S_OK);
  EXPECT_TRUE(SameObject(AccOf(end).get(), items[1].get()));
  EXPECT_EQ(items[0]->accNavigate(NAVDIR_PREVIOUS, Self(), &end), S_FALSE);
  EXPECT_EQ(items[0]->accNavigate(NAVDIR_FIRSTCHILD, Self(), &end), S_FALSE);  // no submenu open

  // An item's parent is the view's object; it has no children of its own.
  ASSERT_EQ(items[0]->get_accParent(&dispatch), S_OK);
  EXPECT_TRUE(SameObject(AccOf(dispatch).get(), bar.get()));
  EXPECT_EQ(items[0]->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(items[0]->get_accChild(Child(1), &dispatch), E_INVALIDARG);
  // A value only where the viewer supplies one.
  file->SetHint("opens things");
  EXPECT_EQ(items[0]->get_accValue(Self(), &text), S_OK);
  EXPECT_EQ(Take(text), "opens things");
  EXPECT_EQ(items[1]->get_accValue(Self(), &text), S_FALSE);
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(items[0]->accSelect(SELFLAG_TAKESELECTION, Self()), E_INVALIDARG);
  EXPECT_EQ(items[2]->accSelect(SELFLAG_TAKEFOCUS, Self()), E_FAIL);  // hidden in the chevron

  // Clients must call IAccessible directly.
  UINT typeInfos = 7;
  EXPECT_EQ(bar->GetTypeInfoCount(&typeInfos), E_NOTIMPL);
  EXPECT_EQ(items[0]->GetTypeInfoCount(&typeInfos), E_NOTIMPL);
  DISPID id = 0;
  LPOLESTR member = const_cast<LPOLESTR>(L"accName");
  EXPECT_EQ(items[0]->GetIDsOfNames(IID_NULL, &member, 1, 0, &id), E_NOTIMPL);
  DISPPARAMS none{};
  EXPECT_EQ(bar->Invoke(DISPID_ACC_NAME, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
            E_NOTIMPL);
}

TEST_F(Accessibility, AMenuBarAndItsSubmenuReadLikeMenus) {
  FixedItem* file = Add("&File");
  file->SetStyle(file->ItemStyle() | isSubmenu);
  Add("&Save\tCtrl+S", 80, 20, file);
  Add("E&xit", 80, 20, file);
  FakePopupHost host;
  SetBarPopupHost(&host);
  auto* bar = new TBarView(owner.get(), nullptr, root, window, true, false, false);
  bar->SetStyle(vstMenuBar);
  Show(bar);

  Ref<IAccessible> menuBar = ClientObject();
  ASSERT_TRUE(menuBar);
  const std::string alt = AltKeyName();
  EXPECT_EQ(Role(menuBar.get()), ROLE_SYSTEM_MENUBAR);
  EXPECT_EQ(Shortcut(menuBar.get()), alt);
  Ref<IAccessible> fileAcc = ChildOf(menuBar.get(), 1);
  ASSERT_TRUE(fileAcc);
  EXPECT_EQ(Role(fileAcc.get()), barRoleMenuItem);
  EXPECT_EQ(State(fileAcc.get()), STATE_SYSTEM_HASPOPUP | STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(Shortcut(fileAcc.get()), alt + "+f");
  EXPECT_EQ(DefaultAction(fileAcc.get()), "Open");
  LONG count = -1;
  EXPECT_EQ(fileAcc->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 0);

  // The submenu opens: it is the item's one child, and names itself after it.
  bar->IncludeState(vsTracking);
  bar->SetSelected(bar->Find(file), false);
  ASSERT_TRUE(bar->OpenChildPopup(true));
  EXPECT_EQ(fileAcc->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(DefaultAction(fileAcc.get()), "Close");
  Ref<IAccessible> popup = ChildOf(fileAcc.get(), 1);
  ASSERT_TRUE(popup);
  EXPECT_EQ(Role(popup.get()), ROLE_SYSTEM_MENUPOPUP);
  EXPECT_EQ(Name(popup.get()), "File");
  EXPECT_EQ(Shortcut(popup.get()), "<none>");
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(popup->get_accParent(&dispatch), S_OK);
  EXPECT_TRUE(SameObject(AccOf(dispatch).get(), fileAcc.get()));
  VARIANT end;
  ASSERT_EQ(fileAcc->accNavigate(NAVDIR_FIRSTCHILD, Self(), &end), S_OK);
  EXPECT_TRUE(SameObject(AccOf(end).get(), popup.get()));
  EXPECT_EQ(popup->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 2);
  Ref<IAccessible> save = ChildOf(popup.get(), 1);
  Ref<IAccessible> quit = ChildOf(popup.get(), 2);
  ASSERT_TRUE(save && quit);
  // In a menu the name carries the shortcut text; the accelerator stands alone.
  EXPECT_EQ(Name(save.get()), "Save\tCtrl+S");
  EXPECT_EQ(Role(save.get()), barRoleMenuItem);
  EXPECT_EQ(Shortcut(save.get()), "s");
  EXPECT_EQ(Shortcut(quit.get()), "x");
  // The submenu has no window of its own here, so nothing in it can take the focus.
  EXPECT_EQ(DefaultAction(save.get()), "<none>");
  EXPECT_EQ(save->accDoDefaultAction(Self()), E_FAIL);

  // Closing by the default action ends the menu bar's tracking; the submenu's objects fail.
  EXPECT_EQ(fileAcc->accDoDefaultAction(Self()), S_OK);
  EXPECT_EQ(bar->OpenViewer(), nullptr);
  EXPECT_EQ(bar->DoneAction().Kind, bdaEndTracking);
  EXPECT_EQ(popup->get_accChildCount(&count), E_FAIL);
  BSTR text = nullptr;
  EXPECT_EQ(popup->get_accName(Self(), &text), E_FAIL);
  EXPECT_EQ(save->get_accName(Self(), &text), E_FAIL);
  EXPECT_EQ(save->get_accParent(&dispatch), E_FAIL);
  EXPECT_EQ(fileAcc->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(fileAcc->get_accChild(Child(1), &dispatch), E_INVALIDARG);
}

TEST_F(Accessibility, DefaultActionsAndFocusRunFromTheQueueNotInsideTheCall) {
  FixedItem* alpha = Add("&Alpha");
  FixedItem* beta = Add("&Beta");
  FixedItem* gamma = Add("&Gamma");
  int clicks = 0;
  struct Counter {
    int* count;
    void Clicked(ui::TObject*) { ++*count; }
  } counter{&clicks};
  alpha->OnClick = ui::TNotifyEvent(&counter, &Counter::Clicked);
  auto* view = new TBarView(owner.get(), nullptr, root, window, true, false, false);
  Show(view);
  SetBarModalLoopFactory(&FakeLoop::Make, nullptr);
  FakeLoop::runs = 0;
  Ref<IAccessible> bar = ClientObject();
  ASSERT_TRUE(bar);
  Ref<IAccessible> a = ChildOf(bar.get(), 1);
  Ref<IAccessible> b = ChildOf(bar.get(), 2);
  Ref<IAccessible> c = ChildOf(bar.get(), 3);
  ASSERT_TRUE(a && b && c);
  Activate();
  ASSERT_EQ(GetActiveWindow(), form->Handle());

  // Taking the focus selects at once and enters the toolbar's loop later.
  EXPECT_EQ(b->accSelect(SELFLAG_TAKEFOCUS, Self()), S_OK);
  EXPECT_EQ(view->Selected(), view->Find(beta));
  EXPECT_EQ(FakeLoop::runs, 0);
  ASSERT_TRUE(PumpUntil([] { return FakeLoop::runs == 1; }));
  EXPECT_TRUE(FakeLoop::fromAcc);
  EXPECT_FALSE(FakeLoop::execute);
  EXPECT_EQ(FakeLoop::selected, view->Find(beta));

  // The default action returns at once; the item runs once the notice is handled.
  EXPECT_EQ(a->accDoDefaultAction(Self()), S_OK);
  EXPECT_EQ(FakeLoop::runs, 1);
  EXPECT_EQ(clicks, 0);
  ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
  EXPECT_EQ(FakeLoop::runs, 2);
  EXPECT_TRUE(FakeLoop::execute);
  EXPECT_TRUE(FakeLoop::fromAcc);

  // A notice for an item that went before it was handled does nothing.
  EXPECT_EQ(c->accDoDefaultAction(Self()), S_OK);
  root->Remove(gamma);
  ui::Free(gamma);
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(FakeLoop::runs, 2);
  BSTR text = nullptr;
  EXPECT_EQ(c->get_accName(Self(), &text), E_FAIL);
  EXPECT_EQ(c->accDoDefaultAction(Self()), E_FAIL);

  // A disabled item has no default action; a window that cannot take the focus refuses both.
  beta->SetEnabled(false);
  EXPECT_EQ(b->accDoDefaultAction(Self()), E_FAIL);
  EnableWindow(form->Handle(), FALSE);
  EXPECT_EQ(a->accDoDefaultAction(Self()), E_FAIL);
  EXPECT_EQ(a->accSelect(SELFLAG_TAKEFOCUS, Self()), E_FAIL);
  EXPECT_FALSE(State(a.get()) & STATE_SYSTEM_FOCUSABLE);
  EnableWindow(form->Handle(), TRUE);
  EXPECT_TRUE(State(a.get()) & STATE_SYSTEM_FOCUSABLE);
}

TEST_F(Accessibility, InATrackedPopupTheDefaultActionChoosesTheItemWithoutANewLoop) {
  std::vector<FixedItem*> rows;
  for (int i = 0; i < 8; ++i) rows.push_back(Add("Row &" + std::to_string(i), 80, 20));
  auto* popup = new TBarView(owner.get(), nullptr, root, window, false, false, false);
  popup->SetMaxHeight(100);
  Show(popup);
  SetBarModalLoopFactory(&FakeLoop::Make, nullptr);
  FakeLoop::runs = 0;
  ASSERT_TRUE(popup->ShowDownArrow());
  TBarItemViewer* six = popup->Find(rows[6]);
  ASSERT_TRUE(six->Clipped);
  popup->IncludeState(vsTracking);

  Ref<IAccessible> menu = ClientObject();
  ASSERT_TRUE(menu);
  EXPECT_EQ(Role(menu.get()), ROLE_SYSTEM_MENUPOPUP);
  LONG count = 0;
  EXPECT_EQ(menu->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 8);  // the rows scrolled out of sight count
  Ref<IAccessible> row = ChildOf(menu.get(), 7);
  ASSERT_TRUE(row);
  EXPECT_EQ(Name(row.get()), "Row 6");
  EXPECT_EQ(State(row.get()), STATE_SYSTEM_FOCUSABLE);  // clipped is not invisible
  EXPECT_EQ(DefaultAction(row.get()), "Execute");
  EXPECT_EQ(Shortcut(row.get()), "6");

  // Taking the focus scrolls the row into sight; the popup is already tracking, so no notice.
  EXPECT_EQ(row->accSelect(SELFLAG_TAKEFOCUS, Self()), S_OK);
  EXPECT_EQ(popup->Selected(), six);
  EXPECT_TRUE(six->Show);
  EXPECT_GT(popup->ScrollOffset(), 0);
  EXPECT_EQ(State(row.get()), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_FOCUSED);

  // The default action is recorded as the menu's choice once its notice is handled.
  EXPECT_EQ(row->accDoDefaultAction(Self()), S_OK);
  EXPECT_EQ(popup->DoneAction().Kind, bdaNone);
  ASSERT_TRUE(PumpUntil([&] { return popup->DoneAction().Kind == bdaClickItem; }));
  EXPECT_EQ(popup->DoneAction().ClickItem, rows[6]);
  EXPECT_EQ(FakeLoop::runs, 0);
}

TEST_F(Accessibility, ObjectsOutliveTheirViewsAndThenFail) {
  const int before = BarAccObjectCount();
  Add("One");
  auto* view = new TBarView(owner.get(), nullptr, root, window, true, false, false);
  Show(view);
  Ref<IAccessible> bar = ClientObject();
  ASSERT_TRUE(bar);
  Ref<IAccessible> one = ChildOf(bar.get(), 1);
  ASSERT_TRUE(one);
  EXPECT_EQ(BarAccObjectCount(), before + 2);
  // A viewer's object goes with its last client; the next request makes a new one.
  one.Reset();
  EXPECT_EQ(BarAccObjectCount(), before + 1);
  one = ChildOf(bar.get(), 1);
  ASSERT_TRUE(one);
  EXPECT_EQ(Name(one.get()), "One");
  EXPECT_EQ(BarAccObjectCount(), before + 2);

  window->View = nullptr;
  ui::Free(view);
  LONG count = 0;
  BSTR text = nullptr;
  IDispatch* dispatch = nullptr;
  VARIANT hit;
  LONG x, y, w, h;
  EXPECT_EQ(bar->get_accChildCount(&count), E_FAIL);
  EXPECT_EQ(bar->get_accName(Self(), &text), E_FAIL);
  EXPECT_EQ(bar->get_accParent(&dispatch), E_FAIL);
  EXPECT_EQ(bar->get_accChild(Child(1), &dispatch), E_FAIL);
  EXPECT_EQ(bar->accLocation(&x, &y, &w, &h, Self()), E_FAIL);
  EXPECT_EQ(bar->accHitTest(0, 0, &hit), E_FAIL);
  EXPECT_EQ(one->get_accChildCount(&count), E_FAIL);
  EXPECT_EQ(one->get_accParent(&dispatch), E_FAIL);
  EXPECT_EQ(one->get_accFocus(&hit), E_FAIL);
  EXPECT_EQ(one->accHitTest(0, 0, &hit), E_FAIL);
  // What needs no view still answers.
  UINT infos = 0;
  EXPECT_EQ(one->GetTypeInfoCount(&infos), E_NOTIMPL);
  one.Reset();
  bar.Reset();
  EXPECT_EQ(BarAccObjectCount(), before);
}

TEST_F(Accessibility, ControlItemsAreTheirWindowsStandardObjects) {
  Add("Before");
  auto* edit = new ui::TEdit(owner.get());
  edit->SetParent(window);
  edit->SetBounds(0, 0, 60, 20);
  auto* item = new TBarControlItem(owner.get(), edit);
  item->DontFreeControl = true;
  root->Add(item);
  auto* view = new TBarView(owner.get(), nullptr, root, window, true, false, false);
  Show(view);
  ASSERT_TRUE(view->Find(item)->Show);
  Ref<IAccessible> bar = ClientObject();
  ASSERT_TRUE(bar);
  const int objects = BarAccObjectCount();
  Ref<IAccessible> control = ChildOf(bar.get(), 2);
  ASSERT_TRUE(control);
  EXPECT_EQ(BarAccObjectCount(), objects);  // the system's object, not one of ours
  RECT editRect;
  GetWindowRect(edit->Handle(), &editRect);
  VARIANT hit;
  ASSERT_EQ(bar->accHitTest(editRect.left + 3, editRect.top + 3, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_DISPATCH);
  AccOf(hit);
  EXPECT_EQ(BarAccObjectCount(), objects);
}

// Records the window events of this process.
struct EventLog {
  struct Event {
    DWORD Kind;
    HWND Window;
    LONG Object;
    LONG Child;
  };
  static inline std::vector<Event> seen;
  static void CALLBACK Hook(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    seen.push_back({event, window, object, child});
  }
};

TEST_F(Accessibility, EventsReachTheSystemsHooks) {
  Add("One");
  FixedItem* two = Add("Two");
  FixedItem* three = Add("Three");
  two->SetVisible(false);
  auto* view = new TBarView(owner.get(), nullptr, root, window, true, false, false);
  Show(view);
  EventLog::seen.clear();
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_MENUSTART, EVENT_OBJECT_FOCUS, nullptr, &EventLog::Hook,
                                       GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  const HWND handle = window->Handle();
  NotifyBarWinEvent(EVENT_SYSTEM_MENUSTART, handle, OBJID_CLIENT, CHILDID_SELF);
  NotifyBarWinEvent(EVENT_SYSTEM_MENUPOPUPSTART, handle, OBJID_CLIENT, CHILDID_SELF);
  view->SetSelected(view->Find(three), false);  // not tracking: no focus event
  view->IncludeState(vsTracking);
  view->SetSelected(nullptr, false);
  view->SetSelected(view->Find(three), false);
  NotifyBarWinEvent(EVENT_SYSTEM_MENUPOPUPEND, handle, OBJID_CLIENT, CHILDID_SELF);
  NotifyBarWinEvent(EVENT_SYSTEM_MENUEND, handle, OBJID_CLIENT, CHILDID_SELF);
  const bool arrived = PumpUntil([] { return EventLog::seen.size() >= 5; }, 3000);
  PumpUntil([] { return false; }, 100);
  UnhookWinEvent(hook);
  view->ExcludeState(vsTracking);
  ASSERT_TRUE(arrived) << EventLog::seen.size();
  std::vector<DWORD> kinds;
  for (const EventLog::Event& e : EventLog::seen)
    if (e.Window == handle) kinds.push_back(e.Kind);
  // Deselecting while tracking announces the view itself (child 0).
  EXPECT_EQ(kinds, (std::vector<DWORD>{EVENT_SYSTEM_MENUSTART, EVENT_SYSTEM_MENUPOPUPSTART, EVENT_OBJECT_FOCUS,
                                       EVENT_OBJECT_FOCUS, EVENT_SYSTEM_MENUPOPUPEND, EVENT_SYSTEM_MENUEND}));
  std::vector<LONG> focusChildren;
  for (const EventLog::Event& e : EventLog::seen) {
    if (e.Window != handle) continue;
    EXPECT_EQ(e.Object, OBJID_CLIENT);
    if (e.Kind == EVENT_OBJECT_FOCUS) focusChildren.push_back(e.Child);
  }
  // The hidden item is not counted before the third.
  EXPECT_EQ(focusChildren, (std::vector<LONG>{0, 2}));
}

TEST_F(Accessibility, WithoutTheLibraryNoObjectIsMadeAndViewsWorkAsBefore) {
  FixedItem* alpha = Add("&Alpha");
  SetBarAccLibrary(L"movra_no_such_library.dll");
  auto* view = new TBarView(owner.get(), nullptr, root, window, true, false, false);
  Show(view);
  EXPECT_FALSE(BarAccAvailable());
  EXPECT_EQ(view->AccObject(), nullptr);
  EXPECT_EQ(view->Find(alpha)->AccObject(), nullptr);
  LRESULT result = 0;
  EXPECT_FALSE(AnswerViewObjectRequest(*view, 0, static_cast<LPARAM>(static_cast<DWORD>(OBJID_CLIENT)), result));
  EXPECT_EQ(StandardWindowObject(window->Handle()), nullptr);
  // The window's request is left to the system, which answers with its own client object.
  const int objects = BarAccObjectCount();
  Ref<IAccessible> systems = ClientObject();
  EXPECT_TRUE(systems);
  EXPECT_EQ(BarAccObjectCount(), objects);
  view->SetSelected(view->Find(alpha), false);
  EXPECT_EQ(view->Selected(), view->Find(alpha));

  SetBarAccLibrary(nullptr);
  EXPECT_TRUE(BarAccAvailable());
  EXPECT_NE(view->AccObject(), nullptr);
  EXPECT_NE(view->Find(alpha)->AccObject(), nullptr);
  // Requests for anything but the client object are the window's.
  EXPECT_FALSE(AnswerViewObjectRequest(*view, 0, static_cast<LPARAM>(static_cast<DWORD>(OBJID_WINDOW)), result));
}

}  // namespace
}  // namespace movra::bars
