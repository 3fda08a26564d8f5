// Painting the data grid: data cells with the screens' events, colours and hidden duplicates, titles
// in two levels, the indicator's record numbers and footer texts by kind, looked at in a bitmap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>

#include "gridlib/base/GridLibCore.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/controls/StyleManager.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

class DBGridPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 640, 400);
    data_ = new TTestDataSet(form_.get());
    data_->GetFieldDefs()->Add(u"ID", ftInteger, 0, false);
    data_->GetFieldDefs()->Add(u"NAME", ftString, 20, false);
    data_->GetFieldDefs()->Add(u"QTY", ftInteger, 0, false);
    data_->GetFieldDefs()->Add(u"PRICE", ftFloat, 0, false);
    for (int i = 1; i <= 30; ++i)
      data_->AddRow({Variant(i), Variant(i <= 3 ? String(u"Лист") : u"Изделие " + IntToStr(i)),
                     Variant(i * 10), Variant(i * 1.25)});
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(data_);
    data_->Open();
    grid_ = new TDBGridEh(form_.get());
    grid_->SetParent(form_.get());
    grid_->SetBorderStyle(bsNone);  // client and picture coordinates agree
    grid_->SetAlign(alClient);
    grid_->SetDataSource(source_);
    form_->Show();
    ProcessPendingEvents();
  }
  void TearDown() override { form_.reset(); }
  TColumnEh* Column(const String& field) { return static_cast<TColumnEh*>(grid_->FindFieldColumn(field)); }
  // Texts the data cells were drawn with, by grid row, for one column.
  std::map<Integer, String> PaintedTexts(TColumnEh* column) {
    std::map<Integer, String> texts;
    grid_->OnDrawColumnCell = [&](TObject*, const TRect&, Integer, TColumnEh* c, TGridDrawState) {
      if (c == column) texts[grid_->CurrentColCellParams()->Row] = grid_->CurrentColCellParams()->Text;
    };
    CaptureControl(grid_);
    grid_->OnDrawColumnCell = nullptr;
    return texts;
  }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TDBGridEh* grid_ = nullptr;
};

TColor Sys(TColor c) { return StyleServices()->GetSystemColor(c); }

TEST_F(DBGridPaintTest, ABitmapShowsTwoLevelTitlesASumFooterTheIndicatorAndAHighlightedRow) {
  TDBGridColumnsEh* columns = grid_->GetColumns();
  columns->RebuildColumns();
  columns->GetColumn(0)->GetTitle()->SetCaption(u"Изделие|Код");
  columns->GetColumn(1)->GetTitle()->SetCaption(u"Изделие|Наименование");
  columns->GetColumn(2)->GetTitle()->SetCaption(u"Количество");
  columns->GetColumn(3)->SetVisible(false);
  grid_->GetTitleParams()->SetMultiTitle(true);
  grid_->SetFooterRowCount(1);
  Column(u"QTY")->GetFooter()->SetValueType(fvtSum);
  grid_->GetSumList()->SetActive(true);
  grid_->SetOddRowColor(RGB(250, 240, 200));
  data_->SetRecNo(5);
  grid_->GetSelection()->SetSelectionType(gstRecordBookmarks);
  data_->SetRecNo(3);
  grid_->GetSelectedRows()->SetCurrentRowSelected(true);
  data_->SetRecNo(5);
  ProcessPendingEvents();

  String footerText;
  grid_->OnGetFooterParams = [&](TObject*, Integer, Integer, TColumnEh* c, TFont*, TColor&, TAlignment&,
                                 TGridDrawState, String& text) {
    if (c == Column(u"QTY")) footerText = text;
  };
  std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  EXPECT_EQ(footerText, u"4650");  // 10 + 20 + ... + 300
  if (getenv("PAINT_DUMP")) picture->SaveToFile(u"/tmp/paint1.bmp");

  // The group title spans both columns: no line between them in its band, one in the leaves' band.
  const Integer top = grid_->TopDataOffset();
  const TRect code = grid_->CellRect(1, 0, false), name = grid_->CellRect(2, 0, false);
  ASSERT_GT(grid_->GetRowHeights(0), grid_->GetRowHeights(top));
  const TColor groupBand = PixelAt(picture.get(), code.Right - 1, code.Top + 3);
  const TColor leafBand = PixelAt(picture.get(), code.Right - 1, code.Bottom - 3);
  EXPECT_EQ(groupBand, PixelAt(picture.get(), name.Left + 3, code.Top + 3));
  EXPECT_NE(leafBand, PixelAt(picture.get(), name.Left + 3, code.Bottom - 3));
  // The last title's right edge is the grid's boundary line, drawn once: not also by the title tree.
  const TRect qty = grid_->CellRect(3, 0, false);
  const TColor face = PixelAt(picture.get(), qty.Left + 3, qty.Top + 3);
  EXPECT_NE(PixelAt(picture.get(), qty.Right, qty.Top + 3), face);
  EXPECT_EQ(PixelAt(picture.get(), qty.Right - 1, qty.Top + 3), face);

  // Data rows: odd records take the odd colour; the selected record of the focused grid is that colour
  // lightened towards the selection colour by the grid's style.
  const auto background = [&](Integer recNo) {
    const Integer row = top + recNo - 1;
    const TRect r = grid_->CellRect(3, row, false);
    return PixelAt(picture.get(), r.Right - 3, r.Top + 2);
  };
  EXPECT_EQ(background(1), RGB(250, 240, 200));
  EXPECT_EQ(background(2), Sys(clWindow));
  ASSERT_TRUE(grid_->HasFocusWithin());
  ASSERT_EQ(DisplayColorCount, -1);
  TDBGridEhStyle* style = grid_->GetStyle();
  EXPECT_EQ(background(3), static_cast<TColor>(ColorToRGB(
                               style->LightenColor(RGB(250, 240, 200), style->GetSelectionColor(), true))));

  // The indicator's glyph marks the current record only: its cell differs from a plain row's.
  const auto glyphPixels = [&](Integer recNo) {
    const TRect r = grid_->CellRect(0, top + recNo - 1, false), plain = grid_->CellRect(0, top + 1, false);
    Integer n = 0;
    for (Integer x = r.Left + 2; x < r.Right - 2; ++x)
      for (Integer y = 2; y < r.Height() - 2; ++y)
        if (PixelAt(picture.get(), x, r.Top + y) != PixelAt(picture.get(), x, plain.Top + y)) ++n;
    return n;
  };
  EXPECT_GT(glyphPixels(5), 8);
  EXPECT_LT(glyphPixels(4), 4);
  // The selected record's indicator takes the fixed cells' selection colour.
  const auto indicatorFace = [&](Integer recNo) {
    const TRect r = grid_->CellRect(0, top + recNo - 1, false);
    return PixelAt(picture.get(), r.Left + 1, r.Bottom - 2);
  };
  EXPECT_NE(indicatorFace(3), indicatorFace(2));
  EXPECT_EQ(indicatorFace(4), indicatorFace(2));
}

