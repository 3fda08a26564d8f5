// The lookup combo box: an edit box whose value is the key of a list dataset's record; it shows that
// record's text, searches the list as the user types, steps through it, drops it down in a lookup grid
// and writes the key into the data fields.
#pragma once

#include <memory>

#include "gridlib/editors/DBCtrlsEh.h"
#include "gridlib/editors/DBLookupGridsEh.h"
#include "gridlib/grids/DBAxisGridsEh.h"

class TCustomDBLookupComboboxEh;

enum TDBLookupComboboxEhStyle { csDropDownListEh, csDropDownEh };

using TSimpleTextApplyFilterEh = TDelegate<void(TObject* sender, TDataSet* dataSet, const String& fieldName,
                                                TLSAutoFilterTypeEh operation, const String& filterText)>;

// The drop-down settings of the box: rows, width, titles, special row and the list-source filter.
class TLookupComboboxDropDownBoxEh : public TColumnDropDownBoxEh {
  KIV_CLASS(TLookupComboboxDropDownBoxEh, TColumnDropDownBoxEh)
 public:
  explicit TLookupComboboxDropDownBoxEh(TPersistent* owner) : TColumnDropDownBoxEh(owner) { SetRows(7); }
};

// The link classes of the box, kept apart from the lookup settings' links of the same names.
namespace DBLookupComboEh {

class TListSourceLinkEh : public TDataLink {
  KIV_CLASS(TListSourceLinkEh, TDataLink)
 public:
  explicit TListSourceLinkEh(TCustomDBLookupComboboxEh* box) : box_(box) {}
  void Detach() { box_ = nullptr; }

 protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void DataSetChanged() override;

 private:
  TCustomDBLookupComboboxEh* box_;
};

}  // namespace DBLookupComboEh

class TCustomDBLookupComboboxEh : public TCustomDBEditEh, public ILookupGridOwner {
  KIV_CLASS(TCustomDBLookupComboboxEh, TCustomDBEditEh)
 public:
  explicit TCustomDBLookupComboboxEh(TComponent* owner);
  ~TCustomDBLookupComboboxEh() override;

  // ---- Settings ----
  // The data field names as set (the link itself holds the fields that receive the key).
  const String& GetDataField() const { return dataFieldName_; }
  void SetDataField(const String& value) override;
  void SetDataSource(TDataSource* value) override;
  // Empty in lookup mode, where the data field's lookup settings rule.
  String GetKeyField() const { return lookupMode_ ? String() : keyFieldName_; }
  void SetKeyField(const String& value);
  const String& GetListField() const { return listFieldName_; }
  void SetListField(const String& value);
  Integer GetListFieldIndex() const { return listFieldIndex_; }
  void SetListFieldIndex(Integer value);
  TDataSource* GetListSource() const { return lookupMode_ ? nullptr : listSource_; }
  void SetListSource(TDataSource* value);
  TDBLookupComboboxEhStyle GetStyle() const { return style_; }
  void SetStyle(TDBLookupComboboxEhStyle value);
  bool GetCaseInsensitiveTextSearch() const { return caseInsensitiveTextSearch_; }
  void SetCaseInsensitiveTextSearch(bool value) { caseInsensitiveTextSearch_ = value; }
  TLookupComboboxDropDownBoxEh* GetDropDownBox() const { return dropDownBox_.get(); }
  const Variant& GetKeyValue() const { return keyValue_; }
  void SetKeyValue(const Variant& value);
  bool GetListVisible() const { return listVisible_; }
  bool GetListActive() const { return listActive_; }
  bool GetLookupMode() const { return lookupMode_; }
  bool GetKeyTextIndependent() const { return keyTextIndependent_; }
  TField* GetListFieldObj() const { return listField_; }
  const TFieldsArrEh& GetMasterFields() const { return masterFields_; }
  // The drop-down box, made on first request.
  TPopupDataGridBoxEh* GetDataList();
  TDataLink* GetListLink() const { return listLink_.get(); }

  // ---- Operations ----
  virtual bool CanModifyKey(bool edit);
  bool LocateKey();
  // Searches the list field for text (its beginning when partial) and takes the record found.
  virtual bool LocateText(const String& text, bool partialKey);
  void SelectNextValue(bool isPrior);
  void ResetDisplayText();
  void ClearDataProps();
  bool CanDropDown() const override;
  virtual void DropDown(TEditButtonEh* button);
  void CloseUp(bool accept) override;
  void RefilterDropDownBoxListSource(const String& filterText);
  void DefaultDropDownBoxApplyTextFilter(TDataSet* dataSet, const String& fieldName,
                                         TLSAutoFilterTypeEh operation, const String& filterText);
  // Typed characters (a backspace as the text "\b") or pasted text of a box that only takes list texts.
  virtual void ProcessTypedText(const String& text);

