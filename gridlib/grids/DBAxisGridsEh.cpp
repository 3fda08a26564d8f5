// The axis grid's structure: construction, properties, the update and layout locks with the deferred
// layout, the internal layout that keeps the bars and the field map in step with the dataset, the data
// link's notifications and the streaming of the bars.
#include "gridlib/grids/DBAxisGridsEh.h"

#include "gridlib/base/GridLibLangConsts.h"
#include "platform/classes/Streaming.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/ScopeGuard.h"

Integer TAxisBarsEhList::IndexOf(TAxisBarEh* bar) const {
  for (size_t i = 0; i < bars_.size(); ++i)
    if (bars_[i] == bar) return static_cast<Integer>(i);
  return -1;
}

// ======================= Life cycle =======================

TCustomDBAxisGridEh::TCustomDBAxisGridEh(TComponent* owner) : TCustomGridEh(owner) {
  acquireFocus_ = true;
  CreateOwnedParts();
  SetRowCount(2);
  SetColCount(2);
  SetColor(clWindow);
  SetParentColor(false);
  defaultDrawing_ = true;
  interlinear_ = 4;
  dummiFont_ = std::make_unique<TFont>();
  dynProps_ = std::make_unique<TDynVarsEh>(this);
  cellPlaceBoxVisibleList_ = std::make_unique<TCellPlaceBoxVisibleListEh>(this);
  drawPlaceBox_ = std::make_unique<TInCellPlaceBoxEh>();
  border_ = std::make_unique<TControlBorderEh>(this);
}

TCustomDBAxisGridEh::~TCustomDBAxisGridEh() {
  Destroying();
  SetDataSource(nullptr);
  HideEditor();
  colCellParams_.reset();
  axisBars_.reset();
  columnDefValues_.reset();
  visibleAxisBars_.reset();
  dataLink_.reset();
  dynProps_.reset();
}

// A constructor cannot reach a descendant's factories: a descendant whose bars, defaults, cell
// parameters or link are of its own kinds calls this again from its constructor.
void TCustomDBAxisGridEh::CreateOwnedParts() {
  TDataSource* source = dataLink_ ? dataLink_->GetDataSource() : nullptr;
  if (dataLink_) dataLink_->SetDataSource(nullptr);
  axisBars_.reset();
  columnDefValues_.reset(CreateAxisBarDefValues());
  axisBars_.reset(CreateAxisBars());
  visibleAxisBars_.reset(CreateVisibleAxisBars());
  colCellParams_.reset(CreateColCellParams());
  dataLink_.reset(CreateDataLink());
  if (source) dataLink_->SetDataSource(source);
}

void TCustomDBAxisGridEh::CreateWnd() {
  BeginUpdate();
  auto end = MakeScopeExit([this] { ReleaseUpdateLock(); });
  inherited::CreateWnd();
  inplaceEditorButtonWidth_ = GetFlat() ? DefaultEditButtonWidthEh() : GetSystemMetrics(SM_CXVSCROLL);
}

TAxisBarDefValuesEh* TCustomDBAxisGridEh::CreateAxisBarDefValues() {
  return new TCustomColumnDefValuesEh(this);
}
TGridAxisBarsEh* TCustomDBAxisGridEh::CreateAxisBars() {
  return new TGridAxisBarsEh(this, TAxisBarEh::StaticClass());
}
TAxisBarsEhList* TCustomDBAxisGridEh::CreateVisibleAxisBars() { return new TAxisBarsEhList(); }
TAxisColCellParamsEh* TCustomDBAxisGridEh::CreateColCellParams() { return new TAxisColCellParamsEh(); }
TAxisGridDataLinkEh* TCustomDBAxisGridEh::CreateDataLink() { return new TAxisGridDataLinkEh(this); }

// ======================= Properties =======================

void TCustomDBAxisGridEh::SetAllowedOperations(TDBGridEhAllowedOperations value) {
  if (allowedOperations_ == value) return;
  allowedOperations_ = value;
  if (!IsDestroying() && dataLink_) dataLink_->DataEvent(deLayoutChange, 0);
}

TDataSource* TCustomDBAxisGridEh::GetDataSource() const {
  return dataLink_ ? dataLink_->GetDataSource() : nullptr;
}

