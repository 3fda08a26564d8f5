// The class library's data grid: TCustomDBGrid and TDBGrid over a data source, with columns bound to
// fields, titles, the indicator column, editing through the in-place editor and multi-row selection.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Collection.h"
#include "platform/controls/Grids.h"
#include "platform/data/DataSource.h"
#include "platform/dbctrls/DBGridTypes.h"

class TCustomDBGrid;
class TColumn;

enum TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };

using TDrawColumnCellEvent = TDelegate<void(TObject* Sender, const TRect& Rect, Integer DataCol,
                                            TColumn* Column, TGridDrawState State)>;
using TDrawDataCellEvent =
    TDelegate<void(TObject* Sender, const TRect& Rect, TField* Field, TGridDrawState State)>;
using TDBGridClickEvent = TDelegate<void(TColumn* Column)>;

// A column's title: caption, alignment, font and colour, each following the grid until set.
class TColumnTitle : public TPersistent {
  KIV_CLASS(TColumnTitle, TPersistent)
 public:
  explicit TColumnTitle(TColumn* column);
  ~TColumnTitle() override;
  static void Published(TPropBuilder<TColumnTitle>& p);

  // The field's display label until a caption is set.
  String GetCaption() const;
  void SetCaption(const String& value);
  bool IsCaptionStored() const { return captionSet_; }
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TFont* GetFont() const;
  void SetFont(TFont* value);
  bool IsFontStored() const { return fontSet_; }
  TColor GetColor() const;
  void SetColor(TColor value);
  bool IsColorStored() const { return colorSet_; }
  void RestoreDefaults();
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;
  TColumn* GetColumn() const { return column_; }

 private:
  void FontChanged(TObject* sender);
  TColumn* column_;
  String caption_;
  bool captionSet_ = false;
  TAlignment alignment_ = taLeftJustify;
  std::unique_ptr<TFont> font_;
  bool fontSet_ = false;
  bool settingFont_ = false;
  TColor color_ = clBtnFace;
  bool colorSet_ = false;
};

class TColumn : public TCollectionItem {
  KIV_CLASS(TColumn, TCollectionItem)
 public:
  explicit TColumn(TCollection* collection);
  ~TColumn() override;
  static void Published(TPropBuilder<TColumn>& p);

  TCustomDBGrid* GetGrid() const;
  const String& GetFieldName() const { return fieldName_; }
  void SetFieldName(const String& value);
  // The dataset's field of FieldName; null while the dataset is closed or has no such field.
  TField* GetField() const;
  void SetField(TField* value);
  TColumnTitle* GetTitle() const { return title_.get(); }
  void SetTitle(TColumnTitle* value) { title_->Assign(value); }
  // The field's display width in characters of the grid's font until a width is set.
  Integer GetWidth() const;
  void SetWidth(Integer value);
  bool IsWidthStored() const { return widthSet_; }
  bool GetVisible() const { return visible_; }
  void SetVisible(bool value);
  TAlignment GetAlignment() const;
  void SetAlignment(TAlignment value);
  bool IsAlignmentStored() const { return alignmentSet_; }
  bool GetReadOnly() const;
  void SetReadOnly(bool value);
  TColor GetColor() const;
  void SetColor(TColor value);
  bool IsColorStored() const { return colorSet_; }
  TFont* GetFont() const;
  void SetFont(TFont* value);
  bool IsFontStored() const { return fontSet_; }
  TStrings* GetPickList() const { return pickList_.get(); }
  void SetPickList(TStrings* value) { pickList_->Assign(value); }
  TColumnButtonStyle GetButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TColumnButtonStyle value);
  Integer GetDropDownRows() const { return dropDownRows_; }
  void SetDropDownRows(Integer value) { dropDownRows_ = value; }
  // Columns made by the grid from the fields are not stored in form resources.
  bool IsStored() const { return stored_; }
  void SetStored(bool value) { stored_ = value; }
  void RestoreDefaults();
  void Assign(TPersistent* source) override;
  String GetDisplayName() const override;

  // The grid tells its columns when its font or colour change.
  void GridChanged();

 private:
  friend class TColumnTitle;
  void FontChanged(TObject* sender);
  void Changed() { TCollectionItem::Changed(false); }

  String fieldName_;
  mutable TField* field_ = nullptr;
  std::unique_ptr<TColumnTitle> title_;
  Integer width_ = 64;
  bool widthSet_ = false;
  bool visible_ = true;
  TAlignment alignment_ = taLeftJustify;
  bool alignmentSet_ = false;
  bool readOnly_ = false;
  TColor color_ = clWindow;
  bool colorSet_ = false;
  std::unique_ptr<TFont> font_;
  bool fontSet_ = false;
  bool settingFont_ = false;
  std::unique_ptr<TStrings> pickList_;
  TColumnButtonStyle buttonStyle_ = cbsAuto;
  Integer dropDownRows_ = 7;
  bool stored_ = true;
};

