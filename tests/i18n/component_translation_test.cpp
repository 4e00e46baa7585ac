// Windows put into German and back through the catalog appended to this test program, and the
// resource-string loaders of the user-interface layer routed through the translator.
#include "i18n/component_translation.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <thread>

#include "i18n/errors.h"
#include "i18n/localizer.h"
#include "runtime/text.h"
#include "runtime/ui/comctrls.h"
#include "runtime/ui/dialogs.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/stdctrls.h"
#include "tests/i18n/component_translation_ids.h"
#include "tests/i18n/i18n_test_support.h"

using namespace movra;
using namespace movra::ui;
using movra::test::MessageLog;
using movra::test::QuietEnvironment;

namespace {

// A window described the way the application's windows are, with one control of each kind
// the translation must reach.
class TTestWindow : public TForm {
 public:
  explicit TTestWindow(TComponent* owner) : TForm(owner) {
    BeginLoading();
    SetName("TestWindow");
    SetCaption("Profiles");
    SetBounds(0, 0, 500, 400);
    label = new TLabel(this);
    label->SetName("lblName");
    label->SetParent(this);
    label->SetCaption("Profile name");
    button = new TButton(this);
    button->SetName("btnRun");
    button->SetParent(this);
    button->SetTop(20);
    button->SetCaption("btnRun");  // the name as caption: the caption is translated, the name not
    button->SetHint("Runs selected profile");
    list = new TListView(this);
    list->SetName("lvProfiles");
    list->SetParent(this);
    list->SetBounds(0, 50, 400, 100);
    list->Columns().Add()->SetCaption("Name");
    list->Columns().Add()->SetCaption("Files");
    memo = new TMemo(this);
    memo->SetName("memoLog");
    memo->SetParent(this);
    memo->SetBounds(0, 160, 400, 80);
    memo->Lines().SetText("First line\r\n\r\nSecond line\r\n");
    combo = new TComboBox(this);
    combo->SetName("comboPosition");
    combo->SetParent(this);
    combo->SetTop(250);
    combo->SetStyle(TComboBoxStyle::csDropDownList);
    combo->Items().AddObject("start of disk", &marker);
    combo->Items().Add("end of disk");
    status = new TStatusBar(this);
    status->SetName("StatusBar1");
    status->SetParent(this);
    status->Panels().Add()->SetText("Ready");
    status->Panels().Add();
    menu = new TMainMenu(this);
    menu->SetName("MainMenu1");
    file = new TMenuItem(this);
    file->SetName("mnuFile");
    file->SetCaption("&File");
    exit = new TMenuItem(this);
    exit->SetName("mnuFileExit");
    exit->SetCaption("Exit");
    file->Add(exit);
    menu->Items()->Add(file);
    SetMenu(menu);
    EndLoading();
  }

  // Every text the test follows, in one line.
  std::string Texts() {
    return Caption() + "|" + label->Caption() + "|" + button->Caption() + "|" + button->Hint() + "|" +
           list->Column(0)->Caption() + "|" + list->Column(1)->Caption() + "|" + memo->Lines().Text() + "|" +
           combo->Items()[0] + "|" + combo->Items()[1] + "|" + status->Panels()[0]->Text() + "|" +
           file->Caption() + "|" + exit->Caption();
  }

  int marker = 0;
  TLabel* label;
  TButton* button;
  TListView* list;
  TMemo* memo;
  TComboBox* combo;
  TStatusBar* status;
  TMainMenu* menu;
  TMenuItem *file, *exit;
};

const std::string kEnglish =
    "Profiles|Profile name|btnRun|Runs selected profile|Name|Files|First line\r\n\r\nSecond line\r\n|"
    "start of disk|end of disk|Ready|&File|Exit";
const std::string kGerman =
    "Profile|Profilname|Knopf|Führt das gewählte Profil aus|Bezeichnung|Dateien|"
    "Erste Zeile\r\n\r\nZweite Zeile\r\n|Anfang der Festplatte|Ende der Festplatte|Bereit|&Datei|Beenden";

std::string WindowText(HWND window) {
  wchar_t buffer[256] = {};
  GetWindowTextW(window, buffer, 256);
  return WideToUtf8(buffer);
}

class ComponentTranslation : public ::testing::Test {
 protected:
  void SetUp() override {
    StartLocalization(QuietEnvironment(log_, "en_US"));
    InstallResourceStringTranslation();
  }
  void TearDown() override {
    RemoveResourceStringTranslation();
    StopLocalization();
  }
  MessageLog log_;
};

}  // namespace

