#include "toolbars/bar_acc.h"

#include <string>
#include <utility>
#include <vector>

#include "runtime/text.h"
#include "toolbars/bar_common.h"
#include "toolbars/bar_view.h"

namespace movra::bars {

namespace {

// Spelled out here, so that nothing of the accessibility library is needed at link time.
constexpr GUID kIidUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidAccessible{0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

constexpr UINT kNoOpenFileErrorBox = 0x8000;

// --- Run-time binding ---------------------------------------------------------------------------

struct OleAccBinding {
  bool Searched = false;
  bool Usable = false;
  LPFNLRESULTFROMOBJECT LresultFromObject = nullptr;
  LPFNACCESSIBLEOBJECTFROMWINDOW ObjectFromWindow = nullptr;
};
OleAccBinding oleacc;
std::wstring libraryName = L"oleacc.dll";

bool comTried = false;
bool comStarted = false;

template <class T>
T EntryPoint(HMODULE module, const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void HandleViewerNotice(TBarItemViewer* viewer, bool execute);

IBarAccClient* MakeViewerObject(TBarItemViewer* viewer) { return new TBarItemViewerAccObject(viewer); }

bool Bind() {
  if (oleacc.Searched) return oleacc.Usable;
  oleacc.Searched = true;
  const UINT oldMode = SetErrorMode(kNoOpenFileErrorBox);
  HMODULE module = LoadLibraryW(libraryName.c_str());
  SetErrorMode(oldMode);
  if (module) {
    oleacc.LresultFromObject = EntryPoint<LPFNLRESULTFROMOBJECT>(module, "LresultFromObject");
    oleacc.ObjectFromWindow = EntryPoint<LPFNACCESSIBLEOBJECTFROMWINDOW>(module, "AccessibleObjectFromWindow");
  }
  oleacc.Usable = oleacc.LresultFromObject && oleacc.ObjectFromWindow;
  SetBarViewerAccFactory(oleacc.Usable ? &MakeViewerObject : nullptr);
  if (oleacc.Usable) SetBarViewerNoticeHandler(&HandleViewerNotice);
  return oleacc.Usable;
}

// --- The list of objects ------------------------------------------------------------------------

struct ObjectList {
  CRITICAL_SECTION Lock;
  TBarCustomAccObject* Head = nullptr;  // newest first
  int Count = 0;
  ObjectList() { InitializeCriticalSection(&Lock); }
  // Objects that clients still hold at exit keep the lock usable.
  ~ObjectList() {
    if (Count == 0) DeleteCriticalSection(&Lock);
  }
};

ObjectList& Objects() {
  static ObjectList list;
  return list;
}

class ListLock {
 public:
  ListLock() { EnterCriticalSection(&Objects().Lock); }
  ~ListLock() { LeaveCriticalSection(&Objects().Lock); }
  ListLock(const ListLock&) = delete;
  ListLock& operator=(const ListLock&) = delete;
};

// --- Small helpers ------------------------------------------------------------------------------

template <class F>
HRESULT Guarded(F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT SetText(BSTR* out, const std::string& text) {
  if (text.empty()) return S_FALSE;
  *out = SysAllocString(Utf8ToWide(text).c_str());
  return *out ? S_OK : E_OUTOFMEMORY;
}

void SetInt(VARIANT* out, LONG value) {
  out->vt = VT_I4;
  out->lVal = value;
}

HRESULT SetDispatch(VARIANT* out, IDispatch* object) {
  if (!object) return S_FALSE;
  out->vt = VT_DISPATCH;
  out->pdispVal = object;
  return S_OK;
}

HWND WindowOf(const TBarView& view) {
  ui::TWinControl* window = view.Window();
  return window && window->HandleAllocated() ? window->Handle() : nullptr;
}

bool IsTracking(const TBarView& view) { return (view.State() & vsTracking) != 0; }

bool IsSubmenuPopup(const TBarView& view) { return view.IsPopup() && view.ParentView(); }

TBarItemViewer* NthAccessibleViewer(const TBarView& view, LONG n) {
  if (n < 1) return nullptr;
  for (TBarItemViewer* viewer : view.Viewers())
    if (viewer->IsShown() && --n == 0) return viewer;
  return nullptr;
}

// The window of a control item's windowed control, when it has one.
HWND ControlWindowOf(const TBarItemViewer& viewer) {
  auto* item = dynamic_cast<TBarControlItem*>(viewer.Item());
  auto* control = item ? dynamic_cast<ui::TWinControl*>(item->Control()) : nullptr;
  return control && control->HandleAllocated() ? control->Handle() : nullptr;
}

// A character as UTF-8, in lower case where the system folds it.
std::string LowerCharacter(char32_t ch) {
  std::wstring wide;
  if (ch > 0xFFFF) {
    ch -= 0x10000;
    wide += static_cast<wchar_t>(0xD800 + (ch >> 10));
    wide += static_cast<wchar_t>(0xDC00 + (ch & 0x3FF));
  } else {
    wchar_t buffer[2] = {static_cast<wchar_t>(ch), 0};
    CharLowerW(buffer);
    wide = buffer;
  }
  return WideToUtf8(wide);
}

void ClearOut(BSTR* text) {
  if (text) *text = nullptr;
}
void ClearOut(VARIANT* value) {
  if (value) VariantInit(value);
}
void ClearOut(IDispatch** object) {
  if (object) *object = nullptr;
}
void ClearOut(LONG* value) {
  if (value) *value = 0;
}

// --- Deferred notices ---------------------------------------------------------------------------

// Runs outside the client's call, so that a tracking loop never runs inside it.
void HandleViewerNotice(TBarItemViewer* viewer, bool execute) {
  auto* view = dynamic_cast<TBarView*>(viewer->View());
  if (!view) return;
  if (execute ? !BarViewerDefaultActionPossible(*viewer) : !BarViewCanTakeFocus(*view)) return;
  view->SetSelected(viewer, false);
  view->ScrollSelectedIntoView();
  if (IsTracking(*view)) {
    if (execute) view->ExecuteSelected(false);
  } else if (!view->ParentView() && !GetCapture()) {
    view->EnterToolbarLoop(execute ? tloFromAccessibility | tloExecuteSelected : tloFromAccessibility);
  }
}

}  // namespace

// --- Public functions ---------------------------------------------------------------------------

bool BarAccAvailable() { return Bind(); }

void StartBarAccessibility() {
  if (comTried) return;
  comTried = true;
  comStarted = SUCCEEDED(CoInitialize(nullptr));
}

void StopBarAccessibility() {
  // Each object is held while it is disconnected, so that a client letting go cannot free it
  // under the walk.
  std::vector<TBarCustomAccObject*> alive;
  {
    ListLock lock;
    for (TBarCustomAccObject* object = Objects().Head; object; object = object->next_) {
      object->AddRef();
      alive.push_back(object);
    }
  }
  for (TBarCustomAccObject* object : alive) CoDisconnectObject(static_cast<IAccessible*>(object), 0);
  for (TBarCustomAccObject* object : alive) object->Release();
  if (comStarted) CoUninitialize();
  comTried = comStarted = false;
}

void SetBarAccLibrary(const wchar_t* name) {
  libraryName = name ? name : L"oleacc.dll";
  oleacc = OleAccBinding{};
  SetBarViewerAccFactory(nullptr);
}

int BarAccObjectCount() {
  ListLock lock;
  return Objects().Count;
}

bool BarAccLresultFromObject(WPARAM wparam, IAccessible* object, LRESULT& result) {
  if (!object || !Bind()) return false;
  result = oleacc.LresultFromObject(kIidAccessible, wparam, object);
  return true;
}

IDispatch* StandardWindowObject(HWND window) {
  if (!window || !Bind()) return nullptr;
  void* object = nullptr;
  if (oleacc.ObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), kIidDispatch, &object) != 0) {
    if (object) static_cast<IDispatch*>(object)->Release();
    return nullptr;
  }
  return static_cast<IDispatch*>(object);
}

std::string AltKeyName() {
  const UINT scan = MapVirtualKeyW(VK_MENU, 0);
  if (scan != 0) {
    wchar_t buffer[256] = {};
    const int length = GetKeyNameTextW(static_cast<LONG>(scan << 16), buffer, 256);
    if (length > 0) return WideToUtf8(std::wstring_view(buffer, static_cast<size_t>(length)));
  }
  return "Alt";
}

IDispatch* ViewerAccReference(TBarItemViewer* viewer) {
  if (!viewer || !Bind()) return nullptr;
  auto* object = dynamic_cast<TBarItemViewerAccObject*>(viewer->AccObject());
  return object ? object->NewReference() : nullptr;
}

IDispatch* ViewAccReference(TBarView* view) {
  TBarViewAccObject* object = view ? view->AccObject() : nullptr;
  return object ? object->NewReference() : nullptr;
}

bool BarViewCanTakeFocus(const TBarView& view) {
  HWND window = WindowOf(view);
  if (!window || !IsWindowVisible(window)) return false;
  const HWND desktop = GetDesktopWindow();
  for (HWND w = window; w && w != desktop; w = GetAncestor(w, GA_PARENT))
    if (!IsWindowEnabled(w)) return false;
  if (IsTracking(view)) return true;
  HWND active = GetActiveWindow();
  return active && (active == window || IsChild(active, window));
}

bool BarViewerDefaultActionPossible(TBarItemViewer& viewer) {
  auto* view = dynamic_cast<TBarView*>(viewer.View());
  TBarCustomItem* item = viewer.Item();
  return view && viewer.IsShown() && item->Enabled() && (item->ItemStyle() & isSelectable) &&
         BarViewCanTakeFocus(*view);
}

LONG BarViewerAccState(TBarItemViewer& viewer) {
  LONG state = 0;
  auto* view = dynamic_cast<TBarView*>(viewer.View());
  TBarCustomItem* item = viewer.Item();
  const bool placed = viewer.Show || viewer.Clipped;
  if (view && view->Selected() == &viewer) {
    state |= STATE_SYSTEM_HOTTRACKED;
    if (IsTracking(*view)) state |= STATE_SYSTEM_FOCUSED;
    if (view->MouseOverSelected() && view->Capture()) state |= STATE_SYSTEM_PRESSED;
  }
  if (item->ItemStyle() & isSubmenu) state |= STATE_SYSTEM_HASPOPUP;
  if (placed && view && BarViewCanTakeFocus(*view)) state |= STATE_SYSTEM_FOCUSABLE;
  if (!placed) state |= STATE_SYSTEM_INVISIBLE;
  if (!item->Enabled() || !(item->ItemStyle() & isSelectable)) state |= STATE_SYSTEM_UNAVAILABLE;
  if (item->Checked()) state |= STATE_SYSTEM_CHECKED;
  return state;
}

// --- TBarBaseAccObject --------------------------------------------------------------------------

HRESULT TBarBaseAccObject::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, kIidUnknown) || IsEqualIID(iid, kIidDispatch) || IsEqualIID(iid, kIidAccessible)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG TBarBaseAccObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG TBarBaseAccObject::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) {
    LastReferenceGone();
    delete this;
  }
  return static_cast<ULONG>(left);
}

