// The date-time edit: its format and mask, the value behind the text, stepping, posting the parts the
// format holds, and the calendar drop-down.
#include "gridlib/editors/DBCtrlsEh.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"

TCustomDBDateTimeEditEh::TCustomDBDateTimeEditEh(TComponent* owner) : TCustomDBEditEh(owner) {
  SetMainEditButton(new TVisibleEditButtonEh(this, 0));
  fourDigitYear_ = false;
  UpdateFourDigitYear();
  UpdateMask();
}

// Closing an open drop-down without accepting writes nothing; a failing close is reported.
TCustomDBDateTimeEditEh::~TCustomDBDateTimeEditEh() {
  RunReportingFailure(this, [this] { CloseUp(false); });
}

void TCustomDBDateTimeEditEh::SetKind(TDateTimeKindEh value) {
  if (value == kind_) return;
  kind_ = value;
  UpdateMask();
  DataLinkDataChange(GetDataLink());
}

void TCustomDBDateTimeEditEh::SetEditFormat(const String& value) {
  // Checked before anything changes: a bad format leaves the editor as it was.
  TDateTimeElementsMaskPosEh pos;
  String mask;
  if (!value.empty()) EditFormatToEditMaskEh(value, pos, mask);
  kind_ = dtkCustomEh;
  if (value == editFormat_) return;
  editFormat_ = value;
  UpdateMask();
  DataLinkDataChange(GetDataLink());
}

void TCustomDBDateTimeEditEh::UpdateFourDigitYear() {
  String upper;
  for (Char c : FormatSettings.ShortDateFormat)
    upper += (c >= u'a' && c <= u'z') ? static_cast<Char>(c - 32) : c;
  const bool four = upper.find(u"YYY") != String::npos;
  if (four == fourDigitYear_) return;
  fourDigitYear_ = four;
  UpdateMask();
}

void TCustomDBDateTimeEditEh::UpdateMask() {
  switch (kind_) {
    case dtkDateEh:
      editFormat_ = DefaultDateEditFormatEh(fourDigitYear_);
      break;
    case dtkTimeEh:
      editFormat_ = DefaultTimeEditFormatEh();
      break;
    case dtkDateTimeEh:
      editFormat_ = DefaultDateEditFormatEh(fourDigitYear_) + u" " + DefaultTimeEditFormatEh();
      break;
    case dtkCustomEh:
      break;
  }
  if (editFormat_.empty()) {
    dateTimeFormat_.clear();
    maskPos_ = TDateTimeElementsMaskPosEh();
    TCustomMaskEdit::SetEditMask(String());
    return;
  }
  dateTimeFormat_ = EditFormatToDateTimeFormatEh(editFormat_);
  String mask;
  EditFormatToEditMaskEh(editFormat_, maskPos_, mask);
  TCustomMaskEdit::SetEditMask(mask);
}

String TCustomDBDateTimeEditEh::FormatValue(const Variant& value) const {
  if (value.IsNull() || value.IsEmpty()) return String();
  return IsMasked() ? FormatDateTime(dateTimeFormat_, VarToDateTime(value))
                    : DateTimeToStr(VarToDateTime(value));
}

bool TCustomDBDateTimeEditEh::TextToDateTimeValue(const String& text, Variant& value, bool complete) {
  TDateTimeElementsEh elements;
  TextToDateTimeElementsEh(text, maskPos_, elements);
  return DateTimeElementsToVariantEh(elements, maskPos_, value, complete);
}

void TCustomDBDateTimeEditEh::InternalSetDisplayText(const String& text) {
  if (ownTextSetting_) return;
  ownTextSetting_ = true;
  try {
    TCustomDBEditEh::InternalSetText(text);
  } catch (...) {
    ownTextSetting_ = false;
    throw;
  }
  ownTextSetting_ = false;
}

void TCustomDBDateTimeEditEh::InternalSetText(const String& text) {
  Variant value = value_;
  if (!IsMasked()) {
    value = text.empty() ? Variant::Null() : Variant::FromDate(StrToDateTime(text));
  } else {
    String edit;
    ApplyEditMaskEh(GetEditMask(), text, edit);
    if (!TextToDateTimeValue(edit, value, false)) throw Exception(u"Invalid datetime: \"" + text + u"\"");
  }
  value_ = value;
  InternalSetDisplayText(text);
}

