#include "i18n/localizer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <set>
#include <thread>

#include "runtime/text.h"
#include "tests/i18n/i18n_test_support.h"

using namespace movra;
using namespace movra::test;

namespace {

// A user locale query that knows the language and country names.
std::function<std::string(uint32_t)> UserLocale(const std::string& language,
                                                const std::string& country) {
  return [=](uint32_t type) { return type == LOCALE_SISO639LANGNAME ? language : country; };
}

class LocalizerTest : public ::testing::Test {
 protected:
  // A catalog compiled for the tests, placed under the program folder's locale folder.
  void OnDisk(const std::string& code, const std::string& catalog) {
    WriteBelow(folder_, "locale\\" + code + "\\LC_MESSAGES\\default.mo", TestCatalog(catalog));
  }
  // Catalogs appended to a program file in the program folder, read by the locator.
  void Appended(const std::vector<std::pair<std::string, std::string>>& catalogs) {
    std::vector<AppendedCatalog> table;
    for (const auto& [code, catalog] : catalogs) {
      table.push_back({"locale\\" + code + "\\LC_MESSAGES\\default.mo", TestCatalog(catalog)});
    }
    std::string program(2048, 'P');
    const uint64_t first = AppendTable(program, table);
    ASSERT_EQ(locator_.ReadEmbeddedTable(WriteBelow(folder_, "program.exe", program), first), "");
  }
  TLocalizer& Start(TLocalizerEnvironment environment) {
    localizer_ = std::make_unique<TLocalizer>(locator_, folder_.Path(), std::move(environment));
    return *localizer_;
  }
  TLocalizer& Start(const std::string& lang = "C") { return Start(QuietEnvironment(log_, lang)); }
  std::string T(std::string_view id) { return localizer_->TranslateInDomain("default", id); }

  movra::testing::TempDir folder_;
  MessageLog log_;
  TFileLocator locator_;
  std::unique_ptr<TLocalizer> localizer_;
};

}  // namespace

TEST_F(LocalizerTest, StartsWithTheDefaultDomainBelowTheProgramFolder) {
  TLocalizer& localizer = Start("de_DE.UTF-8");
  EXPECT_EQ(localizer.Language(), "de_DE");
  EXPECT_EQ(localizer.CurrentDomain(), "default");
  EXPECT_EQ(localizer.LocaleFolder(), folder_.Path() + "locale");
  EXPECT_EQ(localizer.GetDomain("DEFAULT").Folder(), folder_.Path() + "locale\\");
  EXPECT_EQ(localizer.OwnerThread(), GetCurrentThreadId());
}

TEST_F(LocalizerTest, GermanUserLocaleFindsTheGermanCatalog) {
  OnDisk("de", "sample_le.mo");
  TLocalizerEnvironment environment = QuietEnvironment(log_, "");
  environment.UserLocaleInfo = UserLocale("de", "DE");
  EXPECT_EQ(Start(std::move(environment)).Language(), "de_DE");
  EXPECT_EQ(T("Hello"), "Hallo");
}

TEST_F(LocalizerTest, DiskCatalogOfTheFullCodeWinsOverTheAppendedLanguage) {
  Appended({{"de", "sample_le.mo"}});
  OnDisk("de_DE", "second.mo");
  TLocalizer& localizer = Start();
  localizer.SwitchLanguage("de_DE");
  EXPECT_EQ(T("Which catalog"), "second");
  localizer.SwitchLanguage("de");
  EXPECT_EQ(T("Which catalog"), "sample");
}

TEST_F(LocalizerTest, AppendedCatalogWinsOverTheSamePathOnDisk) {
  Appended({{"de", "sample_le.mo"}});
  OnDisk("de", "second.mo");
  Start().SwitchLanguage("de_DE");
  EXPECT_EQ(T("Which catalog"), "sample");
}

