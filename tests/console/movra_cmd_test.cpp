// movra_cmd.exe run for real on a simulated drive.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "run_program.h"
#include "runtime/string_list.h"
#include "runtime/text.h"
#include "support.h"

namespace movra::testing {
namespace {

std::vector<std::string> LinesOf(const std::string& text) {
  TStringList list;
  list.SetText(text);
  return list.Lines();
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

const std::vector<std::string> kUsage = {
    "movra_cmd ver 0.9",
    "Usage: movra_cmd.exe [-h] [-d filename] [-l listfile] [-i filename]",
    "       -h           show this screen then exit",
    "       -d filename  defragment one file",
    "       -l listfile  defragment each file from list",
    "       -i filename  info about specified file",
    "",
    "Please note: The -d command accepts only absolute filenames with drive letter",
    "             it is true for files listed in the listfile for -l command as well",
};

class MovraCmdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A copy of the program of its own: each copy logs next to itself.
    std::string built = ProgramFileName();
    built = built.substr(0, built.rfind('\\') + 1) + "movra_cmd.exe";
    program_ = programDir_.Path() + "movra_cmd.exe";
    ASSERT_TRUE(CopyFileW(Utf8ToWide(built).c_str(), Utf8ToWide(program_).c_str(), FALSE));

    AddFile("frag.bin", "0:5000:10 10:6000:5 15:6005:5");
    AddFile("Größe {dte}.bin", "0:7000:3 3:7100:3");
    AddFile("one.bin", "0:150:8");
    layout_ += "resident\tsmall.txt\n";
    WriteTextFile(volume_.Path() + "small.txt", "x");
    WriteTextFile(volume_.Path() + "volume.layout", "volume\t100000\t4096\nused\t0:100\n" + layout_);
    drive_ = std::make_unique<MappedDrive>(volume_.Path());
  }

  void AddFile(const std::string& name, const std::string& extents) {
    WriteTextFile(volume_.Path() + name, "data");
    layout_ += "file\t" + name + "\t" + extents + "\n";
  }

  std::string OnDrive(const std::string& name) const { return drive_->Root() + name; }
  ProgramResult Run(const std::vector<std::string>& args) { return RunProgram(program_, args); }
  std::vector<std::string> Log() const {
    return LinesOf(ReadTextFile(programDir_.Path() + "movra_cmd.log"));
  }

  TempDir programDir_;
  TempDir volume_;
  std::string program_;
  std::string layout_;
  std::unique_ptr<MappedDrive> drive_;
};

TEST_F(MovraCmdTest, UsageAndArgumentErrors) {
  for (auto args : {std::vector<std::string>{}, {"-h"}, {"/H"}, {"-d", "x", "-h"}}) {
    ProgramResult r = Run(args);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(LinesOf(r.output), kUsage);
  }
  ProgramResult r = Run({"-d", "a", "b"});
  EXPECT_EQ(r.exitCode, 1u);
  std::vector<std::string> expected{"Too much parameters!"};
  expected.insert(expected.end(), kUsage.begin(), kUsage.end());
  EXPECT_EQ(LinesOf(r.output), expected);
  // An argument that is no switch takes the lock, does nothing and succeeds.
  r = Run({"whatever"});
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.output, "");
}

TEST_F(MovraCmdTest, InfoShowsTheReportedAndTheReducedMap) {
  ProgramResult r = Run({"/I", OnDrive("frag.bin")});
  EXPECT_EQ(r.exitCode, 0u);
  std::vector<std::string> expected{
      "Information for file : \"" + OnDrive("frag.bin") + "\"",
      "File size (clusters): 20",
      "",
      "--------------------------- Windows reporting --------",
      "",
      "Number of fragments: 3",
      "-------- Lcn ------- Vcn ------- Len",
      "        5000           0          10",
      "        6000          10           5",
      "        6005          15           5",
      "",
      "",
      "------------------------ Reduced map for file --------",
      "",
      "Number of fragments: 2",
      "-------- Lcn ------- Vcn ------- Len",
      "        5000           0          10",
      "        6000          10          10",
      "-----",
  };
  EXPECT_EQ(LinesOf(r.output), expected);
  for (const auto& line : LinesOf(r.output)) {
    if (!line.empty() && line[0] == ' ') {
      EXPECT_EQ(line.size(), 36u) << line;
    }
  }
}

TEST_F(MovraCmdTest, DefragmentThenInfoShowsOneFragment) {
  ProgramResult r = Run({"-d", OnDrive("frag.bin")});
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(LinesOf(r.output),
            (std::vector<std::string>{"Defragmenting file : \"" + OnDrive("frag.bin") + "\"",
                                      "Done : \"" + OnDrive("frag.bin") + "\""}));
  std::vector<std::string> log = Log();
  EXPECT_TRUE(Contains(log, "<<<< \"Defragment file\" started. File: \"" + OnDrive("frag.bin") + "\""));
  EXPECT_TRUE(Contains(log, ">>>> \"Defragment file\" finished normally."));

  r = Run({"-i", OnDrive("frag.bin")});
  std::vector<std::string> lines = LinesOf(r.output);
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[5], "Number of fragments: 1");
  EXPECT_EQ(lines[7], "         100           0          20");
  // The layout on disk says the same.
  EXPECT_NE(ReadTextFile(volume_.Path() + "volume.layout").find("frag.bin\t0:100:20"), std::string::npos);
}

TEST_F(MovraCmdTest, FileNamesOutsideAsciiAndWithBraces) {
  const std::string name = OnDrive("Größe {dte}.bin");
  ProgramResult r = Run({"-d", name});
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(Contains(LinesOf(r.output), "Done : \"" + name + "\""));
  EXPECT_TRUE(Contains(Log(), "<<<< \"Defragment file\" started. File: \"" + name + "\""));
}

TEST_F(MovraCmdTest, FailuresGiveTheirExitCodes) {
  ProgramResult r = Run({"-i", OnDrive("missing.bin")});
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_EQ(LinesOf(r.output), std::vector<std::string>{"Fatal error! Cannot open file or volume."});

  r = Run({"-d", OnDrive("missing.bin")});
  EXPECT_EQ(r.exitCode, 2u);
  EXPECT_EQ(LinesOf(r.output).size(), 2u);
  EXPECT_TRUE(Contains(Log(), "    Cannot open FILE or volume for \"" + OnDrive("missing.bin") + "\"! Exit with:"));

  // -d alone hands an empty name to the engine and still prints both lines.
  r = Run({"-d"});
  EXPECT_EQ(r.exitCode, 2u);
  EXPECT_EQ(LinesOf(r.output), (std::vector<std::string>{"Defragmenting file : \"\"", "Done : \"\""}));

  r = Run({"-l", programDir_.Path() + "no-such-list.txt"});
  EXPECT_EQ(r.exitCode, 1u);
  std::vector<std::string> lines = LinesOf(r.output);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "Cannot open list file!");
  EXPECT_EQ(lines.size(), kUsage.size() + 1);
}

TEST_F(MovraCmdTest, FileWithoutClustersIsNoFailure) {
  ProgramResult r = Run({"-i", OnDrive("small.txt")});
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(LinesOf(r.output),
            (std::vector<std::string>{"Information for file : \"" + OnDrive("small.txt") + "\"",
                                      "File size (clusters): 0", "-----"}));
  r = Run({"-d", OnDrive("small.txt")});
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(Contains(Log(), "    File \"" + OnDrive("small.txt") + "\" alredy MFT placed. Just exitting."));
}

TEST_F(MovraCmdTest, ListFileWithAnEmptyLine) {
  const std::string list = programDir_.Path() + "list.txt";
  WriteTextFile(list, OnDrive("frag.bin") + "\r\n\r\n" + OnDrive("Größe {dte}.bin") + "\n");
  ProgramResult r = Run({"-l", list});
  EXPECT_EQ(r.exitCode, 2u);  // the empty name failed
  EXPECT_EQ(LinesOf(r.output),
            (std::vector<std::string>{
                "Defragmenting file : \"" + OnDrive("frag.bin") + "\"",
                "Done : \"" + OnDrive("frag.bin") + "\"",
                "Defragmenting file : \"\"",
                "Done : \"\"",
                "Defragmenting file : \"" + OnDrive("Größe {dte}.bin") + "\"",
                "Done : \"" + OnDrive("Größe {dte}.bin") + "\"",
            }));
  std::string layout = ReadTextFile(volume_.Path() + "volume.layout");
  EXPECT_NE(layout.find("frag.bin\t0:100:20"), std::string::npos);
  EXPECT_NE(layout.find("Größe {dte}.bin\t0:120:6"), std::string::npos);
}

TEST_F(MovraCmdTest, ListLinesWithCharactersNoFileNameHoldsAreRefused) {
  const std::string list = programDir_.Path() + "list.txt";
  const std::string withNul = OnDrive("frag.bin") + std::string(1, '\0') + "garbage";
  WriteTextFile(list, withNul + "\r\n" + OnDrive("one|bin") + "\r\n" + OnDrive("one.bin") + "\n");
  ProgramResult r = Run({"-l", list});
  EXPECT_EQ(r.exitCode, 2u);
  const std::string shown = OnDrive("frag.bin") + "\\x00garbage";
  const std::string refusal =
      "Skipped : \"" + shown + "\" holds a character a file name cannot hold (0x00)";
  EXPECT_EQ(LinesOf(r.output),
            (std::vector<std::string>{
                refusal,
                "Skipped : \"" + OnDrive("one|bin") +
                    "\" holds a character a file name cannot hold (0x7C)",
                "Defragmenting file : \"" + OnDrive("one.bin") + "\"",
                "Done : \"" + OnDrive("one.bin") + "\"",
            }));
  // The name before the NUL is not taken for the line.
  EXPECT_NE(ReadTextFile(volume_.Path() + "volume.layout").find("frag.bin\t0:5000:10 "),
            std::string::npos);
  EXPECT_TRUE(Contains(Log(), "    " + refusal));
}

