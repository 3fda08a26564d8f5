// FormatFloat and StrToFloat per call, beside snprintf and strtod on the same values.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/rtl/FloatFormat.h"

namespace {

const std::vector<double>& Amounts() {
  static const std::vector<double> values = {0,         1.005, -1234.5, 1234567.891, 0.125,
                                             99999.995, 42,    -0.001,  7.5e8,       3.14159265};
  return values;
}

void BM_FormatFloatGrouped(benchmark::State& state) {
  const String mask = u"#,##0.00";
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatFloat(mask, Amounts()[i++ % Amounts().size()]));
  }
}
BENCHMARK(BM_FormatFloatGrouped);

void BM_SnprintfFixed2(benchmark::State& state) {
  char buf[64];
  std::size_t i = 0;
  for (auto _ : state) {
    const int n = std::snprintf(buf, sizeof buf, "%.2f", Amounts()[i++ % Amounts().size()]);
    benchmark::DoNotOptimize(std::string(buf, n));
  }
}
BENCHMARK(BM_SnprintfFixed2);

void BM_StrToFloat(benchmark::State& state) {
  const std::vector<String> texts = {u"0",       u"1,005", u"-1234,5",   u"1234567,891",
                                     u" 0,125 ", u"1e3",   u"3,14159265"};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(StrToFloat(texts[i++ % texts.size()]));
  }
}
BENCHMARK(BM_StrToFloat);

void BM_Strtod(benchmark::State& state) {
  const std::vector<std::string> texts = {"0",       "1.005", "-1234.5",   "1234567.891",
                                          " 0.125 ", "1e3",   "3.14159265"};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::strtod(texts[i++ % texts.size()].c_str(), nullptr));
  }
}
BENCHMARK(BM_Strtod);

}  // namespace
