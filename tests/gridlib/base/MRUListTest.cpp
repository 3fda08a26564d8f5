// The most-recently-used list, the distinct values of a dataset field, and the size grip resizing its
// host inside the work area.
#include <gtest/gtest.h>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

std::vector<String> ItemsOf(TStrings* s) {
  std::vector<String> out;
  for (int i = 0; i < s->GetCount(); ++i) out.push_back(s->Get(i));
  return out;
}

TEST(MRUListTest, AddMovesKnownTextsToTheEndAndKeepsTheLimit) {
  InitTestApplication();
  TMRUListEh mru(nullptr);
  mru.SetLimit(3);
  for (const Char* s : {u"a", u"b", u"c"}) mru.Add(s);
  mru.Add(u"  ");
  EXPECT_EQ(ItemsOf(mru.GetItems()), (std::vector<String>{u"a", u"b", u"c"})) << "blanks are ignored";
  mru.Add(u"A");
  EXPECT_EQ(ItemsOf(mru.GetItems()), (std::vector<String>{u"b", u"c", u"a"})) << "moved, not trimmed";
  mru.Add(u"d");
  EXPECT_EQ(ItemsOf(mru.GetItems()), (std::vector<String>{u"c", u"a", u"d"}));
  mru.SetCaseSensitive(true);
  mru.Add(u"D");
  EXPECT_EQ(ItemsOf(mru.GetItems()), (std::vector<String>{u"a", u"d", u"D"}));
  mru.SetLimit(1);
  EXPECT_EQ(ItemsOf(mru.GetItems()), (std::vector<String>{u"D"}));
}

TEST(MRUListTest, FilterByPrefixCaseAndHandlerAndAssign) {
  InitTestApplication();
  TMRUListEh mru(nullptr);
  for (const Char* s : {u"abc", u"Abd", u"Склад", u"склад 2", u"x"}) mru.Add(s);
  TStringList out;
  EXPECT_TRUE(mru.FilterItemsTo(&out, u""));
  EXPECT_EQ(out.GetCount(), 5);
  mru.FilterItemsTo(&out, u"AB");
  EXPECT_EQ(ItemsOf(&out), (std::vector<String>{u"abc", u"Abd"}));
  mru.FilterItemsTo(&out, u"СКЛ");
  EXPECT_EQ(out.GetCount(), 2);
  mru.SetCaseSensitive(true);
  mru.FilterItemsTo(&out, u"Ab");
  EXPECT_EQ(ItemsOf(&out), (std::vector<String>{u"Abd"}));
  mru.OnFilterItem = [](TObject*, bool& accept) { accept = !accept; };
  mru.FilterItemsTo(&out, u"Ab");
  EXPECT_EQ(out.GetCount(), 4);

  // Generated items replace the own ones when the field values are the source.
  mru.SetListSourceKind(lskDataSetFieldValuesEh);
  mru.OnFillAutogenItems = [](TMRUListEh*, TStrings* items) {
    items->Clear();
    items->Add(u"Болт");
  };
  mru.PrepareActiveItems();
  EXPECT_EQ(ItemsOf(mru.ActiveItems()), (std::vector<String>{u"Болт"}));

  TMRUListEh copy(nullptr);
  copy.SetAutoAdd(false);
  mru.SetActive(true);
  copy.Assign(&mru);
  EXPECT_TRUE(copy.GetActive());
  EXPECT_TRUE(copy.GetCaseSensitive());
  EXPECT_EQ(copy.GetItems()->GetCount(), 5);
  EXPECT_FALSE(copy.GetAutoAdd()) << "not copied";
}

