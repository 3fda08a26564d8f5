// Data drivers of the in-memory table: the driver over any provider dataset, the SQL data driver with its
// commands and macros, and the server-specific operations that generate INSERT, UPDATE and DELETE texts.
#pragma once

#include <memory>
#include <vector>

#include "gridlib/memtable/MemTableDataEh.h"
#include "platform/classes/StringList.h"
#include "platform/data/DataSet.h"
#include "platform/data/Params.h"

class TDataDriverEh;
class TCustomSQLDataDriverEh;
class TCustomSQLCommandEh;
class TServerSpecOperationsEh;

enum TUpdateErrorActionEh { ueaBreakAbortEh, ueaBreakRaiseEh, ueaCountinueEh, ueaRetryEh, ueaCountinueSkip };

using TDataDriverAssignFieldValueEhEvent =
    TDelegate<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec,
                   Integer DataFieldIndex, TDataValueVersionEh DataValueVersion, TDataSet* ReaderDataSet)>;
using TDataDriverBuildDataStructEhEvent =
    TDelegate<void(TDataDriverEh* DataDriver, TMTDataStructEh* DataStruct)>;
using TDataDriverProduceDataReaderEhEvent =
    TDelegate<void(TDataDriverEh* DataDriver, TDataSet*& DataReader, bool& FreeOnEof)>;
using TDataDriverReadRecordEhEvent = TDelegate<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData,
                                                    TMemoryRecordEh* MemRec, bool& ProviderEOF)>;
using TDataDriverRecordEhEvent =
    TDelegate<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)>;
using TDataDriverUpdateErrorEhEvent = TDelegate<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData,
                                                     TMemoryRecordEh* MemRec, TUpdateErrorActionEh& Action)>;

// The field types a key may be made of when the key fields are derived from the provider.
bool IsKeyCapableFieldTypeEh(TFieldType type);

// Reads records from a provider dataset and writes the table's changes back into it by key.
class TDataDriverEh : public TComponent, public ISideOwnedComponentEh {
  KIV_CLASS(TDataDriverEh, TComponent)
 public:
  explicit TDataDriverEh(TComponent* owner);
  ~TDataDriverEh() override;

  // A driver may be kept by another component of its form (side-parented); that is off in this class
  // and nothing turns it on, so no driver names a side parent.
  virtual bool IsSideParent(TComponent* component) {
    return FSideParentable && component && component == FSideParent;
  }
  bool IsSideParentedBy(TComponent* component) override { return IsSideParent(component); }
  void SetSideParent(TComponent* component) override {
    if (FSideParentable) FSideParent = component;
  }

  TObject* GetDataDriverConsumer() const { return FDataDriverConsumer; }
  void SetDataDriverConsumer(TObject* value) { FDataDriverConsumer = value; }
  const String& GetKeyFields() const { return FKeyFields; }
  void SetKeyFields(const String& value) { FKeyFields = value; }
  TDataSet* GetProviderDataSet() const { return FProviderDataSet; }
  void SetProviderDataSet(TDataSet* value);
  bool GetProviderEOF() const { return FProviderEOF; }
  void SetProviderEOF(bool value);
  bool GetResolveToDataSet() const { return FResolveToDataSet; }
  void SetResolveToDataSet(bool value) { FResolveToDataSet = value; }