void TCustomDBDateTimeEditEh::InternalSetValue(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) {
    value_ = Variant::Null();
    InternalSetDisplayText(String());
    return;
  }
  value_ = Variant::FromDate(VarToDateTime(value));
  InternalSetDisplayText(FormatValue(value_));
}

void TCustomDBDateTimeEditEh::DataChanged() {
  TFieldDataLinkEh* link = GetDataLink();
  Variant value = Variant::Null();
  if (link->GetDataIndepended()) {
    value = link->DataIndependentValue;
  } else if (TField* field = GetField()) {
    bool handled = false;
    if (OnGetFieldData) OnGetFieldData(this, value, handled);
    if (!handled) value = field->GetAsVariant();
  }
  InternalSetValue(value);
  UpdateEditReadOnly();
  SetModified(false);
}

bool TCustomDBDateTimeEditEh::IsEmpty() {
  String empty;
  ApplyEditMaskEh(GetEditMask(), String(), empty);
  return GetEditText() == empty;
}

void TCustomDBDateTimeEditEh::UpdateValueFromText() {
  if (IsMasked()) {
    Variant value = value_;
    TextToDateTimeValue(GetEditText(), value, false);
    value_ = value;
    return;
  }
  TDateTime dt = 0;
  value_ = TryStrToDateTime(GetText(), dt) ? Variant::FromDate(dt) : Variant::Null();
}

void TCustomDBDateTimeEditEh::Change() {
  if (!ownTextSetting_) UpdateValueFromText();
  TCustomDBEditEh::Change();
}

void TCustomDBDateTimeEditEh::ValidateEdit() {
  if (editValidating_) return;
  editValidating_ = true;
  try {
    TCustomDBEditEh::ValidateEdit();
    if (IsMasked()) {
      // Leaving completes what can be completed: missing date parts from today, a day past the month's
      // end to its last day, times clamped.
      Variant value = value_;
      TextToDateTimeValue(GetEditText(), value, true);
      value_ = value;
      InternalSetDisplayText(FormatValue(value_));
    }
  } catch (...) {
    editValidating_ = false;
    throw;
  }
  editValidating_ = false;
}

void TCustomDBDateTimeEditEh::PostEditTextToField() {
  TFieldDataLinkEh* link = GetDataLink();
  Variant base = link->GetDataIndepended() ? link->DataIndependentValue
                                           : (GetField() ? GetField()->GetAsVariant() : Variant::Null());
  if (IsMasked()) {
    TDateTimeElementsEh elements;
    VariantToDateTimeElementsEh(value_, elements);
    // Parts the format does not show keep the field's own (a time editor keeps the date).
    if (!DateTimeElementsToVariantEh(elements, maskPos_, base, true)) base = Variant::Null();
  } else {
    base = GetText().empty() ? Variant::Null() : Variant::FromDate(StrToDateTime(GetText()));
  }
  link->SetValue(base);
}

void TCustomDBDateTimeEditEh::StepDateTimeElement(bool increase) {
  String result;
  Integer pos = GetSelStart() + 1, len = GetSelLength();
  StepDateTimeElementTextEh(GetEditText(), EditFormatToElementTemplateEh(editFormat_), increase, result, len,
                            pos);
  if (result == GetEditText()) return;
  InternalSetDisplayText(result);
  UpdateValueFromText();
  GetDataLink()->Modified();
  SetModified(true);
  SetSelStart(pos - 1);
  SetSelLength(len);
}

void TCustomDBDateTimeEditEh::DoEnter() {
  UpdateFourDigitYear();
  TCustomDBEditEh::DoEnter();
}

void TCustomDBDateTimeEditEh::KeyDown(Word& key, TShiftState shift) {
  if (calendarVisible_ && (key == VK_ESCAPE || key == VK_RETURN)) {
    CloseUp(key == VK_RETURN);
    key = 0;
    return;
  }
  if ((key == VK_UP || key == VK_DOWN) && shift.Empty() && IsMasked() && !GetReadOnly()) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
    if (key == 0) return;
    if (GetDataLink()->Edit()) StepDateTimeElement(key == VK_UP);
    key = 0;
    return;
  }
  TCustomDBEditEh::KeyDown(key, shift);
}

