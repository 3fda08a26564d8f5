// The leaf and operator elements of an expression queue: constants, texts, errors, binary operators,
// the negation, and dataset fields read through the dataset framework's TField.
#pragma once

#include "reportlib/engine/QREvaluator.h"

class TDataSet;
class TField;

// Number literals and numeric environment constants.
class TQREvElementConstant : public TQREvElement {
  KIV_CLASS(TQREvElementConstant, TQREvElement)
 public:
  TQREvElementConstant() = default;
  explicit TQREvElementConstant(const TQREvResult& value) : FValue(value) {}
  static std::unique_ptr<TQREvElementConstant> CreateConstant(const TQREvResult& value) {
    return std::make_unique<TQREvElementConstant>(value);
  }

  void Value(TQRFiFo* fifo, TQREvResult& result) override;
  const TQREvResult& GetValue() const { return FValue; }
  void SetValue(const TQREvResult& value) { FValue = value; }

 private:
  TQREvResult FValue;
};

// A quoted text.
class TQREvElementString : public TQREvElement {
  KIV_CLASS(TQREvElementString, TQREvElement)
 public:
  TQREvElementString() = default;
  explicit TQREvElementString(const String& value) : FValue(value) {}
  static std::unique_ptr<TQREvElementString> CreateString(const TQREvResult& value) {
    return std::make_unique<TQREvElementString>(value.StringVal);
  }

  void Value(TQRFiFo* fifo, TQREvResult& result) override;
  const String& GetValue() const { return FValue; }
  void SetValue(const String& value) { FValue = value; }

 private:
  String FValue;
};

// A malformed part of the text, or a name nobody knows: its value is the error.
class TQREvElementError : public TQREvElement {
  KIV_CLASS(TQREvElementError, TQREvElement)
 public:
  TQREvElementError() = default;
  explicit TQREvElementError(const String& errorMessage) : FErrorMessage(errorMessage) {}

  void Value(TQRFiFo* fifo, TQREvResult& result) override;
  const String& GetErrorMessage() const { return FErrorMessage; }

 private:
  String FErrorMessage;
};

// A binary operator: its left operand's elements follow it in the queue, then its right operand's.
class TQREvElementOperator : public TQREvElement {
  KIV_CLASS(TQREvElementOperator, TQREvElement)
 public:
  TQREvElementOperator() = default;
  explicit TQREvElementOperator(TQREvOperator opCode) : FOpCode(opCode) {}
  static std::unique_ptr<TQREvElementOperator> CreateOperator(TQREvOperator opCode) {
    return std::make_unique<TQREvElementOperator>(opCode);
  }

  // Both operands are always evaluated (no short-circuit for OR and AND).
  void Value(TQRFiFo* fifo, TQREvResult& result) override;
  TQREvOperator GetOpCode() const { return FOpCode; }

 private:
  TQREvOperator FOpCode = opPlus;
  TQREvResult right_;
};

// NOT: negates the boolean operand that follows it; other kinds give "Invalid use of NOT".
class TQREvElementNot : public TQREvElement {
  KIV_CLASS(TQREvElementNot, TQREvElement)
 public:
  void Value(TQRFiFo* fifo, TQREvResult& result) override;
};

// A dataset field. The field's class decides the kind: texts, 64-bit integers, floats, booleans;
// dates and times arrive as their display text together with their moment.
class TQREvElementDataField : public TQREvElement {
  KIV_CLASS(TQREvElementDataField, TQREvElement)
 public:
  TQREvElementDataField() = default;
  explicit TQREvElementDataField(TField* aField);
  static std::unique_ptr<TQREvElementDataField> CreateField(TField* aField) {
    return std::make_unique<TQREvElementDataField>(aField);
  }

  void Value(TQRFiFo* fifo, TQREvResult& result) override;

  TDataSet* GetDataSet() const { return FDataSet; }
  int GetFieldNo() const { return FFieldNo; }
  TField* GetField() const { return FField; }

 private:
  enum class TFieldAccess : Byte { Text, Integer, Float, Boolean, DateTime, Unknown };
  static TFieldAccess AccessOf(const TField* field);
  TField* CurrentField() const;

  TDataSet* FDataSet = nullptr;
  int FFieldNo = 0;
  TField* FField = nullptr;
  // The class test is made once per field object, not per evaluation.
  const TField* classified_ = nullptr;
  TClass classifiedClass_ = nullptr;
  TFieldAccess access_ = TFieldAccess::Unknown;
};
