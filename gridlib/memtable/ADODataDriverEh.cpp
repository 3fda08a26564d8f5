// The SQL data driver over ADO: commands become queries with bound parameters; the change log is
// applied in one transaction with a save point per record.
#include "gridlib/memtable/ADODataDriverEh.h"

#include "platform/rtl/ScopeGuard.h"

// ---- TADOCommandEh ----

TADOCommandEh::TADOCommandEh(TADODataDriverEh* dataDriver)
    : TCustomSQLCommandEh(dataDriver), FParams(std::make_unique<TParams>()) {}

TADOCommandEh::~TADOCommandEh() = default;

TADODataDriverEh* TADOCommandEh::Driver() const { return static_cast<TADODataDriverEh*>(GetDataDriver()); }

void TADOCommandEh::RebuildParams() { FParamsObsolete = true; }

TParams* TADOCommandEh::GetParams() {
  // The names come from the final text, parsed the way the connection's queries parse them.
  String text = GetFinalCommandText()->GetText();
  if (FParamsObsolete || text != FParsedText) {
    TParameters parsed(nullptr);
    parsed.ParseSQL(text, true);
    auto params = std::make_unique<TParams>();
    for (int i = 0; i < parsed.GetCount(); ++i) {
      String name = parsed.GetItem(i)->GetName();
      TParam* param = params->CreateParam(ftUnknown, name, ptInput);
      if (TParam* old = FParams->FindParam(name)) param->Assign(old);
    }
    FParams = std::move(params);
    FParsedText = text;
    FParamsObsolete = false;
  }
  return FParams.get();
}

void TADOCommandEh::SetParams(TParams* value) {
  if (value != FParams.get()) GetParams()->AssignValues(value);
}

Integer TADOCommandEh::Execute(TDataSet*& cursor, bool& freeOnEof) {
  cursor = nullptr;
  bool processed = false;
  return Driver()->ExecuteCommand(Driver(), this, cursor, freeOnEof, processed);
}

// ---- TADODataDriverEh ----

TADODataDriverEh::TADODataDriverEh(TComponent* owner)
    : TCustomSQLDataDriverEh(owner), FPostgreSQLOperations(std::make_unique<TPostgreSQLSpecOperationsEh>()) {
  SetServerSpecOperations(FPostgreSQLOperations.get());
  RecreateCommands();
}

TADODataDriverEh::~TADODataDriverEh() { SetServerSpecOperations(nullptr); }

TCustomSQLCommandEh* TADODataDriverEh::CreateCommand() { return new TADOCommandEh(this); }

void TADODataDriverEh::SetADOConnection(TADOConnection* value) {
  if (value == FADOConnection) return;
  if (FADOConnection) FADOConnection->RemoveFreeNotification(this);
  FADOConnection = value;
  if (value) value->FreeNotification(this);
}

void TADODataDriverEh::Notification(TComponent* component, TOperation operation) {
  TCustomSQLDataDriverEh::Notification(component, operation);
  if (operation == opRemove && component == FADOConnection) FADOConnection = nullptr;
}

Integer TADODataDriverEh::ExecuteCommand(TCustomSQLDataDriverEh*, TCustomSQLCommandEh* command,
                                         TDataSet*& cursor, bool& freeOnEof, bool& processed) {
  processed = false;
  if (!FADOConnection) return -1;
  processed = true;
  auto query = std::make_unique<TADOQuery>(nullptr);
  query->SetConnection(FADOConnection);
  query->SQL()->SetText(command->GetFinalCommandText()->GetText());
  // Every value reaches the server as a bound parameter, never as part of the text.
  if (TParams* params = command->GetParams())
    for (int i = 0; i < params->GetCount(); ++i) {
      TParam* param = params->GetItem(i);
      if (TParameter* target = query->Parameters()->FindParam(param->GetName())) {
        if (param->GetDataType() != ftUnknown) target->SetDataType(param->GetDataType());
        target->SetValue(param->GetValue());
      }
    }
  const String text = UpperCase(command->GetFinalCommandText()->GetText());
  bool returnsRows = command->GetCommandType() == cthSelectQuery || text.find(u"RETURNING") != String::npos;
  if (!returnsRows) return query->ExecSQL();
  query->Open();
  Integer rows = query->GetRecordCount();
  cursor = query.release();
  freeOnEof = true;
  return rows;
}

void TADODataDriverEh::GetTableFieldNames(const String& tableName, TStrings* list) {
  list->Clear();
  if (!FADOConnection) return;
  String schema, table = tableName;
  if (size_t dot = tableName.find(u'.'); dot != String::npos) {
    schema = tableName.substr(0, dot);
    table = tableName.substr(dot + 1);
  }
  TADOQuery query(nullptr);
  query.SetConnection(FADOConnection);
  query.SQL()->SetText(
      u"select column_name from information_schema.columns where table_name = :t and "
      u"(:s = '' or table_schema = :s2) order by ordinal_position");
  query.Parameters()->ParamByName(u"t")->SetValue(table);
  query.Parameters()->ParamByName(u"s")->SetValue(schema);
  query.Parameters()->ParamByName(u"s2")->SetValue(schema);
  query.Open();
  for (query.First(); !query.Eof(); query.Next()) list->Add(query.GetFields()->GetField(0)->GetAsString());
}

void TADODataDriverEh::StartTransaction() {
  FOwnTransaction = FADOConnection && !FADOConnection->InTransaction();
  if (FOwnTransaction) FADOConnection->BeginTrans();
}

void TADODataDriverEh::CommitTransaction() {
  if (!FOwnTransaction) return;
  FOwnTransaction = false;
  FADOConnection->CommitTrans();
}

void TADODataDriverEh::RollbackTransaction() {
  if (!FOwnTransaction) return;
  FOwnTransaction = false;
  try {
    FADOConnection->RollbackTrans();
  } catch (const EDatabaseError&) {
    // Only a lost connection refuses a rollback, and the server drops that connection's transaction
    // itself; the error that stopped the application is the one that goes on.
  }
}

void TADODataDriverEh::SetSavepoint() {
  if (FADOConnection && FADOConnection->InTransaction())
    FADOConnection->Execute(u"SAVEPOINT kiv_apply_record");
}

bool TADODataDriverEh::RollbackToSavepoint() {
  if (!FADOConnection || !FADOConnection->InTransaction()) return true;
  try {
    FADOConnection->Execute(u"ROLLBACK TO SAVEPOINT kiv_apply_record");
    return true;
  } catch (const EDatabaseError&) {
    // The ODBC driver of the login's options rolls the whole transaction back on a server error, the
    // save point with it; the caller raises the server's own error instead of this one.
    return false;
  }
}
