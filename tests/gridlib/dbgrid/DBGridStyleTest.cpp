// The shared style and default-handler objects: their defaults, which changes reach the grids, what
// becomes of the grids when they go, the colour answers, and the routes a grid hands to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "platform/controls/StdCtrls.h"
#include "platform/controls/StyleManager.h"
#include "platform/rtl/ScopeGuard.h"
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
  using TCustomDBGridEh::TitleBtnClick;
  int styleChanges = 0;
};

// Fails to measure the display, as a broken colour query would.
class TFailingDepthStyleEh : public TDBGridEhStyle {
 public:
  void RefreshColorDepth() override {
    ++measures;
    if (fail) throw Exception(u"no display");
  }
  bool fail = false;
  int measures = 0;
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

// Records what painting asks of it and paints the selected cells a colour of its own.
class TRouteRecordingStyleEh : public TDBGridEhStyle {
 public:
  struct TAsk {
    Integer col, row, dataCol, dataRow;
    bool selected;
  };
  bool HighlightDataCellColor(TCustomDBGridEh* grid, Integer col, Integer row, Integer dataCol,
                              Integer dataRow, const String& value, TGridDrawState state, bool selected,
                              TColor& color, TFont* font) override {
    asks.push_back({col, row, dataCol, dataRow, selected});
    if (!selected)
      return TDBGridEhStyle::HighlightDataCellColor(grid, col, row, dataCol, dataRow, value, state, selected,
                                                    color, font);
    color = RGB(10, 200, 30);
    return true;
  }
  Integer GetDataCellHorzOffset(TCustomDBGridEh*, TColumnEh* column) const override {
    offsetColumns.push_back(column);
    return 9;
  }
  void DrawFixedCellBackground(TCustomDBGridEh* grid, TCanvas* canvas, const TRect& rect, bool fillInside,
                               TRect& insideRect, TGridDrawState state,
                               TDBGridDrawFixedStateEh& fixedState) override {
    ++fixedCells;
    TDBGridEhStyle::DrawFixedCellBackground(grid, canvas, rect, fillInside, insideRect, state, fixedState);
  }
  void DrawTitleCellBackground(TCustomDBGridEh* grid, TColumnEh* column, TCanvas* canvas, const TRect& rect,
                               bool fillInside, TRect& insideRect, TGridDrawState state,
                               TDBGridDrawTitleCellParamsEh* titleState, const TRect& clipRect) override {
    titleColumns.push_back(column);
    TDBGridEhStyle::DrawTitleCellBackground(grid, column, canvas, rect, fillInside, insideRect, state,
                                            titleState, clipRect);
  }
  int fixedCells = 0;
  std::vector<TColumnEh*> titleColumns;
  std::vector<TAsk> asks;
  mutable std::vector<TColumnEh*> offsetColumns;
};

// Records the searches and find dialogs the grid hands to it, and the cursor they ran under.
class TRouteRecordingCenterEh : public TDBGridEhCenter {
 public:
  bool LocateText(TCustomDBGridEh*, const String& fieldName, const String& text, TLocateTextOptionsEh,
                  TLocateTextDirectionEh, TLocateTextMatchingEh, TLocateTextTreeFindRangeEh, Cardinal,
                  const std::function<void(TColumnEh*, bool&)>& checkValueEvent) override {
    located.push_back(fieldName + u":" + text);
    cursor = Screen->GetCursor();
    gotCheck = static_cast<bool>(checkValueEvent);
    if (fail) throw Exception(u"search failed");
    return true;
  }
  void ExecuteFindDialog(TCustomDBGridEh*, const String& text, bool modal) override {
    dialogs.push_back(text + (modal ? u" modal" : u" modeless"));
  }
  std::vector<String> located, dialogs;
  TCursor cursor = crDefault;
  bool gotCheck = false, fail = false;
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
  // A change of the visual style is such a colour change; a freed style hears of none.
  style.fail = false;
  const int before = style.measures;
  { TFailingDepthStyleEh gone; }
  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Onyx Blue", false));
  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Windows", false));
  EXPECT_EQ(style.measures, before + 2);
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

TEST_F(DBGridStyleTest, PaintingAsksTheGridsStyleForHighlightsFocusFrameAndTextOffsets) {
  TRouteRecordingStyleEh style;
  TStyleCountingGridEh* grid = Grid();
  grid->SetBorderStyle(bsNone);  // client and picture coordinates agree
  grid->SetStyle(&style);
  grid->GetSelection()->SetSelectionType(gstRecordBookmarks);
  data_->SetRecNo(3);
  grid->GetSelectedRows()->SetCurrentRowSelected(true);
  data_->SetRecNo(1);
  ProcessPendingEvents();
  style.asks.clear();
  style.offsetColumns.clear();
  style.fixedCells = 0;
  style.titleColumns.clear();
  std::unique_ptr<TBitmap> picture = CaptureControl(grid);

  // Every data cell is asked with its grid and data coordinates; only record 3's cells as selected.
  const Integer top = grid->TopDataOffset(), indicator = grid->GetIndicatorOffset();
  ASSERT_FALSE(style.asks.empty());
  Integer selectedAsks = 0;
  for (const TRouteRecordingStyleEh::TAsk& ask : style.asks) {
    EXPECT_EQ(ask.col, ask.dataCol + indicator);
    EXPECT_EQ(ask.row, ask.dataRow + top);
    if (ask.selected) {
      EXPECT_EQ(ask.dataRow, 2);
      ++selectedAsks;
    }
  }
  EXPECT_GT(selectedAsks, 0);
  const TRect cell = grid->CellRectOf(indicator + 1, top + 2);
  EXPECT_EQ(PixelAt(picture.get(), cell.Right - 3, cell.Top + 2), RGB(10, 200, 30));

  // The titles and the other fixed cells (the indicator here) are the style's backgrounds.
  EXPECT_GT(style.fixedCells, static_cast<int>(style.titleColumns.size())) << "every title draws one too";
  EXPECT_NE(std::find(style.titleColumns.begin(), style.titleColumns.end(), Column(u"NAME")),
            style.titleColumns.end());

  // Text offsets are the style's, asked per column.
  EXPECT_FALSE(style.offsetColumns.empty());
  EXPECT_EQ(Column(u"NAME")->GetDataCellHorzOffset(), 9);

  // The focus frame follows the style's setting whichever way it is set.
  for (bool frame : {false, true, false}) {
    style.SetIsDrawFocusRect(frame);
    EXPECT_EQ(grid->GetSelectionDrawParams()->GetDrawFocusFrame(), frame);
  }
}

TEST_F(DBGridStyleTest, TextSearchAndTheFindDialogGoThroughTheDefaultHandler) {
  TRouteRecordingCenterEh center;
  TStyleCountingGridEh* grid = Grid();
  grid->SetCenter(&center);
  const TCursor before = Screen->GetCursor();
  ASSERT_NE(before, crHourGlass);

  EXPECT_TRUE(grid->LocateText(grid, u"NAME", u"Деталь 7", {}, ltdAllEh, ltmWholeEh, lttInAllNodesEh, 0,
                               [](TColumnEh*, bool&) {}));
  EXPECT_EQ(center.located, std::vector<String>{u"NAME:Деталь 7"});
  EXPECT_EQ(center.cursor, crHourGlass);
  EXPECT_TRUE(center.gotCheck);
  EXPECT_EQ(Screen->GetCursor(), before);
  EXPECT_EQ(data_->RecNo(), 1) << "the handler answered; the grid searched nothing itself";

  // A failing search still gives the cursor back.
  center.fail = true;
  EXPECT_THROW(grid->LocateText(grid, u"", u"x", {}, ltdAllEh, ltmAnyPartEh, lttInAllNodesEh), Exception);
  EXPECT_EQ(Screen->GetCursor(), before);

  grid->ShowFindDialog(u"Дет", true);
  grid->ShowFindDialog(u"", false);
  EXPECT_EQ(center.dialogs, (std::vector<String>{u"Дет modal", u" modeless"}));
}

TEST_F(DBGridStyleTest, MovingTheTopLeftCellRaisesTheGridsEvent) {
  TStyleCountingGridEh* grid = Grid();
  for (const String field : {u"ID", u"NAME"}) Column(field)->SetWidth(400);
  ProcessPendingEvents();
  Integer events = 0;
  grid->OnTopLeftChanged = [&](TObject* sender) {
    EXPECT_EQ(sender, grid);
    ++events;
  };
  const Integer first = grid->TCustomGridEh::GetLeftCol();
  grid->SetLeftCol(first + 1);
  EXPECT_EQ(events, 1);
  grid->SetLeftCol(first + 1);
  EXPECT_EQ(events, 1) << "no move, no event";
  grid->SetLeftCol(first);
  EXPECT_EQ(events, 2);
}

TEST_F(DBGridStyleTest, WithoutThemesAFocusedGridPaintsTheSelectionInTheStylesColours) {
  const bool themes = ThemesEnabled();
  SetThemesEnabled(false);
  auto restoreThemes = MakeScopeExit([themes] { SetThemesEnabled(themes); });
  TDBGridEhStyle style;
  style.SetSelectionColor(clNavy);
  style.SetSelectionFontColor(clYellow);
  TStyleCountingGridEh* grid = Grid();
  grid->SetFocus();
  ProcessPendingEvents();
  ASSERT_TRUE(grid->HasFocusWithin());
  const Integer top = grid->TopDataOffset(), current = grid->GetRow();
  const Integer col = grid->GetCol(), dataCol = grid->GetSelectedIndex();
  const TColor lightened = static_cast<TColor>(ColorToRGB(style.LightenColor(clWindow, clNavy, true)));
  struct Case {
    const char* what;
    Integer row;
    bool selected, luminate;
    TColor color, font;
  };
  const Case cases[] = {
      {"the current cell", current, true, true, clNavy, clYellow},
      {"another selected cell", top + 4, true, true, lightened, clBlack},
      {"another selected cell, not luminated", top + 4, true, false, clWindow, clBlack},
      {"an unselected cell", top + 4, false, true, clWindow, clBlack},
  };
  for (const Case& c : cases) {
    style.SetLuminateSelection(c.luminate);
    TFont font;
    font.SetColor(clBlack);
    TColor color = clWindow;
    const bool highlighted = style.HighlightDataCellColor(grid, col, c.row, dataCol, c.row - top, String(),
                                                          {}, c.selected, color, &font);
    EXPECT_EQ(highlighted, c.selected) << c.what;
    EXPECT_EQ(color, c.color) << c.what;
    EXPECT_EQ(font.GetColor(), c.font) << c.what;
  }

  // With themes the current cell is the theme's selected cell: its text takes the element's text colour
  // whatever the font had.
  SetThemesEnabled(true);
  {
    TFont font;
    font.SetColor(clBlack);
    TColor color = clWindow;
    style.HighlightDataCellColor(grid, col, current, dataCol, current - top, String(), {gdFocused}, true,
                                 color, &font);
    TColor elementText = clNone;
    StyleServices()->GetElementColor(StyleServices()->GetElementDetails(tgCellSelected), ecTextColor,
                                     elementText);
    EXPECT_EQ(font.GetColor(), elementText);
  }
  SetThemesEnabled(false);

  // The grid loses the focus: its current cell keeps an inactive selection while the grid shows it.
  auto* elsewhere = new TEdit(form_.get());
  elsewhere->SetParent(form_.get());
  elsewhere->SetFocus();
  ProcessPendingEvents();
  grid->SetDBOptions(grid->GetDBOptions() + TDBGridOptions{dgAlwaysShowSelection});
  TFont font;
  TColor color = clWindow;
  EXPECT_TRUE(style.HighlightDataCellColor(grid, col, current, dataCol, current - top, String(), {gdSelected},
                                           false, color, &font));
  EXPECT_EQ(color, style.GetSelectionInactiveColor());
  EXPECT_EQ(color, GrayColorEh(clNavy));
  EXPECT_EQ(font.GetColor(), clYellow);
}

TEST_F(DBGridStyleTest, UnderACustomStyleColumnsAndFixedCellsTakeTheStylesColours) {
  TDBGridEhStyle style;
  TStyleCountingGridEh* grid = Grid();
  TColumnEh* plain = Column(u"ID");
  TColumnEh* coloured = Column(u"NAME");
  coloured->SetColor(clYellow);
  coloured->GetFont()->SetColor(clRed);
  // Without a custom style the columns' own colours stand.
  EXPECT_EQ(style.GetColumnColor(coloured), clYellow);
  EXPECT_EQ(style.GetColumnFontColor(coloured, {gdSelected}), clRed);

  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Onyx Blue", false));
  auto restoreStyle = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  ASSERT_TRUE(style.IsCustomStyleActive());
  const TColor face = StyleServices()->GetStyleColor(scGrid);
  const TColor text = StyleServices()->GetStyleFontColor(sfGridItemNormal);
  const TColor selectedText = StyleServices()->GetStyleFontColor(sfGridItemSelected);
  EXPECT_EQ(face, static_cast<TColor>(ColorToRGB(clWindow)));
  EXPECT_EQ(style.GetColumnColor(plain), face) << "the grid's own colour is the style's";
  EXPECT_EQ(style.GetColumnColor(coloured), MixColorsEh(face, clYellow, 85));
  EXPECT_EQ(style.GetColumnFontColor(plain, {}), text);
  EXPECT_EQ(style.GetColumnFontColor(plain, {gdSelected}), selectedText);
  EXPECT_EQ(style.GetColumnFontColor(coloured, {}), MixColorsEh(text, clRed, 85));

  // A selected cell of the focused grid that is not the current one stays dark enough for the style's
  // light text.
  grid->SetFocus();
  ProcessPendingEvents();
  const Integer otherRow = grid->GetRow() + 3;
  TColor cell = clWindow;
  ASSERT_TRUE(style.HighlightDataCellColor(grid, grid->GetCol(), otherRow, grid->GetSelectedIndex(),
                                           otherRow - grid->TopDataOffset(), String(), {}, true, cell,
                                           nullptr));
  const auto brightness = [](TColor c) {
    const TColorRef rgb = ColorToRGB(c);
    return GetRValue(rgb) + GetGValue(rgb) + GetBValue(rgb);
  };
  EXPECT_NE(ColorToRGB(cell), ColorToRGB(clWindow)) << "the selection shows";
  EXPECT_GT(brightness(text), brightness(cell) + 250);

  // A selected title: the dark highlight over the style's fixed colour, in its fixed text colour.
  grid->Invalidate();
  CaptureControl(grid);
  TFont font;
  TColor color = clBtnFace;
  EXPECT_TRUE(
      style.GetFixedCellSelectedColors(grid, 1, 0, 0, 0, {hctDataEh, vctTitleEh}, {}, true, color, &font));
  EXPECT_EQ(color, MixColorsEh(RGB(64, 64, 64), grid->GetInternalFixedColor(), 63));
  EXPECT_EQ(font.GetColor(), grid->GetInternalFixedFontColor());
  EXPECT_NE(ColorToRGB(grid->GetInternalFixedColor()),
            ColorToRGB(TSysColorPalette().GetSysColor(COLOR_BTNFACE)));
  // The fixed cells' element colours: gradients only for the gradient fill; nothing without a style.
  TColor fill = clNone, fixedText = clNone, start = clNone, end = clNone;
  style.GetCustomStyleFixedColors(fill, fixedText, start, end, cfstSolidEh, false, false);
  EXPECT_NE(fill, clNone);
  EXPECT_NE(fixedText, clNone);
  EXPECT_EQ(start, clNone);
  style.GetDefaultFixedGradientColor(start, end, false, false);
  EXPECT_NE(start, clNone);
  EXPECT_NE(end, clNone);
  TStyleManager::TrySetStyle(u"Windows", false);
  style.GetCustomStyleFixedColors(fill, fixedText, start, end, cfstSolidEh, false, false);
  EXPECT_EQ(fill, clNone);
  EXPECT_EQ(end, clNone);
}

TEST_F(DBGridStyleTest, FixedCellBackgroundsLeaveTheRoomInsideTheirFramesAndLines) {
  TDBGridEhStyle style;
  TStyleCountingGridEh* grid = Grid();
  ASSERT_FALSE(grid->GetFlat());
  const bool themes = ThemesEnabled();
  auto restoreThemes = MakeScopeExit([themes] { SetThemesEnabled(themes); });
  SetThemesEnabled(true);
  struct Case {
    const char* what;
    TGridCellFillStyleEh fill;
    bool frame, borders;
    TRect inside;
  };
  const Case cases[] = {
      {"a raised solid cell", cfstSolidEh, true, false, TRect(2, 1, 38, 19)},
      {"a solid cell without a frame", cfstSolidEh, false, false, TRect(2, 0, 39, 20)},
      {"a themed cell", cfstThemedEh, false, false, TRect(2, 1, 38, 19)},
      {"a raised cell with its borders in the fill", cfstSolidEh, true, true, TRect(1, 1, 38, 18)},
  };
  for (const Case& c : cases) {
    TBitmap picture;
    picture.SetSize(40, 20);
    TCanvas* canvas = picture.GetCanvas();
    canvas->GetBrush()->SetColor(clWhite);
    canvas->FillRect(TRect(0, 0, 40, 20));
    TDBGridDrawFixedStateEh state;
    state.FillStyle = c.fill;
    state.FillColor = clYellow;
    state.The3DRect = c.frame;
    state.HorzBorderInFillStyle = state.VertBorderInFillStyle = c.borders;
    state.HorzLineColor = clRed;
    state.VertLineColor = clLime;
    TRect inside;
    style.DrawFixedCellBackground(grid, canvas, TRect(0, 0, 40, 20), true, inside, {}, state);
    EXPECT_EQ(inside, c.inside) << c.what;
    if (c.fill == cfstSolidEh) {
      EXPECT_EQ(PixelAt(&picture, 20, 10), clYellow) << c.what;
    }
    if (c.borders) {
      EXPECT_EQ(PixelAt(&picture, 20, 19), clRed) << "the bottom line";
      EXPECT_EQ(PixelAt(&picture, 39, 10), clLime) << "the right line";
    }
  }

  // A title under a custom style: no 3-D frame, and its font takes the style's fixed-cell text colour.
  ASSERT_TRUE(TStyleManager::TrySetStyle(u"Onyx Blue", false));
  auto restoreStyle = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  TBitmap picture;
  picture.SetSize(40, 20);
  TFont font;
  font.SetColor(clRed);
  TDBGridDrawTitleCellParamsEh title;
  title.Color = grid->GetInternalFixedColor();
  title.Font = &font;
  title.Draw3DBorder = true;
  TRect inside;
  style.DrawTitleCellBackground(grid, Column(u"ID"), picture.GetCanvas(), TRect(0, 0, 40, 20), true, inside,
                                {}, &title, TRect());
  TColor fill = clNone, text = clNone, start = clNone, end = clNone;
  style.GetCustomStyleFixedColors(fill, text, start, end, grid->GetTitleParams()->GetActualFillStyle(), false,
                                  false);
  EXPECT_EQ(font.GetColor(), text);
  EXPECT_EQ(picture.GetCanvas()->GetFont()->GetColor(), text);
}

TEST_F(DBGridStyleTest, SortMarkersPointTheirWayInEveryStyle) {
  TDBGridEhStyle style;
  // The marker's rectangle starts at (5, 5); each case names a pixel inside one direction only.
  struct Case {
    TSortMarkerStyleEh style;
    TSortMarkerEh direction;
    Integer x, y;
    bool marked;
  };
  const Case cases[] = {
      {smstFrameEh, smDownEh, 6, 5, true},   {smstFrameEh, smUpEh, 6, 5, false},
      {smstSolidEh, smDownEh, 6, 5, true},   {smstSolidEh, smUpEh, 6, 5, false},
      {smstClassicEh, smDownEh, 6, 7, true}, {smstClassicEh, smUpEh, 6, 7, false},
      {smstFrameEh, smNoneEh, 9, 5, false},
  };
  for (const Case& c : cases) {
    TBitmap picture;
    picture.SetSize(20, 20);
    TCanvas* canvas = picture.GetCanvas();
    canvas->GetBrush()->SetColor(clWhite);
    canvas->FillRect(TRect(0, 0, 20, 20));
    const TSize size = style.GetSortMarkerSize(canvas, c.style);
    style.DrawSortMarkerNew(canvas, c.style, c.direction, false, TRect(5, 5, 5 + size.cx, 5 + size.cy),
                            clDefault, clBlack, clBlack);
    const TColorRef pixel = ColorToRGB(PixelAt(&picture, c.x, c.y));
    EXPECT_EQ(GetRValue(pixel) < 200, c.marked) << c.style << " " << c.direction;
    EXPECT_EQ(canvas->GetPen()->GetColor(), clBlack) << "the pen is given back";
  }
}

TEST_F(DBGridStyleTest, PicturesOfAStyledGridInBothVisualStyles) {
  const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "set KIV_SCREENSHOT_DIR to write the pictures";
  auto restoreStyle = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  TStyleCountingGridEh* grid = Grid();
  form_->SetBounds(0, 0, 560, 330);
  grid->SetOptionsEh(grid->GetOptionsEh() + TDBGridEhOptions{dghAutoSortMarking, dghMultiSortMarking});
  grid->SetFooterRowCount(1);
  Column(u"ID")->GetFooter()->SetValueType(fvtCount);
  Column(u"NAME")->SetWidth(180);
  Column(u"NAME")->GetTitle()->SetSortMarker(smUpEh);
  Column(u"ID")->GetTitle()->SetSortMarker(smDownEh);
  grid->GetSelection()->SetSelectionType(gstRecordBookmarks);
  for (const Integer recNo : {4, 5}) {
    data_->SetRecNo(recNo);
    grid->GetSelectedRows()->SetCurrentRowSelected(true);
  }
  data_->SetRecNo(2);
  grid->SetFocus();
  struct Picture {
    const char16_t* style;
    TGridCellFillStyleEh fill;
    TSortMarkerStyleEh marker;
    const char16_t* name;
  };
  const Picture pictures[] = {
      {u"Windows", cfstDefaultEh, smstDefaultEh, u"windows-default"},
      {u"Windows", cfstSolidEh, smstSolidEh, u"windows-solid"},
      {u"Windows", cfstGradientEh, smstClassicEh, u"windows-gradient"},
      {u"Onyx Blue", cfstDefaultEh, smstDefaultEh, u"onyx-default"},
      {u"Onyx Blue", cfstSolidEh, smstSolidEh, u"onyx-solid"},
  };
  for (const Picture& p : pictures) {
    ASSERT_TRUE(TStyleManager::TrySetStyle(p.style, false));
    grid->GetTitleParams()->SetFillStyle(p.fill);
    grid->GetTitleParams()->SetSortMarkerStyle(p.marker);
    ProcessPendingEvents();
    CaptureControl(form_.get())->SaveToFile(Utf8ToString(dir) + u"/style-" + p.name + u".bmp");
  }
}

namespace {
// Answers every cell with a menu of its own.
class TOwnMenuCenterEh : public TDBGridEhCenter {
 public:
  TPopupMenu* GetCellPopupMenu(TCustomDBGridEh*, TGridCoord, TCellAreaTypeEh, TColumnEh*) override {
    return menu;
  }
  TPopupMenu* menu = nullptr;
};
}  // namespace

TEST_F(DBGridStyleTest, TheIndicatorTitleMenuIsBuiltOfSharedItemsByTheCenter) {
  TDBGridEhCenter& center = *GetGlobalGridCenter();
  TStyleCountingGridEh* grid = Grid();
  const auto captionsOf = [](TMenuItem* items) {
    std::vector<String> captions;
    for (Integer i = 0; i < items->GetCount(); ++i) captions.push_back(items->GetItem(i)->GetCaption());
    return captions;
  };
  Column(u"PICTURE")->GetTitle()->SetCaption(String());
  Column(u"NAME")->GetTitle()->SetCaption(u"Изделие|Марка");
  grid->GetTitleParams()->SetMultiTitle(true);

  // Without a menu: the shared one, emptied at every build, so building twice doubles nothing.
  TPopupMenu* menu = nullptr;
  center.BuildIndicatorTitleMenu(grid, menu);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->GetName(), u"DBGridEhIndicatorTitlePopupMenu");
  TPopupMenu* again = nullptr;
  center.BuildIndicatorTitleMenu(grid, again);
  EXPECT_EQ(again, menu);
  const std::vector<String> all{u"Видимые столбцы", u"Вырезать", u"Копировать",
                                u"Вставить",        u"Удалить",  u"Выбрать все"};
  EXPECT_EQ(captionsOf(menu->GetItems()), all);
  TMenuItem* columns = menu->GetItems()->GetItem(0);
  // The column without a caption is left out; a multi-level caption reads as one line.
  EXPECT_EQ(captionsOf(columns), (std::vector<String>{u"ID", u"Изделие - Марка"}));
  EXPECT_EQ(menu->GetItems()->GetItem(5)->GetShortCut(), ShortCut('A', TShiftState{ssCtrl}));

