// The style manager: the styles it knows, switching them (system colours and open windows follow at
// once) and an unknown name, which keeps the style in force after the manager's message.
#include <gtest/gtest.h>

#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StyleManager.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/Strings.h"
#include "platform/testing/TestSupport.h"

namespace {

TColorRef Classic(Integer index) { return TSysColorPalette().GetSysColor(index); }

class StylesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    TStyleManager::SetStyle(u"Windows");
  }
  void TearDown() override { TStyleManager::SetStyle(u"Windows"); }
};

TEST_F(StylesTest, KnowsThePlainAndTheDarkBlueStyle) {
  std::vector<String> names = TStyleManager::GetStyleNames();
  ASSERT_GE(names.size(), 2u);
  EXPECT_EQ(names[0], u"Windows");
  EXPECT_NE(std::find(names.begin(), names.end(), u"Onyx Blue"), names.end());
  EXPECT_EQ(TStyleManager::GetActiveStyle()->GetName(), u"Windows");
  EXPECT_FALSE(TStyleManager::IsCustomStyleActive());
  // The plain look is the classic palette.
  EXPECT_EQ(ColorToRGB(clBtnFace), Classic(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clWindow), Classic(COLOR_WINDOW));
}

TEST_F(StylesTest, SwitchingStylesChangesTheSystemColours) {
  ASSERT_TRUE(TStyleManager::TrySetStyle(u"onyx blue", true));
  EXPECT_EQ(TStyleManager::GetActiveStyle()->GetName(), u"Onyx Blue");
  EXPECT_TRUE(TStyleManager::IsCustomStyleActive());
  struct Case {
    TColor color;
    TColorRef onyx;
  };
  const Case cases[] = {
      {clBtnFace, RGB(0x2B, 0x3B, 0x52)},       {clWindow, RGB(0x1E, 0x2A, 0x3A)},
      {clWindowText, RGB(0xE6, 0xED, 0xF5)},    {clHighlight, RGB(0x3D, 0x7B, 0xD9)},
      {clHighlightText, RGB(0xFF, 0xFF, 0xFF)}, {clBtnText, RGB(0xE6, 0xED, 0xF5)},
  };
  for (const Case& c : cases) EXPECT_EQ(ColorToRGB(c.color), c.onyx) << std::hex << c.color;
  // Text stays readable: light text on dark faces.
  EXPECT_GT(GetRValue(ColorToRGB(clBtnText)), GetRValue(ColorToRGB(clBtnFace)) + 100);

  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Windows", true));
  EXPECT_EQ(ColorToRGB(clBtnFace), Classic(COLOR_BTNFACE));
  EXPECT_FALSE(TStyleManager::IsCustomStyleActive());
}

TEST_F(StylesTest, UnknownStyleShowsTheManagersMessageAndKeepsTheStyle) {
  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Onyx Blue", true));
  {
    TDialogRecorder hook(TDialogAnswer::Button(mrOk));
    EXPECT_FALSE(TStyleManager::TrySetStyle(u"Carbon", true));
    ASSERT_EQ(hook.Count(), 1);
    EXPECT_EQ(hook.Last().Text, u"Style 'Carbon' not found");
    EXPECT_EQ(hook.Last().DlgType, mtError);
    EXPECT_EQ(hook.Last().Buttons, std::vector<Integer>{mrOk});
    EXPECT_EQ(TStyleManager::GetActiveStyle()->GetName(), u"Onyx Blue");
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(0x2B, 0x3B, 0x52));
    // Without errors reported: no message.
    EXPECT_FALSE(TStyleManager::TrySetStyle(u"", false));
    EXPECT_EQ(hook.Count(), 1);
  }
  try {
    TStyleManager::SetStyle(u"Carbon");
    FAIL() << "SetStyle took an unknown name";
  } catch (const EStyleNotFoundException& e) {
    EXPECT_EQ(e.Message(), u"Style 'Carbon' not found");
  }
  EXPECT_EQ(TStyleManager::GetActiveStyle()->GetName(), u"Onyx Blue");
  EXPECT_THROW(TStyleManager::RegisterStyle(u"windows", {}), EStyleManagerException);
}

