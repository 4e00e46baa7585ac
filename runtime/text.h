#pragma once
// Text inside the system is UTF-8 in std::string; the platform is called with UTF-16.
#include <string>
#include <string_view>

namespace movra {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// True when the bytes form well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view text);

// Bytes in the system's ANSI code page, as UTF-8.
std::string AnsiToUtf8(std::string_view text);

// A line read from a file of unknown encoding: UTF-8 when it is valid UTF-8, else ANSI.
std::string ExternalLineToUtf8(std::string_view text);

// Full path of the running program file.
std::string ProgramFileName();

// ASCII-only case folding, independent of the locale.
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);
bool SameTextAscii(std::string_view a, std::string_view b);
// The text with its control characters (a NUL above all) written as \xNN, so that it can be
// shown and logged whole.
std::string EscapeControlCharacters(std::string_view text);

}  // namespace movra
