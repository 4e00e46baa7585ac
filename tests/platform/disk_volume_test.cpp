// The volume layer over a folder mapped as a drive with a "volume.layout" file in its root.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <winternl.h>

#include <algorithm>
#include <memory>

#include "platform/layout.h"
#include "runtime/text.h"
#include "tests/platform/volume_test_support.h"
#include "tests/support/support.h"

namespace movra::platform::testing {
namespace {

using movra::testing::LayoutBuilder;
using movra::testing::MappedDrive;
using movra::testing::ReadTextFile;
using movra::testing::TempDir;
using movra::testing::WriteTextFile;
using ::testing::HasSubstr;

constexpr wchar_t kChildDriveVariable[] = L"MOVRA_PLATFORM_TEST_CHILD_DRIVE";
constexpr wchar_t kChildReadyVariable[] = L"MOVRA_PLATFORM_TEST_CHILD_READY";
constexpr int kMovesEach = 30;

bool FileExists(const std::string& path) {
  return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

class DiskVolume : public SimulationTest {
 protected:
  void SetUp() override {
    SimulationTest::SetUp();
    if (!movra::testing::RunningUnderWine())
      GTEST_SKIP() << "folder drives are simulated under Wine";
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(dir.Path() + "sub").c_str(), nullptr));
    for (const char* name : {"a.txt", "unlisted.txt", "sub\\b.txt"}) {
      WriteTextFile(dir.Path() + name, "content");
    }
    WriteTextFile(dir.Path() + "volume.layout", LayoutBuilder(10000)
                                                    .Used(0, 16)
                                                    .File("a.txt", {{0, 100, 2}, {2, 200, 3}})
                                                    .File("SUB\\B.TXT", 400, 8)
                                                    .Text());
    drive = std::make_unique<MappedDrive>(dir.Path());
  }

  std::string Root() const { return drive->Root(); }
  std::string LayoutFile() const { return dir.Path() + "volume.layout"; }
  std::string JournalFile() const { return dir.Path() + "volume.layout.journal"; }

