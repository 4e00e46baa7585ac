#include "runtime/system_error.h"

#include <windows.h>

#include <cstdio>
#include <memory>

#include "runtime/text.h"

namespace movra {
namespace {

struct LocalFreeDeleter {
  void operator()(wchar_t* buffer) const { LocalFree(buffer); }
};

// Message texts may hold hard line breaks; a reason is shown and logged on one line.
std::string OneLine(std::string_view text) {
  std::string out;
  bool pendingSpace = false;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      pendingSpace = !out.empty();
      continue;
    }
    if (pendingSpace && c != ' ') out += ' ';
    pendingSpace = false;
    out += c;
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
  return out;
}

// FormatMessageW's text for `code`, from the system or from `module`; empty when it has none.
std::string FormattedText(DWORD code, HMODULE module) {
  const DWORD source = module ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM;
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      source | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, module, code, 0,
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::unique_ptr<wchar_t, LocalFreeDeleter> owner(buffer);
  if (length == 0 || !buffer) return {};
  return OneLine(WideToUtf8(std::wstring_view(buffer, length)));
}

// The Windows error an NT status maps to, or ERROR_MR_MID_NOT_FOUND.
DWORD DosErrorOfStatus(DWORD status) {
  using TConvert = ULONG(WINAPI*)(LONG);
  static const auto convert = reinterpret_cast<TConvert>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlNtStatusToDosError")));
  return convert ? convert(static_cast<LONG>(status)) : ERROR_MR_MID_NOT_FOUND;
}

}  // namespace

std::string SystemErrorText(int32_t code) {
  const auto value = static_cast<DWORD>(code);
  if (value <= 0xFFFF) return FormattedText(value, nullptr);

  std::string text = FormattedText(value, GetModuleHandleW(L"ntdll.dll"));
  if (!text.empty()) return text;
  const DWORD mapped = DosErrorOfStatus(value);
  if (mapped != ERROR_MR_MID_NOT_FOUND && mapped != value) text = FormattedText(mapped, nullptr);
  if (!text.empty()) return text;
  char fallback[24];
  std::snprintf(fallback, sizeof fallback, "NTSTATUS 0x%08lX", static_cast<unsigned long>(value));
  return fallback;
}

std::string HResultText(int32_t code) {
  const auto value = static_cast<DWORD>(code);
  if (HRESULT_FACILITY(value) == FACILITY_WIN32) return FormattedText(HRESULT_CODE(value), nullptr);
  return FormattedText(value, nullptr);
}

}  // namespace movra