class TDBGridColumns : public TCollection {
  KIV_CLASS(TDBGridColumns, TCollection)
 public:
  explicit TDBGridColumns(TCustomDBGrid* grid);
  TCustomDBGrid* GetGrid() const { return grid_; }
  TPersistent* GetOwner() const override;
  // A column added to default columns turns them into persistent ones: the default ones go first.
  TColumn* Add();
  TColumn* GetItem(int index) const { return static_cast<TColumn*>(TCollection::GetItem(index)); }
  TColumn* operator[](int index) const { return GetItem(index); }
  // csDefault: the grid makes one column per visible field; csCustomized: the columns are kept.
  TDBGridColumnsState GetState() const;
  void SetState(TDBGridColumnsState value);
  // Makes the default columns anew from the dataset's fields.
  void RebuildColumns();
  void RestoreDefaults();

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TCustomDBGrid* grid_;
};

// A list of bookmarks of selected rows, kept sorted.
class TBookmarkList {
 public:
  explicit TBookmarkList(TCustomDBGrid* grid) : grid_(grid) {}
  int GetCount() const { return static_cast<int>(list_.size()); }
  int Count() const { return GetCount(); }
  const TBookmark& GetItem(int index) const;
  const TBookmark& operator[](int index) const { return GetItem(index); }
  bool GetCurrentRowSelected() const;
  void SetCurrentRowSelected(bool value);
  bool CurrentRowSelected() const { return GetCurrentRowSelected(); }
  void Clear();
  // Deletes the selected records from the dataset.
  void Delete();
  bool Find(const TBookmark& item, int& index) const;
  int IndexOf(const TBookmark& item) const;
  // Drops bookmarks of records that are gone; answers whether any was dropped.
  bool Refresh();

 private:
  int Compare(const TBookmark& a, const TBookmark& b) const;
  TCustomDBGrid* grid_;
  std::vector<TBookmark> list_;
};

class TCustomDBGrid : public TCustomGrid {
  KIV_CLASS(TCustomDBGrid, TCustomGrid)
 public:
  explicit TCustomDBGrid(TComponent* owner);
  ~TCustomDBGrid() override;
  static void Published(TPropBuilder<TCustomDBGrid>& p);

  TDataSource* GetDataSource() const;
  void SetDataSource(TDataSource* value);
  TDataLink* GetDataLink() const;
  TDBGridColumns* GetColumns() const { return columns_.get(); }
  void SetColumns(TDBGridColumns* value);
  TDBGridOptions GetOptions() const { return dbOptions_; }
  // dgRowSelect takes dgEditing and dgAlwaysShowEditor out of the value.
  void SetOptions(TDBGridOptions value);
  TFont* GetTitleFont() const { return titleFont_.get(); }
  void SetTitleFont(TFont* value);
  bool GetReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  // Index of the current column among the columns; -1 without columns.
  Integer GetSelectedIndex() const;
  void SetSelectedIndex(Integer value);
  TField* GetSelectedField() const;
  void SetSelectedField(TField* value);
  TBookmarkList* GetSelectedRows() const { return selectedRows_.get(); }
  // The fields shown, in column order (hidden columns left out).
  Integer GetFieldCount() const;
  TField* GetFields(Integer index) const;
  Integer GetIndicatorOffset() const { return dbOptions_.Contains(dgIndicator) ? 1 : 0; }
  Integer GetTitleOffset() const { return dbOptions_.Contains(dgTitles) ? 1 : 0; }
  // Whether the grid has the focus (its editor included).
  bool GetFocused() const;

  // Cell drawing in the default way, for OnDrawColumnCell handlers: the cell filled with the
  // canvas's brush and the field's display text drawn with the column's alignment.
  void DefaultDrawColumnCell(const TRect& Rect, Integer DataCol, TColumn* Column, TGridDrawState State);
  void DefaultDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);
  // The grid's columns anew (after the dataset's fields changed).
  void LayoutChanged();

  String GetEditMask(Integer ACol, Integer ARow) override;
  String GetEditText(Integer ACol, Integer ARow) override;
  void SetEditText(Integer ACol, Integer ARow, const String& Value) override;

  TDrawColumnCellEvent OnDrawColumnCell;
  TDrawDataCellEvent OnDrawDataCell;
  TDBGridClickEvent OnTitleClick;
  TDBGridClickEvent OnCellClick;
  TNotifyEvent OnColEnter;
  TNotifyEvent OnColExit;
  TNotifyEvent OnEditButtonClick;

 protected:
  friend class TGridDataLink;
  friend class TDBGridColumns;
  friend class TColumn;
  friend class TBookmarkList;

  // ---- The data link's notices ----
  void LinkActive(bool value);
  void DataChanged();
  void Scrolled(int distance);
  void RecordChanged(TField* field);
  void EditingChanged();
  void UpdateData();

  void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
  bool ShowsSelectionUnfocused() const override { return dbOptions_.Contains(dgAlwaysShowSelection); }
  bool CanEditShow() const override;
  bool CanEditModify() override;
  bool CanEditAcceptKey(Char key) const override;
  void ColumnMoved(Integer fromIndex, Integer toIndex) override;
  void ColWidthsChanged() override;
  void GetVertScrollInfo(Integer& min, Integer& max, Integer& page, Integer& pos) const override;
  bool ForceVertScrollBar() const override;
  void VertScroll(Integer code, Integer pos) override;
  void TopLeftChanged() override;
  void EditorEscape() override;
  void EditorEnter() override;

  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  void Resize() override;
  void DoExit() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Dispatch(TMessage& message) override;

  virtual void ColEnter();
  virtual void ColExit();
  virtual void TitleClick(TColumn* column);
  virtual void CellClick(TColumn* column);
  virtual void DrawColumnCell(const TRect& rect, Integer dataCol, TColumn* column, TGridDrawState state);
  // Drawing the indicator column: the current-row arrow, the edit and insert marks. The row's record
  // is active while it draws; GetDrawActiveRecord is the link's current row.
  virtual void DrawIndicator(const TRect& rect, Integer dataRow);
  Integer GetDrawActiveRecord() const { return drawActiveRecord_; }

  Integer RawToDataColumn(Integer col) const { return col - GetIndicatorOffset(); }
  Integer DataToRawColumn(Integer col) const { return col + GetIndicatorOffset(); }

 private:
  void ApplyOptions();
  void UpdateLayout();
  void UpdateRowCount();
  void SetCurrentColumn(Integer dataCol);
  void MoveCol(Integer rawCol, Integer direction);
  void DeleteWithConfirm();
  void AppendOrMove(int distance);
  Integer VisibleDataRows() const;
  void TitleFontChanged(TObject* sender);
  bool DataActive() const;
  TColumn* ColumnAt(Integer rawCol) const;

  std::unique_ptr<TDataLink> dataLink_;
  std::unique_ptr<TDBGridColumns> columns_;
  std::unique_ptr<TFont> titleFont_;
  std::unique_ptr<TBookmarkList> selectedRows_;
  TDBGridOptions dbOptions_;
  bool readOnly_ = false;
  bool inLayout_ = false;
  bool inData_ = false;
  String editText_;
  bool editModified_ = false;
  TGridCoord titlePress_{-1, -1};
  bool titlePressed_ = false;
  TGridCoord cellPress_{-1, -1};
  Integer drawActiveRecord_ = 0;
};

class TDBGrid : public TCustomDBGrid {
  KIV_CLASS(TDBGrid, TCustomDBGrid)
 public:
  explicit TDBGrid(TComponent* owner) : TCustomDBGrid(owner) {}
  static void Published(TPropBuilder<TDBGrid>& p);
};
