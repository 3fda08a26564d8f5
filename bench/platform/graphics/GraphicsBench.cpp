// Text cells drawn per second on a bitmap canvas: 40 rows by 20 columns of short Cyrillic text
// through DrawText, against plain QPainter::drawText of the same cells in the same run.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/GraphicsApp.h"

namespace {

constexpr int Rows = 40, Cols = 20, CellW = 60, CellH = 18;

const std::vector<String>& Texts() {
  static const std::vector<String> texts = [] {
    std::vector<String> t;
    const Char* words[] = {u"Итого",     u"Склад №3", u"Поставщик", u"1 234,56",
                           u"Накладная", u"Остаток",  u"Цена",      u"Кол-во"};
    for (int i = 0; i < Rows * Cols; ++i) t.push_back(words[i % 8]);
    return t;
  }();
  return texts;
}

void DrawTextCells(benchmark::State& state) {
  InitGraphics();
  TBitmap bitmap(Cols * CellW, Rows * CellH);
  TCanvas* c = bitmap.GetCanvas();
  c->GetFont()->SetName(u"Tahoma");
  c->GetFont()->SetHeight(-11);
  c->GetBrush()->SetStyle(bsClear);
  HDC dc = c->GetHandle();
  const auto& texts = Texts();
  for (auto _ : state) {
    for (int r = 0; r < Rows; ++r)
      for (int col = 0; col < Cols; ++col) {
        TRect cell = Bounds(col * CellW, r * CellH, CellW, CellH);
        const String& s = texts[r * Cols + col];
        DrawText(dc, s.c_str(), static_cast<Integer>(s.size()), &cell,
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
      }
  }
  state.SetItemsProcessed(state.iterations() * Rows * Cols);
}
BENCHMARK(DrawTextCells)->Unit(benchmark::kMillisecond);

void QPainterCells(benchmark::State& state) {
  InitGraphics();
  QImage image(Cols * CellW, Rows * CellH, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(11);
  p.setFont(font);
  std::vector<QString> texts;
  for (const String& s : Texts()) texts.push_back(QString::fromStdU16String(s));
  for (auto _ : state) {
    for (int r = 0; r < Rows; ++r)
      for (int col = 0; col < Cols; ++col)
        p.drawText(QRect(col * CellW, r * CellH, CellW, CellH), Qt::AlignLeft | Qt::AlignVCenter,
                   texts[r * Cols + col]);
  }
  state.SetItemsProcessed(state.iterations() * Rows * Cols);
}
BENCHMARK(QPainterCells)->Unit(benchmark::kMillisecond);

}  // namespace