TEST_F(LocalizerTest, FallsBackToTheTwoLetterLanguage) {
  OnDisk("de", "sample_be.mo");
  TLocalizer& localizer = Start();
  EXPECT_EQ(T("Hello"), "Hello");  // "C" has no catalog
  localizer.SwitchLanguage("de_DE");
  EXPECT_EQ(T("Hello"), "Hallo");
  // A code given by the caller is kept as it is; its first path fails, the fallback finds "de".
  localizer.SwitchLanguage("de_DE.UTF-8");
  EXPECT_EQ(localizer.Language(), "de_DE.UTF-8");
  EXPECT_EQ(T("Hello"), "Hallo");
  localizer.SwitchLanguage("en");
  EXPECT_EQ(T("Hello"), "Hello");
  EXPECT_TRUE(log_.Messages.empty());
}

TEST_F(LocalizerTest, SwitchingLanguagesClosesAndReopensCatalogs) {
  OnDisk("de", "sample_le.mo");
  OnDisk("ru", "second.mo");
  TLocalizer& localizer = Start();
  localizer.SwitchLanguage("de");
  EXPECT_EQ(T("Hello"), "Hallo");
  localizer.SwitchLanguage("ru");
  EXPECT_EQ(T("Hello"), "Привет");
  EXPECT_EQ(locator_.OpenCount(), 1);
  localizer.SwitchLanguage("de");
  EXPECT_EQ(T("Hello"), "Hallo");
  localizer.SwitchLanguage("en");
  EXPECT_EQ(T("Hello"), "Hello");
  EXPECT_EQ(locator_.OpenCount(), 0);
}

TEST_F(LocalizerTest, LineEndsComeBackAsCrLf) {
  OnDisk("de", "sample_le.mo");
  Start().SwitchLanguage("de");
  EXPECT_EQ(T("Line one\r\nLine two"), "Zeile eins\r\nZeile zwei");
  EXPECT_EQ(T("Line one\nLine two"), "Zeile eins\r\nZeile zwei");
  EXPECT_EQ(T("No\ntranslation\r\n"), "No\r\ntranslation\r\n");
  EXPECT_EQ(T("\n"), "\r\n");
  EXPECT_EQ(T("Hello"), "Hallo");
}

TEST_F(LocalizerTest, EmptyIdGivesTheCatalogHeader) {
  OnDisk("de", "sample_le.mo");
  TLocalizer& localizer = Start();
  EXPECT_EQ(T(""), "");
  localizer.SwitchLanguage("de");
  const std::string header = T("");
  EXPECT_NE(header.find("Project-Id-Version: sample\r\n"), std::string::npos);
  EXPECT_NE(header.find("Content-Type: text/plain; charset=UTF-8\r\n"), std::string::npos);
  EXPECT_EQ(localizer.GetDomain("default").HeaderField("content-TYPE"),
            "text/plain; charset=UTF-8");
  EXPECT_EQ(localizer.GetDomain("default").HeaderField("Missing-Field"), "");
}

TEST_F(LocalizerTest, CatalogWithoutUtf8TurnsTheDomainOffForGood) {
  OnDisk("de", "latin1.mo");
  OnDisk("ru", "second.mo");
  TLocalizer& localizer = Start();
  localizer.SwitchLanguage("de");
  EXPECT_EQ(T("Hello"), "Hello");
  EXPECT_EQ(T("Hello"), "Hello");
  ASSERT_EQ(log_.Messages.size(), 1u);
  EXPECT_EQ(log_.Messages[0].first, "Localization problem");
  EXPECT_EQ(log_.Messages[0].second,
            "The translation for the language code de (in " + folder_.Path() +
                "locale\\de\\LC_MESSAGES\\default.mo) does not have charset=utf-8 in its "
                "Content-Type. Translations are turned off.");
  localizer.SwitchLanguage("ru");
  EXPECT_EQ(T("Hello"), "Hello");
  EXPECT_FALSE(localizer.GetDomain("default").Active());
  EXPECT_EQ(log_.Messages.size(), 1u);
  EXPECT_EQ(locator_.OpenCount(), 0);
}

