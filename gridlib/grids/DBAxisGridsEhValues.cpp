// What a bar shows and edits: display and edit texts through key and pick lists, image indexes,
// check-box states, stepping to the next value, typed-text filters of list datasets, and the
// clipboard of a cell's value.
#include "gridlib/editors/DBImageEh.h"
#include "gridlib/grids/DBAxisGridsEh.h"
#include "platform/controls/Clipbrd.h"
#include "platform/data/DBFilterExpr.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FloatFormat.h"

namespace {

bool IsNumericStepType(TFieldType t) {
  switch (t) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
    case ftSingle:
      return true;
    default:
      return false;
  }
}

bool IsNumericCheckboxType(TFieldType t) { return t != ftWord && IsNumericStepType(t); }

Integer IndexOfText(TStrings* list, const String& text) {
  for (Integer i = 0; i < list->GetCount(); ++i)
    if (list->Get(i) == text) return i;
  return -1;
}

String TrimBlanks(const String& s) {
  size_t a = 0, b = s.size();
  while (a < b && s[a] == u' ') ++a;
  while (b > a && s[b - 1] == u' ') --b;
  return s.substr(a, b - a);
}

}  // namespace

// ======================= Texts =======================

String TAxisBarEh::FormatFieldDisplayText(TField* field, const String& format) {
  if (format.empty()) return field->GetDisplayText();
  if (field->IsNull()) return String();
  if (dynamic_cast<TNumericField*>(field)) return FormatFloat(format, field->GetAsFloat());
  if (dynamic_cast<TDateTimeField*>(field) || dynamic_cast<TSQLTimeStampField*>(field)) {
    String text;
    DateTimeToString(text, format, field->GetAsDateTime());
    return text;
  }
  return String();
}

String TAxisBarEh::DisplayText() {
  if (!grid_ || !grid_->DataSetActive()) return String();
  if (LookupActive() && grid_->GetDataLink()->GetActive()) {
    TSpecRowEh* spec = dropDownSpecRow_.get();
    if (spec->GetVisible()) {
      Variant key;
      GetFieldsValuesEh(grid_->GetDataLink()->GetDataSet(), lookupParams_->GetKeyFields(), key);
      if (VarEqualsEh(key, spec->GetValue()) ||
          (spec->GetShowIfNotInKeyList() && lookupParams_->GetKeyFieldsIsNull()))
        return spec->GetCellText(0);
    }
    String text;
    VarToDisplayTextEh(lookupParams_->GetLookupValue(), lookupParams_->GetLookupDisplayField(),
                       displayFormat_, text);
    return text;
  }
  TField* f = GetField();
  if (!f || GetBarType() == ctKeyImageList) return String();
  if (HasKeyListItems()) {
    const Integer i = IndexOfText(keyList_.get(), f->GetText());
    const Integer pickCount = pickList_ ? pickList_->GetCount() : 0;
    if (i >= 0 && i < pickCount) return pickList_->Get(i);
    if (notInKeyListIndex_ >= 0 && notInKeyListIndex_ < pickCount) return pickList_->Get(notInKeyListIndex_);
    return String();
  }
  if (grid_->GetDrawMemoText() && IsMemoFieldTypeEh(f->GetDataType())) return f->GetAsString();
  return FormatFieldDisplayText(f, displayFormat_);
}

String TAxisBarEh::EditText() {
  if (GetBarType() == ctKeyImageList) return String();
  if (HasKeyListItems()) return DisplayText();
  TField* f = GetField();
  if (!f) return String();
  if (grid_ && grid_->GetDrawMemoText() && IsMemoFieldTypeEh(f->GetDataType())) return f->GetAsString();
  if (GetBarType() == ctLookupField) return DisplayText();
  String text = f->GetText();
  if (!f->GetEditMask().empty()) {
    String masked;
    ApplyEditMaskEh(f->GetEditMask(), text, masked);
    return masked;
  }
  return text;
}

Variant TAxisBarEh::EditValue() {
  if (HasKeyListItems()) return Variant(DisplayText());
  TField* f = GetField();
  if (!f) return Variant();
  if (grid_ && grid_->GetDrawMemoText() && IsMemoFieldTypeEh(f->GetDataType()))
    return Variant(f->GetAsString());
  if (GetBarType() == ctLookupField) return Variant(DisplayText());
  return f->GetAsVariant();
}

String TAxisBarEh::GetInplaceEditMask() {
  if (!grid_ || !grid_->GetDataLink()->GetActive()) return String();
  if (!editMask_.empty()) return editMask_;
  TField* f = GetField();
  if (f && !HasKeyListItems()) return f->GetEditMask();
  return String();
}

