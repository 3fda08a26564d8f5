// The ODBC layer: handles, diagnostics, parameter binding and block fetching into the row store.
#include "platform/ado/Odbc.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/rtl/Bcd.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SqlTimeStamp.h"
#include "platform/rtl/Strings.h"

static_assert(sizeof(SQLWCHAR) == sizeof(Char), "the driver manager must use 2-byte SQLWCHAR");
static_assert(sizeof(SQLLEN) == sizeof(long));

namespace {

SQLWCHAR* W(const String& s) { return reinterpret_cast<SQLWCHAR*>(const_cast<Char*>(s.c_str())); }

String FromW(const SQLWCHAR* s, size_t chars) { return String(reinterpret_cast<const Char*>(s), chars); }

std::vector<TOdbcDiagnostic> ReadDiagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::vector<TOdbcDiagnostic> out;
  if (!handle) return out;
  for (SQLSMALLINT i = 1;; ++i) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRecW(type, handle, i, state, &native, nullptr, 0, &length);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) break;
    std::vector<SQLWCHAR> text(static_cast<size_t>(length) + 1);
    rc = SQLGetDiagRecW(type, handle, i, state, &native, text.data(), static_cast<SQLSMALLINT>(text.size()),
                        &length);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) break;
    TOdbcDiagnostic d;
    d.SQLState = FromW(state, 5);
    d.NativeError = native;
    d.Message = Trim(FromW(text.data(), std::min<size_t>(length, text.size() - 1)));
    out.push_back(std::move(d));
  }
  return out;
}

String JoinedText(const std::vector<TOdbcDiagnostic>& diags) {
  String text;
  for (const TOdbcDiagnostic& d : diags) {
    if (!text.empty()) text += u"\n";
    text += d.Message;
  }
  return text;
}

bool LinkLost(const String& state) {
  return (state.size() >= 2 && state[0] == u'0' && state[1] == u'8') || state == u"57P01" ||
         state == u"57P02" || state == u"57P03";
}

// The plain sentence for the failures a user meets in the course of work, by the server's state.
String PlainWords(const std::vector<TOdbcDiagnostic>& diags) {
  for (const TOdbcDiagnostic& d : diags) {
    const String& state = d.SQLState;
    if (LinkLost(state)) return u"Связь с сервером базы данных потеряна.";
    if (state == u"42501") return u"Недостаточно прав: сервер базы данных не разрешает вам это действие.";
    if (state == u"40001" || state == u"40P01" || state == u"55P03")
      return u"Эти данные в то же время изменяет другой пользователь. Повторите действие.";
    if (state == u"23505") return u"Такая запись уже есть, а повторяться это значение не может.";
    if (state == u"23503")
      return u"Запись связана с другими данными: нельзя удалить запись, на которую они ссылаются, и нельзя "
             u"сослаться на запись, которой нет.";
  }
  return String();
}

[[noreturn]] void Fail(SQLSMALLINT type, SQLHANDLE handle, const String& fallback) {
  std::vector<TOdbcDiagnostic> diags = ReadDiagnostics(type, handle);
  String server = JoinedText(diags);
  if (server.empty()) server = fallback;
  String message = DatabaseErrorText(diags, server);
  throw EADOError(std::move(message), std::move(diags));
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const Char* what) {
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA) return;
  Fail(type, handle, String(what) + u" failed");
}

// One environment for the process, made on first use.
SQLHENV Environment() {
  static SQLHENV env = [] {
    SQLHENV h = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h)))
      throw EADOError(u"Cannot allocate the ODBC environment");
    SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return h;
  }();
  return env;
}

TOdbcTypeClass ClassOf(SQLSMALLINT sqlType, const String& typeName) {
  if (SameText(typeName, u"money")) return TOdbcTypeClass::Money;
  switch (sqlType) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
      return TOdbcTypeClass::SmallInt;
    case SQL_INTEGER:
      return TOdbcTypeClass::Integer;
    case SQL_BIGINT:
      return TOdbcTypeClass::BigInt;
    case SQL_BIT:
      return TOdbcTypeClass::Bit;
    case SQL_REAL:
      return TOdbcTypeClass::Real;
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return TOdbcTypeClass::Double;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
      return TOdbcTypeClass::Numeric;
    case SQL_TYPE_DATE:
    case SQL_DATE:
      return TOdbcTypeClass::Date;
    case SQL_TYPE_TIME:
    case SQL_TIME:
      return TOdbcTypeClass::Time;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      return TOdbcTypeClass::TimeStamp;
    case SQL_CHAR:
      return TOdbcTypeClass::Char;
    case SQL_VARCHAR:
      return TOdbcTypeClass::VarChar;
    case SQL_LONGVARCHAR:
      return TOdbcTypeClass::LongVarChar;
    case SQL_WCHAR:
      return TOdbcTypeClass::WChar;
    case SQL_WVARCHAR:
      return TOdbcTypeClass::WVarChar;
    case SQL_WLONGVARCHAR:
      return TOdbcTypeClass::WLongVarChar;
    case SQL_BINARY:
      return TOdbcTypeClass::Binary;
    case SQL_VARBINARY:
      return TOdbcTypeClass::VarBinary;
    case SQL_LONGVARBINARY:
      return TOdbcTypeClass::LongVarBinary;
    case SQL_GUID:
      return TOdbcTypeClass::Guid;
    default:
      return TOdbcTypeClass::Other;
  }
}

String ColumnText(SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field) {
  SQLWCHAR buffer[512];
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLColAttributeW(stmt, column, field, buffer, sizeof buffer, &length, nullptr)))
    return String();
  return FromW(buffer, std::min<size_t>(static_cast<size_t>(length) / sizeof(SQLWCHAR), 511));
}

// Days since 30.12.1899 for a calendar date; 0 for a date the calendar does not have (the server's
// "infinity" and years beyond 9999 come through the driver as such).
double DateValue(int year, int month, int day) {
  TDateTime d = 0;
  if (year <= 0 || year > 9999 ||
      !TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), d))
    return 0;
  return d;
}

double TimeValue(int hour, int minute, int second, double fraction) {
  return (hour * 3600.0 + minute * 60.0 + second + fraction) / SecsPerDay;
}

// "HH:MM:SS[.ffffff]" as the driver writes a time.
double ParseTimeText(std::string_view s) {
  int h = 0, m = 0, sec = 0;
  double frac = 0;
  auto num = [&](size_t at, size_t len) {
    int v = 0;
    if (at + len <= s.size()) std::from_chars(s.data() + at, s.data() + at + len, v);
    return v;
  };
  h = num(0, 2);
  m = num(3, 2);
  sec = num(6, 2);
  if (s.size() > 9 && s[8] == '.') {
    double scale = 0.1;
    for (size_t i = 9; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, scale /= 10)
      frac += (s[i] - '0') * scale;
  }
  return TimeValue(h, m, sec, frac);
}

// "$1,234.56" or "-1 234,56 ₽": the money type prints with the server's monetary locale.
std::string MoneyToDecimal(std::string_view s) {
  std::string out;
  bool negative = s.find('-') != std::string_view::npos || s.find('(') != std::string_view::npos;
  // The last '.' or ',' followed by exactly 1 or 2 digits up to the end of the digits is the separator.
  size_t lastDigit = s.find_last_of("0123456789");
  size_t sep = std::string_view::npos;
  if (lastDigit != std::string_view::npos) {
    const size_t p = s.find_last_of(".,", lastDigit);
    if (p != std::string_view::npos && lastDigit - p <= 2) sep = p;
  }
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] >= '0' && s[i] <= '9')
      out += s[i];
    else if (i == sep)
      out += '.';
  }
  if (out.empty()) out = "0";
  if (negative) out.insert(out.begin(), '-');
  return out;
}

SQLSMALLINT CTypeFor(const TOdbcColumn& c) {
  switch (c.TypeClass) {
    case TOdbcTypeClass::SmallInt:
    case TOdbcTypeClass::Integer:
    case TOdbcTypeClass::BigInt:
      return SQL_C_SBIGINT;
    case TOdbcTypeClass::Bit:
      return SQL_C_BIT;
    case TOdbcTypeClass::Real:
    case TOdbcTypeClass::Double:
      return SQL_C_DOUBLE;
    case TOdbcTypeClass::Money:
    case TOdbcTypeClass::Numeric:
    case TOdbcTypeClass::Time:
      return SQL_C_CHAR;
    case TOdbcTypeClass::Date:
      return SQL_C_TYPE_DATE;
    case TOdbcTypeClass::TimeStamp:
      return SQL_C_TYPE_TIMESTAMP;
    case TOdbcTypeClass::Binary:
    case TOdbcTypeClass::VarBinary:
    case TOdbcTypeClass::LongVarBinary:
      return SQL_C_BINARY;
    default:
      return SQL_C_WCHAR;
  }
}

// Cells longer than this are bound at this size and read again in full when they overflow.
constexpr size_t kMaxBoundChars = 8192;
constexpr size_t kMaxBoundBytes = 16384;
// Aim for about this many bytes of bound buffers per block.
constexpr size_t kBlockBytes = 1 << 20;
constexpr size_t kMaxBlockRows = 512;

size_t BufferSizeFor(const TOdbcColumn& c, SQLSMALLINT ctype) {
  switch (ctype) {
    case SQL_C_SBIGINT:
    case SQL_C_DOUBLE:
      return 8;
    case SQL_C_BIT:
      return 1;
    case SQL_C_TYPE_DATE:
      return sizeof(SQL_DATE_STRUCT);
    case SQL_C_TYPE_TIMESTAMP:
      return sizeof(SQL_TIMESTAMP_STRUCT);
    case SQL_C_CHAR:
      return std::max<size_t>(c.Size + 4, 48);
    case SQL_C_BINARY:
      return c.Size == 0 ? 4096 : std::min<size_t>(c.Size, kMaxBoundBytes);
    default: {
      const size_t chars = c.Size == 0 ? 256 : std::min<size_t>(c.Size, kMaxBoundChars);
      return (chars + 1) * sizeof(SQLWCHAR);
    }
  }
}

}  // namespace

// ---- EADOError ----

EADOError::EADOError(String message, std::vector<TOdbcDiagnostic> diagnostics)
    : EDatabaseError(std::move(message)), diagnostics_(std::move(diagnostics)) {}

String EADOError::SQLState() const { return diagnostics_.empty() ? String() : diagnostics_.front().SQLState; }

String EADOError::ServerText() const {
  const String text = JoinedText(diagnostics_);
  return text.empty() ? Message() : text;
}

bool EADOError::IsConnectionLost() const {
  return std::any_of(diagnostics_.begin(), diagnostics_.end(),
                     [](const TOdbcDiagnostic& d) { return LinkLost(d.SQLState); });
}

String DatabaseErrorText(const std::vector<TOdbcDiagnostic>& diagnostics, const String& serverText,
                         const String& lead) {
  const String plain = lead.empty() ? PlainWords(diagnostics) : lead;
  if (plain.empty()) return serverText;
  return serverText.empty() ? plain : plain + u"\n" + serverText;
}

// ---- Connection ----

TOdbcConnection::TOdbcConnection() = default;

TOdbcConnection::~TOdbcConnection() { Disconnect(); }

void TOdbcConnection::Connect(const String& connectionString, int loginTimeoutSeconds) {
  Disconnect();
  SQLHDBC dbc = SQL_NULL_HDBC;
  Check(SQLAllocHandle(SQL_HANDLE_DBC, Environment(), &dbc), SQL_HANDLE_ENV, Environment(),
        u"SQLAllocHandle");
  if (loginTimeoutSeconds > 0)
    SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeoutSeconds)), 0);
  SQLWCHAR out[1024];
  SQLSMALLINT outLength = 0;
  const SQLRETURN rc = SQLDriverConnectW(dbc, nullptr, W(connectionString), SQL_NTS, out, 1024, &outLength,
                                         SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    std::vector<TOdbcDiagnostic> diags = ReadDiagnostics(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    const String message = JoinedText(diags);
    throw EADOError(message.empty() ? String(u"Cannot connect to the database") : message, std::move(diags));
  }
  dbc_ = dbc;
}

void TOdbcConnection::Disconnect() {
  if (!dbc_) return;
  // The driver refuses to disconnect inside a transaction. Its rollback's result does not matter:
  // the server discards an unfinished transaction of a session that ends, and a dead link has none.
  SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
  SQLDisconnect(dbc_);
  SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
  dbc_ = nullptr;
}

void TOdbcConnection::SetAutoCommit(bool on) {
  Check(SQLSetConnectAttrW(dbc_, SQL_ATTR_AUTOCOMMIT,
                           reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0),
        SQL_HANDLE_DBC, dbc_, u"SQLSetConnectAttr");
}

bool TOdbcConnection::TrySetAutoCommit(bool on) noexcept {
  return dbc_ && SQL_SUCCEEDED(SQLSetConnectAttrW(
                     dbc_, SQL_ATTR_AUTOCOMMIT,
                     reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0));
}

void TOdbcConnection::Commit() {
  Check(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT), SQL_HANDLE_DBC, dbc_, u"Commit");
}

void TOdbcConnection::Rollback() {
  Check(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK), SQL_HANDLE_DBC, dbc_, u"Rollback");
}

String TOdbcConnection::GetCurrentCatalog() {
  SQLWCHAR buffer[256];
  SQLINTEGER length = 0;
  Check(SQLGetConnectAttrW(dbc_, SQL_ATTR_CURRENT_CATALOG, buffer, sizeof buffer, &length), SQL_HANDLE_DBC,
        dbc_, u"SQLGetConnectAttr");
  return FromW(buffer, std::min<size_t>(static_cast<size_t>(length) / sizeof(SQLWCHAR), 255));
}

void TOdbcConnection::SetCurrentCatalog(const String& name) {
  Check(SQLSetConnectAttrW(dbc_, SQL_ATTR_CURRENT_CATALOG, W(name), SQL_NTS), SQL_HANDLE_DBC, dbc_,
        u"SQLSetConnectAttr");
}

// ---- Statement ----

TOdbcStatement::TOdbcStatement(TOdbcConnection& connection) : connection_(connection) {
  if (!connection.Connected()) throw EADOError(u"Connection is closed");
  SQLHSTMT h = SQL_NULL_HSTMT;
  Check(SQLAllocHandle(SQL_HANDLE_STMT, connection.Handle(), &h), SQL_HANDLE_DBC, connection.Handle(),
        u"SQLAllocHandle");
  stmt_ = h;
}

TOdbcStatement::~TOdbcStatement() {
  if (stmt_) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
}

void TOdbcStatement::SetQueryTimeout(int seconds) {
  SQLSetStmtAttrW(stmt_, SQL_ATTR_QUERY_TIMEOUT,
                  reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(std::max(seconds, 0))), 0);
}

namespace {

TOdbcParamKind KindOfValue(const Variant& v) {
  if (v.IsArray()) return TOdbcParamKind::Binary;
  switch (VarType(v) & varTypeMask) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
      return TOdbcParamKind::Integer;
    case varLongWord:
    case varInt64:
    case varUInt64:
      return TOdbcParamKind::BigInt;
    case varSingle:
    case varDouble:
      return TOdbcParamKind::Float;
    case varCurrency:
    case varFMTBcd:
      return TOdbcParamKind::Decimal;
    case varBoolean:
      return TOdbcParamKind::Boolean;
    case varDate:
    case varSQLTimeStamp:
    case varSQLTimeStampOffset:
      return TOdbcParamKind::DateTime;
    default:
      return TOdbcParamKind::Text;
  }
}

template <class T>
std::string Raw(const T& value) {
  return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// A date and time goes to the microsecond the server keeps: the double of a stamp read from the server
// lies within half a microsecond of it, so rounding gives back exactly what was read.
SQL_TIMESTAMP_STRUCT TimeStampOf(const Variant& v) {
  SQL_TIMESTAMP_STRUCT s{};
  if (VarType(v) == varSQLTimeStamp) {
    const TSQLTimeStamp ts = v.AsSQLTimeStamp();
    s.year = ts.Year;
    s.month = ts.Month;
    s.day = ts.Day;
    s.hour = ts.Hour;
    s.minute = ts.Minute;
    s.second = ts.Second;
    s.fraction = ts.Fractions * 1000000u;
    return s;
  }
  constexpr Int64 kMicrosPerDay = 86400000000;
  const double value = v.AsDateTime();
  double day = std::trunc(value);
  Int64 micros = std::llround(std::fabs(value - day) * static_cast<double>(kMicrosPerDay));
  if (micros >= kMicrosPerDay) {
    micros -= kMicrosPerDay;
    day += value < 0 ? -1 : 1;
  }
  Word year = 0, month = 0, dayOfMonth = 0;
  DecodeDate(day, year, month, dayOfMonth);
  s.year = static_cast<SQLSMALLINT>(year);
  s.month = month;
  s.day = dayOfMonth;
  s.hour = static_cast<SQLUSMALLINT>(micros / 3600000000);
  s.minute = static_cast<SQLUSMALLINT>(micros / 60000000 % 60);
  s.second = static_cast<SQLUSMALLINT>(micros / 1000000 % 60);
  s.fraction = static_cast<SQLUINTEGER>(micros % 1000000 * 1000);
  return s;
}

}  // namespace

void TOdbcStatement::Execute(const String& sql, const std::vector<TOdbcParam>& params) {
  SQLFreeStmt(stmt_, SQL_CLOSE);
  SQLFreeStmt(stmt_, SQL_UNBIND);
  SQLFreeStmt(stmt_, SQL_RESET_PARAMS);
  paramData_.assign(params.size(), std::string());
  paramLengths_.assign(params.size(), 0);
  for (size_t i = 0; i < params.size(); ++i) {
    const Variant& v = params[i].Value;
    const bool null = v.IsNull() || v.IsEmpty();
    TOdbcParamKind kind = params[i].Kind;
    if (kind == TOdbcParamKind::Auto) kind = null ? TOdbcParamKind::Text : KindOfValue(v);
    std::string& data = paramData_[i];
    SQLSMALLINT ctype = SQL_C_WCHAR, sqlType = SQL_WVARCHAR, digits = 0;
    SQLULEN size = 0;
    switch (kind) {
      case TOdbcParamKind::Integer:
        ctype = SQL_C_SLONG;
        sqlType = SQL_INTEGER;
        if (!null) data = Raw(static_cast<SQLINTEGER>(v.AsInteger()));
        break;
      case TOdbcParamKind::BigInt:
        ctype = SQL_C_SBIGINT;
        sqlType = SQL_BIGINT;
        if (!null) data = Raw(static_cast<SQLBIGINT>(v.AsInt64()));
        break;
      case TOdbcParamKind::Float:
        ctype = SQL_C_DOUBLE;
        sqlType = SQL_DOUBLE;
        if (!null) data = Raw(v.AsDouble());
        break;
      case TOdbcParamKind::Decimal: {
        ctype = SQL_C_CHAR;
        sqlType = SQL_NUMERIC;
        size = 32;
        if (!null) {
          const TBcd b = VarToBcd(v);
          data = BcdToDecimalText(b);
          size = std::max<SQLULEN>(BcdPrecision(b) + BcdScale(b), 1);
          digits = static_cast<SQLSMALLINT>(BcdScale(b));
        }
        break;
      }
      case TOdbcParamKind::Boolean:
        ctype = SQL_C_BIT;
        sqlType = SQL_BIT;
        if (!null) data = Raw(static_cast<unsigned char>(v.AsBoolean() ? 1 : 0));
        break;
      case TOdbcParamKind::Date: {
        ctype = SQL_C_TYPE_DATE;
        sqlType = SQL_TYPE_DATE;
        size = 10;
        if (!null) {
          const SQL_TIMESTAMP_STRUCT ts = TimeStampOf(v);
          SQL_DATE_STRUCT d{ts.year, ts.month, ts.day};
          data = Raw(d);
        }
        break;
      }
      case TOdbcParamKind::Time:
      case TOdbcParamKind::DateTime:
        ctype = SQL_C_TYPE_TIMESTAMP;
        sqlType = kind == TOdbcParamKind::Time ? SQL_TYPE_TIME : SQL_TYPE_TIMESTAMP;
        size = kind == TOdbcParamKind::Time ? 15 : 26;
        digits = 6;
        if (!null) data = Raw(TimeStampOf(v));
        break;
      case TOdbcParamKind::Binary: {
        // Varying binary goes typed as bytea; the long kind would go untyped.
        ctype = SQL_C_BINARY;
        sqlType = SQL_VARBINARY;
        if (!null) {
          const TBytes bytes = VarToBytes(v);
          data.assign(bytes.begin(), bytes.end());
        }
        size = std::max<SQLULEN>(data.size(), 1);
        break;
      }
      case TOdbcParamKind::Text:
      case TOdbcParamKind::Auto: {
        if (!null) {
          const String text = v.AsString();
          data.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(Char));
        }
        size = std::max<SQLULEN>(data.size() / sizeof(Char), 1);
        sqlType = size > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
        break;
      }
    }
    paramLengths_[i] = null ? SQL_NULL_DATA : static_cast<long>(data.size());
    if (size == 0) size = data.size();
    const SQLRETURN rc = SQLBindParameter(stmt_, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, ctype,
                                          sqlType, size, digits, null ? nullptr : data.data(),
                                          static_cast<SQLLEN>(data.size()), &paramLengths_[i]);
    Check(rc, SQL_HANDLE_STMT, stmt_, u"SQLBindParameter");
  }
  const SQLRETURN rc = SQLExecDirectW(stmt_, W(sql), SQL_NTS);
  Check(rc, SQL_HANDLE_STMT, stmt_, u"SQLExecDirect");
}

int TOdbcStatement::ColumnCount() {
  SQLSMALLINT n = 0;
  Check(SQLNumResultCols(stmt_, &n), SQL_HANDLE_STMT, stmt_, u"SQLNumResultCols");
  return n;
}

Int64 TOdbcStatement::RowCount() {
  SQLLEN n = 0;
  Check(SQLRowCount(stmt_, &n), SQL_HANDLE_STMT, stmt_, u"SQLRowCount");
  return n;
}

std::vector<TOdbcColumn> TOdbcStatement::Describe() {
  const int count = ColumnCount();
  std::vector<TOdbcColumn> columns(count);
  for (int i = 0; i < count; ++i) {
    const SQLUSMALLINT n = static_cast<SQLUSMALLINT>(i + 1);
    SQLWCHAR name[512];
    SQLSMALLINT nameLength = 0, type = 0, scale = 0, nullable = 0;
    SQLULEN size = 0;
    Check(SQLDescribeColW(stmt_, n, name, 512, &nameLength, &type, &size, &scale, &nullable), SQL_HANDLE_STMT,
          stmt_, u"SQLDescribeCol");
    TOdbcColumn& c = columns[i];
    c.Name = FromW(name, std::min<size_t>(nameLength, 511));
    c.SqlType = type;
    c.Size = size;
    c.Scale = scale;
    c.Nullable = nullable != SQL_NO_NULLS;
    c.TypeName = ColumnText(stmt_, n, SQL_DESC_TYPE_NAME);
    c.SchemaName = ColumnText(stmt_, n, SQL_DESC_SCHEMA_NAME);
    c.TableName = ColumnText(stmt_, n, SQL_DESC_BASE_TABLE_NAME);
    c.BaseColumnName = ColumnText(stmt_, n, SQL_DESC_BASE_COLUMN_NAME);
    SQLLEN autoIncrement = 0;
    SQLColAttributeW(stmt_, n, SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &autoIncrement);
    c.AutoIncrement = autoIncrement == SQL_TRUE;
    c.TypeClass = ClassOf(type, c.TypeName);
  }
  return columns;
}

TStoreKind StoreKindOf(const TOdbcColumn& column) {
  switch (column.TypeClass) {
    case TOdbcTypeClass::SmallInt:
    case TOdbcTypeClass::Integer:
    case TOdbcTypeClass::BigInt:
      return TStoreKind::Integer;
    case TOdbcTypeClass::Bit:
      return TStoreKind::Boolean;
    case TOdbcTypeClass::Real:
    case TOdbcTypeClass::Double:
      return TStoreKind::Float;
    case TOdbcTypeClass::Money:
    case TOdbcTypeClass::Numeric:
      return TStoreKind::Decimal;
    case TOdbcTypeClass::Date:
      return TStoreKind::Date;
    case TOdbcTypeClass::Time:
      return TStoreKind::Time;
    case TOdbcTypeClass::TimeStamp:
      return TStoreKind::DateTime;
    case TOdbcTypeClass::Binary:
    case TOdbcTypeClass::VarBinary:
    case TOdbcTypeClass::LongVarBinary:
      return TStoreKind::Bytes;
    default:
      return TStoreKind::Text;
  }
}

