// TADOConnection, its error list, the parameters collection and TADOCommand.
#include <algorithm>

#include "platform/ado/ADODB.h"
#include "platform/ado/AdoSql.h"
#include "platform/data/DBConsts.h"
#include "platform/data/Params.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

namespace {

const Char* const kTransactionLost = u"Связь с сервером базы данных потеряна, изменения не сохранены.";
const Char* const kConnectionLost =
    u"Связь с сервером базы данных потеряна. Повторите действие: программа подключится заново.";
const Char* const kEndTransactionFirst = u" Сначала завершите начатую транзакцию.";

const TTypeInfo* DirectionInfo() {
  static const TTypeInfo info = TTypeInfo::Enum(
      u"TParameterDirection", {u"pdUnknown", u"pdInput", u"pdOutput", u"pdInputOutput", u"pdReturnValue"});
  return &info;
}

const TTypeInfo* AttributeSetInfo() {
  static const TTypeInfo element =
      TTypeInfo::Enum(u"TParameterAttribute", {u"paSigned", u"paNullable", u"paLong"});
  static const TTypeInfo info = TTypeInfo::Set(u"TParameterAttributes", &element);
  return &info;
}

const TTypeInfo* CursorLocationInfo() {
  static const TTypeInfo info = TTypeInfo::Enum(u"TCursorLocation", {u"clUseServer", u"clUseClient"});
  return &info;
}

const TTypeInfo* IsolationInfo() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TIsolationLevel",
                      {u"ilUnspecified", u"ilChaos", u"ilReadUncommitted", u"ilBrowse", u"ilCursorStability",
                       u"ilReadCommitted", u"ilRepeatableRead", u"ilSerializable", u"ilIsolated"});
  return &info;
}

const TTypeInfo* CommandTypeInfo() {
  static const TTypeInfo info = TTypeInfo::Enum(
      u"TCommandType",
      {u"cmdUnknown", u"cmdText", u"cmdTable", u"cmdStoredProc", u"cmdFile", u"cmdTableDirect"});
  return &info;
}

TFieldType FieldTypeOfValue(const Variant& v) {
  if (v.IsArray()) return ftVarBytes;
  return VarTypeToDataType(VarType(v));
}

// Runs text on a fresh statement and adds up the rows every result affected.
Integer ExecuteCounting(TADOConnection& connection, const String& text, const std::vector<TOdbcParam>& params,
                        Integer timeout) {
  return connection.Guard([&] {
    TOdbcStatement statement(connection.Link());
    statement.SetQueryTimeout(timeout);
    statement.Execute(text, params);
    Int64 total = 0;
    bool any = false;
    do {
      if (statement.ColumnCount() == 0) {
        const Int64 count = statement.RowCount();
        if (count >= 0) {
          total += count;
          any = true;
        }
      }
    } while (statement.NextResult());
    return any ? static_cast<Integer>(total) : -1;
  });
}

}  // namespace

TOdbcParamKind ParamKindOf(TFieldType type) {
  switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftShortint:
    case ftByte:
      return TOdbcParamKind::Integer;
    case ftLargeint:
    case ftLongWord:
      return TOdbcParamKind::BigInt;
    case ftFloat:
    case TFieldType::ftSingle:
    case TFieldType::ftExtended:
      return TOdbcParamKind::Float;
    // Money goes as exact decimal text, never through a double.
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
      return TOdbcParamKind::Decimal;
    case ftBoolean:
      return TOdbcParamKind::Boolean;
    case ftDate:
      return TOdbcParamKind::Date;
    case ftTime:
      return TOdbcParamKind::Time;
    case ftDateTime:
    case ftTimeStamp:
      return TOdbcParamKind::DateTime;
    case ftString:
    case ftWideString:
    case ftFixedChar:
    case ftFixedWideChar:
    case ftMemo:
    case ftWideMemo:
    case ftFmtMemo:
    case ftGuid:
      return TOdbcParamKind::Text;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
      return TOdbcParamKind::Binary;
    default:
      return TOdbcParamKind::Auto;
  }
}

String QuoteSqlIdentifier(const String& name) {
  String out;
  size_t start = 0;
  for (;;) {
    const size_t dot = name.find(u'.', start);
    const String part = name.substr(start, dot == String::npos ? String::npos : dot - start);
    if (!out.empty()) out += u'.';
    out += u'"';
    for (Char c : part) {
      out += c;
      if (c == u'"') out += u'"';
    }
    out += u'"';
    if (dot == String::npos) break;
    start = dot + 1;
  }
  return out;
}

// ---- TADOErrors ----

