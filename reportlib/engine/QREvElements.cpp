// The leaf and operator elements of an expression queue.
#include "reportlib/engine/QREvElements.h"

#include "platform/data/DataSet.h"
#include "platform/data/Fields.h"
#include "platform/rtl/Exception.h"
#include "reportlib/engine/QRExprConsts.h"

namespace {
constexpr Word kUtf16CodePage = 1200;

// A queue built by the parser always holds every operand; this only keeps a damaged queue harmless.
bool NextValue(TQRFiFo* fifo, TQREvResult& result) {
  TQREvElement* element = fifo->Get();
  if (!element) {
    SetErrorResult(QRFormatMessage(SqrExpError, {String()}), result);
    return false;
  }
  element->Value(fifo, result);
  return true;
}
}  // namespace

void TQREvElementConstant::Value(TQRFiFo*, TQREvResult& result) { result = FValue; }

void TQREvElementString::Value(TQRFiFo*, TQREvResult& result) {
  result.SetString(FValue);
  result.CodePage = kUtf16CodePage;
}

void TQREvElementError::Value(TQRFiFo*, TQREvResult& result) { SetErrorResult(FErrorMessage, result); }

void TQREvElementOperator::Value(TQRFiFo* fifo, TQREvResult& result) {
  if (!NextValue(fifo, result)) return;
  if (!NextValue(fifo, right_)) {
    SetErrorResult(right_.StringVal, result);
    return;
  }
  QREvOperate(FOpCode, result, right_);
}

void TQREvElementNot::Value(TQRFiFo* fifo, TQREvResult& result) {
  if (!NextValue(fifo, result)) return;
  // An error operand stays the error, as it does through every other operator.
  if (result.Kind == resBool)
    result.booResult = !result.booResult;
  else if (result.Kind != resError)
    SetErrorResult(SqrInvalidNot, result);
}

TQREvElementDataField::TQREvElementDataField(TField* aField)
    : FDataSet(aField->GetDataSet()), FFieldNo(aField->GetIndex()), FField(aField) {}

TQREvElementDataField::TFieldAccess TQREvElementDataField::AccessOf(const TField* field) {
  if (dynamic_cast<const TStringField*>(field)) return TFieldAccess::Text;
  if (dynamic_cast<const TIntegerField*>(field) || dynamic_cast<const TLargeintField*>(field))
    return TFieldAccess::Integer;
  if (dynamic_cast<const TBCDField*>(field) || dynamic_cast<const TFloatField*>(field) ||
      field->GetDataType() == ftFMTBcd)
    return TFieldAccess::Float;
  if (dynamic_cast<const TBooleanField*>(field)) return TFieldAccess::Boolean;
  if (dynamic_cast<const TDateTimeField*>(field) || field->GetDataType() == ftTimeStamp)
    return TFieldAccess::DateTime;
  return TFieldAccess::Unknown;
}

// A dataset that makes its fields itself replaces them when it is opened again: such a field is
// taken anew from its place in the field list.
TField* TQREvElementDataField::CurrentField() const {
  if (!FDataSet || !FDataSet->DefaultFields()) return FField;
  TFields* fields = FDataSet->GetFields();
  if (FFieldNo >= fields->GetCount()) FDataSet->CheckActive();
  return fields->GetField(FFieldNo);
}

void TQREvElementDataField::Value(TQRFiFo*, TQREvResult& result) {
  try {
    TField* field = CurrentField();
    if (field != classified_ || field->ClassType() != classifiedClass_) {
      access_ = AccessOf(field);
      classified_ = field;
      classifiedClass_ = field->ClassType();
    }
    switch (access_) {
      case TFieldAccess::Text:
        result.SetString(field->GetAsString());
        return;
      case TFieldAccess::Integer:
        result.SetInt(field->GetAsLargeInt());
        return;
      case TFieldAccess::Float:
        result.SetDouble(field->GetAsFloat());
        return;
      case TFieldAccess::Boolean:
        result.SetBool(field->GetAsBoolean());
        return;
      case TFieldAccess::DateTime:
        if (field->IsNull())
          result.SetString(String());
        else
          result.SetDateTimeString(field->GetAsString(), field->GetAsDateTime());
        return;
      case TFieldAccess::Unknown:
        SetErrorResult(QRFormatMessage(SqrUnknownFieldType, {field->GetFieldName()}), result);
        return;
    }
  } catch (const Exception& e) {
    // Errors are values here too: a closed dataset or a field that cannot be read is the result.
    SetErrorResult(e.Message(), result);
  }
}