HRESULT TBarBaseAccObject::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return E_NOTIMPL;
}
HRESULT TBarBaseAccObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}
HRESULT TBarBaseAccObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT TBarBaseAccObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

IDispatch* TBarBaseAccObject::NewReference() {
  AddRef();
  return static_cast<IAccessible*>(this);
}

// --- TBarCustomAccObject ------------------------------------------------------------------------

TBarCustomAccObject::TBarCustomAccObject() {
  ListLock lock;
  next_ = Objects().Head;
  if (next_) next_->prev_ = this;
  Objects().Head = this;
  ++Objects().Count;
}

TBarCustomAccObject::~TBarCustomAccObject() {
  ListLock lock;
  if (prev_)
    prev_->next_ = next_;
  else
    Objects().Head = next_;
  if (next_) next_->prev_ = prev_;
  --Objects().Count;
}

HRESULT TBarCustomAccObject::Check(const VARIANT& child) const {
  if (!HasClient()) return E_FAIL;
  if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return E_INVALIDARG;
  return S_OK;
}

HRESULT TBarCustomAccObject::Nothing(const VARIANT& child) const {
  const HRESULT check = Check(child);
  return check != S_OK ? check : S_FALSE;
}

HRESULT TBarCustomAccObject::NoText(const VARIANT& child, BSTR* text) const {
  ClearOut(text);
  return text ? Nothing(child) : E_POINTER;
}

