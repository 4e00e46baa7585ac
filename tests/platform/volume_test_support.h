#pragma once
// Calling the volume layer the way the engine does, for the tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/simulation_hooks.h"
#include "platform/volume_access.h"
#include "tests/platform/answers.h"

namespace movra::platform::testing {

// A handle from the volume layer, closed through it.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() { CloseHandle(handle_); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

inline HANDLE OpenVolumeOf(char letter) {
  uint32_t error = 0;
  HANDLE handle = OpenVolume(std::string("\\\\.\\") + letter + ":", error);
  EXPECT_NE(handle, INVALID_HANDLE_VALUE) << "volume " << letter << ": error " << error;
  return handle;
}

inline HANDLE OpenFileAt(const std::string& path) {
  uint32_t error = 0;
  HANDLE handle = OpenFile(path, error);
  EXPECT_NE(handle, INVALID_HANDLE_VALUE) << path << ": error " << error;
  return handle;
}

inline PointersAnswer AskPointers(HANDLE file, int64_t vcn, size_t outLength = 16 + 16 * 64) {
  std::vector<uint8_t> buffer(outLength);
  IoStatus io;
  const int32_t status = FsControl(file, io, kFsctlGetRetrievalPointers, &vcn, sizeof vcn,
                                   buffer.data(), static_cast<uint32_t>(outLength));
  return DecodePointers(status, io.Information, buffer);
}

// The whole map of a file in the layout's notation, or "status 0x..." when it has none.
inline std::string MapText(HANDLE file) {
  std::string text;
  int64_t vcn = 0;
  for (;;) {
    const PointersAnswer answer = AskPointers(file, vcn, 16 + 16 * 2);
    if (answer.Status != kStatusSuccess && answer.Status != kStatusBufferOverflow) {
      char status[32];
      snprintf(status, sizeof status, "status 0x%08X", static_cast<unsigned>(answer.Status));
      return text.empty() ? status : text + " " + status;
    }
    if (!text.empty()) text += ' ';
    text += ExtentText(answer.StartingVcn, answer.Extents);
    if (answer.Status == kStatusSuccess) return text;
    vcn = answer.Extents.back().NextVcn;
  }
}

inline BitmapAnswer AskBitmap(HANDLE volume, int64_t lcn, size_t outLength = 16 + 131072) {
  std::vector<uint8_t> buffer(outLength);
  IoStatus io;
  const int32_t status = FsControl(volume, io, kFsctlGetVolumeBitmap, &lcn, sizeof lcn,
                                   buffer.data(), static_cast<uint32_t>(outLength));
  return DecodeBitmap(status, io.Information, buffer);
}

inline int32_t MoveClusters(HANDLE volume, HANDLE file, int64_t vcn, int64_t lcn, uint32_t count) {
  const MoveFileData data{file, vcn, lcn, count};
  IoStatus io;
  return FsControl(volume, io, kFsctlMoveFile, &data, sizeof data, nullptr, 0);
}

// Clears the test choices around every test.
class SimulationTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::ResetAll(); }
  void TearDown() override { testing::ResetAll(); }
};

}  // namespace movra::platform::testing
