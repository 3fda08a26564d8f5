// What the editors draw over their edit window and on their own: the grey text of an empty editor, the
// image chosen from the value, the red mark of an empty required field, the tooltip of a clipped text,
// and the check box that paints and toggles itself.
#include <gtest/gtest.h>

#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

// Pixels of a colour inside a rectangle of a picture.
bool HasColourIn(TBitmap* picture, const TRect& rect, TColor colour) {
  for (Integer y = rect.Top; y < rect.Bottom; ++y)
    for (Integer x = rect.Left; x < rect.Right; ++x)
      if (PixelAt(picture, x, y) == colour) return true;
  return false;
}

// Pixels that are neither of two colours (something drawn on a plain background).
bool HasOtherThanIn(TBitmap* picture, const TRect& rect, TColor a, TColor b) {
  for (Integer y = rect.Top; y < rect.Bottom; ++y)
    for (Integer x = rect.Left; x < rect.Right; ++x) {
      const TColor c = PixelAt(picture, x, y);
      if (c != a && c != b) return true;
    }
  return false;
}

class EditorLookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 400, 300);
    data_ = new TTestDataSet(form_.get());
    data_->GetFieldDefs()->Add(u"name", ftString, 60);
    data_->GetFieldDefs()->Add(u"qty", ftFloat);
    data_->GetFieldDefs()->Add(u"active", ftBoolean);
    data_->AddRow({Variant::Null(), Variant(3.6), Variant(false)});
    data_->Open();
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(data_);
    edit_ = new TDBEditEh(form_.get());
    edit_->SetParent(form_.get());
    edit_->SetBounds(10, 10, 160, 24);
    edit_->SetDataSource(source_);
    edit_->SetDataField(u"name");
    other_ = new TEdit(form_.get());
    other_->SetParent(form_.get());
    other_->SetBounds(10, 200, 100, 24);
    form_->Show();
    ProcessPendingEvents();
  }
  void TearDown() override { form_.reset(); }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBEditEh* edit_ = nullptr;
  TEdit* other_ = nullptr;
};

TEST_F(EditorLookTest, EmptyDataTextShowsOnlyWhileTheEditorIsEmpty) {
  TControlEmptyDataInfoEh* info = edit_->GetEmptyDataInfo();
  EXPECT_EQ(info->GetFont()->GetColor(), clSilver);
  EXPECT_TRUE(info->GetFont()->GetStyle().Contains(fsItalic));
  info->SetText(u"Наименование");
  ProcessPendingEvents();
  const TRect textRect = edit_->CalcEditRect();
  auto picture = CaptureControl(edit_);
  EXPECT_TRUE(HasColourIn(picture.get(), textRect, clSilver)) << "the empty editor shows the grey text";

  other_->SetFocus();
  data_->Edit();
  data_->FieldByName(u"name")->SetAsString(u"Болт");
  ProcessPendingEvents();
  picture = CaptureControl(edit_);
  EXPECT_FALSE(HasColourIn(picture.get(), textRect, clSilver)) << "a value hides it";
  data_->Cancel();

  // The editor's font size reaches it while it follows the editor; its own colour ends that.
  edit_->GetFont()->SetSize(14);
  EXPECT_EQ(info->GetFont()->GetSize(), 14);
  info->GetFont()->SetColor(clGray);
  EXPECT_FALSE(info->GetParentFont());
  edit_->GetFont()->SetSize(9);
  EXPECT_EQ(info->GetFont()->GetSize(), 14);

  // A colour alone counts as something to show.
  info->SetText(u"");
  EXPECT_FALSE(info->Showing());
  info->SetColor(clYellow);
  EXPECT_TRUE(info->Showing());
}

TEST_F(EditorLookTest, ImageFollowsTheValueAndMovesTheText) {
  TImageList images(nullptr);
  images.SetWidth(16);
  images.SetHeight(16);
  for (int i = 0; i < 6; ++i) {
    TBitmap glyph(16, 16);
    glyph.GetCanvas()->GetBrush()->SetColor(clRed);
    glyph.GetCanvas()->FillRect(TRect(0, 0, 16, 16));
    images.Add(&glyph, nullptr);
  }
  const TRect before = edit_->CalcEditRect();
  edit_->SetImages(&images);
  EXPECT_EQ(edit_->CalcEditRect().Left, before.Left + 20) << "the image's width and a gap of four";
  EXPECT_EQ(edit_->GetEditImage()->GetImageIndex(), -1) << "a text value chooses no image";

  ProcessPendingEvents();
  EXPECT_FALSE(HasColourIn(CaptureControl(edit_).get(), TRect(before.Left, 4, before.Left + 20, 20), clRed))
      << "no image chosen, none drawn";

  // A number editor's value picks the image: 3.6 rounds to image 4; a handler may choose another.
  auto* number = new TDBNumberEditEh(form_.get());
  number->SetParent(form_.get());
  number->SetBounds(10, 100, 160, 24);
  number->SetDataSource(source_);
  number->SetDataField(u"qty");
  number->SetImages(&images);
  EXPECT_EQ(number->GetEditImage()->GetImageIndex(), 4);
  ProcessPendingEvents();
  auto picture = CaptureControl(number);
  EXPECT_TRUE(HasColourIn(picture.get(), TRect(before.Left, 4, before.Left + 20, 20), clRed));
  number->OnGetImageIndex = TGetImageIndexEventEh([](TObject*, Integer& index) { index = 1; });
  number->UpdateImageIndex();
  EXPECT_EQ(number->GetEditImage()->GetImageIndex(), 1);
  edit_->SetImages(nullptr);
  EXPECT_EQ(edit_->CalcEditRect().Left, before.Left);
}

