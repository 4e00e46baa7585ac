#pragma once
// Engine tests run against memory volumes: drives that live only in the test process.
#include <gtest/gtest.h>

#include <string>

#include "engine/defrag.h"
#include "platform/simulation_hooks.h"
#include "platform/volume_access.h"

namespace movra::testing {

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::testing::ResetAll(); }
  void TearDown() override { platform::testing::ResetAll(); }

  static void Mount(char letter, const std::string& layout) {
    platform::testing::MountMemoryVolume(letter, layout);
  }

  // The file's map as the volume reports it now, merged.
  static TExtentList MapOf(const std::string& path) {
    HANDLE file = INVALID_HANDLE_VALUE;
    TExtentList extents;
    if (OpenFileHandle(path, file) != 0) {
      ADD_FAILURE() << "cannot open " << path;
      return extents;
    }
    int64_t count = 0, total = 0;
    GetFileMap(file, count, total, extents);
    MergeAdjacentExtents(count, extents);
    platform::CloseHandle(file);
    return extents;
  }

  // Where the file starts on the volume; -999 when it has no extent.
  static int64_t LcnOf(const std::string& path) {
    TExtentList extents = MapOf(path);
    return extents.empty() ? -999 : extents[0].Lcn;
  }
};

}  // namespace movra::testing