const TADOErrorItem& TADOErrors::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) throw EListError(Format(u"List index out of bounds (%d)", {index}));
  return items_[index];
}

void TADOErrors::Assign(const EADOError& error) {
  items_.clear();
  for (const TOdbcDiagnostic& d : error.Diagnostics()) {
    TADOErrorItem item;
    item.Description = d.Message;
    item.SQLState = d.SQLState;
    item.NativeError = d.NativeError;
    item.Number = d.NativeError;
    item.Source = u"ODBC";
    items_.push_back(std::move(item));
  }
  if (items_.empty()) items_.push_back(TADOErrorItem{error.Message(), String(), 0, 0, String()});
}

// ---- TParameter / TParameters ----

TParameter::TParameter(TCollection* collection) : TCollectionItem(collection) {}

void TParameter::Published(TPropBuilder<TParameter>& p) {
  p.Str(u"Name", &TParameter::GetName, &TParameter::SetName);
  p.Set(u"Attributes", AttributeSetInfo(), &TParameter::GetAttributes, &TParameter::SetAttributes).Default(0);
  p.Enum(u"DataType", FieldTypeInfo(), &TParameter::GetDataType, &TParameter::SetDataType).Default(ftUnknown);
  p.Enum(u"Direction", DirectionInfo(), &TParameter::GetDirection, &TParameter::SetDirection)
      .Default(pdInput);
  p.Int(u"NumericScale", &TParameter::GetNumericScale, &TParameter::SetNumericScale).Default(0);
  p.Int(u"Precision", &TParameter::GetPrecision, &TParameter::SetPrecision).Default(0);
  p.Int(u"Size", &TParameter::GetSize, &TParameter::SetSize).Default(0);
  p.Var(u"Value", &TParameter::GetValue, &TParameter::SetValue);
}

void TParameter::SetValue(const Variant& value) {
  value_ = value;
  if (dataType_ == ftUnknown) dataType_ = FieldTypeOfValue(value);
}

void TParameter::Assign(TPersistent* source) {
  if (auto* p = dynamic_cast<TParameter*>(source)) {
    name_ = p->name_;
    dataType_ = p->dataType_;
    direction_ = p->direction_;
    attributes_ = p->attributes_;
    size_ = p->size_;
    precision_ = p->precision_;
    numericScale_ = p->numericScale_;
    value_ = p->value_;
    return;
  }
  TCollectionItem::Assign(source);
}

TParameters::TParameters(TPersistent* owner) : TOwnedCollection(owner, TParameter::StaticClass()) {}

TParameter* TParameters::AddParameter() { return static_cast<TParameter*>(Add()); }

TParameter* TParameters::CreateParameter(const String& name, TFieldType dataType,
                                         TParameterDirection direction, Integer size, const Variant& value) {
  TParameter* p = AddParameter();
  p->SetName(name);
  p->SetDataType(dataType);
  p->SetDirection(direction);
  p->SetSize(size);
  p->SetValue(value);
  return p;
}

TParameter* TParameters::FindParam(const String& name) const {
  for (int i = 0; i < GetCount(); ++i)
    if (SameText(GetItem(i)->GetName(), name)) return GetItem(i);
  return nullptr;
}

TParameter* TParameters::ParamByName(const String& name) const {
  TParameter* p = FindParam(name);
  if (!p) {
    const auto* component = dynamic_cast<const TComponent*>(GetOwner());
    DatabaseErrorFmt(SParameterNotFound, {name}, component);
  }
  return p;
}

Variant TParameters::GetParamValues(const String& names) const {
  std::vector<String> list;
  size_t start = 0;
  while (start <= names.size()) {
    const size_t end = std::min(names.find(u';', start), names.size());
    const String name = Trim(names.substr(start, end - start));
    if (!name.empty()) list.push_back(name);
    start = end + 1;
  }
  if (list.size() == 1) return ParamByName(list[0])->GetValue();
  std::vector<Variant> values;
  for (const String& n : list) values.push_back(ParamByName(n)->GetValue());
  return VarArrayOf(values);
}

void TParameters::SetParamValues(const String& names, const Variant& values) {
  std::vector<String> list;
  size_t start = 0;
  while (start <= names.size()) {
    const size_t end = std::min(names.find(u';', start), names.size());
    const String name = Trim(names.substr(start, end - start));
    if (!name.empty()) list.push_back(name);
    start = end + 1;
  }
  if (list.size() == 1) {
    ParamByName(list[0])->SetValue(values);
    return;
  }
  for (size_t i = 0; i < list.size(); ++i)
    ParamByName(list[i])->SetValue(values.GetElement(static_cast<int>(i)));
}

