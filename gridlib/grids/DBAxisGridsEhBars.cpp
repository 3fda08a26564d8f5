// The axis bar: its binding to a field, the assigned-value properties that follow the grid's defaults
// until set, modification rights and the writing of values; the bar collection with its stream form.
#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/Streams.h"
#include "platform/controls/Forms.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

const TTypeInfo* TypeInfoCellButtonStyle() {
  static const TTypeInfo info =
      TTypeInfo::Enum(u"TCellButtonStyleEh", {u"cbsAuto", u"cbsEllipsis", u"cbsNone", u"cbsUpDown",
                                              u"cbsDropDown", u"cbsAltUpDown", u"cbsAltDropDown"});
  return &info;
}
const TTypeInfo* TypeInfoTextLayoutEh() {
  static const TTypeInfo info = TTypeInfo::Enum(u"TTextLayout", {u"tlTop", u"tlCenter", u"tlBottom"});
  return &info;
}

TDataListBoxFactoryEh& DataListBoxFactory() {
  static TDataListBoxFactoryEh factory;
  return factory;
}

}  // namespace

void SetDataListBoxFactoryEh(TDataListBoxFactoryEh factory) { DataListBoxFactory() = std::move(factory); }
TDataListBoxFactoryEh GetDataListBoxFactoryEh() { return DataListBoxFactory(); }

// ======================= Construction =======================

void TAxisBarEh::Published(TPropBuilder<TAxisBarEh>& p) {
  p.Enum(u"Alignment", TypeInfoAlignment(), &TAxisBarEh::GetAlignment, &TAxisBarEh::SetAlignment)
      .NoDefault()
      .Stored(std::function<bool(const TObject*)>(
          [](const TObject* o) { return static_cast<const TAxisBarEh*>(o)->GetAlignmentStored(); }));
  p.Enum(u"ButtonStyle", TypeInfoCellButtonStyle(), &TAxisBarEh::GetButtonStyle, &TAxisBarEh::SetButtonStyle)
      .Default(TCellButtonStyleEh::cbsAuto);
  p.Bool(u"Checkboxes", &TAxisBarEh::GetCheckboxes, &TAxisBarEh::SetCheckboxes)
      .NoDefault()
      .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
        return static_cast<const TAxisBarEh*>(o)->GetAssignedValues().Contains(cvCheckboxes);
      }));
  p.IntIdent(u"Color", TypeInfoColor(), &TAxisBarEh::GetColor, &TAxisBarEh::SetColor)
      .NoDefault()
      .Stored(&TAxisBarEh::IsColorStored);
  p.Str(u"DisplayFormat", &TAxisBarEh::GetDisplayFormat, &TAxisBarEh::SetDisplayFormat);
  p.Int(u"DropDownRows", &TAxisBarEh::GetDropDownRows, &TAxisBarEh::SetDropDownRows).Default(7);
  p.Int(u"DropDownWidth", &TAxisBarEh::GetDropDownWidth, &TAxisBarEh::SetDropDownWidth).Default(0);
  p.Str(u"EditMask", &TAxisBarEh::GetEditMask, &TAxisBarEh::SetEditMask);
  p.Str(u"FieldName", &TAxisBarEh::GetFieldName, &TAxisBarEh::SetFieldName);
  p.Object(
       u"Font", [](const TAxisBarEh* b) { return const_cast<TAxisBarEh*>(b)->GetFont(); },
       &TAxisBarEh::SetFont)
      .Stored(&TAxisBarEh::IsFontStored);
  p.Float(u"Increment", &TAxisBarEh::GetIncrement, &TAxisBarEh::SetIncrement)
      .Stored(&TAxisBarEh::IsIncrementStored);
  p.Object(
      u"KeyList", [](const TAxisBarEh* b) -> TStrings* { return const_cast<TAxisBarEh*>(b)->GetKeyList(); },
      &TAxisBarEh::SetKeyList);
  p.Enum(u"Layout", TypeInfoTextLayoutEh(), &TAxisBarEh::GetLayout, &TAxisBarEh::SetLayout)
      .NoDefault()
      .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
        return static_cast<const TAxisBarEh*>(o)->GetAssignedValues().Contains(cvLayout);
      }));
  p.Int(u"NotInKeyListIndex", &TAxisBarEh::GetNotInKeyListIndex, &TAxisBarEh::SetNotInKeyListIndex)
      .Default(-1);
  p.Object(
      u"PickList", [](const TAxisBarEh* b) -> TStrings* { return const_cast<TAxisBarEh*>(b)->GetPickList(); },
      &TAxisBarEh::SetPickList);
  p.Bool(u"ReadOnly", &TAxisBarEh::GetReadOnly, &TAxisBarEh::SetReadOnly)
      .NoDefault()
      .Stored(&TAxisBarEh::IsReadOnlyStored);
  p.Bool(u"ShowImageAndText", &TAxisBarEh::GetShowImageAndText, &TAxisBarEh::SetShowImageAndText).Default(0);
  p.Int(u"Tag", &TAxisBarEh::GetTag, &TAxisBarEh::SetTag).Default(0);
  p.Object(u"Title", &TAxisBarEh::GetTitle, &TAxisBarEh::SetTitle);
  p.Bool(u"Visible", &TAxisBarEh::GetVisible, &TAxisBarEh::SetVisible).Default(1);
  p.Bool(u"WordWrap", &TAxisBarEh::GetWordWrap, &TAxisBarEh::SetWordWrap)
      .NoDefault()
      .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
        return static_cast<const TAxisBarEh*>(o)->GetAssignedValues().Contains(cvWordWrap);
      }));
}

TAxisBarEh::TAxisBarEh(TCollection* collection) : TCollectionItem(collection) {
  auto* bars = dynamic_cast<TGridAxisBarsEh*>(collection);
  grid_ = bars ? bars->GetGrid() : nullptr;
  if (grid_) checkModifyColCellParams_.reset(grid_->CreateColCellParams());
  dynProps_ = std::make_unique<TDynVarsEh>(nullptr);
  dropDownRows_ = 7;
  font_ = std::make_unique<TFont>();
  imeMode_ = imDontCare;
  title_.reset(CreateTitle());
  visible_ = true;
  notInKeyListIndex_ = -1;
  increment_ = 1.0L;
  stored_ = true;
  editButton_.reset(CreateMainEditButton());
  editButtons_.reset(CreateEditButtons());
  editButton_->OnChanged = [this](TObject*) { Changed(false); };
  editButtons_->OnChanged = [this](TObject*) { Changed(false); };
  cellButtons_ = std::make_unique<TCellButtonsEh>(this, TCellButtonEh::StaticClass());
  cellButtons_->OnChanged = [this](TObject*) { Changed(false); };
  dropDownSpecRow_ = std::make_unique<TSpecRowEh>(this);
  dropDownSpecRow_->OnChanged = [this](TObject*) { Changed(false); };
  dropDownBox_ = std::make_unique<TColumnDropDownBoxEh>(this);
  mruList_ = std::make_unique<TMRUListEh>(this);
  imageChangeLink_ = std::make_unique<TChangeLink>();
  imageChangeLink_->OnChange = TNotifyEvent(this, &TAxisBarEh::ImageListChange);
  font_->Assign(DefaultFont());
  font_->OnChange = TNotifyEvent(this, &TAxisBarEh::FontChanged);
  lookupParams_.reset(CreateLookupParams());
}

TAxisBarEh::~TAxisBarEh() {
  SetCollection(nullptr);
  lookupParams_.reset();
  if (dataListBox_) delete dataListBox_;
  if (imageList_) imageList_->UnRegisterChanges(imageChangeLink_.get());
}

void TAxisBarEh::SetCollection(TCollection* collection) {
  TCollectionItem::SetCollection(collection);
  auto* bars = dynamic_cast<TGridAxisBarsEh*>(collection);
  grid_ = bars ? bars->GetGrid() : nullptr;
}

void TAxisBarEh::SetCellButtons(TCellButtonsEh* value) { cellButtons_->Assign(value); }

TAxisBarTitleEh* TAxisBarEh::CreateTitle() { return new TAxisBarTitleEh(this); }
TAxisBarMainEditButtonEh* TAxisBarEh::CreateMainEditButton() { return new TAxisBarMainEditButtonEh(this); }
TAxisBarEditButtonsEh* TAxisBarEh::CreateEditButtons() {
  return new TAxisBarEditButtonsEh(this, TVisibleEditButtonEh::StaticClass());
}
TEditButtonEh* TAxisBarEh::CreateEditButton() { return new TVisibleEditButtonEh(nullptr); }

TEditButtonDrawBackTimeEh TAxisBarEh::GetEditButtonDrawBackTime() {
  return grid_ ? grid_->GetAxisBarDefValues()->GetEditButtonDrawBackTime() : edbtAlwaysEh;
}

String TAxisBarEh::GetDisplayName() const {
  return fieldName_.empty() ? TCollectionItem::GetDisplayName() : fieldName_;
}

String TAxisBarEh::GetName() const { return u"Column_" + IntToStr(GetIndex()) + u"_" + fieldName_; }

void TAxisBarEh::Changed(bool allItems) { TCollectionItem::Changed(allItems); }

void TAxisBarEh::CellDataLinkClick() {
  if (OnCellDataLinkClick) OnCellDataLinkClick(grid_, this);
}

TDBLookupDataEh* TAxisBarEh::CreateLookupParams() { return new TDBLookupDataEh(this); }

void TAxisBarEh::InitLookupParams() { lookupParams_.reset(CreateLookupParams()); }
TDataSource* TAxisBarEh::GetLookupOwnerDataSource() { return grid_ ? grid_->GetDataSource() : nullptr; }
TComponent* TAxisBarEh::GetLookupOwnerComponent() { return grid_; }

void TAxisBarEh::LookupParamsChanged() {
  if (grid_) grid_->LookupDataChanged(this);
}

void TAxisBarEh::SetTextArea(const TRect&) {
  throw Exception(u" TAxisBarEh.SetTextArea must be realized in the inherited class.");
}

// ======================= Field binding =======================

TField* TAxisBarEh::GetField() {
  if (field_) return field_;
  if (fieldName_.empty() || !grid_) return nullptr;
  TDataSet* ds = grid_->GetDataLink()->GetDataSet();
  if (!ds || !(ds->GetActive() || !ds->GetDefaultFields())) return nullptr;
  if (TField* f = ds->FindField(fieldName_)) {
    field_ = f;
    fieldName_ = f->GetFieldName();
    if (lookupParams_) lookupParams_->UpdateLookupState();
  }
  return field_;
}

void TAxisBarEh::SetField(TField* value) {
  if (field_ == value) return;
  field_ = value;
  if (value) fieldName_ = value->GetFieldName();
  if (lookupParams_ && (value || fieldName_.empty())) lookupParams_->UpdateLookupState();
  if (IsDefaultBar()) {
    if (!value) fieldName_.clear();
    RestoreDefaults();
  }
  Changed(false);
}

