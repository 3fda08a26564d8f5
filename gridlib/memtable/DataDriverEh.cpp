// Data drivers: reading a provider into the record store, applying the change log record by record
// with update-error actions, the SQL commands with macros, and the generated statements per server.
#include "gridlib/memtable/DataDriverEh.h"

#include <algorithm>

#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/memtable/MemTableEh.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

namespace {

constexpr const Char* kRecordChangedOnServer =
    u"The record was changed or deleted by another user: no row of the server matched it.";

}  // namespace

bool IsKeyCapableFieldTypeEh(TFieldType type) {
  switch (type) {
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftCursor:
    case ftDataSet:
    case ftOraBlob:
    case ftOraClob:
    case ftConnection:
    case ftParams:
    case ftStream:
    case ftTimeStampOffset:
    case ftObject:
      return false;
    default:
      return true;
  }
}

// ---- TDataDriverEh ----

TDataDriverEh::TDataDriverEh(TComponent* owner) : TComponent(owner) {}

TDataDriverEh::~TDataDriverEh() {
  SetProviderEOF(true);
  if (auto* table = dynamic_cast<TCustomMemTableEh*>(FDataDriverConsumer)) table->SetDataDriver(nullptr);
}

void TDataDriverEh::SetProviderDataSet(TDataSet* value) {
  if (value == FProviderDataSet) return;
  if (FProviderDataSet) FProviderDataSet->RemoveFreeNotification(this);
  FProviderDataSet = value;
  if (value) value->FreeNotification(this);
}

void TDataDriverEh::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FProviderDataSet) FProviderDataSet = nullptr;
  if (component == FReaderDataSet) FReaderDataSet = nullptr;
  if (component == FDataDriverConsumer) FDataDriverConsumer = nullptr;
}

void TDataDriverEh::SetProviderEOF(bool value) {
  if (value == FProviderEOF) return;
  FProviderEOF = value;
  if (value && FReaderDataSetFreeOnEof && FReaderDataSet) {
    TDataSet* reader = FReaderDataSet;
    FReaderDataSet = nullptr;
    delete reader;
  }
}

TDataSet* TDataDriverEh::GetDataReader() {
  FDataToRecFields.clear();
  if (FReaderDataSet && !FProviderEOF) return FReaderDataSet;
  FReaderDataSetFreeOnEof = false;
  FProviderEOF = false;
  TDataSet* reader = nullptr;
  bool freeOnEof = false;
  if (OnProduceDataReader)
    OnProduceDataReader(this, reader, freeOnEof);
  else
    DefaultProduceDataReader(reader, freeOnEof);
  FReaderDataSet = reader;
  FReaderDataSetFreeOnEof = freeOnEof;
  return reader;
}

void TDataDriverEh::DefaultProduceDataReader(TDataSet*& dataSet, bool& freeOnEof) {
  if (!FProviderDataSet) return;
  FProviderDataSet->Open();
  FProviderDataSet->First();
  freeOnEof = false;
  dataSet = FProviderDataSet;
}

void TDataDriverEh::BuildDataStruct(TMTDataStructEh* dataStruct) {
  if (OnBuildDataStruct)
    OnBuildDataStruct(this, dataStruct);
  else if (OnProduceDataReader) {
    if (TDataSet* reader = GetDataReader()) dataStruct->BuildStructFromFields(reader->GetFields());
  } else
    DefaultBuildDataStruct(dataStruct);
}

void TDataDriverEh::DefaultBuildDataStruct(TMTDataStructEh* dataStruct) {
  if (FReaderDataSet) {
    dataStruct->BuildStructFromFields(FReaderDataSet->GetFields());
    AdjustDataStruct(FReaderDataSet->GetFields(), dataStruct);
    return;
  }
  if (!FProviderDataSet) return;
  if (FProviderDataSet->GetFieldCount() == 0) {
    FProviderDataSet->Open();
    dataStruct->BuildStructFromFields(FProviderDataSet->GetFields());
    FProviderDataSet->Close();
  } else {
    dataStruct->BuildStructFromFields(FProviderDataSet->GetFields());
  }
  AdjustDataStruct(FProviderDataSet->GetFields(), dataStruct);
}

Integer TDataDriverEh::ReadData(TMemTableDataEh* memTableData, Integer count) {
  if (FProviderEOF || count == 0) return 0;
  TRecordsListEh* list = memTableData->GetRecordsList();
  Integer read = 0;
  for (;;) {
    TMemoryRecordEh* rec = list->NewRecord();
    auto dropRec = MakeScopeExit([rec] { delete rec; });
    bool eof = false;
    if (OnReadRecord)
      OnReadRecord(this, memTableData, rec, eof);
    else
      DefaultReadRecord(memTableData, rec, eof);
    SetProviderEOF(eof);
    if (FProviderEOF) break;
    dropRec.Release();
    list->FetchRecord(rec);
    ++read;
    if (--count == 0) break;
  }
  return read;
}

void TDataDriverEh::DefaultReadRecord(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec,
                                      bool& providerEOF) {
  TDataSet* reader = FReaderDataSet;
  if (!reader || !reader->GetActive() || reader->Eof()) {
    providerEOF = true;
    return;
  }
  TMTDataStructEh* ds = memTableData->GetDataStruct();
  for (Integer i = 0; i < ds->GetCount(); ++i) AssignFieldValue(memTableData, memRec, i, dvvValueEh, reader);
  reader->Next();
}

void TDataDriverEh::AssignFieldValue(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec,
                                     Integer dataFieldIndex, TDataValueVersionEh dataValueVersion,
                                     TDataSet* readerDataSet) {
  if (OnAssignFieldValue)
    OnAssignFieldValue(this, memTableData, memRec, dataFieldIndex, dataValueVersion, readerDataSet);
  else
    DefaultAssignFieldValue(memTableData, memRec, dataFieldIndex, dataValueVersion, readerDataSet);
}

void TDataDriverEh::DefaultAssignFieldValue(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec,
                                            Integer dataFieldIndex, TDataValueVersionEh dataValueVersion,
                                            TDataSet* readerDataSet) {
  TMTDataStructEh* ds = memTableData->GetDataStruct();
  if (FDataToRecFields.size() != static_cast<size_t>(ds->GetCount())) {
    FDataToRecFields.assign(static_cast<size_t>(ds->GetCount()), -1);
    for (Integer i = 0; i < ds->GetCount(); ++i)
      if (TField* field = readerDataSet->FindField(ds->GetDataField(i)->GetFieldName()))
        FDataToRecFields[static_cast<size_t>(i)] = field->GetIndex();
  }
  Integer readerIndex = FDataToRecFields[static_cast<size_t>(dataFieldIndex)];
  if (readerIndex < 0) return;
  TMTDataFieldEh* dataField = ds->GetDataField(dataFieldIndex);
  memRec->SetDataValue(dataFieldIndex, dataValueVersion,
                       StoreRecValueEh(readerDataSet->GetFields()->GetField(readerIndex)->GetAsVariant(),
                                       dataField->VarDataType()));
}

void TDataDriverEh::RefreshRecord(TMemoryRecordEh* memRecord) {
  if (OnRefreshRecord)
    OnRefreshRecord(this, memRecord->GetRecordsList()->GetMemTableData(), memRecord);
  else
    DefaultRefreshRecord(memRecord);
}

