#pragma once
// Accessibility of views and item viewers: COM objects that answer assistive tools about the
// items the framework draws itself, the events the framework announces, and the run-time binding
// of the accessibility library. Without the library no object is made and the framework works as
// before; without the user32 entry point no event is sent.
//
// A view's window answers WM_GETOBJECT through AnswerViewObjectRequest (bar_view.h); the events
// go through NotifyBarWinEvent (bar_common.h).
#include <windows.h>
#include <oleacc.h>

#include <string>

#include "toolbars/bar_viewer.h"

namespace movra::bars {

class TBarView;

// --- The library ------------------------------------------------------------------------------

// Whether the accessibility library and both its entry points were found; looked for once, on
// the first call.
bool BarAccAvailable();
// Initialises COM on the calling (main) thread; the program calls it once at start-up.
void StartBarAccessibility();
// Disconnects every object still alive from its clients and undoes StartBarAccessibility.
void StopBarAccessibility();
// Test seam: the library to load in place of the system's, looked for again on the next request
// (nullptr restores the system's). A name that does not exist stands for a system without it.
void SetBarAccLibrary(const wchar_t* name);
// The number of objects alive in the process.
int BarAccObjectCount();
// LresultFromObject for IAccessible: false when the library is missing.
bool BarAccLresultFromObject(WPARAM wparam, IAccessible* object, LRESULT& result);
// The standard object the system makes for a window (OBJID_WINDOW), or nullptr.
IDispatch* StandardWindowObject(HWND window);
// The name of the Alt key on this keyboard, or "Alt".
std::string AltKeyName();

// --- Objects ----------------------------------------------------------------------------------

// An object that answers the IAccessible operations; its IDispatch operations are not
// implemented, so clients call IAccessible directly. Reference counted; created with no
// reference.
class TBarBaseAccObject : public IAccessible, public IBarAccClient {
 public:
  TBarBaseAccObject() = default;
  TBarBaseAccObject(const TBarBaseAccObject&) = delete;
  TBarBaseAccObject& operator=(const TBarBaseAccObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

  // The object as a client sees it, with one more reference.
  IDispatch* NewReference();
  LONG References() const { return references_; }

 protected:
  virtual ~TBarBaseAccObject() = default;
  // Called when the last reference goes, before the object is freed.
  virtual void LastReferenceGone() {}

 private:
  LONG references_ = 0;
};

// Every instance is kept in one process-wide list while it exists.
class TBarCustomAccObject : public TBarBaseAccObject {
 public:
  TBarCustomAccObject();

  // What neither kind of object describes.
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 protected:
  ~TBarCustomAccObject() override;
  // Whether the object still describes its view or viewer.
  virtual bool HasClient() const = 0;
  // E_FAIL once detached, E_INVALIDARG for any child but the object itself, else S_OK.
  HRESULT Check(const VARIANT& child) const;
  // The answer of an operation that has nothing to say: S_FALSE once the child is valid.
  HRESULT Nothing(const VARIANT& child) const;
  HRESULT NoText(const VARIANT& child, BSTR* text) const;

 private:
  friend void StopBarAccessibility();
  friend int BarAccObjectCount();
  TBarCustomAccObject* prev_ = nullptr;
  TBarCustomAccObject* next_ = nullptr;
};

class TBarViewAccObject : public TBarCustomAccObject {
 public:
  explicit TBarViewAccObject(TBarView* view) : view_(view) {}
  TBarView* View() const { return view_; }
  void DetachClient() override { view_ = nullptr; }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;

 protected:
  bool HasClient() const override { return view_ != nullptr; }

 private:
  TBarView* view_;
};

class TBarItemViewerAccObject : public TBarCustomAccObject {
 public:
  explicit TBarItemViewerAccObject(TBarItemViewer* viewer) : viewer_(viewer) {}
  TBarItemViewer* Viewer() const { return viewer_; }
  // The viewer goes first: the object forgets it, and goes too when no client holds it.
  void DetachClient() override;

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;

 protected:
  void LastReferenceGone() override;
  bool HasClient() const override { return ViewOf() != nullptr; }

 private:
  // The viewer's view, or nullptr once detached.
  TBarView* ViewOf() const;
  TBarItemViewer* viewer_;
};

// The object that describes a viewer (made on demand), with one more reference; nullptr without
// the library.
IDispatch* ViewerAccReference(TBarItemViewer* viewer);
// The same for a view.
IDispatch* ViewAccReference(TBarView* view);

// The rules the objects and the deferred notices share.
// The view's window is visible and enabled with its parents, and either the view is tracking or
// its window is the active window or inside it.
bool BarViewCanTakeFocus(const TBarView& view);
// The viewer is accessible, its item enabled and selectable, and its window can take focus.
bool BarViewerDefaultActionPossible(TBarItemViewer& viewer);
// The combined STATE_SYSTEM_* flags of a viewer.
LONG BarViewerAccState(TBarItemViewer& viewer);

}  // namespace movra::bars
