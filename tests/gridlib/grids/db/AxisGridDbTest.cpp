// The axis grid over queries of the demo database: bars made from the query's fields and by hand, a
// name typed into a cell reaching the server, a key list showing the department kinds, and pictures of
// departments and inventory items with a drop-down open in both visual styles (when
// KIV_SCREENSHOT_DIR names a folder).
#include <cstdlib>

#include "platform/controls/StyleManager.h"
#include "platform/rtl/ScopeGuard.h"
#include "tests/gridlib/grids/AxisGridTestSupport.h"
#include "tests/platform/ado/AdoFixture.h"

namespace {

// The colour the X server shows at a point of the screen; clNone when it could not be read.
TColor AxisDbScreenPixel(TPoint p) {
  const std::string out = RunDesktopCommand("import -window root -crop 1x1+" + std::to_string(p.X) + "+" +
                                            std::to_string(p.Y) + " -depth 8 txt:- 2>/dev/null");
  const size_t hash = out.find('#', out.find('\n'));
  if (hash == std::string::npos || hash + 7 > out.size()) return clNone;
  const unsigned long rgb = std::stoul(out.substr(hash + 1, 6), nullptr, 16);
  return static_cast<TColor>(
      RGB(static_cast<Byte>(rgb >> 16), static_cast<Byte>(rgb >> 8), static_cast<Byte>(rgb)));
}

// A popup is mapped by the window manager and painted by the server a moment after the program shows
// it: wait (5 s at most) until the screen shows the popup as it paints itself, down its right edge.
bool AxisDbScreenShows(TWinControl* popup) {
  const std::unique_ptr<TBitmap> own = CaptureControl(popup);
  const TPoint origin = popup->ClientToScreen(TPoint(0, 0));
  const Integer x = own->GetWidth() - 6;
  for (Integer attempt = 0; attempt < 50; ++attempt) {
    bool same = true;
    for (Integer k = 1; k < 6 && same; ++k) {
      const Integer y = own->GetHeight() * k / 6;
      same = AxisDbScreenPixel(TPoint(origin.X + x, origin.Y + y)) == PixelAt(own.get(), x, y);
    }
    if (same) return true;
    ProcessEventsFor(100);
  }
  return false;
}

class AxisGridDbTest : public AdoTest {
 protected:
  void SetUp() override {
    AdoTest::SetUp();
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 720, 360);
    source_ = new TDataSource(form_.get());
    Application->OnException = [](TObject*, Exception* e) { ADD_FAILURE() << StringToUtf8(e->Message()); };
  }
  void TearDown() override {
    form_->Hide();
    form_.reset();
    Application->OnException = nullptr;
    AdoTest::TearDown();
  }
  TTestAxisGridEh* Grid(TDataSet* data) {
    source_->SetDataSet(data);
    grid_ = new TTestAxisGridEh(form_.get());
    grid_->SetParent(form_.get());
    grid_->SetAlign(alClient);
    grid_->SetDefaultRowHeight(20);
    grid_->SetDataSource(source_);
    return grid_;
  }
  TAxisBarEh* AddBar(const String& field, const String& title, Integer width) {
    auto* bar = static_cast<TTestColumnEh*>(grid_->GetAxisBars()->Add());
    bar->SetFieldName(field);
    bar->GetTitle()->SetCaption(title);
    bar->SetWidth(width);
    return bar;
  }
  void DepartmentKinds(TAxisBarEh* bar) {
    bar->GetKeyList()->SetText(u"-1\n0\n1\n2");
    bar->GetPickList()->SetText(u"Производство\nГотовая продукция\nЗаготовки\nСырьё");
  }
  TADOQuery* Departments() {
    TADOQuery* q = Query(u"SELECT id, s_caption, type FROM cmn_department.department ORDER BY id");
    q->Open();
    return q;
  }
  // A picture of the form with the editor of the bar open and its drop-down shown.
  void Capture(TAxisBarEh* bar, const String& name, Integer row) {
    const char* dir = std::getenv("KIV_SCREENSHOT_DIR");
    if (!dir) return;
    form_->Show();
    grid_->SetFocus();
    // The window manager raises the form it activates: let it, before the list drops over the form.
    ProcessEventsFor(300);
    grid_->SetRow(row);
    grid_->SetSelectedIndex(bar->GetIndex());
    SendKey(grid_, VK_F2);
    TWinControl* inner = grid_->GetInplaceEditor()->GetEditCoreControl();
    SendKey(inner, VK_DOWN, {ssAlt});
    SendKey(inner, VK_DOWN);
    auto* editor = static_cast<TDBAxisGridInplaceEdit*>(grid_->GetInplaceEditor());
    ASSERT_TRUE(editor->GetListVisible());
    ASSERT_TRUE(AxisDbScreenShows(editor->GetActiveList())) << "the list never reached the screen";
    // The drop-down is a window of its own: the picture is the screen's, with form and list on it.
    Shell("import -window root " + std::string(dir) + "/axis-grid-" + StringToUtf8(name) + ".png");
    SendKey(inner, VK_ESCAPE);
    SendKey(inner, VK_ESCAPE);
  }