void TDataDriverEh::DefaultRefreshRecord(TMemoryRecordEh* memRecord) {
  if (!FProviderDataSet) return;
  if (FKeyFields.empty())
    throw Exception(u"It is required to set DataDriver.KeyFields to refresh record values");
  TBookmark mark = FProviderDataSet->GetBookmark();
  auto back = MakeScopeExit([&] {
    if (!mark.empty() && FProviderDataSet->BookmarkValid(mark)) FProviderDataSet->GotoBookmark(mark);
  });
  Variant keys = memRecord->GetDataValues(
      FKeyFields, memRecord->GetUpdateStatus() == usModified ? dvvOldValueEh : dvvValueEh);
  if (!FProviderDataSet->Locate(FKeyFields, keys, {}))
    throw Exception(u"Key is not found in ProviderDataSet");
  TMemTableDataEh* data = memRecord->GetRecordsList()->GetMemTableData();
  for (Integer i = 0; i < data->GetDataStruct()->GetCount(); ++i)
    AssignFieldValue(data, memRecord, i, dvvRefreshValue, FProviderDataSet);
}

void TDataDriverEh::RefreshReader() {
  if (!FProviderDataSet) return;
  FProviderDataSet->Refresh();
  FProviderDataSet->First();
}

void TDataDriverEh::ConsumerClosed(TObject*) {
  if (FProviderDataSet) FProviderDataSet->Close();
  SetProviderEOF(true);
}

void TDataDriverEh::SetReaderParamsFromCursor(TDataSet* dataSet) {
  TParams* params = FProviderDataSet ? FProviderDataSet->PSGetParams() : nullptr;
  if (!params) return;
  for (int i = 0; i < params->GetCount(); ++i) {
    TParam* param = params->GetItem(i);
    if (param->GetBound()) continue;
    param->SetValue(dataSet->FieldByName(param->GetName())->GetAsVariant());
    param->SetBound(false);
  }
}

bool TDataDriverEh::RefreshReaderParamsFromCursor(TDataSet* dataSet) {
  TParams* params = FProviderDataSet ? FProviderDataSet->PSGetParams() : nullptr;
  if (!params) return false;
  for (int i = 0; i < params->GetCount(); ++i) {
    TParam* param = params->GetItem(i);
    if (TField* field = dataSet->FindField(param->GetName()))
      if (!VarEqualsEh(param->GetValue(), field->GetAsVariant())) return true;
  }
  return false;
}

void TDataDriverEh::UpdateRecord(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec) {
  if (OnUpdateRecord)
    OnUpdateRecord(this, memTableData, memRec);
  else
    DefaultUpdateRecord(memTableData, memRec);
}

void TDataDriverEh::DefaultUpdateError(TMemTableDataEh*, TMemoryRecordEh*, TUpdateErrorActionEh& action) {
  action = ueaBreakRaiseEh;
}

Integer TDataDriverEh::ApplyUpdates(TMemTableDataEh* memTableData) {
  TRecordsListEh* list = memTableData->GetRecordsList();
  TObjectListEh* delta = list->GetDeltaList();
  const Integer n = delta->GetCount();
  Integer applied = 0;
  // Merged only once the whole application has been committed: a failure on the way (or of the commit
  // itself) leaves every change pending in the table.
  std::vector<TMemoryRecordEh*> toMerge;
  // Errors of records merged by "continue" are put back after the merge, which clears them.
  std::vector<std::pair<TMemoryRecordEh*, String>> mergedErrors;
  BeginApplyUpdates();
  auto rollback = MakeScopeExit([this] { RollbackApplyUpdates(); });
  for (Integer i = 0; i < n; ++i) {
    auto* rec = static_cast<TMemoryRecordEh*>(delta->Get(i));
    if (!rec) continue;
    TUpdateErrorActionEh action = ueaBreakRaiseEh;
    for (Integer attempt = 0;; ++attempt) {
      BeginApplyRecord();
      try {
        UpdateRecord(memTableData, rec);
        ++applied;
        action = ueaBreakRaiseEh;
        rec->SetUpdateError(nullptr);
        break;
      } catch (const EDatabaseError& e) {
        // Only database errors are offered to the handler; others pass on at once, and so does one
        // that took the records applied before with it: nothing could go on from there.
        if (!RecordApplyFailed()) throw;
        action = ueaBreakRaiseEh;
        if (OnUpdateError)
          OnUpdateError(this, memTableData, rec, action);
        else
          DefaultUpdateError(memTableData, rec, action);
        if (action == ueaBreakRaiseEh || (action == ueaRetryEh && attempt >= kMaxUpdateRetries)) throw;
        rec->SetUpdateError(std::make_unique<TUpdateErrorEh>(std::make_unique<EDatabaseError>(e.Message())));
        if (action != ueaRetryEh) break;
      }
    }
    if (action == ueaBreakAbortEh) break;
    if (action == ueaCountinueSkip) continue;
    toMerge.push_back(rec);
    if (action == ueaCountinueEh)
      mergedErrors.emplace_back(rec, rec->GetUpdateError()->GetExceptionObject()->Message());
  }
  CommitApplyUpdates();
  rollback.Release();
  for (TMemoryRecordEh* rec : toMerge) rec->MergeChanges();
  for (auto& [rec, message] : mergedErrors)
    rec->SetUpdateError(std::make_unique<TUpdateErrorEh>(std::make_unique<EDatabaseError>(message)));
  list->CleanupChangedRecs();
  return applied;
}

String TDataDriverEh::UpdateKeyFields() const {
  if (!FKeyFields.empty()) return FKeyFields;
  String keys;
  for (TField* field : FProviderDataSet->GetFields()->List()) {
    if (field->GetFieldKind() != fkData || !IsKeyCapableFieldTypeEh(field->GetDataType())) continue;
    if (!keys.empty()) keys += u";";
    keys += field->GetFieldName();
  }
  return keys;
}

Integer TDataDriverEh::DefaultUpdateRecord(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec) {
  if (!FResolveToDataSet || !FProviderDataSet) return 0;
  TDataSet* provider = FProviderDataSet;
  TBookmark mark = provider->GetBookmark();
  auto back = MakeScopeExit([&] {
    if (!mark.empty() && provider->BookmarkValid(mark)) provider->GotoBookmark(mark);
  });
  String keys = UpdateKeyFields();
  TUpdateStatus status = memRec->GetUpdateStatus();
  if (status == usModified || status == usDeleted) {
    // A provider row that is gone is a lost change, reported like any other refused change.
    if (!provider->Locate(keys, memRec->GetDataValues(keys, dvvOldestValue), {}))
      throw EDatabaseError(kRecordChangedOnServer);
    if (status == usDeleted && provider->GetBookmark() == mark) mark.clear();
  }
  if (status == usDeleted) {
    provider->Delete();
    return 1;
  }
  if (status == usModified)
    provider->Edit();
  else
    provider->Insert();
  {
    auto cancel = MakeScopeExit([provider] {
      if (provider->GetState() == dsEdit || provider->GetState() == dsInsert) provider->Cancel();
    });
    TMTDataStructEh* ds = memTableData->GetDataStruct();
    for (Integer i = 0; i < ds->GetCount(); ++i) {
      TField* field = provider->FindField(ds->GetDataField(i)->GetFieldName());
      if (field && !field->GetReadOnly()) field->SetAsVariant(memRec->GetDataValue(i, dvvValueEh));
    }
    provider->Post();
    cancel.Release();
  }
  // Server-made values (defaults, generated keys) come back into the record.
  TMTDataStructEh* ds = memRec->GetDataStruct();
  for (Integer i = 0; i < ds->GetCount(); ++i)
    if (TField* field = provider->FindField(ds->GetDataField(i)->GetFieldName()))
      memRec->GetRecordsList()->SetValue(
          memRec->GetIndex(), i, StoreRecValueEh(field->GetAsVariant(), ds->GetDataField(i)->VarDataType()));
  return 1;
}

