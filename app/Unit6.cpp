// The data module: connects with the stored data source when it is created and offers the numeric
// literal helper that every save handler uses.
#include "app/Unit6.h"

#include "app/ListScreen.h"
#include "platform/data/Fields.h"

TDataModule6* DataModule6 = nullptr;

namespace {

const bool kUnit6ClassesRegistered = [] {
  RegisterClasses({TADOConnection::StaticClass(), TADOCommand::StaticClass(), TADOQuery::StaticClass(),
                   TADOTable::StaticClass(), TWideStringField::StaticClass(), TStringField::StaticClass(),
                   TIntegerField::StaticClass(), TSmallintField::StaticClass(), TLargeintField::StaticClass(),
                   TAutoIncField::StaticClass(), TBCDField::StaticClass(), TFMTBCDField::StaticClass(),
                   TDateField::StaticClass(), TDateTimeField::StaticClass()});
  return true;
}();

}  // namespace

TDataModule6::TDataModule6(TComponent* owner) : TDataModule(owner) {}

void TDataModule6::Published(TPropBuilder<TDataModule6>& p) {
  p.Method(u"DataModuleCreate", &TDataModule6::DataModuleCreate);
}

void TDataModule6::DataModuleCreate(TObject*) {
  BindComponent(this, u"ADO_DB", ADO_DB);
  BindComponent(this, u"cmd_all", cmd_all);
  BindComponent(this, u"DelSmena", DelSmena);
  BindComponent(this, u"H_Tabel_ins", H_Tabel_ins);
  BindComponent(this, u"Control", Control);
  BindComponent(this, u"ver", ver);
  BindComponent(this, u"user", user);
  BindComponent(this, u"workers", workers);
  BindComponent(this, u"department", department);
  BindComponent(this, u"staffpos", staffpos);
  BindComponent(this, u"role", role);
  BindComponent(this, u"jur_person", jur_person);
  BindComponent(this, u"nomenclature", nomenclature);
  BindComponent(this, u"operation_type", operation_type);
  BindComponent(this, u"inventory_items", inventory_items);
  BindComponent(this, u"proc_tech", proc_tech);
  BindComponent(this, u"operation", operation);
  BindComponent(this, u"msm", msm);
  BindComponent(this, u"stock", stock);
  BindComponent(this, u"stock_in", stock_in);
  BindComponent(this, u"app_doc", app_doc);
  BindComponent(this, u"app_spec", app_spec);
  BindComponent(this, u"spec_out", spec_out);
  BindComponent(this, u"Smena1", Smena1);
  BindComponent(this, u"Smena2", Smena2);
  BindComponent(this, u"Smena3", Smena3);
  BindComponent(this, u"Smena4", Smena4);
  BindComponent(this, u"H_Tabel_1", H_Tabel_1);
  BindComponent(this, u"H_Tabel_2", H_Tabel_2);
  BindComponent(this, u"H_Tabel_3", H_Tabel_3);
  // Opened here rather than from the resource, so that a data source that cannot be reached raises
  // out of the module's creation and stops the program with its message.
  ADO_DB->SetConnected(true);
}

String TDataModule6::ToDbDecimal(const String& text) const {
  if (text.empty()) return u"0";
  size_t at = text.find(u',');
  if (at == String::npos) at = text.find(u'.');
  if (at == String::npos) return text;
  // An empty delimiter would glue 12,5 into 125; the database reads "." in any case.
  const String delimiter = DecimalDelimiter.empty() ? String(u".") : DecimalDelimiter;
  return text.substr(0, at) + delimiter + text.substr(at + 1);
}
