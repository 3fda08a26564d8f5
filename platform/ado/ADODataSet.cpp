// The static client-side cursor of the ADO datasets: fetching into the row store, the buffered-cursor
// hooks of TDataSet over it, Sort and Filter, searching, and the write-back of edited rows.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/ado/ADODB.h"
#include "platform/ado/AdoSql.h"
#include "platform/data/DBFilterExpr.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"

struct TCustomADODataSet::Record {
  int id = -1;
  TBookmarkFlag flag = bfCurrent;
  // Values given while editing or inserting, by column; empty until the first one.
  std::vector<Variant> values;
  std::vector<char> changed;
};

struct TCustomADODataSet::Column {
  String name;  // unique within the dataset
  TOdbcColumn source;
  TFieldType dataType = ftUnknown;
  Integer size = 0;
  Integer precision = 0;
  bool readOnly = false;
};

// A base table the result's columns come from, with the columns that identify its rows.
struct TCustomADODataSet::WriteTable {
  String schema;
  String table;
  std::vector<int> columns;
  std::vector<int> keyColumns;  // empty: rows are identified by all their original values
  String QualifiedName() const {
    return schema.empty() ? QuoteSqlIdentifier(table)
                          : QuoteSqlIdentifier(schema) + u"." + QuoteSqlIdentifier(table);
  }
};

namespace {

constexpr const Char* SRowNotFound =
    u"Row cannot be located for updating. Some values may have been changed since it was last read.";

// ---- Field types from the driver's column types ----

void MapColumn(const TOdbcColumn& c, bool enableBCD, TFieldType& type, Integer& size, Integer& precision) {
  size = 0;
  precision = 0;
  const Integer reported = static_cast<Integer>(std::min<UInt64>(c.Size, 0x7FFFFFFF));
  switch (c.TypeClass) {
    case TOdbcTypeClass::SmallInt:
      type = ftSmallint;
      break;
    case TOdbcTypeClass::Integer:
      type = c.AutoIncrement ? ftAutoInc : ftInteger;
      break;
    case TOdbcTypeClass::BigInt:
      type = ftLargeint;
      break;
    case TOdbcTypeClass::Bit:
      type = ftBoolean;
      break;
    case TOdbcTypeClass::Real:
    case TOdbcTypeClass::Double:
      type = ftFloat;
      break;
    case TOdbcTypeClass::Money:
      type = enableBCD ? ftBCD : ftFloat;
      if (enableBCD) size = 2, precision = 19;
      break;
    case TOdbcTypeClass::Numeric: {
      const int p = std::clamp<int>(reported, 1, 32);
      const int s = std::clamp<int>(c.Scale, 0, p);
      if (!enableBCD) {
        type = ftFloat;
      } else {
        type = (p <= 18 && s <= 4) ? ftBCD : ftFMTBcd;
        size = s;
        precision = p;
      }
      break;
    }
    case TOdbcTypeClass::Date:
      type = ftDate;
      break;
    case TOdbcTypeClass::Time:
      type = ftTime;
      break;
    case TOdbcTypeClass::TimeStamp:
      type = ftDateTime;
      break;
    case TOdbcTypeClass::Char:
      type = ftFixedChar;
      size = std::max(reported, 1);
      break;
    case TOdbcTypeClass::VarChar:
    case TOdbcTypeClass::LongVarChar:
      type = ftString;
      size = reported > 0 ? reported : 8190;
      break;
    case TOdbcTypeClass::WChar:
      type = ftFixedWideChar;
      size = std::max(reported, 1);
      break;
    case TOdbcTypeClass::Guid:
      type = ftGuid;
      size = 38;
      break;
    case TOdbcTypeClass::Binary:
    case TOdbcTypeClass::VarBinary:
      type = ftVarBytes;
      size = std::clamp(reported, 1, 65533);
      break;
    case TOdbcTypeClass::LongVarBinary:
      type = ftBlob;
      break;
    default:
      type = ftWideString;
      size = reported > 0 ? reported : 8190;
      break;
  }
}

bool IsStringType(TFieldType t) {
  return t == ftString || t == ftFixedChar || t == ftWideString || t == ftFixedWideChar || t == ftGuid;
}

TOdbcParamKind ParamKindOfStore(TStoreKind kind) {
  switch (kind) {
    case TStoreKind::Integer:
      return TOdbcParamKind::BigInt;
    case TStoreKind::Boolean:
      return TOdbcParamKind::Boolean;
    case TStoreKind::Float:
      return TOdbcParamKind::Float;
    case TStoreKind::Decimal:
      return TOdbcParamKind::Decimal;
    case TStoreKind::Date:
      return TOdbcParamKind::Date;
    case TStoreKind::Time:
      return TOdbcParamKind::Time;
    case TStoreKind::DateTime:
      return TOdbcParamKind::DateTime;
    case TStoreKind::Text:
      return TOdbcParamKind::Text;
    case TStoreKind::Bytes:
      return TOdbcParamKind::Binary;
  }
  return TOdbcParamKind::Auto;
}

// ---- Native field buffers ----

template <class T>
void Put(void* buffer, T value) {
  std::memcpy(buffer, &value, sizeof value);
}

template <class T>
T Take(const void* buffer) {
  T value;
  std::memcpy(&value, buffer, sizeof value);
  return value;
}

void PutText(TField* field, void* buffer, std::u16string_view text) {
  const size_t room = static_cast<size_t>(std::max(field->GetSize(), 0));
  const size_t n = std::min(text.size(), room);
  Char* out = static_cast<Char*>(buffer);
  std::memcpy(out, text.data(), n * sizeof(Char));
  out[n] = 0;
}

void PutDateTime(TField* field, void* buffer, TDateTime value) {
  switch (field->GetDataType()) {
    case ftDate:
      Put<Integer>(buffer, DateTimeToTimeStamp(value).Date);
      break;
    case ftTime:
      Put<Integer>(buffer, DateTimeToTimeStamp(value).Time);
      break;
    default:
      Put<double>(buffer, TimeStampToMSecs(DateTimeToTimeStamp(value)));
      break;
  }
}

String GuidText(String text) {
  if (!text.empty() && text.front() != u'{') text = u"{" + text + u"}";
  return AnsiUpperCase(text);
}

// Writes a value into the field's native buffer; false for null.
bool PutVariant(TField* field, void* buffer, const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return false;
  switch (field->GetDataType()) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
      PutText(field, buffer, VarToStr(v));
      return true;
    case ftGuid:
      PutText(field, buffer, GuidText(VarToStr(v)));
      return true;
    case ftSmallint:
      Put<SmallInt>(buffer, static_cast<SmallInt>(v.AsInteger()));
      return true;
    case ftShortint:
      Put<ShortInt>(buffer, static_cast<ShortInt>(v.AsInteger()));
      return true;
    case ftByte:
      Put<Byte>(buffer, static_cast<Byte>(v.AsInteger()));
      return true;
    case ftWord:
      Put<Word>(buffer, static_cast<Word>(v.AsInteger()));
      return true;
    case ftInteger:
    case ftAutoInc:
      Put<Integer>(buffer, v.AsInteger());
      return true;
    case ftLongWord:
      Put<LongWord>(buffer, static_cast<LongWord>(v.AsInt64()));
      return true;
    case ftLargeint:
      Put<Int64>(buffer, v.AsInt64());
      return true;
    case ftBoolean:
      Put<Word>(buffer, v.AsBoolean() ? 1 : 0);
      return true;
    case ftFloat:
    case ftCurrency:
      Put<double>(buffer, v.AsDouble());
      return true;
    case TFieldType::ftSingle:
      Put<float>(buffer, static_cast<float>(v.AsDouble()));
      return true;
    case TFieldType::ftExtended:
      Put<long double>(buffer, v.AsDouble());
      return true;
    case ftBCD:
    case ftFMTBcd:
      Put<TBcd>(buffer, VarToBcd(v));
      return true;
    case ftDate:
    case ftTime:
    case ftDateTime:
      PutDateTime(field, buffer, VarToDateTime(v));
      return true;
    case ftTimeStamp:
      Put<TSQLTimeStamp>(buffer, VarToSQLTimeStamp(v));
      return true;
    case ftBytes: {
      const TBytes bytes = VarToBytes(v);
      const size_t n = std::min<size_t>(bytes.size(), static_cast<size_t>(field->GetSize()));
      std::memset(buffer, 0, static_cast<size_t>(field->GetSize()));
      if (n) std::memcpy(buffer, bytes.data(), n);
      return true;
    }
    case ftVarBytes: {
      const TBytes bytes = VarToBytes(v);
      const Word n = static_cast<Word>(std::min<size_t>(bytes.size(), static_cast<size_t>(field->GetSize())));
      Put<Word>(buffer, n);
      if (n) std::memcpy(static_cast<Byte*>(buffer) + 2, bytes.data(), n);
      return true;
    }
    case ftVariant:
      *static_cast<Variant*>(buffer) = v;
      return true;
    default:
      return false;
  }
}

