// The program's entry: starts the libraries the forms stand on, then KIV.ERP.
#include "app/Startup.h"
#include "erp/StartupForms.h"
#include "platform/dbctrls/DbCtrlsLibrary.h"
#include "platform/printing/PrintingLibrary.h"
#include "reportlib/engine/controls/QRDataTexts.h"
#include "reportlib/output/QRExportFilter.h"
#include "reportlib/output/ReportOutputLibrary.h"
#include "reportlib/output/filters/QRHTMLFilter.h"
#include "reportlib/output/filters/QRPDFFilter.h"
#include "reportlib/output/filters/QRXLSXFilter.h"

int main(int argc, char** argv) {
  // Data controls start the controls they build on; printing gives the rich edit its Print.
  InitializeDbCtrls();
  InitializePrinting();
  // Reports: their controls load from form resources, and the preview saves through these filters.
  InitializeReportOutput();
  InitializeReportControls();
  QRExportFilterLibrary()->AddFilter(ExportFilterClass<TQRPDFDocumentFilter>());
  QRExportFilterLibrary()->AddFilter(ExportFilterClass<TQRXLSXDocumentFilter>());
  QRExportFilterLibrary()->AddFilter(ExportFilterClass<TQRGHTMLDocumentFilter>());
  return RunProgram(argc, argv, CreateAccountingForms);
}
