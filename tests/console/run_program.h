#pragma once
// Starts a program, collects what it writes and its exit code.
#include <windows.h>

#include <string>
#include <vector>

namespace movra::testing {

struct ProgramResult {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;  // standard output and error, as written
  bool timedOut = false;
};

class RunningProgram {
 public:
  RunningProgram(const std::string& program, const std::vector<std::string>& args);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool Started() const { return process_ != nullptr; }
  // True while the program runs after waiting up to `milliseconds`.
  bool StillRunningAfter(DWORD milliseconds);
  ProgramResult Finish(DWORD timeoutMs = 60000);

 private:
  HANDLE process_ = nullptr;
  HANDLE readEnd_ = nullptr;
  HANDLE reader_ = nullptr;
  std::string output_;
};

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         DWORD timeoutMs = 60000);

}  // namespace movra::testing