TEST_F(DBGridPaintTest, CaptionsSplitByBarsBecomeGroupTitles) {
  struct Case {
    std::vector<String> captions;
    std::vector<String> parents;  // the group title over each column's leaf, "" for none
    std::vector<String> leaves;
  } cases[] = {
      {{u"A|X", u"A|Y", u"B"}, {u"A", u"A", u""}, {u"X", u"Y", u"B"}},
      {{u"A|X", u"B", u"A|Y"}, {u"A", u"", u"A"}, {u"X", u"B", u"Y"}},
      {{u"A||X", u"|X"}, {u"A", u""}, {u"X", u"|X"}},
      {{u"A|B|C", u"A|B|D", u"A|E"}, {u"B", u"B", u"A"}, {u"C", u"D", u"E"}},
  };
  grid_->GetTitleParams()->SetMultiTitle(true);
  for (const Case& c : cases) {
    TDBGridColumnsEh* columns = grid_->GetColumns();
    columns->Clear();
    for (const String& caption : c.captions) {
      TColumnEh* column = columns->Add();
      column->SetFieldName(u"NAME");
      column->GetTitle()->SetCaption(caption);
    }
    ProcessPendingEvents();
    const auto& tree = grid_->GetHeadTree();
    for (size_t i = 0; i < c.captions.size(); ++i) {
      const Integer leaf = grid_->LeafOf(static_cast<Integer>(i));
      ASSERT_GT(leaf, 0);
      const auto& node = tree[static_cast<size_t>(leaf)];
      EXPECT_EQ(node.Text, c.leaves[i]) << StringToUtf8(c.captions[i]);
      EXPECT_EQ(node.Parent > 0 ? tree[static_cast<size_t>(node.Parent)].Text : String(), c.parents[i])
          << StringToUtf8(c.captions[i]);
    }
    // Two equal group texts apart stay two groups; neighbours share one.
    if (c.captions[1] == u"B") {
      EXPECT_NE(tree[static_cast<size_t>(grid_->LeafOf(0))].Parent,
                tree[static_cast<size_t>(grid_->LeafOf(2))].Parent);
    }
    if (c.captions[1] == u"A|Y") {
      const auto& group = tree[static_cast<size_t>(tree[static_cast<size_t>(grid_->LeafOf(0))].Parent)];
      EXPECT_EQ(group.Width, columns->GetColumn(0)->GetWidth() + columns->GetColumn(1)->GetWidth());
      // A leaf beside the group spans the whole band.
      EXPECT_EQ(tree[static_cast<size_t>(grid_->LeafOf(2))].Height,
                group.Height + tree[static_cast<size_t>(grid_->LeafOf(0))].Height);
    }
  }
}

TEST_F(DBGridPaintTest, RecordNumbersFollowTheStepAndAStepOfZeroIsSafe) {
  struct Case {
    Integer step, recNo;
    bool current, inserting;
    const char16_t* text;
  } cases[] = {
      {10, 1, false, false, u"1"},  {10, 5, false, false, u"-"},   {10, 10, false, false, u"10"},
      {10, 7, false, false, u"·"},  {10, 30, false, false, u"30"}, {10, 7, true, false, u"7"},
      {10, 7, true, true, u""},     {10, 0, false, false, u""},    {3, 2, false, false, u"·"},
      {0, 1, false, false, u"1"},   {0, 7, false, false, u"·"},    {0, 7, true, false, u"7"},
      {-5, 10, false, false, u"·"}, {-5, 30, false, false, u"30"}, {1, 13, false, false, u"13"},
  };
  for (const Case& c : cases) {
    grid_->GetIndicatorParams()->SetRecNoShowStep(c.step);
    EXPECT_EQ(grid_->RecNoText(c.recNo, c.current, c.inserting), String(c.text))
        << "step " << c.step << " record " << c.recNo;
  }
  // Painting the numbers with a step of 0 goes through every visible row.
  TDBGridEhOptions options = grid_->GetOptionsEh();
  options.Include(dghShowRecNo);
  grid_->SetOptionsEh(options);
  EXPECT_NO_THROW(CaptureControl(grid_));
}

TEST_F(DBGridPaintTest, FooterTextsByKind) {
  grid_->GetColumns()->RebuildColumns();
  grid_->SetFooterRowCount(1);
  grid_->GetSumList()->SetActive(true);
  TColumnFooterEh* qty = Column(u"QTY")->GetFooter();
  TColumnFooterEh* price = Column(u"PRICE")->GetFooter();
  TColumnFooterEh* name = Column(u"NAME")->GetFooter();
  TColumnFooterEh* id = Column(u"ID")->GetFooter();
  qty->SetValueType(fvtSum);
  EXPECT_EQ(grid_->GetFooterValue(0, Column(u"QTY")), u"4650");
  qty->SetValueType(fvtAvg);
  EXPECT_EQ(grid_->GetFooterValue(0, Column(u"QTY")), u"155");
  qty->SetDisplayFormat(u"0.00");
  EXPECT_EQ(grid_->GetFooterValue(0, Column(u"QTY")),
            u"155" + String(1, FormatSettings.DecimalSeparator) + u"00");
  price->SetValueType(fvtSum);  // 1.25 * 465
  EXPECT_EQ(grid_->GetFooterValue(0, Column(u"PRICE")),
            u"581" + String(1, FormatSettings.DecimalSeparator) + u"25");
  id->SetValueType(fvtCount);
  EXPECT_EQ(grid_->GetFooterValue(0, Column(u"ID")), u"30");
  name->SetValueType(fvtStaticText);
  name->SetValue(u"Итого");
  EXPECT_EQ(grid_->GetFooterValue(0, Column(u"NAME")), u"Итого");
  // A sum over a field the dataset lacks is 0.
  id->SetValueType(fvtSum);
  id->SetFieldName(u"NO_SUCH_FIELD");
  EXPECT_EQ(grid_->GetFooterValue(0, Column(u"ID")), u"0");
  // The current record's value; a missing field raises from the query but not from painting.
  data_->SetRecNo(4);
  name->SetValueType(fvtFieldValue);
  name->SetFieldName(u"QTY");
  EXPECT_EQ(grid_->GetFooterValue(0, Column(u"NAME")), u"40");
  name->SetFieldName(u"NO_SUCH_FIELD");
  EXPECT_ANY_THROW(grid_->GetFooterValue(0, Column(u"NAME")));
  String painted = u"not painted";
  grid_->OnGetFooterParams = [&](TObject*, Integer, Integer, TColumnEh* c, TFont*, TColor&, TAlignment&,
                                 TGridDrawState, String& text) {
    if (c == Column(u"NAME")) painted = text;
  };
  EXPECT_NO_THROW(CaptureControl(grid_));
  EXPECT_EQ(painted, u"");
}

