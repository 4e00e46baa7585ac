#include "logging/journal.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/exception.h"
#include "runtime/system_error.h"
#include "runtime/text.h"

using namespace movra;

namespace {

constexpr uint32_t kWait = 120000;

std::string ReadAll(const std::string& path) {
  HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string data;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) data.append(buffer, read);
  CloseHandle(file);
  return data;
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteAll(const std::string& path, const std::string& data) {
  HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                            nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  CloseHandle(file);
}

// The lines of a file whose every line ends in CR LF.
std::vector<std::string> Lines(const std::string& data) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = data.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(data.substr(start, end - start));
  }
  EXPECT_EQ(start, data.size()) << "text after the last line end";
  return lines;
}

// Runs `post(t, i)` for i below `perThread` on each of `threads` threads at once.
void PostFromThreads(int threads, int perThread, const std::function<void(int, int)>& post) {
  std::vector<std::thread> running;
  for (int t = 0; t < threads; ++t) {
    running.emplace_back([&post, t, perThread] {
      for (int i = 0; i < perThread; ++i) post(t, i);
    });
  }
  for (auto& thread : running) thread.join();
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

class JournalFile : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    path_ = WideToUtf8(dir) + "movra_journal_" + std::to_string(GetCurrentProcessId()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
    DeleteFileW(Utf8ToWide(path_).c_str());
  }
  void TearDown() override { DeleteFileW(Utf8ToWide(path_).c_str()); }

  std::string path_;
};

TEST_F(JournalFile, LineEndsAreCompletedNotDoubled) {
  TJournal journal(path_);
  journal.StartLogging();
  journal.Add("");
  journal.Add("lf\n");
  journal.Add("crlf\r\n");
  journal.Add("none");
  journal.Add("inner\r\nbreak");
  ASSERT_TRUE(journal.WaitWritten(kWait));
  EXPECT_EQ(ReadAll(path_), "\r\nlf\r\ncrlf\r\nnone\r\ninner\r\nbreak\r\n");
}

TEST_F(JournalFile, OnlyLinesPostedAfterStartAreWritten) {
  TJournal journal(path_);
  journal.Add("too early");
  journal.AddStrings({"too", "early"});
  journal.AddError(5);
  EXPECT_FALSE(journal.WaitWritten(kWait));
  EXPECT_FALSE(Exists(path_)) << "no file before logging starts";
  journal.StartLogging();
  journal.Add("right after the start");
  ASSERT_TRUE(journal.WaitWritten(kWait));
  EXPECT_EQ(ReadAll(path_), "right after the start\r\n");
}

TEST_F(JournalFile, StartRecreatesTheFileOnceOnly) {
  WriteAll(path_, "left from an earlier run\r\n");
  TJournal journal(path_);
  journal.StartLogging();
  journal.Add("first");
  ASSERT_TRUE(journal.WaitWritten(kWait));
  journal.StartLogging();
  journal.Add("second");
  ASSERT_TRUE(journal.WaitWritten(kWait));
  EXPECT_EQ(ReadAll(path_), "first\r\nsecond\r\n");
}

TEST_F(JournalFile, FileIsNamedAfterTheProgramUntilChosenBeforeStart) {
  TJournal journal;
  const std::string program = ProgramFileName();
  EXPECT_EQ(journal.FileName(), program.substr(0, program.rfind('.')) + ".log");
  ASSERT_TRUE(journal.SetFileName(path_));
  EXPECT_EQ(journal.FileName(), path_);
  journal.StartLogging();
  EXPECT_FALSE(journal.SetFileName(path_ + ".other"));
  EXPECT_EQ(journal.FileName(), path_);
  journal.Add("chosen");
  ASSERT_TRUE(journal.WaitWritten(kWait));
  EXPECT_EQ(ReadAll(path_), "chosen\r\n");
}

