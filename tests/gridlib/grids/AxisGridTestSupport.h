// A small descendant of the axis grid for tests, standing in for the data grid: one fixed title row and
// one fixed indicator column, a column per visible bar, one grid row per buffered record, cells drawn
// inside the base grid's lines, Enter writes the editor's text and posts, Esc cancels. Columns keep a
// width so that a saved layout has one.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"
#include "tests/platform/data/conformance/TestDataSet.h"

class TTestColumnEh : public TBaseColumnEh {
  KIV_CLASS(TTestColumnEh, TBaseColumnEh)
 public:
  static void Published(TPropBuilder<TTestColumnEh>& p) {
    p.Int(u"Width", &TTestColumnEh::GetWidth, &TTestColumnEh::SetWidth).Default(64);
  }
  explicit TTestColumnEh(TCollection* collection) : TBaseColumnEh(collection) {}
  Integer GetWidth() const override { return width_; }
  void SetWidth(Integer value) override {
    width_ = value;
    Changed(true);
  }
  void Assign(TPersistent* source) override {
    TBaseColumnEh::Assign(source);
    if (auto* src = dynamic_cast<TTestColumnEh*>(source)) SetWidth(src->width_);
  }

 private:
  Integer width_ = 64;
};

class TTestAxisGridEh : public TCustomDBAxisGridEh {
  KIV_CLASS(TTestAxisGridEh, TCustomDBAxisGridEh)
 public:
  explicit TTestAxisGridEh(TComponent* owner) : TCustomDBAxisGridEh(owner) {
    CreateOwnedParts();
    SetFixedColCount(1);
    SetFixedRowCount(1);
    SetOptions(GetOptions() + TGridOptionsEh{goEditingEh});
  }

  TGridAxisBarsEh* CreateAxisBars() override {
    return new TGridAxisBarsEh(this, TTestColumnEh::StaticClass());
  }

  // The bar shown in a grid column, nil for the indicator.
  TAxisBarEh* BarOfCol(Integer col) {
    const Integer i = col - GetFixedColCount();
    return i >= 0 && i < GetVisibleAxisBars()->GetCount() ? GetVisibleAxisBars()->GetAxisBar(i) : nullptr;
  }
  Integer GetSelectedIndex() override {
    TAxisBarEh* bar = BarOfCol(GetCol());
    return bar ? bar->GetIndex() : -1;
  }
  void SetSelectedIndex(Integer value) override {
    TAxisBarEh* bar = GetAxisBars()->GetAxisBar(value);
    const Integer i = GetVisibleAxisBars()->IndexOf(bar);
    if (i >= 0) SetCol(i + GetFixedColCount());
  }
  String GetEditText(Integer col, Integer) override {
    TAxisBarEh* bar = BarOfCol(col);
    return bar ? bar->GetInplaceEditText() : String();
  }
  String GetEditMask(Integer col, Integer) override {
    TAxisBarEh* bar = BarOfCol(col);
    return bar ? bar->GetInplaceEditMask() : String();
  }

  void InternalLayout() override {
    TCustomDBAxisGridEh::InternalLayout();
    for (Integer i = 0; i < GetAxisBars()->GetCount(); ++i)
      if (GetAxisBars()->GetAxisBar(i)->GetVisible()) GetVisibleAxisBars()->Add(GetAxisBars()->GetAxisBar(i));
    SetColCount(GetFixedColCount() + std::max<Integer>(1, GetVisibleAxisBars()->GetCount()));
    for (Integer i = 0; i < GetVisibleAxisBars()->GetCount(); ++i)
      SetColWidths(i + GetFixedColCount(),
                   static_cast<TTestColumnEh*>(GetVisibleAxisBars()->GetAxisBar(i))->GetWidth());
    SyncRows();
  }
  void DataSetChanged() override { SyncRows(); }
  void DataScrolled(Integer) override { SyncRows(); }
  void LinkActive(bool active) override {
    if (active) GetDataLink()->SetBufferCount(VisibleRows());
    TCustomDBAxisGridEh::LinkActive(active);
  }

  // One grid row per record of the link's window; the current row is the dataset's current record.
  void SyncRows() {
    TAxisGridDataLinkEh* link = GetDataLink();
    if (!link || !link->GetActive()) return;
    link->SetBufferCount(VisibleRows());
    SetRowCount(GetFixedRowCount() + std::max(1, link->GetRecordCount()));
    const Integer row = GetFixedRowCount() + link->GetActiveRecord();
    if (row != GetRow() && row < GetRowCount()) SetRow(row);
    Invalidate();
  }
  Integer VisibleRows() const {
    return std::max<Integer>(1, (GetHeight() - 20) / std::max(1, GetDefaultRowHeight()));
  }

  TAxisBarEh* GetCellAxisBar(Integer col, Integer row) override {
    return row >= GetFixedRowCount() ? BarOfCol(col) : nullptr;
  }

