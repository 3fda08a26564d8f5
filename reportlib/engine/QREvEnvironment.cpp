// Expression environments: named expressions, their counted preparation, constants changed in place
// and the "DATA" property.
#include "reportlib/engine/QREvEnvironment.h"

#include "platform/classes/Lists.h"
#include "platform/classes/SpecialFolders.h"
#include "platform/classes/Streaming.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Strings.h"
#include "reportlib/engine/QREvElements.h"
#include "reportlib/engine/QRExprConsts.h"
#include "reportlib/engine/QRFunctionLibrary.h"

namespace {
// Guards the process-wide environment: its preparation count and the evaluation of its names.
std::recursive_mutex& SharedLock() {
  static std::recursive_mutex lock;
  return lock;
}

// An Unprepare of some environment is under way on this thread: the named expressions it unprepares
// give back their count of the global environment's preparation no more.
thread_local bool unprepareUnderWay = false;

IQRExprHost* host = nullptr;

// The application's title; before the application has one, the program's name, which is what the
// title starts as.
String ApplicationTitle() {
  if (host && !host->GetApplicationTitle().empty()) return host->GetApplicationTitle();
  return ChangeFileExt(ExtractFileName(ParamStr(0)), String());
}
}  // namespace

void SetQRExprHost(IQRExprHost* value) { host = value; }

IQRExprHost* GetQRExprHost() { return host; }

// ---- TQREvEmbeddedFunction ----

TQREvEmbeddedFunction::TQREvEmbeddedFunction(const String& Expression)
    : Evaluator(std::make_unique<TQREvaluator>()), FExpression(Expression) {}

TQREvEmbeddedFunction::~TQREvEmbeddedFunction() = default;

void TQREvEmbeddedFunction::Value(TQRFiFo*, TQREvResult& result) {
  std::unique_lock<std::recursive_mutex> lock;
  if (shared_) lock = std::unique_lock<std::recursive_mutex>(SharedLock());
  if (FInEvaluate) return SetErrorResult(SqrRecursiveCall, result);
  // An environment that was never prepared gives the error as a value, like every other failure.
  if (!Evaluator->GetPrepared()) return SetErrorResult(SqrEvaluatorNotPrepared, result);
  FInEvaluate = true;
  auto restore = MakeScopeExit([&] { FInEvaluate = false; });
  Evaluator->Value(result);
}

void TQREvEmbeddedFunction::Reset() {
  std::unique_lock<std::recursive_mutex> lock;
  if (shared_) lock = std::unique_lock<std::recursive_mutex>(SharedLock());
  Evaluator->Reset();
}

TQREvElement* TQREvEmbeddedFunction::Peek(int Index) const {
  TQRFiFo* fifo = Evaluator->GetFiFo();
  if (!Evaluator->GetPrepared() || !fifo || Index < 0 || Index >= fifo->GetCount()) return nullptr;
  return fifo->GetItem(Index);
}

// ---- TQREvEnvironment ----

TQREvEnvironment::TQREvEnvironment() : TStringList(true) {}

TQREvEnvironment::~TQREvEnvironment() { Clear(); }

std::unique_lock<std::recursive_mutex> TQREvEnvironment::LockIfShared() const {
  if (!shared_) return std::unique_lock<std::recursive_mutex>();
  return std::unique_lock<std::recursive_mutex>(SharedLock());
}

TQREvEmbeddedFunction* TQREvEnvironment::GetFunction(int index) const {
  return static_cast<TQREvEmbeddedFunction*>(GetObject(index));
}

TQREvEmbeddedFunction* TQREvEnvironment::FindFunction(const String& name) const {
  const int index = IndexOf(name);
  return index < 0 ? nullptr : GetFunction(index);
}

TList* TQREvEnvironment::GetDataSets() {
  if (!FDatasets) {
    OwnDataSets = std::make_unique<TList>();
    FDatasets = OwnDataSets.get();
  }
  return FDatasets;
}

void TQREvEnvironment::SetDataSets(TList* value) {
  if (value == FDatasets) return;
  auto lock = LockIfShared();
  FDatasets = value;
  // The entries must not keep the list about to be freed.
  for (int i = 0; i < GetCount(); ++i)
    if (TQREvEmbeddedFunction* function = GetFunction(i)) function->Evaluator->SetDataSets(value);
  OwnDataSets.reset();
}

void TQREvEnvironment::PrepareEntry(TQREvEmbeddedFunction* function) {
  function->Evaluator->SetDataSets(GetDataSets());
  function->Evaluator->SetEnvironment(this);
  function->Evaluator->Prepare(function->FExpression);
}

void TQREvEnvironment::AddFunction(const String& AName, const String& AExpression) {
  auto lock = LockIfShared();
  const String name = AnsiUpperCase(AName);
  if (IndexOf(name) >= 0) return;
  auto* function = new TQREvEmbeddedFunction(AExpression);
  function->shared_ = shared_;
  AddObject(name, function);
  // Only the new entry: preparing another one again would free the queue whose constants a running
  // report holds.
  if (GetPrepared()) PrepareEntry(function);
}

void TQREvEnvironment::DeleteFunction(const String& AName) {
  auto lock = LockIfShared();
  const int index = IndexOf(AName);
  if (index >= 0) Delete(index);
}

void TQREvEnvironment::Clear() {
  auto lock = LockIfShared();
  TStringList::Clear();
}