TEST_F(ComponentTranslation, EnglishThenGermanThenEnglishAgain) {
  auto window = MakeOwned<TTestWindow>(nullptr);
  window->HandleNeeded();
  TranslateComponent(window.get());
  EXPECT_EQ(window->Texts(), kEnglish);  // no English catalog: the texts are only recorded
  auto* marker = dynamic_cast<TLocalizerMarker*>(window->FindComponent("LocalizerMarker"));
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker->TranslatedLanguage, "en_US");
  ASSERT_NE(marker->Recorder, nullptr);
  EXPECT_EQ(marker->Recorder->Domain, "default");

  SwitchLanguage("de_DE");
  RetranslateComponent(window.get());
  EXPECT_EQ(window->Texts(), kGerman);
  EXPECT_EQ(marker->TranslatedLanguage, "de_DE");
  EXPECT_EQ(window->button->Name(), "btnRun");
  EXPECT_EQ(WindowText(window->button->Handle()), "Knopf");
  EXPECT_EQ(window->memo->Lines()[1], "");  // an empty line stays empty
  EXPECT_EQ(window->combo->Items().Objects(0), &window->marker);
  EXPECT_EQ(window->status->PanelWindowText(0), "Bereit");

  SwitchLanguage("en_US");
  RetranslateComponent(window.get());
  EXPECT_EQ(window->Texts(), kEnglish);
  SwitchLanguage("de_DE");
  RetranslateComponent(window.get());  // from English again, never from German
  EXPECT_EQ(window->Texts(), kGerman);
  // Unchanged language: nothing to do, even when texts were changed by hand.
  window->label->SetCaption("Profile name");
  RetranslateComponent(window.get());
  EXPECT_EQ(window->label->Caption(), "Profile name");
}

TEST_F(ComponentTranslation, TranslatesAtOnceInTheCurrentLanguageButNeverNames) {
  SwitchLanguage("de_DE");
  auto window = MakeOwned<TTestWindow>(nullptr);
  TranslateComponent(window.get());
  EXPECT_EQ(window->Texts(), kGerman);
  for (int i = 0; i < window->ComponentCount(); ++i) EXPECT_NE(window->Components(i)->Name(), "Knopf");
  SwitchLanguage("en_US");
  RetranslateComponent(window.get());
  EXPECT_EQ(window->Texts(), kEnglish);
}

TEST_F(ComponentTranslation, TextsSetInCodeAndLinesAddedLaterSurvive) {
  auto window = MakeOwned<TTestWindow>(nullptr);
  window->HandleNeeded();
  TranslateComponent(window.get());
  window->label->SetCaption("Set in code");
  window->memo->Lines().Put(0, "Mine");
  window->memo->Lines().Add("Added later");
  window->combo->Items().AddObject("Added later", &window->marker);
  window->status->Panels()[1]->SetText("In queue: 0");
  SwitchLanguage("de_DE");
  RetranslateComponent(window.get());
  EXPECT_EQ(window->label->Caption(), "Set in code");  // though the catalog has it
  EXPECT_EQ(window->memo->Lines().Text(), "Mine\r\n\r\nZweite Zeile\r\nAdded later\r\n");
  ASSERT_EQ(window->combo->Items().Count(), 3);
  EXPECT_EQ(window->combo->Items()[0], "Anfang der Festplatte");
  EXPECT_EQ(window->combo->Items().Objects(0), &window->marker);
  EXPECT_EQ(window->combo->Items()[2], "Added later");
  EXPECT_EQ(window->combo->Items().Objects(2), &window->marker);
  EXPECT_EQ(window->status->Panels()[1]->Text(), "In queue: 0");
  EXPECT_EQ(window->button->Caption(), "Knopf");
  // Columns made after the translation are the code's: not recorded, not touched.
  window->list->Columns().Add()->SetCaption("Files");
  SwitchLanguage("en_US");
  RetranslateComponent(window.get());
  EXPECT_EQ(window->list->Column(1)->Caption(), "Files");
  EXPECT_EQ(window->list->Column(2)->Caption(), "Files");
  EXPECT_EQ(window->combo->Items()[0], "start of disk");
  EXPECT_EQ(window->memo->Lines()[2], "Second line");
}

