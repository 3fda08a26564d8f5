// The norms dialog: the norms of output, prices and bonuses of one operation of a technological
// process, typed into an editable grid.
#pragma once

#include "platform/controls/Forms.h"

class TButton;
class TDBGrid;
class TDataSource;
class TADOTable;
class TDataSet;

class TForm22 : public TForm {
  KIV_CLASS(TForm22, TForm)
 public:
  explicit TForm22(TComponent* owner);
  static void Published(TPropBuilder<TForm22>& p);

  TDBGrid* DBGrid1 = nullptr;
  TDataSource* DataSource1 = nullptr;
  TADOTable* norm = nullptr;
  TButton* Button1 = nullptr;  // "Сохранить"
  TButton* Button2 = nullptr;  // "Удалить"
  TButton* Button3 = nullptr;  // Esc: closes without writing the pending change

  void FormCreate(TObject* Sender);
  void DBGrid1ColEnter(TObject* Sender);
  void DBGrid1ColExit(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);

 private:
  void NormBeforePost(TDataSet* DataSet);
  void NormAfterOpen(TDataSet* DataSet);
};

extern TForm22* Form22;