void TCustomDBAxisGridEh::SetDrawGraphicData(bool value) {
  if (drawGraphicData_ == value) return;
  drawGraphicData_ = value;
  LayoutChanged();
}

void TCustomDBAxisGridEh::SetDrawMemoText(bool value) {
  if (drawMemoText_ == value) return;
  drawMemoText_ = value;
  LayoutChanged();
}

void TCustomDBAxisGridEh::SetReadOnly(bool value) {
  if (readOnly_ == value) return;
  readOnly_ = value;
  Invalidate();
  if (!IsLoading()) {
    UpdateRowHeights();
    DataSetChanged();
  }
}

TField* TCustomDBAxisGridEh::GetSelectedField() {
  const Integer index = GetSelectedIndex();
  if (index < 0 || index >= axisBars_->GetCount()) return nullptr;
  return axisBars_->GetAxisBar(index)->GetField();
}

void TCustomDBAxisGridEh::SetSelectedField(TField* value) {
  if (!value) return;
  for (Integer i = 0; i < axisBars_->GetCount(); ++i)
    if (axisBars_->GetAxisBar(i)->GetField() == value) {
      SetSelectedIndex(i);
      return;
    }
}

void TCustomDBAxisGridEh::SetSelectedIndex(Integer) {
  throw Exception(u" TCustomDBAxisGridEh.SetSelectedIndex must be realized in the inherited class.");
}
TFont* TCustomDBAxisGridEh::GetTitleFont() {
  throw Exception(u"Write TCustomDBAxisGridEh.GetTitleFont in the inherited class");
}
void TCustomDBAxisGridEh::SetTitleFont(TFont*) {
  throw Exception(u"Write TCustomDBAxisGridEh.SetTitleFont in the inherited class");
}

Integer TCustomDBAxisGridEh::GetFieldCount() const { return dataLink_->GetFieldCount(); }
TField* TCustomDBAxisGridEh::GetFields(Integer fieldIndex) const { return dataLink_->GetFields(fieldIndex); }

TAxisBarEh* TCustomDBAxisGridEh::FindFieldColumn(const String& fieldName) const {
  for (Integer i = 0; i < axisBars_->GetCount(); ++i) {
    TAxisBarEh* bar = axisBars_->GetAxisBar(i);
    if (AnsiCompareTextEh(bar->GetFieldName(), fieldName) == 0) return bar;
  }
  return nullptr;
}

TAxisBarEh* TCustomDBAxisGridEh::GetFieldAxisBars(const String& fieldName) const {
  TAxisBarEh* bar = FindFieldColumn(fieldName);
  if (!bar)
    throw EInvalidGridOperationEh(Format(GetGridLibLanguageConsts()->GetFieldNameNotFound(), {fieldName}));
  return bar;
}

bool TCustomDBAxisGridEh::ValidFieldIndex(Integer fieldIndex) const {
  return dataLink_->MappedFieldIndex(fieldIndex) >= 0;
}

bool TCustomDBAxisGridEh::DataSetActive() const {
  return dataLink_ && dataLink_->GetActive() && dataLink_->GetDataSet() &&
         dataLink_->GetDataSet()->GetActive();
}

bool TCustomDBAxisGridEh::IsMouseInRect(const TRect& rect) {
  return mouseInControl_ && PtInRect(rect, moveMousePos_);
}

bool TCustomDBAxisGridEh::InplaceEditorVisible() const { return inplaceEdit_ && inplaceEdit_->Visible(); }

TDBAxisGridInplaceEdit* TCustomDBAxisGridEh::GetAxisInplaceEditor() const {
  return dynamic_cast<TDBAxisGridInplaceEdit*>(inplaceEdit_);
}

void TCustomDBAxisGridEh::StartTimer(Integer interval) {
  if (timerActive_ && timerInterval_ != interval) StopTimer();
  if (!timerActive_) {
    SetTimerActive(true, interval);
    timerInterval_ = interval;
    timerActive_ = true;
  }
}

void TCustomDBAxisGridEh::StopTimer() {
  if (!timerActive_) return;
  SetTimerActive(false, 0);
  timerActive_ = false;
  timerInterval_ = -1;
}

void TCustomDBAxisGridEh::InvalidateGridRect(const TGridRect& rect) {
  if (HandleAllocated()) InvalidateRect(rect);
}

