// The aggregates collection: items follow the table's aggregate fields, compile with the aggregate kind
// of the expression parser and keep their last result.
#include "gridlib/memtable/MemTableDataAggrEh.h"

#include "gridlib/memtable/DataSetExprParserEh.h"
#include "gridlib/memtable/MemRecordsViewEh.h"
#include "platform/data/DataSet.h"
#include "platform/data/Fields.h"

namespace {
TRecordsViewEh* ViewOf(const TMTAggregatesEh* aggregates) {
  return aggregates ? dynamic_cast<TRecordsViewEh*>(aggregates->GetOwnerView()) : nullptr;
}
}  // namespace

// ---- TMTAggregateEh ----

TMTAggregateEh::TMTAggregateEh(TCollection* collection) : TCollectionItem(collection) {
  if (auto* aggregates = dynamic_cast<TMTAggregatesEh*>(collection)) dataSet_ = aggregates->GetDataSet();
  aggrExpr_ = std::make_unique<TDataSetExprParserEh>(dataSet_, dsptAggregateEh);
}

TMTAggregateEh::~TMTAggregateEh() = default;

void TMTAggregateEh::Published(TPropBuilder<TMTAggregateEh>& p) {
  p.Bool(u"Active", &TMTAggregateEh::GetActive, &TMTAggregateEh::SetActive).Default(false);
  p.Str(u"Expression", &TMTAggregateEh::GetExpression, &TMTAggregateEh::SetExpression);
}

TMTAggregatesEh* TMTAggregateEh::GetAggregates() const {
  return dynamic_cast<TMTAggregatesEh*>(GetCollection());
}

void TMTAggregateEh::SetActive(bool value) {
  if (active_ == value) return;
  active_ = value;
  TMTAggregatesEh* aggregates = GetAggregates();
  if (!dataSet_ || (aggregates && aggregates->GetUpdateCount() > 0)) return;
  try {
    Recalc();
  } catch (...) {
    active_ = false;
    throw;
  }
}

void TMTAggregateEh::SetExpression(const String& value) {
  if (expression_ == value) return;
  expression_ = value;
  Reset();
  TMTAggregatesEh* aggregates = GetAggregates();
  if (!aggregates || aggregates->GetUpdateCount() == 0) Recalc();
}

void TMTAggregateEh::Reset() {
  inUse_ = false;
  TMTAggregatesEh* aggregates = GetAggregates();
  bool wanted = dataSet_ && dataSet_->GetActive() && active_ && !expression_.empty() && aggregates &&
                aggregates->GetActive();
  if (!wanted) {
    value_ = Variant::Null();
    return;
  }
  if (TRecordsViewEh* view = ViewOf(aggregates); view && view->GetMemTableData())
    aggrExpr_->SetDataStruct(view->GetMemTableData()->GetDataStruct());
  aggrExpr_->ParseExpression(expression_);
  dataType_ = ftFloat;
  inUse_ = true;
}

void TMTAggregateEh::Recalc() {
  TRecordsViewEh* view = ViewOf(GetAggregates());
  value_ = inUse_ && view ? aggrExpr_->CalcAggregateValue(view) : Variant::Null();
  if (aggregateField_) aggregateField_->SetAggregateValue(value_);
}

void TMTAggregateEh::Assign(TPersistent* source) {
  if (auto* item = dynamic_cast<TMTAggregateEh*>(source)) {
    SetActive(item->GetActive());
    SetExpression(item->GetExpression());
    return;
  }
  if (auto* field = dynamic_cast<TAggregateField*>(source)) {
    SetActive(field->GetActive());
    SetExpression(field->GetExpression());
    return;
  }
  TCollectionItem::Assign(source);
}

String TMTAggregateEh::GetDisplayName() const {
  return expression_.empty() ? TCollectionItem::GetDisplayName() : expression_;
}

// ---- TMTAggregatesEh ----

TMTAggregatesEh::TMTAggregatesEh(TComponent* recordsView)
    : TCollection(TMTAggregateEh::StaticClass()), owner_(recordsView) {}

TMTAggregatesEh::~TMTAggregatesEh() {
  // Fields must not keep a result of an item that is gone.
  for (Integer i = 0; i < GetCount(); ++i)
    if (TAggregateField* field = GetItem(i)->aggregateField_) field->SetAggregateValue(Variant::Null());
  Clear();
}

TPersistent* TMTAggregatesEh::GetOwner() const { return owner_; }

TDataSet* TMTAggregatesEh::GetDataSet() const {
  TRecordsViewEh* view = ViewOf(this);
  return view ? view->GetDataSet() : nullptr;
}

TMTAggregateEh* TMTAggregatesEh::Add() { return static_cast<TMTAggregateEh*>(TCollection::Add()); }

TMTAggregateEh* TMTAggregatesEh::FindItemForField(TAggregateField* field) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetItem(i)->aggregateField_ == field) return GetItem(i);
  return nullptr;
}

void TMTAggregatesEh::SetActive(bool value) {
  if (active_ == value) return;
  active_ = value;
  Reset();
}

void TMTAggregatesEh::Reset() {
  BeginUpdate();
  try {
    Clear();
    if (TDataSet* dataSet = GetDataSet()) {
      TFields* fields = dataSet->GetAggFields();
      for (Integer i = 0; i < fields->GetCount(); ++i) {
        auto* field = dynamic_cast<TAggregateField*>(fields->GetField(i));
        if (!field) continue;
        TMTAggregateEh* item = Add();
        item->Assign(field);
        item->Reset();
        item->aggregateField_ = field;
        item->dataType_ = item->inUse_ ? ftFloat : field->GetDataType();
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Recalc();
}

void TMTAggregatesEh::Recalc() {
  TDataSet* dataSet = GetDataSet();
  bool closed = !dataSet || !dataSet->GetActive() || dataSet->GetComponentState().Contains(csLoading);
  for (Integer i = 0; i < GetCount(); ++i) {
    TMTAggregateEh* item = GetItem(i);
    if (closed || GetUpdateCount() > 0) {
      item->value_ = Variant::Null();
      if (item->aggregateField_) item->aggregateField_->SetAggregateValue(item->value_);
    } else {
      item->Recalc();
    }
  }
}
