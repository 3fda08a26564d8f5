// The lookup combo box: the key and its text, resolving both sides, searching typed text, the list
// filter, posting the key, and the drop-down with the keys and the mouse that reach it.
#include "gridlib/editors/DBLookupComboEh.h"

#include <algorithm>

#include "platform/controls/Dialogs.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DBFilterExpr.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"

namespace {

String LookupFieldTextEh(TField* field) {
  if (!field) return String();
  const TFieldType type = field->GetDataType();
  if (type == ftMemo || type == ftWideMemo) return field->GetAsString();
  return field->GetDisplayText();
}

// Keys compare equal only when they are: a comparison that cannot be made counts as a difference.
bool SameKeyEh(const Variant& a, const Variant& b) {
  try {
    return VarEqualsEh(a, b);
  } catch (const Exception&) {
    return false;
  }
}

bool KeyFitsFieldsEh(const TFieldsArrEh& fields, const Variant& value) {
  if (fields.size() < 2) return true;
  return value.IsArray() &&
         VarArrayHighBound(value, 1) - VarArrayLowBound(value, 1) + 1 == static_cast<int>(fields.size());
}

}  // namespace

// ======================= Links =======================

namespace DBLookupComboEh {

void TListSourceLinkEh::ActiveChanged() {
  if (box_) box_->UpdateListFields();
}

void TListSourceLinkEh::LayoutChanged() {
  if (box_) box_->UpdateListFields();
}

void TListSourceLinkEh::DataSetChanged() {
  if (box_) box_->ListLinkDataChanged();
}

}  // namespace DBLookupComboEh

// ======================= Construction =======================

TCustomDBLookupComboboxEh::TCustomDBLookupComboboxEh(TComponent* owner)
    : TCustomDBEditEh(owner),
      dropDownBox_(std::make_unique<TLookupComboboxDropDownBoxEh>(this)),
      listLink_(std::make_unique<DBLookupComboEh::TListSourceLinkEh>(this)),
      lookupSource_(std::make_unique<TDataSource>(nullptr)) {
  SetMainEditButton(new TVisibleEditButtonEh(this, 0));
  GetDataLink()->SetMultiFields(true);
  // The data side is resolved again whenever the data source's dataset opens or closes.
  chainedActiveChange_ = GetDataLink()->OnActiveChange;
  GetDataLink()->OnActiveChange = TNotifyEvent(this, &TCustomDBLookupComboboxEh::DataLinkActiveChanged);
}

TPopupDataGridBoxEh* TCustomDBLookupComboboxEh::GetDataList() {
  // Made on first need, as the other drop-downs are: a window made before its box has a parent is
  // never mapped on some desktops.
  if (!dataList_) {
    dataList_ = new TPopupDataGridBoxEh(this);
    dataList_->SetName(u"DropDownBox");
    dataList_->SetVisible(false);
    dataList_->FreeNotification(this);
    dataList_->GetInnerDataGrid()->OnMouseCloseUp =
        TCloseUpEventEh(this, &TCustomDBLookupComboboxEh::ListMouseCloseUp);
  }
  return dataList_;
}

TCustomDBLookupComboboxEh::~TCustomDBLookupComboboxEh() {
  destroying_ = true;
  RunReportingFailure(this, [this] { CloseUp(false); });
  listLink_->Detach();
  listLink_->SetDataSource(nullptr);
  GetDataLink()->OnActiveChange = chainedActiveChange_;
  if (listSource_) listSource_->RemoveFreeNotification(this);
  if (TDataSource* source = dropDownBox_->GetListSource()) source->RemoveFreeNotification(this);
}

void TCustomDBLookupComboboxEh::Notification(TComponent* component, TOperation operation) {
  TCustomDBEditEh::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == dataList_) dataList_ = nullptr;
  if (component == listSource_) {
    listSource_ = nullptr;
    if (!destroying_) UpdateListSource();
  }
  if (component == dropDownBox_->GetListSource()) {
    dropDownBox_->SetListSource(nullptr);
    if (!destroying_) GetDataLink()->Reset();
  }
}

// ======================= Settings =======================

void TCustomDBLookupComboboxEh::SetDataField(const String& value) {
  if (value == dataFieldName_) return;
  dataFieldName_ = value;
  UpdateDataFields();
}

void TCustomDBLookupComboboxEh::SetDataSource(TDataSource* value) {
  TCustomDBEditEh::SetDataSource(value);
  UpdateDataFields();
}

void TCustomDBLookupComboboxEh::SetKeyField(const String& value) {
  if (lookupMode_) DatabaseError(u"Property already defined by lookup field", this);
  if (value == keyFieldName_) return;
  keyFieldName_ = value;
  UpdateListFields();
}