  virtual void AdjustDataStruct(TFields*, TMTDataStructEh*) {}
  virtual bool ConnectionIsPostponed() { return false; }
  virtual void AddPostponedActivationDataSet(TDataSet*) {}
  // Applies the change log of memTableData; answers how many records were applied.
  virtual Integer ApplyUpdates(TMemTableDataEh* memTableData);
  virtual Integer DefaultUpdateRecord(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec);
  virtual TDataSet* GetDataReader();
  virtual Integer ReadData(TMemTableDataEh* memTableData, Integer count);
  virtual bool RefreshReaderParamsFromCursor(TDataSet* dataSet);
  virtual void AssignFieldValue(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec,
                                Integer dataFieldIndex, TDataValueVersionEh dataValueVersion,
                                TDataSet* readerDataSet);
  virtual void BuildDataStruct(TMTDataStructEh* dataStruct);
  virtual void ConsumerClosed(TObject* consumerDataSet);
  virtual void DefaultAssignFieldValue(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec,
                                       Integer dataFieldIndex, TDataValueVersionEh dataValueVersion,
                                       TDataSet* readerDataSet);
  virtual void DefaultBuildDataStruct(TMTDataStructEh* dataStruct);
  virtual void DefaultProduceDataReader(TDataSet*& dataSet, bool& freeOnEof);
  virtual void DefaultReadRecord(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec, bool& providerEOF);
  virtual void DefaultRefreshRecord(TMemoryRecordEh* memRecord);
  virtual void DefaultUpdateError(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec,
                                  TUpdateErrorActionEh& action);
  virtual void RefreshReader();
  virtual void RefreshRecord(TMemoryRecordEh* memRecord);
  virtual void SetReaderParamsFromCursor(TDataSet* dataSet);
  virtual void UpdateRecord(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec);

  TDataDriverAssignFieldValueEhEvent OnAssignFieldValue;
  TDataDriverBuildDataStructEhEvent OnBuildDataStruct;
  TDataDriverProduceDataReaderEhEvent OnProduceDataReader;
  TDataDriverReadRecordEhEvent OnReadRecord;
  TDataDriverRecordEhEvent OnRefreshRecord;
  TDataDriverUpdateErrorEhEvent OnUpdateError;
  TDataDriverRecordEhEvent OnUpdateRecord;

  // How often the same record is tried again after an update error answered "retry" before the error
  // is raised: a handler that always answers retry must not hang the program.
  static constexpr Integer kMaxUpdateRetries = 10;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // The frame of one application of the change log: the SQL driver runs it in one transaction, with a
  // save point per record so a refused record leaves the others applicable.
  virtual void BeginApplyUpdates() {}
  virtual void CommitApplyUpdates() {}
  virtual void RollbackApplyUpdates() {}
  virtual void BeginApplyRecord() {}
  // Undoes the refused record; false when the earlier records of the application were lost with it.
  virtual bool RecordApplyFailed() { return true; }
  String UpdateKeyFields() const;

  TDataSet* FReaderDataSet = nullptr;
  bool FReaderDataSetFreeOnEof = false;

 private:
  TObject* FDataDriverConsumer = nullptr;
  TComponent* FSideParent = nullptr;
  bool FSideParentable = false;
  String FKeyFields;
  TDataSet* FProviderDataSet = nullptr;
  bool FProviderEOF = true;
  bool FResolveToDataSet = true;
  std::vector<Integer> FDataToRecFields;
};

// ---- SQL commands and the SQL data driver ----

enum TSQLCommandTypeEh { cthSelectQuery, cthUpdateQuery, cthTable, cthStoredProc };
enum TSpecMacrosUsageEh {
  smuUseFilterMacroEh,
  smuFilterAsWhereClauseEh,
  smuFilterWithANDPrecedingEh,
  smuUseSortOrderMacroEh,
  smuSortOrderAsOrderByClauseEh,
  smuSortOrderWithCommaPrecedingEh
};
using TSpecMacrosUsagesEh = TSet<TSpecMacrosUsageEh>;
enum TDynaSQLOptionEh { dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh };
using TDynaSQLOptionsEh = TSet<TDynaSQLOptionEh>;
enum TTableFieldListSourceEh { tflsListPropertyEh, tflsDataBaseSchemaEh };

// Scans text for macroName and puts macroValue in its place; the value is never scanned again.
String SubstituteMacro(const String& text, const String& macroName, const String& macroValue);
// The one quoting helper for text that goes into SQL as a literal: doubles single quotes.
String QuoteSQLLiteralEh(const String& value);

// One SQL statement of a driver; its final text is the text with the macros in place.
class TCustomSQLCommandEh : public TPersistent {
  KIV_CLASS(TCustomSQLCommandEh, TPersistent)
 public:
  explicit TCustomSQLCommandEh(TCustomSQLDataDriverEh* dataDriver);
  ~TCustomSQLCommandEh() override;

  void Assign(TPersistent* source) override;
  virtual TSQLCommandTypeEh GetDefaultCommandType();
  virtual TStrings* GetCommandText() const { return FCommandText.get(); }
  virtual void SetCommandText(TStrings* value);
  virtual TSQLCommandTypeEh GetCommandType() const { return FCommandType; }
  virtual void SetCommandType(TSQLCommandTypeEh value) { FCommandType = value; }
  virtual void CommandTextChanged(TObject* sender);
  // Runs the command; cursor is the result set for a select (freeOnEof: the caller frees it); answers
  // the executor's count (rows changed by an update), -1 when nobody executed it.
  virtual Integer Execute(TDataSet*& cursor, bool& freeOnEof);
  // Bound parameters of a concrete command; null here.
  virtual TParams* GetParams() { return nullptr; }
  virtual void SetParams(TParams*) {}
  virtual void FormFinalCommandText();
  virtual void RebuildParams() {}
  // Fills the parameters from the record: a name of a field takes its value of version; OLD_ and a
  // field name the field's value before the change.
  virtual void RefreshParams(TMemoryRecordEh* memRecord, TDataValueVersionEh dataValueVersion);

  TStrings* GetFinalCommandText();
  void MarkFinalTextObsolete() { FFinalCommandTextObsolete = true; }
  TCustomSQLDataDriverEh* GetDataDriver() const { return FDataDriver; }

 private:
  std::unique_ptr<TStringList> FCommandText;
  TSQLCommandTypeEh FCommandType = cthSelectQuery;
  TCustomSQLDataDriverEh* FDataDriver;
  std::unique_ptr<TStringList> FFinalCommandText;
  bool FFinalCommandTextObsolete = true;
};

class TMacroVarsEh;

class TSpecMacrosEh : public TPersistent {
  KIV_CLASS(TSpecMacrosEh, TPersistent)
 public:
  explicit TSpecMacrosEh(TMacroVarsEh* macroVars) : FMacroVars(macroVars) {}
  const String& GetFilterMacroName() const { return FFilterMacroName; }
  void SetFilterMacroName(const String& value);
  const String& GetSortOrderMacroName() const { return FSortOrderMacroName; }
  void SetSortOrderMacroName(const String& value);
  const String& GetFilterMacroValue() const { return FFilterMacroValue; }
  void SetFilterMacroValue(const String& value);
  const String& GetSortOrderMacroValue() const { return FSortOrderMacroValue; }
  void SetSortOrderMacroValue(const String& value);
  void Assign(TPersistent* source) override;

 private:
  String FFilterMacroName = u"%Filter%";
  String FSortOrderMacroName = u"%SortOrder%";
  String FSortOrderMacroValue;
  String FFilterMacroValue;
  TMacroVarsEh* FMacroVars;
};

// User macros (name and text) and the two special macros of a driver. Macro values are SQL text written
// by the program; user input reaches the server only through command parameters.
class TMacroVarsEh : public TPersistent {
  KIV_CLASS(TMacroVarsEh, TPersistent)
 public:
  explicit TMacroVarsEh(TCustomSQLDataDriverEh* dataDriver);
  TSpecMacrosEh* GetSpecMacros() const { return FSpecMacros.get(); }
  TSpecMacrosUsagesEh GetSpecMacrosUsages() const { return FSpecMacrosUsages; }
  void SetSpecMacrosUsages(TSpecMacrosUsagesEh value);
  // Name and value pairs in the order they were set. The value is SQL text the program wrote.
  void SetMacro(const String& name, const String& value);
  // A macro that stands for a text value (typed by a user, say): it goes in as one quoted literal.
  void SetMacroLiteral(const String& name, const String& text) { SetMacro(name, QuoteSQLLiteralEh(text)); }
  const std::vector<std::pair<String, String>>& GetMacros() const { return FMacros; }
  void ClearMacros();
  virtual void MacrosChanged();
  void Assign(TPersistent* source) override;