void TAxisBarEh::SetFieldName(const String& value) {
  if (fieldName_ == value) return;
  fieldName_ = value;
  BindField();
}

void TAxisBarEh::BindField() {
  TField* f = nullptr;
  if (grid_ && !grid_->IsLoading() && !fieldName_.empty()) {
    if (TDataSet* ds = grid_->GetDataLink()->GetDataSet()) f = ds->FindField(fieldName_);
  }
  if (!f) {
    // Keep the name: a bar may name a field the dataset gets later.
    field_ = nullptr;
    Changed(false);
    return;
  }
  SetField(f);
}

void TAxisBarEh::SetIndex(int value) {
  const int old = GetIndex();
  auto* bars = static_cast<TGridAxisBarsEh*>(GetCollection());
  if (bars && grid_ && bars->GetState() == csDefault && grid_->GetDataLink()->GetActive()) {
    TField* target = grid_->GetDataLink()->GetFields(value);
    TField* own = GetField();
    if (target && own) own->SetIndex(target->GetIndex());
  }
  if (bars && old >= 0 && old != value && value >= 0 && value < bars->GetCount())
    bars->BarListChanged(this, 2);
  TCollectionItem::SetIndex(value);
}

// ======================= Assigned values =======================

template <class T>
void TAxisBarEh::SetAssigned(T& field, T value, TAxisBarEhValue member, T) {
  if (assignedValues_.Contains(member) && field == value) return;
  field = value;
  assignedValues_.Include(member);
  Changed(false);
}

TColor TAxisBarEh::DefaultColor() const { return grid_ ? grid_->GetColor() : clWindow; }
TColor TAxisBarEh::GetColor() const { return assignedValues_.Contains(cvColor) ? color_ : DefaultColor(); }
void TAxisBarEh::SetColor(TColor value) { SetAssigned(color_, value, cvColor, DefaultColor()); }
bool TAxisBarEh::IsColorStored() const {
  return assignedValues_.Contains(cvColor) && color_ != DefaultColor();
}

TFont* TAxisBarEh::DefaultFont() const { return grid_ ? grid_->GetFont() : font_.get(); }

void TAxisBarEh::RefreshDefaultFont() {
  if (assignedValues_.Contains(cvFont) || fontSyncing_) return;
  TFont* def = DefaultFont();
  if (def == font_.get() || FontsEqualEh(font_.get(), def)) return;
  fontSyncing_ = true;
  auto saved = font_->OnChange;
  font_->OnChange = nullptr;
  auto restore = MakeScopeExit([this, saved] {
    font_->OnChange = saved;
    fontSyncing_ = false;
  });
  font_->Assign(def);
}

TFont* TAxisBarEh::GetFont() {
  RefreshDefaultFont();
  return font_.get();
}

void TAxisBarEh::SetFont(TFont* value) {
  font_->Assign(value);
  assignedValues_.Include(cvFont);
  Changed(false);
}

void TAxisBarEh::FontChanged(TObject*) {
  assignedValues_.Include(cvFont);
  title_->RefreshDefaultFont();
  Changed(false);
}

TAlignment TAxisBarEh::DefaultAlignment() const {
  TField* f = const_cast<TAxisBarEh*>(this)->GetField();
  return f ? f->GetAlignment() : taLeftJustify;
}
TAlignment TAxisBarEh::GetAlignment() const {
  return assignedValues_.Contains(cvAlignment) ? alignment_ : DefaultAlignment();
}
void TAxisBarEh::SetAlignment(TAlignment value) {
  if (IsDefaultBar() && grid_ && grid_->GetDataLink()->GetActive() && GetField()) {
    GetField()->SetAlignment(value);
    return;
  }
  SetAssigned(alignment_, value, cvAlignment, DefaultAlignment());
}
void TAxisBarEh::SetAlignmentStored(bool value) {
  if (value == assignedValues_.Contains(cvAlignment)) return;
  if (value) {
    alignment_ = DefaultAlignment();
    assignedValues_.Include(cvAlignment);
  } else {
    assignedValues_.Exclude(cvAlignment);
  }
  Changed(false);
}

bool TAxisBarEh::DefaultReadOnly() const {
  TField* f = const_cast<TAxisBarEh*>(this)->GetField();
  return (grid_ && grid_->GetReadOnly()) || (f && f->GetReadOnly());
}
bool TAxisBarEh::GetReadOnly() const {
  return assignedValues_.Contains(cvReadOnly) ? readonly_ : DefaultReadOnly();
}
void TAxisBarEh::SetReadOnly(bool value) {
  if (IsDefaultBar() && grid_ && grid_->GetDataLink()->GetActive() && GetField()) {
    GetField()->SetReadOnly(value);
    return;
  }
  SetAssigned(readonly_, value, cvReadOnly, DefaultReadOnly());
}
bool TAxisBarEh::IsReadOnlyStored() const {
  return assignedValues_.Contains(cvReadOnly) && readonly_ != DefaultReadOnly();
}