void TCustomDBLookupComboboxEh::SetListField(const String& value) {
  if (value == listFieldName_) return;
  listFieldName_ = value;
  UpdateListFields();
}

void TCustomDBLookupComboboxEh::SetListFieldIndex(Integer value) {
  if (value == listFieldIndex_) return;
  listFieldIndex_ = value;
  UpdateListFields();
}

void TCustomDBLookupComboboxEh::SetListSource(TDataSource* value) {
  if (lookupMode_) DatabaseError(u"Property already defined by lookup field", this);
  if (value == listSource_) return;
  if (listSource_) listSource_->RemoveFreeNotification(this);
  listSource_ = value;
  if (listSource_) listSource_->FreeNotification(this);
  UpdateListSource();
}

void TCustomDBLookupComboboxEh::SetStyle(TDBLookupComboboxEhStyle value) {
  style_ = value;
  UpdateEditReadOnly();
}

void TCustomDBLookupComboboxEh::ClearDataProps() {
  keyTextIndependent_ = true;
  lockUpdateKeyTextIndependent_ = true;
  {
    auto unlock = MakeScopeExit([this] { lockUpdateKeyTextIndependent_ = false; });
    SetDataSource(nullptr);
    SetDataField(String());
    SetKeyField(String());
    SetListField(String());
    SetListSource(nullptr);
  }
  UpdateKeyTextIndependent();
}

void TCustomDBLookupComboboxEh::UpdateKeyTextIndependent() {
  if (lockUpdateKeyTextIndependent_) return;
  keyTextIndependent_ = !GetDataSource() && dataFieldName_.empty() && !listSource_ &&
                        listFieldName_.empty() && keyFieldName_.empty() && !lookupMode_;
}

TDataSource* TCustomDBLookupComboboxEh::GetActualListSource() const {
  TDataSource* boxSource = dropDownBox_->GetListSource();
  if (GetFocusedFlag() && boxSource) return boxSource;
  return lookupMode_ ? lookupSource_.get() : listSource_;
}

void TCustomDBLookupComboboxEh::UpdateListSource() {
  TDataSource* source = GetActualListSource();
  if (listLink_->GetDataSource() != source)
    listLink_->SetDataSource(source);
  else
    UpdateListFields();
}

TDataSet* TCustomDBLookupComboboxEh::ListDataSet() const { return listLink_->GetDataSet(); }

// ======================= Resolution =======================

void TCustomDBLookupComboboxEh::DataLinkActiveChanged(TObject* sender) {
  if (chainedActiveChange_) chainedActiveChange_(sender);
  UpdateDataFields();
}

void TCustomDBLookupComboboxEh::UpdateDataFields() {
  if (dataFieldsUpdating_) return;
  dataFieldsUpdating_ = true;
  auto guard = MakeScopeExit([this] { dataFieldsUpdating_ = false; });
  dataFields_.clear();
  masterFields_.clear();
  masterFieldNames_.clear();
  TFieldDataLinkEh* link = GetDataLink();
  TDataSet* dataSet = link->GetDataSet();
  bool lookupField = false;
  if (dataSet && dataSet->GetActive() && !dataFieldName_.empty()) {
    TDataSet* list = ListDataSet();
    if (list && GetDataSource() && list->IsLinkedTo(GetDataSource())) DatabaseError(SCircularDataLink, this);
    GetFieldsArrByNamesEh(dataSet, this, dataFieldName_, dataFields_);
    lookupField = dataFields_.size() == 1 && dataFields_[0]->GetFieldKind() == fkLookup;
    if (lookupField)
      GetFieldsArrByNamesEh(dataSet, this, dataFields_[0]->GetKeyFields(), masterFields_);
    else
      masterFields_ = dataFields_;
    for (TField* field : masterFields_)
      masterFieldNames_ += (masterFieldNames_.empty() ? u"" : u";") + field->GetFieldName();
  }
  SetLookupMode(lookupField);
  link->SetFieldName(!masterFieldNames_.empty() ? masterFieldNames_ : dataFieldName_);
  UpdateKeyTextIndependent();
  UpdateEditReadOnly();
  UpdateEditButtonsState();
  if (!keyTextIndependent_) DataChanged();
}

void TCustomDBLookupComboboxEh::SetLookupMode(bool value) {
  if (value == lookupMode_) return;
  if (value) {
    TField* field = dataFields_[0];
    lookupSource_->SetDataSet(field->GetLookupDataSet());
    keyFieldName_ = field->GetLookupKeyFields();
    lookupMode_ = true;
  } else {
    lookupMode_ = false;
    keyFieldName_.clear();
    lookupSource_->SetDataSet(nullptr);
  }
  UpdateListSource();
}

