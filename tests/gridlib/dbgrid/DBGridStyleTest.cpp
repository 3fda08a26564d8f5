// The shared style and default-handler objects: their defaults, which changes reach the grids, what
// becomes of the grids when they go, the colour answers, and the routes a grid hands to them.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/controls/StdCtrls.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

// Counts the style changes it is told of.
class TStyleCountingGridEh : public TDBGridEh {
 public:
  explicit TStyleCountingGridEh(TComponent* owner) : TDBGridEh(owner) {}
  void DrawStyleChanged() override {
    ++styleChanges;
    TDBGridEh::DrawStyleChanged();
  }
  TRect CellRectOf(Integer col, Integer row) { return TCustomGridEh::CellRect(col, row); }
  int styleChanges = 0;
};

// Fails to measure the display, as a broken colour query would.
class TFailingDepthStyleEh : public TDBGridEhStyle {
 public:
  void RefreshColorDepth() override {
    if (fail) throw Exception(u"no display");
  }
  bool fail = false;
};

// Counts the defaults the events left to it.
class TDefaultCountingCenterEh : public TDBGridEhCenter {
 public:
  void DefaultCellMouseClick(TCustomDBGridEh*, TGridCoord, TMouseButton, TShiftState, Integer,
                             Integer) override {
    ++defaults;
  }
  int defaults = 0;
};

class DBGridStyleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 480, 300);
    data_ = new TTestDataSet(form_.get());
    data_->GetFieldDefs()->Add(u"ID", ftInteger, 0, false);
    data_->GetFieldDefs()->Add(u"NAME", ftString, 20, false);
    data_->GetFieldDefs()->Add(u"PICTURE", ftBlob, 0, false);
    for (int i = 1; i <= 20; ++i) data_->AddRow({Variant(i), Variant(u"Деталь " + IntToStr(i)), Variant()});
    data_->Open();
  }
  void TearDown() override {
    form_.reset();
    // A test that freed the shared objects gives the next one fresh ones.
    InitDBGridEhUnit();
  }
  TStyleCountingGridEh* Grid() {
    if (!grid_) {
      grid_ = ShowGridOver<TStyleCountingGridEh>(form_.get(), data_, &source_);
      grid_->SetName(u"Grid1");
    }
    return grid_;
  }
  TColumnEh* Column(const String& field) { return static_cast<TColumnEh*>(Grid()->FindFieldColumn(field)); }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TStyleCountingGridEh* grid_ = nullptr;
};

TEST_F(DBGridStyleTest, ANewStyleAnswersItsDefaults) {
  TDBGridEhStyle style;
  EXPECT_EQ(style.GetSelectionColor(), clHighlight);
  EXPECT_EQ(style.GetSelectionFontColor(), clHighlightText);
  EXPECT_EQ(style.GetSelectionInactiveColor(), GrayColorEh(clHighlight));
  EXPECT_EQ(style.GetDataCellHorzOffset(nullptr, nullptr), 3);
  EXPECT_EQ(style.GetIsDrawFocusRect(), GetGridDefaultDrawStyle()->GetDrawFocusFrame());
  EXPECT_FALSE(style.GetIsDrawFocusRectStored());
  EXPECT_TRUE(style.GetLuminateSelection());
  EXPECT_EQ(style.GetSortMarkerStyle(), smstDefaultEh);
  EXPECT_EQ(style.GetDefaultSortMarkerStyle(), smstFrameEh);
  EXPECT_EQ(style.GetStartLoadingStatusRenderDuration(), 300);
  EXPECT_EQ(style.GetFinishLoadingStatusRenderDuration(), 500);
  EXPECT_EQ(style.GetTitleStartColumnMovingAnimationTime(), 120u);
  EXPECT_EQ(style.GetTitleFinishColumnMovingAnimationTime(), 150u);
  EXPECT_EQ(style.GetInTitleFilterButtonStyle(), ebsDropDownEh);
  EXPECT_EQ(style.GetThemeTitleFillElement(), gtfeHeaderItemEh);
  style.SetDataCellHorzOffset(5);
  EXPECT_EQ(style.GetDataCellHorzOffset(nullptr, nullptr), 5);
  style.SetSelectionColor(clRed);
  EXPECT_EQ(style.GetSelectionInactiveColor(), GrayColorEh(clRed));
}