TEST_F(StylesTest, SwitchingRepaintsOpenFormsAtOnce) {
  std::unique_ptr<TForm> form(new TForm(Application, 0));
  form->SetBounds(10, 10, 200, 120);
  form->Show();
  ProcessPendingEvents();
  auto before = CaptureControl(form.get());
  ASSERT_NE(before, nullptr);
  TPoint probe(before->GetWidth() / 2, before->GetHeight() / 2);
  EXPECT_EQ(PixelAt(before.get(), probe.X, probe.Y), static_cast<TColor>(Classic(COLOR_BTNFACE)));

  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Onyx Blue", true));
  ProcessPendingEvents();
  auto after = CaptureControl(form.get());
  EXPECT_EQ(PixelAt(after.get(), probe.X, probe.Y), static_cast<TColor>(RGB(0x2B, 0x3B, 0x52)));

  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Windows", true));
  ProcessPendingEvents();
  auto back = CaptureControl(form.get());
  EXPECT_EQ(PixelAt(back.get(), probe.X, probe.Y), static_cast<TColor>(Classic(COLOR_BTNFACE)));
}

TEST_F(StylesTest, StyleChangesReachHandlersAndTheGridColoursFollowTheStyle) {
  std::vector<String> told;
  const Integer first = TStyleManager::AddStyleChangedHandler([&] {
    // Told once the new colours are in force.
    told.push_back(TStyleManager::GetActiveStyle()->GetName() + u" " +
                   IntToStr(static_cast<Integer>(StyleServices()->GetStyleColor(scGrid))));
  });
  const Integer second = TStyleManager::AddStyleChangedHandler([&] { told.push_back(u"second"); });
  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Onyx Blue", false));
  TStyleManager::RemoveStyleChangedHandler(second);
  EXPECT_FALSE(TStyleManager::TrySetStyle(u"Carbon", false));
  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Windows", false));
  TStyleManager::RemoveStyleChangedHandler(first);
  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Onyx Blue", false));
  EXPECT_EQ(told, (std::vector<String>{u"Onyx Blue " + IntToStr(static_cast<Integer>(RGB(0x1E, 0x2A, 0x3A))),
                                       u"second",
                                       u"Windows " + IntToStr(static_cast<Integer>(Classic(COLOR_WINDOW)))}));

  // Under the dark style: light item texts on the dark grid face, and a gradient that darkens downwards
  // and turns over when pressed.
  TCustomStyleServices* services = StyleServices();
  EXPECT_EQ(services->GetStyleFontColor(sfGridItemNormal), static_cast<TColor>(RGB(0xE6, 0xED, 0xF5)));
  EXPECT_EQ(services->GetStyleFontColor(sfGridItemSelected), static_cast<TColor>(RGB(0xFF, 0xFF, 0xFF)));
  TColor top = clNone, bottom = clNone, pressedTop = clNone;
  ASSERT_TRUE(services->GetElementColor(services->GetElementDetails(tgGradientFixedCellNormal),
                                        ecGradientColor1, top));
  ASSERT_TRUE(services->GetElementColor(services->GetElementDetails(tgGradientFixedCellNormal),
                                        ecGradientColor2, bottom));
  ASSERT_TRUE(services->GetElementColor(services->GetElementDetails(tgGradientFixedCellPressed),
                                        ecGradientColor1, pressedTop));
  EXPECT_EQ(bottom, static_cast<TColor>(RGB(0x2B, 0x3B, 0x52)));
  EXPECT_GT(GetBValue(ColorToRGB(top)), GetBValue(ColorToRGB(bottom)));
  EXPECT_EQ(pressedTop, bottom);
}

}  // namespace