TEST_F(DBGridPaintTest, FooterRowsAreAsHighAsTheirFontAndLinesAsk) {
  grid_->SetFooterRowCount(2);
  ProcessPendingEvents();
  const Integer dataRow = grid_->GetRowHeights(grid_->TopDataOffset());
  // The data rows a page holds change with the footers' heights: the last row is asked each time.
  const auto lastFooter = [&] { return grid_->GetRowHeights(grid_->GetFullRowCount() - 1); };
  EXPECT_EQ(lastFooter(), dataRow);
  EXPECT_EQ(grid_->GetRowHeights(grid_->GetFullRowCount() - 2), dataRow);
  TDBGridFooterParamsEh* footer = grid_->GetFooterParams();
  footer->GetFont()->SetSize(grid_->GetFont()->GetSize() * 2);
  grid_->LayoutChanged();
  ProcessPendingEvents();
  EXPECT_GT(lastFooter(), dataRow);
  footer->SetRowLines(3);
  footer->SetRowHeight(4);
  grid_->LayoutChanged();
  ProcessPendingEvents();
  TCanvas* canvas = GetScreenCanvasEh();
  canvas->GetFont()->Assign(footer->GetFont());
  EXPECT_EQ(lastFooter(), 4 + 3 * canvas->TextHeight(u"Wg"));
  // The data rows make room for the taller footers.
  EXPECT_LE(grid_->VisibleDataRowCount() * dataRow + 2 * lastFooter() + grid_->GetRowHeights(0),
            grid_->GetClientHeight());
}

TEST_F(DBGridPaintTest, CellParameterEventsAndCustomDrawing) {
  grid_->GetColumns()->RebuildColumns();
  TColumnEh* name = Column(u"NAME");
  // The grid's handler colours the cell; the selection wins unless the column suppresses it.
  grid_->OnGetCellParams = [](TObject*, TColumnEh*, TFont*, TColor& background, TGridDrawState) {
    background = RGB(10, 200, 10);
  };
  grid_->GetSelection()->SetSelectionType(gstRecordBookmarks);
  data_->SetRecNo(2);
  grid_->GetSelectedRows()->SetCurrentRowSelected(true);
  data_->SetRecNo(6);
  ProcessPendingEvents();
  const Integer top = grid_->TopDataOffset();
  const auto pixel = [&](TBitmap* p, Integer recNo) {
    const TRect r = grid_->CellRect(grid_->DataColToGridCol(name->GetIndex()), top + recNo - 1, false);
    return PixelAt(p, r.Right - 3, r.Top + 2);
  };
  std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  EXPECT_EQ(pixel(picture.get(), 1), RGB(10, 200, 10));
  EXPECT_NE(pixel(picture.get(), 2), RGB(10, 200, 10));
  name->OnGetCellParams = [](TObject*, bool, TAxisColCellParamsEh* params) {
    params->SuppressActiveCellColor = true;
  };
  picture = CaptureControl(grid_);
  EXPECT_EQ(pixel(picture.get(), 2), RGB(10, 200, 10));

  // A grid handler that draws the cell itself stops the column's handler and the default drawing.
  Integer columnCalls = 0, afterDrawing = 0;
  name->OnAdvDrawDataCell = [&](TCustomDBGridEh*, TGridCoord, TGridCoord, TColumnEh*, const TRect&,
                                TAxisColCellParamsEh*, bool&) { ++columnCalls; };
  grid_->OnDrawColumnCell = [&](TObject*, const TRect&, Integer, TColumnEh* c, TGridDrawState) {
    if (c == name) ++afterDrawing;
  };
  grid_->OnAdvDrawDataCell = [&](TCustomDBGridEh* g, TGridCoord, TGridCoord, TColumnEh* c, const TRect& r,
                                 TAxisColCellParamsEh*, bool& processed) {
    if (c != name) return;
    g->GetCanvas()->GetBrush()->SetColor(RGB(200, 0, 200));
    g->GetCanvas()->FillRect(r);
    processed = true;
  };
  picture = CaptureControl(grid_);
  EXPECT_EQ(pixel(picture.get(), 1), RGB(200, 0, 200));
  EXPECT_EQ(columnCalls, 0);
  EXPECT_EQ(afterDrawing, 0);
  EXPECT_EQ(data_->RecNo(), 6);
}

TEST_F(DBGridPaintTest, HiddenDuplicatesShowTheFirstOfEqualValuesOnly) {
  grid_->GetColumns()->RebuildColumns();
  TColumnEh* name = Column(u"NAME");
  name->SetHideDuplicates(true);
  data_->First();
  ProcessPendingEvents();
  const Integer top = grid_->TopDataOffset();
  std::map<Integer, String> texts = PaintedTexts(name);
  EXPECT_EQ(texts[top], u"Лист");
  EXPECT_EQ(texts[top + 1], u"");
  EXPECT_EQ(texts[top + 2], u"");
  EXPECT_EQ(texts[top + 3], u"Изделие 4");

  // A handler compares values of its own making: here the first word only.
  name->OnGetHideDuplicatesValue = [](TCustomDBGridEh*, TColumnEh*, Variant& value) {
    const String text = VarToStr(value);
    value = Variant(text.substr(0, text.find(u' ')));
  };
  texts = PaintedTexts(name);
  EXPECT_EQ(texts[top + 3], u"Изделие 4");
  EXPECT_EQ(texts[top + 4], u"");

  // The simple drawing routine of a drawing handler hides the duplicates too.
  name->OnGetHideDuplicatesValue = nullptr;
  const TColor paper = RGB(250, 250, 250);
  grid_->OnDrawColumnCell = [&](TObject*, const TRect& r, Integer dataCol, TColumnEh* c,
                                TGridDrawState state) {
    if (c != name) return;
    grid_->GetCanvas()->GetBrush()->SetColor(paper);
    grid_->DefaultDrawColumnCell(r, dataCol, c, state);
  };
  std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  grid_->OnDrawColumnCell = nullptr;
  const auto ink = [&](Integer row) {
    const TRect r = grid_->CellRect(grid_->DataColToGridCol(name->GetIndex()), row, false);
    Integer n = 0;
    for (Integer x = r.Left + 1; x < r.Right - 1; ++x)
      for (Integer y = r.Top + 1; y < r.Bottom - 1; ++y)
        if (PixelAt(picture.get(), x, y) != paper) ++n;
    return n;
  };
  EXPECT_GT(ink(top), 10);
  EXPECT_EQ(ink(top + 1), 0);
  EXPECT_GT(ink(top + 3), 10);
  EXPECT_EQ(data_->RecNo(), 1);
}

