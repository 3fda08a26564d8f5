// The lookup list: a data grid over a list dataset whose selected row is the one whose key fields equal
// the key, the drop-down box that holds it under an editor, and the inner grid adapted to live there.
#pragma once

#include <memory>
#include <vector>

#include "gridlib/base/ToolCtrlsEh.h"
#include "gridlib/dbgrid/DBGridEh.h"
#include "gridlib/editors/DBCtrlsEh.h"

class TDBLookupGridEh;

// What the lookup grid lets the user do and shows; each maps onto one option of the data grid.
enum TDBLookupGridEhOption {
  dlgColumnResizeEh,
  dlgColLinesEh,
  dlgRowLinesEh,
  dlgAutoSortMarkingEh,
  dlgMultiSortMarkingEh,
  dlgAutoFitRowHeightEh
};
using TDBLookupGridEhOptions = TSet<TDBLookupGridEhOption>;

// The link of a lookup grid to the record whose fields receive the chosen key.
class TLookupGridDataLinkEh : public TDataLink {
  KIV_CLASS(TLookupGridDataLinkEh, TDataLink)
 public:
  explicit TLookupGridDataLinkEh(TDBLookupGridEh* grid) : grid_(grid) {}
  void Detach() { grid_ = nullptr; }

 protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;

 private:
  TDBLookupGridEh* grid_;
};

// A column of the lookup list. Moved, it takes its special-row cell along, and the list fields (and the
// shown one) follow the columns' new order.
class TDBLookupGridColumnEh : public TDBGridColumnEh {
  KIV_CLASS(TDBLookupGridColumnEh, TDBGridColumnEh)
 public:
  explicit TDBLookupGridColumnEh(TCollection* collection) : TDBGridColumnEh(collection) {}
  void SetIndex(int value) override;
};

class TDBLookupGridEh : public TCustomDBGridEh {
  KIV_CLASS(TDBLookupGridEh, TCustomDBGridEh)
 public:
  explicit TDBLookupGridEh(TComponent* owner);
  ~TDBLookupGridEh() override;

  // ---- Settings ----
  // The record whose fields named by DataField receive the key (the grid's own data source is the list).
  TDataSource* GetDataFieldSource() const { return dataLink_->GetDataSource(); }
  void SetDataFieldSource(TDataSource* value) { dataLink_->SetDataSource(value); }
  const String& GetDataField() const { return dataFieldName_; }
  void SetDataField(const String& value);
  const TFieldsArrEh& GetMasterFields() const { return masterFields_; }
  // Nil in lookup mode, where the data field's lookup dataset is the list.
  TDataSource* GetListSource() const { return lookupMode_ ? nullptr : GetDataSource(); }
  void SetListSource(TDataSource* value);
  TDataLink* GetListLink() const { return GetDataLink(); }
  // Empty in lookup mode.
  String GetKeyField() const { return lookupMode_ ? String() : keyFieldName_; }
  void SetKeyField(const String& value);
  // The data field is a lookup field: the list, its key and its shown field come from it.
  bool GetLookupMode() const { return lookupMode_; }
  const String& GetListField() const { return listFieldName_; }
  void SetListField(const String& value);
  Integer GetListFieldIndex() const { return listFieldIndex_; }
  void SetListFieldIndex(Integer value);
  const Variant& GetKeyValue() const { return keyValue_; }
  void SetKeyValue(const Variant& value);
  bool GetListActive() const { return listActive_; }
  TField* GetListFieldObj() const { return listField_; }
  const TFieldsArrEh& GetListFields() const { return listFields_; }
  const TFieldsArrEh& GetKeyFields() const { return keyFields_; }
  TDBLookupGridEhOptions GetOptions() const { return options_; }
  void SetOptions(TDBLookupGridEhOptions value);
  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  // The number of data rows the height is made for, 1 to 100.
  Integer GetRowCountProp() const { return rowCount_; }
  void SetRowCountProp(Integer value);
  bool GetShowTitles() const { return showTitles_; }
  void SetShowTitles(bool value);
  bool GetLGAutoFitColWidths() const { return lgAutoFitColWidths_; }
  void SetLGAutoFitColWidths(bool value);
  const String& GetSearchText() const { return searchText_; }
  void SetSearchText(const String& value) { searchText_ = value; }
  const String& GetSelectedItem() const { return selectedItem_; }
  TSpecRowEh* GetSpecRow() const { return specRow_.get(); }
  void SetSpecRow(TSpecRowEh* value) { specRow_->Assign(value); }
  // The text marked in the list field's cells (a typed filter), empty for none.
  const String& GetHighlightText() const { return highlightText_; }
  void ResetHighlightSubstr(const String& text);

