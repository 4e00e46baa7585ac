#pragma once
// The exception that carries a message for the user or the log.
#include <stdexcept>
#include <string>

namespace movra {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

}  // namespace movra