// ---- Macros ----

String SubstituteMacro(const String& text, const String& macroName, const String& macroValue) {
  if (macroName.empty()) return text;
  String result;
  result.reserve(text.size());
  size_t from = 0;
  for (;;) {
    size_t at = text.find(macroName, from);
    if (at == String::npos) break;
    result.append(text, from, at - from);
    result += macroValue;
    from = at + macroName.size();
  }
  result.append(text, from, String::npos);
  return result;
}

String QuoteSQLLiteralEh(const String& value) {
  String result = u"'";
  for (Char c : value) {
    if (c == u'\'') result += u'\'';
    result += c;
  }
  return result + u"'";
}

void TSpecMacrosEh::SetFilterMacroName(const String& value) {
  FFilterMacroName = value;
  FMacroVars->MacrosChanged();
}

void TSpecMacrosEh::SetSortOrderMacroName(const String& value) {
  FSortOrderMacroName = value;
  FMacroVars->MacrosChanged();
}

void TSpecMacrosEh::SetFilterMacroValue(const String& value) {
  FFilterMacroValue = value;
  FMacroVars->MacrosChanged();
}

void TSpecMacrosEh::SetSortOrderMacroValue(const String& value) {
  FSortOrderMacroValue = value;
  FMacroVars->MacrosChanged();
}

void TSpecMacrosEh::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSpecMacrosEh*>(source)) {
    FFilterMacroName = other->FFilterMacroName;
    FSortOrderMacroName = other->FSortOrderMacroName;
    FMacroVars->MacrosChanged();
    return;
  }
  TPersistent::Assign(source);
}

TMacroVarsEh::TMacroVarsEh(TCustomSQLDataDriverEh* dataDriver)
    : FDataDriver(dataDriver), FSpecMacros(std::make_unique<TSpecMacrosEh>(this)) {}

void TMacroVarsEh::SetSpecMacrosUsages(TSpecMacrosUsagesEh value) {
  FSpecMacrosUsages = value;
  MacrosChanged();
}

void TMacroVarsEh::SetMacro(const String& name, const String& value) {
  for (auto& macro : FMacros)
    if (macro.first == name) {
      macro.second = value;
      MacrosChanged();
      return;
    }
  FMacros.emplace_back(name, value);
  MacrosChanged();
}

void TMacroVarsEh::ClearMacros() {
  FMacros.clear();
  MacrosChanged();
}

void TMacroVarsEh::MacrosChanged() {
  if (FDataDriver) FDataDriver->CommandTextsObsolete();
}

void TMacroVarsEh::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TMacroVarsEh*>(source)) {
    FMacros = other->FMacros;
    FSpecMacrosUsages = other->FSpecMacrosUsages;
    FSpecMacros->Assign(other->FSpecMacros.get());
    return;
  }
  TPersistent::Assign(source);
}

// ---- Commands ----

TCustomSQLCommandEh::TCustomSQLCommandEh(TCustomSQLDataDriverEh* dataDriver)
    : FCommandText(std::make_unique<TStringList>()),
      FDataDriver(dataDriver),
      FFinalCommandText(std::make_unique<TStringList>()) {
  FCommandText->OnChange = TNotifyEvent(this, &TCustomSQLCommandEh::CommandTextChanged);
}

TCustomSQLCommandEh::~TCustomSQLCommandEh() { FCommandText->OnChange = nullptr; }

void TCustomSQLCommandEh::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TCustomSQLCommandEh*>(source)) {
    SetCommandText(other->GetCommandText());
    SetCommandType(other->GetCommandType());
    return;
  }
  TPersistent::Assign(source);
}

TSQLCommandTypeEh TCustomSQLCommandEh::GetDefaultCommandType() {
  return FDataDriver->DefaultCommandType(this);
}

void TCustomSQLCommandEh::SetCommandText(TStrings* value) { FCommandText->Assign(value); }

void TCustomSQLCommandEh::CommandTextChanged(TObject*) {
  FFinalCommandTextObsolete = true;
  RebuildParams();
  if (FDataDriver) FDataDriver->CommandTextChanged(this);
}

TStrings* TCustomSQLCommandEh::GetFinalCommandText() {
  if (FFinalCommandTextObsolete) FormFinalCommandText();
  return FFinalCommandText.get();
}

void TCustomSQLCommandEh::FormFinalCommandText() {
  String text = FCommandText->GetText();
  TMacroVarsEh* macros = FDataDriver->GetMacroVars();
  TSpecMacrosEh* spec = macros->GetSpecMacros();
  if (macros->GetSpecMacrosUsages().Contains(smuUseFilterMacroEh))
    text = SubstituteMacro(text, spec->GetFilterMacroName(), spec->GetFilterMacroValue());
  if (macros->GetSpecMacrosUsages().Contains(smuUseSortOrderMacroEh))
    text = SubstituteMacro(text, spec->GetSortOrderMacroName(), spec->GetSortOrderMacroValue());
  for (const auto& [name, value] : macros->GetMacros()) text = SubstituteMacro(text, name, value);
  FFinalCommandText->SetText(text);
  FFinalCommandTextObsolete = false;
}

Integer TCustomSQLCommandEh::Execute(TDataSet*& cursor, bool& freeOnEof) {
  cursor = nullptr;
  bool processed = false;
  if (IConnectionProviderEh* provider = FDataDriver->GetConnectionProvider()) {
    Integer result = provider->ExecuteCommand(FDataDriver, this, cursor, freeOnEof, processed);
    if (processed) return result;
  }
  return GetSQLDataDriverResolver()->ExecuteCommand(FDataDriver, this, cursor, freeOnEof, processed);
}

void TCustomSQLCommandEh::RefreshParams(TMemoryRecordEh* memRecord, TDataValueVersionEh dataValueVersion) {
  TParams* params = GetParams();
  if (!params) return;
  TMTDataStructEh* ds = memRecord->GetDataStruct();
  for (int i = 0; i < params->GetCount(); ++i) {
    TParam* param = params->GetItem(i);
    String name = param->GetName();
    TDataValueVersionEh version = dataValueVersion;
    if (name.size() > 4 && SameText(name.substr(0, 4), u"OLD_")) {
      name = name.substr(4);
      version = dvvOldestValue;
    }
    Integer index = ds->FieldIndex(name);
    if (index < 0) continue;
    TMTDataFieldEh* field = ds->GetDataField(index);
    Variant value = memRecord->GetDataValue(index, version);
    param->SetDataType(field->GetDataType());
    param->SetValue(value);
  }
  SetParams(params);
}

// ---- TCustomSQLDataDriverEh ----

