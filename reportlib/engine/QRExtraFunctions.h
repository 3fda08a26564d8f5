// The extra report expression functions: counters of the running report, dates and times given as
// text, padding and trimming, conversions, and lookups of components, dataset fields, INI files and the
// registry; and the readers of published properties by name that report controls use.
#pragma once

#include <functional>

#include "reportlib/engine/QREvaluator.h"

class TComponent;
class TQRFunctionLibrary;

// What the counter functions read of a report. The report component (TRezavOze) implements it.
class IQRExprReport {
 public:
  virtual ~IQRExprReport() = default;
  virtual Integer GetRecordCount() = 0;
  virtual Integer GetRecordNumber() = 0;
  virtual Integer GetCurrentColumn() = 0;
};

// The label-sheet report (TQRPRezavoze) implements it for PAGECOUNT.
class IQRExprLabelSheet {
 public:
  virtual ~IQRExprLabelSheet() = default;
  virtual Integer GetTotalPageCount() = 0;
};

// The expression control (TQRExpr) implements it: GETCAPTION reads its current text.
class IQRExprCaption {
 public:
  virtual ~IQRExprCaption() = default;
  virtual String GetCurrentCaption() = 0;
};

// Registers the 28 functions below, each unless its name is taken already.
void RegisterExtraFunctions(TQRFunctionLibrary& library);
void RegisterQRFunctionOnce(TQRLibraryItemClass ElementClass, const String& Name, const String& Description,
                            const String& Data, const String& Vendor);

// The application's open forms in screen order, then its data modules: the first component of that
// name that is of ComponentClass (or descends from it) and, with a FieldName, a dataset with such a
// field. Null when there is none.
TComponent* FindReportComponent(const String& Name, TClass ComponentClass,
                                const String& FieldName = String());
// The first component that accepts, by name, on the open forms and (with dataModules) the data modules.
TComponent* FindComponentOnForms(const String& Name, bool dataModules,
                                 const std::function<bool(TComponent*)>& accepts);
// The first report on the open forms (forms in screen order, each form's components in creation order).
IQRExprReport* FirstReportOnForms();

// True when the property exists and its ordinal value is 1.
bool GetBoolProperty(const TObject* Control, const String& PropName);
// The property's text; empty when there is no such text property.
String GetStringProperty(const TObject* Component, const String& PropName);

#define QR_EXTRA_FUNCTION(Name)                   \
  class Name : public TQREvElementFunction {      \
    KIV_CLASS(Name, TQREvElementFunction)         \
   public:                                        \
    void Calculate(TQREvResult& result) override; \
  }

QR_EXTRA_FUNCTION(TQREvPageCountFunction);
QR_EXTRA_FUNCTION(TQREvDetailCountFunction);
QR_EXTRA_FUNCTION(TQREvDetailNoFunction);
QR_EXTRA_FUNCTION(TQREvColumnNoFunction);
QR_EXTRA_FUNCTION(TQREvCurrencyFunction);
QR_EXTRA_FUNCTION(TQREvQueryParamFunction);
QR_EXTRA_FUNCTION(TQREvStrToIntFunction);
QR_EXTRA_FUNCTION(TQREvStrToNumFunction);
QR_EXTRA_FUNCTION(TQREvGetCaptionFunction);
QR_EXTRA_FUNCTION(TQREvRecordCountFunction);
QR_EXTRA_FUNCTION(TQREvReadINIFunction);
QR_EXTRA_FUNCTION(TQREvReadRegistryFunction);
QR_EXTRA_FUNCTION(TQREvReformatDateFunction);
QR_EXTRA_FUNCTION(TQREvCalcDateFunction);
QR_EXTRA_FUNCTION(TQREvExtractDayFunction);
QR_EXTRA_FUNCTION(TQREvExtractMonthFunction);
QR_EXTRA_FUNCTION(TQREvExtractYearFunction);
QR_EXTRA_FUNCTION(TQREvDayOfWeekFunction);
QR_EXTRA_FUNCTION(TQREvDayStringFunction);
QR_EXTRA_FUNCTION(TQREvMonthStringFunction);
QR_EXTRA_FUNCTION(TQREvCalcTimeFunction);
QR_EXTRA_FUNCTION(TQREvTrimFunction);
QR_EXTRA_FUNCTION(TQREvChrFunction);
QR_EXTRA_FUNCTION(TQREvIsNullFunction);
QR_EXTRA_FUNCTION(TQREvAbsFunction);
QR_EXTRA_FUNCTION(TQREvFieldLenFunction);
QR_EXTRA_FUNCTION(TQREvPadLeftFunction);
QR_EXTRA_FUNCTION(TQREvPadRightFunction);

#undef QR_EXTRA_FUNCTION
