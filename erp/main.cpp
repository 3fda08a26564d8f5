// The program's entry: starts the libraries the forms stand on, then KIV.ERP.
#include "app/Startup.h"
#include "erp/StartupForms.h"
#include "platform/dbctrls/DbCtrlsLibrary.h"
#include "platform/printing/PrintingLibrary.h"

int main(int argc, char** argv) {
  // Data controls start the controls they build on; printing gives the rich edit its Print.
  InitializeDbCtrls();
  InitializePrinting();
  return RunProgram(argc, argv, CreateAccountingForms);
}
