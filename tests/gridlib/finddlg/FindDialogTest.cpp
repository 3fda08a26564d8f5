// The find dialog as its user sees it: the lists it offers for a grid, "Find next" pressed again and
// again, the history, "not found", the tree-range row, and a change of language.
#include <gtest/gtest.h>

#include "gridlib/base/GridLibLangConsts.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Messages.h"
#include "tests/gridlib/finddlg/FindDlgTestSupport.h"

namespace {

using FindDialogTest = FindGridFixture;

std::vector<String> ItemsOf(TDBComboBoxEh* box) {
  std::vector<String> items;
  for (Integer i = 0; i < box->GetItems()->GetCount(); ++i) items.push_back(box->GetItems()->Get(i));
  return items;
}

TEST_P(FindDialogTest, OpensOverTheGridWithItsColumnsAndTheBuiltInChoices) {
  StandOn(2, u"NAME");
  grid_->ShowFindDialog(u"Гайка", false);
  TDBGridEhFindDlg* dlg = DBGridEhFindDlg;
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(dlg->GetVisible());
  EXPECT_EQ(dlg->GetFormStyle(), fsStayOnTop);
  EXPECT_EQ(dlg->GetCaption(), u"Поиск");
  EXPECT_EQ(dlg->GetGrid(), grid_);
  EXPECT_EQ(dlg->cbText->GetText(), u"Гайка");
  EXPECT_EQ(dlg->GetActiveControl(), dlg->cbText);
  EXPECT_EQ(ItemsOf(dlg->cbFindIn), (std::vector<String>{u"ID", u"NAME", u"PRICE", u"<Все>"}));
  EXPECT_EQ(dlg->cbFindIn->GetItemIndex(), 1) << "the grid's selected column";
  EXPECT_EQ(ItemsOf(dlg->cbMatchinType),
            (std::vector<String>{u"С любой части поля", u"Поля целиком", u"С начала поля"}));
  EXPECT_EQ(dlg->cbMatchinType->GetItemIndex(), 0);
  EXPECT_EQ(ItemsOf(dlg->cbFindDirection), (std::vector<String>{u"Вверх", u"Вниз", u"Все"}));
  EXPECT_EQ(dlg->cbFindDirection->GetItemIndex(), 2);
  EXPECT_FALSE(dlg->cbCharCase->GetChecked());
  EXPECT_TRUE(dlg->cbUseFormat->GetChecked());
  EXPECT_FALSE(dlg->dbcTreeFindRange->GetVisible()) << "not a tree";
  EXPECT_FALSE(dlg->Label4->GetVisible());
  EXPECT_EQ(dlg->GetClientHeight(), dlg->dbcTreeFindRange->GetTop());
  EXPECT_TRUE(dlg->GetIsFirstTry());

  // Offered columns of the caller's choice replace the grid's; a grid column without a title caption
  // among them leaves "all" chosen.
  dlg->Hide();
  const TColumnFieldsArrEh offered = {{u"Цена", static_cast<TColumnEh*>(grid_->FindFieldColumn(u"PRICE"))}};
  ShowDBGridEhFindDialogProc(grid_, u"", u"", false, &offered);
  EXPECT_EQ(ItemsOf(dlg->cbFindIn), (std::vector<String>{u"Цена", u"<Все>"}));
  EXPECT_EQ(dlg->cbFindIn->GetItemIndex(), 1);
}

TEST_P(FindDialogTest, FindNextSearchesAllFirstThenOnDownwardsAndKeepsTheHistory) {
  StandOn(3, u"NAME");
  grid_->ShowFindDialog(u"Болт", false);
  TDBGridEhFindDlg* dlg = DBGridEhFindDlg;
  const Integer expected[] = {1, 3, 5, 1};
  for (const Integer id : expected) {
    dlg->bFindClick(dlg->bFind);
    EXPECT_EQ(CurrentId(), id);
    EXPECT_FALSE(dlg->GetIsFirstTry());
  }
  // Match case: the lower-case bolt is passed over.
  dlg->cbCharCase->SetChecked(true);
  dlg->bFindClick(dlg->bFind);
  EXPECT_EQ(CurrentId(), 5);
  dlg->cbCharCase->SetChecked(false);

  // Every column, from the start again after the text changed.
  dlg->cbFindIn->SetItemIndex(dlg->cbFindIn->GetItems()->GetCount() - 1);
  dlg->cbText->SetText(u"99");
  dlg->cbTextChange(dlg->cbText);
  EXPECT_TRUE(dlg->GetIsFirstTry());
  dlg->bFindClick(dlg->bFind);
  EXPECT_EQ(CurrentId(), 5);
  EXPECT_EQ(CurrentField(), u"PRICE");

  // Whole field, upwards.
  dlg->cbFindIn->SetItemIndex(1);
  dlg->cbMatchinType->SetItemIndex(1);
  dlg->cbFindDirection->SetItemIndex(0);
  dlg->cbText->SetText(u"Гайка М8");
  dlg->bFindClick(dlg->bFind);
  EXPECT_EQ(CurrentId(), 2);
  EXPECT_EQ(ItemsOf(dlg->cbText), (std::vector<String>{u"Болт", u"99", u"Гайка М8"}));
}

TEST_P(FindDialogTest, NotFoundIsToldAndTheGridStaysWhereItWas) {
  StandOn(4, u"NAME");
  grid_->ShowFindDialog(u"Винт", false);
  TDBGridEhFindDlg* dlg = DBGridEhFindDlg;
  {
    TDialogRecorder recorder(TDialogAnswer::Button(mrOk));
    dlg->bFindClick(dlg->bFind);
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.Last().Text, u"Строка 'Винт' не найдена.");
  }
  EXPECT_EQ(CurrentId(), 4);
  EXPECT_TRUE(dlg->GetIsFirstTry());