TCustomSQLDataDriverEh::TCustomSQLDataDriverEh(TComponent* owner) : TDataDriverEh(owner) {
  FSelectCommand = MakeCommand(&TCustomSQLDataDriverEh::CreateSelectCommand);
  FUpdateCommand = MakeCommand(&TCustomSQLDataDriverEh::CreateUpdateCommand);
  FInsertCommand = MakeCommand(&TCustomSQLDataDriverEh::CreateInsertCommand);
  FDeleteCommand = MakeCommand(&TCustomSQLDataDriverEh::CreateDeleteCommand);
  FGetrecCommand = MakeCommand(&TCustomSQLDataDriverEh::CreateGetrecCommand);
  FSelectCommand->SetCommandType(cthSelectQuery);
  FGetrecCommand->SetCommandType(cthSelectQuery);
  FUpdateCommand->SetCommandType(cthUpdateQuery);
  FInsertCommand->SetCommandType(cthUpdateQuery);
  FDeleteCommand->SetCommandType(cthUpdateQuery);
  FSpecParams = std::make_unique<TStringList>();
  SetResolveToDataSet(false);
  FServiceCommand = MakeCommand(&TCustomSQLDataDriverEh::CreateCommand);
  FDynaSQLParams = std::make_unique<TDynaSQLParamsEh>(this);
  FMacroVars = std::make_unique<TMacroVarsEh>(this);
  FConstructing = false;
}

TCustomSQLDataDriverEh::~TCustomSQLDataDriverEh() { FConstructing = true; }

void TCustomSQLDataDriverEh::RecreateCommands() {
  FConstructing = true;
  using Create = TCustomSQLCommandEh* (TCustomSQLDataDriverEh::*)();
  const std::pair<std::unique_ptr<TCustomSQLCommandEh>*, Create> commands[] = {
      {&FSelectCommand, &TCustomSQLDataDriverEh::CreateSelectCommand},
      {&FUpdateCommand, &TCustomSQLDataDriverEh::CreateUpdateCommand},
      {&FInsertCommand, &TCustomSQLDataDriverEh::CreateInsertCommand},
      {&FDeleteCommand, &TCustomSQLDataDriverEh::CreateDeleteCommand},
      {&FGetrecCommand, &TCustomSQLDataDriverEh::CreateGetrecCommand},
      {&FServiceCommand, &TCustomSQLDataDriverEh::CreateCommand}};
  for (const auto& [command, create] : commands) {
    std::unique_ptr<TCustomSQLCommandEh> made = MakeCommand(create);
    made->Assign(command->get());
    *command = std::move(made);
  }
  FConstructing = false;
}

std::unique_ptr<TCustomSQLCommandEh> TCustomSQLDataDriverEh::MakeCommand(
    TCustomSQLCommandEh* (TCustomSQLDataDriverEh::*create)()) {
  return std::unique_ptr<TCustomSQLCommandEh>((this->*create)());
}

void TCustomSQLDataDriverEh::Notification(TComponent* component, TOperation operation) {
  TDataDriverEh::Notification(component, operation);
  if (operation == opRemove && component == FDesignDataBase) FDesignDataBase = nullptr;
}

void TCustomSQLDataDriverEh::SetDesignDataBase(TComponent* value) {
  if (value == FDesignDataBase) return;
  if (FDesignDataBase) FDesignDataBase->RemoveFreeNotification(this);
  FDesignDataBase = value;
  if (value) value->FreeNotification(this);
}

TComponent* TCustomSQLDataDriverEh::GetDesignDataBase() {
  if (IConnectionProviderEh* provider = GetConnectionProvider())
    if (TComponent* db = provider->GetDesignDataBase()) return db;
  return FDesignDataBase;
}

TCustomSQLDataDriverEh* TCustomSQLDataDriverEh::CreateDesignCopy() {
  auto copy = std::make_unique<TCustomSQLDataDriverEh>(nullptr);
  copy->AssignFromDesignDriver(this);
  return copy.release();
}

void TCustomSQLDataDriverEh::AssignFromDesignDriver(TCustomSQLDataDriverEh* designDataDriver) {
  FSelectCommand->Assign(designDataDriver->FSelectCommand.get());
  FUpdateCommand->Assign(designDataDriver->FUpdateCommand.get());
  FInsertCommand->Assign(designDataDriver->FInsertCommand.get());
  FDeleteCommand->Assign(designDataDriver->FDeleteCommand.get());
  FGetrecCommand->Assign(designDataDriver->FGetrecCommand.get());
  FSpecParams->Assign(designDataDriver->FSpecParams.get());
  FDynaSQLParams->Assign(designDataDriver->FDynaSQLParams.get());
  FMacroVars->Assign(designDataDriver->FMacroVars.get());
}

TCustomSQLCommandEh* TCustomSQLDataDriverEh::CreateCommand() { return new TCustomSQLCommandEh(this); }

TSQLCommandTypeEh TCustomSQLDataDriverEh::DefaultCommandType(TCustomSQLCommandEh* command) {
  return command == FSelectCommand.get() || command == FGetrecCommand.get() ? cthSelectQuery : cthUpdateQuery;
}

void TCustomSQLDataDriverEh::SetSelectSQL(const String& text) {
  FSelectCommand->GetCommandText()->SetText(text);
}
void TCustomSQLDataDriverEh::SetUpdateSQL(const String& text) {
  FUpdateCommand->GetCommandText()->SetText(text);
}
void TCustomSQLDataDriverEh::SetInsertSQL(const String& text) {
  FInsertCommand->GetCommandText()->SetText(text);
}
void TCustomSQLDataDriverEh::SetDeleteSQL(const String& text) {
  FDeleteCommand->GetCommandText()->SetText(text);
}
void TCustomSQLDataDriverEh::SetGetrecSQL(const String& text) {
  FGetrecCommand->GetCommandText()->SetText(text);
}

void TCustomSQLDataDriverEh::CommandTextsObsolete() {
  if (FConstructing) return;
  for (TCustomSQLCommandEh* command : {FSelectCommand.get(), FUpdateCommand.get(), FInsertCommand.get(),
                                       FDeleteCommand.get(), FGetrecCommand.get()})
    command->MarkFinalTextObsolete();
}

void TCustomSQLDataDriverEh::CommandTextChanged(TCustomSQLCommandEh* command) {
  if (FConstructing) return;
  if (command == FSelectCommand.get())
    if (auto* table = dynamic_cast<TCustomMemTableEh*>(GetDataDriverConsumer())) table->DriverStructChanged();
}

bool TCustomSQLDataDriverEh::FieldIncludedInUpdate(TUpdateStatus updateStatus, const String& fieldName) {
  return !(updateStatus == usInserted && fieldName == FSpecParams->GetValue(u"AUTO_INCREMENT_FIELD") &&
           !fieldName.empty());
}

Integer TCustomSQLDataDriverEh::ExecuteCommand(TCustomSQLCommandEh* command, TDataSet*& cursor,
                                               bool& freeOnEof) {
  if (OnExecuteCommand) return OnExecuteCommand(this, command, cursor, freeOnEof);
  return DefaultExecuteCommand(command, cursor, freeOnEof);
}

