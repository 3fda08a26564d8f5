// The class library's grids: TCustomGrid (cells drawn on the canvas, fixed rows and columns, scroll
// bars in the non-client margin, keyboard and mouse selection, column and row sizing, in-place
// editing), TDrawGrid and TStringGrid.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/classes/StringList.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Mask.h"

KIV_DECLARE_EXCEPTION(EInvalidGridOperation, Exception);

inline constexpr const Char* SGridIndexOutOfRange = u"Grid index out of range";
inline constexpr const Char* SFixedColTooBig = u"Fixed column count must be less than column count";
inline constexpr const Char* SFixedRowTooBig = u"Fixed row count must be less than row count";
inline constexpr const Char* SInvalidStringGridOp = u"Cannot insert or delete rows from grid";

struct TGridCoord {
  Integer X = 0;
  Integer Y = 0;
  friend constexpr bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// Inclusive column and row indexes.
struct TGridRect {
  Integer Left = 0;
  Integer Top = 0;
  Integer Right = 0;
  Integer Bottom = 0;
  friend constexpr bool operator==(const TGridRect&, const TGridRect&) = default;
};

inline TGridRect GridRect(TGridCoord a, TGridCoord b) {
  return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}
inline bool PointInGridRect(Integer col, Integer row, const TGridRect& r) {
  return col >= r.Left && col <= r.Right && row >= r.Top && row <= r.Bottom;
}

enum TGridOption {
  goFixedVertLine,
  goFixedHorzLine,
  goVertLine,
  goHorzLine,
  goRangeSelect,
  goDrawFocusSelected,
  goRowSizing,
  goColSizing,
  goRowMoving,
  goColMoving,
  goEditing,
  goTabs,
  goRowSelect,
  goAlwaysShowEditor,
  goThumbTracking,
};
using TGridOptions = TSet<TGridOption>;

// gdCurrent is set only by the grid library's grids, which share these cell states.
enum TGridDrawStateFlag { gdSelected, gdFocused, gdCurrent, gdFixed, gdRowSelected, gdHotTrack, gdPressed };
using TGridDrawState = TSet<TGridDrawStateFlag>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

class TCustomGrid;

using TSelectCellEvent = TDelegate<void(TObject* Sender, Integer ACol, Integer ARow, bool& CanSelect)>;
using TDrawCellEvent =
    TDelegate<void(TObject* Sender, Integer ACol, Integer ARow, const TRect& Rect, TGridDrawState State)>;
using TGetEditEvent = TDelegate<void(TObject* Sender, Integer ACol, Integer ARow, String& Value)>;
using TSetEditEvent = TDelegate<void(TObject* Sender, Integer ACol, Integer ARow, const String& Value)>;
using TMovedEvent = TDelegate<void(TObject* Sender, Integer FromIndex, Integer ToIndex)>;

// The cell editor the grid places over the current cell, a masked edit taking the cell's edit mask:
// Enter keeps the text, Esc gives back what the cell had, arrows and Tab leave the cell through the
// grid.
class TInplaceEdit : public TCustomMaskEdit {
  KIV_CLASS(TInplaceEdit, TCustomMaskEdit)
 public:
  explicit TInplaceEdit(TComponent* owner);
  TCustomGrid* GetGrid() const { return grid_; }
  // Whether the user changed the text since the editor took the cell's text.
  bool GetTextModified() const { return textModified_; }

 protected:
  friend class TCustomGrid;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void Dispatch(TMessage& message) override;
  void Change() override;
  void DoExit() override;
  void CreateParams(TCreateParams& params) override;

 private:
  bool GridKey(Word& key, TShiftState shift);
  TCustomGrid* grid_ = nullptr;
  bool textModified_ = false;
  bool loading_ = false;
};

class TCustomGrid : public TCustomControl {
  KIV_CLASS(TCustomGrid, TCustomControl)
 public:
  explicit TCustomGrid(TComponent* owner);
  ~TCustomGrid() override;

