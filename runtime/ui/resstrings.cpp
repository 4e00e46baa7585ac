#include "runtime/ui/resstrings.h"

#include <atomic>

#include "runtime/text.h"
#include "runtime/ui/classes.h"

namespace movra::ui {

namespace {

std::atomic<TResStringLoader> byRecord{nullptr};
std::atomic<TStringResourceLoader> byIdentifier{nullptr};
std::atomic<TFormattedStringResourceLoader> formatted{nullptr};

}  // namespace

void SetResStringLoaders(const TResStringLoaders& loaders) {
  byRecord = loaders.ByRecord;
  byIdentifier = loaders.ByIdentifier;
  formatted = loaders.Formatted;
}

void ResetResStringLoaders() { SetResStringLoaders({}); }

std::wstring LoadStringResource(HMODULE module, unsigned identifier) {
  if (identifier > 0xFFFF) return {};
  if (!module) module = GetModuleHandleW(nullptr);
  // With a zero buffer size the system hands out the string in place, whatever its length.
  const wchar_t* text = nullptr;
  int length = LoadStringW(module, identifier, reinterpret_cast<LPWSTR>(&text), 0);
  if (length > 0 && text) return std::wstring(text, static_cast<size_t>(length));
  // Fallback for loaders that do not support the in-place form: grow until it fits.
  std::wstring buffer(1024, L'\0');
  for (;;) {
    int got = LoadStringW(module, identifier, buffer.data(), static_cast<int>(buffer.size()));
    if (got <= 0) return {};
    if (static_cast<size_t>(got) < buffer.size() - 1) {
      buffer.resize(static_cast<size_t>(got));
      return buffer;
    }
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

std::string PlatformLoadResString(const TResStringRec* rec) {
  if (!rec) return {};
  std::wstring text = LoadStringResource(rec->Module, rec->Identifier);
  if (text.empty() && rec->Fallback) return rec->Fallback;
  return WideToUtf8(text);
}

std::string PlatformLoadStr(unsigned identifier) {
  // The program is the only resource module of this system.
  return WideToUtf8(LoadStringResource(GetModuleHandleW(nullptr), identifier));
}

std::string PlatformFmtLoadStr(unsigned identifier, const std::vector<std::string>& args) {
  return Format(PlatformLoadStr(identifier), args);
}

std::string LoadResString(const TResStringRec& rec) {
  TResStringLoader loader = byRecord;
  return loader ? loader(&rec) : PlatformLoadResString(&rec);
}

std::string LoadStr(unsigned identifier) {
  TStringResourceLoader loader = byIdentifier;
  return loader ? loader(identifier) : PlatformLoadStr(identifier);
}

std::string FmtLoadStr(unsigned identifier, const std::vector<std::string>& args) {
  TFormattedStringResourceLoader loader = formatted;
  return loader ? loader(identifier, args) : PlatformFmtLoadStr(identifier, args);
}

}  // namespace movra::ui
