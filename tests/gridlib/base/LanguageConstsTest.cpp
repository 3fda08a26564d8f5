// Language constants and the language manager: the built-in texts code point by code point, and
// language files that override texts, with an unknown property reported once while the rest apply.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/base/LanguageResManEh.h"
#include "platform/classes/TypInfo.h"
#include "platform/controls/TestSupport.h"
#include "platform/rtl/Utf.h"

namespace {

std::vector<unsigned> CodePoints(const String& s) { return std::vector<unsigned>(s.begin(), s.end()); }

TEST(GridLibLanguageConstsTest, BuiltInTextsAreVerbatim) {
  struct Case {
    const char* property;
    const Char* text;
  };
  const Case cases[] = {
      {"Language", u"Russian"},
      {"DuplicateVarNameEh",
       u"\u041F\u0435\u0440\u0435\u043C\u0435\u043D\u043D\u0430\u044F \u0441 "
       u"\u0438\u043C\u0435\u043D\u0435\u043C '%s' \u0443\u0436\u0435 "
       u"\u043F\u0440\u0438\u0441\u0443\u0442\u0441\u0442\u0432\u0443\u0435\u0442 \u0432 "
       u"\u041A\u043E\u043B\u043B\u0435\u043A\u0446\u0438\u0438"},
      {"FieldNameNotFound",
       u"\u0418\u043C\u044F \u043F\u043E\u043B\u044F '%s' \u043D\u0435 "
       u"\u043D\u0430\u0439\u0434\u0435\u043D\u043E"},
      {"FindItemNameAllEh", u"<\u0412\u0441\u0435>"},
      {"OKButtonEh", u"OK"},
      {"CancelButtonEh", u"\u041E\u0442\u043C\u0435\u043D\u0430"},
      {"MemoEditWin_Caption", u""},
      {"TodayEh", u"C\u0435\u0433\u043E\u0434\u043D\u044F"},
      {"PictureEditorDialog_Caption",
       u"\u0420\u0435\u0434\u0430\u043A\u0442\u043E\u0440 "
       u"\u0438\u0437\u043E\u0431\u0440\u0430\u0436\u0435\u043D\u0438\u0439"},
      {"PictureEditorDialog_Load", u"&\u0418\u0437 \u0444\u0430\u0439\u043B\u0430..."},
      {"PictureEditorDialog_Save", u"&\u0412 \u0444\u0430\u0439\u043B..."},
      {"PictureEditorDialog_Clear", u"&\u041E\u0447\u0438\u0441\u0442\u0438\u0442\u044C"},
      {"PictureEditorDialog_Cut", u"\u0412\u044B\u0440\u0435\u0437\u0430\u0442\u044C"},
      {"PictureEditorDialog_Copy", u"\u0421\u043A\u043E\u043F\u0438\u0440\u043E\u0432\u0430\u0442\u044C"},
      {"PictureEditorDialog_Paste", u"\u0412\u0441\u0442\u0430\u0432\u0438\u0442\u044C"},
      {"PictureEditorDialog_ZoomIn", u"\u0423\u0432\u0435\u043B\u0438\u0447\u0438\u0442\u044C"},
      {"PictureEditorDialog_ZoomOut", u"\u0423\u043C\u0435\u043D\u044C\u0448\u0438\u0442\u044C"},
      {"PictureEditorDialog_Reset", u"\u0418\u0441\u0445. \u0440\u0430\u0437\u043C."},
      {"DBGridEhFindDlg_Caption", u"\u041F\u043E\u0438\u0441\u043A"},
      {"DBGridEhFindDlg_FindWhat", u"&\u041E\u0431\u0440\u0430\u0437\u0435\u0446:"},
      {"DBGridEhFindDlg_FindIn", u"&\u041F\u043E\u0438\u0441\u043A \u0432:"},
      {"DBGridEhFindDlg_Match", u"&\u0421\u043E\u0432\u043F\u0430\u0434\u0435\u043D\u0438\u0435:"},
      {"DBGridEhFindDlg_Search", u"\u041F\u0440\u043E\u0441&\u043C\u043E\u0442\u0440:"},
      {"DBGridEhFindDlg_FindInTree",
       u"\u0418\u0441\u043A\u0430\u0442\u044C \u0432 \u0434\u0435\u0440\u0435\u0432\u0435:"},
      {"DBGridEhFindDlg_FindNext", u"\u041D\u0430&\u0439\u0442\u0438 \u0434\u0430\u043B\u0435\u0435"},
      {"DBGridEhFindDlg_Close", u"\u0417\u0430\u043A\u0440\u044B\u0442\u044C"},
      {"DBGridEhFindDlg_FromAnyPart",
       u"\u0421 \u043B\u044E\u0431\u043E\u0439 \u0447\u0430\u0441\u0442\u0438 \u043F\u043E\u043B\u044F"},
      {"DBGridEhFindDlg_WholeField", u"\u041F\u043E\u043B\u044F \u0446\u0435\u043B\u0438\u043A\u043E\u043C"},
      {"DBGridEhFindDlg_FromBeging", u"\u0421 \u043D\u0430\u0447\u0430\u043B\u0430 \u043F\u043E\u043B\u044F"},
      {"DBGridEhFindDlg_Direction_Up", u"\u0412\u0432\u0435\u0440\u0445"},
      {"DBGridEhFindDlg_Direction_Down", u"\u0412\u043D\u0438\u0437"},
      {"DBGridEhFindDlg_Direction_All", u"\u0412\u0441\u0435"},
      {"DBGridEhFindDlg_MatchCase",
       u"\u0421 \u0443\u0447\u0435\u0442\u043E\u043C \u0440\u0435&\u0433\u0438\u0441\u0442\u0440\u0430"},
      {"DBGridEhFindDlg_MatchFormat",
       u"\u0421 \u0443&\u0447\u0435\u0442\u043E\u043C \u0444\u043E\u0440\u043C\u0430\u0442\u0430"},
      {"DBGridEhFindDlg_TreeRange_InAllNodes",
       u"\u0412\u043E \u0432\u0441\u0435\u0445 \u0432\u0435\u0442\u0432\u044F\u0445"},
      {"DBGridEhFindDlg_TreeRange_InExpandedNodes",
       u"\u0412 \u0440\u0430\u0441\u043A\u0440\u044B\u0442\u044B\u0445 \u0432\u0435\u0442\u0432\u044F\u0445"},
      {"DBGridEhFindDlg_TreeRange_InCurrentLevel",
       u"\u0412 \u0442\u0435\u043A\u0443\u0449\u0435\u043C \u0443\u0440\u043E\u0432\u043D\u0435"},
      {"DBGridEhFindDlg_TreeRange_InCurrentNode",
       u"\u0412 \u0442\u0435\u043A\u0443\u0449\u0435\u0439 \u0432\u0435\u0442\u043A\u0435"},
  };
  TGridLibLanguageConsts* consts = GetGridLibLanguageConsts();
  for (const Case& c : cases) {
    const String name = Utf8ToString(c.property);
    ASSERT_TRUE(GetPropInfo(consts, name)) << c.property;
    EXPECT_EQ(CodePoints(GetStrProp(consts, name)), CodePoints(c.text)) << c.property;
  }
  // The calendar's "today" starts with the Latin C, not the Cyrillic one.
  EXPECT_EQ(consts->GetTodayEh()[0], u'C');
}

TEST(GridLibLanguageConstsTest, EveryConstantIsPublishedAndOnlyTheMemoCaptionIsEmpty) {
  TGridLibLanguageConsts* consts = GetGridLibLanguageConsts();
  int strings = 0;
  for (const TPropInfo* info : GetPropList(consts)) {
    if (info->Kind() != tkUString && info->Kind() != tkString) continue;
    if (info->Name == u"Name") continue;
    ++strings;
    if (info->Name == u"MemoEditWin_Caption")
      EXPECT_TRUE(GetStrProp(consts, info).empty());
    else
      EXPECT_FALSE(GetStrProp(consts, info).empty()) << StringToUtf8(info->Name);
  }
  EXPECT_EQ(strings, 250);
}

// A language folder with files written by the test, and a manager and constants object of its own.
class LanguageManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    dir_ = std::filesystem::temp_directory_path() /
           ("kiv-lang-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    manager_.SetResourceFolderPath(Utf8ToString(dir_.string()));
    consts_ = std::make_unique<TGridLibLanguageConsts>(nullptr);
    Application->OnException = [this](TObject*, Exception* e) { reported_.push_back(e->Message()); };
  }
  void TearDown() override {
    Application->OnException = nullptr;
    std::filesystem::remove_all(dir_);
  }
  void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  std::filesystem::path dir_;
  TLanguageResourceManagerEh manager_;
  std::unique_ptr<TGridLibLanguageConsts> consts_;
  std::vector<String> reported_;
};

