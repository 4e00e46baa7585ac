#pragma once
// Items and controls of fixed sizes for toolbar tests, toolbars built from them, a modal loop
// that records how it was entered, and pictures of a toolbar.
#include <windows.h>

#include <memory>
#include <vector>

#include "support.h"
#include "tests/toolbars/bar_fixed_items.h"
#include "toolbars/bar_toolbar.h"

namespace movra::bars::test {

// A plain windowed control of a fixed size.
class TFixedControl : public movra::ui::TCustomControl {
 public:
  TFixedControl(movra::ui::TComponent* owner, int width, int height) : TCustomControl(owner) {
    SetBounds(0, 0, width, height);
  }
};

// A toolbar with `count` items of 23 x 22 docked at `row`, `pos`.
TBarToolbar* AddFixedToolbar(TBarDock* dock, int count, int row, int pos);

// The toolbar, frame and child controls included, painted into a picture at (x, y).
void PaintToolbarInto(TBarCustomToolbar* bar, movra::testing::TestPicture& picture, int x = 0, int y = 0);
// The client area in window coordinates.
RECT ClientInWindow(TBarCustomToolbar* bar);

// Stands in for the menu-tracking loop: records what it was asked and ends at once.
struct TLoopRecord {
  int Loops = 0;
  bool MousePress = false, ExecuteSelected = false;
  TBarItemViewer* Selected = nullptr;
  TBarCustomItem* SelectedItem = nullptr;
  bool AcceleratorsShown = false;
};
TLoopRecord& LoopRecord();
// Installs the recording loop for the lifetime of the object; the real loop afterwards.
struct TRecordingLoop {
  TRecordingLoop();
  ~TRecordingLoop();
};

}  // namespace movra::bars::test