  // A closed dataset: only the history grows, nobody is told anything.
  data_->Close();
  dlg->cbText->SetText(u"Шайба");
  TDialogRecorder recorder;
  dlg->bFindClick(dlg->bFind);
  EXPECT_EQ(recorder.Count(), 0);
  EXPECT_EQ(ItemsOf(dlg->cbText), (std::vector<String>{u"Винт", u"Шайба"}));
}

TEST_P(FindDialogTest, TheTreeRangeRowShowsOnlyForATreeOfTheInMemoryTable) {
  auto* tree = new TMemTableEh(form_);
  tree->GetFieldDefs()->Add(u"ID", ftInteger);
  tree->GetFieldDefs()->Add(u"PID", ftInteger);
  tree->GetFieldDefs()->Add(u"NAME", ftWideString, 20);
  tree->CreateDataSet();
  for (const auto& row : std::vector<std::vector<Variant>>{{Variant(1), Variant(), Variant(u"Цех")},
                                                           {Variant(2), Variant(1), Variant(u"Участок")}}) {
    tree->Append();
    tree->SetFields(row);
    tree->Post();
  }
  tree->GetTreeList()->SetKeyFieldName(u"ID");
  tree->GetTreeList()->SetRefParentFieldName(u"PID");
  tree->GetTreeList()->SetActive(true);
  auto* treeSource = new TDataSource(form_);
  treeSource->SetDataSet(tree);
  auto* treeGrid = new TDBGridEh(form_);
  treeGrid->SetParent(form_);
  treeGrid->SetDataSource(treeSource);
  ProcessPendingEvents();

  treeGrid->ShowFindDialog(u"", false);
  TDBGridEhFindDlg* dlg = DBGridEhFindDlg;
  EXPECT_TRUE(dlg->dbcTreeFindRange->GetVisible());
  EXPECT_TRUE(dlg->Label4->GetVisible());
  EXPECT_GT(dlg->GetClientHeight(), dlg->dbcTreeFindRange->GetTop() + dlg->dbcTreeFindRange->GetHeight() - 1);
  EXPECT_EQ(dlg->dbcTreeFindRange->GetItemIndex(), 0);

  grid_->ShowFindDialog(u"", false);
  EXPECT_FALSE(dlg->dbcTreeFindRange->GetVisible());
  EXPECT_EQ(dlg->GetClientHeight(), dlg->dbcTreeFindRange->GetTop());
  treeGrid->ShowFindDialog(u"", false);
  EXPECT_TRUE(dlg->dbcTreeFindRange->GetVisible()) << "the next tree shows it again";

  // The grid searched last goes away; the dialog serves the next one.
  delete treeGrid;
  EXPECT_EQ(dlg->GetGrid(), nullptr);
  StandOn(1, u"PRICE");
  grid_->ShowFindDialog(u"234,50", false);
  EXPECT_EQ(dlg->cbFindIn->GetItemIndex(), 2);
  dlg->bFindClick(dlg->bFind);
  EXPECT_EQ(CurrentId(), 2);
}

TEST_P(FindDialogTest, ALanguageChangeReplacesTheTextsAndKeepsTheChoices) {
  grid_->ShowFindDialog(u"", false);
  TDBGridEhFindDlg* dlg = DBGridEhFindDlg;
  dlg->cbFindDirection->SetItemIndex(1);
  dlg->cbMatchinType->SetItemIndex(2);
  TGridLibLanguageConsts* consts = GetGridLibLanguageConsts();
  const String caption = consts->GetDBGridEhFindDlg_Caption();
  const String down = consts->GetDBGridEhFindDlg_Direction_Down();
  const String findNext = consts->GetDBGridEhFindDlg_FindNext();
  consts->SetDBGridEhFindDlg_Caption(u"Find");
  consts->SetDBGridEhFindDlg_Direction_Down(u"Down");
  consts->SetDBGridEhFindDlg_FindNext(u"Find next");
  dlg->Perform(WM_WININICHANGE, 0, 0);
  consts->SetDBGridEhFindDlg_Caption(caption);
  consts->SetDBGridEhFindDlg_Direction_Down(down);
  consts->SetDBGridEhFindDlg_FindNext(findNext);
  EXPECT_EQ(dlg->GetCaption(), u"Find");
  EXPECT_EQ(dlg->bFind->GetCaption(), u"Find next");
  EXPECT_EQ(ItemsOf(dlg->cbFindDirection), (std::vector<String>{u"Вверх", u"Down", u"Все"}));
  EXPECT_EQ(dlg->cbFindDirection->GetItemIndex(), 1);
  EXPECT_EQ(dlg->cbMatchinType->GetItemIndex(), 2);
  dlg->Perform(WM_WININICHANGE, 0, 0);
  EXPECT_EQ(dlg->GetCaption(), u"Поиск");
}

TEST_P(FindDialogTest, WithoutTheDialogsLibraryTheGridSaysSo) {
  const TShowDBGridEhFindDialogProc registered = ShowDBGridEhFindDialogProc;
  ShowDBGridEhFindDialogProc = nullptr;
  EXPECT_THROW(grid_->ShowFindDialog(u"Болт", false), Exception);
  ShowDBGridEhFindDialogProc = registered;
  EXPECT_EQ(DBGridEhFindDlg, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Data, FindDialogTest,
                         ::testing::Values(TFindDataKind::TestDataSet, TFindDataKind::MemTable),
                         FindDataKindName);

}  // namespace
