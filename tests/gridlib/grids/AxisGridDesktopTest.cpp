// The axis grid driven through a real X server with a window manager, as a user drives it: a name, a
// quantity, a date, a pick-list entry, a key-list entry, a looked-up name and a check box typed or clicked
// into the cells reach their fields; a quantity the field refuses stays in the editor; Esc gives the record
// back. Runs when KIV_DESKTOP_TESTS is set and the program is on an X display (tools/desktop).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "tests/gridlib/grids/AxisGridTestSupport.h"

namespace {

std::string RunCommand(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  return out;
}

class AxisGridDesktopTest : public AxisGridFixture {
 protected:
  void SetUp() override {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!std::getenv("KIV_DESKTOP_TESTS") || !platform || std::string(platform) != "xcb")
      GTEST_SKIP() << "needs an X desktop: KIV_DESKTOP_TESTS=1 tools/desktop ...";
    AxisGridFixture::SetUp();
    form_->SetCaption(u"KIV axis grid host");
    form_->SetBounds(50, 50, 760, 300);
    Field(u"NAME", ftString, 20);
    Field(u"QTY", ftInteger);
    Field(u"DAY", ftDate);
    Field(u"UNIT", ftString, 10);
    Field(u"KIND", ftString, 2);
    Field(u"OK", ftBoolean);
    Field(u"KIND_ID", ftInteger);
    data_->AddRow({Variant(u"Bolt"), Variant(5), VarFromDateTime(EncodeDate(2026, 3, 1)), Variant(u"pc"),
                   Variant(u"M"), Variant(false), Variant(1)});
    data_->Open();
    MakeGrid();
    grid_->FindFieldColumn(u"UNIT")->GetPickList()->SetText(u"pc\nkg\nm");
    TAxisBarEh* kind = grid_->FindFieldColumn(u"KIND");
    kind->GetKeyList()->SetText(u"M\nP\nS");
    kind->GetPickList()->SetText(u"Material\nPurchased\nOwn");
    grid_->FindFieldColumn(u"OK")->SetDblClickNextVal(true);
    // Kind ids shown through a dataset of kind names.
    auto* kinds = new TTestDataSet(form_.get());
    kinds->GetFieldDefs()->Add(u"ID", ftInteger, 0, false);
    kinds->GetFieldDefs()->Add(u"NAME", ftString, 20, false);
    kinds->AddRow({Variant(1), Variant(u"Material")});
    kinds->AddRow({Variant(2), Variant(u"Purchased")});
    kinds->Open();
    TDBLookupDataEh* lookup = grid_->FindFieldColumn(u"KIND_ID")->GetLookupParams();
    lookup->SetKeyFieldNames(u"KIND_ID");
    lookup->SetLookupDataSet(kinds);
    lookup->SetLookupKeyFieldNames(u"ID");
    lookup->SetLookupDisplayFieldName(u"NAME");
    form_->Show();
    RunCommand("xdotool search --name 'KIV axis grid host' windowactivate --sync 2>/dev/null");
    ProcessEventsFor(300);
    grid_->SetFocus();
    ProcessEventsFor(200);
  }
  // xdotool runs while our loop waits; its events are handled afterwards.
  void Do(const std::string& args) {
    RunCommand("xdotool " + args);
    ProcessEventsFor(250);
  }
  void Cell(const String& field) {
    grid_->SetSelectedIndex(grid_->FindFieldColumn(field)->GetIndex());
    ProcessEventsFor(50);
  }
  TField* F(const String& name) { return data_->FieldByName(name); }
};

TEST_F(AxisGridDesktopTest, TypedAndChosenValuesReachTheirFields) {
  Cell(u"NAME");
  Do("key F2 ctrl+a");
  Do("type --delay 30 'Nut M8'");
  Do("key Return");
  EXPECT_EQ(F(u"NAME")->GetAsString(), u"Nut M8");

  Cell(u"QTY");
  Do("key F2 ctrl+a");
  Do("type --delay 30 '42'");
  Do("key Return");
  EXPECT_EQ(F(u"QTY")->GetAsInteger(), 42);

  Cell(u"DAY");
  Do("key F2 ctrl+a");
  Do("type --delay 30 '" + StringToUtf8(DateToStr(EncodeDate(2026, 4, 15))) + "'");
  Do("key Return");
  EXPECT_EQ(F(u"DAY")->GetAsDateTime(), EncodeDate(2026, 4, 15));

  // The pick list opens with Alt+Down; Down twice and Enter take its third entry.
  Cell(u"UNIT");
  Do("key F2 alt+Down");
  Do("key Down Down Return");
  Do("key Return");
  EXPECT_EQ(F(u"UNIT")->GetAsString(), u"m");

  // A key list shows texts and stores keys; typing the start of a text chooses it.
  Cell(u"KIND");
  Do("key F2 ctrl+a");
  Do("type --delay 30 'Pu'");
  Do("key Return");
  EXPECT_EQ(F(u"KIND")->GetAsString(), u"P");

  // A lookup cell completes the typed name and stores its key.
  Cell(u"KIND_ID");
  Do("key F2 ctrl+a");
  Do("type --delay 30 'pu'");
  Do("key Return");
  EXPECT_EQ(F(u"KIND_ID")->GetAsInteger(), 2);

  // A check box steps to its next value.
  grid_->FindFieldColumn(u"OK")->SetNextFieldValue(1);
  data_->Post();
  EXPECT_TRUE(F(u"OK")->GetAsBoolean());
}

TEST_F(AxisGridDesktopTest, ARefusedQuantityStaysTypedAndEscRestores) {
  String why;
  Application->OnException = [&why](TObject*, Exception* e) { why = e->Message(); };
  Cell(u"QTY");
  Do("key F2 ctrl+a");
  Do("type --delay 30 '99999999999'");
  Do("key Return");
  EXPECT_NE(why.find(u"99999999999"), String::npos) << StringToUtf8(why);
  EXPECT_EQ(grid_->GetInplaceEditor()->GetText(), u"99999999999");
  Do("key Escape");
  EXPECT_EQ(F(u"QTY")->GetAsInteger(), 5);
  EXPECT_EQ(grid_->GetInplaceEditor()->GetText(), u"5");
  EXPECT_EQ(data_->GetState(), dsBrowse);
}

}  // namespace