TImeMode TAxisBarEh::DefaultImeMode() const { return grid_ ? grid_->GetImeMode() : imeMode_; }
TImeMode TAxisBarEh::GetImeMode() const {
  return assignedValues_.Contains(cvImeMode) ? imeMode_ : DefaultImeMode();
}
void TAxisBarEh::SetImeMode(TImeMode value) {
  if (assignedValues_.Contains(cvImeMode) || value != DefaultImeMode()) {
    imeMode_ = value;
    assignedValues_.Include(cvImeMode);
  }
  Changed(false);
}
String TAxisBarEh::DefaultImeName() const { return grid_ ? grid_->GetImeName() : imeName_; }
String TAxisBarEh::GetImeName() const {
  return assignedValues_.Contains(cvImeName) ? imeName_ : DefaultImeName();
}
void TAxisBarEh::SetImeName(const String& value) {
  if (assignedValues_.Contains(cvImeName) || value != DefaultImeName()) {
    imeName_ = value;
    assignedValues_.Include(cvImeName);
  }
  Changed(false);
}

bool TAxisBarEh::GetWordWrap() const {
  if (assignedValues_.Contains(cvWordWrap)) return wordWrap_;
  TField* f = const_cast<TAxisBarEh*>(this)->GetField();
  if (!grid_ || !f) return false;
  switch (f->GetDataType()) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftWideString:
    case ftOraClob:
    case ftWideMemo:
      return true;
    default:
      return false;
  }
}
void TAxisBarEh::SetWordWrap(bool value) {
  const bool old = GetWordWrap();
  wordWrap_ = value;
  assignedValues_.Include(cvWordWrap);
  if (old != value) Changed(false);
}

String TAxisBarEh::GetLookupDisplayFields() const {
  return assignedValues_.Contains(cvLookupDisplayFields) ? lookupDisplayFields_ : String();
}
void TAxisBarEh::SetLookupDisplayFields(const String& value) {
  if (assignedValues_.Contains(cvLookupDisplayFields) || !value.empty()) {
    lookupDisplayFields_ = value;
    assignedValues_.Include(cvLookupDisplayFields);
  }
  Changed(false);
}

bool TAxisBarEh::GetCheckboxes() const {
  if (assignedValues_.Contains(cvCheckboxes)) return checkboxes_;
  TField* f = const_cast<TAxisBarEh*>(this)->GetField();
  return f && f->GetDataType() == ftBoolean;
}
void TAxisBarEh::SetCheckboxes(bool value) { SetAssigned(checkboxes_, value, cvCheckboxes, false); }

#define KIV_AXISBAR_DEFVALUE(Name, Member, Field, Fallback)              \
  bool TAxisBarEh::Get##Name() const {                                   \
    if (assignedValues_.Contains(Member)) return Field;                  \
    return grid_ ? grid_->GetAxisBarDefValues()->Get##Name() : Fallback; \
  }
KIV_AXISBAR_DEFVALUE(AlwaysShowEditButton, cvAlwaysShowEditButton, alwaysShowEditButton_, false)
KIV_AXISBAR_DEFVALUE(EndEllipsis, cvEndEllipsis, endEllipsis_, false)
KIV_AXISBAR_DEFVALUE(AutoDropDown, cvAutoDropDown, autoDropDown_, false)
KIV_AXISBAR_DEFVALUE(DblClickNextVal, cvDblClickNextVal, dblClickNextVal_, false)
KIV_AXISBAR_DEFVALUE(ToolTips, cvToolTips, toolTips_, false)
KIV_AXISBAR_DEFVALUE(DropDownSizing, cvDropDownSizing, dropDownSizing_, false)
KIV_AXISBAR_DEFVALUE(DropDownShowTitles, cvDropDownShowTitles, dropDownShowTitles_, false)
KIV_AXISBAR_DEFVALUE(HighlightRequired, cvHighlightRequired, highlightRequired_, false)
#undef KIV_AXISBAR_DEFVALUE

void TAxisBarEh::SetAlwaysShowEditButton(bool value) {
  SetAssigned(alwaysShowEditButton_, value, cvAlwaysShowEditButton, false);
}
void TAxisBarEh::SetEndEllipsis(bool value) { SetAssigned(endEllipsis_, value, cvEndEllipsis, false); }
void TAxisBarEh::SetHighlightRequired(bool value) {
  SetAssigned(highlightRequired_, value, cvHighlightRequired, false);
}

// These store without a change signal.
#define KIV_AXISBAR_QUIETSET(Name, Member, Field)                    \
  void TAxisBarEh::Set##Name(bool value) {                           \
    if (!assignedValues_.Contains(Member) || value != Get##Name()) { \
      Field = value;                                                 \
      assignedValues_.Include(Member);                               \
    }                                                                \
  }
KIV_AXISBAR_QUIETSET(AutoDropDown, cvAutoDropDown, autoDropDown_)
KIV_AXISBAR_QUIETSET(DblClickNextVal, cvDblClickNextVal, dblClickNextVal_)
KIV_AXISBAR_QUIETSET(ToolTips, cvToolTips, toolTips_)
KIV_AXISBAR_QUIETSET(DropDownSizing, cvDropDownSizing, dropDownSizing_)
KIV_AXISBAR_QUIETSET(DropDownShowTitles, cvDropDownShowTitles, dropDownShowTitles_)
#undef KIV_AXISBAR_QUIETSET

TTextLayout TAxisBarEh::GetLayout() const {
  if (assignedValues_.Contains(cvLayout)) return layout_;
  return grid_ ? grid_->GetAxisBarDefValues()->GetLayout() : tlTop;
}
void TAxisBarEh::SetLayout(TTextLayout value) { SetAssigned(layout_, value, cvLayout, tlTop); }

TBiDiMode TAxisBarEh::GetBiDiMode() const {
  if (assignedValues_.Contains(cvBiDiMode)) return biDiMode_;
  return grid_ ? grid_->GetBiDiMode() : biDiMode_;
}
void TAxisBarEh::SetBiDiMode(TBiDiMode value) { SetAssigned(biDiMode_, value, cvBiDiMode, bdLeftToRight); }

