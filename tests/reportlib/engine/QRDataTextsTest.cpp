// Field texts and expressions: masks by field kind (none leaves an old text behind), aggregates per
// group with ResetAfterPrint, and the system data of the run.
#include "platform/classes/Streams.h"
#include "reportlib/output/QRStandardPreview.h"
#include "tests/reportlib/engine/ReportTestSupport.h"

TEST_F(ReportTest, FieldTextFollowsTheRecordForEveryKindWithAMask) {
  Field(u"i", ftInteger);
  Field(u"big", ftLargeint);
  Field(u"f", ftFloat);
  Field(u"b", ftBoolean);
  Field(u"s", ftString, 20);
  Field(u"d", ftDateTime);
  data_->AddRow({7, Variant(Int64(9000000000)), 2.5, true, u"текст", 45000.5});
  data_->AddRow({8, Variant(Int64(-12)), 0.125, false, u"ещё", 45001.25});
  data_->Open();
  report_->SetDataSet(data_);
  TQRBand* detail = Band(rbDetail, 5);
  struct Case {
    const char16_t* field;
    const char16_t* mask;
  } cases[] = {{u"i", u"#0.00"}, {u"big", u"#0.0"}, {u"f", u"#0.000"},
               {u"b", u"#0"},    {u"s", u"#0"},     {u"d", u"dd.mm.yyyy hh:nn"}};
  std::vector<TQRDBText*> texts;
  for (const Case& c : cases) {
    TQRDBText* t = DBText(detail, c.field, 0, 40);
    t->SetMask(c.mask);
    texts.push_back(t);
  }
  std::vector<std::vector<std::string>> seen;
  detail->AfterPrint = [&](TQRCustomBand*, bool) {
    seen.emplace_back();
    for (TQRDBText* t : texts) seen.back().push_back(U8(t->GetPrintCaption()));
  };
  report_->Prepare();
  const std::vector<std::vector<std::string>> expected = {
      {"7,00", "9000000000,0", "2,500", "True", "текст", "15.03.2023 12:00"},
      {"8,00", "-12,0", "0,125", "False", "ещё", "16.03.2023 06:00"}};
  EXPECT_EQ(seen, expected);
}

TEST_F(ReportTest, GroupSumsRestartAfterEachFooterAndTheTotalRunsOn) {
  Field(u"kind", ftString, 10);
  Field(u"qty", ftInteger);
  const std::pair<const char16_t*, int> rows[] = {{u"a", 1}, {u"a", 2}, {u"b", 10}, {u"c", 100}, {u"c", 200}};
  for (const auto& [kind, qty] : rows) data_->AddRow({String(kind), qty});
  data_->Open();
  report_->SetDataSet(data_);
  TQRGroup* group = Group(u"kind", 5);
  DBText(group, u"kind");
  TQRBand* footer = Band(rbGroupFooter, 5);
  group->SetFooterBand(footer);
  TQRExpr* sum = Expr(footer, u"'sum ' + STR(SUM(qty))");
  sum->SetResetAfterPrint(true);
  sum->SetMaster(report_);
  Band(rbDetail, 5);
  TQRExpr* total = Expr(Band(rbSummary, 5), u"'total ' + STR(SUM(qty))");
  total->SetMaster(report_);
  report_->Prepare();
  EXPECT_EQ(Flat(Pages()),
            (std::vector<std::string>{"a", "sum 3", "b", "sum 10", "c", "sum 300", "total 313"}));
}