Integer TCustomSQLDataDriverEh::DefaultExecuteCommand(TCustomSQLCommandEh* command, TDataSet*& cursor,
                                                      bool& freeOnEof) {
  if (HaveDataConnection()) return command->Execute(cursor, freeOnEof);
  bool processed = false;
  Integer result = GetSQLDataDriverResolver()->ExecuteCommand(this, command, cursor, freeOnEof, processed);
  if (processed) return result;
  return command->Execute(cursor, freeOnEof);
}

bool TCustomSQLDataDriverEh::FilterTextSupported() {
  return FMacroVars->GetSpecMacrosUsages().Contains(smuUseFilterMacroEh);
}

bool TCustomSQLDataDriverEh::OrderByTextSupported() {
  return FMacroVars->GetSpecMacrosUsages().Contains(smuUseSortOrderMacroEh);
}

void TCustomSQLDataDriverEh::ApplyFilterText(const String& filterText) {
  TSpecMacrosUsagesEh usages = FMacroVars->GetSpecMacrosUsages();
  if (filterText.empty())
    FMacroVars->GetSpecMacros()->SetFilterMacroValue(String());
  else if (usages.Contains(smuFilterAsWhereClauseEh))
    FMacroVars->GetSpecMacros()->SetFilterMacroValue(u"WHERE " + filterText);
  else if (usages.Contains(smuFilterWithANDPrecedingEh))
    FMacroVars->GetSpecMacros()->SetFilterMacroValue(u"AND (" + filterText + u")");
}

void TCustomSQLDataDriverEh::ApplyOrderByText(const String& orderByText) {
  TSpecMacrosUsagesEh usages = FMacroVars->GetSpecMacrosUsages();
  if (orderByText.empty())
    FMacroVars->GetSpecMacros()->SetSortOrderMacroValue(String());
  else if (usages.Contains(smuSortOrderAsOrderByClauseEh))
    FMacroVars->GetSpecMacros()->SetSortOrderMacroValue(u"ORDER BY " + orderByText);
  else if (usages.Contains(smuSortOrderWithCommaPrecedingEh))
    FMacroVars->GetSpecMacros()->SetSortOrderMacroValue(u", " + orderByText);
}

void TCustomSQLDataDriverEh::AdjustDataStruct(TFields*, TMTDataStructEh* dataStruct) {
  String name = FSpecParams->GetValue(u"AUTO_INCREMENT_FIELD");
  if (name.empty()) return;
  if (auto* field = dynamic_cast<TMTNumericDataFieldEh*>(dataStruct->FindField(name)))
    field->SetAutoIncrement(true);
}

bool TCustomSQLDataDriverEh::ConnectionIsPostponed() {
  IConnectionProviderEh* provider = GetConnectionProvider();
  return provider && provider->ConnectionIsPostponed();
}

void TCustomSQLDataDriverEh::AddPostponedActivationDataSet(TDataSet* dataSet) {
  if (IConnectionProviderEh* provider = GetConnectionProvider())
    provider->AddPostponedActivationDataSet(dataSet);
}

void TCustomSQLDataDriverEh::DefaultProduceDataReader(TDataSet*& dataSet, bool& freeOnEof) {
  if (GetProviderDataSet()) {
    TDataDriverEh::DefaultProduceDataReader(dataSet, freeOnEof);
    return;
  }
  ExecuteCommand(FSelectCommand.get(), dataSet, freeOnEof);
}

void TCustomSQLDataDriverEh::DefaultBuildDataStruct(TMTDataStructEh* dataStruct) {
  if (FReaderDataSet || GetProviderDataSet()) {
    TDataDriverEh::DefaultBuildDataStruct(dataStruct);
    return;
  }
  TDataSet* cursor = nullptr;
  bool freeOnEof = false;
  ExecuteCommand(FSelectCommand.get(), cursor, freeOnEof);
  // A driver that reads nothing must say so: an empty table would hide a missing connection.
  if (!cursor) throw Exception(u"SelectCommand.Execute does not get DataSet");
  auto release = MakeScopeExit([&] {
    if (freeOnEof) delete cursor;
  });
  cursor->Open();
  dataStruct->BuildStructFromFields(cursor->GetFields());
  AdjustDataStruct(cursor->GetFields(), dataStruct);
  cursor->Close();
}

void TCustomSQLDataDriverEh::SetReaderParamsFromCursor(TDataSet* dataSet) {
  if (GetProviderDataSet()) {
    TDataDriverEh::SetReaderParamsFromCursor(dataSet);
    return;
  }
  TParams* params = FSelectCommand->GetParams();
  if (!params) return;
  for (int i = 0; i < params->GetCount(); ++i) {
    TParam* param = params->GetItem(i);
    param->SetValue(dataSet->FieldByName(param->GetName())->GetAsVariant());
    param->SetBound(false);
  }
  FSelectCommand->SetParams(params);
}

bool TCustomSQLDataDriverEh::RefreshReaderParamsFromCursor(TDataSet* dataSet) {
  if (GetProviderDataSet()) return TDataDriverEh::RefreshReaderParamsFromCursor(dataSet);
  TParams* params = FSelectCommand->GetParams();
  if (!params) return false;
  for (int i = 0; i < params->GetCount(); ++i) {
    TParam* param = params->GetItem(i);
    if (TField* field = dataSet->FindField(param->GetName()))
      if (!VarEqualsEh(param->GetValue(), field->GetAsVariant())) return true;
  }
  return false;
}

void TCustomSQLDataDriverEh::DefaultRefreshRecord(TMemoryRecordEh* memRecord) {
  if (GetResolveToDataSet()) {
    TDataDriverEh::DefaultRefreshRecord(memRecord);
    return;
  }
  FGetrecCommand->RefreshParams(memRecord, dvvOldestValue);
  TDataSet* cursor = nullptr;
  bool freeOnEof = false;
  ExecuteCommand(FGetrecCommand.get(), cursor, freeOnEof);
  auto release = MakeScopeExit([&] {
    if (freeOnEof) delete cursor;
  });
  if (!cursor || (cursor->Open(), cursor->IsEmpty())) throw Exception(u"There are no fresh record on server");
  TMemTableDataEh* data = memRecord->GetRecordsList()->GetMemTableData();
  memRecord->EditForRefresh();
  auto post = MakeScopeExit([memRecord] { memRecord->Post(); });
  for (Integer i = 0; i < data->GetDataStruct()->GetCount(); ++i)
    AssignFieldValue(data, memRecord, i, dvvOldestValue, cursor);
}

Integer TCustomSQLDataDriverEh::DefaultUpdateRecord(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec) {
  bool processed = false;
  if (IConnectionProviderEh* provider = GetConnectionProvider()) {
    Integer result = provider->UpdateRecord(this, memTableData, memRec, processed);
    if (processed) return result;
  }
  Integer result = GetSQLDataDriverResolver()->UpdateRecord(this, memTableData, memRec, processed);
  if (processed) return result;
  if (FServerSpecOperations) return FServerSpecOperations->UpdateRecord(this, memTableData, memRec);
  return DoUpdateRecord(memTableData, memRec);
}

