// A form with a data grid over a dataset, and a recorder of everything the dataset tells its users:
// reading visible rows must leave the record, the buffer and the events as they were.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "gridlib/dbgrid/DBGridEh.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/Utf.h"
#include "platform/testing/TestSupport.h"

// A grid filling the form over the dataset through a new data source; the form is shown.
template <class Grid = TDBGridEh>
Grid* ShowGridOver(TForm* form, TDataSet* data, TDataSource** source) {
  *source = new TDataSource(form);
  (*source)->SetDataSet(data);
  auto* grid = new Grid(form);
  grid->SetParent(form);
  grid->SetAlign(alClient);
  grid->SetDataSource(*source);
  form->Show();
  ProcessPendingEvents();
  return grid;
}

// Counts the dataset's scroll and state events and the data source's change notices.
class TDataSetEventRecorder {
 public:
  TDataSetEventRecorder(TDataSet* ds, TDataSource* source) : ds_(ds) {
    ds->BeforeScroll = [this](TDataSet*) { ++events; };
    ds->AfterScroll = [this](TDataSet*) { ++events; };
    source->OnDataChange = [this](TObject*, TField*) { ++events; };
    source->OnStateChange = [this](TObject*) { ++events; };
  }
  // Remembers where the dataset stands now.
  void Mark() {
    events = 0;
    recNo_ = ds_->RecNo();
    bookmark_ = ds_->GetBookmark();
    activeBuffer_ = ds_->GetActiveRecordBuffer();
  }
  void ExpectUnchanged(const char* what) const {
    EXPECT_EQ(events, 0) << what;
    EXPECT_EQ(ds_->RecNo(), recNo_) << what;
    EXPECT_EQ(ds_->CompareBookmarks(bookmark_, ds_->GetBookmark()), 0) << what;
    EXPECT_EQ(ds_->GetActiveRecordBuffer(), activeBuffer_) << what;
    EXPECT_EQ(ds_->GetState(), dsBrowse) << what;
  }
  int events = 0;

 private:
  TDataSet* ds_;
  Integer recNo_ = 0;
  TBookmark bookmark_;
  TRecordBuffer activeBuffer_{};
};

// Paints the grid and reads every visible cell; the dataset must not notice.
inline void ReadEveryVisibleRow(TCustomDBGridEh* grid, TDataSet* ds, TDataSource* source) {
  TDataSetEventRecorder recorder(ds, source);
  recorder.Mark();
  std::unique_ptr<TBitmap> picture = CaptureControl(grid);
  recorder.ExpectUnchanged("painting");
  for (Integer row = 0; row < grid->InstantReadRecordCount(); ++row)
    for (Integer c = 0; c < grid->GetVisibleColumns()->GetCount(); ++c)
      grid->GetVisibleCellText(row, grid->GetVisibleColumns()->GetColumn(c));
  recorder.ExpectUnchanged("reading visible rows");
  grid->SaveVertPos(ds->GetFields()->GetField(0)->GetFieldName());
  recorder.ExpectUnchanged("saving the position");
  grid->SaveBookmark();
  recorder.ExpectUnchanged("saving the bookmark");
  ds->BeforeScroll = nullptr;
  ds->AfterScroll = nullptr;
  source->OnDataChange = nullptr;
  source->OnStateChange = nullptr;
}

// Each data row shows its own record: row i of the buffer reads the record of RecNo first + i.
inline void ExpectRowsShowTheirRecords(TCustomDBGridEh* grid, TDataSet* ds) {
  TColumnEh* first = grid->GetVisibleColumns()->GetColumn(0);
  const Integer active = grid->GetDataLink()->GetActiveRecord();
  const String current = ds->GetFields()->GetField(0)->GetAsString();
  EXPECT_EQ(grid->GetVisibleCellText(active, first), current);
  if (active > 0) {
    EXPECT_NE(grid->GetVisibleCellText(active - 1, first), current);
  }
}