  // Into a menu of the form's: a separator first when it has items, then only the kinds asked for.
  TPopupMenu own(form_.get());
  auto* first = new TMenuItem(&own);
  first->SetCaption(u"Печать");
  own.GetItems()->Add(first);
  TPopupMenu* given = &own;
  center.SetIndicatorTitleMenus({itmSelectAll});
  center.BuildIndicatorTitleMenu(grid, given);
  EXPECT_EQ(captionsOf(own.GetItems()), (std::vector<String>{u"Печать", u"-", u"Выбрать все"}));
  EXPECT_EQ(captionsOf(menu->GetItems()), std::vector<String>(all.begin(), all.end() - 1))
      << "the shared item moved over; the rest stay";
  center.SetIndicatorTitleMenus({});
  center.BuildIndicatorTitleMenu(grid, given);
  EXPECT_EQ(captionsOf(own.GetItems()), (std::vector<String>{u"Печать", u"-", u"Выбрать все", u"-"}));
  center.SetIndicatorTitleMenus({itmVisibleColumnsEh, itmCut, itmCopy, itmPaste, itmDelete, itmSelectAll});
  grid->GetIndicatorTitle()->SetUseGlobalMenu(false);
  TPopupMenu* none = nullptr;
  center.BuildIndicatorTitleMenu(grid, none);
  EXPECT_EQ(none->GetItems()->GetCount(), 0);
  grid->GetIndicatorTitle()->SetUseGlobalMenu(true);

