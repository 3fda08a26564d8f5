// The ADO components over ODBC: TADOConnection, the static client-side datasets TADODataSet,
// TADOQuery and TADOTable, TADOCommand, and their parameters. Every result is fetched whole into a
// row store, which gives bookmarks, RecNo, RecordCount, the recordset's Sort and Filter, and editing
// written back to the server as UPDATE/INSERT/DELETE with bound values.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/ado/Odbc.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/RowStore.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/classes/StringList.h"
#include "platform/data/DataSet.h"
#include "platform/data/Params.h"

class TADOConnection;
class TCustomADODataSet;
class TADOCommand;

enum TCursorLocation { clUseServer, clUseClient };
enum TCursorType { ctUnspecified, ctOpenForwardOnly, ctKeyset, ctDynamic, ctStatic };
enum TADOLockType { ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic };
enum TCommandType { cmdUnknown, cmdText, cmdTable, cmdStoredProc, cmdFile, cmdTableDirect };
enum TParameterDirection { pdUnknown, pdInput, pdOutput, pdInputOutput, pdReturnValue };
enum TParameterAttribute { paSigned, paNullable, paLong };
using TParameterAttributes = TSet<TParameterAttribute>;
enum TEventStatus { esOK, esErrorsOccured, esCantDeny, esCancel, esUnwantedEvent };
enum TIsolationLevel {
  ilUnspecified,
  ilChaos,
  ilReadUncommitted,
  ilBrowse,
  ilCursorStability,
  ilReadCommitted,
  ilRepeatableRead,
  ilSerializable,
  ilIsolated,
};

using TConnectErrorEvent =
    TDelegate<void(TADOConnection* Connection, EADOError* Error, TEventStatus& EventStatus)>;

// ---- Errors of the last failed operation of a connection ----

struct TADOErrorItem {
  String Description;
  String SQLState;
  Integer NativeError = 0;
  Integer Number = 0;
  String Source;
};

class TADOErrors {
 public:
  int GetCount() const { return static_cast<int>(items_.size()); }
  int Count() const { return GetCount(); }
  // Raises EListError "List index out of bounds (%d)".
  const TADOErrorItem& GetItem(int index) const;
  const TADOErrorItem& operator[](int index) const { return GetItem(index); }
  void Clear() { items_.clear(); }
  void Assign(const EADOError& error);

 private:
  std::vector<TADOErrorItem> items_;
};

// ---- Parameters ----

class TParameters;

class TParameter : public TCollectionItem {
  KIV_CLASS(TParameter, TCollectionItem)
 public:
  explicit TParameter(TCollection* collection);
  static void Published(TPropBuilder<TParameter>& p);

  const String& GetName() const { return name_; }
  void SetName(const String& value) { name_ = value; }
  String GetDisplayName() const override { return name_; }
  TFieldType GetDataType() const { return dataType_; }
  void SetDataType(TFieldType value) { dataType_ = value; }
  TParameterDirection GetDirection() const { return direction_; }
  void SetDirection(TParameterDirection value) { direction_ = value; }
  TParameterAttributes GetAttributes() const { return attributes_; }
  void SetAttributes(TParameterAttributes value) { attributes_ = value; }
  Integer GetSize() const { return size_; }
  void SetSize(Integer value) { size_ = value; }
  Integer GetPrecision() const { return precision_; }
  void SetPrecision(Integer value) { precision_ = value; }
  Integer GetNumericScale() const { return numericScale_; }
  void SetNumericScale(Integer value) { numericScale_ = value; }
  // A value of a kind of its own sets DataType while DataType is still ftUnknown.
  const Variant& GetValue() const { return value_; }
  void SetValue(const Variant& value);

  void Assign(TPersistent* source) override;

 private:
  String name_;
  TFieldType dataType_ = ftUnknown;
  TParameterDirection direction_ = pdInput;
  TParameterAttributes attributes_;
  Integer size_ = 0;
  Integer precision_ = 0;
  Integer numericScale_ = 0;
  Variant value_;
};

class TParameters : public TOwnedCollection {
  KIV_CLASS(TParameters, TOwnedCollection)
 public:
  explicit TParameters(TPersistent* owner);

  TParameter* GetItem(int index) const { return Items<TParameter>(index); }
  TParameter* operator[](int index) const { return GetItem(index); }
  TParameter* AddParameter();
  TParameter* CreateParameter(const String& name, TFieldType dataType, TParameterDirection direction,
                              Integer size, const Variant& value);
  // Case-insensitive: "OK" finds "ok". FindParam answers null; ParamByName raises EDatabaseError
  // "Parameter '%s' not found".
  TParameter* FindParam(const String& name) const;
  TParameter* ParamByName(const String& name) const;
  // One value, or a variant array for "a;b".
  Variant GetParamValues(const String& names) const;
  void SetParamValues(const String& names, const Variant& values);
  // The text with '?' markers; with doCreate the parameters become the names found (once each, in
  // order), keeping the settings and values of those that were there already.
  String ParseSQL(const String& sql, bool doCreate);
};

// ---- Connection ----

class TADOConnection : public TComponent {
  KIV_CLASS(TADOConnection, TComponent)
 public:
  explicit TADOConnection(TComponent* owner);
  ~TADOConnection() override;
  static void Published(TPropBuilder<TADOConnection>& p);

  const String& GetConnectionString() const { return connectionString_; }
  // Takes effect at the next Open.
  void SetConnectionString(const String& value) { connectionString_ = value; }
  bool GetConnected() const;
  void SetConnected(bool value);
  void Open();
  void Open(const String& userId, const String& password);
  void Close();
  // Kept for form resources; there is no login dialog, the connection string carries the login.
  bool GetLoginPrompt() const { return loginPrompt_; }
  void SetLoginPrompt(bool value) { loginPrompt_ = value; }
  bool GetKeepConnection() const { return keepConnection_; }
  void SetKeepConnection(bool value) { keepConnection_ = value; }
  Integer GetConnectionTimeout() const { return connectionTimeout_; }
  void SetConnectionTimeout(Integer value) { connectionTimeout_ = value; }
  Integer GetCommandTimeout() const { return commandTimeout_; }
  void SetCommandTimeout(Integer value) { commandTimeout_ = value; }
  // The database of the open connection (the connection string's until opened).
  String GetDefaultDatabase() const;
  void SetDefaultDatabase(const String& value);
  const String& GetProvider() const { return provider_; }
  void SetProvider(const String& value) { provider_ = value; }
  TCursorLocation GetCursorLocation() const { return cursorLocation_; }
  void SetCursorLocation(TCursorLocation value) { cursorLocation_ = value; }
  TIsolationLevel GetIsolationLevel() const { return isolationLevel_; }
  void SetIsolationLevel(TIsolationLevel value) { isolationLevel_ = value; }

  // Autocommit unless a transaction is open. Nested transactions raise EADOError. BeginTrans makes one
  // round trip, so a link the server has dropped fails here rather than in the caller's first step.
  // A transaction open when the link was lost ends with an error from CommitTrans or RollbackTrans
  // saying its changes were not saved; until then no statement runs (it would run outside it).
  Integer BeginTrans();
  void CommitTrans();
  void RollbackTrans();
  bool GetInTransaction() const { return inTransaction_; }
  bool InTransaction() const { return inTransaction_; }

  // Runs a statement (or a batch of statements); answers the rows affected by all of them.
  Integer Execute(const String& commandText);
  void Execute(const String& commandText, Integer& recordsAffected);

  TADOErrors* GetErrors() { return &errors_; }
  TADOErrors* Errors() { return &errors_; }
  int GetDataSetCount() const { return static_cast<int>(dataSets_.size()); }
  TCustomADODataSet* GetDataSet(int index) const { return dataSets_.at(index); }

  TNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;
  TConnectErrorEvent OnConnectComplete;

  void Loaded() override;

  // For the components of this unit: the ODBC connection, opening it on demand. After the link was
  // lost this is the one attempt to connect again with the same connection string.
  TOdbcConnection& Link();
  // Runs fn and keeps the driver's error records of a failure in Errors before passing it on. A
  // failure that means the link is gone closes the connection (GetConnected answers false, datasets
  // keep their rows) and is raised as a loss, of the open transaction's changes too when one is open.
  template <class F>
  auto Guard(F&& fn) -> decltype(fn()) {
    errors_.Clear();
    try {
      return fn();
    } catch (const EADOError& e) {
      errors_.Assign(e);
      if (e.IsConnectionLost()) ConnectionLost(e);
      throw;
    }
  }
  void RegisterDataSet(TCustomADODataSet* dataSet);
  void UnregisterDataSet(TCustomADODataSet* dataSet);

 private:
  // Connects with text, or with the connection string when text is null.
  void DoConnect(const String* text);
  void DoDisconnect();
  [[noreturn]] void ConnectionLost(const EADOError& error);
  void EndTransaction(bool commit);
  // Ends the transaction on the server; answers the failure instead of raising it.
  std::optional<EADOError> EndOnServer(bool commit);
  void EndOnLink(bool commit);

  String connectionString_;
  // The string the link was last made with; a lost link is made again with it.
  String linkString_;
  String provider_ = u"MSDASQL.1";
  String defaultDatabase_;
  bool loginPrompt_ = true;
  bool keepConnection_ = true;
  bool streamedConnected_ = false;
  bool inTransaction_ = false;
  // The link went down under the open connection; the open transaction (if any) went with it.
  bool lost_ = false;
  bool transactionLost_ = false;
  Integer connectionTimeout_ = 15;
  Integer commandTimeout_ = 30;
  TCursorLocation cursorLocation_ = clUseClient;
  TIsolationLevel isolationLevel_ = ilCursorStability;
  TOdbcConnection link_;
  TADOErrors errors_;
  std::vector<TCustomADODataSet*> dataSets_;
};

// ---- Datasets ----

class TCustomADODataSet : public TDataSet {
  KIV_CLASS(TCustomADODataSet, TDataSet)
 public:
  explicit TCustomADODataSet(TComponent* owner);
  ~TCustomADODataSet() override;
  static void Published(TPropBuilder<TCustomADODataSet>& p);

  TADOConnection* GetConnection() const { return connection_; }
  void SetConnection(TADOConnection* value);
  TParameters* GetParameters() const { return parameters_.get(); }
  TParameters* Parameters() const { return parameters_.get(); }
  void SetParameters(TParameters* value);
  Integer GetCommandTimeout() const { return commandTimeout_; }
  void SetCommandTimeout(Integer value) { commandTimeout_ = value; }
  TCursorType GetCursorType() const { return cursorType_; }
  void SetCursorType(TCursorType value) { cursorType_ = value; }
  TCursorLocation GetCursorLocation() const { return cursorLocation_; }
  void SetCursorLocation(TCursorLocation value) { cursorLocation_ = value; }
  TADOLockType GetLockType() const { return lockType_; }
  void SetLockType(TADOLockType value) { lockType_ = value; }
  // Numerics as BCD fields (true) or as float fields.
  bool GetEnableBCD() const { return enableBCD_; }
  void SetEnableBCD(bool value);
  bool GetParamCheck() const { return paramCheck_; }
  void SetParamCheck(bool value) { paramCheck_ = value; }
  bool GetPrepared() const { return prepared_; }
  void SetPrepared(bool value) { prepared_ = value; }

  // The recordset's sort: "a ASC, b DESC". Setting it on an open dataset reorders the rows and keeps
  // the current record; closing forgets it.
  const String& GetSort() const { return sort_; }
  void SetSort(const String& value);
  // The dataset's Filter, in the recordset's filter language (field op value, LIKE, AND/OR); a text
  // the recordset language does not read is tried with the framework's filter parser before the
  // recordset's error is raised. Kept across Close/Open.
  void SetFilterText(const String& value) override;
  void SetFiltered(bool value) override;
  void SetFilterOptions(TFilterOptions value) override;

  // The statement text with ":name" markers (TADOQuery: SQL; TADOTable: select * from the table).
  virtual String GetCommandText() const = 0;
  // Re-runs the statement and fetches the rows again, keeping Sort, Filter and the record number.
  void Requery();
  // Bytes the fetched rows take in the row store.
  size_t GetStoreBytes() const { return store_.ArenaBytes(); }
  // From the connection when its transaction ends: rows posted or deleted in a transaction that did
  // not commit (rolled back, or lost with the link) go back to what they were before it, so the
  // dataset never shows as saved what the server does not hold.
  void TransactionEnded(bool committed);

  // ---- TDataSet ----
  Integer GetRecordCount() const override;
  Integer GetRecNo() const override;
  void SetRecNo(Integer value) override;
  bool IsSequenced() const override { return true; }
  bool BookmarkValid(const TBookmark& bookmark) override;
  Integer CompareBookmarks(const TBookmark& a, const TBookmark& b) override;
  bool GetCanModify() const override;
  bool Locate(const String& keyFields, const Variant& keyValues, TLocateOptions options) override;
  Variant Lookup(const String& keyFields, const Variant& keyValues, const String& resultFields) override;
  bool GetFieldData(TField* field, void* buffer) override;
  // A date and time field reads the server's microseconds, which the native form would cut to milliseconds.
  bool GetFieldData(TField* field, void* buffer, bool nativeFormat) override;
  void SetFieldData(TField* field, const void* buffer) override;
  using TDataSet::SetFieldData;
  TStream* CreateBlobStream(TField* field, TBlobStreamMode mode) override;
  TParams* PSGetParams() override;
  String PSGetTableName() override;

  void Loaded() override;

 protected:
  // Re-reads Parameters from the statement when the text changes.
  void CommandTextChanged();
  // Closes without raising, for the destructors (each closes while its own part still exists).
  void CloseForDestruction() noexcept;
  // Executes the statement with the parameters bound and reads every result: Fetch keeps the first row
  // set, Describe only its columns, Execute neither. Answers the rows affected (-1 when none counted).
  enum class TExecuteMode { Fetch, Describe, Execute };
  Int64 ExecuteStatement(TExecuteMode mode);
  // The table written by Insert and Delete; "" lets the first column's base table decide.
  virtual String UpdateTableName() const { return String(); }
  void Notification(TComponent* component, TOperation operation) override;

  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer& buffer) override;
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override;
  void InternalInitRecord(TRecordBuffer buffer) override;
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return cursorOpen_; }
  void InternalFirst() override;
  void InternalLast() override;
  void GetBookmarkData(TRecordBuffer buffer, TBookmark& data) override;
  void SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override;
  void InternalGotoBookmark(const TBookmark& bookmark) override;
  void InternalSetToRecord(TRecordBuffer buffer) override;
  void InternalInitFieldDefs() override;
  void InternalPost() override;
  void InternalDelete() override;
  void InternalAddRecord(TRecordBuffer buffer, bool append) override;
  void InternalCancel() override;
  void InternalEdit() override;
  void InternalInsert() override;
  void InternalRefresh() override;
  // Filter and Sort are applied to the row store itself.
  bool FiltersNatively() const override { return true; }

 private:
  struct Record;
  struct Column;
  struct WriteTable;
  static Record& Rec(TRecordBuffer buffer) { return *reinterpret_cast<Record*>(buffer); }

  TADOConnection& CheckConnection() const;
  std::vector<TOdbcParam> BoundParameters(const std::vector<String>& names) const;
  void ReadResult(TOdbcStatement& statement);
  void DescribeColumns(const std::vector<TOdbcColumn>& described);
  int ColumnOf(const String& name) const;
  int ColumnOfField(const TField* field) const;
  TStoreRow CurrentRow(TRecordBuffer buffer) const;
  Variant CellValue(TRecordBuffer buffer, int column) const;
  void RebuildView(bool keepPosition);
  void RebuildPositions();
  void ApplyFilterText();
  // Parses a filter text with the recordset's language, else the framework's; raises the recordset's
  // error when neither reads it.
  void CompileFilter(const String& text, std::unique_ptr<TRecordsetFilter>& recordset,
                     std::unique_ptr<TFilterExpr>& framework);
  bool FrameworkFilterAccepts(TStoreRow row) const;
  bool PassesFilter(TStoreRow row) const;
  int PositionOf(int id) const;
  // Write-back of one posted or deleted record.
  TStoreRow WriteInsert(Record& rec);
  TStoreRow WriteUpdate(Record& rec);
  void WriteDelete(int id);
  std::vector<WriteTable> WriteTables() const;
  void PostRecord(Record& rec, bool append);

  // Before the first write-back inside a transaction of the connection: the rows as they were.
  void RememberRowsBeforeTransaction();

  TADOConnection* connection_ = nullptr;
  std::unique_ptr<TParameters> parameters_;
  std::unique_ptr<TParams> psParams_;
  // The rows before the connection's open transaction changed them (see TransactionEnded). A refresh
  // inside the transaction empties the store they point into; the dataset is then read again.
  std::optional<std::vector<TStoreRow>> rowsBeforeTransaction_;
  bool refreshedInTransaction_ = false;
  Integer commandTimeout_ = 30;
  TCursorType cursorType_ = ctStatic;
  TCursorLocation cursorLocation_ = clUseClient;
  TADOLockType lockType_ = ltOptimistic;
  bool enableBCD_ = true;
  bool paramCheck_ = true;
  bool prepared_ = false;
  String sort_;

  // The cursor: all rows by id (null once deleted), the visible ids in order, and the position in
  // them (-1 before the first, size after the last).
  bool cursorOpen_ = false;
  bool fetched_ = false;
  TRowStore store_;
  std::vector<Column> columns_;
  std::vector<TStoreRow> rows_;
  std::vector<int> view_;
  std::vector<int> positions_;
  int cursor_ = -1;
  std::unique_ptr<TRecordsetFilter> recordsetFilter_;
  std::unique_ptr<TFilterExpr> frameworkFilter_;
  std::vector<TSortKey> sortKeys_;
};