TEST_F(LocalizerTest, DamagedCatalogStaysEnglishAndIsReportedOnce) {
  const std::string path =
      WriteBelow(folder_, "locale\\de\\LC_MESSAGES\\default.mo", "\x95\x04\x12\xDE garbage");
  OnDisk("ru", "second.mo");
  TLocalizer& localizer = Start();
  localizer.SwitchLanguage("de");
  EXPECT_EQ(T("Hello"), "Hello");
  EXPECT_EQ(T("Hello"), "Hello");
  localizer.SwitchLanguage("ru");
  EXPECT_EQ(T("Hello"), "Привет");
  localizer.SwitchLanguage("de");
  EXPECT_EQ(T("Hello"), "Hello");
  ASSERT_EQ(log_.Messages.size(), 1u);
  EXPECT_EQ(log_.Messages[0].first, "Localization problem");
  EXPECT_EQ(log_.Messages[0].second,
            "The translation for the language code de cannot be used. Reason: This file is not a "
            "valid gettext mo file: " +
                path);
  // The domain stays usable: another language still translates.
  EXPECT_TRUE(localizer.GetDomain("default").Active());
}

TEST_F(LocalizerTest, CodesThatCouldLeaveTheLocaleFolderFindNothing) {
  // A catalog that a code climbing out of the locale folder would reach.
  WriteBelow(folder_, "evil\\LC_MESSAGES\\default.mo", TestCatalog("sample_le.mo"));
  WriteBelow(folder_, "LC_MESSAGES\\default.mo", TestCatalog("sample_le.mo"));
  TLocalizer& localizer = Start();
  for (const char* code : {"..\\evil", "../evil", "..", "x\\..\\..\\evil"}) {
    localizer.SwitchLanguage(code);
    EXPECT_EQ(T("Hello"), "Hello") << code;
  }
  EXPECT_EQ(locator_.OpenCount(), 0);
  EXPECT_TRUE(log_.Messages.empty());
}

TEST(LanguageCode, OnlyPathSafeCodesAreUsable) {
  for (const char* code : {"de", "de_DE", "sr_RS@latin", "de_DE.utf8", "C"}) {
    EXPECT_TRUE(IsUsableLanguageCode(code)) << code;
  }
  for (const char* code :
       {"", "..", "a..b", "de/DE", "de\\DE", "de-DE", "C:", "d\xC3\xA9", "de DE"}) {
    EXPECT_FALSE(IsUsableLanguageCode(code)) << code;
  }
}

TEST_F(LocalizerTest, DomainsAreFoundByNameInAnyCase) {
  OnDisk("de", "sample_le.mo");
  WriteBelow(folder_, "other\\de\\LC_MESSAGES\\extra.mo", TestCatalog("second.mo"));
  TLocalizer& localizer = Start();
  localizer.SwitchLanguage("de");
  EXPECT_EQ(&localizer.GetDomain("Default"), &localizer.GetDomain("default"));
  TDomain& extra = localizer.GetDomain("extra");
  EXPECT_EQ(extra.Language(), "de");
  EXPECT_EQ(extra.Folder(), folder_.Path() + "locale\\");
  localizer.BindDomainFolder("EXTRA", folder_.Path() + "other");
  EXPECT_EQ(extra.Folder(), folder_.Path() + "other\\");
  EXPECT_EQ(localizer.TranslateInDomain("extra", "Hello"), "Привет");
  EXPECT_EQ(T("Hello"), "Hallo");
  localizer.SelectDomain("extra");
  EXPECT_EQ(localizer.CurrentDomain(), "extra");
}