HRESULT TBarCustomAccObject::get_accDescription(VARIANT child, BSTR* description) { return NoText(child, description); }

HRESULT TBarCustomAccObject::get_accHelp(VARIANT child, BSTR* help) { return NoText(child, help); }

HRESULT TBarCustomAccObject::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
  ClearOut(file);
  ClearOut(topic);
  return file && topic ? Nothing(child) : E_POINTER;
}

HRESULT TBarCustomAccObject::get_accSelection(VARIANT* children) {
  ClearOut(children);
  return children ? S_FALSE : E_POINTER;
}

HRESULT TBarCustomAccObject::put_accName(VARIANT child, BSTR) { return Nothing(child); }

HRESULT TBarCustomAccObject::put_accValue(VARIANT child, BSTR) { return Nothing(child); }

// --- TBarViewAccObject --------------------------------------------------------------------------

HRESULT TBarViewAccObject::get_accParent(IDispatch** parent) {
  ClearOut(parent);
  if (!parent) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (!view_) return E_FAIL;
    TBarView* parentView = view_->ParentView();
    if (IsSubmenuPopup(*view_) && parentView->OpenViewer())
      if ((*parent = ViewerAccReference(parentView->OpenViewer()))) return S_OK;
    *parent = StandardWindowObject(WindowOf(*view_));
    return *parent ? S_OK : E_FAIL;
  });
}

