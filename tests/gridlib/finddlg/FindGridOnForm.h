// A shown form with a data grid over a dataset, and where the grid stands: the record by its integer
// key and the selected column. The find tests over the test dataset, the in-memory table and a query of
// the demo database share it.
#pragma once

#include <memory>

#include "gridlib/base/DBGridEhFindDlgs.h"
#include "platform/controls/Forms.h"
#include "platform/data/DataSource.h"
#include "platform/testing/TestSupport.h"

class TFindGridOnForm {
 public:
  TFindGridOnForm(const String& caption, const String& keyField)
      : form(std::make_unique<TForm>(nullptr, 0)), keyField_(keyField) {
    form->SetCaption(caption);
    form->SetBounds(40, 40, 640, 360);
  }
  // The grid over data, the form shown.
  void Attach(TDataSet* data) {
    this->data = data;
    source = new TDataSource(form.get());
    source->SetDataSet(data);
    grid = new TDBGridEh(form.get());
    grid->SetParent(form.get());
    grid->SetAlign(alClient);
    grid->SetDataSource(source);
    form->Show();
    ProcessPendingEvents();
  }
  // The process's dialog goes too, so the next test meets a new one without the old history.
  void Close() {
    delete DBGridEhFindDlg;
    form.reset();
  }
  void StandOn(Integer id, const String& field) {
    data->Locate(keyField_, Variant(id), TLocateOptions());
    grid->SetSelectedIndex(grid->FindFieldColumn(field)->GetIndex());
  }
  Integer CurrentId() const { return data->FieldByName(keyField_)->GetAsInteger(); }
  String CurrentField() const {
    return grid->GetColumns()->GetColumn(grid->GetSelectedIndex())->GetFieldName();
  }

  std::unique_ptr<TForm> form;
  TDataSet* data = nullptr;
  TDataSource* source = nullptr;
  TDBGridEh* grid = nullptr;

 private:
  String keyField_;
};
