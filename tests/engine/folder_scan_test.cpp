#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>

#include "engine/folder_scan.h"
#include "runtime/text.h"
#include "platform/simulation_hooks.h"
#include "support.h"

namespace movra::testing {
namespace {

// A folder mapped as a simulated drive, holding files whose pieces the layout gives.
class FolderScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::testing::ResetAll();
    Write("three.bin", "file\tthree.bin\t0:100:1 1:200:1 2:300:1\n");
    Write("sub\\two.bin", "file\tsub\\two.bin\t0:400:1 1:500:1\n");
    Write("sub\\deeper\\one.bin", "file\tsub\\deeper\\one.bin\t0:600:2\n");
    Write("sub\\touching.bin", "file\tsub\\touching.bin\t0:700:1 1:701:1\n");
    Write("resident.txt", "resident\tresident.txt\n");
    Write("hidden.bin", "file\thidden.bin\t0:800:1 1:900:1\n");
    Write("system.bin", "file\tsystem.bin\t0:1000:1 1:1100:1\n");
    WriteTextFile(dir_.Path() + "volume.layout", "volume\t100000\t4096\n" + layout_);
    SetFileAttributesW(Utf8ToWide(dir_.Path() + "hidden.bin").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(Utf8ToWide(dir_.Path() + "system.bin").c_str(), FILE_ATTRIBUTE_SYSTEM);
    drive_ = std::make_unique<MappedDrive>(dir_.Path());
  }

  void Write(const std::string& name, const std::string& record) {
    const std::string path = dir_.Path() + name;
    CreateDirectoryW(Utf8ToWide(path.substr(0, path.rfind('\\'))).c_str(), nullptr);
    WriteTextFile(path, "content");
    layout_ += record;
  }

  std::string Root() const { return drive_->Root(); }

  static const TFileRegionPair* Find(const TFileRegionList& list, const std::string& path) {
    auto it = std::find_if(list.begin(), list.end(), [&](const auto& r) { return r.Path == path; });
    return it == list.end() ? nullptr : &*it;
  }

  TempDir dir_;
  std::string layout_;
  std::unique_ptr<MappedDrive> drive_;
};

TEST_F(FolderScanTest, ListsFilesWithAtLeastTheMinimumOfFragments) {
  TFileRegionList list;
  ScanFolder(Root(), 2, list, nullptr);
  const TFileRegionPair* three = Find(list, Root() + "three.bin");
  ASSERT_NE(three, nullptr);
  EXPECT_EQ(three->Fragments, 3);
  EXPECT_EQ(three->Checked, 0);
  EXPECT_GT(three->FileDate, 40000.0);  // a date of this century
  ASSERT_NE(Find(list, Root() + "sub\\two.bin"), nullptr);
  // Hidden files are scanned, system files are not.
  EXPECT_NE(Find(list, Root() + "hidden.bin"), nullptr);
  EXPECT_EQ(Find(list, Root() + "system.bin"), nullptr);
  // Touching pieces count as one fragment.
  EXPECT_EQ(Find(list, Root() + "sub\\touching.bin"), nullptr);
  EXPECT_EQ(list.size(), 3u);
}

TEST_F(FolderScanTest, MinimumOneAndZero) {
  TFileRegionList one, zero;
  ScanFolder(Root(), 1, one, nullptr);
  ScanFolder(Root(), 0, zero, nullptr);
  EXPECT_NE(Find(one, Root() + "sub\\deeper\\one.bin"), nullptr);
  EXPECT_EQ(Find(one, Root() + "resident.txt"), nullptr);
  const TFileRegionPair* resident = Find(zero, Root() + "resident.txt");
  ASSERT_NE(resident, nullptr);
  EXPECT_EQ(resident->Fragments, 0);
  EXPECT_GT(zero.size(), one.size());
}

TEST_F(FolderScanTest, ProgressIsAskedPerFolderAndWhileOneIsReadAndAStopActsAtOnce) {
  constexpr auto kNever = std::chrono::hours(1);
  std::vector<std::string> folders;
  TFileRegionList list;
  auto record = [&](const std::string& folder, int found) {
    EXPECT_EQ(found, static_cast<int>(list.size()));
    folders.push_back(folder);
    return false;
  };
  // While no time passes: once per folder, before it is read.
  ScanFolder(Root(), 1, list, record, kNever);
  EXPECT_EQ(folders.size(), 3u);
  EXPECT_EQ(folders[0], Root());

  TFileRegionList stopped;
  ScanFolder(Root(), 1, stopped, [](const std::string&, int) { return true; }, kNever);
  EXPECT_TRUE(stopped.empty());

  // Stopping on entry to the first subfolder keeps what the root gave.
  TFileRegionList partial;
  ScanFolder(Root(), 1, partial, [&](const std::string& folder, int) { return folder != Root(); }, kNever);
  EXPECT_NE(Find(partial, Root() + "three.bin"), nullptr);
  EXPECT_EQ(Find(partial, Root() + "sub\\two.bin"), nullptr);

  // Once the time has passed, after every file too: three folders, four files in the root (the
  // layout file among them), two in sub, one deeper.
  folders.clear();
  list.clear();
  ScanFolder(Root(), 2, list, record, std::chrono::milliseconds(0));
  EXPECT_EQ(folders.size(), 10u);
  EXPECT_EQ(list.size(), 3u);

  // A stop asked for in the middle of a folder acts after the file at hand, and every folder
  // up the tree leaves at once.
  TFileRegionList first;
  int callsAfterStop = 0;
  ScanFolder(Root(), 1, first, [&](const std::string&, int found) {
    callsAfterStop += found > 0;
    return found > 0;
  }, std::chrono::milliseconds(0));
  EXPECT_EQ(first.size(), 1u);
  EXPECT_LE(callsAfterStop, 3) << "one call per folder level";
}

TEST(RegionComparators, OrderByFragmentsAndByPath) {
  TFileRegionList list{{0, "C:\\b", 3, 0}, {0, "c:\\A", 9, 0}, {0, "C:\\a\\x", 1, 0}};
  SortRegionList(list, CompareFragmentsDesc);
  EXPECT_EQ(list[0].Fragments, 9);
  EXPECT_EQ(list[2].Fragments, 1);
  SortRegionList(list, CompareFragmentsAsc);
  EXPECT_EQ(list[0].Fragments, 1);
  SortRegionList(list, ComparePathAsc);
  EXPECT_EQ(list[0].Path, "c:\\A");  // case folded: "C:\A" < "C:\A\X" < "C:\B"
  EXPECT_EQ(list[1].Path, "C:\\a\\x");
  EXPECT_EQ(list[2].Path, "C:\\b");
  SortRegionList(list, ComparePathDesc);
  EXPECT_EQ(list[0].Path, "C:\\b");
  EXPECT_EQ(ComparePathAsc(list[0], list[0]), 0);
  EXPECT_EQ(CompareFragmentsDesc(list[0], list[0]), 0);
}

}  // namespace
}  // namespace movra::testing
