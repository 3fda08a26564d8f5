// Writing a form or a data module: what the root owns without a parent control (data sources,
// datasets, menus, action lists, timers) is written too, before the controls, so that the
// references to it read back; a control owned by the form but placed on a panel is written inside
// the panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/classes/Streaming.h"
#include "platform/classes/Streams.h"
#include "platform/controls/ActnList.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/dbctrls/DbCtrlsLibrary.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/controls/FormText.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

void FormWriterRegister() {
  InitTestApplication();
  InitializeDbCtrls();
  for (TClass cls : {TDataSource::StaticClass(), TTestDataSet::StaticClass()})
    if (!GetClass(cls->ClassName())) RegisterClass(cls);
}

std::unique_ptr<TComponent> FormWriterNewRoot(bool dataModule) {
  if (dataModule) {
    auto* module = new TDataModule(nullptr, 0);
    module->AfterConstruction();
    return std::unique_ptr<TComponent>(module);
  }
  auto* form = new TForm(nullptr, 0);
  form->AfterConstruction();
  return std::unique_ptr<TComponent>(form);
}

void FormWriterRead(const std::string& text, TComponent* root) {
  TMemoryStream textStream, binary;
  textStream.Write(text.data(), static_cast<Integer>(text.size()));
  textStream.SetPosition(0);
  ObjectTextToBinary(&textStream, &binary);
  binary.SetPosition(0);
  binary.ReadComponent(root);
}

// Each line of a text form, trimmed, after the names of the objects (and collection items) it
// sits in; "object" lines keep the order they are written in.
std::vector<std::string> FormWriterLines(const std::string& text) {
  std::vector<std::string> out, path;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    line = line.substr(start);
    if (line == "end" || line == "end>") {
      if (!path.empty()) path.pop_back();
      continue;
    }
    std::string where;
    for (const std::string& name : path) where += name + "/";
    out.push_back(where + line);
    if (line.rfind("object ", 0) == 0) path.push_back(line.substr(7, line.find(':') - 7));
    if (line == "item") path.push_back("item");
  }
  return out;
}

std::vector<std::string> FormWriterObjects(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& line : lines)
    if (line.find("object ") != std::string::npos) out.push_back(line);
  return out;
}

struct FormWriterCase {
  const char* what;
  bool dataModule;
  const char* text;
};

// What each text says must be written back in the same places; the objects in the same order.
const FormWriterCase kFormWriterCases[] = {
    {"a dataset and a data source before a panel and a grid that refer to them", false,
     R"(object GoodsForm: TForm
  Caption = 'Товары'
  object GoodsQuery: TTestDataSet
  end
  object GoodsSource: TDataSource
    DataSet = GoodsQuery
  end
  object Panel1: TPanel
    Height = 41
    object NameEdit: TDBEdit
      Left = 8
      DataSource = GoodsSource
      DataField = 'NAME'
    end
  end
  object GoodsGrid: TDBGrid
    Top = 41
    DataSource = GoodsSource
  end
end
)"},
    {"a data module keeps its datasets and data sources", true,
     R"(object StockModule: TDataModule
  object StockQuery: TTestDataSet
  end
  object StockSource: TDataSource
    DataSet = StockQuery
  end
  object MovesQuery: TTestDataSet
  end
  object MovesSource: TDataSource
    DataSet = MovesQuery
  end
end
)"},
    {"menus, actions and a timer; controls in nested panels refer to them", false,
     R"(object OrdersForm: TForm
  Caption = 'Заказы'
  object GridMenu: TPopupMenu
    object CopyItem: TMenuItem
      Caption = 'Копировать'
    end
  end
  object Actions: TActionList
    object SaveAction: TAction
      Caption = 'Сохранить'
    end
  end
  object RefreshTimer: TTimer
    Interval = 500
  end
  object Outer: TPanel
    PopupMenu = GridMenu
    object Inner: TPanel
      object SaveButton: TButton
        Action = SaveAction
      end
    end
    object NoteEdit: TEdit
      PopupMenu = GridMenu
    end
  end
end
)"},
};

TEST(FormWriter, ReadWrittenAndReadAgainKeepsComponentsPropertiesAndReferences) {
  FormWriterRegister();
  for (const FormWriterCase& c : kFormWriterCases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<TComponent> first = FormWriterNewRoot(c.dataModule);
    FormWriterRead(c.text, first.get());
    const std::string written = WriteFormText(first.get());
    const std::vector<std::string> given = FormWriterLines(c.text);
    const std::vector<std::string> got = FormWriterLines(written);
    EXPECT_EQ(FormWriterObjects(got), FormWriterObjects(given)) << written;
    for (const std::string& line : given)
      EXPECT_NE(std::find(got.begin(), got.end(), line), got.end()) << line << "\n" << written;

    std::unique_ptr<TComponent> second = FormWriterNewRoot(c.dataModule);
    ASSERT_NO_THROW(FormWriterRead(written, second.get())) << written;
    EXPECT_EQ(WriteFormText(second.get()), written);
  }
}

// Made in code, the controls first: the data source still comes first in the text, and the grid
// reading it back finds it.
TEST(FormWriter, DataSourceMadeAfterTheGridIsWrittenFirstAndFoundOnReading) {
  FormWriterRegister();
  std::unique_ptr<TComponent> made = FormWriterNewRoot(false);
  auto* form = static_cast<TForm*>(made.get());
  form->SetName(u"MadeForm");
  auto* panel = new TPanel(form);
  panel->SetName(u"Panel1");
  panel->SetParent(form);
  auto* grid = new TDBGrid(form);
  grid->SetName(u"Grid1");
  grid->SetParent(panel);
  auto* source = new TDataSource(form);
  source->SetName(u"Source1");
  grid->SetDataSource(source);

  const std::vector<std::string> objects = FormWriterObjects(FormWriterLines(WriteFormText(form)));
  const std::vector<std::string> expected = {"object MadeForm: TForm", "MadeForm/object Source1: TDataSource",
                                             "MadeForm/object Panel1: TPanel",
                                             "MadeForm/Panel1/object Grid1: TDBGrid"};
  EXPECT_EQ(objects, expected);

  std::unique_ptr<TComponent> again = FormWriterNewRoot(false);
  FormWriterRead(WriteFormText(form), again.get());
  auto* readGrid = dynamic_cast<TDBGrid*>(again->FindComponent(u"Grid1"));
  ASSERT_NE(readGrid, nullptr);
  EXPECT_EQ(readGrid->GetDataSource(), again->FindComponent(u"Source1"));
  EXPECT_EQ(readGrid->GetOwner(), again.get());
  EXPECT_EQ(readGrid->GetParent(), again->FindComponent(u"Panel1"));
}

}  // namespace
