// A base grid of 1,000 rows and 20 columns, scrolled and with a range selected, captured in both visual
// styles for a person to look at. Runs when KIV_SCREENSHOT_DIR names a folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gridlib/grids/GridsEh.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StyleManager.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

TEST(GridScreenshotTest, ThousandRowsInBothVisualStyles) {
  const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "set KIV_SCREENSHOT_DIR to write the pictures";
  InitTestApplication();
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  for (const Char* style : {u"Windows", u"Onyx Blue"}) {
    ASSERT_TRUE(TStyleManager::TrySetStyle(style, false));
    TForm form(nullptr, 0);
    form.SetBounds(0, 0, 640, 420);
    auto* grid = new TCustomGridEh(&form);
    grid->SetParent(&form);
    grid->SetAlign(alClient);
    grid->SetColCount(20);
    grid->SetRowCount(1000);
    grid->SetFixedColCount(2);
    grid->SetFrozenColCount(1);
    grid->SetContraRowCount(1);
    grid->SetOptions(grid->GetOptions() + TGridOptionsEh{goRangeSelectEh});
    form.Show();
    grid->SetFocus();
    grid->SetTopRow(500);
    grid->SetLeftPos(30);
    grid->FocusCell(4, 503, true);
    SendKey(grid, VK_RIGHT, {ssShift});
    SendKey(grid, VK_DOWN, {ssShift});
    ProcessPendingEvents();
    auto picture = CaptureControl(&form);
    const String name = String(style) == u"Windows" ? u"windows" : u"onyx-blue";
    picture->SaveToFile(Utf8ToString(dir) + u"/base-grid-" + name + u".bmp");
  }
}

}  // namespace
