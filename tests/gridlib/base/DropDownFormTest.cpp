// The drop-down form base offscreen: placement inside the work area, the elements of each layout, the
// non-blocking run's callback with the bag, keeping the form, freeing it, and the blocking run.
#include <gtest/gtest.h>

#include "gridlib/base/DropDownFormEh.h"
#include "platform/testing/TestSupport.h"

namespace {

class DropDownFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    InitializeDropDownFormsEh();
    work_ = Screen->GetWorkAreaRect();
    form_ = new TCustomDropDownFormEh(nullptr, 0);
    form_->SetBounds(0, 0, 200, 150);
  }
  void TearDown() override { delete form_; }

  TRect work_;
  TCustomDropDownFormEh* form_ = nullptr;
};

TEST_F(DropDownFormTest, PlacementTable) {
  struct Case {
    const char* name;
    TRect control;
    TDropDownAlign align;
    Integer formWidth, formHeight;
    TDropLayoutEh layout;
    TRect expected;  // relative to the work area's top-left
  };
  const Integer W = work_.Width(), H = work_.Height();
  const Case cases[] = {
      {"under, left", TRect(100, 100, 180, 120), daLeft, 200, 150, dlUnderControlEh,
       TRect(100, 121, 300, 271)},
      {"under, right", TRect(300, 100, 380, 120), daRight, 200, 150, dlUnderControlEh,
       TRect(180, 121, 380, 271)},
      {"centre, 5 wider", TRect(100, 100, 195, 120), daCenter, 100, 150, dlUnderControlEh,
       TRect(98, 121, 198, 271)},
      {"more room above", TRect(100, H - 40, 180, H - 20), daLeft, 200, 150, dlAboveControlEh,
       TRect(100, H - 190, 300, H - 40)},
      {"equal room, shortened", TRect(100, H / 2 - 10, 180, H / 2 + 10), daLeft, 200, H, dlUnderControlEh,
       TRect(100, H / 2 + 11, 300, H)},
      {"wider than the work area", TRect(100, 100, 180, 120), daLeft, W + 50, 150, dlUnderControlEh,
       TRect(0, 121, W, 271)},
      {"past the right edge", TRect(W - 50, 100, W - 10, 120), daLeft, 200, 150, dlUnderControlEh,
       TRect(W - 200, 121, W, 271)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form_->SetBounds(0, 0, c.formWidth, c.formHeight);
    TRect control = c.control;
    OffsetRect(&control, work_.Left, work_.Top);
    EXPECT_EQ(form_->PlaceAtRect(control, c.align), c.layout);
    TRect expected = c.expected;
    OffsetRect(&expected, work_.Left, work_.Top);
    EXPECT_EQ(form_->GetBoundsRect(), expected);
  }
}

TEST_F(DropDownFormTest, NonBlockingRunCallsBackWithTheBagAndElementsFollowTheLayout) {
  TDynVarsEh bag(nullptr);
  bag.CreateDynVar(u"text", Variant(u"было"));
  form_->OnInitForm = [](TCustomDropDownFormEh*, TDynVarsEh* params) {
    EXPECT_EQ(params->GetItem(0)->GetData().AsString(), u"было");
  };
  form_->OnReturnParams = [](TCustomDropDownFormEh*, TDynVarsEh* params) {
    params->GetItem(0)->SetValue(Variant(u"стало"));
  };
  int calls = 0;
  bool accepted = false;
  TRect control(work_.Left + 100, work_.Bottom - 40, work_.Left + 180, work_.Bottom - 20);
  form_->ExecuteNomodal(control, nullptr, daLeft, &bag, nullptr,
                        [&](TObject* f, bool accept, TDynVarsEh* params, TObject*) {
                          ++calls;
                          accepted = accept;
                          EXPECT_EQ(f, form_);
                          EXPECT_EQ(params, &bag);
                        });
  ProcessPendingEvents();
  EXPECT_TRUE(form_->GetVisible());
  EXPECT_EQ(form_->GetDropLayout(), dlAboveControlEh);
  EXPECT_EQ(form_->GetSizeGrip()->GetPosition(), sgpTopRight);
  EXPECT_EQ(form_->GetSizeGrip2()->GetPosition(), sgpTopLeft);
  EXPECT_EQ(form_->GetSizingBar()->GetAlign(), alTop);
  EXPECT_EQ(form_->GetCloseButton()->GetLeft(),
            form_->GetClientWidth() - form_->GetCloseButton()->GetWidth() - 17);
  form_->SetModalResult(mrOk);
  form_->Close();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(accepted);
  EXPECT_EQ(bag.GetItem(0)->GetData().AsString(), u"стало");
  EXPECT_FALSE(form_->GetVisible());
  form_->Close();
  EXPECT_EQ(calls, 1) << "the callback runs once per run";
}

TEST_F(DropDownFormTest, CloseButtonRefusesAndFreeOnCloseReleasesTheForm) {
  TDynVarsEh bag(nullptr);
  bool accepted = true;
  auto* sys = new TDropDownFormSysParams();
  sys->FreeFormOnClose = true;
  auto* doomed = new TCustomDropDownFormEh(nullptr, 0);
  doomed->SetBounds(0, 0, 120, 80);
  bool destroyed = false;
  doomed->OnDestroy = [&](TObject*) { destroyed = true; };
  doomed->ExecuteNomodal(TRect(50, 50, 100, 70), nullptr, daLeft, &bag, sys,
                         [&](TObject*, bool accept, TDynVarsEh*, TObject* s) {
                           accepted = accept;
                           delete s;
                         });
  ProcessPendingEvents();
  SendClick(doomed->GetCloseButton()->GetButtonControl(), TPoint(5, 5));
  EXPECT_FALSE(accepted);
  ProcessPendingEvents();
  EXPECT_TRUE(destroyed);
}

TEST_F(DropDownFormTest, SizingBarGrowsTheFormFromItsGrabZoneOnly) {
  TDynVarsEh bag(nullptr);
  form_->ExecuteNomodal(TRect(work_.Left + 50, work_.Top + 50, work_.Left + 100, work_.Top + 70), nullptr,
                        daLeft, &bag, nullptr, [](TObject*, bool, TDynVarsEh*, TObject*) {});
  ProcessPendingEvents();
  TDDFSizingBarEh* bar = form_->GetSizingBar();
  ASSERT_EQ(bar->GetAlign(), alBottom);
  EXPECT_EQ(bar->GetSizingArea(), 10);
  // Its etched edge faces the form's content: the top row of a bottom bar, not the rows below it.
  auto picture = CaptureControl(bar);
  const TColor face = PixelAt(picture.get(), 40, 5);
  EXPECT_NE(PixelAt(picture.get(), 40, 0), face);
  EXPECT_EQ(PixelAt(picture.get(), 40, picture->GetHeight() - 1), face);
  const Integer height = form_->GetHeight();
  const Integer y = bar->GetHeight() - 2;  // inside the grab zone at the bar's bottom
  SendMouseDown(bar, mbLeft, TPoint(40, y));
  SendMouseMove(bar, TPoint(40, y + 30), {ssLeft});
  SendMouseUp(bar, mbLeft, TPoint(40, y + 30));
  EXPECT_EQ(form_->GetHeight(), height + 30);
  SendMouseDown(bar, mbLeft, TPoint(40, 0));  // above the grab zone of a bar this high: nothing moves
  SendMouseMove(bar, TPoint(40, 40), {ssLeft});
  SendMouseUp(bar, mbLeft, TPoint(40, 40));
  if (bar->GetHeight() > 10) {
    EXPECT_EQ(form_->GetHeight(), height + 30);
  }
  form_->Close();
}

TEST_F(DropDownFormTest, BlockingRunAnswersTheModalResult) {
  TForm host(nullptr, 0);
  host.SetBounds(50, 50, 300, 200);
  host.Show();
  TDynVarsEh bag(nullptr);
  bag.CreateDynVar(u"v", Variant(1));
  int returned = 0;
  form_->OnReturnParams = [&](TCustomDropDownFormEh*, TDynVarsEh*) { ++returned; };
  TTimer timer(nullptr);
  timer.SetInterval(50);
  timer.OnTimer = [&](TObject*) {
    timer.SetEnabled(false);
    form_->SetModalResult(mrOk);
  };
  timer.SetEnabled(true);
  EXPECT_TRUE(form_->Execute(&host, nullptr, daLeft, &bag));
  EXPECT_EQ(returned, 1);
  EXPECT_FALSE(form_->GetVisible());
}

}  // namespace