void TCustomDBLookupComboboxEh::UpdateListFields() {
  if (listVisible_) return;
  listActive_ = false;
  listField_ = nullptr;
  listFields_.clear();
  keyFields_.clear();
  TDataSet* list = ListDataSet();
  if (listLink_->GetActive() && !keyFieldName_.empty()) {
    if (GetDataSource() && list->IsLinkedTo(GetDataSource())) DatabaseError(SCircularDataLink, this);
    GetFieldsArrByNamesEh(list, this, keyFieldName_, keyFields_);
    if (!listFieldName_.empty()) GetFieldsArrByNamesEh(list, this, listFieldName_, listFields_);
    if (lookupMode_) {
      listField_ = list->FieldByName(dataFields_[0]->GetLookupResultField());
      if (std::find(listFields_.begin(), listFields_.end(), listField_) == listFields_.end())
        listFields_.insert(listFields_.begin(), listField_);
    } else {
      if (listFields_.empty()) listFields_ = keyFields_;
      const bool inside = listFieldIndex_ >= 0 && listFieldIndex_ < static_cast<Integer>(listFields_.size());
      listField_ = listFields_[inside ? static_cast<size_t>(listFieldIndex_) : 0];
    }
    listActive_ = true;
  }
  UpdateKeyTextIndependent();
  UpdateEditReadOnly();
  UpdateEditButtonsState();
  if (keyTextIndependent_ || destroying_) return;
  const bool modified = GetModified();
  if (!listActive_)
    SetShownText(String());
  else
    ResetDisplayText();
  if (GetModified() != modified) {
    SetModified(modified);
    GetDataLink()->SetModified(modified);
  }
  Invalidate();
}

void TCustomDBLookupComboboxEh::ListLinkDataChanged() {
  // A refresh or a change made elsewhere may have changed the key's text; the box's own moves do not.
  if (listChanging_ > 0 || keyTextIndependent_ || !listActive_ || listVisible_) return;
  const bool modified = GetModified();
  ResetDisplayText();
  SetModified(modified);
}

// ======================= Key and text =======================

bool TCustomDBLookupComboboxEh::CanModifyKey(bool edit) {
  if (!keyTextIndependent_ && !listActive_) return false;
  if (GetReadOnly()) return false;
  if (GetDataSource()) {
    if (masterFields_.empty()) return false;
    for (TField* field : masterFields_)
      if (!field->CanModify()) return false;
  }
  if (edit && !masterFields_.empty()) return GetDataLink()->Edit();
  return true;
}

void TCustomDBLookupComboboxEh::SetShownText(const String& text) {
  if (GetText() != text) SetOwnEditText(text);
}

bool TCustomDBLookupComboboxEh::SpecRowShowsFor(bool keyFound) const {
  TSpecRowEh* spec = dropDownBox_->GetSpecRow();
  return spec->GetVisible() &&
         (SameKeyEh(spec->GetValue(), keyValue_) || (!keyFound && spec->GetShowIfNotInKeyList()));
}

bool TCustomDBLookupComboboxEh::LocateKey() {
  ++listChanging_;
  auto lower = MakeScopeExit([this] { --listChanging_; });
  TDataSet* list = ListDataSet();
  if (!listActive_ || !list || !list->GetActive() || keyValue_.IsNull() ||
      !KeyFitsFieldsEh(keyFields_, keyValue_))
    return false;
  try {
    const Variant kept = keyValue_;
    const bool found = list->Locate(keyFieldName_, keyValue_, {});
    keyValue_ = kept;
    return found;
  } catch (const Exception&) {
    return false;
  }
}

void TCustomDBLookupComboboxEh::ResetDisplayText() {
  if (keyTextIndependent_) return;
  if (!listActive_) return;
  const bool found = LocateKey();
  if (SpecRowShowsFor(found))
    SetShownText(dropDownBox_->GetSpecRow()->GetCellText(listFieldIndex_));
  else
    SetShownText(found ? LookupFieldTextEh(listField_) : String());
}

void TCustomDBLookupComboboxEh::InternalSetKeyValue(const Variant& value) {
  if (SameKeyEh(keyValue_, value) && keyValue_.IsArray() == value.IsArray()) return;
  keyValue_ = value;
  KeyValueChanged();
}

