#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "i18n/localizer.h"
#include "profiles/profile.h"
#include "runtime/exception.h"
#include "runtime/text.h"
#include "tests/profiles/profiles_test_support.h"
#include "tests/support/support.h"

namespace movra::testing {
namespace {

constexpr int kMonday = 0, kWednesday = 2, kThursday = 3, kSunday = 6;

// 2024-01-08 is a Monday, 2024-01-10 a Wednesday, 2024-01-14 a Sunday.
void Schedule(TProfile& profile, int hours, int minutes, std::initializer_list<int> days) {
  profile.SetStart(TimeOfDay(hours, minutes));
  for (int i = 0; i < TProfile::kDays; ++i) profile.SetDay(i, false);
  for (int day : days) profile.SetDay(day, true);
}

// The next run of a profile scheduled at hours:minutes on `days`, seen at `now`.
TDateTime NextRunAt(int hours, int minutes, std::initializer_list<int> days, TDateTime now,
                    bool active = true) {
  TProfile profile;
  profile.SetSchedulerActive(active);
  Schedule(profile, hours, minutes, days);
  profile.ComputeNextRun(now);
  return profile.NextRun();
}

TEST(NextRun, ExactlyAtTheStartTimeIsNotToday) {
  EXPECT_DOUBLE_EQ(NextRunAt(10, 0, {kWednesday}, DateTimeOf(2024, 1, 10, 10, 0)),
                   DateTimeOf(2024, 1, 17, 10, 0));
  EXPECT_DOUBLE_EQ(NextRunAt(10, 0, {kWednesday}, DateTimeOf(2024, 1, 10, 9, 59)),
                   DateTimeOf(2024, 1, 10, 10, 0));
}

TEST(NextRun, EachWeekdayFlagNamesItsDay) {
  for (int day = 0; day < TProfile::kDays; ++day) {
    EXPECT_DOUBLE_EQ(NextRunAt(13, 0, {day}, DateTimeOf(2024, 1, 8, 12, 0)),
                     DateTimeOf(2024, 1, 8 + day, 13, 0))
        << "day " << day;
  }
}

TEST(NextRun, AcrossMidnightAndTheEndOfTheWeek) {
  const TDateTime wednesdayNight = DateTimeOf(2024, 1, 10, 23, 30);
  EXPECT_DOUBLE_EQ(NextRunAt(0, 15, {kThursday}, wednesdayNight), DateTimeOf(2024, 1, 11, 0, 15));
  EXPECT_DOUBLE_EQ(NextRunAt(0, 15, {kWednesday}, wednesdayNight), DateTimeOf(2024, 1, 17, 0, 15));
  // Sunday evening: Monday lies in the next week, and so does the next Sunday.
  const TDateTime sundayNight = DateTimeOf(2024, 1, 14, 22, 0);
  EXPECT_DOUBLE_EQ(NextRunAt(8, 0, {kMonday}, sundayNight), DateTimeOf(2024, 1, 15, 8, 0));
  EXPECT_DOUBLE_EQ(NextRunAt(21, 0, {kSunday}, sundayNight), DateTimeOf(2024, 1, 21, 21, 0));
  // Across the end of a month and of a year.
  EXPECT_DOUBLE_EQ(NextRunAt(21, 0, {kSunday}, DateTimeOf(2023, 12, 31, 21, 30)),
                   DateTimeOf(2024, 1, 7, 21, 0));
}

TEST(NextRun, NoDaySetGivesNone) {
  EXPECT_EQ(NextRunAt(10, 0, {}, DateTimeOf(2024, 1, 10, 9, 0)), 0);
}

TEST(NextRun, ComputedAlsoWhileTheScheduleIsOff) {
  EXPECT_DOUBLE_EQ(NextRunAt(10, 0, {kWednesday}, DateTimeOf(2024, 1, 10, 9, 0), false),
                   DateTimeOf(2024, 1, 10, 10, 0));
}

TEST(NextRun, ChangingTheScheduleComputesItAgain) {
  TProfile profile;
  EXPECT_EQ(profile.NextRun(), 0);
  profile.SetDay(kMonday, true);
  const TDateTime now = Now();
  EXPECT_GT(profile.NextRun(), now);
  EXPECT_LE(profile.NextRun(), now + 7.01);
  profile.SetDay(kMonday, false);
  EXPECT_EQ(profile.NextRun(), 0);
}

TEST(StartTime, WrittenAsHoursAndMinutesWithoutALeadingZero) {
  EXPECT_EQ(FormatStartTime(TimeOfDay(9, 5)), "9:05");
  EXPECT_EQ(FormatStartTime(TimeOfDay(17, 30)), "17:30");
  EXPECT_EQ(FormatStartTime(TimeOfDay(0, 0)), "0:00");
  // Only the time of day counts.
  EXPECT_EQ(FormatStartTime(45000 + TimeOfDay(23, 59)), "23:59");
}

TEST(StartTime, ReadBackWhateverTheRegionalSettings) {
  EXPECT_DOUBLE_EQ(ParseStartTime("9:05"), TimeOfDay(9, 5));
  EXPECT_DOUBLE_EQ(ParseStartTime("09:05"), TimeOfDay(9, 5));
  EXPECT_DOUBLE_EQ(ParseStartTime("17:30"), TimeOfDay(17, 30));
  EXPECT_DOUBLE_EQ(ParseStartTime("17:30:15"), TimeOfDay(17, 30, 15));
  for (const char* bad : {"", "9", "9:5", "24:00", "9:60", "9:05:", "9.05", "9:05 PM", "x:05",
                          "9:05:07:00", "123:00"}) {
    EXPECT_THROW(ParseStartTime(bad), Exception) << bad;
  }
}

TEST(ProfileName, BlankNamesBecomeUntitled) {
  TProfile profile;
  profile.SetName(" \t\r\n");
  EXPECT_EQ(profile.Name(), "untitled");
  profile.SetName(" a ");
  EXPECT_EQ(profile.Name(), " a ");
  profile.SetName("");
  EXPECT_EQ(profile.Name(), "untitled");
}

TEST(ProfileName, UntitledInTheCurrentLanguage) {
  StartLocalization();
  SwitchLanguage("de_DE");
  TProfile profile;
  profile.SetName("  ");
  const std::string name = profile.Name();
  StopLocalization();
  EXPECT_EQ(name, "unbenannt");
}

TEST(ProfileIdentity, IdentifiersAreUniqueAndKeptByCopies) {
  std::set<int32_t> ids;
  for (int i = 0; i < 2000; ++i) {
    const int32_t id = TProfile().Id();
    EXPECT_GE(id, 0);
    EXPECT_TRUE(ids.insert(id).second) << "identifier " << id << " drawn twice";
  }
  TProfile source;
  source.SetName("mail");
  source.Files().Add("C:\\a");
  source.SetRunMethod(TRunMethod::EndOfDisk);
  source.SetSchedulerActive(true);
  Schedule(source, 17, 30, {kSunday});
  source.SetRunState(TProfileRunState::Queued);

  std::unique_ptr<TProfile> copy = TProfile::CreateCopy(source);
  source.Files().Add("C:\\b");
  source.SetName("changed");
  EXPECT_EQ(copy->Id(), source.Id());
  EXPECT_EQ(copy->Name(), "mail");
  EXPECT_EQ(copy->Files().Lines(), std::vector<std::string>{"C:\\a"});
  EXPECT_EQ(copy->RunState(), TProfileRunState::Idle);
  EXPECT_EQ(copy->RunMethod(), TRunMethod::EndOfDisk);
  EXPECT_TRUE(copy->SchedulerActive());
  EXPECT_EQ(FormatStartTime(copy->Start()), "17:30");
  for (int day = 0; day < TProfile::kDays; ++day) EXPECT_EQ(copy->Day(day), day == kSunday);
  EXPECT_GT(copy->NextRun(), 0);
}

class CollectFilesTest : public ::testing::Test {
 protected:
  void Make(const std::string& relative) {
    const std::string path = dir_.Path() + relative;
    if (path.back() == '\\') {
      ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(path).c_str(), nullptr)) << path;
    } else {
      WriteTextFile(path, "x");
    }
  }
  std::vector<std::string> Collect(const std::string& path) {
    TStringList files;
    TProfile::CollectFiles(path, files);
    return files.Lines();
  }
  static bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
  }

  TempDir dir_;
};