TEST_F(DBGridPaintTest, IndicatorCheckBoxesFollowTheSelectedRowsAndTheTitleShowsItsDropDownSign) {
  // The check box sits centred in a larger place and keeps a smaller one.
  const Integer w = CheckBoxWidthEh(), h = CheckBoxHeightEh();
  TRect large(10, 10, 10 + w + 9, 10 + h + 6), small(0, 0, w - 4, h - 2);
  grid_->CenterCheckBoxRect(large);
  grid_->CenterCheckBoxRect(small);
  EXPECT_EQ(large, TRect(10 + (w + 9) / 2 - w / 2, 10 + (h + 6) / 2 - h / 2, 10 + (w + 9) / 2 - w / 2 + w,
                         10 + (h + 6) / 2 - h / 2 + h));
  EXPECT_EQ(small, TRect(0, 0, w - 4, h - 2));

  grid_->SetIndicatorOptions({gioShowRowIndicatorEh, gioShowRowselCheckboxesEh});
  grid_->GetSelection()->SetSelectionType(gstRecordBookmarks);
  data_->SetRecNo(2);
  grid_->GetSelectedRows()->SetCurrentRowSelected(true);
  data_->SetRecNo(8);
  ProcessPendingEvents();
  const Integer top = grid_->TopDataOffset();
  const auto boxPixels = [&](TBitmap* p, Integer row) {
    const TRect r = grid_->CellRect(0, row, false);
    std::vector<TColor> pixels;
    for (Integer x = r.Left + 2; x < r.Right - 13; ++x)
      for (Integer y = r.Top + 2; y < r.Bottom - 2; ++y) pixels.push_back(PixelAt(p, x, y));
    return pixels;
  };
  std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  EXPECT_EQ(boxPixels(picture.get(), top + 2), boxPixels(picture.get(), top + 3));  // both unselected
  EXPECT_NE(boxPixels(picture.get(), top + 1), boxPixels(picture.get(), top + 2));  // the selected one
  const std::vector<TColor> plainTitle = boxPixels(picture.get(), 0);
  grid_->GetIndicatorTitle()->SetShowDropDownSign(true);
  picture = CaptureControl(grid_);
  const TRect title = grid_->CellRect(0, 0, false);
  Integer sign = 0;
  for (Integer x = title.Right - 12; x < title.Right; ++x)
    for (Integer y = title.Top + 2; y < title.Bottom - 2; ++y)
      if (PixelAt(picture.get(), x, y) != PixelAt(picture.get(), title.Left + 3, title.Top + 3)) ++sign;
  EXPECT_GT(sign, 5);
  EXPECT_EQ(boxPixels(picture.get(), 0), plainTitle);  // the sign stays at the right
}

TEST_F(DBGridPaintTest, ARequiredEmptyFieldIsMarkedInTheEditedRowOnly) {
  grid_->GetColumns()->RebuildColumns();
  TColumnEh* name = Column(u"NAME");
  name->SetHighlightRequired(true);
  data_->FieldByName(u"NAME")->SetRequired(true);
  const Integer top = grid_->TopDataOffset();
  const auto redPixels = [&](TBitmap* p, Integer recNo) {
    const TRect r = grid_->CellRect(grid_->DataColToGridCol(name->GetIndex()), top + recNo - 1, false);
    Integer n = 0;
    for (Integer x = r.Left; x < r.Right; ++x)
      for (Integer y = r.Bottom - 4; y < r.Bottom; ++y)
        if (PixelAt(p, x, y) == RGB(255, 0, 0)) ++n;
    return n;
  };
  data_->SetRecNo(5);
  data_->Edit();
  data_->FieldByName(u"NAME")->Clear();
  ProcessPendingEvents();
  std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  EXPECT_GT(redPixels(picture.get(), 5), 10);
  EXPECT_EQ(redPixels(picture.get(), 4), 0);
  // The column's handler may turn the mark off.
  name->OnCheckDrawRequiredState = [](TObject*, const String&, bool& draw) { draw = false; };
  picture = CaptureControl(grid_);
  EXPECT_EQ(redPixels(picture.get(), 5), 0);
  name->OnCheckDrawRequiredState = nullptr;
  data_->Cancel();
  ProcessPendingEvents();
  picture = CaptureControl(grid_);
  EXPECT_EQ(redPixels(picture.get(), 5), 0);
}

TEST_F(DBGridPaintTest, EachFooterRowShowsTheColumnsFooterOfThatRowInItsOwnColours) {
  grid_->GetColumns()->RebuildColumns();
  grid_->SetFooterRowCount(2);
  grid_->GetSumList()->SetActive(true);
  TColumnEh* qty = Column(u"QTY");
  TColumnFooterEh* sum = qty->GetFooters()->Add();
  sum->SetValueType(fvtSum);
  TColumnFooterEh* label = qty->GetFooters()->Add();
  label->SetValueType(fvtStaticText);
  label->SetValue(u"Итого");
  label->SetColor(RGB(200, 230, 255));
  TColumnFooterEh* main = Column(u"NAME")->GetFooter();  // no collection: the same footer in both rows
  main->SetValueType(fvtStaticText);
  main->SetValue(u"Всего");
  ProcessPendingEvents();

  std::map<std::pair<TColumnEh*, Integer>, String> painted;
  grid_->OnGetFooterParams = [&](TObject*, Integer, Integer row, TColumnEh* c, TFont*, TColor&, TAlignment&,
                                 TGridDrawState, String& text) {
    painted[{c, row}] = text;
  };
  std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  EXPECT_EQ((painted[{qty, 0}]), u"4650");
  EXPECT_EQ((painted[{qty, 1}]), u"Итого");
  EXPECT_EQ((painted[{Column(u"NAME"), 0}]), u"Всего");
  EXPECT_EQ((painted[{Column(u"NAME"), 1}]), u"Всего");
  EXPECT_EQ(grid_->GetFooterValue(1, qty), u"Итого");
  // The second footer row of the column takes its footer's colour; the first keeps the default.
  const Integer col = grid_->DataColToGridCol(qty->GetIndex());
  const TRect first = grid_->CellRect(col, grid_->GetFullRowCount() - 2, false);
  const TRect second = grid_->CellRect(col, grid_->GetFullRowCount() - 1, false);
  EXPECT_EQ(PixelAt(picture.get(), second.Left + 3, second.Top + 3), RGB(200, 230, 255));
  EXPECT_NE(PixelAt(picture.get(), first.Left + 3, first.Top + 3), RGB(200, 230, 255));
}

// Under a dark custom style footers take the style's fixed colour, or, filled solid in the window
// colour, the style's background; a footer of its own colour keeps it.
TEST_F(DBGridPaintTest, UnderADarkStyleFootersTakeTheStylesColours) {
  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Onyx Blue", false));
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  grid_->GetColumns()->RebuildColumns();
  grid_->SetFooterRowCount(1);
  Column(u"NAME")->GetFooter()->SetColor(clWindow);
  Column(u"ID")->GetFooter()->SetColor(RGB(90, 20, 20));
  const struct {
    TGridCellFillStyleEh fill;
    TColor name, id;
  } cases[] = {
      {cfstSolidEh, grid_->GetInternalColor(), RGB(90, 20, 20)},
      {cfstGradientEh, clNone, clNone},  // both in the style's fixed gradient
  };
  for (const auto& c : cases) {
    grid_->GetFooterParams()->SetFillStyle(c.fill);
    ProcessPendingEvents();
    std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
    const auto face = [&](const String& field) {
      const TRect r = grid_->CellRect(grid_->DataColToGridCol(Column(field)->GetIndex()),
                                      grid_->GetFullRowCount() - 1, false);
      return PixelAt(picture.get(), r.Right - 3, r.Bottom - 3);
    };
    if (c.name == clNone) {
      EXPECT_EQ(face(u"NAME"), face(u"ID"));
      EXPECT_NE(face(u"ID"), RGB(90, 20, 20));
      continue;
    }
    EXPECT_EQ(face(u"NAME"), Sys(c.name));
    EXPECT_EQ(face(u"ID"), Sys(c.id));
  }
}