  // ---- Size of the grid ----
  Integer GetColCount() const { return colCount_; }
  void SetColCount(Integer value);
  Integer GetRowCount() const { return rowCount_; }
  void SetRowCount(Integer value);
  Integer GetFixedCols() const { return fixedCols_; }
  // Raises EInvalidGridOperation "Fixed column count must be less than column count".
  void SetFixedCols(Integer value);
  Integer GetFixedRows() const { return fixedRows_; }
  void SetFixedRows(Integer value);
  Integer GetDefaultColWidth() const { return defaultColWidth_; }
  // Gives every column the new width.
  void SetDefaultColWidth(Integer value);
  Integer GetDefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(Integer value);
  // Raise EInvalidGridOperation "Grid index out of range" outside the grid. A size below 0 hides
  // the column or row.
  Integer GetColWidths(Integer index) const;
  void SetColWidths(Integer index, Integer value);
  Integer GetRowHeights(Integer index) const;
  void SetRowHeights(Integer index, Integer value);
  Integer GetGridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(Integer value);
  TGridOptions GetOptions() const { return options_; }
  void SetOptions(TGridOptions value);
  TColor GetFixedColor() const { return fixedColor_; }
  void SetFixedColor(TColor value);
  bool GetDefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool value);

  // ---- Current cell, selection, scrolling ----
  Integer GetCol() const { return current_.X; }
  void SetCol(Integer value);
  Integer GetRow() const { return current_.Y; }
  void SetRow(Integer value);
  TGridRect GetSelection() const;
  void SetSelection(const TGridRect& value);
  Integer GetTopRow() const { return topLeft_.Y; }
  void SetTopRow(Integer value);
  Integer GetLeftCol() const { return topLeft_.X; }
  void SetLeftCol(Integer value);
  // Columns and rows of the scrolling area that are fully visible.
  Integer GetVisibleColCount() const;
  Integer GetVisibleRowCount() const;
  Integer GetGridWidth() const;
  Integer GetGridHeight() const;

  // ---- Geometry ----
  // The cell's rectangle in client coordinates (lines excluded); empty when the cell is not shown.
  TRect CellRect(Integer ACol, Integer ARow) const;
  // The cell under a client point; -1, -1 when there is none.
  TGridCoord MouseCoord(Integer X, Integer Y) const;
  void MouseToCell(Integer X, Integer Y, Integer& ACol, Integer& ARow) const;

  // ---- Editing ----
  bool GetEditorMode() const { return editorMode_; }
  void SetEditorMode(bool value);
  TInplaceEdit* GetInplaceEditor() const { return inplaceEdit_; }
  void ShowEditor();
  // Writes the editor's text into the cell and hides it.
  void HideEditor();
  // Hides the editor giving the cell back its text, nothing written.
  void CancelEditor();
  virtual String GetEditMask(Integer ACol, Integer ARow);
  virtual String GetEditText(Integer ACol, Integer ARow);
  virtual void SetEditText(Integer ACol, Integer ARow, const String& Value);

  TSelectCellEvent OnSelectCell;
  TDrawCellEvent OnDrawCell;
  TNotifyEvent OnTopLeftChanged;
  TGetEditEvent OnGetEditMask;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;

 protected:
  friend class TInplaceEdit;

