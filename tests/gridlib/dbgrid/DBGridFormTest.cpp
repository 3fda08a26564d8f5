// A data grid as an accounting form's resource describes it: columns with captions, widths,
// alignment, fonts and title fonts, options, area parameters and footers load, are written back
// unchanged and load again to the same grid.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/classes/FormResources.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"

namespace {

const char kGridForm[] =
    "object GoodsForm: TForm\n"
    "  Width = 640\n"
    "  Height = 400\n"
    "  object GoodsGrid: TDBGridEh\n"
    "    Width = 600\n"
    "    Height = 300\n"
    "    Columns = <\n"
    "      item\n"
    "        Alignment = taRightJustify\n"
    "        FieldName = 'QTY'\n"
    "        Font.Height = -15\n"
    "        Footer.ToolTips = True\n"
    "        Footer.ValueType = fvtSum\n"
    "        Title.Caption = '\xD0\x9A\xD0\xBE\xD0\xBB-\xD0\xB2\xD0\xBE'\n"
    "        Title.Font.Style = [fsBold]\n"
    "        Title.SortIndex = 2\n"
    "        Title.SortMarker = smDownEh\n"
    "        Width = 90\n"
    "      end\n"
    "      item\n"
    "        FieldName = 'NAME'\n"
    "        Title.Alignment = taCenter\n"
    "        Title.Font.Height = -16\n"
    "        Title.Orientation = tohVertical\n"
    "        Title.SortIndex = 1\n"
    "        Title.SortMarker = smUpEh\n"
    "        Title.ToolTips = True\n"
    "        Title.Caption = "
    "'\xD0\x9D\xD0\xB0\xD0\xB8\xD0\xBC\xD0\xB5\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xB8\xD0\xB5'\n"
    "        Width = 240\n"
    "      end>\n"
    "    ColumnDefValues.Title.Alignment = taRightJustify\n"
    "    ColumnDefValues.Title.ShowImageAndText = True\n"
    "    EmptyDataInfo.Active = True\n"
    "    EmptyDataInfo.Text = 'No goods'\n"
    "    FooterRowCount = 1\n"
    "    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect]\n"
    "    OptionsEh = [dghFixed3D, dghHighlightFocus, dghClearSelection, dghAutoSortMarking, "
    "dghMultiSortMarking]\n"
    "    SumList.Active = True\n"
    "    TitleParams.Color = clSilver\n"
    "    TitleParams.VTitleMargin = 4\n"
    "  end\n"
    "end\n";

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TForm* LoadGridForm(const std::string& path) {
  auto* form = new TForm(nullptr, 0);
  form->AfterConstruction();
  ReadComponentResFile(Utf8ToString(path), form);
  return form;
}

// What the accounting forms set on their columns, as one line per column to compare two loads.
std::string ColumnsPicture(TCustomDBGridEh* grid) {
  std::string picture;
  TDBGridColumnsEh* columns = grid->GetColumns();
  for (Integer i = 0; i < columns->GetCount(); ++i) {
    TColumnEh* c = columns->GetColumn(i);
    TColumnTitleEh* t = c->GetTitle();
    for (int value :
         {int(c->GetWidth()), int(c->GetAlignment()), int(c->GetFont()->GetHeight()), int(t->GetAlignment()),
          int(t->GetFont()->GetHeight()), int(t->GetFont()->GetStyle().Contains(fsBold)),
          int(t->GetOrientation()), int(t->GetToolTips()), int(t->GetSortMarker()), int(t->GetSortIndex()),
          int(c->GetFooter()->GetToolTips())})
      picture += std::to_string(value) + "|";
    picture += StringToUtf8(c->GetFieldName() + u"|" + t->GetCaption()) + "NL";
  }
  for (Integer i = 0; i < grid->GetSortMarkedColumns()->GetCount(); ++i)
    picture += "sorted " + StringToUtf8(grid->GetSortMarkedColumns()->GetColumn(i)->GetFieldName()) + "NL";
  return picture;
}

TEST(DBGridFormResource, GridAndColumnsLoadSaveAndLoadAgainUnchanged) {
  InitTestApplication();
  if (!GetClass(u"TDBGridEh")) RegisterClass(TDBGridEh::StaticClass());
  const std::string path = ::testing::TempDir() + "dbgrideh_form.dfm";
  const std::string again = ::testing::TempDir() + "dbgrideh_form_again.dfm";
  const std::string third = ::testing::TempDir() + "dbgrideh_form_third.dfm";
  std::ofstream(path, std::ios::binary) << kGridForm;

  std::unique_ptr<TForm> form(LoadGridForm(path));
  auto* grid = dynamic_cast<TDBGridEh*>(form->FindComponent(u"GoodsGrid"));
  ASSERT_NE(grid, nullptr);
  EXPECT_TRUE(grid->GetDBOptions().Contains(dgRowSelect));
  EXPECT_FALSE(grid->GetDBOptions().Contains(dgEditing));
  EXPECT_TRUE(grid->GetOptionsEh().Contains(dghAutoSortMarking));
  EXPECT_EQ(grid->GetTitleParams()->GetFillStyleColor(), clSilver);
  EXPECT_EQ(grid->GetTitleParams()->GetVTitleMargin(), 4);
  EXPECT_EQ(grid->GetFooterRowCount(), 1);
  EXPECT_TRUE(grid->GetSumList()->GetActive());
  TDBGridColumnsEh* columns = grid->GetColumns();
  ASSERT_EQ(columns->GetCount(), 2);
  TColumnEh* qty = columns->GetColumn(0);
  EXPECT_EQ(qty->GetFieldName(), u"QTY");
  EXPECT_EQ(qty->GetTitle()->GetCaption(), u"Кол-во");
  EXPECT_EQ(qty->GetWidth(), 90);
  EXPECT_EQ(qty->GetAlignment(), taRightJustify);
  EXPECT_EQ(qty->GetFont()->GetHeight(), -15);
  EXPECT_TRUE(qty->GetTitle()->GetFont()->GetStyle().Contains(fsBold));
  EXPECT_EQ(qty->GetFooter()->GetValueType(), fvtSum);
  ASSERT_NE(qty->GetFooter()->GetDBSum(), nullptr);
  TColumnEh* name = columns->GetColumn(1);
  EXPECT_EQ(name->GetTitle()->GetAlignment(), taCenter);
  EXPECT_EQ(name->GetWidth(), 240);
  EXPECT_FALSE(name->GetAssignedValues().Contains(cvFont)) << "an unset font stays unset";
  EXPECT_EQ(name->GetTitle()->GetOrientation(), tohVertical);
  EXPECT_EQ(qty->GetTitle()->GetAlignment(), taRightJustify)
      << "an unset title alignment follows the defaults";
  EXPECT_TRUE(qty->GetTitle()->GetShowImageAndText());
  EXPECT_TRUE(grid->GetEmptyDataInfo()->GetActive());
  EXPECT_EQ(grid->GetEmptyDataInfo()->GetText(), u"No goods");
  EXPECT_EQ(name->GetTitle()->GetFont()->GetHeight(), -16);
  // Markers read before the grid's options keep their places, and the grid's sort order follows them.
  EXPECT_EQ(qty->GetTitle()->GetSortMarker(), smDownEh);
  EXPECT_EQ(qty->GetTitle()->GetSortIndex(), 2);
  EXPECT_EQ(name->GetTitle()->GetSortIndex(), 1);
  ASSERT_EQ(grid->GetSortMarkedColumns()->GetCount(), 2);
  EXPECT_EQ(grid->GetSortMarkedColumns()->GetColumn(0), name);
  EXPECT_TRUE(qty->GetFooter()->GetToolTips());
  EXPECT_FALSE(name->GetFooter()->GetToolTips());

  WriteComponentResFile(Utf8ToString(again), form.get());
  std::unique_ptr<TForm> reloaded(LoadGridForm(again));
  auto* reloadedGrid = dynamic_cast<TDBGridEh*>(reloaded->FindComponent(u"GoodsGrid"));
  ASSERT_NE(reloadedGrid, nullptr);
  EXPECT_EQ(ColumnsPicture(reloadedGrid), ColumnsPicture(grid));
  WriteComponentResFile(Utf8ToString(third), reloaded.get());
  const std::string written = ReadWholeFile(again);
  EXPECT_EQ(written, ReadWholeFile(third));
  for (const char* part :
       {"Title.Caption", "Width = 240", "fvtSum", "dgRowSelect", "TitleParams.VTitleMargin = 4",
        "Title.SortMarker = smUpEh", "Footer.ToolTips = True",
        "ColumnDefValues.Title.Alignment = taRightJustify", "EmptyDataInfo.Text"})
    EXPECT_NE(written.find(part), std::string::npos) << part;
  EXPECT_EQ(written.find("ToolTips = False"), std::string::npos) << "an unset or false switch is not written";
  EXPECT_EQ(written.find("EmptyDataInfo.Font"), std::string::npos) << "a parent font is not written";
  EXPECT_EQ(written.find("TitleFont"), std::string::npos)
      << "the title font is written once, in the title parameters";
  std::remove(path.c_str());
  std::remove(again.c_str());
  std::remove(third.c_str());
}

// The handlers an accounting form gives its grid and columns in its resource.
class TGoodsEventsForm : public TForm {
  KIV_CLASS(TGoodsEventsForm, TForm)
 public:
  explicit TGoodsEventsForm(TComponent* owner) : TForm(owner, 0) {}
  static void Published(TPropBuilder<TGoodsEventsForm>& p) {
    p.Method(u"GridCellParams", &TGoodsEventsForm::GridCellParams);
    p.Method(u"GridTitleClick", &TGoodsEventsForm::GridTitleClick);
    p.Method(u"GridDblClick", &TGoodsEventsForm::GridDblClick);
    p.Method(u"GridSumsRecalculated", &TGoodsEventsForm::GridSumsRecalculated);
    p.Method(u"QtyCellParams", &TGoodsEventsForm::QtyCellParams);
  }
  void GridCellParams(TObject*, TColumnEh*, TFont*, TColor& background, TGridDrawState) {
    background = clYellow;
    events += u"cell;";
  }
  void GridTitleClick(TObject*, TColumnEh*) { events += u"title;"; }
  void GridDblClick(TObject*) { events += u"dbl;"; }
  void GridSumsRecalculated(TObject*) { events += u"sums;"; }
  void QtyCellParams(TObject*, bool, TAxisColCellParamsEh*) { events += u"qty;"; }
  String events;
};

const char kGridEventsForm[] =
    "object GoodsEventsForm: TGoodsEventsForm\n"
    "  object GoodsGrid: TDBGridEh\n"
    "    Columns = <\n"
    "      item\n"
    "        FieldName = 'QTY'\n"
    "        OnGetCellParams = QtyCellParams\n"
    "      end>\n"
    "    OnDblClick = GridDblClick\n"
    "    OnGetCellParams = GridCellParams\n"
    "    OnSumListAfterRecalcAll = GridSumsRecalculated\n"
    "    OnTitleClick = GridTitleClick\n"
    "  end\n"
    "end\n";

TEST(DBGridFormResource, TheGridsAndColumnsHandlersAreBoundByNameAndWrittenBack) {
  InitTestApplication();
  if (!GetClass(u"TDBGridEh")) RegisterClass(TDBGridEh::StaticClass());
  const std::string path = ::testing::TempDir() + "dbgrideh_events.dfm";
  const std::string again = ::testing::TempDir() + "dbgrideh_events_again.dfm";
  std::ofstream(path, std::ios::binary) << kGridEventsForm;
  auto form = std::make_unique<TGoodsEventsForm>(nullptr);
  form->AfterConstruction();
  ReadComponentResFile(Utf8ToString(path), form.get());
  auto* grid = dynamic_cast<TDBGridEh*>(form->FindComponent(u"GoodsGrid"));
  ASSERT_NE(grid, nullptr);
  TColor background = clWindow;
  ASSERT_TRUE(grid->OnGetCellParams);
  grid->OnGetCellParams(grid, nullptr, nullptr, background, {});
  EXPECT_EQ(background, clYellow);
  ASSERT_TRUE(grid->OnTitleClick && grid->OnDblClick && grid->OnSumListAfterRecalcAll);
  grid->OnTitleClick(grid, nullptr);
  grid->OnDblClick(grid);
  grid->OnSumListAfterRecalcAll(grid->GetSumList());
  ASSERT_TRUE(grid->GetColumns()->GetColumn(0)->OnGetCellParams);
  grid->GetColumns()->GetColumn(0)->OnGetCellParams(grid->GetColumns()->GetColumn(0), false, nullptr);
  EXPECT_EQ(form->events, u"cell;title;dbl;sums;qty;");

  WriteComponentResFile(Utf8ToString(again), form.get());
  const std::string written = ReadWholeFile(again);
  for (const char* part :
       {"OnGetCellParams = GridCellParams", "OnTitleClick = GridTitleClick", "OnDblClick = GridDblClick",
        "OnSumListAfterRecalcAll = GridSumsRecalculated", "OnGetCellParams = QtyCellParams"})
    EXPECT_NE(written.find(part), std::string::npos) << part;
  std::remove(path.c_str());
  std::remove(again.c_str());
}

}  // namespace

