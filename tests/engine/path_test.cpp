#include <gtest/gtest.h>

#include <windows.h>

#include "engine/defrag.h"
#include "engine/volume_path.h"
#include "engine_fixture.h"
#include "engine_log.h"
#include "runtime/text.h"
#include "support.h"

namespace movra::testing {
namespace {

TEST(VolumePath, FormsOfOnePath) {
  TVolumePath where;
  ASSERT_EQ(ResolveVolumePath("C:\\dir\\..\\file.bin", where), 0);
  EXPECT_EQ(where.Absolute, "C:\\file.bin");
  EXPECT_EQ(where.DriveRoot, "C:\\");
  EXPECT_EQ(where.Letter, 'C');
  EXPECT_EQ(where.VolumeDevice(), "\\\\.\\C:");
  EXPECT_TRUE(where.OnDriveVolume());

  ASSERT_EQ(ResolveVolumePath("\\\\?\\c:\\file.bin", where), 0);
  EXPECT_EQ(where.Absolute, "c:\\file.bin");
  EXPECT_EQ(where.Letter, 'C');

  ASSERT_EQ(ResolveVolumePath("\\\\server\\share\\dir\\f", where), 0);
  EXPECT_EQ(where.DriveRoot, "\\\\server\\share\\");
  EXPECT_EQ(where.Letter, 0);
  EXPECT_FALSE(where.OnDriveVolume());

  EXPECT_EQ(ResolveVolumePath("", where), ERROR_INVALID_NAME);
}

// A real folder mapped as a simulated drive.
class DriveTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    WriteTextFile(dir_.Path() + "frag.bin", "data");
    WriteTextFile(dir_.Path() + "volume.layout",
                  "volume\t10000\t4096\nused\t0:100\nfile\tfrag.bin\t0:500:5 5:700:5\n");
    drive_ = std::make_unique<MappedDrive>(dir_.Path());
  }
  TempDir dir_;
  std::unique_ptr<MappedDrive> drive_;
};

TEST_F(DriveTest, RelativeAndPrefixedPathsFindTheirVolume) {
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryW(Utf8ToWide(drive_->Root()).c_str()));
  // A relative name means the file in the current folder, not a drive named by its first letter.
  EXPECT_EQ(DefragmentFile("frag.bin"), 0);
  SetCurrentDirectoryW(saved);
  EXPECT_EQ(LcnOf(drive_->Root() + "frag.bin"), 100);
  EXPECT_EQ(DefragmentFileToTail("\\\\?\\" + drive_->Root() + "frag.bin"), 0);
  EXPECT_EQ(LcnOf(drive_->Root() + "frag.bin"), 10000 - 10);
}

TEST_F(DriveTest, ARefusedLayoutIsLoggedWithItsReason) {
  WriteTextFile(dir_.Path() + "volume.layout",
                "volume\t10000\t4096\nused\t0:600\nfile\tfrag.bin\t0:500:5 5:700:5\n");
  EngineLog log;
  EXPECT_EQ(DefragmentFile(drive_->Root() + "frag.bin"), platform::kStatusDiskCorruptError);
  bool reason = false;
  for (const auto& line : log.Lines()) {
    reason |= line.find("The volume's layout is refused: ") != std::string::npos &&
              line.find("line 3: clusters 500:5 of \"frag.bin\"") != std::string::npos;
  }
  EXPECT_TRUE(reason) << ::testing::PrintToString(log.Lines());
  EXPECT_TRUE(log.Has("    Cannot create FileMap for \"" + drive_->Root() + "frag.bin\". Exit with:"));
}

}  // namespace
}  // namespace movra::testing