String TParameters::ParseSQL(const String& sql, bool doCreate) {
  const TParsedSql parsed = ParseSqlParameters(sql);
  if (!doCreate) return parsed.Text;
  std::vector<String> unique;
  for (const String& n : parsed.Names) {
    bool seen = false;
    for (const String& u : unique) seen = seen || SameText(u, n);
    if (!seen) unique.push_back(n);
  }
  bool same = unique.size() == static_cast<size_t>(GetCount());
  for (size_t i = 0; same && i < unique.size(); ++i)
    same = SameText(GetItem(static_cast<int>(i))->GetName(), unique[i]);
  if (same) return parsed.Text;
  // Keep what the old parameters of the same names held.
  BeginUpdate();
  try {
    TParameters saved(nullptr);
    saved.Assign(this);
    Clear();
    for (const String& n : unique) {
      TParameter* p = AddParameter();
      if (TParameter* before = saved.FindParam(n)) p->Assign(before);
      p->SetName(n);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return parsed.Text;
}

// ---- TADOConnection ----

TADOConnection::TADOConnection(TComponent* owner) : TComponent(owner) {}

TADOConnection::~TADOConnection() {
  while (!dataSets_.empty()) dataSets_.back()->SetConnection(nullptr);
  // With the datasets gone nothing here raises: the rollback's own failure is handled inside, and
  // disconnecting does not raise.
  DoDisconnect();
}

void TADOConnection::Published(TPropBuilder<TADOConnection>& p) {
  p.Str(u"ConnectionString", &TADOConnection::GetConnectionString, &TADOConnection::SetConnectionString);
  p.Int(u"CommandTimeout", &TADOConnection::GetCommandTimeout, &TADOConnection::SetCommandTimeout)
      .Default(30);
  p.Bool(u"Connected", &TADOConnection::GetConnected, &TADOConnection::SetConnected).Default(0);
  p.Int(u"ConnectionTimeout", &TADOConnection::GetConnectionTimeout, &TADOConnection::SetConnectionTimeout)
      .Default(15);
  p.Enum(u"CursorLocation", CursorLocationInfo(), &TADOConnection::GetCursorLocation,
         &TADOConnection::SetCursorLocation)
      .Default(clUseClient);
  p.Str(
      u"DefaultDatabase", [](const TADOConnection* c) { return c->defaultDatabase_; },
      &TADOConnection::SetDefaultDatabase);
  p.Enum(u"IsolationLevel", IsolationInfo(), &TADOConnection::GetIsolationLevel,
         &TADOConnection::SetIsolationLevel)
      .Default(ilCursorStability);
  p.Bool(u"KeepConnection", &TADOConnection::GetKeepConnection, &TADOConnection::SetKeepConnection)
      .Default(1);
  p.Bool(u"LoginPrompt", &TADOConnection::GetLoginPrompt, &TADOConnection::SetLoginPrompt).Default(1);
  p.Str(u"Provider", &TADOConnection::GetProvider, &TADOConnection::SetProvider);
  p.Event(u"AfterConnect", &TADOConnection::AfterConnect);
  p.Event(u"AfterDisconnect", &TADOConnection::AfterDisconnect);
  p.Event(u"BeforeConnect", &TADOConnection::BeforeConnect);
  p.Event(u"BeforeDisconnect", &TADOConnection::BeforeDisconnect);
  p.Event(u"OnConnectComplete", &TADOConnection::OnConnectComplete, u"TConnectErrorEvent");
}

bool TADOConnection::GetConnected() const {
  if (GetComponentState().Contains(csLoading)) return streamedConnected_;
  return link_.Connected();
}

void TADOConnection::SetConnected(bool value) {
  if (GetComponentState().Contains(csLoading)) {
    streamedConnected_ = value;
    return;
  }
  if (value)
    Open();
  else
    Close();
}

void TADOConnection::Loaded() {
  TComponent::Loaded();
  if (streamedConnected_) Open();
}

void TADOConnection::Open() {
  if (link_.Connected()) return;
  // Connecting again would let the caller's next statements run outside the transaction it thinks
  // is open; it must end that one first.
  if (transactionLost_) throw EADOError(String(kTransactionLost) + kEndTransactionFirst);
  DoConnect(nullptr);
}

void TADOConnection::Open(const String& userId, const String& password) {
  if (link_.Connected()) return;
  TConnectionPairs pairs = ParseConnectionString(OdbcConnectionString(connectionString_));
  String text;
  for (const auto& [key, value] : pairs)
    if (!SameText(key, u"UID") && !SameText(key, u"PWD"))
      text += key + u"=" + QuoteConnectionValue(value) + u";";
  text += u"UID=" + QuoteConnectionValue(userId) + u";PWD=" + QuoteConnectionValue(password) + u";";
  DoConnect(&text);
}

void TADOConnection::DoConnect(const String* text) {
  if (BeforeConnect) BeforeConnect(this);
  errors_.Clear();
  TEventStatus status = esOK;
  // A handler of BeforeConnect may still change the connection string.
  const String connectWith = text ? *text : connectionString_;
  try {
    if (Trim(connectWith).empty()) throw EADOError(u"The connection string is empty");
    link_.Connect(OdbcConnectionString(connectWith), connectionTimeout_);
    if (!defaultDatabase_.empty() && !SameText(defaultDatabase_, link_.GetCurrentCatalog()))
      link_.SetCurrentCatalog(defaultDatabase_);
  } catch (EADOError& e) {
    link_.Disconnect();
    errors_.Assign(e);
    status = esErrorsOccured;
    if (OnConnectComplete) OnConnectComplete(this, &e, status);
    throw;
  }
  inTransaction_ = false;
  lost_ = false;
  linkString_ = connectWith;
  if (OnConnectComplete) OnConnectComplete(this, nullptr, status);
  if (AfterConnect) AfterConnect(this);
}

void TADOConnection::Close() {
  if (!link_.Connected() && !lost_) return;
  if (BeforeDisconnect) BeforeDisconnect(this);
  DoDisconnect();
  if (AfterDisconnect) AfterDisconnect(this);
}

void TADOConnection::DoDisconnect() {
  for (TCustomADODataSet* d : std::vector<TCustomADODataSet*>(dataSets_)) d->Close();
  // Closing abandons an open transaction: disconnecting rolls it back (the server discards it in
  // any case when the session ends).
  inTransaction_ = false;
  transactionLost_ = false;
  lost_ = false;
  link_.Disconnect();
}

void TADOConnection::ConnectionLost(const EADOError& error) {
  link_.Disconnect();
  lost_ = true;
  transactionLost_ = inTransaction_;
  throw EADOError(DatabaseErrorText(error.Diagnostics(), error.ServerText(),
                                    inTransaction_ ? kTransactionLost : kConnectionLost),
                  error.Diagnostics());
}

String TADOConnection::GetDefaultDatabase() const {
  if (link_.Connected()) return const_cast<TOdbcConnection&>(link_).GetCurrentCatalog();
  if (!defaultDatabase_.empty()) return defaultDatabase_;
  const TConnectionPairs pairs = ParseConnectionString(OdbcConnectionString(connectionString_));
  return ConnectionValue(pairs, u"DATABASE");
}

void TADOConnection::SetDefaultDatabase(const String& value) {
  defaultDatabase_ = value;
  if (link_.Connected() && !value.empty()) Guard([&] { link_.SetCurrentCatalog(value); });
}

TOdbcConnection& TADOConnection::Link() {
  if (link_.Connected()) return link_;
  if (transactionLost_) throw EADOError(String(kTransactionLost) + kEndTransactionFirst);
  // After a loss: the same string the lost link was made with (Open with a login included).
  if (lost_)
    DoConnect(&linkString_);
  else
    DoConnect(nullptr);
  return link_;
}

Integer TADOConnection::BeginTrans() {
  if (inTransaction_)
    throw EADOError(u"A transaction is already active; nested transactions are not supported");
  Guard([&] {
    TOdbcConnection& link = Link();
    // The driver sends BEGIN only with the first statement; a round trip now finds a dropped link
    // before the caller has done any work in the transaction.
    TOdbcStatement probe(link);
    probe.Execute(u"select 1", {});
    link.SetAutoCommit(false);
  });
  inTransaction_ = true;
  return 1;
}

void TADOConnection::CommitTrans() { EndTransaction(true); }

void TADOConnection::RollbackTrans() { EndTransaction(false); }

void TADOConnection::EndTransaction(bool commit) {
  if (!inTransaction_) throw EADOError(u"No transaction is active");
  std::optional<EADOError> failure = EndOnServer(commit);
  // However it ended, the transaction is over, and the datasets learn whether what they wrote in it
  // was saved.
  inTransaction_ = false;
  transactionLost_ = false;
  for (TCustomADODataSet* d : std::vector<TCustomADODataSet*>(dataSets_))
    d->TransactionEnded(commit && !failure);
  if (failure) throw *failure;
}

std::optional<EADOError> TADOConnection::EndOnServer(bool commit) {
  if (transactionLost_) return EADOError(kTransactionLost);
  try {
    EndOnLink(commit);
  } catch (const EADOError& e) {
    // Raised by EndTransaction once the datasets have been told.
    return e;
  }
  return std::nullopt;
}

void TADOConnection::EndOnLink(bool commit) {
  Guard([&] {
    // Back to autocommit whether the end worked or not; a link that cannot even do that is closed,
    // so that the next operation starts on a fresh one.
    auto autoCommit = MakeScopeExit([this] {
      if (link_.Connected() && !link_.TrySetAutoCommit(true)) {
        link_.Disconnect();
        lost_ = true;
      }
    });
    if (commit)
      link_.Commit();
    else
      link_.Rollback();
  });
}

Integer TADOConnection::Execute(const String& commandText) {
  return ExecuteCounting(*this, commandText, {}, commandTimeout_);
}

void TADOConnection::Execute(const String& commandText, Integer& recordsAffected) {
  recordsAffected = Execute(commandText);
}

void TADOConnection::RegisterDataSet(TCustomADODataSet* dataSet) {
  if (std::find(dataSets_.begin(), dataSets_.end(), dataSet) == dataSets_.end()) dataSets_.push_back(dataSet);
}

void TADOConnection::UnregisterDataSet(TCustomADODataSet* dataSet) {
  dataSets_.erase(std::remove(dataSets_.begin(), dataSets_.end(), dataSet), dataSets_.end());
}

// ---- TADOCommand ----

TADOCommand::TADOCommand(TComponent* owner)
    : TComponent(owner), parameters_(std::make_unique<TParameters>(this)) {}

TADOCommand::~TADOCommand() { SetConnection(nullptr); }

void TADOCommand::Published(TPropBuilder<TADOCommand>& p) {
  p.Str(u"CommandText", &TADOCommand::GetCommandText, &TADOCommand::SetCommandText);
  p.Int(u"CommandTimeout", &TADOCommand::GetCommandTimeout, &TADOCommand::SetCommandTimeout).Default(30);
  p.Enum(u"CommandType", CommandTypeInfo(), &TADOCommand::GetCommandType, &TADOCommand::SetCommandType)
      .Default(cmdText);
  p.Object(u"Connection", &TADOCommand::GetConnection, &TADOCommand::SetConnection);
  p.Bool(u"ParamCheck", &TADOCommand::GetParamCheck, &TADOCommand::SetParamCheck).Default(1);
  p.Object(u"Parameters", &TADOCommand::GetParameters, &TADOCommand::SetParameters);
  p.Bool(u"Prepared", &TADOCommand::GetPrepared, &TADOCommand::SetPrepared).Default(0);
}

void TADOCommand::SetConnection(TADOConnection* value) {
  if (connection_ == value) return;
  if (connection_) connection_->RemoveFreeNotification(this);
  connection_ = value;
  if (connection_) connection_->FreeNotification(this);
}

void TADOCommand::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == connection_) connection_ = nullptr;
}

