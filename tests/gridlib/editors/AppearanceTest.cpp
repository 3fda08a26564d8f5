// What the editors draw over their edit window and on their own: the grey text of an empty editor, the
// image chosen from the value, the red mark of an empty required field, the tooltip of a clipped text,
// and the check box that paints and toggles itself.
#include <gtest/gtest.h>

#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"
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

// The leftmost and rightmost columns holding anything but the background inside a rectangle; -1 when
// nothing is drawn there.
std::pair<Integer, Integer> InkColumnsIn(TBitmap* picture, const TRect& rect, TColor background) {
  Integer first = -1, last = -1;
  for (Integer x = rect.Left; x < rect.Right; ++x)
    for (Integer y = rect.Top; y < rect.Bottom; ++y)
      if (PixelAt(picture, x, y) != background) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

// The rows holding anything but the background.
Integer InkRowsIn(TBitmap* picture, const TRect& rect, TColor background) {
  Integer rows = 0;
  for (Integer y = rect.Top; y < rect.Bottom; ++y)
    for (Integer x = rect.Left; x < rect.Right; ++x)
      if (PixelAt(picture, x, y) != background) {
        ++rows;
        break;
      }
  return rows;
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

TEST_F(EditorLookTest, AutoSizedHeightFollowsFontBordersAndImage) {
  const Integer border = GetSystemMetrics(SM_CYBORDER);
  const auto line = [this] { return GetFontTextHeightEh(nullptr, edit_->GetFont(), false); };
  EXPECT_EQ(edit_->GetHeight(), 8 * border + line()) << "the height asked for gives way to the font's";
  struct Case {
    bool flat;
    bool ctl3D;
    Integer borders;
  };
  for (const Case& c :
       {Case{false, true, 8}, Case{true, true, 6}, Case{false, false, 6}, Case{true, false, 4}}) {
    edit_->SetFlat(c.flat);
    edit_->SetCtl3D(c.ctl3D);
    edit_->SetBounds(10, 10, 160, 40);
    EXPECT_EQ(edit_->GetHeight(), c.borders * border + line()) << "flat " << c.flat << ", 3-D " << c.ctl3D;
  }
  edit_->SetFlat(false);
  edit_->SetCtl3D(true);
  edit_->GetFont()->SetSize(18);
  EXPECT_EQ(edit_->GetHeight(), 8 * border + line()) << "a larger font makes the box higher";
  edit_->GetFont()->SetSize(9);

  // A 40-pixel image is taller than the text; without UseImageHeight the text decides again.
  TImageList images(nullptr);
  images.SetWidth(40);
  images.SetHeight(40);
  edit_->SetImages(&images);
  EXPECT_EQ(edit_->GetHeight(), 8 * border + 40);
  edit_->GetEditImage()->SetUseImageHeight(false);
  EXPECT_EQ(edit_->GetHeight(), 8 * border + line());
  edit_->SetImages(nullptr);

  // Without AutoSize, or without a border (a grid's cell), the height is free.
  edit_->SetAutoSize(false);
  edit_->SetBounds(10, 10, 160, 50);
  EXPECT_EQ(edit_->GetHeight(), 50);
  edit_->SetAutoSize(true);
  EXPECT_EQ(edit_->GetHeight(), 8 * border + line());
  edit_->SetBorderStyle(bsNone);
  edit_->SetBounds(10, 10, 160, 50);
  EXPECT_EQ(edit_->GetHeight(), 50);
}

TEST_F(EditorLookTest, BorderLightsOnFocusHoverAndAlways) {
  auto themes = MakeScopeExit([] { SetThemesEnabled(true); });
  enum Trigger { None, Hover, Focus, Always };
  struct Case {
    bool themes;
    bool flat;
    Trigger trigger;
    TColor edge;  // the left edge's middle pixel; clNone: anything but the highlight
    const char* what;
  };
  const TColor face = StyleServices()->GetSystemColor(clBtnFace);
  const TColor shadow = StyleServices()->GetSystemColor(clBtnShadow);
  const TColor light = HoverFrameColorEh();
  const Case cases[] = {
      {false, true, None, face, "flat, idle: a button-face frame"},
      {false, true, Hover, shadow, "flat under the mouse: the sunken edge"},
      {false, true, Focus, shadow, "flat and focused: the sunken edge"},
      {false, true, Always, shadow, "flat with AlwaysShowBorder: the sunken edge"},
      {true, false, Hover, light, "themed under the mouse: the lit frame"},
      {true, false, None, clNone, "themed, idle: the window's own frame"},
  };
  other_->SetFocus();
  for (const Case& c : cases) {
    SetThemesEnabled(c.themes);
    edit_->SetFlat(c.flat);
    if (c.trigger == Hover) edit_->Perform(CM_MOUSEENTER, 0, 0);
    if (c.trigger == Focus) edit_->SetFocus();
    if (c.trigger == Always) edit_->SetAlwaysShowBorder(true);
    ProcessPendingEvents();
    EXPECT_EQ(edit_->GetBorderActive(), c.trigger != None) << c.what;
    EXPECT_EQ(edit_->GetButtonsBox()->GetBorderActive(), c.trigger != None)
        << c.what << ": the buttons follow";
    const TColor edge = PixelAt(CaptureControl(edit_).get(), 0, edit_->GetHeight() / 2);
    if (c.edge == clNone)
      EXPECT_NE(edge, light) << c.what;
    else
      EXPECT_EQ(edge, c.edge) << c.what;
    edit_->Perform(CM_MOUSELEAVE, 0, 0);
    other_->SetFocus();
    edit_->SetAlwaysShowBorder(false);
    ProcessPendingEvents();
    EXPECT_FALSE(edit_->GetBorderActive()) << c.what << ": dark again";
  }
}

TEST_F(EditorLookTest, UnfocusedEditorDrawsAlignedAndWrappedTextItself) {
  // A box aligned right by hand, and a number editor aligned right by its kind.
  auto* box = new TDBEditEh(form_.get());
  box->SetText(u"12345");
  box->SetAlignment(taRightJustify);
  auto* number = new TDBNumberEditEh(form_.get());
  number->SetValue(Variant(12345));
  for (TCustomDBEditEh* edit : {static_cast<TCustomDBEditEh*>(box), static_cast<TCustomDBEditEh*>(number)}) {
    SCOPED_TRACE(edit == box ? "edit box" : "number editor");
    edit->SetParent(form_.get());
    edit->SetBounds(10, 60, 200, 24);
    ProcessPendingEvents();
    // The text's room without the window's focus frame.
    TRect text = edit->CalcEditRect();
    InflateRect(&text, -2, -2);
    const TColor back = edit->GetPaintBackgroundColor();
    auto ink = InkColumnsIn(CaptureControl(edit).get(), text, back);
    EXPECT_GT(ink.first, text.Left + text.Width() / 2) << "unfocused, the editor draws it right-aligned";
    EXPECT_GE(ink.second, text.Right - 8);
    edit->SetFocus();
    ProcessPendingEvents();
    ink = InkColumnsIn(CaptureControl(edit).get(), text, back);
    EXPECT_LT(ink.first, text.Left + 8) << "focused, the edit window shows it from the left for editing";
    EXPECT_LT(ink.second, text.Left + text.Width() / 2);
    other_->SetFocus();
    edit->SetParent(nullptr);
  }
  box->SetParent(form_.get());
  const TColor back = box->GetPaintBackgroundColor();

  // Unfocused, a selection left in the window is not shown.
  other_->SetFocus();
  box->SetAlignment(taLeftJustify);
  ProcessPendingEvents();
  auto plain = CaptureControl(box);
  box->SetSelStart(1);
  box->SetSelLength(3);
  ProcessPendingEvents();
  auto selected = CaptureControl(box);
  Integer differing = 0;
  for (Integer y = 0; y < box->GetHeight(); ++y)
    for (Integer x = 0; x < box->GetWidth(); ++x)
      if (PixelAt(plain.get(), x, y) != PixelAt(selected.get(), x, y)) ++differing;
  EXPECT_EQ(differing, 0) << "the selection shows only while focused";

  // Word wrap: a long text takes several lines of a high box while unfocused.
  box->SetAlignment(taLeftJustify);
  box->SetAutoSize(false);
  box->SetBounds(10, 60, 120, 70);
  box->SetText(u"Болт с шестигранной головкой и мелкой резьбой");
  ProcessPendingEvents();
  const TRect tall = box->CalcEditRect();
  const Integer oneLine = InkRowsIn(CaptureControl(box).get(), tall, back);
  box->SetWordWrap(true);
  ProcessPendingEvents();
  const Integer wrapped = InkRowsIn(CaptureControl(box).get(), tall, back);
  EXPECT_GT(wrapped, oneLine + 8) << "the text is wrapped into lines below each other";
  const auto ink = InkColumnsIn(CaptureControl(box).get(), tall, back);
  EXPECT_LT(ink.second, tall.Right) << "nothing is drawn past the text's room";
}

TEST_F(EditorLookTest, CursorIsTheArrowOverImageAndButtons) {
  TImageList images(nullptr);
  images.SetWidth(16);
  images.SetHeight(16);
  edit_->SetImages(&images);
  edit_->GetEditButton()->SetVisible(true);
  const TRect image = edit_->GetEditImageRect();
  const TRect buttons = edit_->GetEditButtonsRect();
  ASSERT_FALSE(IsRectEmpty(image));
  ASSERT_FALSE(IsRectEmpty(buttons));
  const Integer middle = edit_->GetHeight() / 2;
  struct Case {
    TPoint at;
    TCursor cursor;
  };
  for (const Case& c :
       {Case{TPoint(image.Left + 4, middle), crArrow}, Case{TPoint(buttons.Left + 2, middle), crArrow},
        Case{TPoint(image.Right + 10, middle), crIBeam}})
    EXPECT_EQ(edit_->GetCursorAt(c.at), c.cursor) << c.at.X;
  edit_->TControl::SetCursor(crHandPoint);
  EXPECT_EQ(edit_->GetCursorAt(TPoint(image.Right + 10, middle)), crHandPoint)
      << "the user's cursor over the text";
}

TEST_F(EditorLookTest, EmptyDataTextLeavesTheCaretVisible) {
  edit_->SetFocus();
  ProcessPendingEvents();
  TRect text = edit_->CalcEditRect();
  const TColor back = edit_->GetPaintBackgroundColor();
  // The caret is the only ink in the middle rows of the focused empty editor.
  const TRect middle(text.Left, text.Top + text.Height() / 3, text.Right, text.Bottom - text.Height() / 3);
  const auto caret = InkColumnsIn(CaptureControl(edit_).get(), middle, back);
  ASSERT_GE(caret.first, 0) << "the caret is drawn";
  edit_->GetEmptyDataInfo()->SetText(u"Наименование");
  edit_->GetEmptyDataInfo()->GetFont()->SetColor(clRed);
  edit_->SetFocus();
  ProcessPendingEvents();
  auto picture = CaptureControl(edit_);
  EXPECT_TRUE(HasColourIn(picture.get(), text, clRed)) << "the empty-data text shows while focused";
  const TColor caretInk = PixelAt(picture.get(), caret.first, middle.Top + middle.Height() / 2);
  EXPECT_NE(caretInk, back) << "the caret is still there";
  EXPECT_NE(caretInk, clRed);
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
