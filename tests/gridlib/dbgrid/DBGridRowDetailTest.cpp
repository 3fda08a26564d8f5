// What every accounting form resource says of its data grids beyond columns and options: each grid owns
// an empty row-detail panel, columns carry cell buttons with their click handlers, and the grid and its
// columns may be read-only. Two grids on one form each keep their own panel.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/classes/FormResources.h"
#include "tests/gridlib/dbgrid/DBGridTestSupport.h"

namespace {

class TRowDetailForm : public TForm {
  KIV_CLASS(TRowDetailForm, TForm)
 public:
  explicit TRowDetailForm(TComponent* owner) : TForm(owner, 0) {}
  static void Published(TPropBuilder<TRowDetailForm>& p) {
    p.Method(u"ItemsButtonClick", &TRowDetailForm::ItemsButtonClick);
  }
  void ItemsButtonClick(TObject*, bool& handled) {
    handled = true;
    ++clicks;
  }
  int clicks = 0;
};

const char kRowDetailForm[] =
    "object RowDetailForm: TRowDetailForm\n"
    "  object KindsGrid: TDBGridEh\n"
    "    ReadOnly = True\n"
    "    Columns = <\n"
    "      item\n"
    "        FieldName = 'NAME'\n"
    "        ReadOnly = True\n"
    "      end\n"
    "      item\n"
    "        AutoFitColWidth = False\n"
    "        CellButtons = <\n"
    "          item\n"
    "            DefaultAction = False\n"
    "            HorzPlacement = ebhpLeftEh\n"
    "            Style = ebsEllipsisEh\n"
    "            OnClick = ItemsButtonClick\n"
    "          end>\n"
    "        Width = 20\n"
    "      end>\n"
    "    object RowDetailData: TRowDetailPanelControlEh\n"
    "    end\n"
    "  end\n"
    "  object LinesGrid: TDBGridEh\n"
    "    Columns = <\n"
    "      item\n"
    "        CellButtons = <\n"
    "          item\n"
    "            Style = ebsEllipsisEh\n"
    "            Visible = False\n"
    "          end>\n"
    "      end>\n"
    "    object RowDetailData: TRowDetailPanelControlEh\n"
    "    end\n"
    "  end\n"
    "end\n";

std::string WholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::unique_ptr<TRowDetailForm> LoadRowDetailForm(const std::string& path) {
  auto form = std::make_unique<TRowDetailForm>(nullptr);
  form->AfterConstruction();
  ReadComponentResFile(Utf8ToString(path), form.get());
  return form;
}

TDBGridEh* GridOf(TForm* form, const Char* name) {
  auto* grid = dynamic_cast<TDBGridEh*>(form->FindComponent(name));
  EXPECT_NE(grid, nullptr) << StringToUtf8(name);
  return grid;
}

// What the resource set, as one text to compare two loads.
std::string GridsPicture(TForm* form) {
  std::string picture;
  for (const Char* name : {u"KindsGrid", u"LinesGrid"}) {
    TDBGridEh* grid = GridOf(form, name);
    if (!grid) return picture;
    picture += std::to_string(grid->GetReadOnly()) + "|" +
               std::to_string(grid->GetRowDetailData() && !grid->GetRowDetailData()->GetVisible()) + "|";
    for (Integer i = 0; i < grid->GetColumns()->GetCount(); ++i) {
      TColumnEh* column = grid->GetColumns()->GetColumn(i);
      picture += std::to_string(column->GetReadOnly()) + ":";
      for (Integer b = 0; b < column->GetCellButtons()->GetCount(); ++b) {
        TCellButtonEh* button = column->GetCellButtons()->GetCellButton(b);
        picture += std::to_string(button->GetVisible()) + std::to_string(button->GetStyle()) +
                   std::to_string(button->GetHorzPlacement()) + std::to_string(button->GetDefaultAction()) +
                   std::to_string(static_cast<bool>(button->OnClick)) + ",";
      }
      picture += ";";
    }
  }
  return picture;
}

TEST(DBGridRowDetailResource, PanelsCellButtonsAndReadOnlyFlagsLoadAndAreWrittenBack) {
  InitTestApplication();
  InitDBGridEhUnit();
  const std::string path = ::testing::TempDir() + "dbgrideh_rowdetail.dfm";
  const std::string again = ::testing::TempDir() + "dbgrideh_rowdetail_again.dfm";
  std::ofstream(path, std::ios::binary) << kRowDetailForm;

  std::unique_ptr<TRowDetailForm> form = LoadRowDetailForm(path);
  TDBGridEh* kinds = GridOf(form.get(), u"KindsGrid");
  TDBGridEh* lines = GridOf(form.get(), u"LinesGrid");
  ASSERT_TRUE(kinds && lines);
  // Each grid keeps its own hidden panel; none becomes the form's.
  EXPECT_EQ(kinds->FindComponent(u"RowDetailData"), kinds->GetRowDetailData());
  EXPECT_EQ(lines->FindComponent(u"RowDetailData"), lines->GetRowDetailData());
  EXPECT_NE(kinds->GetRowDetailData(), lines->GetRowDetailData());
  EXPECT_EQ(form->FindComponent(u"RowDetailData"), nullptr);
  EXPECT_FALSE(kinds->GetRowDetailData()->GetVisible());
  EXPECT_EQ(kinds->GetRowDetailData()->GetParent(), kinds);

  EXPECT_TRUE(kinds->GetReadOnly());
  EXPECT_FALSE(lines->GetReadOnly());
  EXPECT_TRUE(kinds->GetColumns()->GetColumn(0)->GetReadOnly());
  TCellButtonsEh* buttons = kinds->GetColumns()->GetColumn(1)->GetCellButtons();
  ASSERT_EQ(buttons->GetCount(), 1);
  TCellButtonEh* items = buttons->GetCellButton(0);
  EXPECT_EQ(items->GetStyle(), ebsEllipsisEh);
  EXPECT_EQ(items->GetHorzPlacement(), ebhpLeftEh);
  EXPECT_FALSE(items->GetDefaultAction());
  EXPECT_TRUE(items->GetVisible());
  ASSERT_TRUE(items->OnClick);
  bool handled = false;
  items->OnClick(items, handled);
  EXPECT_TRUE(handled);
  EXPECT_EQ(form->clicks, 1);
  TCellButtonsEh* hidden = lines->GetColumns()->GetColumn(0)->GetCellButtons();
  ASSERT_EQ(hidden->GetCount(), 1);
  EXPECT_FALSE(hidden->GetCellButton(0)->GetVisible());

  WriteComponentResFile(Utf8ToString(again), form.get());
  const std::string written = WholeFile(again);
  EXPECT_NE(written.find("object RowDetailData: TRowDetailPanelControlEh"), std::string::npos) << written;
  EXPECT_NE(written.find("HorzPlacement = ebhpLeftEh"), std::string::npos) << written;
  EXPECT_NE(written.find("Visible = False"), std::string::npos) << written;
  std::unique_ptr<TRowDetailForm> reloaded = LoadRowDetailForm(again);
  EXPECT_EQ(GridsPicture(reloaded.get()), GridsPicture(form.get()));
  std::remove(path.c_str());
  std::remove(again.c_str());
}

}  // namespace