bool TAxisBarEh::GetTextEditing() const {
  if (assignedValues_.Contains(cvTextEditing)) return textEditing_;
  const TAxisBarEhType type = const_cast<TAxisBarEh*>(this)->GetBarType();
  return type != ctKeyImageList && type != ctCheckboxes && type != ctGraphicData;
}
void TAxisBarEh::SetTextEditing(bool value) {
  if (assignedValues_.Contains(cvTextEditing) || value != GetTextEditing() || (grid_ && grid_->IsLoading())) {
    textEditing_ = value;
    assignedValues_.Include(cvTextEditing);
  }
  Changed(false);
}

bool TAxisBarEh::GetLimitTextToListValues() const {
  if (limitTextToListValuesStored_) return limitTextToListValues_;
  const TAxisBarEhType type = const_cast<TAxisBarEh*>(this)->GetBarType();
  return (type == ctLookupField || type == ctKeyPickList) && !OnNotInList;
}
void TAxisBarEh::SetLimitTextToListValues(bool value) {
  if (!limitTextToListValuesStored_ || value != limitTextToListValues_) {
    SetLimitTextToListValuesStored(true);
    limitTextToListValues_ = value;
  }
}
void TAxisBarEh::SetLimitTextToListValuesStored(bool value) {
  if (value == limitTextToListValuesStored_) return;
  const bool def = GetLimitTextToListValues();
  limitTextToListValuesStored_ = value;
  limitTextToListValues_ = def;
}

// ======================= Plain properties =======================

TCellButtonStyleEh TAxisBarEh::GetButtonStyle() const { return editButton_->GetButtonStyle(); }
void TAxisBarEh::SetButtonStyle(TCellButtonStyleEh value) { editButton_->SetButtonStyle(value); }

void TAxisBarEh::SetDisplayFormat(const String& value) {
  if (displayFormat_ == value) return;
  displayFormat_ = value;
  Changed(false);
}
void TAxisBarEh::SetEditMask(const String& value) {
  if (editMask_ == value) return;
  editMask_ = value;
  Changed(false);
}
void TAxisBarEh::SetDropDownWidth(Integer value) {
  if (dropDownWidth_ == value) return;
  dropDownWidth_ = value;
  Changed(false);
}
void TAxisBarEh::SetShowImageAndText(bool value) {
  if (showImageAndText_ == value) return;
  showImageAndText_ = value;
  Changed(false);
}
void TAxisBarEh::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  Changed(true);
}
void TAxisBarEh::SetNotInKeyListIndex(Integer value) {
  if (notInKeyListIndex_ == value) return;
  notInKeyListIndex_ = value;
  if (grid_) grid_->Invalidate();
}

TStrings* TAxisBarEh::GetPickList() {
  if (!pickList_) pickList_ = std::make_unique<TStringList>();
  return pickList_.get();
}
void TAxisBarEh::SetPickList(TStrings* value) {
  if (!value) {
    pickList_.reset();
    return;
  }
  GetPickList()->Assign(value);
}
TStrings* TAxisBarEh::GetKeyList() {
  if (!keyList_) {
    keyList_ = std::make_unique<TStringList>();
    keyList_->SetCaseSensitive(true);
  }
  return keyList_.get();
}
void TAxisBarEh::SetKeyList(TStrings* value) {
  if (!value) {
    keyList_.reset();
    return;
  }
  GetKeyList()->Assign(value);
  if (grid_) grid_->Invalidate();
}

void TAxisBarEh::SetImageList(TCustomImageList* value) {
  if (imageList_) imageList_->UnRegisterChanges(imageChangeLink_.get());
  imageList_ = value;
  if (value) {
    value->RegisterChanges(imageChangeLink_.get());
    if (grid_) value->FreeNotification(grid_);
  }
  if (grid_) grid_->Invalidate();
}

void TAxisBarEh::ImageListChange(TObject* sender) {
  if (sender == imageList_ && grid_) grid_->Invalidate();
}

void TAxisBarEh::SetPopupMenu(TPopupMenu* value) {
  if (popupMenu_ == value) return;
  popupMenu_ = value;
  if (value && grid_) value->FreeNotification(grid_);
}

bool TAxisBarEh::GetEditButtonPressed() const { return false; }
void TAxisBarEh::SetEditButtonPressed(bool) {}

Integer TAxisBarEh::CalcEditButtonHeight() { return grid_ ? grid_->GetDefaultRowHeight() : 0; }
Integer TAxisBarEh::GetInplaceEditorButtonWidth() {
  return editButton_->GetWidth() > 0
             ? editButton_->GetWidth()
             : (grid_ ? grid_->GetInplaceEditorButtonWidth() : DefaultEditButtonWidthEh());
}
Integer TAxisBarEh::EditButtonsWidth() {
  Integer width = editButton_->GetVisible() ? GetInplaceEditorButtonWidth() : 0;
  for (Integer i = 0; i < editButtons_->GetCount(); ++i) {
    TEditButtonEh* b = editButtons_->GetEditButton(i);
    if (b->GetVisible()) width += b->GetWidth() > 0 ? b->GetWidth() : GetInplaceEditorButtonWidth();
  }
  return width;
}
bool TAxisBarEh::InCellButtonsBoxVisible() { return GetBarType() == ctGraphicData && !GetTextEditing(); }
Integer TAxisBarEh::GetCellHeight(Integer row) { return grid_ ? grid_->GetRowHeights(row) : 0; }

