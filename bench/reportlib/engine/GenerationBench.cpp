// Generating a report of 5,000 records (a group by kind with its sum, one line of two field texts
// per record) beside its peer: the same lines drawn straight on the report printer's pages by hand,
// one page of 55 lines after another. The difference is what bands, groups and text layout cost.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/controls/Forms.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Strings.h"
#include "reportlib/engine/QRControllers.h"
#include "reportlib/engine/RezavOze.h"
#include "reportlib/engine/controls/QRDataTexts.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

constexpr int kRecords = 5000;

struct TReportFixture {
  TReportFixture() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    InitializeReportControls();
    form = std::make_unique<TForm>(nullptr, 0);
    data = new TTestDataSet(form.get());
    data->GetFieldDefs()->Add(u"nom", ftString, 40);
    data->GetFieldDefs()->Add(u"marka", ftString, 40);
    data->GetFieldDefs()->Add(u"massa", ftFloat);
    for (int i = 0; i < kRecords; ++i)
      data->AddRow({i < kRecords / 2 ? u"Заготовки" : u"Краска", u"Изделие " + IntToStr(i), i * 0.25});
    data->Open();
    report = new TRezavOze(form.get());
    report->SetDataSet(data);
    report->SetShowProgress(false);
    auto band = [&](TQRBandType type) {
      auto* b = new TQRBand(form.get());
      b->SetParent(report);
      b->SetBandType(type);
      b->GetSize()->SetLength(5);
      return b;
    };
    auto text = [&](TQRCustomBand* b, const String& field, Extended left) {
      auto* t = new TQRDBText(form.get());
      t->SetParent(b);
      t->SetAutoSize(false);
      t->GetSize()->SetLeft(left);
      t->GetSize()->SetWidth(80);
      t->SetDataSet(data);
      t->SetDataField(field);
      return t;
    };
    auto* group = new TQRGroup(form.get());
    group->SetParent(report);
    group->SetExpression(u"nom");
    group->GetSize()->SetLength(5);
    text(group, u"nom", 0);
    TQRBand* detail = band(rbDetail);
    text(detail, u"marka", 0);
    text(detail, u"massa", 100)->SetMask(u"#0.000");
    TQRBand* footer = band(rbGroupFooter);
    group->SetFooterBand(footer);
    auto* sum = new TQRExpr(form.get());
    sum->SetParent(footer);
    sum->SetExpression(u"SUM(massa)");
    sum->SetMaster(report);
    sum->SetResetAfterPrint(true);
  }
  std::unique_ptr<TForm> form;
  TTestDataSet* data = nullptr;
  TRezavOze* report = nullptr;
};

TReportFixture& Fixture() {
  static TReportFixture fixture;
  return fixture;
}

void BM_ReportGeneration(benchmark::State& state) {
  TReportFixture& f = Fixture();
  for (auto _ : state) {
    f.report->Prepare();
    benchmark::DoNotOptimize(f.report->GetQRPrinter()->GetPageCount());
  }
  state.counters["pages"] = f.report->GetQRPrinter()->GetPageCount();
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ReportGeneration)->Unit(benchmark::kMillisecond);

void BM_HandDrawnPages(benchmark::State& state) {
  TReportFixture& f = Fixture();
  for (auto _ : state) {
    TQRPrinter printer(nullptr);
    printer.SetPaperSize(TQRPaperSize::A4);
    printer.BeginDoc();
    int line = 55;
    for (f.data->First(); !f.data->GetEof(); f.data->Next()) {
      if (line == 55) {
        printer.NewPage();
        printer.GetCanvas()->GetFont()->SetName(u"Arial");
        printer.GetCanvas()->GetFont()->SetSize(10);
        line = 0;
      }
      const Integer y = printer.YPos(100 + 50 * line++);
      printer.GetCanvas()->TextOut(printer.XPos(100), y, f.data->FieldByName(u"marka")->GetDisplayText());
      printer.GetCanvas()->TextOut(printer.XPos(1100), y,
                                   FormatFloat(u"#0.000", f.data->FieldByName(u"massa")->GetAsFloat()));
    }
    printer.EndDoc();
    benchmark::DoNotOptimize(printer.GetPageCount());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_HandDrawnPages)->Unit(benchmark::kMillisecond);

}  // namespace