  // ---- Operations ----
  virtual bool CanModify() const;
  // Positions the list dataset on the key; false when the key is not there (errors count as not found).
  bool LocateKey();
  // The key of the list dataset's current record (an array for several key fields).
  Variant CurrentRecordKey() const;
  Integer GetBorderHeight() const;
  Integer GetDataRowHeight() const;
  Integer GetSpecRowHeight() const;
  // The titles' row and the special row, whichever show; 0 without either.
  Integer GetTitleHeight() const;
  // Whether a client point lies on the special row.
  bool SpecRowAt(Integer x, Integer y);
  // With rows fitted to their text, the heights of that many rows that exist.
  Integer CalcAutoHeightForRowCount(Integer rowCount);
  // The height of whole rows nearest below the offered one (at least one row).
  // With rows fitted to their text the offered height stays.
  Integer AdjustHeight(Integer offeredHeight);
  // Rows are as high as their text asks (a list over an in-memory table).
  bool RowHeightsFitText() const;
  virtual bool AutoHeight() const { return true; }
  // The client width that shows every visible column whole.
  Integer GetColumnsWidthToFit() const;
  // From the first data row to the last, across the data columns.
  TRect DataRect();
  // The list row at a client point, -1 outside the data rows.
  Integer DataRowAt(Integer x, Integer y);
  // Chooses the row of the list at a client point, as a click does.
  void SelectAtPoint(Integer x, Integer y);

  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  // With AutoHeight an offered height becomes whole rows.
  bool CanResize(Integer& newWidth, Integer& newHeight) override;
  // Makes the control that wide after the user sized a column; right to left, the right edge stays.
  virtual void SetColResizedControlWidth(Integer newControlWidth);
  // What the horizontal axis adds to the width in right-to-left layout (the client part it leaves).
  Integer RightToLeftWidthExtra();

  TNotifyEvent OnKeyValueChanged;

 protected:
  virtual void KeyValueChanged();
  virtual void ProcessSearchChar(Char key);
  virtual void SelectKeyValue(const Variant& value);
  virtual void UpdateListFields();
  friend class TLookupGridDataLinkEh;
  virtual void UpdateDataFields();
  void DataRecordChanged(TField* field);
  virtual void UpdateSelectedItem(bool found);
  // Makes the list dataset's current record the chosen one.
  void SelectCurrent();

  void LinkActive(bool active) override;
  void DataSetChanged() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  void DrawCell(Integer col, Integer row, TGridDrawState state, TRect rect) override;
  void ColWidthsChanged() override;
  TGridAxisBarsEh* CreateAxisBars() override;
  void Resize() override;
  // Fits the columns to the client width when AutoFitColWidths is on, then the height to the rows.
  virtual void UpdateColumnWidths();
  bool tracking_ = false;

 private:
  void SpecRowChanged(TObject* sender);
  void SetLookupMode(bool value);
  void CheckSettingsEditable();
  // The special row stands in the place of the titles while they are hidden, else right under them.
  bool SpecRowInTitle() const { return specRow_->GetVisible() && !showTitles_; }
  bool IsSTFilterRowUnderTitle() const override { return specRow_->GetVisible() && showTitles_; }
  // The grid row of the special row, -1 while it is hidden.
  Integer SpecGridRow() const;
  void UpdateTitleRow();
  void SelectSpecRow();
  void DrawSpecCell(TColumnEh* column, const TRect& rect);
  void RebuildColumns();
  void FitColumnsOnce();
  friend class TDBLookupGridColumnEh;
  // After a column went from one place to another: the special row's cells and the list fields follow.
  void LookupColumnMoved(Integer fromIndex, Integer toIndex);
  void MoveListBy(Integer distance);
  bool RowKeyIsKeyValue(Integer dataRow);

  std::unique_ptr<TLookupGridDataLinkEh> dataLink_;
  std::unique_ptr<TDataSource> lookupSource_;
  bool lookupMode_ = false;
  String dataFieldName_;
  TFieldsArrEh dataFields_;
  TFieldsArrEh masterFields_;
  String masterFieldNames_;
  String keyFieldName_;
  TFieldsArrEh keyFields_;
  Variant keyValue_ = Variant::Null();
  bool listActive_ = false;
  TField* listField_ = nullptr;
  Integer listFieldIndex_ = 0;
  String listFieldName_;
  TFieldsArrEh listFields_;
  Integer listChanging_ = 0;
  bool readOnly_ = false;
  Integer rowCount_ = 7;
  String searchText_;
  String selectedItem_;
  std::unique_ptr<TSpecRowEh> specRow_;
  bool lgAutoFitColWidths_ = false;
  bool internalHeightSetting_ = false;
  bool internalWidthSetting_ = false;
  bool showTitles_ = false;
  TDBLookupGridEhOptions options_{dlgColLinesEh};
  String highlightText_;
};

