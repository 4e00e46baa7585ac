#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "i18n/localizer.h"
#include "profiles/settings.h"
#include "profiles/xml_document.h"
#include "runtime/exception.h"
#include "runtime/system_error.h"
#include "runtime/text.h"
#include "tests/support/support.h"

namespace movra::testing {
namespace {

class ConfigTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.Path() + "config.cfg"; }

  TConfigState Load(TOptions& options) {
    loaded_.clear();
    const TConfigRead read = LoadConfig(
        Path(),
        [this](std::unique_ptr<TProfile> profile) { loaded_.push_back(std::move(profile)); },
        options);
    backup_ = read.Backup;
    return read.State;
  }

  bool Exists(const std::string& path) const {
    return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  // Names of the files in the folder.
  std::vector<std::string> FolderContent() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(Utf8ToWide(dir_.Path() + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::string name = WideToUtf8(entry.cFileName);
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
  }

  static void ExpectDefaults(const TOptions& options) {
    EXPECT_FALSE(options.MinimizeOnStartup);
    EXPECT_FALSE(options.MinimizeOnClose);
    EXPECT_TRUE(options.AnimateTray);
    EXPECT_TRUE(options.ConfirmExit);
    EXPECT_EQ(options.LogLevel, 1);
    EXPECT_EQ(options.LogMaxLines, 100);
    EXPECT_EQ(options.Language, CurrentLanguage());
    EXPECT_TRUE(options.ShowLogWindow);
    EXPECT_TRUE(options.ShowSchedule);
  }

  // Options unlike the defaults in every field.
  static TOptions Changed() {
    TOptions options;
    options.MinimizeOnStartup = true;
    options.MinimizeOnClose = true;
    options.AnimateTray = false;
    options.ConfirmExit = false;
    options.Language = "de_DE";
    options.LogLevel = 2;
    options.LogMaxLines = 0;
    options.ShowLogWindow = false;
    options.ShowSchedule = false;
    return options;
  }

  static std::string ProfileXml(const std::string& name, const std::string& start) {
    return "<Profile Name=\"" + name + "\" RunMethod=\"0\"><Files><File>C:\\" + name +
           "</File></Files><Scheduler><Active>True</Active><Start>" + start +
           "</Start><Days Day0=\"True\" Day1=\"False\" Day2=\"False\" Day3=\"False\" "
           "Day4=\"False\" Day5=\"False\" Day6=\"True\"/></Scheduler></Profile>";
  }

  static constexpr char kOptionsXml[] =
      "<Options AnimateTray=\"False\" MinimizeOnStartup=\"True\" MinimizeOnClose=\"False\" "
      "ConfirmExit=\"False\" LogLevel=\"2\" LogMaxLines=\"500\" Language=\"ru_RU\" "
      "ShowLogWindow=\"False\" ShowSchedule=\"True\"/>";

  TempDir dir_;
  TComScope com_;
  std::vector<std::unique_ptr<TProfile>> loaded_;
  std::string backup_;  // the copy the last Load kept
};

TEST_F(ConfigTest, SavedAndLoadedAgainKeepsEveryField) {
  TProfile first;
  first.SetName("Mail <&> \"Bat\" \xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0");
  first.Files().Add("C:\\Mail\\inbox.mbx");
  first.Files().Add("D:\\\xC3\xA4rger\\");
  first.SetRunMethod(TRunMethod::EndOfDisk);
  first.SetSchedulerActive(true);
  first.SetStart(TimeOfDay(9, 5));
  first.SetDay(0, true);
  first.SetDay(4, true);
  TProfile second;
  second.SetName("second");
  second.SetStart(TimeOfDay(17, 30));
  second.SetDay(6, true);
  TProfile empty;
  empty.SetName("no files");

  SaveConfig(Path(), {&first, &second, &empty}, Changed());
  TOptions options;
  ASSERT_EQ(Load(options), TConfigState::Read);

  ASSERT_EQ(loaded_.size(), 3u);
  const TProfile* sources[] = {&first, &second, &empty};
  for (size_t i = 0; i < 3; ++i) {
    const TProfile& source = *sources[i];
    const TProfile& profile = *loaded_[i];
    EXPECT_EQ(profile.Name(), source.Name());
    EXPECT_EQ(profile.Files().Lines(), source.Files().Lines());
    EXPECT_EQ(profile.RunMethod(), source.RunMethod());
    EXPECT_EQ(profile.SchedulerActive(), source.SchedulerActive());
    EXPECT_EQ(FormatStartTime(profile.Start()), FormatStartTime(source.Start()));
    for (int day = 0; day < TProfile::kDays; ++day) EXPECT_EQ(profile.Day(day), source.Day(day));
    EXPECT_NEAR(profile.NextRun(), source.NextRun(), 1e-6);
    // Identifiers are not stored: a loaded profile has a new one.
    EXPECT_NE(profile.Id(), source.Id());
    EXPECT_EQ(profile.RunState(), TProfileRunState::Idle);
  }
  const TOptions expected = Changed();
  EXPECT_EQ(options.MinimizeOnStartup, expected.MinimizeOnStartup);
  EXPECT_EQ(options.MinimizeOnClose, expected.MinimizeOnClose);
  EXPECT_EQ(options.AnimateTray, expected.AnimateTray);
  EXPECT_EQ(options.ConfirmExit, expected.ConfirmExit);
  EXPECT_EQ(options.Language, expected.Language);
  EXPECT_EQ(options.LogLevel, expected.LogLevel);
  EXPECT_EQ(options.LogMaxLines, expected.LogMaxLines);
  EXPECT_EQ(options.ShowLogWindow, expected.ShowLogWindow);
  EXPECT_EQ(options.ShowSchedule, expected.ShowSchedule);
  // The save replaced the file in one step and left nothing behind.
  EXPECT_EQ(FolderContent(), std::vector<std::string>{"config.cfg"});
}

TEST_F(ConfigTest, WrittenFormOfTimesBooleansAndAttributeOrder) {
  TProfile profile;
  profile.SetName("p");
  profile.SetSchedulerActive(true);
  profile.SetStart(TimeOfDay(9, 5));
  profile.SetDay(1, true);
  TProfile other;
  other.SetName("q");
  other.SetStart(TimeOfDay(17, 30));
  SaveConfig(Path(), {&profile, &other}, TOptions());
  const std::string text = ReadTextFile(Path());

  for (const char* expected :
       {"<Start>9:05</Start>", "<Start>17:30</Start>", "<Active>True</Active>",
        "<Active>False</Active>", "Day0=\"False\" Day1=\"True\" Day2=\"False\"",
        "Name=\"p\" RunMethod=\"0\""}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " in " << text;
  }
  // Options attributes in their fixed order.
  size_t at = text.find("<Options");
  ASSERT_NE(at, std::string::npos);
  for (const char* attribute :
       {"AnimateTray=\"True\"", "MinimizeOnStartup=\"False\"", "MinimizeOnClose=\"False\"",
        "ConfirmExit=\"True\"", "LogLevel=\"1\"", "LogMaxLines=\"100\"",
        "Language=", "ShowLogWindow=\"True\"", "ShowSchedule=\"True\""}) {
    const size_t next = text.find(attribute, at);
    ASSERT_NE(next, std::string::npos) << attribute << " after position " << at << " in " << text;
    at = next;
  }
  // Profiles come before the options; the scheduler's children in their order.
  EXPECT_LT(text.find("<Profiles>"), text.find("<Options"));
  EXPECT_LT(text.find("<Active>"), text.find("<Start>"));
  EXPECT_LT(text.find("<Start>"), text.find("<Days"));
}

TEST_F(ConfigTest, DamagedProfileInTheMiddleLosesOnlyItself) {
  const std::string damaged =
      "<Profile Name=\"broken\" RunMethod=\"0\"><Files/><Scheduler><Active>True</Active>"
      "<Start>25:99</Start><Days/></Scheduler></Profile>";
  const std::string text = "<?xml version=\"1.0\"?><Config><Profiles>" + ProfileXml("one", "9:05") +
                           damaged + ProfileXml("three", "17:30") + "</Profiles>" + kOptionsXml +
                           "</Config>";
  WriteTextFile(Path(), text);
  TOptions options;
  EXPECT_EQ(Load(options), TConfigState::Damaged);
  ASSERT_EQ(loaded_.size(), 2u);
  EXPECT_EQ(loaded_[0]->Name(), "one");
  EXPECT_EQ(loaded_[1]->Name(), "three");
  EXPECT_EQ(FormatStartTime(loaded_[1]->Start()), "17:30");
  EXPECT_TRUE(loaded_[1]->Day(6));
  EXPECT_FALSE(loaded_[1]->Day(1));
  EXPECT_EQ(options.LogMaxLines, 500);
  EXPECT_EQ(options.Language, "ru_RU");
  EXPECT_FALSE(options.AnimateTray);
  // What could not be read is kept before anything is saved over it.
  EXPECT_EQ(ReadTextFile(Path() + ".bak"), text);
}

// A file of over a thousand profiles is read on a thread of its own: it reads the same, and fails
// the same.
TEST_F(ConfigTest, LargeFileReadsWholeOrIsKeptWhenDamaged) {
  std::string profiles;
  for (int i = 0; i < 1500; ++i) profiles += ProfileXml("p" + std::to_string(i), "9:05");
  const std::string text = "<Config><Profiles>" + profiles + "</Profiles>" + kOptionsXml + "</Config>";
  ASSERT_GT(text.size(), 256u * 1024);
  WriteTextFile(Path(), text);
  TOptions options;
  EXPECT_EQ(Load(options), TConfigState::Read);
  ASSERT_EQ(loaded_.size(), 1500u);
  EXPECT_EQ(loaded_.front()->Name(), "p0");
  EXPECT_EQ(loaded_.back()->Name(), "p1499");
  EXPECT_EQ(options.Language, "ru_RU");

  const std::string cut = text.substr(0, text.size() / 2);
  WriteTextFile(Path(), cut);
  EXPECT_EQ(Load(options), TConfigState::Damaged);
  size_t whole = 0;
  for (size_t at = cut.find("</Profile>"); at != std::string::npos; at = cut.find("</Profile>", at + 1))
    ++whole;
  ASSERT_EQ(loaded_.size(), whole);
  EXPECT_EQ(loaded_.back()->Name(), "p" + std::to_string(whole - 1));
  EXPECT_EQ(ReadTextFile(Path() + ".bak"), cut);
}

TEST_F(ConfigTest, ProfileItemsThatAreMissingOrUnreadable) {
  const std::string bad[] = {
      "<Profile RunMethod=\"0\"><Files/><Scheduler><Active>True</Active><Start>1:00</Start>"
      "<Days Day0=\"True\" Day1=\"True\" Day2=\"True\" Day3=\"True\" Day4=\"True\" Day5=\"True\" "
      "Day6=\"True\"/></Scheduler></Profile>",
      "<Profile Name=\"x\" RunMethod=\"0\"><Files/><Scheduler><Active>maybe</Active>"
      "<Start>1:00</Start><Days Day0=\"True\" Day1=\"True\" Day2=\"True\" Day3=\"True\" "
      "Day4=\"True\" Day5=\"True\" Day6=\"True\"/></Scheduler></Profile>",
      "<Profile Name=\"x\" RunMethod=\"0\"><Files/><Scheduler><Active>True</Active>"
      "<Start>1:00</Start><Days Day0=\"True\" Day1=\"True\" Day2=\"True\" Day3=\"True\" "
      "Day4=\"True\" Day5=\"True\"/></Scheduler></Profile>",
      "<Profile Name=\"x\" RunMethod=\"0\"><Scheduler><Active>True</Active><Start>1:00</Start>"
      "<Days Day0=\"True\" Day1=\"True\" Day2=\"True\" Day3=\"True\" Day4=\"True\" "
      "Day5=\"True\" Day6=\"True\"/></Scheduler></Profile>",
  };
  for (const std::string& profile : bad) {
    WriteTextFile(Path(), "<Config><Profiles>" + profile + ProfileXml("good", "2:00") +
                              "</Profiles></Config>");
    TOptions options;
    EXPECT_EQ(Load(options), TConfigState::Damaged) << profile;
    ASSERT_EQ(loaded_.size(), 1u) << profile;
    EXPECT_EQ(loaded_[0]->Name(), "good");
  }
}

TEST_F(ConfigTest, OnlyElementChildrenAreRead) {
  WriteTextFile(Path(),
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<!-- settings -->\n"
                "<Config>\n"
                "  <Profiles>\n"
                "    <!-- the mail profile -->\n"
                "    <Profile Name=\"mail\" RunMethod=\"1\">\n"
                "      <Files>\n"
                "        <File>C:\\one</File>\n"
                "        <!-- C:\\commented -->\n"
                "        <Entry>C:\\two</Entry>\n"
                "      </Files>\n"
                "      <Scheduler>\n"
                "        <Active>False</Active>\n"
                "        <Start>9:05</Start>\n"
                "        <Days Day0=\"False\" Day1=\"False\" Day2=\"False\" Day3=\"False\" "
                "Day4=\"False\" Day5=\"False\" Day6=\"False\"/>\n"
                "      </Scheduler>\n"
                "    </Profile>\n"
                "  </Profiles>\n"
                "</Config>\n");
  TOptions options;
  EXPECT_EQ(Load(options), TConfigState::Read);
  ASSERT_EQ(loaded_.size(), 1u);
  EXPECT_EQ(loaded_[0]->Files().Lines(), (std::vector<std::string>{"C:\\one", "C:\\two"}));
  EXPECT_EQ(loaded_[0]->RunMethod(), TRunMethod::EndOfDisk);
  EXPECT_EQ(loaded_[0]->NextRun(), 0);
  ExpectDefaults(options);
  EXPECT_FALSE(Exists(Path() + ".bak"));
}

TEST_F(ConfigTest, EscapedSectionedAndSplitTextReadsAsItsCharacters) {
  WriteTextFile(Path(),
                "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                "<Config>\r\n<Profiles>\r\n"
                "<Profile RunMethod='0' Name=\"Gr&#xFC;&#223;e &amp; &quot;&#x41F;&lt;/>\">\r\n"
                "<Files><File>C:\\a&amp;b ></File><File><![CDATA[C:\\<c>&d]]></File>"
                "<File>C:\\x<!-- not read -->y<?note?><b>z</b>!</File>"
                "<File>D:\\\xC3\x9C" "ber\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82</File>"
                "</Files>\r\n"
                "<Scheduler><Active>Tr<![CDATA[ue]]></Active><Start>9:05</Start>"
                "<Days Day0=\"True\" Day1=\"False\" Day2=\"False\" Day3=\"False\" Day4=\"False\" "
                "Day5=\"False\" Day6=\"True\"/></Scheduler></Profile>\r\n"
                "</Profiles>\r\n<Options Language=\"ru_RU\" LogLevel=\"&#50;\"/>\r\n</Config>\r\n");
  TOptions options;
  EXPECT_EQ(Load(options), TConfigState::Read);
  ASSERT_EQ(loaded_.size(), 1u);
  EXPECT_EQ(loaded_[0]->Name(), "Gr\xC3\xBC\xC3\x9F" "e & \"\xD0\x9F</>");
  EXPECT_EQ(loaded_[0]->Files().Lines(),
            (std::vector<std::string>{"C:\\a&b >", "C:\\<c>&d", "C:\\xyz!",
                                      "D:\\\xC3\x9C" "ber\\"
                                      "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82"}));
  EXPECT_TRUE(loaded_[0]->SchedulerActive());
  EXPECT_EQ(options.Language, "ru_RU");
  EXPECT_EQ(options.LogLevel, 2);

  // Entities the document declares itself are expanded too.
  std::string profile = ProfileXml("e", "7:30");
  profile.replace(profile.find("C:\\e"), 4, "&data;\\e");
  WriteTextFile(Path(), "<!DOCTYPE Config [<!ENTITY data \"D:\\Data &amp; more\">]>\n"
                        "<Config><Profiles>" + profile + "</Profiles></Config>");
  ASSERT_EQ(Load(options), TConfigState::Read);
  ASSERT_EQ(loaded_.size(), 1u);
  EXPECT_EQ(loaded_[0]->Files().Lines(), std::vector<std::string>{"D:\\Data & more\\e"});

  // A file that is not well-formed is damaged at a line, for a reason.
  WriteTextFile(Path(),
                "<Config><Profiles>\n\n<Profile Name=\"a\" Name=\"b\"/>\n</Profiles>\n</Config>");
  const TXmlTree tree(Path());
  EXPECT_EQ(tree.Damage().find("line 3: "), 0u) << tree.Damage();
  EXPECT_FALSE(tree.Root().Whole());
}

TEST_F(ConfigTest, MissingFileGivesDefaults) {
  TOptions options = Changed();
  EXPECT_EQ(Load(options), TConfigState::Missing);
  EXPECT_TRUE(loaded_.empty());
  ExpectDefaults(options);
  EXPECT_FALSE(Exists(Path() + ".bak"));
}

// A damaged file keeps the profiles, and the options, read whole before the damage, and each
// damaged file is kept under a name of its own, never over a copy kept before.
TEST_F(ConfigTest, DamagedFileKeepsWhatWasReadWholeBeforeTheDamage) {
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Config><Profiles>" +
                           ProfileXml("one", "1:00");
  const std::string two = ProfileXml("two", "2:00");
  const std::string tail = "</Profiles>" + std::string(kOptionsXml) + "</Config>";
  std::string notUtf8 = two;
  notUtf8.insert(notUtf8.find("C:\\two") + 3, "\xFF\xFE");
  std::string neverClosed = two;
  neverClosed.erase(neverClosed.find("</File>"), 7);
  std::string openOptions = kOptionsXml;
  openOptions.replace(openOptions.find("/>"), 2, ">");
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> profiles;
    bool options;  // the stored options are read
  };
  const Case cases[] = {
      // All that the second profile holds is there, but not its end.
      {"cut off in the second profile", head + two.substr(0, two.rfind("</Profile>")), {"one"},
       false},
      {"a byte that is not UTF-8", head + notUtf8 + tail, {"one"}, false},
      {"a tag never closed", head + neverClosed + tail, {"one"}, false},
      {"cut off in the options", head + two + "</Profiles>" + openOptions, {"one", "two"}, false},
      {"the document element never closed", head + two + "</Profiles>" + kOptionsXml,
       {"one", "two"}, true},
  };
  std::vector<std::string> copies;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteTextFile(Path(), c.text);
    TOptions options = Changed();
    EXPECT_EQ(Load(options), TConfigState::Damaged);
    std::vector<std::string> names;
    for (const auto& profile : loaded_) names.push_back(profile->Name());
    EXPECT_EQ(names, c.profiles);
    if (!loaded_.empty()) {
      EXPECT_EQ(FormatStartTime(loaded_[0]->Start()), "1:00");
    }
    if (c.options) {
      EXPECT_EQ(options.Language, "ru_RU");
      EXPECT_EQ(options.LogMaxLines, 500);
    } else {
      ExpectDefaults(options);
    }
    const std::string copy = Path() + (copies.empty() ? "" : "." + std::to_string(copies.size())) + ".bak";
    EXPECT_EQ(backup_, copy);
    copies.push_back(c.text);
  }
  // Saving over the file leaves every copy as it was.
  SaveConfig(Path(), {}, TOptions());
  for (size_t i = 0; i < copies.size(); ++i)
    EXPECT_EQ(ReadTextFile(Path() + (i == 0 ? "" : "." + std::to_string(i)) + ".bak"), copies[i]) << i;
  TOptions options;
  EXPECT_EQ(Load(options), TConfigState::Read);
  EXPECT_EQ(FolderContent().size(), copies.size() + 1);
}