 private:
  TCustomSQLDataDriverEh* FDataDriver;
  std::vector<std::pair<String, String>> FMacros;
  TSpecMacrosUsagesEh FSpecMacrosUsages{smuFilterAsWhereClauseEh, smuSortOrderAsOrderByClauseEh};
  std::unique_ptr<TSpecMacrosEh> FSpecMacros;
};

// Settings of generated INSERT, UPDATE and DELETE statements.
class TDynaSQLParamsEh : public TPersistent {
  KIV_CLASS(TDynaSQLParamsEh, TPersistent)
 public:
  explicit TDynaSQLParamsEh(TCustomSQLDataDriverEh* dataDriver) : FDataDriver(dataDriver) {}
  const String& GetUpdateTable() const { return FUpdateTable; }
  void SetUpdateTable(const String& value) { FUpdateTable = value; }
  const String& GetUpdateFields() const { return FUpdateFields; }
  void SetUpdateFields(const String& value) { FUpdateFields = value; }
  const String& GetKeyFields() const { return FKeyFields; }
  void SetKeyFields(const String& value) { FKeyFields = value; }
  bool GetSkipUnchangedFields() const { return FSkipUnchangedFields; }
  void SetSkipUnchangedFields(bool value) { FSkipUnchangedFields = value; }
  TDynaSQLOptionsEh GetOptions() const { return FOptions; }
  void SetOptions(TDynaSQLOptionsEh value) { FOptions = value; }
  TTableFieldListSourceEh GetUpdateFieldListSource() const { return FUpdateFieldListSource; }
  void SetUpdateFieldListSource(TTableFieldListSourceEh value) { FUpdateFieldListSource = value; }
  void GetUpdateFields(TStrings* list, TMemoryRecordEh* memRec);
  void Assign(TPersistent* source) override;
  TCustomSQLDataDriverEh* GetDataDriver() const { return FDataDriver; }

 private:
  TCustomSQLDataDriverEh* FDataDriver;
  String FUpdateTable;
  String FUpdateFields;
  String FKeyFields;
  bool FSkipUnchangedFields = false;
  TDynaSQLOptionsEh FOptions;
  TTableFieldListSourceEh FUpdateFieldListSource = tflsListPropertyEh;
};

// The database behind a concrete SQL driver. Each operation answers through processed whether it did
// the work.
class IConnectionProviderEh {
 public:
  virtual ~IConnectionProviderEh() = default;
  virtual Integer ExecuteCommand(TCustomSQLDataDriverEh* driver, TCustomSQLCommandEh* command,
                                 TDataSet*& cursor, bool& freeOnEof, bool& processed) = 0;
  virtual Integer UpdateRecord(TCustomSQLDataDriverEh* driver, TMemTableDataEh* memTableData,
                               TMemoryRecordEh* memRec, bool& processed) = 0;
  virtual void GetBackUpdatedValues(TCustomSQLDataDriverEh* driver, TMemoryRecordEh* memRec,
                                    TCustomSQLCommandEh* command, TDataSet* resDataSet, bool& processed) = 0;
  virtual void AddPostponedActivationDataSet(TDataSet* dataSet) = 0;
  virtual bool ConnectionIsPostponed() = 0;
  virtual TComponent* GetDesignDataBase() = 0;
  // The field names of a table of the database.
  virtual void GetTableFieldNames(const String& tableName, TStrings* list) = 0;
  // One transaction per application of the change log, with a save point per record.
  virtual void StartTransaction() = 0;
  virtual void CommitTransaction() = 0;
  virtual void RollbackTransaction() = 0;
  virtual void SetSavepoint() = 0;
  // False when the transaction itself is gone, so the save point could not be returned to.
  virtual bool RollbackToSavepoint() = 0;
};

using TDataDriverExecuteCommandEhEvent = TDelegate<Integer(
    TCustomSQLDataDriverEh* DataDriver, TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof)>;