void TCustomDBLookupComboboxEh::KeyValueChanged() {
  GetDataLink()->Modified();
  SetModified(true);
  if (!keyTextIndependent_ && listActive_) {
    const bool found = LocateKey();
    if (SpecRowShowsFor(found))
      SetShownText(dropDownBox_->GetSpecRow()->GetCellText(listFieldIndex_));
    else if (found)
      SetShownText(LookupFieldTextEh(listField_));
  }
  if (listVisible_ && dataList_) dataList_->SetKeyValue(keyValue_);
  if (style_ == csDropDownListEh && HandleAllocated() && GetFocusedFlag()) SelectAll();
  if (OnKeyValueChanged) OnKeyValueChanged(this);
}

void TCustomDBLookupComboboxEh::SetKeyValue(const Variant& value) {
  if (masterFields_.empty()) {
    InternalSetKeyValue(value);
    try {
      UpdateData();
    } catch (...) {
      GetDataLink()->Reset();
      throw;
    }
  } else if (GetDataLink()->Edit()) {
    SetFieldsValuesEh(GetDataLink()->GetDataSet(), masterFieldNames_, value);
  }
  // A key the list does not hold shows no text (unless the special row stands for it).
  if (listActive_ && !keyTextIndependent_) {
    const bool found = LocateKey();
    if (!found && !SpecRowShowsFor(false)) SetShownText(String());
  }
}

Variant TCustomDBLookupComboboxEh::GetVariantValue() {
  return keyTextIndependent_ ? TCustomDBEditEh::GetVariantValue() : keyValue_;
}

TAlignment TCustomDBLookupComboboxEh::DefaultAlignment() const {
  return keyTextIndependent_ ? TCustomDBEditEh::DefaultAlignment() : taLeftJustify;
}

bool TCustomDBLookupComboboxEh::IsValidChar(Char key) const {
  // The user types texts of the list, not values of the key field's kind.
  if (listActive_ && listField_) return listField_->IsValidChar(key);
  return keyTextIndependent_ ? TCustomDBEditEh::IsValidChar(key) : true;
}

void TCustomDBLookupComboboxEh::DataChanged() {
  if (destroying_) return;
  if (keyTextIndependent_) {
    TCustomDBEditEh::DataChanged();
    return;
  }
  TFieldDataLinkEh* link = GetDataLink();
  if (link->GetDataIndepended() && dataIndependentValueAsText_) {
    SetShownText(VarToStr(link->DataIndependentValue));
    LocateText(GetText(), false);
    SetModified(false);
    return;
  }
  Variant key = Variant::Null();
  TDataSet* dataSet = link->GetDataSet();
  if (!masterFields_.empty() && dataSet && dataSet->GetActive())
    GetFieldsValuesEh(dataSet, masterFields_, key);
  else if (link->GetDataIndepended())
    key = link->DataIndependentValue;
  InternalSetKeyValue(key);
  ResetDisplayText();
  UpdateEditReadOnly();
  SetModified(false);
  link->SetModified(false);
}

void TCustomDBLookupComboboxEh::InternalSetText(const String& text) {
  if (keyTextIndependent_) {
    TCustomDBEditEh::InternalSetText(text);
    return;
  }
  if (style_ == csDropDownEh) TCustomDBEditEh::InternalSetText(text);
  LocateText(text, false);
}

void TCustomDBLookupComboboxEh::PostEditTextToField() {
  if (keyTextIndependent_) {
    TCustomDBEditEh::PostEditTextToField();
    return;
  }
  ++listChanging_;
  auto lower = MakeScopeExit([this] { --listChanging_; });
  TDataSet* list = ListDataSet();
  if (listActive_ && OnNotInList && !GetText().empty() &&
      !list->Locate(listField_->GetFieldName(), Variant(GetText()), {loCaseInsensitive})) {
    bool recheck = false;
    OnNotInList(this, GetText(), recheck);
    if (recheck && list->Locate(listField_->GetFieldName(), Variant(GetText()), {loCaseInsensitive})) {
      Variant key;
      GetFieldsValuesEh(list, keyFields_, key);
      InternalSetKeyValue(key);
    }
  }
  TFieldDataLinkEh* link = GetDataLink();
  // An unbound free-typing box keeps a text that is no list entry as its value, not a Null key.
  if (link->GetDataIndepended() && listActive_ && style_ == csDropDownEh && !GetText().empty() &&
      !dropDownBox_->GetSpecRow()->GetVisible() && !LocateKey()) {
    dataIndependentValueAsText_ = true;
    link->SetValue(Variant(GetText()));
    return;
  }
  dataIndependentValueAsText_ = false;
  link->SetValue(keyValue_);
}

void TCustomDBLookupComboboxEh::UpdateEditReadOnly() {
  // Only list texts: the box types into itself, the window shows.
  if (!keyTextIndependent_ && style_ == csDropDownListEh) {
    if (!TCustomEdit::GetReadOnly()) TCustomEdit::SetReadOnly(true);
    return;
  }
  TCustomDBEditEh::UpdateEditReadOnly();
}

