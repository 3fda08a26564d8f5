// A full repaint of a viewport of 40 rows by 20 columns of a hundred-million-row base grid, at row 0
// and at row 10^7, against QTableView over a model of the same texts ("column:row") painting the same
// viewport, both rendered into a picture of the same size in the same run.
#include <benchmark/benchmark.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>
#include <cstdlib>
#include <memory>

#include "gridlib/grids/GridsEh.h"
#include "platform/controls/Forms.h"

namespace {

constexpr int Cols = 20, VisibleRows = 40, CellW = 60, CellH = 20;
constexpr int Rows = 100'000'000;
constexpr int Width = Cols * CellW, Height = VisibleRows * CellH;

void StartApplication() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
}

// The base grid without fixed cells or scroll bars, so that its client area is the 40 x 20 cells.
struct BaseGrid {
  std::unique_ptr<TForm> form;
  TCustomGridEh* grid = nullptr;
  TBitmap picture{Width, Height};
  BaseGrid() {
    StartApplication();
    form = std::make_unique<TForm>(nullptr, 0);
    form->SetBounds(0, 0, Width + 40, Height + 60);
    grid = new TCustomGridEh(form.get());
    grid->SetParent(form.get());
    grid->SetBorderStyle(bsNone);
    grid->GetHorzScrollBar()->SetVisibleMode(sbNeverShowEh);
    grid->GetVertScrollBar()->SetVisibleMode(sbNeverShowEh);
    grid->SetDefaultColWidth(CellW);
    grid->SetDefaultRowHeight(CellH);
    grid->SetFixedColCount(0);
    grid->SetFixedRowCount(0);
    grid->SetColCount(Cols);
    grid->SetRowCount(Rows);
    for (int c = 0; c < Cols; ++c) grid->SetColWidths(c, CellW);
    grid->SetBounds(0, 0, Width, Height);
    form->Show();
    Application->ProcessMessages();
  }
};

BaseGrid& Grid() {
  static BaseGrid g;
  return g;
}

class TextModel : public QAbstractTableModel {
 public:
  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : Rows;
  }
  int columnCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : Cols;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole) return {};
    return QString::number(index.column()) + u':' + QString::number(index.row());
  }
};

struct TableView {
  TextModel model;
  QTableView view;
  QImage picture{Width, Height, QImage::Format_ARGB32_Premultiplied};
  TableView() {
    StartApplication();
    view.setModel(&model);
    view.horizontalHeader()->hide();
    view.verticalHeader()->hide();
    view.verticalHeader()->setDefaultSectionSize(CellH);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.horizontalHeader()->setDefaultSectionSize(CellW);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setFrameShape(QFrame::NoFrame);
    view.resize(Width, Height);
    view.show();
    QApplication::processEvents();
  }
};

TableView& Table() {
  static TableView t;
  return t;
}

void BM_BaseGridRepaint(benchmark::State& state) {
  BaseGrid& g = Grid();
  g.grid->SetTopRow(static_cast<Integer>(state.range(0)));
  for (auto _ : state) {
    g.grid->PaintTo(g.picture.GetCanvas(), 0, 0);
    benchmark::DoNotOptimize(g.picture.GetCanvas()->GetPixel(Width / 2, Height / 2));
  }
  state.SetLabel("rows " + std::to_string(g.grid->GetTopRow()) + ".." +
                 std::to_string(g.grid->GetTopRow() + 39));
}

void BM_QTableViewRepaint(benchmark::State& state) {
  TableView& t = Table();
  t.view.verticalScrollBar()->setValue(static_cast<int>(state.range(0)));
  QApplication::processEvents();
  for (auto _ : state) {
    t.view.render(&t.picture);
    benchmark::DoNotOptimize(t.picture.pixel(Width / 2, Height / 2));
  }
  state.SetLabel("rows " + std::to_string(t.view.rowAt(0)) + ".." + std::to_string(t.view.rowAt(Height - 1)));
}

BENCHMARK(BM_BaseGridRepaint)->Arg(0)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QTableViewRepaint)->Arg(0)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace
