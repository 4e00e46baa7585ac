// The log that the real movra_cmd.exe writes when it defragments a file on a simulated drive.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "logging/journal_layout.h"
#include "run_program.h"
#include "runtime/string_list.h"
#include "runtime/text.h"
#include "runtime/version_info.h"
#include "support.h"

namespace movra::testing {
namespace {

class MovraCmdLog : public ::testing::Test {
 protected:
  void SetUp() override {
    // A copy of its own: the program logs next to itself.
    std::string built = ProgramFileName();
    built = built.substr(0, built.rfind('\\') + 1) + "movra_cmd.exe";
    program_ = programDir_.Path() + "movra_cmd.exe";
    ASSERT_TRUE(CopyFileW(Utf8ToWide(built).c_str(), Utf8ToWide(program_).c_str(), FALSE));

    WriteTextFile(volume_.Path() + "frag.bin", "data");
    WriteTextFile(volume_.Path() + "Größe {dte}.bin", "data");
    WriteTextFile(volume_.Path() + "volume.layout",
                  "volume\t100000\t4096\nused\t0:100\n"
                  "file\tfrag.bin\t0:5000:10 10:6000:5 15:6005:5\n"
                  "file\tGröße {dte}.bin\t0:7000:3 3:7100:3\n");
    drive_ = std::make_unique<MappedDrive>(volume_.Path());
  }

  std::string OnDrive(const std::string& name) const { return drive_->Root() + name; }

  std::vector<std::string> Log() const {
    const std::string text = ReadTextFile(programDir_.Path() + "movra_cmd.log");
    EXPECT_TRUE(IsValidUtf8(text));
    TStringList lines;
    lines.SetText(text);
    return lines.Lines();
  }

  // Checks the header and the three reports; returns the index of the first line after them.
  size_t ExpectHeaderAndReports(const std::vector<std::string>& log, const std::string& params) {
    EXPECT_GE(log.size(), 34u);
    if (log.size() < 34) return log.size();
    EXPECT_EQ(log[0], "");
    EXPECT_EQ(log[1], std::string(80, '*'));
    EXPECT_TRUE(std::regex_match(
        log[2],
        std::regex(R"(>>>> Start movra_cmd\.exe  v 0\.9\.0\.0 +\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
        << log[2];
    EXPECT_EQ(TextWidth(log[2]), 80u);
    EXPECT_TRUE(SameTextAscii(log[3], "           From : " + programDir_.Path())) << log[3];
    EXPECT_EQ(log[4], "           Prms : " + params);
    EXPECT_EQ(log[5], "");
    // The operating-system version, the disk and the memory status follow, each framed by
    // empty lines.
    EXPECT_EQ(log[6], "");
    EXPECT_EQ(
        log[7],
        "===============================  OS version info  =================================");
    EXPECT_EQ(log[11], std::string(83, '='));
    EXPECT_EQ(log[13], "");
    EXPECT_EQ(log[14], "============  Disk Monitor  ===========");
    EXPECT_EQ(log[18], std::string(39, '='));
    EXPECT_EQ(log[20], "");
    EXPECT_EQ(
        log[21],
        "=================================  Memory status  =================================");
    EXPECT_EQ(log[32], std::string(83, '='));
    EXPECT_EQ(log[33], "");
    return 34;
  }

  TempDir programDir_;
  TempDir volume_;
  std::string program_;
  std::unique_ptr<MappedDrive> drive_;
};

TEST_F(MovraCmdLog, DefragmentWritesHeaderReportsThenEngineLines) {
  const ProgramResult run = RunProgram(program_, {"-d", OnDrive("frag.bin")});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0u) << run.output;

  const std::vector<std::string> log = Log();
  const size_t engine = ExpectHeaderAndReports(log, "-d, " + OnDrive("frag.bin"));
  ASSERT_LT(engine, log.size());
  EXPECT_EQ(log[engine], "<<<< \"Defragment file\" started. File: \"" + OnDrive("frag.bin") + "\"");
  EXPECT_EQ(log.back(), ">>>> \"Defragment file\" finished normally.");
}

TEST_F(MovraCmdLog, ParametersAreWrittenAsTheyStand) {
  const std::string name = OnDrive("Größe {dte}.bin");
  const ProgramResult run = RunProgram(program_, {"/D", name});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0u) << run.output;

  const std::vector<std::string> log = Log();
  const size_t engine = ExpectHeaderAndReports(log, "/D, " + name);
  ASSERT_LT(engine, log.size());
  EXPECT_EQ(log[engine], "<<<< \"Defragment file\" started. File: \"" + name + "\"");
}

TEST_F(MovraCmdLog, ProgramCarriesItsVersion) {
  EXPECT_EQ(ReadFileVersion(program_), (TFileVersion{0, 9, 0, 0}));
  EXPECT_EQ(ReadFileVersion(ProgramFileName()), std::nullopt);
  EXPECT_EQ(ReadFileVersion(programDir_.Path() + "missing.exe"), std::nullopt);
  EXPECT_EQ(VersionText({1, 4, 0, 512}), "1.4.0.512");
}

}  // namespace
}  // namespace movra::testing