String TAxisBarEh::GetInplaceEditText() {
  if (!grid_ || !grid_->GetDataLink()->GetActive()) return String();
  String text;
  if (LookupIsSetUp() && !lookupParams_->GetKeyFieldNames().empty()) {
    Variant key;
    GetFieldsValuesEh(grid_->GetDataLink()->GetDataSet(), lookupParams_->GetKeyFields(), key);
    grid_->SetEditKeyValue(key);
    text = DisplayText();
  } else if (TField* f = GetField()) {
    grid_->SetEditKeyValue(Variant());
    if (!HasKeyListItems()) {
      text = grid_->GetDrawMemoText() && IsMemoFieldTypeEh(f->GetDataType())
                 ? AdjustLineBreaks(f->GetAsString())
                 : f->GetText();
    } else {
      grid_->SetEditKeyValue(Variant(f->GetText()));
      const Integer i = IndexOfText(keyList_.get(), f->GetText());
      if (i >= 0 && pickList_ && i < pickList_->GetCount()) text = pickList_->Get(i);
    }
  }
  TAxisColCellParamsEh params;
  params.Text = text;
  params.Font = grid_->GetCanvas()->GetFont();
  grid_->GetBarCell(this, params.Col, params.Row);
  GetColCellParams(true, &params);
  grid_->SetEditTextValue(params.Text);
  return params.Text;
}

bool TAxisBarEh::GetEffectiveTextEditing() {
  if (!checkModifyColCellParams_) return GetTextEditing();
  FillColCellParams(checkModifyColCellParams_.get());
  if (grid_ && !grid_->IsLoading()) GetColCellParams(false, checkModifyColCellParams_.get());
  return checkModifyColCellParams_->TextEditing;
}

TAxisBarEhType TAxisBarEh::GetBarType() {
  if (GetCheckboxes()) return ctCheckboxes;
  if (LookupIsSetUp()) return ctLookupField;
  if (dropDownBox_->GetListSource()) return ctDataList;
  TField* f = GetField();
  if (f && f->IsBlob() && grid_ && grid_->GetDrawGraphicData()) {
    auto* blob = dynamic_cast<TBlobField*>(f);
    if (blob && blob->GetBlobType() == ftGraphic) return ctGraphicData;
  }
  if (HasPickListItems() && !HasKeyListItems()) return ctPickList;
  if (imageList_ && !showImageAndText_) return ctKeyImageList;
  if (HasKeyListItems() && HasPickListItems()) return ctKeyPickList;
  return ctCommon;
}

Integer TAxisBarEh::GetImageIndex() {
  TField* f = GetField();
  if (!f || !grid_ || !grid_->GetDataLink()->GetActive()) return -1;
  Integer result = -1;
  if (HasKeyListItems())
    result = IndexOfText(keyList_.get(), f->GetText());
  else if (HasPickListItems())
    result = IndexOfText(pickList_.get(), f->GetText());
  else if (!f->IsNull() && IsNumericFieldTypeEh(f->GetDataType()))
    result = FieldAsIntegerInRangeEh(f, -1);
  return result == -1 ? notInKeyListIndex_ : result;
}

// ======================= Check boxes =======================

bool TAxisBarEh::KeyListLineMatches(Integer line, const String& text) const {
  if (!keyList_ || line >= keyList_->GetCount()) return false;
  const String values = keyList_->Get(line);
  if (values.empty()) return text.empty();
  size_t start = 0;
  while (true) {
    const size_t end = values.find(u';', start);
    const String value = TrimBlanks(values.substr(start, end == String::npos ? String::npos : end - start));
    if (end == String::npos) {
      // A trailing ";" leaves an empty last value: it matches an empty text.
      return AnsiCompareText(value, text) == 0 && !(value.empty() && !text.empty());
    }
    if (AnsiCompareText(value, text) == 0 && !value.empty()) return true;
    start = end + 1;
  }
}

TCheckBoxState TAxisBarEh::GetCheckboxState() {
  TField* f = GetField();
  if (!f || !f->GetDataSet() || !f->GetDataSet()->GetActive()) return cbUnchecked;
  const bool noKeys = !HasKeyListItems();
  if (f->GetDataType() == ftBoolean && noKeys) {
    if (f->IsNull()) return cbGrayed;
    return f->GetAsBoolean() ? cbChecked : cbUnchecked;
  }
  if (IsNumericCheckboxType(f->GetDataType()) && noKeys) {
    if (f->IsNull()) return cbGrayed;
    return f->GetAsFloat() == 1 ? cbChecked : cbUnchecked;
  }
  const String text = f->GetText();
  if (KeyListLineMatches(0, text)) return cbChecked;
  if (keyList_ && keyList_->GetCount() >= 2 && KeyListLineMatches(1, text)) return cbUnchecked;
  return cbGrayed;
}

void TAxisBarEh::SetCheckboxState(TCheckBoxState value) {
  TField* f = GetField();
  if (!f) return;
  if (value == cbGrayed) return UpdateDataValues(String(), Variant::Null(), false);
  if (f->GetDataType() == ftBoolean) return UpdateDataValues(String(), Variant(value == cbChecked), false);
  if (IsNumericCheckboxType(f->GetDataType()) && !HasKeyListItems())
    return UpdateDataValues(String(), Variant(value == cbChecked ? 1 : 0), false);
  const Integer line = value == cbChecked ? 0 : 1;
  String key;
  if (keyList_ && line < keyList_->GetCount()) {
    key = keyList_->Get(line);
    const size_t semi = key.find(u';');
    if (semi != String::npos) key = key.substr(0, semi);
    key = TrimBlanks(key);
  }
  UpdateDataValues(key, Variant(key), true);
}

// ======================= Keys and lists =======================

bool TAxisBarEh::CanEditAcceptKey(Char key) {
  TField* f = GetField();
  if (!f) return static_cast<bool>(OnUpdateData);
  if (HasKeyListItems()) return true;
  return f->IsValidChar(key);
}

String TAxisBarEh::GetAcceptableEditText(const String& inputEditText) {
  String result;
  for (Char c : inputEditText)
    if (CanEditAcceptKey(c)) result += c;
  return result;
}

Integer TAxisBarEh::LocatePickList(const String& str, bool partialKey) {
  if (!HasPickListItems()) return -1;
  TLocateOptions options;
  if (partialKey) options.Include(loPartialKey);
  Integer i = LocateTextInStringsEh(pickList_.get(), str, options);
  if (i < 0 && caseInsensitiveTextSearch_) {
    options.Include(loCaseInsensitive);
    i = LocateTextInStringsEh(pickList_.get(), str, options);
  }
  return i;
}

// Steps forward for a positive increment and backward for a negative one; every write, wrap-around
// included, goes through the bar's update handler, and a refused value reaches the caller.
void TAxisBarEh::SetNextFieldValue(Extended increment) {
  if (increment == 0) return;
  const bool forward = increment > 0;
  if (!grid_ || grid_->GetReadOnly() || !grid_->GetDataLink()->GetActive() ||
      grid_->GetDataLink()->GetReadOnly())
    return;
  if (GetReadOnly()) return;
  TField* f = GetField();
  if (!f) return;
  TField* keyField = f;
  if (f->GetFieldKind() == fkLookup) {
    if (f->GetKeyFields().empty() || !f->GetDataSet()) return;
    std::vector<TField*> keys;
    f->GetDataSet()->GetFieldList(keys, f->GetKeyFields());
    for (TField* k : keys)
      if (!k->CanModify()) return;
    if (keys.empty()) return;
    keyField = keys[0];
  }
  if (!keyField->CanModify() || (keyField->IsBlob() && !keyField->OnSetText) || !grid_->IsDataEditAllowed())
    return;
  if (!CanModify(true)) return;

  const String current = grid_->InplaceEditorVisible() ? grid_->GetInplaceEditor()->GetText() : f->GetText();
  const TAxisBarEhType type = GetBarType();
  if (type == ctCheckboxes) {
    SetCheckboxState(GetCheckboxState() == cbChecked ? cbUnchecked : cbChecked);
  } else if ((type == ctKeyPickList || type == ctKeyImageList) && HasKeyListItems()) {
    const Integer n = keyList_->GetCount();
    const Integer i = IndexOfText(keyList_.get(), f->GetText());
    Integer next;
    if (forward)
      next = (i == -1 || i == n - 1) ? 0 : i + 1;
    else
      next = (i == -1 || i == 0) ? n - 1 : i - 1;
    UpdateDataValues(current, Variant(keyList_->Get(next)), false);
  } else if (type == ctKeyImageList) {
    if (!imageList_ || imageList_->GetCount() == 0) return;
    Integer v = f->IsNull() ? 0 : f->GetAsInteger() + static_cast<Integer>(increment);
    if (v >= imageList_->GetCount()) v = 0;
    if (v < 0) v = imageList_->GetCount() - 1;
    UpdateDataValues(current, Variant(v), false);
  } else if (type == ctPickList) {
    const Integer n = pickList_->GetCount();
    const Integer i = IndexOfText(pickList_.get(), f->GetText());
    Integer next;
    if (forward)
      next = (i == -1 || i == n - 1) ? 0 : i + 1;
    else
      next = (i == -1 || i == 0) ? n - 1 : i - 1;
    const String value = pickList_->Get(next);
    UpdateDataValues(value, Variant(value), true);
  } else if (IsNumericStepType(f->GetDataType())) {
    const Extended v = f->IsNull() ? -increment : static_cast<Extended>(f->GetAsFloat());
    UpdateDataValues(current, Variant(static_cast<double>(v + increment)), false);
  }
}

