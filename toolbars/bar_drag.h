#pragma once
// Moving a dockable window with the mouse between docks and floating places, and sizing a
// floating one at its edges: the rules the loops decide by.
#include <windows.h>

#include <vector>

namespace movra::bars {

// A row thickness in a target record's list: the thickness in the low 16 bits, this bit set
// when the row holds a full-size bar.
inline constexpr int RowHasFullSizeBar = 0x10000;

struct TBarRowPick {
  int Row = 0;
  bool NewRowBefore = false;
};

// The row a window dropped with its centre at `centre` across the dock goes to: the upper
// quarter of a row starts a new row before it, the middle half joins it, the lower quarter
// starts a new row before the next; a full-size window or row splits at the half. Past all rows:
// a new row after the last.
TBarRowPick PickDockRow(int centre, const std::vector<int>& rowThicknesses, bool windowFullSize);

// Where a window of `size` goes when the cursor is at `cursor`, keeping the grab point's
// proportion; `reference` is the grabbed rectangle's width - 1 and height - 1.
RECT PlaceAtGrab(POINT cursor, SIZE size, POINT grab, SIZE reference);

// Whether the cursor lies in a dock's docking zone: `dockRect` is the dock's window rectangle,
// the zone reaches 25 pixels beyond it on the sides the window is grabbed from.
bool InDockingZone(POINT cursor, const RECT& dockRect, bool sideDock, POINT grab, SIZE reference,
                   const RECT& targetRect);

// A floating target kept on the work area: at least `border` + 4 pixels of it stay inside on
// each side, and its top is not above the work area's top minus `topNonClient` + 4.
RECT KeepFloatingTargetOnArea(RECT target, const RECT& area, int border, int topNonClient);

// The sizing loop's new rectangle for `edge` (0 left, 1 right, 2 top, 3 top-left, 4 top-right,
// 5 bottom, 6 bottom-left, 7 bottom-right) moved by `delta`; sizes outside the limits give way
// at the dragged edge. A maximum of 0 means none.
RECT SizedRect(const RECT& start, int edge, POINT delta, SIZE minimum, SIZE maximum);

}  // namespace movra::bars
