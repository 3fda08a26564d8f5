// Expression environments: lists of named expressions that report expressions use as variables (the
// report's PAGENUMBER, COLUMNNUMBER and REPORTTITLE, group values, the designer's own names), one per
// report and one process-wide. A report streams its environment as the names and the "DATA" property.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/classes/StringList.h"
#include "reportlib/engine/QREvaluator.h"

class TComponent;
class TList;
class TReader;
class TWriter;

// One named expression, evaluated by an evaluator of its own.
class TQREvEmbeddedFunction : public TQREvElement {
  KIV_CLASS(TQREvEmbeddedFunction, TQREvElement)
 public:
  explicit TQREvEmbeddedFunction(const String& Expression);
  ~TQREvEmbeddedFunction() override;

  // The named expression's value; "Recursive calls not allowed" when it is entered again while it is
  // being evaluated (a name that uses itself, directly or through others).
  void Value(TQRFiFo* fifo, TQREvResult& result) override;
  void Reset() override;

  const String& GetExpression() const { return FExpression; }
  TQREvaluator* GetEvaluator() const { return Evaluator.get(); }
  // Element Index of the prepared queue; null while not prepared.
  TQREvElement* Peek(int Index) const;

 private:
  friend class TQREvEnvironment;
  std::unique_ptr<TQREvaluator> Evaluator;
  String FExpression;
  bool FInEvaluate = false;
  // Set for the process-wide environment's entries, which any report thread may evaluate.
  bool shared_ = false;
};

// Stands for a name of an environment inside another expression.
class TQREvElementWrapper : public TQREvElement {
  KIV_CLASS(TQREvElementWrapper, TQREvElement)
 public:
  explicit TQREvElementWrapper(TQREvEmbeddedFunction* embeddedFunction)
      : FEmbeddedFunction(embeddedFunction) {}
  void Value(TQRFiFo* fifo, TQREvResult& result) override { FEmbeddedFunction->Value(fifo, result); }
  TQREvEmbeddedFunction* GetEmbeddedFunction() const { return FEmbeddedFunction; }

 private:
  TQREvEmbeddedFunction* FEmbeddedFunction;
};

// Each string is a name in upper case, its object the TQREvEmbeddedFunction (owned). Name lookups
// ignore case.
class TQREvEnvironment : public TStringList {
  KIV_CLASS(TQREvEnvironment, TStringList)
 public:
  TQREvEnvironment();
  ~TQREvEnvironment() override;

  // Adds the name (upper-cased) with its expression unless the name is there already; prepared at once
  // when the environment is.
  void AddFunction(const String& AName, const String& AExpression);
  // Frees the named entry; an unknown name does nothing.
  void DeleteFunction(const String& AName);
  void Clear() override;
  // Copies the names and expressions of another environment.
  void Assign(TPersistent* source) override;

  // Counted: the entries are prepared by the first Prepare and unprepared by the matching Unprepare.
  void Prepare();
  void Unprepare();
  bool GetPrepared() const { return PrepareCount > 0; }
  void Update() {}

  // The value of the named expression; an unknown name gives an error without a message.
  TQREvResult Value(const String& Name);
  // A new element for the named expression, or the error element "Unknown function : %s".
  std::unique_ptr<TQREvElement> Element(const String& Name);
  // The first element of the named expression's queue (the literal of a constant such as PAGENUMBER);
  // null for an unknown name or while the environment is not prepared.
  TQREvElement* GetConstant(const String& Name);
  // Change a constant in place; elements of another class (or null) are left alone.
  void SetConstant(TQREvElement* Constant, const TQREvResult& Value);
  void SetStringConstant(TQREvElement* Constant, const String& Value);
  void SetIntegerConstant(TQREvElement* Constant, Int64 Value);
  void SetFloatConstant(TQREvElement* Constant, double Value);
  void SetBooleanConstant(TQREvElement* Constant, bool Value);
  void UpdateConstant(const String& Name, const TQREvResult& Value);

  // The entry's named expression; null for a name that came without one.
  TQREvEmbeddedFunction* GetFunction(int index) const;
  TQREvEmbeddedFunction* FindFunction(const String& name) const;

  // Handed to every named expression's evaluator; reading an unassigned list makes an empty own one.
  TList* GetDataSets();
  void SetDataSets(TList* value);

  // "DATA": the expressions in entry order, beside the names the string list stores itself.
  void DefineProperties(TFiler* filer) override;

 private:
  friend TQREvEnvironment* QRGlobalEnvironment();
  void PrepareEntry(TQREvEmbeddedFunction* function);
  void ReadData(TReader* reader);
  void WriteData(TWriter* writer);
  std::unique_lock<std::recursive_mutex> LockIfShared() const;

  int PrepareCount = 0;
  TList* FDatasets = nullptr;
  std::unique_ptr<TList> OwnDataSets;
  bool shared_ = false;
};

// What expressions need of the program around them, given through this interface so that the engine
// does not link the controls: the application's title (AppName) and the owners of the components that
// report functions look up by name. The program, or a test, that runs reports over forms installs one;
// without one AppName is the program's file name and no component is found.
class IQRExprHost {
 public:
  virtual ~IQRExprHost() = default;
  // Empty while the application has no title of its own.
  virtual String GetApplicationTitle() const = 0;
  // In lookup order: the open forms in screen order, then, with dataModules, the data modules.
  virtual std::vector<TComponent*> GetComponentOwners(bool dataModules) const = 0;
};
// Null takes the host away; the caller keeps ownership.
void SetQRExprHost(IQRExprHost* host);
IQRExprHost* GetQRExprHost();

// The process-wide environment (AppStartTime, AppStartDate, AppName), made on first use after the
// function library. Its preparation is counted under a lock, as reports may run on several threads.
TQREvEnvironment* QRGlobalEnvironment();