void TCustomDBLookupComboboxEh::SetFocused(bool value) {
  TCustomDBEditEh::SetFocused(value);
  UpdateListSource();
}

// ======================= Searching =======================

bool TCustomDBLookupComboboxEh::LocateText(const String& text, bool partialKey) {
  ++listChanging_;
  auto lower = MakeScopeExit([this] { --listChanging_; });
  if (!listActive_ || !CanModifyKey(true)) return false;
  if (!partialKey && LocateKey() && LookupFieldTextEh(listField_) == text && GetText() == text) return true;
  TDataSet* list = ListDataSet();
  try {
    TLocateOptions options;
    if (partialKey) options.Include(loPartialKey);
    bool found = list->Locate(listField_->GetFieldName(), Variant(text), options);
    if (!found && caseInsensitiveTextSearch_) {
      options.Include(loCaseInsensitive);
      found = list->Locate(listField_->GetFieldName(), Variant(text), options);
    }
    if (!found) {
      if (style_ == csDropDownEh) InternalSetKeyValue(Variant::Null());
      return false;
    }
    Variant key;
    GetFieldsValuesEh(list, keyFields_, key);
    const String before = GetText();
    InternalSetKeyValue(key);
    if (listVisible_ && dataList_) dataList_->SetKeyValue(keyValue_);
    const String shown = LookupFieldTextEh(listField_);
    SetShownText(shown);
    // The typed part stays unselected; the completed tail is selected for the next key to replace.
    const Integer typed =
        std::min<Integer>(static_cast<Integer>(text.size()), static_cast<Integer>(shown.size()));
    SetSelStart(typed);
    SetSelLength(static_cast<Integer>(shown.size()) - typed);
    if (shown != before && OnChange) OnChange(this);
    return true;
  } catch (const Exception&) {
    if (style_ == csDropDownListEh) {
      SetShownText(GetText());
      SetSelStart(static_cast<Integer>(GetText().size()));
      SetSelLength(0);
    } else {
      InternalSetKeyValue(Variant::Null());
    }
    return false;
  }
}

void TCustomDBLookupComboboxEh::ProcessTypedText(const String& text) {
  if (!listField_) return;
  const TFieldKind kind = listField_->GetFieldKind();
  if ((kind != fkData && kind != fkInternalCalc) || !CanModifyKey(true)) return;
  const bool filtering = listVisible_ && dropDownBox_->GetListSourceAutoFilter();
  TDataSet* filtered = dropDownBox_->GetListSource() ? dropDownBox_->GetListSource()->GetDataSet() : nullptr;
  if (filtering && filtered) filtered->DisableControls();
  auto enable = MakeScopeExit([filtering, filtered] {
    if (filtering && filtered) filtered->EnableControls();
  });
  if (filtering) RefilterDropDownBoxListSource(String());
  const String shown = GetText();
  const Integer selStart = std::min<Integer>(GetSelStart(), static_cast<Integer>(shown.size()));
  const Integer selLength = GetSelLength();
  String searchText;
  bool found = false;
  if (text == u"\b") {
    const Integer size = static_cast<Integer>(shown.size());
    const Integer length = selLength >= size ? 1 : std::min(size, selLength + 1);
    SetSelStart(size - length);
    SetSelLength(length);
    searchText = shown.substr(0, static_cast<size_t>(size - length));
  } else {
    searchText = shown.substr(0, static_cast<size_t>(selStart)) + text;
    found = LocateText(searchText, true);
  }
  if (filtering) {
    if (!found && text != u"\b") searchText = shown.substr(0, static_cast<size_t>(selStart));
    RefilterDropDownBoxListSource(searchText);
  }
}

void TCustomDBLookupComboboxEh::SelectNextValue(bool isPrior) {
  ++listChanging_;
  auto lower = MakeScopeExit([this] { --listChanging_; });
  if (!CanModifyKey(true) || !listLink_->GetActive()) return;
  TDataSet* list = ListDataSet();
  if (list->IsEmpty()) return;
  if (LocateKey())
    list->MoveBy(isPrior ? -1 : 1);
  else
    list->First();
  Variant key;
  GetFieldsValuesEh(list, keyFields_, key);
  InternalSetKeyValue(key);
  if (GetFocusedFlag()) SelectAll();
}

// ======================= List-source text filter =======================