  // The base grid draws the lines and hands over the rest of the cell.
  void DrawCellContent(Integer col, Integer row, TGridDrawState state, const TRect& rect) override {
    ++drawnCells;
    TCanvas* canvas = GetCanvas();
    TAxisBarEh* bar = BarOfCol(col);
    if (row < GetFixedRowCount()) {
      canvas->GetBrush()->SetColor(GetFixedColor());
      canvas->FillRect(rect);
      if (bar) canvas->TextRect(rect, rect.Left + 3, rect.Top + 2, bar->GetTitle()->GetCaption());
      return;
    }
    if (!bar) {
      canvas->GetBrush()->SetColor(GetFixedColor());
      canvas->FillRect(rect);
      return;
    }
    TAxisGridDataLinkEh* link = GetDataLink();
    if (!link->GetActive() || row - GetFixedRowCount() >= link->GetRecordCount()) {
      canvas->GetBrush()->SetColor(GetColor());
      canvas->FillRect(rect);
      return;
    }
    const int saved = link->GetActiveRecord();
    link->SetActiveRecord(row - GetFixedRowCount());
    TAxisColCellParamsEh* params = CurrentColCellParams();
    bar->FillColCellParams(params);
    params->Col = col;
    params->Row = row;
    params->State = state;
    canvas->GetFont()->Assign(params->Font);
    DefaultDrawDataCell({col, row}, {col, row}, bar, rect, params);
    link->SetActiveRecord(saved);
  }

  // Enter writes the pending text and posts; Esc gives the record back.
  void KeyPress(Char& key) override {
    TDataSet* ds = GetDataLink()->GetDataSet();
    if (key == u'\r' && ds) {
      key = 0;
      UpdateText();
      GetDataLink()->UpdateRecord();
      if (ds->GetState() == dsEdit || ds->GetState() == dsInsert) ds->Post();
      InvalidateEditor();
      return;
    }
    TCustomDBAxisGridEh::KeyPress(key);
  }
  void KeyDown(Word& key, TShiftState shift) override {
    TDataSet* ds = GetDataLink()->GetDataSet();
    if (key == VK_ESCAPE && ds && (ds->GetState() == dsEdit || ds->GetState() == dsInsert)) {
      ds->Cancel();
      if (GetInplaceEditor()) GetInplaceEditor()->Reset();
      InvalidateEditor();
      key = 0;
      return;
    }
    TCustomDBAxisGridEh::KeyDown(key, shift);
  }

  Integer drawnCells = 0;
};

// A drop-down form that opens when asked and closes when the test says so.
class AxisGridTestDropDownForm : public TForm, public IDropDownFormEh {
 public:
  AxisGridTestDropDownForm() : TForm(nullptr, 0) {}
  bool Execute(TControl*, TControl*, TDropDownAlign, TDynVarsEh*) override { return false; }
  bool GetReadOnly() override { return false; }
  void SetReadOnly(bool) override {}
  void Close() override {}
  void ExecuteNomodal(const TRect& rect, TControl*, TDropDownAlign, TDynVarsEh* params, TObject* sys,
                      TDropDownFormCallbackProcEh callback) override {
    ++opened;
    under = rect;
    bag = params;
    sysParams = sys;
    close = std::move(callback);
  }
  void Finish(bool accept) { close(this, accept, bag, sysParams); }

  Integer opened = 0;
  TRect under{0, 0, 0, 0};
  TDynVarsEh* bag = nullptr;
  TObject* sysParams = nullptr;
  TDropDownFormCallbackProcEh close;
};

// A form with a test dataset, its data source and a grid over it.
class AxisGridFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTestApplication();
    form_ = std::make_unique<TForm>(nullptr, 0);
    form_->SetBounds(0, 0, 640, 400);
    data_ = new TTestDataSet(form_.get());
    data_->SetName(u"Data");
    source_ = new TDataSource(form_.get());
    source_->SetDataSet(data_);
    // An exception no test expects would open the modal exception box; it fails the test instead.
    Application->OnException = [](TObject*, Exception* e) { ADD_FAILURE() << StringToUtf8(e->Message()); };
  }
  void TearDown() override {
    if (!form_) return;
    form_->Hide();
    form_.reset();
    Application->OnException = nullptr;
  }

  void Field(const String& name, TFieldType type, Integer size = 0) {
    data_->GetFieldDefs()->Add(name, type, size, false);
  }
  TTestAxisGridEh* MakeGrid() {
    grid_ = new TTestAxisGridEh(form_.get());
    grid_->SetName(u"Grid1");
    grid_->SetParent(form_.get());
    grid_->SetAlign(alClient);
    grid_->SetDataSource(source_);
    return grid_;
  }
  void ShowForm() {
    form_->Show();
    grid_->SetFocus();
    ProcessPendingEvents();
  }

  std::unique_ptr<TForm> form_;
  TTestDataSet* data_ = nullptr;
  TDataSource* source_ = nullptr;
  TTestAxisGridEh* grid_ = nullptr;
};
