// What sits inside the axis grid's data cells, driven by the mouse: cell buttons laid out around the
// data area, a press on an up/down cell button stepping the value by the half pressed, a press drawn
// pressed (or not, for a button that is not pressable), the grid lines drawn around the cells, and the
// current cell's button box of a picture bar; a cell button's drop-down form and menu, which the click
// that closes them does not open again.
#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/editors/DBImageEh.h"
#include "platform/controls/Clipbrd.h"
#include "tests/gridlib/grids/AxisGridTestSupport.h"

namespace {

class AxisGridCellButtonsTest : public AxisGridFixture {
 protected:
  void QtyGrid(bool secondRow = true) {
    Field(u"NAME", ftString, 20);
    Field(u"QTY", ftInteger);
    data_->Open();
    data_->AddRow({Variant(u"Bolt"), Variant(10)});
    if (secondRow) data_->AddRow({Variant(u"Nut"), Variant(20)});
    data_->First();
    MakeGrid();
    qty_ = grid_->FindFieldColumn(u"QTY");
    static_cast<TTestColumnEh*>(qty_)->SetWidth(120);
  }
  TCellButtonEh* AddCellButton(TEditButtonStyleEh style, TEditButtonHorzPlacementEh placement) {
    TCellButtonEh* b = qty_->GetCellButtons()->Add();
    b->SetStyle(style);
    b->SetHorzPlacement(placement);
    return b;
  }
  // The grid position of a point inside a button of the first data row's QTY cell.
  TPoint InButton(TCellButtonEh* button, Integer x, Integer y) {
    const Integer col = grid_->GetFixedColCount() + qty_->GetIndex();
    const Integer row = grid_->GetFixedRowCount();
    TInCellPlaceBoxEh* box = grid_->GetCellPlaceBox(col, row)->FindChildBoxByControl(button);
    const TRect cell = grid_->CellRect(col, row, true);
    return TPoint(cell.Left + box->GetCtrlClientRect().Left + x, cell.Top + box->GetCtrlClientRect().Top + y);
  }
  Integer Qty() { return data_->FieldByName(u"QTY")->GetAsInteger(); }

