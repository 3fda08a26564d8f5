// Size grip of popups, the most-recently-used text list of editors and columns, and the sorted
// distinct values of a dataset field for filter and lookup drop-downs.
#include <algorithm>

#include "gridlib/base/ToolCtrlsEh.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/ScopeGuard.h"

// ======================================================================================
// Size grip
// ======================================================================================

TSizeGripEh::TSizeGripEh(TComponent* owner) : TCustomControlEh(owner) {
  SetControlStyle(TControlStyle(GetControlStyle())
                      .Include(csCaptureMouse)
                      .Include(csReplicatable)
                      .Include(csParentBackground));
  SetWidth(GetSystemMetrics(SM_CXVSCROLL));
  SetHeight(GetSystemMetrics(SM_CYVSCROLL));
  SetColor(clBtnFace);
  SetCursor(crSizeNWSE);
}

void TSizeGripEh::SetPosition(TSizeGripPosition value) {
  if (position_ == value) return;
  position_ = value;
  if (HandleAllocated()) RecreateWnd();
  UpdateWindowRegion();
}

void TSizeGripEh::SetTriangleWindow(bool value) {
  triangleWindow_ = value;
  UpdateWindowRegion();
}

TSizeGripPosition SizeGripPositionAfterChangeEh(TSizeGripPosition p, TSizeGripChangePosition change) {
  switch (change) {
    case sgcpToLeft:
      return p == sgpTopRight ? sgpTopLeft : p == sgpBottomRight ? sgpBottomLeft : p;
    case sgcpToRight:
      return p == sgpTopLeft ? sgpTopRight : p == sgpBottomLeft ? sgpBottomRight : p;
    case sgcpToTop:
      return p == sgpBottomRight ? sgpTopRight : p == sgpBottomLeft ? sgpTopLeft : p;
    case sgcpToBottom:
      return p == sgpTopRight ? sgpBottomRight : p == sgpTopLeft ? sgpBottomLeft : p;
  }
  return p;
}

void TSizeGripEh::ChangePosition(TSizeGripChangePosition newPosition) {
  SetPosition(SizeGripPositionAfterChangeEh(position_, newPosition));
}

void TSizeGripEh::UpdatePosition() {
  TWinControl* host = GetHostControl();
  if (!host) return;
  const TRect r = GetAdjustedClientRectEh(host);
  const bool right = position_ == sgpTopRight || position_ == sgpBottomRight;
  const bool bottom = position_ == sgpBottomLeft || position_ == sgpBottomRight;
  internalMove_ = true;
  auto done = MakeScopeExit([this] { internalMove_ = false; });
  SetBounds(right ? r.Right - GetWidth() : r.Left, bottom ? r.Bottom - GetHeight() : r.Top, GetWidth(),
            GetHeight());
}

void TSizeGripEh::UpdateWindowRegion() {
  // The triangle is painted, and only its pixels differ from the host: the platform's windows carry
  // no region, so the square's other half shows the parent's background.
  UpdatePosition();
  SetCursor(position_ == sgpTopLeft || position_ == sgpBottomRight ? crSizeNWSE : crSizeNESW);
}

void TSizeGripEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TCustomControlEh::MouseDown(button, shift, x, y);
  TWinControl* host = GetHostControl();
  if (button != mbLeft || !host) return;
  initScreenMousePos_ = ClientToScreen(TPoint(x, y));
  oldMouseMovePos_ = initScreenMousePos_;
  parentRect_ = TRect(host->GetClientWidth(), host->GetClientHeight(), host->GetWidth(), host->GetHeight());
}

