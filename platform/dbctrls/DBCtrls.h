// The class library's data-aware controls over the dataset framework: a label showing a field
// (TDBText), a masked edit bound to a field (TDBEdit) and a lookup combo box that picks a key from a
// list dataset (TDBLookupComboBox).
#pragma once

#include <memory>
#include <vector>

#include "platform/controls/Mask.h"
#include "platform/controls/StdCtrls.h"
#include "platform/data/DataSource.h"
#include "platform/rtl/Variant.h"

class TField;
class TDataSet;

// ---- TDBText ----

class TDBText : public TCustomLabel {
  KIV_CLASS(TDBText, TCustomLabel)
 public:
  explicit TDBText(TComponent* owner);
  ~TDBText() override;
  static void Published(TPropBuilder<TDBText>& p);

  TDataSource* GetDataSource() const { return dataLink_->GetDataSource(); }
  void SetDataSource(TDataSource* value);
  const String& GetDataField() const { return dataLink_->GetFieldName(); }
  void SetDataField(const String& value) { dataLink_->SetFieldName(value); }
  TField* GetField() const { return dataLink_->GetField(); }

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void Dispatch(TMessage& message) override;

 private:
  void DataChange(TObject* sender);
  std::unique_ptr<TFieldDataLink> dataLink_;
};

// ---- TDBEdit ----

// Shows the field's display text, and its edit text while focused and editable; typing puts the
// dataset into edit state; the text goes into the field when the dataset asks its controls for
// their data (before a post) and when the edit is left; Esc takes back what was typed.
class TDBEdit : public TCustomMaskEdit {
  KIV_CLASS(TDBEdit, TCustomMaskEdit)
 public:
  explicit TDBEdit(TComponent* owner);
  ~TDBEdit() override;
  static void Published(TPropBuilder<TDBEdit>& p);

  TDataSource* GetDataSource() const { return dataLink_->GetDataSource(); }
  void SetDataSource(TDataSource* value);
  const String& GetDataField() const { return dataLink_->GetFieldName(); }
  void SetDataField(const String& value) { dataLink_->SetFieldName(value); }
  TField* GetField() const { return dataLink_->GetField(); }
  // The link's read-only flag; the window is read-only also when the field or dataset is.
  bool GetReadOnly() const { return dataLink_->GetReadOnly(); }
  void SetReadOnly(bool value);

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void Dispatch(TMessage& message) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void Change() override;
  void DoEnter() override;
  void DoExit() override;
  bool EditCanModify() override;
  void Reset() override;
  void CutToClipboardImpl() override;
  void PasteFromClipboardImpl() override;
  void ClearSelectionImpl() override;

 private:
  void DataChange(TObject* sender);
  void EditingChange(TObject* sender);
  void UpdateData(TObject* sender);
  void ActiveChange(TObject* sender);
  void SyncReadOnly();
  std::unique_ptr<TFieldDataLink> dataLink_;
  bool focused_ = false;
  TAlignment fieldAlignment_ = taLeftJustify;
};

// ---- TDBLookupComboBox ----

class TLookupListLink;
class TLookupPopup;

class TDBLookupComboBox : public TCustomControl {
  KIV_CLASS(TDBLookupComboBox, TCustomControl)
 public:
  explicit TDBLookupComboBox(TComponent* owner);
  ~TDBLookupComboBox() override;
  static void Published(TPropBuilder<TDBLookupComboBox>& p);

  // The optional data field that receives the chosen key.
  TDataSource* GetDataSource() const { return dataLink_->GetDataSource(); }
  void SetDataSource(TDataSource* value);
  const String& GetDataField() const { return dataLink_->GetFieldName(); }
  void SetDataField(const String& value) { dataLink_->SetFieldName(value); }
  TField* GetField() const { return dataLink_->GetField(); }
  // The list: its key field and the fields shown (';'-separated; ListFieldIndex picks the one shown
  // in the box and searched by typing).
  TDataSource* GetListSource() const;
  void SetListSource(TDataSource* value);
  const String& GetKeyField() const { return keyFieldName_; }
  void SetKeyField(const String& value);
  const String& GetListField() const { return listFieldNames_; }
  void SetListField(const String& value);
  Integer GetListFieldIndex() const { return listFieldIndex_; }
  void SetListFieldIndex(Integer value);
  // The chosen key; Null (or a key no list row has) shows nothing. Setting it locates the list
  // dataset on the row, as the class library does.
  Variant GetKeyValue() const { return keyValue_; }
  void SetKeyValue(const Variant& value);
  // The shown text: the list field of the chosen row.
  String GetText() const { return text_; }
  Integer GetDropDownRows() const { return dropDownRows_; }
  void SetDropDownRows(Integer value) { dropDownRows_ = value < 1 ? 1 : value; }
  Integer GetDropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(Integer value) { dropDownWidth_ = value; }
  // A shortcut that clears the key (Null).
  Word GetNullValueKey() const { return nullValueKey_; }
  void SetNullValueKey(Word value) { nullValueKey_ = value; }
  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool GetListVisible() const { return listVisible_; }
  bool GetDroppedDown() const { return listVisible_; }
  // The list row under the drop-down's highlight (-1: none), and the rows it shows.
  Integer GetDropDownIndex() const { return dropIndex_; }
  Integer GetDropDownCount() const { return static_cast<Integer>(rows_.size()); }
  String GetDropDownItemText(Integer index) const;

  void DropDown();
  // Hides the list; with accept the highlighted row is chosen. OnCloseUp follows either way.
  void CloseUp(bool accept);

  TNotifyEvent OnCloseUp;
  TNotifyEvent OnDropDown;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void Notification(TComponent* component, TOperation operation) override;
  void Dispatch(TMessage& message) override;
  void DoEnter() override;
  void DoExit() override;

 private:
  friend class TLookupListLink;
  friend class TLookupPopup;
  struct Row {
    Variant key;
    std::vector<String> texts;
  };
  TDataSet* ListDataSet() const;
  bool ListActive() const;
  TField* KeyFieldOf() const;
  TField* ListFieldOf() const;
  void ListLinkChanged();
  void DataChange(TObject* sender);
  void UpdateText();
  void LoadRows();
  void SelectKeyValue(const Variant& value);
  void MoveHighlight(Integer delta, bool absolute);
  void SelectNeighbour(Integer delta);
  bool ProcessSearchKey(Char key);
  void PopupClicked(Integer index);
  void PopupHidden();

  std::unique_ptr<TFieldDataLink> dataLink_;
  std::unique_ptr<TLookupListLink> listLink_;
  std::unique_ptr<TLookupPopup> popup_;
  String keyFieldName_;
  String listFieldNames_;
  Integer listFieldIndex_ = 0;
  Variant keyValue_;
  String text_;
  Integer dropDownRows_ = 7;
  Integer dropDownWidth_ = 0;
  Word nullValueKey_ = 0;
  bool readOnly_ = false;
  bool listVisible_ = false;
  bool destroying_ = false;
  std::vector<Row> rows_;
  Integer dropIndex_ = -1;
  String searchText_;
  Int64 searchTick_ = 0;
};