HRESULT TBarViewAccObject::get_accChildCount(LONG* count) {
  ClearOut(count);
  if (!count) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (!view_) return E_FAIL;
    view_->ValidatePositions();
    for (TBarItemViewer* viewer : view_->Viewers())
      if (viewer->IsShown()) ++*count;
    return S_OK;
  });
}

HRESULT TBarViewAccObject::get_accChild(VARIANT child, IDispatch** object) {
  ClearOut(object);
  if (!object) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (!view_) return E_FAIL;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) {
      *object = NewReference();
      return S_OK;
    }
    view_->ValidatePositions();
    TBarItemViewer* viewer = NthAccessibleViewer(*view_, child.lVal);
    if (!viewer) return E_INVALIDARG;
    if (HWND control = ControlWindowOf(*viewer)) {
      *object = StandardWindowObject(control);
      return *object ? S_OK : E_UNEXPECTED;
    }
    *object = ViewerAccReference(viewer);
    return *object ? S_OK : E_UNEXPECTED;
  });
}

HRESULT TBarViewAccObject::get_accName(VARIANT child, BSTR* name) {
  ClearOut(name);
  if (!name) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(child); check != S_OK) return check;
    std::string text;
    if (IsSubmenuPopup(*view_))
      if (TBarItemViewer* opener = view_->ParentView()->OpenViewer())
        text = RemoveAmpersandMarkers(opener->GetCaptionText());
    if (text.empty())
      if (HWND window = WindowOf(*view_)) {
        std::wstring buffer(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
        buffer.resize(static_cast<size_t>(GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()))));
        text = WideToUtf8(buffer);
      }
    return SetText(name, text);
  });
}

HRESULT TBarViewAccObject::get_accValue(VARIANT child, BSTR* value) { return NoText(child, value); }

