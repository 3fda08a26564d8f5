// The program's entry: starts KIV.ERP.
#include "app/Startup.h"
#include "stock/StartupForms.h"

int main(int argc, char** argv) { return RunProgram(argc, argv, CreateAccountingForms); }