TEST_F(ConfigTest, OptionsTakeTheDefaultOfEachAttributeTheyCannotRead) {
  WriteTextFile(Path(),
                "<Config><Profiles/><Options AnimateTray=\"False\" MinimizeOnStartup=\"yes\" "
                "LogMaxLines=\"12x\" Language=\"de_DE\" ShowSchedule=\"0\"/></Config>");
  TOptions options;
  EXPECT_EQ(Load(options), TConfigState::Read);
  EXPECT_FALSE(options.AnimateTray);
  EXPECT_FALSE(options.MinimizeOnStartup);  // "yes" is not a Boolean: the default
  EXPECT_EQ(options.LogLevel, 1);           // missing: the default
  EXPECT_EQ(options.LogMaxLines, 100);      // not a number: the default
  EXPECT_EQ(options.Language, "de_DE");
  EXPECT_FALSE(options.ShowSchedule);
  EXPECT_TRUE(options.ShowLogWindow);
}

TEST_F(ConfigTest, NumbersOutOfRangeReadAsTheDefault) {
  struct Case {
    const char* level;
    const char* lines;
    int32_t wantLevel;
    int32_t wantLines;
  };
  for (const Case& c : {Case{"7", "-1", 1, 100}, Case{"-1", "1000000", 1, 100},
                        Case{"0", "0", 0, 0}, Case{"2", "999999", 2, 999999},
                        Case{"3", "2147483647", 1, 100}}) {
    WriteTextFile(Path(), std::string("<Config><Profiles/><Options LogLevel=\"") + c.level +
                              "\" LogMaxLines=\"" + c.lines + "\"/></Config>");
    TOptions options;
    EXPECT_EQ(Load(options), TConfigState::Read);
    EXPECT_EQ(options.LogLevel, c.wantLevel) << c.level;
    EXPECT_EQ(options.LogMaxLines, c.wantLines) << c.lines;
  }
}