void TADOCommand::SetCommandText(const String& value) {
  commandText_ = value;
  if (paramCheck_ && !GetComponentState().Contains(csLoading)) parameters_->ParseSQL(value, true);
}

void TADOCommand::SetParameters(TParameters* value) { parameters_->Assign(value); }

Integer TADOCommand::Execute() {
  if (!connection_) DatabaseError(u"Missing Connection or ConnectionString", this);
  const TParsedSql parsed = paramCheck_ ? ParseSqlParameters(commandText_) : TParsedSql{commandText_, {}};
  std::vector<TOdbcParam> params;
  for (const String& name : parsed.Names) {
    const TParameter* p = parameters_->ParamByName(name);
    params.push_back(TOdbcParam{p->GetValue(), ParamKindOf(p->GetDataType())});
  }
  return ExecuteCounting(*connection_, parsed.Text, params, commandTimeout_);
}

void TADOCommand::Execute(Integer& recordsAffected) { recordsAffected = Execute(); }

Integer TADOCommand::Execute(const Variant& parameters) {
  if (parameters.IsArray()) {
    const int low = VarArrayLowBound(parameters, 1);
    const int high = VarArrayHighBound(parameters, 1);
    for (int i = low; i <= high && i - low < parameters_->GetCount(); ++i)
      parameters_->GetItem(i - low)->SetValue(parameters.GetElement(i));
  } else if (!parameters.IsEmpty() && parameters_->GetCount() > 0) {
    parameters_->GetItem(0)->SetValue(parameters);
  }
  return Execute();
}

KIV_REGISTER_CLASS(TADOConnection);
KIV_REGISTER_CLASS(TADOCommand);
