// Column footers and the grid's sum list that keeps their aggregates.
#include "gridlib/dbgrid/DBGridEh.h"

TColumnFooterEh::TColumnFooterEh(TCollection* collection) : TCollectionItem(collection) {}

TColumnFooterEh* TColumnFooterEh::CreateApart(TColumnEh* column) {
  auto* footer = new TColumnFooterEh(nullptr);
  footer->column_ = column;
  return footer;
}

// Freeing the aggregate takes it out of the sum list.
TColumnFooterEh::~TColumnFooterEh() { delete dbSum_; }

void TColumnFooterEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TColumnFooterEh*>(source);
  if (!src) {
    TCollectionItem::Assign(source);
    return;
  }
  value_ = src->value_;
  displayFormat_ = src->displayFormat_;
  fieldName_ = src->fieldName_;
  valueType_ = src->valueType_;
  EnsureSumValue();
}

void TColumnFooterEh::SetValueType(TFooterValueType value) {
  if (valueType_ == value) return;
  valueType_ = value;
  EnsureSumValue();
  if (column_) column_->Changed(false);
}

void TColumnFooterEh::SetFieldName(const String& value) {
  if (fieldName_ == value) return;
  fieldName_ = value;
  EnsureSumValue();
  if (column_) column_->Changed(false);
}

void TColumnFooterEh::SetValue(const String& value) {
  value_ = value;
  if (column_) column_->Changed(false);
}

void TColumnFooterEh::SetDisplayFormat(const String& value) {
  if (displayFormat_ == value) return;
  displayFormat_ = value;
  if (column_) column_->Changed(false);
}

Variant TColumnFooterEh::GetSumValue() const { return dbSum_ ? Variant(dbSum_->SumValue) : Variant::Null(); }

void TColumnFooterEh::EnsureSumValue() {
  TCustomDBGridEh* grid = column_ ? column_->GetDBGrid() : nullptr;
  if (!grid) return;
  const bool aggregate = valueType_ == fvtSum || valueType_ == fvtAvg || valueType_ == fvtCount;
  if (!aggregate) {
    delete dbSum_;
    dbSum_ = nullptr;
    return;
  }
  TDBSumCollection* sums = grid->GetSumList()->GetSumCollection();
  sums->BeginUpdate();
  struct End {
    TDBSumCollection* s;
    ~End() { s->EndUpdate(); }
  } end{sums};
  if (!dbSum_) dbSum_ = sums->Add();
  if (valueType_ == fvtCount) {
    dbSum_->SetGroupOperation(goCount);
    dbSum_->SetFieldName(String());
  } else {
    dbSum_->SetGroupOperation(valueType_ == fvtSum ? goSum : goAvg);
    dbSum_->SetFieldName(fieldName_.empty() ? column_->GetFieldName() : fieldName_);
  }
}

TDBGridEhSumList::TDBGridEhSumList(TComponent* owner) : TDBSumListProducer(owner) {
  FDesignTimeWork = true;
  SetActive(false);
}

void TDBGridEhSumList::RecalcAll() {
  auto* grid = dynamic_cast<TCustomDBGridEh*>(GetOwnerComponent());
  if (!grid || grid->IsLoading()) return;
  TDBSumListProducer::RecalcAll();
}

bool TDBGridEhSumList::OwnerDesigning() const {
  TComponent* owner = GetOwnerComponent();
  return owner && owner->GetComponentState().Contains(csDesigning);
}

void TDBGridEhSumList::SetDataSetEvents() {
  if (!OwnerDesigning()) {
    TDBSumListProducer::SetDataSetEvents();
    return;
  }
  if (FDataSet) FEventsOverloaded = true;
}

void TDBGridEhSumList::ReturnEvents() {
  if (!OwnerDesigning()) {
    TDBSumListProducer::ReturnEvents();
    return;
  }
  FEventsOverloaded = false;
}
