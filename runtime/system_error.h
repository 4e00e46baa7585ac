#pragma once
// The system's own text for an error code.
#include <cstdint>
#include <string>

namespace movra {

// The text of a Windows error code, or of an NT status (any value above 0xFFFF taken as
// unsigned), on one line with no line end. An NT status without a text of its own is described
// by the Windows error it maps to, or else as "NTSTATUS 0xC0000011". A Windows error code
// without a text gives an empty string.
std::string SystemErrorText(int32_t code);

// The system's text of a COM result, on one line; a Windows error wrapped in one reads as that
// error. Empty when the system has none.
std::string HResultText(int32_t code);

}  // namespace movra