void TCustomDBAxisGridEh::Invalidate() {
  if (IsDestroying()) return;
  if (cellPlaceBoxVisibleList_) cellPlaceBoxVisibleList_->Invalidate();
  inherited::Invalidate();
}

TRect TCustomDBAxisGridEh::CellRect(Integer col, Integer row, bool includeCellLines) {
  TRect rect = TCustomGridEh::CellRect(col, row);
  if (!includeCellLines) {
    if (IsCellBorderVisible(col, row, cbtRightEh) && rect.Width() >= GetColWidths(col)) {
      if (GetCanvasRightToLeftReflected())
        rect.Left += GetGridLineWidth();
      else
        rect.Right -= GetGridLineWidth();
    }
    if (IsCellBorderVisible(col, row, cbtBottomEh)) rect.Bottom -= GetGridLineWidth();
  }
  return rect;
}

TRect TCustomDBAxisGridEh::CellRectAbs(Integer col, Integer row, bool includeCellLines) {
  TRect rect = CellRectUnclipped(col, row);
  if (!includeCellLines) {
    if (IsCellBorderVisible(col, row, cbtRightEh)) rect.Right -= GetGridLineWidth();
    if (IsCellBorderVisible(col, row, cbtBottomEh)) rect.Bottom -= GetGridLineWidth();
  }
  return rect;
}

void TCustomDBAxisGridEh::GetCellEditorRect(Integer col, Integer row, TRect& rect, TAxisBarEh*) {
  rect = CellRectAbs(col, row, false);
}

void TCustomDBAxisGridEh::GetBarCell(TAxisBarEh*, Integer& col, Integer& row) {
  col = GetCol();
  row = GetRow();
}

void TCustomDBAxisGridEh::GetMouseDownInfo(TPoint& pos, Integer& time) {
  pos = ClientToScreen(downMousePos_);
  time = downMouseMessageTime_;
  downMouseMessageTime_ = 0;
}

bool TCustomDBAxisGridEh::HasFocusWithin() {
  if (!HandleAllocated()) return false;
  for (TWinControl* c = FindControl(GetFocus()); c; c = c->GetParent())
    if (c == this) return true;
  return false;
}

bool TCustomDBAxisGridEh::IsUserMessagePending(LPARAM value) {
  if (!HandleAllocated()) return false;
  TMsg msg;
  if (!PeekMessage(&msg, GetHandle(), WM_USER, WM_USER, PM_NOREMOVE)) return false;
  return msg.wParam == reinterpret_cast<WPARAM>(GetHandle()) && msg.lParam == value;
}

void TCustomDBAxisGridEh::InvalidateSelection() {
  Invalidate();
  selectionActive_ = HasFocusWithin();
}

void TCustomDBAxisGridEh::FillFieldList(std::vector<TField*>& list) {
  TDataSet* ds = dataLink_->GetDataSet();
  if (!ds) return;
  for (Integer i = 0; i < ds->GetFields()->GetCount(); ++i) list.push_back(ds->GetFields()->GetField(i));
}

void TCustomDBAxisGridEh::EditButtonClick(TAxisBarEh*, TEditButtonEh*) {
  if (OnEditButtonClick) OnEditButtonClick(this);
}

// ======================= Locks =======================

void TCustomDBAxisGridEh::BeginUpdate() {
  if (updateLock_ == 0) layoutChangedInUpdateLock_ = false;
  ++updateLock_;
}

void TCustomDBAxisGridEh::ReleaseUpdateLock() {
  if (updateLock_ > 0) --updateLock_;
}

void TCustomDBAxisGridEh::EndUpdate() {
  if (updateLock_ > 0) --updateLock_;
  if (updateLock_ == 0 && layoutChangedInUpdateLock_ && !IsDestroying()) {
    layoutChangedInUpdateLock_ = false;
    LayoutChanged();
  }
  if (updateLock_ == 0 && !IsDestroying()) UpdateLockReleased();
}

void TCustomDBAxisGridEh::BeginLayout() {
  BeginUpdate();
  if (layoutLock_ == 0) axisBars_->BeginUpdate();
  ++layoutLock_;
}