TDataSet* TAxisBarEh::GetListDataSet() const {
  TDataSource* source = dropDownBox_->GetListSource();
  return source ? source->GetDataSet() : nullptr;
}

TCustomForm* TAxisBarEh::GetDataListBox() {
  if (dataListBox_) return dataListBox_;
  TDataListBoxFactoryEh factory = GetDataListBoxFactoryEh();
  if (!factory)
    throw EInvalidGridOperationEh(
        u"The data-list drop-down needs the data grid library: its box factory is not registered");
  dataListBox_ = factory(this);
  if (dataListBox_) dataListBox_->SetName(u"DropDownBox");
  return dataListBox_;
}

// ======================= Assign and defaults =======================

void TAxisBarEh::Assign(TPersistent* source) {
  auto* src = dynamic_cast<TAxisBarEh*>(source);
  if (!src) return TCollectionItem::Assign(source);
  TCollection* owner = GetCollection();
  if (owner) owner->BeginUpdate();
  auto end = MakeScopeExit([owner] {
    if (owner) owner->EndUpdate();
  });
  RestoreDefaults();
  SetFieldName(src->GetFieldName());
  const TAxisBarEhValues theirs = src->GetAssignedValues();
  // Only what the source set itself is copied as set; the rest keeps following the grid's defaults.
  if (theirs.Contains(cvColor)) SetColor(src->color_);
  if (theirs.Contains(cvFont)) SetFont(src->font_.get());
  if (theirs.Contains(cvImeMode)) SetImeMode(src->imeMode_);
  if (theirs.Contains(cvImeName)) SetImeName(src->imeName_);
  if (theirs.Contains(cvAlignment)) SetAssigned(alignment_, src->alignment_, cvAlignment, taLeftJustify);
  if (theirs.Contains(cvReadOnly)) SetAssigned(readonly_, src->readonly_, cvReadOnly, false);
  caseInsensitiveTextSearch_ = src->caseInsensitiveTextSearch_;
  if (lookupParams_->LookupDataIsStored() && src->lookupParams_)
    lookupParams_->Assign(src->lookupParams_.get());
  if (src->limitTextToListValuesStored_) SetLimitTextToListValues(src->limitTextToListValues_);
  title_->Assign(src->title_.get());
  dropDownRows_ = src->dropDownRows_;
  SetButtonStyle(src->GetButtonStyle());
  SetPickList(src->pickList_.get());
  SetPopupMenu(src->popupMenu_);
  if (theirs.Contains(cvWordWrap)) SetWordWrap(src->wordWrap_);
  if (theirs.Contains(cvEndEllipsis)) SetEndEllipsis(src->endEllipsis_);
  dropDownWidth_ = src->dropDownWidth_;
  if (theirs.Contains(cvLookupDisplayFields)) SetLookupDisplayFields(src->lookupDisplayFields_);
  if (theirs.Contains(cvAutoDropDown)) SetAutoDropDown(src->autoDropDown_);
  if (theirs.Contains(cvAlwaysShowEditButton)) SetAlwaysShowEditButton(src->alwaysShowEditButton_);
  SetKeyList(src->keyList_.get());
  if (theirs.Contains(cvCheckboxes)) SetCheckboxes(src->checkboxes_);
  increment_ = src->increment_;
  if (theirs.Contains(cvToolTips)) SetToolTips(src->toolTips_);
  tag_ = src->tag_;
  SetVisible(src->visible_);
  SetImageList(src->imageList_);
  notInKeyListIndex_ = src->notInKeyListIndex_;
  if (theirs.Contains(cvDblClickNextVal)) SetDblClickNextVal(src->dblClickNextVal_);
  if (theirs.Contains(cvDropDownSizing)) SetDropDownSizing(src->dropDownSizing_);
  if (theirs.Contains(cvDropDownShowTitles)) SetDropDownShowTitles(src->dropDownShowTitles_);
  if (theirs.Contains(cvLayout)) SetLayout(src->layout_);
  if (theirs.Contains(cvHighlightRequired)) SetHighlightRequired(src->highlightRequired_);
  if (theirs.Contains(cvTextEditing)) SetTextEditing(src->textEditing_);
  OnNotInList = src->OnNotInList;
  OnUpdateData = src->OnUpdateData;
  editButton_->Assign(src->editButton_.get());
  editButtons_->Assign(src->editButtons_.get());
  cellButtons_->Assign(src->cellButtons_.get());
  dropDownBox_->Assign(src->dropDownBox_.get());
  mruList_->Assign(src->mruList_.get());
  SetDisplayFormat(src->displayFormat_);
  SetEditMask(src->editMask_);
  SetShowImageAndText(src->showImageAndText_);
}

void TAxisBarEh::RestoreDefaults() {
  const bool hadFont = assignedValues_.Contains(cvFont);
  title_->RestoreDefaults();
  assignedValues_ = TAxisBarEhValues();
  RefreshDefaultFont();
  pickList_.reset();
  editButton_->SetButtonStyle(TCellButtonStyleEh::cbsAuto);
  Changed(hadFont);
  keyList_.reset();
}

// ======================= Rights and writing =======================

bool TAxisBarEh::CanModify(bool tryEdit) {
  bool result = true;
  if (grid_ &&
      (grid_->GetReadOnly() || !grid_->GetDataLink()->GetActive() || grid_->GetDataLink()->GetReadOnly()))
    result = false;
  if (GetReadOnly()) result = false;
  TField* keyField = GetField();
  if (LookupActive()) {
    const TFieldsArrEh& keys = lookupParams_->GetKeyFields();
    keyField = keys.empty() ? nullptr : keys[0];
    if (result) result = !keys.empty() && FieldsCanModifyEh(keys);
  }
  if (!keyField) result = false;
  if (result) {
    result = keyField->CanModify();
    if (result) {
      if (!keyField->IsBlob() || keyField->OnSetText)
        result = grid_ ? grid_->IsDataEditAllowed() : true;
      else
        result = grid_ && grid_->GetDrawMemoText() && IsMemoFieldTypeEh(keyField->GetDataType()) &&
                 grid_->IsDataEditAllowed();
    }
  }
  if (checkModifyColCellParams_) {
    FillColCellParams(checkModifyColCellParams_.get());
    checkModifyColCellParams_->ReadOnly = !result;
    GetColCellParams(true, checkModifyColCellParams_.get());
    result = !checkModifyColCellParams_->ReadOnly;
  }
  if (tryEdit && result && grid_) {
    grid_->GetDataLink()->Edit();
    result = grid_->GetDataLink()->GetEditing();
    if (result) grid_->GetDataLink()->Modified();
  }
  return result;
}

bool TAxisBarEh::CanEditValue() {
  if (!visible_ || GetReadOnly() || !grid_ || !grid_->GetDataLink()->GetActive()) return false;
  if (LookupActive()) return !GetReadOnly();
  TField* f = GetField();
  if (!f || f->GetFieldKind() == fkCalculated) return false;
  if (f->GetFieldKind() == fkLookup && !f->GetKeyFields().empty()) {
    if (f->GetReadOnly() || !f->GetDataSet()) return false;
    std::vector<TField*> keys;
    f->GetDataSet()->GetFieldList(keys, f->GetKeyFields());
    for (TField* k : keys)
      if (k->GetReadOnly()) return false;
  }
  return true;
}

void TAxisBarEh::FillColCellParams(TAxisColCellParamsEh* params) {
  if (grid_) grid_->GetBarCell(this, params->Col, params->Row);
  params->State = TGridDrawState();
  params->Font = grid_ ? grid_->GetDummiFont() : nullptr;
  if (params->Font) params->Font->Assign(GetFont());
  params->Background = GetColor();
  params->Alignment = GetAlignment();
  params->ImageIndex = GetImageIndex();
  params->Text = DisplayText();
  params->CheckboxState = GetCheckboxState();
  params->ReadOnly = GetReadOnly();
  params->TextEditing = GetTextEditing();
  params->BlankCell = false;
  params->TextIsLink = params->ImageIsLink = cellDataIsLink_;
  params->axisBarIndex_ = GetIndex();
}

void TAxisBarEh::GetColCellParams(bool, TAxisColCellParamsEh* params) {
  if (!grid_ || !params->Font) return;
  const TGridCoord hot = grid_->GetHotTrackCell();
  if (hot.X == params->Col && hot.Y == params->Row && params->TextIsLink &&
      grid_->IsMouseInRect(params->GetCellRect())) {
    TFontStyles style = params->Font->GetStyle();
    style.Include(fsUnderline);
    params->Font->SetStyle(style);
  }
}

void TAxisBarEh::UpdateDataValues(const String& text, const Variant& value, bool useText) {
  if (!grid_) return;
  TAxisGridDataLinkEh* link = grid_->GetDataLink();
  const bool raised = !link->InUpdateData();
  if (raised) link->SetInUpdateData(true);
  auto lower = MakeScopeExit([link, raised] {
    if (raised) link->SetInUpdateData(false);
  });
  String t = text;
  Variant v = value;
  bool handled = false;
  if (OnUpdateData) OnUpdateData(this, t, v, useText, handled);
  if (handled) return;
  TField* f = GetField();
  if (!useText && LookupActive()) {
    SetFieldsValuesEh(grid_->GetDataLink()->GetDataSet(), lookupParams_->GetKeyFieldNames(), v);
    return;
  }
  if (!f) return;
  if (!useText)
    f->SetAsVariant(v);
  else if (grid_->GetDrawMemoText() && IsMemoFieldTypeEh(f->GetDataType()))
    f->SetAsString(t);
  else
    f->SetText(t);
  if (mruList_->GetActive() && mruList_->GetAutoAdd() && grid_->InplaceEditorVisible()) mruList_->Add(t);
}

void TAxisBarEh::SetValueAsText(const String& value) { UpdateDataValues(value, Variant(value), true); }

void TAxisBarEh::CheckDropDownReadOnly(bool& readOnly) {
  readOnly = !CanModify(false);
  if (readOnly || !grid_) return;
  TDataSource* source = grid_->GetDataSource();
  if (!grid_->GetDataLink()->GetEditing() && source && !source->GetAutoEdit()) readOnly = true;
}
void TAxisBarEh::SetValueAsVariant(const Variant& value) { UpdateDataValues(String(), value, false); }
Variant TAxisBarEh::GetVarValue() {
  TField* f = GetField();
  return f ? f->GetAsVariant() : Variant();
}
void TAxisBarEh::SetVarValue(const Variant& value) { SetValueAsText(VarToStr(value)); }

// ======================= TBaseColumnEh =======================