// The bound buffers of one block: column-wise arrays of values and length indicators.
struct TOdbcStatement::Bound {
  std::vector<TOdbcColumn> columns;
  std::vector<SQLSMALLINT> ctypes;
  std::vector<size_t> sizes;
  std::vector<std::vector<char>> data;
  std::vector<std::vector<SQLLEN>> lengths;
};

void TOdbcStatement::FetchAll(TRowStore& store, std::vector<TStoreRow>& rows) {
  Bound bound;
  bound.columns = Describe();
  const int n = static_cast<int>(bound.columns.size());
  size_t rowBytes = 0;
  for (const TOdbcColumn& c : bound.columns) {
    bound.ctypes.push_back(CTypeFor(c));
    bound.sizes.push_back(BufferSizeFor(c, bound.ctypes.back()));
    rowBytes += bound.sizes.back() + sizeof(SQLLEN);
  }
  const size_t block = std::clamp<size_t>(kBlockBytes / std::max<size_t>(rowBytes, 1), 1, kMaxBlockRows);
  bound.data.resize(n);
  bound.lengths.resize(n);
  SQLULEN fetched = 0;
  std::vector<SQLUSMALLINT> status(block);
  SQLSetStmtAttrW(stmt_, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
  Check(SQLSetStmtAttrW(stmt_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(block), 0),
        SQL_HANDLE_STMT, stmt_, u"SQLSetStmtAttr");
  SQLSetStmtAttrW(stmt_, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
  SQLSetStmtAttrW(stmt_, SQL_ATTR_ROW_STATUS_PTR, status.data(), 0);
  for (int i = 0; i < n; ++i) {
    bound.data[i].resize(bound.sizes[i] * block);
    bound.lengths[i].resize(block);
    Check(SQLBindCol(stmt_, static_cast<SQLUSMALLINT>(i + 1), bound.ctypes[i], bound.data[i].data(),
                     static_cast<SQLLEN>(bound.sizes[i]), bound.lengths[i].data()),
          SQL_HANDLE_STMT, stmt_, u"SQLBindCol");
  }
  // Leave the statement as a plain one-row cursor whatever happens below.
  struct Restore {
    SQLHSTMT h;
    ~Restore() {
      SQLFreeStmt(h, SQL_UNBIND);
      SQLSetStmtAttrW(h, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
      SQLSetStmtAttrW(h, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
      SQLSetStmtAttrW(h, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
    }
  } restore{stmt_};
  for (;;) {
    const SQLRETURN rc = SQLFetch(stmt_);
    if (rc == SQL_NO_DATA) break;
    Check(rc, SQL_HANDLE_STMT, stmt_, u"SQLFetch");
    FetchBlock(store, rows, bound, fetched);
    if (fetched < block) break;
  }
}

void TOdbcStatement::FetchBlock(TRowStore& store, std::vector<TStoreRow>& rows, Bound& bound, size_t count) {
  const int n = static_cast<int>(bound.columns.size());
  TRowBuilder builder(store);
  for (size_t r = 0; r < count; ++r) {
    builder.Clear();
    for (int i = 0; i < n; ++i) {
      const SQLLEN length = bound.lengths[i][r];
      if (length == SQL_NULL_DATA) continue;
      const char* cell = bound.data[i].data() + bound.sizes[i] * r;
      const SQLSMALLINT ctype = bound.ctypes[i];
      const bool variable = ctype == SQL_C_WCHAR || ctype == SQL_C_CHAR || ctype == SQL_C_BINARY;
      const size_t room = ctype == SQL_C_WCHAR  ? bound.sizes[i] - sizeof(SQLWCHAR)
                          : ctype == SQL_C_CHAR ? bound.sizes[i] - 1
                                                : bound.sizes[i];
      if (variable && (length == SQL_NO_TOTAL || static_cast<size_t>(length) > room)) {
        ReadLongCell(r, i, bound, builder);
        continue;
      }
      const TOdbcColumn& col = bound.columns[i];
      switch (ctype) {
        case SQL_C_SBIGINT: {
          SQLBIGINT v;
          std::memcpy(&v, cell, sizeof v);
          builder.SetInteger(i, v);
          break;
        }
        case SQL_C_BIT:
          builder.SetInteger(i, *cell ? 1 : 0);
          break;
        case SQL_C_DOUBLE: {
          double v;
          std::memcpy(&v, cell, sizeof v);
          builder.SetFloat(i, v);
          break;
        }
        case SQL_C_TYPE_DATE: {
          SQL_DATE_STRUCT d;
          std::memcpy(&d, cell, sizeof d);
          builder.SetFloat(i, DateValue(d.year, d.month, d.day));
          break;
        }
        case SQL_C_TYPE_TIMESTAMP: {
          SQL_TIMESTAMP_STRUCT t;
          std::memcpy(&t, cell, sizeof t);
          const double date = DateValue(t.year, t.month, t.day);
          const double time = TimeValue(t.hour, t.minute, t.second, t.fraction / 1e9);
          builder.SetFloat(i, date >= 0 ? date + time : date - time);
          break;
        }
        case SQL_C_CHAR: {
          const std::string_view text(cell, static_cast<size_t>(length));
          if (col.TypeClass == TOdbcTypeClass::Time)
            builder.SetFloat(i, ParseTimeText(text));
          else if (col.TypeClass == TOdbcTypeClass::Money)
            builder.SetDecimal(i, MoneyToDecimal(text));
          else
            builder.SetDecimal(i, text);
          break;
        }
        case SQL_C_BINARY:
          builder.SetBytes(i, reinterpret_cast<const Byte*>(cell), static_cast<size_t>(length));
          break;
        default:
          builder.SetText(i, std::u16string_view(reinterpret_cast<const Char*>(cell),
                                                 static_cast<size_t>(length) / sizeof(SQLWCHAR)));
          break;
      }
    }
    rows.push_back(store.Add(builder));
  }
}

// A cell that did not fit its bound buffer: position on its row and read it whole with SQLGetData.
void TOdbcStatement::ReadLongCell(size_t row, int column, Bound& bound, TRowBuilder& builder) {
  Check(SQLSetPos(stmt_, static_cast<SQLSETPOSIROW>(row + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE),
        SQL_HANDLE_STMT, stmt_, u"SQLSetPos");
  const SQLSMALLINT ctype = bound.ctypes[column];
  const SQLUSMALLINT n = static_cast<SQLUSMALLINT>(column + 1);
  std::string all;
  std::vector<char> chunk(65536);
  const size_t terminator = ctype == SQL_C_WCHAR ? sizeof(SQLWCHAR) : (ctype == SQL_C_CHAR ? 1 : 0);
  for (;;) {
    SQLLEN length = 0;
    const SQLRETURN rc =
        SQLGetData(stmt_, n, ctype, chunk.data(), static_cast<SQLLEN>(chunk.size()), &length);
    if (rc == SQL_NO_DATA) break;
    Check(rc, SQL_HANDLE_STMT, stmt_, u"SQLGetData");
    if (length == SQL_NULL_DATA) {
      builder.SetNull(column);
      return;
    }
    const size_t got = (length == SQL_NO_TOTAL || static_cast<size_t>(length) > chunk.size() - terminator)
                           ? chunk.size() - terminator
                           : static_cast<size_t>(length);
    all.append(chunk.data(), got);
    if (rc == SQL_SUCCESS) break;
  }
  const TOdbcColumn& col = bound.columns[column];
  if (ctype == SQL_C_WCHAR)
    builder.SetText(
        column, std::u16string_view(reinterpret_cast<const Char*>(all.data()), all.size() / sizeof(Char)));
  else if (ctype == SQL_C_BINARY)
    builder.SetBytes(column, reinterpret_cast<const Byte*>(all.data()), all.size());
  else if (col.TypeClass == TOdbcTypeClass::Money)
    builder.SetDecimal(column, MoneyToDecimal(all));
  else
    builder.SetDecimal(column, all);
}

bool TOdbcStatement::NextResult() {
  const SQLRETURN rc = SQLMoreResults(stmt_);
  if (rc == SQL_NO_DATA) return false;
  Check(rc, SQL_HANDLE_STMT, stmt_, u"SQLMoreResults");
  return true;
}

void TOdbcStatement::CloseCursor() { SQLFreeStmt(stmt_, SQL_CLOSE); }
