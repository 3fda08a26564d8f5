// Popups on a real desktop: with a window manager running, a non-activating popup form and the
// library's popup menu opened over a focused edit leave the edit focused and its form active, as the X
// server reports it. Runs when KIV_DESKTOP_TESTS is set and the program is on an X display
// (QT_QPA_PLATFORM=xcb); offscreen it is skipped, because no window is ever activated there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gridlib/base/DropDownFormEh.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/testing/TestSupport.h"

namespace {

class PopupDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!DesktopTestsEnabled())
      GTEST_SKIP() << "needs an X desktop: KIV_DESKTOP_TESTS=1 QT_QPA_PLATFORM=xcb DISPLAY=...";
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetCaption(u"KIV popup host");
    form_->SetBounds(100, 100, 400, 300);
    edit_ = new TEdit(form_.get());
    edit_->SetParent(form_.get());
    edit_->SetBounds(20, 20, 200, 24);
    form_->Show();
    ActivateWindowByName("KIV popup host");
    edit_->SetFocus();
    ProcessEventsFor(100);
  }
  void TearDown() override { form_.reset(); }

  void ExpectHostKeepsFocus(const char* when) {
    EXPECT_EQ(ActiveWindowName(), "KIV popup host") << when;
    EXPECT_TRUE(edit_->Focused()) << when;
    EXPECT_TRUE(form_->GetActive()) << when;
  }

  std::unique_ptr<TForm> form_;
  TEdit* edit_ = nullptr;
};

TEST_F(PopupDesktopTest, InactivePopupFormShownAndClickedLeavesTheEditFocused) {
  ASSERT_EQ(ActiveWindowName(), "KIV popup host");
  ASSERT_TRUE(edit_->Focused());
  TPopupInactiveFormEh popup(nullptr);
  popup.SetCaption(u"KIV popup");
  popup.SetBounds(120, 150, 200, 120);
  popup.SetMasterActionsControl(edit_);
  popup.Show();
  ProcessEventsFor(300);
  EXPECT_TRUE(popup.GetVisible());
  ExpectHostKeepsFocus("after show");
  // A real click through the X server on the popup.
  RunDesktopCommand("xdotool mousemove 200 200 click 1");
  ProcessEventsFor(300);
  ExpectHostKeepsFocus("after a click on the popup");
  popup.SetVisible(false);
  ProcessEventsFor(100);
  ExpectHostKeepsFocus("after hide");
}

TEST_F(PopupDesktopTest, PopupMenuKeepsOpenForItsStayingItemAndLeavesTheEditFocused) {
  ASSERT_EQ(ActiveWindowName(), "KIV popup host");
  TPopupMenuEh menu(form_.get());
  auto* staying = new TMenuItemEh(&menu);
  staying->SetCaption(u"Показывать итоги");
  staying->SetAutoCheck(true);
  staying->SetCloseMenuOnClick(false);
  menu.GetItems()->Add(staying);
  auto* closing = new TMenuItemEh(&menu);
  closing->SetCaption(u"Закрыть");
  menu.GetItems()->Add(closing);

  std::string activeWhileOpen;
  bool openAfterStayingClick = false, openAfterClosingClick = true, openAfterXClick = false;
  bool checkedAfterXClick = true;
  TTimer timer(nullptr);
  timer.SetInterval(300);
  timer.OnTimer = [&](TObject*) {
    timer.SetEnabled(false);
    activeWhileOpen = ActiveWindowName();
    ClickOpenMenuItem(staying);
    ProcessEventsFor(100);
    openAfterStayingClick = OpenMenuItem() != nullptr;
    // Once more through the X server, on the first item just inside the menu's top-left corner.
    RunDesktopCommand("xdotool mousemove 240 210 click 1");
    ProcessEventsFor(300);
    openAfterXClick = OpenMenuItem() != nullptr;
    checkedAfterXClick = staying->GetChecked();
    ClickOpenMenuItem(closing);
    ProcessEventsFor(100);
    openAfterClosingClick = OpenMenuItem() != nullptr;
    CloseOpenMenus();
  };
  timer.SetEnabled(true);
  menu.Popup(200, 200);
  ProcessEventsFor(200);
  EXPECT_EQ(activeWhileOpen, "KIV popup host");
  EXPECT_TRUE(openAfterStayingClick);
  EXPECT_TRUE(openAfterXClick);
  EXPECT_FALSE(checkedAfterXClick) << "the X click reached the staying item";
  EXPECT_FALSE(staying->GetChecked());
  EXPECT_FALSE(openAfterClosingClick);
  ExpectHostKeepsFocus("after the menu closed");
}