void TCustomDBAxisGridEh::EndLayout() {
  if (layoutLock_ == 0) return;
  TryFinally(
      [this] {
        if (layoutLock_ == 1) InternalLayout();
      },
      [this] {
        if (layoutLock_ == 1) {
          axisBars_->EndUpdate();
          layoutChangedInUpdateLock_ = false;
        }
        --layoutLock_;
        EndUpdate();
      });
  if (!IsDestroying()) UpdateBoundaries();
}

bool TCustomDBAxisGridEh::AcquireLayoutLock() {
  if (updateLock_ != 0 || layoutLock_ != 0) return false;
  BeginLayout();
  return true;
}

void TCustomDBAxisGridEh::LayoutChanged() {
  if (AcquireLayoutLock())
    EndLayout();
  else if (updateLock_ > 0)
    layoutChangedInUpdateLock_ = true;
}

// The layout is asked for again from the message queue. The locks stay with whoever holds them: the
// holder's own release lays out (or the message does, once the locks are free).
void TCustomDBAxisGridEh::DeferLayout() {
  if (!HandleAllocated()) return;
  if (!IsMessagePending(GetHandle(), WM_AXISGRID_DEFERLAYOUT))
    PostMessage(GetHandle(), WM_AXISGRID_DEFERLAYOUT, reinterpret_cast<WPARAM>(GetActivePopupList()), 0);
}

void TCustomDBAxisGridEh::Loaded() {
  inherited::Loaded();
  LayoutChanged();
  DeferLayout();
}

// ======================= Internal layout =======================

void TCustomDBAxisGridEh::InternalLayout() {
  if (IsLoading() || IsDestroying()) return;
  if (HandleAllocated()) RemovePendingMessage(GetHandle(), WM_AXISGRID_DEFERLAYOUT);
  LockPaint();
  auto unlock = MakeScopeExit([this] { UnlockPaint(); });
  ++layoutCount_;
  TGridAxisBarsEh* bars = axisBars_.get();
  // Stored bars never stay mixed with default bars.
  bool defaultMet = false;
  for (Integer i = 0; i < bars->GetCount(); ++i) {
    TAxisBarEh* bar = bars->GetAxisBar(i);
    if (bar->IsDefaultBar()) {
      defaultMet = true;
    } else if (defaultMet) {
      for (Integer j = bars->GetCount() - 1; j >= 0; --j)
        if (bars->GetAxisBar(j)->IsDefaultBar()) bars->Delete(j);
      break;
    }
  }
  dataLink_->ClearMapping();
  if (dataLink_->GetActive()) UpdateFieldMap();
  if (bars->GetState() == csCustomized) {
    BindBarsToFields();
  } else {
    if (dataLink_->GetActive() || !dataLink_->GetDefaultFields()) {
      for (Integer i = bars->GetCount() - 1; i >= 0; --i) {
        TField* f = bars->GetAxisBar(i)->GetField();
        bool mapped = false;
        for (Integer k = 0; f && k < dataLink_->GetFieldCount() && !mapped; ++k)
          mapped = dataLink_->GetFields(k) == f;
        if (!mapped) bars->Delete(i);
      }
    } else {
      bars->Clear();
    }
    if (bars->BarsFollowFields()) {
      Integer n = dataLink_->GetFieldCount();
      if (n == 0 && bars->GetCount() == 0) n = 1;
      for (Integer i = 0; i < n; ++i) {
        TField* f = dataLink_->GetFields(i);
        TAxisBarEh* bar = nullptr;
        if (f) {
          for (Integer j = i; j < bars->GetCount() && !bar; ++j)
            if (bars->GetAxisBar(j)->GetField() == f) bar = bars->GetAxisBar(j);
          if (!bar) {
            bar = bars->AddDefaultBar();
            bar->SetField(f);
          }
        } else {
          bar = bars->AddDefaultBar();
        }
        // The bars stand in field order; moving a bar here must not move its field.
        bar->TCollectionItem::SetIndex(i);
      }
    } else if (!bars->KeepBarsOnLayout()) {
      bars->Clear();
      for (Integer i = 0; i < dataLink_->GetFieldCount(); ++i)
        bars->AddDefaultBar()->SetField(dataLink_->GetFields(i));
    } else if (bars->GetCount() == 0) {
      bars->AddDefaultBar();
    }
  }
  visibleAxisBars_->Clear();
}

