// The calculator fed keys as a user types them: what the display shows and what the popup hands back,
// division by zero and the Russian decimal comma included.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "gridlib/base/CalculatorEh.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Messages.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

namespace {

class CalculatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    InitializeCalculatorEh();
    popup_ = std::make_unique<TPopupCalculatorFormEh>(nullptr);
  }

  // Types the keys into the calculator; "\b" is Backspace, "\r" Enter, "\x1b" Esc.
  void Type(const char16_t* keys) {
    for (const char16_t* k = keys; *k; ++k) SendChar(popup_->GetCalculator(), *k);
    ProcessPendingEvents();
  }

  std::unique_ptr<TPopupCalculatorFormEh> popup_;
};

TEST_F(CalculatorTest, KeySequencesShowAndReturnTheirValues) {
  struct Case {
    const char16_t* keys;
    const char16_t* shown;
    double value;  // NAN: no number comes back
  } cases[] = {
      {u"2+3=", u"5", 5},
      {u"2+3*4=", u"20", 20},
      {u"50+10%", u"55", 55},
      {u"50*10%", u"5", 5},
      {u"1,5*2=", u"3", 3},
      {u"1.5+1,25=", u"2,75", 2.75},
      {u"2,,5", u"2,5", 2.5},
      {u"7/2=", u"3,5", 3.5},
      {u"1234567890123456", u"123456789012345", 123456789012345.0},
      {u"5i\b", u"0", 0},
      {u"4r", u"0,25", 0.25},
      {u"4is", u"Error", NAN},
      {u"1/0=", u"Error", NAN},
      {u"1/0=5\x1b", u"Error", NAN},
      {u"1/0=c", u"0", 0},
      {u"9-12=", u"-3", -3},
      {u"12\b\b", u"0", 0},
  };
  for (const auto& c : cases) {
    popup_->SetValue(Variant(0.0));
    Type(c.keys);
    const std::string keys = StringToUtf8(c.keys);
    EXPECT_EQ(popup_->GetCalculator()->GetDisplayText(), c.shown) << keys;
    const Variant value = popup_->GetValue();
    if (std::isnan(c.value))
      EXPECT_EQ(value.Type(), varError) << keys;
    else
      EXPECT_DOUBLE_EQ(value.AsDouble(), c.value) << keys;
  }
}

TEST_F(CalculatorTest, DeleteClearsAnErrorAndTheWheelSkipsIt) {
  Type(u"1/0=");
  SendWheel(popup_->GetCalculator(), 120, TPoint(10, 10));
  EXPECT_EQ(popup_->GetCalculator()->GetDisplayText(), u"Error");
  SendKey(popup_->GetCalculator(), VK_DELETE);
  EXPECT_EQ(popup_->GetCalculator()->GetDisplayText(), u"0");
  SendWheel(popup_->GetCalculator(), 120, TPoint(10, 10));
  EXPECT_EQ(popup_->GetCalculator()->GetDisplayText(), u"1");
}

TEST_F(CalculatorTest, ButtonsTypeTheirKeysAndEqualShowsAPendingOperation) {
  TCalculatorEh* calc = popup_->GetCalculator();
  popup_->SetValue(Variant(0.0));
  for (Char key : {u'7', u'*', u'6'}) calc->SpeedButtonClick(calc->GetButton(key));
  EXPECT_EQ(calc->GetEqualCaption(), u"=");
  calc->SpeedButtonClick(calc->GetButton(u'='));
  EXPECT_EQ(calc->GetDisplayText(), u"42");
  EXPECT_EQ(calc->GetEqualCaption(), u"Ok");
}

TEST_F(CalculatorTest, PasteTakesANumberAndRefusesText) {
  TCalculatorEh* calc = popup_->GetCalculator();
  Clipboard()->SetAsText(u" 12,5 ");
  calc->Paste();
  EXPECT_EQ(calc->GetDisplayText(), u"12,5");
  Clipboard()->SetAsText(u"двенадцать");
  EXPECT_THROW(calc->Paste(), EConvertError);
  EXPECT_EQ(calc->GetDisplayText(), u"12,5");
}

TEST_F(CalculatorTest, PopupAcceptsOnlyAShownNumber) {
  Integer closes = 0;
  bool accepted = false;
  const auto show = [&] {
    popup_->SetValue(Variant(0.0));
    popup_->Show(TPoint(100, 100), [&](TObject*, bool accept) {
      ++closes;
      accepted = accept;
    });
    ProcessPendingEvents();
  };
  show();
  Type(u"2+3\r");  // the first Enter computes
  EXPECT_EQ(closes, 0);
  EXPECT_EQ(popup_->GetCalculator()->GetDisplayText(), u"5");
  Type(u"\r");  // the second one closes
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(accepted);
  EXPECT_DOUBLE_EQ(popup_->GetValue().AsDouble(), 5);

  show();
  Type(u"8\x1b");
  EXPECT_EQ(closes, 2);
  EXPECT_FALSE(accepted);

  show();
  Type(u"1/0\r");
  EXPECT_EQ(popup_->GetCalculator()->GetDisplayText(), u"Error");
  Type(u"\r");
  EXPECT_EQ(closes, 3);
  EXPECT_FALSE(accepted);
}

}  // namespace