void TCustomDBLookupComboboxEh::RefilterDropDownBoxListSource(const String& filterText) {
  ++listChanging_;
  auto lower = MakeScopeExit([this] { --listChanging_; });
  TDataSource* source = dropDownBox_->GetListSource();
  TDataSet* dataSet = source ? source->GetDataSet() : nullptr;
  const String fieldName = listField_ ? listField_->GetFieldName() : String();
  const TLSAutoFilterTypeEh operation = dropDownBox_->GetListSourceAutoFilterType();
  if (OnDropDownBoxApplyTextFilter)
    OnDropDownBoxApplyTextFilter(this, dataSet, fieldName, operation, filterText);
  else
    DefaultDropDownBoxApplyTextFilter(dataSet, fieldName, operation, filterText);
  if (dataList_) dataList_->ResetHighlightSubstr(operation == lsftContainsEh ? filterText : String());
}

void TCustomDBLookupComboboxEh::DefaultDropDownBoxApplyTextFilter(TDataSet* dataSet, const String& fieldName,
                                                                  TLSAutoFilterTypeEh operation,
                                                                  const String& filterText) {
  if (!dataSet) return;
  if (filterText.empty()) {
    dataSet->SetFilter(String());
    return;
  }
  const String w = dropDownBox_->GetLikeWildcardForSeveralCharacters();
  TFilterOptions options = dataSet->GetFilterOptions();
  if (caseInsensitiveTextSearch_)
    options.Include(foCaseInsensitive);
  else
    options.Exclude(foCaseInsensitive);
  dataSet->SetFilterOptions(options);
  // Typed wildcards and quotes are searched as characters.
  const String prefix = operation == lsftContainsEh ? w : String();
  dataSet->SetFilter(u"[" + fieldName + u"] like " + QuotedStr(prefix + FilterLikeEscape(filterText) + w));
  dataSet->SetFiltered(true);
}

// ======================= Drop-down =======================

bool TCustomDBLookupComboboxEh::CanDropDown() const {
  return TCustomDBEditEh::CanDropDown() && (listActive_ || OnButtonClick || OnButtonDown);
}

void TCustomDBLookupComboboxEh::DropDown(TEditButtonEh* button) {
  if (listVisible_ || !listActive_) return;
  GetDataList();
  ++listChanging_;
  auto lower = MakeScopeExit([this] { --listChanging_; });
  if (GetEnabled() && !Focused() && CanFocus()) SetFocus();
  if (OnDropDown) OnDropDown(this);
  if (!button) button = GetFirstDefaultActionEditButton();
  if (button) SetDroppedDownState(button, GetEditButtonControlByEditButton(button));
  TPopupInnerDataGridEh* grid = dataList_->GetInnerDataGrid();
  dataList_->SetKeyValue(Variant::Null());
  grid->SetSpecRow(dropDownBox_->GetSpecRow());
  grid->SetColor(GetColor());
  grid->GetFont()->Assign(GetFont());
  dataList_->SetShowTitles(dropDownBox_->GetShowTitles());
  grid->SetLGAutoFitColWidths(dropDownBox_->GetAutoFitColWidths());
  dataList_->HandleNeeded();
  grid->SetReadOnly(!CanModifyKey(false));
  TDataSet* list = ListDataSet();
  const Integer rows = std::max<Integer>(1, dropDownBox_->GetRows());
  Integer rowCount = rows;
  if (list->IsSequenced()) {
    const Integer records = list->GetRecordCount();
    if (records >= 1 && records < rows) rowCount = records;
  }
  dataList_->SetKeyField(keyFieldName_);
  String names;
  for (TField* field : listFields_) names += field->GetFieldName() + u";";
  dataList_->SetListField(names);
  const auto at = std::find(listFields_.begin(), listFields_.end(), listField_);
  dataList_->SetListFieldIndex(at == listFields_.end() ? 0 : static_cast<Integer>(at - listFields_.begin()));
  dataList_->SetListSource(listLink_->GetDataSource());
  dataList_->SetRowCount(rowCount);
  Integer width = dropDownBox_->GetWidth();
  const Integer frame = dataList_->GetWidth() - dataList_->GetClientWidth();
  if (width == -1)
    width = dataList_->GetColumnsWidthToFit() + frame + grid->GetWidth() - grid->GetClientWidth();
  else if (width <= 0)
    width = GetWidth();
  width = std::max(width, GetWidth());
  dataList_->SetWidth(width);
  dataList_->SetKeyValue(keyValue_);
  listColumnMoved_ = false;
  grid->OnColumnMoved =
      TDelegate<void(TObject*, Integer, Integer)>(this, &TCustomDBLookupComboboxEh::ListColumnMoved);
  TPoint pos;
  const TAlignment align = dropDownBox_->GetAlign() == daRight    ? taRightJustify
                           : dropDownBox_->GetAlign() == daCenter ? taCenter
                                                                  : taLeftJustify;
  // A list that may not be resized keeps its grip in the corner where it stays inactive.
  grid->SetSizeGripAlwaysShow(dropDownBox_->GetSizable());
  if (!dropDownBox_->GetSizable()) grid->SetSizeGripPostion(sgpBottomRight);
  PlacePopupUnderControlEh(this, dataList_, align, pos);
  dataList_->SetBounds(pos.X, pos.Y, dataList_->GetWidth(), dataList_->GetHeight());
  listVisible_ = true;
  dataList_->Show();
  // Every size given so far was ours; a resize from now on is the user's.
  grid->SetSizeGripResized(false);
  // A list-only box is typed into from its start: what the user types next searches anew.
  if (style_ == csDropDownListEh && HandleAllocated()) SelectAll();
  Invalidate();
}

