// The SQL data driver over the platform's ADO connection: the table reads through the select command and
// applies its changes with bound parameters, one transaction per application, on a PostgreSQL server.
#pragma once

#include <memory>

#include "gridlib/memtable/DataDriverEh.h"
#include "platform/ado/ADODB.h"

class TADODataDriverEh;

// A command whose ":name" markers are bound as parameters when it runs on the connection.
class TADOCommandEh : public TCustomSQLCommandEh {
  KIV_CLASS(TADOCommandEh, TCustomSQLCommandEh)
 public:
  explicit TADOCommandEh(TADODataDriverEh* dataDriver);
  ~TADOCommandEh() override;
  TParams* GetParams() override;
  void SetParams(TParams* value) override;
  void RebuildParams() override;
  Integer Execute(TDataSet*& cursor, bool& freeOnEof) override;

 private:
  TADODataDriverEh* Driver() const;
  std::unique_ptr<TParams> FParams;
  String FParsedText;
  bool FParamsObsolete = true;
};

class TADODataDriverEh : public TCustomSQLDataDriverEh, public IConnectionProviderEh {
  KIV_CLASS(TADODataDriverEh, TCustomSQLDataDriverEh)
 public:
  explicit TADODataDriverEh(TComponent* owner);
  ~TADODataDriverEh() override;

  TADOConnection* GetADOConnection() const { return FADOConnection; }
  void SetADOConnection(TADOConnection* value);

  TCustomSQLCommandEh* CreateCommand() override;
  IConnectionProviderEh* GetConnectionProvider() override { return FADOConnection ? this : nullptr; }

  // ---- IConnectionProviderEh ----
  // The provider's calls take the driver and the command; the driver's own keep their shorter forms.
  using TCustomSQLDataDriverEh::ExecuteCommand;
  using TCustomSQLDataDriverEh::GetBackUpdatedValues;
  using TCustomSQLDataDriverEh::UpdateRecord;
  Integer ExecuteCommand(TCustomSQLDataDriverEh* driver, TCustomSQLCommandEh* command, TDataSet*& cursor,
                         bool& freeOnEof, bool& processed) override;
  Integer UpdateRecord(TCustomSQLDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*,
                       bool& processed) override {
    processed = false;
    return 0;
  }
  void GetBackUpdatedValues(TCustomSQLDataDriverEh*, TMemoryRecordEh*, TCustomSQLCommandEh*, TDataSet*,
                            bool& processed) override {
    processed = false;
  }
  void AddPostponedActivationDataSet(TDataSet*) override {}
  bool ConnectionIsPostponed() override { return false; }
  TComponent* GetDesignDataBase() override { return FADOConnection; }
  void GetTableFieldNames(const String& tableName, TStrings* list) override;
  void StartTransaction() override;
  void CommitTransaction() override;
  void RollbackTransaction() override;
  void SetSavepoint() override;
  bool RollbackToSavepoint() override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TADOConnection* FADOConnection = nullptr;
  // The application opened the transaction: a caller's own transaction is joined, not committed.
  bool FOwnTransaction = false;
  std::unique_ptr<TPostgreSQLSpecOperationsEh> FPostgreSQLOperations;
};