TEST_F(LanguageManagerTest, LanguageFileOverridesTheTextsItNames) {
  WriteFile("GridLibLangConsts.ENU.dfm",
            "object GridLibLanguageConsts: TGridLibLanguageConsts\n"
            "  OKButtonEh = 'Okay'\n"
            "  CancelButtonEh = 'Cancel'\n"
            "end\n");
  manager_.LoadListOfAvailableLanguages(u"GridLibLangConsts");
  ASSERT_EQ(manager_.GetLanguageList()->GetText(), u"ENU\r\n");
  manager_.AddLocalizableObject(consts_.get(), u"TGridLibLanguageConsts", u"GridLibLangConsts", u"RUS");

  manager_.SetActiveLanguageAbbr(u"ENU");

  EXPECT_EQ(consts_->GetOKButtonEh(), u"Okay");
  EXPECT_EQ(consts_->GetCancelButtonEh(), u"Cancel");
  EXPECT_EQ(consts_->GetTodayEh(), u"C\u0435\u0433\u043E\u0434\u043D\u044F");
  EXPECT_TRUE(reported_.empty());
}

TEST_F(LanguageManagerTest, UnknownPropertyIsReportedOnceAndTheOthersApply) {
  WriteFile("GridLibLangConsts.ENU.dfm",
            "object GridLibLanguageConsts: TGridLibLanguageConsts\n"
            "  OKButtonEh = 'Okay'\n"
            "  NoSuchTextEh = 'x'\n"
            "  CancelButtonEh = '\xD0\x9E\xD1\x82\xD0\xBC\xD0\xB5\xD0\xBD\xD0\xB0!'\n"
            "end\n");
  manager_.LoadListOfAvailableLanguages(u"GridLibLangConsts");
  manager_.AddLocalizableObject(consts_.get(), u"TGridLibLanguageConsts", u"GridLibLangConsts", u"RUS");

  manager_.SetActiveLanguageAbbr(u"ENU");

  ASSERT_EQ(reported_.size(), 1u);
  EXPECT_NE(reported_[0].find(u"NoSuchTextEh"), String::npos);
  EXPECT_EQ(consts_->GetOKButtonEh(), u"Okay");
  EXPECT_EQ(consts_->GetCancelButtonEh(), u"\u041E\u0442\u043C\u0435\u043D\u0430!");
}

