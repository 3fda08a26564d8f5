// Field and index definitions: the collections a dataset describes its columns and indexes with.
#include "platform/data/FieldDefs.h"

#include "platform/data/DataSet.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

// ======================= TFieldDef =======================

TFieldDef::TFieldDef(TCollection* collection) : TCollectionItem(collection) {}

TFieldDef::~TFieldDef() = default;

void TFieldDef::Published(TPropBuilder<TFieldDef>& p) {
  static const TTypeInfo attributeType =
      TTypeInfo::Enum(u"TFieldAttribute",
                      {u"faHiddenCol", u"faReadonly", u"faRequired", u"faLink", u"faUnNamed", u"faFixed"});
  static const TTypeInfo attributesType = TTypeInfo::Set(u"TFieldAttributes", &attributeType);
  p.Str(u"Name", &TFieldDef::GetName, &TFieldDef::SetName);
  p.Set(u"Attributes", &attributesType, &TFieldDef::GetAttributes, &TFieldDef::SetAttributes).Default(0);
  p.Enum(u"DataType", FieldTypeInfo(), &TFieldDef::GetDataType, &TFieldDef::SetDataType).Default(ftUnknown);
  p.Int(u"Precision", &TFieldDef::GetPrecision, &TFieldDef::SetPrecision).Default(0);
  p.Int(u"Size", &TFieldDef::GetSize, &TFieldDef::SetSize).Default(0);
}

void TFieldDef::SetName(const String& value) {
  if (value == name_) return;
  if (auto* defs = dynamic_cast<TFieldDefs*>(GetCollection())) {
    TFieldDef* other = defs->Find(value);
    if (other && other != this) DatabaseErrorFmt(SDuplicateFieldName, {value}, defs->GetDataSet());
  }
  name_ = value;
  Changed(false);
}

void TFieldDef::SetDataType(TFieldType value) {
  dataType_ = value;
  switch (value) {
    case ftString:
    case ftWideString:
    case ftFixedChar:
    case ftFixedWideChar:
      if (size_ == 0) size_ = 20;
      break;
    case ftBCD:
      if (size_ == 0) size_ = 4;
      break;
    case ftFMTBcd:
      if (size_ == 0) size_ = 8;
      break;
    case ftGuid:
      size_ = 38;
      break;
    case ftBytes:
    case ftVarBytes:
      if (size_ == 0) size_ = 16;
      break;
    default:
      break;
  }
  Changed(false);
}

Integer TFieldDef::GetSize() const { return size_; }

void TFieldDef::SetSize(Integer value) {
  if (value < 0) DatabaseError(SInvalidFieldSize);
  size_ = value;
  Changed(false);
}

void TFieldDef::SetPrecision(Integer value) {
  precision_ = value;
  Changed(false);
}

void TFieldDef::SetAttributes(TFieldAttributes value) {
  attributes_ = value;
  Changed(false);
}

void TFieldDef::SetRequired(bool value) {
  if (value)
    attributes_.Include(faRequired);
  else
    attributes_.Exclude(faRequired);
  Changed(false);
}

void TFieldDef::SetInternalCalcField(bool value) { internalCalcField_ = value; }

bool TFieldDef::HasChildDefs() const { return childDefs_ && childDefs_->GetCount() > 0; }

TFieldDefs* TFieldDef::GetChildDefs() {
  if (!childDefs_) {
    childDefs_ = std::make_unique<TFieldDefs>(this);
    childDefs_->parentDef_ = this;
    if (auto* defs = dynamic_cast<TFieldDefs*>(GetCollection())) childDefs_->dataSet_ = defs->GetDataSet();
  }
  return childDefs_.get();
}

TFieldDef* TFieldDef::AddChild() { return GetChildDefs()->AddFieldDef(); }

TClass TFieldDef::GetFieldClass() const {
  auto* defs = dynamic_cast<TFieldDefs*>(GetCollection());
  TDataSet* dataSet = defs ? defs->GetDataSet() : nullptr;
  TClass cls = dataSet ? dataSet->GetFieldClass(dataType_) : DefaultFieldClass(dataType_);
  if (!cls) DatabaseErrorFmt(SFieldUnknownType, {name_}, dataSet);
  return cls;
}