TEST_F(DBGridStyleTest, OnlyTheNotifyingSettingsTellTheGridsAndOnlyWhenTheyChange) {
  TDBGridEhStyle style;
  Grid()->SetStyle(&style);
  EXPECT_TRUE(style.GridInChangeNotification(Grid()));
  EXPECT_FALSE(GetGlobalGridStyle()->GridInChangeNotification(Grid()));
  const bool otherFocusRect = !style.GetIsDrawFocusRect();
  struct Case {
    const char* what;
    std::function<void()> change;
    int told;
  };
  const std::vector<Case> cases{
      {"selection colour", [&] { style.SetSelectionColor(clRed); }, 1},
      {"the same selection colour", [&] { style.SetSelectionColor(clRed); }, 0},
      {"selection font colour", [&] { style.SetSelectionFontColor(clYellow); }, 1},
      {"inactive selection colour", [&] { style.SetSelectionInactiveColor(clGray); }, 0},
      {"default sort-marker style", [&] { style.SetDefaultSortMarkerStyle(smstSolidEh); }, 0},
      {"sort-marker style", [&] { style.SetSortMarkerStyle(smstSolidEh); }, 1},
      {"luminated selection", [&] { style.SetLuminateSelection(false); }, 1},
      {"gradient in the classic theme", [&] { style.SetGradientEnabledInClassicTheme(true); }, 1},
      {"data-cell offset", [&] { style.SetDataCellHorzOffset(7); }, 0},
      {"focus frame the draw style does not give", [&] { style.SetIsDrawFocusRect(otherFocusRect); }, 1},
      {"the same focus frame", [&] { style.SetIsDrawFocusRect(otherFocusRect); }, 0},
  };
  for (const Case& c : cases) {
    Grid()->styleChanges = 0;
    c.change();
    EXPECT_EQ(Grid()->styleChanges, c.told) << c.what;
  }
  EXPECT_EQ(style.GetIsDrawFocusRect(), otherFocusRect);
  EXPECT_TRUE(style.GetIsDrawFocusRectStored());
  Grid()->SetStyle(nullptr);
  EXPECT_EQ(Grid()->GetStyle(), GetGlobalGridStyle());
  EXPECT_FALSE(style.GridInChangeNotification(Grid()));
}

TEST_F(DBGridStyleTest, FreedStylesAndCentersLeaveTheirGridsSafe) {
  auto* style = new TDBGridEhStyle();
  Grid()->SetStyle(style);
  auto* second = new TDBGridEh(form_.get());
  second->SetStyle(style);
  delete style;
  // A private style gone: the grids return to the shared one.
  EXPECT_EQ(Grid()->GetStyle(), GetGlobalGridStyle());
  EXPECT_EQ(second->GetStyle(), GetGlobalGridStyle());

  delete GetGlobalGridStyle();
  EXPECT_EQ(GetGlobalGridStyle(), nullptr);
  EXPECT_EQ(Grid()->GetStyle(), nullptr);
  EXPECT_EQ(second->GetStyle(), nullptr);
  delete GetGlobalGridCenter();
  EXPECT_EQ(GetGlobalGridCenter(), nullptr);
  EXPECT_EQ(Grid()->GetCenter(), nullptr);
  // Without them the grid still paints, sorts and lays itself out.
  std::unique_ptr<TBitmap> picture = CaptureControl(Grid());
  Grid()->DefaultApplySorting();
  Grid()->SetStyle(nullptr);
  EXPECT_EQ(Grid()->GetStyle(), nullptr);

  InitDBGridEhUnit();
  ASSERT_NE(GetGlobalGridStyle(), nullptr);
  Grid()->SetStyle(nullptr);
  EXPECT_EQ(Grid()->GetStyle(), GetGlobalGridStyle());
  EXPECT_TRUE(GetGlobalGridStyle()->GridInChangeNotification(Grid()));
}

