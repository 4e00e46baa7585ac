// The volume layer over memory volumes: handles, the controls through them and the test hooks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "platform/layout.h"
#include "platform/simulated_volume.h"
#include "tests/platform/volume_test_support.h"
#include "tests/support/support.h"

namespace movra::platform::testing {
namespace {

using movra::testing::LayoutBuilder;
using ::testing::HasSubstr;

constexpr int64_t kChunk = 1048576;
constexpr int32_t kStatusDeviceBusy = static_cast<int32_t>(0x80000011);

const std::string kLayout =
    LayoutBuilder(64 * 1024)
        .Used(0, 100)
        .File("mail\\inbox.mbx", {{0, 5000, 10}, {10, 2000, 5}, {15, 9000, 20}})
        .File("small.dat", 300, 4)
        .Resident("notes.txt")
        .Text();

class MemoryVolume : public SimulationTest {
 protected:
  void SetUp() override {
    SimulationTest::SetUp();
    MountMemoryVolume('M', kLayout);
  }
};

TEST_F(MemoryVolume, HasExactlyTheListedFiles) {
  Handle inbox(OpenFileAt("M:\\mail\\inbox.mbx"));
  Handle other(OpenFileAt("m:\\MAIL\\..\\mail\\INBOX.MBX"));
  Handle notes(OpenFileAt("M:\\notes.txt"));
  EXPECT_EQ(WaitForSingleObject(inbox.get(), 0), WAIT_OBJECT_0);  // a real kernel object
  uint32_t error = 0;
  EXPECT_EQ(OpenFile("M:\\volume.layout", error), INVALID_HANDLE_VALUE);
  EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(OpenFile("M:\\mail", error), INVALID_HANDLE_VALUE);
  EXPECT_EQ(MapText(inbox.get()), "0:5000:10 10:2000:5 15:9000:20");
  EXPECT_EQ(MapText(other.get()), MapText(inbox.get()));
  EXPECT_EQ(MapText(notes.get()), "status 0xC0000011");
}

TEST_F(MemoryVolume, DriveTypesAreFixedUnlessChosen) {
  EXPECT_EQ(DriveType("M:\\"), static_cast<unsigned>(DRIVE_FIXED));
  SetDriveType('m', DRIVE_REMOTE);
  SetDriveType('Q', DRIVE_UNKNOWN);
  EXPECT_EQ(DriveType("M:\\"), static_cast<unsigned>(DRIVE_REMOTE));
  EXPECT_EQ(DriveType("q:\\"), static_cast<unsigned>(DRIVE_UNKNOWN));
  SetDriveType('M', -1);
  EXPECT_EQ(DriveType("M:\\"), static_cast<unsigned>(DRIVE_FIXED));
  UnmountMemoryVolume('M');
  EXPECT_EQ(DriveType("M:\\"), GetDriveTypeW(L"M:\\"));
  EXPECT_EQ(DriveType("C:\\"), GetDriveTypeW(L"C:\\"));
  SetRootDriveType("\\\\Server\\Share\\", DRIVE_REMOTE);
  EXPECT_EQ(DriveType("\\\\server\\share\\"), static_cast<unsigned>(DRIVE_REMOTE));
  EXPECT_EQ(DriveType("\\\\server\\other\\"), GetDriveTypeW(L"\\\\server\\other\\"));
}

TEST_F(MemoryVolume, MovesThroughHandlesAndKeepsTheLayout) {
  Handle volume(OpenVolumeOf('M'));
  Handle inbox(OpenFileAt("M:\\mail\\inbox.mbx"));
  EXPECT_EQ(MoveClusters(volume.get(), inbox.get(), 0, 100, 10), kStatusSuccess);
  EXPECT_EQ(MoveClusters(volume.get(), inbox.get(), 10, 110, 25), kStatusSuccess);
  EXPECT_EQ(MapText(inbox.get()), "0:100:35");
  const BitmapAnswer bits = AskBitmap(volume.get(), 0);
  ASSERT_EQ(bits.Status, kStatusSuccess);
  EXPECT_EQ(bits.Written, 16u + 64 * 1024 / 8);
  EXPECT_TRUE(bits.Used(134));
  EXPECT_FALSE(bits.Used(135));
  EXPECT_FALSE(bits.Used(5000));
  EXPECT_TRUE(bits.Used(303));
  EXPECT_THAT(MemoryVolumeLayout('M'), HasSubstr("file\tmail\\inbox.mbx\t0:100:35\n"));
  EXPECT_EQ(MemoryVolumeLayout('N'), "");
}

TEST_F(MemoryVolume, RefusesControlsOnTheWrongHandles) {
  MountMemoryVolume('N', kLayout);
  Handle volume(OpenVolumeOf('M'));
  Handle otherVolume(OpenVolumeOf('N'));
  Handle small(OpenFileAt("M:\\small.dat"));
  Handle otherSmall(OpenFileAt("N:\\small.dat"));
  EXPECT_EQ(AskBitmap(small.get(), 0).Status, kStatusInvalidParameter);
  EXPECT_EQ(AskPointers(volume.get(), 0).Status, kStatusInvalidParameter);
  EXPECT_EQ(MoveClusters(small.get(), small.get(), 0, 1000, 1), kStatusInvalidParameter);
  EXPECT_EQ(MoveClusters(volume.get(), volume.get(), 0, 1000, 1), kStatusInvalidParameter);
  EXPECT_EQ(MoveClusters(volume.get(), otherSmall.get(), 0, 1000, 1), kStatusInvalidParameter);
  EXPECT_EQ(MoveClusters(otherVolume.get(), otherSmall.get(), 0, 1000, 1), kStatusSuccess);
  const int64_t vcn = 0;
  IoStatus io;
  char out[64];
  EXPECT_EQ(FsControl(small.get(), io, kFsctlGetRetrievalPointers, &vcn, 4, out, sizeof out),
            kStatusInvalidParameter);
  EXPECT_EQ(FsControl(volume.get(), io, kFsctlMoveFile, &vcn, sizeof vcn, nullptr, 0),
            kStatusInvalidParameter);
  EXPECT_EQ(FsControl(volume.get(), io, 0x00090064, nullptr, 0, out, sizeof out),
            kStatusInvalidDeviceRequest);
  EXPECT_EQ(MapText(small.get()), "0:300:4");
}

TEST_F(MemoryVolume, PendingAnswersCarryTheStatusInTheIoStatusBlock) {
  SetPendingAnswers(true);
  Handle volume(OpenVolumeOf('M'));
  Handle small(OpenFileAt("M:\\small.dat"));
  int64_t vcn = 0;
  IoStatus io;
  std::vector<uint8_t> out(64);
  EXPECT_EQ(
      FsControl(small.get(), io, kFsctlGetRetrievalPointers, &vcn, sizeof vcn, out.data(), 64),
      kStatusPending);
  EXPECT_EQ(WaitHandle(small.get(), INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(io.Status, kStatusSuccess);
  EXPECT_EQ(io.Information, 32u);
  vcn = 4;
  EXPECT_EQ(
      FsControl(small.get(), io, kFsctlGetRetrievalPointers, &vcn, sizeof vcn, out.data(), 64),
      kStatusPending);
  EXPECT_EQ(io.Status, kStatusEndOfFile);
  const MoveFileData data{small.get(), 0, 0, 4};
  EXPECT_EQ(FsControl(volume.get(), io, kFsctlMoveFile, &data, sizeof data, nullptr, 0),
            kStatusPending);
  EXPECT_EQ(WaitHandle(volume.get(), INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(io.Status, kStatusAlreadyCommitted);
  SetPendingAnswers(false);
  EXPECT_EQ(MapText(small.get()), "0:300:4");
}

TEST_F(MemoryVolume, FailsTheChosenMoveAndChangesNothing) {
  Handle volume(OpenVolumeOf('M'));
  Handle small(OpenFileAt("M:\\small.dat"));
  FailMove(2, kStatusDeviceBusy);
  EXPECT_EQ(MoveClusters(volume.get(), small.get(), 0, 1000, 1), kStatusSuccess);
  const std::string before = MemoryVolumeLayout('M');
  EXPECT_EQ(MoveClusters(volume.get(), small.get(), 1, 1001, 3), kStatusDeviceBusy);
  EXPECT_EQ(MemoryVolumeLayout('M'), before);
  EXPECT_EQ(MoveClusters(volume.get(), small.get(), 1, 1001, 3), kStatusSuccess);
  EXPECT_EQ(MapText(small.get()), "0:1000:4");
  FailMove(1, kStatusDeviceBusy);
  FailMove(0, kStatusDeviceBusy);
  EXPECT_EQ(MoveClusters(volume.get(), small.get(), 0, 3000, 4), kStatusSuccess);
}

TEST_F(MemoryVolume, AnotherWriterTakesTheTargetBeforeTheMove) {
  Handle volume(OpenVolumeOf('M'));
  Handle small(OpenFileAt("M:\\small.dat"));
  std::vector<char> letters;
  SetBeforeMove([&letters](char letter) {
    letters.push_back(letter);
    TakeClusters(letter, 1002, 1);
  });
  const BitmapAnswer scanned = AskBitmap(volume.get(), 0);
  EXPECT_FALSE(scanned.Used(1002));
  EXPECT_EQ(MoveClusters(volume.get(), small.get(), 0, 1000, 4), kStatusAlreadyCommitted);
  EXPECT_EQ(letters, std::vector<char>{'M'});
  EXPECT_EQ(MapText(small.get()), "0:300:4");
  EXPECT_TRUE(AskBitmap(volume.get(), 0).Used(1002));
  EXPECT_THAT(MemoryVolumeLayout('M'), HasSubstr("used\t1002:1\n"));
  SetBeforeMove(nullptr);
  EXPECT_EQ(MoveClusters(volume.get(), small.get(), 0, 1003, 4), kStatusSuccess);
}

TEST_F(MemoryVolume, RefusesALayoutThatContradictsItself) {
  MountMemoryVolume('K', "volume\t100\t4096\nfile\ta\t0:10:5\nused\t12:1\n");
  EXPECT_THAT(LastSimulationProblem(), HasSubstr("memory volume K: line 3: the used run 12:1"));
  Handle volume(OpenVolumeOf('K'));
  EXPECT_EQ(AskBitmap(volume.get(), 0).Status, kStatusDiskCorruptError);
  uint32_t error = 0;
  EXPECT_EQ(OpenFile("K:\\a", error), INVALID_HANDLE_VALUE);
  EXPECT_THROW(TakeClusters('K', 0, 1), Exception);
  EXPECT_THROW(TakeClusters('J', 0, 1), Exception);  // nothing simulated there
}

TEST_F(MemoryVolume, ClosedHandlesAreForgotten) {
  HANDLE small = OpenFileAt("M:\\small.dat");
  CloseHandle(small);
  CloseHandle(INVALID_HANDLE_VALUE);
  // A plain event in its place gets the platform's answer, not the layout's.
  Handle volume(OpenVolumeOf('M'));
  HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  const MoveFileData data{event, 0, 1000, 4};
  IoStatus io;
  EXPECT_EQ(FsControl(volume.get(), io, kFsctlMoveFile, &data, sizeof data, nullptr, 0),
            kStatusInvalidParameter);
  ::CloseHandle(event);
}

// Scans the bitmap as the engine does, 1048576 clusters an answer, counting used clusters.
int64_t UsedClusters(HANDLE volume) {
  int64_t used = 0;
  for (int64_t lcn = 0;;) {
    const BitmapAnswer answer = AskBitmap(volume, lcn);
    EXPECT_TRUE(answer.Status == kStatusSuccess || answer.Status == kStatusBufferOverflow);
    const int64_t n = std::min<int64_t>(kChunk, answer.Header.BitmapSize);
    for (int64_t i = 0; i < n; i += 8) {
      used += __builtin_popcount(answer.Bits[static_cast<size_t>(i / 8)]);
    }
    if (answer.Status != kStatusBufferOverflow) return used;
    lcn = answer.Header.StartingLcn + n;
  }
}

TEST_F(MemoryVolume, ServesManyFilesAndRunsOnALargeVolume) {
  constexpr int kFiles = 100000;
  LayoutBuilder builder(int64_t{1} << 29);
  for (int i = 0; i < kFiles; ++i) {
    const int64_t lcn = int64_t{i} * 5000;
    builder.File("f" + std::to_string(i), {{0, lcn, 3}, {3, lcn + 2500, 2}});
  }
  MountMemoryVolume('L', builder.Text());
  Handle volume(OpenVolumeOf('L'));
  EXPECT_EQ(UsedClusters(volume.get()), int64_t{kFiles} * 5);
  for (int i : {0, 4242, kFiles - 1}) {
    Handle file(OpenFileAt("L:\\F" + std::to_string(i)));
    const int64_t target = int64_t{i} * 5000 + 3;
    EXPECT_EQ(MoveClusters(volume.get(), file.get(), 3, target, 2), kStatusSuccess);
    EXPECT_EQ(MapText(file.get()), "0:" + std::to_string(int64_t{i} * 5000) + ":5");
  }
  EXPECT_EQ(UsedClusters(volume.get()), int64_t{kFiles} * 5);
}

TEST_F(MemoryVolume, ThreadsMovingOnOneVolumeLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kMoves = 50;
  LayoutBuilder builder(100000);
  for (int t = 0; t < kThreads; ++t) builder.File("t" + std::to_string(t), t * 10, 1);
  MountMemoryVolume('T', builder.Text());
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      Handle volume(OpenVolumeOf('T'));
      Handle file(OpenFileAt("T:\\t" + std::to_string(t)));
      for (int i = 1; i <= kMoves; ++i) {
        EXPECT_EQ(MoveClusters(volume.get(), file.get(), 0, 1000 * (t + 1) + i, 1), kStatusSuccess);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  const VolumeLayout layout = VolumeLayout::Parse(MemoryVolumeLayout('T'));
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(layout.FindFile("t" + std::to_string(t))->Extents[0].Lcn, 1000 * (t + 1) + kMoves);
  }
  EXPECT_EQ(layout.UsedRunCount(), static_cast<size_t>(kThreads));
}

TEST_F(SimulationTest, AVolumeWithoutALayoutGetsThePlatformsAnswer) {
  if (!movra::testing::RunningUnderWine()) GTEST_SKIP() << "the answer is Wine's";
  Handle volume(OpenVolumeOf('C'));
  EXPECT_EQ(AskBitmap(volume.get(), 0).Status, kStatusNotSupported);
}


TEST_F(MemoryVolume, FailBitmapFailsOrSkewsTheChosenRequest) {
  Handle volume(OpenVolumeOf('M'));
  FailBitmap(2, kStatusDeviceBusy);
  EXPECT_EQ(AskBitmap(volume.get(), 0).Status, kStatusSuccess);
  EXPECT_EQ(AskBitmap(volume.get(), 0).Status, kStatusDeviceBusy);
  EXPECT_EQ(AskBitmap(volume.get(), 0).Status, kStatusSuccess);
  // Success chosen: answered, but from one cluster past the one asked for.
  FailBitmap(1, kStatusSuccess);
  const BitmapAnswer skewed = AskBitmap(volume.get(), 64);
  EXPECT_EQ(skewed.Status, kStatusSuccess);
  EXPECT_EQ(skewed.Header.StartingLcn, 65);
  EXPECT_EQ(AskBitmap(volume.get(), 64).Header.StartingLcn, 64);
  FailBitmap(1, kStatusDeviceBusy);
  FailBitmap(0, kStatusDeviceBusy);
  EXPECT_EQ(AskBitmap(volume.get(), 0).Status, kStatusSuccess);
}

TEST(LongPathForm, OnlyLongPathsGetThePrefixedForm) {
  const std::wstring shortPath = L"C:\\dir\\file.bin";
  EXPECT_EQ(detail::LongPathForm(shortPath), shortPath);
  std::wstring tail;
  while (tail.size() < MAX_PATH) tail += L"folder\\";
  tail += L"f";
  EXPECT_EQ(detail::LongPathForm(L"C:\\" + tail), L"\\\\?\\C:\\" + tail);
  EXPECT_EQ(detail::LongPathForm(L"\\\\server\\share\\" + tail),
            L"\\\\?\\UNC\\server\\share\\" + tail);
  // Already in the long form, or a device name: left alone.
  EXPECT_EQ(detail::LongPathForm(L"\\\\?\\C:\\" + tail), L"\\\\?\\C:\\" + tail);
  EXPECT_EQ(detail::LongPathForm(L"\\\\.\\C:\\" + tail), L"\\\\.\\C:\\" + tail);
  // Exactly MAX_PATH characters no longer opens in the plain form.
  const std::wstring edge = L"C:\\" + std::wstring(MAX_PATH - 3, L'x');
  EXPECT_EQ(detail::LongPathForm(edge), L"\\\\?\\" + edge);
  EXPECT_EQ(detail::LongPathForm(edge.substr(1)), edge.substr(1));
}

}  // namespace
}  // namespace movra::platform::testing
