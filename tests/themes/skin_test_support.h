#pragma once
// Fixed system colours for the theme tests, so that exact numbers do not depend on the prefix.
#include <windows.h>

#include "themes/skin_utils.h"

namespace movra::skin::test {

// The classic Windows scheme (grey faces, navy highlight).
inline COLORREF ClassicSysColor(int index) {
  switch (index) {
    case COLOR_BTNFACE: return RGB(192, 192, 192);
    case COLOR_BTNSHADOW: return RGB(128, 128, 128);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_MENU: return RGB(192, 192, 192);
    case COLOR_MENUTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(0, 0, 128);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_GRAYTEXT: return RGB(128, 128, 128);
    case COLOR_HOTLIGHT: return RGB(0, 0, 128);
    default: return RGB(1, 2, 3);
  }
}

// Installs the classic colours for the life of the object.
class ClassicColors {
 public:
  ClassicColors() { SetSysColorSource(&ClassicSysColor); }
  ~ClassicColors() { SetSysColorSource(nullptr); }
  ClassicColors(const ClassicColors&) = delete;
  ClassicColors& operator=(const ClassicColors&) = delete;
};

}  // namespace movra::skin::test