TEST_F(DBGridStyleTest, LighteningMixesTowardsLightGreyAndUngrayingPullsAwayFromMidGrey) {
  TDBGridEhStyle style;
  struct Case {
    TColor a, b;
    bool ungray;
    TColor expected;
  };
  const Case cases[] = {
      {clBlack, clBlack, false, RGB(135, 135, 135)},
      {clBlack, clBlack, true, RGB(138, 138, 138)},
      {clWhite, clWhite, false, RGB(237, 237, 237)},
      {RGB(255, 0, 0), clBlack, false, RGB(186, 135, 135)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ColorToRGB(style.LightenColor(c.a, c.b, c.ungray)), ColorToRGB(c.expected))
        << ColorToRGB(c.a) << " " << ColorToRGB(c.b) << " " << c.ungray;
}

TEST_F(DBGridStyleTest, ASelectedCellOfAnUnfocusedGridIsLightenedOnlyOnAFullColourDisplay) {
  TDBGridEhStyle style;
  TStyleCountingGridEh* grid = Grid();
  auto* elsewhere = new TEdit(form_.get());
  elsewhere->SetParent(form_.get());
  elsewhere->SetFocus();
  ProcessPendingEvents();
  ASSERT_FALSE(grid->HasFocusWithin());
  const Integer saved = DisplayColorCount;
  // Row 3 is not the current record: only the selection colours it.
  for (const Integer colours : {-1, 256}) {
    DisplayColorCount = colours;
    TColor color = clWindow;
    const bool highlighted = style.HighlightDataCellColor(grid, 1, grid->TopDataOffset() + 3, 0, 3, String(),
                                                          {}, true, color, nullptr);
    EXPECT_TRUE(highlighted);
    EXPECT_EQ(color, colours == -1
                         ? static_cast<TColor>(ColorToRGB(style.LightenColor(clWindow, clBtnShadow, false)))
                         : clBtnFace)
        << colours;
  }
  DisplayColorCount = saved;
  // Neither selected nor current, nor hot: untouched.
  TColor color = clWindow;
  EXPECT_FALSE(style.HighlightDataCellColor(grid, 1, grid->TopDataOffset() + 3, 0, 3, String(), {}, false,
                                            color, nullptr));
  EXPECT_EQ(color, clWindow);
}

TEST_F(DBGridStyleTest, SelectedFixedCellsTakeTheDarkHighlight) {
  TDBGridEhStyle style;
  TStyleCountingGridEh* grid = Grid();
  TFont font;
  TColor color = clBtnFace;
  EXPECT_FALSE(style.GetFixedCellSelectedColors(grid, 0, 0, 0, 0, {hctIndicatorEh, vctDataEh}, {}, false,
                                                color, &font));
  EXPECT_EQ(color, clBtnFace);
  const TCellAreaTypeEh fixedCells[] = {
      {hctIndicatorEh, vctDataEh}, {hctDataEh, vctTitleEh}, {hctDataEh, vctSubTitleEh}};
  for (const TCellAreaTypeEh area : fixedCells) {
    color = clBtnFace;
    font.SetColor(clBlack);
    EXPECT_TRUE(style.GetFixedCellSelectedColors(grid, 0, 0, 0, 0, area, {}, true, color, &font));
    EXPECT_EQ(color, MixColorsEh(RGB(64, 64, 64), clHighlight, 63));
    EXPECT_EQ(font.GetColor(), clWhite);
  }
}

TEST_F(DBGridStyleTest, SortMarkersHaveTheirSizesAndColours) {
  TDBGridEhStyle style;
  struct SizeCase {
    TSortMarkerStyleEh style;
    Integer cx, cy;
  };
  const SizeCase sizes[] = {{smstFrameEh, 7, 8},
                            {smstSolidEh, 9, 5},
                            {smstClassicEh, 8, 7},
                            {smst3DFrameEh, 8, 7},
                            {smstDefaultEh, 7, 8}};
  for (const SizeCase& c : sizes) {
    const TSize size = style.GetSortMarkerSize(nullptr, c.style);
    EXPECT_EQ(size.cx, c.cx) << c.style;
    EXPECT_EQ(size.cy, c.cy) << c.style;
  }
  TColor bright = clNone, dark = clNone, fill = clNone;
  style.GetSortMarkerColors(smstFrameEh, Column(u"ID"), smDownEh, true, bright, dark, fill);
  EXPECT_EQ(dark, clHighlightText);
  EXPECT_EQ(fill, clDefault);
  style.GetSortMarkerColors(smstSolidEh, Column(u"ID"), smUpEh, true, bright, dark, fill);
  EXPECT_EQ(fill, clHighlightText);
  EXPECT_EQ(dark, clDefault);
  style.GetSortMarkerColors(smst3DFrameEh, Column(u"ID"), smUpEh, false, bright, dark, fill);
  EXPECT_EQ(bright, clWindow);
}

TEST_F(DBGridStyleTest, AColourChangeOfTheSystemRemeasuresAndAFailureGoesToTheApplication) {
  TFailingDepthStyleEh style;
  std::vector<String> reported;
  Application->OnException = [&](TObject*, Exception* e) { reported.push_back(e->Message()); };
  TMessage message{};
  message.Msg = WM_SYSCOLORCHANGE;
  style.WndProc(message);
  EXPECT_TRUE(reported.empty());
  style.fail = true;
  style.WndProc(message);
  message.Msg = WM_PAINT;
  style.WndProc(message);
  EXPECT_EQ(reported, std::vector<String>{u"no display"});
  Application->OnException = nullptr;
  // This display has more than 256 colours.
  TDBGridEhStyle measuring;
  EXPECT_EQ(DisplayColorCount, -1);
}

TEST_F(DBGridStyleTest, TheSubtitleRowColourCanBeChangedByTheStylesEvent) {
  TDBGridEhStyle style;
  EXPECT_EQ(style.GetSubtitleRowColor(Grid()), MixColorsEh(Grid()->GetColor(), Grid()->GetFixedColor(), 8));
  style.OnGetSubtitleRowColor = [](TCustomDBGridEh*, TColor& color) { color = clAqua; };
  EXPECT_EQ(style.GetSubtitleRowColor(Grid()), clAqua);
}

// ---- The default-handler object ----

TEST_F(DBGridStyleTest, WithoutHandlersSortingFilteringAndMovingReachNoDataset) {
  TDBGridEhCenter center;
  EXPECT_EQ(center.GetColWidthsOptimizationMaxWaitingTime(), 2000);
  EXPECT_EQ(center.GetIndicatorTitleMenus(),
            (TDBGridEhStyleIndicatorTitleMenusEh{itmVisibleColumnsEh, itmCut, itmCopy, itmPaste, itmDelete,
                                                 itmSelectAll}));
  EXPECT_TRUE(center.GetTryUseViewScroll());
  Grid()->SetCenter(&center);
  TDataSetEventRecorder recorder(data_, source_);
  recorder.Mark();
  Grid()->DefaultApplySorting();
  Grid()->DefaultApplyFilter();
  EXPECT_FALSE(Grid()->MoveRecords(Grid()->GetSelectedRows(), 1, true));
  recorder.ExpectUnchanged("with no handler");

  std::vector<TObject*> sorted, filtered;
  center.OnApplySorting = [&](TObject* sender) { sorted.push_back(sender); };
  center.OnApplyFilter = [&](TObject* sender) { filtered.push_back(sender); };
  Grid()->DefaultApplySorting();
  Grid()->DefaultApplyFilter();
  EXPECT_EQ(sorted, std::vector<TObject*>{Grid()});
  EXPECT_EQ(filtered, std::vector<TObject*>{Grid()});
  Grid()->OnMoveRecords = [](TObject*, TBMListEh*, Integer toRecNo, Integer, bool) { return toRecNo == 2; };
  EXPECT_TRUE(Grid()->MoveRecords(Grid()->GetSelectedRows(), 2, true));
  Grid()->SetCenter(nullptr);
  EXPECT_FALSE(center.GridInChangeNotification(Grid()));
}

TEST_F(DBGridStyleTest, ACellClickReachesTheCentersDefaultUnlessAHandlerProcessedIt) {
  TDefaultCountingCenterEh center;
  Grid()->SetCenter(&center);
  const TRect cell = Grid()->CellRectOf(2, Grid()->TopDataOffset() + 1);
  struct Case {
    const char* what;
    bool gridProcesses, centerProcesses;
    int defaults;
  };
  const Case cases[] = {{"nobody processes", false, false, 1},
                        {"the center's handler processes", false, true, 0},
                        {"the grid's handler processes", true, false, 0}};
  for (const Case& c : cases) {
    center.defaults = 0;
    int centerEvents = 0;
    Grid()->OnCellMouseClick = [&](TCustomGridEh*, TGridCoord, TMouseButton, TShiftState, Integer, Integer,
                                   bool& processed) { processed = c.gridProcesses; };
    center.OnCellMouseClick = [&](TCustomGridEh*, TGridCoord, TMouseButton, TShiftState, Integer, Integer,
                                  bool& processed) {
      ++centerEvents;
      processed = c.centerProcesses;
    };
    SendClick(Grid(), TPoint(cell.Left + 4, cell.Top + 4));
    EXPECT_EQ(center.defaults, c.defaults) << c.what;
    EXPECT_EQ(centerEvents, c.gridProcesses ? 0 : 1) << c.what;
  }
  Grid()->SetCenter(GetGlobalGridCenter());
}

TEST_F(DBGridStyleTest, TheIndicatorTitlePressGoesThroughTheCenterToTheGrid) {
  TDBGridEhCenter center;
  Grid()->SetCenter(&center);
  Grid()->SetDBOptions(Grid()->GetDBOptions() + TDBGridOptions{dgMultiSelect});
  struct Case {
    const char* what;
    bool centerProcesses, gridProcesses;
    bool gridEvent, allSelected;
  };
  const Case cases[] = {{"nobody processes: the grid's default selects everything", false, false, true, true},
                        {"the grid's handler processes", false, true, true, false},
                        {"the center's handler processes", true, false, false, false}};
  for (const Case& c : cases) {
    Grid()->GetSelection()->Clear();
    bool gridEvent = false;
    center.OnIndicatorTitleMouseDown = [&](TCustomGridEh*, TGridCoord, TMouseButton, TShiftState, Integer,
                                           Integer, bool& processed) { processed = c.centerProcesses; };
    Grid()->OnIndicatorTitleMouseDown = [&](TCustomGridEh*, TGridCoord, TMouseButton, TShiftState, Integer,
                                            Integer, bool& processed) {
      gridEvent = true;
      processed = c.gridProcesses;
    };
    center.IndicatorTitleMouseDown(Grid(), TGridCoord{0, 0}, mbLeft, {}, 2, 2);
    EXPECT_EQ(gridEvent, c.gridEvent) << c.what;
    EXPECT_EQ(Grid()->GetSelection()->GetSelectionType() != gstNon, c.allSelected) << c.what;
  }
  Grid()->SetCenter(GetGlobalGridCenter());
}

TEST_F(DBGridStyleTest, SortDirectionsAndComparableTypesFollowTheField) {
  TDBGridEhCenter& center = *GetGlobalGridCenter();
  EXPECT_EQ(center.GetFirstSortMarkerState(Grid(), Column(u"NAME")), smUpEh);
  EXPECT_EQ(center.GetFirstSortMarkerState(Grid(), Column(u"ID")), smDownEh);
  EXPECT_EQ(center.GetSortOrderForSortMarker(Grid(), nullptr, smDownEh), soDescEh);
  EXPECT_EQ(center.GetSortOrderForSortMarker(Grid(), nullptr, smUpEh), soAscEh);
  try {
    center.GetSortOrderForSortMarker(Grid(), nullptr, smNoneEh);
    ADD_FAILURE() << "no order for no marker";
  } catch (Exception& e) {
    EXPECT_EQ(e.Message(), u"SortOrder for SortMarker None is not defined.");
  }
  for (TColumnEh* column : {Column(u"ID"), Column(u"NAME")}) {
    EXPECT_TRUE(center.CanColumnValueReadAsText(Grid(), column));
    EXPECT_TRUE(center.ColumnValueTypeIsComparable(Grid(), column));
  }
  TColumnEh* picture = Column(u"PICTURE");
  ASSERT_NE(picture, nullptr);
  EXPECT_FALSE(center.CanColumnValueReadAsText(Grid(), picture));
  EXPECT_FALSE(center.ColumnValueTypeIsComparable(Grid(), picture));
  // A column without a field sorts downwards first and counts as text.
  TColumnEh* unbound = Grid()->GetColumns()->Add();
  EXPECT_EQ(center.GetFirstSortMarkerState(Grid(), unbound), smDownEh);
  EXPECT_TRUE(center.CanColumnValueReadAsText(Grid(), unbound));
  EXPECT_TRUE(center.ColumnValueTypeIsComparable(Grid(), unbound));
}

TEST_F(DBGridStyleTest, TheSettingsKeeperKeepsWhatTheOptionsAllow) {
  TDBGridEhCenter& center = *GetGlobalGridCenter();
  EXPECT_EQ(center.GetColumnSettingsKeeperOptions(Grid()),
            (TColumnEhSettingsKeeperOptions{cskoColVisibleEh, cskoColIndexEh, cskoColWidthsEh,
                                            cskoDropDownRowsEh, cskoDropDownWidthEh}));
  EXPECT_EQ(center.GetGridSettingsKeeperOptions(Grid()), TDBGridEhSettingsKeeperOptions{});
  Grid()->SetOptionsEh({dghAutoSortMarking});
  Grid()->SetDBOptions({dgTitles});
  Grid()->SetRowSizingAllowed(true);
  EXPECT_EQ(center.GetColumnSettingsKeeperOptions(Grid()),
            (TColumnEhSettingsKeeperOptions{cskoColVisibleEh, cskoSortMarkerEh}));
  EXPECT_EQ(center.GetGridSettingsKeeperOptions(Grid()), TDBGridEhSettingsKeeperOptions{gskoRowHeightEh});
}

TEST_F(DBGridStyleTest, TheLastVisibleColumnIsNeverHiddenFromTheMenu) {
  TDBGridEhCenter& center = *GetGlobalGridCenter();
  TMenuItem item(nullptr);
  item.SetChecked(true);
  center.MenuVisibleColumnClick(Column(u"ID"), &item);
  EXPECT_FALSE(Column(u"ID")->GetVisible());
  EXPECT_FALSE(item.GetChecked());
  center.MenuVisibleColumnClick(Column(u"PICTURE"), &item);
  item.SetChecked(true);
  ASSERT_EQ(Grid()->GetVisibleColumns()->GetCount(), 1);
  center.MenuVisibleColumnClick(Column(u"NAME"), &item);
  EXPECT_TRUE(Column(u"NAME")->GetVisible());
  EXPECT_TRUE(item.GetChecked());
}

TEST_F(DBGridStyleTest, UnitRoutinesNameStoragePathsSwapRectanglesAndNestTheWaitCursor) {
  String path;
  GetComponentStoragePath(nullptr, path);
  EXPECT_EQ(path, u"");
  GetComponentStoragePath(form_.get(), path);
  EXPECT_EQ(path, u"TForm");
  GetComponentStoragePath(Grid(), path);
  EXPECT_EQ(path, u"TFormGrid1");
  auto* frame = new TComponent(form_.get());
  frame->SetName(u"Sub");
  auto* inner = new TComponent(frame);
  inner->SetName(u"Inner");
  GetComponentStoragePath(inner, path);
  EXPECT_EQ(path, u"TFormSub.Inner");
  TComponent loose(nullptr);
  loose.SetName(u"Loose");
  GetComponentStoragePath(&loose, path);
  EXPECT_EQ(path, u"Loose");

  TRect rect(10, 20, 40, 30);
  SwapRectSides(rect);
  EXPECT_EQ(rect, TRect(10, 20, 20, 50));

  Screen->SetCursor(crDefault);
  BeginWaitCursor();
  BeginWaitCursor();
  EXPECT_EQ(Screen->GetCursor(), crHourGlass);
  EndWaitCursor();
  EXPECT_EQ(Screen->GetCursor(), crHourGlass);
  EndWaitCursor();
  EXPECT_EQ(Screen->GetCursor(), crDefault);
  EndWaitCursor();
  EXPECT_EQ(Screen->GetCursor(), crDefault);
}

TEST_F(DBGridStyleTest, TheRecordNumberAreaHoldsOneZeroPerDigit) {
  TStyleCountingGridEh* grid = Grid();
  EXPECT_EQ(grid->CalcIndicatorColWidth(), 11);
  TCanvas* canvas = GetScreenCanvasEh();
  canvas->GetFont()->Assign(grid->GetFont());
  canvas->GetFont()->SetSize(grid->GetFont()->GetSize() - 1);
  grid->SetOptionsEh(grid->GetOptionsEh() + TDBGridEhOptions{dghShowRecNo});
  // Twenty records: two zeros.
  EXPECT_EQ(grid->DefaultCalcIndicatorRowNumAreaWidth(), std::max(11, canvas->TextWidth(u"00") + 2));
  EXPECT_EQ(grid->CalcIndicatorColWidth(), 11 + grid->DefaultCalcIndicatorRowNumAreaWidth());
  data_->Close();
  data_->Open();
  while (!data_->IsEmpty()) data_->Delete();
  EXPECT_EQ(grid->DefaultCalcIndicatorRowNumAreaWidth(), std::max(11, canvas->TextWidth(u"0") + 2));
  grid->SetDBOptions(grid->GetDBOptions() - TDBGridOptions{dgIndicator});
  EXPECT_EQ(grid->DefaultCalcIndicatorRowNumAreaWidth(), std::max(11, canvas->TextWidth(u"0") + 4));
}

TEST_F(DBGridStyleTest, SelectedRowsTellEachBookmarkThatEntersOrLeaves) {
  std::vector<TListNotification> actions;
  Grid()->OnSelectedRowsItemChanged = [&](TObject* sender, const TBookmark&, TListNotification action) {
    EXPECT_EQ(sender, Grid());
    actions.push_back(action);
  };
  Grid()->GetSelectedRows()->SetCurrentRowSelected(true);
  data_->Next();
  Grid()->GetSelectedRows()->SetCurrentRowSelected(true);
  Grid()->GetSelectedRows()->SetCurrentRowSelected(false);
  EXPECT_EQ(actions, (std::vector<TListNotification>{lnAdded, lnAdded, lnDeleted}));
}

}  // namespace
