// A full repaint of a viewport of 40 data rows by 20 columns of the data grid over an in-memory table
// of 10^3 and of 10^7 records (titles, indicator and lines as a screen shows them), against
// QTableView over a model of the same texts painting the same viewport, both into a picture of the
// same size in the same run. The grid is scrolled to the middle of the table.
#include <benchmark/benchmark.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTableView>
#include <cstdlib>
#include <map>
#include <memory>

#include "gridlib/dbgrid/DBGridEh.h"
#include "gridlib/memtable/MemTableDataEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/controls/Forms.h"

namespace {

constexpr int Cols = 20, VisibleRows = 40, CellW = 60, CellH = 20;
constexpr int Width = Cols * CellW + 14, Height = (VisibleRows + 1) * CellH;

void StartApplication() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  InitializeMemTableEh();
}

// The text of a cell, shared by both peers: the record number in even columns, a derived amount in odd.
// The table holds the two fields; the grid's twenty columns show them in turn.
int CellValue(int col, int row) { return col % 2 == 0 ? row + 1 : (row + 1) * 7 % 1000; }

struct DataGrid {
  std::unique_ptr<TForm> form;
  TMemTableEh* table = nullptr;
  TDBGridEh* grid = nullptr;
  TBitmap picture{Width, Height};
  explicit DataGrid(int rows) {
    StartApplication();
    form = std::make_unique<TForm>(nullptr, 0);
    form->SetBounds(0, 0, Width + 40, Height + 60);
    table = new TMemTableEh(form.get());
    table->GetFieldDefs()->Add(u"F0", ftInteger);
    table->GetFieldDefs()->Add(u"F1", ftInteger);
    table->CreateDataSet();
    TRecordsListEh* list = table->GetMemTableData()->GetRecordsList();
    for (int r = 0; r < rows; ++r) {
      TMemoryRecordEh* rec = list->NewRecord();
      for (int c = 0; c < 2; ++c) rec->SetDataValue(c, dvvValueEh, Variant(CellValue(c, r)));
      list->AddRecord(rec);
    }
    table->First();
    auto* source = new TDataSource(form.get());
    source->SetDataSet(table);
    grid = new TDBGridEh(form.get());
    grid->SetParent(form.get());
    grid->SetBorderStyle(bsNone);
    grid->GetHorzScrollBar()->SetVisibleMode(sbNeverShowEh);
    grid->GetVertScrollBar()->SetVisibleMode(sbNeverShowEh);
    grid->SetDataSource(source);
    grid->SetBounds(0, 0, Width, Height);
    for (int c = 0; c < Cols; ++c) {
      TColumnEh* column = grid->GetColumns()->Add();
      column->SetFieldName(c % 2 == 0 ? u"F0" : u"F1");
      column->GetTitle()->SetCaption(u"F" + IntToStr(c));
      column->SetWidth(CellW);
    }
    grid->SetRowHeight(CellH);
    table->SetRecNo(rows / 2);
    form->Show();
    Application->ProcessMessages();
  }
};

// The peers live until the process ends: destroyed at exit they would outlive the application that
// owns their windows.
DataGrid& Grid(int rows) {
  static auto* grids = new std::map<int, std::unique_ptr<DataGrid>>;
  auto& g = (*grids)[rows];
  if (!g) g = std::make_unique<DataGrid>(rows);
  return *g;
}

class TextModel : public QAbstractTableModel {
 public:
  explicit TextModel(int rows) : rows_(rows) {}
  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : rows_;
  }
  int columnCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : Cols;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    return QString::number(CellValue(index.column(), index.row()));
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return {};
    return orientation == Qt::Horizontal ? QVariant(QString("F%1").arg(section)) : QVariant(QString());
  }

 private:
  int rows_;
};

struct TableView {
  TextModel model;
  QTableView view;
  QImage picture{Width, Height, QImage::Format_ARGB32_Premultiplied};
  explicit TableView(int rows) : model(rows) {
    StartApplication();
    view.setModel(&model);
    view.verticalHeader()->setDefaultSectionSize(CellH);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setFixedWidth(14);
    view.horizontalHeader()->setDefaultSectionSize(CellW);
    view.horizontalHeader()->setFixedHeight(CellH);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setFrameShape(QFrame::NoFrame);
    view.resize(Width, Height);
    view.show();
    view.verticalScrollBar()->setValue(rows / 2);
    QApplication::processEvents();
  }
};

TableView& Table(int rows) {
  static auto* tables = new std::map<int, std::unique_ptr<TableView>>;
  auto& t = (*tables)[rows];
  if (!t) t = std::make_unique<TableView>(rows);
  return *t;
}

void BM_DataGridRepaint(benchmark::State& state) {
  DataGrid& g = Grid(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    g.grid->PaintTo(g.picture.GetCanvas(), 0, 0);
    benchmark::DoNotOptimize(g.picture.GetCanvas()->GetPixel(Width / 2, Height / 2));
  }
  state.SetLabel("record " + std::to_string(g.table->RecNo()) + ", rows on screen " +
                 std::to_string(g.grid->VisibleDataRowCount()));
}

void BM_QTableViewRepaint(benchmark::State& state) {
  TableView& t = Table(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    t.view.render(&t.picture);
    benchmark::DoNotOptimize(t.picture.pixel(Width / 2, Height / 2));
  }
  state.SetLabel("rows " + std::to_string(t.view.rowAt(0)) + ".." + std::to_string(t.view.rowAt(Height - 1)));
}

BENCHMARK(BM_DataGridRepaint)->Arg(1'000)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QTableViewRepaint)->Arg(1'000)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace
