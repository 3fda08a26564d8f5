// The thin ODBC layer under the ADO components: environment, connection, statements with bound
// parameters, column descriptions, fetching whole results into the row store, and driver diagnostics
// raised as EADOError. Wide (W) calls throughout: SQLWCHAR is UTF-16, the same as String.
#pragma once

#include <memory>
#include <vector>

#include "platform/ado/RowStore.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

// One diagnostic record of the driver.
struct TOdbcDiagnostic {
  String SQLState;
  Integer NativeError = 0;
  String Message;
};

// A failure reported by the driver or the server. Message is what the user reads: for a failure a user
// meets in the course of work (a lost link, a refused right, a conflict with another user, a duplicate
// or a broken reference) a plain Russian sentence, then the server's own text as the detail; for any
// other, the server's text alone.
class EADOError : public EDatabaseError {
 public:
  explicit EADOError(String message, std::vector<TOdbcDiagnostic> diagnostics = {});
  const std::vector<TOdbcDiagnostic>& Diagnostics() const { return diagnostics_; }
  // The driver's and the server's own text, one line per diagnostic record; Message when there are none.
  String ServerText() const;
  // The first record's state ("42601", "08S01" ...); "" when the error did not come from the driver.
  String SQLState() const;
  // True for the states that mean the link to the server is gone: class 08, and the server ending the
  // session (57P01 shutdown by the administrator or a terminated backend, 57P02 crash shutdown,
  // 57P03 cannot connect now).
  bool IsConnectionLost() const;

 private:
  std::vector<TOdbcDiagnostic> diagnostics_;
};

// The user's text of a failure with these diagnostics: lead (a plain sentence) and the server's text
// as the detail on the lines below it; the sentence is chosen by the records' states when lead is
// empty, and without one the server's text stands alone.
String DatabaseErrorText(const std::vector<TOdbcDiagnostic>& diagnostics, const String& serverText,
                         const String& lead = String());

// The driver's column types, grouped the way the datasets map them to fields.
enum class TOdbcTypeClass {
  SmallInt,
  Integer,
  BigInt,
  Bit,
  Real,
  Double,
  Money,
  Numeric,
  Date,
  Time,
  TimeStamp,
  Char,  // 8-bit fixed (the driver's booleans with BoolsAsChar are 8-bit varying)
  VarChar,
  LongVarChar,
  WChar,
  WVarChar,
  WLongVarChar,
  Binary,
  VarBinary,
  LongVarBinary,
  Guid,
  Other,
};

struct TOdbcColumn {
  String Name;
  TOdbcTypeClass TypeClass = TOdbcTypeClass::Other;
  SmallInt SqlType = 0;
  UInt64 Size = 0;     // characters, digits or bytes as the driver reports them
  SmallInt Scale = 0;  // decimal digits
  bool Nullable = true;
  bool AutoIncrement = false;
  String TypeName;    // the server's name: int4, numeric, text, money ...
  String SchemaName;  // of the base table; empty for computed columns
  String TableName;
  String BaseColumnName;
};

// How a parameter is sent. Auto takes the kind from the value; Null values of Auto go as untyped text,
// which lets the server infer the type from the statement.
enum class TOdbcParamKind {
  Auto,
  Integer,
  BigInt,
  Float,
  Decimal,
  Boolean,
  Date,
  Time,
  DateTime,
  Text,
  Binary
};

struct TOdbcParam {
  Variant Value;
  TOdbcParamKind Kind = TOdbcParamKind::Auto;
};

class TOdbcStatement;

class TOdbcConnection {
 public:
  TOdbcConnection();
  ~TOdbcConnection();
  TOdbcConnection(const TOdbcConnection&) = delete;
  TOdbcConnection& operator=(const TOdbcConnection&) = delete;

  // An ODBC connection string ("DRIVER=...;..." or "DSN=...;..."), never prompting.
  void Connect(const String& connectionString, int loginTimeoutSeconds);
  void Disconnect();
  bool Connected() const { return dbc_ != nullptr; }

  void SetAutoCommit(bool on);
  // For clean-up steps that must not throw: answers whether the driver took the setting.
  bool TrySetAutoCommit(bool on) noexcept;
  void Commit();
  void Rollback();
  String GetCurrentCatalog();
  void SetCurrentCatalog(const String& name);

  void* Handle() const { return dbc_; }

 private:
  void* dbc_ = nullptr;
};

// A statement handle. Execute runs a text whose parameters are '?' markers; results are walked with
// HasColumns / FetchAll / NextResult.
class TOdbcStatement {
 public:
  explicit TOdbcStatement(TOdbcConnection& connection);
  ~TOdbcStatement();
  TOdbcStatement(const TOdbcStatement&) = delete;
  TOdbcStatement& operator=(const TOdbcStatement&) = delete;

  void SetQueryTimeout(int seconds);
  void Execute(const String& sql, const std::vector<TOdbcParam>& params);
  // The current result: a row set (columns > 0) or a count of affected rows.
  int ColumnCount();
  Int64 RowCount();
  std::vector<TOdbcColumn> Describe();
  // Reads every row of the current row set into the store, whose columns must have the kinds given.
  void FetchAll(TRowStore& store, std::vector<TStoreRow>& rows);
  // Moves to the next result; false when there is none.
  bool NextResult();
  void CloseCursor();

 private:
  struct Bound;
  void FetchBlock(TRowStore& store, std::vector<TStoreRow>& rows, Bound& bound, size_t count);
  void ReadLongCell(size_t row, int column, Bound& bound, TRowBuilder& builder);

  TOdbcConnection& connection_;
  void* stmt_ = nullptr;
  // Parameter values must outlive the execution that reads them.
  std::vector<std::string> paramData_;
  std::vector<long> paramLengths_;
};

// The store kind the fetch code writes for a column.
TStoreKind StoreKindOf(const TOdbcColumn& column);