TEST_F(ConfigTest, FailedSaveLeavesTheOldFile) {
  TProfile profile;
  profile.SetName("old");
  SaveConfig(Path(), {&profile}, TOptions());
  const std::string before = ReadTextFile(Path());

  // Held open without sharing, the file cannot be replaced.
  HANDLE held = CreateFileW(Utf8ToWide(Path()).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  profile.SetName("new");
  EXPECT_THROW(SaveConfig(Path(), {&profile}, TOptions()), Exception);
  CloseHandle(held);
  EXPECT_EQ(ReadTextFile(Path()), before);
  EXPECT_EQ(FolderContent(), std::vector<std::string>{"config.cfg"});

  // A folder that is missing or may not be written is named with the system's reason. Under
  // Wine, Z:\sys is the host's sysfs, where not even root makes a file.
  const auto reason = [&](const std::string& folder) {
    try {
      SaveConfig(folder + "config.cfg", {&profile}, TOptions());
      return std::string("saved");
    } catch (const Exception& failure) {
      return std::string(failure.what());
    }
  };
  const std::string missing = dir_.Path() + "missing\\";
  EXPECT_EQ(reason(missing), "Cannot create a temporary file beside " + missing +
                                 "config.cfg: " + SystemErrorText(ERROR_DIRECTORY));
  if (GetFileAttributesW(L"Z:\\sys") != INVALID_FILE_ATTRIBUTES) {
    EXPECT_EQ(reason("Z:\\sys\\"), "Cannot create a temporary file beside Z:\\sys\\config.cfg: " +
                                       SystemErrorText(ERROR_ACCESS_DENIED));
  }
}

TEST_F(ConfigTest, LockedFileIsNeitherLostNorReplaced) {
  TProfile profile;
  profile.SetName("precious");
  SaveConfig(Path(), {&profile}, TOptions());
  const std::string before = ReadTextFile(Path());

  // Held without sharing, the file can be neither read nor copied.
  HANDLE held = CreateFileW(Utf8ToWide(Path()).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  TOptions options;
  EXPECT_EQ(Load(options), TConfigState::Unreadable);
  EXPECT_TRUE(loaded_.empty());
  CloseHandle(held);

  // The empty list must not replace the file until a copy of it is kept.
  TProfile other;
  other.SetName("other");
  held = CreateFileW(Utf8ToWide(Path()).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
  try {
    SaveConfig(Path(), {&other}, options);
    ADD_FAILURE() << "replaced without a copy";
  } catch (const Exception& failure) {
    EXPECT_EQ(failure.what(), Path() + " could not be read in full and is left as it is; it "
                              "cannot be copied: " + SystemErrorText(ERROR_SHARING_VIOLATION));
  }
  CloseHandle(held);
  EXPECT_EQ(ReadTextFile(Path()), before);
  // Once the copy can be made, the save goes ahead and the old content survives in it.
  SaveConfig(Path(), {&other}, options);
  EXPECT_EQ(ReadTextFile(Path() + ".bak"), before);
  ASSERT_EQ(Load(options), TConfigState::Read);
  ASSERT_EQ(loaded_.size(), 1u);
  EXPECT_EQ(loaded_[0]->Name(), "other");
}

TEST_F(ConfigTest, NamesWithControlCharactersAndPathsWithBlanksSurvive) {
  TProfile profile;
  profile.SetName("x\x01y\x1F");
  profile.Files().Add("  C:\\lead and trail  ");
  TProfile second;
  second.SetName("second");
  SaveConfig(Path(), {&profile, &second}, TOptions());
  TOptions options;
  ASSERT_EQ(Load(options), TConfigState::Read);
  ASSERT_EQ(loaded_.size(), 2u);
  EXPECT_EQ(loaded_[0]->Name(), "xy");
  ASSERT_EQ(loaded_[0]->Files().Count(), 1);
  EXPECT_EQ(loaded_[0]->Files()[0], "  C:\\lead and trail  ");
}

TEST(XmlDocument, NewestComponentIsUsed) {
  TComScope com;
  TXmlDocument document;
  EXPECT_EQ(document.Version(), 6);
}

TEST(XmlValues, BooleansAndNumbers) {
  EXPECT_EQ(BoolText(true), "True");
  EXPECT_EQ(BoolText(false), "False");
  EXPECT_TRUE(ParseBool("True"));
  EXPECT_TRUE(ParseBool("true"));
  EXPECT_TRUE(ParseBool("-1"));
  EXPECT_FALSE(ParseBool("FALSE"));
  EXPECT_FALSE(ParseBool("0"));
  EXPECT_THROW(ParseBool("yes"), Exception);
  EXPECT_THROW(ParseBool(""), Exception);
  EXPECT_EQ(ParseInt("-12"), -12);
  EXPECT_EQ(ParseInt("+7"), 7);
  EXPECT_THROW(ParseInt("+-7"), Exception);
  EXPECT_THROW(ParseInt("7 "), Exception);
  EXPECT_THROW(ParseInt("99999999999"), Exception);
}

}  // namespace
}  // namespace movra::testing