TEST_F(ReportTest, NestedGroupsCloseInnerFirstAndOpenOuterFirst) {
  Field(u"outer", ftString, 10);
  Field(u"inner", ftString, 10);
  const std::pair<const char16_t*, const char16_t*> rows[] = {{u"A", u"x"}, {u"A", u"y"}, {u"B", u"y"}};
  for (const auto& [o, i] : rows) data_->AddRow({String(o), String(i)});
  data_->Open();
  report_->SetDataSet(data_);
  TQRGroup* outer = Group(u"outer", 5);
  Expr(outer, u"'open ' + outer");
  TQRGroup* inner = Group(u"inner", 5);
  Expr(inner, u"'open ' + inner");
  TQRBand* outerFooter = Band(rbGroupFooter, 5);
  outer->SetFooterBand(outerFooter);
  Expr(outerFooter, u"'close ' + outer");
  TQRBand* innerFooter = Band(rbGroupFooter, 5);
  inner->SetFooterBand(innerFooter);
  Expr(innerFooter, u"'close ' + inner");
  Expr(Band(rbDetail, 5), u"outer + inner");
  report_->Prepare();
  EXPECT_EQ(Flat(Pages()),
            (std::vector<std::string>{"open A", "open x", "Ax", "close x", "open y", "Ay", "close y",
                                      "close A", "open B", "open y", "By", "close y", "close B"}));
}

TEST_F(ReportTest, SystemDataAndPageNumberConstant) {
  Field(u"n", ftInteger);
  for (int i = 0; i < 3; ++i) data_->AddRow({i});
  data_->Open();
  report_->SetDataSet(data_);
  report_->SetReportTitle(u"Отчёт");
  TQRBand* detail = Band(rbDetail, 5);
  auto* number = Control<TQRSysData>(detail, 0, 0, 30);
  number->SetData(qrsDetailNo);
  number->SetText(u"№");
  auto* title = Control<TQRSysData>(Band(rbSummary, 5), 0, 0, 30);
  title->SetData(qrsReportTitle);
  Expr(Band(rbPageFooter, 5), u"'стр. ' + STR(PAGENUMBER)");
  report_->Prepare();
  EXPECT_EQ(Flat(Pages()), (std::vector<std::string>{"№1", "№2", "№3", "Отчёт", "стр. 1"}));
}

TEST_F(ReportTest, EmptyDataSetPrintsTheDetailOnceWithPrintIfEmpty) {
  Field(u"n", ftInteger);
  data_->Open();
  report_->SetDataSet(data_);
  Label(Band(rbTitle, 5), u"title");
  Label(Band(rbDetail, 5), u"detail");
  Label(Band(rbSummary, 5), u"summary");
  report_->Prepare();
  EXPECT_EQ(Flat(Pages()), (std::vector<std::string>{"title", "detail", "summary"}));
  report_->SetPrintIfEmpty(false);
  report_->Prepare();
  EXPECT_EQ(report_->GetQRPrinter()->GetPageCount(), 0);
}

TEST(MetafileSearch, NarrowTextRecordsAreReadOneByteACharacter) {
  InitTestApplication();
  TMetafile page;
  page.SetWidth(200);
  page.SetHeight(100);
  {
    TMetafileCanvas canvas(&page, nullptr);
    canvas.TextOut(10, 10, u"Narrow text");
  }
  // Turn the wide text record into the narrow form in place: one byte a character.
  TBytes bytes = page.GetBytes();
  size_t at = 0;
  bool turned = false;
  while (at + 8 <= bytes.size()) {
    auto u32 = [&](size_t o) {
      return Cardinal(bytes[o] | bytes[o + 1] << 8 | bytes[o + 2] << 16 | bytes[o + 3] << 24);
    };
    const Cardinal type = u32(at), size = u32(at + 4);
    if (type == EMR_EXTTEXTOUTW) {
      const Cardinal n = u32(at + 44), off = u32(at + 48);
      bytes[at] = static_cast<Byte>(EMR_EXTTEXTOUTA);
      std::vector<Byte> narrow(n);
      for (Cardinal i = 0; i < n; ++i) narrow[i] = bytes[at + off + 2 * i];
      for (Cardinal i = 0; i < 2 * n; ++i) bytes[at + off + i] = i < n ? narrow[i] : 0;
      turned = true;
    }
    if (size < 8) break;
    at += size;
  }
  ASSERT_TRUE(turned);
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  stream.SetPosition(0);
  TMetafile narrow;
  narrow.LoadFromStream(&stream);
  EXPECT_TRUE(MetafileContainsText(u"narrow TEXT", &narrow, false));
  EXPECT_FALSE(MetafileContainsText(u"narrow TEXT", &narrow, true));
  EXPECT_FALSE(MetafileContainsText(u"Nrro", &narrow, false));
}