// Reads the field's native buffer back into a value.
Variant TakeVariant(TField* field, const void* buffer) {
  if (!buffer) return Variant::Null();
  switch (field->GetDataType()) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftGuid:
      return Variant(String(static_cast<const Char*>(buffer)));
    case ftSmallint:
      return Variant(Take<SmallInt>(buffer));
    case ftShortint:
      return Variant(Take<ShortInt>(buffer));
    case ftByte:
      return Variant(Take<Byte>(buffer));
    case ftWord:
      return Variant(Take<Word>(buffer));
    case ftInteger:
    case ftAutoInc:
      return Variant(Take<Integer>(buffer));
    case ftLongWord:
      return Variant(Take<LongWord>(buffer));
    case ftLargeint:
      return Variant(Take<Int64>(buffer));
    case ftBoolean:
      return Variant(Take<Word>(buffer) != 0);
    case ftFloat:
    case ftCurrency:
      return Variant(Take<double>(buffer));
    case TFieldType::ftSingle:
      return Variant(Take<float>(buffer));
    case TFieldType::ftExtended:
      return Variant(Take<long double>(buffer));
    case ftBCD:
    case ftFMTBcd:
      return VarFMTBcdCreate(Take<TBcd>(buffer));
    case ftDate:
      return VarFromDateTime(TimeStampToDateTime(TTimeStamp{0, Take<Integer>(buffer)}));
    case ftTime:
      return VarFromDateTime(TimeStampToDateTime(TTimeStamp{Take<Integer>(buffer), DateDelta}));
    case ftDateTime:
      return VarFromDateTime(TimeStampToDateTime(MSecsToTimeStamp(Take<double>(buffer))));
    case ftTimeStamp:
      return Variant(Take<TSQLTimeStamp>(buffer));
    case ftBytes: {
      const Byte* p = static_cast<const Byte*>(buffer);
      return VarArrayOfBytes(TBytes(p, p + field->GetSize()));
    }
    case ftVarBytes: {
      const Byte* p = static_cast<const Byte*>(buffer);
      const Word n = Take<Word>(buffer);
      return VarArrayOfBytes(TBytes(p + 2, p + 2 + n));
    }
    case ftVariant:
      return *static_cast<const Variant*>(buffer);
    default:
      return Variant::Null();
  }
}

// The value a lookup answers for a field: the stored value in the kind of the field's class.
Variant AsFieldKind(const TField* field, const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return v;
  switch (field->GetDataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftShortint:
    case ftByte:
      return Variant(v.AsInteger());
    case ftLargeint:
    case ftLongWord:
      return Variant(v.AsInt64());
    case ftFloat:
    case TFieldType::ftSingle:
    case TFieldType::ftExtended:
      return Variant(v.AsDouble());
    case ftCurrency:
      return Variant(v.AsCurrency());
    case ftBoolean:
      return Variant(v.AsBoolean());
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
      return Variant(VarToStr(v));
    case ftGuid:
      return Variant(GuidText(VarToStr(v)));
    default:
      return v;
  }
}

}  // namespace

// ---- Construction and properties ----

TCustomADODataSet::TCustomADODataSet(TComponent* owner)
    : TDataSet(owner), parameters_(std::make_unique<TParameters>(this)) {}

TCustomADODataSet::~TCustomADODataSet() {
  CloseForDestruction();
  SetConnection(nullptr);
}

void TCustomADODataSet::CloseForDestruction() noexcept {
  // No open or close handler runs for an object that is going away.
  Destroying();
  try {
    Close();
  } catch (const Exception&) {
    // Only a data link can raise here, while its control follows the state change. Closing drops the
    // fetched rows and an unposted edit, which destroying the dataset discards in any case; the
    // server holds nothing of the dataset, so nothing is lost.
  }
}

void TCustomADODataSet::Published(TPropBuilder<TCustomADODataSet>& p) {
  static const TTypeInfo cursorLocation =
      TTypeInfo::Enum(u"TCursorLocation", {u"clUseServer", u"clUseClient"});
  static const TTypeInfo cursorType = TTypeInfo::Enum(
      u"TCursorType", {u"ctUnspecified", u"ctOpenForwardOnly", u"ctKeyset", u"ctDynamic", u"ctStatic"});
  static const TTypeInfo lockType = TTypeInfo::Enum(
      u"TADOLockType",
      {u"ltUnspecified", u"ltReadOnly", u"ltPessimistic", u"ltOptimistic", u"ltBatchOptimistic"});
  p.Int(u"CommandTimeout", &TCustomADODataSet::GetCommandTimeout, &TCustomADODataSet::SetCommandTimeout)
      .Default(30);
  p.Object(u"Connection", &TCustomADODataSet::GetConnection, &TCustomADODataSet::SetConnection);
  p.Enum(u"CursorLocation", &cursorLocation, &TCustomADODataSet::GetCursorLocation,
         &TCustomADODataSet::SetCursorLocation)
      .Default(clUseClient);
  p.Enum(u"CursorType", &cursorType, &TCustomADODataSet::GetCursorType, &TCustomADODataSet::SetCursorType)
      .Default(ctStatic);
  p.Bool(u"EnableBCD", &TCustomADODataSet::GetEnableBCD, &TCustomADODataSet::SetEnableBCD).Default(1);
  p.Enum(u"LockType", &lockType, &TCustomADODataSet::GetLockType, &TCustomADODataSet::SetLockType)
      .Default(ltOptimistic);
  p.Str(u"Sort", &TCustomADODataSet::GetSort, &TCustomADODataSet::SetSort).Stored(false);
}

void TCustomADODataSet::SetConnection(TADOConnection* value) {
  if (connection_ == value) return;
  if (GetActive() && !GetComponentState().Contains(csLoading)) Close();
  if (connection_) {
    connection_->UnregisterDataSet(this);
    connection_->RemoveFreeNotification(this);
  }
  connection_ = value;
  if (connection_) {
    connection_->RegisterDataSet(this);
    connection_->FreeNotification(this);
  }
}

void TCustomADODataSet::Notification(TComponent* component, TOperation operation) {
  TDataSet::Notification(component, operation);
  if (operation == opRemove && component == connection_) {
    if (GetActive()) Close();
    connection_ = nullptr;
  }
}