TEST(MRUListTest, AKeyWaitingStopsTheWalkAtEveryHundredthItem) {
  InitTestApplication();
  TForm form(nullptr, 0);
  TMRUListEh mru(nullptr);
  mru.SetLimit(1000);
  for (int i = 0; i < 250; ++i) mru.Add(u"Склад " + IntToStr(i));
  TStringList out;
  PostMessage(form.GetHandle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_FALSE(mru.FilterItemsTo(&out, u"склад"));
  EXPECT_EQ(out.GetCount(), 1) << "stopped after the first item";
  mru.SetCancelIfKeyInQueue(false);
  EXPECT_TRUE(mru.FilterItemsTo(&out, u"склад"));
  EXPECT_EQ(out.GetCount(), 250);
  ASSERT_TRUE(RemovePendingKey(form.GetHandle(), VK_DOWN));
  mru.SetCancelIfKeyInQueue(true);
  EXPECT_TRUE(mru.FilterItemsTo(&out, u"склад 1"));
  EXPECT_EQ(out.GetCount(), 111) << "1, 10-19, 100-199";
}

TEST(FieldValueListTest, SortedDistinctTextsFollowTheData) {
  InitTestApplication();
  TComponent owner(nullptr);
  auto* ds = new TTestDataSet(&owner);
  ds->GetFieldDefs()->Add(u"name", ftString, 10);
  for (const Char* s : {u"b", u"a", u"b", u""}) ds->AddRow({Variant(String(s))});
  ds->Open();
  ds->Next();
  TDatasetFieldValueListEh list;
  list.SetDataSet(ds);
  list.SetFieldName(u"name");
  EXPECT_EQ(ItemsOf(list.GetValues()), (std::vector<String>{u"", u"a", u"b"}));
  EXPECT_EQ(ds->GetRecNo(), 2) << "back at the remembered record";
  ds->AddRow({Variant(u"c")});
  EXPECT_EQ(list.GetValues()->GetCount(), 4) << "a data change makes the values obsolete";
  list.SetFieldName(u"missing");
  EXPECT_EQ(list.GetValues()->GetCount(), 0);
}

TEST(SizeGripTest, GrowsToTheWorkAreaAndTopLeftKeepsTheOppositeCorner) {
  InitTestApplication();
  const TRect work = Screen->GetWorkAreaRect();
  TForm host(nullptr, 0);
  host.SetBorderStyle(bsNone);
  host.SetBounds(work.Right - 150, work.Top + 100, 100, 80);
  auto* grip = new TSizeGripEh(&host);
  grip->SetParent(&host);
  host.Show();
  grip->UpdatePosition();
  EXPECT_EQ(grip->GetLeft() + grip->GetWidth(), host.GetClientWidth());
  EXPECT_EQ(grip->GetTop() + grip->GetHeight(), host.GetClientHeight());
  SendMouseDown(grip, mbLeft, TPoint(2, 2));
  SendMouseMove(grip, TPoint(2 + 500, 2 + 30), {ssLeft});
  EXPECT_EQ(host.GetLeft() + host.GetWidth(), work.Right) << "stops at the work area's edge";
  EXPECT_EQ(host.GetHeight(), 110);
  SendMouseUp(grip, mbLeft, TPoint(2, 2));

  host.SetBounds(work.Left + 200, work.Top + 200, 100, 80);
  grip->SetPosition(sgpTopLeft);
  grip->UpdatePosition();
  const TPoint corner(host.GetLeft() + host.GetWidth(), host.GetTop() + host.GetHeight());
  SendMouseDown(grip, mbLeft, TPoint(2, 2));
  SendMouseMove(grip, TPoint(2 - 40, 2 - 25), {ssLeft});
  EXPECT_EQ(host.GetWidth(), 140);
  EXPECT_EQ(host.GetHeight(), 105);
  EXPECT_EQ(TPoint(host.GetLeft() + host.GetWidth(), host.GetTop() + host.GetHeight()), corner);
  SendMouseUp(grip, mbLeft, TPoint(2, 2));

  grip->ChangePosition(sgcpToRight);
  EXPECT_EQ(grip->GetPosition(), sgpTopRight);
  grip->ChangePosition(sgcpToBottom);
  EXPECT_EQ(grip->GetPosition(), sgpBottomRight);
  grip->ChangePosition(sgcpToRight);
  EXPECT_EQ(grip->GetPosition(), sgpBottomRight);
}

}  // namespace