// A component that publishes a sorted list of its own.
class TSortedHolder : public TComponent {
 public:
  explicit TSortedHolder(TComponent* owner) : TComponent(owner) { Items.SetSorted(true); }
  void GetProperties(TPropertyList& properties) override {
    TComponent::GetProperties(properties);
    properties.AddObject("Items", &Items);
  }
  ui::TStringList Items;
};

// English and German sort the two lines the other way round; each object stays with its line
// through every switch, and a line added by code keeps its own.
TEST_F(ComponentTranslation, SortedListsKeepEachObjectWithItsLine) {
  int start = 0, end = 0, mine = 0;
  auto owner = MakeOwned<TComponent>(nullptr);
  auto* holder = new TSortedHolder(owner.get());
  holder->Items.AddObject("start of disk", &start);
  holder->Items.AddObject("end of disk", &end);
  TranslateComponent(owner.get());
  auto pairs = [&] {
    std::vector<std::pair<std::string, void*>> out;
    for (int i = 0; i < holder->Items.Count(); ++i)
      out.emplace_back(holder->Items[i], holder->Items.Objects(i));
    return out;
  };
  using Pairs = std::vector<std::pair<std::string, void*>>;
  const Pairs english{{"end of disk", &end}, {"start of disk", &start}};
  const Pairs german{{"Anfang der Festplatte", &start}, {"Ende der Festplatte", &end}};
  EXPECT_EQ(pairs(), english);
  for (int round = 0; round < 2; ++round) {
    SwitchLanguage("de_DE");
    RetranslateComponent(owner.get());
    EXPECT_EQ(pairs(), german) << round;
    SwitchLanguage("en_US");
    RetranslateComponent(owner.get());
    EXPECT_EQ(pairs(), english) << round;
  }
  holder->Items.AddObject("Added later", &mine);
  SwitchLanguage("de_DE");
  RetranslateComponent(owner.get());
  EXPECT_EQ(pairs(), (Pairs{{"Added later", &mine}, {"Anfang der Festplatte", &start},
                            {"Ende der Festplatte", &end}}));
  SwitchLanguage("en_US");
  RetranslateComponent(owner.get());
  EXPECT_EQ(pairs(), (Pairs{{"Added later", &mine}, {"end of disk", &end}, {"start of disk", &start}}));

  // Translated at once into German: the record still follows the lines.
  auto later = MakeOwned<TComponent>(nullptr);
  auto* second = new TSortedHolder(later.get());
  second->Items.AddObject("start of disk", &start);
  second->Items.AddObject("end of disk", &end);
  SwitchLanguage("de_DE");
  TranslateComponent(later.get());
  EXPECT_EQ(second->Items.Objects(0), &start);
  SwitchLanguage("en_US");
  RetranslateComponent(later.get());
  EXPECT_EQ(second->Items[0], "end of disk");
  EXPECT_EQ(second->Items.Objects(0), &end);
  EXPECT_EQ(second->Items.Objects(1), &start);
}

TEST_F(ComponentTranslation, TargetsDestroyedBeforeARetranslationAreSkipped) {
  auto window = MakeOwned<TTestWindow>(nullptr);
  TranslateComponent(window.get());
  Free(window->button);
  window->list->Columns().Delete(0);
  window->combo->Items().Clear();
  SwitchLanguage("de_DE");
  RetranslateComponent(window.get());
  EXPECT_EQ(window->label->Caption(), "Profilname");
  EXPECT_EQ(window->list->Column(0)->Caption(), "Dateien");
  EXPECT_EQ(window->combo->Items().Count(), 0);
}

TEST_F(ComponentTranslation, MisuseGivesTheLayersExactMessages) {
  auto window = MakeOwned<TTestWindow>(nullptr);
  try {
    RetranslateComponent(window.get());
    FAIL() << "no error";
  } catch (const ELocProgrammingError& error) {
    EXPECT_STREQ(error.what(),
                 "Retranslate was called on an object that has not been translated before. Please use "
                 "TranslateComponent() before RetranslateComponent().");
  }
  TranslateComponent(window.get());
  TranslateComponent(window.get());  // same language: nothing at all
  EXPECT_TRUE(log_.Messages.empty());
  ASSERT_EQ(window->ComponentCount(), window->FindComponent("LocalizerMarker")->ComponentIndex() + 1);

  SwitchLanguage("de_DE");
  TranslateComponent(window.get());
  ASSERT_EQ(log_.Messages.size(), 1u);
  EXPECT_EQ(log_.Messages[0].first, "Error");
  EXPECT_EQ(log_.Messages[0].second,
            "This application tried to switch the language, but in an incorrect way. The programmer needs to "
            "replace a call to TranslateComponent with a call to RetranslateComponent(). The programmer should "
            "see the changelog of the localization layer for more information.");
  EXPECT_EQ(window->Texts(), kEnglish);
  // The window is still marked English, so the right call now does switch it.
  RetranslateComponent(window.get());
  EXPECT_EQ(window->Texts(), kGerman);
}