Integer TCustomSQLDataDriverEh::DoUpdateRecord(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec) {
  if (GetResolveToDataSet()) return TDataDriverEh::DefaultUpdateRecord(memTableData, memRec);
  TDynaSQLOptionsEh options = FDynaSQLParams->GetOptions();
  TUpdateStatus status = memRec->GetUpdateStatus();
  TCustomSQLCommandEh* command = nullptr;
  if ((status == usModified && options.Contains(dsoDynamicSQLUpdateEh)) ||
      (status == usInserted && options.Contains(dsoDynamicSQLInsertEh)) ||
      (status == usDeleted && options.Contains(dsoDynamicSQLDeleteEh))) {
    GenerateDynamicSQLCommand(memRec, FServiceCommand.get());
    if (FServiceCommand->GetCommandText()->GetCount() > 0) command = FServiceCommand.get();
  }
  if (!command) {
    command = status == usModified   ? FUpdateCommand.get()
              : status == usInserted ? FInsertCommand.get()
              : status == usDeleted  ? FDeleteCommand.get()
                                     : nullptr;
    if (command && command->GetCommandText()->GetCount() == 0) command = nullptr;
  }
  if (!command) return 0;
  command->RefreshParams(memRec, dvvValueEh);
  TDataSet* cursor = nullptr;
  bool freeOnEof = false;
  Integer result = ExecuteCommand(command, cursor, freeOnEof);
  auto release = MakeScopeExit([&] {
    if (freeOnEof) delete cursor;
  });
  // An UPDATE or DELETE that matched no row changed nothing: that is a lost change, not a success.
  if ((status == usModified || status == usDeleted) && result == 0)
    throw EDatabaseError(kRecordChangedOnServer);
  GetBackUpdatedValues(memRec, command, cursor);
  return result;
}

void TCustomSQLDataDriverEh::GetBackUpdatedValues(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command,
                                                  TDataSet* resDataSet) {
  if (OnGetBackUpdatedValues)
    OnGetBackUpdatedValues(this, memRec, command, resDataSet);
  else
    DefaultGetUpdatedServerValues(memRec, command, resDataSet);
}

void TCustomSQLDataDriverEh::DefaultGetUpdatedServerValues(TMemoryRecordEh* memRec,
                                                           TCustomSQLCommandEh* command,
                                                           TDataSet* resDataSet) {
  bool processed = false;
  if (IConnectionProviderEh* provider = GetConnectionProvider()) {
    provider->GetBackUpdatedValues(this, memRec, command, resDataSet, processed);
    if (processed) return;
  }
  GetSQLDataDriverResolver()->GetBackUpdatedValues(this, memRec, command, resDataSet, processed);
  if (!processed && FServerSpecOperations)
    FServerSpecOperations->GetBackUpdatedValues(memRec, command, resDataSet);
}

void TCustomSQLDataDriverEh::GenerateDynamicSQLCommand(TMemoryRecordEh* memRecord,
                                                       TCustomSQLCommandEh* command) {
  TServerSpecOperationsEh* ops = FServerSpecOperations;
  if (!ops) ops = GetSQLDataDriverResolver()->GetServerSpecOperations();
  if (!ops) ops = DefaultServerSpecOperations();
  ops->GenerateDynaSQLCommand(memRecord, command);
}

void TCustomSQLDataDriverEh::BeginApplyUpdates() {
  if (IConnectionProviderEh* provider = GetConnectionProvider()) provider->StartTransaction();
}

void TCustomSQLDataDriverEh::CommitApplyUpdates() {
  if (IConnectionProviderEh* provider = GetConnectionProvider()) provider->CommitTransaction();
}

void TCustomSQLDataDriverEh::RollbackApplyUpdates() {
  if (IConnectionProviderEh* provider = GetConnectionProvider()) provider->RollbackTransaction();
}

void TCustomSQLDataDriverEh::BeginApplyRecord() {
  if (IConnectionProviderEh* provider = GetConnectionProvider()) provider->SetSavepoint();
}

bool TCustomSQLDataDriverEh::RecordApplyFailed() {
  IConnectionProviderEh* provider = GetConnectionProvider();
  return !provider || provider->RollbackToSavepoint();
}

// ---- Dynamic SQL ----

void TDynaSQLParamsEh::GetUpdateFields(TStrings* list, TMemoryRecordEh* memRec) {
  if (FUpdateFieldListSource == tflsListPropertyEh) {
    list->SetCommaText(FUpdateFields);
    return;
  }
  IConnectionProviderEh* provider = FDataDriver ? FDataDriver->GetConnectionProvider() : nullptr;
  if (!provider) return;
  TStringList tableFields;
  provider->GetTableFieldNames(FUpdateTable, &tableFields);
  TStringList keys;
  keys.SetCommaText(FKeyFields);
  for (int i = tableFields.GetCount() - 1; i >= 0; --i)
    for (int k = 0; k < keys.GetCount(); ++k)
      if (SameText(tableFields.Get(i), keys.Get(k))) {
        tableFields.Delete(i);
        break;
      }
  list->Clear();
  TMTDataStructEh* ds = memRec->GetDataStruct();
  for (Integer f = 0; f < ds->GetCount(); ++f)
    for (int i = 0; i < tableFields.GetCount(); ++i)
      if (SameText(tableFields.Get(i), ds->GetDataField(f)->GetFieldName())) {
        list->Add(tableFields.Get(i));
        break;
      }
}

void TDynaSQLParamsEh::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TDynaSQLParamsEh*>(source)) {
    FUpdateTable = other->FUpdateTable;
    FUpdateFields = other->FUpdateFields;
    FKeyFields = other->FKeyFields;
    FSkipUnchangedFields = other->FSkipUnchangedFields;
    FOptions = other->FOptions;
    FUpdateFieldListSource = other->FUpdateFieldListSource;
    return;
  }
  TPersistent::Assign(source);
}

void TServerSpecOperationsEh::GenerateKeyWhereClause(TStrings* keyFields, TStrings* lines) {
  if (keyFields->GetCount() == 0) return;
  lines->Add(u"where");
  for (int i = 0; i < keyFields->GetCount(); ++i) {
    String line = u" " + keyFields->Get(i) + u" = :OLD_" + keyFields->Get(i);
    lines->Add(i + 1 < keyFields->GetCount() ? line + u" and" : line);
  }
}

void TServerSpecOperationsEh::GetChangedFields(TMemoryRecordEh* memRec, TStrings* fields, TStrings* changed) {
  changed->Clear();
  TMTDataStructEh* ds = memRec->GetDataStruct();
  for (int i = 0; i < fields->GetCount(); ++i) {
    Integer index = ds->FieldIndex(fields->Get(i));
    if (index < 0)
      throw Exception(u"Invalid field name \"" + fields->Get(i) + u"\" in field list \"" +
                      fields->GetCommaText() + u"\"");
    if (!VarEqualsEh(memRec->GetDataValue(index, dvvValueEh), memRec->GetDataValue(index, dvvOldValueEh)))
      changed->Add(fields->Get(i));
  }
}

namespace {

bool ContainsName(TStrings* list, const String& name) {
  for (int i = 0; i < list->GetCount(); ++i)
    if (SameText(list->Get(i), name)) return true;
  return false;
}

// "  (A, B, C)" lines, cut after a name that makes a line longer than 70 characters.
void AddNameList(TStrings* lines, const std::vector<std::vector<String>>& parts, const String& prefix) {
  String line = u"  (";
  bool first = true;
  for (const std::vector<String>& part : parts) {
    for (size_t i = 0; i < part.size(); ++i) {
      if (!first) line += u", ";
      line += prefix + part[i];
      first = false;
      if (line.size() > 70 && i + 1 < part.size()) {
        lines->Add(line);
        line = u"   ";
      }
    }
  }
  lines->Add(line + u")");
}

}  // namespace