  // ---- Hooks of descendants ----
  virtual void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState);
  virtual bool SelectCell(Integer ACol, Integer ARow);
  virtual void TopLeftChanged();
  virtual bool CanEditShow() const;
  virtual bool CanEditModify();
  virtual bool CanEditAcceptKey(Char key) const;
  virtual TInplaceEdit* CreateEditor();
  virtual void ColumnMoved(Integer fromIndex, Integer toIndex);
  virtual void RowMoved(Integer fromIndex, Integer toIndex);
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  virtual void SizeChanged(Integer oldColCount, Integer oldRowCount);
  // Whether the selection is drawn while another control has the focus.
  virtual bool ShowsSelectionUnfocused() const { return true; }
  // Whether the cell is drawn highlighted.
  virtual bool IsCellHighlighted(Integer ACol, Integer ARow, TGridDrawState state) const;
  // The vertical scroll bar's range and position; a data grid answers its dataset's.
  virtual void GetVertScrollInfo(Integer& min, Integer& max, Integer& page, Integer& pos) const;
  virtual bool ForceVertScrollBar() const;
  bool ShowsVertScrollBar() const;
  // Enter and Esc in the in-place editor.
  virtual void EditorEnter();
  virtual void EditorEscape();
  virtual void VertScroll(Integer code, Integer pos);
  void HorzScroll(Integer code, Integer pos);

  // ---- Movement ----
  // Makes the cell current after SelectCell agrees; moveAnchor false extends the selection.
  bool MoveCurrent(Integer ACol, Integer ARow, bool moveAnchor, bool show);
  void FocusCell(Integer ACol, Integer ARow, bool moveAnchor);
  void MoveTopLeft(Integer ALeft, Integer ATop);
  void ClampInView(TGridCoord coord);
  void InvalidateCell(Integer ACol, Integer ARow);
  void InvalidateRow(Integer ARow);
  void InvalidateCol(Integer ACol);
  void InvalidateGrid() { Invalidate(); }
  void InvalidateEditor();
  // Puts the editor over the current cell again (after a scroll or a size change).
  void UpdateEditPosition();
  void UpdateText();
  // The editor's text when it took the cell, for Esc.
  const String& GetEditOriginal() const { return editOriginal_; }
  TGridState GetGridState() const { return gridState_; }
  // Raw count setter for descendants that keep a fixed column count themselves.
  void ChangeSize(Integer newColCount, Integer newRowCount);
  // The grid sizes the fixed cells and lines need before the first scrolling cell.
  Integer FixedWidth() const;
  Integer FixedHeight() const;

  // ---- The control's side ----
  void Paint() override;
  void PaintNonClient(TCanvas* canvas) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  void Resize() override;
  void DoExit() override;
  void DefineProperties(TFiler* filer) override;
  void CreateParams(TCreateParams& params) override;
  void Notification(TComponent* component, TOperation operation) override;
  // For destructors: the editor stops calling back into the grid.
  void DetachEditor();

  // Draws text in a cell as the grids do: two pixels in, clipped, with the alignment.
  void DrawCellText(const TRect& rect, const String& text, TAlignment alignment);

  TGridCoord current_{};
  TGridCoord anchor_{};
  TGridCoord topLeft_{};
  TGridOptions options_;
  bool editorMode_ = false;
  TGridCoord editCell_{-1, -1};

  // Raises EInvalidGridOperation "Grid index out of range" unless 0 <= index < count.
  void CheckIndex(Integer index, Integer count) const;

 private:
  struct Axis {
    Integer fixedCount = 0;
    Integer count = 0;
    Integer first = 0;        // first scrolling cell shown
    Integer fixedLine = 0;    // line width after a fixed cell
    Integer line = 0;         // line width after a scrolling cell
    Integer fixedExtent = 0;  // pixels of the fixed cells with their lines
    Integer clientExtent = 0;
  };
  Axis HorzAxis() const;
  Axis VertAxis() const;
  Integer Extent(bool horz, Integer index) const;
  Integer LineAfter(bool horz, Integer index, Integer line) const;
  // Start pixel of a cell on the axis; -1 when hidden by the scroll position.
  Integer CellStart(const Axis& a, bool horz, Integer index) const;
  Integer CellAt(const Axis& a, bool horz, Integer pos) const;
  Integer LastFullVisible(const Axis& a, bool horz) const;
  // The first cell that puts index last on screen.
  Integer FirstForLast(const Axis& a, bool horz, Integer index) const;
  Integer MaxTopRow() const;
  Integer MaxLeftCol() const;
  void ReadColWidths(TReader* reader);
  void WriteColWidths(TWriter* writer);
  void ReadRowHeights(TReader* reader);
  void WriteRowHeights(TWriter* writer);
  void CalcSizingZone(Integer x, Integer y, TGridState& state, Integer& index) const;
  void PaintLines(const Axis& h, const Axis& v);

  // Scroll bars in the non-client margin.
  enum TBarPart { bpNone, bpLineUp, bpPageUp, bpThumb, bpPageDown, bpLineDown };
  bool HorzBarShown() const;
  TRect BarRect(bool vert) const;
  TBarPart BarHit(bool vert, TPoint client, Integer& thumbOffset) const;
  TRect ThumbRect(bool vert) const;
  void GetHorzScrollInfo(Integer& min, Integer& max, Integer& page, Integer& pos) const;
  void PaintBar(TCanvas* canvas, bool vert, TPoint origin);
  bool BarMouse(TMessage& message);
  mutable bool vertBar_ = false;
  mutable bool horzBar_ = false;

  Integer colCount_ = 5;
  Integer rowCount_ = 5;
  Integer fixedCols_ = 1;
  Integer fixedRows_ = 1;
  Integer defaultColWidth_ = 64;
  Integer defaultRowHeight_ = 24;
  std::vector<Integer> colWidths_;
  std::vector<Integer> rowHeights_;
  Integer gridLineWidth_ = 1;
  TColor fixedColor_ = clBtnFace;
  bool defaultDrawing_ = true;
  TInplaceEdit* inplaceEdit_ = nullptr;
  String editOriginal_;
  TGridState gridState_ = gsNormal;
  Integer sizingIndex_ = 0;
  Integer sizingStart_ = 0;  // pixel where the sized cell starts
  Integer moveFrom_ = -1;
  TPoint movePress_;
  bool moveStarted_ = false;
  // Scroll bar dragging.
  bool barVert_ = false;
  TBarPart barPart_ = bpNone;
  Integer barThumbOffset_ = 0;
};

