// Popup windows offscreen: the non-activating form hands its keys to the master control and insets its
// client area by its border, the hint window measures in the font handed with the hint, and the
// library's menu items say whether they close the menu.
#include <gtest/gtest.h>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/controls/StdCtrls.h"
#include "platform/testing/TestSupport.h"

namespace {

TEST(PopupsTest, InactiveFormForwardsKeysAndInsetsItsBorder) {
  InitTestApplication();
  TForm host(nullptr, 0);
  auto* edit = new TEdit(&host);
  edit->SetParent(&host);
  std::vector<Word> keys;
  edit->OnKeyDown = [&](TObject*, Word& key, TShiftState) { keys.push_back(key); };
  host.Show();
  TPopupInactiveFormEh popup(nullptr);
  EXPECT_EQ(popup.GetBorderStyle(), bsNone);
  EXPECT_EQ(popup.GetFormStyle(), fsStayOnTop);
  EXPECT_TRUE(popup.GetDropShadow());
  popup.SetBounds(10, 10, 100, 80);
  popup.SetMasterActionsControl(edit);
  popup.Show();
  ProcessPendingEvents();
  SendKey(&popup, VK_DOWN);
  SendKey(&popup, VK_RETURN);
  EXPECT_EQ(keys, (std::vector<Word>{VK_DOWN, VK_RETURN}));

  EXPECT_EQ(GetAdjustedClientRectEh(&popup), popup.GetClientRect()) << "no border, no inset";
  popup.SetBorderStyle(bsSingle);
  const TRect inner = GetAdjustedClientRectEh(&popup);
  EXPECT_EQ(inner.Left, popup.GetClientRect().Left + 2);
  EXPECT_EQ(inner.Bottom, popup.GetClientRect().Bottom - 2);
}

TEST(PopupsTest, HintMeasuresInTheHandedFontAndItemsKnowWhetherTheyClose) {
  InitTestApplication();
  THintWindowEh hint(nullptr);
  TFont big;
  big.SetSize(24);
  const TRect plain = hint.CalcHintRect(300, u"Остаток", nullptr);
  const TRect large = hint.CalcHintRect(300, u"Остаток", &big);
  EXPECT_GT(large.Height(), plain.Height());
  EXPECT_GT(large.Width(), plain.Width());

  TPopupMenuEh menu(nullptr);
  TMenuItemEh item(nullptr);
  EXPECT_TRUE(item.ClosesMenuOnClick());
  item.SetCloseMenuOnClick(false);
  EXPECT_FALSE(item.ClosesMenuOnClick());
}

}  // namespace
