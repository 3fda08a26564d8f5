// Field and index definitions: what a dataset's columns and indexes are, before and apart from
// the TField objects that give access to the values.
#pragma once

#include <memory>

#include "platform/classes/Collection.h"
#include "platform/data/DBTypes.h"

class TComponent;

enum TFieldAttribute { faHiddenCol, faReadonly, faRequired, faLink, faUnNamed, faFixed };
using TFieldAttributes = TSet<TFieldAttribute>;

class TFieldDef : public TCollectionItem {
  KIV_CLASS(TFieldDef, TCollectionItem)
 public:
  explicit TFieldDef(TCollection* collection);
  ~TFieldDef() override;

  static void Published(TPropBuilder<TFieldDef>& p);

  const String& GetName() const { return name_; }
  void SetName(const String& value);
  String GetDisplayName() const override { return name_; }
  TFieldType GetDataType() const { return dataType_; }
  void SetDataType(TFieldType value);
  Integer GetSize() const;
  void SetSize(Integer value);
  Integer GetPrecision() const { return precision_; }
  void SetPrecision(Integer value);
  TFieldAttributes GetAttributes() const { return attributes_; }
  void SetAttributes(TFieldAttributes value);
  bool GetRequired() const { return attributes_.Contains(faRequired); }
  void SetRequired(bool value);
  bool GetInternalCalcField() const { return internalCalcField_; }
  void SetInternalCalcField(bool value);
  // 1-based position in the record; set by the definitions' owner.
  Integer GetFieldNo() const { return fieldNo_ > 0 ? fieldNo_ : GetIndex() + 1; }
  void SetFieldNo(Integer value) { fieldNo_ = value; }
  bool HasChildDefs() const;
  TFieldDefs* GetChildDefs();
  TFieldDef* AddChild();
  TClass GetFieldClass() const;

  // Makes the TField for this definition, owned by owner, in the collection's dataset.
  TField* CreateField(TComponent* owner, const String& fieldName = String());

  void Assign(TPersistent* source) override;

 private:
  friend class TFieldDefs;
  String name_;
  TFieldType dataType_ = ftUnknown;
  Integer size_ = 0;
  Integer precision_ = 0;
  TFieldAttributes attributes_;
  bool internalCalcField_ = false;
  Integer fieldNo_ = 0;
  std::unique_ptr<TFieldDefs> childDefs_;
};

class TFieldDefs : public TOwnedCollection {
  KIV_CLASS(TFieldDefs, TOwnedCollection)
 public:
  // owner is the dataset (or the parent definition of child definitions).
  explicit TFieldDefs(TPersistent* owner);
  ~TFieldDefs() override;

  TDataSet* GetDataSet() const { return dataSet_; }
  TFieldDef* GetItem(int index) const { return Items<TFieldDef>(index); }
  TFieldDef* operator[](int index) const { return GetItem(index); }
  TFieldDef* AddFieldDef();
  TFieldDef* Add(const String& name, TFieldType dataType, Integer size = 0, bool required = false);
  int IndexOf(const String& name) const;
  // Null when absent.
  TFieldDef* Find(const String& name) const;
  // Raises EDatabaseError "Field '%s' not found".
  TFieldDef* FieldDefByName(const String& name) const;
  // Asks the dataset to (re)read its definitions unless they are up to date.
  void Update();
  bool GetUpdated() const { return updated_; }
  void SetUpdated(bool value) { updated_ = value; }
  TFieldDef* GetParentDef() const { return parentDef_; }

 protected:
  using TOwnedCollection::Update;
  void Notify(TCollectionItem* item, TCollectionNotification action) override;

 private:
  friend class TFieldDef;
  TDataSet* dataSet_ = nullptr;
  TFieldDef* parentDef_ = nullptr;
  bool updated_ = false;
};

enum TIndexOption {
  ixPrimary,
  ixUnique,
  ixDescending,
  ixCaseInsensitive,
  ixExpression,
  ixNonMaintained,
};
using TIndexOptions = TSet<TIndexOption>;

class TIndexDef : public TCollectionItem {
  KIV_CLASS(TIndexDef, TCollectionItem)
 public:
  explicit TIndexDef(TCollection* collection);
  TIndexDef(TIndexDefs* owner, const String& name, const String& fields, TIndexOptions options);

  static void Published(TPropBuilder<TIndexDef>& p);

  const String& GetName() const { return name_; }
  void SetName(const String& value);
  String GetDisplayName() const override { return name_; }
  // ";"-separated field names.
  const String& GetFields() const { return fields_; }
  void SetFields(const String& value) { fields_ = value; }
  const String& GetDescFields() const { return descFields_; }
  void SetDescFields(const String& value) { descFields_ = value; }
  const String& GetCaseInsFields() const { return caseInsFields_; }
  void SetCaseInsFields(const String& value) { caseInsFields_ = value; }
  const String& GetExpression() const { return expression_; }
  void SetExpression(const String& value) { expression_ = value; }
  TIndexOptions GetOptions() const { return options_; }
  void SetOptions(TIndexOptions value) { options_ = value; }
  const String& GetSource() const { return source_; }
  void SetSource(const String& value) { source_ = value; }
  Integer GetGroupingLevel() const { return groupingLevel_; }
  void SetGroupingLevel(Integer value) { groupingLevel_ = value; }

  void Assign(TPersistent* source) override;

 private:
  String name_;
  String fields_;
  String descFields_;
  String caseInsFields_;
  String expression_;
  String source_;
  TIndexOptions options_;
  Integer groupingLevel_ = 0;
};

class TIndexDefs : public TOwnedCollection {
  KIV_CLASS(TIndexDefs, TOwnedCollection)
 public:
  explicit TIndexDefs(TDataSet* dataSet);

  TDataSet* GetDataSet() const { return dataSet_; }
  TIndexDef* GetItem(int index) const { return Items<TIndexDef>(index); }
  TIndexDef* operator[](int index) const { return GetItem(index); }
  TIndexDef* AddIndexDef();
  TIndexDef* Add(const String& name, const String& fields, TIndexOptions options);
  int IndexOf(const String& name) const;
  TIndexDef* Find(const String& name) const;
  // The first index whose leading fields are fieldNames (case-insensitive); null when none.
  TIndexDef* GetIndexForFields(const String& fieldNames, bool caseInsensitive) const;
  // Raises EDatabaseError "Index '%s' not found" ... when none fits.
  TIndexDef* FindIndexForFields(const String& fieldNames) const;
  void Update();
  bool GetUpdated() const { return updated_; }
  void SetUpdated(bool value) { updated_ = value; }

 protected:
  using TOwnedCollection::Update;

 private:
  TDataSet* dataSet_;
  bool updated_ = false;
};
