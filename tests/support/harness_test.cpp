// The way the suite runs a test program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

// Wine hands the output of a test to whatever process it starts for it (the desktop, a
// debugger), and such a process may outlive the test by far. The test must still end with its
// own process: this one leaves behind a process that lives longer than the test's timeout.
TEST(Harness, AProcessLeftBehindWithTheOutputDoesNotKeepTheTestRunning) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::wstring command = L"cmd.exe /c ping -n 60 127.0.0.1";
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &startup, &process));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}
