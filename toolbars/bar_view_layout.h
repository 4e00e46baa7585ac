#pragma once
// The arithmetic of a view's layout: lines with wrapping, separator line breaks, right
// alignment, same-width items, the chevron and popup scrolling. It works on one record per
// viewer, already measured, so that the view (bar_view.h) only gathers sizes and commits the
// result, and the rules can be checked with plain numbers.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace movra::bars {

// How a view lays its viewers out.
enum TBarViewOrientation : uint8_t { bvoHorizontal = 0, bvoVertical = 1, bvoFloating = 2 };

// Height of a popup's scroll arrow band; a viewer reaching into it is clipped.
inline constexpr int kScrollArrowHeight = 19;
// Thickness across the lines of a separator that became a line break.
inline constexpr int kLineBreakThickness = 6;
// The smallest content a view reports.
inline constexpr int kEmptyViewWidth = 23;
inline constexpr int kEmptyViewHeight = 22;

// One viewer as the layout sees it.
struct TBarLayoutEntry {
  // Inputs. Show: the viewer takes part (the view's visibility rules already applied).
  bool Show = false;
  bool Separator = false;     // the item's style has isSeparator
  bool Control = false;       // a control item (counts as a non-separator)
  bool NoLineBreak = false;   // isNoLineBreak
  bool RightAligned = false;  // isRightAligned
  bool Stretch = false;       // isStretch
  bool ToolbarSized = false;  // laid out along the line rather than stacked as a menu row
  bool SameWidth = false;     // takes the width of the widest same-width viewer
  int Width = 0;
  int Height = 0;
  // Outputs.
  RECT Bounds{};
  bool HiddenByChevron = false;
  bool LineBreak = false;
  bool Clipped = false;
};

struct TBarLayoutParams {
  TBarViewOrientation Orientation = bvoHorizontal;
  bool IsToolbar = true;
  bool ChevronPopup = false;  // the view of a chevron popup: lines never widen to the limit
  RECT Margins{};             // left, top, right, bottom
  POINT StartSize{};          // the content is at least this large
  bool HasChevron = false;
  int ChevronOffset = 0;      // the length the line may take, chevron included; 0: no chevron
  int ChevronSize = 0;
  int WrapOffset = 0;         // line length limit; 0: no wrapping
  int MaxHeight = 0;          // popups: tallest content before it scrolls; 0: no limit
  int ScrollOffset = 0;
  // Chevron priority, highest first, as indices into the entries; nullptr: hide from the end.
  const std::vector<int>* Priority = nullptr;
};

struct TBarLayoutResult {
  POINT Size{};
  POINT BaseSize{};
  int WrappedLines = 1;
  int ScrollOffset = 0;
  bool ShowUpArrow = false;
  bool ShowDownArrow = false;
  bool ChevronEnabled = false;  // something other than a control item went into the chevron
  // The line is longer than the chevron offset, so the chevron's viewer shows, at its bounds.
  bool ChevronShown = false;
  RECT ChevronBounds{};
};

// Hides a shown separator at the start or right after another shown one, then the shown
// separators at the end. Returns the summed lengths (along `orientation`) of what it hid.
int HideRedundantSeparators(std::vector<TBarLayoutEntry>& entries, TBarViewOrientation orientation);

// Places the shown entries (measured, separators already cleaned up) and fills the result.
void ArrangeEntries(std::vector<TBarLayoutEntry>& entries, const TBarLayoutParams& params,
                    TBarLayoutResult& result);

}  // namespace movra::bars