HRESULT TBarViewAccObject::get_accRole(VARIANT child, VARIANT* role) {
  ClearOut(role);
  if (!role) return E_POINTER;
  if (HRESULT check = Check(child); check != S_OK) return check;
  SetInt(role, view_->IsPopup() ? ROLE_SYSTEM_MENUPOPUP : view_->IsMenuBar() ? ROLE_SYSTEM_MENUBAR : ROLE_SYSTEM_TOOLBAR);
  return S_OK;
}

HRESULT TBarViewAccObject::get_accState(VARIANT child, VARIANT* state) {
  ClearOut(state);
  if (!state) return E_POINTER;
  if (HRESULT check = Check(child); check != S_OK) return check;
  SetInt(state, 0);
  return S_OK;
}

HRESULT TBarViewAccObject::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  ClearOut(shortcut);
  if (!shortcut) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(child); check != S_OK) return check;
    return view_->IsMenuBar() ? SetText(shortcut, AltKeyName()) : S_FALSE;
  });
}

HRESULT TBarViewAccObject::get_accFocus(VARIANT* child) {
  ClearOut(child);
  return child ? S_FALSE : E_POINTER;
}

HRESULT TBarViewAccObject::get_accDefaultAction(VARIANT child, BSTR* action) { return NoText(child, action); }

HRESULT TBarViewAccObject::accSelect(LONG, VARIANT child) {
  const HRESULT check = Check(child);
  return check != S_OK ? check : DISP_E_MEMBERNOTFOUND;
}

HRESULT TBarViewAccObject::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
  ClearOut(left);
  ClearOut(top);
  ClearOut(width);
  ClearOut(height);
  if (!left || !top || !width || !height) return E_POINTER;
  if (HRESULT check = Check(child); check != S_OK) return check;
  HWND window = WindowOf(*view_);
  RECT r{};
  if (!window || !GetWindowRect(window, &r)) return E_FAIL;
  *left = r.left;
  *top = r.top;
  *width = r.right - r.left;
  *height = r.bottom - r.top;
  return S_OK;
}

HRESULT TBarViewAccObject::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  ClearOut(end);
  if (!end) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(start); check != S_OK) return check;
    if (direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD) return S_FALSE;
    view_->ValidatePositions();
    TBarItemViewer* found = nullptr;
    for (TBarItemViewer* viewer : view_->Viewers())
      if (viewer->IsShown()) {
        found = viewer;
        if (direction == NAVDIR_FIRSTCHILD) break;
      }
    return found ? SetDispatch(end, ViewerAccReference(found)) : S_FALSE;
  });
}

HRESULT TBarViewAccObject::accHitTest(LONG x, LONG y, VARIANT* child) {
  ClearOut(child);
  if (!child) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (!view_) return E_FAIL;
    HWND window = WindowOf(*view_);
    RECT r{};
    const POINT screen{x, y};
    if (!window || !GetWindowRect(window, &r) || !PtInRect(&r, screen)) return S_FALSE;
    POINT client = screen;
    ScreenToClient(window, &client);
    HWND under = ChildWindowFromPointEx(window, client, CWP_SKIPINVISIBLE);
    if (under && under != window) {
      IDispatch* object = StandardWindowObject(under);
      return object ? SetDispatch(child, object) : E_UNEXPECTED;
    }
    if (TBarItemViewer* viewer = view_->ViewerFromPoint(view_->ScreenToClient(screen)))
      if (IDispatch* object = ViewerAccReference(viewer)) return SetDispatch(child, object);
    SetInt(child, CHILDID_SELF);
    return S_OK;
  });
}

HRESULT TBarViewAccObject::accDoDefaultAction(VARIANT child) { return Nothing(child); }

// --- TBarItemViewerAccObject --------------------------------------------------------------------

void TBarItemViewerAccObject::DetachClient() {
  viewer_ = nullptr;
  // Made on request but never handed to a client: nobody else would free it.
  if (References() == 0) delete this;
}

void TBarItemViewerAccObject::LastReferenceGone() {
  if (viewer_) viewer_->ForgetAccObject(this);
}

