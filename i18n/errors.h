#pragma once
// Errors of the translation layer.
#include "runtime/exception.h"

namespace movra {

class ELocalizer : public Exception {
 public:
  using Exception::Exception;
};

// A component was retranslated that was never translated.
class ELocProgrammingError : public ELocalizer {
 public:
  using ELocalizer::ELocalizer;
};

// A text property of a component could not be read, translated or written.
class ELocComponentError : public ELocalizer {
 public:
  using ELocalizer::ELocalizer;
};

// A message catalog could not be opened or is not a catalog.
class ELocIOError : public ELocalizer {
 public:
  using ELocalizer::ELocalizer;
};

}  // namespace movra
