// The data module: connects with the stored data source when it is created and offers the numeric
// literal helper that every save handler uses.
#include "app/Unit6.h"

#include "platform/data/Fields.h"

TDataModule6* DataModule6 = nullptr;

namespace {

const bool kClassesRegistered = [] {
  RegisterClasses({TADOConnection::StaticClass(), TADOCommand::StaticClass(), TADOQuery::StaticClass(),
                   TADOTable::StaticClass(), TWideStringField::StaticClass(), TStringField::StaticClass(),
                   TIntegerField::StaticClass(), TSmallintField::StaticClass(), TLargeintField::StaticClass(),
                   TAutoIncField::StaticClass(), TBCDField::StaticClass(), TFMTBCDField::StaticClass(),
                   TDateField::StaticClass(), TDateTimeField::StaticClass()});
  return true;
}();

template <class T>
void Bind(TComponent* owner, const Char* name, T*& member) {
  member = dynamic_cast<T*>(owner->FindComponent(name));
  if (!member) throw EComponentError(String(u"Component '") + name + u"' not found");
}

}  // namespace

TDataModule6::TDataModule6(TComponent* owner) : TDataModule(owner) {}

void TDataModule6::Published(TPropBuilder<TDataModule6>& p) {
  p.Method(u"DataModuleCreate", &TDataModule6::DataModuleCreate);
}

void TDataModule6::DataModuleCreate(TObject*) {
  Bind(this, u"ADO_DB", ADO_DB);
  Bind(this, u"cmd_all", cmd_all);
  Bind(this, u"DelSmena", DelSmena);
  Bind(this, u"H_Tabel_ins", H_Tabel_ins);
  Bind(this, u"Control", Control);
  Bind(this, u"ver", ver);
  Bind(this, u"user", user);
  Bind(this, u"workers", workers);
  Bind(this, u"department", department);
  Bind(this, u"staffpos", staffpos);
  Bind(this, u"role", role);
  Bind(this, u"jur_person", jur_person);
  Bind(this, u"nomenclature", nomenclature);
  Bind(this, u"operation_type", operation_type);
  Bind(this, u"inventory_items", inventory_items);
  Bind(this, u"proc_tech", proc_tech);
  Bind(this, u"operation", operation);
  Bind(this, u"msm", msm);
  Bind(this, u"stock", stock);
  Bind(this, u"stock_in", stock_in);
  Bind(this, u"app_doc", app_doc);
  Bind(this, u"app_spec", app_spec);
  Bind(this, u"spec_out", spec_out);
  Bind(this, u"Smena1", Smena1);
  Bind(this, u"Smena2", Smena2);
  Bind(this, u"Smena3", Smena3);
  Bind(this, u"Smena4", Smena4);
  Bind(this, u"H_Tabel_1", H_Tabel_1);
  Bind(this, u"H_Tabel_2", H_Tabel_2);
  Bind(this, u"H_Tabel_3", H_Tabel_3);
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
