#include "logging/journal_messages.h"

namespace movra {

TJLStringMsg::TJLStringMsg(std::string text) : Text(std::move(text)) {
  if (Text.empty() || (Text.back() != '\r' && Text.back() != '\n')) Text += "\r\n";
}

}  // namespace movra
