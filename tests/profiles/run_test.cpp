#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "platform/simulation_hooks.h"
#include "profiles/profile.h"
#include "runtime/text.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/support.h"

namespace movra::testing {
namespace {

namespace hooks = platform::testing;

constexpr int64_t kClusters = 100000;

// A folder mapped as a simulated drive with fragmented files in it.
class ProfileRunTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    LayoutBuilder layout(kClusters);
    // The first free run, 100 to 107, holds single.bin but not the data folder's files.
    layout.Used(0, 100).Used(108, 2);
    Add(layout, "data\\a.bin", {{0, 5000, 10}, {10, 3000, 10}});
    Add(layout, "data\\b.bin", {{0, 6000, 5}, {5, 7000, 5}});
    Add(layout, "data\\sub\\c.bin", {{0, 8000, 15}});
    Add(layout, "single.bin", {{0, 9000, 4}, {4, 9500, 4}});
    Add(layout, "one\\only.bin", {{0, 10000, 3}, {3, 11000, 3}});
    WriteTextFile(dir_.Path() + "volume.layout", layout.Text());
    drive_ = std::make_unique<MappedDrive>(dir_.Path());
    // The process that maps a drive may not see its type at once.
    hooks::SetDriveType(drive_->Letter(), DRIVE_FIXED);
  }
  void Add(LayoutBuilder& layout, const std::string& path,
           const std::vector<LayoutBuilder::Extent>& extents) {
    const std::string full = dir_.Path() + path;
    for (size_t at = full.find('\\', dir_.Path().size()); at != std::string::npos;
         at = full.find('\\', at + 1)) {
      CreateDirectoryW(Utf8ToWide(full.substr(0, at)).c_str(), nullptr);
    }
    WriteTextFile(full, "content");
    layout.File(path, extents);
  }

  std::string On(const std::string& path) const { return drive_->Root() + path; }

  // Each file of `files` is in one piece, and they follow one another from `start`.
  void ExpectBlock(const TStringList& files, int64_t start) {
    int64_t next = start;
    for (const std::string& file : files) {
      const TExtentList map = MapOf(file);
      ASSERT_EQ(map.size(), 1u) << file;
      EXPECT_EQ(map[0].Lcn, next) << file;
      next += map[0].Length;
    }
  }

  TempDir dir_;
  std::unique_ptr<MappedDrive> drive_;
};

TEST_F(ProfileRunTest, FolderEntryIsLaidOutAsOneBlockAtTheStart) {
  TProfile profile;
  profile.Files().Add(On("data"));
  TStringList collected;
  TProfile::CollectFiles(On("data"), collected);
  ASSERT_EQ(collected.Count(), 3);

  EXPECT_EQ(profile.Run(), -1);  // no single placement was made
  EXPECT_EQ(profile.RunState(), TProfileRunState::Idle);
  ExpectBlock(collected, 110);
}

TEST_F(ProfileRunTest, FolderEntryIsLaidOutAsOneBlockAtTheEnd) {
  TProfile profile;
  profile.SetRunMethod(TRunMethod::EndOfDisk);
  profile.Files().Add(On("data\\"));
  TStringList collected;
  TProfile::CollectFiles(On("data\\"), collected);
  profile.Run();
  ExpectBlock(collected, kClusters - 45);
}

TEST_F(ProfileRunTest, FileEntryAndOneFileFolderAreEachPlacedByThemselves) {
  TProfile profile;
  profile.Files().Add(On("single.bin"));
  profile.Files().Add(On("one"));
  EXPECT_EQ(profile.Run(), 0);
  // Each into the first free run that holds it, not as one block.
  ExpectBlock(TStringList{On("single.bin")}, 100);
  ExpectBlock(TStringList{On("one\\only.bin")}, 110);
}

TEST_F(ProfileRunTest, EntryThatNamesNothingFails) {
  TProfile profile;
  profile.Files().Add(On("missing.bin"));
  EXPECT_NE(profile.Run(), 0);
  EXPECT_EQ(profile.RunState(), TProfileRunState::Idle);
  EXPECT_EQ(MapOf(On("single.bin")).size(), 2u);
}

}  // namespace
}  // namespace movra::testing
