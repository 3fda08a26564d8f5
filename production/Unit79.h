// The month grid of maintenance work over all of a worker's hourly work, without the day and night
// split; a double click shows form 80.
#pragma once

#include "platform/controls/Forms.h"

class TADOQuery;
class TButton;
class TComboBox;
class TDBGrid;
class TDBLookupComboBox;

class TForm79 : public TForm {
  KIV_CLASS(TForm79, TForm)
 public:
  explicit TForm79(TComponent* owner);
  static void Published(TPropBuilder<TForm79>& p);

  TDBGrid* DBGrid = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TDBLookupComboBox* cb_year = nullptr;
  TButton* Button1 = nullptr;
  TADOQuery* H_Tabel = nullptr;
  TADOQuery* q_year = nullptr;

  void FormCreate(TObject* Sender);
  void Button8Click(TObject* Sender);
  void DBGridDblClick(TObject* Sender);
  // Loads the month of the month box and the year box.
  void ComboBox1Change(TObject* Sender);
};

extern TForm79* Form79;
