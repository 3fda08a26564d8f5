// A form with edit buttons of every style, plain, flat, hot, pressed and disabled, and a drop-down form
// with all its elements, captured in both visual styles for a person to look at. Runs when KIV_SCREENSHOT_DIR
// names a folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gridlib/base/DropDownFormEh.h"
#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StyleManager.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

TEST(EditButtonsScreenshotTest, EveryStyleInBothVisualStyles) {
  const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "set KIV_SCREENSHOT_DIR to write the pictures";
  InitTestApplication();
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  for (const Char* style : {u"Windows", u"Onyx Blue"}) {
    ASSERT_TRUE(TStyleManager::TrySetStyle(style, false));
    TForm form(nullptr, 0);
    form.SetBounds(0, 0, 330, 170);
    const TEditButtonStyleEh styles[] = {ebsDropDownEh, ebsEllipsisEh, ebsGlyphEh,       ebsUpDownEh,
                                         ebsPlusEh,     ebsMinusEh,    ebsAltDropDownEh, ebsAltUpDownEh};
    for (Integer row = 0; row < 5; ++row)
      for (Integer col = 0; col < 8; ++col) {
        auto* b = new TSpeedButtonEh(&form);
        TWinControl* parent = &form;
        TRect bounds = Bounds(10 + col * 38, 10 + row * 30, 19, 21);
        if (row == 3) {
          // Down buttons of one group under one parent release each other: one holder each.
          auto* holder = new TPanel(&form);
          holder->SetParent(&form);
          holder->SetBevelOuter(bvNone);
          holder->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
          parent = holder;
          bounds = Bounds(0, 0, bounds.Width(), bounds.Height());
        }
        b->SetParent(parent);
        b->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        b->SetStyle(styles[col]);
        if (styles[col] == ebsGlyphEh) b->SetCaption(u"Ж");
        b->SetFlat(row == 1 || row == 2);
        b->SetActive(row == 2);
        if (row == 3) b->SetAlwaysDown(true);
        if (row == 4) b->SetEnabled(false);
      }
    form.Show();
    ProcessPendingEvents();
    auto picture = CaptureControl(&form);
    const String name = String(style) == u"Windows" ? u"windows" : u"onyx-blue";
    picture->SaveToFile(Utf8ToString(dir) + u"/edit-buttons-" + name + u".bmp");

    // A drop-down under an edit, with its frame, close button, sizing bar and both grips.
    TEdit* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(10, 10, 150, 22);
    TRect editRect;
    GetControlScreenRectEh(edit, editRect);
    TCustomDropDownFormEh dropDown(nullptr, 0);
    dropDown.SetBounds(0, 0, 200, 120);
    TDynVarsEh bag(nullptr);
    dropDown.ExecuteNomodal(editRect, nullptr, daLeft, &bag, nullptr, nullptr);
    ProcessPendingEvents();
    CaptureControl(&dropDown)->SaveToFile(Utf8ToString(dir) + u"/drop-down-" + name + u".bmp");
    dropDown.SetKeepFormVisible(true);
    dropDown.Hide();
  }
}

}  // namespace