void TCustomADODataSet::SetParameters(TParameters* value) { parameters_->Assign(value); }

void TCustomADODataSet::SetEnableBCD(bool value) {
  if (value == enableBCD_) return;
  CheckInactive();
  enableBCD_ = value;
}

// Parameters a form resource did not list are read from the statement before a streamed Active opens.
void TCustomADODataSet::Loaded() {
  if (paramCheck_) parameters_->ParseSQL(GetCommandText(), true);
  TDataSet::Loaded();
}

void TCustomADODataSet::CommandTextChanged() {
  // Columns described for an earlier text are no longer the statement's.
  if (!GetActive()) columns_.clear();
  if (paramCheck_ && !GetComponentState().Contains(csLoading)) parameters_->ParseSQL(GetCommandText(), true);
}

TADOConnection& TCustomADODataSet::CheckConnection() const {
  if (!connection_) DatabaseError(u"Missing Connection or ConnectionString", this);
  return *connection_;
}

TParams* TCustomADODataSet::PSGetParams() {
  if (!psParams_) psParams_ = std::make_unique<TParams>(this);
  psParams_->Clear();
  for (int i = 0; i < parameters_->GetCount(); ++i) {
    const TParameter* p = parameters_->GetItem(i);
    TParam* param = psParams_->CreateParam(p->GetDataType(), p->GetName(), ptInput);
    param->SetValue(p->GetValue());
  }
  return psParams_.get();
}

String TCustomADODataSet::PSGetTableName() {
  const String table = UpdateTableName();
  if (!table.empty()) return table;
  for (const Column& c : columns_)
    if (!c.source.TableName.empty()) return c.source.TableName;
  return String();
}

// ---- Executing and fetching ----

std::vector<TOdbcParam> TCustomADODataSet::BoundParameters(const std::vector<String>& names) const {
  std::vector<TOdbcParam> params;
  params.reserve(names.size());
  for (const String& name : names) {
    const TParameter* p = parameters_->ParamByName(name);
    params.push_back(TOdbcParam{p->GetValue(), ParamKindOf(p->GetDataType())});
  }
  return params;
}

Int64 TCustomADODataSet::ExecuteStatement(TExecuteMode mode) {
  const bool fetch = mode == TExecuteMode::Fetch;
  TADOConnection& connection = CheckConnection();
  const String command = GetCommandText();
  if (Trim(command).empty()) DatabaseError(u"CommandText is empty", this);
  const TParsedSql parsed = paramCheck_ ? ParseSqlParameters(command) : TParsedSql{command, {}};
  const std::vector<TOdbcParam> params = BoundParameters(parsed.Names);
  return connection.Guard([&]() -> Int64 {
    TOdbcStatement statement(connection.Link());
    statement.SetQueryTimeout(commandTimeout_);
    statement.Execute(parsed.Text, params);
    bool haveRows = false;
    Int64 affected = 0;
    bool counted = false;
    // The first row set is the dataset's; every other result is read so that all statements of a
    // batch run and their errors surface.
    do {
      if (statement.ColumnCount() > 0) {
        if (fetch && !haveRows) {
          ReadResult(statement);
          haveRows = true;
        } else if (mode == TExecuteMode::Describe && !haveRows) {
          DescribeColumns(statement.Describe());
          haveRows = true;
        }
      } else {
        const Int64 n = statement.RowCount();
        if (n >= 0) {
          affected += n;
          counted = true;
        }
      }
    } while (statement.NextResult());
    if (fetch && !haveRows) DatabaseError(u"CommandText does not return a result set", this);
    return counted ? affected : -1;
  });
}

void TCustomADODataSet::DescribeColumns(const std::vector<TOdbcColumn>& described) {
  columns_.clear();
  columns_.reserve(described.size());
  std::vector<TStoreKind> kinds;
  for (const TOdbcColumn& source : described) {
    Column c;
    c.source = source;
    MapColumn(source, enableBCD_, c.dataType, c.size, c.precision);
    c.readOnly = source.TableName.empty() || source.BaseColumnName.empty();
    // A repeated name gets the first free suffix: id, id_1, id_2 ...
    String name = source.Name;
    auto taken = [this](const String& n) {
      for (const Column& other : columns_)
        if (SameText(other.name, n)) return true;
      return false;
    };
    for (int k = 1; taken(name); ++k) name = source.Name + u"_" + IntToStr(k);
    c.name = name;
    columns_.push_back(std::move(c));
    kinds.push_back(StoreKindOf(source));
  }
  store_.Reset(std::move(kinds));
}

void TCustomADODataSet::ReadResult(TOdbcStatement& statement) {
  DescribeColumns(statement.Describe());
  rows_.clear();
  statement.FetchAll(store_, rows_);
  // A text longer than the driver said (text columns, unbounded varchar) widens its field, so that
  // nothing read is cut.
  for (size_t i = 0; i < columns_.size(); ++i) {
    Column& c = columns_[i];
    if (!IsStringType(c.dataType) || c.dataType == ftGuid) continue;
    const int column = static_cast<int>(i);
    size_t longest = 0;
    for (TStoreRow row : rows_)
      if (!TRowStore::IsNull(row, column)) longest = std::max(longest, store_.GetText(row, column).size());
    if (longest > static_cast<size_t>(c.size)) c.size = static_cast<Integer>(longest);
  }
  fetched_ = true;
}

int TCustomADODataSet::ColumnOf(const String& name) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (SameText(columns_[i].name, name)) return static_cast<int>(i);
  return -1;
}

int TCustomADODataSet::ColumnOfField(const TField* field) const {
  const int n = field->GetFieldNo() - 1;
  if (n >= 0 && n < static_cast<int>(columns_.size())) return n;
  return ColumnOf(field->GetFieldName());
}

void TCustomADODataSet::InternalInitFieldDefs() {
  if (columns_.empty()) ExecuteStatement(TExecuteMode::Describe);
  TFieldDefs* defs = GetFieldDefs();
  defs->BeginUpdate();
  try {
    defs->Clear();
    for (size_t i = 0; i < columns_.size(); ++i) {
      const Column& c = columns_[i];
      TFieldDef* def = defs->AddFieldDef();
      def->SetName(c.name);
      def->SetDataType(c.dataType);
      if (c.size > 0) def->SetSize(c.size);
      if (c.precision > 0) def->SetPrecision(c.precision);
      def->SetFieldNo(static_cast<Integer>(i + 1));
      TFieldAttributes attributes;
      if (c.readOnly) attributes.Include(faReadonly);
      if (c.dataType == ftFixedChar || c.dataType == ftFixedWideChar) attributes.Include(faFixed);
      def->SetAttributes(attributes);
    }
  } catch (...) {
    defs->EndUpdate();
    throw;
  }
  defs->EndUpdate();
}

void TCustomADODataSet::InternalOpen() {
  CheckConnection();
  if (!fetched_) ExecuteStatement(TExecuteMode::Fetch);
  GetFieldDefs()->SetUpdated(false);
  InitFieldDefs();
  // Fields are needed now: the framework's filter language binds to them.
  if (DefaultFields()) CreateFields();
  BindFields(true);
  positions_.clear();
  cursor_ = -1;
  try {
    sortKeys_ = sort_.empty() ? std::vector<TSortKey>()
                              : ParseSortText(sort_, [this](const String& n) { return ColumnOf(n); });
    if (GetFiltered()) ApplyFilterText();
  } catch (...) {
    sortKeys_.clear();
    recordsetFilter_.reset();
    frameworkFilter_.reset();
    fetched_ = false;
    throw;
  }
  cursorOpen_ = true;
  RebuildView(false);
}