void TCustomDBAxisGridEh::UpdateFieldMap() {
  TGridAxisBarsEh* bars = axisBars_.get();
  if (bars->GetState() == csCustomized) {
    dataLink_->SetSparseMap(true);
    for (Integer i = 0; i < bars->GetCount(); ++i) dataLink_->AddMapping(bars->GetAxisBar(i)->GetFieldName());
  } else {
    dataLink_->SetSparseMap(false);
    TDataSet* ds = dataLink_->GetDataSet();
    for (Integer i = 0; ds && i < ds->GetFields()->GetCount(); ++i) {
      TField* f = ds->GetFields()->GetField(i);
      if (f->GetVisible()) dataLink_->AddMapping(f->GetFieldName());
    }
  }
}

void TCustomDBAxisGridEh::BindBarsToFields() {
  const bool bind = dataLink_->GetActive() || !dataLink_->GetDefaultFields();
  for (Integer i = 0; i < axisBars_->GetCount(); ++i) {
    TAxisBarEh* bar = axisBars_->GetAxisBar(i);
    if (bind)
      bar->BindField();
    else
      bar->SetField(nullptr);
  }
}

// ======================= Data link notifications =======================

void TCustomDBAxisGridEh::LinkActive(bool active) {
  if (IsDestroying()) return;
  if (!active) HideEditor();
  LayoutChanged();
  if (active && IsDataEditMode() && GetOptions().Contains(goAlwaysShowEditorEh)) ShowEditor();
  if (!IsLoading()) axisBars_->ActiveChanged();
}

void TCustomDBAxisGridEh::RecordChanged(TField* field) {
  if (!HandleAllocated()) return;
  if (field) {
    for (Integer i = 0; i < axisBars_->GetCount(); ++i) {
      TAxisBarEh* bar = axisBars_->GetAxisBar(i);
      bar->DataFieldChanged(field);
      if (bar->GetField() == field) InvalidateRow(GetRow());
    }
  } else {
    Invalidate();
  }
  TField* selected = GetSelectedField();
  if ((!field || field == selected) && selected) {
    const Integer index = GetSelectedIndex();
    TAxisBarEh* bar = index >= 0 && index < axisBars_->GetCount() ? axisBars_->GetAxisBar(index) : nullptr;
    String text;
    if (IsMemoFieldTypeEh(selected->GetDataType()) && drawMemoText_)
      text = AdjustLineBreaks(selected->GetAsString());
    else if (bar && bar->GetBarType() == ctKeyPickList)
      text = bar->DisplayText();
    else if (bar)
      text = bar->EditText();
    if (text != editText_) {
      InvalidateEditor();
      if (inplaceEdit_) inplaceEdit_->Deselect();
    }
  }
}

void TCustomDBAxisGridEh::EditingChanged() {
  if (IsDestroying()) return;
  TDataSource* source = GetDataSource();
  if (!source || !source->GetDataSet()) return;
  if (source->GetDataSet()->GetState() == dsBrowse && dataLink_->GetLastDataSetState() == dsEdit)
    for (Integer i = 0; i < axisBars_->GetCount(); ++i) axisBars_->GetAxisBar(i)->DataFieldChanged(nullptr);
}

// ======================= Data source and removal =======================

void TCustomDBAxisGridEh::SetDataSource(TDataSource* value) {
  if (!dataLink_ || value == dataLink_->GetDataSource()) return;
  dataLink_->SetDataSource(value);
  if (value) value->FreeNotification(this);
}

