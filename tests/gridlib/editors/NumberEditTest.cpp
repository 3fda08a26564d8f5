// The number edit under the Russian settings (decimal comma, non-breaking-space thousands): the number
// routines, typing into a bound editor, display against edit format, bounds refused rather than quietly
// changed, stepping at the bounds, and an exponent beyond a double.
#include <gtest/gtest.h>

#include "gridlib/base/GridLibLangConsts.h"
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

std::string NumberU8(const String& s) { return StringToUtf8(s); }
const String nbsp(1, u'\u00A0');

TEST(NumberTextTest, NormalizingReadingAndGrouping) {
  FormatSettings = TFormatSettings::Russian();
  const std::pair<String, String> normalized[] = {
      {u"1" + nbsp + u"234,5", u"1234,5"},
      {u"12.5", u"12,5"},
      {u"1.2.3", u"123"},
      {u"-1,5E-3", u"-1,5E-3"},
      {u"5-", u"5"},
      {u"abc", u""},
      {u"+-7", u"+7"},
      {u"1,5,", u"1,5,"},
  };
  for (const auto& [in, out] : normalized)
    EXPECT_EQ(NumberU8(NormalizeNumberTextEh(in)), NumberU8(out)) << NumberU8(in);
  Extended x = 0;
  EXPECT_TRUE(TextToNumberEh(u"-", x));
  EXPECT_EQ(x, 0);
  EXPECT_TRUE(TextToNumberEh(u"1,5E3", x));
  EXPECT_EQ(x, 1500);
  EXPECT_FALSE(TextToNumberEh(u"1E999", x)) << "beyond a double is no number";
  EXPECT_FALSE(TextToNumberEh(u"1.5", x)) << "the point is no separator here";
  EXPECT_EQ(NumberU8(InsertThousandSeparatorsEh(u"-1234567,891", true)),
            NumberU8(u"-1" + nbsp + u"234" + nbsp + u"567,891"));
  EXPECT_EQ(NumberU8(InsertThousandSeparatorsEh(u"123", true)), "123");
  EXPECT_EQ(NumberU8(EditFormatFromDisplayFormatEh(u"0.00E+00")), "0.000");
  EXPECT_EQ(NumberU8(EditFormatFromDisplayFormatEh(u"#,##0.00 'руб.'")), "#,##0.00");
  EXPECT_EQ(NumberU8(EditFormatFromDisplayFormatEh(u"0.00;(0.00)")), "0.00");
}

class NumberEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FormatSettings = TFormatSettings::Russian();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 400, 300);
    data_ = new TTestDataSet(form_.get());
    data_->GetFieldDefs()->Add(u"sum", ftFloat);
    data_->AddRow({Variant(1234.5)});
    data_->Open();
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(data_);
    edit_ = new TDBNumberEditEh(form_.get());
    edit_->SetParent(form_.get());
    edit_->SetBounds(10, 10, 160, 24);
    edit_->SetDataSource(source_);
    edit_->SetDataField(u"sum");
    other_ = new TEdit(form_.get());
    other_->SetParent(form_.get());
    other_->SetBounds(10, 60, 100, 24);
    form_->Show();
    ProcessPendingEvents();
  }
  void TearDown() override { form_.reset(); }
  void Type(const String& text) {
    edit_->SetFocus();
    ProcessPendingEvents();
    edit_->SelectAll();
    TypeText(edit_, text);
  }
  void Leave() {
    other_->SetFocus();
    ProcessPendingEvents();
  }
  double Stored() { return data_->FieldByName(u"sum")->GetAsFloat(); }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBNumberEditEh* edit_ = nullptr;
  TEdit* other_ = nullptr;
};

TEST_F(NumberEditTest, TypedTextTable) {
  struct Case {
    const Char* typed;
    Integer decimals;
    double min, max;
    String shown;
  };
  const Case cases[] = {
      {u"1234,567", 2, 0, 0, u"1234,56"},  // a third fraction digit is refused
      {u"12.5", 2, 0, 0, u"12,5"},         // the point becomes the decimal comma
      {u"7,5", 0, 0, 0, u"75"},            // no decimals: the separator is refused
      {u"-5", 2, 0, 100, u"-"},            // no negatives within 0 .. 100
      {u"-5", 2, 0, 0, u"-5"},
      {u"1,5E3", 1, 0, 0, u"1,5E3"},
      {u"1E999", 2, 0, 0, u"1E99"},  // the digit that would overflow a double is refused
      {u"12a3", 2, 0, 0, u"123"},
  };
  for (const Case& c : cases) {
    edit_->SetDecimalPlaces(c.decimals);
    edit_->SetMinValue(c.min);
    edit_->SetMaxValue(c.max);
    Type(c.typed);
    EXPECT_EQ(NumberU8(edit_->GetText()), NumberU8(c.shown)) << NumberU8(c.typed);
    SendKey(edit_, VK_ESCAPE);
  }
}