void TServerSpecOperationsEh::GenerateDynaSQLCommand(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command) {
  command->SetCommandType(cthUpdateQuery);
  TCustomSQLDataDriverEh* driver = command->GetDataDriver();
  TDynaSQLParamsEh* settings = driver->GetDynaSQLParams();
  TStringList fields;
  settings->GetUpdateFields(&fields, memRec);
  if (settings->GetSkipUnchangedFields() && memRec->GetUpdateStatus() == usModified) {
    TStringList changed;
    GetChangedFields(memRec, &fields, &changed);
    fields.Assign(&changed);
  }
  TStringList keys;
  keys.SetCommaText(settings->GetKeyFields());
  TStrings* text = command->GetCommandText();
  text->Clear();
  TStringList lines;
  const String& table = settings->GetUpdateTable();
  switch (memRec->GetUpdateStatus()) {
    case usInserted: {
      std::vector<String> keyPart, fieldPart;
      for (int i = 0; i < keys.GetCount(); ++i)
        if (!ContainsName(&fields, keys.Get(i)) && driver->FieldIncludedInUpdate(usInserted, keys.Get(i)))
          keyPart.push_back(keys.Get(i));
      for (int i = 0; i < fields.GetCount(); ++i)
        if (driver->FieldIncludedInUpdate(usInserted, fields.Get(i))) fieldPart.push_back(fields.Get(i));
      lines.Add(u"insert into " + table);
      AddNameList(&lines, {keyPart, fieldPart}, String());
      lines.Add(u"values");
      AddNameList(&lines, {keyPart, fieldPart}, u":");
      break;
    }
    case usModified:
      if (fields.GetCount() == 0) return;
      lines.Add(u"update " + table);
      lines.Add(u"set");
      for (int i = 0; i < fields.GetCount(); ++i)
        lines.Add(u" " + fields.Get(i) + u" = :" + fields.Get(i) + (i + 1 < fields.GetCount() ? u"," : u""));
      GenerateKeyWhereClause(&keys, &lines);
      break;
    case usDeleted:
      lines.Add(u"delete from " + table);
      GenerateKeyWhereClause(&keys, &lines);
      break;
    default:
      return;
  }
  text->Assign(&lines);
}

Integer TServerSpecOperationsEh::UpdateRecord(TCustomSQLDataDriverEh* sqlDataDriver,
                                              TMemTableDataEh* memTableData, TMemoryRecordEh* memRec) {
  return sqlDataDriver->DoUpdateRecord(memTableData, memRec);
}

String TServerSpecOperationsEh::SpecParam(TCustomSQLDataDriverEh* driver, const String& name) {
  return driver->GetSpecParams()->GetValue(name);
}

Variant TServerSpecOperationsEh::ServiceValue(TCustomSQLDataDriverEh* driver, const String& sql) {
  TCustomSQLCommandEh* command = driver->GetServiceCommand();
  command->GetCommandText()->SetText(sql);
  command->SetCommandType(cthSelectQuery);
  TDataSet* cursor = nullptr;
  bool freeOnEof = false;
  command->Execute(cursor, freeOnEof);
  auto release = MakeScopeExit([&] {
    if (freeOnEof) delete cursor;
  });
  if (!cursor) return Variant::Null();
  cursor->Open();
  if (cursor->IsEmpty() || cursor->GetFieldCount() == 0) return Variant::Null();
  return cursor->GetFields()->GetField(0)->GetAsVariant();
}

namespace {

void StoreFetchedKey(TMemoryRecordEh* memRec, const String& fieldName, const Variant& value) {
  if (fieldName.empty() || VarIsEmptyOrNull(value)) return;
  if (memRec->GetDataStruct()->FieldIndex(fieldName) < 0) return;
  memRec->SetDataValues(fieldName, dvvValueEh, value);
}

}  // namespace

Integer TOracleSpecOperationsEh::UpdateRecord(TCustomSQLDataDriverEh* sqlDataDriver,
                                              TMemTableDataEh* memTableData, TMemoryRecordEh* memRec) {
  String sequence = SpecParam(sqlDataDriver, u"SEQUENCE");
  if (memRec->GetUpdateStatus() == usInserted && !sequence.empty())
    StoreFetchedKey(memRec, SpecParam(sqlDataDriver, u"SEQUENCE_FIELD"),
                    ServiceValue(sqlDataDriver, Format(u"SELECT %s.curval FROM dual", {sequence})));
  return TServerSpecOperationsEh::UpdateRecord(sqlDataDriver, memTableData, memRec);
}

void TMSSQLSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command,
                                                  TDataSet*) {
  TCustomSQLDataDriverEh* driver = command->GetDataDriver();
  String field = SpecParam(driver, u"AUTO_INCREMENT_FIELD");
  if (memRec->GetUpdateStatus() != usInserted || field.empty()) return;
  StoreFetchedKey(memRec, field, ServiceValue(driver, u"SELECT @@IDENTITY"));
}

Integer TInterbaseSpecOperationsEh::UpdateRecord(TCustomSQLDataDriverEh* sqlDataDriver,
                                                 TMemTableDataEh* memTableData, TMemoryRecordEh* memRec) {
  String generator = SpecParam(sqlDataDriver, u"GENERATOR");
  if (memRec->GetUpdateStatus() == usInserted && !generator.empty())
    StoreFetchedKey(
        memRec, SpecParam(sqlDataDriver, u"GENERATOR_FIELD"),
        ServiceValue(sqlDataDriver, Format(u"SELECT GEN_ID(%s, %d) FROM RDB$DATABASE", {generator, 1})));
  return TServerSpecOperationsEh::UpdateRecord(sqlDataDriver, memTableData, memRec);
}

void TInterbaseSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command,
                                                      TDataSet*) {
  TCustomSQLDataDriverEh* driver = command->GetDataDriver();
  String generator = SpecParam(driver, u"GENERATOR");
  String field = SpecParam(driver, u"GENERATOR_FIELD");
  if (memRec->GetUpdateStatus() != usInserted || generator.empty() || field.empty()) return;
  StoreFetchedKey(memRec, field,
                  ServiceValue(driver, Format(u"SELECT GEN_ID(%s, %d) FROM RDB$DATABASE", {generator, 0})));
}

void TInfromixSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command,
                                                     TDataSet*) {
  TCustomSQLDataDriverEh* driver = command->GetDataDriver();
  String field = SpecParam(driver, u"AUTO_INCREMENT_FIELD");
  if (memRec->GetUpdateStatus() != usInserted || field.empty()) return;
  StoreFetchedKey(memRec, field,
                  ServiceValue(driver, u"select DBINFO(\"sqlca.sqlerrd1\") from systables where tabid=1"));
}

