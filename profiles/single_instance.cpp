#include "profiles/single_instance.h"

#include <windows.h>

#include <atomic>

namespace movra {
namespace {

std::atomic<UINT> activateWindowMessage{0};
HANDLE semaphore = nullptr;
LONG releaseCount = 0;

}  // namespace

uint32_t ActivateWindowMessage() { return activateWindowMessage; }

bool TakeSingleInstance() {
  activateWindowMessage = RegisterWindowMessageW(L"MovraFileDefragmentor: Activate Window");
  if (semaphore == nullptr) semaphore = CreateSemaphoreW(nullptr, 1, 1, L"MovraFileDefragmentor");
  if (semaphore == nullptr || WaitForSingleObject(semaphore, 50) != WAIT_OBJECT_0) {
    // Posted, not sent: this copy ends without waiting for anyone.
    PostMessageW(HWND_BROADCAST, activateWindowMessage, 0, 0);
    return false;
  }
  releaseCount = 1;
  return true;
}

void CheckSingleInstance() {
  if (!TakeSingleInstance()) ExitProcess(0);
}

void ReleaseSingleInstance() {
  if (semaphore == nullptr) return;
  if (releaseCount > 0) ReleaseSemaphore(semaphore, releaseCount, nullptr);
  CloseHandle(semaphore);
  semaphore = nullptr;
  releaseCount = 0;
}

}  // namespace movra
