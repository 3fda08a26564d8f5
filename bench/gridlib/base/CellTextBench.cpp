// 10,000 text cells written through the grid library's cell-text routine, against plain
// QPainter::drawText of the same strings into the same bitmap's pixels in the same run.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <vector>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/graphics/GraphicsApp.h"

namespace {

constexpr int Cells = 10000, Cols = 20, Rows = 40, CellW = 60, CellH = 18;

const std::vector<String>& Texts() {
  static const std::vector<String> texts = [] {
    const Char* words[] = {u"Итого",     u"Склад №3", u"Поставщик", u"1 234,56",
                           u"Накладная", u"Остаток",  u"Цена",      u"Кол-во"};
    std::vector<String> t;
    for (int i = 0; i < Cells; ++i) t.push_back(words[i % 8]);
    return t;
  }();
  return texts;
}

TRect CellRect(int i) {
  const int col = i % Cols, row = (i / Cols) % Rows;
  return Bounds(col * CellW, row * CellH, CellW, CellH);
}

std::unique_ptr<TBitmap> MakeBitmap() {
  InitGraphics();
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(Cols * CellW, Rows * CellH);
  TCanvas* c = bitmap->GetCanvas();
  c->GetBrush()->SetColor(clWhite);
  c->FillRect(TRect(0, 0, Cols * CellW, Rows * CellH));
  c->GetFont()->SetName(u"DejaVu Sans");
  c->GetFont()->SetHeight(-11);
  c->GetFont()->SetColor(clBlack);
  return bitmap;
}

// Argument 0: left-aligned texts; 1: right-aligned, which the routine has to measure first.
TAlignment AlignmentOf(const benchmark::State& state) {
  return state.range(0) == 0 ? taLeftJustify : taRightJustify;
}

void DrawCellTextCells(benchmark::State& state) {
  auto bitmap = MakeBitmap();
  const TAlignment alignment = AlignmentOf(state);
  TCanvas* c = bitmap->GetCanvas();
  const auto& texts = Texts();
  for (auto _ : state) {
    for (int i = 0; i < Cells; ++i)
      DrawCellTextEh(c, CellRect(i), false, 2, 1, texts[i], alignment, tlCenter, false, false, 0, 0, false,
                     true);
    c->GetPixel(0, 0);  // lets the painter finish the pass
  }
  state.SetItemsProcessed(state.iterations() * Cells);
}
BENCHMARK(DrawCellTextCells)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void QPainterCells(benchmark::State& state) {
  auto bitmap = MakeBitmap();
  // The peer paints straight into the bitmap's own pixel rows.
  auto* bits = static_cast<uchar*>(bitmap->GetScanLine(0));
  const auto stride = static_cast<qsizetype>(static_cast<uchar*>(bitmap->GetScanLine(1)) - bits);
  QImage image(bits, Cols * CellW, Rows * CellH, stride, QImage::Format_ARGB32);
  QPainter p(&image);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(11);
  p.setFont(font);
  p.setPen(Qt::black);
  const int align = (AlignmentOf(state) == taLeftJustify ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
  std::vector<QString> texts;
  for (const String& s : Texts()) texts.push_back(QString::fromStdU16String(s));
  for (auto _ : state) {
    for (int i = 0; i < Cells; ++i) {
      const TRect r = CellRect(i);
      p.drawText(QRect(r.Left + 2, r.Top, r.Width() - 4, r.Height()), align, texts[i]);
    }
  }
  state.SetItemsProcessed(state.iterations() * Cells);
}
BENCHMARK(QPainterCells)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
