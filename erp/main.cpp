// The program's entry: starts KIV.ERP.
#include "app/Startup.h"
#include "erp/StartupForms.h"
#include "platform/controls/ControlsLibrary.h"

int main(int argc, char** argv) {
  InitializeControls();
  return RunProgram(argc, argv, CreateAccountingForms);
}