  TAxisBarEh* qty_ = nullptr;
};

TEST_F(AxisGridCellButtonsTest, ACellReadsLeftButtonsDataAreaEditButtonsRightButtons) {
  QtyGrid();
  TCellButtonEh* right = AddCellButton(ebsEllipsisEh, ebhpRightEh);
  TCellButtonEh* left1 = AddCellButton(ebsPlusEh, ebhpLeftEh);
  TCellButtonEh* left2 = AddCellButton(ebsMinusEh, ebhpLeftEh);
  qty_->SetAlwaysShowEditButton(true);
  qty_->SetButtonStyle(TCellButtonStyleEh::cbsEllipsis);
  TInCellPlaceBoxEh box;
  grid_->FillCellPlaceBoxForRect(2, 1, &box, qty_, TRect(0, 0, 120, 21));
  ASSERT_EQ(box.GetChildCount(), 5);
  // In the order of their places from left to right.
  std::vector<std::pair<Integer, TObject*>> order;
  for (Integer i = 0; i < box.GetChildCount(); ++i)
    order.emplace_back(box.GetChildItem(i)->GetCtrlClientRect().Left, box.GetChildItem(i)->GetControl());
  std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  const std::vector<TObject*> expected = {left1, left2, nullptr, qty_->GetEditButton(), right};
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(order[i].second, expected[i]) << i;
  // The places touch and fill the cell; the buttons leave their widths to the cell editor's margins.
  Integer x = 0;
  for (const auto& [left, control] : order) {
    EXPECT_EQ(left, x);
    x = box.FindChildBoxByControl(control) ? box.FindChildBoxByControl(control)->GetCtrlClientRect().Right
                                           : box.GetChildItem(0)->GetCtrlClientRect().Right;
  }
  EXPECT_EQ(x, 120);
  EXPECT_EQ(qty_->GetCellEditorLeftMargin(), qty_->EditButtonWidth(left1) + qty_->EditButtonWidth(left2));
  EXPECT_EQ(qty_->GetCellEditorRightMargin(), qty_->EditButtonWidth(right));
}

TEST_F(AxisGridCellButtonsTest, AnUpDownCellButtonStepsByTheHalfPressedUnderTheMouse) {
  QtyGrid();
  TCellButtonEh* updown = AddCellButton(ebsUpDownEh, ebhpRightEh);
  ShowForm();
  // The upper half steps up, the lower half down, the rows between the halves (two for an odd height,
  // one for an even) step nothing.
  const Integer col = grid_->GetFixedColCount() + qty_->GetIndex();
  const Integer h = grid_->GetCellPlaceBox(col, grid_->GetFixedRowCount())
                        ->FindChildBoxByControl(updown)
                        ->GetCtrlClientRect()
                        .Height();
  const Integer half = h / 2;
  struct Case {
    Integer y, expected;
  } cases[] = {{0, 11}, {half - 1, 12}, {h - half + 1, 11}, {h - 1, 10}, {half, 10}, {h - half, 10}};
  for (const Case& c : cases) {
    const TPoint at = InButton(updown, 3, c.y);
    SendMouseDown(grid_, mbLeft, at);
    EXPECT_EQ(Qty(), c.expected) << c.y;
    EXPECT_FALSE(grid_->InplaceEditorVisible()) << "the button takes the press, no editor opens";
    SendMouseUp(grid_, mbLeft, at);
    EXPECT_FALSE(updown->GetTimer()->GetEnabled()) << c.y;
  }
  data_->Post();
  EXPECT_EQ(Qty(), 10);
  EXPECT_EQ(grid_->GetCol(), col) << "the pressed cell is current";
}

TEST_F(AxisGridCellButtonsTest, AClickedCellButtonRunsItsHandlerAndAPressIsDrawnPressed) {
  QtyGrid(false);  // one row: the button's last drawing is the pressed cell's
  TCellButtonEh* button = AddCellButton(ebsEllipsisEh, ebhpRightEh);
  Integer clicks = 0;
  button->OnClick = [&clicks](TObject*, bool& handled) {
    ++clicks;
    handled = true;
  };
  ShowForm();
  for (bool pressable : {true, false}) {
    button->SetPressable(pressable);
    const TPoint at = InButton(button, 4, 4);
    SendMouseDown(grid_, mbLeft, at);
    CaptureControl(grid_);
    // A button that is not pressable still looks pressed, but never reports a held half.
    EXPECT_EQ(button->GetLastDrawDownButton(), pressable ? 1 : 0);
    EXPECT_TRUE(button->GetLastDrawPressed());
    SendMouseUp(grid_, mbLeft, at);
    CaptureControl(grid_);
    EXPECT_FALSE(button->GetLastDrawPressed());
  }
  EXPECT_EQ(clicks, 2);
  // Released outside the button, the press clicks nothing.
  SendMouseDown(grid_, mbLeft, InButton(button, 4, 4));
  SendMouseUp(grid_, mbLeft, InButton(button, -30, 4));
  EXPECT_EQ(clicks, 2);
}

// The form gets the cell's value and opens under the cell; the button stays pressed in the current row
// while it is open; the accepted value reaches the field; the click that closed the form, still queued,
// does not open it again.
TEST_F(AxisGridCellButtonsTest, ACellButtonsFormWritesBackAndItsClosingClickDoesNotReopenIt) {
  QtyGrid(false);
  TCellButtonEh* button = AddCellButton(ebsEllipsisEh, ebhpRightEh);
  AxisGridTestDropDownForm form;
  button->GetDropDownFormParams()->SetDropDownForm(&form);
  ShowForm();
  const TPoint at = InButton(button, 4, 4);
  SendClick(grid_, at);
  ASSERT_EQ(form.opened, 1);
  EXPECT_EQ(form.bag->GetItem(0)->GetValue().AsInteger(), 10);
  const TPoint cellTop = grid_->ClientToScreen(TPoint(0, grid_->CellRect(1, 1, true).Top));
  EXPECT_EQ(form.under.Top, cellTop.Y);
  CaptureControl(grid_);
  EXPECT_TRUE(button->GetPersistentDown());
  EXPECT_EQ(button->GetLastDrawDownButton(), 1);

  form.bag->GetItem(0)->SetValue(Variant(42));
  form.Finish(true);
  EXPECT_EQ(Qty(), 42);
  EXPECT_EQ(data_->GetState(), dsBrowse);
  EXPECT_FALSE(button->GetPersistentDown());
  SendClick(grid_, at);
  EXPECT_EQ(form.opened, 1);
  ProcessPendingEvents();
  SendClick(grid_, at);
  EXPECT_EQ(form.opened, 2);
  form.Finish(false);
  EXPECT_EQ(Qty(), 42);
}

// A press that closes the button's menu over the button does not open it again; a later press does.
TEST_F(AxisGridCellButtonsTest, ACellButtonsMenuWaitsForARepressBeforeOpeningAgain) {
  QtyGrid(false);
  TCellButtonEh* button = AddCellButton(ebsDropDownEh, ebhpRightEh);
  TPopupMenu menu(nullptr);
  Integer popups = 0;
  menu.OnPopup = [&popups](TObject*) { ++popups; };
  button->SetDropdownMenu(&menu);
  ShowForm();
  const TPoint at = InButton(button, 4, 4);
  SendClick(grid_, at);
  EXPECT_EQ(popups, 1);
  EXPECT_TRUE(button->GetWaitingForRepress());
  SendClick(grid_, at);
  EXPECT_EQ(popups, 1);
  for (Integer i = 0; i < 40 && button->GetWaitingForRepress(); ++i) ProcessEventsFor(25);
  SendClick(grid_, at);
  EXPECT_EQ(popups, 2);
}

// A cell shown as a link reacts over its text only, wherever the alignment and layout put the text.
TEST_F(AxisGridCellButtonsTest, ALinkCellReactsOverItsTextOnly) {
  QtyGrid(false);
  TAxisBarEh* name = grid_->FindFieldColumn(u"NAME");
  static_cast<TTestColumnEh*>(name)->SetWidth(200);
  name->SetCellDataIsLinkProp(true);
  grid_->LayoutChanged();
  ShowForm();
  const Integer col = grid_->GetFixedColCount() + name->GetIndex();
  grid_->SetRowHeights(grid_->GetFixedRowCount(), 40);
  const TRect cell = grid_->CellRect(col, grid_->GetFixedRowCount(), true);
  ASSERT_EQ(cell.Width(), 200);
  struct Case {
    TAlignment alignment;
    TTextLayout layout;
    TPoint onText, offText;  // cell-relative
  };
  for (const Case& c :
       {Case{taLeftJustify, tlTop, {6, 8}, {150, 8}}, Case{taRightJustify, tlTop, {192, 8}, {20, 8}},
        Case{taLeftJustify, tlBottom, {6, 32}, {6, 8}}, Case{taCenter, tlCenter, {100, 20}, {10, 20}}}) {
    name->SetAlignment(c.alignment);
    name->SetLayout(c.layout);
    // Leaving the grid makes the next move enter the cell afresh.
    SendMouseMove(grid_, TPoint(1, 1));
    SendMouseMove(grid_, TPoint(cell.Left + c.onText.X, cell.Top + c.onText.Y));
    EXPECT_TRUE(grid_->MouseOverCellDataLink()) << c.alignment << " " << c.layout;
    EXPECT_TRUE(grid_->MouseOverCellLink());
    SendMouseMove(grid_, TPoint(cell.Left + c.offText.X, cell.Top + c.offText.Y));
    EXPECT_FALSE(grid_->MouseOverCellDataLink()) << c.alignment << " " << c.layout;
  }
  // A cell that is no link never reports one.
  name->SetCellDataIsLinkProp(false);
  SendMouseMove(grid_, TPoint(1, 1));
  SendMouseMove(grid_, TPoint(cell.Left + 100, cell.Top + 20));
  EXPECT_FALSE(grid_->MouseOverCellLink());
}

// A translucent button lets the fill under it show through as far as its transparency says; a button
// sticking out of its cell is cut at the cell.
TEST_F(AxisGridCellButtonsTest, TranslucentButtonsBlendWithTheFillAndStayInsideTheirCell) {
  QtyGrid(false);
  ShowForm();
  auto faceAt = [this](Integer transparency) {
    TBitmap picture(60, 30);
    picture.GetCanvas()->GetBrush()->SetColor(clWhite);
    picture.GetCanvas()->FillRect(TRect(0, 0, 60, 30));
    grid_->DrawEditButton(qty_, picture.GetCanvas(), true, -1, nullptr, transparency, nullptr, clRed, true,
                          false, false, 0, TRect(0, 0, 40, 30), TRect(20, 5, 50, 25), ebsPlusEh);
    EXPECT_EQ(PixelAt(&picture, 45, 15), clWhite) << "outside the cell";
    return ColorToRGB(PixelAt(&picture, 24, 8));
  };
  const TColorRef opaque = faceAt(0);
  const TColorRef half = faceAt(50);
  EXPECT_EQ(faceAt(100), ColorToRGB(clRed));
  EXPECT_NE(opaque, ColorToRGB(clRed));
  // Half of the face and half of the red fill.
  EXPECT_NEAR(GetRValue(half), (GetRValue(opaque) + 255) / 2.0, 3);
  EXPECT_NEAR(GetGValue(half), GetGValue(opaque) / 2.0, 3);
}

TEST_F(AxisGridCellButtonsTest, DataCellsAreDrawnInsideTheGridLines) {
  QtyGrid();
  // The picture is the whole control: without a border its pixels are the client's.
  grid_->SetBorderStyle(bsNone);
  ShowForm();
  auto picture = CaptureControl(grid_);
  const Integer col = grid_->GetFixedColCount() + qty_->GetIndex();
  const Integer row = grid_->GetFixedRowCount() + 1;
  const TRect cell = grid_->CellRect(col, row, true);
  const TColor line = ColorToRGB(grid_->GetGridLineColors()->GetBrightColor());
  EXPECT_EQ(PixelAt(picture.get(), cell.Right - 1, cell.Top + cell.Height() / 2), line) << "right line";
  EXPECT_EQ(PixelAt(picture.get(), cell.Left + cell.Width() / 2, cell.Bottom - 1), line) << "bottom line";
  EXPECT_EQ(PixelAt(picture.get(), cell.Right - 3, cell.Top + cell.Height() / 2),
            ColorToRGB(grid_->GetColor()));
}

TEST_F(AxisGridCellButtonsTest, APictureBarsCurrentCellShowsItsButtonBoxWhichClicksTheMainButton) {
  Field(u"NAME", ftString, 20);
  Field(u"PHOTO", ftGraphic);
  data_->Open();
  data_->AddRow({Variant(u"Bolt"), Variant::Null()});
  data_->First();
  MakeGrid();
  grid_->SetDrawGraphicData(true);
  TAxisBarEh* photo = grid_->FindFieldColumn(u"PHOTO");
  ASSERT_EQ(photo->GetBarType(), ctGraphicData);
  photo->SetTextEditing(false);
  photo->SetButtonStyle(TCellButtonStyleEh::cbsEllipsis);
  Integer clicks = 0;
  photo->GetEditButton()->OnClick = [&clicks](TObject*, bool& handled) {
    ++clicks;
    handled = true;
  };
  ShowForm();
  EXPECT_FALSE(grid_->EditButtonsBoxVisible());
  grid_->SetSelectedIndex(photo->GetIndex());
  ASSERT_TRUE(grid_->EditButtonsBoxVisible());
  TEditButtonsBoxEh* box = grid_->GetEditButtonsBox();
  const TRect cell = grid_->CellRect(grid_->GetCol(), grid_->GetRow(), false);
  EXPECT_EQ(box->GetLeft() + box->GetWidth(), cell.Right);
  EXPECT_EQ(box->GetTop(), cell.Top);
  EXPECT_EQ(box->GetWidth(), box->GetButtonsWidth());
  TEditButtonControlEh* control = box->GetBtnCtlList()[0].EditButtonControl;
  SendClick(control, TPoint(3, 3));
  EXPECT_EQ(clicks, 1);
  // A text bar shows its editor instead.
  grid_->SetSelectedIndex(grid_->FindFieldColumn(u"NAME")->GetIndex());
  EXPECT_FALSE(grid_->EditButtonsBoxVisible());
}

TEST_F(AxisGridCellButtonsTest, APictureCellCopiesAndPastesPicturesAndKeepsItsPictureUnderPastedText) {
  Field(u"PHOTO", ftGraphic);
  data_->Open();
  data_->AddRow({Variant::Null()});
  data_->AddRow({Variant::Null()});
  data_->First();
  TField* field = data_->FieldByName(u"PHOTO");
  TBitmap drawn;
  drawn.SetSize(12, 8);
  data_->Edit();
  AssignGraphicToFieldEh(field, &drawn);
  data_->Post();
  MakeGrid();
  grid_->SetDrawGraphicData(true);
  TAxisBarEh* photo = grid_->FindFieldColumn(u"PHOTO");
  ASSERT_EQ(photo->GetBarType(), ctGraphicData);
  const String stored = field->GetAsString();

  photo->CopyValueToClipboard();
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  data_->Next();
  photo->PasteValueFromClipboard();
  data_->Post();
  TPicture pasted;
  LoadPictureFromFieldEh(field, &pasted);
  ASSERT_NE(pasted.GetGraphic(), nullptr);
  EXPECT_EQ(pasted.GetGraphic()->GetWidth(), 12);
  EXPECT_EQ(pasted.GetGraphic()->GetHeight(), 8);

  // Text on the clipboard is no picture: the first record keeps its own.
  data_->First();
  Clipboard()->SetAsText(u"текст");
  photo->PasteValueFromClipboard();
  EXPECT_EQ(field->GetAsString(), stored);
}

// A data hint shows the whole text of a cell that cuts it, nothing for a text that fits, and an edit
// button's own hint over that button.
TEST_F(AxisGridCellButtonsTest, DataHintsShowTheTextACellCutsAndTheHintOfAButton) {
  Field(u"NAME", ftString, 60);
  data_->Open();
  data_->AddRow({Variant(u"Шайба пружинная оцинкованная М12")});
  data_->AddRow({Variant(u"Ось")});
  data_->First();
  MakeGrid();
  ShowForm();
  TAxisBarEh* name = grid_->FindFieldColumn(u"NAME");
  const TGridCoord cell{grid_->GetFixedColCount(), grid_->GetFixedRowCount()};
  const TRect rect = grid_->CellRect(cell.X, cell.Y, false);
  TDBAxisGridDataHintParamsEh hint;
  grid_->DefaultFillDataHintShowInfo(TPoint(rect.Left + 5, rect.Top + 5), cell, name, &hint);
  EXPECT_EQ(hint.HintStr, u"Шайба пружинная оцинкованная М12");
  EXPECT_EQ(hint.HintPos.X, rect.Left) << "left-aligned text starts where the cell's does";

  data_->Next();
  grid_->DefaultFillDataHintShowInfo(TPoint(rect.Left + 5, rect.Top + 5), cell, name, &hint);
  EXPECT_EQ(hint.HintStr, u"") << "a text that fits needs no hint";

  // Over an edit button shown in the cell, the button's hint.
  name->SetAlwaysShowEditButton(true);
  name->SetButtonStyle(TCellButtonStyleEh::cbsEllipsis);
  name->GetEditButton()->SetHint(u"Открыть текст");
  CaptureControl(grid_);
  grid_->DefaultFillDataHintShowInfo(TPoint(rect.Right - 3, rect.Top + 5), cell, name, &hint);
  EXPECT_EQ(hint.HintStr, u"Открыть текст");
  EXPECT_EQ(hint.EditButtonControl, name->GetEditButton());
  data_->First();
}

}  // namespace