void TCustomDBAxisGridEh::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove || !axisBars_) return;
  if (auto* menu = dynamic_cast<TPopupMenu*>(component)) {
    for (Integer i = 0; i < axisBars_->GetCount(); ++i) {
      TAxisBarEh* bar = axisBars_->GetAxisBar(i);
      if (bar->GetPopupMenuProp() == menu) bar->SetPopupMenu(nullptr);
      if (bar->GetTitle()->GetPopupMenu() == menu) bar->GetTitle()->SetPopupMenu(nullptr);
    }
  } else if (auto* images = dynamic_cast<TCustomImageList*>(component)) {
    for (Integer i = 0; i < axisBars_->GetCount(); ++i)
      if (axisBars_->GetAxisBar(i)->GetImageList() == images) axisBars_->GetAxisBar(i)->SetImageList(nullptr);
  } else if (auto* source = dynamic_cast<TDataSource*>(component)) {
    for (Integer i = 0; i < axisBars_->GetCount(); ++i)
      if (axisBars_->GetAxisBar(i)->GetDropDownBox()->GetListSource() == source)
        axisBars_->GetAxisBar(i)->GetDropDownBox()->SetListSource(nullptr);
    if (dataLink_ && source == dataLink_->GetDataSource()) SetDataSource(nullptr);
  } else if (auto* field = dynamic_cast<TField*>(component); field && dataLink_) {
    TDataSet* ds = dataLink_->GetDataSet();
    if (ds && ds->ControlsDisabled()) {
      for (Integer i = 0; i < axisBars_->GetCount(); ++i)
        if (axisBars_->GetAxisBar(i)->field_ == field) axisBars_->GetAxisBar(i)->field_ = nullptr;
      return;
    }
    BeginLayout();
    auto end = MakeScopeExit([this, ds] {
      if (!ds)
        DeferLayout();
      else
        EndLayout();
    });
    for (Integer i = 0; i < axisBars_->GetCount(); ++i)
      if (axisBars_->GetAxisBar(i)->field_ == field) axisBars_->GetAxisBar(i)->SetField(nullptr);
  }
}

// ======================= Streaming =======================

void TCustomDBAxisGridEh::DefineProperties(TFiler* filer) {
  inherited::DefineProperties(filer);
  String name;
  GetBarsPropertyName(name);
  bool write = false;
  if (auto* ancestor = dynamic_cast<TCustomDBAxisGridEh*>(filer->GetAncestor())) {
    TGridAxisBarsEh* theirs = ancestor->GetAxisBars();
    write = theirs->GetState() != axisBars_->GetState() || theirs->GetCount() != axisBars_->GetCount();
  } else {
    write = axisBars_->GetState() == csCustomized;
  }
  filer->DefineProperty(name, TReaderProc(this, &TCustomDBAxisGridEh::ReadBars),
                        TWriterProc(this, &TCustomDBAxisGridEh::WriteBars), write);
}

void TCustomDBAxisGridEh::ReadBars(TReader* reader) {
  axisBars_->Clear();
  reader->ReadValue();
  reader->ReadCollection(axisBars_.get());
}

void TCustomDBAxisGridEh::WriteBars(TWriter* writer) { writer->WriteCollection(axisBars_.get()); }

// ======================= Cells, editor and windows =======================

bool TCustomDBAxisGridEh::CanEditShow() {
  if (layoutLock_ > 0 || !inherited::CanEditShow()) return false;
  const Integer index = GetSelectedIndex();
  return index >= 0 && index < axisBars_->GetCount() && dataLink_->GetActive() &&
         axisBars_->GetAxisBar(index)->GetEffectiveTextEditing();
}

Integer TCustomDBAxisGridEh::GetEditLimit() {
  const Integer index = GetSelectedIndex();
  if (index >= 0 && index < axisBars_->GetCount() && axisBars_->GetAxisBar(index)->HasKeyListItems())
    return 0;
  TField* f = GetSelectedField();
  if (f && (f->GetDataType() == ftString || f->GetDataType() == ftWideString)) return f->GetSize();
  return 0;
}

String TCustomDBAxisGridEh::GetEditMask(Integer, Integer) {
  return u"Must be rewrited in the inherited class";
}
String TCustomDBAxisGridEh::GetEditText(Integer, Integer) {
  return u"Must be rewrited in the inherited class";
}
void TCustomDBAxisGridEh::SetEditText(Integer, Integer, const String& value) { editText_ = value; }

void TCustomDBAxisGridEh::CurrentCellMoved(TGridCoord oldCurrent) {
  inherited::CurrentCellMoved(oldCurrent);
  PlaceEditButtonsBox();
}

void TCustomDBAxisGridEh::ScrollPosChanged(Int64 oldLeftPos, Int64 oldTopPos) {
  inherited::ScrollPosChanged(oldLeftPos, oldTopPos);
  PlaceEditButtonsBox();
}

void TCustomDBAxisGridEh::FlatChanged() { interlinear_ = GetFlat() ? 2 : 4; }

void TCustomDBAxisGridEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  downMousePos_ = TPoint(x, y);
  downMouseMessageTime_ = static_cast<Integer>(GetMessageTime());
  if (InCellMouseDown(button, shift, x, y)) return;
  inherited::MouseDown(button, shift, x, y);
}

void TCustomDBAxisGridEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  moveMousePos_ = TPoint(x, y);
  inherited::MouseMove(shift, x, y);
}

void TCustomDBAxisGridEh::DoEnter() {
  inherited::DoEnter();
  InvalidateSelection();
}

void TCustomDBAxisGridEh::DoExit() {
  inherited::DoExit();
  InvalidateSelection();
}

// The boxes of the visible cells are laid out afresh for each paint: widths, rows and scrolling all
// change them, and the mouse looks them up between paints.
void TCustomDBAxisGridEh::Paint() {
  cellPlaceBoxVisibleList_->Invalidate();
  cellPlaceBoxVisibleList_->ValidateBuffer();
  inherited::Paint();
}

void TCustomDBAxisGridEh::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_AXISGRID_DEFERLAYOUT:
      if (AcquireLayoutLock())
        EndLayout();
      else
        DeferLayout();
      return;
    case WM_ERASEBKGND:
      message.Result = 1;
      return;
    case WM_NCCALCSIZE: {
      inherited::WndProc(message);
      TRect& r = reinterpret_cast<TWMNCCalcSize&>(message).CalcSize_Params->rgrc[0];
      const TEdgeBordersEh edges = border_ ? border_->GetEdgeBorders() : TEdgeBordersEh{};
      if (edges.Contains(ebLeftEh)) r.Left += ownBorderWidth_;
      if (edges.Contains(ebTopEh)) r.Top += ownBorderWidth_;
      if (edges.Contains(ebRightEh)) r.Right -= ownBorderWidth_;
      if (edges.Contains(ebBottomEh)) r.Bottom -= ownBorderWidth_;
      return;
    }
    case WM_USER:
      // A drop-down form of a cell button closed; the message only had to wait in the queue.
      if (HandleAllocated() && message.WParam == reinterpret_cast<WPARAM>(GetHandle())) return;
      break;
    case WM_CANCELMODE:
      inherited::WndProc(message);
      ReleaseInCellPress();
      return;
    case CM_WANTSPECIALKEY:
      inherited::WndProc(message);
      if (message.WParam == VK_ESCAPE && dataLink_->GetActive() && dataLink_->GetDataSet()->GetModified())
        message.Result = 1;
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      inherited::WndProc(message);
      if (message.Msg == WM_KILLFOCUS && IsDestroying()) return;
      if (HasFocusWithin() != selectionActive_) InvalidateSelection();
      return;
    case CM_FONTCHANGED: {
      inherited::WndProc(message);
      BeginLayout();
      auto end = MakeScopeExit([this] { EndLayout(); });
      for (Integer i = 0; i < axisBars_->GetCount(); ++i) {
        axisBars_->GetAxisBar(i)->RefreshDefaultFont();
        axisBars_->GetAxisBar(i)->GetTitle()->RefreshDefaultFont();
      }
      return;
    }
    default:
      break;
  }
  inherited::WndProc(message);
}

// Bars keep their own font sizes, scaled like the grid's: an assigned font is the bar's own choice.
bool TCustomDBAxisGridEh::ChangeScaleFont(Integer m, Integer d) {
  if (m == d) return false;
  axisBars_->BeginUpdate();
  auto end = MakeScopeExit([this] { axisBars_->EndUpdate(); });
  for (Integer i = 0; i < axisBars_->GetCount(); ++i) {
    TAxisBarEh* bar = axisBars_->GetAxisBar(i);
    if (bar->GetAssignedValues().Contains(cvFont)) {
      TFont* f = bar->GetFont();
      f->SetSize(MulDiv(f->GetSize(), m, d));
    }
    if (bar->GetAssignedValues().Contains(cvTitleFont)) {
      TFont* f = bar->GetTitle()->GetFont();
      f->SetSize(MulDiv(f->GetSize(), m, d));
    }
  }
  return true;
}

void TCustomDBAxisGridEh::ChangeScale(Integer m, Integer d) {
  ChangeScaleFont(m, d);
  inherited::ChangeScale(m, d);
}
