// The materials dialog: one material a shift record used, checked against the record's norm and
// against the stock left for the record.
#pragma once

#include "platform/controls/Forms.h"

class TADOQuery;
class TButton;
class TDBLookupComboBox;
class TDBText;
class TEdit;

class TForm24 : public TForm {
  KIV_CLASS(TForm24, TForm)
 public:
  explicit TForm24(TComponent* owner);
  static void Published(TPropBuilder<TForm24>& p);

  TDBLookupComboBox* LCB_id_gds_use = nullptr;
  TEdit* Edit7 = nullptr;
  TDBText* DBText1 = nullptr;
  TDBText* DBText2 = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TADOQuery* v_cmn_gds_in = nullptr;
  TADOQuery* v_id_cons_use = nullptr;
  TADOQuery* v_id_cons_use1 = nullptr;
  TADOQuery* operation = nullptr;
  TADOQuery* sum_smena_gds_use = nullptr;

  int MaterialId = 0;
  double UsedQty = 0;
  double NormQty = 0;
  // The shift record, its product and its quantity as the record's dialog holds them.
  int ShiftRecordId = 0;
  int ItemId = 0;
  String RecordQuantity;

  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void LCB_id_gds_useCloseUp(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Edit7KeyPress(TObject* Sender, Char& Key);

  // Shows the dialog for a record; afterwards no material is chosen and "Расход" is 0.
  void ShowFor(int recordId, int itemId, const String& quantity);

 private:
  void ReadUsed();
};

extern TForm24* Form24;
