#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "profiles/single_instance.h"
#include "runtime/text.h"
#include "tests/support/support.h"

namespace movra::testing {
namespace {

constexpr DWORD kFirstCopyExitCode = 3;  // the probe's code when it got past the guard

std::atomic<int> activations{0};

LRESULT CALLBACK ActivationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != 0 && message == ActivateWindowMessage()) ++activations;
  return DefWindowProcW(window, message, wParam, lParam);
}

// A hidden top-level window, as the first copy's main window would be, for the broadcast.
class TActivationWindow {
 public:
  TActivationWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ActivationWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MovraSingleInstanceTest";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, windowClass.lpszClassName, L"first copy", WS_OVERLAPPEDWINDOW, 0,
                              0, 100, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
  }
  ~TActivationWindow() {
    if (window_) DestroyWindow(window_);
  }
  explicit operator bool() const { return window_ != nullptr; }

 private:
  HWND window_ = nullptr;
};

struct TProbeRun {
  DWORD ExitCode = STILL_ACTIVE;
  double Seconds = -1;  // from reaching the guard to the end of the process
};

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Runs the probe program beside the test program, handling this thread's messages meanwhile.
TProbeRun RunProbe() {
  TempDir dir;
  const std::string marker = dir.Path() + "guard-reached";
  const std::string program = ProgramFileName();
  std::wstring commandLine = L"\"" + Utf8ToWide(program.substr(0, program.find_last_of('\\') + 1)) +
                             L"single_instance_probe.exe\" \"" + Utf8ToWide(marker) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  TProbeRun run;
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "cannot start the probe, error " << GetLastError();
    return run;
  }
  for (int turn = 0; turn < 600; ++turn) {
    const DWORD woken = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 100, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (woken == WAIT_OBJECT_0) break;
  }
  GetExitCodeProcess(process.hProcess, &run.ExitCode);
  FILETIME created, ended, kernel, user;
  if (GetProcessTimes(process.hProcess, &created, &ended, &kernel, &user)) {
    const uint64_t reached = std::stoull(ReadTextFile(marker));
    run.Seconds = static_cast<double>(Ticks(ended) - reached) / 1e7;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

// Handles the messages already posted to this thread.
void Pump() {
  for (int turn = 0; turn < 50 && activations == 0; ++turn) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  }
}

TEST(SingleInstance, SecondCopyActivatesTheFirstAndEnds) {
  ASSERT_TRUE(TakeSingleInstance());
  EXPECT_EQ(ActivateWindowMessage(),
            RegisterWindowMessageW(L"MovraFileDefragmentor: Activate Window"));
  TActivationWindow window;
  ASSERT_TRUE(window);

  const TProbeRun second = RunProbe();
  Pump();
  EXPECT_EQ(second.ExitCode, 0u);
  // It leaves at once (about 0.1 s here); the bound only has to tell leaving from waiting,
  // with room for a machine busy with other tests.
  EXPECT_GE(second.Seconds, 0.0);
  EXPECT_LT(second.Seconds, 10.0);
  EXPECT_EQ(activations, 1);

  // Once the first copy has let go, the next copy starts.
  ReleaseSingleInstance();
  EXPECT_EQ(RunProbe().ExitCode, kFirstCopyExitCode);
  EXPECT_TRUE(TakeSingleInstance());
  ReleaseSingleInstance();
}

}  // namespace
}  // namespace movra::testing