void TCustomADODataSet::InternalClose() {
  cursorOpen_ = false;
  fetched_ = false;
  recordsetFilter_.reset();
  frameworkFilter_.reset();
  sortKeys_.clear();
  sort_.clear();
  view_.clear();
  positions_.clear();
  rows_.clear();
  store_.ClearRows();
  rowsBeforeTransaction_.reset();
  refreshedInTransaction_ = false;
  columns_.clear();
  cursor_ = -1;
  if (DefaultFields()) GetFieldDefs()->Clear();
}

void TCustomADODataSet::InternalRefresh() {
  const int position = cursor_;
  if (connection_ && connection_->InTransaction()) {
    rowsBeforeTransaction_.reset();
    refreshedInTransaction_ = true;
  }
  rows_.clear();
  store_.ClearRows();
  fetched_ = false;
  ExecuteStatement(TExecuteMode::Fetch);
  if (GetFiltered()) ApplyFilterText();
  RebuildView(false);
  cursor_ = view_.empty() ? -1 : std::clamp(position, 0, static_cast<int>(view_.size()) - 1);
}

void TCustomADODataSet::RememberRowsBeforeTransaction() {
  if (connection_ && connection_->InTransaction() && !rowsBeforeTransaction_ && !refreshedInTransaction_)
    rowsBeforeTransaction_ = rows_;
}

void TCustomADODataSet::TransactionEnded(bool committed) {
  std::optional<std::vector<TStoreRow>> before = std::move(rowsBeforeTransaction_);
  rowsBeforeTransaction_.reset();
  const bool refreshed = refreshedInTransaction_;
  refreshedInTransaction_ = false;
  if (committed || !GetActive() || (!before && !refreshed)) return;
  // An edit begun in the transaction belongs to it.
  Cancel();
  if (before) {
    rows_ = std::move(*before);
    RebuildView(true);
    if (cursor_ < 0 && !view_.empty()) cursor_ = 0;
    Resync(TResyncMode());
  } else if (connection_->GetConnected()) {
    // Read inside the transaction, so showing what it changed: read again.
    Refresh();
  } else {
    // Nothing to read the saved state from: better no rows than rows the server does not hold.
    Close();
  }
}

void TCustomADODataSet::Requery() {
  CheckBrowseMode();
  if (GetActive()) Refresh();
}

// ---- The view: filter, sort, positions ----

void TCustomADODataSet::RebuildView(bool keepPosition) {
  const int current = (cursor_ >= 0 && cursor_ < static_cast<int>(view_.size())) ? view_[cursor_] : -1;
  view_.clear();
  view_.reserve(rows_.size());
  for (int id = 0; id < static_cast<int>(rows_.size()); ++id) {
    if (!rows_[id]) continue;
    if (!PassesFilter(rows_[id])) continue;
    view_.push_back(id);
  }
  SortRowIds(view_, rows_, store_, sortKeys_);
  RebuildPositions();
  cursor_ = -1;
  if (keepPosition && current >= 0) {
    const int p = PositionOf(current);
    if (p >= 0) cursor_ = p;
  }
}

void TCustomADODataSet::RebuildPositions() {
  positions_.assign(rows_.size(), -1);
  for (int i = 0; i < static_cast<int>(view_.size()); ++i) positions_[view_[i]] = i;
}

int TCustomADODataSet::PositionOf(int id) const {
  if (id < 0 || id >= static_cast<int>(positions_.size())) return -1;
  return positions_[id];
}

void TCustomADODataSet::SetSort(const String& value) {
  if (!GetActive()) {
    sort_ = value;
    return;
  }
  CheckBrowseMode();
  std::vector<TSortKey> keys = Trim(value).empty()
                                   ? std::vector<TSortKey>()
                                   : ParseSortText(value, [this](const String& n) { return ColumnOf(n); });
  UpdateCursorPos();
  sort_ = value;
  sortKeys_ = std::move(keys);
  RebuildView(true);
  if (cursor_ < 0 && !view_.empty()) cursor_ = 0;
  Resync(TResyncMode());
}

// The recordset language first; a text only the framework's language reads is evaluated by the
// framework's parser over the stored values; a text neither reads raises the recordset's error.
void TCustomADODataSet::CompileFilter(const String& text, std::unique_ptr<TRecordsetFilter>& recordset,
                                      std::unique_ptr<TFilterExpr>& framework) {
  recordset.reset();
  framework.reset();
  if (Trim(text).empty() || columns_.empty()) return;
  try {
    const TFilterOptions options = GetFilterOptions();
    recordset = std::make_unique<TRecordsetFilter>(
        text, store_, [this](const String& n) { return ColumnOf(n); }, options.Contains(foCaseInsensitive),
        !options.Contains(foNoPartialCompare));
  } catch (const EDatabaseError& recordsetError) {
    try {
      framework = std::make_unique<TFilterExpr>(this, text, GetFilterOptions());
    } catch (const Exception&) {
      throw recordsetError;
    }
  }
}

void TCustomADODataSet::ApplyFilterText() {
  CompileFilter(GetFilterText(), recordsetFilter_, frameworkFilter_);
}

bool TCustomADODataSet::FrameworkFilterAccepts(TStoreRow row) const {
  return frameworkFilter_->Matches([this, row](const TExprNode& node) -> Variant {
    const int column = node.Field ? ColumnOfField(node.Field) : ColumnOf(node.Name);
    if (column < 0) return Variant::Null();
    const Variant v = store_.GetValue(row, column);
    return node.Field ? AsFieldKind(node.Field, v) : v;
  });
}

bool TCustomADODataSet::PassesFilter(TStoreRow row) const {
  if (recordsetFilter_ && !recordsetFilter_->Matches(row)) return false;
  return !frameworkFilter_ || FrameworkFilterAccepts(row);
}

void TCustomADODataSet::SetFilterOptions(TFilterOptions value) {
  if (!GetActive() || !GetFiltered() || value == GetFilterOptions()) {
    TDataSet::SetFilterOptions(value);
    return;
  }
  CheckBrowseMode();
  TDataSet::SetFilterOptions(value);
  ApplyFilterText();
  RebuildView(false);
  First();
}

void TCustomADODataSet::SetFilterText(const String& value) {
  if (!GetActive() || !GetFiltered()) {
    TDataSet::SetFilterText(value);
    return;
  }
  // Parse first: a bad text leaves the filter in force as it was.
  CheckBrowseMode();
  std::unique_ptr<TRecordsetFilter> recordset;
  std::unique_ptr<TFilterExpr> framework;
  CompileFilter(value, recordset, framework);
  TDataSet::SetFilterText(value);
  recordsetFilter_ = std::move(recordset);
  frameworkFilter_ = std::move(framework);
  RebuildView(false);
  First();
}

void TCustomADODataSet::SetFiltered(bool value) {
  if (!GetActive() || value == GetFiltered()) {
    TDataSet::SetFiltered(value);
    return;
  }
  CheckBrowseMode();
  std::unique_ptr<TRecordsetFilter> recordset;
  std::unique_ptr<TFilterExpr> framework;
  if (value) CompileFilter(GetFilterText(), recordset, framework);
  TDataSet::SetFiltered(value);
  recordsetFilter_ = std::move(recordset);
  frameworkFilter_ = std::move(framework);
  RebuildView(false);
  First();
}

// ---- Record buffers and the cursor ----