TField* TFieldDef::CreateField(TComponent* owner, const String& fieldName) {
  auto* defs = dynamic_cast<TFieldDefs*>(GetCollection());
  TDataSet* dataSet = defs ? defs->GetDataSet() : nullptr;
  TField* field = GetFieldClass()->Create<TField>(owner);
  auto dropField = MakeScopeExit([&] { delete field; });
  if (!field->Is<TBlobField>() || size_ > 0) {
    if (field->Is<TStringField>() || field->Is<TBCDField>() || field->Is<TBinaryField>() ||
        field->Is<TBlobField>())
      field->SetSize(size_);
  }
  if (auto* bcd = dynamic_cast<TBCDField*>(field)) bcd->SetPrecision(precision_);
  if (auto* blob = dynamic_cast<TBlobField*>(field)) blob->SetBlobType(dataType_);
  if (auto* str = dynamic_cast<TStringField*>(field))
    str->SetFixedChar(dataType_ == ftFixedChar || dataType_ == ftFixedWideChar ||
                      attributes_.Contains(faFixed));
  field->SetFieldName(fieldName.empty() ? name_ : fieldName);
  field->SetRequired(attributes_.Contains(faRequired));
  field->SetReadOnly(attributes_.Contains(faReadonly));
  if (internalCalcField_) field->SetFieldKind(fkInternalCalc);
  field->SetFieldNo(GetFieldNo());
  if (dataSet) field->SetDataSet(dataSet);
  dropField.Release();
  return field;
}

void TFieldDef::Assign(TPersistent* source) {
  auto* def = dynamic_cast<TFieldDef*>(source);
  if (!def) {
    TCollectionItem::Assign(source);
    return;
  }
  name_ = def->name_;
  dataType_ = def->dataType_;
  size_ = def->size_;
  precision_ = def->precision_;
  attributes_ = def->attributes_;
  internalCalcField_ = def->internalCalcField_;
  if (def->HasChildDefs()) GetChildDefs()->Assign(def->childDefs_.get());
  Changed(false);
}

// ======================= TFieldDefs =======================

TFieldDefs::TFieldDefs(TPersistent* owner) : TOwnedCollection(owner, TFieldDef::StaticClass()) {
  dataSet_ = dynamic_cast<TDataSet*>(owner);
}

TFieldDefs::~TFieldDefs() = default;

TFieldDef* TFieldDefs::AddFieldDef() { return static_cast<TFieldDef*>(TCollection::Add()); }

TFieldDef* TFieldDefs::Add(const String& name, TFieldType dataType, Integer size, bool required) {
  if (name.empty()) DatabaseError(SFieldNameMissing, dataSet_);
  if (IndexOf(name) >= 0) DatabaseErrorFmt(SDuplicateFieldName, {name}, dataSet_);
  TFieldDef* def = AddFieldDef();
  def->name_ = name;
  def->SetDataType(dataType);
  if (size != 0) def->SetSize(size);
  def->SetRequired(required);
  return def;
}

int TFieldDefs::IndexOf(const String& name) const {
  for (int i = 0; i < GetCount(); ++i)
    if (AnsiSameText(GetItem(i)->GetName(), name)) return i;
  return -1;
}

TFieldDef* TFieldDefs::Find(const String& name) const {
  int index = IndexOf(name);
  return index >= 0 ? GetItem(index) : nullptr;
}

TFieldDef* TFieldDefs::FieldDefByName(const String& name) const {
  TFieldDef* def = Find(name);
  if (!def) DatabaseErrorFmt(SFieldNotFound, {name}, dataSet_);
  return def;
}

void TFieldDefs::Update() {
  if (dataSet_ && !parentDef_) dataSet_->InitFieldDefs();
}

void TFieldDefs::Notify(TCollectionItem* item, TCollectionNotification action) {
  TOwnedCollection::Notify(item, action);
  // A definition added or removed by hand is what the dataset will be opened with.
  if (action == cnAdded) updated_ = true;
}

// ======================= TIndexDef =======================

TIndexDef::TIndexDef(TCollection* collection) : TCollectionItem(collection) {}

TIndexDef::TIndexDef(TIndexDefs* owner, const String& name, const String& fields, TIndexOptions options)
    : TCollectionItem(owner), name_(name), fields_(fields), options_(options) {}