using TDataDriverGetBackUpdatedValuesEhEvent =
    TDelegate<void(TCustomSQLDataDriverEh* DataDriver, TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                   TDataSet* ResDataSet)>;

// The SQL data driver: select, update, insert, delete and get-record commands with macros; applies
// changes by its commands or by generated statements.
class TCustomSQLDataDriverEh : public TDataDriverEh {
  KIV_CLASS(TCustomSQLDataDriverEh, TDataDriverEh)
 public:
  explicit TCustomSQLDataDriverEh(TComponent* owner);
  ~TCustomSQLDataDriverEh() override;

  TCustomSQLCommandEh* GetSelectCommand() const { return FSelectCommand.get(); }
  TCustomSQLCommandEh* GetUpdateCommand() const { return FUpdateCommand.get(); }
  TCustomSQLCommandEh* GetInsertCommand() const { return FInsertCommand.get(); }
  TCustomSQLCommandEh* GetDeleteCommand() const { return FDeleteCommand.get(); }
  TCustomSQLCommandEh* GetGetrecCommand() const { return FGetrecCommand.get(); }
  TCustomSQLCommandEh* GetServiceCommand() const { return FServiceCommand.get(); }
  void SetSelectSQL(const String& text);
  void SetUpdateSQL(const String& text);
  void SetInsertSQL(const String& text);
  void SetDeleteSQL(const String& text);
  void SetGetrecSQL(const String& text);
  String GetSelectSQL() const { return FSelectCommand->GetCommandText()->GetText(); }
  String GetUpdateSQL() const { return FUpdateCommand->GetCommandText()->GetText(); }
  String GetInsertSQL() const { return FInsertCommand->GetCommandText()->GetText(); }
  String GetDeleteSQL() const { return FDeleteCommand->GetCommandText()->GetText(); }
  String GetGetrecSQL() const { return FGetrecCommand->GetCommandText()->GetText(); }
  // The texts with their macros substituted, as they go to the server.
  String GetFinalSelectSQL() { return FSelectCommand->GetFinalCommandText()->GetText(); }
  String GetFinalUpdateSQL() { return FUpdateCommand->GetFinalCommandText()->GetText(); }
  String GetFinalInsertSQL() { return FInsertCommand->GetFinalCommandText()->GetText(); }
  String GetFinalDeleteSQL() { return FDeleteCommand->GetFinalCommandText()->GetText(); }
  String GetFinalGetrecSQL() { return FGetrecCommand->GetFinalCommandText()->GetText(); }
  TStrings* GetSpecParams() const { return FSpecParams.get(); }
  TDynaSQLParamsEh* GetDynaSQLParams() const { return FDynaSQLParams.get(); }
  TMacroVarsEh* GetMacroVars() const { return FMacroVars.get(); }
  TServerSpecOperationsEh* GetServerSpecOperations() const { return FServerSpecOperations; }
  void SetServerSpecOperations(TServerSpecOperationsEh* value) { FServerSpecOperations = value; }