  // The items act on the grid they were built for, and the column items keep the menu open.
  grid->SetEditActions({geaSelectAllEh});
  menu = nullptr;
  grid->BuildIndicatorTitleMenu(menu);
  menu->GetItems()->Find(u"Выбрать все")->Click();
  EXPECT_EQ(grid->GetSelection()->GetSelectionType(), gstAll);
  auto* nameItem = static_cast<TColumnEhMenuItem*>(menu->GetItems()->GetItem(0)->GetItem(1));
  EXPECT_FALSE(nameItem->GetCloseMenuOnClick());
  nameItem->Click();
  EXPECT_FALSE(Column(u"NAME")->GetVisible());
  EXPECT_FALSE(nameItem->GetChecked());
  // A grid that left the center is not reached by the items built for it.
  grid->GetSelection()->Clear();
  TDBGridEhCenter other;
  grid->SetCenter(&other);
  menu->GetItems()->Find(u"Выбрать все")->Click();
  EXPECT_EQ(grid->GetSelection()->GetSelectionType(), gstNon);

  // A cell's menu is the center's answer.
  TOwnMenuCenterEh answering;
  TPopupMenu answer(form_.get());
  answering.menu = &answer;
  grid->SetCenter(&answering);
  EXPECT_EQ(grid->GetCellPopupMenu({1, 1}, {hctDataEh, vctDataEh}, Column(u"ID")), &answer);
  grid->SetCenter(nullptr);
}

namespace {
// Records the hooks and answers the painting and title clicks ask of it.
class THookRecordingCenterEh : public TDBGridEhCenter {
 public:
  void GetColCellParams(TCustomDBGridEh*, TColumnEh* column, bool, TAxisColCellParamsEh*) override {
    cellColumns.insert(column);
  }
  void GetTitleParams(TCustomDBGridEh*, TColumnEh* column, TFont*, TColor& background, TSortMarkerEh&,
                      bool) override {
    titleColumns.insert(column);
    background = clAqua;
  }
  TSortMarkerEh GetFirstSortMarkerState(TCustomDBGridEh*, TColumnEh*) override { return smUpEh; }
  std::set<TColumnEh*> cellColumns, titleColumns;
};
}  // namespace

TEST_F(DBGridStyleTest, PaintingAndTitleClicksAskTheCenter) {
  THookRecordingCenterEh center;
  TStyleCountingGridEh* grid = Grid();
  grid->SetCenter(&center);
  CaptureControl(grid);
  EXPECT_EQ(center.cellColumns, (std::set<TColumnEh*>{Column(u"ID"), Column(u"NAME"), Column(u"PICTURE")}));
  EXPECT_EQ(center.titleColumns, (std::set<TColumnEh*>{Column(u"ID"), Column(u"NAME"), Column(u"PICTURE")}));

  // A title click starts from the center's first direction; a column it cannot compare is not sorted.
  grid->SetOptionsEh(grid->GetOptionsEh() + TDBGridEhOptions{dghAutoSortMarking});
  grid->TitleBtnClick(1, Column(u"ID"));
  EXPECT_EQ(Column(u"ID")->GetTitle()->GetSortMarker(), smUpEh);
  try {
    grid->TitleBtnClick(3, Column(u"PICTURE"));
    FAIL() << "a picture column was sorted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Сортировка по этому полю невозможна");
  }
  EXPECT_EQ(Column(u"PICTURE")->GetTitle()->GetSortMarker(), smNoneEh);
  EXPECT_EQ(Column(u"ID")->GetTitle()->GetSortMarker(), smUpEh);
  grid->SetCenter(nullptr);
}