class TDrawGrid : public TCustomGrid {
  KIV_CLASS(TDrawGrid, TCustomGrid)
 public:
  explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}
  static void Published(TPropBuilder<TDrawGrid>& p);
};

class TStringGrid;

// A column or row of a string grid seen as a string list.
class TStringGridStrings : public TStrings {
  KIV_CLASS(TStringGridStrings, TStrings)
 public:
  TStringGridStrings(TStringGrid* grid, bool isCol, Integer index)
      : grid_(grid), isCol_(isCol), index_(index) {}
  String Get(int index) const override;
  int GetCount() const override;
  TObject* GetObject(int index) const override;
  void Put(int index, const String& s) override;
  void PutObject(int index, TObject* object) override;
  void Clear() override;
  // The grid's rows and columns do not move: these raise "Cannot insert or delete rows from grid".
  void Delete(int index) override;
  void Insert(int index, const String& s) override;
  // Fills the first empty cell.
  int Add(const String& s) override;
  int AddObject(const String& s, TObject* object) override;

 private:
  TGridCoord Coord(int index) const;
  TStringGrid* grid_;
  bool isCol_;
  Integer index_;
};

class TStringGrid : public TDrawGrid {
  KIV_CLASS(TStringGrid, TDrawGrid)
 public:
  explicit TStringGrid(TComponent* owner);
  ~TStringGrid() override;
  static void Published(TPropBuilder<TStringGrid>& p);

  // Cells may be written outside the grid's size; they show once the grid grows over them.
  String GetCells(Integer ACol, Integer ARow) const;
  void SetCells(Integer ACol, Integer ARow, const String& value);
  TObject* GetObjects(Integer ACol, Integer ARow) const;
  void SetObjects(Integer ACol, Integer ARow, TObject* value);
  TStrings* GetCols(Integer index);
  void SetCols(Integer index, TStrings* value);
  TStrings* GetRows(Integer index);
  void SetRows(Integer index, TStrings* value);

  String GetEditText(Integer ACol, Integer ARow) override;
  void SetEditText(Integer ACol, Integer ARow, const String& Value) override;

 protected:
  void DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState) override;
  void ColumnMoved(Integer fromIndex, Integer toIndex) override;
  void RowMoved(Integer fromIndex, Integer toIndex) override;
  void SizeChanged(Integer oldColCount, Integer oldRowCount) override;

 private:
  struct Cell {
    String text;
    TObject* object = nullptr;
  };
  using Key = std::pair<Integer, Integer>;  // row, column
  void CheckCell(Integer ACol, Integer ARow) const;
  void MoveLine(bool cols, Integer fromIndex, Integer toIndex);

  std::map<Key, Cell> cells_;
  std::map<std::pair<bool, Integer>, std::unique_ptr<TStringGridStrings>> lines_;
};