  virtual void CommandTextsObsolete();
  virtual bool FieldIncludedInUpdate(TUpdateStatus updateStatus, const String& fieldName);
  virtual TCustomSQLCommandEh* CreateCommand();
  // Each command of the driver is made by its own call; all of them make CreateCommand's kind.
  virtual TCustomSQLCommandEh* CreateSelectCommand() { return CreateCommand(); }
  virtual TCustomSQLCommandEh* CreateUpdateCommand() { return CreateCommand(); }
  virtual TCustomSQLCommandEh* CreateInsertCommand() { return CreateCommand(); }
  virtual TCustomSQLCommandEh* CreateDeleteCommand() { return CreateCommand(); }
  virtual TCustomSQLCommandEh* CreateGetrecCommand() { return CreateCommand(); }
  // The connection component a designer works with; none is made or registered in this program.
  void SetDesignDataBase(TComponent* value);
  virtual TComponent* GetDesignDataBase();
  virtual TComponent* CreateDesignDataBase() { return nullptr; }
  virtual TComponent* ForceGetNewDesignDataBase() { return GetDesignDataBase(); }
  // A driver without owner with this one's commands, special parameters, statement settings and macros.
  virtual TCustomSQLDataDriverEh* CreateDesignCopy();
  // Takes those eight items from another driver.
  virtual void AssignFromDesignDriver(TCustomSQLDataDriverEh* designDataDriver);
  virtual TSQLCommandTypeEh DefaultCommandType(TCustomSQLCommandEh* command);
  virtual void CommandTextChanged(TCustomSQLCommandEh* command);
  virtual Integer DefaultExecuteCommand(TCustomSQLCommandEh* command, TDataSet*& cursor, bool& freeOnEof);
  virtual Integer DoUpdateRecord(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec);
  virtual Integer ExecuteCommand(TCustomSQLCommandEh* command, TDataSet*& cursor, bool& freeOnEof);
  virtual bool FilterTextSupported();
  virtual IConnectionProviderEh* GetConnectionProvider() { return nullptr; }
  bool HaveDataConnection() { return GetConnectionProvider() != nullptr; }
  virtual bool OrderByTextSupported();
  virtual void ApplyFilterText(const String& filterText);
  virtual void ApplyOrderByText(const String& orderByText);
  virtual void DefaultGetUpdatedServerValues(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command,
                                             TDataSet* resDataSet);
  virtual void GenerateDynamicSQLCommand(TMemoryRecordEh* memRecord, TCustomSQLCommandEh* command);
  virtual void GetBackUpdatedValues(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command,
                                    TDataSet* resDataSet);

  void AdjustDataStruct(TFields* fields, TMTDataStructEh* dataStruct) override;
  bool ConnectionIsPostponed() override;
  void AddPostponedActivationDataSet(TDataSet* dataSet) override;
  Integer DefaultUpdateRecord(TMemTableDataEh* memTableData, TMemoryRecordEh* memRec) override;
  bool RefreshReaderParamsFromCursor(TDataSet* dataSet) override;
  void DefaultBuildDataStruct(TMTDataStructEh* dataStruct) override;
  void DefaultProduceDataReader(TDataSet*& dataSet, bool& freeOnEof) override;
  void DefaultRefreshRecord(TMemoryRecordEh* memRecord) override;
  void SetReaderParamsFromCursor(TDataSet* dataSet) override;

  TDataDriverExecuteCommandEhEvent OnExecuteCommand;
  TDataDriverGetBackUpdatedValuesEhEvent OnGetBackUpdatedValues;

 protected:
  // A descendant with its own command class calls this from its constructor: the base constructor
  // cannot reach the descendant's CreateCommand.
  void RecreateCommands();
  void BeginApplyUpdates() override;
  void CommitApplyUpdates() override;
  void RollbackApplyUpdates() override;
  void BeginApplyRecord() override;
  bool RecordApplyFailed() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  std::unique_ptr<TCustomSQLCommandEh> MakeCommand(TCustomSQLCommandEh* (TCustomSQLDataDriverEh::*create)());
  std::unique_ptr<TCustomSQLCommandEh> FDeleteCommand;
  TComponent* FDesignDataBase = nullptr;
  std::unique_ptr<TDynaSQLParamsEh> FDynaSQLParams;
  std::unique_ptr<TCustomSQLCommandEh> FGetrecCommand;
  std::unique_ptr<TCustomSQLCommandEh> FInsertCommand;
  std::unique_ptr<TMacroVarsEh> FMacroVars;
  std::unique_ptr<TCustomSQLCommandEh> FSelectCommand;
  TServerSpecOperationsEh* FServerSpecOperations = nullptr;
  std::unique_ptr<TCustomSQLCommandEh> FServiceCommand;
  std::unique_ptr<TStringList> FSpecParams;
  std::unique_ptr<TCustomSQLCommandEh> FUpdateCommand;
  bool FConstructing = true;
};

// ---- Server-specific operations ----