TEST_F(JournalFile, OthersMayReadTheLogButNotWriteIt) {
  TJournal journal(path_);
  journal.StartLogging();
  journal.Add("shared");
  ASSERT_TRUE(journal.WaitWritten(kWait));
  const std::wstring name = Utf8ToWide(path_);
  HANDLE reader = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  HANDLE writer = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST_F(JournalFile, UnwritableFolderLeavesLoggingOff) {
  const std::string missing = FolderOf(path_) + "movra_no_such_folder_" +
                              std::to_string(GetCurrentProcessId()) + "\\x.log";
  TJournal journal(missing);
  journal.StartLogging();
  journal.Add("nowhere to go");
  journal.AddStrings({"a", "b"});
  journal.AddError(5);
  EXPECT_FALSE(journal.WaitWritten(kWait));
  journal.Stop();
  EXPECT_FALSE(Exists(missing));
}

TEST_F(JournalFile, ErrorsAreWrittenAsBlocks) {
  const std::string text = SystemErrorText(ERROR_ACCESS_DENIED);
  ASSERT_FALSE(text.empty());
  TJournal journal(path_);
  journal.StartLogging();
  journal.AddError(ERROR_ACCESS_DENIED);
  journal.AddException(Exception("Disk full"), 112);
  ASSERT_TRUE(journal.WaitWritten(kWait));
  // The bullets of the frame are written as UTF-8, as everything else in the file.
  const std::string bullets = "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2";
  const std::string title = bullets + "    E R R O R    " + bullets;
  std::string rule;
  for (int i = 0; i < 23; ++i) rule += "\xE2\x80\xA2";
  EXPECT_EQ(Lines(ReadAll(path_)),
            (std::vector<std::string>{"", rule, title + " (5) \"" + text + "\" ", rule, "", "", rule,
                                      title + " (112) \"Disk full\" ", rule, ""}));
}

TEST_F(JournalFile, HeaderReportsAndEscapedNames) {
  TJournal journal(path_);
  journal.StartLogging();
  journal.AddStrings(journal.Header());
  journal.Add("{OSVI}");
  journal.Add("{Disk}");
  journal.Add("{mem}");
  journal.Add("File " + JournalLiteral("C:\\{abc}\\x}{y.txt") + " {abc}");
  ASSERT_TRUE(journal.WaitWritten(kWait));
  const std::vector<std::string> lines = Lines(ReadAll(path_));
  ASSERT_EQ(lines.size(), 6u + 7u + 7u + 14u + 1u);
  const std::string program = ProgramFileName();
  const std::string name = program.substr(program.rfind('\\') + 1);
  EXPECT_EQ(lines[2].rfind(">>>> Start " + name + "  v 0.0.0.0 ", 0), 0u) << lines[2];
  EXPECT_EQ(lines[2].size(), 80u);
  EXPECT_EQ(lines[3], "           From : " + FolderOf(program));
  EXPECT_EQ(lines[7], "===============================  OS version info  =================================");
  EXPECT_EQ(lines[14], "============  Disk Monitor  ===========");
  EXPECT_EQ(lines[21], "=================================  Memory status  =================================");
  EXPECT_EQ(lines.back(), "File C:\\{abc}\\x}{y.txt #JLTag(abc)");
}

TEST_F(JournalFile, Utf8ReachesTheFileByteForByte) {
  const std::string russian = "Дефрагментация файла завершена";
  const std::string german = "Größe der Datei: Übergröße, Äpfel, Öl";
  TJournal journal(path_);
  journal.StartLogging();
  journal.Add(russian);
  journal.AddStrings({german, "日本語 \xF0\x9F\x98\x80"});
  ASSERT_TRUE(journal.WaitWritten(kWait));
  EXPECT_EQ(ReadAll(path_), russian + "\r\n" + german + "\r\n日本語 \xF0\x9F\x98\x80\r\n");
}

TEST_F(JournalFile, NoTextStopsTheParser) {
  TJournal journal(path_);
  journal.StartLogging();
  const std::string huge(3'000'000, '{');
  journal.Add(huge);
  journal.Add(std::string(1'000'000, '}') + "{");
  std::string nested;
  for (int i = 0; i < 100000; ++i) nested += "{{}}{}";
  journal.Add(nested);
  journal.Add("still here");
  ASSERT_TRUE(journal.WaitWritten(kWait));
  const std::vector<std::string> lines = Lines(ReadAll(path_));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], huge);
  EXPECT_EQ(lines[3], "still here");
}