TEST_F(CollectFilesTest, FileFolderAndNothing) {
  Make("top\\");
  Make("top\\a.txt");
  Make("top\\sub\\");
  Make("top\\sub\\b.txt");
  Make("top\\sub\\deeper\\");
  Make("top\\sub\\deeper\\c.txt");
  Make("top\\empty\\");
  Make("top\\z.txt");
  const std::string top = dir_.Path() + "top";

  EXPECT_EQ(Collect(top + "\\a.txt"), std::vector<std::string>{top + "\\a.txt"});
  EXPECT_TRUE(Collect(top + "\\missing.txt").empty());
  EXPECT_TRUE(Collect(top + "\\empty").empty());

  // With or without the trailing delimiter the same list comes back, each file once.
  const std::vector<std::string> all = Collect(top);
  EXPECT_EQ(Collect(top + "\\"), all);
  ASSERT_EQ(all.size(), 4u);
  for (const char* name : {"\\a.txt", "\\z.txt", "\\sub\\b.txt", "\\sub\\deeper\\c.txt"}) {
    EXPECT_TRUE(Contains(all, top + name)) << name;
  }
  // Depth first: a folder's files come together, where the folder was listed.
  const auto b = std::find(all.begin(), all.end(), top + "\\sub\\b.txt");
  const auto c = std::find(all.begin(), all.end(), top + "\\sub\\deeper\\c.txt");
  EXPECT_EQ(std::abs(static_cast<int>(b - c)), 1);
}