TRecordBuffer TCustomADODataSet::AllocRecordBuffer() { return reinterpret_cast<TRecordBuffer>(new Record()); }

void TCustomADODataSet::FreeRecordBuffer(TRecordBuffer& buffer) {
  delete reinterpret_cast<Record*>(buffer);
  buffer = nullptr;
}

TGetResult TCustomADODataSet::GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) {
  const int count = static_cast<int>(view_.size());
  for (;;) {
    switch (getMode) {
      case gmNext:
        if (cursor_ >= count) return grEOF;
        ++cursor_;
        if (cursor_ >= count) return grEOF;
        break;
      case gmPrior:
        if (cursor_ < 0) return grBOF;
        --cursor_;
        if (cursor_ < 0) return grBOF;
        break;
      case gmCurrent:
        if (cursor_ < 0 || cursor_ >= count) {
          if (doCheck) DatabaseError(SNoDataFound, this);
          return cursor_ < 0 ? grBOF : grEOF;
        }
        break;
    }
    Record& rec = Rec(buffer);
    rec.id = view_[cursor_];
    rec.flag = bfCurrent;
    rec.values.clear();
    rec.changed.clear();
    // The recordset filter is applied in the view; OnFilterRecord is the framework's.
    if (!OnFilterRecord.Assigned() || FilterAccepts(buffer)) return grOK;
    if (getMode == gmCurrent) getMode = gmNext;
  }
}

void TCustomADODataSet::InternalInitRecord(TRecordBuffer buffer) {
  Record& rec = Rec(buffer);
  rec.id = -1;
  rec.values.assign(columns_.size(), Variant::Null());
  rec.changed.assign(columns_.size(), 0);
}

void TCustomADODataSet::InternalFirst() { cursor_ = -1; }

void TCustomADODataSet::InternalLast() { cursor_ = static_cast<int>(view_.size()); }

void TCustomADODataSet::GetBookmarkData(TRecordBuffer buffer, TBookmark& data) {
  const std::int32_t id = Rec(buffer).id;
  data.resize(sizeof id);
  std::memcpy(data.data(), &id, sizeof id);
}

void TCustomADODataSet::SetBookmarkData(TRecordBuffer buffer, const TBookmark& data) {
  std::int32_t id = -1;
  if (data.size() == sizeof id) std::memcpy(&id, data.data(), sizeof id);
  Rec(buffer).id = id;
}

TBookmarkFlag TCustomADODataSet::GetBookmarkFlag(TRecordBuffer buffer) { return Rec(buffer).flag; }

void TCustomADODataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) {
  Rec(buffer).flag = value;
}

void TCustomADODataSet::InternalGotoBookmark(const TBookmark& bookmark) {
  std::int32_t id = -1;
  if (bookmark.size() == sizeof id) std::memcpy(&id, bookmark.data(), sizeof id);
  const int p = PositionOf(id);
  if (p < 0) DatabaseError(SRecordNotFound, this);
  cursor_ = p;
}

void TCustomADODataSet::InternalSetToRecord(TRecordBuffer buffer) {
  const int p = PositionOf(Rec(buffer).id);
  if (p >= 0) cursor_ = p;
}

bool TCustomADODataSet::BookmarkValid(const TBookmark& bookmark) {
  std::int32_t id = -1;
  if (bookmark.size() != sizeof id) return false;
  std::memcpy(&id, bookmark.data(), sizeof id);
  return PositionOf(id) >= 0;
}

Integer TCustomADODataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
  std::int32_t ia = -1, ib = -1;
  if (a.size() == sizeof ia) std::memcpy(&ia, a.data(), sizeof ia);
  if (b.size() == sizeof ib) std::memcpy(&ib, b.data(), sizeof ib);
  const int pa = PositionOf(ia), pb = PositionOf(ib);
  return pa < pb ? -1 : (pa > pb ? 1 : 0);
}

Integer TCustomADODataSet::GetRecordCount() const {
  if (!cursorOpen_) return -1;
  return static_cast<Integer>(view_.size());
}

Integer TCustomADODataSet::GetRecNo() const {
  if (!cursorOpen_ || GetState() == dsInsert) return -1;
  const TRecordBuffer active = GetActiveRecordBuffer();
  if (!active || view_.empty()) return -1;
  const int p = PositionOf(Rec(active).id);
  return p < 0 ? -1 : p + 1;
}

// A number past the last record goes to the last one (lists put back a number saved before a
// delete); below 1 to the first.
void TCustomADODataSet::SetRecNo(Integer value) {
  CheckBrowseMode();
  if (view_.empty()) return;
  const int target = std::clamp<int>(value, 1, static_cast<int>(view_.size())) - 1;
  if (target + 1 == GetRecNo()) return;
  TBookmark bookmark(sizeof(std::int32_t));
  const std::int32_t id = view_[target];
  std::memcpy(bookmark.data(), &id, sizeof id);
  GotoBookmark(bookmark);
}

TStoreRow TCustomADODataSet::CurrentRow(TRecordBuffer buffer) const {
  const int id = Rec(buffer).id;
  return (id >= 0 && id < static_cast<int>(rows_.size())) ? rows_[id] : nullptr;
}

Variant TCustomADODataSet::CellValue(TRecordBuffer buffer, int column) const {
  const Record& rec = Rec(buffer);
  if (!rec.changed.empty() && rec.changed[column]) return rec.values[column];
  const TStoreRow row = CurrentRow(buffer);
  return row ? store_.GetValue(row, column) : Variant::Null();
}

// ---- Field values ----

bool TCustomADODataSet::GetFieldData(TField* field, void* buffer) {
  const TRecordBuffer active = GetActiveRecordBuffer();
  if (!active) return false;
  const int column = ColumnOfField(field);
  if (column < 0) return false;
  const Record& rec = Rec(active);
  if (!rec.changed.empty() && rec.changed[column]) {
    if (!buffer) return !(rec.values[column].IsNull() || rec.values[column].IsEmpty());
    return PutVariant(field, buffer, rec.values[column]);
  }
  const TStoreRow row = CurrentRow(active);
  if (!row || TRowStore::IsNull(row, column)) return false;
  if (!buffer) return true;
  // The common pairings straight from the store; the rest through a Variant.
  const TStoreKind kind = store_.Kind(column);
  const TFieldType type = field->GetDataType();
  switch (kind) {
    case TStoreKind::Integer:
      switch (type) {
        case ftInteger:
        case ftAutoInc:
          Put<Integer>(buffer, static_cast<Integer>(store_.GetInteger(row, column)));
          return true;
        case ftSmallint:
          Put<SmallInt>(buffer, static_cast<SmallInt>(store_.GetInteger(row, column)));
          return true;
        case ftLargeint:
          Put<Int64>(buffer, store_.GetInteger(row, column));
          return true;
        default:
          break;
      }
      break;
    case TStoreKind::Float:
      if (type == ftFloat || type == ftCurrency) {
        Put<double>(buffer, store_.GetFloat(row, column));
        return true;
      }
      break;
    case TStoreKind::Decimal:
      if (type == ftBCD || type == ftFMTBcd) {
        Put<TBcd>(buffer, DecimalTextToBcd(store_.GetDecimal(row, column)));
        return true;
      }
      break;
    case TStoreKind::Text:
      if (IsStringType(type) && type != ftGuid) {
        PutText(field, buffer, store_.GetText(row, column));
        return true;
      }
      break;
    case TStoreKind::Date:
    case TStoreKind::Time:
    case TStoreKind::DateTime:
      if (type == ftDate || type == ftTime || type == ftDateTime) {
        PutDateTime(field, buffer, store_.GetFloat(row, column));
        return true;
      }
      break;
    default:
      break;
  }
  return PutVariant(field, buffer, store_.GetValue(row, column));
}