namespace {

// A component whose caption refuses every change once set.
class TFaultyComponent : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TFaultyComponent", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  using TComponent::TComponent;
  void GetProperties(TPropertyList& properties) override {
    TComponent::GetProperties(properties);
    properties.AddText("Caption", [] { return std::string("Run"); },
                       [this](const std::string&) { Failure(); });
  }
  std::function<void()> Failure = [] { throw Exception("Caption is read-only now"); };
};

}  // namespace

TEST_F(ComponentTranslation, APropertyThatCannotBeWrittenStopsTheTranslation) {
  SwitchLanguage("de_DE");
  auto window = MakeOwned<TTestWindow>(nullptr);
  auto* faulty = new TFaultyComponent(window.get());
  faulty->SetName("Faulty");
  try {
    TranslateComponent(window.get());
    FAIL() << "no error";
  } catch (const ELocComponentError& error) {
    EXPECT_STREQ(error.what(),
                 "Property cannot be translated.\r\nAdd GlobalIgnoreClassProperty(TFaultyComponent,'Caption') "
                 "to your source code or use\r\nIgnoreProperty (self,'.Caption') to prevent this message.\r\n"
                 "Reason: Caption is read-only now");
  }
  EXPECT_EQ(window->FindComponent("LocalizerMarker"), nullptr);  // freed with its record
  EXPECT_EQ(window->label->Caption(), "Profilname");              // translated before the failure

  // Errors of other kinds pass unchanged.
  faulty->Failure = [] { throw std::logic_error("plain"); };
  EXPECT_THROW(TranslateComponent(window.get()), std::logic_error);

  GlobalIgnoreClassProperty(TFaultyComponent::Class(), "caption");
  GlobalIgnoreClassProperty(TFaultyComponent::Class(), "Caption");  // no duplicate
  TranslateComponent(window.get());
  EXPECT_NE(window->FindComponent("LocalizerMarker"), nullptr);
  EXPECT_EQ(window->Texts(), kGerman);
}

TEST_F(ComponentTranslation, ResourceStringsByRecordTranslateOnTheOwnerThreadOnly) {
  SwitchLanguage("de_DE");
  static constexpr TResStringRec text{nullptr, IDS_TEST_RESOURCE_TEXT, "Resource text"};
  EXPECT_EQ(LoadResString(text), "Ressourcentext");
  std::string onWorker, byIdentifierOnWorker;
  std::thread worker([&] {
    onWorker = LoadResString(text);
    byIdentifierOnWorker = LoadStr(IDS_TEST_RESOURCE_TEXT);
  });
  worker.join();
  EXPECT_EQ(onWorker, "Resource text");
  EXPECT_EQ(byIdentifierOnWorker, "Ressourcentext");  // loads by identifier translate anywhere

  // Formatted strings are looked up with their arguments in.
  EXPECT_EQ(FmtLoadStr(IDS_TEST_FOUND_FILES, {"5"}), "5 Dateien gefunden");
  EXPECT_EQ(FmtLoadStr(IDS_TEST_FOUND_FILES, {"6"}), "Found 6 files");
  static constexpr TResStringRec beyond{nullptr, 65536, "Beyond"};
  EXPECT_EQ(LoadResString(beyond), "ERROR");
  EXPECT_EQ(TranslatedResourceString(nullptr), "");
  // The layer's own strings pass through too.
  EXPECT_EQ(MessageDlgCaption(TMsgDlgType::mtConfirmation), "Bestätigen");

  RemoveResourceStringTranslation();
  EXPECT_EQ(LoadResString(text), "Resource text");
  EXPECT_EQ(LoadResString(beyond), "Beyond");
  InstallResourceStringTranslation();
}
