// A long report to PDF: 50,000 rows of 6 columns (about 1,900 A4 pages) driven through the PDF
// filter, against LibreOffice converting the same rows as CSV to PDF. Pages per second both ways,
// and the peak memory of the run (the filter's must not grow with the page count).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/reportlib/OfficePeer.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Utf.h"
#include "reportlib/output/filters/QRPDFFilter.h"

namespace {

constexpr int kColumns = 6;
constexpr int kRowsPerPage = 26;

const std::string& Scratch() { return BenchScratch(); }

String Cell(int row, int col) {
  switch (col) {
    case 0:
      return IntToStr(row + 1);
    case 1:
      return u"Заготовка стальная " + IntToStr(row % 977);
    case 2:
      return u"Цех №" + IntToStr(row % 7 + 1);
    case 3:
      return IntToStr(row * 37 % 10000) + u"," + IntToStr(row % 100);
    case 4:
      return u"шт";
    default:
      return IntToStr(row * 13 % 100000);
  }
}

// Peak resident memory since the last reset, in MiB.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }
double PeakMiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024;
  return 0;
}

const Extended kColumnX[kColumns] = {150, 350, 1000, 1450, 1600, 1900};
const TAlignment kColumnAlign[kColumns] = {taRightJustify, taLeftJustify, taLeftJustify,
                                           taRightJustify, taLeftJustify, taRightJustify};

void BM_ReportToPdfFilter(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  const int rows = static_cast<int>(state.range(0));
  TFont font, bold;
  font.SetName(u"Arial");
  font.SetSize(9);
  bold.Assign(&font);
  bold.SetStyle(TFontStyles{fsBold});
  TQRExportShape rule;
  rule.Shape = qesHorLine;
  rule.Width = 700;
  rule.Height = 2;
  const String file = Utf8ToString(Scratch() + "/filter.pdf");
  int pages = 0;
  double peak = 0;
  for (auto _ : state) {
    ResetPeak();
    TQRPDFDocumentFilter filter(file);
    filter.Start(2100, 2970, &font);
    pages = 0;
    for (int row = 0; row < rows; ++row) {
      const int line = row % kRowsPerPage;
      if (line == 0) {
        if (row) filter.EndPage();
        filter.NewPage();
        ++pages;
        filter.TextOut(1050, 100, &bold, clWhite, taCenter,
                       u"Движение заготовок по цехам — лист " + IntToStr(pages));
      }
      const Extended y = 250 + line * 100;
      for (int col = 0; col < kColumns; ++col)
        filter.TextOut(kColumnX[col], y, &font, clWhite, kColumnAlign[col], Cell(row, col));
      filter.AcceptShape(150 * 96.0 / 254, y * 96.0 / 254 + 20, rule);
    }
    filter.EndPage();
    filter.Finish();
    peak = PeakMiB();
  }
  state.counters["pages"] = pages;
  state.counters["pages/s"] = benchmark::Counter(pages, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_MiB"] = peak;
  state.counters["file_MiB"] = std::filesystem::file_size(Scratch() + "/filter.pdf") / 1048576.0;
}
BENCHMARK(BM_ReportToPdfFilter)
    ->Arg(5000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// The peer: LibreOffice converts the same rows, written as CSV, to PDF (its start-up included, as a
// user pays it).
void BM_CsvToPdfLibreOffice(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const std::string csv = Scratch() + "/rows.csv";
  {
    std::ofstream out(csv);
    for (int row = 0; row < rows; ++row) {
      for (int col = 0; col < kColumns; ++col)
        out << (col ? ";" : "") << '"' << StringToUtf8(Cell(row, col)) << '"';
      out << "\n";
    }
  }
  int pages = 0;
  for (auto _ : state) {
    if (!OfficeCsvToPdf("rows.csv")) {
      state.SkipWithError("LibreOffice failed");
      return;
    }
  }
  pages = PdfPageCount(Scratch() + "/rows.pdf");
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  state.counters["pages"] = pages;
  state.counters["pages/s"] = benchmark::Counter(pages, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_MiB"] = usage.ru_maxrss / 1024.0;
}
BENCHMARK(BM_CsvToPdfLibreOffice)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
