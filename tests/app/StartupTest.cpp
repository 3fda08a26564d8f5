// Start-up: the style file in the configuration folder (missing, named, empty, unknown style), written
// in windows-1251 with CR LF, and the style in force after start-up.
#include <gtest/gtest.h>

#include "app/Startup.h"
#include "gridlib/base/DBGridEhFindDlgs.h"
#include "gridlib/base/ZipFileProviderEh.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StyleManager.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/app/AppFixture.h"

namespace {

class StyleFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    ResetApplicationForTests();
    env_.Set("XDG_CONFIG_HOME", folder_.Path());
    TStyleManager::TrySetStyle(u"Windows", false);
  }
  void TearDown() override {
    TStyleManager::TrySetStyle(u"Windows", false);
    ResetApplicationForTests();
    InitDBGridEhUnit();  // the program's exit freed the grids' shared objects
  }
  std::string StyleFile() const { return folder_.Path() + "/kiv-erp/t_style.txt"; }
  // Start-up with no forms: the style is read and applied, and the loop ends at once.
  void StartProgram() {
    SetArguments({});
    RunProgram(0, nullptr, [] { Application->Terminate(); });
    ResetApplicationForTests();
  }

  TTempFolder folder_;
  TEnvironment env_;
};

TEST_F(StyleFileTest, StartUpReadsOrRepairsTheStyleFile) {
  struct Case {
    const char* name;
    std::optional<std::string> before;  // none: no file
    const char16_t* style;              // in force after start-up
    std::string after;
    int messages;
  };
  const Case cases[] = {
      {"no file", std::nullopt, u"Windows", "Windows\r\n", 0},
      {"Onyx Blue", "Onyx Blue\r\n", u"Onyx Blue", "Onyx Blue\r\n", 0},
      {"empty file", "", u"Windows", "Windows\r\n", 0},
      {"empty first line", "\r\nOnyx Blue\r\n", u"Windows", "\r\nOnyx Blue\r\nWindows\r\n", 0},
      {"unknown style", "Nordic\r\n", u"Windows", "Nordic\r\n", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStyleManager::TrySetStyle(u"Windows", false);
    std::remove(StyleFile().c_str());
    if (c.before) {
      Shell("mkdir -p " + folder_.Path() + "/kiv-erp");
      WriteBytes(StyleFile(), *c.before);
    }
    TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
    StartProgram();
    EXPECT_EQ(TStyleManager::GetActiveStyle()->GetName(), c.style);
    EXPECT_EQ(ReadBytes(StyleFile()), c.after);
    ASSERT_EQ(boxes.Count(), c.messages);
    if (c.messages) {
      EXPECT_EQ(boxes.Last().Text, u"Style 'Nordic' not found");
    }
  }
}

TEST_F(StyleFileTest, AnEmptyFirstLineGrowsTheFileByOneLinePerStart) {
  Shell("mkdir -p " + folder_.Path() + "/kiv-erp");
  WriteBytes(StyleFile(), "\r\n");
  StartProgram();
  StartProgram();
  EXPECT_EQ(ReadBytes(StyleFile()), "\r\nWindows\r\nWindows\r\n");
}

TEST_F(StyleFileTest, TheFileIsWindows1251WithCrLf) {
  WriteStyleFile(u"Стиль");
  EXPECT_EQ(ReadBytes(StyleFile()), "\xD1\xF2\xE8\xEB\xFC\r\n");
  EXPECT_EQ(ReadStyleName(), u"Стиль");
}

TEST_F(StyleFileTest, AFileThatCannotBeWrittenEndsStartUpWithTheError) {
  // The style file's name is taken by a folder, so it can be neither read nor created.
  Shell("mkdir -p " + StyleFile());
  TDialogRecorder boxes(TDialogAnswer::Button(IDOK));
  bool created = false;
  SetArguments({});
  static bool* flag = nullptr;
  flag = &created;
  EXPECT_EQ(RunProgram(0, nullptr, [] { *flag = true; }), 0);
  ResetApplicationForTests();
  EXPECT_FALSE(created);
  EXPECT_EQ(boxes.Count(), 1);
}

TEST_F(StyleFileTest, StartUpRegistersTheGridLibraryDropDownsAndDialogs) {
  StartProgram();
  for (const Char* name : {u"TPopupDateTimeCalendarFormEh", u"TPopupCalculatorFormEh", u"TMemoEditWinEh",
                           u"TRichEditWinEh", u"TDBGridEhFindDlg"})
    EXPECT_NE(GetClass(name), nullptr) << StringToUtf8(name);
  EXPECT_TRUE(ShowDBGridEhFindDialogProc) << "the data grid reaches its find dialog";
  EXPECT_NE(GetZipFileProviderClassEh(), nullptr);
  EXPECT_TRUE(GetDataListBoxFactoryEh()) << "a grid's data list drops down a lookup list";
  EXPECT_TRUE(DBAxisGridPictureEditRoutineEh) << "a picture cell's button opens the picture editor";
}

TEST_F(StyleFileTest, TheGridsSharedObjectsAreFreedAtExitAndLeaveTheirGridsSafe) {
  InitDBGridEhUnit();
  TForm form(nullptr, 0);
  auto* grid = new TDBGridEh(&form);
  ASSERT_NE(grid->GetStyle(), nullptr);
  StartProgram();
  EXPECT_EQ(GetGlobalGridStyle(), nullptr);
  EXPECT_EQ(GetGlobalGridCenter(), nullptr);
  EXPECT_EQ(grid->GetStyle(), nullptr);
  EXPECT_EQ(grid->GetCenter(), nullptr);
}

}  // namespace
