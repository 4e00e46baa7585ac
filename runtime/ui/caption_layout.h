#pragma once
// Room for translated captions. A window is laid out for its English texts; another language
// may need more. After the texts change, every button, check box, label and group box of the
// window gets the room its caption needs in its own font, and the window's layout makes way:
// what follows on the same line moves right (a label with room to spare only narrows), what
// lies below moves down, a control kept at its parent's far edge grows towards the near side,
// and a parent too small for what it now holds grows, up to the window itself: so does one
// whose controls kept at the far edge would pass its margin or a control held at the near side.
// Controls that stood in one column with one width keep one width.
//
// The layout is always worked out from the one the window was built with, so a window whose
// texts change again (back to English, too) never keeps growing, and one whose captions fit
// is left exactly as it was.
#include <string>

#include "runtime/ui/controls.h"

namespace movra::ui {

// Remembers `window`'s layout as built, before its texts are translated; FitCaptions does it
// itself on first use when this was not called.
void RememberLayout(TWinControl& window);
// Gives every caption of `window` its room, starting from the remembered layout.
void FitCaptions(TWinControl& window);

// The size `text` takes in the control's own font, on one line, or wrapped at `wrapWidth`
// when that is above 0.
SIZE MeasureText(TControl& control, const std::string& text, int wrapWidth = 0);

}  // namespace movra::ui