TEST_F(LocalizerTest, TellsItselfAboutChanges) {
  struct Recording : TLocalizer {
    using TLocalizer::TLocalizer;
    std::vector<std::string> calls;
    void LanguageSwitched(const std::string& code) override { calls.push_back("language " + code); }
    void DomainSelected(const std::string& name) override { calls.push_back("domain " + name); }
    void DomainFolderBound(const std::string& name, const std::string& folder) override {
      calls.push_back("folder " + name + " " + folder);
    }
  };
  Recording localizer(locator_, folder_.Path(), QuietEnvironment(log_));
  localizer.SwitchLanguage("ru");
  localizer.BindDomainFolder("x", "F");
  localizer.SelectDomain("x");
  EXPECT_EQ(localizer.calls, (std::vector<std::string>{"language ru", "folder x F", "domain x"}));
}

// A language switch on one thread never takes a catalog away from a lookup on another.
TEST_F(LocalizerTest, LookupsSurviveSwitchesOnAnotherThread) {
  OnDisk("de", "sample_le.mo");
  OnDisk("ru", "second.mo");
  TLocalizer& localizer = Start();
  std::set<std::string> seen;
  std::thread reader([&] {
    for (int i = 0; i < 3000; ++i) seen.insert(localizer.TranslateInDomain("default", "Hello"));
  });
  for (int i = 0; i < 600; ++i)
    localizer.SwitchLanguage(i % 3 == 0 ? "de" : i % 3 == 1 ? "ru" : "en");
  reader.join();
  for (const std::string& text : seen) {
    EXPECT_TRUE(text == "Hallo" || text == "Привет" || text == "Hello") << text;
  }
  EXPECT_TRUE(log_.Messages.empty());
}

TEST(LanguageDetection, LangWinsAndLosesItsCharacterSet) {
  MessageLog log;
  TLocalizerEnvironment environment = QuietEnvironment(log, "ru_RU.KOI8-R");
  environment.UserLocaleInfo = UserLocale("de", "DE");
  EXPECT_EQ(DetectLanguage(environment), "ru_RU");
}

TEST(LanguageDetection, WithoutLangTheUserLocaleDecides) {
  MessageLog log;
  TLocalizerEnvironment environment = QuietEnvironment(log, "");
  environment.UserLocaleInfo = UserLocale("de", "DE");
  environment.ThreadLocale = [] { return uint32_t{1049}; };
  EXPECT_EQ(DetectLanguage(environment), "de_DE");
}

TEST(LanguageDetection, ThreadLocaleWhenTheUserLocaleGivesNoTwoLetterNames) {
  MessageLog log;
  TLocalizerEnvironment environment = QuietEnvironment(log, "");
  environment.ThreadLocale = [] { return uint32_t{1049}; };
  EXPECT_EQ(DetectLanguage(environment), "ru_RU");  // the locale query fails
  environment.UserLocaleInfo = UserLocale("fil", "PH");
  EXPECT_EQ(DetectLanguage(environment), "ru_RU");
}

TEST(LanguageDetection, ThreadLocaleTable) {
  EXPECT_EQ(ThreadLocaleLanguage(1031), "de_DE");
  EXPECT_EQ(ThreadLocaleLanguage(1049), "ru_RU");
  EXPECT_EQ(ThreadLocaleLanguage(1034), "es_ES");
  EXPECT_EQ(ThreadLocaleLanguage(3082), "es_ES");
  EXPECT_EQ(ThreadLocaleLanguage(1032), "gr_GR");
  EXPECT_EQ(ThreadLocaleLanguage(2068), "nn_NO");
  EXPECT_EQ(ThreadLocaleLanguage(4103), "de_LU");
  EXPECT_EQ(ThreadLocaleLanguage(1041), "C");
  EXPECT_EQ(ThreadLocaleLanguage(0), "C");
}