void TCustomDBLookupComboboxEh::CloseUp(bool accept) {
  if (!listVisible_ || !dataList_) return;
  const Variant chosen = dataList_->GetKeyValue();
  dataList_->SetVisible(false);
  listVisible_ = false;
  TPopupInnerDataGridEh* grid = dataList_->GetInnerDataGrid();
  // The size the user gave the list by its grip is the size it opens with next time.
  if (grid->GetSizeGripResized()) {
    dropDownBox_->SetRows(grid->GetOptionsEh().Contains(dghAutoFitRowHeight) ? grid->GetVisibleRowCount()
                                                                             : grid->GetRowCountProp());
    dropDownBox_->SetWidth(dataList_->GetWidth());
  }
  grid->OnColumnMoved = {};
  dataList_->SetListSource(nullptr);
  if (listColumnMoved_) {
    listColumnMoved_ = false;
    // The list's columns are the box's list fields: the order the user gave them is kept.
    SetListField(grid->GetListField());
    SetListFieldIndex(grid->GetListFieldIndex());
    dropDownBox_->GetSpecRow()->SetCellsText(grid->GetSpecRow()->GetCellsText());
  }
  Invalidate();
  ClearDroppedDownState();
  if (accept && CanModifyKey(true)) {
    InternalSetKeyValue(chosen);
    ResetDisplayText();
    if (HandleAllocated()) SelectAll();
  }
  if (dropDownBox_->GetListSourceAutoFilter() && dropDownBox_->GetListSource() &&
      dropDownBox_->GetListSource()->GetDataSet())
    RefilterDropDownBoxListSource(String());
  if (OnCloseUp) OnCloseUp(this, accept);
}

void TCustomDBLookupComboboxEh::ListMouseCloseUp(TObject*, bool accept) { CloseUp(accept); }

void TCustomDBLookupComboboxEh::ListColumnMoved(TObject*, Integer, Integer) { listColumnMoved_ = true; }

void TCustomDBLookupComboboxEh::ListSourceChanged(TDataSource* source) {
  // The settings keep the source without owning it: the box hears when it goes.
  if (source) source->FreeNotification(this);
}

Integer TCustomDBLookupComboboxEh::GetLookupGridOptions() {
  Integer bits = 0;
  const TDBLookupGridEhOptions options = GetDataList()->GetInnerDataGrid()->GetOptions();
  for (int o = dlgColumnResizeEh; o <= dlgAutoFitRowHeightEh; ++o)
    if (options.Contains(static_cast<TDBLookupGridEhOption>(o))) bits |= 1 << o;
  return bits;
}

void TCustomDBLookupComboboxEh::SetLookupGridOptions(Integer bits) {
  TDBLookupGridEhOptions options;
  for (int o = dlgColumnResizeEh; o <= dlgAutoFitRowHeightEh; ++o)
    if (bits & (1 << o)) options.Include(static_cast<TDBLookupGridEhOption>(o));
  GetDataList()->GetInnerDataGrid()->SetOptions(options);
}

void TCustomDBLookupComboboxEh::ButtonDropDown(TEditButtonEh* button, TEditButtonControlEh* control,
                                               bool& handled) {
  if (!listActive_) return;
  TCustomDBEditEh::ButtonDropDown(button, control, handled);
  DropDown(button);
  handled = true;
}

void TCustomDBLookupComboboxEh::DefaultEditButtonClick(TEditButtonEh*, TEditButtonControlEh*, bool&) {}

// ======================= Keyboard and mouse =======================

bool TCustomDBLookupComboboxEh::AnyMasterFieldRequired() const {
  return std::any_of(masterFields_.begin(), masterFields_.end(), [](TField* f) { return f->GetRequired(); });
}