namespace {

// The handlers a form gives the grid's hint events.
class THintEventsForm : public TForm {
  KIV_CLASS(THintEventsForm, TForm)
 public:
  explicit THintEventsForm(TComponent* owner) : TForm(owner, 0) {}
  static void Published(TPropBuilder<THintEventsForm>& p) {
    p.Method(u"GridDataHint", &THintEventsForm::GridDataHint);
    p.Method(u"GridHintPause", &THintEventsForm::GridHintPause);
  }
  void GridDataHint(TCustomDBGridEh*, TPoint, TGridCoord, TPoint, TColumnEh*, TDBGridEhDataHintParams*,
                    bool&) {}
  void GridHintPause(TCustomDBGridEh*, TPoint, TGridCoord, TPoint, TColumnEh*, Integer&, bool&) {}
};

struct PublishedCase {
  const char* line;
  std::function<bool(TDBGridEh*, TForm*)> holds;
};

// Loads a form whose grid carries one property line beside a popup menu and an image list.
std::unique_ptr<TForm> LoadOnePropertyForm(const std::string& line, const std::string& path) {
  std::ofstream(path, std::ios::binary) << "object HintEventsForm: THintEventsForm\n"
                                           "  object Menu1: TPopupMenu\n"
                                           "  end\n"
                                           "  object Images1: TImageList\n"
                                           "  end\n"
                                           "  object Grid1: TDBGridEh\n    "
                                        << line << "\n  end\nend\n";
  auto form = std::make_unique<THintEventsForm>(nullptr);
  form->AfterConstruction();
  ReadComponentResFile(Utf8ToString(path), form.get());
  return form;
}

TEST(DBGridFormResource, EveryPublishedGridPropertyLoadsAndIsWrittenBack) {
  InitTestApplication();
  for (TClass cls : {TDBGridEh::StaticClass(), TImageList::StaticClass(), TPopupMenu::StaticClass()})
    if (!GetClass(cls->ClassName())) RegisterClass(cls);
  const auto menu = [](TForm* f) { return dynamic_cast<TPopupMenu*>(f->FindComponent(u"Menu1")); };
  const PublishedCase cases[] = {
      {"AllowedOperations = [alopUpdateEh]",
       [](TDBGridEh* g, TForm*) {
         return g->GetAllowedOperations() == TDBGridEhAllowedOperations{alopUpdateEh};
       }},
      {"EditActions = [geaCopyEh, geaSelectAllEh]",
       [](TDBGridEh* g, TForm*) {
         return g->GetEditActions() == TGridEditActionsEh{geaCopyEh, geaSelectAllEh};
       }},
      {"EvenRowColor = clYellow", [](TDBGridEh* g, TForm*) { return g->GetEvenRowColor() == clYellow; }},
      {"OddRowColor = clAqua", [](TDBGridEh* g, TForm*) { return g->GetOddRowColor() == clAqua; }},
      {"Flat = True", [](TDBGridEh* g, TForm*) { return g->GetFlat(); }},
      {"FixedColor = clGreen", [](TDBGridEh* g, TForm*) { return g->GetFixedColor() == clGreen; }},
      {"BorderStyle = bsNone", [](TDBGridEh* g, TForm*) { return g->GetBorderStyle() == bsNone; }},
      {"ReadOnly = True", [](TDBGridEh* g, TForm*) { return g->GetReadOnly(); }},
      {"DrawMemoText = True", [](TDBGridEh* g, TForm*) { return g->GetDrawMemoText(); }},
      {"DefaultDrawing = False", [](TDBGridEh* g, TForm*) { return !g->GetDefaultDrawing(); }},
      {"IncludeImageModules = [iimPNGImageModuleEh]",
       [](TDBGridEh* g, TForm*) { return g->GetIncludeImageModules().Contains(iimPNGImageModuleEh); }},
      {"TitleImages = Images1",
       [](TDBGridEh* g, TForm* f) { return g->GetTitleImages() == f->FindComponent(u"Images1"); }},
      // A form read keeps the parameters' ParentFont as the form says, so the form says it.
      {"FooterFont.Height = -17\n    FooterParams.ParentFont = False",
       [](TDBGridEh* g, TForm*) { return g->GetFooterFont()->GetHeight() == -17; }},
      {"GridLineParams.DataHorzLines = False",
       [](TDBGridEh* g, TForm*) { return !g->GetGridLineParams()->GetDataHorzLines(); }},
      {"GridLineParams.VertEmptySpaceStyle = dessNonEh",
       [](TDBGridEh* g, TForm*) { return !g->GetOptionsEh().Contains(dghExtendVertLines); }},
      {"GridLineParams.DarkColor = clMaroon",
       [](TDBGridEh* g, TForm*) { return g->GetGridLineParams()->GetDarkColor() == clMaroon; }},
      {"GridLineParams.HorzEmptySpaceStyle = deshExtendGridWideSpaceEh",
       [](TDBGridEh* g, TForm*) {
         return g->GetGridLineParams()->GetHorzEmptySpaceStyle() == deshExtendGridWideSpaceEh;
       }},
      {"HorzScrollBar.Height = 12",
       [](TDBGridEh* g, TForm*) { return g->GetHorzScrollBar()->GetSize() == 12; }},
      {"HorzScrollBar.ExtraPanel.Visible = True",
       [](TDBGridEh* g, TForm*) { return g->GetHorzDBScrollBar()->GetExtraPanel()->GetVisible(); }},
      {"HorzScrollBar.SmoothStep = False",
       [](TDBGridEh* g, TForm*) { return !g->GetHorzScrollBar()->GetSmoothStep(); }},
      {"VertScrollBar.Width = 9", [](TDBGridEh* g, TForm*) { return g->GetVertScrollBar()->GetSize() == 9; }},
      {"VertScrollBar.VisibleMode = sbAlwaysShowEh",
       [](TDBGridEh* g, TForm*) { return g->GetVertScrollBar()->GetVisibleMode() == sbAlwaysShowEh; }},
      {"PopupMenuParams.UseIndicatorMenu = True",
       [](TDBGridEh* g, TForm*) { return g->GetPopupMenuParams()->GetUseIndicatorMenu(); }},
      {"PopupMenuParams.BuildMenuOnPopup = True",
       [](TDBGridEh* g, TForm*) { return g->GetPopupMenuParams()->GetBuildMenuOnPopup(); }},
      {"TitleParams.PopupMenu = Menu1",
       [menu](TDBGridEh* g, TForm* f) { return g->GetTitleParams()->GetPopupMenu() == menu(f); }},
      {"IndicatorTitle.DropdownMenu = Menu1",
       [menu](TDBGridEh* g, TForm* f) { return g->GetIndicatorTitle()->GetDropdownMenu() == menu(f); }},
      {"BackgroundData.ExcludeTitle = True",
       [](TDBGridEh* g, TForm*) { return g->GetDBBackgroundData()->GetExcludeTitle(); }},
      {"BackgroundData.Placement = ipTileEh",
       [](TDBGridEh* g, TForm*) { return g->GetDBBackgroundData()->GetPlacement() == ipTileEh; }},
      {"BackgroundData.Visible = True",
       [](TDBGridEh* g, TForm*) { return g->GetDBBackgroundData()->GetVisible(); }},
      {"OnDataHintShow = GridDataHint",
       [](TDBGridEh* g, TForm*) { return static_cast<bool>(g->OnDataHintShow); }},
      {"OnHintShowPause = GridHintPause",
       [](TDBGridEh* g, TForm*) { return static_cast<bool>(g->OnHintShowPause); }},
  };
  const std::string path = ::testing::TempDir() + "dbgrideh_one_property.dfm";
  const std::string again = ::testing::TempDir() + "dbgrideh_one_property_again.dfm";
  for (const PublishedCase& c : cases) {
    SCOPED_TRACE(c.line);
    std::unique_ptr<TForm> form;
    ASSERT_NO_THROW(form = LoadOnePropertyForm(c.line, path));
    auto* grid = dynamic_cast<TDBGridEh*>(form->FindComponent(u"Grid1"));
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(c.holds(grid, form.get())) << "loaded";
    WriteComponentResFile(Utf8ToString(again), form.get());
    auto reloaded = std::make_unique<THintEventsForm>(nullptr);
    reloaded->AfterConstruction();
    ReadComponentResFile(Utf8ToString(again), reloaded.get());
    auto* reloadedGrid = dynamic_cast<TDBGridEh*>(reloaded->FindComponent(u"Grid1"));
    ASSERT_NE(reloadedGrid, nullptr);
    EXPECT_TRUE(c.holds(reloadedGrid, reloaded.get())) << "written back and loaded again";
  }
  std::remove(path.c_str());
  std::remove(again.c_str());
}

// The background may leave the titles and footers out: the picture lies between them.
TEST(DBGridFormResource, BackgroundThatExcludesTitlesAndFootersLiesBetweenThem) {
  InitTestApplication();
  auto form = std::make_unique<TForm>(nullptr, 0);
  form->AfterConstruction();
  auto* grid = new TDBGridEh(form.get());
  grid->SetParent(form.get());
  grid->SetBounds(0, 0, 300, 200);
  grid->SetFooterRowCount(1);
  form->Show();
  ProcessPendingEvents();
  TDBGridBackgroundDataEh* background = grid->GetDBBackgroundData();
  const TRect whole = background->BoundRect();
  background->SetExcludeTitle(true);
  background->SetExcludeFooter(true);
  const TRect inner = background->BoundRect();
  EXPECT_EQ(inner.Top, whole.Top + grid->GetVertAxis()->GetFixedBoundary());
  EXPECT_EQ(inner.Bottom, grid->GetVertAxis()->GetContraStart());
  EXPECT_LT(inner.Bottom, whole.Bottom);
  EXPECT_EQ(inner.Left, whole.Left);
}

}  // namespace