// ======================= List filter =======================

String TAxisBarEh::GetDropDownBoxListField() {
  if (GetBarType() == ctDataList) {
    const String actual = dropDownBox_->GetActualListField();
    if (!actual.empty()) return actual;
    TDataSet* ds = GetListDataSet();
    if (ds) {
      if (ds->FindField(fieldName_)) return fieldName_;
      if (ds->GetFields()->GetCount() > 0) return ds->GetFields()->GetField(0)->GetFieldName();
    }
    return String();
  }
  return GetLookupDisplayFields();
}

void TAxisBarEh::DropDownBoxApplyTextFilter(TDataSet* dataSet, const String& fieldName,
                                            TLSAutoFilterTypeEh operation, const String& filterText) {
  DefaultDropDownBoxApplyTextFilter(dataSet, fieldName, operation, filterText);
}

void TAxisBarEh::DefaultDropDownBoxApplyTextFilter(TDataSet* dataSet, const String& fieldName,
                                                   TLSAutoFilterTypeEh operation, const String& filterText) {
  const String w = dropDownBox_->GetLikeWildcardForSeveralCharacters();
  const String prefix = operation == lsftContainsEh ? w : String();
  if (!dataSet) return;
  if (filterText.empty()) {
    dataSet->SetFilter(String());
    return;
  }
  TFilterOptions options = dataSet->GetFilterOptions();
  if (caseInsensitiveTextSearch_)
    options.Include(foCaseInsensitive);
  else
    options.Exclude(foCaseInsensitive);
  dataSet->SetFilterOptions(options);
  // Typed wildcards and brackets are searched as characters.
  dataSet->SetFilter(u"[" + fieldName + u"] like " + QuotedStr(prefix + FilterLikeEscape(filterText) + w));
  dataSet->SetFiltered(true);
}

// ======================= Clipboard =======================

void TAxisBarEh::CopyValueToClipboard() {
  if (GetBarType() != ctGraphicData) {
    Clipboard()->SetAsText(EditText());
    return;
  }
  // A picture goes to the clipboard as a picture, never as the field's raw bytes.
  TPicture picture;
  LoadPictureFromFieldEh(GetField(), &picture);
  if (picture.GetGraphic() && !picture.GetGraphic()->GetEmpty()) Clipboard()->Assign(&picture);
}

void TAxisBarEh::CutValueToClipboard() {
  CopyValueToClipboard();
  ClearValue();
}

void TAxisBarEh::PasteValueFromClipboard() {
  TField* f = GetField();
  if (!f) return;
  if (GetBarType() == ctGraphicData) {
    // Only a picture replaces a picture: pasted text must not erase the blob.
    if (!Clipboard()->HasFormat(CF_BITMAP)) return;
    TPicture picture;
    picture.Assign(Clipboard());
    if (!picture.GetGraphic() || picture.GetGraphic()->GetEmpty()) return;
    f->GetDataSet()->Edit();
    AssignGraphicToFieldEh(f, picture.GetGraphic());
    return;
  }
  f->GetDataSet()->Edit();
  f->SetAsString(Clipboard()->GetAsText());
}

void TAxisBarEh::ClearValue() {
  TField* f = GetField();
  if (!f) return;
  f->GetDataSet()->Edit();
  f->Clear();
}

// ======================= Display =======================

bool TAxisBarEh::CurLineWordWrap(Integer rowHeight) {
  if (!GetWordWrap() || !grid_) return false;
  // Measured on the shared screen canvas: the grid's own draws only while it paints, and the editor
  // and the hints ask outside painting.
  TCanvas* canvas = GetScreenCanvasEh();
  canvas->GetFont()->Assign(GetFont());
  const Integer h = canvas->TextHeight(u"Wg");
  return h + grid_->GetInterlinear() < rowHeight;
}

bool TAxisBarEh::GetCellDataIsLink() {
  if (!grid_ || !checkModifyColCellParams_) return cellDataIsLink_;
  FillColCellParams(checkModifyColCellParams_.get());
  GetColCellParams(false, checkModifyColCellParams_.get());
  return checkModifyColCellParams_->TextIsLink;
}

bool TAxisBarEh::GetCellImageIsLink() {
  if (!grid_ || !checkModifyColCellParams_) return cellDataIsLink_;
  FillColCellParams(checkModifyColCellParams_.get());
  GetColCellParams(false, checkModifyColCellParams_.get());
  return checkModifyColCellParams_->ImageIsLink;
}

// The program runs in a left-to-right locale.
bool TAxisBarEh::UseRightToLeftReading() { return false; }
bool TAxisBarEh::UseRightToLeftAlignment() { return false; }