// The fixed cells' fill styles as a title shows them, and a title pressed while the mouse is down on it.
TEST_F(DBGridPaintTest, TitlesFillByTheirStyleAndAPressedTitleIsDrawnPressed) {
  grid_->GetColumns()->RebuildColumns();
  TColumnEh* qty = Column(u"QTY");
  qty->GetTitle()->SetCaption(u"Ш");
  qty->SetWidth(80);
  const TColor face = RGB(180, 200, 160);
  grid_->GetTitleParams()->SetColor(face);
  TDBGridEhOptions options = grid_->GetOptionsEh();
  options.Exclude(dghFixed3D);
  grid_->SetOptionsEh(options);
  ProcessPendingEvents();
  const TRect title = grid_->CellRect(grid_->DataColToGridCol(qty->GetIndex()), 0, false);
  // Top and bottom of the title's right part, away from the text and the lines.
  const auto topAndBottom = [&](TBitmap* p) {
    return std::make_pair(PixelAt(p, title.Right - 6, title.Top + 2),
                          PixelAt(p, title.Right - 6, title.Bottom - 3));
  };
  grid_->GetTitleParams()->SetFillStyle(cfstSolidEh);
  std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  EXPECT_EQ(topAndBottom(picture.get()), std::make_pair(face, face));
  const std::unique_ptr<TBitmap> solid = std::move(picture);

  grid_->GetTitleParams()->SetFillStyle(cfstGradientEh);
  picture = CaptureControl(grid_);
  const auto [gradientTop, gradientBottom] = topAndBottom(picture.get());
  EXPECT_NE(gradientTop, gradientBottom);
  EXPECT_GT(GetRValue(gradientTop) + GetGValue(gradientTop), GetRValue(face) + GetGValue(face));  // lighter

  grid_->GetTitleParams()->SetFillStyle(cfstThemedEh);
  options.Include(dghFixed3D);
  grid_->SetOptionsEh(options);
  EXPECT_TRUE(grid_->IsTitleThemed());
  picture = CaptureControl(grid_);
  EXPECT_NE(topAndBottom(picture.get()), topAndBottom(solid.get()));

  // Pressed: the caption moves right and down; released, the title is as before.
  grid_->GetTitleParams()->SetFillStyle(cfstSolidEh);
  const std::unique_ptr<TBitmap> released = CaptureControl(grid_);
  const auto inkBox = [&](TBitmap* p) {
    TRect box(title.Right, title.Bottom, title.Left, title.Top);
    for (Integer x = title.Left + 3; x < title.Right - 3; ++x)
      for (Integer y = title.Top + 3; y < title.Bottom - 3; ++y)
        if (PixelAt(p, x, y) != face) {
          box.Left = std::min(box.Left, x);
          box.Top = std::min(box.Top, y);
        }
    return box.TopLeft();
  };
  grid_->SetPressedTitleCell(TGridCoord{grid_->DataColToGridCol(qty->GetIndex()), 0});
  picture = CaptureControl(grid_);
  const TPoint before = inkBox(released.get());
  EXPECT_EQ(inkBox(picture.get()), TPoint(before.X + 1, before.Y + 1));
  grid_->SetPressedTitleCell(TGridCoord{-1, -1});
  picture = CaptureControl(grid_);
  EXPECT_EQ(inkBox(picture.get()), inkBox(released.get()));
}

// Raised data cells of a flat grid take the fixed cells' gradient, and a plain one with flat fixed cells.
TEST_F(DBGridPaintTest, RaisedDataCellsOfAFlatGridFillLikeTheFixedCells) {
  grid_->GetColumns()->RebuildColumns();
  Column(u"NAME")->SetColor(RGB(200, 220, 240));  // the gradient runs from the grid's colour to it
  grid_->SetFlat(true);
  TDBGridEhOptions options = grid_->GetOptionsEh();
  options.Include(dghData3D);
  grid_->SetOptionsEh(options);
  data_->SetRecNo(1);
  ProcessPendingEvents();
  const TRect r = grid_->CellRect(grid_->DataColToGridCol(Column(u"NAME")->GetIndex()),
                                  grid_->TopDataOffset() + 4, false);
  const auto topAndBottom = [&] {
    std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
    return std::make_pair(PixelAt(picture.get(), r.Right - 4, r.Top + 2),
                          PixelAt(picture.get(), r.Right - 4, r.Bottom - 3));
  };
  ASSERT_EQ(grid_->GetFixedCellDrawStyle(), 3);
  const auto [top, bottom] = topAndBottom();
  EXPECT_NE(top, bottom);
  options.Exclude(dghFixed3D);
  grid_->SetOptionsEh(options);
  ASSERT_EQ(grid_->GetFixedCellDrawStyle(), 2);
  const auto [plainTop, plainBottom] = topAndBottom();
  EXPECT_EQ(plainTop, plainBottom);
}

// Each marker style draws something in the title's marker place, pointing one way for down and the
// other for up.
TEST_F(DBGridPaintTest, SortMarkersAreDrawnInEveryStyle) {
  grid_->GetColumns()->RebuildColumns();
  TColumnEh* qty = Column(u"QTY");
  qty->SetWidth(90);
  ProcessPendingEvents();
  const TRect title = grid_->CellRect(grid_->DataColToGridCol(qty->GetIndex()), 0, false);
  const auto markerPlace = [&](TSortMarkerEh marker) {
    qty->GetTitle()->SetSortMarker(marker);
    std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
    std::vector<TColor> pixels;
    for (Integer x = title.Right - 16; x < title.Right - 1; ++x)
      for (Integer y = title.Top + 1; y < title.Bottom - 1; ++y)
        pixels.push_back(PixelAt(picture.get(), x, y));
    return pixels;
  };
  for (TSortMarkerStyleEh style : {smstFrameEh, smst3DFrameEh, smstSolidEh, smstClassicEh, smstDefaultEh}) {
    grid_->GetTitleParams()->SetSortMarkerStyle(style);
    const auto none = markerPlace(smNoneEh), down = markerPlace(smDownEh), up = markerPlace(smUpEh);
    EXPECT_NE(down, none) << "style " << style;
    EXPECT_NE(up, none) << "style " << style;
    EXPECT_NE(up, down) << "style " << style;
  }
}

// Lines by area: each case sets the grid up and looks at one line pixel against the cell's inside.
TEST_F(DBGridPaintTest, CellLinesFollowTheAreaParametersAndTheGridBoundary) {
  grid_->GetColumns()->RebuildColumns();
  for (Integer i = 0; i < grid_->GetColumns()->GetCount(); ++i)
    grid_->GetColumns()->GetColumn(i)->SetWidth(70);
  grid_->SetAutoFitColWidths(false);
  ProcessPendingEvents();
  const TColor red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  const Integer top = grid_->TopDataOffset();
  const Integer last = grid_->GetColCount() - 1;
  struct Case {
    const char* what;
    std::function<void(TDBGridLineParamsEh*)> setUp;
    Integer col, row;  // the cell whose right line is looked at
    TColor expected;   // clNone: no line, the cell's inside colour shows
  } cases[] = {
      {"data lines off", [](TDBGridLineParamsEh* l) { l->SetDataVertLines(false); }, 2, top + 1, clNone},
      {"data line colour", [&](TDBGridLineParamsEh* l) { l->SetDataVertColor(blue); }, 2, top + 1, blue},
      {"boundary colour",
       [&](TDBGridLineParamsEh* l) {
         l->SetGridBoundaries(true);
         l->SetDataBoundaryColor(red);
       },
       last, top + 1, red},
      {"boundary removed",
       [](TDBGridLineParamsEh* l) {
         l->SetGridBoundaries(true);
         l->SetDataVertLines(false);
         l->SetDataBoundaryColor(clNone);
       },
       last, top + 1, clNone},
      {"title line colour", [&](TDBGridLineParamsEh*) { grid_->GetTitleParams()->SetVertLineColor(red); }, 2,
       0, red},
      {"frozen edge is dark",
       [&](TDBGridLineParamsEh* l) {
         l->SetDataVertLines(false);
         grid_->SetFrozenCols(1);
       },
       1, top + 1, Sys(grid_->GetGridLineParams()->GetDarkColor())},
  };
  for (const Case& c : cases) {
    TDBGridLineParamsEh* lines = grid_->GetGridLineParams();
    c.setUp(lines);
    ProcessPendingEvents();
    std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
    const TRect r = grid_->CellRect(c.col, c.row, false);
    const TColor line = PixelAt(picture.get(), r.Right, r.Top + 4);
    const TColor inside = PixelAt(picture.get(), r.Right - 3, r.Top + 4);
    if (c.expected == clNone)
      EXPECT_EQ(line, inside) << c.what;
    else
      EXPECT_EQ(line, c.expected) << c.what;
    // Back to the defaults for the next case.
    lines->SetDataVertLinesStored(false);
    lines->SetDataVertColor(clDefault);
    lines->SetGridBoundaries(false);
    lines->SetDataBoundaryColor(clDefault);
    grid_->GetTitleParams()->SetVertLineColor(clDefault);
    grid_->SetFrozenCols(0);
  }
}

// Right of the last column the titles and, grid-wide, the selected row go on to the edge; below the
// last record a coloured column keeps its colour.
TEST_F(DBGridPaintTest, TheEmptySpaceContinuesTitlesRowsAndColumnColours) {
  form_->SetBounds(0, 0, 640, 800);  // room below the 30 records
  grid_->GetColumns()->RebuildColumns();
  for (Integer i = 0; i < grid_->GetColumns()->GetCount(); ++i)
    grid_->GetColumns()->GetColumn(i)->SetWidth(60);
  Column(u"QTY")->SetColor(RGB(220, 250, 220));
  TDBGridOptions options = grid_->GetDBOptions();
  options.Include(dgRowSelect);
  options.Include(dgAlwaysShowSelection);
  grid_->SetDBOptions(options);
  data_->SetRecNo(4);
  ProcessPendingEvents();
  const Integer top = grid_->TopDataOffset();
  const TRect lastTitle = grid_->CellRect(grid_->GetColCount() - 1, 0, false);
  const TRect current = grid_->CellRect(grid_->GetColCount() - 1, top + 3, false);
  const TRect other = grid_->CellRect(grid_->GetColCount() - 1, top + 1, false);
  const Integer x = lastTitle.Right + 40;
  const TColor background = Sys(grid_->GetColor());
  std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  EXPECT_EQ(PixelAt(picture.get(), x, lastTitle.Top + 4), background);
  EXPECT_EQ(PixelAt(picture.get(), x, current.Top + 4), background);

  grid_->GetGridLineParams()->SetHorzEmptySpaceStyle(deshExtendGridWideSpaceEh);
  picture = CaptureControl(grid_);
  EXPECT_NE(PixelAt(picture.get(), x, lastTitle.Top + 4), background);
  EXPECT_EQ(PixelAt(picture.get(), x, current.Top + 4),
            PixelAt(picture.get(), current.Left + 3, current.Top + 4));
  EXPECT_EQ(PixelAt(picture.get(), x, other.Top + 4), background);

  // Below the last record the coloured column fades to the background; its line runs on.
  const TRect qty = grid_->CellRect(grid_->DataColToGridCol(Column(u"QTY")->GetIndex()), top + 29, false);
  ASSERT_LT(qty.Bottom + 40, grid_->GetClientHeight());
  const TColor below = PixelAt(picture.get(), qty.Left + 5, qty.Bottom + 3);
  EXPECT_NE(below, background);
  EXPECT_EQ(PixelAt(picture.get(), qty.Left + 5, grid_->GetClientHeight() - 1), background);
}

// A title shows its picture alone or, with ShowImageAndText, beside its caption; a freed picture list
// is let go.
TEST_F(DBGridPaintTest, TitlesShowTheirPicturesAloneOrBesideTheCaption) {
  grid_->GetColumns()->RebuildColumns();
  TColumnEh* name = Column(u"NAME");
  name->SetWidth(120);
  name->GetTitle()->SetCaption(u"Наименование");
  name->GetTitle()->SetAlignment(taLeftJustify);
  const TColor face = RGB(200, 200, 200), red = RGB(255, 0, 0);
  grid_->GetTitleParams()->SetColor(face);
  grid_->GetTitleParams()->SetFillStyle(cfstSolidEh);
  auto* images = new TImageList(form_.get(), 10, 10);
  TBitmap square(10, 10);
  square.GetCanvas()->GetBrush()->SetColor(red);
  square.GetCanvas()->FillRect(TRect(0, 0, 10, 10));
  images->AddMasked(&square, clNone);
  grid_->SetTitleImages(images);
  ProcessPendingEvents();
  const TRect title = grid_->CellRect(grid_->DataColToGridCol(name->GetIndex()), 0, false);
  // Red pixels, and pixels of neither the face nor red (the caption's ink), left and right of 20.
  struct Ink {
    Integer redLeft = 0, redRight = 0, textRight = 0;
  };
  const auto ink = [&] {
    std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
    Ink result;
    for (Integer x = title.Left + 1; x < title.Right - 2; ++x)
      for (Integer y = title.Top + 1; y < title.Bottom - 2; ++y) {
        const TColor c = PixelAt(picture.get(), x, y);
        const bool left = x < title.Left + 20;
        if (c == red) ++(left ? result.redLeft : result.redRight);
        if (c != red && c != face && !left) ++result.textRight;
      }
    return result;
  };
  const Ink plain = ink();
  EXPECT_EQ(plain.redLeft + plain.redRight, 0);
  EXPECT_GT(plain.textRight, 10);

  name->GetTitle()->SetImageIndex(0);
  ProcessPendingEvents();
  const Ink alone = ink();
  EXPECT_GT(alone.redLeft, 50);
  EXPECT_EQ(alone.textRight, 0);

  name->GetTitle()->SetShowImageAndText(true);
  EXPECT_EQ(name->GetTitle()->ImageAreaWidth(), 12);
  const Ink beside = ink();
  EXPECT_GT(beside.redLeft, 50);
  EXPECT_EQ(beside.redRight, 0);
  EXPECT_GT(beside.textRight, 10);

  delete images;
  EXPECT_EQ(grid_->GetTitleImages(), nullptr);
  EXPECT_EQ(name->GetTitle()->ImageAreaWidth(), 0);
  EXPECT_NO_THROW(CaptureControl(grid_));
}

// A grid that notes the sort markers it draws.
class TMarkerRecordingGrid : public TDBGridEh {
 public:
  explicit TMarkerRecordingGrid(TComponent* owner) : TDBGridEh(owner) {}
  void DrawSortMarker(TSortMarkerEh marker, const TRect& rect, bool highlight) override {
    markers.push_back(marker);
    TDBGridEh::DrawSortMarker(marker, rect, highlight);
  }
  std::vector<TSortMarkerEh> markers;
};

// Sorted by several columns, each marked title shows its place in the sort beside the marker; a title
// too narrow drops the marker first, then the index, and keeps its caption.
TEST_F(DBGridPaintTest, SortIndexesStandBesideTheMarkersOfASortBySeveralColumns) {
  grid_->SetVisible(false);
  TDataSource* source = nullptr;
  auto* grid = ShowGridOver<TMarkerRecordingGrid>(form_.get(), data_, &source);
  grid->GetColumns()->RebuildColumns();
  TDBGridColumnsEh* columns = grid->GetColumns();
  TColumnEh* id = columns->GetColumn(0);
  TColumnEh* qty = columns->GetColumn(2);
  const auto mark = [&](Integer idIndex) {
    columns->BeginUpdate();
    id->GetTitle()->SetSortMarker(idIndex > 0 ? smDownEh : smNoneEh);
    id->GetTitle()->SetSortIndex(idIndex);
    qty->GetTitle()->SetSortMarker(smUpEh);
    qty->GetTitle()->SetSortIndex(1);
    columns->EndUpdate();
    ProcessPendingEvents();
  };
  struct Case {
    const char* what;
    Integer qtyWidth, idIndex;
    bool marker, index;
  } cases[] = {
      {"one sorted column", 90, 0, true, false},
      {"two sorted columns", 90, 2, true, true},
      {"narrow: marker dropped", 24, 2, false, true},
      {"narrower: both dropped", 14, 2, false, false},
  };
  for (const Case& c : cases) {
    qty->SetWidth(c.qtyWidth);
    mark(c.idIndex);
    const TRect title = grid->CellRect(grid->DataColToGridCol(qty->GetIndex()), 0, false);
    // The index shows as a difference from the same title painted without it.
    const auto titlePixels = [&](bool withIndex) {
      grid->OnGetTitleParams = [withIndex](TCustomDBGridEh*,
                                           TCustomDBGridEh::TDBGridDrawTitleCellParamsEh* p) {
        p->DrawSortIndex = withIndex;
      };
      std::unique_ptr<TBitmap> picture = CaptureControl(grid);
      std::vector<TColor> pixels;
      for (Integer x = title.Left; x < title.Right; ++x)
        for (Integer y = title.Top; y < title.Bottom; ++y) pixels.push_back(PixelAt(picture.get(), x, y));
      return pixels;
    };
    const std::vector<TColor> withoutIndex = titlePixels(false);
    grid->markers.clear();
    const std::vector<TColor> withIndex = titlePixels(true);
    const bool qtyMarker = std::count(grid->markers.begin(), grid->markers.end(), smUpEh) > 0;
    EXPECT_EQ(qtyMarker, c.marker) << c.what;
    EXPECT_EQ(withIndex != withoutIndex, c.index) << c.what;
  }
  // The index digits are the small sort-index font's, not the title's.
  EXPECT_LT(-TCustomDBGridEh::SortIndexFont()->GetHeight(), grid->GetTitleParams()->GetFont()->GetSize());
}

