// List boxes on the base grid: selection by index and keys, virtual lists, item objects deciding
// whether a popup closes, and the popup list form snapping to whole items.
#include <gtest/gtest.h>

#include <memory>

#include "gridlib/grids/GridsEh.h"
#include "platform/controls/Forms.h"
#include "platform/testing/TestSupport.h"

namespace {

TEST(ListboxTest, SelectionByIndexAndKeys) {
  InitTestApplication();
  TForm form(nullptr, 0);
  form.SetBounds(0, 0, 200, 200);
  auto* list = new TCustomListboxEh(&form);
  list->SetParent(&form);
  list->SetBounds(0, 0, 150, 150);
  form.Show();
  list->SetFocus();
  EXPECT_EQ(list->GetRowCount(), 1);  // an empty list shows one empty row
  EXPECT_EQ(list->GetItemIndex(), -1);
  list->GetOwnItems()->Add(u"Склад");
  list->GetOwnItems()->Add(u"Цех");
  list->GetOwnItems()->Add(u"Бухгалтерия");
  EXPECT_EQ(list->GetRowCount(), 3);
  EXPECT_EQ(list->GetItemIndex(), -1);
  SendKey(list, VK_DOWN);
  EXPECT_EQ(list->GetItemIndex(), 0);
  SendKey(list, VK_DOWN);
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_EQ(list->GetItemTextOf(1), u"Цех");
  list->SetItemIndex(-1);
  EXPECT_EQ(list->GetItemIndex(), -1);
  EXPECT_EQ(list->GetRow(), 0);
  list->SetItemIndex(2);
  EXPECT_EQ(list->GetItemIndex(), 2);
  try {
    list->SetCount(5);
    ADD_FAILURE() << "Count of a list that is not virtual";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Can't assign Count when list is not virtual");
  }
  list->SetVirtualItems(true);
  list->SetCount(40);
  EXPECT_EQ(list->GetRowCount(), 40);
}

class StayOpenItem : public TPopupListboxItemEh {
 public:
  bool CloseOnExecute(TCustomListboxEh*, Integer) override { return false; }
};

TEST(ListboxTest, PopupFormSnapsToWholeItemsAndItemObjectsKeepItOpen) {
  InitTestApplication();
  TPopupListboxFormEh popup(nullptr);
  popup.SetItemHeight(18);
  TStringList ext;
  ext.Add(u"первый");
  StayOpenItem stay;
  ext.AddObject(u"второй", &stay);
  popup.SetExtItems(&ext);
  popup.SetCount(ext.GetCount());
  popup.GetListGrid()->SetUseItemObjects(true);
  popup.SetBounds(10, 10, 150, 18 * 3 + 7);
  const Integer frame = popup.GetBorderSize() + 2 * popup.GetPopupBorderWidth();
  EXPECT_EQ(popup.GetRowCount(), 3);
  EXPECT_EQ(popup.GetHeight(), frame + 3 * 18);
  popup.SetBounds(10, 10, 150, 5);
  EXPECT_EQ(popup.GetRowCount(), 1);
  EXPECT_EQ(popup.GetListGrid()->GetItemTextOf(0), u"первый");

  popup.SetBounds(10, 10, 150, 18 * 4 + frame);
  popup.Show();
  ProcessPendingEvents();
  TPopupListboxGridEh* grid = popup.GetListGrid();
  const TRect first = grid->GetItemRect(0), second = grid->GetItemRect(1);
  SendClick(grid, TPoint(first.Left + 5, first.Top + 5));
  EXPECT_TRUE(popup.GetIsMouseUpCloseListbox());
  SendClick(grid, TPoint(second.Left + 5, second.Top + 5));
  EXPECT_FALSE(popup.GetIsMouseUpCloseListbox());
  EXPECT_EQ(popup.GetItemIndex(), 1);
}

}  // namespace
