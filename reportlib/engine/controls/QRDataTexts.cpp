// Field-text, expression and system-data controls: their text on the current record or at this
// point of the run, formatted by a mask, printed as a label.
#include "reportlib/engine/controls/QRDataTexts.h"

#include "platform/data/DataSet.h"
#include "platform/data/Fields.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"
#include "reportlib/engine/QRControllers.h"
#include "reportlib/engine/RezavOze.h"

// ---- TQRDBText ----

void TQRDBText::Published(TPropBuilder<TQRDBText>& p) {
  using D = TQRDBText;
  p.Object(u"DataSet", &D::GetDataSet, &D::SetDataSet);
  p.Str(u"DataField", &D::GetDataField, &D::SetDataField);
  p.Str(u"Mask", &D::GetMask, &D::SetMask);
  p.Bool(u"FullJustify", &D::GetFullJustify, &D::SetFullJustify).Default(false);
  p.Int(u"MaxBreakChars", &D::GetMaxBreakChars, &D::SetMaxBreakChars).Default(5);
}

TQRDBText::TQRDBText(TComponent* owner) : TQRCustomLabel(owner) {}

void TQRDBText::SetDataSet(TDataSet* value) {
  if (dataSet_) dataSet_->RemoveFreeNotification(this);
  dataSet_ = value;
  if (value) value->FreeNotification(this);
}

void TQRDBText::SetDataField(const String& value) {
  dataField_ = value;
  SetCaption(value);
}

void TQRDBText::Notification(TComponent* component, TOperation operation) {
  TQRCustomLabel::Notification(component, operation);
  if (operation == opRemove && component == dataSet_) {
    dataSet_ = nullptr;
    field_ = nullptr;
    fieldOK_ = false;
  }
}

void TQRDBText::Prepare() {
  TQRCustomLabel::Prepare();
  field_ = nullptr;
  fieldOK_ = false;
  isMemo_ = false;
  if (!dataSet_) return;
  field_ = dataSet_->FindField(dataField_);
  if (!field_) return;
  fieldNo_ = field_->GetIndex();
  fieldOK_ = true;
  if (dynamic_cast<TMemoField*>(field_) || dynamic_cast<TBlobField*>(field_)) {
    isMemo_ = true;
    SetPrintCaption(String());
  }
}

void TQRDBText::Unprepare() {
  field_ = nullptr;
  TQRCustomLabel::Unprepare();
  SetDataField(dataField_.empty() ? GetName() : dataField_);
}

TField* TQRDBText::CurrentField() {
  if (fieldOK_) return field_;
  // Default fields are made anew at every open: the field is found again by its position.
  if (dataSet_ && dataSet_->GetActive() && dataSet_->GetDefaultFields() && fieldNo_ >= 0 &&
      fieldNo_ < dataSet_->GetFields()->GetCount())
    return dataSet_->GetFields()->GetField(fieldNo_);
  if (dataSet_ && dataSet_->GetActive()) return dataSet_->FindField(dataField_);
  return nullptr;
}

String TQRDBText::FieldText() {
  numberMask_.clear();
  // A closed dataset has let its default fields go: nothing of it is read.
  if (!dataSet_ || !dataSet_->GetActive()) return String();
  try {
    TField* field = CurrentField();
    if (!field) return String();
    if (dynamic_cast<TMemoField*>(field) || dynamic_cast<TBlobField*>(field)) {
      lines_->SetText(field->GetAsString());
      return String();
    }
    if (mask_.empty() || dynamic_cast<TStringField*>(field) || field->GetIsNull())
      return field->GetDisplayText();
    if (dynamic_cast<TIntegerField*>(field) || dynamic_cast<TLargeintField*>(field)) {
      numberMask_ = mask_;
      return FormatFloat(mask_, static_cast<Extended>(field->GetAsLargeInt()));
    }
    if (dynamic_cast<TBCDField*>(field) || dynamic_cast<TFloatField*>(field)) {
      numberMask_ = mask_;
      return FormatFloat(mask_, field->GetAsFloat());
    }
    if (dynamic_cast<TDateTimeField*>(field) || dynamic_cast<TSQLTimeStampField*>(field))
      return FormatDateTime(mask_, field->GetAsDateTime());
    // A mask has no meaning for other kinds (a Boolean, say): they print as the field shows them.
    return field->GetDisplayText();
  } catch (const Exception&) {
    // A value that cannot be read or formatted prints empty; the report goes on.
    return String();
  }
}

