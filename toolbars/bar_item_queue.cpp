// Deferred calls of the item unit: clicks and accessibility notices posted to a hidden window
// of the thread, run once the current message has been handled.
#include <vector>

#include "runtime/ui/controls.h"
#include "runtime/ui/forms.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_viewer.h"

namespace movra::bars {

namespace {

constexpr UINT WM_BAR_DEFERRED = 0x500;

enum class SlotKind { Empty, Item, Viewer, Dead };
struct Slot {
  SlotKind Kind = SlotKind::Empty;
  void* Target = nullptr;
};

struct ThreadQueue {
  HWND Window = nullptr;
  std::vector<Slot> Slots;
  int Live = 0;
};

thread_local ThreadQueue queue;
TBarViewerNoticeHandler noticeHandler = nullptr;

void FreeQueueWindow() {
  HWND window = queue.Window;
  queue.Window = nullptr;
  queue.Slots.clear();
  queue.Slots.shrink_to_fit();
  if (window) DestroyWindow(window);
}

// Frees the window of the thread that ends; every thread has its own.
struct QueueFinaliser {
  ~QueueFinaliser() { FreeQueueWindow(); }
};
thread_local QueueFinaliser finaliser;

LRESULT CALLBACK QueueWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg != WM_BAR_DEFERRED) return DefWindowProcW(window, msg, wparam, lparam);
  // A message from before the list was last freed may name a slot that no longer exists.
  if (lparam < 0 || static_cast<size_t>(lparam) >= queue.Slots.size()) return 0;
  Slot slot = queue.Slots[static_cast<size_t>(lparam)];
  queue.Slots[static_cast<size_t>(lparam)] = Slot{};
  while (!queue.Slots.empty() && queue.Slots.back().Kind == SlotKind::Empty) queue.Slots.pop_back();
  try {
    if (slot.Kind == SlotKind::Item)
      static_cast<TBarCustomItem*>(slot.Target)->Click();
    else if (slot.Kind == SlotKind::Viewer && noticeHandler)
      noticeHandler(static_cast<TBarItemViewer*>(slot.Target), wparam != 0);
  } catch (...) {
    try {
      ui::Application().HandleException(nullptr);
    } catch (...) {
    }
  }
  return 0;
}

void Post(SlotKind kind, void* target, bool flag) {
  if (!target) return;
  (void)finaliser;
  if (!queue.Window) {
    queue.Window = ui::CreateMessageWindow(L"MovraBarDeferredCalls", QueueWndProc);
    if (!queue.Window) return;
  }
  // Only an empty slot is taken again: a dead one still has its message on the way.
  size_t index = 0;
  while (index < queue.Slots.size() && queue.Slots[index].Kind != SlotKind::Empty) ++index;
  if (index == queue.Slots.size()) queue.Slots.emplace_back();
  queue.Slots[index] = Slot{kind, target};
  if (!PostMessageW(queue.Window, WM_BAR_DEFERRED, flag ? 1 : 0, static_cast<LPARAM>(index))) queue.Slots[index] = Slot{};
}

}  // namespace

void QueueClick(TBarCustomItem* item) { Post(SlotKind::Item, item, false); }
void QueueViewerNotice(TBarItemViewer* viewer, bool flag) { Post(SlotKind::Viewer, viewer, flag); }
void SetBarViewerNoticeHandler(TBarViewerNoticeHandler handler) { noticeHandler = handler; }

void BarObjectCreated() { ++queue.Live; }

void MarkDeferredCallsDead(const void* target) {
  for (Slot& slot : queue.Slots)
    if ((slot.Kind == SlotKind::Item || slot.Kind == SlotKind::Viewer) && slot.Target == target)
      slot = Slot{SlotKind::Dead, nullptr};
}

void BarObjectDestroyed(const void* target) {
  MarkDeferredCallsDead(target);
  if (--queue.Live <= 0) {
    queue.Live = 0;
    FreeQueueWindow();
  }
}

int BarLiveObjectCount() { return queue.Live; }

}  // namespace movra::bars
