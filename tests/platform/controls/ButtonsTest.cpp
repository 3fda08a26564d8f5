// Speed buttons in exclusive groups (the user's clicks and Down from code, AllowAllUp, the state they
// show) and the bitmap button's kinds with their captions, results and stored properties.
#include <gtest/gtest.h>

#include "platform/controls/Buttons.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Graphics.h"
#include "platform/testing/TestSupport.h"

namespace {

class ButtonsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form = new TForm(nullptr, 0);
    form->AfterConstruction();
    form->SetBounds(0, 0, 300, 200);
    for (int i = 0; i < 3; ++i) {
      auto* b = new TSpeedButton(form);
      b->SetParent(form);
      b->SetBounds(10 + i * 30, 10, 25, 22);
      b->SetGroupIndex(1);
      b->OnClick = TNotifyEvent([this](TObject*) { ++clicks; });
      group.push_back(b);
    }
    form->Show();
    ProcessPendingEvents();
  }
  void TearDown() override { delete form; }

  std::vector<bool> Downs() const {
    std::vector<bool> out;
    for (auto* b : group) out.push_back(b->GetDown());
    return out;
  }

  TForm* form = nullptr;
  std::vector<TSpeedButton*> group;
  int clicks = 0;
};

TEST_F(ButtonsTest, ClickingAGroupedButtonPutsItDownAndRaisesTheOthers) {
  SendClick(group[1], TPoint(5, 5));
  EXPECT_EQ(Downs(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(group[1]->GetState(), bsExclusive);
  SendClick(group[2], TPoint(5, 5));
  EXPECT_EQ(Downs(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(group[1]->GetState(), bsUp);
  // Without AllowAllUp the down button stays down, and its click still runs.
  SendClick(group[2], TPoint(5, 5));
  EXPECT_EQ(Downs(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(clicks, 3);
  // A press released outside the button is no click.
  SendMouseDown(group[0], mbLeft, TPoint(5, 5));
  EXPECT_EQ(group[0]->GetState(), bsDown);
  SendMouseUp(group[0], mbLeft, TPoint(60, 60));
  EXPECT_EQ(Downs(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(group[0]->GetState(), bsUp);
  EXPECT_EQ(clicks, 3);
}

TEST_F(ButtonsTest, AllowAllUpIsSharedByTheGroupAndLetsTheDownButtonUp) {
  group[0]->SetDown(true);
  EXPECT_EQ(Downs(), (std::vector<bool>{true, false, false}));
  group[0]->SetDown(false);
  EXPECT_TRUE(group[0]->GetDown()) << "refused without AllowAllUp";
  group[2]->SetAllowAllUp(true);
  EXPECT_TRUE(group[0]->GetAllowAllUp()) << "the group shares AllowAllUp";
  SendClick(group[0], TPoint(5, 5));
  EXPECT_EQ(Downs(), (std::vector<bool>{false, false, false}));
  group[1]->SetDown(true);
  group[1]->SetDown(false);
  EXPECT_EQ(Downs(), (std::vector<bool>{false, false, false}));
}

TEST_F(ButtonsTest, ButtonsOfAnotherGroupOrParentStayAsTheyAre) {
  auto* other = new TSpeedButton(form);
  other->SetParent(form);
  other->SetGroupIndex(2);
  other->SetDown(true);
  auto* plain = new TSpeedButton(form);
  plain->SetParent(form);
  plain->SetDown(true);
  EXPECT_FALSE(plain->GetDown()) << "a button without a group cannot stay down";
  group[0]->SetDown(true);
  EXPECT_TRUE(other->GetDown());
  SendClick(plain, TPoint(5, 5));
  EXPECT_FALSE(plain->GetDown());
  EXPECT_EQ(plain->GetState(), bsUp);
}

TEST_F(ButtonsTest, DisabledSpeedButtonTakesNoClickAndLooksDisabled) {
  group[0]->SetCaption(u"Ж");
  group[0]->SetEnabled(false);
  SendClick(group[0], TPoint(5, 5));
  EXPECT_FALSE(group[0]->GetDown());
  EXPECT_EQ(clicks, 0);
  auto shot = CaptureControl(group[0]);
  // The disabled caption is drawn embossed: no pixel in the text colour.
  bool black = false;
  for (Integer x = 0; x < 25; ++x)
    for (Integer y = 0; y < 22; ++y)
      black = black || PixelAt(shot.get(), x, y) == static_cast<TColor>(ColorToRGB(clBlack));
  EXPECT_FALSE(black);
}

TEST_F(ButtonsTest, GlyphStripPicksThePictureOfTheState) {
  TBitmap strip;
  strip.SetSize(32, 16);
  strip.GetCanvas()->GetBrush()->SetColor(clWhite);
  strip.GetCanvas()->FillRect(TRect(0, 0, 32, 16));
  strip.GetCanvas()->GetBrush()->SetColor(clRed);
  strip.GetCanvas()->FillRect(TRect(4, 4, 12, 12));
  strip.GetCanvas()->GetBrush()->SetColor(clGreen);
  strip.GetCanvas()->FillRect(TRect(20, 4, 28, 12));
  auto* b = group[0];
  b->SetBounds(10, 10, 40, 30);
  b->SetGlyph(&strip);
  EXPECT_EQ(b->GetNumGlyphs(), 2) << "a strip of square pictures tells their number";
  auto probeCenter = [&] {
    auto shot = CaptureControl(b);
    return PixelAt(shot.get(), 20, 15);
  };
  EXPECT_EQ(probeCenter(), ColorToRGB(clRed));
  b->SetEnabled(false);
  EXPECT_EQ(probeCenter(), ColorToRGB(clGreen)) << "the second picture is the disabled one";
}

TEST_F(ButtonsTest, BitBtnKindsGiveCaptionResultAndDefaultOrCancel) {
  auto* btn = new TBitBtn(form);
  btn->SetParent(form);
  struct Case {
    TBitBtnKind kind;
    const Char* caption;
    TModalResult result;
    bool isDefault, isCancel;
  } cases[] = {
      {bkOK, u"OK", mrOk, true, false},           {bkCancel, u"Cancel", mrCancel, false, true},
      {bkYes, u"&Yes", mrYes, true, false},       {bkNo, u"&No", mrNo, false, true},
      {bkAbort, u"Abort", mrAbort, false, false}, {bkClose, u"&Close", mrNone, false, false},
  };
  for (const Case& c : cases) {
    btn->SetKind(c.kind);
    EXPECT_EQ(btn->GetKind(), c.kind);
    EXPECT_EQ(btn->GetCaption(), c.caption);
    EXPECT_EQ(btn->GetModalResult(), c.result);
    EXPECT_EQ(btn->GetDefault(), c.isDefault);
    EXPECT_EQ(btn->GetCancel(), c.isCancel);
  }
  btn->SetKind(bkOK);
  btn->SetModalResult(mrRetry);
  EXPECT_EQ(btn->GetKind(), bkCustom) << "a changed result makes the button custom";

  btn->SetKind(bkCancel);
  form->SetModalResult(mrNone);
  btn->Click();
  EXPECT_EQ(form->GetModalResult(), mrCancel);
}

TEST_F(ButtonsTest, BitBtnStoresKindInsteadOfCaptionAndResult) {
  auto* btn = new TBitBtn(form);
  btn->SetKind(bkOK);
  const TPropInfo* caption = GetPropInfo(btn, u"Caption");
  const TPropInfo* result = GetPropInfo(btn, u"ModalResult");
  EXPECT_FALSE(IsStoredProp(btn, caption));
  EXPECT_FALSE(IsStoredProp(btn, result));
  btn->SetCaption(u"Принять");
  EXPECT_TRUE(IsStoredProp(btn, caption)) << "a caption of its own is kept";
  EXPECT_EQ(GetEnumProp(btn, u"Kind"), u"bkOK");
}

}  // namespace
