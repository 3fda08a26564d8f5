// The report expression evaluator: turns an expression text into a queue of elements once (Prepare)
// and evaluates the queue as often as a report needs it (Value, DoAggregate, Reset) without parsing
// again. Malformed text never raises here: it becomes error elements whose message is the value.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Object.h"
#include "platform/rtl/Types.h"
#include "reportlib/engine/QREvResult.h"

class TList;
class Variant;
class TQRFiFo;
class TQREvEnvironment;

// The argument separator of function calls, process-wide.
extern Char ArgSeparator;

// The base of every queue element.
class TQREvElement : public TObject {
  KIV_CLASS(TQREvElement, TObject)
 public:
  TQREvElement() = default;

  // Evaluates the element into result, taking the elements of its own operands from the queue. The
  // base leaves result as it was.
  virtual void Value(TQRFiFo* fifo, TQREvResult& result);
  // Aggregates forget their totals.
  virtual void Reset() {}

  bool GetIsAggreg() const { return FIsAggreg; }
  // The marker that closes a function's arguments (tested on every argument, so not a cast).
  bool IsArgumentEnd() const { return FIsArgumentEnd; }

 protected:
  bool FIsAggreg = false;
  bool FIsArgumentEnd = false;
};

// The element queue of a prepared expression, in prefix order; it owns its elements.
class TQRFiFo : public TObject {
  KIV_CLASS(TQRFiFo, TObject)
 public:
  void Put(std::unique_ptr<TQREvElement> element) { FiFo.push_back(std::move(element)); }
  void Start() { FNextItem = 0; }
  // The element at the read position, moving on; null at the end.
  TQREvElement* Get() { return FNextItem < FiFo.size() ? FiFo[FNextItem++].get() : nullptr; }
  // Takes the first element out of the queue; null when it is empty.
  std::unique_ptr<TQREvElement> GetAndFree();

  int GetCount() const { return static_cast<int>(FiFo.size()); }
  TQREvElement* GetItem(int index) const { return FiFo[static_cast<size_t>(index)].get(); }
  // The aggregate pass flag: aggregate functions add to their totals while it is set.
  bool GetAggreg() const { return FAggreg; }
  void SetAggreg(bool value) { FAggreg = value; }

 private:
  std::vector<std::unique_ptr<TQREvElement>> FiFo;
  bool FAggreg = false;
  size_t FNextItem = 0;
};

// Marks the end of a function's arguments in the queue.
class TQREvElementArgumentEnd : public TQREvElement {
  KIV_CLASS(TQREvElementArgumentEnd, TQREvElement)
 public:
  TQREvElementArgumentEnd() { FIsArgumentEnd = true; }
};

// The base of every function. Arguments are evaluated into ArgList before Calculate; the slots stay
// allocated between evaluations, so a prepared expression evaluates without allocating.
class TQREvElementFunction : public TQREvElement {
  KIV_CLASS(TQREvElementFunction, TQREvElement)
 public:
  TQREvElementFunction() = default;

  // GetArguments; Aggregate in an aggregate pass; Calculate; FreeArguments.
  void Value(TQRFiFo* fifo, TQREvResult& result) override;
  virtual void Aggregate() {}
  // Fills result from the arguments; the base gives an error without a message.
  virtual void Calculate(TQREvResult& result);

  // Evaluates the elements up to the argument-end marker into the argument slots.
  void GetArguments(TQRFiFo* fifo);
  // Argument index, counted from 0; callers ask only for indices below ArgCount().
  const TQREvResult& GetArgument(int index) const { return ArgList[static_cast<size_t>(index)]->EvResult; }
  int ArgCount() const { return argCount_; }
  void FreeArguments() { argCount_ = 0; }

 protected:
  std::vector<std::unique_ptr<TQREvResultClass>> ArgList;

 private:
  int argCount_ = 0;
};

using TQRLibraryItemClass = TClass;

class TQREvaluator : public TObject {
  KIV_CLASS(TQREvaluator, TObject)
 public:
  TQREvaluator();
  ~TQREvaluator() override;

  // Parses the text into a new queue; an empty text reads as ' '. Never raises for a bad text.
  void Prepare(const String& StrExpr);
  void UnPrepare();
  // Raises Exception "Evaluator not prepared" before Prepare.
  TQREvResult Value();
  // The same into a result whose storage is reused: no allocation once the strings have room.
  void Value(TQREvResult& result);
  // One aggregate pass: every aggregate function adds its argument's current value.
  void DoAggregate();
  // Aggregates forget their totals.
  void Reset();
  // Prepare, Value, UnPrepare.
  TQREvResult Calculate(const String& StrExpr);

  // Value converted; they raise Exception "Error in expression : %s" or "Not a %s value".
  String AsString();
  Int64 AsInteger();
  double AsFloat();
  bool AsBoolean();
  Variant AsVariant();

  TQREvEnvironment* GetEnvironment() const { return FEnvironment; }
  void SetEnvironment(TQREvEnvironment* value) { FEnvironment = value; }
  // The datasets (TDataSet*) whose fields the expression may name; reading an unassigned list makes
  // an empty one of the evaluator's own.
  TList* GetDataSets();
  void SetDataSets(TList* value);
  bool GetPrepared() const { return FPrepared; }
  // True when any element of the prepared queue is an aggregate.
  bool GetIsAggreg() const;
  bool GetAggregate() const;
  void SetAggregate(bool value);
  // The queue while prepared, else null.
  TQRFiFo* GetFiFo() const { return FiFo.get(); }

 protected:
  // A name or call: a function of the library, else (without arguments) a field or an environment
  // name. Descendants may add names of their own.
  virtual void LookupFunction(const String& name, const String& argText);
  // A field of the datasets ("DATASET.FIELD" or "FIELD"), else an environment name.
  virtual void LookupDataField(const String& name);
  void LookupEnvironment(const String& name);

  // The levels of the grammar; each appends its elements to the queue.
  void ParseComparison(const String& s);
  void ParseSum(const String& s);
  void ParseTerm(const String& s);
  void ParseFactor(const String& s);
  void ParseArguments(const String& argText);
  void AddError(const String& message);
  void Put(std::unique_ptr<TQREvElement> element) { FiFo->Put(std::move(element)); }

 private:
  class TDepthGuard;
  void AddNumberLiteral(const String& s);
  void AddStringLiteral(const String& s);
  void ParseNameOrCall(const String& s);
  bool TooDeep();

  std::unique_ptr<TQRFiFo> FiFo;
  bool FPrepared = false;
  TQREvEnvironment* FEnvironment = nullptr;
  TList* FDataSets = nullptr;
  std::unique_ptr<TList> OwnDataSets;
  int depth_ = 0;
  TQREvResult scratch_;
};
