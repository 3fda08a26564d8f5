// TDataSource and the data links: how controls and detail datasets follow a dataset's state,
// scrolling, editing and field changes, and how they hand their edits back before a post.
#pragma once

#include <functional>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/data/DBTypes.h"

class TDataSource : public TComponent {
  KIV_CLASS(TDataSource, TComponent)
 public:
  explicit TDataSource(TComponent* owner);
  ~TDataSource() override;

  static void Published(TPropBuilder<TDataSource>& p);

  TDataSet* GetDataSet() const { return dataSet_; }
  // Raises "Circular datalinks are not allowed" when dataSet's masters lead back to this source.
  void SetDataSet(TDataSet* value);
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool GetAutoEdit() const { return autoEdit_; }
  void SetAutoEdit(bool value) { autoEdit_ = value; }
  TDataSetState GetState() const { return state_; }
  // Puts the dataset in edit mode when AutoEdit allows and it is browsing.
  void Edit();
  // True when dataSet's masters include this source.
  bool IsLinkedTo(TDataSet* dataSet) const;
  int GetLinkCount() const { return static_cast<int>(links_.size()); }
  TDataLink* GetLink(int index) const { return links_[index]; }

  TNotifyEvent OnStateChange;
  // Field is the changed field for a field change, null for record and dataset changes.
  TDataChangeEvent OnDataChange;
  TNotifyEvent OnUpdateData;

  // Called by the dataset.
  void DataEvent(TDataEvent event, NativeInt info);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TDataLink;
  friend class TDataSet;
  void AddDataLink(TDataLink* link);
  void RemoveDataLink(TDataLink* link);
  void UpdateState();
  void SetState(TDataSetState value);
  void NotifyLinks(TDataEvent event, NativeInt info);

  TDataSet* dataSet_ = nullptr;
  bool enabled_ = true;
  bool autoEdit_ = true;
  TDataSetState state_ = dsInactive;
  std::vector<TDataLink*> links_;
};

// A control's or a detail dataset's connection to a data source. The link sees a window of
// BufferCount rows of the dataset's buffer ring; ActiveRecord is the current row's place in it.
class TDataLink : public TPersistent {
  KIV_CLASS(TDataLink, TPersistent)
 public:
  TDataLink();
  ~TDataLink() override;

  TDataSource* GetDataSource() const { return dataSource_; }
  void SetDataSource(TDataSource* value);
  TDataSet* GetDataSet() const;
  bool GetActive() const { return active_; }
  bool GetEditing() const { return editing_; }
  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  bool GetDataSourceFixed() const { return dataSourceFixed_; }
  void SetDataSourceFixed(bool value) { dataSourceFixed_ = value; }
  // The active row's index within the link's window. Setting it makes another buffered row the
  // dataset's active record until it is set back (grids read the rows they draw this way); no event
  // is sent.
  int GetActiveRecord() const;
  void SetActiveRecord(int value);
  int GetBufferCount() const { return bufferCount_; }
  // Asks the dataset to keep at least this many rows buffered.
  void SetBufferCount(int value);
  // Rows in the window (at most BufferCount).
  int GetRecordCount() const;
  bool GetBOF() const;
  bool GetEOF() const;
  bool Bof() const { return GetBOF(); }
  bool Eof() const { return GetEOF(); }
  // Puts the dataset in edit mode through the data source (AutoEdit); answers Editing.
  bool Edit();
  // Writes the control's pending data (UpdateData) with RecordChanged events suppressed.
  void UpdateRecord();
  // Moves the window (and the record) by distance rows, for scroll bars.
  int MoveBy(int distance);
  // The first buffered row of the window, in the dataset's ring.
  int GetFirstRecord() const { return firstRecord_; }

  // Everything the data source sends; the default dispatches to the virtuals below.
  virtual void DataEvent(TDataEvent event, NativeInt info);

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  // distance: how many rows the window moved (positive forward).
  virtual void DataSetScrolled(int) { DataSetChanged(); }
  virtual void EditingChanged() {}
  // fieldRef points to the field to focus; a link that takes the focus clears it.
  virtual void FocusControl(TField**) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField*) {}
  virtual void UpdateData() {}
  virtual void DisabledStateChanged(bool) {}
  virtual TDataSet* GetDetailDataSet() const { return nullptr; }
  void SetActive(bool value);
  void SetEditing(bool value);
  void UpdateState();
  bool IsUpdating() const { return updating_; }

 private:
  friend class TDataSource;
  friend class TDataSet;
  void UpdateRange();

  TDataSource* dataSource_ = nullptr;
  bool active_ = false;
  bool editing_ = false;
  bool readOnly_ = false;
  bool updating_ = false;
  bool dataSourceFixed_ = false;
  int bufferCount_ = 1;
  int firstRecord_ = 0;
};

// A link from a master data source to a detail dataset.
class TDetailDataLink : public TDataLink {
  KIV_CLASS(TDetailDataLink, TDataLink)
 public:
  TDataSet* DetailDataSet() const { return GetDetailDataSet(); }
};

// The master side of a master-detail pair: the detail dataset's master fields, with notices when
// the master record changes or the master closes.
class TMasterDataLink : public TDetailDataLink {
  KIV_CLASS(TMasterDataLink, TDetailDataLink)
 public:
  explicit TMasterDataLink(TDataSet* detail);

  // ";"-separated master field names.
  const String& GetFieldNames() const { return fieldNames_; }
  void SetFieldNames(const String& value);
  const std::vector<TField*>& GetFields() const { return fields_; }

  TNotifyEvent OnMasterChange;
  TNotifyEvent OnMasterDisable;

 protected:
  void ActiveChanged() override;
  void CheckBrowseMode() override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  TDataSet* GetDetailDataSet() const override { return detail_; }

 private:
  void UpdateFields();
  TDataSet* detail_;
  String fieldNames_;
  std::vector<TField*> fields_;
};

// A data-aware control's link to one field.
class TFieldDataLink : public TDataLink {
  KIV_CLASS(TFieldDataLink, TDataLink)
 public:
  TFieldDataLink() = default;

  TField* GetField() const { return field_; }
  const String& GetFieldName() const { return fieldName_; }
  void SetFieldName(const String& value);
  // Editing, and the field can be modified.
  bool GetEditing() const { return editing_; }
  TComponent* GetControl() const { return control_; }
  void SetControl(TComponent* value) { control_ = value; }
  // Not read-only, and the field can be modified.
  bool GetCanModify() const;
  bool CanModify() const { return GetCanModify(); }
  // Edits the dataset when the field can be modified; answers Editing.
  bool Edit();
  // The control changed the value; the link asks for it (OnUpdateData) before a post.
  void Modified() { modified_ = true; }
  bool GetModified() const { return modified_; }
  // Drops the control's pending change and reloads it (OnDataChange).
  void Reset();

  TNotifyEvent OnDataChange;
  TNotifyEvent OnEditingChange;
  TNotifyEvent OnUpdateData;
  TNotifyEvent OnActiveChange;

  // Focuses a data-aware control; the controls library installs it (answers true when focused).
  static std::function<bool(TComponent* control)> FocusHandler;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField** fieldRef) override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

 private:
  void SetField(TField* value);
  void UpdateField();

  TField* field_ = nullptr;
  String fieldName_;
  TComponent* control_ = nullptr;
  bool modified_ = false;
  bool editing_ = false;
};