class TADODataSet : public TCustomADODataSet {
  KIV_CLASS(TADODataSet, TCustomADODataSet)
 public:
  explicit TADODataSet(TComponent* owner);
  ~TADODataSet() override;
  static void Published(TPropBuilder<TADODataSet>& p);

  String GetCommandText() const override { return commandText_; }
  void SetCommandText(const String& value);

 private:
  String commandText_;
};

class TADOQuery : public TCustomADODataSet {
  KIV_CLASS(TADOQuery, TCustomADODataSet)
 public:
  explicit TADOQuery(TComponent* owner);
  ~TADOQuery() override;
  static void Published(TPropBuilder<TADOQuery>& p);

  // Changing the text closes the query and re-reads Parameters from it.
  TStrings* GetSQL() const { return sql_.get(); }
  TStrings* SQL() const { return sql_.get(); }
  void SetSQL(TStrings* value);
  // Runs the statement (or batch) without opening; answers the rows affected.
  Integer ExecSQL();
  Integer GetRowsAffected() const { return rowsAffected_; }
  Integer RowsAffected() const { return rowsAffected_; }
  String GetCommandText() const override;

 private:
  void SQLChanged(TObject* sender);
  std::unique_ptr<TStringList> sql_;
  Integer rowsAffected_ = -1;
};

class TADOTable : public TCustomADODataSet {
  KIV_CLASS(TADOTable, TCustomADODataSet)
 public:
  explicit TADOTable(TComponent* owner);
  ~TADOTable() override;
  static void Published(TPropBuilder<TADOTable>& p);

  const String& GetTableName() const { return tableName_; }
  void SetTableName(const String& value);
  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool GetCanModify() const override;
  String GetCommandText() const override;

 protected:
  String UpdateTableName() const override { return tableName_; }

 private:
  String tableName_;
  bool readOnly_ = false;
};

class TADOCommand : public TComponent {
  KIV_CLASS(TADOCommand, TComponent)
 public:
  explicit TADOCommand(TComponent* owner);
  ~TADOCommand() override;
  static void Published(TPropBuilder<TADOCommand>& p);

  TADOConnection* GetConnection() const { return connection_; }
  void SetConnection(TADOConnection* value);
  const String& GetCommandText() const { return commandText_; }
  // Re-reads Parameters from the text.
  void SetCommandText(const String& value);
  TParameters* GetParameters() const { return parameters_.get(); }
  TParameters* Parameters() const { return parameters_.get(); }
  void SetParameters(TParameters* value);
  Integer GetCommandTimeout() const { return commandTimeout_; }
  void SetCommandTimeout(Integer value) { commandTimeout_ = value; }
  TCommandType GetCommandType() const { return commandType_; }
  void SetCommandType(TCommandType value) { commandType_ = value; }
  bool GetParamCheck() const { return paramCheck_; }
  void SetParamCheck(bool value) { paramCheck_ = value; }
  bool GetPrepared() const { return prepared_; }
  void SetPrepared(bool value) { prepared_ = value; }

  // Runs the command; a result it returns is read and dropped. Answers the rows affected.
  Integer Execute();
  void Execute(Integer& recordsAffected);
  Integer Execute(const Variant& parameters);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TADOConnection* connection_ = nullptr;
  String commandText_;
  std::unique_ptr<TParameters> parameters_;
  Integer commandTimeout_ = 30;
  TCommandType commandType_ = cmdText;
  bool paramCheck_ = true;
  bool prepared_ = false;
};

// Quotes an identifier for SQL text ("name", with inner quotes doubled); a dotted name is quoted
// part by part. The one helper through which names reach statements.
String QuoteSqlIdentifier(const String& name);
// The TOdbcParamKind a parameter of this field type is sent as.
TOdbcParamKind ParamKindOf(TFieldType type);