TBarView* TBarItemViewerAccObject::ViewOf() const {
  return viewer_ ? dynamic_cast<TBarView*>(viewer_->View()) : nullptr;
}

HRESULT TBarItemViewerAccObject::get_accParent(IDispatch** parent) {
  ClearOut(parent);
  if (!parent) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    TBarView* view = ViewOf();
    if (!view) return E_FAIL;
    *parent = ViewAccReference(view);
    return *parent ? S_OK : E_FAIL;
  });
}

HRESULT TBarItemViewerAccObject::get_accChildCount(LONG* count) {
  ClearOut(count);
  if (!count) return E_POINTER;
  TBarView* view = ViewOf();
  if (!view) return E_FAIL;
  *count = view->OpenViewer() == viewer_ ? 1 : 0;
  return S_OK;
}

HRESULT TBarItemViewerAccObject::get_accChild(VARIANT child, IDispatch** object) {
  ClearOut(object);
  if (!object) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    TBarView* view = ViewOf();
    if (!view) return E_FAIL;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) {
      *object = NewReference();
      return S_OK;
    }
    // Only this viewer's own submenu is its child.
    if (child.lVal == 1 && view->OpenViewer() == viewer_ && view->OpenViewerView())
      if ((*object = ViewAccReference(view->OpenViewerView()))) return S_OK;
    return E_INVALIDARG;
  });
}

HRESULT TBarItemViewerAccObject::get_accName(VARIANT child, BSTR* name) {
  ClearOut(name);
  if (!name) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(child); check != S_OK) return check;
    std::string text = RemoveAmpersandMarkers(viewer_->GetCaptionText());
    if (!viewer_->UsesToolbarStyle()) {
      const std::string shortcut = viewer_->Item()->ShortCutDisplayText();
      if (!shortcut.empty()) text += "\t" + shortcut;
    }
    return SetText(name, text);
  });
}

HRESULT TBarItemViewerAccObject::get_accValue(VARIANT child, BSTR* value) {
  ClearOut(value);
  if (!value) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(child); check != S_OK) return check;
    std::string text;
    if (!viewer_->AccessibleValue(text)) return S_FALSE;
    *value = SysAllocString(Utf8ToWide(text).c_str());
    return *value ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT TBarItemViewerAccObject::get_accRole(VARIANT child, VARIANT* role) {
  ClearOut(role);
  if (!role) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(child); check != S_OK) return check;
    SetInt(role, viewer_->AccessibleRole());
    return S_OK;
  });
}

HRESULT TBarItemViewerAccObject::get_accState(VARIANT child, VARIANT* state) {
  ClearOut(state);
  if (!state) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(child); check != S_OK) return check;
    SetInt(state, BarViewerAccState(*viewer_));
    return S_OK;
  });
}

HRESULT TBarItemViewerAccObject::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  ClearOut(shortcut);
  if (!shortcut) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(child); check != S_OK) return check;
    if (!viewer_->CaptionShown()) return S_FALSE;
    const char32_t accelerator = AcceleratorOfCaption(viewer_->GetCaptionText());
    if (accelerator == 0) return S_FALSE;
    const std::string key = LowerCharacter(accelerator);
    return SetText(shortcut, ViewOf()->IsPopup() ? key : AltKeyName() + "+" + key);
  });
}

HRESULT TBarItemViewerAccObject::get_accFocus(VARIANT* child) {
  ClearOut(child);
  if (!child) return E_POINTER;
  TBarView* view = ViewOf();
  if (!view) return E_FAIL;
  if (!IsTracking(*view) || view->Selected() != viewer_) return S_FALSE;
  SetInt(child, CHILDID_SELF);
  return S_OK;
}

HRESULT TBarItemViewerAccObject::get_accDefaultAction(VARIANT child, BSTR* action) {
  ClearOut(action);
  if (!action) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(child); check != S_OK) return check;
    if (!BarViewerDefaultActionPossible(*viewer_)) return S_FALSE;
    TBarView* view = ViewOf();
    const char* text = "Press";
    if (view->OpenViewer() == viewer_)
      text = "Close";
    else if (viewer_->Item()->ItemStyle() & isSubmenu)
      text = "Open";
    else if (view->IsPopup() || view->IsMenuBar())
      text = "Execute";
    return SetText(action, text);
  });
}