// Generates the statements of changes and reads server-made keys, in the form a server needs.
class TServerSpecOperationsEh : public TObject {
  KIV_CLASS(TServerSpecOperationsEh, TObject)
 public:
  TServerSpecOperationsEh() = default;
  virtual void GenerateKeyWhereClause(TStrings* keyFields, TStrings* lines);
  virtual void GetChangedFields(TMemoryRecordEh* memRec, TStrings* fields, TStrings* changed);
  virtual String GetServerTypeName() const { return u"AnsiServer"; }
  virtual Integer UpdateRecord(TCustomSQLDataDriverEh* sqlDataDriver, TMemTableDataEh* memTableData,
                               TMemoryRecordEh* memRec);
  virtual void GetBackUpdatedValues(TMemoryRecordEh*, TCustomSQLCommandEh*, TDataSet*) {}
  virtual void GenerateDynaSQLCommand(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command);
  // Hooks for a server whose statements of one kind need their own form; none here does.
  virtual void GenerateDeleteCommand(TMemoryRecordEh*, TCustomSQLCommandEh*) {}
  virtual void GenerateUpdateCommand(TMemoryRecordEh*, TCustomSQLCommandEh*) {}
  virtual void GenerateInsertCommand(TMemoryRecordEh*, TCustomSQLCommandEh*) {}

 protected:
  // Runs a one-value select through the driver's service command; Null when no row came back.
  static Variant ServiceValue(TCustomSQLDataDriverEh* driver, const String& sql);
  static String SpecParam(TCustomSQLDataDriverEh* driver, const String& name);
};

class TOracleSpecOperationsEh : public TServerSpecOperationsEh {
  KIV_CLASS(TOracleSpecOperationsEh, TServerSpecOperationsEh)
 public:
  String GetServerTypeName() const override { return u"Oracle"; }
  Integer UpdateRecord(TCustomSQLDataDriverEh* sqlDataDriver, TMemTableDataEh* memTableData,
                       TMemoryRecordEh* memRec) override;
};

class TMSSQLSpecOperationsEh : public TServerSpecOperationsEh {
  KIV_CLASS(TMSSQLSpecOperationsEh, TServerSpecOperationsEh)
 public:
  String GetServerTypeName() const override { return u"MSSQL"; }
  void GetBackUpdatedValues(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command,
                            TDataSet* resDataSet) override;
};

class TInterbaseSpecOperationsEh : public TServerSpecOperationsEh {
  KIV_CLASS(TInterbaseSpecOperationsEh, TServerSpecOperationsEh)
 public:
  String GetServerTypeName() const override { return u"Interbase"; }
  Integer UpdateRecord(TCustomSQLDataDriverEh* sqlDataDriver, TMemTableDataEh* memTableData,
                       TMemoryRecordEh* memRec) override;
  void GetBackUpdatedValues(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command,
                            TDataSet* resDataSet) override;
};

class TInfromixSpecOperationsEh : public TServerSpecOperationsEh {
  KIV_CLASS(TInfromixSpecOperationsEh, TServerSpecOperationsEh)
 public:
  String GetServerTypeName() const override { return u"Infromix"; }
  void GetBackUpdatedValues(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command,
                            TDataSet* resDataSet) override;
};

class TDB2SpecOperationsEh : public TServerSpecOperationsEh {
  KIV_CLASS(TDB2SpecOperationsEh, TServerSpecOperationsEh)
 public:
  String GetServerTypeName() const override { return u"DB2"; }
};

class TSybaseSpecOperationsEh : public TServerSpecOperationsEh {
  KIV_CLASS(TSybaseSpecOperationsEh, TServerSpecOperationsEh)
 public:
  String GetServerTypeName() const override { return u"Sybase"; }
};

class TMSAccessSpecOperationsEh : public TMSSQLSpecOperationsEh {
  KIV_CLASS(TMSAccessSpecOperationsEh, TMSSQLSpecOperationsEh)
 public:
  String GetServerTypeName() const override { return u"MSAccess"; }
};

