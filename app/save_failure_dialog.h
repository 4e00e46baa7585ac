#pragma once
// The question asked when the settings cannot be saved at a close. The program's own box, so
// that its buttons read in the program's language, as its text names them.
#include <string>

#include "app/main_form.h"

namespace movra::app {

// Asks with `text` (the reason and what each button does) under the application title.
// Cancel is the default and the Escape button: both keep everything as it is.
TSaveFailureAnswer ExecuteSaveFailure(const std::string& text);

}  // namespace movra::app