void TQRDBText::GetFieldString(String& DataStr) {
  if (CanPrint()) DataStr = FieldText();
}

void TQRDBText::Print(Integer OfsX, Integer OfsY) {
  if (!CanPrint()) return;
  // A continuation goes on with the text laid out when it began.
  if (printFinished_) SetPrintCaption(FieldText());
  doneFormat_ = false;
  TQRCustomLabel::Print(OfsX, OfsY);
}

void TQRDBText::GetExpandedHeight(Extended& newheight) {
  SetPrintCaption(FieldText());
  TQRCustomLabel::GetExpandedHeight(newheight);
}

// ---- TQRExpr ----

void TQRExpr::Published(TPropBuilder<TQRExpr>& p) {
  using E = TQRExpr;
  p.Str(u"Expression", &E::GetExpression, &E::SetExpression);
  p.Str(u"Mask", &E::GetMask, &E::SetMask);
  p.Object(u"Master", &E::GetMaster, &E::SetMaster);
  p.Bool(u"ResetAfterPrint", &E::GetResetAfterPrint, &E::SetResetAfterPrint).Default(false);
}

TQRExpr::TQRExpr(TComponent* owner) : TQRCustomLabel(owner) { SetExpression(String()); }

void TQRExpr::SetExpression(const String& value) {
  expression_ = value;
  SetCaption(value.empty() ? String(u"(none)") : value);
  Invalidate();
}

void TQRExpr::SetMask(const String& value) {
  mask_ = value;
  SetExpression(expression_);
}

void TQRExpr::SetMaster(TComponent* value) {
  if (master_) master_->RemoveFreeNotification(this);
  master_ = value;
  if (value) value->FreeNotification(this);
}

void TQRExpr::Notification(TComponent* component, TOperation operation) {
  TQRCustomLabel::Notification(component, operation);
  if (operation == opRemove && component == master_) master_ = nullptr;
}

TQREvResult TQRExpr::GetValue() {
  if (evaluator_.GetPrepared()) return evaluator_.Value();
  TQREvResult result;
  SetErrorResult(String(), result);
  return result;
}

void TQRExpr::Prepare() {
  TQRCustomLabel::Prepare();
  if (!parentReport_) return;
  evaluator_.SetDataSets(parentReport_->GetAllDataSets());
  evaluator_.SetEnvironment(parentReport_->GetFunctions());
  evaluator_.Prepare(expression_);
  if (master_) {
    if (auto* report = dynamic_cast<TRezavOze*>(master_))
      report->AddNotifyClient(this);
    else if (auto* sub = dynamic_cast<TQRSubDetail*>(master_))
      sub->AddNotifyClient(this);
  } else if (evaluator_.GetIsAggreg()) {
    parentReport_->AddNotifyClient(this);
  }
  evaluator_.Reset();
}

void TQRExpr::Unprepare() {
  evaluator_.SetDataSets(nullptr);
  evaluator_.UnPrepare();
  TQRCustomLabel::Unprepare();
  SetExpression(expression_);
}

void TQRExpr::ControllerNotify(TObject* Sender, Integer Operation) {
  TQRCustomLabel::ControllerNotify(Sender, Operation);
  if (Operation == qrNotifyDetail && evaluator_.GetPrepared()) evaluator_.DoAggregate();
}

String TQRExpr::FormatResult(const TQREvResult& value) const {
  switch (value.Kind) {
    case resInt:
      return FormatFloat(mask_, static_cast<Extended>(value.intResult));
    case resDouble:
      if (mask_.find(u"%m") != String::npos) return Format(mask_, {value.dblResult});
      return FormatFloat(mask_, value.dblResult);
    case resString:
    case resError:
      return value.StringVal;
    case resBool:
      return value.booResult ? u"True" : u"False";
  }
  return String();
}

