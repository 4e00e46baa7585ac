#include "run_program.h"

#include "runtime/text.h"

namespace movra::testing {
namespace {

std::wstring QuoteArgument(const std::string& arg) {
  std::wstring w = Utf8ToWide(arg);
  if (!w.empty() && w.find_first_of(L" \t\"") == std::wstring::npos) return w;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : w) {
    if (c == L'\\') {
      ++backslashes;
    } else if (c == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
      backslashes = 0;
    } else {
      backslashes = 0;
    }
    out += c;
  }
  out.append(backslashes, L'\\');
  return out + L"\"";
}

DWORD WINAPI ReadAll(void* context) {
  auto* self = static_cast<std::pair<HANDLE, std::string*>*>(context);
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(self->first, buffer, sizeof buffer, &n, nullptr) && n > 0) {
    self->second->append(buffer, n);
  }
  delete self;
  return 0;
}

}  // namespace

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& args) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd_, &writeEnd, &inherit, 0)) return;
  SetHandleInformation(readEnd_, HANDLE_FLAG_INHERIT, 0);
  std::wstring commandLine = QuoteArgument(program);
  for (const auto& arg : args) commandLine += L" " + QuoteArgument(arg);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                     nullptr, nullptr, &startup, &info)) {
    process_ = info.hProcess;
    CloseHandle(info.hThread);
  }
  CloseHandle(writeEnd);
  reader_ = CreateThread(nullptr, 0, ReadAll, new std::pair<HANDLE, std::string*>(readEnd_, &output_), 0, nullptr);
}

RunningProgram::~RunningProgram() {
  if (process_) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
    CloseHandle(process_);
  }
  if (reader_) {
    WaitForSingleObject(reader_, 5000);
    CloseHandle(reader_);
  }
  if (readEnd_) CloseHandle(readEnd_);
}

bool RunningProgram::StillRunningAfter(DWORD milliseconds) {
  return process_ && WaitForSingleObject(process_, milliseconds) == WAIT_TIMEOUT;
}

ProgramResult RunningProgram::Finish(DWORD timeoutMs) {
  ProgramResult result;
  if (!process_) return result;
  if (WaitForSingleObject(process_, timeoutMs) == WAIT_TIMEOUT) {
    result.timedOut = true;
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  GetExitCodeProcess(process_, &result.exitCode);
  WaitForSingleObject(reader_, 5000);
  result.output = output_;
  return result;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         DWORD timeoutMs) {
  RunningProgram running(program, args);
  return running.Finish(timeoutMs);
}

}  // namespace movra::testing