TEST_F(JournalFile, BurstFromManyThreadsArrivesWholeAndInOrder) {
  constexpr int kThreads = 8;
  constexpr int kPerThread = 12500;
  TJournal journal(path_);
  journal.StartLogging();
  PostFromThreads(kThreads, kPerThread, [&journal](int t, int i) {
    journal.Add(std::to_string(t) + " " + std::to_string(i));
  });
  ASSERT_TRUE(journal.WaitWritten(kWait));

  const std::vector<std::string> lines = Lines(ReadAll(path_));
  ASSERT_EQ(lines.size(), size_t{kThreads} * kPerThread);
  std::vector<int> next(kThreads, 0);
  for (const std::string& line : lines) {
    const int t = std::stoi(line.substr(0, line.find(' ')));
    ASSERT_EQ(line, std::to_string(t) + " " + std::to_string(next[t]));
    ++next[t];
  }
}

TEST_F(JournalFile, LinesOfOneMessageStayTogether) {
  constexpr int kThreads = 4;
  constexpr int kPerThread = 2500;
  TJournal journal(path_);
  journal.StartLogging();
  PostFromThreads(kThreads, kPerThread, [&journal](int t, int i) {
    const std::string id = std::to_string(t) + "/" + std::to_string(i);
    journal.AddStrings({id + " a", id + " b", id + " c"});
  });
  ASSERT_TRUE(journal.WaitWritten(kWait));

  const std::vector<std::string> lines = Lines(ReadAll(path_));
  ASSERT_EQ(lines.size(), size_t{3} * kThreads * kPerThread);
  for (size_t k = 0; k < lines.size(); k += 3) {
    const std::string id = lines[k].substr(0, lines[k].find(' '));
    ASSERT_EQ(lines[k], id + " a");
    ASSERT_EQ(lines[k + 1], id + " b");
    ASSERT_EQ(lines[k + 2], id + " c");
  }
}

TEST_F(JournalFile, StopWritesEverythingThenDropsPosts) {
  constexpr int kCount = 20000;
  TJournal journal(path_);
  journal.StartLogging();
  for (int i = 0; i < kCount; ++i) journal.Add("line " + std::to_string(i));
  journal.Stop();
  const std::string written = ReadAll(path_);
  const std::vector<std::string> lines = Lines(written);
  ASSERT_EQ(lines.size(), size_t{kCount});
  EXPECT_EQ(lines.back(), "line " + std::to_string(kCount - 1));

  journal.Add("after stop");
  journal.StartLogging();
  journal.Stop();
  EXPECT_FALSE(journal.WaitWritten(kWait));
  EXPECT_EQ(ReadAll(path_), written);
}

TEST_F(JournalFile, DestructionWritesEverything) {
  constexpr int kCount = 20000;
  {
    TJournal journal(path_);
    journal.StartLogging();
    for (int i = 0; i < kCount; ++i) journal.Add("line " + std::to_string(i));
  }
  const std::vector<std::string> lines = Lines(ReadAll(path_));
  ASSERT_EQ(lines.size(), size_t{kCount});
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(lines[i], "line " + std::to_string(i));
}

TEST(GlobalJournal, ProgramLogIsCompleteAtProcessExit) {
  const std::string folder = FolderOf(ProgramFileName());
  const std::string log = folder + "journal_exit_probe.log";
  DeleteFileW(Utf8ToWide(log).c_str());
  std::wstring command = L"\"" + Utf8ToWide(folder + "journal_exit_probe.exe") + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  CloseHandle(process.hThread);
  const DWORD waited = WaitForSingleObject(process.hProcess, kWait);
  CloseHandle(process.hProcess);
  ASSERT_EQ(waited, WAIT_OBJECT_0);

  const std::vector<std::string> lines = Lines(ReadAll(log));
  ASSERT_EQ(lines.size(), 5000u);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(lines[i], "exit line " + std::to_string(i));
  DeleteFileW(Utf8ToWide(log).c_str());
}

}  // namespace
