#include "tests/toolbars/bar_toolbar_test_support.h"

#include "toolbars/bar_modal.h"

namespace movra::bars::test {

namespace {

class TRecorder : public IBarModalLoop {
 public:
  void Loop(TBarView& rootView, bool mousePress, bool executeSelected, bool, bool) override {
    TLoopRecord& r = LoopRecord();
    ++r.Loops;
    r.MousePress = mousePress;
    r.ExecuteSelected = executeSelected;
    r.Selected = rootView.Selected();
    r.SelectedItem = r.Selected ? r.Selected->Item() : nullptr;
    r.AcceleratorsShown = rootView.AcceleratorsShown();
    rootView.EndTracking();
  }
};

std::unique_ptr<IBarModalLoop> MakeRecorder(HWND) { return std::make_unique<TRecorder>(); }
void NoInvalidator() {}

}  // namespace

TBarToolbar* AddFixedToolbar(TBarDock* dock, int count, int row, int pos) {
  auto* bar = new TBarToolbar(dock->Owner());
  for (int i = 0; i < count; ++i) bar->Items()->Add(new FixedItem(nullptr, 23, 22));
  bar->SetDockRow(row);
  bar->SetDockPos(pos);
  bar->SetParent(dock);
  return bar;
}

RECT ClientInWindow(TBarCustomToolbar* bar) {
  RECT wr, cr;
  GetWindowRect(bar->Handle(), &wr);
  GetClientRect(bar->Handle(), &cr);
  MapWindowPoints(bar->Handle(), nullptr, reinterpret_cast<POINT*>(&cr), 2);
  OffsetRect(&cr, -wr.left, -wr.top);
  return cr;
}

void PaintToolbarInto(TBarCustomToolbar* bar, movra::testing::TestPicture& picture, int x, int y) {
  bar->PaintTo(picture.Dc(), x, y);
  GdiFlush();
}

TLoopRecord& LoopRecord() {
  static TLoopRecord record;
  return record;
}

TRecordingLoop::TRecordingLoop() {
  LoopRecord() = TLoopRecord{};
  SetBarModalLoopFactory(&MakeRecorder, &NoInvalidator);
}

TRecordingLoop::~TRecordingLoop() {
  // The real tracking loop again, as the popup unit installs it.
  SetBarModalLoopFactory([](HWND window) -> std::unique_ptr<IBarModalLoop> { return std::make_unique<TBarModalHandler>(window); },
                         &InvalidateTrackedCursorPos);
}

}  // namespace movra::bars::test