void TQREvEnvironment::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TQREvEnvironment*>(source);
  if (!other) AssignError(source);
  if (other == this) return;
  BeginUpdate();
  // EndUpdate tells the listeners, which may raise.
  TryFinally(
      [&] {
        Clear();
        for (int i = 0; i < other->GetCount(); ++i) {
          TQREvEmbeddedFunction* function = other->GetFunction(i);
          AddFunction(other->Get(i), function ? function->GetExpression() : String());
        }
      },
      [&] { EndUpdate(); });
}

void TQREvEnvironment::Prepare() {
  auto lock = LockIfShared();
  if (PrepareCount++ != 0) return;
  for (int i = 0; i < GetCount(); ++i)
    if (TQREvEmbeddedFunction* function = GetFunction(i)) PrepareEntry(function);
}

void TQREvEnvironment::Unprepare() {
  auto lock = LockIfShared();
  if (shared_ && unprepareUnderWay) return;
  const bool wasUnderWay = unprepareUnderWay;
  unprepareUnderWay = true;
  if (PrepareCount > 0 && --PrepareCount == 0) {
    for (int i = 0; i < GetCount(); ++i)
      if (TQREvEmbeddedFunction* function = GetFunction(i)) function->Evaluator->UnPrepare();
  }
  unprepareUnderWay = wasUnderWay;
}

TQREvResult TQREvEnvironment::Value(const String& Name) {
  TQREvResult result;
  if (TQREvEmbeddedFunction* function = FindFunction(Name))
    function->Value(nullptr, result);
  else
    SetErrorResult(String(), result);
  return result;
}

std::unique_ptr<TQREvElement> TQREvEnvironment::Element(const String& Name) {
  if (TQREvEmbeddedFunction* function = FindFunction(Name))
    return std::make_unique<TQREvElementWrapper>(function);
  return std::make_unique<TQREvElementError>(QRFormatMessage(SqrUnknownFunction, {Name}));
}

TQREvElement* TQREvEnvironment::GetConstant(const String& Name) {
  if (!GetPrepared()) return nullptr;
  TQREvEmbeddedFunction* function = FindFunction(Name);
  return function ? function->Peek(0) : nullptr;
}

void TQREvEnvironment::SetConstant(TQREvElement* Constant, const TQREvResult& Value) {
  if (auto* constant = dynamic_cast<TQREvElementConstant*>(Constant))
    constant->SetValue(Value);
  else if (auto* text = dynamic_cast<TQREvElementString*>(Constant); text && Value.Kind == resString)
    text->SetValue(Value.StringVal);
}

void TQREvEnvironment::SetStringConstant(TQREvElement* Constant, const String& Value) {
  if (auto* text = dynamic_cast<TQREvElementString*>(Constant)) text->SetValue(Value);
}

void TQREvEnvironment::SetIntegerConstant(TQREvElement* Constant, Int64 Value) {
  TQREvResult value;
  value.SetInt(Value);
  if (auto* constant = dynamic_cast<TQREvElementConstant*>(Constant)) constant->SetValue(value);
}

void TQREvEnvironment::SetFloatConstant(TQREvElement* Constant, double Value) {
  TQREvResult value;
  value.SetDouble(Value);
  if (auto* constant = dynamic_cast<TQREvElementConstant*>(Constant)) constant->SetValue(value);
}

void TQREvEnvironment::SetBooleanConstant(TQREvElement* Constant, bool Value) {
  TQREvResult value;
  value.SetBool(Value);
  if (auto* constant = dynamic_cast<TQREvElementConstant*>(Constant)) constant->SetValue(value);
}

void TQREvEnvironment::UpdateConstant(const String& Name, const TQREvResult& Value) {
  SetConstant(GetConstant(Name), Value);
}

// ---- Streaming ----

void TQREvEnvironment::DefineProperties(TFiler* filer) {
  TStringList::DefineProperties(filer);
  filer->DefineProperty(u"DATA", TReaderProc(this, &TQREvEnvironment::ReadData),
                        TWriterProc(this, &TQREvEnvironment::WriteData), true);
}

void TQREvEnvironment::ReadData(TReader* reader) {
  reader->ReadListBegin();
  for (int i = 0; !reader->EndOfList(); ++i) {
    const String expression = reader->ReadString();
    // An expression without a name has nowhere to go: the stream does not belong to this list.
    if (i >= GetCount()) throw EReadError(u"Invalid property value");
    auto* function = new TQREvEmbeddedFunction(expression);
    function->shared_ = shared_;
    delete GetObject(i);
    PutObject(i, function);
    if (GetPrepared()) PrepareEntry(function);
  }
  reader->ReadListEnd();
}

void TQREvEnvironment::WriteData(TWriter* writer) {
  writer->WriteListBegin();
  for (int i = 0; i < GetCount(); ++i) {
    TQREvEmbeddedFunction* function = GetFunction(i);
    writer->WriteString(function ? function->GetExpression() : String());
  }
  writer->WriteListEnd();
}

// ---- The process-wide environment ----

TQREvEnvironment* QRGlobalEnvironment() {
  static TQREvEnvironment* const environment = [] {
    QRFunctionLibrary();
    // Lives until the process ends, like the function library.
    auto* global = new TQREvEnvironment();
    global->shared_ = true;
    const TDateTime start = Now();
    global->AddFunction(u"AppStartTime", u"'" + TimeToStr(start) + u"'");
    global->AddFunction(u"AppStartDate", u"'" + DateToStr(start) + u"'");
    global->AddFunction(u"AppName", u"'" + ApplicationTitle() + u"'");
    return global;
  }();
  return environment;
}