TEST_F(NumberEditTest, DisplayAndEditFormatsAndWhatIsStored) {
  auto* field = static_cast<TNumericField*>(data_->FieldByName(u"sum"));
  field->SetDisplayFormat(u"#,##0.00 'руб.'");
  Leave();
  edit_->GetDataLink()->Reset();
  EXPECT_EQ(NumberU8(edit_->GetText()), NumberU8(u"1" + nbsp + u"234,50 руб."));
  edit_->SetFocus();
  ProcessPendingEvents();
  EXPECT_EQ(NumberU8(edit_->GetText()), NumberU8(u"1" + nbsp + u"234,50")) << "focused: the edit format";
  edit_->SelectAll();
  TypeText(edit_, u"1234567");
  EXPECT_EQ(NumberU8(edit_->GetText()), NumberU8(u"1" + nbsp + u"234" + nbsp + u"567")) << "grouped as typed";
  EXPECT_EQ(edit_->GetSelStart(), static_cast<Integer>(edit_->GetText().size()));
  Leave();
  EXPECT_EQ(Stored(), 1234567.0);
  EXPECT_EQ(NumberU8(edit_->GetText()), NumberU8(u"1" + nbsp + u"234" + nbsp + u"567,00 руб."));
}

TEST_F(NumberEditTest, ValueOutsideTheBoundsIsRefusedWithTheTextKept) {
  edit_->SetMinValue(0);
  edit_->SetMaxValue(100);
  Type(u"150");
  try {
    edit_->GetDataLink()->UpdateRecord();
    FAIL() << "150 was written into a field bounded by 100";
  } catch (const Exception& e) {
    EXPECT_EQ(NumberU8(e.Message()), "Значение 150 вне допустимых пределов: от 0 до 100");
  }
  EXPECT_EQ(NumberU8(edit_->GetText()), "150");
  // The texts are the language constants': a translation reaches the message.
  TGridLibLanguageConsts* texts = GetGridLibLanguageConsts();
  const String saved = texts->GetValueOutOfRangeEh();
  texts->SetValueOutOfRangeEh(u"Value %s out of range: %s");
  try {
    edit_->GetDataLink()->UpdateRecord();
    ADD_FAILURE() << "150 was written into a field bounded by 100";
  } catch (const Exception& e) {
    EXPECT_EQ(NumberU8(e.Message()), "Value 150 out of range: от 0 до 100");
  }
  texts->SetValueOutOfRangeEh(saved);
  EXPECT_EQ(Stored(), 1234.5);
  edit_->SelectAll();
  TypeText(edit_, u"99,5");
  edit_->GetDataLink()->UpdateRecord();
  EXPECT_EQ(Stored(), 99.5);
}

TEST_F(NumberEditTest, DisablingTheDatasetsControlsLeavesTheNumberShown) {
  const String shown = edit_->GetText();
  ASSERT_FALSE(shown.empty());
  data_->DisableControls();
  data_->EnableControls();
  EXPECT_EQ(NumberU8(edit_->GetText()), NumberU8(shown));
}

TEST_F(NumberEditTest, SteppingStopsAtTheBounds) {
  edit_->SetMinValue(0);
  edit_->SetMaxValue(100);
  Type(u"99,5");
  SendKey(edit_, VK_UP);
  EXPECT_EQ(edit_->GetValue().AsDouble(), 100);
  SendKey(edit_, VK_UP);
  EXPECT_EQ(edit_->GetValue().AsDouble(), 100);
  edit_->SelectAll();
  SendKey(edit_, VK_DELETE);
  EXPECT_TRUE(edit_->GetValue().IsNull());
  edit_->SetIncrement(5);
  SendKey(edit_, VK_DOWN);
  EXPECT_EQ(edit_->GetValue().AsDouble(), 5) << "an empty box steps to the increment either way";
  Leave();
  EXPECT_EQ(Stored(), 5);
}

}  // namespace