  std::unique_ptr<TForm> form_;
  TDataSource* source_ = nullptr;
  TTestAxisGridEh* grid_ = nullptr;
};

TEST_F(AxisGridDbTest, BarsFromTheQueryAndATypedNameReachesTheServer) {
  TADOQuery* departments = Departments();
  Grid(departments);
  ASSERT_EQ(grid_->GetAxisBars()->GetCount(), 3);
  EXPECT_EQ(grid_->GetAxisBars()->GetAxisBar(1)->GetFieldName(), u"s_caption");
  EXPECT_EQ(grid_->GetAxisBars()->GetState(), csDefault);

  // Bars by hand: the caption and the kind shown through its key list.
  grid_->GetAxisBars()->Clear();
  TAxisBarEh* caption = AddBar(u"s_caption", u"Подразделение", 260);
  TAxisBarEh* kind = AddBar(u"type", u"Вид", 160);
  DepartmentKinds(kind);
  grid_->LayoutChanged();
  EXPECT_EQ(grid_->GetAxisBars()->GetState(), csCustomized);
  const String id = departments->FieldByName(u"id")->GetAsString();
  const String expectedKind =
      kind->GetPickList()->Get(kind->GetKeyList()->IndexOf(departments->FieldByName(u"type")->GetAsString()));
  EXPECT_EQ(kind->DisplayText(), expectedKind);

  form_->Show();
  grid_->SetFocus();
  grid_->SetSelectedIndex(caption->GetIndex());
  SendKey(grid_, VK_F2);
  TWinControl* inner = grid_->GetInplaceEditor()->GetEditCoreControl();
  SendKey(inner, 'A', {ssCtrl});
  TypeText(inner, u"Цех сборки № 7");
  SendKey(inner, VK_RETURN);
  EXPECT_EQ(Scalar(u"SELECT s_caption FROM cmn_department.department WHERE id = " + id), u"Цех сборки № 7");

  // The kind chosen from its list stores the key.
  grid_->SetSelectedIndex(kind->GetIndex());
  SendKey(grid_, VK_F2);
  inner = grid_->GetInplaceEditor()->GetEditCoreControl();
  SendKey(inner, 'A', {ssCtrl});
  TypeText(inner, u"Сы");
  SendKey(inner, VK_RETURN);
  EXPECT_EQ(Scalar(u"SELECT type FROM cmn_department.department WHERE id = " + id), u"2");
}

TEST_F(AxisGridDbTest, PicturesOfDepartmentsAndInventoryItemsWithADropDownOpen) {
  if (!std::getenv("KIV_SCREENSHOT_DIR") || !std::getenv("DISPLAY"))
    GTEST_SKIP() << "run on a desktop with KIV_SCREENSHOT_DIR set to write the pictures";
  auto restore = MakeScopeExit([] { TStyleManager::TrySetStyle(u"Windows", false); });
  for (const Char* style : {u"Windows", u"Onyx Blue"}) {
    ASSERT_TRUE(TStyleManager::TrySetStyle(style, false));
    const String suffix = String(style) == u"Windows" ? u"windows" : u"onyx-blue";
    {
      Grid(Departments());
      AddBar(u"id", u"Код", 50);
      AddBar(u"s_caption", u"Подразделение", 300);
      TAxisBarEh* kind = AddBar(u"type", u"Вид", 180);
      DepartmentKinds(kind);
      grid_->LayoutChanged();
      Capture(kind, u"departments-" + suffix, 2);
      delete grid_;
      grid_ = nullptr;
    }
    {
      TADOQuery* items = Query(
          u"SELECT ii.id, ii.marka, n.nom, ii.massa_kg, ii.ral FROM cmn_inventory_items.inventory_items ii "
          u"JOIN cmn_inventory_items.nomenclature n ON n.id = ii.id_nom WHERE ii.id > 0 ORDER BY ii.id");
      items->Open();
      Grid(items);
      AddBar(u"id", u"Код", 50);
      TAxisBarEh* marka = AddBar(u"marka", u"Марка", 220);
      AddBar(u"nom", u"Номенклатура", 200);
      AddBar(u"massa_kg", u"Масса, кг", 90)->SetDisplayFormat(u"0.000");
      TAxisBarEh* ral = AddBar(u"ral", u"RAL", 50);
      ral->SetCheckboxes(true);
      ral->GetKeyList()->SetText(u"1;true\n0;false");
      marka->GetPickList()->SetText(u"Лист 2 мм\nЛист 3 мм\nКруг 12\nКруг 16\nУголок 40x40");
      grid_->LayoutChanged();
      Capture(marka, u"inventory-" + suffix, 1);
      delete grid_;
      grid_ = nullptr;
    }
  }
}

}  // namespace