TEST_F(MovraCmdTest, InfoOnARefusedLayoutSaysWhy) {
  WriteTextFile(volume_.Path() + "a.dat", "data");
  WriteTextFile(volume_.Path() + "volume.layout",
                "volume\t100000\t4096\nfile\tsub\\..\\a.dat\t0:500:20\n");
  ProgramResult r = Run({"-i", OnDrive("a.dat")});
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_EQ(LinesOf(r.output),
            (std::vector<std::string>{
                "Information for file : \"" + OnDrive("a.dat") + "\"",
                "Fatal error! Cannot read the file's cluster map. " + OnDrive("volume.layout") +
                    " line 2: bad path \"sub\\..\\a.dat\" (it steps through \".\" or \"..\"; "
                    "expected a path relative to the volume root)",
            }));
  r = Run({"-d", OnDrive("a.dat")});
  EXPECT_EQ(r.exitCode, 2u);
  bool logged = false;
  for (const std::string& line : Log()) logged = logged || line.find("bad path") != std::string::npos;
  EXPECT_TRUE(logged);
}

TEST_F(MovraCmdTest, ListFileInTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs the Windows-1252 code page";
  const std::string list = programDir_.Path() + "ansi.txt";
  std::string ansiName = OnDrive("Gr\xF6\xDF" "e {dte}.bin");
  WriteTextFile(list, ansiName + "\r\n");
  ProgramResult r = Run({"-l", list});
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(Contains(LinesOf(r.output), "Done : \"" + OnDrive("Größe {dte}.bin") + "\""));
}

TEST_F(MovraCmdTest, SecondCopyWaitsWithoutTouchingTheLog) {
  ASSERT_EQ(Run({"-d", OnDrive("one.bin")}).exitCode, 0u);
  const std::string firstLog = ReadTextFile(programDir_.Path() + "movra_cmd.log");
  ASSERT_FALSE(firstLog.empty());

  // Hold the lock as a running copy would.
  HANDLE mutex = CreateMutexW(nullptr, TRUE, L"movra_file_defragmenter");
  ASSERT_NE(mutex, nullptr);
  RunningProgram waiting(program_, {"-d", OnDrive("frag.bin")});
  ASSERT_TRUE(waiting.StillRunningAfter(1500));
  EXPECT_EQ(ReadTextFile(programDir_.Path() + "movra_cmd.log"), firstLog);
  ReleaseMutex(mutex);
  ProgramResult r = waiting.Finish();
  CloseHandle(mutex);
  EXPECT_EQ(r.exitCode, 0u);
  std::vector<std::string> log = Log();
  EXPECT_TRUE(Contains(log, ">>>> \"Defragment file\" finished normally."));
  EXPECT_FALSE(Contains(log, "<<<< \"Defragment file\" started. File: \"" + OnDrive("one.bin") + "\""));
}

TEST_F(MovraCmdTest, TwoCopiesAtOnceBothFinishWhole) {
  RunningProgram a(program_, {"-d", OnDrive("frag.bin")});
  RunningProgram b(program_, {"-d", OnDrive("Größe {dte}.bin")});
  ProgramResult ra = a.Finish(), rb = b.Finish();
  EXPECT_EQ(ra.exitCode, 0u);
  EXPECT_EQ(rb.exitCode, 0u);
  // The copy that ran second recreated the log; it holds one whole run.
  std::vector<std::string> log = Log();
  int starts = 0, finishes = 0;
  for (const auto& line : log) {
    starts += line.rfind("<<<< \"Defragment file\" started.", 0) == 0;
    finishes += line == ">>>> \"Defragment file\" finished normally.";
  }
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(finishes, 1);
  for (const char* name : {"frag.bin", "Größe {dte}.bin"}) {
    std::vector<std::string> map = LinesOf(Run({"-i", OnDrive(name)}).output);
    ASSERT_GE(map.size(), 6u) << name;
    EXPECT_EQ(map[5], "Number of fragments: 1") << name;
  }
}

TEST_F(MovraCmdTest, AbandonedLockIsReportedAndHandedOn) {
  std::thread owner([] {
    HANDLE m = CreateMutexW(nullptr, TRUE, L"movra_file_defragmenter");
    (void)m;  // the thread ends owning it: the lock is abandoned
  });
  owner.join();
  ProgramResult r = Run({"-d", OnDrive("frag.bin")});
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_EQ(LinesOf(r.output),
            std::vector<std::string>{"Fatal error! Got ownership of the abandoned mutex object."});
  // That copy released it: the next one works normally.
  r = Run({"-d", OnDrive("frag.bin")});
  EXPECT_EQ(r.exitCode, 0u);
}

}  // namespace
}  // namespace movra::testing