void TCustomDBLookupComboboxEh::KeyDown(Word& key, TShiftState shift) {
  if (listVisible_) {
    if (key == VK_RETURN || key == VK_ESCAPE) {
      CloseUp(key == VK_RETURN);
      key = 0;
      return;
    }
    const bool ctrl = shift.Contains(ssCtrl);
    if (key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT ||
        (ctrl && (key == VK_HOME || key == VK_END))) {
      dataList_->GetInnerDataGrid()->KeyDown(key, shift);
      key = 0;
      return;
    }
  }
  if (keyTextIndependent_) {
    TCustomDBEditEh::KeyDown(key, shift);
    return;
  }
  TSpecRowEh* spec = dropDownBox_->GetSpecRow();
  if (listActive_ && spec->GetVisible() && spec->GetShortCut() != 0 &&
      ShortCut(key, shift) == spec->GetShortCut() && CanModifyKey(true)) {
    InternalSetKeyValue(spec->GetValue());
    SetShownText(spec->GetCellText(listFieldIndex_));
    SelectAll();
    key = 0;
    return;
  }
  if (listActive_ && !listVisible_ && (key == VK_UP || key == VK_DOWN) && shift.Empty()) {
    if (CanModifyKey(true)) SelectNextValue(key == VK_UP);
    key = 0;
    return;
  }
  if (key == VK_DELETE && shift.Empty()) {
    if (style_ == csDropDownListEh) {
      // A required key is never emptied by a key press: the field decides, and it says no.
      if (AnyMasterFieldRequired()) {
        MessageBeep(0);
      } else if (CanModifyKey(true)) {
        InternalSetKeyValue(Variant::Null());
        SetShownText(String());
      }
      key = 0;
      return;
    }
    // Free typing: Delete removes characters, and what stays is searched exactly.
    removingText_ = true;
  }
  TCustomDBEditEh::KeyDown(key, shift);
}

void TCustomDBLookupComboboxEh::KeyPress(Char& key) {
  if (listVisible_ && (key == u'\r' || key == u'\x1b')) {
    CloseUp(key == u'\r');
    key = 0;
    return;
  }
  if (!keyTextIndependent_ && style_ == csDropDownListEh) {
    if (key == u'\b') {
      ProcessTypedText(u"\b");
      key = 0;
      return;
    }
    if (key > 31) {
      if (dropDownBox_->GetAutoDrop() && !listVisible_ && listActive_) DropDown(nullptr);
      ProcessTypedText(String(1, key));
      key = 0;
      return;
    }
  }
  if (!keyTextIndependent_ && key > 31 && dropDownBox_->GetAutoDrop() && !listVisible_ && listActive_)
    DropDown(nullptr);
  removingText_ = key == u'\b';
  TCustomDBEditEh::KeyPress(key);
}

void TCustomDBLookupComboboxEh::Change() {
  // Free typing: the text typed so far is searched after every change the user makes.
  if (!keyTextIndependent_ && style_ == csDropDownEh && !GetInternalTextSetting() && !changeHandling_ &&
      listActive_) {
    changeHandling_ = true;
    auto done = MakeScopeExit([this] { changeHandling_ = false; });
    const String text = GetText();
    const bool filtering = listVisible_ && dropDownBox_->GetListSourceAutoFilter();
    if (filtering) RefilterDropDownBoxListSource(text);
    const bool atEnd = GetSelStart() == static_cast<Integer>(text.size()) && GetSelLength() == 0;
    const bool removing = removingText_;
    removingText_ = false;
    if (atEnd && !text.empty() && !removing)
      LocateText(text, true);
    else
      LocateText(text, false);
  }
  TCustomDBEditEh::Change();
}

void TCustomDBLookupComboboxEh::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
  TCustomDBEditEh::MouseDown(button, shift, x, y);
  if (button == mbLeft && !shift.Contains(ssDouble) && style_ == csDropDownListEh && !keyTextIndependent_ &&
      CanDropDown() && !listVisible_) {
    noClickCloseUp_ = true;
    DropDown(nullptr);
  }
}

void TCustomDBLookupComboboxEh::Click() {
  TCustomDBEditEh::Click();
  if (style_ == csDropDownListEh && listVisible_ && !noClickCloseUp_) CloseUp(false);
  noClickCloseUp_ = false;
}

void TCustomDBLookupComboboxEh::DoExit() {
  CloseUp(false);
  TCustomDBEditEh::DoExit();
}

bool TCustomDBLookupComboboxEh::DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos) {
  if (TCustomDBEditEh::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  if (listVisible_ && dataList_)
    return dataList_->GetInnerDataGrid()->DoMouseWheel(shift, wheelDelta, mousePos);
  if (!shift.Empty() || GetReadOnly() || keyTextIndependent_ || !CanModifyKey(true)) return false;
  SelectNextValue(wheelDelta > 0);
  return true;
}