void TSizeGripEh::MouseMove(TShiftState shift, Integer x, Integer y) {
  TCustomControlEh::MouseMove(shift, x, y);
  TWinControl* host = GetHostControl();
  if (!host || !shift.Contains(ssLeft) || !GetMouseCapture() || internalMove_) return;
  const TPoint pos = ClientToScreen(TPoint(x, y));
  if (pos == oldMouseMovePos_) return;
  const Integer oldClientW = host->GetClientWidth(), oldClientH = host->GetClientHeight();
  TRect hostRect;
  GetControlScreenRectEh(host, hostRect);
  const TRect work = Screen->WorkAreaOfRect(hostRect);

  const bool right = position_ == sgpTopRight || position_ == sgpBottomRight;
  if (right) {
    Integer w = parentRect_.Left + (pos.X - initScreenMousePos_.X);
    const Integer newRight = hostRect.Left + (host->GetWidth() - host->GetClientWidth()) + w;
    if (newRight > work.Right) w -= newRight - work.Right;
    host->SetClientWidth(w);
  } else {
    Integer w = parentRect_.Right + (initScreenMousePos_.X - pos.X);
    const Integer newLeft = hostRect.Right - w;
    if (newLeft < work.Left) w -= work.Left - newLeft;
    const Integer change = w - host->GetWidth();
    host->SetBounds(host->GetLeft() - change, host->GetTop(), w, host->GetHeight());
  }
  const bool bottom = position_ == sgpBottomLeft || position_ == sgpBottomRight;
  if (bottom) {
    Integer h = parentRect_.Top + (pos.Y - initScreenMousePos_.Y);
    const Integer newBottom = hostRect.Top + (host->GetHeight() - host->GetClientHeight()) + h;
    if (newBottom > work.Bottom) h -= newBottom - work.Bottom;
    host->SetClientHeight(h);
  } else {
    Integer h = parentRect_.Bottom + (initScreenMousePos_.Y - pos.Y);
    const Integer newTop = hostRect.Bottom - h;
    if (newTop < work.Top) h -= work.Top - newTop;
    const Integer change = h - host->GetHeight();
    host->SetBounds(host->GetLeft(), host->GetTop() - change, host->GetWidth(), h);
  }
  oldMouseMovePos_ = pos;
  if ((host->GetClientWidth() != oldClientW || host->GetClientHeight() != oldClientH) && OnParentResized)
    OnParentResized(this);
  UpdatePosition();
}

void TSizeGripEh::Paint() {
  TCanvas* canvas = GetCanvas();
  const TRect r = GetClientRect();
  const Integer w = r.Width(), h = r.Height();
  if (ThemesEnabledEh() && !CustomStyleActiveEh()) {
    StyleServices()->DrawElement(canvas->GetHandle(), StyleServices()->GetElementDetails(tsGripper), r);
    return;
  }
  // Grip lines parallel to the triangle's long side, four colours every four pixels.
  const TColor colors[] = {clBtnHighlight, clBtnShadow, clBtnShadow, clBtnFace};
  for (Integer i = 0; i < w; ++i) {
    canvas->GetPen()->SetColor(colors[i % 4]);
    const Integer d = w - 1 - i;  // distance of the line from the grip's corner
    switch (position_) {
      case sgpBottomRight:
        canvas->MoveTo(w - 1 - d, h);
        canvas->LineTo(w, h - 1 - d);
        break;
      case sgpBottomLeft:
        canvas->MoveTo(d, h);
        canvas->LineTo(-1, h - 1 - d);
        break;
      case sgpTopLeft:
        canvas->MoveTo(d, -1);
        canvas->LineTo(-1, d);
        break;
      case sgpTopRight:
        canvas->MoveTo(w - 1 - d, -1);
        canvas->LineTo(w, d);
        break;
    }
  }
}

// ======================================================================================
// MRU list
// ======================================================================================

TMRUListEh::TMRUListEh(TPersistent* owner)
    : autogenItems_(std::make_unique<TStringList>()),
      items_(std::make_unique<TStringList>()),
      owner_(owner) {}

TMRUListEh::~TMRUListEh() = default;

void TMRUListEh::SetActive(bool value) {
  if (active_ == value) return;
  active_ = value;
  if (OnActiveChanged) OnActiveChanged(this);
}

void TMRUListEh::SetLimit(Integer value) {
  if (limit_ == value) return;
  limit_ = value;
  TrimToLimit();
}

void TMRUListEh::TrimToLimit() {
  while (items_->GetCount() > std::max(limit_, 0)) items_->Delete(0);
}

TStrings* TMRUListEh::ActiveItems() const {
  return listSourceKind_ != lskMRUListItemsEh ? static_cast<TStrings*>(autogenItems_.get()) : items_.get();
}

void TMRUListEh::Add(const String& s) {
  if (Trim(s).empty()) return;
  for (Integer i = 0; i < items_->GetCount(); ++i) {
    const String item = items_->Get(i);
    const bool same = caseSensitive_ ? item == s : LocaleCompareWideStrEh(item, s, 0, true) == 0;
    if (same) {
      items_->Move(i, items_->GetCount() - 1);
      return;
    }
  }
  items_->Add(s);
  TrimToLimit();
}