  TempDir dir;
  std::unique_ptr<MappedDrive> drive;
};

TEST_F(DiskVolume, AnswersFromTheLayoutForTheFolderDrive) {
  Handle volume(OpenVolumeOf(drive->Letter()));
  // Wine cannot open the device of a folder drive; its root folder stands in.
  BY_HANDLE_FILE_INFORMATION info;
  ASSERT_TRUE(GetFileInformationByHandle(volume.get(), &info));
  EXPECT_NE(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  Handle a(OpenFileAt(Root() + "a.txt"));
  Handle b(OpenFileAt(Root() + "sub\\b.txt"));
  Handle unlisted(OpenFileAt(Root() + "unlisted.txt"));
  EXPECT_EQ(MapText(a.get()), "0:100:2 2:200:3");
  EXPECT_EQ(MapText(b.get()), "0:400:8");
  EXPECT_EQ(MapText(unlisted.get()), "status 0xC0000011");
  const BitmapAnswer bits = AskBitmap(volume.get(), 0);
  ASSERT_EQ(bits.Status, kStatusSuccess);
  EXPECT_EQ(bits.Header.BitmapSize, 10000);
  EXPECT_TRUE(bits.Used(15));
  EXPECT_FALSE(bits.Used(16));
  EXPECT_TRUE(bits.Used(407));
  uint32_t error = 0;
  EXPECT_EQ(OpenFile(Root() + "missing.txt", error), INVALID_HANDLE_VALUE);
  EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST_F(DiskVolume, JournalsEveryMoveAndFoldsThemWhenTheVolumeIsLetGo) {
  const std::string original = ReadTextFile(LayoutFile());
  {
    Handle volume(OpenVolumeOf(drive->Letter()));
    Handle a(OpenFileAt(Root() + "a.txt"));
    ASSERT_EQ(MoveClusters(volume.get(), a.get(), 2, 102, 3), kStatusSuccess);
    // The move is on disk in the journal; the layout file is not rewritten for it.
    EXPECT_EQ(ReadTextFile(LayoutFile()), original);
    ASSERT_TRUE(FileExists(JournalFile()));
    const VolumeLayout current = VolumeLayout::Parse(DiskVolumeLayout(drive->Letter()));
    ASSERT_EQ(current.FindFile("a.txt")->Extents.size(), 1u);
    EXPECT_EQ(current.FindFile("a.txt")->Extents[0].Length, 5);
    EXPECT_TRUE(current.IsFree(200, 3));
    // A refused move writes nothing.
    const std::string journal = ReadTextFile(JournalFile());
    EXPECT_EQ(MoveClusters(volume.get(), a.get(), 0, 400, 1), kStatusAlreadyCommitted);
    EXPECT_EQ(ReadTextFile(JournalFile()), journal);
  }
  const VolumeLayout written = VolumeLayout::Parse(ReadTextFile(LayoutFile()));
  EXPECT_EQ(written.FindFile("a.txt")->Extents.size(), 1u);
  EXPECT_EQ(written.FindFile("a.txt")->Extents[0].Length, 5);
  EXPECT_TRUE(written.IsFree(200, 3));
  EXPECT_FALSE(FileExists(JournalFile()));
  EXPECT_FALSE(FileExists(dir.Path() + "volume.layout.new"));
}

// What a process that died in the middle of its moves leaves, as the next one finds it.
class DiskVolumeAfterACrash : public DiskVolume {
 protected:
  // The journal of two moves (a.txt's second extent to 102, b.txt to 5000) made on the
  // layout of SetUp, which is then put back as it was.
  std::string TwoMovesJournal() {
    const std::string original = ReadTextFile(LayoutFile());
    std::string journal;
    {
      Handle volume(OpenVolumeOf(drive->Letter()));
      Handle a(OpenFileAt(Root() + "a.txt"));
      Handle b(OpenFileAt(Root() + "sub\\b.txt"));
      EXPECT_EQ(MoveClusters(volume.get(), a.get(), 2, 102, 3), kStatusSuccess);
      EXPECT_EQ(MoveClusters(volume.get(), b.get(), 0, 5000, 8), kStatusSuccess);
      journal = ReadTextFile(JournalFile());
    }
    WriteTextFile(LayoutFile(), original);
    ResetAll();  // this process forgets the volume, as a new one would not know it
    return journal;
  }
  std::string MapNow(const std::string& name) {
    Handle file(OpenFileAt(Root() + name));
    return MapText(file.get());
  }
};

TEST_F(DiskVolumeAfterACrash, ReplaysTheWholeRecordsAndIgnoresATornOne) {
  const std::string journal = TwoMovesJournal();
  ASSERT_EQ(std::count(journal.begin(), journal.end(), '\n'), 3);
  // The second move was being written when the process died.
  WriteTextFile(JournalFile(), journal.substr(0, journal.size() - 6));
  EXPECT_EQ(MapNow("a.txt"), "0:100:5");
  EXPECT_EQ(MapNow("sub\\b.txt"), "0:400:8");
  {
    // The next move goes after the last whole record, not after the torn one.
    Handle volume(OpenVolumeOf(drive->Letter()));
    Handle b(OpenFileAt(Root() + "sub\\b.txt"));
    ASSERT_EQ(MoveClusters(volume.get(), b.get(), 0, 6000, 8), kStatusSuccess);
    ResetAll();
    EXPECT_EQ(MapNow("sub\\b.txt"), "0:6000:8");
    EXPECT_EQ(MapNow("a.txt"), "0:100:5");
  }
  EXPECT_FALSE(FileExists(JournalFile()));
  EXPECT_THAT(ReadTextFile(LayoutFile()), HasSubstr("SUB\\B.TXT\t0:6000:8"));
}

TEST_F(DiskVolumeAfterACrash, ARecordThatFailsItsCheckEndsTheJournal) {
  std::string journal = TwoMovesJournal();
  const size_t second = journal.find('\n') + 1;
  journal[journal.find("102", second)] = '7';  // the first move's target, damaged
  WriteTextFile(JournalFile(), journal);
  EXPECT_EQ(MapNow("a.txt"), "0:100:2 2:200:3");
  EXPECT_EQ(MapNow("sub\\b.txt"), "0:400:8");
}

TEST_F(DiskVolumeAfterACrash, AJournalOfAnotherLayoutFileIsDropped) {
  const std::string journal = TwoMovesJournal();
  // A fold replaced the layout file and died before removing the journal; or the layout was
  // written anew by hand.
  WriteTextFile(LayoutFile(), ReadTextFile(LayoutFile()) + "resident\tunlisted.txt\n");
  WriteTextFile(JournalFile(), journal);
  EXPECT_EQ(MapNow("a.txt"), "0:100:2 2:200:3");
  EXPECT_FALSE(FileExists(JournalFile()));
}

TEST_F(DiskVolumeAfterACrash, AStaleTemporaryLayoutIsRemovedOnLoad) {
  WriteTextFile(dir.Path() + "volume.layout.new", "volume\t10");
  EXPECT_EQ(MapNow("a.txt"), "0:100:2 2:200:3");
  EXPECT_FALSE(FileExists(dir.Path() + "volume.layout.new"));
}

TEST_F(DiskVolume, ABitmapScanLooksAtTheLayoutFileOnceNotForEveryChunk) {
  constexpr int64_t kChunk = 1048576;
  WriteTextFile(LayoutFile(), LayoutBuilder(3 * kChunk).Used(2 * kChunk + 5, 1).Text());
  Handle volume(OpenVolumeOf(drive->Letter()));
  constexpr size_t kChunkAnswer = 16 + kChunk / 8;
  BitmapAnswer first = AskBitmap(volume.get(), 0, kChunkAnswer);
  ASSERT_EQ(first.Status, kStatusBufferOverflow);
  // Changed during the scan: the scan goes on with the layout it started with, like a
  // snapshot; the next scan sees the change.
  WriteTextFile(LayoutFile(), LayoutBuilder(3 * kChunk).Used(2 * kChunk + 9, 1).Text());
  BitmapAnswer second = AskBitmap(volume.get(), kChunk, kChunkAnswer);
  ASSERT_EQ(second.Status, kStatusBufferOverflow);
  BitmapAnswer third = AskBitmap(volume.get(), 2 * kChunk, kChunkAnswer);
  ASSERT_EQ(third.Status, kStatusSuccess);
  EXPECT_TRUE(third.Used(5));
  EXPECT_FALSE(third.Used(9));
  BitmapAnswer again = AskBitmap(volume.get(), 2 * kChunk, kChunkAnswer);
  EXPECT_FALSE(again.Used(5));
  EXPECT_TRUE(again.Used(9));
}

TEST_F(DiskVolume, ALayoutLargerThanTheFileSystemAllowsIsRefused) {
  WriteTextFile(LayoutFile(), "volume\t68719476736\t4096\nfile\ta.txt\t0:100:2\n");
  Handle a(OpenFileAt(Root() + "a.txt"));
  EXPECT_EQ(AskPointers(a.get(), 0).Status, kStatusDiskCorruptError);
  EXPECT_THAT(LastSimulationProblem(),
              HasSubstr("volume.layout line 1: a volume of 68719476736 clusters is larger than "
                        "the file system allows"));
}

TEST_F(DiskVolume, ReloadsTheLayoutWhenItChangesBehindItsBack) {
  Handle volume(OpenVolumeOf(drive->Letter()));
  Handle a(OpenFileAt(Root() + "a.txt"));
  EXPECT_EQ(MapText(a.get()), "0:100:2 2:200:3");
  WriteTextFile(LayoutFile(), LayoutBuilder(10000).File("a.txt", 7000, 6).Text());
  EXPECT_EQ(MapText(a.get()), "0:7000:6");
  EXPECT_FALSE(AskBitmap(volume.get(), 0).Used(0));

  WriteTextFile(LayoutFile(), "volume\t10000\t4096\nfile\ta.txt\t0:7000:6\nused\t7005:10\n");
  EXPECT_EQ(AskPointers(a.get(), 0).Status, kStatusDiskCorruptError);
  EXPECT_EQ(AskBitmap(volume.get(), 0).Status, kStatusDiskCorruptError);
  EXPECT_THAT(LastSimulationProblem(), HasSubstr(Root() + "volume.layout line 3: the used run"));
  EXPECT_EQ(MoveClusters(volume.get(), a.get(), 0, 100, 1), kStatusDiskCorruptError);

  WriteTextFile(LayoutFile(), LayoutBuilder(10000).File("a.txt", 8000, 1).Text());
  EXPECT_EQ(MapText(a.get()), "0:8000:1");

  ASSERT_TRUE(DeleteFileW(Utf8ToWide(LayoutFile()).c_str()));
  EXPECT_EQ(AskPointers(a.get(), 0).Status, kStatusUnexpectedIoError);
  EXPECT_THAT(LastSimulationProblem(), HasSubstr("cannot open " + Root() + "volume.layout"));
}

TEST_F(DiskVolume, TakenClustersAreWrittenToTheLayout) {
  Handle volume(OpenVolumeOf(drive->Letter()));
  Handle b(OpenFileAt(Root() + "sub\\b.txt"));
  SetBeforeMove([](char letter) { TakeClusters(letter, 5005, 2); });
  EXPECT_EQ(MoveClusters(volume.get(), b.get(), 0, 5000, 8), kStatusAlreadyCommitted);
  SetBeforeMove(nullptr);
  EXPECT_THAT(ReadTextFile(LayoutFile()), HasSubstr("used\t5005:2\n"));
  EXPECT_EQ(MapText(b.get()), "0:400:8");
  TakeClusters(drive->Letter(), 6000, 1);
  EXPECT_THAT(ReadTextFile(LayoutFile()), HasSubstr("used\t6000:1\n"));
  EXPECT_TRUE(AskBitmap(volume.get(), 0).Used(6000));
}

TEST_F(DiskVolume, TestChoicesApplyToFolderDrivesToo) {
  Handle volume(OpenVolumeOf(drive->Letter()));
  Handle a(OpenFileAt(Root() + "a.txt"));
  SetPendingAnswers(true);
  const MoveFileData data{a.get(), 0, 3000, 5};
  IoStatus io;
  ASSERT_EQ(FsControl(volume.get(), io, kFsctlMoveFile, &data, sizeof data, nullptr, 0),
            kStatusPending);
  EXPECT_EQ(WaitHandle(volume.get(), INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(io.Status, kStatusSuccess);
  SetPendingAnswers(false);
  FailMove(1, kStatusInvalidDeviceRequest);
  EXPECT_EQ(MoveClusters(volume.get(), a.get(), 0, 4000, 5), kStatusInvalidDeviceRequest);
  EXPECT_EQ(MapText(a.get()), "0:3000:5");
}

// The platform's own error: neither the layout nor the root folder is put in its place.
TEST_F(SimulationTest, AFolderDriveWithoutALayoutIsNotSimulated) {
  if (!movra::testing::RunningUnderWine()) GTEST_SKIP() << "the answer is Wine's";
  TempDir dir;
  WriteTextFile(dir.Path() + "a.txt", "content");
  MappedDrive drive(dir.Path());
  const std::string device = std::string("\\\\.\\") + drive.Letter() + ":";
  uint32_t error = 0;
  EXPECT_EQ(OpenVolume(device, error), INVALID_HANDLE_VALUE);
  SetLastError(0);
  EXPECT_EQ(
      CreateFileW(Utf8ToWide(device).c_str(), GENERIC_READ, 3, nullptr, OPEN_EXISTING, 0, nullptr),
      INVALID_HANDLE_VALUE);
  EXPECT_EQ(error, GetLastError());
  EXPECT_NE(error, 0u);
  // The file's controls go to the platform untouched.
  Handle a(OpenFileAt(drive.Root() + "a.txt"));
  using NtFsControlFileFunction = NTSTATUS(NTAPI*)(
      HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK, ULONG, PVOID, ULONG, PVOID, ULONG);
  const auto ntFsControlFile = reinterpret_cast<NtFsControlFileFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtFsControlFile")));
  int64_t vcn = 0;
  uint8_t out[64];
  IO_STATUS_BLOCK block{};
  const NTSTATUS platform = ntFsControlFile(a.get(), nullptr, nullptr, nullptr, &block,
                                            kFsctlGetRetrievalPointers, &vcn, 8, out, sizeof out);
  EXPECT_EQ(AskPointers(a.get(), 0).Status, platform);
}

// Half of the cross-process test: run by DiskVolume.AnotherProcessMovesAtTheSameTime in a
// child process, skipped anywhere else.
TEST(DiskVolumeChild, MovesItsOwnFiles) {
  wchar_t letter[4];
  wchar_t ready[128];
  if (GetEnvironmentVariableW(kChildDriveVariable, letter, 4) != 1 ||
      GetEnvironmentVariableW(kChildReadyVariable, ready, 128) == 0) {
    GTEST_SKIP() << "runs only as the child of another test";
  }
  const std::string root = std::string(1, static_cast<char>(letter[0])) + ":\\";
  Handle volume(OpenVolumeOf(root[0]));
  HANDLE readyEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, ready);
  ASSERT_NE(readyEvent, nullptr);
  SetEvent(readyEvent);
  ::CloseHandle(readyEvent);
  for (int i = 0; i < kMovesEach; ++i) {
    Handle file(OpenFileAt(root + "c" + std::to_string(i)));
    ASSERT_EQ(MoveClusters(volume.get(), file.get(), 0, 20000 + 2 * i, 1), kStatusSuccess);
  }
}

TEST_F(DiskVolume, AnotherProcessMovesAtTheSameTime) {
  LayoutBuilder layout(100000);
  for (int i = 0; i < kMovesEach; ++i) {
    for (const char* owner : {"p", "c"}) {
      const std::string name = owner + std::to_string(i);
      WriteTextFile(dir.Path() + name, "");
      layout.File(name, (owner[0] == 'p' ? 1000 : 2000) + i, 1);
    }
  }
  WriteTextFile(LayoutFile(), layout.Text());

  const std::wstring readyName =
      L"MovraPlatformTestReady-" + std::to_wstring(GetCurrentProcessId());
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
  ASSERT_NE(ready, nullptr);
  SetEnvironmentVariableW(kChildDriveVariable, std::wstring(1, drive->Letter()).c_str());
  SetEnvironmentVariableW(kChildReadyVariable, readyName.c_str());
  std::wstring commandLine =
      L"\"" + Utf8ToWide(ProgramFileName()) + L"\" --gtest_filter=DiskVolumeChild.MovesItsOwnFiles";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &startup, &child);
  SetEnvironmentVariableW(kChildDriveVariable, nullptr);
  SetEnvironmentVariableW(kChildReadyVariable, nullptr);
  ASSERT_TRUE(started);
  ::CloseHandle(child.hThread);
  EXPECT_EQ(WaitForSingleObject(ready, 60000), WAIT_OBJECT_0);
  ::CloseHandle(ready);

  Handle volume(OpenVolumeOf(drive->Letter()));
  for (int i = 0; i < kMovesEach; ++i) {
    Handle file(OpenFileAt(Root() + "p" + std::to_string(i)));
    ASSERT_EQ(MoveClusters(volume.get(), file.get(), 0, 10000 + 2 * i, 1), kStatusSuccess);
  }
  ASSERT_EQ(WaitForSingleObject(child.hProcess, 120000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(child.hProcess, &exitCode);
  ::CloseHandle(child.hProcess);
  EXPECT_EQ(exitCode, 0u);

  // Each process saw the other's moves: none was lost to a stale layout.
  const VolumeLayout final = VolumeLayout::Parse(DiskVolumeLayout(drive->Letter()));
  for (int i = 0; i < kMovesEach; ++i) {
    EXPECT_EQ(final.FindFile("p" + std::to_string(i))->Extents[0].Lcn, 10000 + 2 * i);
    EXPECT_EQ(final.FindFile("c" + std::to_string(i))->Extents[0].Lcn, 20000 + 2 * i);
  }
}

}  // namespace
}  // namespace movra::platform::testing
