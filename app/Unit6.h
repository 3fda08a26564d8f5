// The data module: the one database connection, the general commands, the build-stamp table, the
// login's user query and the shared queries that several screens show or pick from.
#pragma once

#include "platform/ado/ADODB.h"
#include "platform/controls/Forms.h"

class TDataModule6 : public TDataModule {
  KIV_CLASS(TDataModule6, TDataModule)
 public:
  explicit TDataModule6(TComponent* owner);
  static void Published(TPropBuilder<TDataModule6>& p);

  TADOConnection* ADO_DB = nullptr;
  TADOCommand* cmd_all = nullptr;
  TADOCommand* DelSmena = nullptr;
  TADOCommand* H_Tabel_ins = nullptr;
  TADOQuery* Control = nullptr;
  TADOTable* ver = nullptr;
  TADOQuery* user = nullptr;

  TADOQuery* workers = nullptr;
  TADOQuery* department = nullptr;
  TADOQuery* staffpos = nullptr;
  TADOQuery* role = nullptr;
  TADOQuery* jur_person = nullptr;
  TADOQuery* nomenclature = nullptr;
  TADOQuery* operation_type = nullptr;
  TADOQuery* inventory_items = nullptr;
  TADOQuery* proc_tech = nullptr;
  TADOQuery* operation = nullptr;
  TADOTable* msm = nullptr;
  TADOQuery* stock = nullptr;
  TADOQuery* stock_in = nullptr;
  TADOQuery* app_doc = nullptr;
  TADOQuery* app_spec = nullptr;
  TADOQuery* spec_out = nullptr;
  TADOQuery* Smena1 = nullptr;
  TADOQuery* Smena2 = nullptr;
  TADOQuery* Smena3 = nullptr;
  TADOQuery* Smena4 = nullptr;
  TADOQuery* H_Tabel_1 = nullptr;
  TADOQuery* H_Tabel_2 = nullptr;
  TADOQuery* H_Tabel_3 = nullptr;

  // A number typed by the user as the text of a numeric literal: "" becomes "0", the first ","
  // (or else the first ".") becomes the database's decimal delimiter.
  String ToDbDecimal(const String& text) const;
  const String& GetDecimalDelimiter() const { return DecimalDelimiter; }
  // Set from table ver by the build-stamp check; an empty delimiter counts as ".".
  void SetDecimalDelimiter(const String& value) { DecimalDelimiter = value; }

 private:
  void DataModuleCreate(TObject* Sender);
  String DecimalDelimiter;
};

extern TDataModule6* DataModule6;
