// The function library of report expressions: every function name an expression may call, registered
// once per process with its element class, its builder category and argument code, and its
// description; and the built-in functions, the aggregates SUM, COUNT, MAX, MIN and AVERAGE among them.
#pragma once

#include <memory>

#include "reportlib/engine/QREvaluator.h"

class TStringList;

// One registered name.
class TQRLibraryEntry : public TObject {
  KIV_CLASS(TQRLibraryEntry, TObject)
 public:
  TQRLibraryEntry(TQRLibraryItemClass item, const String& name, const String& description,
                  const String& vendor, const String& data)
      : FName(name), FItem(item), FData(data), FDescription(description), FVendor(vendor) {}

  const String& GetName() const { return FName; }
  TQRLibraryItemClass GetItem() const { return FItem; }
  // The builder code: the category digit, then one letter per argument (N numeric, S text,
  // B logical, V any value).
  const String& GetData() const { return FData; }
  // "heading|explanation".
  const String& GetDescription() const { return FDescription; }
  const String& GetVendor() const { return FVendor; }

 private:
  String FName;
  TQRLibraryItemClass FItem;
  String FData;
  String FDescription;
  String FVendor;
};

class TQRLibrary : public TObject {
  KIV_CLASS(TQRLibrary, TObject)
 public:
  TQRLibrary();
  ~TQRLibrary() override;

  // Appends an entry; an existing name is not checked for.
  void Add(TQRLibraryItemClass aItem, const String& AName, const String& ADescription, const String& AVendor,
           const String& AData);
  // The entry at Index (from 0); null beyond the list.
  virtual TQRLibraryEntry* GetEntry(int Index) const;
  // The names in registration order, each with its entry as the object; lookups ignore case.
  TStringList* GetEntries() const { return Entries.get(); }
  int IndexOf(const String& name) const;

 protected:
  std::unique_ptr<TStringList> Entries;
};

class TQRFunctionLibrary : public TQRLibrary {
  KIV_CLASS(TQRFunctionLibrary, TQRLibrary)
 public:
  // A new element of the named function, or a new error element "Unknown function : %s".
  std::unique_ptr<TQREvElement> GetFunction(const String& Name) const;
};

// The process-wide library, with the built-in and the extra functions registered on first use.
TQRFunctionLibrary* QRFunctionLibrary();
void RegisterQRFunction(TQRLibraryItemClass ElementClass, const String& Name, const String& Description,
                        const String& Data, const String& Vendor);

// ---- The built-in functions ----

class TQREvIfFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvIfFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvStrFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvStrFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvUpperFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvUpperFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvLowerFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvLowerFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvPrettyFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvPrettyFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvTimeFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvTimeFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvDateFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvDateFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvCopyFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvCopyFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

// SUM: the first value after a reset starts the total; integers add as integers until a float
// arrives, from then on the total is a float. Texts make it an error; booleans and errors are skipped.
class TQREvSumFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvSumFunction, TQREvElementFunction)
 public:
  TQREvSumFunction() { FIsAggreg = true; }
  void Aggregate() override;
  void Calculate(TQREvResult& result) override;
  void Reset() override { ResAssigned = false; }

 protected:
  // Adds the argument; true when it counted (a number that entered the total).
  bool AddArgument();

  TQREvResult SumResult;
  bool ResAssigned = false;
};

class TQREvCountFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvCountFunction, TQREvElementFunction)
 public:
  TQREvCountFunction() { FIsAggreg = true; }
  // Counts in an aggregate pass; takes no arguments.
  void Value(TQRFiFo* fifo, TQREvResult& result) override;
  void Reset() override { FCount = 0; }

 private:
  Int64 FCount = 0;
};

// MAX and MIN keep the first value after a reset whole and replace it by a greater (smaller) one:
// numbers across integer and float, texts in code-unit order (date texts by their moment), booleans
// with true above false. Values that cannot be compared with the kept one are skipped.
class TQREvMaxFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvMaxFunction, TQREvElementFunction)
 public:
  TQREvMaxFunction() { FIsAggreg = true; }
  void Aggregate() override;
  void Calculate(TQREvResult& result) override;
  void Reset() override { ResAssigned = false; }

 private:
  TQREvResult MaxResult;
  bool ResAssigned = false;
};

class TQREvMinFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvMinFunction, TQREvElementFunction)
 public:
  TQREvMinFunction() { FIsAggreg = true; }
  void Aggregate() override;
  void Calculate(TQREvResult& result) override;
  void Reset() override { ResAssigned = false; }

 private:
  TQREvResult MinResult;
  bool ResAssigned = false;
};

// AVERAGE: the float SUM divided by the number of values that entered it.
class TQREvAverageFunction : public TQREvSumFunction {
  KIV_CLASS(TQREvAverageFunction, TQREvSumFunction)
 public:
  void Aggregate() override;
  void Calculate(TQREvResult& result) override;
  void Reset() override;

 private:
  Int64 Count = 0;
  TQREvResult aResult;
};

class TQREvTrue : public TQREvElementFunction {
  KIV_CLASS(TQREvTrue, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvFalse : public TQREvElementFunction {
  KIV_CLASS(TQREvFalse, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvIntFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvIntFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvFracFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvFracFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvSQRTFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvSQRTFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvDivFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvDivFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvTypeOfFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvTypeOfFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};

class TQREvFormatNumericFunction : public TQREvElementFunction {
  KIV_CLASS(TQREvFormatNumericFunction, TQREvElementFunction)
 public:
  void Calculate(TQREvResult& result) override;
};