TEST(LanguageDetection, ReadsLangFromTheProcessEnvironment) {
  wchar_t saved[256] = {};
  const bool wasSet = GetEnvironmentVariableW(L"LANG", saved, 256) > 0;
  TLocalizerEnvironment environment;
  environment.UserLocaleInfo = UserLocale("de", "AT");
  SetEnvironmentVariableW(L"LANG", L"ru_RU.KOI8-R");
  EXPECT_EQ(DetectLanguage(environment), "ru_RU");
  SetEnvironmentVariableW(L"LANG", nullptr);
  EXPECT_EQ(ReadLangVariable(), "");
  EXPECT_EQ(DetectLanguage(environment), "de_AT");
  // The system's own locale query gives two-letter names or fails.
  const std::string language = ReadUserLocaleInfo(LOCALE_SISO639LANGNAME);
  EXPECT_TRUE(language.empty() || language.size() >= 2) << language;
  SetEnvironmentVariableW(L"LANG", wasSet ? saved : nullptr);
}

// The whole layer in this test program, with the catalogs the build appended to it.
TEST(LocalizationLayer, StartsTranslatesAndStops) {
  EXPECT_EQ(LocalizationInstance(), nullptr);
  EXPECT_EQ(_("untitled"), "untitled");
  EXPECT_EQ(_("a\nb"), "a\r\nb");
  EXPECT_EQ(TranslateResourceText("a\nb"), "a\nb");

  MessageLog log;
  StartLocalization(QuietEnvironment(log, "de_DE.UTF-8"));
  ASSERT_NE(LocalizationInstance(), nullptr);
  EXPECT_EQ(CurrentLanguage(), "de_DE");
  EXPECT_EQ(_("untitled"), "unbenannt");
  EXPECT_EQ(_("Scheduled tasks will not be executed after exit.\r\nDo you want to exit?"),
            "Geplante Aufgaben werden nach dem Beenden nicht ausgeführt.\r\n"
            "Möchten Sie das Programm beenden?");
  EXPECT_NE(_("").find("Language: de\r\n"), std::string::npos);
  EXPECT_EQ(TranslateResourceText("Cancel"), "Abbrechen");
  EXPECT_EQ(TranslateResourceText("No such text"), "No such text");

  SwitchLanguage("ru_RU");
  EXPECT_EQ(CurrentLanguage(), "ru_RU");
  EXPECT_EQ(_("untitled"), "без имени");
  EXPECT_EQ(_("&Tools"), "С&ервис");
  SwitchLanguage("en_US");
  EXPECT_EQ(_("untitled"), "untitled");
  SwitchLanguage("de_DE");
  EXPECT_EQ(_("Deframent file..."), "Datei defragmentieren...");

  StopLocalization();
  EXPECT_EQ(LocalizationInstance(), nullptr);
  EXPECT_EQ(_("untitled"), "untitled");
  EXPECT_EQ(CurrentLanguage(), "");
  EXPECT_TRUE(log.Messages.empty());
}

// Lookups on another thread while the layer stops and starts again: each answer is whole (the
// English text or its German translation) and none reaches a freed translator.
TEST(LocalizationLayer, StoppingWhileAnotherThreadTranslates) {
  MessageLog log;
  std::atomic<bool> done{false};
  std::atomic<int> lookups{0}, wrong{0};
  std::thread reader([&] {
    while (!done) {
      const std::string text = _("untitled");
      if (text != "untitled" && text != "unbenannt") ++wrong;
      const std::string cancel = TranslateResourceText("Cancel");
      if (cancel != "Cancel" && cancel != "Abbrechen") ++wrong;
      CurrentLanguage();
      ++lookups;
    }
  });
  for (int round = 0; round < 40; ++round) {
    StartLocalization(QuietEnvironment(log, "de_DE.UTF-8"));
    // Let the reader meet this layer before it goes.
    const int seen = lookups;
    for (int wait = 0; wait < 2000 && lookups < seen + 3; ++wait) Sleep(0);
    StopLocalization();
  }
  done = true;
  reader.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(lookups, 40);
  EXPECT_EQ(LocalizationInstance(), nullptr);
  EXPECT_EQ(_("untitled"), "untitled");
}
