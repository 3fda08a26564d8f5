// Coding report pages: the splay-tree compressor and the LZW codec against zlib's deflate on the
// same bytes (a real page metafile), and storing and fetching pages in the page store.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>

#include "platform/controls/Forms.h"
#include "platform/rtl/Strings.h"
#include "reportlib/output/QRCompress.h"
#include "reportlib/output/QRLZW.h"
#include "reportlib/output/QRPageList.h"

namespace {

std::unique_ptr<TMetafile> MakeReportPage(Integer number) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  auto page = std::make_unique<TMetafile>();
  page->SetWidth(794);
  page->SetHeight(1123);
  TMetafileCanvas canvas(page.get(), nullptr);
  for (Integer r = 0; r < 40; ++r) {
    canvas.MoveTo(40, 60 + r * 25);
    canvas.LineTo(750, 60 + r * 25);
    canvas.TextOut(
        45, 65 + r * 25,
        u"Позиция " + IntToStr(number * 100 + r) + u"  Заготовка стальная  " + IntToStr(r * 7) + u" шт.");
  }
  return page;
}

const TBytes& PageBytes() {
  static const TBytes bytes = [] {
    TBytesStream s;
    MakeReportPage(1)->SaveToStream(&s);
    return TBytes(s.GetBytes().begin(), s.GetBytes().begin() + s.GetSize());
  }();
  return bytes;
}

void SplayCompress(benchmark::State& state) {
  const TBytes& page = PageBytes();
  size_t coded = 0;
  for (auto _ : state) {
    TBytesStream out;
    TQRCompress coder(&out, true);
    for (Byte b : page) coder.Compress(b);
    coder.Finish();
    coded = static_cast<size_t>(out.GetSize());
  }
  state.SetBytesProcessed(state.iterations() * page.size());
  state.counters["ratio"] = double(coded) / page.size();
}

void LzwEncode(benchmark::State& state) {
  const TBytes& page = PageBytes();
  size_t coded = 0;
  for (auto _ : state) {
    TBytesStream in(page), out;
    LZWEncode(&in, &out);
    coded = static_cast<size_t>(out.GetSize());
  }
  state.SetBytesProcessed(state.iterations() * page.size());
  state.counters["ratio"] = double(coded) / page.size();
}

void ZlibDeflate(benchmark::State& state) {
  const TBytes& page = PageBytes();
  std::vector<Bytef> out(compressBound(page.size()));
  uLongf coded = 0;
  for (auto _ : state) {
    coded = out.size();
    compress2(out.data(), &coded, page.data(), page.size(), static_cast<int>(state.range(0)));
  }
  state.SetBytesProcessed(state.iterations() * page.size());
  state.counters["ratio"] = double(coded) / page.size();
}

void SplayExpand(benchmark::State& state) {
  const TBytes& page = PageBytes();
  TBytesStream coded;
  {
    TQRCompress coder(&coded, true);
    for (Byte b : page) coder.Compress(b);
    coder.Finish();
  }
  const TBytes run(coded.GetBytes().begin(), coded.GetBytes().begin() + coded.GetSize());
  TBytes plain(page.size());
  for (auto _ : state) {
    TBytesStream in(run);
    TQRCompress decoder(&in, false);
    for (Byte& b : plain) decoder.Expand(b);
  }
  state.SetBytesProcessed(state.iterations() * page.size());
}

void LzwDecode(benchmark::State& state) {
  const TBytes& page = PageBytes();
  TBytesStream in(page), coded;
  LZWEncode(&in, &coded);
  const TBytes run(coded.GetBytes().begin(), coded.GetBytes().begin() + coded.GetSize());
  for (auto _ : state) {
    TBytesStream source(run), plain;
    LZWDecode(&source, &plain);
    benchmark::DoNotOptimize(plain.GetSize());
  }
  state.SetBytesProcessed(state.iterations() * page.size());
}

// Inflating one page, or as many pages as a saved report below holds.
void ZlibInflate(benchmark::State& state) {
  const TBytes& page = PageBytes();
  const Integer pages = static_cast<Integer>(state.range(0));
  std::vector<Bytef> coded(compressBound(page.size()));
  uLongf codedSize = coded.size();
  compress2(coded.data(), &codedSize, page.data(), page.size(), Z_DEFAULT_COMPRESSION);
  std::vector<Bytef> plain(page.size());
  for (auto _ : state) {
    for (Integer i = 0; i < pages; ++i) {
      uLongf size = plain.size();
      uncompress(plain.data(), &size, coded.data(), codedSize);
    }
  }
  state.SetBytesProcessed(state.iterations() * pages * page.size());
  state.SetItemsProcessed(state.iterations() * pages);
}

// Adding 200 pages and reading them all back in order, plain or coded.
void PageStoreRoundTrip(benchmark::State& state) {
  const bool coded = state.range(0) != 0;
  auto page = MakeReportPage(1);
  for (auto _ : state) {
    TQRPageList list;
    list.SetCompression(coded);
    list.SetStream(std::make_unique<TQRStream>(1000000));
    for (Integer i = 0; i < 200; ++i) list.AddPage(page.get());
    list.Finish();
    for (Integer i = 1; i <= 200; ++i) benchmark::DoNotOptimize(list.GetPage(i));
  }
  state.SetItemsProcessed(state.iterations() * 200);
}

// Loading a saved 200-page report, which reads every page back before it is taken; its peer is
// ZlibInflate/200, inflating the same pages.
void PageStoreLoad(benchmark::State& state) {
  const bool coded = state.range(0) != 0;
  auto page = MakeReportPage(1);
  TQRPageList list;
  list.SetCompression(coded);
  list.SetStream(std::make_unique<TQRStream>(1000000));
  for (Integer i = 0; i < 200; ++i) list.AddPage(page.get());
  list.Finish();
  TMemoryStream saved;
  list.SaveToStream(&saved);
  for (auto _ : state) {
    TQRPageList loaded;
    loaded.LoadFromStream(&saved);
    benchmark::DoNotOptimize(loaded.GetPageCount());
  }
  state.SetItemsProcessed(state.iterations() * 200);
}

}  // namespace

BENCHMARK(SplayCompress);
BENCHMARK(LzwEncode);
BENCHMARK(ZlibDeflate)->Arg(1)->Arg(6);
BENCHMARK(SplayExpand);
BENCHMARK(LzwDecode);
BENCHMARK(ZlibInflate)->Arg(1)->Arg(200);
BENCHMARK(PageStoreRoundTrip)->Arg(0)->Arg(1);
BENCHMARK(PageStoreLoad)->Arg(0)->Arg(1);