// The row-select check box under the mouse is drawn hot; the others of the same state are not.
TEST_F(DBGridPaintTest, TheRowSelectCheckBoxUnderTheMouseIsHot) {
  grid_->SetIndicatorOptions({gioShowRowIndicatorEh, gioShowRowselCheckboxesEh});
  ProcessPendingEvents();
  const Integer top = grid_->TopDataOffset();
  const auto box = [&](Integer row) {
    TRect r = grid_->CellRect(0, row, false);
    r.Right -= 11;
    r.Left = r.Right - TCustomDBGridEh::RowselCheckboxesWidth;
    return r;
  };
  const auto boxPixels = [&](TBitmap* p, Integer row) {
    const TRect r = box(row);
    std::vector<TColor> pixels;
    for (Integer x = r.Left + 2; x < r.Right - 2; ++x)
      for (Integer y = r.Top + 1; y < r.Bottom - 1; ++y) pixels.push_back(PixelAt(p, x, y));
    return pixels;
  };
  const TRect r = box(top + 4);
  const TPoint centre((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  SendMouseMove(grid_, TPoint(centre.X, centre.Y - 2));
  SendMouseMove(grid_, centre);
  ProcessPendingEvents();
  ASSERT_EQ(grid_->GetHotTrackEditButton(), 1);
  std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  EXPECT_EQ(boxPixels(picture.get(), top + 2), boxPixels(picture.get(), top + 3));
  EXPECT_NE(boxPixels(picture.get(), top + 4), boxPixels(picture.get(), top + 3));
  // Off the box, within the same cell, the box is plain again.
  SendMouseMove(grid_, TPoint(grid_->CellRect(0, top + 4, false).Right - 3, centre.Y));
  ProcessPendingEvents();
  picture = CaptureControl(grid_);
  EXPECT_EQ(boxPixels(picture.get(), top + 4), boxPixels(picture.get(), top + 3));
}

// Under a dark custom style the indicator's rows lie flat with soft lines between them, not one raised
// header item per row.
TEST_F(DBGridPaintTest, UnderADarkStyleTheIndicatorRowsLieFlat) {
  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Onyx Blue", false));
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  data_->SetRecNo(1);
  ProcessPendingEvents();
  std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
  const TRect r = grid_->CellRect(0, grid_->TopDataOffset() + 3, false);
  const TColor fill = PixelAt(picture.get(), r.Left + 4, r.Top + (r.Bottom - r.Top) / 2);
  EXPECT_EQ(PixelAt(picture.get(), r.Left + 4, r.Top), fill);
  EXPECT_EQ(PixelAt(picture.get(), r.Left + 4, r.Bottom - 1), fill);
  // The line under the row is nearer the fill than the grid's dark line colour is.
  const auto distance = [](TColor a, TColor b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
  };
  const TColor line = PixelAt(picture.get(), r.Left + 4, r.Bottom);
  EXPECT_NE(line, fill);
  EXPECT_LT(distance(line, fill), distance(Sys(grid_->GetGridLineParams()->GetDarkColor()), fill));
}

// The text of a selected row and of the current cell stays readable on its highlight in both visual
// styles: the cell's lightest and darkest pixels lie far apart.
TEST_F(DBGridPaintTest, HighlightedTextStaysReadableInBothStyles) {
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  grid_->GetColumns()->RebuildColumns();
  TColumnEh* name = Column(u"NAME");
  grid_->SetSelectedIndex(name->GetIndex());
  grid_->GetSelection()->SetSelectionType(gstRecordBookmarks);
  data_->SetRecNo(2);
  grid_->GetSelectedRows()->SetCurrentRowSelected(true);
  data_->SetRecNo(6);
  for (const Char* style : {u"Windows", u"Onyx Blue"}) {
    ASSERT_TRUE(TStyleManager::TrySetStyle(style, false));
    ProcessPendingEvents();
    ASSERT_TRUE(grid_->HasFocusWithin());
    std::unique_ptr<TBitmap> picture = CaptureControl(grid_);
    for (const Integer recNo : {2, 6}) {
      const TRect r = grid_->CellRect(grid_->DataColToGridCol(name->GetIndex()),
                                      grid_->TopDataOffset() + recNo - 1, false);
      Integer darkest = 255, lightest = 0;
      for (Integer x = r.Left + 2; x < r.Right - 2; ++x)
        for (Integer y = r.Top + 2; y < r.Bottom - 2; ++y) {
          const Integer l = ColorLuminanceEh(PixelAt(picture.get(), x, y));
          darkest = std::min(darkest, l);
          lightest = std::max(lightest, l);
        }
      EXPECT_GE(lightest - darkest, 120) << StringToUtf8(style) << " record " << recNo;
    }
  }
}

// Multi-level titles take each level's wrapped caption height plus the title margin.
TEST_F(DBGridPaintTest, MultiLevelTitlesTakeTheTitleMarginOnEveryLevel) {
  grid_->GetColumns()->RebuildColumns();
  grid_->GetColumns()->GetColumn(0)->GetTitle()->SetCaption(u"Изделие|Код");
  grid_->GetColumns()->GetColumn(1)->GetTitle()->SetCaption(u"Изделие|Наименование");
  grid_->GetTitleParams()->SetMultiTitle(true);
  const auto titleHeight = [&](Integer margin) {
    grid_->GetTitleParams()->SetVTitleMargin(margin);
    ProcessPendingEvents();
    return grid_->GetRowHeights(0);
  };
  const Integer narrow = titleHeight(2), wide = titleHeight(8);
  EXPECT_EQ(wide - narrow, 2 * 6);  // two levels
  // A caption too long for its column wraps, and the title grows by the lines it takes.
  grid_->GetColumns()->GetColumn(2)->SetWidth(40);
  grid_->GetColumns()->GetColumn(2)->GetTitle()->SetCaption(u"Количество на складе готовой продукции");
  EXPECT_GT(titleHeight(8), wide);
}

// A grid that notes which of its rows are invalidated, and whether all of it is.
class TRowInvalidationGrid : public TDBGridEh {
 public:
  explicit TRowInvalidationGrid(TComponent* owner) : TDBGridEh(owner) {}
  void InvalidateRect(TGridRect gridRect) override {
    for (Integer row = gridRect.Top; row <= gridRect.Bottom; ++row) rows.insert(row);
    TDBGridEh::InvalidateRect(gridRect);
  }
  void Invalidate() override {
    whole = true;
    TDBGridEh::Invalidate();
  }
  std::set<Integer> rows;
  bool whole = false;
};

// Hot tracking with the row highlight repaints the row the mouse leaves and the one it enters, no other.
TEST_F(DBGridPaintTest, AHotRowChangeRepaintsOnlyTheOldAndTheNewRow) {
  grid_->SetVisible(false);
  TDataSource* source = nullptr;
  auto* grid = ShowGridOver<TRowInvalidationGrid>(form_.get(), data_, &source);
  TDBGridEhOptions options = grid->GetOptionsEh();
  options.Include(dghHotTrack);
  options.Include(dghRowHighlight);
  grid->SetOptionsEh(options);
  ProcessPendingEvents();
  const Integer top = grid->TopDataOffset();
  const auto centre = [&](Integer col, Integer row) {
    const TRect r = grid->CellRect(col, row, false);
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  };
  SendMouseMove(grid, centre(2, top + 2));
  ProcessPendingEvents();
  grid->rows.clear();
  grid->whole = false;
  SendMouseMove(grid, centre(2, top + 6));
  EXPECT_EQ(grid->GetHotTrackCell().Y, top + 6);
  EXPECT_EQ(grid->rows, (std::set<Integer>{top + 2, top + 6}));
  EXPECT_FALSE(grid->whole);
  // Within the same row only the cells change.
  grid->rows.clear();
  SendMouseMove(grid, centre(3, top + 6));
  EXPECT_EQ(grid->rows, (std::set<Integer>{top + 6}));
  EXPECT_FALSE(grid->whole);
}

// In view mode the duplicate check reads the neighbour rows of the in-memory table in place.
TEST(DBGridPaintViewTest, HiddenDuplicatesOverAnInMemoryTableLeaveItWhereItWas) {
  InitTestApplication();
  InitializeMemTableEh();
  auto form = std::make_unique<TForm>(nullptr, 0);
  form->SetBounds(0, 0, 640, 400);
  auto* table = new TMemTableEh(form.get());
  table->GetFieldDefs()->Add(u"ID", ftInteger);
  table->GetFieldDefs()->Add(u"KIND", ftWideString, 20);
  table->CreateDataSet();
  for (int i = 1; i <= 200; ++i) {
    table->Append();
    table->SetFields({Variant(i), Variant(u"Вид " + IntToStr((i - 1) / 3))});
    table->Post();
  }
  auto* source = new TDataSource(form.get());
  source->SetDataSet(table);
  auto* grid = new TDBGridEh(form.get());
  grid->SetParent(form.get());
  grid->SetAlign(alClient);
  grid->SetDataSource(source);
  form->Show();
  table->SetRecNo(100);
  ProcessPendingEvents();
  ASSERT_TRUE(grid->MemTableSupported());
  auto* kind = static_cast<TColumnEh*>(grid->FindFieldColumn(u"KIND"));
  kind->SetHideDuplicates(true);
  std::map<Integer, String> texts;
  grid->OnDrawColumnCell = [&](TObject*, const TRect&, Integer, TColumnEh* c, TGridDrawState) {
    if (c == kind) texts[grid->CurrentColCellParams()->Row] = grid->CurrentColCellParams()->Text;
  };
  ReadEveryVisibleRow(grid, table, source);
  ASSERT_FALSE(texts.empty());
  const Integer firstRow = texts.begin()->first;
  EXPECT_FALSE(texts.begin()->second.empty());  // the first visible row always shows its value
  for (const auto& [row, text] : texts) {
    const Integer record = row - grid->TopDataOffset() + 1;
    const bool firstOfKind = (record - 1) % 3 == 0;
    if (row != firstRow) {
      EXPECT_EQ(text.empty(), !firstOfKind) << "record " << record;
    }
  }
  EXPECT_EQ(table->RecNo(), 100);
}

}  // namespace