// The lookup grid inside a drop-down: it never takes the focus, selects the row under the mouse, and
// tells its owner when a release of the mouse closes the list.
class TPopupInnerDataGridEh : public TDBLookupGridEh {
  KIV_CLASS(TPopupInnerDataGridEh, TDBLookupGridEh)
 public:
  explicit TPopupInnerDataGridEh(TComponent* owner);

  bool CanFocus() const override { return false; }
  // The box rounds its height to whole rows, not the grid.
  bool AutoHeight() const override { return false; }
  // The user resized the drop-down (by its grip) since the flag was last cleared.
  bool GetSizeGripResized() const { return sizeGripResized_; }
  void SetSizeGripResized(bool value) { sizeGripResized_ = value; }
  // The drop-down was placed to one side of its owner: the grip goes to the corner away from it.
  void ChangeSizeGripPosition(TSizeGripChangePosition change);
  Integer GetVisibleRowCount() { return VisibleDataRowCount(); }
  // Keys of the owner editor reach the list through these.
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override { TDBLookupGridEh::KeyPress(key); }
  // The box around is what widens after a column was sized.
  void SetColResizedControlWidth(Integer newControlWidth) override;
  // Never narrower than two scroll bars, never lower than one row (and the special row).
  bool CanResize(Integer& newWidth, Integer& newHeight) override;

  TCloseUpEventEh OnMouseCloseUp;
  TNotifyEvent OnUserKeyValueChange;

 protected:
  void KeyValueChanged() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void Resize() override;

 private:
  bool sizeGripResized_ = false;
  bool userKeyValueChanged_ = false;
  bool keySelection_ = false;
};

// The drop-down window of lookup lists: shows without taking the activation and holds one inner grid.
class TPopupDataGridBoxEh : public TPopupInactiveFormEh {
  KIV_CLASS(TPopupDataGridBoxEh, TPopupInactiveFormEh)
 public:
  explicit TPopupDataGridBoxEh(TComponent* owner);

  TPopupInnerDataGridEh* GetInnerDataGrid() const { return innerDataGrid_; }
  Integer GetRowCount() const { return innerDataGrid_->GetRowCountProp(); }
  // 0 or less gives one row, more than 100 gives 100; the height follows.
  void SetRowCount(Integer value);
  const Variant& GetKeyValue() const { return innerDataGrid_->GetKeyValue(); }
  void SetKeyValue(const Variant& value) { innerDataGrid_->SetKeyValue(value); }
  void SetKeyField(const String& value) { innerDataGrid_->SetKeyField(value); }
  void SetListField(const String& value) { innerDataGrid_->SetListField(value); }
  void SetListFieldIndex(Integer value) { innerDataGrid_->SetListFieldIndex(value); }
  TDataSource* GetListSource() const { return innerDataGrid_->GetListSource(); }
  void SetListSource(TDataSource* value) { innerDataGrid_->SetListSource(value); }
  void SetShowTitles(bool value) { innerDataGrid_->SetShowTitles(value); }
  const String& GetSelectedItem() const { return innerDataGrid_->GetSelectedItem(); }
  void ResetHighlightSubstr(const String& text) { innerDataGrid_->ResetHighlightSubstr(text); }
  Integer GetColumnsWidthToFit() const { return innerDataGrid_->GetColumnsWidthToFit(); }
  // The box becomes that wide (its frame added) when the user sized a column of the grid; right to
  // left it keeps its right edge.
  virtual void SetColResizedControlWidth(Integer newControlWidth);
  // Readies the window handles so that sizes can be measured before the first showing.
  void HandleNeeded();
  // Between these the grid is sized on its own (at 0, 0, not filling the box); the box then takes the
  // grid's height and the grid fills it again.
  void StartInitSize();
  void StopInitSize();
  const String& GetListField() const { return innerDataGrid_->GetListField(); }
  Integer GetListFieldIndex() const { return innerDataGrid_->GetListFieldIndex(); }

  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  void WndProc(TMessage& message) override;

 protected:
  bool DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) override;

 private:
  TPopupInnerDataGridEh* innerDataGrid_ = nullptr;
};

// Registers the lookup lists with the libraries below that drop them down (the axis grid's data-list
// box). Call once at program start, after the grid library's own initialisation.
void InitializeLookupGridsEh();