bool TCustomADODataSet::GetFieldData(TField* field, void* buffer, bool nativeFormat) {
  if (nativeFormat || !buffer || field->GetDataType() != ftDateTime || field->GetFieldKind() != fkData)
    return TDataSet::GetFieldData(field, buffer, nativeFormat);
  const int column = ColumnOfField(field);
  const TRecordBuffer active = GetActiveRecordBuffer();
  if (column < 0 || !active) return TDataSet::GetFieldData(field, buffer, nativeFormat);
  const Variant value = CellValue(active, column);
  if (value.IsNull() || value.IsEmpty()) return false;
  *static_cast<TDateTime*>(buffer) = VarToDateTime(value);
  return true;
}

void TCustomADODataSet::SetFieldData(TField* field, const void* buffer) {
  const TRecordBuffer active = GetActiveRecordBuffer();
  if (!active) return;
  const int column = ColumnOfField(field);
  if (column < 0) return;
  Record& rec = Rec(active);
  if (rec.changed.empty()) {
    rec.values.assign(columns_.size(), Variant::Null());
    rec.changed.assign(columns_.size(), 0);
  }
  rec.values[column] = TakeVariant(field, buffer);
  rec.changed[column] = 1;
}

TStream* TCustomADODataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  const TRecordBuffer active = GetActiveRecordBuffer();
  const int column = ColumnOfField(field);
  TBytes bytes;
  if (active && column >= 0 && mode != bmWrite) {
    const Variant v = CellValue(active, column);
    if (!v.IsNull() && !v.IsEmpty()) {
      if (v.IsArray()) {
        bytes = VarToBytes(v);
      } else {
        const String text = VarToStr(v);
        if (field->GetDataType() == ftMemo || field->GetDataType() == ftFmtMemo) {
          const std::string ansi = StringToCp1251(text);
          bytes.assign(ansi.begin(), ansi.end());
        } else {
          const auto* p = reinterpret_cast<const Byte*>(text.data());
          bytes.assign(p, p + text.size() * sizeof(Char));
        }
      }
    }
  }
  auto store = [this, field, column](const TBytes& written) {
    const TRecordBuffer target = GetActiveRecordBuffer();
    if (!target || column < 0) return;
    Record& rec = Rec(target);
    if (rec.changed.empty()) {
      rec.values.assign(columns_.size(), Variant::Null());
      rec.changed.assign(columns_.size(), 0);
    }
    Variant value;
    if (store_.Kind(column) == TStoreKind::Text) {
      if (field->GetDataType() == ftMemo || field->GetDataType() == ftFmtMemo)
        value = Variant(Cp1251ToStringLenient(
            std::string_view(reinterpret_cast<const char*>(written.data()), written.size())));
      else
        value = Variant(String(reinterpret_cast<const Char*>(written.data()), written.size() / sizeof(Char)));
    } else {
      value = VarArrayOfBytes(written);
    }
    rec.values[column] = value;
    rec.changed[column] = 1;
  };
  return new TFieldBlobStream(field, mode, bytes, store);
}

// ---- Searching ----

namespace {

struct KeyMatcher {
  int column;
  TStoreKind kind;
  Variant value;
  String text;
  bool isNull;
};

}  // namespace

bool TCustomADODataSet::Locate(const String& keyFields, const Variant& keyValues, TLocateOptions options) {
  CheckBrowseMode();
  std::vector<TField*> fields = GetFieldList(keyFields);
  std::vector<KeyMatcher> keys;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i]->GetFieldKind() != fkData || ColumnOfField(fields[i]) < 0)
      return TDataSet::Locate(keyFields, keyValues, options);
    const Variant v =
        fields.size() == 1 && !keyValues.IsArray() ? keyValues : keyValues.GetElement(static_cast<int>(i));
    KeyMatcher k{ColumnOfField(fields[i]), store_.Kind(ColumnOfField(fields[i])), v, String(),
                 v.IsNull() || v.IsEmpty()};
    if (k.kind == TStoreKind::Text && !k.isNull) k.text = VarToStr(v);
    keys.push_back(std::move(k));
  }
  const bool caseInsensitive = options.Contains(loCaseInsensitive);
  const bool partial = options.Contains(loPartialKey);
  auto matches = [&](TStoreRow row) {
    for (const KeyMatcher& k : keys) {
      const bool null = TRowStore::IsNull(row, k.column);
      if (k.isNull || null) {
        if (k.isNull != null) return false;
        continue;
      }
      if (k.kind == TStoreKind::Text) {
        std::u16string_view cell = store_.GetText(row, k.column);
        if (partial && cell.size() >= k.text.size()) cell = cell.substr(0, k.text.size());
        const String cellText(cell);
        if (caseInsensitive ? AnsiCompareText(cellText, k.text) != 0 : cellText != k.text) return false;
      } else if (VarCompareValue(store_.GetValue(row, k.column), k.value) != vrEqual) {
        return false;
      }
    }
    return true;
  };
  for (int id : view_) {
    if (!matches(rows_[id])) continue;
    TBookmark bookmark(sizeof(std::int32_t));
    std::memcpy(bookmark.data(), &id, sizeof id);
    GotoBookmark(bookmark);
    return true;
  }
  return false;
}

Variant TCustomADODataSet::Lookup(const String& keyFields, const Variant& keyValues,
                                  const String& resultFields) {
  std::vector<TField*> fields = GetFieldList(keyFields);
  std::vector<TField*> results = GetFieldList(resultFields);
  for (TField* f : fields)
    if (f->GetFieldKind() != fkData || ColumnOfField(f) < 0)
      return TDataSet::Lookup(keyFields, keyValues, resultFields);
  for (TField* f : results)
    if (f->GetFieldKind() != fkData || ColumnOfField(f) < 0)
      return TDataSet::Lookup(keyFields, keyValues, resultFields);
  for (int id : view_) {
    const TStoreRow row = rows_[id];
    bool all = true;
    for (size_t i = 0; i < fields.size() && all; ++i) {
      const Variant key =
          fields.size() == 1 && !keyValues.IsArray() ? keyValues : keyValues.GetElement(static_cast<int>(i));
      const Variant cell = store_.GetValue(row, ColumnOfField(fields[i]));
      if (key.IsNull() || key.IsEmpty() || cell.IsNull())
        all = (key.IsNull() || key.IsEmpty()) && cell.IsNull();
      else
        all = VarCompareValue(cell, key) == vrEqual;
    }
    if (!all) continue;
    if (results.size() == 1) return AsFieldKind(results[0], store_.GetValue(row, ColumnOfField(results[0])));
    std::vector<Variant> values;
    for (TField* f : results) values.push_back(AsFieldKind(f, store_.GetValue(row, ColumnOfField(f))));
    return VarArrayOf(values);
  }
  return Variant::Null();
}

// ---- Editing and write-back ----

bool TCustomADODataSet::GetCanModify() const {
  if (lockType_ == ltReadOnly) return false;
  if (columns_.empty()) return true;
  for (const Column& c : columns_)
    if (!c.readOnly) return true;
  return false;
}

void TCustomADODataSet::InternalEdit() {
  Record& rec = Rec(ActiveBuffer());
  rec.values.assign(columns_.size(), Variant::Null());
  rec.changed.assign(columns_.size(), 0);
}

void TCustomADODataSet::InternalInsert() {}

void TCustomADODataSet::InternalCancel() {
  Record& rec = Rec(ActiveBuffer());
  rec.values.clear();
  rec.changed.clear();
}

