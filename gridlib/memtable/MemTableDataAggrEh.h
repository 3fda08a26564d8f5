// The aggregates collection of a records view: one item per aggregate field of the in-memory table,
// compiled by the expression parser and evaluated over the view's records on request.
#pragma once

#include <memory>

#include "platform/classes/Collection.h"
#include "platform/data/DBTypes.h"
#include "platform/rtl/Variant.h"

class TAggregateField;
class TComponent;
class TDataSet;
class TDataSetExprParserEh;
class TMTAggregatesEh;

class TMTAggregateEh : public TCollectionItem {
  KIV_CLASS(TMTAggregateEh, TCollectionItem)
 public:
  explicit TMTAggregateEh(TCollection* collection);
  ~TMTAggregateEh() override;
  static void Published(TPropBuilder<TMTAggregateEh>& p);

  bool GetActive() const { return active_; }
  // Runs Recalc when a dataset is set outside an update; a failing Recalc leaves the item inactive.
  void SetActive(bool value);
  const String& GetExpression() const { return expression_; }
  void SetExpression(const String& value);
  TDataSet* GetDataSet() const { return dataSet_; }
  TFieldType GetDataType() const { return dataType_; }
  bool GetInUse() const { return inUse_; }
  Variant GetValue() const { return value_; }
  TMTAggregatesEh* GetAggregates() const;
  // The aggregate field the item serves (the platform's aggregate field has no handle slot to keep it).
  TAggregateField* GetAggregateField() const { return aggregateField_; }

  void Reset();
  void Recalc();
  void Assign(TPersistent* source) override;
  String GetDisplayName() const override;

 private:
  friend class TMTAggregatesEh;
  bool active_ = false;
  std::unique_ptr<TDataSetExprParserEh> aggrExpr_;
  TDataSet* dataSet_ = nullptr;
  TFieldType dataType_ = ftUnknown;
  String expression_;
  bool inUse_ = false;
  Variant value_ = Variant::Null();
  TAggregateField* aggregateField_ = nullptr;
};

class TMTAggregatesEh : public TCollection {
  KIV_CLASS(TMTAggregatesEh, TCollection)
 public:
  // owner is the records view; its dataset is the in-memory table.
  explicit TMTAggregatesEh(TComponent* recordsView);
  ~TMTAggregatesEh() override;

  bool GetActive() const { return active_; }
  void SetActive(bool value);
  TComponent* GetOwnerView() const { return owner_; }
  TPersistent* GetOwner() const override;
  TDataSet* GetDataSet() const;
  TMTAggregateEh* GetItem(Integer index) const { return Items<TMTAggregateEh>(index); }
  TMTAggregateEh* Add();
  // The item serving an aggregate field; null when none does.
  TMTAggregateEh* FindItemForField(TAggregateField* field) const;

  // One item per aggregate field of the dataset, then Recalc.
  void Reset();
  // Null values while the dataset is closed or loading or the collection is in an update.
  void Recalc();

 private:
  bool active_ = false;
  TComponent* owner_;
};