void TPostgreSQLSpecOperationsEh::GenerateDynaSQLCommand(TMemoryRecordEh* memRec,
                                                         TCustomSQLCommandEh* command) {
  TServerSpecOperationsEh::GenerateDynaSQLCommand(memRec, command);
  TStrings* text = command->GetCommandText();
  if (text->GetCount() == 0) return;
  TCustomSQLDataDriverEh* driver = command->GetDataDriver();
  TDynaSQLParamsEh* settings = driver->GetDynaSQLParams();
  TStringList lines;
  lines.Assign(text);
  if (memRec->GetUpdateStatus() == usInserted) {
    lines.Add(u"returning *");
  } else {
    // Every written column must still hold what the table read, or the row was changed by someone else.
    TStringList fields;
    settings->GetUpdateFields(&fields, memRec);
    TStringList keys;
    keys.SetCommaText(settings->GetKeyFields());
    bool hasWhere = keys.GetCount() > 0;
    for (int i = 0; i < fields.GetCount(); ++i) {
      if (ContainsName(&keys, fields.Get(i))) continue;
      String test = u" " + fields.Get(i) + u" is not distinct from :OLD_" + fields.Get(i);
      if (!hasWhere) {
        lines.Add(u"where");
        lines.Add(test);
        hasWhere = true;
      } else {
        lines.Put(lines.GetCount() - 1, lines.Get(lines.GetCount() - 1) + u" and");
        lines.Add(test);
      }
    }
  }
  text->Assign(&lines);
}

void TPostgreSQLSpecOperationsEh::GetBackUpdatedValues(TMemoryRecordEh* memRec, TCustomSQLCommandEh*,
                                                       TDataSet* resDataSet) {
  if (memRec->GetUpdateStatus() != usInserted || !resDataSet) return;
  if (!resDataSet->GetActive()) resDataSet->Open();
  if (resDataSet->IsEmpty()) return;
  TMTDataStructEh* ds = memRec->GetDataStruct();
  for (Integer i = 0; i < ds->GetCount(); ++i)
    if (TField* field = resDataSet->FindField(ds->GetDataField(i)->GetFieldName()))
      memRec->SetDataValue(i, dvvValueEh,
                           StoreRecValueEh(field->GetAsVariant(), ds->GetDataField(i)->VarDataType()));
}

// ---- Resolver and registry ----

Integer TSQLDataDriverResolver::ExecuteCommand(TCustomSQLDataDriverEh* driver, TCustomSQLCommandEh* command,
                                               TDataSet*& cursor, bool& freeOnEof, bool& processed) {
  if (OnExecuteCommand) return OnExecuteCommand(driver, command, cursor, freeOnEof, processed);
  processed = false;
  return -1;
}

TServerSpecOperationsEh* TSQLDataDriverResolver::GetServerSpecOperations(bool& processed) {
  if (OnGetServerSpecOperations) {
    TServerSpecOperationsEh* operations = nullptr;
    OnGetServerSpecOperations(processed, operations);
    return operations;
  }
  processed = FServerSpecOperations != nullptr;
  return FServerSpecOperations;
}

Integer TSQLDataDriverResolver::UpdateRecord(TCustomSQLDataDriverEh* driver, TMemTableDataEh* memTableData,
                                             TMemoryRecordEh* memRec, bool& processed) {
  processed = false;
  if (OnUpdateRecord) {
    Integer result = OnUpdateRecord(driver, memTableData, memRec, processed);
    if (processed) return result;
  }
  return DefaultUpdateRecord(driver, memTableData, memRec, processed);
}

Integer TSQLDataDriverResolver::DefaultUpdateRecord(TCustomSQLDataDriverEh* driver,
                                                    TMemTableDataEh* memTableData, TMemoryRecordEh* memRec,
                                                    bool& processed) {
  processed = true;
  if (FServerSpecOperations) return FServerSpecOperations->UpdateRecord(driver, memTableData, memRec);
  if (driver->GetServerSpecOperations())
    return driver->GetServerSpecOperations()->UpdateRecord(driver, memTableData, memRec);
  return driver->DoUpdateRecord(memTableData, memRec);
}

void TSQLDataDriverResolver::GetBackUpdatedValues(TCustomSQLDataDriverEh* driver, TMemoryRecordEh* memRec,
                                                  TCustomSQLCommandEh* command, TDataSet* resDataSet,
                                                  bool& processed) {
  processed = false;
  if (OnGetBackUpdatedValues)
    OnGetBackUpdatedValues(driver, memRec, command, resDataSet, processed);
  else
    DefaultGetUpdatedServerValues(driver, memRec, command, resDataSet, processed);
}

void TSQLDataDriverResolver::DefaultGetUpdatedServerValues(TCustomSQLDataDriverEh* driver,
                                                           TMemoryRecordEh* memRec,
                                                           TCustomSQLCommandEh* command, TDataSet* resDataSet,
                                                           bool& processed) {
  TServerSpecOperationsEh* ops =
      FServerSpecOperations ? FServerSpecOperations : driver->GetServerSpecOperations();
  processed = ops != nullptr;
  if (ops) ops->GetBackUpdatedValues(memRec, command, resDataSet);
}

namespace {

struct ServerRegistry {
  std::vector<std::pair<String, std::function<TServerSpecOperationsEh*()>>> classes;
  std::unique_ptr<TServerSpecOperationsEh> defaultOperations = std::make_unique<TServerSpecOperationsEh>();
  std::unique_ptr<TSQLDataDriverResolver> resolver = std::make_unique<TSQLDataDriverResolver>();
};

void AddServerClass(ServerRegistry& registry, std::function<TServerSpecOperationsEh*()> factory) {
  std::unique_ptr<TServerSpecOperationsEh> probe(factory());
  String name = probe->GetServerTypeName();
  for (const auto& entry : registry.classes)
    if (SameText(entry.first, name))
      throw Exception(u"Server type w ith name: \"" + name + u"\" is already registered");
  registry.classes.emplace_back(name, std::move(factory));
}

ServerRegistry& Registry() {
  static ServerRegistry registry = [] {
    ServerRegistry r;
    AddServerClass(r, [] { return new TServerSpecOperationsEh(); });
    AddServerClass(r, [] { return new TOracleSpecOperationsEh(); });
    AddServerClass(r, [] { return new TMSSQLSpecOperationsEh(); });
    AddServerClass(r, [] { return new TInterbaseSpecOperationsEh(); });
    AddServerClass(r, [] { return new TInfromixSpecOperationsEh(); });
    AddServerClass(r, [] { return new TDB2SpecOperationsEh(); });
    AddServerClass(r, [] { return new TSybaseSpecOperationsEh(); });
    AddServerClass(r, [] { return new TMSAccessSpecOperationsEh(); });
    AddServerClass(r, [] { return new TPostgreSQLSpecOperationsEh(); });
    return r;
  }();
  return registry;
}

}  // namespace

void RegisterServerSpecOperations(std::function<TServerSpecOperationsEh*()> factory) {
  AddServerClass(Registry(), std::move(factory));
}

std::vector<String> RegisteredServerTypeNames() {
  std::vector<String> names;
  for (const auto& entry : Registry().classes) names.push_back(entry.first);
  return names;
}

TServerSpecOperationsEh* DefaultServerSpecOperations() { return Registry().defaultOperations.get(); }

TSQLDataDriverResolver* GetSQLDataDriverResolver() { return Registry().resolver.get(); }

std::unique_ptr<TSQLDataDriverResolver> SetSQLDataDriverResolver(
    std::unique_ptr<TSQLDataDriverResolver> value) {
  std::swap(Registry().resolver, value);
  return value;
}