std::vector<TCustomADODataSet::WriteTable> TCustomADODataSet::WriteTables() const {
  std::vector<WriteTable> tables;
  for (size_t i = 0; i < columns_.size(); ++i) {
    const TOdbcColumn& s = columns_[i].source;
    if (columns_[i].readOnly) continue;
    auto it = std::find_if(tables.begin(), tables.end(), [&](const WriteTable& t) {
      return t.schema == s.SchemaName && t.table == s.TableName;
    });
    if (it == tables.end()) {
      tables.push_back(WriteTable{s.SchemaName, s.TableName, {}, {}});
      it = tables.end() - 1;
    }
    it->columns.push_back(static_cast<int>(i));
  }
  // The primary key, when all its columns are in the result.
  TADOConnection& connection = CheckConnection();
  for (WriteTable& t : tables) {
    std::vector<TOdbcParam> params{TOdbcParam{Variant(t.schema.empty() ? String(u"public") : t.schema)},
                                   TOdbcParam{Variant(t.table)}};
    TRowStore keys;
    std::vector<TStoreRow> rows;
    connection.Guard([&] {
      TOdbcStatement statement(connection.Link());
      statement.Execute(
          u"select a.attname::text from pg_index i join pg_class c on c.oid = i.indrelid "
          u"join pg_namespace n on n.oid = c.relnamespace "
          u"join pg_attribute a on a.attrelid = c.oid and a.attnum = any(i.indkey) "
          u"where i.indisprimary and n.nspname = ? and c.relname = ?",
          params);
      keys.Reset({TStoreKind::Text});
      statement.FetchAll(keys, rows);
    });
    std::vector<int> keyColumns;
    for (TStoreRow r : rows) {
      const String name(keys.GetText(r, 0));
      auto c = std::find_if(t.columns.begin(), t.columns.end(),
                            [&](int col) { return columns_[col].source.BaseColumnName == name; });
      if (c == t.columns.end()) {
        keyColumns.clear();
        break;
      }
      keyColumns.push_back(*c);
    }
    if (!rows.empty() && keyColumns.size() == rows.size()) t.keyColumns = std::move(keyColumns);
  }
  return tables;
}

namespace {

// "a" = ? AND "b" IS NULL ... over the original values of a row.
String WhereOf(const std::vector<int>& cols, const std::vector<String>& names, const TRowStore& store,
               TStoreRow row, std::vector<TOdbcParam>& params) {
  String where;
  for (size_t i = 0; i < cols.size(); ++i) {
    if (!where.empty()) where += u" AND ";
    if (TRowStore::IsNull(row, cols[i])) {
      where += QuoteSqlIdentifier(names[i]) + u" IS NULL";
    } else {
      where += QuoteSqlIdentifier(names[i]) + u" = ?";
      params.push_back(TOdbcParam{store.GetValue(row, cols[i]), ParamKindOfStore(store.Kind(cols[i]))});
    }
  }
  return where;
}

}  // namespace

TStoreRow TCustomADODataSet::WriteUpdate(Record& rec) {
  const TStoreRow old = rec.id >= 0 ? rows_[rec.id] : nullptr;
  if (!old) DatabaseError(SRowNotFound, this);
  // Convert first: a value that does not fit its column fails before anything is sent.
  TRowBuilder builder(store_);
  builder.Load(old);
  bool any = false;
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (rec.changed.empty() || !rec.changed[i]) continue;
    builder.SetValue(static_cast<int>(i), rec.values[i]);
    any = true;
  }
  if (!any) return old;
  const TStoreRow fresh = store_.Add(builder);
  TADOConnection& connection = CheckConnection();
  for (const WriteTable& t : WriteTables()) {
    String set;
    std::vector<TOdbcParam> params;
    for (int col : t.columns) {
      if (!rec.changed[col]) continue;
      if (!set.empty()) set += u", ";
      set += QuoteSqlIdentifier(columns_[col].source.BaseColumnName) + u" = ?";
      params.push_back(TOdbcParam{store_.GetValue(fresh, col), ParamKindOfStore(store_.Kind(col))});
    }
    if (set.empty()) continue;
    const std::vector<int>& idCols = t.keyColumns.empty() ? t.columns : t.keyColumns;
    std::vector<String> names;
    for (int col : idCols) names.push_back(columns_[col].source.BaseColumnName);
    const String where = WhereOf(idCols, names, store_, old, params);
    // Without a key, one row with all the original values is changed, never all its duplicates.
    const String sql = t.keyColumns.empty()
                           ? u"UPDATE " + t.QualifiedName() + u" SET " + set +
                                 u" WHERE ctid = (SELECT ctid FROM " + t.QualifiedName() + u" WHERE " +
                                 where + u" LIMIT 1)"
                           : u"UPDATE " + t.QualifiedName() + u" SET " + set + u" WHERE " + where;
    const Int64 affected = connection.Guard([&] {
      TOdbcStatement statement(connection.Link());
      statement.SetQueryTimeout(commandTimeout_);
      statement.Execute(sql, params);
      return statement.RowCount();
    });
    if (affected == 0) DatabaseError(SRowNotFound, this);
  }
  return fresh;
}

TStoreRow TCustomADODataSet::WriteInsert(Record& rec) {
  TRowBuilder builder(store_);
  for (size_t i = 0; i < columns_.size(); ++i)
    if (!rec.changed.empty() && rec.changed[i]) builder.SetValue(static_cast<int>(i), rec.values[i]);
  std::vector<WriteTable> tables = WriteTables();
  const String wanted = UpdateTableName();
  auto target = tables.begin();
  if (!wanted.empty()) {
    target = std::find_if(tables.begin(), tables.end(), [&](const WriteTable& t) {
      return SameText(t.table, wanted) || SameText(t.schema + u"." + t.table, wanted);
    });
    if (target == tables.end()) target = tables.begin();
  }
  if (target == tables.end()) DatabaseError(u"Cannot insert: the result has no updatable table", this);
  const TStoreRow draft = store_.Add(builder);
  String names, markers, returning;
  std::vector<TOdbcParam> params;
  for (int col : target->columns) {
    if (!returning.empty()) returning += u", ";
    returning += QuoteSqlIdentifier(columns_[col].source.BaseColumnName);
    if (rec.changed.empty() || !rec.changed[col]) continue;
    if (!names.empty()) names += u", ", markers += u", ";
    names += QuoteSqlIdentifier(columns_[col].source.BaseColumnName);
    markers += u"?";
    params.push_back(TOdbcParam{store_.GetValue(draft, col), ParamKindOfStore(store_.Kind(col))});
  }
  const String sql =
      u"INSERT INTO " + target->QualifiedName() +
      (names.empty() ? String(u" DEFAULT VALUES") : u" (" + names + u") VALUES (" + markers + u")") +
      u" RETURNING " + returning;
  // What the server made of the row (defaults, sequences, triggers) is what the dataset shows.
  TRowStore returned;
  std::vector<TStoreRow> rows;
  TADOConnection& connection = CheckConnection();
  connection.Guard([&] {
    TOdbcStatement statement(connection.Link());
    statement.SetQueryTimeout(commandTimeout_);
    statement.Execute(sql, params);
    std::vector<TStoreKind> kinds;
    for (const TOdbcColumn& c : statement.Describe()) kinds.push_back(StoreKindOf(c));
    returned.Reset(std::move(kinds));
    statement.FetchAll(returned, rows);
  });
  if (rows.empty()) return draft;
  for (size_t i = 0; i < target->columns.size() && static_cast<int>(i) < returned.ColumnCount(); ++i)
    builder.SetValue(target->columns[i], returned.GetValue(rows[0], static_cast<int>(i)));
  return store_.Add(builder);
}