  // The drop-down settings reach the list through these.
  void ListSourceChanged(TDataSource* source) override;
  TCustomDBAxisGridEh* GetLookupGrid() override { return GetDataList()->GetInnerDataGrid(); }
  Integer GetLookupGridOptions() override;
  void SetLookupGridOptions(Integer options) override;

  TCloseUpEventEh OnCloseUp;
  TNotifyEvent OnDropDown;
  TSimpleTextApplyFilterEh OnDropDownBoxApplyTextFilter;
  TNotifyEvent OnKeyValueChanged;
  TNotInListEventEh OnNotInList;

 protected:
  friend class DBLookupComboEh::TListSourceLinkEh;
  virtual void KeyValueChanged();
  virtual void ListLinkDataChanged();
  virtual void UpdateDataFields();
  virtual void UpdateListFields();
  void UpdateListSource();

  TAlignment DefaultAlignment() const override;
  bool IsValidChar(Char key) const override;
  Variant GetVariantValue() override;
  void SetVariantValue(const Variant& value) override { SetKeyValue(value); }
  void DataChanged() override;
  void InternalSetText(const String& text) override;
  void InternalSetValue(const Variant& value) override { InternalSetKeyValue(value); }
  void PostEditTextToField() override;
  void UpdateEditReadOnly() override;
  void SetFocused(bool value) override;
  void DefaultEditButtonClick(TEditButtonEh* button, TEditButtonControlEh* control, bool& handled) override;
  void ButtonDropDown(TEditButtonEh* button, TEditButtonControlEh* control, bool& handled) override;
  void Change() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void Click() override;
  void DoExit() override;
  bool DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void InternalSetKeyValue(const Variant& value);
  void SetShownText(const String& text);
  TDataSet* ListDataSet() const;
  TDataSource* GetActualListSource() const;
  bool SpecRowShowsFor(bool keyFound) const;
  void UpdateKeyTextIndependent();
  void SetLookupMode(bool value);
  void DataLinkActiveChanged(TObject* sender);
  void ListMouseCloseUp(TObject* sender, bool accept);
  void ListColumnMoved(TObject* sender, Integer fromIndex, Integer toIndex);
  bool AnyMasterFieldRequired() const;

  String dataFieldName_;
  TFieldsArrEh dataFields_;
  bool dataFieldsUpdating_ = false;
  TPopupDataGridBoxEh* dataList_ = nullptr;
  std::unique_ptr<TLookupComboboxDropDownBoxEh> dropDownBox_;
  Integer listChanging_ = 0;
  String keyFieldName_;
  TFieldsArrEh keyFields_;
  bool keyTextIndependent_ = true;
  Variant keyValue_ = Variant::Null();
  bool listActive_ = false;
  TField* listField_ = nullptr;
  Integer listFieldIndex_ = 0;
  String listFieldName_;
  TFieldsArrEh listFields_;
  std::unique_ptr<DBLookupComboEh::TListSourceLinkEh> listLink_;
  TDataSource* listSource_ = nullptr;
  bool listVisible_ = false;
  // A column of the open list was moved: its order is taken back when the list closes.
  bool listColumnMoved_ = false;
  bool lockUpdateKeyTextIndependent_ = false;
  bool lookupMode_ = false;
  std::unique_ptr<TDataSource> lookupSource_;
  String masterFieldNames_;
  TFieldsArrEh masterFields_;
  TDBLookupComboboxEhStyle style_ = csDropDownListEh;
  bool caseInsensitiveTextSearch_ = true;
  bool dataIndependentValueAsText_ = false;
  bool destroying_ = false;
  bool changeHandling_ = false;
  // The change being typed removes text: it is searched exactly, never completed again.
  bool removingText_ = false;
  TNotifyEvent chainedActiveChange_;
};

class TDBLookupComboboxEh : public TCustomDBLookupComboboxEh {
  KIV_CLASS(TDBLookupComboboxEh, TCustomDBLookupComboboxEh)
 public:
  explicit TDBLookupComboboxEh(TComponent* owner) : TCustomDBLookupComboboxEh(owner) {}
};
