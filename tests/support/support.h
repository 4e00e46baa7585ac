#pragma once
// Helpers shared by the tests of every folder.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace movra::testing {

// True when the tests run under Wine.
bool RunningUnderWine();

// A unique folder under the Windows temporary path, removed with its content on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // UTF-8, with a trailing backslash.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Maps a folder as a drive letter ("X:\" then shows the folder's content) until destruction.
// Under Wine the mapping is a link in the prefix's dosdevices folder, so child processes see it
// too; note that in the process that made the link GetDriveType may still answer
// DRIVE_NO_ROOT_DIR (1) for a while, while child processes see DRIVE_FIXED (3). On Windows the
// mapping is a DOS device of this session. Throws movra::Exception when no letter is free.
class MappedDrive {
 public:
  explicit MappedDrive(const std::string& folder);
  ~MappedDrive();
  MappedDrive(const MappedDrive&) = delete;
  MappedDrive& operator=(const MappedDrive&) = delete;

  char Letter() const { return letter_; }
  // "X:\"
  std::string Root() const { return std::string(1, letter_) + ":\\"; }

 private:
  char letter_ = 0;
  std::string link_;  // under Wine: the Unix path of the dosdevices link
};

// A top-level window of this thread with the class and title (either may be null). Tests of
// one desktop run side by side: a window of another process is never theirs to answer.
HWND FindThreadWindow(const wchar_t* className, const wchar_t* title);

// Mouse input through the system's queue: one input that puts the pointer at `screen` (screen
// coordinates) and, with `buttons` (MOUSEEVENTF_LEFTDOWN and the like), presses or releases
// there. A button sent on its own goes wherever the pointer was last reported, which under load
// can still be the place before a move: carrying its position, it lands where it aims.
void SendMouseAt(POINT screen, DWORD buttons = 0);

// Whole files as UTF-8 text (paths in UTF-8); both throw movra::Exception on failure.
void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);

// Builds layout text for simulated volumes.
class LayoutBuilder {
 public:
  struct Extent {
    int64_t Vcn;
    int64_t Lcn;  // -1: a hole
    int64_t Length;
  };

  LayoutBuilder(int64_t totalClusters, int64_t bytesPerCluster = 4096);
  LayoutBuilder& Used(int64_t lcn, int64_t length);
  LayoutBuilder& File(const std::string& path, const std::vector<Extent>& extents);
  // A file in one piece: VCN 0 at `lcn`.
  LayoutBuilder& File(const std::string& path, int64_t lcn, int64_t length);
  LayoutBuilder& Resident(const std::string& path);
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace movra::testing

namespace movra::testing {

// A 32-bit top-down memory bitmap selected into its own DC, for drawing tests: draw into
// `Dc()`, then read pixels as COLORREF (0x00BBGGRR, the value GetPixel would give).
class TestPicture {
 public:
  TestPicture(int width, int height, COLORREF fill = RGB(255, 255, 255));
  // `window` drawn by itself (see Print), the size of its window rectangle, or of its client
  // rectangle when `clientOnly`.
  explicit TestPicture(HWND window, bool clientOnly = false, COLORREF fill = RGB(255, 255, 255));
  ~TestPicture();
  TestPicture(const TestPicture&) = delete;
  TestPicture& operator=(const TestPicture&) = delete;

  HDC Dc() const { return dc_; }
  HBITMAP Bitmap() const { return bitmap_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF Pixel(int x, int y) const;
  // Draws `window` into the picture as the window paints itself, through PrintWindow: its
  // frame (unless `clientOnly`), background, client area and child windows, its corner at
  // (`x`, `y`) and clipped to its size. The suite's tests share one desktop: a copy of the
  // screen would show whatever window of another test lies over this one.
  void Print(HWND window, int x = 0, int y = 0, bool clientOnly = false);
  // Flushes GDI and fills the whole picture.
  void Fill(COLORREF color);
  // Writes the picture as a BMP file named `name` (".bmp" added) under the build's
  // test-artifacts folder, so that a reviewer can look at what a test drew; returns the path.
  std::string Save(const std::string& name) const;
  // The same BMP file at `path` (UTF-8).
  void SaveAs(const std::string& path) const;

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// The folder where tests leave pictures for review: "test-artifacts" beside the build's bin
// folder; made on first use. UTF-8 with a trailing backslash.
std::string TestArtifactsFolder();

// --- Benchmarks -------------------------------------------------------------------------

// Milliseconds from the performance counter.
double NowMs();
// The middle value, or the mean of the two middle ones; 0 for none.
double Median(std::vector<double> values);
// Dispatches every message waiting for this thread.
void DrainMessages();

// What the system counts for this process. Wine answers 0 for the handle and object counts
// and for the private bytes; its commit charge stands in for the private bytes then.
struct ProcessUsage {
  DWORD Handles = 0, Gdi = 0, User = 0;
  SIZE_T Private = 0;
};
ProcessUsage MeasureProcess();
// Expects the handle, GDI and USER counts after a soak at most `margin` above those before it,
// and the private bytes at most `memory` bytes above.
void ExpectSettled(const ProcessUsage& before, const ProcessUsage& after, DWORD margin, SIZE_T memory);

}  // namespace movra::testing