HRESULT TBarItemViewerAccObject::accSelect(LONG flags, VARIANT child) {
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(child); check != S_OK) return check;
    if (flags != SELFLAG_TAKEFOCUS) return E_INVALIDARG;
    TBarView* view = ViewOf();
    TBarItemViewer* viewer = viewer_;
    if (!BarViewCanTakeFocus(*view) || !(viewer->Show || viewer->Clipped)) return E_FAIL;
    view->SetSelected(viewer, false);
    view->ScrollSelectedIntoView();
    if (!IsTracking(*view) && !view->ParentView()) viewer->QueueAccessibilityNotice(false);
    return S_OK;
  });
}

HRESULT TBarItemViewerAccObject::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
  ClearOut(left);
  ClearOut(top);
  ClearOut(width);
  ClearOut(height);
  if (!left || !top || !width || !height) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(child); check != S_OK) return check;
    const RECT& bounds = viewer_->BoundsRect;
    const POINT origin = ViewOf()->ClientToScreen(POINT{bounds.left, bounds.top});
    *left = origin.x;
    *top = origin.y;
    *width = bounds.right - bounds.left;
    *height = bounds.bottom - bounds.top;
    return S_OK;
  });
}

HRESULT TBarItemViewerAccObject::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  ClearOut(end);
  if (!end) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(start); check != S_OK) return check;
    TBarView* view = ViewOf();
    switch (direction) {
      case NAVDIR_FIRSTCHILD:
      case NAVDIR_LASTCHILD:
        // Only this viewer's own submenu is its child.
        if (view->OpenViewer() != viewer_ || !view->OpenViewerView()) return S_FALSE;
        return SetDispatch(end, ViewAccReference(view->OpenViewerView()));
      case NAVDIR_UP:
      case NAVDIR_LEFT:
      case NAVDIR_PREVIOUS:
      case NAVDIR_DOWN:
      case NAVDIR_RIGHT:
      case NAVDIR_NEXT: {
        const int index = view->IndexOf(viewer_);
        if (index < 0) return S_FALSE;
        const bool forward = direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT || direction == NAVDIR_NEXT;
        const int step = forward ? 1 : -1;
        for (int i = index + step; i >= 0 && i < view->ViewerCount(); i += step)
          if (TBarItemViewer* other = view->ViewerAt(i); other->IsShown())
            return SetDispatch(end, ViewerAccReference(other));
        return S_FALSE;
      }
      default:
        return S_FALSE;
    }
  });
}

HRESULT TBarItemViewerAccObject::accHitTest(LONG x, LONG y, VARIANT* child) {
  ClearOut(child);
  if (!child) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    TBarView* view = ViewOf();
    if (!view) return E_FAIL;
    const POINT client = view->ScreenToClient(POINT{x, y});
    if (!PtInRect(&viewer_->BoundsRect, client)) return S_FALSE;
    SetInt(child, CHILDID_SELF);
    return S_OK;
  });
}

HRESULT TBarItemViewerAccObject::accDoDefaultAction(VARIANT child) {
  return Guarded([&]() -> HRESULT {
    if (HRESULT check = Check(child); check != S_OK) return check;
    if (!BarViewerDefaultActionPossible(*viewer_)) return E_FAIL;
    TBarView* view = ViewOf();
    TBarItemViewer* viewer = viewer_;
    if (view->OpenViewer() == viewer) {
      view->CloseChildPopups();
      if (IsTracking(*view) && !view->IsPopup()) view->EndTracking();
      return S_OK;
    }
    view->SetSelected(viewer, false);
    view->ScrollSelectedIntoView();
    viewer->QueueAccessibilityNotice(true);
    return S_OK;
  });
}

}  // namespace movra::bars