void TIndexDef::Published(TPropBuilder<TIndexDef>& p) {
  static const TTypeInfo optionType =
      TTypeInfo::Enum(u"TIndexOption", {u"ixPrimary", u"ixUnique", u"ixDescending", u"ixCaseInsensitive",
                                        u"ixExpression", u"ixNonMaintained"});
  static const TTypeInfo optionsType = TTypeInfo::Set(u"TIndexOptions", &optionType);
  p.Str(u"Name", &TIndexDef::GetName, &TIndexDef::SetName);
  p.Str(u"CaseInsFields", &TIndexDef::GetCaseInsFields, &TIndexDef::SetCaseInsFields);
  p.Str(u"DescFields", &TIndexDef::GetDescFields, &TIndexDef::SetDescFields);
  p.Str(u"Expression", &TIndexDef::GetExpression, &TIndexDef::SetExpression);
  p.Str(u"Fields", &TIndexDef::GetFields, &TIndexDef::SetFields);
  p.Set(u"Options", &optionsType, &TIndexDef::GetOptions, &TIndexDef::SetOptions).Default(0);
  p.Str(u"Source", &TIndexDef::GetSource, &TIndexDef::SetSource);
  p.Int(u"GroupingLevel", &TIndexDef::GetGroupingLevel, &TIndexDef::SetGroupingLevel).Default(0);
}

void TIndexDef::SetName(const String& value) {
  if (value == name_) return;
  if (auto* defs = dynamic_cast<TIndexDefs*>(GetCollection())) {
    TIndexDef* other = defs->Find(value);
    if (other && other != this) DatabaseErrorFmt(SDuplicateIndexName, {value}, defs->GetDataSet());
  }
  name_ = value;
}

void TIndexDef::Assign(TPersistent* source) {
  auto* def = dynamic_cast<TIndexDef*>(source);
  if (!def) {
    TCollectionItem::Assign(source);
    return;
  }
  name_ = def->name_;
  fields_ = def->fields_;
  descFields_ = def->descFields_;
  caseInsFields_ = def->caseInsFields_;
  expression_ = def->expression_;
  source_ = def->source_;
  options_ = def->options_;
  groupingLevel_ = def->groupingLevel_;
}

// ======================= TIndexDefs =======================

TIndexDefs::TIndexDefs(TDataSet* dataSet)
    : TOwnedCollection(dataSet, TIndexDef::StaticClass()), dataSet_(dataSet) {}

TIndexDef* TIndexDefs::AddIndexDef() { return static_cast<TIndexDef*>(TCollection::Add()); }

TIndexDef* TIndexDefs::Add(const String& name, const String& fields, TIndexOptions options) {
  if (Find(name)) DatabaseErrorFmt(SDuplicateIndexName, {name}, dataSet_);
  TIndexDef* def = AddIndexDef();
  def->SetName(name);
  def->SetFields(fields);
  def->SetOptions(options);
  return def;
}

int TIndexDefs::IndexOf(const String& name) const {
  for (int i = 0; i < GetCount(); ++i)
    if (AnsiSameText(GetItem(i)->GetName(), name)) return i;
  return -1;
}

TIndexDef* TIndexDefs::Find(const String& name) const {
  int index = IndexOf(name);
  return index >= 0 ? GetItem(index) : nullptr;
}

TIndexDef* TIndexDefs::GetIndexForFields(const String& fieldNames, bool caseInsensitive) const {
  std::vector<String> wanted = SplitFieldNames(fieldNames);
  if (wanted.empty()) return nullptr;
  for (int i = 0; i < GetCount(); ++i) {
    TIndexDef* def = GetItem(i);
    if (def->GetOptions().Contains(ixExpression)) continue;
    if (caseInsensitive != def->GetOptions().Contains(ixCaseInsensitive)) continue;
    std::vector<String> have = SplitFieldNames(def->GetFields());
    if (have.size() < wanted.size()) continue;
    bool leading = true;
    for (size_t k = 0; k < wanted.size() && leading; ++k) leading = AnsiSameText(have[k], wanted[k]);
    if (leading) return def;
  }
  return nullptr;
}

TIndexDef* TIndexDefs::FindIndexForFields(const String& fieldNames) const {
  TIndexDef* def = GetIndexForFields(fieldNames, false);
  if (!def) def = GetIndexForFields(fieldNames, true);
  if (!def) DatabaseErrorFmt(SIndexNotFound, {fieldNames}, dataSet_);
  return def;
}

void TIndexDefs::Update() { updated_ = true; }