TEST_F(LanguageManagerTest, MissingFileKeepsTextsAndStillNotifies) {
  class TListener : public TComponent, public ILanguageResourceLoadNotificationConsumer {
   public:
    TListener() : TComponent(nullptr) {}
    void ResourceLanguageChanged() override { ++calls; }
    int calls = 0;
  } listener;
  manager_.GetLanguageList()->Add(u"DEU");
  manager_.AddLocalizableObject(consts_.get(), u"TGridLibLanguageConsts", u"GridLibLangConsts", u"RUS");
  manager_.AddChangeNotifyConsumer(&listener, u"RUS");
  const String before = consts_->GetOKButtonEh();

  manager_.SetActiveLanguageAbbr(u"DEU");
  manager_.SetActiveLanguageAbbr(u"DEU");

  EXPECT_EQ(consts_->GetOKButtonEh(), before);
  EXPECT_EQ(listener.calls, 1);
  manager_.DeleteChangeNotifyConsumer(&listener);
}

TEST_F(LanguageManagerTest, UnsupportedLanguageAndBadStreamRaise) {
  try {
    manager_.SetActiveLanguageAbbr(u"XYZ");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Language \"XYZ\" is not supported");
  }
  EXPECT_THROW(manager_.ReadComponentExternalResource(consts_.get(), u"GridLibLangConsts"), Exception);
  TStringStream garbage(u"not a form");
  try {
    manager_.ReadComponentFromStream(consts_.get(), &garbage);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Invalid stream format.");
  }
}

TEST_F(LanguageManagerTest, AutoselectFallsBackToPrimaryLanguageThenEnglish) {
  TStringList* list = manager_.GetLanguageList();
  EXPECT_EQ(manager_.AutoselectLanguage(0x0419), u"");
  list->Add(u"ENU");
  EXPECT_EQ(manager_.AutoselectLanguage(0x0419), u"ENU");
  // English (United Kingdom) is missing, English (United States) shares its primary language.
  EXPECT_EQ(manager_.AutoselectLanguage(0x0809), u"ENU");
  list->Add(u"RUS");
  EXPECT_EQ(manager_.AutoselectLanguage(0x0419), u"RUS");
  EXPECT_EQ(manager_.AutoselectLanguage(), u"RUS");
}

}  // namespace