// PostgreSQL: an INSERT returns the row the server made (generated keys, defaults) with RETURNING, and
// an UPDATE or DELETE also requires the written columns to hold what the table read, so a row changed
// by another connection in between is not overwritten but reported.
class TPostgreSQLSpecOperationsEh : public TServerSpecOperationsEh {
  KIV_CLASS(TPostgreSQLSpecOperationsEh, TServerSpecOperationsEh)
 public:
  String GetServerTypeName() const override { return u"PostgreSQL"; }
  void GenerateDynaSQLCommand(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command) override;
  void GetBackUpdatedValues(TMemoryRecordEh* memRec, TCustomSQLCommandEh* command,
                            TDataSet* resDataSet) override;
};

// The process-wide resolver; its events let the program execute commands of drivers without a connection.
using TResolverExecuteCommandEhEvent =
    TDelegate<Integer(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command, TDataSet*& Cursor,
                      bool& FreeOnEof, bool& Processed)>;

using TResolverGetServerSpecOperationsEh =
    TDelegate<void(bool& Processed, TServerSpecOperationsEh*& ServerSpecOperations)>;
using TResolverUpdateRecordEhEvent =
    TDelegate<Integer(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                      TMemoryRecordEh* MemRec, bool& Processed)>;
using TResolverGetBackUpdatedValuesEhEvent =
    TDelegate<void(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                   TCustomSQLCommandEh* Command, TDataSet* ResDataSet, bool& Processed)>;

class TSQLDataDriverResolver : public TPersistent {
  KIV_CLASS(TSQLDataDriverResolver, TPersistent)
 public:
  TServerSpecOperationsEh* GetServerSpecOperations() const { return FServerSpecOperations; }
  void SetServerSpecOperations(TServerSpecOperationsEh* value) { FServerSpecOperations = value; }
  virtual Integer ExecuteCommand(TCustomSQLDataDriverEh* driver, TCustomSQLCommandEh* command,
                                 TDataSet*& cursor, bool& freeOnEof, bool& processed);
  // The event's answer when assigned, else the resolver's own operations (processed when it has some).
  virtual TServerSpecOperationsEh* GetServerSpecOperations(bool& processed);
  virtual Integer UpdateRecord(TCustomSQLDataDriverEh* driver, TMemTableDataEh* memTableData,
                               TMemoryRecordEh* memRec, bool& processed);
  virtual Integer DefaultUpdateRecord(TCustomSQLDataDriverEh* driver, TMemTableDataEh* memTableData,
                                      TMemoryRecordEh* memRec, bool& processed);
  virtual void GetBackUpdatedValues(TCustomSQLDataDriverEh* driver, TMemoryRecordEh* memRec,
                                    TCustomSQLCommandEh* command, TDataSet* resDataSet, bool& processed);
  virtual void DefaultGetUpdatedServerValues(TCustomSQLDataDriverEh* driver, TMemoryRecordEh* memRec,
                                             TCustomSQLCommandEh* command, TDataSet* resDataSet,
                                             bool& processed);

  TResolverExecuteCommandEhEvent OnExecuteCommand;
  TResolverGetServerSpecOperationsEh OnGetServerSpecOperations;
  TResolverUpdateRecordEhEvent OnUpdateRecord;
  TResolverGetBackUpdatedValuesEhEvent OnGetBackUpdatedValues;

 private:
  TServerSpecOperationsEh* FServerSpecOperations = nullptr;
};

TSQLDataDriverResolver* GetSQLDataDriverResolver();
// Installs a new resolver; the caller owns the previous one.
std::unique_ptr<TSQLDataDriverResolver> SetSQLDataDriverResolver(
    std::unique_ptr<TSQLDataDriverResolver> value);
// Registers an operations class under its server type name; a second one of the same name raises.
void RegisterServerSpecOperations(std::function<TServerSpecOperationsEh*()> factory);
// The registered server type names in registration order.
std::vector<String> RegisteredServerTypeNames();
TServerSpecOperationsEh* DefaultServerSpecOperations();