bool TMRUListEh::FilterItemsTo(TStrings* filteredItems, const String& maskText) {
  filteredItems->BeginUpdate();
  auto endUpdate = MakeScopeExit([filteredItems] { filteredItems->EndUpdate(); });
  filteredItems->Clear();
  TStrings* items = ActiveItems();
  const Integer n = static_cast<Integer>(maskText.size());
  for (Integer i = 0; i < items->GetCount(); ++i) {
    const String item = items->Get(i);
    bool accept =
        static_cast<Integer>(item.size()) >= n &&
        LocaleCompareWideStrEh(item.substr(0, static_cast<size_t>(n)), maskText, 0, !caseSensitive_) == 0;
    if (OnFilterItem) OnFilterItem(this, accept);
    if (accept) filteredItems->Add(item);
    // A long walk gives way to a key the user typed meanwhile.
    if (i % 100 == 0 && cancelIfKeyInQueue_ && KeyPressWaiting()) return false;
  }
  return true;
}

void TMRUListEh::Assign(TPersistent* source) {
  auto* s = dynamic_cast<TMRUListEh*>(source);
  if (!s) {
    TPersistent::Assign(source);
    return;
  }
  SetActive(s->active_);
  SetItems(s->items_.get());
  SetLimit(s->limit_);
  SetRows(s->rows_);
  SetCaseSensitive(s->caseSensitive_);
}

void TMRUListEh::CloseUp(bool accept) {
  if (OnSetCloseUp) OnSetCloseUp(this, accept);
}

void TMRUListEh::DropDown() {
  if (OnSetDropDown) OnSetDropDown(this);
}

void TMRUListEh::PrepareActiveItems() {
  if (listSourceKind_ == lskDataSetFieldValuesEh && OnFillAutogenItems)
    OnFillAutogenItems(this, autogenItems_.get());
}

// ======================================================================================
// Dataset field values
// ======================================================================================

void TDataLinkEh::DataEvent(TDataEvent event, NativeInt info) {
  TDataLink::DataEvent(event, info);
  if (OnDataEvent) OnDataEvent(event, info);
}

TDatasetFieldValueListEh::TDatasetFieldValueListEh()
    : dataLink_(std::make_unique<TDataLinkEh>()),
      dataSource_(std::make_unique<TDataSource>(nullptr)),
      values_(std::make_unique<TStringList>()) {
  values_->SetSorted(true);
  values_->SetDuplicates(dupIgnore);
  dataLink_->OnDataEvent = TDataEventEh(this, &TDatasetFieldValueListEh::DataEvent);
}

TDatasetFieldValueListEh::~TDatasetFieldValueListEh() { dataLink_->SetDataSource(nullptr); }

void TDatasetFieldValueListEh::DataEvent(TDataEvent event, NativeInt) {
  if (event == deDataSetChange || event == dePropertyChange || event == deFieldListChange)
    dataObsoleted_ = true;
}

void TDatasetFieldValueListEh::SetFieldName(const String& value) {
  if (fieldName_ == value) return;
  fieldName_ = value;
  dataObsoleted_ = true;
}

TDataSet* TDatasetFieldValueListEh::GetDataSet() const { return dataSource_->GetDataSet(); }

void TDatasetFieldValueListEh::SetDataSet(TDataSet* value) {
  if (dataLink_->GetDataSource() != dataSource_.get()) dataLink_->SetDataSource(dataSource_.get());
  if (dataSource_->GetDataSet() == value) return;
  dataSource_->SetDataSet(value);
  dataObsoleted_ = true;
}

TDataSource* TDatasetFieldValueListEh::GetDataSource() const { return dataLink_->GetDataSource(); }

void TDatasetFieldValueListEh::SetDataSource(TDataSource* value) {
  if (dataLink_->GetDataSource() == value) return;
  dataLink_->SetDataSource(value);
  dataObsoleted_ = true;
}

bool TDatasetFieldValueListEh::GetCaseSensitive() const { return values_->GetCaseSensitive(); }
void TDatasetFieldValueListEh::SetCaseSensitive(bool value) { values_->SetCaseSensitive(value); }

TStrings* TDatasetFieldValueListEh::GetValues() {
  if (!dataObsoleted_) return values_.get();
  values_->Clear();
  TDataSet* dataSet = dataLink_->GetDataSet();
  TField* field = dataLink_->GetActive() && dataSet ? dataSet->FindField(fieldName_) : nullptr;
  if (!field) return values_.get();
  dataSet->DisableControls();
  auto enable = MakeScopeExit([dataSet] { dataSet->EnableControls(); });
  const TBookmark position = dataSet->GetBookmark();
  auto back = MakeScopeExit([&] {
    if (!position.empty()) dataSet->GotoBookmark(position);
  });
  for (dataSet->First(); !dataSet->GetEof(); dataSet->Next()) values_->Add(field->GetDisplayText());
  dataObsoleted_ = false;
  return values_.get();
}