void TCustomDBDateTimeEditEh::KeyPress(Char& key) {
  const bool separator =
      IsMasked() && (key == FormatSettings.DateSeparator || key == FormatSettings.TimeSeparator);
  if (!separator) {
    TCustomDBEditEh::KeyPress(key);
    return;
  }
  // A typed separator jumps to the next element.
  key = 0;
  const String text = GetEditText();
  const Integer selEnd = GetSelStart() + GetSelLength();
  const size_t caret = static_cast<size_t>(selEnd);
  size_t next =
      text.find_first_of(String{FormatSettings.DateSeparator, FormatSettings.TimeSeparator, u' '}, caret);
  if (next == String::npos) return;
  size_t end = next + 1;
  while (end < text.size() && text[end] != FormatSettings.DateSeparator &&
         text[end] != FormatSettings.TimeSeparator && text[end] != u' ')
    ++end;
  SetSelStart(static_cast<Integer>(next) + 1);
  SetSelLength(static_cast<Integer>(end - next - 1));
}

void TCustomDBDateTimeEditEh::DropDown() {
  if (calendarVisible_) return;
  TClass cls = GetGridLibManager()->GetPopupDateTimePickerClass();
  if (!cls) throw EInvalidOperation(u"No date-time picker is registered with the grid library manager");
  if (OnDropDown) OnDropDown(this);
  if (dropDownCalendar_ && calendarClass_ != cls) {
    delete dropDownCalendar_;
    dropDownCalendar_ = nullptr;
  }
  if (!dropDownCalendar_) {
    dropDownCalendar_ = cls->Create<TWinControl>(this);
    calendarClass_ = cls;
  }
  auto* picker = dynamic_cast<IPopupDateTimePickerEh*>(dropDownCalendar_);
  if (!picker)
    throw EInvalidOperation(u"The registered date-time picker does not offer the picker interface");
  TCalendarDateTimeUnitsEh units;
  if (maskPos_.Year.Present) units << cdtuYearEh;
  if (maskPos_.Month.Present) units << cdtuMonthEh;
  if (maskPos_.Day.Present) units << cdtuDayEh;
  if (maskPos_.Hour.Present) units << cdtuHourEh;
  if (maskPos_.Min.Present) units << cdtuMinuteEh;
  if (maskPos_.Sec.Present) units << cdtuSecondEh;
  picker->SetTimeUnits(units);
  picker->SetFont(TControl::GetFont(), true);
  picker->UpdateSize();
  TPoint pos;
  PlacePopupUnderControlEh(this, dropDownCalendar_,
                           UseRightToLeftAlignment() ? taRightJustify : taLeftJustify, pos);
  const TDateTime start = value_.IsNull() ? Date() : VarToDateTime(value_);
  calendarVisible_ = true;
  picker->DropDown(
      pos, [this](bool accept) { CloseUp(accept); }, start);
}

void TCustomDBDateTimeEditEh::CloseUp(bool accept) {
  if (!calendarVisible_ || closingCalendar_) return;
  closingCalendar_ = true;
  calendarVisible_ = false;
  auto* picker = dynamic_cast<IPopupDateTimePickerEh*>(dropDownCalendar_);
  if (picker && !GetComponentState().Contains(csDestroying)) {
    const TDateTime picked = picker->GetDateTime();
    picker->CloseUp(false);
    if (accept && !GetReadOnly() && GetDataLink()->Edit()) {
      TDateTimeElementsEh elements;
      VariantToDateTimeElementsEh(Variant::FromDate(picked), elements);
      Variant value = value_;
      if (DateTimeElementsToVariantEh(elements, maskPos_, value, true)) {
        InternalSetValue(value);
        GetDataLink()->Modified();
        SetModified(true);
        if (Focused()) SelectAll();
      }
    }
  }
  closingCalendar_ = false;
  ClearDroppedDownState();
  if (OnCloseUp) OnCloseUp(this, accept);
}
