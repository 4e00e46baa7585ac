#include "logging/journal_source.h"

#include <windows.h>

#include <shellapi.h>

#include "runtime/text.h"
#include "runtime/version_info.h"

namespace movra {

TJLLocalTime TJournalSource::LocalTime() const {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

uint64_t TJournalSource::TickCount() const { return GetTickCount64(); }

std::string TJournalSource::ProgramFile() const { return ProgramFileName(); }

std::string TJournalSource::ProgramVersion() const {
  return VersionText(ReadFileVersion(ProgramFileName()).value_or(TFileVersion{}));
}

std::vector<std::string> TJournalSource::Parameters() const {
  std::vector<std::string> parameters;
  int count = 0;
  if (LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) parameters.push_back(WideToUtf8(arguments[i]));
    LocalFree(arguments);
  }
  return parameters;
}

}  // namespace movra
