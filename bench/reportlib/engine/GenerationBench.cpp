// Generating a report of 5,000 records (a group by kind with its sum, one line of two field texts
// per record) beside its peer: the same lines drawn straight on the report printer's pages by hand,
// one page of 55 lines after another. The difference is what bands, groups and text layout cost.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench/reportlib/engine/ReportFixture.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Strings.h"
#include "reportlib/engine/QRControllers.h"
#include "reportlib/engine/RezavOze.h"
#include "reportlib/engine/controls/QRDataTexts.h"
#include "tests/platform/data/conformance/TestDataSet.h"

namespace {

constexpr int kRecords = 5000;

TReportFixture& Fixture() {
  static TReportFixture fixture(kRecords);
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