// A link to a folder for the life of the object. Wine makes none through the API, but shows a
// Unix link as one to the programs it runs, so there the link is made and removed on the Unix
// side.
class TFolderLink {
 public:
  TFolderLink(const std::string& link, const std::string& target) : link_(link) {
    if (!CreateSymbolicLinkW(Wide().c_str(), Utf8ToWide(target).c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        !Exists()) {
      RunUnix("ln -s " + UnixName(target) + " " + UnixName(link_), true);
    }
  }
  ~TFolderLink() {
    if (!RemoveDirectoryW(Wide().c_str()) && Exists()) RunUnix("rm " + UnixName(link_), false);
  }
  bool Exists() const { return GetFileAttributesW(Wide().c_str()) != INVALID_FILE_ATTRIBUTES; }

 private:
  std::wstring Wide() const { return Utf8ToWide(link_); }

  // The quoted Unix name of a path, empty when there is none.
  static std::string UnixName(const std::string& path) {
    using TUnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<TUnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(Utf8ToWide(path).c_str()) : nullptr;
    if (name == nullptr) return std::string();
    const std::string quoted = "\"" + std::string(name) + "\"";
    HeapFree(GetProcessHeap(), 0, name);
    return quoted;
  }

  // Runs a Unix program; no handle comes back for one, so the link is watched instead until it
  // exists as `exists` asks.
  void RunUnix(const std::string& command, bool exists) {
    std::wstring commandLine = Utf8ToWide(command);
    const std::wstring program = L"Z:\\bin\\" + commandLine.substr(0, commandLine.find(L' '));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
      return;
    }
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    for (int i = 0; i < 3000 && Exists() != exists; ++i) Sleep(10);
  }

  std::string link_;
};

TEST_F(CollectFilesTest, FolderLinksAreNotEntered) {
  Make("top\\");
  Make("top\\a.txt");
  Make("elsewhere\\");
  Make("elsewhere\\b.txt");
  // A link back to its own parent, which would never end, and one to another folder.
  const std::string top = dir_.Path() + "top";
  TFolderLink loop(top + "\\loop", top);
  TFolderLink other(top + "\\other", dir_.Path() + "elsewhere");
  ASSERT_TRUE(loop.Exists());
  ASSERT_TRUE(other.Exists());
  EXPECT_NE(GetFileAttributesW(Utf8ToWide(top + "\\loop").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
            0u);
  EXPECT_EQ(Collect(top), std::vector<std::string>{top + "\\a.txt"});
  // A link named as an entry of its own is the user's choice, and is followed.
  EXPECT_EQ(Collect(top + "\\other"), std::vector<std::string>{top + "\\other\\b.txt"});
}

}  // namespace
}  // namespace movra::testing