TEST_F(EditorLookTest, RequiredMarkWhileTheRequiredFieldIsEmptyInEditing) {
  data_->FieldByName(u"name")->SetRequired(true);
  edit_->SetHighlightRequired(true);
  const TRect r = edit_->CalcEditRect();
  const TRect markRow(r.Left, r.Bottom - 1, r.Right, r.Bottom);
  ProcessPendingEvents();
  EXPECT_FALSE(HasColourIn(CaptureControl(edit_).get(), markRow, clRed)) << "browsing: no mark";
  data_->Edit();
  ProcessPendingEvents();
  EXPECT_TRUE(HasColourIn(CaptureControl(edit_).get(), markRow, clRed));
  edit_->OnCheckDrawRequiredState =
      TOnCheckDrawRequiredStateEventEh([](TObject*, bool& draw) { draw = false; });
  edit_->Invalidate();
  ProcessPendingEvents();
  EXPECT_FALSE(HasColourIn(CaptureControl(edit_).get(), markRow, clRed)) << "the handler has the last word";
  data_->Cancel();
}

TEST_F(EditorLookTest, TooltipShowsAClippedTextAndOtherwiseOnlyTheUsersHint) {
  edit_->SetTooltips(true);
  EXPECT_TRUE(edit_->TControl::GetShowHint()) << "tooltips need the hint machinery";
  struct Case {
    const char16_t* text;
    bool ownHint;
    bool shown;
    bool whole;
  };
  const Case cases[] = {
      {u"Болт", false, false, false},
      {u"Болт", true, true, false},
      {u"Болт с шестигранной головкой и мелкой резьбой М8х1", false, true, true},
  };
  for (const Case& c : cases) {
    edit_->SetShowHint(c.ownHint);
    edit_->SetHint(u"подсказка");
    data_->Edit();
    data_->FieldByName(u"name")->SetAsString(c.text);
    THintInfo info;
    info.HintStr = u"подсказка";
    const LRESULT refused = edit_->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(refused == 0, c.shown) << StringToUtf8(c.text);
    if (c.whole) {
      EXPECT_EQ(info.HintStr, String(c.text));
      EXPECT_EQ(info.HintWindowClass, TToolTipsWindow::StaticClass());
      EXPECT_EQ(info.HintPos, edit_->ClientToScreen(TPoint(0, edit_->GetHeight())));
    } else if (c.shown) {
      EXPECT_EQ(info.HintStr, u"подсказка");
    }
    data_->Cancel();
  }
}

TEST_F(EditorLookTest, CheckBoxPaintsItsStateAndToggles) {
  auto* box = new TDBCheckBoxEh(form_.get());
  box->SetParent(form_.get());
  box->SetBounds(10, 60, 120, 20);
  box->SetCaption(u"Активен");
  box->SetDataSource(source_);
  box->SetDataField(u"active");
  ProcessPendingEvents();
  const TColor back = StyleServices()->GetSystemColor(box->GetColor());
  const TRect caption(30, 0, 120, 20);
  auto unchecked = CaptureControl(box);
  EXPECT_TRUE(HasOtherThanIn(unchecked.get(), caption, back, back)) << "the caption is drawn";

  box->SetFocus();
  ProcessPendingEvents();
  SendKey(box, VK_SPACE);
  EXPECT_EQ(box->GetState(), cbChecked) << "space toggles";
  auto checked = CaptureControl(box);
  bool differs = false;
  for (Integer y = 0; y < 20 && !differs; ++y)
    for (Integer x = 0; x < 20 && !differs; ++x)
      differs = PixelAt(checked.get(), x, y) != PixelAt(unchecked.get(), x, y);
  EXPECT_TRUE(differs) << "the box shows the check";
  SendClick(box, TPoint(6, 10));
  EXPECT_EQ(box->GetState(), cbUnchecked) << "a click toggles";
  other_->SetFocus();
  ProcessPendingEvents();
  EXPECT_FALSE(data_->FieldByName(u"active")->GetAsBoolean());
  data_->Cancel();
}

}  // namespace