void TCustomADODataSet::WriteDelete(int id) {
  const TStoreRow row = rows_[id];
  std::vector<WriteTable> tables = WriteTables();
  const String wanted = UpdateTableName();
  auto target = tables.begin();
  if (!wanted.empty()) {
    target = std::find_if(tables.begin(), tables.end(), [&](const WriteTable& t) {
      return SameText(t.table, wanted) || SameText(t.schema + u"." + t.table, wanted);
    });
    if (target == tables.end()) target = tables.begin();
  }
  if (target == tables.end()) DatabaseError(u"Cannot delete: the result has no updatable table", this);
  const std::vector<int>& idCols = target->keyColumns.empty() ? target->columns : target->keyColumns;
  std::vector<String> names;
  for (int col : idCols) names.push_back(columns_[col].source.BaseColumnName);
  std::vector<TOdbcParam> params;
  const String where = WhereOf(idCols, names, store_, row, params);
  const String sql = target->keyColumns.empty()
                         ? u"DELETE FROM " + target->QualifiedName() + u" WHERE ctid = (SELECT ctid FROM " +
                               target->QualifiedName() + u" WHERE " + where + u" LIMIT 1)"
                         : u"DELETE FROM " + target->QualifiedName() + u" WHERE " + where;
  TADOConnection& connection = CheckConnection();
  const Int64 affected = connection.Guard([&] {
    TOdbcStatement statement(connection.Link());
    statement.SetQueryTimeout(commandTimeout_);
    statement.Execute(sql, params);
    return statement.RowCount();
  });
  if (affected == 0) DatabaseError(SRowNotFound, this);
}

void TCustomADODataSet::PostRecord(Record& rec, bool append) {
  const TStoreRow row = WriteInsert(rec);
  const int id = static_cast<int>(rows_.size());
  rows_.push_back(row);
  const int count = static_cast<int>(view_.size());
  const int at = append ? count : std::clamp(cursor_, 0, count);
  // A new row the filter does not take is stored but not shown; the cursor stays where it would be.
  if (PassesFilter(row)) view_.insert(view_.begin() + at, id);
  RebuildPositions();
  cursor_ = at;
  rec.id = id;
  rec.flag = bfCurrent;
  rec.values.clear();
  rec.changed.clear();
}

void TCustomADODataSet::InternalPost() {
  TDataSet::InternalPost();
  RememberRowsBeforeTransaction();
  Record& rec = Rec(ActiveBuffer());
  if (GetState() == dsEdit) {
    const TStoreRow row = WriteUpdate(rec);
    rows_[rec.id] = row;
    rec.values.clear();
    rec.changed.clear();
    const int p = PositionOf(rec.id);
    if (p >= 0) cursor_ = p;
    // A record the filter no longer takes leaves the view; the cursor is then on the next one.
    if (p >= 0 && !PassesFilter(row)) {
      view_.erase(view_.begin() + p);
      RebuildPositions();
    }
    return;
  }
  PostRecord(rec, rec.flag == bfEOF);
}

void TCustomADODataSet::InternalAddRecord(TRecordBuffer buffer, bool append) {
  RememberRowsBeforeTransaction();
  PostRecord(Rec(buffer), append);
}

void TCustomADODataSet::InternalDelete() {
  if (cursor_ < 0 || cursor_ >= static_cast<int>(view_.size())) DatabaseError(SRecordNotFound, this);
  const int id = view_[cursor_];
  RememberRowsBeforeTransaction();
  WriteDelete(id);
  view_.erase(view_.begin() + cursor_);
  rows_[id] = nullptr;
  RebuildPositions();
}

// ---- TADODataSet ----

TADODataSet::TADODataSet(TComponent* owner) : TCustomADODataSet(owner) {}

TADODataSet::~TADODataSet() { CloseForDestruction(); }

void TADODataSet::Published(TPropBuilder<TADODataSet>& p) {
  p.Str(u"CommandText", &TADODataSet::GetCommandText, &TADODataSet::SetCommandText);
  p.Object(u"Parameters", &TADODataSet::GetParameters, &TADODataSet::SetParameters);
}

void TADODataSet::SetCommandText(const String& value) {
  if (value == commandText_) return;
  if (GetActive()) Close();
  commandText_ = value;
  CommandTextChanged();
}

// ---- TADOQuery ----

TADOQuery::TADOQuery(TComponent* owner) : TCustomADODataSet(owner), sql_(std::make_unique<TStringList>()) {
  sql_->OnChange = TNotifyEvent(this, &TADOQuery::SQLChanged);
}

TADOQuery::~TADOQuery() { CloseForDestruction(); }

void TADOQuery::Published(TPropBuilder<TADOQuery>& p) {
  p.Object(u"Parameters", &TADOQuery::GetParameters, &TADOQuery::SetParameters);
  p.Bool(u"ParamCheck", &TADOQuery::GetParamCheck, &TADOQuery::SetParamCheck).Default(1);
  p.Bool(u"Prepared", &TADOQuery::GetPrepared, &TADOQuery::SetPrepared).Default(0);
  p.Object(u"SQL", &TADOQuery::GetSQL, &TADOQuery::SetSQL);
}

void TADOQuery::SetSQL(TStrings* value) { sql_->Assign(value); }

void TADOQuery::SQLChanged(TObject*) {
  if (GetActive()) Close();
  CommandTextChanged();
}

String TADOQuery::GetCommandText() const {
  String text;
  for (int i = 0; i < sql_->GetCount(); ++i) {
    if (i > 0) text += u"\r\n";
    text += sql_->Get(i);
  }
  return text;
}

Integer TADOQuery::ExecSQL() {
  CheckInactive();
  const Int64 affected = ExecuteStatement(TExecuteMode::Execute);
  rowsAffected_ = static_cast<Integer>(affected);
  return rowsAffected_;
}

// ---- TADOTable ----

TADOTable::TADOTable(TComponent* owner) : TCustomADODataSet(owner) {}

TADOTable::~TADOTable() { CloseForDestruction(); }

void TADOTable::Published(TPropBuilder<TADOTable>& p) {
  p.Bool(u"ReadOnly", &TADOTable::GetReadOnly, &TADOTable::SetReadOnly).Default(0);
  p.Str(u"TableName", &TADOTable::GetTableName, &TADOTable::SetTableName);
}

void TADOTable::SetTableName(const String& value) {
  if (value == tableName_) return;
  if (GetActive()) Close();
  tableName_ = value;
}

bool TADOTable::GetCanModify() const { return !readOnly_ && TCustomADODataSet::GetCanModify(); }

// A plain (schema.)name goes as written, so the server's case folding applies as in any statement;
// anything else is quoted.
String TADOTable::GetCommandText() const {
  if (tableName_.empty()) return String();
  bool plain = true;
  for (size_t i = 0; i < tableName_.size(); ++i) {
    const Char c = tableName_[i];
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
    const bool digit = c >= u'0' && c <= u'9';
    if (!(letter || (digit && i > 0 && tableName_[i - 1] != u'.') ||
          (c == u'.' && i > 0 && i + 1 < tableName_.size())))
      plain = false;
  }
  return u"select * from " + (plain ? tableName_ : QuoteSqlIdentifier(tableName_));
}

KIV_REGISTER_CLASS(TADODataSet);
KIV_REGISTER_CLASS(TADOQuery);
KIV_REGISTER_CLASS(TADOTable);