void TQRExpr::Print(Integer OfsX, Integer OfsY) {
  if (!CanPrint()) return;
  if (printFinished_) {
    const TQREvResult value = GetValue();
    SetPrintCaption(FormatResult(value));
    const bool number = value.Kind == resInt || value.Kind == resDouble;
    numberMask_ = number && mask_.find(u"%m") == String::npos ? mask_ : String();
  }
  doneFormat_ = false;
  TQRCustomLabel::Print(OfsX, OfsY);
  if (resetAfterPrint_ && printFinished_) evaluator_.Reset();
}

// ---- TQRSysData ----

namespace {

const TTypeInfo* SysDataType() {
  static const TTypeInfo t = TTypeInfo::Enum(
      u"TQRSysDataType", {u"qrsTime", u"qrsDate", u"qrsDateTime", u"qrsPageNumber", u"qrsReportTitle",
                          u"qrsDetailCount", u"qrsDetailNo", u"qrsPageOfPages"});
  return &t;
}

constexpr const Char* SysDataNames[] = {u"Time",         u"Date",         u"Date Time", u"Page Number",
                                        u"Report Title", u"Detail Count", u"Detail No", u"Page X of Y"};

}  // namespace

void TQRSysData::Published(TPropBuilder<TQRSysData>& p) {
  p.Enum(u"Data", SysDataType(), &TQRSysData::GetData, &TQRSysData::SetData).Default(qrsTime);
  p.Str(u"Text", &TQRSysData::GetText, &TQRSysData::SetText);
  p.Enum(u"WrapStyle", WrapStyleType(), &TQRSysData::GetWrapStyle, &TQRSysData::SetWrapStyle)
      .Default(BreakOnSpaces);
  p.Enum(u"VerticalAlignment", TextLayoutType(), &TQRSysData::GetVerticalAlignment,
         &TQRSysData::SetVerticalAlignment)
      .Default(tlTop);
}

TQRSysData::TQRSysData(TComponent* owner) : TQRCustomLabel(owner) { ShowDesignText(); }

void TQRSysData::ShowDesignText() { SetCaption(text_ + u"(" + SysDataNames[data_] + u")"); }

void TQRSysData::SetData(TQRSysDataType value) {
  data_ = value;
  ShowDesignText();
}

void TQRSysData::SetText(const String& value) {
  text_ = value;
  ShowDesignText();
}

bool TQRSysData::NeedsPageCount() const { return data_ == qrsPageOfPages; }

String TQRSysData::DataText() const {
  TCustomRezavOze* r = parentReport_;
  switch (data_) {
    case qrsTime:
      return FormatDateTime(u"t", Now());
    case qrsDate:
      return FormatDateTime(u"ddddd", Date());
    case qrsDateTime:
      return FormatDateTime(u"ddddd t", Now());
    case qrsPageNumber:
      return r ? IntToStr(r->GetPageNumber()) : String();
    case qrsReportTitle:
      return r ? r->GetReportTitle() : String();
    case qrsDetailCount:
      return r ? IntToStr(r->GetRecordCount()) : String();
    case qrsDetailNo:
      return r ? IntToStr(r->GetRecordNumber()) : String();
    case qrsPageOfPages:
      return r ? u"Страница " + IntToStr(r->GetPageNumber()) + u" из " + IntToStr(r->GetTotalPages())
               : String();
  }
  return String();
}

void TQRSysData::Print(Integer OfsX, Integer OfsY) {
  if (!CanPrint()) return;
  SetPrintCaption(text_ + DataText());
  doneFormat_ = false;
  TQRCustomLabel::Print(OfsX, OfsY);
}

void TQRSysData::Unprepare() {
  TQRCustomLabel::Unprepare();
  ShowDesignText();
}

void InitializeReportControls() {
  static const bool done = [] {
    InitializeReportEngine();
    RegisterClasses({TQRLabel::StaticClass(), TQRMemo::StaticClass(), TQRDBText::StaticClass(),
                     TQRExpr::StaticClass(), TQRSysData::StaticClass()});
    return true;
  }();
  (void)done;
}