TEST_F(PopupDesktopTest, DropDownFormClosesOnAClickOutsideRefusedAndOnAcceptGivesTheFocusBack) {
  ASSERT_EQ(ActiveWindowName(), "KIV popup host");
  TCustomDropDownFormEh dropDown(nullptr, 0);
  dropDown.SetCaption(u"KIV drop-down");
  dropDown.SetBounds(0, 0, 180, 120);
  TRect editRect;
  GetControlScreenRectEh(edit_, editRect);
  TDynVarsEh bag(nullptr);
  int calls = 0;
  bool accepted = true;
  auto open = [&] {
    dropDown.ExecuteNomodal(editRect, nullptr, daLeft, &bag, nullptr,
                            [&](TObject*, bool accept, TDynVarsEh*, TObject*) {
                              ++calls;
                              accepted = accept;
                            });
    ProcessEventsFor(400);
  };

  open();
  ASSERT_TRUE(dropDown.GetVisible());
  if (const char* dir = std::getenv("KIV_SCREENSHOT_DIR"))
    RunDesktopCommand(std::string("import -window root ") + dir + "/drop-down-over-edit.png");
  // A click on the host form, outside the drop-down, through the X server.
  RunDesktopCommand("xdotool mousemove 450 350 click 1");
  ProcessEventsFor(400);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(accepted);
  EXPECT_FALSE(dropDown.GetVisible());
  ExpectHostKeepsFocus("after a click outside the drop-down");

  edit_->SetFocus();
  ProcessEventsFor(100);
  open();
  dropDown.SetModalResult(mrOk);
  dropDown.Close();
  ProcessEventsFor(400);
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(accepted);
  ExpectHostKeepsFocus("after the drop-down was accepted");
}

TEST_F(PopupDesktopTest, KeptDropDownStaysOpenAndABlockingOneLosingActivationRefuses) {
  ASSERT_EQ(ActiveWindowName(), "KIV popup host");
  TCustomDropDownFormEh dropDown(nullptr, 0);
  dropDown.SetBounds(0, 0, 180, 120);
  dropDown.SetKeepFormVisible(true);
  TRect editRect;
  GetControlScreenRectEh(edit_, editRect);
  TDynVarsEh bag(nullptr);
  int calls = 0;
  dropDown.ExecuteNomodal(editRect, nullptr, daLeft, &bag, nullptr,
                          [&](TObject*, bool, TDynVarsEh*, TObject*) { ++calls; });
  ProcessEventsFor(400);
  RunDesktopCommand("xdotool mousemove 450 350 click 1");
  ProcessEventsFor(400);
  EXPECT_TRUE(dropDown.GetVisible()) << "kept open on deactivation";
  EXPECT_EQ(calls, 0);
  dropDown.SetKeepFormVisible(false);
  dropDown.Close();
  ProcessEventsFor(200);
  EXPECT_EQ(calls, 1);

  // The blocking run: a click on the host takes the activation and ends it with a refusal.
  int returned = 0;
  dropDown.OnReturnParams = [&](TCustomDropDownFormEh*, TDynVarsEh*) { ++returned; };
  TTimer clicker(nullptr);
  clicker.SetInterval(400);
  clicker.OnTimer = [&](TObject*) {
    clicker.SetEnabled(false);
    RunDesktopCommand("xdotool mousemove 450 350 click 1");
  };
  clicker.SetEnabled(true);
  EXPECT_FALSE(dropDown.Execute(edit_, nullptr, daLeft, &bag));
  EXPECT_EQ(returned, 0);
  EXPECT_FALSE(dropDown.GetVisible());
}

}  // namespace