bool TBaseColumnEh::GetAutoFitColWidth() const { throw EAbstractError(u"Abstract Error"); }
Integer TBaseColumnEh::GetWidth() const { throw EAbstractError(u"Abstract Error"); }
Integer TBaseColumnEh::GetMinWidth() const { throw EAbstractError(u"Abstract Error"); }
Integer TBaseColumnEh::GetMaxWidth() const { throw EAbstractError(u"Abstract Error"); }
void TBaseColumnEh::SetAutoFitColWidth(bool) { throw EAbstractError(u"Abstract Error"); }
void TBaseColumnEh::SetMaxWidth(Integer) { throw EAbstractError(u"Abstract Error"); }
void TBaseColumnEh::SetMinWidth(Integer) { throw EAbstractError(u"Abstract Error"); }
void TBaseColumnEh::SetWidth(Integer) { throw EAbstractError(u"Abstract Error"); }

// ======================= The collection =======================

TGridAxisBarsEh::TGridAxisBarsEh(TCustomDBAxisGridEh* grid, TClass barClass)
    : TCollection(barClass), grid_(grid) {}

TPersistent* TGridAxisBarsEh::GetOwner() const {
  if (grid_ && grid_->GetAxisBarOwner()) return grid_->GetAxisBarOwner();
  return grid_;
}

void TGridAxisBarsEh::Assign(TPersistent* source) {
  if (!grid_) return TCollection::Assign(source);
  grid_->BeginLayout();
  TryFinally([&] { TCollection::Assign(source); }, [this] { grid_->EndLayout(); });
}

TDBGridBarsState TGridAxisBarsEh::GetState() const {
  return GetCount() > 0 && GetAxisBar(0)->GetStored() ? csCustomized : csDefault;
}

void TGridAxisBarsEh::SetState(TDBGridBarsState value) {
  if (value == GetState()) return;
  if (value == csCustomized)
    RebuildBars();
  else
    Clear();
}

TAxisBarEh* TGridAxisBarsEh::AddDefaultBar() {
  TAxisBarEh* bar = Add();
  bar->SetStored(false);
  return bar;
}

void TGridAxisBarsEh::AddAllBars(bool deleteExisting) {
  TDataSource* source = grid_ ? grid_->GetDataSource() : nullptr;
  if (source && source->GetDataSet()) {
    grid_->BeginLayout();
    TryFinally(
        [&] {
          if (deleteExisting) Clear();
          std::vector<TField*> fields;
          grid_->FillFieldList(fields);
          for (TField* f : fields) Add()->SetFieldName(f->GetFieldName());
        },
        [this] { grid_->EndLayout(); });
  } else if (deleteExisting) {
    Clear();
  }
}

void TGridAxisBarsEh::RestoreDefaults() {
  BeginUpdate();
  TryFinally(
      [this] {
        for (Integer i = 0; i < GetCount(); ++i) GetAxisBar(i)->RestoreDefaults();
      },
      [this] { EndUpdate(); });
}

TAxisBarEh* TGridAxisBarsEh::FindBarByName(const String& columnName) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetAxisBar(i)->GetName() == columnName) return GetAxisBar(i);
  return nullptr;
}

void TGridAxisBarsEh::GetBarNames(TStrings* list) const {
  for (Integer i = 0; i < GetCount(); ++i) list->Add(GetAxisBar(i)->GetName());
}

bool TGridAxisBarsEh::CheckItemInList(TObject* axisBar) const {
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetItem(i) == axisBar) return true;
  return false;
}

void TGridAxisBarsEh::ActiveChanged() {
  for (Integer i = 0; i < GetCount(); ++i) GetAxisBar(i)->GetLookupParams()->UpdateLookupState();
}

void TGridAxisBarsEh::Notify(TCollectionItem* item, TCollectionNotification action) {
  auto* bar = static_cast<TAxisBarEh*>(item);
  if (action == cnExtracting || action == cnDeleting) {
    if (grid_ && action == cnExtracting) {
      grid_->AxisBarDeleting(bar);
      // The visible list must not keep a bar that is going away.
      if (grid_->GetVisibleAxisBars()) grid_->GetVisibleAxisBars()->Remove(bar);
    }
    if (action == cnExtracting) BarListChanged(bar, 1);
  } else {
    BarListChanged(bar, 0);
    // A new bar lays the grid out, unless a batch of changes is under way.
    if (grid_ && GetUpdateCount() == 0) grid_->LayoutChanged();
  }
}

void TColumnsWrapper::Published(TPropBuilder<TColumnsWrapper>& p) {
  p.Object(u"AxisBars", &TColumnsWrapper::GetAxisBars, &TColumnsWrapper::SetAxisBars);
}

void TColumnsWrapper::SetAxisBars(TGridAxisBarsEh* value) {
  if (axisBars_ && value) axisBars_->Assign(value);
}

void TGridAxisBarsEh::SaveToStream(TStream* s) {
  TColumnsWrapper wrapper(nullptr);
  wrapper.SetAxisBarsRef(this);
  s->WriteComponent(&wrapper);
}

void TGridAxisBarsEh::LoadFromStream(TStream* s) {
  if (!grid_) throw EInvalidGridOperationEh(u"Bars without a grid cannot be loaded");
  std::unique_ptr<TGridAxisBarsEh> read(grid_->CreateAxisBars());
  TColumnsWrapper wrapper(nullptr);
  wrapper.SetAxisBarsRef(read.get());
  // Read bars must not lay out the grid half-way: their collection has no grid until assigned.
  read->grid_ = nullptr;
  s->ReadComponent(&wrapper);
  read->grid_ = grid_;
  Assign(read.get());
}

void TGridAxisBarsEh::SaveToFile(const String& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

void TGridAxisBarsEh::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead);
  LoadFromStream(&stream);
}
